// The library's rich text control: the stored "RichEditVersion" and "Data" values, its lines, its
// stream-in with the plain-text retry, and its memory stream.
#include "support/GraphicsTestSupport.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include "dataaware/richtext/daRichText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::string> BoldRuns(const TRtfDocument& D) {
    std::vector<std::string> Out;
    for (const TRtfParagraph& P : D.Paragraphs)
        for (const TRtfRun& R : P.Runs)
            if (R.Format.Bold) Out.push_back(U8(R.Text));
    return Out;
}

// A help text as a stored definition keeps it: rich text ending in CR LF and a zero byte.
const std::string HelpRtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}\r\n"
                            "\\viewkind4\\uc1\\pard\\b\\f0\\fs20 Serial terminal\\b0\\par\r\n"
                            "\\pard\\li300 Channel commands start with [*\\par\r\n"
                            "Double-click hides this help.\\par\r\n}\r\n" +
                            std::string(1, '\0');

// A "Data" value: the 32-bit count and the bytes.
std::string DataBlock(const std::string& Bytes, std::int32_t Count) {
    std::string S(4, '\0');
    std::memcpy(S.data(), &Count, 4);
    return S + Bytes;
}

TBytesStream StreamOf(const std::string& S) {
    return TBytesStream(TBytes(S.begin(), S.end()));
}

} // namespace

TEST(daRichEdit, AStoredHelpTextLoadsAndIsWrittenBackAsPandocReadsIt) {
    TTempFolder Folder;
    TdaDBRichEdit R(nullptr);
    TBytesStream Data = StreamOf(DataBlock(HelpRtf, static_cast<std::int32_t>(HelpRtf.size())));
    R.ReadState([&] {
        R.ReadRichEditVersion(2);
        R.ReadData(&Data);
    });
    EXPECT_EQ(R.RichEditVersion(), 2);
    EXPECT_FALSE(R.PlainText());
    EXPECT_EQ(U8(R.Lines()->Text()),
              "Serial terminal\r\nChannel commands start with [*\r\nDouble-click hides this help.\r\n");
    EXPECT_EQ(BoldRuns(R.Document()), std::vector<std::string>{"Serial terminal"});
    EXPECT_EQ(R.Document().Paragraphs[1].Format.LeftIndent, 300);

    // Written back: version 2, and a count followed by exactly that many bytes of rich text.
    EXPECT_EQ(R.WriteRichEditVersion(), 2);
    ASSERT_TRUE(R.StoresData());
    TBytesStream Out;
    R.WriteData(&Out);
    const TBytes& B = Out.Bytes();
    ASSERT_GT(B.size(), 4u);
    std::int32_t N = 0;
    std::memcpy(&N, B.data(), 4);
    EXPECT_EQ(static_cast<std::size_t>(N), B.size() - 4);
    WriteBytes(Folder.Sys("data.rtf"), std::string(B.begin() + 4, B.end()));
    const TChildRun Run = RunProgram({"pandoc", "-f", "rtf", "-t", "html", Folder.Sys("data.rtf")});
    ASSERT_TRUE(Run.Succeeded) << Run.Output;
    EXPECT_NE(Run.Output.find("<strong>Serial terminal</strong>"), std::string::npos) << Run.Output;
    EXPECT_NE(Run.Output.find("<p>Channel commands start with [*</p>"), std::string::npos) << Run.Output;
    EXPECT_NE(Run.Output.find("<p>Double-click hides this help.</p>"), std::string::npos) << Run.Output;

    // And what was written reads back the same.
    TdaDBRichEdit Again(nullptr);
    TBytesStream Back(B);
    Again.ReadState([&] { Again.ReadData(&Back); });
    EXPECT_EQ(Again.RichEditVersion(), 1); // the definition named no version
    EXPECT_EQ(Again.Document().Text(), R.Document().Text());
    EXPECT_EQ(BoldRuns(Again.Document()), BoldRuns(R.Document()));
}

TEST(daRichEdit, ADataCountBeyondTheBytesThereRaisesAndLeavesTheControlEmpty) {
    TdaDBRichEdit R(nullptr);
    R.Lines()->Add(u"old text");
    TBytesStream Data = StreamOf(DataBlock(HelpRtf, static_cast<std::int32_t>(HelpRtf.size()) + 1));
    EXPECT_EQ(U8(ThrownMessage<EReadError>([&] { R.ReadState([&] { R.ReadData(&Data); }); })), "Stream read error");
    EXPECT_EQ(R.GetTextLen(), 0);
    EXPECT_EQ(R.Lines()->Count(), 0);
    // Counts of 0 or less load nothing; a count without its four bytes is a read error too.
    for (std::int32_t Count : {0, -5}) {
        TBytesStream None = StreamOf(DataBlock("", Count));
        R.ReadState([&] { R.ReadData(&None); });
        EXPECT_EQ(R.GetTextLen(), 0) << Count;
    }
    TBytesStream Short = StreamOf("\x05\x00");
    EXPECT_THROW(R.ReadData(&Short), EReadError);
}

TEST(daRichEdit, PlainLinesOfAnOlderDefinitionBecomeFormatting) {
    TdaDBRichEdit R(nullptr);
    R.ReadState([&] { R.BaseLines()->SetText(u"{\\rtf1 {\\b Bold} and plain\\par}"); });
    EXPECT_EQ(R.RichEditVersion(), 1);
    EXPECT_EQ(U8(R.Lines()->Text()), "Bold and plain\r\n");
    EXPECT_EQ(BoldRuns(R.Document()), std::vector<std::string>{"Bold"});
    // Plain lines without markup stay as they were.
    TdaDBRichEdit P(nullptr);
    P.ReadState([&] { P.BaseLines()->SetText(u"just {text}\r\nsecond"); });
    EXPECT_EQ(U8(P.Lines()->Text()), "just {text}\r\nsecond\r\n");
}

TEST(daRichEdit, LinesAndStreamsFollowTheLibrarysRules) {
    TTempFolder Folder;
    TdaDBRichEdit R(nullptr);
    R.Lines()->Add(u"one");
    R.Lines()->Add(u"two");
    EXPECT_EQ(R.Lines()->Count(), 2); // the empty last paragraph is not a line
    R.Lines()->Insert(1, u"one and a half");
    EXPECT_EQ(U8(R.Lines()->Text()), "one\r\none and a half\r\ntwo\r\n");
    // Past the end: appended after a line with text, nothing after an empty one.
    R.SetText(u"a");
    R.Lines()->Insert(1, u"b");
    EXPECT_EQ(U8(R.Text()), "a\r\nb");
    R.Lines()->SetText(u"a\r\n\r\n");
    R.Lines()->Insert(3, u"lost");
    EXPECT_EQ(U8(R.Lines()->Text()), "a\r\n\r\n");
    R.Lines()->Insert(-1, u"lost too");
    EXPECT_EQ(R.Lines()->Count(), 2);
    // A file that is not rich text loads as plain text through the retry.
    WriteBytes(Folder.Sys("plain.txt"), "{\\notrtf text}\r\nline two");
    R.Lines()->LoadFromFile(Folder / "plain.txt");
    EXPECT_EQ(U8(R.Lines()->Text()), "{\\notrtf text}\r\nline two\r\n");
    // Rich text in and out of the selection.
    R.SetSelStart(0);
    R.SetRtfText(u"{\\rtf1 {\\b Head:} }");
    EXPECT_EQ(U8(R.Lines()->Strings(0)), "Head: {\\notrtf text}");
    R.SetSelStart(0);
    R.SetSelLength(5);
    TBytesStream Sel;
    R.GetRTFSelection(&Sel);
    TdaDBRichEdit Other(nullptr);
    Other.PutRTFSelection(&Sel);
    EXPECT_EQ(BoldRuns(Other.Document()), std::vector<std::string>{"Head:"});
    EXPECT_EQ(R.GetRTFText().rfind(u"{\\rtf1", 0), 0u);
}

TEST(daRichEdit, RecreatingTheWindowKeepsTextAndFormatting) {
    TForm Form(nullptr);
    auto* R = new TdaDBRichEdit(&Form);
    R->SetParent(&Form);
    TBytesStream Data = StreamOf(DataBlock(HelpRtf, static_cast<std::int32_t>(HelpRtf.size())));
    R->ReadState([&] { R->ReadData(&Data); });
    Form.Show();
    const HWND Before = R->Handle();
    R->SetRichEditVersion(2);
    R->HandleNeeded();
    EXPECT_NE(R->Handle(), Before);
    EXPECT_EQ(BoldRuns(R->Document()), std::vector<std::string>{"Serial terminal"});
    EXPECT_EQ(R->Lines()->Count(), 3);
}

TEST(daRichEdit, AHelpPaneShowsOverItsFormAndHidesOnEscapeOrDoubleClick) {
    TTempFolder Folder;
    TForm Form(nullptr);
    Form.SetBounds(10, 10, 420, 240);
    auto* Help = new TdaDBRichEdit(&Form);
    Help->SetParent(&Form);
    Help->SetVisible(false);
    Help->SetHideSelection(false);
    TBytesStream Data = StreamOf(DataBlock(HelpRtf, static_cast<std::int32_t>(HelpRtf.size())));
    Help->ReadState([&] {
        Help->ReadRichEditVersion(2);
        Help->ReadData(&Data);
    });
    // As the terminal does it: hide on Escape and on a double click.
    Help->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
        if (Key == VK_ESCAPE) Help->Hide();
    };
    Help->OnDblClick = [&](TObject*) { Help->Hide(); };
    Form.Show();
    for (int Round = 0; Round < 2; ++Round) {
        Help->SetBounds(0, 0, Form.ClientWidth(), Form.ClientHeight());
        Help->Show();
        Help->SetFocus();
        ProcessMessages();
        if (Round == 0) {
            auto Picture = GrabControl(&Form);
            GrabToPng(Picture.get(), Folder, "help-pane.png");
            KeyMessages(Help, VK_ESCAPE);
        } else {
            DoubleClickMessages(Help, {40, 40});
        }
        EXPECT_FALSE(Help->Visible()) << Round;
    }
    // Neither Escape nor the click changed the text.
    EXPECT_EQ(Help->Lines()->Count(), 3);
}

TEST(daRichMemoryStream, GrowsInSteps) {
    TdaRichMemoryStream S;
    const std::string Chunk(1000, 'x');
    S.WriteBuffer(Chunk.data(), 1000);
    EXPECT_EQ(S.Capacity(), TdaRichMemoryStream::GrowthStep);
    for (int I = 0; I < 131; ++I)
        S.WriteBuffer(Chunk.data(), 1000);
    EXPECT_EQ(S.Size(), 132000);
    EXPECT_EQ(S.Capacity(), 2 * TdaRichMemoryStream::GrowthStep);
}
