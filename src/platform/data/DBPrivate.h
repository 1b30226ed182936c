#pragma once
// Helpers that the data library's own files share.

#include "platform/base/Strings.h"
#include "platform/data/DB.h"

namespace DBDetail {

[[noreturn]] inline void DatabaseError(const String& Msg, const TComponent* Component = nullptr) {
    if (Component && !Component->Name().empty()) throw EDatabaseError(Component->Name() + u": " + Msg);
    throw EDatabaseError(Msg);
}

inline std::vector<String> SplitNames(const String& Names) {
    std::vector<String> Result;
    size_t Start = 0;
    while (Start <= Names.size()) {
        size_t End = Names.find(u';', Start);
        if (End == String::npos) End = Names.size();
        String Name = Trim(Names.substr(Start, End - Start));
        if (!Name.empty()) Result.push_back(Name);
        Start = End + 1;
    }
    return Result;
}

// Blob bytes travel in a Variant as text with one code unit per byte.
inline String BytesToVariantText(const TBytes& Bytes) {
    return String(Bytes.begin(), Bytes.end());
}
inline TBytes VariantTextToBytes(const String& Text) {
    TBytes Result(Text.size());
    for (size_t I = 0; I < Text.size(); ++I)
        Result[I] = Byte(Text[I]);
    return Result;
}

} // namespace DBDetail
