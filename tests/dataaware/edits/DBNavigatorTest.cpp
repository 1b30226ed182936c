// The data navigator and its buttons on a shown form: what each button does to a dataset in
// memory or in an SQLite file and when it is enabled, the saved bookmark, repeating while held,
// the layouts, names, hints, dialog buttons, refused children, and the navigator's picture.
#include "dataaware/edits/daDBNavigator.h"
#include "EditTestSupport.h"

#include "dataaware/foundation/daIntl.h"
#include "platform/base/TypeInfo.h"
#include "platform/gui/Questions.h"
#include "support/GraphicsTestSupport.h"
#include "support/QuestionTestSupport.h"

namespace {

// A dialog of the search kind as the navigator finds it by class name; it counts its runs.
class TdaSearchDialog : public TdaCustomDialog {
    DECLARE_CLASS(TdaSearchDialog, TdaCustomDialog)
public:
    using TdaCustomDialog::TdaCustomDialog;
    TDataSet* SearchTable() const { return FSearchTable; }
    void SetSearchTable(TDataSet* Value) { FSearchTable = Value; }
    bool Execute() override {
        ++Runs;
        return true;
    }
    TDataSet* GetPrimaryDataSet() override { return FSearchTable; }
    int Runs = 0;

private:
    TDataSet* FSearchTable = nullptr;
    static void Published(TPublisher<TdaSearchDialog>& P) {
        P.Property(u"SearchTable", &TdaSearchDialog::SearchTable, &TdaSearchDialog::SetSearchTable);
    }
};

class TdaLocateDialog : public TdaCustomDialog {
    DECLARE_CLASS(TdaLocateDialog, TdaCustomDialog)
public:
    using TdaCustomDialog::TdaCustomDialog;
    bool Execute() override { return false; }
    TDataSet* GetPrimaryDataSet() override { return nullptr; }
};

struct TNavForm {
    TForm Form{nullptr};
    TDataSet* DS = nullptr;
    TDataSource* Source = nullptr;
    TdaDBNavigator* Nav = nullptr;

    TNavForm(TDataSetKind Kind, int Rows) {
        Form.SetBounds(0, 0, 460, 120);
        Form.SetColor(clBtnFace);
        DS = MakePeopleDataSet(&Form, Kind, NumberedPeople(Rows));
        Source = new TDataSource(&Form);
        Source->SetDataSet(DS);
        Nav = new TdaDBNavigator(&Form);
        Nav->SetName(u"Nav1");
        Nav->SetParent(&Form);
        Nav->SetBounds(8, 8, 1, 25);
        Nav->SetDataSource(Source);
        Form.Show();
        ProcessMessages();
    }
    TdaNavButton* Button(TdaNavButtonStyle Style) {
        for (int I = 0; I < Nav->Buttons()->Count(); ++I)
            if (Nav->Buttons()->Buttons(I)->Style() == Style) return Nav->Buttons()->Buttons(I);
        return nullptr;
    }
    TPoint Centre(TdaNavButtonStyle Style) {
        TdaNavButton* B = Button(Style);
        return TPoint(B->Left() + B->Width() / 2, B->Top() + B->Height() / 2);
    }
    void Click(TdaNavButtonStyle Style) { ClickMessages(Nav, Centre(Style)); }
    std::map<TdaNavButtonStyle, bool> States() {
        std::map<TdaNavButtonStyle, bool> R;
        for (int I = 0; I < Nav->Buttons()->Count(); ++I)
            R[Nav->Buttons()->Buttons(I)->Style()] = Nav->Buttons()->Buttons(I)->Enabled();
        return R;
    }
};

class NavigatorBound : public testing::TestWithParam<TDataSetKind> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(DataSets, NavigatorBound, testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(NavigatorBound, FirstPaintMakesTheFourteenButtonsInARowWithTheirHints) {
    TNavForm F(GetParam(), 30);
    const std::vector<TdaNavButtonStyle> Expected = {
        nbsFirst, nbsPriorPage, nbsPrior, nbsNext,   nbsNextPage, nbsLast,         nbsInsert,
        nbsDelete, nbsEdit,     nbsPost,  nbsCancel, nbsRefresh,  nbsSaveBookmark, nbsRestoreBookmark};
    ASSERT_EQ(F.Nav->Buttons()->Count(), 14);
    for (int I = 0; I < 14; ++I) {
        TdaNavButton* B = F.Nav->Buttons()->Buttons(I);
        EXPECT_EQ(B->Style(), Expected[size_t(I)]);
        EXPECT_EQ(B->Left(), 25 * I);
        EXPECT_EQ(B->Top(), 0);
        EXPECT_EQ(B->Index(), I);
        EXPECT_EQ(B->Owner(), &F.Form);
    }
    EXPECT_EQ(F.Nav->Width(), 14 * 25);
    EXPECT_EQ(F.Nav->Height(), 25);
    EXPECT_EQ(F.Button(nbsFirst)->Hint(), u"Move to first record");
    EXPECT_EQ(F.Button(nbsNextPage)->Hint(), u"Move forward 10 records");
    EXPECT_EQ(F.Button(nbsRestoreBookmark)->Hint(), u"Go back to saved bookmark");
    EXPECT_THROW(F.Nav->Buttons()->Buttons(14), EInvalidOperation);
}

TEST_P(NavigatorBound, ButtonsMoveAndEditTheDataSetAndFollowItsState) {
    TNavForm F(GetParam(), 30);
    auto S = F.States();
    EXPECT_FALSE(S[nbsFirst] || S[nbsPrior] || S[nbsPriorPage]);
    EXPECT_TRUE(S[nbsNext] && S[nbsNextPage] && S[nbsLast] && S[nbsInsert] && S[nbsDelete] && S[nbsEdit]);
    EXPECT_FALSE(S[nbsPost] || S[nbsCancel] || S[nbsRestoreBookmark]);

    F.Click(nbsNext);
    EXPECT_EQ(F.DS->RecNo(), 2);
    F.Click(nbsNextPage);
    EXPECT_EQ(F.DS->RecNo(), 12);
    F.Click(nbsPriorPage);
    EXPECT_EQ(F.DS->RecNo(), 2);
    F.Click(nbsLast);
    EXPECT_EQ(F.DS->RecNo(), 30);
    S = F.States();
    EXPECT_FALSE(S[nbsNext] || S[nbsNextPage] || S[nbsLast]);
    EXPECT_TRUE(S[nbsFirst] && S[nbsPrior]);
    F.Click(nbsPrior);
    EXPECT_EQ(F.DS->RecNo(), 29);

    F.Click(nbsEdit);
    EXPECT_EQ(F.DS->State(), dsEdit);
    S = F.States();
    EXPECT_TRUE(S[nbsPost] && S[nbsCancel]);
    EXPECT_FALSE(S[nbsEdit]);
    F.DS->FieldByName(u"LAST")->SetAsString(u"Changed");
    F.Click(nbsPost);
    EXPECT_EQ(F.DS->State(), dsBrowse);
    EXPECT_EQ(F.DS->FieldByName(u"LAST")->AsString(), u"Changed");
    F.Click(nbsInsert);
    EXPECT_EQ(F.DS->State(), dsInsert);
    F.Click(nbsCancel);
    EXPECT_EQ(F.DS->State(), dsBrowse);
    EXPECT_EQ(F.DS->RecordCount(), 30);
    F.Click(nbsFirst);
    EXPECT_EQ(F.DS->RecNo(), 1);

    // Disabling the navigator disables every button; enabling it brings the rules back.
    F.Nav->SetEnabled(false);
    for (auto [Style, Enabled] : F.States()) EXPECT_FALSE(Enabled) << Style;
    F.Nav->SetEnabled(true);
    EXPECT_TRUE(F.States()[nbsNext]);
}

TEST_P(NavigatorBound, EmptyAndReadOnlyDataSetsDisableTheirButtons) {
    TNavForm F(GetParam(), 0);
    auto S = F.States();
    for (TdaNavButtonStyle St : {nbsDelete, nbsFirst, nbsPrior, nbsNext, nbsLast, nbsPriorPage, nbsNextPage})
        EXPECT_FALSE(S[St]) << St;
    EXPECT_TRUE(S[nbsInsert]);

    TNavForm R(GetParam(), 3);
    R.DS->Close();
    R.DS->SetReadOnly(true);
    R.DS->Open();
    S = R.States();
    for (TdaNavButtonStyle St : {nbsInsert, nbsDelete, nbsEdit, nbsPost, nbsCancel, nbsRefresh})
        EXPECT_FALSE(S[St]) << St;
    EXPECT_TRUE(S[nbsNext] && S[nbsSaveBookmark]);

    R.Source->SetDataSet(nullptr);
    for (auto [Style, Enabled] : R.States()) EXPECT_FALSE(Enabled) << Style;
}

TEST_P(NavigatorBound, DeleteAsksOnlyWithTheConfirmOption) {
    TNavForm F(GetParam(), 3);
    {
        TQuestionScript Script;
        Script.Answer(mrCancel);
        F.Click(nbsDelete);
        EXPECT_EQ(F.DS->RecordCount(), 3);
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_EQ(Script.Last().Text, u"Delete record?");
        EXPECT_EQ(Script.Last().DlgType, mtConfirmation);
        Script.Answer(mrOk);
        F.Click(nbsDelete);
        EXPECT_EQ(F.DS->RecordCount(), 2);
    }
    F.Nav->SetOptions({});
    TQuestionScript Silent; // any question would fail the test
    F.Click(nbsDelete);
    EXPECT_EQ(F.DS->RecordCount(), 1);
    EXPECT_TRUE(Silent.Asked().empty());
}

TEST_P(NavigatorBound, OneSavedBookmarkPerDataSetAndAFailedReturnDropsIt) {
    TNavForm F(GetParam(), 10);
    F.DS->SetRecNo(3);
    F.Click(nbsSaveBookmark);
    EXPECT_TRUE(F.Button(nbsRestoreBookmark)->Enabled());
    F.DS->SetRecNo(7);
    F.Click(nbsSaveBookmark); // replaces the first
    EXPECT_EQ(F.Nav->BookmarkCount(), 1);
    F.Click(nbsFirst);
    F.Click(nbsRestoreBookmark);
    EXPECT_EQ(F.DS->RecNo(), 7);

    // The bookmarked record goes: the return fails quietly and the bookmark is dropped.
    F.DS->Delete();
    F.DS->First();
    EXPECT_FALSE(F.Button(nbsRestoreBookmark)->Enabled());
    F.Button(nbsRestoreBookmark)->Click();
    EXPECT_EQ(F.DS->RecNo(), 1);
    EXPECT_EQ(F.Nav->BookmarkCount(), 0);

    // Closing the dataset drops its bookmark too.
    F.Click(nbsSaveBookmark);
    EXPECT_EQ(F.Nav->BookmarkCount(), 1);
    F.DS->Close();
    EXPECT_EQ(F.Nav->BookmarkCount(), 0);
}

TEST_P(NavigatorBound, AHeldButtonRepeatsAfterTheDelayAndStopsWhenReleasedOrLeft) {
    TNavForm F(GetParam(), 30);
    TdaNavButton* Next = F.Button(nbsNext);
    MouseDownMessage(F.Nav, F.Centre(nbsNext));
    ASSERT_NE(Next->RepeatTimer(), nullptr);
    EXPECT_EQ(Next->RepeatTimer()->Interval(), 500u);
    EXPECT_EQ(F.DS->RecNo(), 1); // nothing before the delay
    for (int K = 0; K < 3; ++K) Next->RepeatTimer()->OnTimer(Next->RepeatTimer());
    EXPECT_EQ(F.DS->RecNo(), 4);
    EXPECT_EQ(Next->RepeatTimer()->Interval(), 100u);
    MouseUpMessage(F.Nav, F.Centre(nbsNext));
    EXPECT_EQ(Next->RepeatTimer(), nullptr);
    EXPECT_EQ(F.DS->RecNo(), 5); // and once more at the release

    // A right press starts the timer, but its first tick finds the left button up.
    MouseDownMessage(F.Nav, F.Centre(nbsNext), mbRight);
    ASSERT_NE(Next->RepeatTimer(), nullptr);
    Next->RepeatTimer()->OnTimer(Next->RepeatTimer());
    EXPECT_EQ(Next->RepeatTimer(), nullptr);
    EXPECT_EQ(F.DS->RecNo(), 5);
    MouseUpMessage(F.Nav, F.Centre(nbsNext), mbRight);

    // Leaving a held button stops the repeat; coming back starts the full delay again.
    TdaNavButton* Prior = F.Button(nbsPrior);
    MouseDownMessage(F.Nav, F.Centre(nbsPrior));
    ASSERT_NE(Prior->RepeatTimer(), nullptr);
    Prior->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Prior));
    EXPECT_EQ(Prior->RepeatTimer(), nullptr);
    Prior->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Prior));
    ASSERT_NE(Prior->RepeatTimer(), nullptr);
    EXPECT_EQ(Prior->RepeatTimer()->Interval(), 500u);
    MouseUpMessage(F.Nav, F.Centre(nbsPrior));
    EXPECT_EQ(F.DS->RecNo(), 4);
    // Buttons that do not repeat start no timer.
    MouseDownMessage(F.Nav, F.Centre(nbsRefresh));
    EXPECT_EQ(F.Button(nbsRefresh)->RepeatTimer(), nullptr);
    MouseUpMessage(F.Nav, F.Centre(nbsRefresh));
}

TEST_P(NavigatorBound, PageButtonsMoveByTheSizeOfTheSettingWhileTheirHintsShowIt) {
    TNavForm F(GetParam(), 30);
    F.Nav->SetMoveBy(-5);
    EXPECT_EQ(F.Button(nbsNextPage)->Hint(), u"Move forward 10 records"); // the old text has no "%d" left
    F.Nav->SetOptions({noConfirmDelete, noUseInternationalText});
    F.Button(nbsNextPage)->SetStyle(nbsNextPage);
    F.Button(nbsPriorPage)->SetStyle(nbsPriorPage);
    EXPECT_EQ(F.Button(nbsNextPage)->Hint(), u"Move forward -5 records");
    EXPECT_EQ(F.Button(nbsPriorPage)->Hint(), u"Move backward -5 records");
    F.Click(nbsNextPage);
    EXPECT_EQ(F.DS->RecNo(), 6);
    F.Click(nbsPriorPage);
    EXPECT_EQ(F.DS->RecNo(), 1);
}

TEST_P(NavigatorBound, UpdateStateHandlersOverrideTheRulesAndTheirErrorsAreSwallowed) {
    TNavForm F(GetParam(), 5);
    TdaNavButton* First = F.Button(nbsFirst);
    int Rows = 0;
    First->OnRowChanged = [&](TObject*) { ++Rows; };
    F.DS->Next();
    F.DS->First();
    EXPECT_EQ(Rows, 2);
    EXPECT_FALSE(First->Enabled());
    // A handler that changes Enabled has the last word for that update.
    First->OnUpdateState = [](TdaDBNavigator*, TdaNavButton* B, TdaUpdateCause) { B->SetEnabled(true); };
    F.Nav->Buttons()->UpdateButtonsState(usOther);
    EXPECT_TRUE(First->Enabled()); // the rule would disable it on the first record
    TdaNavButton* Last = F.Button(nbsLast);
    Last->OnUpdateState = [](TdaDBNavigator*, TdaNavButton*, TdaUpdateCause) { throw Exception(u"boom"); };
    F.DS->Last();
    EXPECT_TRUE(Last->Enabled()); // left as the handler left it
}

TEST_P(NavigatorBound, DialogButtonsFindOrMakeTheirDialogOnce) {
    TNavForm F(GetParam(), 5);
    F.Nav->Buttons()->AddOrvelleDialogs();
    ASSERT_EQ(F.Nav->Buttons()->Count(), 18);
    EXPECT_EQ(F.Button(nbsSearchDialog)->Hint(), u"Search the dataset");
    EXPECT_EQ(F.Button(nbsRecordViewDialog)->Hint(), u"View current record");
    for (TdaNavButtonStyle S : {nbsFilterDialog, nbsRecordViewDialog, nbsLocateDialog, nbsSearchDialog})
        EXPECT_TRUE(F.Button(S)->Enabled()) << S;
    // No filter dialog is part of this program: the button has nothing to run.
    F.Click(nbsFilterDialog);
    EXPECT_EQ(F.Button(nbsFilterDialog)->Dialog(), nullptr);

    RegisterClass(TdaSearchDialog::StaticClass());
    std::vector<TdaCustomDialog*> Made;
    F.Button(nbsSearchDialog)->OnAfterCreateDialog = [&](TdaCustomDialog* D) { Made.push_back(D); };
    F.Click(nbsSearchDialog);
    F.Click(nbsSearchDialog);
    ASSERT_EQ(Made.size(), 1u);
    auto* Search = dynamic_cast<TdaSearchDialog*>(Made[0]);
    ASSERT_NE(Search, nullptr);
    EXPECT_EQ(Search->Owner(), F.Nav);
    EXPECT_EQ(Search->SearchTable(), F.DS);
    EXPECT_EQ(Search->Runs, 2);
    EXPECT_EQ(F.Button(nbsSearchDialog)->Dialog(), Search);

    // A dialog set on a custom button turns it into a button of the dialog's kind.
    TdaNavButton* Custom = F.Nav->Buttons()->Add(nbsCustom);
    auto* Other = new TdaSearchDialog(&F.Form);
    Other->SetSearchTable(F.DS);
    Custom->SetDialog(Other);
    EXPECT_EQ(Custom->Style(), nbsSearchDialog);
    Custom->Click();
    EXPECT_EQ(Other->Runs, 1);
    // A dialog without a dataset disables its button; a dialog that goes is forgotten.
    auto* Locate = new TdaLocateDialog(&F.Form);
    Custom->SetDialog(Locate);
    EXPECT_EQ(Custom->Style(), nbsLocateDialog);
    EXPECT_FALSE(Custom->Enabled());
    delete Locate;
    EXPECT_EQ(Custom->Dialog(), nullptr);
    EXPECT_TRUE(Custom->Enabled());
}

TEST(Navigator, LayoutsPlaceAndSizeTheButtons) {
    TForm Form(nullptr);
    auto* Nav = new TdaDBNavigator(&Form);
    Nav->SetParent(&Form);
    Nav->SetAutosizeStyle(asNone);
    Nav->SetBounds(0, 0, 200, 60);
    Nav->Buttons()->CreateDefaultButtons();
    Nav->Buttons()->UpdateButtonsRect();
    for (int I = 0; I < 14; ++I) {
        TdaNavButton* B = Nav->Buttons()->Buttons(I);
        EXPECT_EQ(B->BoundsRect(), Bounds(I < 8 ? 25 * I : 25 * (I - 8), I < 8 ? 0 : 25, 25, 25)) << I;
    }
    // A line break starts a new row though there is room.
    Nav->Buttons()->Buttons(3)->SetLineBreak(true);
    EXPECT_EQ(Nav->Buttons()->Buttons(3)->BoundsRect(), Bounds(0, 25, 25, 25));
    EXPECT_EQ(Nav->Buttons()->Buttons(10)->BoundsRect(), Bounds(175, 25, 25, 25));
    EXPECT_EQ(Nav->Buttons()->Buttons(11)->BoundsRect(), Bounds(0, 50, 25, 25));
    Nav->Buttons()->Buttons(3)->SetLineBreak(false);

    // Sized to the buttons: four visible ones share 103 pixels.
    Nav->SetVisibleButtons({nbsFirst, nbsPrior, nbsNext, nbsLast});
    EXPECT_EQ(Nav->Buttons()->Count(), 14);
    EXPECT_EQ(Nav->Buttons()->VisibleCount(), 4);
    Nav->SetBounds(0, 0, 103, 25);
    Nav->SetAutosizeStyle(asSizeNavButtons);
    std::vector<int> Widths;
    for (int I = 0; I < 4; ++I) {
        EXPECT_EQ(Nav->Buttons()->VisibleButtons(I)->Height(), 25);
        Widths.push_back(Nav->Buttons()->VisibleButtons(I)->Width());
    }
    EXPECT_EQ(Widths, (std::vector<int>{26, 26, 26, 25}));
    EXPECT_THROW(Nav->Buttons()->VisibleButtons(4), EInvalidOperation);

    // The navigator sized to its buttons; a new style is added last.
    Nav->SetAutosizeStyle(asSizeNavigator);
    Nav->SetVisibleButtons({nbsFirst, nbsPrior, nbsNext, nbsLast, nbsSearchDialog});
    ASSERT_EQ(Nav->Buttons()->Count(), 15);
    EXPECT_EQ(Nav->Buttons()->Buttons(14)->Style(), nbsSearchDialog);
    EXPECT_EQ(Nav->VisibleButtons(), (TdaNavButtonNavStylesEx{nbsFirst, nbsPrior, nbsNext, nbsLast, nbsSearchDialog}));
    EXPECT_EQ(Nav->Buttons()->VisibleButtons(4), Nav->Buttons()->Buttons(14));
    // It did not fit beside the others (103 pixels): a second row, and the navigator grew.
    EXPECT_EQ(Nav->Buttons()->Buttons(14)->BoundsRect(), Bounds(0, 25, 25, 25));
    EXPECT_EQ(Nav->Height(), 50);

    // Vertical: one column.
    Nav->SetVisibleButtons({nbsFirst, nbsLast});
    Nav->SetBounds(0, 0, 25, 200);
    Nav->SetAutosizeStyle(asNone);
    Nav->SetLayout(nlVertical);
    EXPECT_EQ(Nav->Buttons()->VisibleButtons(1)->Top(), Nav->Buttons()->VisibleButtons(0)->Height());
    EXPECT_EQ(Nav->Buttons()->VisibleButtons(1)->Left(), 0);
}

TEST(Navigator, NamesHintsAndStylesOfButtons) {
    TForm Form(nullptr);
    auto* Nav = new TdaDBNavigator(&Form);
    Nav->SetName(u"Nav1");
    Nav->SetParent(&Form);
    Nav->SetBounds(0, 0, 300, 25);
    Form.SetComponentState(TComponentState{csDesigning});
    Nav->SetComponentState(TComponentState{csDesigning});
    TdaNavButton* A = Nav->Buttons()->Add(nbsFirst);
    TdaNavButton* B = Nav->Buttons()->Add(nbsFirst);
    TdaNavButton* C = Nav->Buttons()->Add(nbsCustom);
    Nav->SetComponentState({});
    Form.SetComponentState({});
    EXPECT_EQ(A->Name(), u"Nav1First");
    EXPECT_EQ(B->Name(), u"Nav1First1");
    EXPECT_EQ(C->Name(), u"Nav1Button");
    C->SetName(u"Custom");
    Nav->SetName(u"Nav2");
    EXPECT_EQ(A->Name(), u"Nav2First");
    EXPECT_EQ(B->Name(), u"Nav2First1");
    EXPECT_EQ(C->Name(), u"Custom");

    // A hint of the button's own survives a change of style unless the navigator asks for
    // the library's texts.
    A->SetHint(u"Start");
    A->SetStyle(nbsLast);
    EXPECT_EQ(A->Hint(), u"Start");
    Nav->SetOptions({noUseInternationalText});
    A->SetStyle(nbsEdit);
    EXPECT_EQ(A->Hint(), u"Edit current record");
    daGlobalIntl->Navigator()->Hints()->EditHint = u"Change it";
    A->SetStyle(nbsEdit);
    EXPECT_EQ(A->Hint(), u"Change it");
    daGlobalIntl->Navigator()->Hints()->EditHint = u"Edit current record";

    // The built-in glyph pair of the style, or an image of the navigator's list.
    EXPECT_EQ(A->ImageIndex(), -1);
    EXPECT_EQ(A->ImageList(), TdaDBNavigator::GlyphList());
    EXPECT_EQ(A->ShownImageIndex(), 2 * nbsEdit + 1); // disabled: no data yet
    EXPECT_EQ(A->NumGlyphs(), 2);
    TImageList Images(nullptr);
    Nav->SetImageList(&Images);
    A->SetImageIndex(0);
    EXPECT_EQ(A->ImageIndex(), 0);
    EXPECT_EQ(A->ImageList(), &Images);
    A->SetImageIndex(-1);
    EXPECT_EQ(A->ImageList(), TdaDBNavigator::GlyphList());
    EXPECT_EQ(TdaDBNavigator::GlyphList()->Count(), 36);

    // Moving a button by its index.
    C->SetIndex(0);
    EXPECT_EQ(Nav->Buttons()->Buttons(0), C);
    EXPECT_EQ(C->Left(), 0);
    EXPECT_EQ(A->Left(), 25);
}

TEST(Navigator, RefusesForeignChildrenAndNeedsADataSourceToAct) {
    TForm Form(nullptr);
    auto* Nav = new TdaDBNavigator(&Form);
    Nav->SetParent(&Form);
    auto* Label = new TLabel(&Form);
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { Label->SetParent(Nav); }),
              u"TdaDBNavigator only accepts controls derived from TdaNavButton");
    EXPECT_EQ(Label->Parent(), nullptr);

    // A button placed on another control: an error box, then a silent abort.
    auto* Panel = new TPanel(&Form);
    Panel->SetName(u"Panel1");
    auto* Stray = new TdaNavButton(&Form);
    {
        TQuestionScript Script;
        Script.Answer(mrOk);
        EXPECT_THROW(Stray->SetParent(Panel), EAbort);
        EXPECT_EQ(Script.Last().Text, u"Parent of TdaNavButton must be TdaDBNavigator Panel1");
        EXPECT_EQ(Script.Last().DlgType, mtError);
    }
    // A button of no navigator reports that and aborts.
    {
        TReportedErrors Errors;
        TdaNavButton Lone(nullptr);
        EXPECT_THROW(Lone.Index(), EAbort);
        ASSERT_EQ(Errors.Messages.size(), 1u);
        EXPECT_EQ(Errors.Messages[0], u"Parent propety of TdaNavButton not defined");
    }

    // Without a data source a click runs OnClick and then raises.
    TdaNavButton* Next = Nav->Buttons()->Add(nbsNext);
    int Clicks = 0;
    Next->OnClick = [&](TObject*) { ++Clicks; };
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { Next->Click(); }), u"Error, DataSource not assigned");
    EXPECT_EQ(Clicks, 1);
    auto* Source = new TDataSource(&Form);
    Nav->SetDataSource(Source);
    EXPECT_EQ(ThrownMessage<EInvalidOperation>([&] { Next->Click(); }), u"Field '%s' has no dataset");
    delete Source;
    EXPECT_EQ(Nav->DataSource(), nullptr);
}

TEST(NavigatorPictures, GlyphsShowEnabledAndDisabledButtons) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 460, 60);
    Form.SetColor(clBtnFace);
    TDataSet* DS = MakePeopleDataSet(&Form, dkMemory, NumberedPeople(3));
    auto* Source = new TDataSource(&Form);
    Source->SetDataSet(DS);
    auto* Nav = new TdaDBNavigator(&Form);
    Nav->SetParent(&Form);
    Nav->SetBounds(8, 8, 1, 25);
    Nav->SetDataSource(Source);
    Nav->SetFlat(false);
    Form.Show();
    ProcessMessages();
    Nav->Buttons()->AddOrvelleDialogs();
    ProcessMessages();
    auto Picture = GrabControl(Nav);
    TTempFolder Folder;
    GrabToPng(Picture.get(), Folder, "navigator.png");
    // Dark ink in the middle of an enabled glyph (next), none in a disabled one (first).
    auto Dark = [&](TdaNavButtonStyle S, bool Want) {
        TdaNavButton* B = nullptr;
        for (int I = 0; I < Nav->Buttons()->Count(); ++I)
            if (Nav->Buttons()->Buttons(I)->Style() == S) B = Nav->Buttons()->Buttons(I);
        int N = 0;
        for (int Y = B->Top() + 4; Y < B->Top() + B->Height() - 4; ++Y)
            for (int X = B->Left() + 4; X < B->Left() + B->Width() - 4; ++X) {
                const TColor C = PixelOf(*Picture, X, Y);
                if ((C & 0xFF) + ((C >> 8) & 0xFF) + ((C >> 16) & 0xFF) < 100) ++N;
            }
        EXPECT_EQ(N > 10, Want) << S << ": " << N;
    };
    Dark(nbsNext, true);
    Dark(nbsInsert, true);
    Dark(nbsSearchDialog, true);
    Dark(nbsFirst, false);
    Dark(nbsPost, false);
}
