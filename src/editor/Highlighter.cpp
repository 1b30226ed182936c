#include "editor/Highlighter.h"

#include "editor/CodeEditTextHelpers.h"

#include "platform/base/Ini.h"
#include "platform/base/Lists.h"
#include "platform/base/Strings.h"

namespace {

constexpr Char WideGlyphFiller = 0xE000;

const String BackgroundKey = u"Background";
const String ForegroundKey = u"Foreground";
const String StyleKey = u"Style";

// Fields of a comma-separated value; the last one takes the rest when commas are missing.
std::vector<String> CommaFields(const String& S, int Count) {
    std::vector<String> Fields;
    size_t Start = 0;
    for (int I = 0; I < Count; ++I) {
        if (Start > S.size()) {
            Fields.emplace_back();
            continue;
        }
        const size_t Comma = I + 1 < Count ? S.find(u',', Start) : String::npos;
        if (Comma == String::npos) {
            Fields.push_back(S.substr(Start));
            Start = S.size() + 1;
        } else {
            Fields.push_back(S.substr(Start, Comma - Start));
            Start = Comma + 1;
        }
    }
    return Fields;
}

bool FlagIsTrue(const String& Value) {
    return !SameText(Value, u"FALSE") && Value != u"0";
}

// Thrown inside the colour import for a value it cannot take.
struct TImportRefused {};

TColor PaletteColorOrRefuse(int Index) {
    TColor Color;
    if (!PaletteColor(Index, Color)) throw TImportRefused{};
    return Color;
}

} // namespace

bool PaletteColor(int Index, TColor& Color) {
    static const TColor Palette[16] = {clBlack, clMaroon,  clGreen, clOlive, clNavy, clPurple,
                                       clTeal,  clSilver,  clGray,  clRed,   clLime, clYellow,
                                       clBlue,  clFuchsia, clAqua,  clWhite};
    if (Index < 0 || Index > 15) return false;
    Color = Palette[Index];
    return true;
}

// ---- Attributes ----------------------------------------------------------------------------

TCodeHighlighterAttributes::TCodeHighlighterAttributes(const String& AName, const String& AFriendlyName)
    : FFriendlyName(AFriendlyName), FName(AName) {}

void TCodeHighlighterAttributes::Published(TPublisher<TCodeHighlighterAttributes>& P) {
    using A = TCodeHighlighterAttributes;
    P.Property(u"Background", &A::Background, &A::SetBackground).As(ColorTypeInfo()).Stored([](A* X) {
        return X->FBackground != X->FBackgroundDefault;
    });
    P.Property(u"Foreground", &A::Foreground, &A::SetForeground).As(ColorTypeInfo()).Stored([](A* X) {
        return X->FForeground != X->FForegroundDefault;
    });
    P.Property(u"Style", &A::Style, &A::SetStyle).Stored([](A* X) { return X->FStyle != X->FStyleDefault; });
}

void TCodeHighlighterAttributes::Changed() {
    if (OnChange) OnChange(this);
}

void TCodeHighlighterAttributes::Assign(TPersistent* Source) {
    if (auto* S = dynamic_cast<TCodeHighlighterAttributes*>(Source)) {
        FName = S->FName;
        AssignColorAndStyle(S);
        return;
    }
    TPersistent::Assign(Source);
}

void TCodeHighlighterAttributes::AssignColorAndStyle(TCodeHighlighterAttributes* Source) {
    bool Changes = false;
    if (FBackground != Source->FBackground) {
        FBackground = Source->FBackground;
        Changes = true;
    }
    if (FForeground != Source->FForeground) {
        FForeground = Source->FForeground;
        Changes = true;
    }
    if (FStyle != Source->FStyle) {
        FStyle = Source->FStyle;
        Changes = true;
    }
    if (Changes) Changed();
}

void TCodeHighlighterAttributes::InternalSaveDefaultValues() {
    FBackgroundDefault = FBackground;
    FForegroundDefault = FForeground;
    FStyleDefault = FStyle;
}

void TCodeHighlighterAttributes::SetBackground(TColor Value) {
    if (FBackground == Value) return;
    FBackground = Value;
    Changed();
}

void TCodeHighlighterAttributes::SetForeground(TColor Value) {
    if (FForeground == Value) return;
    FForeground = Value;
    Changed();
}

void TCodeHighlighterAttributes::SetStyle(const TFontStyles& Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed();
}

int TCodeHighlighterAttributes::IntegerStyle() const {
    return int(FStyle.ToInt() & 15);
}

void TCodeHighlighterAttributes::SetIntegerStyle(int Value) {
    SetStyle(Value & 1 ? TFontStyles{fsBold} : TFontStyles{});
    if (Value & 2) SetStyle(FStyle + TFontStyles{fsItalic});
    if (Value & 4) SetStyle(FStyle + TFontStyles{fsUnderline});
    if (Value & 8) SetStyle(FStyle + TFontStyles{fsStrikeOut});
}

bool TCodeHighlighterAttributes::LoadFromRegistry(TRegistry& Reg) {
    const String Parent = Reg.CurrentPath();
    if (!Reg.OpenKeyReadOnly(FName)) return false;
    bool Result = true;
    try {
        if (Reg.ValueExists(BackgroundKey)) SetBackground(Reg.ReadInteger(BackgroundKey));
        if (Reg.ValueExists(ForegroundKey)) SetForeground(Reg.ReadInteger(ForegroundKey));
        if (Reg.ValueExists(StyleKey)) SetIntegerStyle(Reg.ReadInteger(StyleKey));
    } catch (const ERegistryException&) {
        // A value of another kind is not ours to take; the others stay as they were.
        Result = false;
    }
    Reg.OpenKeyReadOnly(u"\\" + Parent);
    return Result;
}

bool TCodeHighlighterAttributes::SaveToRegistry(TRegistry& Reg) {
    const String Parent = Reg.CurrentPath();
    if (!Reg.OpenKey(FName, true)) return false;
    Reg.WriteInteger(BackgroundKey, FBackground);
    Reg.WriteInteger(ForegroundKey, FForeground);
    Reg.WriteInteger(StyleKey, IntegerStyle());
    return Reg.OpenKey(u"\\" + Parent, false);
}

bool TCodeHighlighterAttributes::LoadFromFile(TCustomIniFile* Ini) {
    const std::vector<String> Keys = Ini->ReadSectionKeys(FName);
    if (Keys.empty()) return false;
    auto Has = [&](const String& Key) {
        for (const String& K : Keys)
            if (SameText(K, Key)) return true;
        return false;
    };
    if (Has(BackgroundKey)) SetBackground(Ini->ReadInteger(FName, BackgroundKey, FBackground));
    if (Has(ForegroundKey)) SetForeground(Ini->ReadInteger(FName, ForegroundKey, FForeground));
    if (Has(StyleKey)) SetIntegerStyle(Ini->ReadInteger(FName, StyleKey, IntegerStyle()));
    return true;
}

bool TCodeHighlighterAttributes::SaveToFile(TCustomIniFile* Ini) {
    Ini->WriteInteger(FName, BackgroundKey, FBackground);
    Ini->WriteInteger(FName, ForegroundKey, FForeground);
    Ini->WriteInteger(FName, StyleKey, IntegerStyle());
    return true;
}

bool TCodeHighlighterAttributes::LoadFromExternalRegistry(HKEY RootKey, const String& AttrKey,
                                                          const String& AttrName, bool OldStyle) {
    // Everything is read and checked first, so that a refused import changes nothing.
    TColor Back, Fore;
    TFontStyles NewStyle;
    try {
        TRegistry Reg;
        Reg.SetRootKey(RootKey);
        if (OldStyle) {
            if (!Reg.OpenKeyReadOnly(AttrKey) || !Reg.ValueExists(AttrName)) return false;
            const std::vector<String> F = CommaFields(Reg.ReadString(AttrName), 7);
            // Fields: foreground and background RGB (unused), style letters, default-foreground
            // and default-background flags, foreground and background palette indexes.
            const TColor ForeIndexed = PaletteColorOrRefuse(StrToInt(Trim(F[5])));
            const TColor BackIndexed = PaletteColorOrRefuse(StrToInt(Trim(F[6])));
            Back = F[4] == u"1" ? clWindow : BackIndexed;
            Fore = F[3] == u"1" ? clWindowText : ForeIndexed;
            if (Pos(u"B", F[2]) > 0) NewStyle.Include(fsBold);
            if (Pos(u"I", F[2]) > 0) NewStyle.Include(fsItalic);
            if (Pos(u"U", F[2]) > 0) NewStyle.Include(fsUnderline);
        } else {
            if (!Reg.OpenKeyReadOnly(AttrKey + u"\\" + AttrName)) return false;
            auto ReadColor = [&](const String& Indexed, const String& Named) {
                if (Reg.ValueExists(Indexed)) return PaletteColorOrRefuse(Reg.ReadInteger(Indexed));
                if (Reg.ValueExists(Named)) return StringToColor(Reg.ReadString(Named));
                throw TImportRefused{};
            };
            Fore = ReadColor(u"Foreground Color", u"Foreground Color New");
            Back = ReadColor(u"Background Color", u"Background Color New");
            const String Flags[] = {u"Bold", u"Italic", u"Underline", u"Default Foreground",
                                    u"Default Background"};
            bool Values[5];
            for (int I = 0; I < 5; ++I) {
                if (!Reg.ValueExists(Flags[I])) return false;
                Values[I] = FlagIsTrue(Reg.ReadString(Flags[I]));
            }
            if (Values[4]) Back = clWindow;
            if (Values[3]) Fore = clWindowText;
            if (Values[0]) NewStyle.Include(fsBold);
            if (Values[1]) NewStyle.Include(fsItalic);
            if (Values[2]) NewStyle.Include(fsUnderline);
        }
    } catch (const TImportRefused&) {
        return false;
    } catch (const Exception&) {
        return false;
    }
    SetBackground(Back);
    SetForeground(Fore);
    SetStyle(NewStyle);
    return true;
}

// ---- Highlighter ---------------------------------------------------------------------------

TCodeCustomHighlighter::TCodeCustomHighlighter(TComponent* AOwner)
    : TComponent(AOwner), FAttributes(std::make_unique<TStringList>(true)), FAttrChangeHooks(this),
      FOptions(std::make_unique<TCodeEditHighlighterOptions>()) {
    FAttributes->SetDuplicates(dupError);
    FAttributes->SetSorted(true);
}

TCodeCustomHighlighter::~TCodeCustomHighlighter() = default;

void TCodeCustomHighlighter::Published(TPublisher<TCodeCustomHighlighter>& P) {
    using H = TCodeCustomHighlighter;
    P.Property(u"DefaultFilter", &H::DefaultFilter, &H::SetDefaultFilter).Stored([](H* X) {
        return X->IsFilterStored();
    });
    P.Property(u"Enabled", &H::Enabled, &H::SetEnabled).Default(true);
    P.Property(u"Options", &H::Options, &H::SetOptions);
}

int TCodeCustomHighlighter::AttrCount() const {
    return FAttributes->Count();
}

TCodeHighlighterAttributes* TCodeCustomHighlighter::Attribute(int Index) const {
    if (Index < 0 || Index >= FAttributes->Count()) return nullptr;
    return static_cast<TCodeHighlighterAttributes*>(FAttributes->Objects(Index));
}

void TCodeCustomHighlighter::AddAttribute(TCodeHighlighterAttributes* Attri) {
    FAttributes->AddObject(Attri->Name(), Attri);
}

void TCodeCustomHighlighter::SetAttributesOnChange(const TNotifyEvent& AEvent) {
    for (int I = AttrCount() - 1; I >= 0; --I) {
        TCodeHighlighterAttributes* A = Attribute(I);
        A->OnChange = AEvent;
        A->InternalSaveDefaultValues();
    }
}

void TCodeCustomHighlighter::HookAttrChangeEvent(const TCodeNotifyMethod& ANotifyEvent) {
    FAttrChangeHooks.Add(ANotifyEvent);
}

void TCodeCustomHighlighter::UnhookAttrChangeEvent(const TCodeNotifyMethod& ANotifyEvent) {
    FAttrChangeHooks.Remove(ANotifyEvent);
}

void TCodeCustomHighlighter::BeginUpdate() {
    ++FUpdateCount;
}

void TCodeCustomHighlighter::EndUpdate() {
    if (FUpdateCount <= 0) return;
    if (--FUpdateCount == 0 && FUpdateChange) {
        FUpdateChange = false;
        DefHighlightChange(nullptr);
    }
}

void TCodeCustomHighlighter::DefHighlightChange(TObject*) {
    if (FUpdateCount > 0) {
        FUpdateChange = true;
        return;
    }
    if (!ComponentState().Contains(csLoading)) FAttrChangeHooks.Fire();
}

void TCodeCustomHighlighter::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    DefHighlightChange(nullptr);
}

void TCodeCustomHighlighter::Loaded() {
    TComponent::Loaded();
    DefHighlightChange(nullptr);
}

void TCodeCustomHighlighter::Assign(TPersistent* Source) {
    auto* S = dynamic_cast<TCodeCustomHighlighter*>(Source);
    if (!S) {
        TComponent::Assign(Source);
        return;
    }
    for (int I = 0; I < AttrCount(); ++I) {
        TCodeHighlighterAttributes* Mine = Attribute(I);
        for (int J = 0; J < S->AttrCount(); ++J)
            if (S->Attribute(J)->Name() == Mine->Name()) {
                Mine->Assign(S->Attribute(J));
                break;
            }
    }
    if (S->ClassType()->InheritsFrom(ClassType())) SetSampleSource(S->SampleSource());
    SetDefaultFilter(S->DefaultFilter());
    SetEnabled(S->Enabled());
}

String TCodeCustomHighlighter::GetKeyWords(int) const {
    return {};
}

String TCodeCustomHighlighter::GetToken() const {
    return String(FCasedLine + FTokenPos, size_t(Run - FTokenPos));
}

int TCodeCustomHighlighter::GetExpandedTokenPos() const {
    return FExpandedLine ? FExpandedTokenPos : FTokenPos;
}

String TCodeCustomHighlighter::GetExpandedToken() const {
    if (!FExpandedLine) return GetToken();
    return String(FExpandedLine + FExpandedTokenPos, size_t(ExpandedRun - FExpandedTokenPos));
}

void TCodeCustomHighlighter::Next() {
    if (Run == FOldRun) return;
    FExpandedTokenPos = ExpandedRun;
    if (FExpandedLine)
        for (int I = FOldRun; I < Run; ++I) {
            while (ExpandedRun < FExpandedLineLen && FExpandedLine[ExpandedRun] == WideGlyphFiller)
                ++ExpandedRun;
            ++ExpandedRun;
        }
    FOldRun = Run;
}

void TCodeCustomHighlighter::NextToEol() {
    while (!GetEol())
        Next();
}

int TCodeCustomHighlighter::PosToExpandedPos(int Pos) const {
    if (!FExpandedLine) return Pos;
    int Result = 0;
    for (int I = 0; I < Pos; ++I) {
        while (Result < FExpandedLineLen && FExpandedLine[Result] == WideGlyphFiller)
            ++Result;
        ++Result;
    }
    return Result;
}

void TCodeCustomHighlighter::DoSetLine(const String& Value, int LineNumber) {
    if (FCaseSensitive) {
        FLineStr = Value;
        FCasedLineStr.clear();
        FCasedLine = FLineStr.c_str();
    } else {
        FLineStr = LowerCaseText(Value);
        FCasedLineStr = Value;
        FCasedLine = FCasedLineStr.c_str();
    }
    FLine = FLineStr.c_str();
    FLineLen = int(FLineStr.size());
    Run = ExpandedRun = FOldRun = 0;
    FTokenPos = FExpandedTokenPos = 0;
    FLineNumber = LineNumber;
}

void TCodeCustomHighlighter::SetLine(const String& Value, int LineNumber) {
    FExpandedLineStr.clear();
    FExpandedLine = nullptr;
    FExpandedLineLen = 0;
    DoSetLine(Value, LineNumber);
    Next();
}

void TCodeCustomHighlighter::SetLineExpandedAtWideGlyphs(const String& Line, const String& ExpandedLine,
                                                         int LineNumber) {
    FExpandedLineStr = ExpandedLine;
    FExpandedLine = FExpandedLineStr.c_str();
    FExpandedLineLen = int(FExpandedLineStr.size());
    DoSetLine(Line, LineNumber);
    Next();
}

bool TCodeCustomHighlighter::IsCurrentToken(const String& Token) const {
    if (int(Token.size()) != FStringLen) return false;
    for (int I = 0; I < FStringLen; ++I)
        if (FLine[FToIdent + I] != Token[I]) return false;
    return true;
}

bool TCodeCustomHighlighter::IsLineEnd(int Position) const {
    return Position >= FLineLen || FLine[Position] == 10 || FLine[Position] == 13;
}

void TCodeCustomHighlighter::EnumUserSettings(TStrings* Settings) {
    Settings->Clear();
}

bool TCodeCustomHighlighter::IsIdentChar(Char AChar) const {
    return (AChar >= u'0' && AChar <= u'9') || (AChar >= u'A' && AChar <= u'Z') ||
           (AChar >= u'a' && AChar <= u'z') || AChar == u'_';
}

bool TCodeCustomHighlighter::IsWordBreakChar(Char AChar) const {
    return AChar <= 47 || (AChar >= 58 && AChar <= 64) || (AChar >= 91 && AChar <= 94) || AChar == 96 ||
           (AChar >= 123 && AChar <= 126) || AChar == 167 || AChar == 176 || AChar == 180;
}

bool TCodeCustomHighlighter::IsWhiteChar(Char AChar) const {
    if (AChar <= 32) return true;
    return !IsIdentChar(AChar) && !IsWordBreakChar(AChar);
}

bool TCodeCustomHighlighter::LoadFromRegistry(HKEY RootKey, const String& Key) {
    try {
        TRegistry Reg;
        Reg.SetRootKey(RootKey);
        if (!Reg.OpenKeyReadOnly(Key)) return false;
        bool Result = true;
        for (int I = 0; I < AttrCount(); ++I)
            Result = Attribute(I)->LoadFromRegistry(Reg) && Result;
        return Result;
    } catch (const Exception&) {
        return false;
    }
}

bool TCodeCustomHighlighter::SaveToRegistry(HKEY RootKey, const String& Key) {
    try {
        TRegistry Reg;
        Reg.SetRootKey(RootKey);
        if (!Reg.OpenKey(Key, true)) return false;
        bool Result = true;
        for (int I = 0; I < AttrCount(); ++I)
            Result = Attribute(I)->SaveToRegistry(Reg) && Result;
        return Result;
    } catch (const Exception&) {
        return false;
    }
}

bool TCodeCustomHighlighter::LoadFromFile(const String& AFileName) {
    try {
        TMemIniFile Ini(AFileName);
        bool Result = true;
        for (int I = 0; I < AttrCount(); ++I)
            Result = Attribute(I)->LoadFromFile(&Ini) && Result;
        return Result;
    } catch (const Exception&) {
        return false;
    }
}

bool TCodeCustomHighlighter::SaveToFile(const String& AFileName) {
    // A file that cannot be written is reported, not taken for saved.
    try {
        TMemIniFile Ini(AFileName);
        for (int I = 0; I < AttrCount(); ++I)
            Attribute(I)->SaveToFile(&Ini);
        Ini.UpdateFile();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

String TCodeCustomHighlighter::ExportName() {
    if (FExportName.empty()) FExportName = HighlighterNameFromClass(ClassName());
    return FExportName;
}

// ---- Highlighter list ----------------------------------------------------------------------

namespace {

// A class's names come from an instance of it.
template <class F> String NameOf(TCodeCustomHighlighterClass Class, F Get) {
    std::unique_ptr<TComponent> Instance(Class->Create(nullptr));
    auto* H = dynamic_cast<TCodeCustomHighlighter*>(Instance.get());
    return H ? Get(H) : String();
}

} // namespace

int TCodeHighlighterList::FindByClass(const TCodeCustomHighlighter* Comp) const {
    for (int I = 0; I < Count(); ++I)
        if (Comp && Comp->ClassType()->InheritsFrom(FList[I])) return I;
    return -1;
}

int TCodeHighlighterList::FindByFriendlyName(const String& FriendlyName) const {
    for (int I = 0; I < Count(); ++I)
        if (NameOf(FList[I], [](TCodeCustomHighlighter* H) { return H->GetFriendlyLanguageName(); }) ==
            FriendlyName)
            return I;
    return -1;
}

int TCodeHighlighterList::FindByName(const String& Name) const {
    for (int I = 0; I < Count(); ++I)
        if (NameOf(FList[I], [](TCodeCustomHighlighter* H) { return H->GetLanguageName(); }) == Name)
            return I;
    return -1;
}

void TCodeHighlighterList::Add(TCodeCustomHighlighterClass Class) {
    FList.push_back(Class);
}

TCodeHighlighterList& GetPlaceableHighlighters() {
    static TCodeHighlighterList List;
    return List;
}

void RegisterPlaceableHighlighter(TCodeCustomHighlighterClass Class) {
    auto& L = GetPlaceableHighlighters();
    for (int I = 0; I < L.Count(); ++I)
        if (L.Item(I) == Class) return;
    L.Add(Class);
}
