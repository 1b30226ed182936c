// The sketch highlighter: the library's words are looked up by their length, so that an
// identifier costs one comparison per listed word of the same length.

#include "editor/HighlighterArduino.h"

using HighlighterArduino::tkArduino;

namespace {

const char16_t* const BuiltInWords[] = {
    u"int8_t", u"int16_t", u"uint8_t", u"uint16_t", u"setup", u"loop", u"abs", u"acos", u"asin", u"atan",
    u"atan2", u"ceil", u"constrain", u"cos", u"degrees", u"exp", u"floor", u"log", u"map", u"max", u"min",
    u"radians", u"random", u"randomSeed", u"round", u"sin", u"sq", u"sqrt", u"tan", u"pow", u"bitRead",
    u"bitWrite", u"bitSet", u"bitClear", u"bit", u"highByte", u"lowByte", u"analogReference", u"analogRead",
    u"analogWrite", u"attachInterrupt", u"detachInterrupt", u"delay", u"delayMicroseconds", u"digitalWrite",
    u"digitalRead", u"interrupts", u"millis", u"micros", u"noInterrupts", u"noTone", u"pinMode", u"pulseIn",
    u"shiftIn", u"shiftOut", u"tone", u"yield", u"Serial", u"Serial1", u"Serial2", u"Serial3", u"SerialUSB",
    u"begin", u"end", u"peek", u"read", u"print", u"println", u"available", u"availableForWrite", u"flush",
    u"setTimeout", u"find", u"findUntil", u"parseInt", u"parseFloat", u"readBytes", u"readBytesUntil",
    u"readString", u"readStringUntil", u"String", u"trim", u"toUpperCase", u"toLowerCase", u"charAt",
    u"compareTo", u"concat", u"endsWith", u"startsWith", u"equals", u"equalsIgnoreCase", u"getBytes",
    u"indexOf", u"lastIndexOf", u"length", u"replace", u"setCharAt", u"substring", u"toCharArray", u"toInt",
    u"Keyboard", u"Mouse", u"press", u"release", u"accept", u"click", u"move", u"isPressed",
};
static_assert(std::size(BuiltInWords) == 108);

} // namespace

TCodeArduHighlighter::TCodeArduHighlighter(TComponent* AOwner)
    : TCodeCppHighlighter(AOwner), FArduinoKeywords(std::make_unique<TStringList>()) {
    for (const char16_t* W : BuiltInWords)
        FArduinoKeywords->Add(W);
    WordsChanged();
    FArduinoKeywords->OnChange = [this](TObject*) { WordsChanged(); };
    FArduinoAttri = new TCodeHighlighterAttributes(u"Arduino", u"Arduino");
    AddAttribute(FArduinoAttri);
    SetAttributesOnChange([this](TObject* Sender) { DefHighlightChange(Sender); });
}

TCodeArduHighlighter::~TCodeArduHighlighter() {
    FArduinoKeywords->OnChange = nullptr;
}

void TCodeArduHighlighter::Published(TPublisher<TCodeArduHighlighter>& P) {
    using H = TCodeArduHighlighter;
    P.Property(u"ArduinoAttri", &H::ArduinoAttri,
               [](H* X, TCodeHighlighterAttributes* V) { X->ArduinoAttri()->Assign(V); });
    P.Property(u"ArduinoKeywords", &H::ArduinoKeywords, &H::SetArduinoKeywords);
}

void TCodeArduHighlighter::WordsChanged() {
    FWordsByLength.clear();
    for (int I = 0; I < FArduinoKeywords->Count(); ++I) {
        const String W = FArduinoKeywords->Strings(I);
        if (W.empty()) continue;
        if (FWordsByLength.size() <= W.size()) FWordsByLength.resize(W.size() + 1);
        FWordsByLength[W.size()].push_back(W);
    }
}

TCodeHighlighterAttributes* TCodeArduHighlighter::GetDefaultAttribute(int Index) const {
    return Index == 6 ? FArduinoAttri : TCodeCppHighlighter::GetDefaultAttribute(Index);
}

TCodeHighlighterAttributes* TCodeArduHighlighter::ExtraAttribute(int Kind) const {
    return Kind == tkArduino ? FArduinoAttri : nullptr;
}

int TCodeArduHighlighter::IdentKind() {
    HashKey(Run);
    if (static_cast<size_t>(FStringLen) < FWordsByLength.size())
        for (const String& W : FWordsByLength[static_cast<size_t>(FStringLen)])
            if (IsCurrentToken(W)) return tkArduino;
    return TCodeCppHighlighter::IdentKind();
}
