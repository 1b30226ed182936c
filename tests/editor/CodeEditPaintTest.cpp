// Pictures of the editor control: selection in three modes, special lines, the right edge,
// gutter numbers, bookmark and mark images, the glyphs of special characters, and text in a
// highlighter's colours.

#include "CodeEditSupport.h"

#include "TestHighlighter.h"
#include "support/GraphicsTestSupport.h"

namespace {

constexpr TColor SelBack = clBlue;
constexpr TColor SelFore = clWhite;

class CodeEditPaint : public TCodeEditFixture {
protected:
    void SetUp() override {
        TCodeEditFixture::SetUp();
        Edit->SetColor(clWhite);
        Edit->Font()->SetColor(clBlack);
        Edit->SelectedColor()->SetBackground(SelBack);
        Edit->SelectedColor()->SetForeground(SelFore);
        Edit->Gutter()->SetColor(clBtnFace);
        Edit->SetRightEdge(0);
        SizeTo(30, 8);
        Form->Show();
    }
    std::unique_ptr<TBitmap> Grab(const std::string& Name) {
        auto B = GrabControl(Edit);
        GrabToPng(B.get(), Folder, Name);
        return B;
    }
    // A pixel in the upper part of a cell, where no glyph of a blank line has ink.
    TColor CellColor(TBitmap& B, int Column, int Row) {
        return PixelOf(B, Edit->TextOffset() + (Column - 1) * Edit->CharWidth() + Edit->CharWidth() / 2,
                       (Row - 1) * Edit->LineHeight() + 1);
    }
    TRect CellRect(int FirstColumn, int LastColumn, int Row) {
        const int X = Edit->TextOffset();
        const int W = Edit->CharWidth();
        const int H = Edit->LineHeight();
        return {X + (FirstColumn - 1) * W, (Row - 1) * H, X + LastColumn * W, Row * H};
    }
    void ExpectRow(TBitmap& B, int Row, std::initializer_list<std::pair<int, TColor>> Cells) {
        for (const auto& [Column, Want] : Cells)
            EXPECT_EQ(ColorText(CellColor(B, Column, Row)), ColorText(ColorToRGB(Want)))
                << "column " << Column << " row " << Row;
    }

    TTempFolder Folder;
};

const String Blanks = String(12, u' ');

} // namespace

TEST_F(CodeEditPaint, ANormalSelectionColoursItsColumnsOnly) {
    Edit->SetText(Blanks + u"\r\n" + Blanks + u"\r\n" + Blanks);
    Edit->SetBlockBegin({5, 1});
    Edit->SetBlockEnd({9, 1});
    auto B = Grab("normal.png");
    ExpectRow(*B, 1, {{4, clWhite}, {5, SelBack}, {8, SelBack}, {9, clWhite}, {25, clWhite}});
    ExpectRow(*B, 2, {{5, clWhite}});
    // Over two lines the first runs to the row's end and the last starts at its beginning.
    Edit->SetBlockEnd({3, 2});
    B = Grab("normal2.png");
    ExpectRow(*B, 1, {{4, clWhite}, {5, SelBack}, {25, SelBack}});
    ExpectRow(*B, 2, {{1, SelBack}, {2, SelBack}, {3, clWhite}});
}

TEST_F(CodeEditPaint, ALineSelectionColoursWholeRows) {
    Edit->SetText(u"  \r\n" + Blanks + u"\r\n" + Blanks);
    Edit->SetSelectionMode(smLine);
    Edit->SetBlockBegin({2, 1});
    Edit->SetBlockEnd({2, 2});
    auto B = Grab("line.png");
    ExpectRow(*B, 1, {{1, SelBack}, {20, SelBack}});
    ExpectRow(*B, 2, {{1, SelBack}, {30, SelBack}});
    ExpectRow(*B, 3, {{1, clWhite}});
}

TEST_F(CodeEditPaint, AColumnSelectionColoursABlock) {
    Edit->SetText(Blanks + u"\r\n" + Blanks + u"\r\n" + Blanks);
    Edit->SetSelectionMode(smColumn);
    Edit->SetBlockBegin({6, 1});
    Edit->SetBlockEnd({3, 3});
    auto B = Grab("column.png");
    for (int Row = 1; Row <= 3; ++Row)
        ExpectRow(*B, Row, {{2, clWhite}, {3, SelBack}, {5, SelBack}, {6, clWhite}});
}

TEST_F(CodeEditPaint, ASpecialLineInvertsItsColoursUnderTheSelection) {
    Edit->SetText(Blanks + u"\r\n" + Blanks);
    Edit->OnSpecialLineColors = [](TObject*, int Line, bool& Special, TColor& FG, TColor& BG) {
        if (Line != 2) return;
        Special = true;
        FG = clYellow;
        BG = clRed;
    };
    Edit->SetBlockBegin({3, 2});
    Edit->SetBlockEnd({6, 2});
    auto B = Grab("special.png");
    ExpectRow(*B, 1, {{1, clWhite}});
    ExpectRow(*B, 2, {{1, clRed}, {3, clYellow}, {5, clYellow}, {6, clRed}, {20, clRed}});
}

TEST_F(CodeEditPaint, TheCaretLineTakesTheActiveLineColour) {
    Edit->SetText(Blanks + u"\r\n" + Blanks);
    Edit->SetActiveLineColor(clAqua);
    Edit->SetCaretXY({1, 2});
    auto B = Grab("active.png");
    ExpectRow(*B, 1, {{3, clWhite}});
    ExpectRow(*B, 2, {{3, clAqua}, {25, clAqua}});
}

TEST_F(CodeEditPaint, TheRightEdgeIsALineThroughTheWholeHeight) {
    Edit->SetText(u"abc\r\ndef");
    Edit->SetRightEdge(10);
    Edit->SetRightEdgeColor(clRed);
    auto B = Grab("edge.png");
    const int X = Edit->TextOffset() + 10 * Edit->CharWidth();
    ExpectPixels(B->Canvas(), {{X, 1, clRed},
                               {X, Edit->LineHeight() + 2, clRed},
                               {X, Edit->ClientHeight() - 1, clRed},
                               {X + 1, 1, clWhite},
                               {X - 1, 1, clWhite}});
}

TEST_F(CodeEditPaint, LineNumbersStandRightAlignedInTheGutter) {
    NumberedLines(12);
    SizeTo(30, 12);
    Edit->Gutter()->SetShowLineNumbers(true);
    Edit->Gutter()->Font()->SetColor(clBlack);
    auto B = Grab("gutter.png");
    const int Right = Edit->GutterWidth() - Edit->Gutter()->RightOffset() - 2;
    const int H = Edit->LineHeight();
    // Left of the gutter's border lines.
    const int W = Edit->GutterWidth() - 2;
    for (int Line : {7, 12}) {
        const TRect Ink = InkBox(B->Canvas(), TRect{0, (Line - 1) * H, W, Line * H}, clBtnFace);
        ASSERT_FALSE(Ink.IsEmpty()) << Line;
        EXPECT_LE(Ink.Right, Right + 1) << Line;
        EXPECT_GE(Ink.Right, Right - Edit->CharWidth() / 2) << Line;
    }
    // A two-digit number reaches further left than a one-digit one.
    const TRect Seven = InkBox(B->Canvas(), TRect{0, 6 * H, W, 7 * H}, clBtnFace);
    const TRect Twelve = InkBox(B->Canvas(), TRect{0, 11 * H, W, 12 * H}, clBtnFace);
    EXPECT_LT(Twelve.Left, Seven.Left - Edit->CharWidth() / 2);
}

TEST_F(CodeEditPaint, BookmarkImagesStandInTheGutterRowOfTheirLine) {
    NumberedLines(6);
    Edit->SetBookMark(3, 1, 2);
    Edit->SetBookMark(5, 1, 4);
    auto B = Grab("bookmarks.png");
    const int H = Edit->LineHeight();
    const int W = Edit->GutterWidth() - 2;
    for (int Line = 1; Line <= 6; ++Line) {
        const TRect Ink = InkBox(B->Canvas(), TRect{0, (Line - 1) * H, W, Line * H}, clBtnFace);
        EXPECT_EQ(Ink.IsEmpty(), Line != 2 && Line != 4) << Line;
        if (!Ink.IsEmpty()) {
            EXPECT_GE(Ink.Left, Edit->BookMarkOptions()->LeftMargin()) << Line;
        }
    }
    Edit->ClearBookMark(3);
    B = Grab("bookmarks2.png");
    EXPECT_TRUE(InkBox(B->Canvas(), TRect{0, H, W, 2 * H}, clBtnFace).IsEmpty());
}

TEST_F(CodeEditPaint, SpecialCharactersShowAsGlyphs) {
    Edit->SetTabWidth(4);
    Edit->SetText(u"a\tb\r\nx y");
    auto Plain = Grab("plain.png");
    EXPECT_TRUE(InkBox(Plain->Canvas(), CellRect(2, 4, 1)).IsEmpty());
    EXPECT_TRUE(InkBox(Plain->Canvas(), CellRect(6, 6, 1)).IsEmpty());
    SetOption(eoShowSpecialChars, true);
    auto B = Grab("special-chars.png");
    // The tab's arrow is centred in its three columns, the line end is marked, the blank dotted.
    const TRect Arrow = InkBox(B->Canvas(), CellRect(2, 4, 1));
    ASSERT_FALSE(Arrow.IsEmpty());
    const int Middle = (Arrow.Left + Arrow.Right) / 2;
    EXPECT_GE(Middle, CellRect(3, 3, 1).Left);
    EXPECT_LT(Middle, CellRect(3, 3, 1).Right);
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(4, 4, 1)).IsEmpty() &&
                 InkBox(B->Canvas(), CellRect(5, 5, 1)).IsEmpty());
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(6, 6, 1)).IsEmpty());
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(2, 2, 2)).IsEmpty());
}

TEST_F(CodeEditPaint, AWideGlyphTakesTwoCells) {
    Edit->SetText(u"\x4E2D"
                  u"b");
    auto B = Grab("wide.png");
    const int Wide = Edit->CharColumns(0x4E2D);
    ASSERT_GE(Wide, 2);
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(1, Wide, 1)).IsEmpty());
    const TRect Letter = InkBox(B->Canvas(), CellRect(Wide + 1, Wide + 1, 1));
    EXPECT_FALSE(Letter.IsEmpty());
}

namespace {

// Whether any pixel of the area has exactly the colour: glyph strokes keep their ink's colour.
bool HasInk(TBitmap& B, const TRect& Area, TColor Ink) {
    const TColor Want = ColorToRGB(Ink);
    for (int Y = Area.Top; Y < Area.Bottom; ++Y)
        for (int X = Area.Left; X < Area.Right; ++X)
            if (B.Canvas()->Pixels(X, Y) == Want) return true;
    return false;
}

} // namespace

TEST_F(CodeEditPaint, TokensTakeTheirAttributesColoursAndTheStateOfThePreviousLine) {
    TTestHighlighter H;
    Edit->SetHighlighter(&H);
    // Columns: "int" 1-3, "42" 9-10, "x" 5; line 2 is inside the block comment opened on line 1.
    Edit->SetText(u"int x = 42; /* open\r\nstill comment */ y\r\nif");
    auto B = Grab("highlighted.png");
    const struct {
        int First, Last, Row;
        TColor Ink;
        bool Has;
    } Cases[] = {
        {1, 3, 1, clNavy, true},    {9, 10, 1, clPurple, true}, {13, 19, 1, clGreen, true},
        {1, 13, 2, clGreen, true},  {18, 18, 2, clGreen, false}, {1, 2, 3, clNavy, true},
        {5, 5, 1, clNavy, false},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(HasInk(*B, CellRect(C.First, C.Last, C.Row), C.Ink), C.Has)
            << C.First << ".." << C.Last << " row " << C.Row << " " << ColorText(C.Ink);
    // The identifiers have no colour of their own: the font's.
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(18, 18, 2)).IsEmpty());
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(5, 5, 1)).IsEmpty());

    // Closing the comment on line 1 changes how line 2 is coloured.
    Edit->Lines()->SetString(0, u"int x = 42; /* shut */");
    B = Grab("highlighted2.png");
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(1, 5, 2)).IsEmpty());
    EXPECT_FALSE(HasInk(*B, CellRect(1, 5, 2), clGreen));
}

TEST_F(CodeEditPaint, AHighlightedSelectionAndTheBlankAttributesBackground) {
    TTestHighlighter H;
    H.WhitespaceAttribute()->SetBackground(clYellow);
    Edit->SetHighlighter(&H);
    Edit->SetText(u"x abc  y\r\nx");
    Edit->SetBlockBegin({3, 1});
    Edit->SetBlockEnd({7, 1});
    auto B = Grab("highlighted-selection.png");
    // Columns 3..6 in the selection colours; the rest of the row, the tokens without a
    // background of their own and the rows below in the blank attribute's background.
    ExpectRow(*B, 1, {{1, clYellow}, {2, clYellow}, {6, SelBack}, {7, clYellow}, {12, clYellow}});
    ExpectRow(*B, 3, {{1, clYellow}, {20, clYellow}});
    EXPECT_TRUE(HasInk(*B, CellRect(3, 5, 1), SelFore));
}

TEST_F(CodeEditPaint, TheLineEndGlyphTakesTheCommentColoursAfterAComment) {
    TTestHighlighter H;
    Edit->SetHighlighter(&H);
    SetOption(eoShowSpecialChars, true);
    Edit->SetText(u"x // c\r\nx");
    auto B = Grab("highlighted-eol.png");
    EXPECT_TRUE(HasInk(*B, CellRect(7, 7, 1), clGreen));
    EXPECT_FALSE(HasInk(*B, CellRect(2, 2, 2), clGreen));
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(2, 2, 2)).IsEmpty());
}

TEST_F(CodeEditPaint, PlainMarksStandBesideBookmarks) {
    NumberedLines(4);
    Edit->SetBookMark(1, 1, 2);
    auto* Mark = new TCodeEditMark(Edit);
    Mark->SetLine(2);
    Mark->SetImageIndex(7);
    Mark->SetInternalImage(true);
    Mark->SetVisible(true);
    Edit->Marks()->Place(Mark);
    auto* Alone = new TCodeEditMark(Edit);
    Alone->SetLine(3);
    Alone->SetImageIndex(4);
    Alone->SetInternalImage(true);
    Alone->SetVisible(true);
    Edit->Marks()->Place(Alone);
    std::vector<std::pair<int, int>> Painted;
    Edit->OnGutterPaint = [&](TObject*, int Line, int X, int) { Painted.emplace_back(Line, X); };
    auto B = Grab("marks.png");
    const int H = Edit->LineHeight();
    const int W = Edit->GutterWidth() - 2;
    const int Left = Edit->BookMarkOptions()->LeftMargin();
    const int Step = Edit->BookMarkOptions()->Xoffset();
    // One built-in image per row: the bookmark drawn first; the plain mark only takes its room.
    EXPECT_FALSE(InkBox(B->Canvas(), TRect{Left, H, Left + Step, 2 * H}, clBtnFace).IsEmpty());
    EXPECT_TRUE(InkBox(B->Canvas(), TRect{Left + Step, H, W, 2 * H}, clBtnFace).IsEmpty());
    EXPECT_FALSE(InkBox(B->Canvas(), TRect{Left, 2 * H, Left + Step, 3 * H}, clBtnFace).IsEmpty());
    EXPECT_TRUE(InkBox(B->Canvas(), TRect{0, 3 * H, W, 4 * H}, clBtnFace).IsEmpty());
    const std::vector<std::pair<int, int>> Want{{1, 0}, {2, 2 * Step}, {3, Step}, {4, 0}};
    EXPECT_EQ(Painted, Want);
}

TEST_F(CodeEditPaint, AFreedHighlighterLeavesTheControlPlain) {
    auto H = std::make_unique<TTestHighlighter>();
    Edit->SetHighlighter(H.get());
    Edit->SetText(u"int");
    EXPECT_TRUE(HasInk(*Grab("before.png"), CellRect(1, 3, 1), clNavy));
    H.reset();
    EXPECT_EQ(Edit->Highlighter(), nullptr);
    auto B = Grab("after.png");
    EXPECT_FALSE(HasInk(*B, CellRect(1, 3, 1), clNavy));
    EXPECT_FALSE(InkBox(B->Canvas(), CellRect(1, 3, 1)).IsEmpty());
}

TEST_F(CodeEditPaint, TheSlantedLastGlyphOfARowKeepsTheInkBeyondItsCell) {
    // The glyph that leans out of its cell the furthest in the slanted font.
    TCanvas Probe;
    Probe.Font()->Assign(Edit->Font());
    Probe.Font()->SetStyle({fsItalic});
    Char Glyph = 0;
    int Overhang = 0;
    for (Char Ch : String(u"fdlbhkT7/|")) {
        TABC ABC;
        ASSERT_TRUE(Probe.GetCharABCWidths(Ch, Ch, &ABC));
        if (-ABC.abcC > Overhang) {
            Overhang = -ABC.abcC;
            Glyph = Ch;
        }
    }
    ASSERT_GT(Overhang, 0) << "no slanted glyph leans out of its cell in this font";
    TTestHighlighter H; // comments are slanted
    Edit->SetHighlighter(&H);
    Edit->SetText(u"// " + String(1, Glyph) + u"\r\nx");
    auto B = Grab("slanted-last-glyph.png");
    // Right of the fourth cell, where only the leaning top of the glyph can have ink.
    const TRect Cell = CellRect(4, 4, 1);
    const TRect Beyond{Cell.Right, Cell.Top, Cell.Right + Overhang, Cell.Top + Edit->LineHeight() / 2};
    EXPECT_FALSE(InkBox(B->Canvas(), Beyond).IsEmpty()) << "the glyph's top is cut at its cell";
    // The rest of the row is filled as before.
    ExpectRow(*B, 1, {{6, clWhite}, {20, clWhite}});
}

TEST_F(CodeEditPaint, APageMoveIsPaintedOnceAndShowsTheNewLines) {
    NumberedLines(200);
    ProcessMessages();
    int Paints = 0;
    Edit->OnPaint = [&](TObject*, TCanvas*) { ++Paints; };
    for (Word Key : {Word(VK_NEXT), Word(VK_NEXT), Word(VK_PRIOR), Word(VK_NEXT)}) {
        const int Top = Edit->TopLine();
        Paints = 0;
        SynthKey(Edit, Key);
        EXPECT_TRUE(WaitUntil([&] { return Paints > 0; }));
        ProcessMessagesFor(100);
        EXPECT_EQ(Paints, 1) << "key " << Key;
        if (Key == VK_NEXT)
            EXPECT_GT(Edit->TopLine(), Top);
        else
            EXPECT_LT(Edit->TopLine(), Top);
        // The window shows what a whole new paint shows.
        auto Moved = Grab("page.png");
        Edit->Invalidate();
        ProcessMessages();
        auto Fresh = GrabControl(Edit);
        for (int Y = 0; Y < Moved->Height(); Y += 3)
            for (int X = 0; X < Moved->Width(); X += 3)
                ASSERT_EQ(PixelOf(*Moved, X, Y), PixelOf(*Fresh, X, Y)) << X << "," << Y << " key " << Key;
    }
    Edit->OnPaint = nullptr;
}
