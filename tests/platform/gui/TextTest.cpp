// Fonts at 96 DPI, text out, per-character advances and DrawText.
#include "support/GraphicsTestSupport.h"

namespace {

// A bitmap canvas with "Courier New" 10 points (Liberation Mono: cells of 8 x 15 pixels).
std::unique_ptr<TBitmap> MonoCanvas(int W, int H) {
    auto B = NewCanvasBitmap(W, H);
    TFont* F = B->Canvas()->Font();
    F->SetName(u"Courier New");
    F->SetSize(10);
    F->SetColor(clBlack);
    B->Canvas()->Brush()->SetStyle(bsClear);
    return B;
}

} // namespace

TEST(Fonts, SizeAndHeightAt96Dpi) {
    TFont F;
    EXPECT_EQ(U8(F.Name()), "Tahoma");
    EXPECT_EQ(F.Size(), 8);
    EXPECT_EQ(F.Height(), -11);
    EXPECT_EQ(F.Color(), clWindowText);
    EXPECT_EQ(F.Charset(), DEFAULT_CHARSET);
    int Changes = 0;
    F.OnChange = [&](TObject*) { ++Changes; };
    F.SetSize(10);
    EXPECT_EQ(F.Height(), -13);
    F.SetHeight(-16);
    EXPECT_EQ(F.Size(), 12);
    F.SetHeight(-16); // unchanged: no notification
    F.SetStyle({fsBold});
    EXPECT_EQ(Changes, 3);

    TFont Copy;
    Copy.Assign(&F);
    EXPECT_EQ(Copy.Height(), -16);
    EXPECT_EQ(Copy.Style(), TFontStyles({fsBold}));
}

TEST(Fonts, NamesMapToTheInstalledFamiliesAndStayAsGiven) {
    struct Row {
        const char16_t* Name;
        const char* Family;
    };
    const Row Rows[] = {{u"Courier New", "Liberation Mono"}, {u"courier new", "Liberation Mono"},
                        {u"Arial", "Liberation Sans"},       {u"MS Sans Serif", "Liberation Sans"},
                        {u"Tahoma", "Tahoma"},               {u"Comic Sans MS", "Comic Neue"},
                        {u"No Such Font", "DejaVu Sans"}};
    for (const Row& R : Rows) {
        TFont F;
        F.SetName(R.Name);
        EXPECT_EQ(U8(F.Name()), U8(R.Name));
        EXPECT_EQ(U8(F.FamilyName()), R.Family) << U8(R.Name);
    }
    // The metrics are those of the families: Arial and MS Sans Serif measure alike, Tahoma
    // otherwise.
    auto Width = [](const char16_t* Name) {
        TCanvas C;
        C.Font()->SetName(Name);
        C.Font()->SetSize(10);
        return C.TextWidth(u"iiiiWWWWmmmm, the quick brown fox");
    };
    EXPECT_EQ(Width(u"Arial"), Width(u"MS Sans Serif"));
    EXPECT_NE(Width(u"Arial"), Width(u"Tahoma"));
    // Tahoma, the forms' default, is the narrow face their layouts were made for, not a wide
    // stand-in.
    EXPECT_LT(Width(u"Tahoma") * 10, Width(u"DejaVu Sans") * 9);
}

TEST(Fonts, CourierNewIsMonospacedWithLiberationMetrics) {
    auto B = MonoCanvas(10, 10);
    TCanvas* C = B->Canvas();
    for (const char16_t* S : {u"i", u"W", u"M", u".", u" ", u"@", u"0"})
        EXPECT_EQ(C->TextWidth(S), 8) << U8(S);
    EXPECT_EQ(C->TextWidth(u"Hello, World"), 12 * 8);
    EXPECT_EQ(C->TextExtent(u"").cy, 15);
    TTextMetric M;
    ASSERT_TRUE(C->GetTextMetrics(M));
    EXPECT_EQ(M.tmHeight, 15);
    EXPECT_EQ(M.tmAscent + M.tmDescent, M.tmHeight);
    EXPECT_EQ(M.tmHeight - M.tmInternalLeading, 13); // the character height is the em size
    EXPECT_EQ(M.tmAveCharWidth, 8);
    EXPECT_EQ(M.tmPitchAndFamily & TMPF_FIXED_PITCH, 0); // the bit set means variable pitch
    TABC ABC[2];
    ASSERT_TRUE(C->GetCharABCWidths(u'W', u'X', ABC));
    for (const TABC& W : ABC)
        EXPECT_EQ(W.abcA + int(W.abcB) + W.abcC, 8);

    C->Font()->SetName(u"Arial");
    ASSERT_TRUE(C->GetTextMetrics(M));
    EXPECT_NE(M.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
    EXPECT_LT(C->TextWidth(u"i"), C->TextWidth(u"W"));
}

TEST(Text, TextDrawnInAColourLandsInsideItsExtent) {
    for (TFontStyles Style : {TFontStyles(), TFontStyles({fsBold, fsItalic}), TFontStyles({fsUnderline})}) {
        auto B = MonoCanvas(120, 40);
        TCanvas* C = B->Canvas();
        C->Font()->SetName(u"Arial");
        C->Font()->SetColor(clRed);
        C->Font()->SetStyle(Style);
        C->TextOut(5, 7, u"Hgjq World");
        const TSize Ext = C->TextExtent(u"Hgjq World");
        const TRect Ink = InkBox(C, Rect(0, 0, 120, 40));
        ASSERT_FALSE(Ink.IsEmpty());
        EXPECT_GE(Ink.Left, 5);
        EXPECT_GE(Ink.Top, 7);
        EXPECT_LE(Ink.Right, 5 + Ext.cx + 1); // an italic may lean one pixel out
        EXPECT_LE(Ink.Bottom, 7 + Ext.cy);
        EXPECT_GT(Ink.Width(), Ext.cx / 2);
        bool Red = false;
        for (int Y = Ink.Top; Y < Ink.Bottom && !Red; ++Y)
            for (int X = Ink.Left; X < Ink.Right && !Red; ++X)
                Red = C->Pixels(X, Y) == clRed;
        EXPECT_TRUE(Red) << "some pixel in the font colour";
    }
}

TEST(Text, OrientationTurnsTheText) {
    auto B = MonoCanvas(60, 120);
    TCanvas* C = B->Canvas();
    C->Font()->SetOrientation(900); // upwards, from the starting point
    C->TextOut(10, 100, u"Hello");
    const TRect Ink = InkBox(C, Rect(0, 0, 60, 120));
    ASSERT_FALSE(Ink.IsEmpty());
    EXPECT_GT(Ink.Height(), 3 * Ink.Width());
    EXPECT_LE(Ink.Bottom, 101);
    EXPECT_GE(Ink.Top, 100 - 5 * 8 - 1);
    EXPECT_GE(Ink.Left, 10);
}

TEST(Text, OpaqueTextFillsItsCellAndTextRectClips) {
    auto B = MonoCanvas(100, 40);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clYellow);
    C->TextOut(10, 10, u"ab");
    ExpectPixels(C, {{10, 10, clYellow}, {25, 24, clYellow}, {26, 10, clWhite}, {10, 25, clWhite}}, "cell");

    C->Brush()->SetColor(clAqua);
    C->TextRect(Rect(50, 5, 60, 20), 50, 5, u"WWWWWW");
    ExpectPixels(C, {{50, 5, clAqua}, {59, 19, clAqua}, {60, 5, clWhite}}, "text rect");
    EXPECT_LE(InkBox(C, Rect(45, 0, 100, 40)).Right, 60);
}

TEST(Text, PerCharacterAdvancesPlaceEachGlyph) {
    auto B = MonoCanvas(200, 30);
    TCanvas* C = B->Canvas();
    const String Text = u"ABCDE";
    const int Dx[5] = {20, 30, 15, 25, 20};
    C->ExtTextOut(10, 5, 0, nullptr, Text, Dx);
    int X = 10;
    for (int I = 0; I < 5; ++I) {
        // Each glyph's ink lies in its own cell of 8 pixels at its position.
        const TRect Ink = InkBox(C, Rect(X, 0, X + Dx[I], 30));
        EXPECT_FALSE(Ink.IsEmpty()) << "glyph " << I;
        EXPECT_GE(Ink.Left, X) << "glyph " << I;
        EXPECT_LE(Ink.Right, X + 8) << "glyph " << I;
        X += Dx[I];
    }
    EXPECT_TRUE(InkBox(C, Rect(X, 0, 200, 30)).IsEmpty());

    // Opaque and clipped to a rectangle.
    C->Brush()->SetColor(clLime);
    const TRect R = Rect(0, 20, 30, 30);
    C->ExtTextOut(0, 20, ETO_OPAQUE | ETO_CLIPPED, &R, u"XXXXXXXX", nullptr);
    ExpectPixels(C, {{0, 20, clLime}, {29, 20, clLime}, {31, 22, clWhite}}, "opaque clipped");
}

TEST(Text, DrawTextMeasuresAsATable) {
    struct Row {
        const char16_t* Text;
        Cardinal Flags;
        int Width; // of the rectangle given
        TRect Expected;
        int Height;
    };
    const Cardinal Calc = DT_CALCRECT;
    const Row Rows[] = {
        {u"abc", Calc | DT_SINGLELINE, 100, Rect(0, 0, 24, 15), 15},
        {u"", Calc, 100, Rect(0, 0, 0, 0), 0},
        {u"a\nbb\r\nccc", Calc, 100, Rect(0, 0, 24, 45), 45},
        {u"a\nbb\r\nccc", Calc | DT_SINGLELINE, 200, Rect(0, 0, 9 * 8, 15), 15},
        {u"abc def ghi", Calc | DT_WORDBREAK, 60, Rect(0, 0, 56, 30), 30},
        {u"abc def ghi", Calc | DT_WORDBREAK, 200, Rect(0, 0, 88, 15), 15},
        {u"abcdefghijkl mn", Calc | DT_WORDBREAK, 40, Rect(0, 0, 96, 30), 30}, // a long word stays whole
        {u"&Open", Calc, 100, Rect(0, 0, 32, 15), 15},
        {u"&Open", Calc | DT_NOPREFIX, 100, Rect(0, 0, 40, 15), 15},
        {u"Save && close", Calc, 200, Rect(0, 0, 12 * 8, 15), 15},
        {u"a\tb", Calc | DT_EXPANDTABS, 200, Rect(0, 0, 72, 15), 15},
        {u"abcdefghij", Calc | DT_SINGLELINE | DT_END_ELLIPSIS, 50, Rect(0, 0, 48, 15), 15},
        {u"abcdefghij", Calc | DT_SINGLELINE | DT_END_ELLIPSIS, 100, Rect(0, 0, 80, 15), 15},
        {u"/usr/share/arduino/file.ino", Calc | DT_SINGLELINE | DT_PATH_ELLIPSIS, 160, Rect(0, 0, 160, 15),
         15},
    };
    auto B = MonoCanvas(10, 10);
    for (const Row& R : Rows) {
        TRect Rc = Rect(0, 0, R.Width, 100);
        const int H = DrawText(B->Canvas(), R.Text, Rc, R.Flags);
        EXPECT_EQ(Rc, R.Expected) << U8(R.Text) << " flags " << std::hex << R.Flags << " got " << std::dec
                                  << Rc.Right << " x " << Rc.Bottom;
        EXPECT_EQ(H, R.Height) << U8(R.Text);
    }
    EXPECT_TRUE(InkBox(B->Canvas(), Rect(0, 0, 10, 10)).IsEmpty()) << "DT_CALCRECT draws nothing";
}

TEST(Text, DrawTextAlignsBreaksAndUnderlines) {
    struct Row {
        const char16_t* Text;
        Cardinal Flags;
        TRect Ink; // where the ink may be: left, top, right, bottom bounds
    };
    // A 100 x 40 rectangle at (0, 0); "ab" is 16 x 15 with its ink inside.
    const Row Rows[] = {
        {u"ab", DT_LEFT | DT_TOP | DT_SINGLELINE, Rect(0, 0, 16, 15)},
        {u"ab", DT_CENTER | DT_VCENTER | DT_SINGLELINE, Rect(42, 12, 58, 27)},
        {u"ab", DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, Rect(84, 25, 100, 40)},
        {u"ab cd", DT_WORDBREAK, Rect(0, 0, 16, 30)}, // two lines in a 20-pixel rectangle
    };
    for (const Row& R : Rows) {
        auto B = MonoCanvas(120, 50);
        TRect Rc = R.Flags & DT_WORDBREAK ? Rect(0, 0, 20, 40) : Rect(0, 0, 100, 40);
        DrawText(B->Canvas(), R.Text, Rc, R.Flags);
        const TRect Ink = InkBox(B->Canvas(), Rect(0, 0, 120, 50));
        ASSERT_FALSE(Ink.IsEmpty()) << U8(R.Text);
        EXPECT_GE(Ink.Left, R.Ink.Left) << std::hex << R.Flags;
        EXPECT_GE(Ink.Top, R.Ink.Top) << std::hex << R.Flags;
        EXPECT_LE(Ink.Right, R.Ink.Right) << std::hex << R.Flags;
        EXPECT_LE(Ink.Bottom, R.Ink.Bottom) << std::hex << R.Flags;
        if (R.Flags & DT_WORDBREAK) {
            EXPECT_FALSE(InkBox(B->Canvas(), Rect(0, 0, 20, 15)).IsEmpty());
            EXPECT_FALSE(InkBox(B->Canvas(), Rect(0, 15, 20, 30)).IsEmpty());
        }
    }

    // Tab stops of four characters (DT_TABSTOP takes the count in bits 8-15, where DT_CALCRECT
    // and its neighbours would be).
    {
        auto B = MonoCanvas(100, 20);
        TRect Rc = Rect(0, 0, 100, 20);
        DrawText(B->Canvas(), u"a\tb", Rc, DT_EXPANDTABS | DT_TABSTOP | (4 << 8));
        EXPECT_TRUE(InkBox(B->Canvas(), Rect(9, 0, 32, 20)).IsEmpty());
        EXPECT_FALSE(InkBox(B->Canvas(), Rect(32, 0, 40, 20)).IsEmpty());
    }

    // The mnemonic is underlined below its character only; clipping keeps the rest out.
    auto B = MonoCanvas(100, 30);
    TRect Rc = Rect(0, 0, 100, 30);
    DrawText(B->Canvas(), u"a&bc", Rc, DT_SINGLELINE);
    const int Base = 15 - 4; // below the baseline, within the descent
    TRect Underline = InkBox(B->Canvas(), Rect(0, Base + 1, 100, 15));
    EXPECT_GE(Underline.Left, 8);
    EXPECT_LE(Underline.Right, 16);
    EXPECT_FALSE(Underline.IsEmpty());
    B = MonoCanvas(100, 30);
    Rc = Rect(0, 0, 20, 30);
    DrawText(B->Canvas(), u"abcdef", Rc, DT_SINGLELINE);
    EXPECT_LE(InkBox(B->Canvas(), Rect(0, 0, 100, 30)).Right, 20);
    Rc = Rect(0, 0, 20, 30);
    DrawText(B->Canvas(), u"abcdef", Rc, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(InkBox(B->Canvas(), Rect(0, 0, 100, 30)).Right, 40);
}
