#include "dataaware/foundation/daRegex.h"

#include "regex/RegexEngine.h"

#include <memory>

namespace {

// The expression wrapped so that it must cover the whole text: its own groups move up by one,
// and so do its back-references (\1 becomes \2); outside a class only.
String WholeTextPattern(const String& Pattern) {
    String R = u"^(";
    bool InClass = false;
    for (std::size_t K = 0; K < Pattern.size(); ++K) {
        const Char C = Pattern[K];
        if (C == u'\\' && K + 1 < Pattern.size()) {
            const Char Next = Pattern[K + 1];
            R += C;
            if (!InClass && Next >= u'1' && Next <= u'8')
                R += Char(Next + 1);
            else
                R += Next;
            ++K;
            continue;
        }
        if (C == u'[')
            InClass = true;
        else if (C == u']')
            InClass = false;
        R += C;
    }
    return R + u")$";
}

// The last expression compiled, kept for the next check (a mask is checked at every key).
struct TCompiled {
    std::unique_ptr<TRegexEngine> Engine;
    String Pattern;
    bool IgnoreCase = false;
};

TCompiled& Cache() {
    static TCompiled C;
    return C;
}

TRegexEngine* EngineFor(const String& Pattern, bool IgnoreCase) {
    TCompiled& C = Cache();
    if (C.Engine && C.Pattern == Pattern && C.IgnoreCase == IgnoreCase) return C.Engine.get();
    C.Engine.reset();
    auto E = std::make_unique<TRegexEngine>();
    E->SetModifierI(IgnoreCase);
    E->SetModifierM(false);
    E->SetModifierS(false);
    E->SetExpression(WholeTextPattern(Pattern));
    E->Compile();
    C.Engine = std::move(E);
    C.Pattern = Pattern;
    C.IgnoreCase = IgnoreCase;
    return C.Engine.get();
}

} // namespace

bool daLoadRegexLibrary() {
    return true;
}

void daFreeRegexLibrary() {
    Cache() = TCompiled{};
}

bool viDovedMatch(const String& Pattern, bool IgnoreCase, const String& Text) {
    if (Text.empty()) return true;
    if (Pattern.empty()) return false;
    try {
        return EngineFor(Pattern, IgnoreCase)->Exec(Text);
    } catch (const ERegexEngine&) {
        return false;
    }
}

bool viDovedSyntaxValid(const String& Pattern) {
    if (Pattern.empty()) return false;
    try {
        TRegexEngine E;
        E.SetExpression(Pattern);
        E.Compile();
        return true;
    } catch (const ERegexEngine&) {
        return false;
    }
}
