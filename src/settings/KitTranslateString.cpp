#include "settings/KitTranslateString.h"

#include "settings/UtilVersionInfo.h"

#include "platform/base/DateTime.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Questions.h"

namespace {

String ProgramName() {
    return ChangeFileExt(ExtractFileName(ProgramFile()), u"");
}

// The first form along the owner chain: a component of a class named as the forms' classes are.
TCustomForm* OwnerForm(TComponent* Start) {
    for (TComponent* C = Start; C; C = C->Owner())
        if (auto* Form = dynamic_cast<TCustomForm*>(C)) return Form;
    return nullptr;
}

} // namespace

TKitTranslateString::TKitTranslateString(TComponent* AOwner) : TKitComponent(AOwner) {}

String TKitTranslateString::VersionValue(std::optional<String>& Cache, int Key, const String& Macro,
                                         const String& StandIn) {
    if (!Cache) {
        try {
            TUtilFileVersionInfo Info(ProgramFile());
            Cache = Info.WellKnownKeyValue(Key);
        } catch (const EUtilFileVersionInfoError&) {
            // A program without a version record: say which stand-in takes the value's place.
            Cache = StandIn;
            MessageDlg(Format(u"The Default Root Value \"%0:s\" has been replaced with \"%1:s\".\n"
                              u"Please change the value in the FileVersionInfo Project Properties.",
                              {Macro, StandIn}),
                       mtInformation, TMsgDlgButtons{mbOK}, 0);
        }
    }
    return *Cache;
}

bool TKitTranslateString::ProcessCommand(const String& Command, String& CommandResult) {
    const String Cmd = Trim(UpperCase(Command));
    bool Changed = true;
    CommandResult.clear();
    if (Cmd == u"APPL_NAME") {
        CommandResult = VersionValue(FAppName, vkProductName, Cmd, u"MyKitApplication");
        if (CommandResult.empty()) CommandResult = ProgramName();
    } else if (Cmd == u"COMPANY_NAME") {
        CommandResult = VersionValue(FCompanyName, vkCompanyName, Cmd, u"MyCompany");
    } else if (Cmd == u"FILEVERSION") {
        CommandResult = VersionValue(FFileVersion, vkFileVersion, Cmd, u"0.0.0.0");
    } else if (Cmd == u"PRODUCTVERSION") {
        CommandResult = VersionValue(FProductVersion, vkProductVersion, Cmd, u"0.0.0.0");
    } else if (Cmd == u"DATE") {
        CommandResult = FormatDateTime(FDateFormat, Now());
    } else if (Cmd == u"TIME") {
        CommandResult = FormatDateTime(FTimeFormat, Now());
    } else if (Cmd == u"DATETIME") {
        CommandResult = FormatDateTime(FDateTimeFormat, Now());
    } else if (Cmd == u"EXENAME") {
        CommandResult = ProgramFile();
    } else if (Cmd == u"FILENAME") {
        CommandResult = ProgramName();
    } else if (Cmd == u"FULLDIREXE") {
        CommandResult = ProgramFolder();
    } else if (Cmd == u"SCREENSIZE") {
        CommandResult = Format(u"%dx%d", {Screen->Width(), Screen->Height()});
    } else if (Cmd == u"DESKTOPSIZE") {
        CommandResult = Format(u"%dx%d", {Screen->DesktopWidth(), Screen->DesktopHeight()});
    } else if (Cmd == u"FORMNAME" || Cmd == u"FORMCAPTION") {
        if (TCustomForm* Form = OwnerForm(Owner()))
            CommandResult = Cmd == u"FORMNAME" ? Form->Name() : Form->Caption();
    } else {
        Changed = false;
    }
    if (OnProcessCommand) OnProcessCommand(this, Cmd, CommandResult, Changed);
    return Changed;
}

String TKitTranslateString::TranslateString(const String& InString) {
    bool Changed = false;
    return TranslateString(InString, Changed);
}

String TKitTranslateString::TranslateString(const String& InString, bool& Changed) {
    Changed = false;
    if (FLeftDelimiter.empty() || FRightDelimiter.empty()) return InString;
    String Result;
    size_t P = 0;
    while (P < InString.size()) {
        const size_t Left = InString.find(FLeftDelimiter, P);
        if (Left == String::npos) break;
        Result.append(InString, P, Left - P);
        // The whole left delimiter is consumed, however long it is.
        const size_t CommandStart = Left + FLeftDelimiter.size();
        const size_t Right = InString.find(FRightDelimiter, CommandStart);
        if (Right == String::npos) {
            Result.append(InString, Left, String::npos);
            P = InString.size();
            break;
        }
        String Value;
        if (ProcessCommand(InString.substr(CommandStart, Right - CommandStart), Value)) {
            Result += Value;
            Changed = true;
            P = Right + FRightDelimiter.size();
        } else {
            // Not a macro: the text stays, and its right delimiter may begin the next one.
            Result.append(InString, Left, Right - Left);
            P = Right;
        }
    }
    if (P < InString.size()) Result.append(InString, P, String::npos);
    return Result;
}
