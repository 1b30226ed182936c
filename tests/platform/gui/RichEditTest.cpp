// The rich edit and its rich text reader and writer: documents read and written, the lines,
// editing by keys, the picture, and rich text exchanged with pandoc.
#include "support/GraphicsTestSupport.h"
#include "support/GuiTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include "platform/base/Streams.h"
#include "platform/gui/RichEdit.h"
#include "platform/gui/Rtf.h"

#include <gtest/gtest.h>

namespace {

// The bold text of a document, one entry per bold run.
std::vector<std::string> BoldRuns(const TRtfDocument& D) {
    std::vector<std::string> Out;
    for (const TRtfParagraph& P : D.Paragraphs)
        for (const TRtfRun& R : P.Runs)
            if (R.Format.Bold) Out.push_back(U8(R.Text));
    return Out;
}

std::vector<std::string> Paragraphs(const TRtfDocument& D) {
    std::vector<std::string> Out;
    for (const TRtfParagraph& P : D.Paragraphs)
        Out.push_back(U8(P.Text()));
    return Out;
}

// A rich edit with a bold title and two indented lines, as a help text has them.
void FillHelp(TCustomRichEdit* R) {
    R->SetSelText(u"Terminal help\r\nPress F1 to see this page.\r\nDouble-click to hide it.\r\nEnd");
    R->SetSelStart(0);
    R->SetSelLength(13);
    R->SelAttributes()->SetStyle(TFontStyles{fsBold});
    R->SelAttributes()->SetSize(12);
    // The selection from the second paragraph into the third indents both.
    R->SetSelStart(14);
    R->SetSelLength(30);
    R->Paragraph()->SetLeftIndent(30);
    R->SetSelStart(0);
}

} // namespace

TEST(RtfReader, ReadsTextAttributesAndParagraphs) {
    struct TCase {
        const char* Rtf;
        std::vector<std::string> Paragraphs;
        std::vector<std::string> Bold;
    };
    const TCase Cases[] = {
        {R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}}\f0\fs20 Hello {\b bold} world\par Second\par})",
         {"Hello bold world", "Second"},
         {"bold"}},
        // Group ends restore the attributes; \b0 switches off; escapes and special characters.
        {R"({\rtf1 A\b B{\b0 C}D\b0 E \{x\}\\ caf\'e9 \u8364? x\par})",
         {"ABCDE {x}\\ caf\xC3\xA9 \xE2\x82\xAC x"},
         {"B", "D"}},
        // \uc2 skips two characters after \u; \line and \tab stay in the paragraph.
        {R"({\rtf1\uc2 \u915 XY\line a\tab b\par})",
         {"\xCE\x93\x0B"
          "a\tb"},
         {}},
        // Destinations that show nothing: optional ones, generated bullet text, pictures.
        {R"({\rtf1{\*\generator X;}{\pntext\'B7\tab}{\*\unknown{\b hidden}}{\pict 0123}Text\par})",
         {"Text"},
         {}},
        // Text after the last \par is a paragraph; an empty one there is not.
        {R"({\rtf1 One\par\par Two})", {"One", "", "Two"}, {}},
        // A missing closing brace at the end keeps the text; bytes after the document are ignored.
        {R"({\rtf1 {\b Open)", {"Open"}, {"Open"}},
        {"{\\rtf1 Done\\par}\r\n\0", {"Done"}, {}},
    };
    for (const TCase& C : Cases) {
        const TRtfDocument D = ReadRtf(C.Rtf);
        EXPECT_EQ(Paragraphs(D), C.Paragraphs) << C.Rtf;
        EXPECT_EQ(BoldRuns(D), C.Bold) << C.Rtf;
    }
}

TEST(RtfReader, ReadsFontsColoursSizesAndParagraphFormats) {
    const TRtfDocument D = ReadRtf(
        R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\fmodern Courier New;}}{\colortbl ;\red255\green0\blue0;})"
        R"(\pard\qc\f1\fs28\cf1 Centre\par\pard\li600\fi-300\ri150{\*\pn\pnlvlblt{\pntxtb\'B7}}\f0\cf0 Item\par})");
    ASSERT_EQ(D.Paragraphs.size(), 2u);
    const TRtfParagraph& A = D.Paragraphs[0];
    EXPECT_EQ(A.Format.Alignment, taCenter);
    ASSERT_EQ(A.Runs.size(), 1u);
    EXPECT_EQ(U8(A.Runs[0].Format.Name), "Courier New");
    EXPECT_EQ(A.Runs[0].Format.Size, 14);
    EXPECT_EQ(A.Runs[0].Format.Color, clRed);
    const TRtfParagraph& B = D.Paragraphs[1];
    EXPECT_EQ(B.Format, (TRtfParaFormat{taLeftJustify, 600, -300, 150, true}));
    EXPECT_EQ(U8(B.Runs[0].Format.Name), "Arial");
    EXPECT_EQ(B.Runs[0].Format.Color, clDefault);
}

TEST(RtfReader, RejectsWhatIsNotRichText) {
    for (const char* Bytes : {"", "plain text", "{\\rt", "\\rtf1 x"})
        EXPECT_THROW(ReadRtf(Bytes), ERtfError) << Bytes;
    EXPECT_TRUE(LooksLikeRtf("\r\n {\\rtf1}"));
    EXPECT_FALSE(LooksLikeRtf("{\\pard}"));
}

TEST(RtfReader, DamagedInputIsReadSafely) {
    // Too deep a nesting is refused; everything else reads to something bounded.
    EXPECT_THROW(ReadRtf("{\\rtf1 " + std::string(5000, '{') + "x"), ERtfError);
    const struct {
        std::string Rtf;
        std::string Text;
    } Cases[] = {
        {"{\\rtf1 a\\bin999999999 b}", "a"},
        {"{\\rtf1 a\\bin-5 b}", "ab"},
        {"{\\rtf1 \\u-4064?x\\u65535?}", "\xEF\x80\xA0x\xEF\xBF\xBF"},
        {"{\\rtf1 end\\'4\\'0d", "end"}, // control characters are no text
        {"{\\rtf1 end\\", "end"},
        {"{\\rtf1 \\uc99999\\u65 skipped}", "A"},
        {"{\\rtf1 }}}}} after", ""},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(U8(ReadRtf(C.Rtf).Text()), C.Text) << C.Rtf;
    const TRtfDocument Huge = ReadRtf("{\\rtf1\\li2000000000\\fs2000000000 big\\par}");
    EXPECT_EQ(Huge.Paragraphs[0].Format.LeftIndent, 31680);
    EXPECT_EQ(Huge.Paragraphs[0].Runs[0].Format.Size, 1638);
}

TEST(RtfWriter, WhatItWritesReadsBackTheSame) {
    TRtfDocument D;
    D.Paragraphs.clear();
    TRtfCharFormat Plain, Bold, Red;
    Bold.Bold = true;
    Bold.Size = 12;
    Red.Color = clRed;
    Red.Name = u"Courier New";
    Red.Underline = true;
    TRtfParagraph Title;
    Title.Format.Alignment = taCenter;
    Title.Append(u"Title {with} \\ braces", Bold);
    TRtfParagraph Body;
    Body.Format.LeftIndent = 450;
    Body.Format.FirstIndent = -150;
    Body.Format.Bullet = true;
    Body.Append(u" leading blank, caf\u00e9 \u20ac\ttab", Plain);
    Body.Append(u"-12 red", Red);
    Body.Append(u"\vnext line", Plain);
    TRtfParagraph Empty;
    Empty.EndFormat = Bold;
    D.Paragraphs = {Title, Body, Empty};
    const AnsiString Rtf = WriteRtf(D);
    EXPECT_TRUE(
        std::all_of(Rtf.begin(), Rtf.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; }));
    const TRtfDocument Back = ReadRtf(Rtf);
    ASSERT_EQ(Back.Paragraphs.size(), 3u);
    for (std::size_t I = 0; I < 3; ++I) {
        EXPECT_EQ(Back.Paragraphs[I].Format, D.Paragraphs[I].Format) << I;
        EXPECT_EQ(Back.Paragraphs[I].Runs, D.Paragraphs[I].Runs) << I;
    }
    EXPECT_EQ(Back.Paragraphs[2].EndFormat, Bold);
}

TEST(RtfWriter, SaveLoadSaveGivesTheSameBytes) {
    // A bulleted paragraph with no other paragraph words gained a blank at each round.
    for (const char* Name : {"bullet-paragraph-gains-blank.rtf", "bullet-in-damaged-font-table.rtf"}) {
        SCOPED_TRACE(Name);
        const std::string Original = ReadBytes(std::string(MORVANE_SOURCE_DIR "/tests/platform/gui/data/") + Name);
        const AnsiString First = WriteRtf(ReadRtf(Original));
        const AnsiString Second = WriteRtf(ReadRtf(First));
        EXPECT_EQ(Second, First);
        EXPECT_EQ(Paragraphs(ReadRtf(First)), Paragraphs(ReadRtf(Original)));
    }
    const TRtfDocument Bullet = ReadRtf(WriteRtf(
        ReadRtf(ReadBytes(MORVANE_SOURCE_DIR "/tests/platform/gui/data/bullet-paragraph-gains-blank.rtf"))));
    ASSERT_FALSE(Bullet.Paragraphs.empty());
    EXPECT_TRUE(Bullet.Paragraphs[0].Format.Bullet);
    EXPECT_EQ(U8(Bullet.Paragraphs[0].Text()), "item");
    // A bulleted paragraph whose text starts with a blank keeps exactly that one.
    TRtfDocument D;
    TRtfParagraph P;
    P.Format.Bullet = true;
    P.Append(u" one blank", TRtfCharFormat{});
    D.Paragraphs = {P};
    EXPECT_EQ(U8(ReadRtf(WriteRtf(D)).Paragraphs[0].Text()), " one blank");
}

TEST(RichEditModel, LinesAndSelectionWorkWithoutAWindow) {
    TRichEdit R(nullptr);
    R.Lines()->Add(u"first");
    R.Lines()->Add(u"second");
    EXPECT_EQ(R.Lines()->Count(), 2);
    EXPECT_EQ(U8(R.Text()), "first\r\nsecond\r\n");
    R.Lines()->Insert(1, u"middle");
    R.Lines()->SetString(0, u"FIRST");
    R.Lines()->Delete(2);
    EXPECT_EQ(U8(R.Lines()->Text()), "FIRST\r\nmiddle\r\n");
    // A paragraph break counts one position.
    R.SetSelStart(6);
    R.SetSelLength(3);
    EXPECT_EQ(U8(R.SelText()), "mid");
    R.SelAttributes()->SetStyle(TFontStyles{fsBold});
    R.SetSelText(u"MID");
    EXPECT_EQ(U8(R.Lines()->Strings(1)), "MIDdle");
    // Replacing bold text keeps it bold; the rest stays plain.
    EXPECT_EQ(BoldRuns(R.Document()), std::vector<std::string>{"MID"});
    EXPECT_EQ(R.SelStart(), 9);
    R.Clear();
    EXPECT_EQ(R.Lines()->Count(), 0);
    EXPECT_EQ(R.GetTextLen(), 0);
}

TEST(RichEditModel, StreamsKeepFormattingAndReadPlainText) {
    TTempFolder Folder;
    TRichEdit R(nullptr);
    FillHelp(&R);
    R.Lines()->SaveToFile(Folder / "help.rtf");
    EXPECT_EQ(ReadBytes(Folder.Sys("help.rtf")).rfind("{\\rtf1", 0), 0u);
    TRichEdit Back(nullptr);
    Back.Lines()->LoadFromFile(Folder / "help.rtf");
    EXPECT_EQ(Paragraphs(Back.Document()), Paragraphs(R.Document()));
    EXPECT_EQ(BoldRuns(Back.Document()), std::vector<std::string>{"Terminal help"});
    EXPECT_EQ(Back.Document().Paragraphs[1].Format.LeftIndent, 450);
    // Plain text: not rich text, or PlainText set, reads and writes the characters only.
    WriteBytes(Folder.Sys("plain.txt"), "{not rich\r\nsecond line\r\n");
    Back.Lines()->LoadFromFile(Folder / "plain.txt");
    EXPECT_EQ(Paragraphs(Back.Document()), (std::vector<std::string>{"{not rich", "second line"}));
    R.SetPlainText(true);
    R.Lines()->SaveToFile(Folder / "out.txt");
    EXPECT_EQ(ReadBytes(Folder.Sys("out.txt")),
              "Terminal help\r\nPress F1 to see this page.\r\nDouble-click to hide it.\r\nEnd");
}

TEST_F(TFormFixture, TheUserTypesFormatsAndSelectsText) {
    auto* R = new TRichEdit(Form);
    R->SetParent(Form);
    R->SetBounds(8, 8, 300, 200);
    int Changes = 0;
    R->OnChange = [&](TObject*) { ++Changes; };
    Form->Show();
    R->SetFocus();
    CharMessages(R, u"Hello");
    KeyMessages(R, VK_RETURN);
    R->SelAttributes()->SetStyle(TFontStyles{fsBold}); // what is typed next is bold
    CharMessages(R, u"World!");
    KeyMessages(R, VK_BACK);
    EXPECT_EQ(U8(R->Text()), "Hello\r\nWorld");
    EXPECT_EQ(BoldRuns(R->Document()), std::vector<std::string>{"World"});
    EXPECT_TRUE(R->Modified());
    EXPECT_GT(Changes, 10);
    // Shift+Home selects back to the line start; Left and Up move the caret.
    KeyMessages(R, VK_HOME, TShiftState{ssShift});
    EXPECT_EQ(U8(R->SelText()), "World");
    KeyMessages(R, VK_LEFT);
    KeyMessages(R, VK_UP);
    EXPECT_EQ(R->SelStart(), 0);
    EXPECT_EQ(R->SelLength(), 0);
    KeyMessages(R, VK_END, TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(R->SelLength(), 11);
    // Read-only keeps the text.
    R->SetReadOnly(true);
    CharMessages(R, u"x");
    EXPECT_EQ(U8(R->Text()), "Hello\r\nWorld");
}

TEST_F(TFormFixture, ARichEditShowsABoldTitleAndIndentedLines) {
    TTempFolder Folder;
    Form->SetBounds(10, 10, 360, 200);
    auto* R = new TRichEdit(Form);
    R->SetParent(Form);
    R->SetBounds(0, 0, 340, 160);
    R->SetBorderStyle(Controls::bsNone);
    FillHelp(R);
    Form->Show();
    ProcessMessages();
    auto Picture = GrabControl(R);
    GrabToPng(Picture.get(), Folder, "richedit-help.png");
    // The first ink of each text band: the title at the margin, the indented lines 30 pixels in.
    std::vector<std::pair<int, int>> Bands; // top, left-most ink
    const TColor Back = TColor(ColorToRGB(clWindow));
    int BandTop = -1, BandLeft = 1000;
    for (int Y = 0; Y < Picture->Height(); ++Y) {
        int Left = -1;
        for (int X = 0; X < Picture->Width() && Left < 0; ++X)
            if (PixelOf(*Picture, X, Y) != Back) Left = X;
        if (Left >= 0) {
            if (BandTop < 0) BandTop = Y;
            BandLeft = std::min(BandLeft, Left);
        } else if (BandTop >= 0) {
            Bands.push_back({BandTop, BandLeft});
            BandTop = -1;
            BandLeft = 1000;
        }
    }
    ASSERT_EQ(Bands.size(), 4u);
    EXPECT_LE(Bands[0].second, 4);
    EXPECT_GE(Bands[1].second, Bands[0].second + 28);
    EXPECT_GE(Bands[2].second, Bands[0].second + 28);
    EXPECT_LE(Bands[3].second, 4);
    // The bold 12-point title is taller than the 8-point lines below it.
    EXPECT_GT(Bands[1].first - Bands[0].first, Bands[2].first - Bands[1].first);
}

// ---- Rich text exchanged with pandoc ---------------------------------------------------------------

TEST(RichTextWithPandoc, PandocReadsOurTextBoldRunsAndParagraphs) {
    TTempFolder Folder;
    TRichEdit R(nullptr);
    FillHelp(&R);
    R.Lines()->SaveToFile(Folder / "help.rtf");
    const TChildRun Run = RunProgram({"pandoc", "-f", "rtf", "-t", "html", Folder.Sys("help.rtf")});
    ASSERT_TRUE(Run.Succeeded) << Run.Output;
    EXPECT_NE(Run.Output.find("<strong>Terminal help</strong>"), std::string::npos) << Run.Output;
    for (const char* Line :
         {"<p>Press F1 to see this page.</p>", "<p>Double-click to hide it.</p>", "<p>End</p>"})
        EXPECT_NE(Run.Output.find(Line), std::string::npos) << Line << "\n" << Run.Output;
    EXPECT_EQ(std::count(Run.Output.begin(), Run.Output.end(), '\n') >= 3, true);
    EXPECT_EQ(Run.Output.find("<strong>Press"), std::string::npos) << Run.Output;
}

TEST(RichTextWithPandoc, WeReadTheRichTextPandocWrites) {
    TTempFolder Folder;
    WriteBytes(Folder.Sys("in.md"), "Plain start **bold part** and caf\xC3\xA9 end.\n\n"
                                    "Second paragraph with *italic* text.\n\n"
                                    "**Third**\n");
    const TChildRun Run = RunProgram(
        {"pandoc", "-s", "-f", "markdown", "-t", "rtf", "-o", Folder.Sys("out.rtf"), Folder.Sys("in.md")});
    ASSERT_TRUE(Run.Succeeded) << Run.Output;
    TRichEdit R(nullptr);
    R.Lines()->LoadFromFile(Folder / "out.rtf");
    EXPECT_EQ(Paragraphs(R.Document()),
              (std::vector<std::string>{"Plain start bold part and caf\xC3\xA9 end.",
                                        "Second paragraph with italic text.", "Third"}));
    EXPECT_EQ(BoldRuns(R.Document()), (std::vector<std::string>{"bold part", "Third"}));
}
