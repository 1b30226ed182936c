#pragma once
// The basic value types that every layer above speaks in.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Char = char16_t;
using String = std::u16string;         // text: UTF-16
using StringView = std::u16string_view;
using AnsiString = std::string;        // bytes: UTF-8 or an 8-bit code page, as the caller says
using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using TBytes = std::vector<Byte>;
using TDateTime = double;              // days since 1899-12-30, time of day as the fraction
