// The selected sketch's configuration in the inspector under the Sketches tree: the values of
// its "Morvane.prj", "Morvane default" without one, their colours, and the double click that
// opens the configuration dialog.

#include "EditorFixture.h"

#include "ide/EditConfiguration.h"
#include "ide/Trees.h"

#include "dataaware/inspector/daInspector.h"

#include "support/GraphicsTestSupport.h"

#include <map>

namespace {

struct ProjectInspectorTest : TEditorFixture {
    TQuestionScript Script;

    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
        Options->edPathToProjects->SetText(Temp / "Book");
        Sketch("arduino/hardware/arduino/avr/boards.txt", "uno.name=Arduino Uno\n");
        Options->edPathToArduino->SetText(Temp / "arduino");
        Options->LoadBoards();
        // Another ".prj" of the sketch comes first in the folder; it is no configuration.
        Sketch("Book/Blink/Blink.ino", "void setup() {}\nvoid loop() {}\n");
        Sketch("Book/Blink/Blink.prj", "ArduinoType=mega\r\nComPort=9\r\n");
        Sketch("Book/Blink/Morvane.prj", "; Blink\r\nArduinoType=nano\r\nCPU=atmega328old\r\nComPort=3\r\n"
                                         "BaudRate=115200\r\nCreated=1.2.2020\r\nLastEdited=2.2.2020\r\n"
                                         "Unknown=1\r\n=x\r\n");
        Sketch("Book/Bare/Bare.ino", "void setup() {}\nvoid loop() {}\n");
        Sketch("Book/Def/Def.ino", "void setup() {}\nvoid loop() {}\n");
        Sketch("Book/Def/morvane.PRJ", "ArduinoType=default\r\nComPort=5\r\n");
        Main->LoadSketchesTree();
        Main->Show();
        ProcessMessages();
    }
    PLeanNode Node(const char16_t* Caption, const std::string& Path) {
        PLeanNode N = Main->FindTreeNode(Main->vstSketches, Caption, Temp / ("Book/" + Path));
        EXPECT_NE(N, nullptr) << Path;
        return N;
    }
    std::string Text(const char16_t* Tag) {
        TdaInspectorItem* Item = Main->inspProject->GetItemByTagString(Tag);
        EXPECT_NE(Item, nullptr) << U8(Tag);
        return Item ? U8(Item->DisplayText()) : std::string();
    }
    std::map<std::string, std::string> Shown() {
        std::map<std::string, std::string> Values;
        for (const char16_t* Tag : {u"ProjectName", u"ArduinoType", u"CPU", u"ComPort", u"Baudrate", u"Created",
                                    u"LastEdited"})
            Values[U8(Tag)] = Text(Tag);
        return Values;
    }
};

} // namespace

TEST_F(ProjectInspectorTest, TheSketchsOwnFileIsShownForTheFolderAndItsFiles) {
    EXPECT_FALSE(Main->inspProject->Visible());
    const std::map<std::string, std::string> Blink = {
        {"ProjectName", "Blink"}, {"ArduinoType", "nano"},    {"CPU", "atmega328old"},    {"ComPort", "3"},
        {"Baudrate", "115200"},   {"Created", "1.2.2020"}, {"LastEdited", "2.2.2020"}};
    for (auto [Caption, Path] : {std::pair{u"Blink", "Blink"}, std::pair{u"Blink.ino", "Blink/Blink.ino"},
                                 std::pair{u"Blink.prj", "Blink/Blink.prj"}}) {
        Main->vstSketches->SetFocusedNode(Node(Caption, Path));
        EXPECT_TRUE(Main->inspProject->Visible());
        EXPECT_EQ(Shown(), Blink) << Path;
    }
    EXPECT_NE(Main->inspProject->GetItemByTagString(u"Created"), nullptr);
    EXPECT_FALSE(Main->inspProject->GetItemByTagString(u"Created")->Visible());

    // A sketch without a file of its own builds with the default one, and says so.
    Main->vstSketches->SetFocusedNode(Node(u"Bare", "Bare"));
    const std::map<std::string, std::string> Bare = {
        {"ProjectName", "Bare"},          {"ArduinoType", "Morvane default"}, {"CPU", "Morvane default"},
        {"ComPort", "Morvane default"},   {"Baudrate", "Morvane default"},    {"Created", ""},
        {"LastEdited", ""}};
    EXPECT_EQ(Shown(), Bare);

    // The file's name is found without regard to case, as the builds find it.
    Main->vstSketches->SetFocusedNode(Node(u"Def", "Def"));
    EXPECT_EQ(Text(u"ArduinoType"), "default");
    EXPECT_EQ(Text(u"ComPort"), "5");
    EXPECT_EQ(Text(u"CPU"), "");

    // A node that is no sketch leaves the values empty.
    Main->vstSketches->SetFocusedNode(nullptr);
    EXPECT_EQ(Text(u"ProjectName"), "");
    EXPECT_EQ(Text(u"ArduinoType"), "");
}

TEST_F(ProjectInspectorTest, DefaultsAreGreyItalicAndTheNameGreenBold) {
    struct TLook {
        TColor Color;
        bool Bold;
        bool Italic;
    };
    std::map<std::string, TLook> Looks;
    auto Paint = Main->inspProject->OnDrawDataCell;
    Main->inspProject->OnDrawDataCell = [&](TObject* Sender, TdaInspectorItem* Item, bool Selected, TRect R,
                                            bool& Default) {
        Main->inspProject->Canvas()->Font()->SetColor(clBlack);
        Main->inspProject->Canvas()->Font()->SetStyle({});
        Paint(Sender, Item, Selected, R, Default);
        TFont* F = Main->inspProject->Canvas()->Font();
        Looks[U8(Item->TagString)] = {F->Color(), F->Style().Contains(fsBold), F->Style().Contains(fsItalic)};
    };
    struct Case {
        const char16_t* Caption;
        const char* Path;
        const char* Tag;
        TColor Color;
        bool Bold;
        bool Italic;
    } const Cases[] = {
        {u"Bare", "Bare", "ProjectName", TColor(0x008000), true, false},
        {u"Bare", "Bare", "ArduinoType", TColor(0x808080), false, true},
        {u"Bare", "Bare", "Baudrate", TColor(0x808080), false, true},
        {u"Def", "Def", "ArduinoType", TColor(0x808080), false, false},
        {u"Def", "Def", "ComPort", clBlack, false, false},
        {u"Blink", "Blink", "ArduinoType", clBlack, false, false},
    };
    for (const Case& C : Cases) {
        Main->vstSketches->SetFocusedNode(Node(C.Caption, C.Path));
        Looks.clear();
        Main->inspProject->Invalidate();
        auto Picture = GrabControl(Main->inspProject);
        GrabToPng(Picture.get(), Temp, "inspector-" + U8(C.Caption) + ".png");
        ASSERT_TRUE(Looks.count(C.Tag)) << C.Path << " " << C.Tag;
        EXPECT_EQ(Looks[C.Tag].Color, C.Color) << C.Path << " " << C.Tag;
        EXPECT_EQ(Looks[C.Tag].Bold, C.Bold) << C.Path << " " << C.Tag;
        EXPECT_EQ(Looks[C.Tag].Italic, C.Italic) << C.Path << " " << C.Tag;
    }
}

// A double click on the inspector edits the selected sketch's configuration; what the dialog
// saved shows at once, and the new file gets its node.
TEST_F(ProjectInspectorTest, ADoubleClickEditsTheSketchAndTheValuesFollow) {
    PLeanNode Bare = Node(u"Bare", "Bare");
    Main->vstSketches->SetFocusedNode(Bare);
    Script.Answer([](const TQuestion& Q, TAnswer& A) {
        auto* Form = dynamic_cast<TfrmEditConfiguration*>(Q.Form);
        ASSERT_NE(Form, nullptr);
        Form->seComNr->SetValue(8);
        EXPECT_TRUE(Form->SaveConfiguration());
        A.Result = mrCancel;
    });
    DoubleClickMessages(Main->inspProject, {200, 10});
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(Script.Last().Kind, qkShowModal);
    EXPECT_EQ(Text(u"ComPort"), "8");
    EXPECT_EQ(Text(u"ArduinoType"), "default");
    EXPECT_NE(Main->FindConfigChild(Bare), nullptr);
}
