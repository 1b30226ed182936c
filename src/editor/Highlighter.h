#pragma once
// The highlighter framework: a highlighter splits one line into tokens, tells each token's kind
// and display attribute, and carries a range (a small state such as "inside a block comment")
// from the end of one line to the next. Attributes notify the highlighter, which tells every
// editor hooked to it, once per change or once per BeginUpdate/EndUpdate batch. Attribute
// settings are kept in the registry or in INI files.

#include "editor/EditStringList.h"
#include "editor/EditorParts.h"
#include "editor/MethodChain.h"

#include "platform/base/Component.h"
#include "platform/base/Registry.h"
#include "platform/gui/Graphics.h"

#include <bitset>
#include <memory>

class TCustomIniFile;
class TStringList;
class TStrings;

DECLARE_ENUM(TCodeHighlighterCapability, Byte, hcUserSettings, hcRegistry)
using TCodeHighlighterCapabilities = TSet<TCodeHighlighterCapability>;

// A set of the characters 0..255.
using TCodeCharSet = std::bitset<256>;

class TCodeHighlighterAttributes : public TPersistent {
    DECLARE_CLASS(TCodeHighlighterAttributes, TPersistent)
public:
    // Both colours clNone (the editor's), no style.
    explicit TCodeHighlighterAttributes(const String& AName = {}, const String& AFriendlyName = {});

    // From another attribute: the name, then colours and style.
    void Assign(TPersistent* Source) override;
    // Colours and style; one Changed when any of them changed.
    void AssignColorAndStyle(TCodeHighlighterAttributes* Source);
    // The current colours and style become the defaults (streams store only differences).
    void InternalSaveDefaultValues();

    // Under the open key: a subkey Name with "Background", "Foreground", "Style".
    bool LoadFromRegistry(TRegistry& Reg);
    bool SaveToRegistry(TRegistry& Reg);
    // The section Name with the keys "Background", "Foreground", "Style".
    bool LoadFromFile(TCustomIniFile* Ini);
    bool SaveToFile(TCustomIniFile* Ini);
    // Imports another editor's colour settings (old or new layout); every failure gives false
    // and leaves the attribute as it was.
    virtual bool LoadFromExternalRegistry(HKEY RootKey, const String& AttrKey, const String& AttrName,
                                          bool OldStyle);

    TColor Background() const { return FBackground; }
    void SetBackground(TColor Value);
    TColor Foreground() const { return FForeground; }
    void SetForeground(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(const TFontStyles& Value);
    // Bold 1, italic 2, underline 4, strike-out 8.
    int IntegerStyle() const;
    void SetIntegerStyle(int Value);
    TColor BackgroundDefault() const { return FBackgroundDefault; }
    TColor ForegroundDefault() const { return FForegroundDefault; }
    TFontStyles StyleDefault() const { return FStyleDefault; }
    const String& FriendlyName() const { return FFriendlyName; }
    void SetFriendlyName(const String& Value) { FFriendlyName = Value; }
    const String& Name() const { return FName; }

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    TColor FBackground = clNone;
    TColor FBackgroundDefault = clNone;
    TColor FForeground = clNone;
    TColor FForegroundDefault = clNone;
    String FFriendlyName;
    String FName;
    TFontStyles FStyle;
    TFontStyles FStyleDefault;

    static void Published(TPublisher<TCodeHighlighterAttributes>& P);
};

// The sixteen standard colours of the colour import, by palette index.
bool PaletteColor(int Index, TColor& Color);

class TCodeCustomHighlighter : public TComponent {
    DECLARE_CLASS(TCodeCustomHighlighter, TComponent)
public:
    explicit TCodeCustomHighlighter(TComponent* AOwner = nullptr);
    ~TCodeCustomHighlighter() override;

    // From another highlighter: attributes matched by name, the sample source when Source is of
    // this class, the default filter and Enabled.
    void Assign(TPersistent* Source) override;
    void Loaded() override;

    virtual int AttrCount() const;
    // Null outside 0 .. AttrCount - 1; in the order of the attributes' names.
    virtual TCodeHighlighterAttributes* Attribute(int Index) const;
    virtual TCodeHighlighterAttributes* GetDefaultAttribute(int Index) const = 0;
    virtual String DefaultFilter() const { return FDefaultFilter; }
    virtual void SetDefaultFilter(const String& Value) { FDefaultFilter = Value; }
    virtual String SampleSource() const { return {}; }
    virtual void SetSampleSource(const String&) {}
    virtual bool IsFilterStored() const { return true; }
    virtual TCodeHighlighterCapabilities GetCapabilities() const { return {hcRegistry}; }
    TCodeHighlighterCapabilities Capabilities() const { return GetCapabilities(); }
    virtual String GetFriendlyLanguageName() const { return u"<Unknown>"; }
    virtual String GetLanguageName() const { return u"<Unknown>"; }
    String FriendlyLanguageName() const { return GetFriendlyLanguageName(); }
    String LanguageName() const { return GetLanguageName(); }

    // The scanning protocol: set the range (ResetRange for the first line), give the line, read
    // tokens until GetEol, each followed by Next; GetRange is the state at the line's end.
    virtual bool GetEol() const = 0;
    virtual String GetExpandedToken() const;
    virtual int GetExpandedTokenPos() const;
    virtual String GetKeyWords(int TokenKind) const;
    virtual TCodeEditRange GetRange() const { return 0; }
    virtual String GetToken() const;
    virtual TCodeHighlighterAttributes* GetTokenAttribute() const = 0;
    virtual int GetTokenKind() const = 0;
    virtual int GetTokenPos() const { return FTokenPos; }
    virtual bool IsKeyword(const String&) const { return false; }
    // Derived classes scan their token (setting FTokenPos, advancing Run), then call this.
    virtual void Next();
    // Line with ExpandedLine as its display form (a filler U+E000 before each extra cell of a
    // wide glyph), so that tokens are known in display positions too.
    virtual void SetLineExpandedAtWideGlyphs(const String& Line, const String& ExpandedLine, int LineNumber);
    virtual void SetLine(const String& Value, int LineNumber);
    virtual void SetRange(TCodeEditRange) {}
    virtual void ResetRange() {}
    virtual bool UseUserSettings(int) { return false; }
    virtual void EnumUserSettings(TStrings* Settings);
    // The attributes under Key: each in a subkey of its name.
    virtual bool LoadFromRegistry(HKEY RootKey, const String& Key);
    virtual bool SaveToRegistry(HKEY RootKey, const String& Key);
    virtual bool IsIdentChar(Char AChar) const;
    virtual bool IsWhiteChar(Char AChar) const;
    virtual bool IsWordBreakChar(Char AChar) const;

    void NextToEol();
    // The display position of raw position Pos of the current line.
    int PosToExpandedPos(int Pos) const;
    // Every attribute in a section of its name; false when the file cannot be read or written.
    bool LoadFromFile(const String& AFileName);
    bool SaveToFile(const String& AFileName);

    void AddAttribute(TCodeHighlighterAttributes* Attri);
    // Every attribute's OnChange becomes AEvent and its current values its defaults.
    void SetAttributesOnChange(const TNotifyEvent& AEvent);
    void HookAttrChangeEvent(const TCodeNotifyMethod& ANotifyEvent);
    void UnhookAttrChangeEvent(const TCodeNotifyMethod& ANotifyEvent);
    void BeginUpdate();
    void EndUpdate();
    // The handler of every attribute's OnChange: tells the hooked editors, or notes the change
    // while updating.
    void DefHighlightChange(TObject* Sender);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    TCodeEditHighlighterOptions* Options() const { return FOptions.get(); }
    void SetOptions(TCodeEditHighlighterOptions* Value) { FOptions->Assign(Value); }
    TCodeCharSet& AdditionalWordBreakChars() { return FAdditionalWordBreakChars; }
    TCodeCharSet& AdditionalIdentChars() { return FAdditionalIdentChars; }
    // The class name without a leading "T" or "TCode" and a trailing "Highlighter".
    String ExportName();
    int LineNumber() const { return FLineNumber; }

    TCodeHighlighterAttributes* CommentAttribute() const { return GetDefaultAttribute(0); }
    TCodeHighlighterAttributes* IdentifierAttribute() const { return GetDefaultAttribute(1); }
    TCodeHighlighterAttributes* KeywordAttribute() const { return GetDefaultAttribute(2); }
    TCodeHighlighterAttributes* StringAttribute() const { return GetDefaultAttribute(3); }
    TCodeHighlighterAttributes* WhitespaceAttribute() const { return GetDefaultAttribute(4); }
    TCodeHighlighterAttributes* SymbolAttribute() const { return GetDefaultAttribute(5); }

protected:
    virtual void DoSetLine(const String& Value, int LineNumber);
    // Whether Token has exactly FStringLen characters equal to those at FToIdent.
    virtual bool IsCurrentToken(const String& Token) const;
    virtual bool IsLineEnd(int Position) const;

    // The line being scanned (lower-cased when not case-sensitive) and the line as given.
    String FLineStr;
    const Char* FLine = nullptr;
    int FLineLen = 0;
    String FCasedLineStr;
    const Char* FCasedLine = nullptr;
    bool FCaseSensitive = false;
    int FLineNumber = 0;
    String FExpandedLineStr;
    const Char* FExpandedLine = nullptr;
    int FExpandedLineLen = 0;
    int Run = 0;
    int FTokenPos = 0;
    int FOldRun = 0;
    int ExpandedRun = 0;
    int FExpandedTokenPos = 0;
    int FStringLen = 0;
    int FToIdent = 0;

private:
    std::unique_ptr<TStringList> FAttributes;
    TCodeNotifyEventChain FAttrChangeHooks;
    int FUpdateCount = 0;
    bool FUpdateChange = false;
    bool FEnabled = true;
    TCodeCharSet FAdditionalWordBreakChars;
    TCodeCharSet FAdditionalIdentChars;
    String FExportName;
    std::unique_ptr<TCodeEditHighlighterOptions> FOptions;
    String FDefaultFilter;

    static void Published(TPublisher<TCodeCustomHighlighter>& P);
};

using TCodeCustomHighlighterClass = TClass;

// The highlighter classes the program offers, in the order registered.
class TCodeHighlighterList {
public:
    int Count() const { return int(FList.size()); }
    TCodeCustomHighlighterClass Item(int Index) const { return FList.at(Index); }
    // The index of the first class Comp is an instance of; -1 when none.
    int FindByClass(const TCodeCustomHighlighter* Comp) const;
    int FindByFriendlyName(const String& FriendlyName) const;
    int FindByName(const String& Name) const;
    void Add(TCodeCustomHighlighterClass Class);

private:
    std::vector<TCodeCustomHighlighterClass> FList;
};

TCodeHighlighterList& GetPlaceableHighlighters();
void RegisterPlaceableHighlighter(TCodeCustomHighlighterClass Class);
