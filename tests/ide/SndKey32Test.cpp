// Key strings sent to another program's window on an X server of the test's own: the window
// records the key events it receives, as the user's own keys would reach it.

#include "ide/SndKey32.h"

#include "platform/gui/Messages.h"
#include "platform/gui/Questions.h"

#include "support/TestSupport.h"
#include "support/XProbeWindow.h"
#include "support/XTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct SndKey32Test : ::testing::Test {
    static inline std::unique_ptr<TXServer> Server;
    std::unique_ptr<TDisplayVariable> Display;
    std::unique_ptr<TXProbeWindow> Probe;
    std::map<int, std::string> KeyNames;
    TQuestionScript Script;
    std::vector<std::string> Messages;

    static void SetUpTestSuite() { Server = std::make_unique<TXServer>(); }
    static void TearDownTestSuite() { Server.reset(); }
    void SetUp() override {
        ASSERT_FALSE(Server->Display().empty()) << "Xvfb did not start";
        Display = std::make_unique<TDisplayVariable>(Server->Display());
        Probe = std::make_unique<TXProbeWindow>(Server->Display(), "probe", "ProbeFrame", "Probe");
        ASSERT_TRUE(ActivateWindow(Probe->Window()));
        for (auto [Vk, Name] : std::initializer_list<std::pair<Word, const char*>>{
                 {VK_SHIFT, "Shift"}, {VK_CONTROL, "Ctrl"}, {VK_MENU, "Alt"}, {VK_RETURN, "Enter"},
                 {VK_TAB, "Tab"}, {VK_BACK, "Back"}, {219, "["}, {221, "]"}, {'A', "A"}, {'B', "B"}, {'C', "C"},
                 {'R', "R"}, {'X', "X"}, {'7', "7"}, {VK_F5, "F5"}, {VK_DELETE, "Del"}})
            KeyNames[ForeignKeyCode(Vk)] = Name;
        Script.SetHandler([this](const TQuestion& Q, TAnswer& A) {
            Messages.push_back(StringToUtf8(Q.Caption + u": " + Q.Text));
            A.Result = IDOK;
        });
    }
    void TearDown() override {
        Probe.reset();
        Display.reset();
    }
    // The keys the window received: "+R" a press, "-R" a release.
    std::string Received(size_t Count) {
        EXPECT_TRUE(Probe->WaitFor([&] { return Probe->Keys.size() >= Count; }));
        std::string Text;
        for (const auto& K : Probe->Keys) {
            if (!Text.empty()) Text += ' ';
            const auto Name = KeyNames.find(K.Code);
            Text += (K.Down ? "+" : "-") + (Name == KeyNames.end() ? std::to_string(K.Code) : Name->second);
        }
        Probe->Keys.clear();
        return Text;
    }
};

} // namespace

TEST_F(SndKey32Test, KeyStringsBecomeTheKeysTheyName) {
    struct Case {
        const char16_t* Keys;
        const char* Received;
    } const Cases[] = {
        {u"^r", "+Ctrl +R -R -Ctrl"},
        {u"+(abc)", "+Shift +A -A +B -B +C -C -Shift"},
        {u"+abc", "+Shift +A -A -Shift +B -B +C -C"},
        {u"A&", "+Shift +A -A -Shift +Shift +7 -7 -Shift"},
        {u"{TAB 3}", "+Tab -Tab +Tab -Tab +Tab -Tab"},
        {u"{tab}{BACKSPACE}{Del}", "+Tab -Tab +Back -Back +Del -Del"},
        {u"%{F5}~", "+Alt +F5 -F5 -Alt +Enter -Enter"},
        {u"{{}{}}", "+Shift +[ -[ -Shift +Shift +] -] -Shift"},
        {u"{x 2}{X}", "+X -X +X -X +Shift +X -X -Shift"},
    };
    for (const Case& C : Cases) {
        EXPECT_TRUE(SendKeyString(C.Keys, true)) << StringToUtf8(C.Keys);
        const std::string Expected = C.Received;
        EXPECT_EQ(Received(size_t(std::count(Expected.begin(), Expected.end(), ' ') + 1)), Expected)
            << StringToUtf8(C.Keys);
    }
    EXPECT_TRUE(Messages.empty());
}

TEST_F(SndKey32Test, BadKeyStringsAreToldAndTheRestIsSent) {
    EXPECT_FALSE(SendKeyString(u"", true));
    EXPECT_TRUE(Messages.empty());

    EXPECT_FALSE(SendKeyString(u"x{F5", true));
    EXPECT_EQ(Messages, std::vector<std::string>{"SendKeys: No Close"});
    EXPECT_EQ(Received(2), "+X -X");

    Messages.clear();
    EXPECT_TRUE(SendKeyString(u"{NOPE}{TAB x}x\u00e4r", true));
    EXPECT_EQ(Messages, (std::vector<std::string>{"SendKeys: Invalid Key Name", "SendKeys: Invalid Key Name",
                                                  "SendKeys: Invalid KeyName"}));
    EXPECT_EQ(Received(4), "+X -X +R -R");
}

TEST_F(SndKey32Test, KeyNamesIgnoreCaseAndUnknownNamesHaveNoKey) {
    struct Case {
        const char16_t* Name;
        Word Vk;
    } const Cases[] = {{u"BACKSPACE", 8}, {u"bksp", 8},    {u"Break", 3},       {u"F1", 112}, {u"f16", 127},
                       {u"F9", 120},      {u"PRTSC", 42},  {u"NumLock", 144},   {u"UP", 38},  {u"SCROLLLOCK", 145},
                       {u"ESC", 27},      {u"Escape", 27}, {u"F17", 0},         {u"", 0},     {u"TABS", 0}};
    for (const Case& C : Cases) EXPECT_EQ(KeyNameToVirtualKey(C.Name), C.Vk) << StringToUtf8(C.Name);
}
