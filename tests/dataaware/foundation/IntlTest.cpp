// The library's texts, the copy of a connected settings object into the global one, the
// controller's list of styled controls, the standard dialog buttons and the mask-failure
// reaction.
#include "dataaware/foundation/daIntl.h"

#include "dataaware/foundation/daByName.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Puts the global texts back as they were when the test started.
class TGlobalIntlScope {
public:
    TGlobalIntlScope() : FSaved(std::make_unique<TdaIntl>(nullptr)) { Copy(daGlobalIntl, FSaved.get()); }
    ~TGlobalIntlScope() { Copy(FSaved.get(), daGlobalIntl); }

private:
    static void Copy(TdaIntl* From, TdaIntl* To) {
        const bool WasConnected = To->Connected();
        From->SetConnected(false);
        TdaIntl* Global = daGlobalIntl;
        daGlobalIntl = To;
        From->SetConnected(true);
        daGlobalIntl = Global;
        To->SetConnected(WasConnected);
        From->SetConnected(false);
    }
    std::unique_ptr<TdaIntl> FSaved;
};

// An edit that shows a frame and button effects of its own, as the library's edits do.
class TFramedEdit : public TCustomEdit {
    DECLARE_CLASS(TFramedEdit, TCustomEdit)
public:
    explicit TFramedEdit(TComponent* AOwner)
        : TCustomEdit(AOwner), FFrame(std::make_unique<TdaEditFrame>(this)),
          FEffects(std::make_unique<TdaButtonEffects>(this, nullptr)) {}
    TdaEditFrame* Frame() const { return FFrame.get(); }
    TdaButtonEffects* ButtonEffects() const { return FEffects.get(); }
    int Recreated = 0;

protected:
    void CMRecreateWnd(TMessage& M) override {
        ++Recreated;
        TCustomEdit::CMRecreateWnd(M);
    }

private:
    std::unique_ptr<TdaEditFrame> FFrame;
    std::unique_ptr<TdaButtonEffects> FEffects;
    static void Published(TPublisher<TFramedEdit>& P) {
        P.Property(u"Frame", &TFramedEdit::Frame);
        P.Property(u"ButtonEffects", &TFramedEdit::ButtonEffects);
    }
};

} // namespace

TEST(Intl, DefaultsOfTheTexts) {
    TdaIntl I(nullptr);
    EXPECT_EQ(I.FilterDialog()->BtnViewSummary, u"View Su&mmary");
    EXPECT_EQ(I.FilterDialog()->SummaryCaption, u"");
    EXPECT_EQ(I.RichEdit()->FontNameComboHint, u"Font | Changes the font of the selection");
    EXPECT_EQ(I.RichEdit()->MenuLabels()->PrintPreviewCaption, u"&Print Pre&view");
    EXPECT_EQ(I.RichEdit()->PopupMenuLabels()->ObjectPropertiesCaption, u"Object P&roperties");
    EXPECT_EQ(I.RichEdit()->ParagraphDialog()->FirstLineEditHint, u"First Line of Paragraph Indentation");
    EXPECT_EQ(I.RichEdit()->TabDialog()->TabGroupBoxCaption, u"&Tab Stop Position");
    EXPECT_EQ(I.Navigator()->ConfirmDeleteMessage, u"Delete record?");
    EXPECT_EQ(I.Navigator()->Hints()->NextPageHint, u"Move forward %d records");
    EXPECT_EQ(I.MonthCalendar()->PopupYearStart, 2000);
    EXPECT_EQ(I.UserMessages()->MemoChangesWarning, u"Changes have been made!  Are you sure you wish to cancel?");
    EXPECT_EQ(I.LocateDialog()->MatchAnyLabel, u"Partial Match &Anywhere");
    EXPECT_EQ(I.SearchDialog()->StatusRecLabel, u"Rec #");
    EXPECT_EQ(I.GridTitleMenu()->DateFiltersCaptionToday, u"");
    EXPECT_EQ(I.ValidationFeedback()->ErrorBackColor, clNone);
    EXPECT_TRUE(I.ADO()->UseLocateWhenFindingValue);
    EXPECT_TRUE(I.OKCancelBitmapped);
    EXPECT_EQ(I.BtnOKCaption, u"&OK");
    EXPECT_EQ(I.CheckBoxInGridStyle(), cbStyleAuto);
    EXPECT_EQ(I.GridPaintStyle(), gpsDynamicDeviceContext);
    EXPECT_EQ(I.FilterMemoSize, 65536);
    EXPECT_EQ(I.DefaultEpochYear, 1950);
    EXPECT_FALSE(I.Connected());
    // The texts are reachable by name, as a store or the copy reads them.
    EXPECT_EQ(GetStrProp(I.GridTitleMenu(), u"SelectColumnsDialogCaption"), u"");
    EXPECT_EQ(GetStrProp(I.RichEdit()->MenuLabels(), u"FileCaption"), u"&File");
    ASSERT_NE(daGlobalIntl, nullptr);
}

TEST(Intl, ConnectingCopiesEveryGroupIntoTheGlobalTexts) {
    TGlobalIntlScope Keep;
    TdaIntl Local(nullptr);
    Local.GridTitleMenu()->DateFiltersCaptionToday = u"Heute";
    Local.GridTitleMenu()->SelectColumnsDialogCaption = u"Spalten";
    Local.RichEdit()->ParagraphDialog()->HelpContext = 77;
    Local.RichEdit()->MenuLabels()->FileCaption = u"&Datei";
    Local.Navigator()->Hints()->FirstHint = u"Erster";
    Local.MonthCalendar()->PopupYearStart = 1990;
    Local.ValidationFeedback()->ErrorBackColor = clYellow;
    Local.ADO()->UseLocateWhenFindingValue = false;
    Local.BtnCancelCaption = u"Abbrechen";
    Local.FilterMemoSize = 100;
    Local.DialogFontStyle = TFontStyles{fsBold};
    int Called = 0;
    Local.OnValidationErrorUsingMask = [&](TObject*, TField*, String&, bool&) { ++Called; };
    Local.SetConnected(true);
    EXPECT_TRUE(daGlobalIntl->Connected());
    EXPECT_EQ(daGlobalIntl->GridTitleMenu()->DateFiltersCaptionToday, u"Heute");
    EXPECT_EQ(daGlobalIntl->GridTitleMenu()->SelectColumnsDialogCaption, u"Spalten");
    EXPECT_EQ(daGlobalIntl->RichEdit()->ParagraphDialog()->HelpContext, 77);
    EXPECT_EQ(daGlobalIntl->RichEdit()->MenuLabels()->FileCaption, u"&Datei");
    EXPECT_EQ(daGlobalIntl->Navigator()->Hints()->FirstHint, u"Erster");
    EXPECT_EQ(daGlobalIntl->MonthCalendar()->PopupYearStart, 1990);
    EXPECT_EQ(daGlobalIntl->ValidationFeedback()->ErrorBackColor, clYellow);
    EXPECT_FALSE(daGlobalIntl->ADO()->UseLocateWhenFindingValue);
    EXPECT_EQ(daGlobalIntl->BtnCancelCaption, u"Abbrechen");
    EXPECT_EQ(daGlobalIntl->FilterMemoSize, 100);
    EXPECT_EQ(daGetFilterMemoSize(), 100);
    EXPECT_TRUE(daGlobalIntl->DialogFontStyle.Contains(fsBold));
    bool DoDefault = true;
    String Msg;
    daGlobalIntl->OnValidationErrorUsingMask(nullptr, nullptr, Msg, DoDefault);
    EXPECT_EQ(Called, 1);
    // Later changes are not copied again; disconnecting copies nothing.
    Local.BtnCancelCaption = u"Later";
    Local.SetConnected(false);
    EXPECT_EQ(daGlobalIntl->BtnCancelCaption, u"Abbrechen");
    EXPECT_TRUE(daGlobalIntl->Connected());
}

TEST(Intl, IniFileNameGetsOneExtension) {
    TGlobalIntlScope Keep;
    struct TCase {
        const char16_t* Given;
        const char16_t* Global;
    };
    for (const TCase& C : {TCase{u"layouts", u"layouts.ini"}, TCase{u"", u""}, TCase{u".ini", u""},
                           TCase{u"grid.ini", u"grid.ini"}, TCase{u"a.cfg", u"a.cfg.ini"}}) {
        daGlobalIntl->IniFileName = u"before";
        TdaIntl Local(nullptr);
        Local.IniFileName = C.Given;
        Local.SetConnected(true);
        EXPECT_EQ(daGlobalIntl->IniFileName, C.Global) << U8(C.Given);
    }
}

TEST(Intl, LoadedCopiesOnlyAConnectedObject) {
    TGlobalIntlScope Keep;
    TdaIntl Local(nullptr);
    Local.BtnOKCaption = u"Ja";
    Local.SetComponentState(TComponentState{csLoading});
    Local.Loaded();
    EXPECT_EQ(daGlobalIntl->BtnOKCaption, u"&OK");
    Local.SetComponentState(TComponentState{csLoading});
    SetOrdProp(&Local, u"Connected", 1);
    Local.BtnOKCaption = u"Jawohl";
    Local.Loaded();
    EXPECT_EQ(daGlobalIntl->BtnOKCaption, u"Jawohl");
}

TEST(Intl, GridStylesFollowOnlyWhileConnected) {
    TGlobalIntlScope Keep;
    TdaIntl Local(nullptr);
    Local.SetCheckBoxInGridStyle(cbStyleXmark);
    EXPECT_EQ(daGlobalIntl->CheckBoxInGridStyle(), cbStyleAuto);
    Local.SetConnected(true);
    EXPECT_EQ(daGlobalIntl->CheckBoxInGridStyle(), cbStyleXmark);
    Local.SetCheckBoxInGridStyle(cbStyleCheckmarkFlat);
    Local.SetGridPaintStyle(gpsBitmapCanvas);
    EXPECT_EQ(daGlobalIntl->CheckBoxInGridStyle(), cbStyleCheckmarkFlat);
    EXPECT_EQ(daGlobalIntl->GridPaintStyle(), gpsBitmapCanvas);
}

TEST(Intl, DestroyingTheGlobalObjectClearsTheReference) {
    TdaIntl* Saved = daGlobalIntl;
    TScopeExit Restore([&] { daGlobalIntl = Saved; });
    daGlobalIntl = new TdaIntl(nullptr);
    delete daGlobalIntl;
    EXPECT_EQ(daGlobalIntl, nullptr);
    EXPECT_EQ(daGetFilterMemoSize(), 65536);
}

TEST(Intl, MaskFailureBeepsAndRaisesUnlessTheHandlerTakesOver) {
    TdaIntl I(nullptr);
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { I.ValidationErrorUsingMask(nullptr, nullptr, u""); }),
              u"Invalid input value.  Use escape key to abandon changes");
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { I.ValidationErrorUsingMask(nullptr, nullptr, u"Bad"); }),
              u"Bad");
    String Seen;
    I.OnValidationErrorUsingMask = [&](TObject*, TField*, String& Msg, bool& DoDefault) {
        Seen = Msg;
        DoDefault = Msg == u"raise";
        Msg = u"changed";
    };
    EXPECT_NO_THROW(I.ValidationErrorUsingMask(nullptr, nullptr, u""));
    EXPECT_EQ(Seen, daInvalidInputValueText);
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { I.ValidationErrorUsingMask(nullptr, nullptr, u"raise"); }),
              u"changed");
}

TEST(Intl, ControllerListsItsControlsAndForgetsFreedOnes) {
    TForm Form(nullptr);
    TdaController Controller(nullptr);
    auto* A = new TFramedEdit(&Form);
    auto* B = new TFramedEdit(&Form);
    A->SetParent(&Form);
    Controller.AddControl(A);
    Controller.AddControl(B);
    A->FreeNotification(&Controller);
    B->FreeNotification(&Controller);
    EXPECT_EQ(daGetControllerList(&Controller), Controller.ControlList());
    Controller.Frame()->SetEnabled(true);
    Controller.Frame()->SetNonFocusStyle(efsFrameEtched);
    Controller.ButtonEffects()->SetFlat(true);
    A->HandleNeeded();
    Controller.ApplyFrame();
    EXPECT_TRUE(A->Frame()->Enabled());
    EXPECT_EQ(B->Frame()->NonFocusStyle(), efsFrameEtched);
    EXPECT_TRUE(B->ButtonEffects()->Flat());
    // Only a control with a window (B has no parent, so none) is told to rebuild it.
    EXPECT_EQ(A->Recreated, 1);
    EXPECT_EQ(B->Recreated, 0);
    delete A;
    ASSERT_EQ(Controller.ControlList()->Count(), 1);
    EXPECT_EQ(Controller.ControlList()->Items(0), B);
    Controller.RemoveControl(B);
    EXPECT_EQ(Controller.ControlList()->Count(), 0);
}

TEST(Intl, DialogButtonsPlainAndWithGlyphs) {
    TGlobalIntlScope Keep;
    TForm Form(nullptr);
    daGlobalIntl->OKCancelBitmapped = false;
    TButton* Cancel = daCreateDialogButton(&Form, 2);
    EXPECT_EQ(Cancel->ClassType(), TButton::StaticClass());
    EXPECT_EQ(Cancel->Owner(), &Form);
    EXPECT_EQ(Cancel->Parent(), &Form);
    EXPECT_FALSE(Cancel->Visible());
    EXPECT_EQ(Cancel->Width(), 77);
    EXPECT_EQ(Cancel->Height(), 24);
    EXPECT_EQ(Cancel->Caption(), u"Cancel");
    EXPECT_TRUE(Cancel->Cancel());
    EXPECT_EQ(Cancel->ModalResult(), mrCancel);

    daGlobalIntl->OKCancelBitmapped = true;
    daGlobalIntl->BtnOKCaption = u"&Fine";
    daGlobalIntl->DialogFontStyle = TFontStyles{fsItalic};
    auto* OK = dynamic_cast<TBitBtn*>(daCreateDialogButton(&Form, 1));
    ASSERT_NE(OK, nullptr);
    EXPECT_EQ(OK->Caption(), u"&Fine");
    EXPECT_EQ(OK->ModalResult(), mrOk);
    EXPECT_EQ(OK->Height(), 27);
    EXPECT_EQ(OK->Margin(), 2);
    EXPECT_EQ(OK->Spacing(), -1);
    EXPECT_EQ(OK->NumGlyphs(), 2);
    EXPECT_EQ(OK->Font()->Name(), u"MS Sans Serif");
    EXPECT_TRUE(OK->Font()->Style().Contains(fsItalic));
    TButton* Help = daCreateDialogButton(&Form, 3);
    EXPECT_EQ(Help->Caption(), u"Help");
    EXPECT_EQ(Help->ModalResult(), mrNone);
}
