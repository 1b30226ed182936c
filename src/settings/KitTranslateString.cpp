#include "settings/KitTranslateString.h"

#include "settings/UtilVersionInfo.h"

#include "platform/base/DateTime.h"
#include "platform/base/Files.h"
#include "platform/base/Strings.h"

namespace {

String ProgramName() {
    return ChangeFileExt(ExtractFileName(ProgramFile()), u"");
}

// The first form along the owner chain: a component of a class named as the forms' classes are.
TComponent* OwnerForm(TComponent* Start) {
    for (TComponent* C = Start; C; C = C->Owner())
        for (TClass K = C->ClassType(); K; K = K->ClassParent())
            if (K->ClassName() == u"TCustomForm" || K->ClassName() == u"TForm") return C;
    return nullptr;
}

} // namespace

TKitTranslateString::TKitTranslateString(TComponent* AOwner) : TKitComponent(AOwner) {}

String TKitTranslateString::VersionValue(std::optional<String>& Cache, int Key, const String& StandIn) {
    if (!Cache) {
        try {
            TUtilFileVersionInfo Info(ProgramFile());
            Cache = Info.WellKnownKeyValue(Key);
        } catch (const EUtilFileVersionInfoError&) {
            Cache = StandIn;
        }
    }
    return *Cache;
}

bool TKitTranslateString::ProcessCommand(const String& Command, String& CommandResult) {
    const String Cmd = Trim(UpperCase(Command));
    bool Changed = true;
    CommandResult.clear();
    if (Cmd == u"APPL_NAME") {
        CommandResult = VersionValue(FAppName, vkProductName, u"MyKitApplication");
        if (CommandResult.empty()) CommandResult = ProgramName();
    } else if (Cmd == u"COMPANY_NAME") {
        CommandResult = VersionValue(FCompanyName, vkCompanyName, u"MyCompany");
    } else if (Cmd == u"FILEVERSION") {
        CommandResult = VersionValue(FFileVersion, vkFileVersion, u"0.0.0.0");
    } else if (Cmd == u"PRODUCTVERSION") {
        CommandResult = VersionValue(FProductVersion, vkProductVersion, u"0.0.0.0");
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
    } else if (Cmd == u"FORMNAME" || Cmd == u"FORMCAPTION") {
        if (TComponent* Form = OwnerForm(Owner())) {
            if (Cmd == u"FORMNAME")
                CommandResult = Form->Name();
            else if (IsPublishedProp(Form, u"Caption"))
                CommandResult = GetStrProp(Form, u"Caption");
        }
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
