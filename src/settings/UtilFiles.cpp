#include "settings/UtilFiles.h"

#include "platform/base/CharTypes.h"
#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Strings.h"

#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

bool IsAsciiLetter(Char C) {
    return (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z');
}

// A share name: up to the next delimiter or the end, none of the forbidden characters.
bool IsShareName(const String& Path, size_t Start) {
    static const String Forbidden = u"\"'*+,/:;<=>?[]|";
    size_t I = Start;
    for (; I < Path.size() && Path[I] != PathDelim; ++I)
        if (Forbidden.find(Path[I]) != String::npos) return false;
    return I > Start;
}

} // namespace

String EnsureTrailingBackslash(const String& Path) {
    return IncludeTrailingPathDelimiter(Path);
}

String StripTrailingBackslash(const String& Path) {
    return ExcludeTrailingPathDelimiter(Path);
}

String AddDefaultExtension(const String& Path, const String& Extension) {
    if (Path.empty() || Extension.empty()) return Path;
    const String Ext = Extension[0] == u'.' ? Extension : u"." + Extension;
    if (SameText(ExtractFileExt(Path), Ext)) return Path;
    const String Base = Path.back() == u'.' ? Path.substr(0, Path.size() - 1) : Path;
    return Base + Ext;
}

bool IsUncPath(const String& Path) {
    if (Path.size() < 2 || Path[0] != PathDelim || Path[1] != PathDelim) return false;
    // The long form: //?/UNC/server...
    static const String LongForm = String(2, PathDelim) + u"?" + PathDelim + u"UNC";
    if (StartsStr(LongForm, Path))
        return Path.size() > LongForm.size() && Path[LongForm.size()] == PathDelim &&
               IsShareName(Path, LongForm.size() + 1);
    size_t I = 2;
    const size_t ServerStart = I;
    while (I < Path.size() && Path[I] != PathDelim) {
        const Char C = Path[I];
        if (!IsAsciiLetter(C) && !(GetCharType(C) & C1_DIGIT) && C != u'-' && C != u'.' && C != u'_')
            return false;
        ++I;
    }
    if (I == ServerStart || I == Path.size()) return false;
    return IsShareName(Path, I + 1);
}

bool IsAbsolutePath(const String& Path) {
    if (Path.empty()) return false;
    return IsUncPath(Path) || Path[0] == PathDelim;
}

bool FileExistsNotFolder(const String& Name) {
    return !Name.empty() && FileExists(Name);
}

String WindowsFolder() {
    return String();
}

String TempFolder() {
    return StripTrailingBackslash(GetTempDir());
}

String UserAppDataFolder() {
    return GetAppDataDir();
}

String SpecialFolderPath(int FolderId) {
    return FolderId == CSIDL_APPDATA ? UserAppDataFolder() : String();
}

String GuidToText(const TGUID& Guid) {
    String Text = Format(u"{%.8x-%.4x-%.4x-%.2x%.2x-%.2x%.2x%.2x%.2x%.2x%.2x}",
                         {Guid.D1, Guid.D2, Guid.D3, Guid.D4[0], Guid.D4[1], Guid.D4[2], Guid.D4[3],
                          Guid.D4[4], Guid.D4[5], Guid.D4[6], Guid.D4[7]});
    return LowerCase(Text);
}

void CopyChars(const String& Source, int SourceIndex, String& Dest, int Count, int DestIndex) {
    if (Count <= 0) return;
    const size_t From = static_cast<size_t>(SourceIndex), To = static_cast<size_t>(DestIndex);
    const size_t N = std::min(static_cast<size_t>(Count), From < Source.size() ? Source.size() - From : 0);
    if (Dest.size() < To + N) Dest.resize(To + N);
    Source.copy(Dest.data() + To, N, From);
}

void ClearMemoryBlock(void* Buffer, int Size) {
    if (Size > 0) std::memset(Buffer, 0, static_cast<size_t>(Size));
}

int WindowsVersion() {
    return 0;
}

const TUtilSystemInfo& SystemInfo() {
    static const TUtilSystemInfo Info = [] {
        TUtilSystemInfo I;
        I.ProcessorCount = static_cast<int>(std::thread::hardware_concurrency());
        I.PageSize = static_cast<int>(::sysconf(_SC_PAGESIZE));
        I.AllocationGranularity = I.PageSize;
        return I;
    }();
    return Info;
}
