// A sketch's project configuration: "Morvane.prj" in the sketch's folder, or the default one
// beside the program, read as key=value lines.
#include "ide/Main.h"

#include "ide/EditConfiguration.h"
#include "ide/Trees.h"

#include "dataaware/inspector/daInspector.h"

#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/Placing.h"
#include "platform/gui/Questions.h"

#include <cerrno>
#include <cstring>

namespace {

const char16_t* const ProjectConfigName = u"Morvane.prj";
// What the inspector shows for a sketch that has no configuration file of its own.
const char16_t* const DefaultConfigText = u"Morvane default";

const char16_t* const DefaultConfigLines[] = {
    u"; Default configuration", u"ArduinoType = uno", u"CPU = atmega328", u"ComPort=10",
    u"BaudRate=57600",          u"Created=1.1.2016",  u"LastEdited=1.1.2016",
};

// The keys of Lines in order; a later line overrides an earlier one. Only the board keys when
// BoardOnly.
void ApplyConfigLines(TStrings* Lines, tProjectInfoRec& Info, bool BoardOnly) {
    for (int I = 0; I < Lines->Count(); ++I) {
        const String Line = Lines->Strings(I);
        if (Line.empty() || Line[0] == u';') continue;
        String Value;
        if (TfrmMain::ParseConfigLine(Line, u"ArduinoType", Value))
            Info.ArduinoInternalName = Value;
        else if (TfrmMain::ParseConfigLine(Line, u"CPU", Value))
            Info.CPU = Value;
        else if (BoardOnly)
            continue;
        else if (TfrmMain::ParseConfigLine(Line, u"ComPort", Value))
            Info.ComNr = StrToIntDef(Value, 1);
        else if (TfrmMain::ParseConfigLine(Line, u"BaudRate", Value))
            Info.BaudRate = StrToIntDef(Value, 9600);
    }
}

// A file the program looks for is found without regard to case, an exact match first.
String FindInFolder(const String& Folder, const String& Name) {
    const String Found = FindFileNoCase(Folder, Name);
    return Found.empty() ? IncludeTrailingPathDelimiter(Folder) + Name : Found;
}

} // namespace

void TfrmMain::LoadConfigFile(const String& FileName, TStrings* Lines) {
    // A file another editor wrote in a legacy code page still gives its keys.
    TEncoding* Detected = nullptr;
    Lines->SetText(LoadTextFile(FileName, Detected, TEncoding::ANSI()));
}

String TfrmMain::DefaultConfigName() {
    return FindInFolder(ProgramFolder(), ChangeFileExt(ExtractFileName(ProgramFile()), u".prj"));
}

bool TfrmMain::ParseConfigLine(const String& Line, const String& Key, String& Value) {
    Value.clear();
    const String U = AnsiUpperCase(Line);
    if (Pos(AnsiUpperCase(Key), U) != 1 || Pos(u"=", U) == 0) return false;
    Value = Trim(Copy(Line, Pos(u"=", Line) + 1, Length(Line)));
    return true;
}

void TfrmMain::ReadProjectInfo(const String& FileName, tProjectInfoRec& Info) {
    const String ProjectFile = FindInFolder(ExcludeTrailingPathDelimiter(ExtractFilePath(FileName)), ProjectConfigName);
    const String DefaultFile = DefaultConfigName();
    TStringList Lines;
    if (FileExists(ProjectFile)) {
        LoadConfigFile(ProjectFile, &Lines);
    } else if (FileExists(DefaultFile)) {
        LoadConfigFile(DefaultFile, &Lines);
    } else {
        MessageBox(Handle(),
                   u"Neither Project nor default configuration has been found.\rDefault configuration will be used "
                   u"and \rdefault configuration file (" +
                       DefaultFile + u") will be created",
                   u"MORVANE - Project configuration not found", MB_ICONWARNING | MB_OK);
        for (const char16_t* Line : DefaultConfigLines) Lines.Add(Line);
        Lines.SetLineBreak(u"\r\n");
        // Whole or not at all: a default file cut short would hide the message for good.
        const TBytes Bytes = TEncoding::Default()->GetBytes(Lines.Text());
        SaveFileSafe(DefaultFile, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
    }
    ApplyConfigLines(&Lines, Info, false);
    if (AnsiUpperCase(Info.ArduinoInternalName) == u"DEFAULT") {
        TStringList Defaults;
        LoadConfigFile(DefaultFile, &Defaults);
        ApplyConfigLines(&Defaults, Info, true);
    }
}

// -- The configuration dialog from the main window --

tTreeClass* TfrmMain::FindConfigChild(PLeanNode Node) {
    if (!Node) return nullptr;
    // The one the builds and terminals read: another ".prj" file of the sketch is no
    // configuration of it.
    for (PLeanNode Child = vstSketches->GetFirstChild(Node); Child; Child = vstSketches->GetNextSibling(Child)) {
        tTreeClass* Item = TreeRecord(vstSketches, Child);
        if (Item && Item->NodeType() == ntProjectConfig && AnsiUpperCase(Item->Caption()) == u"MORVANE.PRJ")
            return Item;
    }
    return nullptr;
}

void TfrmMain::EditProjectConfig(tTreeClass* Item) {
    if (!Item) return;
    const String Folder = ExtractFilePath(Item->FullPath());
    const String Bare = ExcludeTrailingPathDelimiter(Folder);
    const size_t Slash = Bare.find_last_of(PathDelim);
    const String Name = Slash == String::npos || Slash < 1 ? String(u"?????") : Bare.substr(Slash + 1);
    auto Dialog = std::make_unique<TfrmEditConfiguration>(nullptr);
    Dialog->OpenConfigFile(Folder, Name);
    Dialog->ShowModal();
    if (Dialog->NewConfigFile()) AddProjectConfigNode(Folder, Name);
    PLeanNode Focused = vstSketches->FocusedNode();
    if (tTreeClass* FocusedItem = TreeRecord(vstSketches, Focused)) ShowProjectInfo(Focused, FocusedItem);
}

void TfrmMain::AddProjectConfigNode(const String& FolderPath, const String& FolderName) {
    PLeanNode Folder = FindTreeNode(vstSketches, FolderName, ExcludeTrailingPathDelimiter(FolderPath));
    if (!Folder || !TreeRecord(vstSketches, Folder)) return;
    // A node left from before (the file was removed and made again) is not doubled.
    if (FindConfigChild(Folder)) return;
    AddRecordNode(vstSketches, Folder,
                  std::make_unique<tTreeClass>(ProjectConfigName, IncludeTrailingPathDelimiter(FolderPath) +
                                                                      ProjectConfigName,
                                               ntProjectConfig));
}

void TfrmMain::EditFocusedProjectConfig() {
    PLeanNode Node = vstSketches->FocusedNode();
    tTreeClass* Item = TreeRecord(vstSketches, Node);
    if (!Item) return;
    auto Editable = [](tNodeType Type) {
        return Type == ntFileSrc || Type == ntFileSrcWithoutLoop || Type == ntProjectConfig;
    };
    if (Item->NodeType() == ntRoot) {
        for (PLeanNode Child = vstSketches->GetFirstChild(Node); Child; Child = vstSketches->GetNextSibling(Child)) {
            tTreeClass* ChildItem = TreeRecord(vstSketches, Child);
            if (ChildItem && Editable(ChildItem->NodeType())) {
                EditProjectConfig(ChildItem);
                return;
            }
        }
    } else if (Editable(Item->NodeType())) {
        EditProjectConfig(Item);
    }
}

void TfrmMain::SetUpProjectConfig() {
    TAction* A = Action(u"actProjectEdit");
    A->OnExecute = [this](TObject*) { EditFocusedProjectConfig(); };

    inspProject = MakeControl<TdaDataInspector>(this, tsSketches, u"inspProject", alBottom);
    inspProject->SetHeight(92);
    // Shown once a sketch is chosen.
    inspProject->SetVisible(false);
    inspProject->SetCaptionWidth(136);
    inspProject->CaptionFont()->SetName(u"Tahoma");
    inspProject->SetOptions(inspProject->Options() + TdaDataInspectorOptions{ovColumnResize, ovRowResize, ovEnterToTab,
                                                                              ovHighlightActiveRow,
                                                                              ovCenterCaptionVert});
    struct TItemRow {
        const char16_t* Caption;
        const char16_t* Tag;
        bool Visible;
        bool NoEditor;
    };
    for (const TItemRow& Row : {TItemRow{u"Project Name", u"ProjectName", true, true},
                                TItemRow{u"Arduino", u"ArduinoType", true, true},
                                TItemRow{u"CPU", u"CPU", true, false},
                                TItemRow{u"ComNr", u"ComPort", true, false},
                                TItemRow{u"Baud rate", u"Baudrate", true, false},
                                TItemRow{u"Project created", u"Created", false, false},
                                TItemRow{u"Project last modified", u"LastEdited", false, false}}) {
        TdaInspectorItem* Item = inspProject->Items()->Add();
        Item->SetCaption(Row.Caption);
        Item->TagString = Row.Tag;
        Item->SetVisible(Row.Visible);
        Item->DisableDefaultEditor = Row.NoEditor;
        Item->WordWrap = false;
    }
    inspProject->OnDrawDataCell = [this](TObject*, TdaInspectorItem* Item, bool, TRect, bool&) {
        TFont* Font = inspProject->Canvas()->Font();
        const String Text = Item->DisplayText();
        if (Item->TagString == u"ProjectName") {
            Font->SetColor(TColor(0x008000));
            Font->SetStyle(TFontStyles{fsBold});
        } else if (Text == DefaultConfigText) {
            Font->SetColor(TColor(0x808080));
            Font->SetStyle(TFontStyles{fsItalic});
        } else if (Item->TagString == u"ArduinoType" && AnsiUpperCase(Text) == u"DEFAULT") {
            Font->SetColor(TColor(0x808080));
        }
    };
    inspProject->OnDblClick = [this](TObject*) { Action(u"actProjectEdit")->Execute(); };
}

// -- The sketch's configuration in the inspector --

void TfrmMain::SetInspectorText(const String& TagString, const String& Text) {
    if (TdaInspectorItem* Item = inspProject->GetItemByTagString(TagString)) Item->SetDisplayText(Text);
}

void TfrmMain::ShowProjectInfo(PLeanNode Node, tTreeClass* Item) {
    if (!inspProject) return;
    for (int I = 0; I < inspProject->Items()->Count(); ++I)
        inspProject->Items()->ReadItems(I)->SetDisplayText(u"");
    if (Item && (Item->NodeType() == ntFileSrc || Item->NodeType() == ntFileSrcWithoutLoop ||
                 Item->NodeType() == ntProjectConfig)) {
        Node = Node ? Node->Parent : nullptr;
        Item = TreeRecord(vstSketches, Node);
    }
    if (Item && Item->NodeType() == ntRoot) {
        inspProject->SetVisible(true);
        SetInspectorText(u"ProjectName", Item->Caption());
        tTreeClass* Config = FindConfigChild(Node);
        // Without its file the sketch builds with the default configuration, so it says so.
        if (Config && FileExists(Config->FullPath())) {
            TStringList Lines;
            try {
                LoadConfigFile(Config->FullPath(), &Lines);
            } catch (const Exception&) {
                // What could be read stays; the builds report the file's fault themselves.
            }
            for (int I = 0; I < Lines.Count(); ++I) {
                const String Line = Lines.Strings(I);
                const int Eq = Pos(u"=", Line);
                if (Line.empty() || Line[0] == u';' || Eq < 1) continue;
                SetInspectorText(Trim(Copy(Line, 1, Eq - 1)), Trim(Copy(Line, Eq + 1, 255)));
            }
        } else {
            for (const char16_t* Tag : {u"ArduinoType", u"CPU", u"ComPort", u"BaudRate"})
                SetInspectorText(Tag, DefaultConfigText);
        }
    }
    inspProject->Invalidate();
}
