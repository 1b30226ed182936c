#pragma once
// The main window as the entry point makes it, in a test folder of its own, with the files the
// editor tabs read beside the program and sketches written into the test's folder.

#include "ide/Main.h"
#include "ide/Options.h"

#include "platform/gui/Questions.h"

#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

struct TEditorFixture : ::testing::Test {
    TTempFolder Temp;
    TTestProgramFolder Program{Temp.Path()};
    std::unique_ptr<TfrmDM> DM;
    std::unique_ptr<TfrmMain> Main;
    std::unique_ptr<TfrmOptions> Options;

    // The templates file every frame and the Templates tab read.
    std::string TemplatesText = "[forl|for loop]\nfor (int i = 0; i < |; i++) {\n}\n[wh|while]\nwhile (|) {\n}\n";

    void SetUp() override { WriteBeside(".templates", TemplatesText); }
    void TearDown() override { Stop(); }

    void WriteBeside(const std::string& Extension, const std::string& Bytes) {
        WriteBytes(StringToUtf8(Program / ("test_ide" + Extension)), Bytes);
    }
    std::string Beside(const std::string& Extension) {
        return StringToUtf8(ChangeFileExt(ProgramFile(), Utf8ToString(Extension)));
    }
    void Start() {
        DM = std::make_unique<TfrmDM>(nullptr);
        frmDM = DM.get();
        Main = std::make_unique<TfrmMain>(nullptr);
        frmMain = Main.get();
        Options = std::make_unique<TfrmOptions>(nullptr);
        frmOptions = Options.get();
        Options->edPathToProjects->SetText(Temp.Dir());
        Options->edPathToArduino->SetText(u"/usr/share/arduino");
    }
    void Stop() {
        Options.reset();
        Main.reset();
        DM.reset();
        frmOptions = nullptr;
        frmMain = nullptr;
        frmDM = nullptr;
    }
    // A file in the test's folder (sub-folders made as needed).
    String Sketch(const std::string& Name, const std::string& Bytes) {
        const std::string Path = Temp.Sys(Name);
        std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
        WriteBytes(Path, Bytes);
        return Utf8ToString(Path);
    }
    TfrmEditor* Open(const String& FileName, tTabKind Kind = tkSketches) {
        return Main->OpenFileInTab(FileName, ntFileSrc, Kind, false);
    }
};

// Every source file of Debian's Arduino examples.
inline std::vector<std::string> ArduinoExampleSources() {
    std::vector<std::string> Files;
    const std::filesystem::path Root = "/usr/share/arduino/examples";
    if (!std::filesystem::exists(Root)) return Files;
    for (const auto& E : std::filesystem::recursive_directory_iterator(Root)) {
        const std::string Ext = E.path().extension();
        if (E.is_regular_file() && (Ext == ".ino" || Ext == ".pde" || Ext == ".h" || Ext == ".cpp" || Ext == ".c"))
            Files.push_back(E.path());
    }
    std::sort(Files.begin(), Files.end());
    return Files;
}
