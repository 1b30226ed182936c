// The editor control's caret, selection and view: clamping, selected text in three modes, top
// line and left column, scroll bars and the wheel.

#include "CodeEditSupport.h"

#include "platform/gui/ScrollBars.h"

using CodeEditCaret = TCodeEditFixture;

TEST_F(CodeEditCaret, TheCaretIsClampedByTheOptions) {
    const struct {
        bool PastEol, AutoSize;
        TBufferCoord Given, Kept;
    } Cases[] = {
        {false, false, {100, 1}, {4, 1}},    {true, false, {100, 1}, {100, 1}},
        {true, false, {5000, 1}, {1025, 1}}, {true, true, {5000, 1}, {5000, 1}},
        {false, false, {0, 0}, {1, 1}},      {false, false, {2, 9}, {2, 1}},
        {true, false, {-4, 1}, {1, 1}},
    };
    for (const auto& C : Cases) {
        Edit->SetText(u"abc");
        SetOption(eoScrollPastEol, C.PastEol);
        SetOption(eoAutoSizeMaxScrollWidth, C.AutoSize);
        Edit->SetCaretXY(C.Given);
        EXPECT_EQ(Edit->CaretXY(), C.Kept)
            << C.Given.Char << "," << C.Given.Line << " past eol " << C.PastEol;
    }
}

TEST_F(CodeEditCaret, CaretYBelowOneGoesToTheFirstLine) {
    Edit->SetText(u"abc\r\ndef");
    Edit->SetCaretXY({3, 2});
    Edit->SetCaretY(0);
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(3, 1));
    SetOption(eoScrollPastEol, false);
    Edit->SetCaretXY({3, 2});
    Edit->SetCaretY(0);
    // The line below 1 counts as no line: the column goes to 1 as well.
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1, 1));
}

TEST_F(CodeEditCaret, ALineLongerThanMaxScrollWidthStaysReachable) {
    const String Long(2000, u'x');
    for (bool PastEol : {true, false}) {
        SetOption(eoScrollPastEol, PastEol);
        Edit->SetText(u"abc\r\n" + Long);
        EXPECT_GE(Edit->MaxScrollWidth(), 2000);
        Edit->SetCaretXY({2001, 2});
        EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(2001, 2)) << PastEol;
        Edit->SetCaretXY({9000, 2});
        EXPECT_EQ(Edit->CaretX(), 2001) << PastEol;
        Edit->SetBlockBegin({1, 2});
        Edit->SetBlockEnd({2001, 2});
        EXPECT_EQ(Edit->SelText().size(), 2000u) << PastEol;
    }
}

TEST_F(CodeEditCaret, SelectedTextInTheThreeModes) {
    const struct {
        TCodeSelectionMode Mode;
        bool Trim;
        TBufferCoord B, E;
        const char* Text;
    } Cases[] = {
        {smNormal, false, {2, 1}, {4, 1}, "bc"},
        {smNormal, false, {6, 1}, {2, 2}, "fg\r\na"},
        {smNormal, false, {2, 2}, {6, 1}, "fg\r\na"},
        {smNormal, false, {1, 1}, {2, 3}, "abcdefg\r\nab\r\nx"},
        {smLine, false, {1, 3}, {1, 4}, "x\r\ny"},
        {smLine, false, {1, 1}, {1, 2}, "abcdefg\r\nab\r\n"},
        {smColumn, false, {3, 1}, {6, 2}, "cde\r\n   "},
        {smColumn, true, {3, 1}, {6, 2}, "cde\r\n"},
        {smColumn, false, {6, 2}, {3, 1}, "cde\r\n   "},
        {smColumn, false, {3, 1}, {3, 2}, ""},
    };
    for (const auto& C : Cases) {
        Edit->SetText(u"abcdefg\r\nab\r\nx\r\ny");
        SetOption(eoTrimTrailingSpaces, C.Trim);
        Edit->SetSelectionMode(C.Mode);
        Edit->SetBlockBegin(C.B);
        Edit->SetBlockEnd(C.E);
        EXPECT_EQ(U8(Edit->SelText()), C.Text) << int(C.Mode) << " " << C.B.Char << "," << C.B.Line;
    }
}

TEST_F(CodeEditCaret, AZeroWidthColumnBlockIsNoSelection) {
    Edit->SetText(u"abc\r\ndef");
    Edit->SetSelectionMode(smColumn);
    Edit->SetBlockBegin({2, 1});
    Edit->SetBlockEnd({2, 2});
    EXPECT_FALSE(Edit->SelAvail());
    Edit->SetSelectionMode(smNormal);
    EXPECT_TRUE(Edit->SelAvail());
    EXPECT_TRUE(Edit->SelTabBlock());
}

TEST_F(CodeEditCaret, NormalModeKeepsSelectionEndsInsideTheLine) {
    Edit->SetText(u"abc\r\nde");
    Edit->SetBlockBegin({9, 0});
    EXPECT_EQ(Edit->BlockBegin(), MakeBufferCoord(4, 1));
    Edit->SetBlockEnd({9, 7});
    EXPECT_EQ(Edit->BlockEnd(), MakeBufferCoord(3, 2));
    SetOption(eoNoSelection, true);
    Edit->SetBlockEnd({3, 2});
    EXPECT_FALSE(Edit->SelAvail());
}

TEST_F(CodeEditCaret, SelectAllAndWordBlock) {
    Edit->SetText(u"int alpha_1 = 2;\r\nend");
    Edit->SelectAll();
    EXPECT_EQ(Edit->BlockBegin(), MakeBufferCoord(1, 1));
    EXPECT_EQ(Edit->BlockEnd(), MakeBufferCoord(4, 2));
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(4, 2));
    Edit->SetWordBlock({7, 1});
    EXPECT_EQ(U8(Edit->SelText()), "alpha_1");
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(12, 1));
    // A blank selects nothing and leaves the caret there.
    Edit->SetCaretXY({1, 1});
    Edit->SetWordBlock({13, 1});
    EXPECT_FALSE(Edit->SelAvail());
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(13, 1));
}

TEST_F(CodeEditCaret, TopLineIsLimitedToTheText) {
    SizeTo(20, 10);
    NumberedLines(100);
    const struct {
        bool PastEof;
        int Given, Kept;
    } Cases[] = {{false, 1000, 91}, {true, 1000, 100}, {false, -5, 1}, {false, 50, 50}};
    for (const auto& C : Cases) {
        SetOption(eoScrollPastEof, C.PastEof);
        Edit->SetTopLine(C.Given);
        EXPECT_EQ(Edit->TopLine(), C.Kept) << C.Given << " past eof " << C.PastEof;
    }
}

TEST_F(CodeEditCaret, LeftCharIsLimitedByTheOptions) {
    SizeTo(20, 10);
    Edit->SetText(String(50, u'x'));
    const struct {
        bool PastEol, AutoSize;
        int Given, Kept;
    } Cases[] = {{true, false, 5000, 1024 - 20 + 1},
                 {false, false, 5000, 50 - 20 + 1},
                 {true, true, 5000, 5000},
                 {false, false, 0, 1}};
    for (const auto& C : Cases) {
        Edit->SetMaxScrollWidth(1024);
        SetOption(eoScrollPastEol, C.PastEol);
        SetOption(eoAutoSizeMaxScrollWidth, C.AutoSize);
        Edit->SetLeftChar(C.Given);
        EXPECT_EQ(Edit->LeftChar(), C.Kept) << C.Given;
        EXPECT_EQ(Edit->TextOffset(), Edit->GutterWidth() + 2 - (Edit->LeftChar() - 1) * Edit->CharWidth());
        // Scrolling past MaxScrollWidth with auto-size widens it.
        if (C.AutoSize) {
            EXPECT_EQ(Edit->MaxScrollWidth(), 5000 + 20);
        }
    }
}

TEST_F(CodeEditCaret, TheCaretIsBroughtIntoView) {
    SizeTo(20, 10);
    NumberedLines(100);
    Edit->SetCaretXY({1, 50});
    EXPECT_EQ(Edit->TopLine(), 41);
    Edit->SetCaretXY({1, 5});
    EXPECT_EQ(Edit->TopLine(), 5);
    Edit->SetCaretXY({30, 5});
    EXPECT_EQ(Edit->LeftChar(), 30 - 20 + 1);
    Edit->GotoLineAndCenter(80);
    EXPECT_EQ(Edit->TopLine(), 80 - 10 + 1 + 5);
    EXPECT_EQ(Edit->CaretXY(), MakeBufferCoord(1, 80));
    EXPECT_TRUE(Edit->CaretInView());
}

TEST_F(CodeEditCaret, PixelsAndDisplayPositions) {
    SizeTo(20, 10);
    NumberedLines(100);
    Edit->SetTopLine(11);
    const int W = Edit->CharWidth();
    const int H = Edit->LineHeight();
    const int X0 = Edit->GutterWidth() + 2;
    EXPECT_EQ(Edit->RowColumnToPixels({3, 12}), (TPoint{X0 + 2 * W, H}));
    EXPECT_EQ(Edit->PixelsToRowColumn(X0 + 2 * W + W - 1, H), MakeDisplayCoord(3, 12));
    // The right half of a cell lands after it.
    EXPECT_EQ(Edit->PixelsToNearestRowColumn(X0 + 2 * W + W - 1, H), MakeDisplayCoord(4, 12));
    EXPECT_EQ(Edit->PixelsToRowColumn(0, 0), MakeDisplayCoord(1, 11));
    // Below the last whole row the nearest row is the last one.
    EXPECT_EQ(Edit->PixelsToNearestRowColumn(X0, 50 * H).Row, 20);
}

class CodeEditScroll : public TCodeEditFixture {
protected:
    void SetUp() override {
        TCodeEditFixture::SetUp();
        Edit->SetScrollBars(StdCtrls::ssBoth);
        Edit->HandleNeeded();
        SizeTo(20, 20);
    }
    TScrollInfo Bar(int Which) {
        TScrollInfo Info;
        Info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        EXPECT_TRUE(GetScrollInfo(Edit->Handle(), Which, Info));
        return Info;
    }
    void VScroll(int Code, int Pos = 0) { SendMessage(Edit->Handle(), WM_VSCROLL, MAKEWPARAM(Code, Pos), 0); }
};

TEST_F(CodeEditScroll, TheVerticalBarShowsTopLineAndPage) {
    NumberedLines(100);
    Edit->SetTopLine(30);
    const TScrollInfo Info = Bar(SB_VERT);
    EXPECT_EQ(Info.nMin, 1);
    EXPECT_EQ(Info.nMax, 100);
    EXPECT_EQ(Info.nPage, 20u);
    EXPECT_EQ(Info.nPos, 30);
    SetOption(eoScrollPastEof, true);
    EXPECT_EQ(Bar(SB_VERT).nMax, 100 + 20 - 1);
}

TEST_F(CodeEditScroll, TheHorizontalBarCoversMaxScrollWidthOrTheLongestLine) {
    Edit->SetText(String(70, u'x'));
    EXPECT_EQ(Bar(SB_HORZ).nMax, 1024);
    SetOption(eoScrollPastEol, false);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 70);
    Edit->SetLeftChar(10);
    EXPECT_EQ(Bar(SB_HORZ).nPos, 10);
    EXPECT_EQ(Bar(SB_HORZ).nPage, 20u);
}

TEST_F(CodeEditScroll, ScrollMessagesMoveTheTopLine) {
    NumberedLines(100);
    const struct {
        bool OneLess;
        int From, Code, Pos, To;
    } Cases[] = {
        {false, 1, SB_LINEDOWN, 0, 2}, {false, 5, SB_LINEUP, 0, 4},       {false, 1, SB_PAGEDOWN, 0, 21},
        {true, 1, SB_PAGEDOWN, 0, 20}, {false, 50, SB_PAGEUP, 0, 30},     {false, 50, SB_TOP, 0, 1},
        {false, 1, SB_BOTTOM, 0, 81},  {false, 1, SB_THUMBTRACK, 40, 40},
    };
    int Scrolls = 0;
    Edit->OnScroll = [&](TObject*, TScrollBarKind Kind) {
        EXPECT_EQ(Kind, sbVertical);
        ++Scrolls;
    };
    for (const auto& C : Cases) {
        SetOption(eoScrollByOneLess, C.OneLess);
        Edit->SetTopLine(C.From);
        VScroll(C.Code, C.Pos);
        EXPECT_EQ(Edit->TopLine(), C.To) << C.Code << " from " << C.From;
    }
    EXPECT_EQ(Scrolls, int(std::size(Cases)));
    EXPECT_TRUE(Edit->IsScrolling());
    VScroll(SB_ENDSCROLL);
    EXPECT_FALSE(Edit->IsScrolling());
}

TEST_F(CodeEditScroll, ALongTextIsScaledThroughThe16BitRange) {
    NumberedLines(100000);
    EXPECT_EQ(Bar(SB_VERT).nMin, 0);
    EXPECT_EQ(Bar(SB_VERT).nMax, 32767);
    VScroll(SB_THUMBTRACK, 16384);
    EXPECT_NEAR(Edit->TopLine(), 50000, 50);
    EXPECT_NEAR(Bar(SB_VERT).nPos, 16384, 5);
    VScroll(SB_ENDSCROLL);
}

TEST_F(CodeEditScroll, TheWheelAccumulatesPartNotches) {
    NumberedLines(100);
    const struct {
        int Delta;
        bool Ctrl;
        int TopLine;
    } Steps[] = {{-60, false, 1},  {-60, false, 4},  {-240, false, 10}, {120, false, 7},
                 {-120, true, 27}, {-30, false, 27}, {90, false, 27},   {-60, false, 27}};
    for (const auto& S : Steps) {
        WheelMessage(Edit, {10, 10}, S.Delta, S.Ctrl ? TShiftState{ssCtrl} : TShiftState{});
        EXPECT_EQ(Edit->TopLine(), S.TopLine) << S.Delta;
    }
    SetOption(eoHalfPageScroll, true);
    WheelMessage(Edit, {10, 10}, -120, TShiftState{ssCtrl});
    EXPECT_EQ(Edit->TopLine(), 37);
}

TEST(CodeEditScrollHint, TextForTheTwoFormats) {
    EXPECT_EQ(U8(ScrollHintText(shfTopLineOnly, 5, 9)), "Top Line: 5");
    EXPECT_EQ(U8(ScrollHintText(shfTopToBottom, 5, 9)), "5 - 9");
}

TEST_F(CodeEditCaret, TheCaretShapeFollowsTheModeAndSitsInItsCell) {
    const int H = Edit->LineHeight();
    const struct {
        TCodeEditCaretType Shape;
        TPoint Offset;
    } Cases[] = {
        {ctVerticalLine, {-1, 0}},
        {ctHorizontalLine, {0, H - 2}},
        {ctHalfBlock, {0, (H - 2) / 2}},
        {ctBlock, {0, 0}},
    };
    for (const auto& C : Cases) {
        Edit->SetInsertMode(false);
        Edit->SetInsertCaret(C.Shape);
        Edit->SetOverwriteCaret(C.Shape == ctBlock ? ctVerticalLine : ctBlock);
        Edit->SetInsertMode(true);
        EXPECT_EQ(Edit->CaretOffset(), C.Offset) << int(C.Shape);
        // Overwrite mode takes the other shape.
        Edit->SetInsertMode(false);
        const TPoint Overwrite = C.Shape == ctBlock ? TPoint{-1, 0} : TPoint{0, 0};
        EXPECT_EQ(Edit->CaretOffset(), Overwrite) << int(C.Shape);
    }
}
