// The Functions tab: the passes over the active file, the filter boxes, sorting and the jump.

#include "EditorFixture.h"

#include "ide/FunctionList.h"

#include <set>

namespace {

struct FunctionListTest : TEditorFixture {
    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
    }
    // "line:kind:text" per entry, in list order.
    std::vector<std::string> Listed() {
        std::vector<std::string> Out;
        TLeanStringTree* T = Main->vstFunctionList;
        for (PLeanNode N = T->GetFirst(); N; N = T->GetNext(N))
            if (TFunctionListRec* R = FunctionListRecord(T, N))
                Out.push_back(std::to_string(R->LineNr) + ":" + std::to_string(R->Kind) + ":" + U8(R->Line));
        return Out;
    }
    void Boxes(bool F, bool D, bool C, bool V, bool O) {
        Main->chkF->SetChecked(F);
        Main->chkDef->SetChecked(D);
        Main->chkConst->SetChecked(C);
        Main->chkVars->SetChecked(V);
        Main->chkOther->SetChecked(O);
        Main->RefreshFunctionList();
    }
};

} // namespace

TEST_F(FunctionListTest, ARealExampleSketchIsListedByThePasses) {
    const std::string Source = "/usr/share/arduino/examples/02.Digital/Debounce/Debounce.ino";
    ASSERT_TRUE(std::filesystem::exists(Source));
    TfrmEditor* Editor = Open(Sketch("Debounce/Debounce.ino", ReadBytes(Source)));
    Editor->codeedt->SetCaretXY({1, 20});
    Boxes(true, true, true, true, true);
    const std::vector<std::string> L = Listed();
    // Setup and loop heads, kind 1 and 2, in their file order first.
    ASSERT_GE(L.size(), 2u);
    EXPECT_EQ(L[0].substr(L[0].find(':')), ":1:void setup() {");
    EXPECT_EQ(L[1].substr(L[1].find(':')), ":2:void loop() {");
    // The constant pins are constants, listed once.
    int Consts = 0, Vars = 0;
    for (const std::string& S : L) {
        if (S.find(":3:const int") != std::string::npos) ++Consts;
        if (S.find(":4:") != std::string::npos) ++Vars;
    }
    EXPECT_EQ(Consts, 2);
    EXPECT_GE(Vars, 2);
    // Every line once at most, apart from the defines and the other declarations.
    std::set<std::string> Lines;
    for (const std::string& S : L)
        if (S.find(":5:") == std::string::npos) {
            EXPECT_TRUE(Lines.insert(S.substr(0, S.find(':'))).second) << S;
        }
    // The caret goes back to its line, at column 1.
    EXPECT_EQ(Editor->codeedt->CaretXY(), (TBufferCoord{1, 20}));
}

TEST_F(FunctionListTest, ThePassesAndTheirQuirks) {
    const struct {
        const char* Name;
        const char* Text;
        bool F, D, C, V, O;
        std::vector<std::string> Expected;
    } Cases[] = {
        {"heads", "// x\n\nvoid setup() {\n}\n\n\n\nvoid loop() {\n}\nint f(int a) {\n", true, false, false, false, false,
         {"3:1:void setup() {", "8:2:void loop() {", "10:0:int f(int a) {"}},
        {"var once", "int count = 5;\n", false, false, false, true, true, {"1:4:int count = 5;"}},
        // The defines pass starts on line 1 at the caret's column after a function hit.
        {"define missed", "#define A 1\nvoid setup() {\n", true, true, false, false, false, {"2:1:void setup() {"}},
        {"define found", "#define A 1\nint x;\n", true, true, false, false, false, {"1:3:#define A 1"}},
        // A define after the caret's column is listed again by the defines pass.
        {"define twice", "         #define F void f()\nvoid g()\n", true, true, false, false, false,
         {"1:0:#define F void f()", "2:0:void g()", "1:3:#define F void f()"}},
        {"none ticked", "void setup() {\n", false, false, false, false, false, {}},
    };
    for (const auto& C : Cases) {
        Open(Sketch(std::string(C.Name) + ".ino", C.Text));
        Boxes(C.F, C.D, C.C, C.V, C.O);
        EXPECT_EQ(Listed(), C.Expected) << C.Name;
    }
}

TEST_F(FunctionListTest, SortingAndJumping) {
    Main->Show();
    std::string Text;
    for (int I = 1; I <= 100; ++I)
        Text += I == 40 ? "void b() {\n" : I == 50 ? "void a() {\n" : "//\n";
    TfrmEditor* Editor = Open(Sketch("jump.ino", Text));
    Boxes(true, false, false, false, false);
    ASSERT_EQ(Listed(), (std::vector<std::string>{"40:0:void b() {", "50:0:void a() {"}));
    Main->vstFunctionList->SortTree(1, sdAscending);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"50:0:void a() {", "40:0:void b() {"}));
    Main->vstFunctionList->SortTree(0, sdAscending);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"40:0:void b() {", "50:0:void a() {"}));

    // No focused entry: nothing moves.
    Editor->codeedt->SetCaretXY({1, 3});
    Main->JumpToFunction();
    EXPECT_EQ(Editor->codeedt->CaretY(), 3);
    EXPECT_EQ(Editor->codeedt->Marks()->Count(), 0);

    Main->vstFunctionList->SetFocusedNode(Main->vstFunctionList->GetFirst());
    Main->JumpToFunction();
    EXPECT_EQ(Editor->codeedt->CaretY(), 40);
    EXPECT_EQ(Editor->codeedt->TopLine(), 35);
    ASSERT_EQ(Editor->codeedt->Marks()->Count(), 1);
    EXPECT_EQ(Editor->codeedt->Marks()->Items(0)->Line(), 40);
    EXPECT_EQ(Editor->codeedt->Marks()->Items(0)->ImageIndex(), 14);

    // Without an editor the list empties.
    Main->pgEdit->SetActivePageIndex(0);
    Main->RefreshFunctionList();
    EXPECT_TRUE(Listed().empty());
}

TEST_F(FunctionListTest, TheListFillsItsTabAndAClickOnAnEntryMarksItsLine) {
    Main->Show();
    std::string Text = "// a sketch\n#define LED 13\nvoid setup() {\n}\n";
    for (int I = 5; I <= 120; ++I)
        Text += I == 40 ? "void loop() {\n" : "//\n";
    TfrmEditor* Editor = Open(Sketch("marks/marks.ino", Text));
    Main->pgLeftPane->SetActivePage(Main->tsFunctionList);
    ProcessMessages();
    // The list takes the whole tab below the filter boxes, whatever size the tab had at first.
    TLeanStringTree* List = Main->vstFunctionList;
    EXPECT_EQ(List->Width(), Main->tsFunctionList->ClientWidth());
    EXPECT_GT(List->Height(), Main->tsFunctionList->ClientHeight() - 40);
    EXPECT_GT(List->Height(), 200);
    EXPECT_LT(Main->chkF->Top() + Main->chkF->Parent()->Top(), List->Top());
    ASSERT_EQ(Listed(), (std::vector<std::string>{"3:1:void setup() {", "40:2:void loop() {", "2:3:#define LED 13"}));
    EXPECT_EQ(List->Images(), DM->imglstTree);
    // "LineNr" and "Line" side by side.
    ASSERT_EQ(List->Header()->Columns()->Count(), 2);
    EXPECT_EQ(List->Header()->Columns()->Items(1)->Left(), List->Header()->Columns()->Items(0)->Width());

    // A click on the loop entry, as the mouse gives it.
    PLeanNode Loop = List->GetNext(List->GetFirst());
    const TRect R = List->GetDisplayRect(Loop, 1, false);
    ASSERT_FALSE(R.IsEmpty());
    SynthClick(List, TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2});
    ProcessMessages();
    TCodeEdit* Code = Editor->codeedt;
    EXPECT_EQ(Code->CaretY(), 40);
    EXPECT_EQ(Code->TopLine(), 35);
    ASSERT_EQ(Code->Marks()->Count(), 1);
    // The red mark stands in the gutter on the caret's row.
    Code->Repaint();
    auto Picture = GrabControl(Code);
    const int Row = (40 - Code->TopLine()) * Code->LineHeight();
    int Red = 0;
    for (int Y = Row; Y < Row + Code->LineHeight(); ++Y)
        for (int X = 0; X < Code->GutterWidth(); ++X) {
            const TColorRef C = RgbOf(*Picture, X, Y);
            Red += GetRValue(C) > 200 && GetGValue(C) < 60 && GetBValue(C) < 60;
        }
    EXPECT_GT(Red, 10);
    if (const char* Dir = std::getenv("MORVANE_SCREENSHOTS"))
        GrabControl(Main.get())->SaveToFile(Utf8ToString(std::string(Dir) + "/function-list.png"));
}
