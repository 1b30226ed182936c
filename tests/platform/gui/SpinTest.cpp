// The spin edit: its limits, typing, the up and down keys and buttons, the clipboard.
#include "CommonControlsTestSupport.h"

#include "platform/base/Strings.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Spin.h"

#include <QElapsedTimer>

namespace {

struct TSpinCase {
    const char* Name;
    int Min, Max, Increment;
    std::vector<std::string> Steps; // "=n" sets Value, "t:x" sets Text, "up" and "down" are keys
    int Value;
    const char16_t* Text;
};

const TSpinCase SpinCases[] = {
    {"WithinTheLimits", -10, 10, 1, {"=5"}, 5, u"5"},
    {"AboveTheMaximum", -10, 10, 1, {"=50"}, 10, u"10"},
    {"BelowTheMinimum", -10, 10, 1, {"=-50"}, -10, u"-10"},
    {"NoLimitsWhenBothAreEqual", 0, 0, 1, {"=123456"}, 123456, u"123456"},
    {"UpStopsAtTheMaximum", -10, 10, 1, {"=9", "up", "up"}, 10, u"10"},
    {"DownStopsAtTheMinimum", -10, 10, 1, {"=-9", "down", "down"}, -10, u"-10"},
    {"Increment", 0, 100, 5, {"=7", "up", "up", "down"}, 12, u"12"},
    {"TextThatIsNoNumberReadsAsTheMinimum", -10, 10, 1, {"t:abc"}, -10, u"abc"},
    {"UpFromNoNumber", -10, 10, 1, {"t:", "up"}, -9, u"-9"},
    {"BaudRate", 30, 1000000, 1, {"=921600", "up"}, 921601, u"921601"},
};

class SpinLimits : public ::testing::TestWithParam<TSpinCase> {};

} // namespace

TEST_P(SpinLimits, KeepTheValue) {
    const TSpinCase& K = GetParam();
    TForm Form(nullptr);
    auto* Spin = new TSpinEdit(&Form);
    Spin->SetParent(&Form);
    Spin->SetMinValue(K.Min);
    Spin->SetMaxValue(K.Max);
    Spin->SetIncrement(K.Increment);
    Form.Show();
    Spin->SetFocus();
    for (const std::string& S : K.Steps) {
        if (S[0] == '=')
            Spin->SetValue(std::stoi(S.substr(1)));
        else if (S.rfind("t:", 0) == 0)
            Spin->SetText(Utf8ToString(S.substr(2)));
        else
            SendKey(Spin, S == "up" ? Qt::Key_Up : Qt::Key_Down);
    }
    EXPECT_EQ(Spin->Value(), K.Value);
    EXPECT_EQ(Spin->Text(), K.Text);
    Form.Hide();
}

INSTANTIATE_TEST_SUITE_P(Spin, SpinLimits, ::testing::ValuesIn(SpinCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TFormFixture, SpinEditTakesDigitsAndSignsAndPutsTheValueBackWithinItsLimits) {
    auto* Spin = new TSpinEdit(Form);
    Spin->SetParent(Form);
    Spin->SetMinValue(-10);
    Spin->SetMaxValue(10);
    auto* Other = new TTestEdit(Form, Form);
    Other->SetTop(50);
    std::vector<String> Changes;
    Spin->OnChange = [&](TObject*) { Changes.push_back(Spin->Text()); };
    Form->Show();
    Spin->SetFocus();
    TMessageLog Log(Spin);
    // The focus selected the whole text: typing replaces it; other characters are dropped.
    EXPECT_EQ(Spin->SelLength(), 1);
    for (const char* Ch : {"-", "x", "9", " ", "9"})
        SendKey(Spin, Ch[0] == '-' ? Qt::Key_Minus : Ch[0] == 'x' ? Qt::Key_X : Ch[0] == ' ' ? Qt::Key_Space : Qt::Key_9,
                Qt::NoModifier, QString::fromLatin1(Ch));
    EXPECT_EQ(Spin->Text(), u"-99");
    EXPECT_EQ(Log.Of(WM_CHAR).size(), 5u);
    EXPECT_EQ(Changes, (std::vector<String>{u"-", u"-9", u"-99"}));
    // Editing keys.
    SendKey(Spin, Qt::Key_Left);
    SendKey(Spin, Qt::Key_Backspace, Qt::NoModifier, "\b");
    EXPECT_EQ(Spin->Text(), u"-9");
    SendKey(Spin, Qt::Key_Home);
    SendKey(Spin, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Spin->SelText(), u"-");
    SendKey(Spin, Qt::Key_Delete);
    EXPECT_EQ(Spin->Text(), u"9");
    SendKey(Spin, Qt::Key_End);
    SendKey(Spin, Qt::Key_9, Qt::NoModifier, "9");
    EXPECT_EQ(Spin->Text(), u"99");
    // Leaving the field brings the number within the limits.
    Other->SetFocus();
    EXPECT_EQ(Spin->Text(), u"10");
    EXPECT_EQ(Changes.back(), u"10");
    Form->Hide();
}

TEST_F(TFormFixture, SpinEditLimitsItsLengthAndCanRefuseTyping) {
    auto* Spin = new TSpinEdit(Form);
    Spin->SetParent(Form);
    Spin->SetMaxLength(3);
    Form->Show();
    Spin->SetFocus();
    for (Qt::Key K : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4})
        SendKey(Spin, K, Qt::NoModifier, QString(QChar('1' + (K - Qt::Key_1))));
    EXPECT_EQ(Spin->Text(), u"123");
    // Without its editor the field changes only through Up and Down.
    Spin->SetEditorEnabled(false);
    Spin->SelectAll();
    SendKey(Spin, Qt::Key_5, Qt::NoModifier, "5");
    SendKey(Spin, Qt::Key_Backspace, Qt::NoModifier, "\b");
    SendKey(Spin, Qt::Key_Delete);
    EXPECT_EQ(Spin->Text(), u"123");
    SendKey(Spin, Qt::Key_Up);
    EXPECT_EQ(Spin->Value(), 124);
    Form->Hide();
}

TEST_F(TFormFixture, SpinEditCopiesAndPastesOnlyWhatItTakes) {
    auto* Spin = new TSpinEdit(Form);
    Spin->SetParent(Form);
    Spin->SetValue(-42);
    Form->Show();
    Spin->SetFocus();
    SendKey(Spin, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard()->AsText(), u"-42");
    Clipboard()->SetAsText(u"1x2 3");
    SendKey(Spin, Qt::Key_End);
    SendKey(Spin, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Spin->Text(), u"-42123");
    SendKey(Spin, Qt::Key_A, Qt::ControlModifier);
    SendKey(Spin, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Spin->Text(), u"");
    EXPECT_EQ(Clipboard()->AsText(), u"-42123");
    Form->Hide();
}

TEST_F(TFormFixture, SpinButtonsStepAndRepeatWhileHeld) {
    auto* Spin = new TSpinEdit(Form);
    Spin->SetParent(Form);
    Spin->SetMinValue(0);
    Spin->SetMaxValue(1000);
    Form->Show();
    Pump();
    // The buttons fill the right 15 pixels of the 117 x 18 client area, up above down.
    Click(Spin, {110, 3});
    EXPECT_EQ(Spin->Value(), 1);
    EXPECT_TRUE(Spin->Focused());
    Click(Spin, {110, 14});
    EXPECT_EQ(Spin->Value(), 0);
    SendMouse(Spin, QEvent::MouseButtonPress, {110, 3});
    QElapsedTimer T;
    T.start();
    while (Spin->Value() < 3 && T.elapsed() < 5000)
        Pump();
    SendMouse(Spin, QEvent::MouseButtonRelease, {110, 3});
    EXPECT_GE(Spin->Value(), 3);
    const int Held = Spin->Value();
    T.restart();
    while (T.elapsed() < 300)
        Pump();
    EXPECT_EQ(Spin->Value(), Held); // released: no more steps
    SaveGrab(Grab(Form), "morvane-spin.png");
    Form->Hide();
}
