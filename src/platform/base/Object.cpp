#include "platform/base/Object.h"

#include "platform/base/Component.h"
#include "platform/base/Strings.h"

#include <algorithm>
#include <map>

TClassInfo::TClassInfo(const char16_t* AName, TClass AParent, TNewObjectProc ANewObject,
                       TNewComponentProc ANewComponent, TPublishProc APublish)
    : FParent(AParent), FNewObject(ANewObject), FNewComponent(ANewComponent), FPublish(APublish) {
    FTypeInfo.Kind = tkClass;
    FTypeInfo.Name = AName;
    FTypeInfo.ClassType = this;
}

TClassInfo::~TClassInfo() = default;

bool TClassInfo::InheritsFrom(TClass AClass) const {
    for (TClass C = this; C; C = C->FParent)
        if (C == AClass) return true;
    return false;
}

TObject* TClassInfo::Create() const {
    if (FNewObject) return FNewObject();
    if (FNewComponent) return FNewComponent(nullptr);
    throw EInvalidOperation(u"Cannot create an instance of " + ClassName());
}

TComponent* TClassInfo::Create(TComponent* AOwner) const {
    if (!FNewComponent)
        throw EInvalidOperation(u"Cannot create an instance of " + ClassName() + u" with an owner");
    return FNewComponent(AOwner);
}

const std::vector<const TPropInfo*>& TClassInfo::PropList() const {
    std::call_once(FPropsBuilt, [this] {
        FOwnProps.clear();
        FAllProps.clear();
        FOwnMethods.clear();
        if (FParent) FAllProps = FParent->PropList();
        if (FPublish) {
            TypeInfoDetail::TPublishTarget Target{FOwnProps, this, &FOwnMethods};
            FPublish(Target);
        }
        // A property published again by a descendant (with its own default, say) keeps the
        // place of the inherited one.
        for (const auto& Own : FOwnProps) {
            auto It = std::find_if(FAllProps.begin(), FAllProps.end(),
                                   [&](const TPropInfo* P) { return SameText(P->Name, Own->Name); });
            if (It != FAllProps.end())
                *It = Own.get();
            else
                FAllProps.push_back(Own.get());
        }
    });
    return FAllProps;
}

const std::vector<std::unique_ptr<TypeInfoDetail::TMethodInfo>>& TClassInfo::OwnMethods() const {
    PropList();
    return FOwnMethods;
}

const TypeInfoDetail::TMethodInfo* MethodAddress(TClass AClass, const String& Name) {
    for (TClass C = AClass; C; C = C->ClassParent())
        for (const auto& M : C->OwnMethods())
            if (SameText(M->Name, Name)) return M.get();
    return nullptr;
}

const TypeInfoDetail::TMethodInfo* MethodAddress(const TObject* Instance, const String& Name) {
    return Instance ? MethodAddress(Instance->ClassType(), Name) : nullptr;
}

TObject::~TObject() = default;

TClass TObject::StaticClass() {
    static const TClassInfo Info(
        u"TObject", nullptr, []() { return new TObject(); }, nullptr, nullptr);
    return &Info;
}

namespace {

struct TRegistry {
    std::mutex Lock;
    std::map<String, TClass> Classes; // by upper-cased name
};

TRegistry& Registry() {
    static TRegistry R;
    return R;
}

} // namespace

void RegisterClass(TClass AClass) {
    if (!AClass) return;
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    auto [It, Inserted] = R.Classes.emplace(UpperCase(AClass->ClassName()), AClass);
    if (!Inserted && It->second != AClass)
        throw EFilerError(u"A class named " + AClass->ClassName() + u" already exists");
}

TClass GetClass(const String& ClassName) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> Guard(R.Lock);
    auto It = R.Classes.find(UpperCase(ClassName));
    return It == R.Classes.end() ? nullptr : It->second;
}

TClass FindClass(const String& ClassName) {
    TClass C = GetClass(ClassName);
    if (!C) throw EClassNotFound(u"Class " + ClassName + u" not found");
    return C;
}
