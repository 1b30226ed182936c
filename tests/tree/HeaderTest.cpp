// The header's columns without a window: layout by position, width limits, auto-size and spring
// columns, moving positions, shared width changes, index upkeep on deletion, and the header's
// stream record with the damaged streams it refuses.

#include "TreeTestSupport.h"

#include "support/TestSupport.h"

#include "platform/base/Streams.h"

#include <cstring>

namespace {

struct THeaderFixture {
    TTestTree Tree;
    TLTHeader* H = Tree.Header();
    TLeanTreeColumns* Cols = H->Columns();

    explicit THeaderFixture(std::initializer_list<int> Widths = {100, 100, 100}) {
        Tree.SetBounds(0, 0, 400, 200);
        for (int W : Widths)
            Cols->Add()->SetWidth(W);
    }
    std::vector<int> Lefts() const {
        std::vector<int> L;
        for (int I = 0; I < Cols->Count(); ++I)
            L.push_back(Cols->Items(I)->Left());
        return L;
    }
    std::vector<int> Widths() const {
        std::vector<int> W;
        for (int I = 0; I < Cols->Count(); ++I)
            W.push_back(Cols->Items(I)->Width());
        return W;
    }
};

TEST(HeaderColumns, LayOutByPositionAndSkipHiddenColumns) {
    THeaderFixture F({50, 70, 30});
    EXPECT_EQ(F.Lefts(), (std::vector<int>{0, 50, 120}));
    EXPECT_EQ(F.Cols->TotalWidth(), 150);
    EXPECT_EQ(F.H->MainColumn(), 0);
    F.Cols->Items(2)->SetPosition(0);
    EXPECT_EQ(F.Cols->PositionToIndex(), (std::vector<TColumnIndex>{2, 0, 1}));
    EXPECT_EQ(F.Lefts(), (std::vector<int>{30, 80, 0}));
    F.Cols->Items(0)->SetOptions(F.Cols->Items(0)->Options() - TLTColumnOptions{coVisible});
    EXPECT_EQ(F.Lefts(), (std::vector<int>{30, 30, 0}));
    EXPECT_EQ(F.Cols->TotalWidth(), 100);
    EXPECT_EQ(F.Cols->GetFirstVisibleColumn(), 2);
    EXPECT_EQ(F.Cols->GetNextVisibleColumn(2), 1);
    EXPECT_EQ(F.Cols->GetNextVisibleColumn(1), ColumnNotFound);
    EXPECT_EQ(F.Cols->ColumnFromPosition(TPoint{35, 5}), 1);
    EXPECT_EQ(F.Cols->ColumnFromPosition(TPoint{-1, 5}), ColumnNotFound);
    EXPECT_EQ(F.Cols->ColumnFromPosition(TPoint{100, 5}), ColumnNotFound);
    EXPECT_EQ(F.Cols->ColumnFromPosition(TColumnPosition{1}), 0);
    EXPECT_EQ(F.Cols->ColumnFromPosition(TColumnPosition{3}), ColumnNone);
    int Left = -9, Right = -9;
    EXPECT_EQ(F.Cols->ColumnAndEdgesAt(TPoint{35, 5}, Left, Right), 1);
    EXPECT_EQ((std::pair{Left, Right}), (std::pair{30, 100}));
    EXPECT_EQ(F.Cols->ColumnAndEdgesAt(TPoint{100, 5}, Left, Right), ColumnNotFound);
}

TEST(HeaderColumns, MovingPositionsShiftsTheOthers) {
    struct TCase {
        TColumnIndex Column;
        TColumnPosition To;
        std::vector<TColumnIndex> Map;
    };
    for (const TCase& C : std::vector<TCase>{{0, 3, {1, 2, 3, 0}},
                                             {3, 0, {3, 0, 1, 2}},
                                             {1, 2, {0, 2, 1, 3}},
                                             {2, 99, {0, 1, 3, 2}}, // clamped to the last position
                                             {1, 1, {0, 1, 2, 3}}}) {
        THeaderFixture F({10, 20, 30, 40});
        F.Cols->Items(C.Column)->SetPosition(C.To);
        EXPECT_EQ(F.Cols->PositionToIndex(), C.Map) << C.Column << " to " << C.To;
        for (std::size_t P = 0; P < C.Map.size(); ++P)
            EXPECT_EQ(F.Cols->Items(C.Map[P])->Position(), P);
    }
}

TEST(HeaderColumns, WidthsStayWithinTheirLimits) {
    struct TCase {
        int Min, Max, Set, Expected;
    };
    for (const TCase& C : std::vector<TCase>{{10, 10000, 5, 10},
                                             {10, 10000, 20000, 10000},
                                             {30, 60, 45, 45},
                                             {30, 60, 70, 60},
                                             {0, 10000, 0, 0}}) {
        THeaderFixture F({50});
        TLeanTreeColumn* Col = F.Cols->Items(0);
        Col->SetMinWidth(C.Min);
        Col->SetMaxWidth(C.Max);
        Col->SetWidth(C.Set);
        EXPECT_EQ(Col->Width(), C.Expected) << C.Min << ".." << C.Max << " <- " << C.Set;
    }
    THeaderFixture F({50});
    TLeanTreeColumn* Col = F.Cols->Items(0);
    Col->SetMaxWidth(40);
    EXPECT_EQ(Col->Width(), 40); // the width follows a lowered maximum
    EXPECT_EQ(Col->LastWidth(), 50);
    Col->SetMinWidth(80);
    EXPECT_EQ(Col->MinWidth(), 40); // a minimum above the maximum stops at the maximum
    Col->SetMargin(-3);
    EXPECT_EQ(Col->Margin(), 4);
}

TEST(HeaderColumns, AutoSizeColumnTakesTheRoomTheOthersLeave) {
    THeaderFixture F({100, 50, 60});
    F.H->SetAutoSizeIndex(1);
    F.H->SetOptions(F.H->Options() + TLTHeaderOptions{hoAutoResize});
    EXPECT_EQ(F.Widths(), (std::vector<int>{100, 240, 60}));
    F.Cols->Items(0)->SetWidth(150);
    EXPECT_EQ(F.Widths(), (std::vector<int>{150, 190, 60}));
    F.Cols->Items(1)->SetMaxWidth(100);
    F.Cols->Items(2)->SetWidth(61);
    EXPECT_EQ(F.Widths()[1], 100);
    // An auto-size index out of range means the last column.
    THeaderFixture G({100, 50});
    G.H->SetAutoSizeIndex(7);
    G.H->SetOptions(G.H->Options() + TLTHeaderOptions{hoAutoResize});
    EXPECT_EQ(G.Widths(), (std::vector<int>{100, 300}));
}

TEST(HeaderColumns, SpringColumnsShareWidthChanges) {
    THeaderFixture F({100, 100, 100});
    for (int I : {0, 2})
        F.Cols->Items(I)->SetOptions(F.Cols->Items(I)->Options() + TLTColumnOptions{coAutoSpring});
    F.H->SetOptions(F.H->Options() + TLTHeaderOptions{hoAutoSpring});
    F.H->ShareSpringWidth(); // remembers the width
    F.Tree.SetBounds(0, 0, 431, 200);
    F.H->ShareSpringWidth();
    // 31 pixels: 15.5 each; the halves wait in the spring rest.
    EXPECT_EQ(F.Widths(), (std::vector<int>{115, 100, 115}));
    EXPECT_FLOAT_EQ(F.Cols->Items(0)->SpringRest(), 0.5f);
    F.Tree.SetBounds(0, 0, 432, 200);
    F.H->ShareSpringWidth();
    EXPECT_EQ(F.Widths(), (std::vector<int>{116, 100, 116}));
    F.Tree.SetBounds(0, 0, 400, 200);
    F.H->ShareSpringWidth();
    EXPECT_EQ(F.Widths(), (std::vector<int>{100, 100, 100}));
}

TEST(HeaderColumns, SharedShrinkSpreadsOddPixels) {
    THeaderFixture F({100, 100, 100});
    EXPECT_EQ(F.H->ResizeColumns(-10, 0, 2), -10);
    EXPECT_EQ(F.Widths(), (std::vector<int>{97, 97, 96}));
    EXPECT_EQ(F.H->ResizeColumns(-10, 0, 2), -10);
    EXPECT_EQ(F.Widths(), (std::vector<int>{94, 93, 93}));
    EXPECT_EQ(F.H->ResizeColumns(0, 0, 2), 0);
    // Limits cut the change: two columns can give 80 pixels each at most.
    THeaderFixture G({90, 90});
    EXPECT_EQ(G.H->ResizeColumns(-500, 0, 1), -160);
    EXPECT_EQ(G.Widths(), (std::vector<int>{10, 10}));
}

TEST(HeaderColumns, ScrollWidthIsTheRoundedAverage) {
    THeaderFixture F({10, 15});
    EXPECT_EQ(F.Cols->GetScrollWidth(), 12); // 12.5 to even
    THeaderFixture G({});
    EXPECT_EQ(G.Cols->GetScrollWidth(), 18); // the tree's indent
}

TEST(HeaderColumns, DeletingAColumnKeepsTheIndexesRight) {
    struct TCase {
        TColumnIndex Deleted, Sort, Main, ExpectSort, ExpectMain;
    };
    for (const TCase& C : std::vector<TCase>{{1, 2, 0, 1, 0}, {1, 1, 2, -1, 1}, {0, 0, 0, -1, 0}}) {
        THeaderFixture F({10, 20, 30});
        F.H->SetMainColumn(C.Main);
        F.H->SetSortColumn(C.Sort);
        F.Cols->Delete(C.Deleted);
        EXPECT_EQ(F.H->SortColumn(), C.ExpectSort) << C.Deleted;
        EXPECT_EQ(F.H->MainColumn(), C.ExpectMain) << C.Deleted;
        EXPECT_EQ(F.Cols->PositionToIndex(), (std::vector<TColumnIndex>{0, 1}));
    }
    THeaderFixture One({10});
    One.Cols->Delete(0);
    EXPECT_EQ(One.H->MainColumn(), ColumnNone);
    THeaderFixture Two({10, 20});
    Two.H->SetMainColumn(5);
    EXPECT_EQ(Two.H->MainColumn(), 1);
}

TEST(HeaderColumns, DisplayNameFallsBackForWideCaptions) {
    THeaderFixture F({10, 20, 30});
    F.Cols->Items(0)->SetText(u"Zeile");
    F.Cols->Items(2)->SetText(u"\u0417\u0430\u043f");
    EXPECT_EQ(F.Cols->Items(0)->DisplayName(), u"Zeile");
    EXPECT_EQ(F.Cols->Items(2)->DisplayName(), u"Column 2");
}

TEST(HeaderColumns, SortColumnSortsTheTreeByItsColumn) {
    THeaderFixture F({10, 20});
    F.Tree.SetNodeDataSize(sizeof(int) * 2);
    for (int I : {3, 1, 2}) {
        PLeanNode Node = F.Tree.AddChild(nullptr);
        auto* D = static_cast<int*>(F.Tree.GetNodeData(Node));
        D[0] = I;
        D[1] = -I;
    }
    std::vector<TColumnIndex> Columns;
    F.Tree.OnCompareNodes = [&](TBaseLeanTree* T, PLeanNode A, PLeanNode B, TColumnIndex Column,
                                int& Result) {
        Columns.push_back(Column);
        const int I = Column == 1 ? 1 : 0;
        Result = static_cast<int*>(T->GetNodeData(A))[I] - static_cast<int*>(T->GetNodeData(B))[I];
    };
    F.Tree.SetAuto({toAutoSort});
    F.H->SetSortColumn(1);
    std::vector<int> Order;
    for (PLeanNode N : F.Tree.Nodes())
        Order.push_back(static_cast<int*>(F.Tree.GetNodeData(N))[0]);
    EXPECT_EQ(Order, (std::vector<int>{3, 2, 1}));
    ASSERT_FALSE(Columns.empty());
    EXPECT_EQ(Columns.back(), 1);
    // Without auto sorting a new direction only repaints.
    F.Tree.SetAuto({}, {toAutoSort});
    Columns.clear();
    F.H->SetSortDirection(sdDescending);
    EXPECT_TRUE(Columns.empty());
}

// ---- The stream record ----------------------------------------------------------------------------

std::string HeaderBytes(TLTHeader* H) {
    TMemoryStream S;
    H->SaveToStream(&S);
    return std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<std::size_t>(S.Size()));
}

void LoadBytes(TLTHeader* H, const std::string& Bytes) {
    TMemoryStream S;
    S.WriteBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
    S.SetPosition(0);
    H->LoadFromStream(&S);
}

void PutInt(std::string& Bytes, std::size_t Offset, std::int32_t Value) {
    std::memcpy(Bytes.data() + Offset, &Value, 4);
}

TEST(HeaderStream, RoundTripKeepsColumnsAndHeaderValues) {
    THeaderFixture F({60, 200, 90});
    F.Cols->Items(0)->SetText(u"LineNr");
    F.Cols->Items(1)->SetText(u"Line");
    F.Cols->Items(1)->SetHint(u"The text");
    F.Cols->Items(2)->SetCaptionAlignment(taCenter);
    F.Cols->Items(2)->SetTag(7);
    F.Cols->Items(2)->SetColor(clYellow);
    F.Cols->Items(0)->SetPosition(2);
    F.H->SetMainColumn(1);
    F.H->SetSortColumn(2);
    F.H->SetSortDirection(sdDescending);
    F.H->SetStyle(hsPlates);
    F.H->SetOptions(TLTHeaderOptions{hoColumnResize, hoDrag, hoHotTrack, hoShowSortGlyphs, hoVisible});
    F.H->Font()->SetName(u"Arial");
    F.H->Font()->SetStyle({fsBold});
    F.H->FixedAreaConstraints()->SetMaxWidthPercent(40);
    const std::string Bytes = HeaderBytes(F.H);

    THeaderFixture G({});
    LoadBytes(G.H, Bytes);
    ASSERT_EQ(G.Cols->Count(), 3);
    EXPECT_TRUE(G.Cols->Equals(*F.Cols));
    EXPECT_EQ(G.Cols->PositionToIndex(), F.Cols->PositionToIndex());
    EXPECT_EQ(G.Lefts(), F.Lefts());
    EXPECT_EQ(G.H->MainColumn(), 1);
    EXPECT_EQ(G.H->SortColumn(), 2);
    EXPECT_EQ(G.H->SortDirection(), sdDescending);
    EXPECT_EQ(G.H->Style(), hsPlates);
    EXPECT_EQ(G.H->Options(), F.H->Options());
    EXPECT_EQ(G.H->Font()->Name(), u"Arial");
    EXPECT_EQ(G.H->Font()->Style(), TFontStyles{fsBold});
    EXPECT_EQ(G.H->FixedAreaConstraints()->MaxWidthPercent(), 40);
    EXPECT_EQ(HeaderBytes(G.H), Bytes);
}

TEST(HeaderStream, OldRecordsConvertOptionsAndSkipLaterFields) {
    // A version 1 column record: options of the old layout, Tag and Alignment, no Color.
    THeaderFixture F({50});
    std::string Bytes = HeaderBytes(F.H);
    // Marker, version, count, then the column record: text and hint lengths and 10 values.
    PutInt(Bytes, 4, 1);
    const std::size_t Options = 12 + 8 + 4 * 9;
    PutInt(Bytes, Options, 0x7F); // old bits 0..6: bits 4..6 move up one
    // Version 1 reads no Color, no default width and nothing after the sort direction.
    const std::size_t Color = Options + 4 + 8;
    Bytes.erase(Color, 4);
    Bytes.erase(Color + 4, 4);
    Bytes.resize(Bytes.size() - 8 * 4);
    THeaderFixture G({});
    G.H->SetMainColumn(ColumnNone);
    LoadBytes(G.H, Bytes);
    ASSERT_EQ(G.Cols->Count(), 1);
    EXPECT_EQ(G.Cols->Items(0)->Options(),
              (TLTColumnOptions{coAllowClick, coDraggable, coEnabled, coParentBidiMode, coResizable,
                                coShowDropMark, coVisible}));
}

TEST(HeaderStream, DamagedRecordsAreRefusedAndChangeNothing) {
    THeaderFixture F({60, 70});
    F.Cols->Items(0)->SetText(u"Name");
    const std::string Good = HeaderBytes(F.H);
    const std::size_t Count = 8, TextLength = 12;
    // The position map follows the two column records of 60 bytes each, the first with its text.
    const std::size_t Map = 12 + (60 + 8) + 60;
    // The font name's length: before "Tahoma" and the 13 values after it.
    const std::size_t FontName = Good.size() - 13 * 4 - 6 - 4;
    auto IntAt = [&](std::size_t Offset) {
        std::int32_t V = 0;
        std::memcpy(&V, Good.data() + Offset, 4);
        return V;
    };
    ASSERT_EQ(IntAt(Count), 2);
    ASSERT_EQ(IntAt(TextLength), 4);
    ASSERT_EQ(IntAt(Map), 0);
    ASSERT_EQ(IntAt(Map + 4), 1);
    ASSERT_EQ(IntAt(FontName), 6);
    ASSERT_EQ(IntAt(FontName - 12), hsThickButtons);
    // The first column's width, minimum and maximum follow its text and empty hint.
    const std::size_t Width = 12 + 4 + 8 + 4;
    ASSERT_EQ(IntAt(Width), 60);
    ASSERT_EQ(IntAt(Width + 4), 10);
    ASSERT_EQ(IntAt(Width + 8), 10000);
    ASSERT_EQ(IntAt(Map + 8), 50);
    struct TCase {
        const char* What;
        std::function<void(std::string&)> Damage;
    };
    const std::vector<TCase> Cases{
        {"text longer than the stream", [&](std::string& B) { PutInt(B, TextLength, 0x3FFFFFFF); }},
        {"negative text length", [&](std::string& B) { PutInt(B, TextLength, -5); }},
        {"column count beyond the stream", [&](std::string& B) { PutInt(B, Count, 50000000); }},
        {"negative column count", [&](std::string& B) { PutInt(B, Count, -1); }},
        {"map entry out of range", [&](std::string& B) { PutInt(B, Map, 2); }},
        {"map with a duplicate", [&](std::string& B) { PutInt(B, Map + 4, 0); }},
        {"cut short", [&](std::string& B) { B.resize(B.size() - 10); }},
        {"font name beyond the stream", [&](std::string& B) { PutInt(B, FontName, 1 << 30); }},
        {"unknown header style", [&](std::string& B) { PutInt(B, FontName - 12, 9); }},
        {"negative width", [&](std::string& B) { PutInt(B, Width, -1); }},
        {"width beyond any screen", [&](std::string& B) { PutInt(B, Width, 0x731F000A); }},
        {"negative minimum width", [&](std::string& B) { PutInt(B, Width + 4, -10); }},
        {"maximum width beyond any screen", [&](std::string& B) { PutInt(B, Width + 8, 0x7FFFFFFF); }},
        {"default width beyond any screen", [&](std::string& B) { PutInt(B, Map + 8, 1 << 30); }},
    };
    for (const TCase& C : Cases) {
        std::string Bytes = Good;
        C.Damage(Bytes);
        THeaderFixture G({10, 20, 30});
        G.Cols->Items(1)->SetText(u"Kept");
        const std::string Before = HeaderBytes(G.H);
        EXPECT_THROW(LoadBytes(G.H, Bytes), EReadError) << C.What;
        EXPECT_EQ(HeaderBytes(G.H), Before) << C.What;
    }
    // The undamaged record still loads.
    THeaderFixture G({});
    LoadBytes(G.H, Good);
    EXPECT_EQ(G.Cols->Count(), 2);
}

TEST(HeaderStream, WidthsThatWouldOverflowTheirSumAreRefused) {
    // Widths within the bound each, but together past what the header can sum.
    THeaderFixture F({});
    for (int I = 0; I < 600; ++I) {
        TLeanTreeColumn* C = F.Cols->Add();
        C->SetMaxWidth(1000000);
        C->SetWidth(1000000);
    }
    const std::string Wide = HeaderBytes(F.H);
    const std::string Recorded = ReadBytes(MORVANE_SOURCE_DIR "/tests/tree/data/header-column-widths-overflow.bin");
    for (const std::string& Bytes : {Wide, Recorded}) {
        THeaderFixture G({10, 20});
        const std::string Before = HeaderBytes(G.H);
        EXPECT_THROW(LoadBytes(G.H, Bytes), EReadError);
        EXPECT_EQ(HeaderBytes(G.H), Before);
    }
    // Fewer such columns still load.
    THeaderFixture Fewer({});
    for (int I = 0; I < 5; ++I) {
        TLeanTreeColumn* C = Fewer.Cols->Add();
        C->SetMaxWidth(1000000);
        C->SetWidth(1000000);
    }
    THeaderFixture G({});
    LoadBytes(G.H, HeaderBytes(Fewer.H));
    EXPECT_EQ(G.Cols->TotalWidth(), 5000000);
}

TEST(HeaderStream, OldRecordWithoutColumnsLeavesNoMainColumnBehind) {
    // An old record (no marker) with no columns: the main column it replaced must go with them,
    // so that saving and loading again write the same bytes.
    const std::string Recorded =
        ReadBytes(MORVANE_SOURCE_DIR "/tests/tree/data/header-without-columns-keeps-main-column.bin");
    THeaderFixture F({60, 70});
    F.H->SetMainColumn(1);
    F.H->SetSortColumn(1);
    LoadBytes(F.H, Recorded);
    EXPECT_EQ(F.Cols->Count(), 0);
    EXPECT_EQ(F.H->MainColumn(), ColumnNone);
    EXPECT_EQ(F.H->SortColumn(), ColumnNone);
    const std::string First = HeaderBytes(F.H);
    THeaderFixture G({60, 70});
    LoadBytes(G.H, First);
    EXPECT_EQ(HeaderBytes(G.H), First);
}

TEST(HeaderStream, StreamWithoutMarkerIsAnOldHeader) {
    THeaderFixture F({});
    std::string Bytes = HeaderBytes(F.H).substr(8); // no marker and version
    Bytes.erase(4, 4);                              // nor the default width
    // An old header stops after the font: no main column, sort or limits follow.
    Bytes.resize(Bytes.size() - 4 * 11);
    THeaderFixture G({10, 20});
    G.H->SetSortDirection(sdDescending);
    LoadBytes(G.H, Bytes);
    EXPECT_EQ(G.Cols->Count(), 0);
    EXPECT_EQ(G.H->SortDirection(), sdDescending);
}

TEST(HeaderConstraints, PercentagesKeepMinimumBelowMaximum) {
    THeaderFixture F({});
    TLTFixedAreaConstraints* C = F.H->FixedAreaConstraints();
    C->SetMaxWidthPercent(40);
    C->SetMinWidthPercent(60);
    EXPECT_EQ(C->MaxWidthPercent(), 60);
    C->SetMaxHeightPercent(30);
    C->SetMinHeightPercent(20);
    C->SetMaxHeightPercent(10);
    EXPECT_EQ(C->MinHeightPercent(), 10);
}

// ---- Colours and clipboard formats ----------------------------------------------------------------

TEST(TreeColors, DefaultsAndChanges) {
    TTestTree Tree;
    TLTColors* C = Tree.Colors();
    EXPECT_EQ(C->FocusedSelectionColor(), clHighlight);
    EXPECT_EQ(C->TreeLineColor(), clBtnShadow);
    EXPECT_EQ(C->HotColor(), clWindowText);
    EXPECT_EQ(C->SelectionTextColor(), clHighlightText);
    C->SetColor(ciHotColor, clRed);
    TTestTree Other;
    Other.SetColors(C);
    EXPECT_EQ(Other.Colors()->HotColor(), clRed);
    TScrollBarOptions* S = Tree.ScrollBarOptions();
    EXPECT_EQ(S->HorizontalIncrement(), 20);
    S->SetVerticalIncrement(0);
    EXPECT_EQ(S->VerticalIncrement(), 1);
}

} // namespace
