#pragma once
// The root of the class hierarchy, with class information: each class that says
// DECLARE_CLASS(TFoo, TParent) has one TClassInfo record (name, parent, factory, published
// properties), reached through TFoo::StaticClass() or Instance->ClassType(). Classes can be
// registered and then found and created by name.

#include "platform/base/Exceptions.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

class TComponent;

DECLARE_EXCEPTION(EClassNotFound, EFilerError)

class TObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TClassInfo {
public:
    using TNewObjectProc = TObject* (*)();
    using TNewComponentProc = TComponent* (*)(TComponent* AOwner);
    using TPublishProc = void (*)(TypeInfoDetail::TPublishTarget& Target);

    TClassInfo(const char16_t* AName, TClass AParent, TNewObjectProc ANewObject,
               TNewComponentProc ANewComponent, TPublishProc APublish);
    ~TClassInfo();
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const String& ClassName() const { return FTypeInfo.Name; }
    TClass ClassParent() const { return FParent; }
    // True for the class itself and for its descendants.
    bool InheritsFrom(TClass AClass) const;
    // The record of an object reference to this class (kind tkClass).
    const TTypeInfo* ClassTypeInfo() const { return &FTypeInfo; }

    // A new instance of a class that can be made without arguments (components get no owner).
    // Abstract classes and classes without such a constructor raise EInvalidOperation.
    TObject* Create() const;
    // A new component owned by AOwner; raises EInvalidOperation for any other class.
    TComponent* Create(TComponent* AOwner) const;

    // Published properties, inherited first; built on first use.
    const std::vector<const TPropInfo*>& PropList() const;
    // Methods this class itself publishes (built with the properties).
    const std::vector<std::unique_ptr<TypeInfoDetail::TMethodInfo>>& OwnMethods() const;

private:
    TClass FParent;
    TNewObjectProc FNewObject;
    TNewComponentProc FNewComponent;
    TPublishProc FPublish;
    TTypeInfo FTypeInfo;
    mutable std::once_flag FPropsBuilt;
    mutable std::vector<std::unique_ptr<TPropInfo>> FOwnProps;
    mutable std::vector<const TPropInfo*> FAllProps;
    mutable std::vector<std::unique_ptr<TypeInfoDetail::TMethodInfo>> FOwnMethods;
};

namespace ClassDetail {

template <class T> constexpr TClassInfo::TNewObjectProc NewObjectProc() {
    if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>)
        return []() -> TObject* { return new T(); };
    else
        return nullptr;
}

template <class T> constexpr TClassInfo::TNewComponentProc NewComponentProc() {
    if constexpr (!std::is_abstract_v<T> && std::is_base_of_v<TComponent, T> &&
                  std::is_constructible_v<T, TComponent*>)
        return [](TComponent* AOwner) -> TComponent* { return new T(AOwner); };
    else
        return nullptr;
}

} // namespace ClassDetail

// Put first in the body of every class that has class information:
//   class TFoo : public TComponent {
//       DECLARE_CLASS(TFoo, TComponent)
//   public: ...
// It leaves the access at private, the default of a class body.
#define DECLARE_CLASS(ClassT, ParentT)                                                                       \
public:                                                                                                      \
    static TClass StaticClass() {                                                                            \
        static_assert(std::is_base_of_v<ParentT, ClassT>, #ClassT " does not derive from " #ParentT);        \
        static const ::TClassInfo Info(                                                                      \
            u"" #ClassT, ParentT::StaticClass(), ::ClassDetail::NewObjectProc<ClassT>(),                     \
            ::ClassDetail::NewComponentProc<ClassT>(), [](::TypeInfoDetail::TPublishTarget& Target) {        \
                [&](auto Type) {                                                                             \
                    using C = typename decltype(Type)::type;                                                 \
                    if constexpr (requires(::TPublisher<C> & P) { C::Published(P); }) {                      \
                        ::TPublisher<C> P(Target);                                                           \
                        C::Published(P);                                                                     \
                    }                                                                                        \
                }(std::type_identity<ClassT>{});                                                             \
            });                                                                                              \
        return &Info;                                                                                        \
    }                                                                                                        \
    TClass ClassType() const override {                                                                      \
        return StaticClass();                                                                                \
    }                                                                                                        \
                                                                                                             \
private:

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject();

    static TClass StaticClass();
    virtual TClass ClassType() const { return StaticClass(); }
    const String& ClassName() const { return ClassType()->ClassName(); }
    TClass ClassParent() const { return ClassType()->ClassParent(); }
    bool InheritsFrom(TClass AClass) const { return ClassType()->InheritsFrom(AClass); }
};

// The class registry. Names are compared without regard to case. Registering a class again
// does nothing; another class of a registered name raises EFilerError.
void RegisterClass(TClass AClass);
// Raises EClassNotFound "Class %s not found".
TClass FindClass(const String& ClassName);
// Null when no class of that name is registered.
TClass GetClass(const String& ClassName);

// Registers the classes of this library (TPersistent, TComponent). Start-up calls it once;
// calling it again does nothing.
void RegisterPlatformBaseClasses();
