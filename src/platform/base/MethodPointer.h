#pragma once
// TMethodPointer: an object's method bound to that object, called like an event handler, and
// comparable by its two parts, the object and the method, so that a list of handlers can find a
// handler again to remove it (two bindings of the same method to the same object are equal).

#include <array>
#include <cstring>
#include <functional>
#include <type_traits>
#include <utility>

template <class Sig> class TMethodPointer;

template <class R, class... Args> class TMethodPointer<R(Args...)> {
public:
    TMethodPointer() = default;

    // Object->Method(Args...).
    template <class T, class M>
    requires std::is_member_function_pointer_v<M> TMethodPointer(T* Object, M Method)
        : FObject(Object), FCode(CodeOf(Method)), FFunction([Object, Method](Args... A) -> R {
              return std::invoke(Method, Object, std::forward<Args>(A)...);
          }) {}

    // A plain function: no object, the function is the code.
    explicit TMethodPointer(R (*Function)(Args...)) : FCode(CodeOf(Function)), FFunction(Function) {}

    R operator()(Args... A) const { return FFunction(std::forward<Args>(A)...); }
    explicit operator bool() const { return static_cast<bool>(FFunction); }
    const void* Object() const { return FObject; }

    friend bool operator==(const TMethodPointer& A, const TMethodPointer& B) {
        return A.FObject == B.FObject && A.FCode == B.FCode;
    }

private:
    // Room for a member-function pointer (a code address and an adjustment).
    using TCode = std::array<unsigned char, 2 * sizeof(void*)>;

    const void* FObject = nullptr;
    TCode FCode{};
    std::function<R(Args...)> FFunction;

    template <class P> static TCode CodeOf(P Pointer) {
        static_assert(sizeof(P) <= sizeof(TCode), "a method pointer larger than two words");
        TCode Code{};
        std::memcpy(Code.data(), &Pointer, sizeof(P));
        return Code;
    }
};
