// Edits that type through a text widget, placed in a grid's columns: the grid paints each row's
// cell as the control's picture of that row's record; over a focused grid the edit shows its text
// in the grid's highlight. Every test runs over datasets in memory and in SQLite.
#include "dataaware/grids/daDBGrid.h"

#include "dataaware/edits/EditTestSupport.h"
#include "dataaware/edits/daDBCombo.h"
#include "dataaware/edits/daDBSpinEdit.h"
#include "dataaware/grids/GridTestSupport.h"
#include "support/GraphicsTestSupport.h"

namespace {

class InCellPaint : public ::testing::TestWithParam<TDataSetKind> {};

// Four records whose texts differ in width; the third is empty.
const char16_t* const Names[] = {u"W", u"WWWWWW", u"", u"WWW"};
const int Counts[] = {7, 123456, 0, 42};

TDataSet* MakeRows(TComponent* Owner, TDataSetKind Kind) {
    TDataSet* DS = MakeEditDataSet(Owner, Kind);
    for (int I = 0; I < 4; ++I) {
        if (I == 0) {
            DS->First();
            DS->Edit();
        } else {
            DS->Append();
            DS->FieldByName(u"ID")->SetAsInteger(I + 1);
        }
        for (const char16_t* Field : {u"NAME", u"COUNT", u"PRICE"})
            if (!Names[I][0])
                DS->FieldByName(Field)->Clear();
            else if (String(Field) == u"NAME")
                DS->FieldByName(Field)->SetAsString(Names[I]);
            else
                DS->FieldByName(Field)->SetAsInteger(Counts[I]);
        DS->Post();
    }
    DS->First();
    return DS;
}

struct TCellForm {
    TEditLocale Locale;
    TForm Form{nullptr};
    TDataSet* DS;
    TDataSource* Source = new TDataSource(&Form);
    TdaDBGrid* Grid = new TdaDBGrid(&Form);

    explicit TCellForm(TDataSetKind Kind) : DS(MakeRows(&Form, Kind)) {
        Form.SetBounds(0, 0, 520, 260);
        Source->SetDataSet(DS);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, 500, 200);
    }
    // A control of the grid's column for Field, known to the grid by its name.
    template <class T> T* Place(const String& Name, const String& Field) {
        auto* E = new T(&Form);
        E->SetName(Name);
        E->SetVisible(false);
        E->SetParent(Grid);
        E->SetBorderStyle(Controls::bsNone);
        // Its own colour must not reach the cells: they keep the grid's.
        E->SetColor(clYellow);
        E->SetDataSource(Source);
        E->SetDataField(Field);
        Grid->ControlType()->Add(Field + u";CustomEdit;" + Name + u";T");
        return E;
    }
    TRect Cell(int Col, int Row) {
        TRect R = Grid->CellRect(Col, Row);
        const TPoint C = Grid->ClientOrigin(), F = Form.ClientOrigin();
        OffsetRect(R, C.X - F.X - Grid->Left(), C.Y - F.Y - Grid->Top());
        return R;
    }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, InCellPaint, ::testing::Values(dkMemory, dkSQLite),
                         [](const auto& Info) { return KindName(Info.param); });

TEST_P(InCellPaint, EachRowShowsItsOwnRecordThroughTheControlsPicture) {
    TCellForm F(GetParam());
    // One control of each kind, each in its own column.
    F.Place<TdaDBComboBox>(u"NameCombo", u"NAME");
    auto* CountEdit = F.Place<TdaDBEdit>(u"CountEdit", u"COUNT");
    auto* Spin = F.Place<TdaDBSpinEdit>(u"PriceSpin", u"PRICE");
    // The grid shows these three columns only, after its indicator.
    const char16_t* Fields[] = {u"NAME", u"PRICE", u"COUNT"};
    for (int I = 0; I < F.DS->FieldCount(); ++I) {
        TField* Each = F.DS->Fields().Fields(I);
        Each->SetVisible(Each->FieldName() == u"NAME" || Each->FieldName() == u"COUNT" ||
                         Each->FieldName() == u"PRICE");
    }
    F.Form.Show();
    F.Grid->HandleNeeded();
    F.Grid->SetDataSource(F.Source);
    ProcessMessages();
    auto ColOf = [&](const String& Name) {
        int Col = 1;
        for (const char16_t* Each : Fields) {
            if (Name == Each) return Col;
            ++Col;
        }
        return -1;
    };
    const int PriceCol = ColOf(u"PRICE");
    ASSERT_EQ(F.Grid->CacheColInfo()[size_t(PriceCol)].CustomControl, Spin);

    F.Grid->Invalidate();
    auto B = GrabControl(F.Grid);
    Keep(*B, GetParam() == dkMemory ? "grid-in-cell-edits-memory" : "grid-in-cell-edits-sqlite");
    TBitmap Measure(10, 10);
    Measure.Canvas()->Font()->Assign(F.Grid->Font());
    for (const char16_t* Field : Fields) {
        SCOPED_TRACE(U8(Field));
        const int Col = ColOf(Field);
        ASSERT_TRUE(F.Grid->CacheColInfo()[size_t(Col)].AlwaysPaints);
        std::vector<int> Widths;
        for (int R = 1; R <= 4; ++R) {
            const bool Name = String(Field) == u"NAME";
            TRect Cell = F.Cell(Col, R);
            // Clear of the row line and of the current cell's focus rectangle.
            InflateRect(Cell, -2, -2);
            // The cell's background, on the side its text keeps away from (names stand at the
            // left, numbers at the right); the current cell wears the grid's highlight.
            const TColor Back = B->Canvas()->Pixels(Name ? Cell.Right - 2 : Cell.Left + 2, (Cell.Top + Cell.Bottom) / 2);
            if (R != F.Grid->Row()) {
                EXPECT_EQ(ColorToRGB(Back), ColorToRGB(F.Grid->Color())) << "row " << R;
            }
            const TRect Ink = InkBox(B->Canvas(), Cell, Back);
            Widths.push_back(Ink.Width());
            const String Text = Name ? String(Names[R - 1])
                                : Names[R - 1][0]         ? IntToStr(Counts[R - 1])
                                                          : String();
            if (Text.empty()) {
                EXPECT_TRUE(IsRectEmpty(Ink)) << "row " << R << " is empty";
                continue;
            }
            EXPECT_NEAR(Ink.Width(), Measure.Canvas()->TextWidth(Text), 3) << "row " << R << " shows " << U8(Text);
            if (Name)
                EXPECT_LT(Ink.Left - Cell.Left, 4) << "row " << R << " starts at the cell's left";
            else
                EXPECT_LT(Cell.Right - Ink.Right, 6) << "row " << R << " ends at the cell's right";
        }
        EXPECT_LT(Widths[0], Widths[3]);
        EXPECT_LT(Widths[3], Widths[1]);
    }
    // With the edit shown and typing in the current row, its text widget stays out of the others.
    CountEdit->SetVisible(true);
    CountEdit->SetBounds(F.Grid->CellRect(ColOf(u"COUNT"), 1).Left, F.Grid->CellRect(ColOf(u"COUNT"), 1).Top, 60, 18);
    CountEdit->SetFocus();
    ProcessMessages();
    ASSERT_TRUE(CountEdit->Focused());
    F.Grid->Invalidate();
    auto Typing = GrabControl(F.Grid);
    TRect Second = F.Cell(ColOf(u"COUNT"), 2);
    InflateRect(Second, -2, -2);
    EXPECT_NEAR(InkBox(Typing->Canvas(), Second, F.Grid->Color()).Width(), Measure.Canvas()->TextWidth(u"123456"), 3);
    EXPECT_TRUE(CountEdit->Focused()) << "painting the rows leaves the focus alone";
    // The controls keep the current record.
    EXPECT_EQ(F.DS->RecNo(), 1);
    EXPECT_EQ(F.DS->FieldByName(u"NAME")->AsString(), u"W");
}

TEST_P(InCellPaint, AnEditOverAFocusedGridShowsItsTextInTheGridsHighlight) {
    TCellForm F(GetParam());
    auto* Edit = new TdaDBEdit(&F.Form);
    Edit->SetParent(F.Grid);
    Edit->SetBorderStyle(Controls::bsNone);
    Edit->SetBounds(200, 60, 120, 20);
    Edit->SetColor(clYellow);
    Edit->SetDataSource(F.Source);
    Edit->SetDataField(u"NAME");
    auto* Other = new TEdit(&F.Form);
    Other->SetParent(&F.Form);
    Other->SetBounds(0, 220, 80, 20);
    bool Asked = false;
    F.Grid->OnCalcCellColors = [&](TObject* Sender, TField* Field, TGridDrawState, bool Highlight, TFont* Font,
                                   TBrush* Brush) {
        if (Sender == F.Grid && Highlight && Field && Field->FieldName() == u"NAME") {
            Asked = true;
            Brush->SetColor(clLime);
            Font->SetColor(clRed);
        }
    };
    F.Form.Show();
    F.Grid->SetDataSource(F.Source);
    F.Grid->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return F.Grid->Focused(); }));
    ASSERT_TRUE(Edit->ParentIsFocusedDBGrid());
    Edit->Invalidate();
    auto Lit = GrabControl(Edit);
    Keep(*Lit, GetParam() == dkMemory ? "edit-in-focused-grid-memory" : "edit-in-focused-grid-sqlite");
    EXPECT_TRUE(Asked) << "the grid's colour event, found by its name";
    EXPECT_EQ(PixelOf(*Lit, Edit->Width() - 10, Edit->Height() / 2), clLime);
    int Red = 0;
    for (int Y = 0; Y < Edit->Height(); ++Y)
        for (int X = 0; X < 30; ++X)
            if (const TColor P = PixelOf(*Lit, X, Y); (P & 0xFF) > 150 && ((P >> 8) & 0xFF) < 120) ++Red;
    EXPECT_GT(Red, 3) << "the text \"W\" in the event's font colour (smoothed: reddish)";
    // Without the grid's focus: the edit's own colour around its text.
    Other->SetFocus();
    ASSERT_TRUE(WaitUntil([&] { return Other->Focused(); }));
    EXPECT_FALSE(Edit->ParentIsFocusedDBGrid());
    Edit->Invalidate();
    auto Plain = GrabControl(Edit);
    EXPECT_EQ(PixelOf(*Plain, Edit->Width() - 10, Edit->Height() / 2), clYellow);
}
