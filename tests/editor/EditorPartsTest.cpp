#include "editor/EditorParts.h"
#include "editor/MethodChain.h"

#include "platform/base/Strings.h"
#include "support/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Counts the OnChange calls of an object.
struct TChanges {
    int Count = 0;
    template <class T> explicit TChanges(T& Object) {
        Object.OnChange = [this](TObject*) { ++Count; };
    }
};

} // namespace

TEST(Gutter, FormatsLineNumbersRightAligned) {
    struct Case {
        int Line;
        int Digits;
        bool LeadingZeros;
        int Start; // LineNumberStart
        const char16_t* Shown;
    };
    const Case Cases[] = {
        {7, 4, false, 1, u"   7"},     {7, 4, true, 1, u"0007"},   {1, 4, false, 0, u"   0"},
        {1, 4, true, 0, u"0000"},      {1, 4, false, 10, u"  10"}, {12345, 4, false, 1, u"12345"},
        {12345, 4, true, 1, u"12345"}, {5, 2, false, 1, u" 5"},
    };
    for (const Case& C : Cases) {
        TCodeGutter G;
        G.SetDigitCount(C.Digits);
        G.SetLeadingZeros(C.LeadingZeros);
        G.SetLineNumberStart(C.Start);
        EXPECT_EQ(G.FormatLineNumber(C.Line), String(C.Shown)) << C.Line << " start " << C.Start;
    }
}

TEST(Gutter, WidthAndDigitsInEffect) {
    TCodeGutter G;
    EXPECT_EQ(G.RealGutterWidth(8), 30);
    G.SetShowLineNumbers(true);
    EXPECT_EQ(G.RealGutterWidth(8), 16 + 2 + 8 * 4 + 2);
    G.SetVisible(false);
    EXPECT_EQ(G.RealGutterWidth(8), 0);
    EXPECT_EQ(G.Width(), 0);
    G.SetVisible(true);

    TChanges Changes(G);
    G.SetAutoSize(true);
    Changes.Count = 0;
    struct Case {
        int Lines;
        int Digits;
        int Notified;
    };
    const Case Cases[] = {{12345, 5, 1}, {12345, 5, 0}, {99, 4, 1}, {9999999, 7, 1}};
    for (const Case& C : Cases) {
        Changes.Count = 0;
        G.AutoSizeDigitCount(C.Lines);
        EXPECT_EQ(G.AutoSizeDigitCountValue(), C.Digits) << C.Lines;
        EXPECT_EQ(Changes.Count, C.Notified) << C.Lines;
    }
    EXPECT_EQ(G.RealGutterWidth(8), 16 + 2 + 8 * 7 + 2);
    // Without auto-size the digit count in effect goes back, silently.
    G.SetAutoSize(false);
    Changes.Count = 0;
    G.AutoSizeDigitCount(12345);
    EXPECT_EQ(G.AutoSizeDigitCountValue(), 4);
    EXPECT_EQ(Changes.Count, 0);
}

TEST(Gutter, SettersLimitAndNotifyOnlyOnChange) {
    TCodeGutter G;
    TChanges Changes(G);
    struct Case {
        const char* What;
        std::function<void()> Set;
        std::function<int()> Read;
        int Stored;
        int Notified;
    };
    const Case Cases[] = {
        {"DigitCount 20", [&] { G.SetDigitCount(20); }, [&] { return G.DigitCount(); }, 12, 1},
        {"DigitCount 1", [&] { G.SetDigitCount(1); }, [&] { return G.DigitCount(); }, 2, 1},
        {"DigitCount 2 again", [&] { G.SetDigitCount(2); }, [&] { return G.DigitCount(); }, 2, 0},
        {"GradientSteps 1", [&] { G.SetGradientSteps(1); }, [&] { return G.GradientSteps(); }, 2, 1},
        {"LineNumberStart -3", [&] { G.SetLineNumberStart(-3); }, [&] { return G.LineNumberStart(); }, 0, 1},
        {"ZeroStart follows", [] {}, [&] { return int(G.ZeroStart()); }, 1, 0},
        {"LeftOffset -5", [&] { G.SetLeftOffset(-5); }, [&] { return G.LeftOffset(); }, 0, 1},
        {"Width -1", [&] { G.SetWidth(-1); }, [&] { return G.Width(); }, 0, 1},
        {"Width 0 again", [&] { G.SetWidth(0); }, [&] { return G.Width(); }, 0, 0},
        {"Color unchanged", [&] { G.SetColor(clBtnFace); }, [&] { return G.Color(); }, clBtnFace, 0},
        {"BorderStyle unchanged", [&] { G.SetBorderStyle(gbsMiddle); }, [&] { return int(G.BorderStyle()); },
         gbsMiddle, 1},
        {"Font size", [&] { G.Font()->SetSize(12); }, [&] { return G.Font()->Size(); }, 12, 1},
    };
    for (const Case& C : Cases) {
        Changes.Count = 0;
        C.Set();
        EXPECT_EQ(C.Read(), C.Stored) << C.What;
        EXPECT_EQ(Changes.Count, C.Notified) << C.What;
    }
}

TEST(Gutter, AssignCopiesSettingsButTheCursorWithOneNotification) {
    TCodeGutter A, B;
    A.SetShowLineNumbers(true);
    A.SetDigitCount(6);
    A.SetGradient(true);
    A.SetCursor(-2);
    A.Font()->SetName(u"Arial");
    TChanges Changes(B);
    B.Assign(&A);
    EXPECT_EQ(Changes.Count, 1);
    EXPECT_TRUE(B.ShowLineNumbers());
    EXPECT_EQ(B.DigitCount(), 6);
    EXPECT_TRUE(B.Gradient());
    EXPECT_EQ(B.Font()->Name(), u"Arial");
    EXPECT_EQ(B.Cursor(), 0);
    EXPECT_THROW(B.Assign(nullptr), EConvertError);
}

TEST(EditorParts, SmallObjectsNotifyOnChange) {
    TCodeSelectedColor S;
    TChanges SC(S);
    S.SetBackground(clHighlight);
    S.SetForeground(clRed);
    EXPECT_EQ(SC.Count, 1);
    TCodeSelectedColor S2;
    S2.Assign(&S);
    EXPECT_EQ(S2.Foreground(), clRed);

    TCodeBookMarkOpt B;
    TChanges BC(B);
    B.SetLeftMargin(2);
    B.SetXoffset(20);
    B.SetEnableKeys(false);
    B.SetGlyphsVisible(false);
    EXPECT_EQ(BC.Count, 2);
    TCodeBookMarkOpt B2;
    TChanges B2C(B2);
    B2.Assign(&B);
    EXPECT_EQ(B2C.Count, 1);
    EXPECT_EQ(B2.Xoffset(), 20);
    EXPECT_FALSE(B2.EnableKeys());

    TCodeEditHighlighterOptions O, O2;
    O.SetTitle(u"Sketch");
    O.SetAutoDetectLineLimit(7);
    O.SetVisible(true);
    O2.Assign(&O);
    EXPECT_EQ(O2.Title(), u"Sketch");
    EXPECT_EQ(O2.AutoDetectLineLimit(), 7u);
    EXPECT_TRUE(O2.Visible());
}

TEST(EditorParts, InternalImagesShareOneStripAndDrawInTheLine) {
    const int Before = TCodeInternalImage::SharedCount();
    {
        TCodeInternalImage A(u"CodeEditInternalImages", 10);
        TCodeInternalImage B(u"codeeditinternalimages", 10);
        EXPECT_EQ(A.Images(), B.Images());
        EXPECT_EQ(TCodeInternalImage::SharedCount(), Before + 1);
        EXPECT_EQ(A.Width(), 11);
        EXPECT_EQ(A.Height(), 14);
        TTempFolder Dir;
        auto All = NewCanvasBitmap(10 * 11, 14, clWhite);
        for (int N = 0; N < 10; ++N)
            A.Draw(All->Canvas(), N, N * 11, 0, 14);
        GrabToPng(All.get(), Dir, "bookmark-images.png");

        // A taller line centres the image; a lower one shows its middle rows.
        struct Case {
            int LineHeight;
            int Top, Bottom; // rows the image covers
        };
        for (const Case& C : {Case{20, 3, 17}, Case{14, 0, 14}, Case{10, 0, 10}}) {
            auto Bm = NewCanvasBitmap(30, 30, clWhite);
            A.Draw(Bm->Canvas(), 3, 5, 0, C.LineHeight);
            const TRect Box = InkBox(Bm->Canvas(), Rect(0, 0, 30, 30));
            EXPECT_EQ(Box, Rect(5, C.Top, 16, C.Bottom)) << C.LineHeight;
        }
        auto Bm = NewCanvasBitmap(30, 20, clWhite);
        A.Draw(Bm->Canvas(), 10, 0, 0, 14);
        A.Draw(Bm->Canvas(), -1, 0, 0, 14);
        EXPECT_TRUE(InkBox(Bm->Canvas(), Rect(0, 0, 30, 20)).IsEmpty())
            << "numbers outside 0..9 draw nothing";
        // Transparent drawing leaves the strip's background colour out.
        A.DrawTransparent(Bm->Canvas(), 1, 0, 0, 14, clBtnFace);
        ExpectPixels(Bm->Canvas(), {{0, 0, clWhite}, {1, 1, clNavy}, {5, 11, clWhite}, {5, 10, clNavy}});
    }
    EXPECT_EQ(TCodeInternalImage::SharedCount(), Before);
    EXPECT_THROW(TCodeInternalImage(u"NoSuchPicture", 1), EInvalidOperation);
}

TEST(EditorParts, GlyphPrefersTheUserPictureAndLeavesItsMaskOut) {
    TCodeGlyph G(u"CodeEditWrapped", clLime);
    TChanges Changes(G);
    EXPECT_EQ(G.Width(), 11);
    auto Bm = NewCanvasBitmap(20, 20, clWhite);
    G.Draw(Bm->Canvas(), 0, 0, 14);
    ExpectPixels(Bm->Canvas(), {{0, 0, clWhite}, {8, 2, clNavy}}, "internal glyph, lime left out");

    TBitmap User(4, 4);
    User.Canvas()->Brush()->SetColor(clRed);
    User.Canvas()->FillRect(Rect(0, 0, 4, 4));
    G.SetGlyph(&User);
    EXPECT_GE(Changes.Count, 1);
    EXPECT_EQ(G.Width(), 4);
    G.SetMaskColor(clRed);
    auto Bm2 = NewCanvasBitmap(20, 20, clWhite);
    G.Draw(Bm2->Canvas(), 0, 0, 4);
    EXPECT_TRUE(InkBox(Bm2->Canvas(), Rect(0, 0, 20, 20)).IsEmpty());

    TCodeGlyph Copy;
    Copy.Assign(&G);
    EXPECT_EQ(Copy.Width(), 4);
    EXPECT_NE(Copy.Glyph(), G.Glyph()) << "each glyph owns its pictures";
    EXPECT_NE(Copy.InternalGlyph(), nullptr);
}

TEST(EditorParts, GradientBands) {
    struct Case {
        int Steps;
        bool Horizontal;
        std::vector<TPixelCheck> Checks;
    };
    const Case Cases[] = {
        {2, true, {{0, 0, clBlack}, {4, 3, clBlack}, {5, 0, clRed}, {9, 3, clRed}}},
        {4,
         false,
         {{0, 0, RGB(0, 0, 0)}, {0, 3, RGB(85, 0, 0)}, {9, 5, RGB(170, 0, 0)}, {0, 9, RGB(255, 0, 0)}}},
        {1, true, {{0, 0, clBlack}, {9, 0, clRed}}}, // at least two bands
    };
    for (const Case& C : Cases) {
        auto Bm = NewCanvasBitmap(12, 12, clWhite);
        DrawGradientBands(Bm->Canvas(), clBlack, clRed, C.Steps, Rect(0, 0, 10, 10), C.Horizontal);
        for (const TPixelCheck& P : C.Checks)
            ExpectPixels(Bm->Canvas(), {P}, "steps " + std::to_string(C.Steps));
        ExpectPixels(Bm->Canvas(), {{10, 0, clWhite}, {0, 10, clWhite}});
    }
}

namespace {

struct TListener : TObject {
    std::vector<std::string>* Log;
    std::string Name;
    bool Fail = false;
    TListener(std::vector<std::string>* ALog, std::string AName, bool AFail = false)
        : Log(ALog), Name(std::move(AName)), Fail(AFail) {}
    void Changed(TObject*) {
        Log->push_back(Name);
        if (Fail) throw Exception(u"failed");
    }
};

} // namespace

TEST(MethodChain, FiresInOrderAndHandlesFailingEntries) {
    enum Handling { NoHandler, GoOn, Stop, Throws };
    struct Case {
        Handling How;
        std::vector<std::string> Called;
        const char16_t* Raised; // nullptr: nothing reaches the caller
    };
    const Case Cases[] = {
        {NoHandler, {"first"}, u"failed"},
        {GoOn, {"first", "second"}, nullptr},
        {Stop, {"first"}, nullptr},
        {Throws,
         {"first"},
         u"TCodeNotifyEventChain.DoHandleException : MUST NOT occur any kind of exception in "
         u"ExceptionHandler"},
    };
    for (const Case& C : Cases) {
        std::vector<std::string> Log;
        TListener First(&Log, "first", true), Second(&Log, "second");
        TObject Sender;
        TCodeNotifyEventChain Chain(&Sender);
        Chain.Add(TCodeNotifyMethod(&First, &TListener::Changed));
        Chain.Add(TCodeNotifyMethod(&Second, &TListener::Changed));
        TObject* HandlerSender = nullptr;
        if (C.How != NoHandler)
            Chain.ExceptionHandler = [&](TObject* S, Exception&, bool& DoContinue) {
                HandlerSender = S;
                if (C.How == Throws) throw Exception(u"again");
                DoContinue = C.How == GoOn;
            };
        String Raised;
        try {
            Chain.Fire();
        } catch (const Exception& E) {
            Raised = E.Message();
        }
        EXPECT_EQ(Log, C.Called) << int(C.How);
        EXPECT_EQ(Raised, String(C.Raised ? C.Raised : u"")) << int(C.How);
        if (C.How != NoHandler) {
            EXPECT_EQ(HandlerSender, &Sender);
        }
    }
}

TEST(MethodChain, RemoveTakesEveryEqualEntryAndUnassignedIsRefused) {
    std::vector<std::string> Log;
    TListener A(&Log, "a"), B(&Log, "b");
    TCodeNotifyEventChain Chain;
    Chain.Add(TCodeNotifyMethod(&A, &TListener::Changed));
    Chain.Add(TCodeNotifyMethod(&B, &TListener::Changed));
    Chain.Add(TCodeNotifyMethod(&A, &TListener::Changed));
    Chain.Remove(TCodeNotifyMethod(&A, &TListener::Changed));
    Chain.Fire();
    EXPECT_EQ(Log, std::vector<std::string>{"b"});
    try {
        Chain.Add(TCodeNotifyMethod());
        FAIL();
    } catch (const ECodeMethodChain& E) {
        EXPECT_EQ(E.Message(), u"TCodeNotifyEventChain.Entry : the parameter `AEvent' must be specified.");
    }
    try {
        Chain.Remove(TCodeNotifyMethod());
        FAIL();
    } catch (const ECodeMethodChain& E) {
        EXPECT_EQ(E.Message(), u"TCodeNotifyEventChain.Remove: the parameter `AEvent' must be specified.");
    }
}
