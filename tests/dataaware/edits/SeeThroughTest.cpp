// What lies under the edits: a transparent edit shows its parent's painting, a list combo with
// themes wears a push-button frame, and a pressed see-through button has the parent painted
// under it first, without painting itself again meanwhile.
#include "dataaware/edits/daDBCombo.h"
#include "dataaware/edits/daDBSpinEdit.h"
#include "EditTestSupport.h"
#include "support/GraphicsTestSupport.h"

#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <functional>

namespace {

// A parent that paints red and blue stripes four pixels wide, and tells each painting.
class TStripes : public TCustomControl {
public:
    explicit TStripes(TComponent* AOwner) : TCustomControl(AOwner) {}
    std::function<void()> OnPainted;

protected:
    void Paint() override {
        const TRect R = ClientRect();
        for (int X = R.Left; X < R.Right; X += 4) {
            Canvas()->Brush()->SetColor((X / 4) % 2 ? clBlue : clRed);
            Canvas()->FillRect(TRect(X, R.Top, X + 4, R.Bottom));
        }
        if (OnPainted) OnPainted();
    }
};

TColor StripeAt(int X) { return (X / 4) % 2 ? clBlue : clRed; }

class TThemes {
public:
    explicit TThemes(bool On) : FOld(IsThemeActive()) { SetThemeActive(On); }
    ~TThemes() { SetThemeActive(FOld); }

private:
    bool FOld;
};

} // namespace

TEST(EditSeeThrough, ATransparentEditShowsItsParentsPaintingAroundItsText) {
    TEditLocale Locale;
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 300, 160);
    auto* Back = new TStripes(&Form);
    Back->SetParent(&Form);
    Back->SetBounds(0, 0, 280, 100);
    auto* Clear = new TdaDBEdit(&Form);
    Clear->SetParent(Back);
    Clear->SetBounds(20, 20, 200, 22);
    Clear->SetColor(clWhite);
    Clear->Loaded();
    Clear->SetText(u"see-through");
    Clear->Frame()->SetEnabled(true);
    Clear->Frame()->SetTransparent(true);
    auto* Other = new TEdit(&Form);
    Other->SetParent(&Form);
    Other->SetBounds(10, 110, 100, 21);
    Form.Show();
    Other->SetFocus();
    ProcessMessages();
    ASSERT_TRUE(Clear->isTransparentEffective());

    auto Shot = GrabControl(Back);
    TTempFolder Here;
    GrabToPng(Shot.get(), Here, "edit-see-through.png");
    // Right of the text, inside the edit: the stripes, not the edit's white nor one flat colour.
    for (int X = 150; X < 200; X += 3)
        EXPECT_EQ(PixelOf(*Shot, 20 + X, 20 + 11), StripeAt(20 + X)) << "x " << X;
    int Dark = 0;
    for (int Y = 22; Y < 40; ++Y)
        for (int X = 22; X < 100; ++X) {
            const TColor P = PixelOf(*Shot, X, Y);
            if (P != clRed && P != clBlue) ++Dark;
        }
    EXPECT_GT(Dark, 20) << "the text is drawn over the stripes";

    // The parent painted anew shows through at once.
    Back->Invalidate();
    Back->Update();
    auto Again = GrabControl(Back);
    EXPECT_EQ(PixelOf(*Again, 20 + 180, 31), StripeAt(200));

    // With the focus the edit covers its place to type in.
    Clear->SetFocus();
    ProcessMessages();
    auto Focused = GrabControl(Back);
    EXPECT_EQ(PixelOf(*Focused, 20 + 180, 31), clWhite);
    // Leaving makes it see-through again.
    Other->SetFocus();
    ProcessMessages();
    auto Left = GrabControl(Back);
    EXPECT_EQ(PixelOf(*Left, 20 + 181, 31), StripeAt(201));
}

TEST(EditSeeThrough, AListComboWithThemesWearsAPushButtonFrame) {
    TEditLocale Locale;
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 300, 120);
    Form.SetColor(clWhite);
    auto* Combo = new TdaDBComboBox(&Form);
    Combo->SetParent(&Form);
    Combo->SetBounds(10, 10, 160, 24);
    TStringList Items;
    Items.Add(u"one");
    Items.Add(u"two");
    Combo->SetItems(&Items);
    Combo->SetStyle(csDropDownList);
    Combo->Loaded();
    Combo->SetItemIndex(0);
    Form.Show();
    ProcessMessages();
    struct TCase {
        bool Themes;
        TColor Corner, Bottom; // the frame's outer pixels, top left and bottom middle
    } Cases[] = {{false, clBtnShadow, clBtnHighlight}, {true, clBtnFace, clBtnFace}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Themes ? "themes" : "classic");
        TThemes Themes(C.Themes);
        EXPECT_EQ(Combo->IsThemedListLook(), C.Themes);
        Combo->Invalidate();
        auto Shot = GrabControl(Combo);
        TTempFolder Here;
        GrabToPng(Shot.get(), Here, C.Themes ? "combo-list-themed.png" : "combo-list-classic.png");
        EXPECT_EQ(ColorToRGB(PixelOf(*Shot, 0, 0)), ColorToRGB(C.Corner));
        EXPECT_EQ(ColorToRGB(PixelOf(*Shot, Combo->Width() / 2, Combo->Height() - 1)), ColorToRGB(C.Bottom));
        // The text inside is the combo's own painting, untouched by the frame.
        int Dark = 0;
        for (int Y = 3; Y < Combo->Height() - 3; ++Y)
            for (int X = 3; X < 40; ++X) {
                const TColor P = PixelOf(*Shot, X, Y);
                if ((P & 0xFF) + ((P >> 8) & 0xFF) + ((P >> 16) & 0xFF) < 200) ++Dark;
            }
        EXPECT_GT(Dark, 5) << "the item's text";
    }
}

TEST(EditSeeThrough, APressedSeeThroughButtonHasTheParentPaintedUnderItWhileItSkipsItsOwnPainting) {
    TEditLocale Locale;
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 300, 160);
    auto* Back = new TStripes(&Form);
    Back->SetParent(&Form);
    Back->SetBounds(0, 0, 280, 120);
    auto* Combo = new TdaDBComboBox(&Form);
    Combo->SetParent(Back);
    Combo->SetBounds(10, 10, 160, 22);
    auto* Spin = new TdaDBSpinEdit(&Form);
    Spin->SetParent(Back);
    Spin->SetBounds(10, 50, 160, 22);
    Combo->Loaded();
    Spin->Loaded();
    auto* Other = new TEdit(&Form);
    Other->SetParent(&Form);
    Other->SetBounds(10, 130, 100, 21);
    Form.Show();
    Other->SetFocus();
    ProcessMessages();
    bool SkippedSeen = false;
    Back->OnPainted = [&] { SkippedSeen = SkippedSeen || Combo->SkipUpdate || Spin->SkipUpdate; };

    struct TCase {
        const char* Name;
        bool SeeThrough;
        bool ParentPaintedSkipping;
    } Cases[] = {{"plain", false, false}, {"flat and transparent", true, true}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        for (TdaDBCustomEdit* E : std::initializer_list<TdaDBCustomEdit*>{Combo, Spin}) {
            E->Frame()->SetEnabled(C.SeeThrough);
            E->Frame()->SetTransparent(C.SeeThrough);
        }
        Combo->ButtonEffects()->SetFlat(C.SeeThrough);
        Spin->ButtonEffects()->SetFlat(C.SeeThrough);
        ProcessMessages();
        // The combo's button, then the spin edit's upper half, held down.
        TWinControl* Holders[] = {Combo->Button()->Parent(), Spin->Button()};
        TControl* Buttons[] = {Combo->Button(), Spin->Button()->UpButton()};
        for (int I = 0; I < 2; ++I) {
            SCOPED_TRACE(I == 0 ? "combo" : "spin");
            TControl* B = Buttons[I];
            const TPoint Middle(B->Left() + B->Width() / 2, B->Top() + B->Height() / 2);
            MouseDownMessage(Holders[I], Middle);
            ASSERT_TRUE(B->ControlState().Contains(csLButtonDown));
            ProcessMessages();
            SkippedSeen = false;
            InvalidateRect(Holders[I]->Handle(), nullptr, true);
            Holders[I]->Update();
            EXPECT_EQ(SkippedSeen, C.ParentPaintedSkipping);
            EXPECT_FALSE(Combo->SkipUpdate);
            EXPECT_FALSE(Spin->SkipUpdate);
            MouseUpMessage(Holders[I], TPoint(-50, -50));
            if (Combo->DroppedDown()) Combo->CloseUp(false);
            ProcessMessages();
        }
    }
}
