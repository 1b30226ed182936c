#pragma once
// The one way to run clean-up on every path out of a scope, an exception included:
//
//   Screen->SetCursor(crHourGlass);
//   TScopeExit RestoreCursor([&] { Screen->SetCursor(OldCursor); });
//
//   TFlagScope Busy(FInKeyDown);            // true now, false again when the scope ends
//   TValueScope Keep(FState, stReading);    // a value for the scope, the old one afterwards
//   TUpdateBracket Update(*Tree);           // BeginUpdate now, EndUpdate when the scope ends
//
// A clean-up that raises while another exception unwinds the stack would end the program; the
// guard then swallows the second exception, so the first one is the one that reaches the user.

#include <exception>
#include <utility>

template <class F> class TScopeExit {
public:
    explicit TScopeExit(F AFn) : FFn(std::move(AFn)), FExceptions(std::uncaught_exceptions()) {}
    ~TScopeExit() noexcept(false) {
        if (!FActive) return;
        if (std::uncaught_exceptions() > FExceptions) {
            try {
                FFn();
            } catch (...) {
            }
        } else {
            FFn();
        }
    }
    // The clean-up is not wanted after all (the work succeeded and keeps its result).
    void Release() noexcept { FActive = false; }

    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FFn;
    int FExceptions;
    bool FActive = true;
};

// A flag (or any variable) holds a value for the length of a scope and then the one it had before.
template <class T> class TValueScope {
public:
    TValueScope(T& AVariable, T AValue) : FVariable(AVariable), FOld(std::move(AVariable)) {
        FVariable = std::move(AValue);
    }
    ~TValueScope() { FVariable = std::move(FOld); }
    TValueScope(const TValueScope&) = delete;
    TValueScope& operator=(const TValueScope&) = delete;

private:
    T& FVariable;
    T FOld;
};

// A re-entry flag: true for the length of the scope, false again afterwards.
class TFlagScope {
public:
    explicit TFlagScope(bool& AFlag) : FFlag(AFlag) { FFlag = true; }
    ~TFlagScope() { FFlag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
};

// BeginUpdate now, EndUpdate when the scope ends (for other pairs, a TScopeExit).
template <class T> class TUpdateBracket {
public:
    explicit TUpdateBracket(T& AObject) : FObject(AObject) { FObject.BeginUpdate(); }
    ~TUpdateBracket() noexcept(false) {
        if (std::uncaught_exceptions() > FExceptions) {
            try {
                FObject.EndUpdate();
            } catch (...) {
            }
        } else {
            FObject.EndUpdate();
        }
    }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    T& FObject;
    int FExceptions = std::uncaught_exceptions();
};
