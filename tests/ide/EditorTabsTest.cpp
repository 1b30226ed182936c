// The editor tabs of the main window: one tab per path, captions, closing with the save question
// and by the tab's own close button or a double click, reordering by dragging, and the picture.

#include "EditorFixture.h"

#include "platform/gui/ActnList.h"

namespace {

struct EditorTabsTest : TEditorFixture {
    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
        Main->Show();
        ProcessMessages();
    }
    std::vector<std::string> Captions() {
        std::vector<std::string> Out;
        for (int I = 0; I < Main->pgEdit->PageCount(); ++I)
            Out.push_back(U8(Main->pgEdit->Pages(I)->Caption()));
        return Out;
    }
};

} // namespace

TEST_F(EditorTabsTest, AFileOpensOnceByItsExactPath) {
    const String A = Sketch("A/A.ino", "void setup() {}\n");
    const String B = Sketch("B/B.ino", "void loop() {}\n");
    TfrmEditor* First = Open(A);
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(Main->pgEdit->ActivePage()->HelpKeyword(), A);
    EXPECT_EQ(Main->pgEdit->ActivePage()->Hint(), A);
    EXPECT_EQ(Main->pgEdit->ActivePage()->HelpContext(), int(tkSketches));
    EXPECT_EQ(Main->ActiveEditorForm(), First);
    EXPECT_EQ(Main->ActiveFileName(), A);
    ASSERT_NE(Open(B), nullptr);
    EXPECT_EQ(U8(Main->lstRecentFiles->Items()->Strings(0)), U8(B));

    EXPECT_EQ(Open(A), nullptr);
    EXPECT_EQ(Main->ActiveEditorForm(), First);
    EXPECT_EQ(Main->pgEdit->PageCount(), 3);
    // The recent list is not touched.
    EXPECT_EQ(U8(Main->lstRecentFiles->Items()->Strings(0)), U8(B));

    // Another spelling of the path is another tab.
    const String Upper = Sketch("A/a.INO", "// other\n");
    EXPECT_NE(Open(Upper), nullptr);
    EXPECT_EQ(Main->pgEdit->PageCount(), 4);

    // The parts of a tab.
    TTabSheet* Page = Main->pgEdit->Pages(1);
    EXPECT_NE(TfrmMain::ErrorListOfTab(Page), nullptr);
    EXPECT_EQ(TfrmMain::ErrorListOfTab(Page)->Height(), 50);
    Main->pgEdit->SetActivePage(Page);
    ASSERT_NE(Main->ActiveProgressBar(), nullptr);
    EXPECT_EQ(Main->ActiveProgressBar()->Name(), u"prbar");
    Main->pgEdit->SetActivePage(Main->tsArduino);
    EXPECT_EQ(Main->ActiveEditorForm(), nullptr);
    EXPECT_EQ(Main->ActiveFileName(), u"");
    EXPECT_EQ(Main->ActiveProgressBar(), nullptr);
}

TEST_F(EditorTabsTest, CaptionsAreTheNameUpToItsFirstDotCutTo20) {
    const struct {
        const char* File;
        const char* Caption;
    } Cases[] = {
        {"VeryLongSketchNameForTest.ino", "VeryLongSketchNameFo"},
        {"Blink.ino", "Blink"},
        {"pins.arduino.h", "pins"},
    };
    for (const auto& C : Cases) {
        Open(Sketch(C.File, "x\n"));
        EXPECT_EQ(U8(Main->pgEdit->ActivePage()->Caption()), C.Caption);
    }
    // Without a file: the new-sketch text and "???".
    WriteBeside(".NewSketch", "void setup() {\n}\n");
    TfrmEditor* New = Main->OpenFileInTab(u"", ntFileSrc, tkSketches, false);
    ASSERT_NE(New, nullptr);
    EXPECT_EQ(U8(Main->pgEdit->ActivePage()->Caption()), "???");
    EXPECT_EQ(U8(Main->ActiveFileName()), "???");
    EXPECT_EQ(U8(New->codeedt->Lines()->Strings(0)), "void setup() {");
}

TEST_F(EditorTabsTest, ClosingAsksForAModifiedFileAndActivatesANeighbour) {
    const String A = Sketch("a.ino", "a\n"), B = Sketch("b.ino", "b\n"), C = Sketch("c.ino", "c\n");
    Open(A);
    Open(B);
    TfrmEditor* Last = Open(C);
    Last->codeedt->Lines()->SetString(0, u"cc");
    Last->codeedt->SetModified(true);
    {
        TQuestionScript Script;
        Script.Answer(IDCANCEL);
        Main->Action(u"actFileClose")->Execute();
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_EQ(U8(Script.Last().Text),
                  "The text in the \"" + U8(C) + "\" file has changed.\r\rDo you want to save the modifications?");
        EXPECT_EQ(Main->pgEdit->PageCount(), 4);
    }
    {
        TQuestionScript Script;
        Script.Answer(IDYES);
        Main->Action(u"actFileClose")->Execute();
        EXPECT_EQ(ReadBytes(StringToUtf8(C)), "cc\n");
    }
    // The last page went: the one before it is active.
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "a", "b"}));
    EXPECT_EQ(Main->ActiveFileName(), B);
    // The first file's page went: the next one takes its place.
    Main->pgEdit->SetActivePageIndex(1);
    Main->CloseActiveTab();
    EXPECT_EQ(Main->ActiveFileName(), B);
    // The "Arduino" page never closes.
    Main->pgEdit->SetActivePageIndex(0);
    Main->CloseActiveTab();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "b"}));
}

TEST_F(EditorTabsTest, CloseButtonsDoubleClicksAndDraggingWorkOnTheTabRow) {
    for (const char* Name : {"one.ino", "two.h", "three.txt"})
        Open(Sketch(Name, "x\n"));
    Main->pgEdit->Repaint();
    ProcessMessages();
    ASSERT_EQ(Main->CloseButtonsRects().size(), 4u);
    // Dragging the active tab ("three") onto the first file's tab moves it there.
    const TRect One = Main->pgEdit->TabRect(1);
    Main->pgEditDragDrop(One.Left + 5, One.Top + 5);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "three", "one", "two"}));

    // A press and release on a tab's close button closes that tab.
    Main->pgEdit->Repaint();
    ProcessMessages();
    const TRect Close = Main->CloseButtonsRects()[3];
    ASSERT_GT(Close.Right, Close.Left);
    const TPoint Inside{(Close.Left + Close.Right) / 2, (Close.Top + Close.Bottom) / 2};
    ClickMessages(Main->pgEdit, Inside);
    ProcessMessages();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "three", "one"}));

    // A double click on a tab closes it.
    const TRect Three = Main->pgEdit->TabRect(1);
    DoubleClickMessages(Main->pgEdit, TPoint{Three.Left + 8, Three.Top + 6});
    ProcessMessages();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "one"}));
}

TEST_F(EditorTabsTest, TheCloseButtonClosesItsTabUnderTheRealMouse) {
    const String One = Sketch("one.ino", "x\n");
    TfrmEditor* First = Open(One);
    Open(Sketch("two.ino", "y\n"));
    First->codeedt->SetModified(true);
    auto Centre = [&](int Tab) {
        Main->pgEdit->Repaint();
        ProcessMessages();
        const TRect R = Main->CloseButtonsRects()[size_t(Tab)];
        EXPECT_GT(R.Right, R.Left);
        return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    };
    TQuestionScript Script;
    // Pressed, then left and released outside it: the tab stays, and the row takes the next
    // press as before.
    const TPoint Two = Centre(2);
    SynthMouse(Main->pgEdit, smDown, Two);
    SynthMouse(Main->pgEdit, smMove, TPoint{Two.X, Two.Y + 40});
    SynthMouse(Main->pgEdit, smUp, TPoint{Two.X, Two.Y + 40});
    ProcessMessages();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "one", "two"}));

    // A click on the modified tab's button asks first; Cancel keeps it, No closes it.
    Script.Answer(IDCANCEL);
    SynthClick(Main->pgEdit, Centre(1));
    ProcessMessages();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Text),
              "The text in the \"" + U8(One) + "\" file has changed.\r\rDo you want to save the modifications?");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "one", "two"}));
    Script.Answer(IDNO);
    SynthClick(Main->pgEdit, Centre(1));
    ProcessMessages();
    EXPECT_EQ(Script.Asked().size(), 2u);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino", "two"}));
    // An unmodified tab closes at once; a double click closes too.
    SynthClick(Main->pgEdit, Centre(1));
    ProcessMessages();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino"}));
    EXPECT_EQ(Script.Asked().size(), 2u);
    Open(Sketch("three.ino", "z\n"));
    const TRect Three = Main->pgEdit->TabRect(1);
    SynthDoubleClick(Main->pgEdit, TPoint{Three.Left + 8, Three.Top + 6});
    ProcessMessages();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Arduino"}));
}

TEST_F(EditorTabsTest, SketchTabsDrawInRedAndEnableCopyingTheProject) {
    Open(Sketch("s/s.ino", "x\n"), tkSketches);
    Main->pgEdit->Repaint();
    ProcessMessages();
    EXPECT_TRUE(Main->Action(u"actFileCopyFromEditorFile")->Enabled());
    auto Picture = GrabControl(Main->pgEdit);
    const TRect R = Main->pgEdit->TabRect(1);
    bool Red = false;
    for (int X = R.Left; X < R.Right && !Red; ++X)
        for (int Y = R.Top; Y < R.Bottom && !Red; ++Y)
            Red = (PixelOf(*Picture, X, Y) & 0xFFFFFF) == TColor(255);
    EXPECT_TRUE(Red);

    // Three tabs as a user sees them.
    Open(Sketch("s/helper.h", "x\n"));
    TfrmEditor* Txt = Open(Sketch("s/notes.txt", "x\n"));
    Txt->codeedt->SetModified(true);
    Main->pgEdit->Repaint();
    ProcessMessages();
    if (const char* Dir = std::getenv("MORVANE_SCREENSHOTS"))
        GrabControl(Main.get())->SaveToFile(Utf8ToString(std::string(Dir) + "/editor-tabs.png"));
}

TEST_F(EditorTabsTest, ADoubleClickInTheTreesOpensTheSketchInItsTab) {
    const String Blink = Sketch("Blink/Blink.ino", "void setup() {}\nvoid loop() {}\n");
    Main->LoadSketchesTree();
    Main->vstSketches->FullExpand(nullptr);
    PLeanNode Node = Main->FindTreeNode(Main->vstSketches, u"Blink.ino", Blink);
    ASSERT_NE(Node, nullptr);
    Main->vstSketches->SetFocusedNode(Node);
    const TRect R = Main->vstSketches->GetDisplayRect(Node, ColumnNone, true);
    DoubleClickMessages(Main->vstSketches, TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2});
    ProcessMessages();
    ASSERT_EQ(Main->ActiveFileName(), Blink);
    EXPECT_EQ(U8(Main->pgEdit->ActivePage()->Caption()), "Blink");
    EXPECT_EQ(Main->pgEdit->ActivePage()->HelpContext(), int(tkSketches));
    EXPECT_EQ(U8(Main->ActiveEditorForm()->codeedt->Lines()->Strings(1)), "void loop() {}");
    // Once per path.
    Main->TreeDblClick(Main->vstSketches);
    EXPECT_EQ(Main->pgEdit->PageCount(), 2);
}
