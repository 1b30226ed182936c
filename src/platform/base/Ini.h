#pragma once
// INI files: the class library's TIniFile and TMemIniFile, and the system's private-profile
// calls. Files are UTF-8 (a byte-order mark is skipped on reading and kept on writing); their
// line breaks (CR LF, LF or CR) are kept, and lines we add use the file's own (LF in a new file).
//
// What stored files rely on: sections and keys are found without regard to case; of duplicate
// sections and keys the first counts; names and values are trimmed and a value may hold '=';
// ';' lines are comments. A change rewrites only the line it touches (a new key goes after the
// last key of its section, a new section at the end of the file), keeps everything else as it
// was, and replaces the file whole (written beside it, then renamed), so no failure leaves it
// half written. A missing file reads as empty and is created on the first write; a missing
// folder is not created (the write fails). A line break in a name or value would split the
// line: only the text before it is written.
//
// The private-profile calls and TIniFile read and write through to the file on every call.
// A file is parsed once and the parse reused while its size, modification time and inode stay
// the same, so many reads cost little; changes by other processes are seen on the next call
// (a rewrite in place to the same size within one tick of the file system's clock is the one
// change that can go unseen; replacing writers, ours included, always change the inode).
// Writes are serialised among threads and, by a lock on the folder, among processes.
// File names without a folder are relative to the current folder (the program folder, where
// the programs run).

#include "platform/base/Exceptions.h"
#include "platform/base/Object.h"
#include "platform/base/Types.h"

#include <memory>
#include <optional>

DECLARE_EXCEPTION(EIniFileException, Exception)

class TIniDocument;
class TStrings;

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const String& FileName) : FFileName(FileName) {}

    const String& FileName() const { return FFileName; }

    virtual String ReadString(const String& Section, const String& Ident, const String& Default) const = 0;
    virtual void WriteString(const String& Section, const String& Ident, const String& Value) = 0;
    // Decimal, or hexadecimal after "$" or "0x" (up to 32 bits, so "$FF000005" is negative);
    // anything else, or a number out of range, gives Default.
    virtual int ReadInteger(const String& Section, const String& Ident, int Default) const;
    virtual void WriteInteger(const String& Section, const String& Ident, int Value);
    // Integer text other than 0 is true; "1"/"0" are written.
    virtual bool ReadBool(const String& Section, const String& Ident, bool Default) const;
    virtual void WriteBool(const String& Section, const String& Ident, bool Value);
    // "." is the decimal separator; written with 15 significant digits ("0.1", "1.5E-7").
    virtual double ReadFloat(const String& Section, const String& Ident, double Default) const;
    virtual void WriteFloat(const String& Section, const String& Ident, double Value);

    // A section exists when it has at least one key, as in the class library.
    virtual bool SectionExists(const String& Section) const;
    virtual bool ValueExists(const String& Section, const String& Ident) const;
    // Names in file order, each once. (TStrings overloads will fill a list from these.)
    virtual std::vector<String> ReadSectionNames() const = 0;
    virtual std::vector<String> ReadSectionKeys(const String& Section) const = 0;
    // "key=value" for each key, the value as ReadString gives it.
    virtual std::vector<String> ReadSectionValues(const String& Section) const;
    // The same into a list, which is cleared first.
    void ReadSections(TStrings* Strings) const;
    void ReadSection(const String& Section, TStrings* Strings) const;
    void ReadSectionValues(const String& Section, TStrings* Strings) const;
    virtual void EraseSection(const String& Section) = 0;
    virtual void DeleteKey(const String& Section, const String& Ident) = 0;
    virtual void UpdateFile() = 0;

private:
    String FFileName;
};

// Every call goes to the file. Surrounding double quotes of a value are removed on reading, as
// the profile calls do. A failed write raises EIniFileException "Unable to write to <file>".
class TIniFile : public TCustomIniFile {
public:
    using TCustomIniFile::TCustomIniFile;

    String ReadString(const String& Section, const String& Ident, const String& Default) const override;
    void WriteString(const String& Section, const String& Ident, const String& Value) override;
    bool SectionExists(const String& Section) const override;
    bool ValueExists(const String& Section, const String& Ident) const override;
    std::vector<String> ReadSectionNames() const override;
    std::vector<String> ReadSectionKeys(const String& Section) const override;
    void EraseSection(const String& Section) override;
    void DeleteKey(const String& Section, const String& Ident) override;
    void UpdateFile() override {} // every write is already in the file
};

// The file read once into memory; changes stay there until UpdateFile writes the whole
// document back (raising EIniFileException on failure). Values are returned as they stand,
// quotes included. A file that exists but cannot be read raises EFOpenError, so that a later
// UpdateFile cannot replace contents it never saw.
class TMemIniFile : public TCustomIniFile {
public:
    explicit TMemIniFile(const String& FileName);
    ~TMemIniFile() override;

    bool CaseSensitive() const; // false by default
    void SetCaseSensitive(bool Value);

    String ReadString(const String& Section, const String& Ident, const String& Default) const override;
    void WriteString(const String& Section, const String& Ident, const String& Value) override;
    bool SectionExists(const String& Section) const override;
    bool ValueExists(const String& Section, const String& Ident) const override;
    std::vector<String> ReadSectionNames() const override;
    std::vector<String> ReadSectionKeys(const String& Section) const override;
    void EraseSection(const String& Section) override;
    void DeleteKey(const String& Section, const String& Ident) override;
    void UpdateFile() override;

private:
    std::unique_ptr<TIniDocument> FDocument;
};

// --- The private-profile calls ------------------------------------------------------------

// The value, without surrounding double quotes, or Default when the section, the key or the
// file is missing (or the file cannot be read).
String GetPrivateProfileString(const String& Section, const String& Key, const String& Default,
                               const String& FileName);
// The value's leading integer (sign, decimal digits or "0x" and hexadecimal digits; text
// without digits gives 0), or Default when the key is missing or empty.
int GetPrivateProfileInt(const String& Section, const String& Key, int Default, const String& FileName);
// Writes Value for Key; std::nullopt as Value deletes the key, as Key deletes the section.
// False on failure (errno tells why), the file then unchanged.
bool WritePrivateProfileString(const String& Section, const std::optional<String>& Key,
                               const std::optional<String>& Value, const String& FileName);
// The section's "key=value" lines (all of them, duplicates too), comments left out.
std::vector<String> GetPrivateProfileSection(const String& Section, const String& FileName);
std::vector<String> GetPrivateProfileSectionNames(const String& FileName);
// Replaces the section's keys and comments by Lines ("key=value"); creates it when missing.
bool WritePrivateProfileSection(const String& Section, const std::vector<String>& Lines,
                                const String& FileName);
