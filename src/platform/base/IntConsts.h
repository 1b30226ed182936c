#pragma once
// The integer-constant registry: an integer type whose values have identifiers (editor commands,
// say) registers its two conversions here, so that whatever writes and reads properties of that
// type by name can write a value as its identifier and read the identifier back. A value without
// an identifier is written as a number.

#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

#include <functional>

using TIdentToInt = std::function<bool(const String& Ident, int& Int)>;
using TIntToIdent = std::function<bool(int Int, String& Ident)>;

// The latest registration for a type is the one found.
void RegisterIntegerConsts(const TTypeInfo* IntegerType, TIdentToInt IdentToInt, TIntToIdent IntToIdent);
// Empty when nothing is registered for the type.
TIdentToInt FindIdentToInt(const TTypeInfo* IntegerType);
TIntToIdent FindIntToIdent(const TTypeInfo* IntegerType);
