// Forms of tool bars, panels, splitters, page controls, lists and status bars laid out by
// Align, as the IDE's windows are built: each control made, placed and aligned in turn.
#include "CommonControlsTestSupport.h"

#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

namespace {

enum TKind { kToolBar, kPanel, kSplitter, kPages, kList, kStatus, kProgress };

struct TPart {
    TKind Kind;
    TAlign Align;
    TRect Bounds; // before alignment (where a designer left it)
    TRect Expected;
};

struct TLayoutCase {
    const char* Name;
    std::vector<TPart> Parts;
};

// The form's client area is 800 x 500.
// clang-format off
const TLayoutCase LayoutCases[] = {
    // The main window: tool bar, left pane, blue splitter, editor pages, right bar, status.
    {"MainWindow",
     {{kToolBar, alTop, Bounds(0, 0, 800, 36), Rect(0, 0, 800, 36)},
      {kStatus, alBottom, Bounds(0, 480, 800, 19), Rect(0, 481, 800, 500)},
      {kPanel, alLeft, Bounds(0, 36, 313, 400), Rect(0, 36, 313, 481)},
      {kSplitter, alLeft, Bounds(313, 36, 3, 400), Rect(313, 36, 316, 481)},
      {kPanel, alRight, Bounds(700, 36, 23, 400), Rect(777, 36, 800, 481)},
      {kPages, alClient, Bounds(316, 36, 400, 400), Rect(316, 36, 777, 481)}}},
    // An editor page from the bottom up: the thin progress bar, the error list, the splitter,
    // and the editor filling the rest.
    {"EditorPage",
     {{kProgress, alBottom, Bounds(0, 0, 150, 1), Rect(0, 499, 800, 500)},
      {kList, alBottom, Bounds(0, 0, 150, 50), Rect(0, 449, 800, 499)},
      {kSplitter, alBottom, Bounds(0, 0, 150, 3), Rect(0, 446, 800, 449)},
      {kPanel, alClient, Bounds(0, 0, 150, 50), Rect(0, 0, 800, 446)}}},
    // The editor frame: an info panel with its tool bar on top, the status bar, a list on the
    // right behind a splitter.
    {"EditorFrame",
     {{kPanel, alTop, Bounds(0, 0, 800, 25), Rect(0, 0, 800, 25)},
      {kStatus, alBottom, Bounds(0, 480, 800, 19), Rect(0, 481, 800, 500)},
      {kList, alRight, Bounds(680, 25, 120, 400), Rect(680, 25, 800, 481)},
      {kSplitter, alRight, Bounds(600, 25, 3, 400), Rect(677, 25, 680, 481)},
      {kPanel, alClient, Bounds(0, 25, 100, 100), Rect(0, 25, 677, 481)}}},
    // A vertical tool bar in a column of its own, beside a list.
    {"VerticalToolBar",
     {{kToolBar, alLeft, Bounds(0, 0, 25, 500), Rect(0, 0, 25, 500)},
      {kList, alClient, Bounds(30, 0, 100, 100), Rect(25, 0, 800, 500)}}},
};
// clang-format on

class CommonLayout : public ::testing::TestWithParam<TLayoutCase> {};

TControl* MakePart(TKind Kind, TForm* Form) {
    switch (Kind) {
    case kToolBar: {
        auto* Bar = new TToolBar(Form);
        Bar->SetButtonWidth(31);
        Bar->SetButtonHeight(30);
        return Bar;
    }
    case kPanel:
        return new TPanel(Form);
    case kSplitter: {
        auto* S = new TSplitter(Form);
        S->SetColor(clBlue);
        return S;
    }
    case kPages: {
        auto* P = new TPageControl(Form);
        for (int I = 0; I < 2; ++I) {
            auto* S = new TTabSheet(Form);
            S->SetPageControl(P);
        }
        return P;
    }
    case kList: {
        auto* L = new TListBox(Form);
        L->Items()->Add(u"Blink.ino:12: error");
        return L;
    }
    case kStatus:
        return new TStatusBar(Form);
    case kProgress:
        return new TProgressBar(Form);
    }
    return nullptr;
}

} // namespace

TEST_P(CommonLayout, ArrangesByAlign) {
    const TLayoutCase& K = GetParam();
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 800, 500);
    std::vector<TControl*> Parts;
    for (const TPart& P : K.Parts) {
        // Its stored properties first, then its place in the form.
        TControl* C = MakePart(P.Kind, &Form);
        C->SetAlign(P.Align);
        C->SetBoundsRect(P.Bounds);
        C->SetParent(&Form);
        Parts.push_back(C);
    }
    for (std::size_t I = 0; I < Parts.size(); ++I)
        EXPECT_EQ(Parts[I]->BoundsRect(), K.Parts[I].Expected) << "part " << I;
    // The pages of a page control fill its display area.
    for (TControl* C : Parts)
        if (auto* P = dynamic_cast<TPageControl*>(C)) {
            EXPECT_EQ(P->ActivePage()->BoundsRect(), P->DisplayRect());
            EXPECT_EQ(P->DisplayRect(), Rect(4, P->TabRect(0).Bottom + 4, P->Width() - 4, P->Height() - 4));
        }
    EXPECT_FALSE(Form.HandleAllocated());
    // Shown, the windows sit where the layout put them, and a larger form stretches them.
    Form.Show();
    for (std::size_t I = 0; I < Parts.size(); ++I) {
        if (auto* W = dynamic_cast<TWinControl*>(Parts[I])) {
            EXPECT_EQ(FromQt(WindowOf(W)->geometry()), K.Parts[I].Expected) << "window " << I;
        }
    }
    Form.SetBounds(0, 0, 900, 600);
    for (std::size_t I = 0; I < Parts.size(); ++I) {
        const TRect E = K.Parts[I].Expected;
        const TRect R = Parts[I]->BoundsRect();
        switch (K.Parts[I].Align) {
        case alTop:
            EXPECT_EQ(R, Rect(E.Left, E.Top, E.Right + 100, E.Bottom)) << "part " << I;
            break;
        case alBottom:
            EXPECT_EQ(R, Rect(E.Left, E.Top + 100, E.Right + 100, E.Bottom + 100)) << "part " << I;
            break;
        case alLeft:
            EXPECT_EQ(R.Width(), E.Width()) << "part " << I;
            break;
        case alRight:
            EXPECT_EQ(R.Right, E.Right + 100) << "part " << I;
            break;
        default:
            EXPECT_EQ(R.Width(), E.Width() + 100) << "part " << I;
            break;
        }
    }
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(CommonControls, CommonLayout, ::testing::ValuesIn(LayoutCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });
