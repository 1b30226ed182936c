#pragma once
// A sketchbook for runs of Debian's real Arduino builder, made at run time.
//
// Debian's AVR core does not compile with Debian's compiler as shipped: WString.cpp sizes two
// buffers with DECIMAL_DIG, which that compiler rejects. The sketchbook therefore holds a copy of
// the core under hardware/arduino/avr with fixed sizes (64 bytes, 17 digits); the builder is
// pointed at it with --pref sketchbook.path. A user with a working core needs none of this.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace ArduinoSketchbookDetail {

inline std::string Read(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

inline void Write(const std::string& Path, const std::string& Bytes) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << Bytes;
    if (!Out) throw std::runtime_error("cannot write " + Path);
}

// Replaces the first line that begins with Start (after blanks) by Replacement.
inline void ReplaceLine(std::string& Text, const std::string& Start, const std::string& Replacement) {
    std::istringstream In(Text);
    std::string Out, Line;
    bool Done = false;
    while (std::getline(In, Line)) {
        const size_t First = Line.find_first_not_of(" \t");
        if (!Done && First != std::string::npos && Line.compare(First, Start.size(), Start) == 0) {
            Line = Line.substr(0, First) + Replacement;
            Done = true;
        }
        Out += Line + "\n";
    }
    if (!Done) throw std::runtime_error("the core's WString.cpp has no line " + Start);
    Text = Out;
}

} // namespace ArduinoSketchbookDetail

inline const std::string ArduinoFolder = "/usr/share/arduino";

// Makes Sketchbook with the mended core, and the builder's preferences (no update check, this
// sketchbook) in $HOME. OneUploadAttempt: a board that never answers fails after one attempt
// instead of ten, in seconds rather than a minute.
//
// Java takes the home folder from the user's entry in the password file, not from $HOME: without
// more, every builder that a test starts shares the user's real ~/.arduino15 and ~/Arduino.
// On a fresh machine the builders of tests that run at once then race to make that folder, and
// the loser ends at once ("Arduino cannot run because it could not create a folder to store your
// settings.": it looks whether the folder is there, another makes it, its own mkdir fails). So
// the builders this process starts get $HOME as Java's home and $TMPDIR as its temporary
// folder, through JAVA_TOOL_OPTIONS, which every Java program reads.
inline void MakeArduinoSketchbook(const std::string& Sketchbook, bool OneUploadAttempt = true) {
    using namespace ArduinoSketchbookDetail;
    const std::string Core = Sketchbook + "/hardware/arduino/avr";
    std::filesystem::create_directories(Core);
    std::filesystem::copy(ArduinoFolder + "/hardware/arduino/avr", Core,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    const std::string WString = Core + "/cores/arduino/WString.cpp";
    std::string Text = Read(WString);
    ReplaceLine(Text, "size_t const String::FLT_MAX_DECIMAL_PLACES", "size_t const String::FLT_MAX_DECIMAL_PLACES = 17;");
    ReplaceLine(Text, "size_t const String::DBL_MAX_DECIMAL_PLACES", "size_t const String::DBL_MAX_DECIMAL_PLACES = 17;");
    ReplaceLine(Text, "static size_t const FLOAT_BUF_SIZE", "static size_t const FLOAT_BUF_SIZE = 64;");
    ReplaceLine(Text, "static size_t const DOUBLE_BUF_SIZE", "static size_t const DOUBLE_BUF_SIZE = 64;");
    Write(WString, Text);
    if (OneUploadAttempt) Write(Core + "/platform.local.txt", "tools.avrdude.upload.params.verbose=-v -x attempts=1\n");
    const char* Home = std::getenv("HOME");
    if (!Home) throw std::runtime_error("no HOME");
    const char* Temp = std::getenv("TMPDIR");
    std::string Options = std::string("-Duser.home=") + Home;
    if (Temp && *Temp) Options += std::string(" -Djava.io.tmpdir=") + Temp;
    // The options are split at blanks.
    if (Options.find_first_of("\t\n'\"\\", 0) != std::string::npos ||
        std::count(Options.begin(), Options.end(), ' ') != (Temp && *Temp ? 1 : 0))
        throw std::runtime_error("a home or temporary folder with blanks in its name: " + Options);
    setenv("JAVA_TOOL_OPTIONS", Options.c_str(), 1);
    std::filesystem::create_directories(std::string(Home) + "/.arduino15");
    Write(std::string(Home) + "/.arduino15/preferences.txt", "update.check=false\nsketchbook.path=" + Sketchbook + "\n");
}

// Only the loopback in this process's network namespace: the builder must not see a way off
// this machine.
inline bool InPrivateNetwork() {
    std::ifstream Devices("/proc/self/net/dev");
    std::string Line;
    int Count = 0;
    while (std::getline(Devices, Line)) {
        const size_t Colon = Line.find(':');
        if (Colon == std::string::npos) continue;
        const size_t First = Line.find_first_not_of(' ');
        if (Line.substr(First, Colon - First) != "lo") return false;
        ++Count;
    }
    return Count == 1;
}
