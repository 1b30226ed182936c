// The Recent tab: the last five files opened in editor tabs, most recent first, kept in the
// ".mru" file beside the program.
#include "ide/Main.h"

#include "platform/base/DateTime.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Ini.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Questions.h"

#include <exception>
#include <memory>

namespace {

tTreeClass* RecentRecord(TListBox* List, int Index) {
    if (Index < 0 || Index >= List->Items()->Count()) return nullptr;
    return dynamic_cast<tTreeClass*>(List->Items()->Objects(Index));
}

// The profile calls drop one pair of enclosing quotes; the in-memory file keeps them.
String Unquoted(const String& S) {
    if (S.size() >= 2 && S.front() == u'"' && S.back() == u'"') return S.substr(1, S.size() - 2);
    return S;
}

tTreeClass* MakeRecentRecord(const String& FileName, tNodeType NodeType, tTabKind TabKind, bool SimpleCoding) {
    return new tTreeClass(ExtractFileName(FileName), FileName, NodeType, TabKind, SimpleCoding, Now());
}

} // namespace

void TfrmMain::SetUpRecentFiles() {
    pnlRecentInfo = new TPanel(this);
    pnlRecentInfo->SetName(u"pnlRecentInfo");
    pnlRecentInfo->SetParent(tsConfigs);
    pnlRecentInfo->SetAlign(alBottom);
    pnlRecentInfo->SetHeight(64);
    pnlRecentInfo->SetCaption(u"");
    lblMruCaption = new TLabel(this);
    lblMruCaption->SetName(u"lblMruCaption");
    lblMruCaption->SetParent(pnlRecentInfo);
    lblMruCaption->SetBounds(4, 4, 250, 16);
    lblMruCaption->SetCaption(u"");
    edtRecentInfo = new TEdit(this);
    edtRecentInfo->SetName(u"edtRecentInfo");
    edtRecentInfo->SetParent(pnlRecentInfo);
    edtRecentInfo->SetBounds(4, 22, 250, 20);
    edtRecentInfo->SetReadOnly(true);
    edtRecentInfo->SetShowHint(true);
    lblModified = new TLabel(this);
    lblModified->SetName(u"lblModified");
    lblModified->SetParent(pnlRecentInfo);
    lblModified->SetBounds(4, 44, 250, 16);
    lblModified->SetCaption(u"");
    lstRecentFiles = new TListBox(this);
    lstRecentFiles->SetName(u"lstRecentFiles");
    lstRecentFiles->SetParent(tsConfigs);
    lstRecentFiles->SetAlign(alClient);
    lstRecentFiles->SetStyle(lbOwnerDrawFixed);
    lstRecentFiles->OnDrawItem = [this](TWinControl*, int Index, TRect Rect, TOwnerDrawState) {
        TCanvas* Canvas = lstRecentFiles->Canvas();
        Canvas->FillRect(Rect);
        Canvas->TextOut(Rect.Left + 2, Rect.Top, NameAfterBackslash(lstRecentFiles->Items()->Strings(Index)));
    };
    lstRecentFiles->OnClick = [this](TObject*) { lstRecentFilesClick(); };
    lstRecentFiles->OnDblClick = [this](TObject*) { OpenRecentEntry(lstRecentFiles->ItemIndex()); };
}

String TfrmMain::RecentFilesName() const {
    return ChangeFileExt(ProgramFile(), u".mru");
}

void TfrmMain::AddRecentFile(const String& FileName, tNodeType NodeType, tTabKind TabKind, bool SimpleCoding) {
    TStrings* Items = lstRecentFiles->Items();
    const int N = Items->IndexOf(FileName);
    if (N < 0) {
        Items->InsertObject(0, FileName, MakeRecentRecord(FileName, NodeType, TabKind, SimpleCoding));
        while (Items->Count() > MaxRecentFiles) {
            delete Items->Objects(Items->Count() - 1);
            Items->Delete(Items->Count() - 1);
        }
        return;
    }
    // FileName may be the old record's own path: the new record is made before the old one goes.
    tTreeClass* Record = MakeRecentRecord(FileName, NodeType, TabKind, SimpleCoding);
    for (int I = N; I > 0; --I)
        Items->Exchange(I, I - 1);
    delete Items->Objects(0);
    Items->SetObject(0, Record);
}

void TfrmMain::LoadRecentFiles() {
    const String File = RecentFilesName();
    FRecentFilesUnreadable = false;
    if (!FileExists(File)) return;
    std::unique_ptr<TMemIniFile> Ini;
    try {
        Ini = std::make_unique<TMemIniFile>(File);
    } catch (const Exception& E) {
        FRecentFilesUnreadable = true;
        MessageBox(Handle(), Format(u"The recent-files list \"%s\" cannot be read and is left as it is:\r\r%s", {File, E.Message()}),
                   u"Morvane", MB_ICONWARNING | MB_OK);
        return;
    }
    TStrings* Items = lstRecentFiles->Items();
    String Skipped;
    for (const String& Section : Ini->ReadSectionNames()) {
        auto Read = [&](const char16_t* Key, const String& Default) {
            return Unquoted(Ini->ReadString(Section, Key, Default));
        };
        auto ReadInt = [&](const char16_t* Key) { return StrToIntDef(Trim(Read(Key, u"")), 0); };
        const String TimeText = Read(u"LastModified", u"1.1.2000");
        TDateTime Time;
        // One damaged entry costs only itself.
        if (!TryStrToDateTime(TimeText, Time)) {
            Skipped += Format(u"\r[%s] LastModified=%s", {Section, TimeText});
            continue;
        }
        Items->AddObject(Section, new tTreeClass(Read(u"FileName", u""), Section, tNodeType(ReadInt(u"NodeType")),
                                                 tTabKind(ReadInt(u"TabKind")), ReadInt(u"IsSimpleCoding") != 0,
                                                 Time));
    }
    if (!Skipped.empty())
        MessageBox(Handle(),
                   Format(u"The recent-files list \"%s\" has entries whose time does not read; they were skipped:\r%s",
                          {File, Skipped}),
                   u"Morvane", MB_ICONWARNING | MB_OK);
}

void TfrmMain::SaveRecentFiles() {
    if (FRecentFilesUnreadable) return;
    // The whole list in one atomic write, so that an interrupted exit leaves the old list.
    try {
        const String File = RecentFilesName();
        TMemIniFile Ini(File);
        for (const String& Section : Ini.ReadSectionNames())
            Ini.EraseSection(Section);
        TStrings* Items = lstRecentFiles->Items();
        for (int I = 0; I < Items->Count(); ++I) {
            tTreeClass* R = RecentRecord(lstRecentFiles, I);
            if (!R) continue;
            const String Section = Items->Strings(I);
            Ini.WriteString(Section, u"FileName", R->Caption());
            Ini.WriteString(Section, u"NodeType", IntToStr(int(R->NodeType())));
            Ini.WriteString(Section, u"TabKind", IntToStr(int(R->TabKind())));
            Ini.WriteString(Section, u"IsSimpleCoding", R->SimpleCoding() ? u"1" : u"0");
            Ini.WriteString(Section, u"LastModified", DateTimeToStr(R->LastModified()));
        }
        Ini.UpdateFile();
    } catch (const Exception&) {
        Application->HandleException(this, std::current_exception());
    }
}

// The list box does not own the records hung on its entries.
void TfrmMain::FreeRecentRecords() {
    TStrings* Items = lstRecentFiles->Items();
    for (int I = 0; I < Items->Count(); ++I) {
        delete dynamic_cast<tTreeClass*>(Items->Objects(I));
        Items->SetObject(I, nullptr);
    }
}

void TfrmMain::lstRecentFilesClick() {
    const int I = lstRecentFiles->ItemIndex();
    tTreeClass* R = RecentRecord(lstRecentFiles, I);
    if (!R) return;
    const String Text = lstRecentFiles->Items()->Strings(I);
    edtRecentInfo->SetText(ExtractFileDir(Text));
    edtRecentInfo->SetHint(Text);
    lblMruCaption->SetCaption(R->Caption());
    lblModified->SetCaption(Format(u"Last open: %s", {DateTimeToStr(R->LastModified())}));
}

void TfrmMain::OpenRecentEntry(int Index) {
    // The simple-coding flag is kept in the file, but a reopened file is read as UTF-8.
    // Opening renews the entry and frees this record: its fields are copied first.
    if (tTreeClass* R = RecentRecord(lstRecentFiles, Index)) {
        const String Path = R->FullPath();
        OpenFileInTab(Path, R->NodeType(), R->TabKind(), false);
    }
}
