#include "platform/base/IntConsts.h"

#include <mutex>
#include <vector>

namespace {

struct TIntConst {
    const TTypeInfo* IntegerType;
    TIdentToInt IdentToInt;
    TIntToIdent IntToIdent;
};

struct TIntConstRegistry {
    std::mutex Lock;
    std::vector<TIntConst> List;
};

TIntConstRegistry& Registry() {
    static TIntConstRegistry R;
    return R;
}

template <class F> F Find(const TTypeInfo* IntegerType, F TIntConst::*Member) {
    TIntConstRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    for (auto It = R.List.rbegin(); It != R.List.rend(); ++It)
        if (It->IntegerType == IntegerType) return (*It).*Member;
    return F();
}

} // namespace

void RegisterIntegerConsts(const TTypeInfo* IntegerType, TIdentToInt IdentToInt, TIntToIdent IntToIdent) {
    TIntConstRegistry& R = Registry();
    std::lock_guard Guard(R.Lock);
    R.List.push_back({IntegerType, std::move(IdentToInt), std::move(IntToIdent)});
}

TIdentToInt FindIdentToInt(const TTypeInfo* IntegerType) {
    return Find(IntegerType, &TIntConst::IdentToInt);
}

TIntToIdent FindIntToIdent(const TTypeInfo* IntegerType) {
    return Find(IntegerType, &TIntConst::IntToIdent);
}
