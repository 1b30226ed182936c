#pragma once
// Version records: what the platform the programs come from keeps as a program file's version
// resource. The build embeds one in each of our programs, in the same block layout (a
// VS_VERSIONINFO tree: fixed file information, string tables, translations), in an ELF section
// of its own; readers find that section through the file's section headers.

#include "platform/base/Types.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The section that holds a program's version record.
#define VERSION_RECORD_SECTION ".morvane.version"

struct TVersionRecordString {
    std::u16string_view Key;
    std::u16string_view Value;
};

struct TVersionRecordContents {
    std::array<Word, 4> FileVersion{}; // major, minor, release, build
    std::array<Word, 4> ProductVersion{};
    Cardinal FileFlagsMask = 0x3F;
    Cardinal FileFlags = 0;
    Cardinal FileOS = 0;
    Cardinal FileType = 1; // an application
    Cardinal FileSubtype = 0;
    Word Language = 0x0409;
    Word CodePage = 1200;
    std::span<const TVersionRecordString> Strings; // one string table, in this order
};

namespace VersionRecordDetail {

constexpr void Put16(std::vector<Byte>& B, Word V) {
    B.push_back(static_cast<Byte>(V & 0xFF));
    B.push_back(static_cast<Byte>(V >> 8));
}

constexpr void Put32(std::vector<Byte>& B, Cardinal V) {
    Put16(B, static_cast<Word>(V & 0xFFFF));
    Put16(B, static_cast<Word>(V >> 16));
}

constexpr void Align(std::vector<Byte>& B) {
    while (B.size() % 4 != 0)
        B.push_back(0);
}

constexpr void PutText(std::vector<Byte>& B, std::u16string_view S) {
    for (char16_t C : S)
        Put16(B, C);
    Put16(B, 0);
}

// A block's header; its length is filled in by End once the block is complete.
constexpr size_t Begin(std::vector<Byte>& B, Word ValueLength, Word Type, std::u16string_view Key) {
    Align(B);
    const size_t Start = B.size();
    Put16(B, 0);
    Put16(B, ValueLength);
    Put16(B, Type);
    PutText(B, Key);
    Align(B);
    return Start;
}

constexpr void End(std::vector<Byte>& B, size_t Start) {
    const size_t Length = B.size() - Start;
    B[Start] = static_cast<Byte>(Length & 0xFF);
    B[Start + 1] = static_cast<Byte>(Length >> 8);
}

constexpr char16_t HexDigit(unsigned V) {
    return static_cast<char16_t>(V < 10 ? u'0' + V : u'A' + V - 10);
}

} // namespace VersionRecordDetail

// The record's bytes. Usable at compile time, so that a program's record is a constant.
constexpr std::vector<Byte> BuildVersionRecord(const TVersionRecordContents& Contents) {
    using namespace VersionRecordDetail;
    std::vector<Byte> B;
    const size_t Root = Begin(B, 52, 0, u"VS_VERSION_INFO");
    Put32(B, 0xFEEF04BD);
    Put32(B, 0x00010000);
    Put32(B, Cardinal(Contents.FileVersion[0]) << 16 | Contents.FileVersion[1]);
    Put32(B, Cardinal(Contents.FileVersion[2]) << 16 | Contents.FileVersion[3]);
    Put32(B, Cardinal(Contents.ProductVersion[0]) << 16 | Contents.ProductVersion[1]);
    Put32(B, Cardinal(Contents.ProductVersion[2]) << 16 | Contents.ProductVersion[3]);
    Put32(B, Contents.FileFlagsMask);
    Put32(B, Contents.FileFlags);
    Put32(B, Contents.FileOS);
    Put32(B, Contents.FileType);
    Put32(B, Contents.FileSubtype);
    Put32(B, 0); // file date
    Put32(B, 0);

    const size_t StringInfo = Begin(B, 0, 1, u"StringFileInfo");
    char16_t TableKey[8] = {};
    for (int I = 0; I < 4; ++I) {
        TableKey[I] = HexDigit((Contents.Language >> (12 - 4 * I)) & 0xF);
        TableKey[4 + I] = HexDigit((Contents.CodePage >> (12 - 4 * I)) & 0xF);
    }
    const size_t Table = Begin(B, 0, 1, std::u16string_view(TableKey, 8));
    for (const TVersionRecordString& S : Contents.Strings) {
        const size_t Entry = Begin(B, static_cast<Word>(S.Value.size() + 1), 1, S.Key);
        PutText(B, S.Value);
        End(B, Entry);
    }
    End(B, Table);
    End(B, StringInfo);

    const size_t VarInfo = Begin(B, 0, 1, u"VarFileInfo");
    const size_t Translation = Begin(B, 4, 0, u"Translation");
    Put16(B, Contents.Language);
    Put16(B, Contents.CodePage);
    End(B, Translation);
    End(B, VarInfo);
    End(B, Root);
    return B;
}

// The contents of the section Name of the ELF file FileName; nothing when the file is no ELF file,
// has no such section, or its headers do not hold together. A file that cannot be opened or read
// raises EOSError.
std::optional<AnsiString> ReadElfSection(const String& FileName, std::string_view Name);

// The version record of a program file (nothing when it has none).
std::optional<AnsiString> ReadVersionRecord(const String& FileName);
