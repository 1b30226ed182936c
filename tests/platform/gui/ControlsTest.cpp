// Controls: layout by Align and Anchors, handles made only when needed, painting through the
// canvas, keys and mouse arriving as messages and events, WindowProc and Perform.
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"

#include "platform/base/Strings.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/ExtCtrls.h"

#include <QDir>

namespace {

struct TChildSpec {
    TAlign Align;
    TRect Bounds;   // as set before the layout
    int MaxWidth;   // constraint, 0 for none
    bool Graphic;   // a window-less bar
    TRect Expected; // after the layout
};

struct TAlignCase {
    const char* Name;
    std::vector<TChildSpec> Children;
};

// The form's client area is 400 x 300.
const TAlignCase AlignCases[] = {
    {"TopBottomLeftSplitterRightClient",
     {{alTop, Bounds(0, 0, 10, 40), 0, false, Bounds(0, 0, 400, 40)},
      {alBottom, Bounds(0, 0, 10, 30), 0, false, Bounds(0, 270, 400, 30)},
      {alLeft, Bounds(0, 0, 100, 10), 0, false, Bounds(0, 40, 100, 230)},
      {alLeft, Bounds(100, 0, 4, 10), 0, true, Bounds(100, 40, 4, 230)},
      {alRight, Bounds(0, 0, 50, 10), 0, false, Bounds(350, 40, 50, 230)},
      {alClient, Bounds(0, 0, 10, 10), 0, false, Bounds(104, 40, 246, 230)}}},
    // Equal alignments go by position: the upper top panel first, the lower bottom one last.
    {"TopsByTopBottomsByBottom",
     {{alTop, Bounds(0, 50, 10, 20), 0, false, Bounds(0, 30, 400, 20)},
      {alTop, Bounds(0, 10, 10, 30), 0, false, Bounds(0, 0, 400, 30)},
      {alBottom, Bounds(0, 200, 10, 10), 0, false, Bounds(0, 275, 400, 10)},
      {alBottom, Bounds(0, 280, 10, 15), 0, false, Bounds(0, 285, 400, 15)}}},
    // A constrained panel gives back what it does not take.
    {"ConstraintGivesBackRoom",
     {{alLeft, Bounds(0, 0, 120, 10), 80, false, Bounds(0, 0, 80, 300)},
      {alClient, Bounds(0, 0, 10, 10), 0, false, Bounds(80, 0, 320, 300)}}},
    {"RightsFromTheRightEdge",
     {{alRight, Bounds(300, 0, 30, 10), 0, false, Bounds(370, 0, 30, 300)},
      {alRight, Bounds(200, 0, 20, 10), 0, false, Bounds(350, 0, 20, 300)},
      {alNone, Bounds(5, 6, 7, 8), 0, false, Bounds(5, 6, 7, 8)}}},
};

class AlignLayout : public ::testing::TestWithParam<TAlignCase> {};

} // namespace

TEST_P(AlignLayout, ArrangesAsTheClassLibraryDoes) {
    const TAlignCase& Case = GetParam();
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 300);
    std::vector<TControl*> Children;
    Form.DisableAlign();
    for (const TChildSpec& S : Case.Children) {
        TControl* C = S.Graphic ? static_cast<TControl*>(new TTestBar(&Form, &Form))
                                : static_cast<TControl*>(new TTestPanel(&Form, &Form));
        C->SetBoundsRect(S.Bounds);
        C->Constraints()->SetMaxWidth(S.MaxWidth);
        C->SetAlign(S.Align);
        Children.push_back(C);
    }
    Form.EnableAlign();
    for (std::size_t I = 0; I < Children.size(); ++I)
        EXPECT_EQ(Children[I]->BoundsRect(), Case.Children[I].Expected) << "child " << I;
    // No window was needed for any of it.
    EXPECT_FALSE(Form.HandleAllocated());

    // Shown, the windows sit where the model says.
    Form.Show();
    for (std::size_t I = 0; I < Children.size(); ++I) {
        if (auto* W = dynamic_cast<TWinControl*>(Children[I])) {
            EXPECT_EQ(FromQt(WindowOf(W)->geometry()), Case.Children[I].Expected) << "window " << I;
        }
    }
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(Controls, AlignLayout, ::testing::ValuesIn(AlignCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

namespace {

struct TAnchorCase {
    const char* Name;
    TAnchors Anchors;
    TRect Expected; // after the parent grew from 400 x 300 to 500 x 360
};

const TAnchorCase AnchorCases[] = {
    {"LeftTop", {akLeft, akTop}, Bounds(10, 20, 100, 50)},
    {"RightTop", {akRight, akTop}, Bounds(110, 20, 100, 50)},
    {"LeftRightTop", {akLeft, akRight, akTop}, Bounds(10, 20, 200, 50)},
    {"LeftTopBottom", {akLeft, akTop, akBottom}, Bounds(10, 20, 100, 110)},
    {"RightBottom", {akRight, akBottom}, Bounds(110, 80, 100, 50)},
    // Without anchors the centre keeps its proportional place.
    {"None", {}, Bounds(25, 29, 100, 50)},
};

class AnchorLayout : public ::testing::TestWithParam<TAnchorCase> {};

} // namespace

TEST_P(AnchorLayout, KeepsTheAnchoredDistances) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 300);
    auto* Panel = new TTestPanel(&Form, &Form);
    Panel->SetBounds(10, 20, 100, 50);
    Panel->SetAnchors(GetParam().Anchors);
    Form.SetBounds(0, 0, 500, 360);
    EXPECT_EQ(Panel->BoundsRect(), GetParam().Expected);
    // And back again.
    Form.SetBounds(0, 0, 400, 300);
    EXPECT_EQ(Panel->BoundsRect(), Bounds(10, 20, 100, 50));
}

INSTANTIATE_TEST_SUITE_P(Controls, AnchorLayout, ::testing::ValuesIn(AnchorCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(Controls, ModelsNeedNoWindowUntilTheHandleIs) {
    const int WidgetsBefore = static_cast<int>(QApplication::allWidgets().size());
    TTestPanel Panel(nullptr);
    Panel.SetBounds(5, 5, 120, 40);
    Panel.SetBorderWidth(3);
    Panel.SetColor(clRed);
    Panel.Font()->SetName(u"Courier New");
    Panel.SetCaption(u"model");
    EXPECT_EQ(Panel.ClientWidth(), 114);
    EXPECT_EQ(Panel.ClientHeight(), 34);
    EXPECT_FALSE(Panel.HandleAllocated());
    EXPECT_EQ(Panel.WindowPrivate(), nullptr);
    EXPECT_EQ(static_cast<int>(QApplication::allWidgets().size()), WidgetsBefore);
    // A window needs a parent window to live in.
    EXPECT_THROW(Panel.HandleNeeded(), EInvalidOperation);

    TForm Form(nullptr);
    Panel.SetParent(&Form);
    EXPECT_FALSE(Form.HandleAllocated());
    EXPECT_NE(Panel.Handle(), 0u);
    EXPECT_TRUE(Form.HandleAllocated());
    EXPECT_EQ(FindControl(Panel.Handle()), &Panel);
    const HWND Old = Panel.Handle();
    Panel.SetParent(nullptr);
    EXPECT_FALSE(Panel.HandleAllocated());
    EXPECT_FALSE(IsWindow(Old));
}

namespace {

// Paints shapes and text on its canvas.
class TPainted : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        TCanvas* C = Canvas();
        C->Brush()->SetColor(clWhite);
        C->FillRect(ClientRect());
        C->Brush()->SetColor(clRed);
        C->Pen()->SetColor(clRed);
        C->Rectangle(10, 10, 50, 40);
        C->Brush()->SetColor(clBlue);
        C->Pen()->SetColor(clBlue);
        C->Ellipse(60, 10, 110, 60);
        C->Brush()->SetStyle(bsClear);
        C->Font()->SetName(u"Arial");
        C->Font()->SetSize(14);
        C->Font()->SetColor(clBlack);
        C->TextOut(10, 50, u"Hi");
    }
};

int DarkPixels(const QImage& Image, const QRect& Area) {
    int N = 0;
    for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
        for (int X = Area.left(); X <= Area.right(); ++X)
            if (qGray(Image.pixel(X, Y)) < 100) ++N;
    return N;
}

} // namespace

TEST_F(TFormFixture, PaintsThroughTheCanvasIntoTheWindow) {
    Form->SetColor(clGreen);
    auto* P = new TPainted(Form);
    P->SetParent(Form);
    P->SetBounds(20, 30, 120, 80);
    auto* Bar = new TTestBar(Form, Form);
    Bar->SetBounds(200, 30, 10, 80);
    Bar->SetColor(clYellow);
    Form->Show();
    Pump();

    const QImage Image = Grab(Form);
    const QDir Dir(QDir::tempPath());
    Image.save(Dir.filePath("morvane-gui-paint.png"));
    // Form background, the control's shapes at their places, the bar on the form's picture.
    EXPECT_EQ(PixelAt(Image, 5, 5), clGreen);
    EXPECT_EQ(PixelAt(Image, 20 + 30, 30 + 25), clRed);
    EXPECT_EQ(PixelAt(Image, 20 + 85, 30 + 35), clBlue);
    EXPECT_EQ(PixelAt(Image, 20 + 115, 30 + 75), clWhite);
    EXPECT_GT(DarkPixels(Image, QRect(20 + 10, 30 + 50, 30, 25)), 10);
    EXPECT_EQ(PixelAt(Image, 205, 60), clYellow);
    EXPECT_GE(P->Paints, 1);

    // Drawing outside a paint cycle shows too, and a repaint paints once more.
    P->Canvas()->Brush()->SetStyle(bsSolid);
    P->Canvas()->Brush()->SetColor(clFuchsia);
    P->Canvas()->FillRect(Rect(0, 0, 8, 8));
    Pump();
    EXPECT_EQ(PixelAt(Grab(Form), 24, 34), clFuchsia);
    const int Before = P->Paints;
    P->Repaint();
    EXPECT_EQ(P->Paints, Before + 1);
    EXPECT_EQ(PixelAt(Grab(Form), 24, 34), clWhite);
}

TEST_F(TFormFixture, ScrollWindowMovesThePictureAndInvalidatesTheRest) {
    auto* P = new TTestPanel(Form, Form);
    P->SetBounds(0, 0, 100, 100);
    P->SetColor(clWhite);
    Form->Show();
    Pump();
    P->Canvas()->Brush()->SetColor(clRed);
    P->Canvas()->FillRect(Rect(0, 0, 100, 10)); // a red top stripe
    ScrollWindow(P->Handle(), 0, 20, nullptr, nullptr);
    // The stripe moved down; the strip it uncovered is painted again (white).
    Pump();
    const QImage Image = Grab(Form);
    EXPECT_EQ(PixelAt(Image, 50, 25), clRed);
    EXPECT_EQ(PixelAt(Image, 50, 5), clWhite);
    EXPECT_EQ(PixelAt(Image, 50, 35), clWhite);
}

namespace {

struct TKeyCase {
    const char* Name;
    int QtKey;
    Qt::KeyboardModifiers Modifiers;
    const char16_t* Text;
    Word VirtualKey;
    TShiftState Shift;
    UINT KeyMsg;
    UINT CharMsg; // 0: no character
    Char Character;
};

const TKeyCase KeyCases[] = {
    {"Letter", Qt::Key_A, Qt::NoModifier, u"a", 'A', {}, WM_KEYDOWN, WM_CHAR, u'a'},
    {"ShiftLetter", Qt::Key_A, Qt::ShiftModifier, u"A", 'A', {ssShift}, WM_KEYDOWN, WM_CHAR, u'A'},
    {"CtrlLetter", Qt::Key_Z, Qt::ControlModifier, u"", 'Z', {ssCtrl}, WM_KEYDOWN, WM_CHAR, Char(26)},
    {"AltLetter", Qt::Key_X, Qt::AltModifier, u"x", 'X', {ssAlt}, WM_SYSKEYDOWN, WM_SYSCHAR, u'x'},
    {"ShiftedDigit", Qt::Key_Exclam, Qt::ShiftModifier, u"!", '1', {ssShift}, WM_KEYDOWN, WM_CHAR, u'!'},
    {"KeypadDigit", Qt::Key_7, Qt::KeypadModifier, u"7", VK_NUMPAD7, {}, WM_KEYDOWN, WM_CHAR, u'7'},
    {"F5", Qt::Key_F5, Qt::NoModifier, u"", VK_F5, {}, WM_KEYDOWN, 0, 0},
    {"Return", Qt::Key_Return, Qt::NoModifier, u"\r", VK_RETURN, {}, WM_KEYDOWN, WM_CHAR, Char(13)},
    {"Escape", Qt::Key_Escape, Qt::NoModifier, u"\x1b", VK_ESCAPE, {}, WM_KEYDOWN, WM_CHAR, Char(27)},
    {"Delete", Qt::Key_Delete, Qt::NoModifier, u"\x7f", VK_DELETE, {}, WM_KEYDOWN, 0, 0},
    {"CtrlShiftEnd",
     Qt::Key_End,
     Qt::ControlModifier | Qt::ShiftModifier,
     u"",
     VK_END,
     {ssShift, ssCtrl},
     WM_KEYDOWN,
     0,
     0},
    {"Semicolon", Qt::Key_Semicolon, Qt::NoModifier, u";", VK_OEM_1, {}, WM_KEYDOWN, WM_CHAR, u';'},
};

class KeyInput : public ::testing::TestWithParam<TKeyCase> {};

} // namespace

TEST_P(KeyInput, ArrivesAsMessagesAndEvents) {
    const TKeyCase& K = GetParam();
    TForm Form(nullptr);
    auto* Edit = new TTestEdit(&Form, &Form);
    Form.Show();
    Edit->SetFocus();
    ASSERT_TRUE(Edit->Focused());
    std::vector<std::pair<Word, TShiftState>> Downs, Ups;
    std::vector<Char> Presses;
    Edit->OnKeyDown = [&](TObject*, Word& Key, TShiftState Shift) { Downs.push_back({Key, Shift}); };
    Edit->OnKeyUp = [&](TObject*, Word& Key, TShiftState Shift) { Ups.push_back({Key, Shift}); };
    Edit->OnKeyPress = [&](TObject*, Char& Key) { Presses.push_back(Key); };
    TMessageLog Log(Edit);

    SendKey(Edit, K.QtKey, K.Modifiers, QString::fromUtf16(K.Text));

    ASSERT_EQ(Log.Of(K.KeyMsg).size(), 1u);
    EXPECT_EQ(Log.Of(K.KeyMsg)[0].WParam, K.VirtualKey);
    EXPECT_EQ((Log.Of(K.KeyMsg)[0].LParam & KF_ALTDOWN_BIT) != 0, K.Shift.Contains(ssAlt));
    ASSERT_EQ(Downs.size(), 1u);
    EXPECT_EQ(Downs[0].first, K.VirtualKey);
    EXPECT_EQ(Downs[0].second, K.Shift);
    ASSERT_EQ(Ups.size(), 1u);
    EXPECT_EQ(Ups[0].first, K.VirtualKey);
    if (K.CharMsg) {
        ASSERT_EQ(Log.Of(K.CharMsg).size(), 1u);
        EXPECT_EQ(Log.Of(K.CharMsg)[0].WParam, static_cast<WPARAM>(K.Character));
        EXPECT_EQ(Presses, std::vector<Char>{K.Character});
    } else {
        EXPECT_TRUE(Log.Of(WM_CHAR).empty());
        EXPECT_TRUE(Presses.empty());
    }
    // Nothing stays pressed after the release.
    EXPECT_GE(GetKeyState(K.VirtualKey), 0);
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(Controls, KeyInput, ::testing::ValuesIn(KeyCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TFormFixture, KeyPreviewAndClearedKeys) {
    auto* Edit = new TTestEdit(Form, Form);
    Form->SetKeyPreview(true);
    Form->Show();
    Edit->SetFocus();
    std::vector<std::string> Seen;
    Form->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
        Seen.push_back("form");
        if (Key == VK_F2) Key = 0; // the form takes F2
    };
    Edit->OnKeyDown = [&](TObject*, Word&, TShiftState) { Seen.push_back("edit"); };
    // A key cleared in OnKeyDown still types its character (as the system translates before).
    Edit->OnKeyPress = [&](TObject*, Char& Key) { Seen.push_back(std::string("char ") + char(Key)); };
    SendKey(Edit, Qt::Key_F2);
    SendKey(Edit, Qt::Key_B, Qt::NoModifier, "b");
    EXPECT_EQ(Seen, (std::vector<std::string>{"form", "form", "edit", "char b"}));
}

namespace {

struct TMouseLogEntry {
    std::string What;
    TMouseButton Button;
    TShiftState Shift;
    int X, Y;
    bool operator==(const TMouseLogEntry&) const = default;
};

void PrintTo(const TMouseLogEntry& E, std::ostream* Os) {
    *Os << E.What << " b" << int(E.Button) << " s" << E.Shift.ToInt() << " (" << E.X << "," << E.Y << ")";
}

} // namespace

TEST_F(TFormFixture, MouseArrivesWithButtonsShiftStatesAndClicks) {
    auto* Panel = new TTestPanel(Form, Form);
    Panel->SetBounds(10, 10, 200, 100);
    auto* Bar = new TTestBar(Form, Panel); // a graphic child inside the panel
    Bar->SetBounds(150, 0, 10, 100);
    Form->Show();
    std::vector<TMouseLogEntry> Log;
    auto Record = [&](const char* Who) {
        return [&Log, Who](TObject*, TMouseButton B, TShiftState S, int X, int Y) {
            Log.push_back({std::string(Who) + " down", B, S, X, Y});
        };
    };
    Panel->OnMouseDown = Record("panel");
    Bar->OnMouseDown = Record("bar");
    Panel->OnMouseUp = [&](TObject*, TMouseButton B, TShiftState S, int X, int Y) {
        Log.push_back({"panel up", B, S, X, Y});
    };
    Panel->OnClick = [&](TObject*) { Log.push_back({"click", mbLeft, {}, 0, 0}); };
    Panel->OnDblClick = [&](TObject*) { Log.push_back({"dblclick", mbLeft, {}, 0, 0}); };
    bool Popup = false;
    Panel->OnContextPopup = [&](TObject*, TPoint P, bool& Handled) {
        Popup = P == TPoint{30, 40};
        Handled = true;
    };

    Click(Panel, {5, 6}, Qt::LeftButton, Qt::ShiftModifier);
    SendMouse(Panel, QEvent::MouseButtonDblClick, {5, 6});
    SendMouse(Panel, QEvent::MouseButtonRelease, {5, 6});
    SendMouse(Panel, QEvent::MouseButtonPress, {30, 40}, Qt::RightButton, Qt::ControlModifier);
    SendMouse(Panel, QEvent::MouseButtonRelease, {30, 40}, Qt::RightButton, Qt::ControlModifier);
    SendMouse(Panel, QEvent::MouseButtonPress, {155, 20});
    SendMouse(Panel, QEvent::MouseButtonRelease, {155, 20});

    const std::vector<TMouseLogEntry> Expected = {
        {"panel down", mbLeft, {ssShift, ssLeft}, 5, 6},
        {"click", mbLeft, {}, 0, 0},
        {"panel up", mbLeft, {ssShift}, 5, 6},
        {"dblclick", mbLeft, {}, 0, 0},
        {"panel down", mbLeft, {ssLeft, ssDouble}, 5, 6},
        {"panel up", mbLeft, {}, 5, 6}, // the second press of a double click makes no click
        {"panel down", mbRight, {ssCtrl, ssRight}, 30, 40},
        {"panel up", mbRight, {ssCtrl}, 30, 40},
        {"bar down", mbLeft, {ssLeft}, 5, 20},
    };
    EXPECT_EQ(Log, Expected);
    EXPECT_TRUE(Popup);
}

TEST_F(TFormFixture, WheelEnterAndLeave) {
    auto* A = new TTestPanel(Form, Form);
    A->SetBounds(0, 0, 100, 100);
    auto* B = new TTestBar(Form, Form);
    B->SetBounds(150, 0, 20, 100);
    Form->Show();
    std::vector<std::string> Log;
    A->OnMouseWheel = [&](TObject*, TShiftState S, int Delta, TPoint, bool& Handled) {
        Log.push_back("wheel " + std::to_string(Delta) + (S.Contains(ssShift) ? " shift" : ""));
        Handled = true;
    };
    TMessageLog FormLog(Form);
    TMessageLog BarLog(B);
    SendMouse(Form, QEvent::MouseMove, {10, 10});  // over A
    SendMouse(Form, QEvent::MouseMove, {155, 10}); // over the bar
    SendMouse(Form, QEvent::MouseMove, {300, 10}); // over the form
    const QPoint Local = WidgetPoint(A, {10, 10});
    QWheelEvent W(QPointF(Local), QPointF(WindowOf(A)->mapToGlobal(Local)), QPoint(), QPoint(0, -120),
                  Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(WindowOf(A), &W);
    EXPECT_EQ(Log, std::vector<std::string>{"wheel -120 shift"});
    EXPECT_EQ(BarLog.Of(CM_MOUSEENTER).size(), 1u);
    EXPECT_EQ(BarLog.Of(CM_MOUSELEAVE).size(), 1u);
    EXPECT_EQ(GetMouseControl(), Form); // the wheel does not move the pointer
}

TEST(Controls, WindowProcReplacementAndPerform) {
    TTestPanel Panel(nullptr);
    int Custom = 0;
    TWndMethod Old = Panel.WindowProc();
    Panel.SetWindowProc([&](TMessage& M) {
        if (M.Msg == WM_USER + 7) {
            ++Custom;
            M.Result = static_cast<LRESULT>(M.WParam + M.LParam);
            return;
        }
        Old(M);
    });
    EXPECT_EQ(Panel.Perform(WM_USER + 7, 40, 2), 42);
    EXPECT_EQ(Custom, 1);
    // Other messages still reach the control's own handlers.
    bool Resized = false;
    Panel.OnResize = [&](TObject*) { Resized = true; };
    Panel.SetBounds(0, 0, 70, 70);
    EXPECT_TRUE(Resized);
    Panel.Perform(CM_TEXTCHANGED);
    // An empty procedure puts WndProc back.
    Panel.SetWindowProc(nullptr);
    EXPECT_EQ(Panel.Perform(WM_USER + 7, 40, 2), 0);
    EXPECT_EQ(Custom, 1);
}

TEST(Controls, ParentColorFontAndShowHintFollowTheParent) {
    TForm Form(nullptr);
    auto* Panel = new TTestPanel(&Form, &Form);
    Panel->SetParentColor(true);
    Panel->SetParentShowHint(true);
    Form.SetColor(clAqua);
    Form.Font()->SetName(u"Courier New");
    Form.SetShowHint(true);
    EXPECT_EQ(Panel->Color(), clAqua);
    EXPECT_TRUE(Panel->ParentColor());
    EXPECT_EQ(Panel->Font()->Name(), u"Courier New");
    EXPECT_TRUE(Panel->ParentFont());
    EXPECT_TRUE(Panel->ShowHint());
    // A colour of its own ends following.
    Panel->SetColor(clRed);
    EXPECT_FALSE(Panel->ParentColor());
    Form.SetColor(clLime);
    EXPECT_EQ(Panel->Color(), clRed);
}

TEST(Controls, PublishedPropertiesAreReachableByName) {
    TTestPanel Panel(nullptr);
    SetOrdProp(&Panel, u"Width", 77);
    SetEnumProp(&Panel, u"Align", u"alRight");
    SetStrProp(&Panel, u"Hint", u"short|long");
    EXPECT_EQ(Panel.Width(), 77);
    EXPECT_EQ(Panel.Align(), alRight);
    EXPECT_EQ(GetShortHint(Panel.Hint()), u"short");
    EXPECT_EQ(GetLongHint(Panel.Hint()), u"long");
    EXPECT_EQ(GetSetProp(&Panel, u"Anchors"), u"[akTop,akRight,akBottom]");
    EXPECT_NE(GetClass(u"TWinControl"), nullptr);
}

TEST_F(TFormFixture, DragAndDropInsideTheProgram) {
    auto* Source = new TTestPanel(Form, Form);
    Source->SetBounds(0, 0, 100, 100);
    Source->SetDragMode(dmAutomatic);
    auto* Target = new TTestPanel(Form, Form);
    Target->SetBounds(200, 0, 100, 100);
    Form->Show();
    Form->SetFocus();
    std::vector<std::string> Log;
    Target->OnDragOver = [&](TObject*, TObject* Src, int X, int Y, TDragState State, bool& Accept) {
        Log.push_back("over " + std::to_string(State) + " " + std::to_string(X) + "," + std::to_string(Y));
        Accept = Src == Source;
    };
    Target->OnDragDrop = [&](TObject*, TObject* Src, int X, int Y) {
        Log.push_back(std::string("drop ") + (Src == Source ? "source " : "? ") + std::to_string(X) + "," +
                      std::to_string(Y));
    };
    Source->OnEndDrag = [&](TObject*, TObject* To, int X, int Y) {
        Log.push_back(std::string("end ") + (To == Target ? "target " : "none ") + std::to_string(X) + "," +
                      std::to_string(Y));
    };
    SendMouse(Source, QEvent::MouseButtonPress, {10, 10});
    EXPECT_TRUE(Source->Dragging());
    SendMouse(Source, QEvent::MouseMove, {12, 11});  // under the threshold: nothing yet
    SendMouse(Source, QEvent::MouseMove, {250, 20}); // over the target
    SendMouse(Source, QEvent::MouseMove, {260, 30});
    SendMouse(Source, QEvent::MouseButtonRelease, {260, 30});
    EXPECT_FALSE(Source->Dragging());
    EXPECT_EQ(Log, (std::vector<std::string>{"over 0 50,20", "over 2 60,30", "drop source 60,30",
                                             "end target 60,30"}));

    // Escape cancels: the source hears of an end without target.
    Log.clear();
    SendMouse(Source, QEvent::MouseButtonPress, {10, 10});
    SendMouse(Source, QEvent::MouseMove, {250, 20});
    SendKey(Source, Qt::Key_Escape);
    EXPECT_FALSE(Source->Dragging());
    EXPECT_EQ(Log, (std::vector<std::string>{"over 0 50,20", "over 1 50,20", "end none 0,0"}));
}

namespace {
// A panel whose window asks for the transparent extended style and clips its children.
class TStyledPanel : public TTestPanel {
public:
    using TTestPanel::TTestPanel;

protected:
    void CreateParams(TCreateParams& Params) override {
        TTestPanel::CreateParams(Params);
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_TRANSPARENT;
    }
};
} // namespace

TEST(Controls, WindowLongReadsAndReplacesTheCreationStyles) {
    TForm Form(nullptr);
    TStyledPanel Panel(&Form, &Form);
    const HWND Wnd = Panel.Handle();
    EXPECT_TRUE(GetWindowLong(Wnd, GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLong(Wnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    const LONG_PTR Old = SetWindowLong(Wnd, GWL_STYLE, GetWindowLong(Wnd, GWL_STYLE) & ~WS_CLIPCHILDREN);
    EXPECT_TRUE(Old & WS_CLIPCHILDREN);
    EXPECT_FALSE(GetWindowLong(Wnd, GWL_STYLE) & WS_CLIPCHILDREN);
    // A new window takes its styles from CreateParams again.
    Panel.RecreateWnd();
    EXPECT_TRUE(GetWindowLong(Panel.Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_EQ(GetWindowLong(0, GWL_STYLE), 0);
    EXPECT_EQ(SetWindowLong(Panel.Handle(), 12345, 1), 0);
}

namespace {
// Paints only a small black mark; with the transparent style it leaves the rest to its parent,
// without it fills its own colour first.
class TMarkPanel : public TTestPanel {
public:
    using TTestPanel::TTestPanel;
    bool SeeThrough = true;

protected:
    void CreateParams(TCreateParams& Params) override {
        TTestPanel::CreateParams(Params);
        if (SeeThrough) Params.ExStyle |= WS_EX_TRANSPARENT;
    }
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override { Message.Result = 1; }
    void Paint() override {
        if (!(GetWindowLong(Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT)) TTestPanel::Paint();
        Canvas()->Brush()->SetColor(clBlack);
        Canvas()->FillRect(Rect(2, 2, 6, 6));
    }
};
} // namespace

TEST(Controls, TransparentWindowShowsItsParentWhereItPaintsNothing) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 120, 100);
    auto* Back = new TTestPanel(&Form, &Form);
    Back->SetBounds(0, 0, 100, 80);
    Back->SetColor(clRed);
    auto* Mark = new TMarkPanel(&Form, Back);
    Mark->SetBounds(10, 10, 40, 30);
    Mark->SetColor(clLime);
    Form.Show();
    Pump();
    struct TCase {
        const char* Name;
        TColor Parent;
        bool SeeThrough;
        TColor Expected;
    };
    // The parent's new colour shows through at once; dropping the style makes the window cover
    // its place again, and taking it back clears its old pixels.
    const TCase Cases[] = {{"transparent", clRed, true, clRed},
                           {"parent repainted", clBlue, true, clBlue},
                           {"opaque again", clBlue, false, clLime},
                           {"transparent again", clYellow, true, clYellow}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        Back->SetColor(C.Parent);
        const HWND Wnd = Mark->Handle();
        const LONG_PTR Ex = GetWindowLong(Wnd, GWL_EXSTYLE);
        SetWindowLong(Wnd, GWL_EXSTYLE, C.SeeThrough ? Ex | WS_EX_TRANSPARENT : Ex & ~LONG_PTR(WS_EX_TRANSPARENT));
        Back->Invalidate();
        Mark->Invalidate();
        Pump();
        const QImage Shown = Grab(&Form);
        const QPoint Client = WidgetPoint(&Form, TPoint{0, 0});
        EXPECT_EQ(PixelAt(Shown, Client.x() + 10 + 20, Client.y() + 10 + 20), C.Expected);
        EXPECT_EQ(PixelAt(Shown, Client.x() + 10 + 3, Client.y() + 10 + 3), clBlack);
        EXPECT_EQ(PixelAt(Shown, Client.x() + 60, Client.y() + 60), C.Parent);
        // A copy of the parent (as a grid paints a control into a cell) composes the same way.
        auto Copy = GrabControl(Back);
        EXPECT_EQ(PixelOf(*Copy, 30, 30), C.Expected);
        EXPECT_EQ(PixelOf(*Copy, 13, 13), clBlack);
    }
}

TEST(Controls, TheLeftButtonHeldDownIsPartOfTheControlsState) {
    TForm Form(nullptr);
    auto* Panel = new TTestPanel(&Form, &Form);
    Form.Show();
    EXPECT_FALSE(Panel->ControlState().Contains(csLButtonDown));
    MouseDownMessage(Panel, TPoint{5, 5});
    EXPECT_TRUE(Panel->ControlState().Contains(csLButtonDown));
    MouseUpMessage(Panel, TPoint{60, 60});
    EXPECT_FALSE(Panel->ControlState().Contains(csLButtonDown)) << "released outside as well";
    MouseDownMessage(Panel, TPoint{5, 5}, mbRight);
    EXPECT_FALSE(Panel->ControlState().Contains(csLButtonDown)) << "only the left button";
    MouseUpMessage(Panel, TPoint{5, 5}, mbRight);
}

TEST(Controls, KeyboardStateIsReadAndInstalledAsAWhole) {
    Byte Saved[256];
    ASSERT_TRUE(GetKeyboardState(Saved));
    Byte State[256];
    std::copy(Saved, Saved + 256, State);
    State[VK_CONTROL] = 0x81;
    State['A'] = 0x80;
    ASSERT_TRUE(SetKeyboardState(State));
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    EXPECT_EQ(GetKeyState(VK_CONTROL) & 1, 1);
    EXPECT_LT(GetKeyState('A'), 0);
    ASSERT_TRUE(SetKeyboardState(Saved));
    EXPECT_GE(GetKeyState('A'), 0);
    EXPECT_FALSE(GetKeyboardState(nullptr));
    EXPECT_FALSE(SetKeyboardState(nullptr));
}

TEST(Controls, VisualStylesStartOffAndCanBeSwitched) {
    EXPECT_FALSE(IsThemeActive());
    SetThemeActive(true);
    EXPECT_TRUE(IsThemeActive());
    SetThemeActive(false);
    EXPECT_FALSE(IsThemeActive());
}

TEST(Controls, RegisteredMessagesAreStablePerNameAndApartFromOtherNames) {
    const UINT A = RegisterWindowMessage(u"MORVANETESTMESSAGEA");
    EXPECT_GE(A, 0xC000u);
    EXPECT_LE(A, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage(u"morvanetestmessagea"), A); // case does not matter
    const UINT B = RegisterWindowMessage(u"MORVANETESTMESSAGEB");
    EXPECT_NE(B, A);
    EXPECT_EQ(RegisterWindowMessage(u""), 0u);
    // The number reaches a window like any other message.
    TForm Form(nullptr);
    UINT Seen = 0;
    TWndMethod Old = Form.WindowProc();
    Form.SetWindowProc([&](TMessage& M) {
        if (M.Msg == A) Seen = M.Msg;
        Old(M);
    });
    PostMessage(Form.Handle(), A, 0, 0);
    Pump();
    EXPECT_EQ(Seen, A);
    Form.SetWindowProc(nullptr);
}

namespace {
// A drop-down of its own: a pop-up tool window with no parent.
class TDropWindow : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP | WS_BORDER;
        Params.ExStyle = WS_EX_TOOLWINDOW;
        Params.WndParent = 0;
    }
};
} // namespace

TEST(Controls, APopUpToolWindowNeedsNoParentAndLeavesTheFocusWhereItIs) {
    TForm Form(nullptr);
    auto* Edit = new TEdit(&Form);
    Edit->SetParent(&Form);
    Form.Show();
    Edit->SetFocus();
    ASSERT_TRUE(Edit->Focused());
    TDropWindow Drop(nullptr);
    Drop.Hide(); // made hidden, shown when it drops down
    Drop.SetBounds(300, 200, 80, 60); // screen coordinates
    Drop.Show();
    EXPECT_TRUE(Drop.HandleAllocated());
    EXPECT_TRUE(Drop.Showing());
    EXPECT_EQ(Drop.ClientToScreen(TPoint{0, 0}).X, 300 + 1); // inside its border
    Pump();
    EXPECT_TRUE(Edit->Focused());
    // Any other control still needs a parent for its window.
    TPanel Loose(nullptr);
    EXPECT_THROW(Loose.Handle(), EInvalidOperation);
}

namespace {
// A panel that refuses labels as children and notes what it heard of its child list.
class TPickyPanel : public TPanel {
public:
    using TPanel::TPanel;
    std::vector<std::pair<TControl*, bool>> Heard;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == CM_CONTROLLISTCHANGE) {
            auto& M = reinterpret_cast<TCMControlListChange&>(Message);
            Heard.emplace_back(M.Control(), M.Inserting());
            if (M.Inserting() && dynamic_cast<TLabel*>(M.Control())) throw EInvalidOperation(u"no labels here");
        }
        TPanel::WndProc(Message);
    }
};
} // namespace

TEST(Controls, AParentHearsOfItsChildListAndMayRefuseAChild) {
    TForm Form(nullptr);
    auto* Panel = new TPickyPanel(&Form);
    Panel->SetParent(&Form);
    auto* Button = new TButton(&Form);
    Button->SetParent(Panel);
    auto* Label = new TLabel(&Form);
    EXPECT_THROW(Label->SetParent(Panel), EInvalidOperation);
    EXPECT_EQ(Label->Parent(), nullptr);
    EXPECT_EQ(Panel->ControlCount(), 1);
    Button->SetParent(nullptr);
    const std::vector<std::pair<TControl*, bool>> Expected = {
        {Button, true}, {Label, true}, {Button, false}};
    EXPECT_EQ(Panel->Heard, Expected);
}

TEST(Controls, SetChildOrderMovesAChildAmongItsSiblings) {
    TForm Form(nullptr);
    std::vector<TControl*> C;
    for (int I = 0; I < 4; ++I) {
        C.push_back(new TLabel(&Form));
        C.back()->SetParent(&Form);
    }
    Form.SetChildOrder(C[3], 1);
    Form.SetChildOrder(C[0], 99);
    std::vector<TControl*> Order;
    for (int I = 0; I < Form.ControlCount(); ++I)
        Order.push_back(Form.Controls(I));
    EXPECT_EQ(Order, (std::vector<TControl*>{C[3], C[1], C[2], C[0]}));
    TLabel Stranger(nullptr);
    Form.SetChildOrder(&Stranger, 0); // not a child: nothing happens
    EXPECT_EQ(Form.Controls(0), C[3]);
}

TEST(Controls, TheLeftButtonCountsAsDownFromItsPressToItsRelease) {
    TForm Form(nullptr);
    auto* Bevel = new TPanel(&Form);
    Bevel->SetParent(&Form);
    auto* Label = new TLabel(&Form);
    Label->SetParent(&Form);
    for (TControl* C : std::vector<TControl*>{Bevel, Label}) {
        EXPECT_FALSE(C->ControlState().Contains(csLButtonDown));
        C->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_TRUE(C->ControlState().Contains(csLButtonDown));
        C->Perform(WM_RBUTTONDOWN, MK_RBUTTON | MK_LBUTTON, 0);
        C->Perform(WM_RBUTTONUP, MK_LBUTTON, 0);
        EXPECT_TRUE(C->ControlState().Contains(csLButtonDown));
        C->Perform(WM_LBUTTONUP, 0, 0);
        EXPECT_FALSE(C->ControlState().Contains(csLButtonDown));
        C->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
        EXPECT_TRUE(C->ControlState().Contains(csLButtonDown));
        C->Perform(WM_LBUTTONUP, 0, 0);
    }
}
