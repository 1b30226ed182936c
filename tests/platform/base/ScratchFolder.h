#pragma once
// A temporary folder for one test, removed with everything in it at the end.

#include "platform/base/Strings.h"
#include "platform/base/Types.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

class TScratchFolder {
public:
    TScratchFolder() {
        const char* Tmp = std::getenv("TMPDIR");
        std::string Pattern = std::string(Tmp && *Tmp ? Tmp : "/tmp") + "/morvane-test-XXXXXX";
        if (!mkdtemp(Pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = Pattern;
    }
    ~TScratchFolder() {
        std::error_code Ignored;
        std::filesystem::remove_all(FPath, Ignored);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // The full name of a file in the folder, as the library takes it.
    String File(const std::string& Name) const { return Utf8ToString((FPath / Name).string()); }

    static TBytes ReadBytes(const String& FileName) {
        std::ifstream In(StringToUtf8(FileName), std::ios::binary);
        return TBytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    }
    static void WriteBytes(const String& FileName, const TBytes& Bytes) {
        std::ofstream Out(StringToUtf8(FileName), std::ios::binary | std::ios::trunc);
        Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
    }

private:
    std::filesystem::path FPath;
};

inline TBytes BytesOf(std::string_view S) {
    return TBytes(S.begin(), S.end());
}
