#include "editor/TextDrawer.h"

#include "platform/base/Strings.h"
#include "support/GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TFont> EditorFont(const String& Name = u"Courier New", int Size = 10) {
    auto F = std::make_unique<TFont>();
    F->SetName(Name);
    F->SetSize(Size);
    return F;
}

const TFontStyles Bold{fsBold};

} // namespace

TEST(TextDrawer, DrawersWithOneFontShareItsStyledFonts) {
    auto Font = EditorFont();
    TheTextDrawer A(Bold, Font.get());
    TheTextDrawer B(Bold, Font.get());
    TheSharedFontsInfo* Shared = A.FontStock()->FontsInfo();
    ASSERT_EQ(Shared, B.FontStock()->FontsInfo());
    EXPECT_EQ(Shared->RefCount, 2);
    EXPECT_EQ(Shared->LockCount, 2);
    // Styles take part in the font, not in what is shared.
    auto Italic = EditorFont();
    Italic->SetStyle({fsItalic});
    TheTextDrawer C(Bold, Italic.get());
    EXPECT_EQ(C.FontStock()->FontsInfo(), Shared);
    EXPECT_EQ(Shared->RefCount, 3);

    TFont* Handle = Shared->FontsData[FontStyleIndex(Bold)].Handle.get();
    ASSERT_NE(Handle, nullptr);
    auto Other = EditorFont(u"Courier New", 14);
    B.SetBaseFont(Other.get());
    C.SetBaseFont(Other.get());
    EXPECT_NE(B.FontStock()->FontsInfo(), Shared);
    EXPECT_EQ(Shared->RefCount, 1);
    EXPECT_EQ(Shared->FontsData[FontStyleIndex(Bold)].Handle.get(), Handle) << "A's handles stay";
    EXPECT_GT(B.CharHeight(), A.CharHeight());
}

TEST(TextDrawer, LastUserFreesTheSharedRecordAndReleasedHandlesComeBack) {
    auto Font = EditorFont(u"Courier New", 11);
    const int Before = GetFontsInfoManager().Count();
    {
        TheTextDrawer A(Bold, Font.get());
        EXPECT_EQ(GetFontsInfoManager().Count(), Before + 1);
        TheSharedFontsInfo* Shared = A.FontStock()->FontsInfo();
        A.ReleaseTemporaryResources();
        EXPECT_EQ(Shared->LockCount, 0);
        EXPECT_EQ(Shared->FontsData[FontStyleIndex(Bold)].Handle, nullptr);
        auto B = NewCanvasBitmap(40, 20);
        A.BeginDrawing(B->Canvas());
        A.ExtTextOut(0, 0, {}, Rect(0, 0, 40, 20), u"x");
        A.EndDrawing();
        EXPECT_EQ(Shared->LockCount, 1);
    }
    EXPECT_EQ(GetFontsInfoManager().Count(), Before);
}

TEST(TextDrawer, SameStyleTwiceMakesTheFontOnce) {
    auto Font = EditorFont();
    TheTextDrawer D(Bold, Font.get());
    D.SetStyle({fsItalic, fsUnderline});
    TFont* First = D.FontStock()->FontHandle();
    D.SetStyle({});
    D.SetStyle({fsItalic, fsUnderline});
    EXPECT_EQ(D.FontStock()->FontHandle(), First);
    EXPECT_TRUE(First->Style().Contains(fsItalic));
    EXPECT_TRUE(First->Style().Contains(fsUnderline));
    EXPECT_FALSE(First->Style().Contains(fsBold));
}

TEST(TextDrawer, CellIsTheMeasuringStylesM) {
    auto Font = EditorFont();
    TheTextDrawer D(Bold, Font.get());
    auto B = NewCanvasBitmap(10, 10);
    B->Canvas()->Font()->Assign(Font.get());
    B->Canvas()->Font()->SetStyle(Bold);
    EXPECT_EQ(D.CharWidth(), B->Canvas()->TextWidth(u"M"));
    EXPECT_GT(D.CharHeight(), 0);
    D.SetCharExtra(3);
    EXPECT_EQ(D.CharWidth(), B->Canvas()->TextWidth(u"M") + 3);
}

TEST(TextDrawer, RunsKeepToTheCellGrid) {
    auto Font = EditorFont();
    TheTextDrawer D(Bold, Font.get());
    const int W = D.CharWidth();
    ASSERT_GT(W, 0);
    struct Case {
        String Text;
        std::vector<int> Cells; // cells per UTF-16 unit
    };
    const Case Cases[] = {
        {u"abc", {1, 1, 1}},
        {u"a\u4E2Db", {1, 2, 1}},        // a wide glyph takes two cells
        {u"\u65E5\u672C", {2, 2}},       // also as the last character
        {u"a\tb", {1, 1, 1}},            // a control character keeps its cell
        {u"a\U0001F600b", {1, 2, 0, 1}}, // a surrogate pair is one character
        {u"", {}},
    };
    auto B = NewCanvasBitmap(200, 30);
    D.BeginDrawing(B->Canvas());
    for (const Case& C : Cases) {
        SCOPED_TRACE(U8(C.Text));
        D.ExtTextOut(0, 0, {tooOpaque}, Rect(0, 0, 200, 30), C.Text);
        std::vector<int> Expected;
        for (int N : C.Cells)
            Expected.push_back(N * W);
        EXPECT_EQ(D.Advances(), Expected);
    }
    D.EndDrawing();
}

TEST(TextDrawer, DrawsOnTheGridInItsColours) {
    TTempFolder Dir;
    auto Font = EditorFont();
    TheTextDrawer D(Bold, Font.get());
    const int W = D.CharWidth(), H = D.CharHeight();
    auto B = NewCanvasBitmap(12 * W, 2 * H);
    TCanvas* C = B->Canvas();
    D.SetForeColor(clBlack);
    D.SetBackColor(clYellow);
    D.BeginDrawing(C);
    const String Text = u"a\u4E2Db";
    D.ExtTextOut(0, 0, {tooOpaque, tooClipped}, Rect(0, 0, 6 * W, H), Text);
    D.SetForeColor(clBlue);
    D.SetStyle(Bold);
    D.ExtTextOut(0, H, {tooOpaque}, Rect(0, H, 4 * W, 2 * H), u"MM");
    D.EndDrawing();
    GrabToPng(B.get(), Dir, "text-drawer-grid.png");

    // The background fills the rectangle, not more.
    ExpectPixels(C, {{6 * W - 1, 1, clYellow}, {6 * W, 1, clWhite}, {4 * W - 1, H + 1, clYellow}});
    // Each character's ink stays in its cells: "b" begins after the wide glyph's two cells.
    const TRect A = InkBox(C, Rect(0, 0, W, H), clYellow);
    const TRect Wide = InkBox(C, Rect(W, 0, 3 * W, H), clYellow);
    const TRect Bee = InkBox(C, Rect(3 * W, 0, 4 * W, H), clYellow);
    EXPECT_FALSE(A.IsEmpty());
    EXPECT_GT(Wide.Width(), W) << "the wide glyph covers more than one cell";
    EXPECT_FALSE(Bee.IsEmpty());
    EXPECT_TRUE(InkBox(C, Rect(4 * W, 0, 6 * W, H), clYellow).IsEmpty());
    // The second row is blue bold ink.
    const TRect Ms = InkBox(C, Rect(0, H, 4 * W, 2 * H), clYellow);
    ASSERT_FALSE(Ms.IsEmpty());
    bool SawBlue = false;
    for (int X = Ms.Left; X < Ms.Right; ++X)
        for (int Y = Ms.Top; Y < Ms.Bottom; ++Y)
            SawBlue = SawBlue || C->Pixels(X, Y) == clBlue;
    EXPECT_TRUE(SawBlue);
}

TEST(TextDrawer, NestedDrawingRestoresTheCanvasOnce) {
    auto Font = EditorFont();
    TheTextDrawer D(Bold, Font.get());
    auto B = NewCanvasBitmap(20, 20);
    TCanvas* C = B->Canvas();
    C->Font()->SetName(u"Arial");
    C->Brush()->SetColor(clRed);
    D.BeginDrawing(C);
    D.BeginDrawing(C);
    EXPECT_EQ(C->Font()->Name(), u"Courier New");
    D.EndDrawing();
    EXPECT_EQ(C->Font()->Name(), u"Courier New") << "still drawing";
    D.EndDrawing();
    EXPECT_EQ(C->Font()->Name(), u"Arial");
    EXPECT_EQ(C->Brush()->Color(), clRed);
    EXPECT_EQ(D.DrawingCount(), 0);
}

TEST(TextDrawer, MisuseIsRefused) {
    auto Font = EditorFont();
    TheTextDrawer D(Bold, Font.get());
    try {
        D.SetBaseFont(nullptr);
        FAIL() << "no font was taken";
    } catch (const EheTextDrawerException& E) {
        EXPECT_EQ(E.Message(), u"SetBaseFont: 'Value' must be specified.");
    }
    try {
        TheFontStock Stock(nullptr);
        FAIL() << "no font was taken";
    } catch (const EheFontStockException& E) {
        EXPECT_EQ(E.Message(), u"SetBaseFont: 'Value' must be specified.");
    }
    EXPECT_THROW(D.EndDrawing(), EAssertionFailed);
    auto B1 = NewCanvasBitmap(5, 5), B2 = NewCanvasBitmap(5, 5);
    D.BeginDrawing(B1->Canvas());
    EXPECT_THROW(D.BeginDrawing(B2->Canvas()), EAssertionFailed);
    D.EndDrawing();
    EXPECT_THROW(D.FontStock()->FontDataOfStyle(16), EAssertionFailed);
}

TEST(TextDrawer, TheLastCharacterKeepsRoomForItsSlantedInk) {
    auto Font = EditorFont();
    TheTextDrawer D(Bold, Font.get());
    const int W = D.CharWidth(), H = D.CharHeight();
    auto B = NewCanvasBitmap(10 * W, H);
    D.BeginDrawing(B->Canvas());
    // The plain font's ink stays in the cells; the slanted one's leans out at the end.
    D.ExtTextOut(0, 0, {tooOpaque, tooClipped}, Rect(0, 0, 3 * W, H), u"aaf");
    EXPECT_EQ(D.Advances(), (std::vector<int>{W, W, W}));
    EXPECT_EQ(D.CharOverhang(u"f", 1), 0);
    D.SetStyle({fsItalic});
    const int Overhang = D.CharOverhang(u"f", 1);
    EXPECT_GT(Overhang, 0);
    D.ExtTextOut(0, 0, {tooOpaque, tooClipped}, Rect(0, 0, 3 * W, H), u"aaf");
    EXPECT_EQ(D.Advances(), (std::vector<int>{W, W, W + Overhang}));
    EXPECT_EQ(D.CharOverhang(u" ", 1), 0);
    D.EndDrawing();
    EXPECT_FALSE(InkBox(B->Canvas(), Rect(3 * W, 0, 3 * W + Overhang, H / 2)).IsEmpty());
}
