// Where a window's input method shows the text being composed: the toolkit asks the window's
// widget, which answers with the composition form or, by default, the system caret's place.
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/ControlsQt.h"
#include "platform/gui/GraphicsQt.h"
#include "platform/gui/Imm.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodQueryEvent>

namespace {

struct InputMethodPlace : TFormFixture {
    TTestEdit* Edit = nullptr;
    void SetUp() override {
        TFormFixture::SetUp();
        Edit = new TTestEdit(Form, Form);
        Edit->SetBounds(10, 10, 200, 60);
        Form->Show();
        Edit->SetFocus();
        ASSERT_TRUE(WaitUntil([&] { return QGuiApplication::focusObject() == WindowOf(Edit); }));
    }
    void TearDown() override {
        DestroyCaret();
        TFormFixture::TearDown();
    }
    QVariant Ask(Qt::InputMethodQuery Query) {
        QInputMethodQueryEvent Event(Query);
        QApplication::sendEvent(WindowOf(Edit), &Event);
        return Event.value(Query);
    }
};

} // namespace

TEST_F(InputMethodPlace, FollowsTheCaretAndTellsTheToolkitWhenItMoves) {
    int Told = 0;
    auto Connection = QObject::connect(QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged,
                                       [&] { ++Told; });
    TScopeExit Disconnect([&] { QObject::disconnect(Connection); });
    ASSERT_TRUE(CreateCaret(Edit->Handle(), 2, 14));
    EXPECT_EQ(Told, 1);
    // Hidden or shown, the caret's place is where composed text goes.
    SetCaretPos(30, 5);
    EXPECT_EQ(Told, 2);
    EXPECT_EQ(QueryInputMethodCursor(Edit), Bounds(30, 5, 2, 14));
    ShowCaret(Edit->Handle());
    SetCaretPos(40, 20);
    EXPECT_EQ(QueryInputMethodCursor(Edit), Bounds(40, 20, 2, 14));
    // The toolkit's own question reaches the widget through the focus (and the toolkit maps the
    // widget's answer into its window).
    QInputMethod* Method = QGuiApplication::inputMethod();
    const QPoint Client = Edit->WindowPrivate()->ClientArea().topLeft();
    EXPECT_EQ(Method->cursorRectangle().toRect(),
              Method->inputItemTransform().mapRect(QRect(Client + QPoint(40, 20), QSize(2, 14))));
}

TEST_F(InputMethodPlace, ACompositionFormPlacesItUntilTheDefaultIsAsked) {
    CreateCaret(Edit->Handle(), 2, 14);
    SetCaretPos(30, 5);
    const HIMC Imc = ImmGetContext(Edit->Handle());
    struct TCase {
        DWORD Style;
        TPoint Pos;
        TRect Area;
        TRect Expected;
    };
    const TCase Cases[] = {
        {CFS_POINT, {50, 7}, {}, Bounds(50, 7, 2, 14)},
        {CFS_FORCE_POSITION, {60, 8}, {}, Bounds(60, 8, 2, 14)},
        {CFS_RECT, {1, 1}, Rect(10, 20, 110, 40), Rect(10, 20, 110, 40)},
    };
    int Told = 0;
    auto Connection = QObject::connect(QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged,
                                       [&] { ++Told; });
    TScopeExit Disconnect([&] { QObject::disconnect(Connection); });
    for (const TCase& C : Cases) {
        TCompositionForm Form;
        Form.dwStyle = C.Style;
        Form.ptCurrentPos = C.Pos;
        Form.rcArea = C.Area;
        const int Before = Told;
        ASSERT_TRUE(ImmSetCompositionWindow(Imc, &Form)) << C.Style;
        EXPECT_EQ(Told, Before + 1) << C.Style;
        EXPECT_EQ(QueryInputMethodCursor(Edit), C.Expected) << C.Style;
        TCompositionForm Read;
        ASSERT_TRUE(ImmGetCompositionWindow(Imc, &Read));
        EXPECT_EQ(Read.dwStyle, C.Style);
        // The caret moving does not move a placed composition.
        SetCaretPos(0, 0);
        EXPECT_EQ(QueryInputMethodCursor(Edit), C.Expected) << C.Style;
    }
    // An unknown style is refused and changes nothing; so is no form or no context.
    TCompositionForm Bad;
    Bad.dwStyle = 0x0004;
    EXPECT_FALSE(ImmSetCompositionWindow(Imc, &Bad));
    EXPECT_FALSE(ImmSetCompositionWindow(Imc, nullptr));
    EXPECT_FALSE(ImmSetCompositionWindow(0, &Bad));
    EXPECT_EQ(QueryInputMethodCursor(Edit), Rect(10, 20, 110, 40));
    // Back to the default: the caret again.
    TCompositionForm Default;
    ASSERT_TRUE(ImmSetCompositionWindow(Imc, &Default));
    SetCaretPos(33, 9);
    EXPECT_EQ(QueryInputMethodCursor(Edit), Bounds(33, 9, 2, 14));
    TCompositionForm Read;
    ASSERT_TRUE(ImmGetCompositionWindow(Imc, &Read));
    EXPECT_EQ(Read.dwStyle, DWORD(CFS_DEFAULT));
    ImmReleaseContext(Edit->Handle(), Imc);
}

TEST_F(InputMethodPlace, WithoutACaretAPointIsALineOfTheWindowsFontHigh) {
    Edit->Font()->SetSize(20);
    const HIMC Imc = ImmGetContext(Edit->Handle());
    TCompositionForm Form;
    Form.dwStyle = CFS_POINT;
    Form.ptCurrentPos = {12, 3};
    ASSERT_TRUE(ImmSetCompositionWindow(Imc, &Form));
    const int Line = QFontMetrics(QtFont(Edit->Font())).height();
    ASSERT_GT(Line, 0);
    EXPECT_EQ(QueryInputMethodCursor(Edit), Bounds(12, 3, 1, Line));
    // The window takes composed text, in its own font.
    EXPECT_TRUE(Ask(Qt::ImEnabled).toBool());
    EXPECT_EQ(Ask(Qt::ImFont).value<QFont>(), QtFont(Edit->Font()));
    // A window made again has no form left over from the one that went.
    Edit->RecreateWnd();
    ProcessMessages();
    TCompositionForm Read;
    ASSERT_TRUE(ImmGetCompositionWindow(ImmGetContext(Edit->Handle()), &Read));
    EXPECT_EQ(Read.dwStyle, DWORD(CFS_DEFAULT));
}
