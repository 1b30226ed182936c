// Every form at its designed size, in the fonts it names as this system draws them: no caption,
// label, button, check box or status panel text is wider than the room its control gives it.

#include "EditorFixture.h"

#include "editor/CodeEditKeyCmdsEditor.h"
#include "ide/BookmarkList.h"
#include "ide/EditConfiguration.h"
#include "ide/Editor.h"
#include "ide/HelpAbout.h"
#include "ide/HelpArduinos.h"
#include "ide/NewProject.h"
#include "ide/SearchDialogs.h"

#include "platform/gui/ComCtrls.h"
#include "platform/gui/StdCtrls.h"

namespace {

int TextWidthIn(TFont* Font, const String& Text) {
    TBitmap B(1, 1);
    B.Canvas()->Font()->Assign(Font);
    return B.Canvas()->TextWidth(Text);
}

// The text as drawn: "&&" shows one ampersand, a single one marks the accelerator.
String Shown(const String& Caption) {
    String S;
    for (size_t I = 0; I < Caption.size(); ++I) {
        if (Caption[I] == u'&' && I + 1 < Caption.size()) ++I;
        S += Caption[I];
    }
    return S;
}

// The texts of the visible controls under Control that their controls cut off.
void CollectClipped(TControl* Control, const std::string& Form, std::vector<std::string>& Out) {
    if (!Control->Visible()) return;
    auto Check = [&](const String& Text, int Room) {
        if (Text.empty()) return;
        const int Need = TextWidthIn(Control->Font(), Text);
        if (Need > Room)
            Out.push_back(Form + "." + U8(Control->Name()) + " \"" + U8(Text) + "\" needs " + std::to_string(Need) +
                          " of " + std::to_string(Room));
    };
    if (auto* L = dynamic_cast<TCustomLabel*>(Control)) {
        if (!L->WordWrap()) Check(Shown(L->Caption()), L->Width());
    } else if (auto* B = dynamic_cast<TButton*>(Control)) {
        Check(Shown(B->Caption()), B->Width() - 4);
    } else if (dynamic_cast<TCustomCheckBox*>(Control) || dynamic_cast<TRadioButton*>(Control)) {
        Check(Shown(Control->Caption()), Control->Width() - 13 - 4); // the box and its gap
    } else if (auto* S = dynamic_cast<TStatusBar*>(Control)) {
        for (int I = 0; I + 1 < S->Panels()->Count(); ++I) // the last one runs to the end
            Check(S->Panels()->Items(I)->Text(), S->Panels()->Items(I)->Width() - 2 - 4);
    }
    if (auto* W = dynamic_cast<TWinControl*>(Control))
        for (int I = 0; I < W->ControlCount(); ++I)
            CollectClipped(W->Controls(I), Form, Out);
}

std::vector<std::string> Clipped(TForm* Form) {
    Form->Show();
    ProcessMessages();
    std::vector<std::string> Out;
    CollectClipped(Form, U8(Form->ClassName()), Out);
    Form->Hide();
    return Out;
}

struct FormTextsFit : TEditorFixture {};

} // namespace

TEST_F(FormTextsFit, NoFormCutsOffItsTexts) {
    Start();
    std::vector<std::string> Cut;
    auto Add = [&](std::vector<std::string> More) { Cut.insert(Cut.end(), More.begin(), More.end()); };
    Add(Clipped(Main.get()));
    Add(Clipped(Options.get()));
    // The editor tab's status bar with the widest texts it shows for a sketch of up to 999 lines.
    TfrmEditor* Editor = Open(Sketch("fit.ino", "void setup() {}\nvoid loop() {}\n"));
    ASSERT_NE(Editor, nullptr);
    Editor->StatusBar->Panels()->Items(0)->SetText(u"    999:120 ");
    Editor->StatusBar->Panels()->Items(1)->SetText(u"Modified");
    Editor->StatusBar->Panels()->Items(2)->SetText(u"Overwrite");
    std::vector<std::string> InEditor;
    CollectClipped(Editor->StatusBar, "TfrmEditor", InEditor);
    Add(InEditor);
    Add(Clipped(std::make_unique<TfrmEditConfiguration>(nullptr).get()));
    Add(Clipped(std::make_unique<TfrmHelpAbout>(nullptr).get()));
    Add(Clipped(std::make_unique<TfrmNewProject>(nullptr).get()));
    Add(Clipped(std::make_unique<TTextSearchDialog>(nullptr).get()));
    Add(Clipped(std::make_unique<TTextReplaceDialog>(nullptr).get()));
    Add(Clipped(std::make_unique<TfrmBookmarkList>(nullptr).get()));
    Add(Clipped(std::make_unique<TfrmHelpArduinos>(nullptr).get()));
    Add(Clipped(std::make_unique<TCodeEditKeystrokesEditorForm>(nullptr).get()));
    std::string All;
    for (const std::string& C : Cut)
        All += C + "\n";
    EXPECT_TRUE(Cut.empty()) << All;
}
