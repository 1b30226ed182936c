#pragma once
// What the settings-store tests share: a store on a file in a temporary folder, and the file's
// lines as the store wrote them.

#include "settings/KitAppIniStorage.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using TStorePtr = std::unique_ptr<TKitAppIniFileStorage>;

// A store that reads and writes File (a full path).
inline TStorePtr NewStore(const String& File) {
    auto Store = std::make_unique<TKitAppIniFileStorage>(nullptr);
    Store->SetLocation(flCustom);
    Store->SetFileName(File);
    return Store;
}

// The file's lines, split at CR LF; every line of a store's file must end with CR LF.
inline std::vector<std::string> FileLines(const String& File) {
    const std::string Bytes = ReadBytes(StringToUtf8(File));
    std::vector<std::string> Lines;
    size_t Start = 0;
    while (Start < Bytes.size()) {
        const size_t End = Bytes.find("\r\n", Start);
        if (End == std::string::npos) {
            Lines.push_back(Bytes.substr(Start) + "<no CR LF>");
            break;
        }
        Lines.push_back(Bytes.substr(Start, End - Start));
        Start = End + 2;
    }
    return Lines;
}

inline bool HasLine(const String& File, const std::string& Line) {
    const auto Lines = FileLines(File);
    return std::find(Lines.begin(), Lines.end(), Line) != Lines.end();
}

// A store on a fresh file in a temporary folder, and a second store that reads what it wrote.
class TStoreTest : public ::testing::Test {
protected:
    TTempFolder Temp;
    String File = Temp / "settings.ini";
    TStorePtr Store = NewStore(File);

    TStorePtr Reopen() {
        Store->Flush();
        return NewStore(File);
    }
};
