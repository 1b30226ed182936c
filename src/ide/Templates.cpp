// The Templates tab: the code templates of the ".templates" file beside the program, listed by
// their heads, shown, and inserted into the active editor.
#include "ide/Main.h"

#include "platform/base/Files.h"
#include "platform/base/Ini.h"
#include "platform/base/Strings.h"
#include "platform/gui/ActnList.h"

namespace {

// A line that ends a template's body: the next head, or a comment line.
bool EndsBody(const String& S) {
    if (Copy(S, 1, 2) == u"//") return true;
    return !S.empty() && S[0] == u'[' && Pos(u"]", Copy(S, 2, Length(S))) > 0;
}

// The heads' texts in file order, a repeated one as often as it comes, as the section names of
// an INI file read; a missing file has none.
std::vector<String> TemplateHeadTexts(const String& FileName) {
    std::vector<String> Heads;
    if (!FileExists(FileName)) return Heads;
    TStringList File;
    File.LoadFromFile(FileName, TEncoding::ANSI());
    for (int I = 0; I < File.Count(); ++I) {
        const String S = Trim(File.Strings(I));
        if (S.size() >= 2 && S[0] == u'[' && S.find(u']') != String::npos) Heads.push_back(Copy(S, 2, int(S.find(u']')) - 1));
    }
    return Heads;
}

} // namespace

void TfrmMain::SetUpTemplates() {
    tlbrTemplates = new TToolBar(this);
    tlbrTemplates->SetName(u"tlbr4");
    tlbrTemplates->SetParent(tsTemplates);
    tlbrTemplates->SetAlign(alTop);
    tlbrTemplates->SetShowHint(true);
    // The actions' pictures are in the menu's list.
    tlbrTemplates->SetImages(frmDM ? frmDM->imglstMenu : nullptr);
    tlbrTemplates->SetButtonWidth(31);
    tlbrTemplates->SetButtonHeight(30);
    tlbrTemplates->SetHeight(34);
    FillToolBar(tlbrTemplates, {u"actTemplatesSortByName", u"actTemplatesUnSort", u"-", u"actTemplateSave"});
    lstTemplates = new TListBox(this);
    lstTemplates->SetName(u"lstTemplates");
    lstTemplates->SetParent(tsTemplates);
    lstTemplates->SetAlign(alTop);
    lstTemplates->SetHeight(220);
    lstTemplates->SetHint(u"DblClick=Insert, then Ctrl-TAB to next placeholder");
    lstTemplates->SetShowHint(true);
    lstTemplates->OnClick = [this](TObject*) { ShowTemplateText(); };
    lstTemplates->OnDblClick = [this](TObject*) {
        ShowTemplateText();
        InsertTemplate();
    };
    splTemplates = new TSplitter(this);
    splTemplates->SetName(u"splTemplates");
    splTemplates->SetParent(tsTemplates);
    splTemplates->SetAlign(alTop);
    splTemplates->SetHeight(3);
    splTemplates->SetColor(clLime);
    codeedtTemplate = new TCodeEdit(this);
    codeedtTemplate->SetName(u"codeedtTemplate");
    codeedtTemplate->SetParent(tsTemplates);
    codeedtTemplate->SetAlign(alClient);
    codeedtTemplate->Font()->SetName(u"Courier New");
    codeedtTemplate->Font()->SetHeight(-13);
    codeedtTemplate->SetText(u"Templates");
}

String TfrmMain::TemplatesName() const {
    return ChangeFileExt(ProgramFile(), u".templates");
}

void TfrmMain::LoadTemplates() {
    TStrings* Items = lstTemplates->Items();
    Items->Clear();
    TemplateHeads.clear();
    for (const String& H : TemplateHeadTexts(TemplatesName())) {
        const int A = Pos(u"|", H);
        const String Text = A > 0 ? Copy(H, A + 1, Length(H)) + u"   <" + Copy(H, 1, A - 1) + u">" : H + u"   <>";
        TemplateHeads.push_back(H);
        Items->AddObject(Text, reinterpret_cast<TObject*>(std::intptr_t(TemplateHeads.size())));
    }
}

void TfrmMain::ShowTemplateText() {
    const int I = lstTemplates->ItemIndex();
    if (I < 0) return;
    const auto H = size_t(reinterpret_cast<std::intptr_t>(lstTemplates->Items()->Objects(I)));
    if (H < 1 || H > TemplateHeads.size()) return;
    const String Head = u"[" + TemplateHeads[H - 1] + u"]";
    codeedtTemplate->Lines()->Clear();
    TStringList File;
    File.LoadFromFile(TemplatesName(), TEncoding::ANSI());
    int Line = 0;
    while (Line < File.Count() && Copy(File.Strings(Line), 1, Length(Head)) != Head)
        ++Line;
    for (++Line; Line < File.Count() && !EndsBody(File.Strings(Line)); ++Line)
        codeedtTemplate->Lines()->Add(File.Strings(Line));
}

void TfrmMain::InsertTemplate() {
    TfrmEditor* Editor = ActiveEditorForm();
    if (!Editor) return;
    TCodeEdit* Edit = Editor->codeedt;
    TStrings* Template = codeedtTemplate->Lines();
    const int N = Template->Count();
    const String Indent(size_t(std::max(Edit->CaretX() - 1, 0)), u' ');
    const int First = std::min(std::max(Edit->CaretY(), 1), Edit->Lines()->Count() + 1);
    for (int I = 0; I < N; ++I)
        Edit->Lines()->Insert(First - 1 + I, Indent + Template->Strings(I));
    if (N > 0) Edit->SetModified(true);
    if (Edit->CanFocus()) Edit->SetFocus();
    // The placeholder is looked for in the inserted lines only, never in the user's code below;
    // without one the caret stays where it is.
    if (N == 0) return;
    const TBufferCoord Caret = Edit->CaretXY();
    Edit->SetCaretXY({Caret.Char, First});
    if (!Editor->FindNextPlaceholder(First + N - 1)) Edit->SetCaretXY(Caret);
}
