// The editor frame in its tab: files in and out (UTF-8 without a byte-order mark, the question
// about text that is not UTF-8), the sketch's other files, landmarks, marks, bookmarks, the
// closing question and the status bar.

#include "EditorFixture.h"

#include "ide/Editor.h"

#include "editor/CodeEditKeyCmdsEditor.h"

#include "platform/base/Exceptions.h"

#include "support/SmallFileSystem.h"

#include <cstring>
#include <sys/stat.h>

namespace {

struct EditorTest : TEditorFixture {
    void SetUp() override {
        TEditorFixture::SetUp();
        Start();
    }
};

} // namespace

TEST_F(EditorTest, EveryArduinoExampleSavesByteForByteAsItWasRead) {
    const std::vector<std::string> Files = ArduinoExampleSources();
    ASSERT_GT(Files.size(), 50u) << "Debian's Arduino examples are missing";
    int N = 0;
    for (const std::string& Original : Files) {
        const std::string Bytes = ReadBytes(Original);
        const String Copy = Sketch("copy" + std::to_string(N++) + "/" + std::filesystem::path(Original).filename().string(),
                                   Bytes);
        TfrmEditor* Editor = Open(Copy);
        ASSERT_NE(Editor, nullptr) << Original;
        ASSERT_GT(Editor->codeedt->Lines()->Count(), 0) << Original;
        // A change marks it; the save really writes.
        Editor->codeedt->SetModified(true);
        std::filesystem::remove(StringToUtf8(Copy));
        Main->SaveActiveFile();
        EXPECT_FALSE(Editor->codeedt->Modified()) << Original;
        EXPECT_EQ(ReadBytes(StringToUtf8(Copy)), Bytes) << Original;
        Main->CloseActiveTab();
    }
}

TEST_F(EditorTest, TextThatIsNotUtf8AsksAndReloadsUndecoded) {
    const struct {
        const char* Name;
        std::string Bytes;
        int Answer;
        std::vector<std::string> Lines;
    } Cases[] = {
        {"latin1.ino", "// K\xe4se\nvoid setup() {}\n", IDOK, {"// K\xc3\xa4se", "void setup() {}", ""}},
        {"latin1cancel.ino", "// K\xe4se\n", IDCANCEL, {}},
        {"empty.ino", "", IDOK, {}},
    };
    for (const auto& C : Cases) {
        TQuestionScript Script;
        Script.Answer(C.Answer);
        TfrmEditor* Editor = Open(Sketch(C.Name, C.Bytes));
        ASSERT_EQ(Script.Asked().size(), 1u) << C.Name;
        EXPECT_EQ(U8(Script.Last().Caption), "Non UTF-8 file ?");
        EXPECT_EQ(Script.Last().Text, SEmptyFileQuestion);
        EXPECT_EQ(Script.Last().Icon, mtConfirmation);
        std::vector<std::string> Lines;
        for (int I = 0; I < Editor->codeedt->Lines()->Count(); ++I)
            Lines.push_back(U8(Editor->codeedt->Lines()->Strings(I)));
        EXPECT_EQ(Lines, C.Lines) << C.Name;
    }
}

TEST_F(EditorTest, SavedFilesHaveNoByteOrderMarkAndAreUtf8) {
    const String File = Sketch("bom.ino", "\xEF\xBB\xBF// K\xC3\xA4se\n");
    TfrmEditor* Editor = Open(File);
    Editor->codeedt->Lines()->SetString(0, u"// K\u00e4se \u20ac");
    Editor->codeedt->SetModified(true);
    Main->SaveActiveFile();
    EXPECT_EQ(ReadBytes(StringToUtf8(File)), "// K\xC3\xA4se \xE2\x82\xAC\n");
}

TEST_F(EditorTest, ASaveReplacesTheSketchWholeAndKeepsItsMode) {
    const String File = Sketch("mode.ino", "void setup() {}\n");
    ::chmod(StringToUtf8(File).c_str(), 0600);
    struct stat Before, After;
    ::stat(StringToUtf8(File).c_str(), &Before);
    TfrmEditor* Editor = Open(File);
    Editor->codeedt->Lines()->SetString(0, u"void loop() {}");
    Editor->SaveFile();
    ::stat(StringToUtf8(File).c_str(), &After);
    EXPECT_EQ(ReadBytes(StringToUtf8(File)), "void loop() {}\n");
    EXPECT_EQ(After.st_mode & 07777, 0600u);
    // A new file renamed over the old one, never the old one emptied and rewritten.
    EXPECT_NE(After.st_ino, Before.st_ino);
}

TEST_F(EditorTest, ASaveOnAFullDiskKeepsTheSketchAndNamesItAndTheReason) {
    TSmallFileSystem Small(Temp.Sys("small"), 256 * 1024);
    if (!Small.Mounted()) GTEST_SKIP() << Small.Reason();
    const String File = Sketch("small/full.ino", "void setup() {}\n");
    TfrmEditor* Editor = Open(File);
    FillFileSystem(Temp.Sys("small"));
    for (int I = 0; I < 3000; ++I)
        Editor->codeedt->Lines()->Add(u"// a line that needs more room than there is");
    Editor->codeedt->SetModified(true);
    try {
        Editor->SaveFile();
        FAIL() << "saved on a full disk";
    } catch (const Exception& E) {
        EXPECT_EQ(U8(E.Message()), "Cannot create file \"" + U8(File) + "\". " + std::strerror(ENOSPC));
    }
    EXPECT_EQ(ReadBytes(StringToUtf8(File)), "void setup() {}\n");
    EXPECT_TRUE(Editor->codeedt->Modified()); // nothing claims the text was saved
}

TEST_F(EditorTest, AnotherFileOfTheSketchIsSavedAndReadAsTheTabsOwnFile) {
    const String Main_ = Sketch("s/s.ino", "// main\n");
    const String Utf8 = Sketch("s/utf8.h", "// caf\xC3\xA9\n");
    const String Latin1 = Sketch("s/latin1.h", "// caf\xE9\n");
    TfrmEditor* Editor = Open(Main_);
    TStringList Names, Paths;
    for (const String& P : {Main_, Utf8, Latin1}) {
        Names.Add(ExtractFileName(P));
        Paths.Add(P);
    }
    Editor->FillFileList(&Names, &Paths);
    EXPECT_EQ(Editor->lstOtherFiles->Items()->Count(), 3);

    // The modified main file goes out as UTF-8 without a byte-order mark.
    Editor->codeedt->Lines()->SetString(0, u"// m\u00e4in");
    Editor->codeedt->SetModified(true);
    Editor->lstOtherFiles->SetItemIndex(1);
    Editor->OpenOtherFile();
    EXPECT_EQ(ReadBytes(StringToUtf8(Main_)), "// m\xC3\xA4in\n");
    EXPECT_EQ(U8(Editor->codeedt->Lines()->Strings(0)), "// caf\xC3\xA9");
    EXPECT_EQ(Editor->FileName(), Utf8);
    EXPECT_FALSE(Editor->codeedt->Modified());
    // The tab still names the sketch's main file.
    EXPECT_EQ(Main->ActiveFileName(), Main_);

    // Text that is not UTF-8 asks as opening does.
    TQuestionScript Script;
    Script.Answer(IDOK);
    Editor->lstOtherFiles->SetItemIndex(2);
    Editor->OpenOtherFile();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(U8(Script.Last().Caption), "Non UTF-8 file ?");
    EXPECT_EQ(U8(Editor->codeedt->Lines()->Strings(0)), "// caf\xC3\xA9");

    // No selection: nothing happens.
    Editor->lstOtherFiles->SetItemIndex(-1);
    Editor->OpenOtherFile();
    EXPECT_EQ(Editor->FileName(), Latin1);
}

TEST_F(EditorTest, AReadOnlyExampleStaysReadOnlyWhenItsOtherFilesOpen) {
    const String A = Sketch("ro/ro.ino", "// a\n");
    const String B = Sketch("ro/b.h", "// b\n");
    TfrmEditor* Editor = Open(A, tkExamplesRO);
    EXPECT_TRUE(Editor->codeedt->ReadOnly());
    EXPECT_FALSE(Editor->actReadOnly->Enabled());
    EXPECT_EQ(Editor->codeedt->Color(), TColor(16119279));
    TStringList Names, Paths;
    Names.Add(u"b.h");
    Paths.Add(B);
    Editor->FillFileList(&Names, &Paths);
    Editor->lstOtherFiles->SetItemIndex(0);
    Editor->OpenOtherFile();
    EXPECT_EQ(U8(Editor->codeedt->Lines()->Strings(0)), "// b");
    EXPECT_TRUE(Editor->codeedt->ReadOnly());
}

TEST_F(EditorTest, LandmarkJumpsSelectTheFirstOccurrence) {
    TfrmEditor* Editor = Open(Sketch("land.ino", "#include <A.h>\n#define X 1\nvoid setup() {}\nvoid loop() {}\n"
                                                 "void setup() {}\n"));
    const struct {
        void (TfrmEditor::*Jump)();
        std::string Selected;
        int Line;
    } Cases[] = {
        {&TfrmEditor::GotoSetup, "void setup()", 3},
        {&TfrmEditor::GotoLoop, "void loop()", 4},
        {&TfrmEditor::GotoDefines, "#define ", 2},
        {&TfrmEditor::GotoIncludes, "#include ", 1},
    };
    for (const auto& C : Cases) {
        // Wherever the caret is, the first one.
        Editor->codeedt->SetCaretXY({1, 5});
        (Editor->*C.Jump)();
        EXPECT_EQ(U8(Editor->codeedt->SelText()), C.Selected);
        EXPECT_EQ(Editor->codeedt->BlockBegin().Line, C.Line);
    }
    TfrmEditor* Other = Open(Sketch("nosetup.ino", "int a;\n"));
    Other->codeedt->SetCaretXY({3, 1});
    Other->GotoSetup();
    EXPECT_EQ(Other->codeedt->CaretXY(), (TBufferCoord{3, 1}));
    EXPECT_FALSE(Other->codeedt->SelAvail());
}

TEST_F(EditorTest, GutterClicksClearAndPlaceTheLowestFreeBookmark) {
    TfrmEditor* Editor = Open(Sketch("bm.ino", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\n"));
    TCodeEdit* E = Editor->codeedt;
    for (int N = 0; N <= 3; ++N)
        E->SetBookMark(N, 1, N + 1);
    auto Action = [&](int N) { return dynamic_cast<TAction*>(Editor->FindComponent(Format(u"actBM%d", {N}))); };
    EXPECT_TRUE(Action(3)->Enabled());
    EXPECT_FALSE(Action(4)->Enabled());
    EXPECT_EQ(U8(Editor->BookmarkButton(3)->Hint()), "[4]:d");

    Editor->GutterClick(4);
    EXPECT_FALSE(E->IsBookmark(3));
    EXPECT_FALSE(Action(3)->Enabled());
    Editor->GutterClick(6);
    int X = 0, Y = 0;
    ASSERT_TRUE(E->GetBookMark(3, X, Y));
    EXPECT_EQ(Y, 6);
    EXPECT_TRUE(Action(3)->Enabled());

    // All ten in use: a click on a free line does nothing.
    for (int N = 4; N <= 9; ++N)
        E->SetBookMark(N, 1, N + 3);
    const int Count = E->Marks()->Count();
    Editor->GutterClick(5);
    EXPECT_EQ(E->Marks()->Count(), Count);
    TCodeEditMarks OnLine5{};
    E->Marks()->GetMarksForLine(5, OnLine5);
    EXPECT_EQ(OnLine5[0], nullptr);

    TStringList Entries;
    Editor->FillBookmarkList(&Entries);
    ASSERT_GE(Entries.Count(), 1);
    EXPECT_EQ(U8(Entries.Strings(0)), "0/[1]:a");
}

TEST_F(EditorTest, ErrorMarksReplaceEachOtherAndLeaveBookmarks) {
    TfrmEditor* Editor = Open(Sketch("marks.ino", "a\nb\nc\n"));
    TCodeEdit* E = Editor->codeedt;
    E->SetBookMark(0, 1, 1);
    E->SetCaretXY({1, 2});
    Editor->PlaceGutterMark(mtRedLine);
    E->SetCaretXY({1, 3});
    Editor->PlaceGutterMark(mtGreenLine);
    int Errors = 0;
    for (int I = 0; I < E->Marks()->Count(); ++I)
        if (!E->Marks()->Items(I)->IsBookmark()) {
            ++Errors;
            EXPECT_EQ(E->Marks()->Items(I)->Line(), 3);
            EXPECT_EQ(E->Marks()->Items(I)->ImageIndex(), 30);
        }
    EXPECT_EQ(Errors, 1);
    Editor->PlaceMark();
    Editor->ClearMarks();
    ASSERT_EQ(E->Marks()->Count(), 1);
    EXPECT_TRUE(E->Marks()->Items(0)->IsBookmark());
}

TEST_F(EditorTest, ClosingAModifiedFrameAsksAndSavesOnYes) {
    const String File = Sketch("close.ino", "a\n");
    const struct {
        int Answer;
        bool CanClose;
        std::string Saved;
    } Cases[] = {{IDYES, true, "b\n"}, {IDNO, true, "a\n"}, {IDCANCEL, false, "a\n"}};
    for (const auto& C : Cases) {
        WriteBytes(StringToUtf8(File), "a\n");
        TfrmEditor* Editor = Open(File);
        Editor->codeedt->Lines()->SetString(0, u"b");
        Editor->codeedt->SetModified(true);
        TQuestionScript Script;
        Script.Answer(C.Answer);
        EXPECT_EQ(Editor->VerifyIfCanClose(), C.CanClose);
        ASSERT_EQ(Script.Asked().size(), 1u);
        EXPECT_EQ(U8(Script.Last().Caption), "Close form");
        EXPECT_EQ(U8(Script.Last().Text),
                  "The text in the \"" + U8(File) + "\" file has changed.\r\n\r\nDo you want to save the modifications?");
        EXPECT_EQ(Script.Last().DefaultResult, IDCANCEL);
        EXPECT_EQ(ReadBytes(StringToUtf8(File)), C.Saved);
        Editor->codeedt->SetModified(false);
        Main->CloseActiveTab();
    }
    // Unmodified: no question.
    EXPECT_TRUE(Open(File)->VerifyIfCanClose());
}

TEST_F(EditorTest, StatusBarShowsCaretModifiedAndMode) {
    TfrmEditor* Editor = Open(Sketch("status.ino", "abc\ndef\n"));
    Editor->codeedt->SetCaretXY({3, 2});
    Editor->UpdateStatusBar();
    auto Panel = [&](int I) { return U8(Editor->StatusBar->Panels()->Items(I)->Text()); };
    EXPECT_EQ(Panel(0), "      2:  3 ");
    EXPECT_EQ(Panel(1), "");
    EXPECT_EQ(Panel(2), "Insert");
    Editor->codeedt->SetModified(true);
    Editor->codeedt->SetInsertMode(false);
    Editor->UpdateStatusBar();
    EXPECT_EQ(Panel(1), "Modified");
    EXPECT_EQ(Panel(2), "Overwrite");
    Editor->SetReadOnlyMode(true);
    Editor->UpdateStatusBar();
    EXPECT_EQ(Panel(2), "Read Only");
}

TEST_F(EditorTest, SetupLoopAndFunctionHeadsGetTheirLineColours) {
    TfrmEditor* Editor = Open(Sketch("colours.ino", "void setup() {\nvoid loop() {\nint f(int a)\nx = 1;\n"));
    const struct {
        int Line;
        bool Special;
        TColor BG;
    } Cases[] = {{1, true, 6022397}, {2, true, 4248317}, {3, true, 12319735}, {4, false, clNone}};
    for (const auto& C : Cases) {
        bool Special = false;
        TColor FG = clNone, BG = clNone;
        Editor->codeedt->OnSpecialLineColors(Editor->codeedt, C.Line, Special, FG, BG);
        EXPECT_EQ(Special, C.Special) << C.Line;
        EXPECT_EQ(BG, C.BG) << C.Line;
        EXPECT_EQ(FG, clNone);
    }
}

TEST_F(EditorTest, PlaceholderJumpTakesTheFirstBarFromTheCaretLineDown) {
    TfrmEditor* Editor = Open(Sketch("ph.ino", "a|b\nc\nd|e|f\n"));
    TCodeEdit* E = Editor->codeedt;
    E->SetCaretXY({1, 2});
    EXPECT_TRUE(Editor->FindNextPlaceholder());
    EXPECT_EQ(E->CaretXY(), (TBufferCoord{2, 3}));
    EXPECT_EQ(U8(E->Lines()->Strings(2)), "de|f");
    // Limited to lines that hold none: nothing happens.
    E->SetCaretXY({1, 1});
    E->Lines()->SetString(0, u"ab");
    EXPECT_FALSE(Editor->FindNextPlaceholder(2));
    EXPECT_EQ(E->CaretXY(), (TBufferCoord{1, 1}));
    EXPECT_EQ(U8(E->Lines()->Strings(2)), "de|f");
}

TEST_F(EditorTest, EveryTabColoursItsTextWithTheSketchHighlighter) {
    TfrmEditor* Editor =
        Open(Sketch("hl/hl.ino", "#include <Servo.h>\n// note\nint x = 'a'; pinMode(3, \"s\"); while (x) {}\n"));
    TCodeEdit* E = Editor->codeedt;
    ASSERT_EQ(E->Highlighter(), frmDM->codeArduino);
    const struct {
        TBufferCoord At;
        std::string Token;
        TCodeHighlighterAttributes* Attri;
        TColor Foreground;
    } Cases[] = {
        {{3, 2}, "// note", frmDM->codeArduino->CommentAttri(), TColor(0x004000)},
        {{3, 1}, "#include <Servo.h>", frmDM->codeArduino->DirecAttri(), clBlue},
        {{16, 3}, "pinMode", frmDM->codeArduino->ArduinoAttri(), clBlue},
        {{33, 3}, "while", frmDM->codeArduino->KeyAttri(), clRed},
        {{27, 3}, "\"s\"", frmDM->codeArduino->StringAttri(), clFuchsia},
        {{10, 3}, "'a'", frmDM->codeArduino->CharAttri(), TColor(0x027AE8)},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Token);
        String Token;
        TCodeHighlighterAttributes* Attri = nullptr;
        ASSERT_TRUE(E->GetHighlighterAttriAtRowCol(C.At, Token, Attri));
        EXPECT_EQ(U8(Token), C.Token);
        EXPECT_EQ(Attri, C.Attri);
        EXPECT_EQ(Attri->Foreground(), C.Foreground);
    }
    EXPECT_EQ(frmDM->codeArduino->DirecAttri()->Background(), TColor(0xFEFFE8));
    EXPECT_TRUE(frmDM->codeArduino->InvalidAttri()->Style().Contains(fsUnderline));
    EXPECT_EQ(frmDM->codeArduino->ArduinoKeywords()->Count(), 108);
    EXPECT_EQ(frmDM->CodeHiLitC->CommentAttri()->Foreground(), clTeal);
    EXPECT_EQ(frmDM->CodeHiLitC->IdentifierAttri()->Foreground(), clBlue);
    EXPECT_EQ(frmDM->CodeHiLitC->KeyAttri()->Foreground(), TColor(0x8000FF));
    EXPECT_EQ(frmDM->CodeHiLitC->StringAttri()->Foreground(), TColor(0xC08080));
}

TEST_F(EditorTest, AClickInTheGutterTogglesABookmarkOnThatLine) {
    Main->Show();
    ProcessMessages();
    TfrmEditor* Editor = Open(Sketch("gc/gc.ino", "a\nb\nc\nd\n"));
    ProcessMessages();
    TCodeEdit* E = Editor->codeedt;
    const TPoint OnLine3{4, 2 * E->LineHeight() + E->LineHeight() / 2};
    ClickMessages(E, OnLine3);
    int X = 0, Y = 0;
    ASSERT_TRUE(E->GetBookMark(0, X, Y));
    EXPECT_EQ(Y, 3);
    ClickMessages(E, OnLine3);
    EXPECT_FALSE(E->IsBookmark(0));
}

TEST_F(EditorTest, CtrlSpaceCompletesATemplateAndCtrlTabGoesToItsNextPlace) {
    WriteBeside(".templates", "[fl|two places]\nfor (|; |) {\n}\n");
    Main->Show();
    ProcessMessages();
    TfrmEditor* Editor = Open(Sketch("ac/ac.ino", "  fl\n"));
    ProcessMessages();
    TCodeEdit* E = Editor->codeedt;
    E->SetFocus();
    E->SetCaretXY({5, 1});
    KeyMessages(E, VK_SPACE, {ssCtrl});
    EXPECT_EQ(U8(E->Lines()->Strings(0)), "  for (; |) {");
    EXPECT_EQ(E->CaretXY(), (TBufferCoord{8, 1}));
    E->SetCaretXY({1, 1});
    KeyMessages(E, VK_TAB, {ssCtrl});
    EXPECT_EQ(U8(E->Lines()->Strings(0)), "  for (; ) {");
    EXPECT_EQ(E->CaretXY(), (TBufferCoord{10, 1}));
    // Without a word before the caret, Ctrl+Space changes nothing.
    E->SetCaretXY({1, 2});
    KeyMessages(E, VK_SPACE, {ssCtrl});
    EXPECT_EQ(U8(E->Lines()->Strings(1)), "  }");
}

TEST_F(EditorTest, TheBracketAtTheCaretAndItsPartnerAreHighlightedOutsideStrings) {
    Main->Show();
    ProcessMessages();
    TfrmEditor* Editor = Open(Sketch("br/br.ino", "f(a);\ns = \"(x)\";\n"));
    ProcessMessages();
    TCodeEdit* E = Editor->codeedt;
    // How many pixels of the character cell show the bracket background.
    auto Marked = [E](TBitmap& B, int Col, int Line) {
        const TPoint P = E->RowColumnToPixels(E->BufferToDisplayPos({Col, Line}));
        int N = 0;
        for (int X = P.X; X < P.X + E->CharWidth(); ++X)
            for (int Y = P.Y; Y < P.Y + E->LineHeight(); ++Y)
                if (PixelOf(B, X, Y) == TColor(65535)) ++N;
        return N;
    };
    const struct {
        TBufferCoord Caret;
        TBufferCoord Brackets[2];
        bool Highlighted;
    } Cases[] = {
        {{4, 1}, {{2, 1}, {4, 1}}, true},   // at the closing one
        {{3, 1}, {{2, 1}, {4, 1}}, true},   // just after the opening one
        {{7, 2}, {{6, 2}, {8, 2}}, false},  // inside a string
        {{1, 2}, {{2, 1}, {4, 1}}, false},  // no bracket near the caret
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Caret.Char * 10 + C.Caret.Line);
        E->SetCaretXY(C.Caret);
        E->Invalidate();
        ProcessMessages();
        auto Shot = GrabControl(E);
        for (const TBufferCoord& B : C.Brackets)
            EXPECT_EQ(Marked(*Shot, B.Char, B.Line) > 0, C.Highlighted);
    }
}

TEST_F(EditorTest, HotkeysAssignmentsShowTheControlsBindingsReadOnly) {
    TfrmEditor* Editor = Open(Sketch("keys.ino", "void setup() {}\n"));
    Editor->codeedt->Keystrokes()->Add()->SetCommand(ecCut); // a binding without keys
    const int Count = Editor->codeedt->Keystrokes()->Count();
    TQuestionScript Script;
    Script.Answer([&](const TQuestion& Q, TAnswer& A) {
        auto* Viewer = dynamic_cast<TCodeEditKeystrokesEditorForm*>(Q.Form);
        ASSERT_NE(Viewer, nullptr);
        EXPECT_EQ(Viewer->Caption(), u"Hotkeys assignments");
        for (TControl* C : std::initializer_list<TControl*>{Viewer->btnAdd, Viewer->btnEdit, Viewer->btnDelete,
                                                            Viewer->btnClear, Viewer->btnReset, Viewer->btnCancel,
                                                            Viewer->Label1, Viewer->Label2})
            EXPECT_FALSE(C->Visible()) << U8(C->Name());
        EXPECT_TRUE(Viewer->btnOK->Visible());
        TListItems* Rows = Viewer->KeyCmdList->Items();
        ASSERT_EQ(Rows->Count(), Count);
        EXPECT_EQ(Rows->Item(Count - 1)->Caption(), u"ecCut");
        EXPECT_EQ(Rows->Item(Count - 1)->SubItems()->Strings(0), u"<none>");
        A.Result = mrOk;
    });
    dynamic_cast<TAction*>(Editor->FindComponent(u"actShowHotkeys"))->Execute();
    ASSERT_EQ(Script.Asked().size(), 1u);
    EXPECT_EQ(Script.Asked()[0].Kind, qkShowModal);
    EXPECT_EQ(Editor->codeedt->Keystrokes()->Count(), Count);
}
