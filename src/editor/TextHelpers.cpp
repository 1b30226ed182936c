#include "editor/TextHelpers.h"

#include "platform/base/Strings.h"

#include <array>
#include <memory>

namespace {

constexpr Char Tab = u'\t';

// Both passes of the tab stop converters: the first finds the result length, the second fills
// it; the text after the last TAB goes over in one piece.
template <class NextStop> String ExpandTabsWith(const String& Line, bool& HasTabs, NextStop Next) {
    size_t First = Line.find(Tab);
    HasTabs = First != String::npos;
    if (!HasTabs) return Line;
    size_t Columns = 0;
    for (size_t I = 0; I < Line.size(); ++I)
        Columns = Line[I] == Tab ? Next(Columns) : Columns + 1;
    String Result;
    Result.reserve(Columns);
    size_t Copied = 0;
    for (size_t I = First; I != String::npos; I = Line.find(Tab, I + 1)) {
        Result.append(Line, Copied, I - Copied);
        Result.append(Next(Result.size()) - Result.size(), Tab);
        Copied = I + 1;
    }
    Result.append(Line, Copied, String::npos);
    return Result;
}

// Built once: the mapping of every unit, so a whole line maps at table speed.
using TCaseTable = std::array<Char, 65536>;

const TCaseTable& LowerTable() {
    static const std::unique_ptr<TCaseTable> Table = [] {
        auto T = std::make_unique<TCaseTable>();
        for (unsigned C = 0; C < 65536; ++C) {
            (*T)[C] = static_cast<Char>(C);
            if (C >= 0xD800 && C <= 0xDFFF) continue;
            if (String L = AnsiLowerCase(String(1, static_cast<Char>(C))); L.size() == 1) (*T)[C] = L[0];
        }
        return T;
    }();
    return *Table;
}

} // namespace

String ExpandTabsWidth1(const String& Line, int, bool& HasTabs) {
    HasTabs = Line.find(Tab) != String::npos;
    if (!HasTabs) return Line;
    String Result = Line;
    for (Char& C : Result)
        if (C == Tab) C = u' ';
    return Result;
}

String ExpandTabsPow2(const String& Line, int TabWidth, bool& HasTabs) {
    const size_t Mask = size_t(TabWidth) - 1;
    return ExpandTabsWith(Line, HasTabs, [Mask](size_t Column) { return (Column | Mask) + 1; });
}

String ExpandTabsAny(const String& Line, int TabWidth, bool& HasTabs) {
    const size_t Width = size_t(TabWidth < 1 ? 1 : TabWidth);
    return ExpandTabsWith(Line, HasTabs, [Width](size_t Column) { return Column + Width - Column % Width; });
}

bool IsPowerOfTwoTabWidth(int TabWidth) {
    return TabWidth >= 2 && TabWidth <= 65536 && (TabWidth & (TabWidth - 1)) == 0;
}

TConvertTabsProcEx TabExpanderWithFlagFor(int TabWidth) {
    if (TabWidth < 2) return &ExpandTabsWidth1;
    if (IsPowerOfTwoTabWidth(TabWidth)) return &ExpandTabsPow2;
    return &ExpandTabsAny;
}

Char LowerCaseChar(Char Ch) {
    return LowerTable()[Ch];
}

String LowerCaseText(const String& S) {
    const TCaseTable& Table = LowerTable();
    String Result = S;
    for (Char& C : Result)
        C = Table[C];
    return Result;
}
