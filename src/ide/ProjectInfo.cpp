// A sketch's project configuration: "Morvane.prj" in the sketch's folder, or the default one
// beside the program, read as key=value lines.
#include "ide/Main.h"

#include "platform/base/Files.h"
#include "platform/base/Strings.h"
#include "platform/gui/Questions.h"

namespace {

const char16_t* const ProjectConfigName = u"Morvane.prj";

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
        Lines.LoadFromFile(ProjectFile, TEncoding::Default());
    } else if (FileExists(DefaultFile)) {
        Lines.LoadFromFile(DefaultFile, TEncoding::Default());
    } else {
        MessageBox(Handle(),
                   u"Neither Project nor default configuration has been found.\rDefault configuration will be used "
                   u"and \rdefault configuration file (" +
                       DefaultFile + u") will be created",
                   u"MORVANE - Project configuration not found", MB_ICONWARNING | MB_OK);
        for (const char16_t* Line : DefaultConfigLines) Lines.Add(Line);
        Lines.SetLineBreak(u"\r\n");
        Lines.SaveToFile(DefaultFile, TEncoding::Default());
    }
    ApplyConfigLines(&Lines, Info, false);
    if (AnsiUpperCase(Info.ArduinoInternalName) == u"DEFAULT") {
        TStringList Defaults;
        Defaults.LoadFromFile(DefaultFile, TEncoding::Default());
        ApplyConfigLines(&Defaults, Info, true);
    }
}
