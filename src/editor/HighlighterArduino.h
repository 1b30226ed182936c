#pragma once
// The highlighter of sketches: the C and C++ highlighter with one more word class, the names
// of the sketch core library (functions, types and objects), shown in an attribute of their own.

#include "editor/HighlighterCpp.h"

namespace HighlighterArduino {
// The library words' kind, after the C and C++ kinds.
constexpr int tkArduino = HighlighterCpp::tkOctal + 1;
} // namespace HighlighterArduino

class TCodeArduHighlighter : public TCodeCppHighlighter {
    DECLARE_CLASS(TCodeArduHighlighter, TCodeCppHighlighter)
public:
    explicit TCodeArduHighlighter(TComponent* AOwner = nullptr);
    ~TCodeArduHighlighter() override;

    // 0..5 as the C and C++ highlighter; 6 the library words' attribute.
    TCodeHighlighterAttributes* GetDefaultAttribute(int Index) const override;
    String GetFriendlyLanguageName() const override { return u"ARDUINO"; }

    TCodeHighlighterAttributes* ArduinoAttri() const { return FArduinoAttri; }
    TStrings* ArduinoKeywords() const { return FArduinoKeywords.get(); }
    // Loading a stored list replaces the words.
    void SetArduinoKeywords(TStrings* Value) { FArduinoKeywords->Assign(Value); }

protected:
    // A whole identifier equal to a listed word (with the same letter cases) is a library word,
    // before the reserved words are looked at.
    int IdentKind() override;
    TCodeHighlighterAttributes* ExtraAttribute(int Kind) const override;
    std::vector<TCodeHighlighterAttributes*> ExtraAttributes() const override { return {FArduinoAttri}; }

private:
    void WordsChanged();

    TCodeHighlighterAttributes* FArduinoAttri;
    std::unique_ptr<TStringList> FArduinoKeywords;
    // The words by length, so that an identifier is compared only with words of its length.
    std::vector<std::vector<String>> FWordsByLength;

    static void Published(TPublisher<TCodeArduHighlighter>& P);
};
