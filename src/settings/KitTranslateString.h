#pragma once
// The macro engine of the settings stores: expands %NAME% macros in a text (program name and
// version, company, date and time, program file and folder, the owning form's name and
// caption), so that a store's file name such as "%APPL_NAME%.ini" follows the program.

#include "platform/base/Component.h"

#include <functional>
#include <optional>

// A plain component, the base of the library's components.
class TKitComponent : public TComponent {
    DECLARE_CLASS(TKitComponent, TComponent)
public:
    using TComponent::TComponent;
};

class TKitTranslateString : public TKitComponent {
    DECLARE_CLASS(TKitTranslateString, TKitComponent)
public:
    // Kept in the class: the editor control has an event type of the same name.
    using TProcessCommandEvent =
        std::function<void(TObject* Sender, const String& Command, String& CommandResult, bool& Changed)>;

    explicit TKitTranslateString(TComponent* AOwner);

    // InString with every known macro replaced. A text between delimiters that names no macro
    // keeps its left delimiter and stays as it is; its right delimiter may open the next macro.
    String TranslateString(const String& InString);
    String TranslateString(const String& InString, bool& Changed);
    // The value of a macro (upper-cased and trimmed first); false for a name that is no macro.
    bool ProcessCommand(const String& Command, String& CommandResult);

    const String& DateFormat() const { return FDateFormat; }
    void SetDateFormat(const String& Value) { FDateFormat = Value; }
    const String& DateTimeFormat() const { return FDateTimeFormat; }
    void SetDateTimeFormat(const String& Value) { FDateTimeFormat = Value; }
    const String& TimeFormat() const { return FTimeFormat; }
    void SetTimeFormat(const String& Value) { FTimeFormat = Value; }
    const String& LeftDelimiter() const { return FLeftDelimiter; }
    void SetLeftDelimiter(const String& Value) { FLeftDelimiter = Value; }
    const String& RightDelimiter() const { return FRightDelimiter; }
    void SetRightDelimiter(const String& Value) { FRightDelimiter = Value; }

    TProcessCommandEvent OnProcessCommand;

private:
    // A version text of the program file, read once; a program without version information
    // gets the stand-in value.
    String VersionValue(std::optional<String>& Cache, int Key, const String& Macro, const String& StandIn);

    std::optional<String> FAppName;
    std::optional<String> FCompanyName;
    std::optional<String> FFileVersion;
    std::optional<String> FProductVersion;
    String FDateFormat = u"dd_mm_yyyy";
    String FDateTimeFormat = u"dd_mm_yyyy hh_nn_ss";
    String FLeftDelimiter = u"%";
    String FRightDelimiter = u"%";
    String FTimeFormat = u"hh_nn_ss";

    static void Published(TPublisher<TKitTranslateString>& P) {
        P.Property(u"DateFormat", &TKitTranslateString::DateFormat, &TKitTranslateString::SetDateFormat);
        P.Property(u"DateTimeFormat", &TKitTranslateString::DateTimeFormat,
                   &TKitTranslateString::SetDateTimeFormat);
        P.Property(u"LeftDelimiter", &TKitTranslateString::LeftDelimiter,
                   &TKitTranslateString::SetLeftDelimiter);
        P.Property(u"RightDelimiter", &TKitTranslateString::RightDelimiter,
                   &TKitTranslateString::SetRightDelimiter);
        P.Property(u"TimeFormat", &TKitTranslateString::TimeFormat, &TKitTranslateString::SetTimeFormat);
        P.Property(u"OnProcessCommand", &TKitTranslateString::OnProcessCommand);
    }
};
