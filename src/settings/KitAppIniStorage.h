#pragma once
// The settings store's backend: an INI document in memory, written to a file as a whole.
// A value at F\V is the key V of the section F (the folder path, single backslashes); a value at
// the top level goes to DefaultSection. The file is read when its name is set (or the component
// has loaded) and written when the name changes, when the store is destroyed (FlushOnDestroy),
// and after each change with AutoFlush.
//
// Encodings of values: integers in decimal; floats as the 20 hexadecimal digits of their 10
// bytes (FloatAsString off, the default here); binaries as hexadecimal; booleans as the first
// true or false word; date-times as text. A line break never reaches the file raw: with
// ReplaceCRLF every value is escaped (backslash doubled, line breaks as "\n") and reads back as
// written; without it a value is written up to its first line break. With
// PreserveLeadingTrailingBlanks a value with blanks at an end is kept between double quotes.

#include "settings/KitAppStorage.h"
#include "settings/KitIniDocument.h"

DECLARE_ENUM(TFileLocation, Byte, flCustom, flWindows, flTemp, flExeFile, flUserFolder)

using TKitAppStorageGetFileNameEvent = std::function<void(TKitCustomAppStorage* Sender, String& FileName)>;

// A store backed by one file: its name, where a name without folder is placed, the file
// actually used, and whether that file is read-only.
class TKitCustomAppMemoryFileStorage : public TKitCustomAppStorage {
    DECLARE_CLASS(TKitCustomAppMemoryFileStorage, TKitCustomAppStorage)
public:
    explicit TKitCustomAppMemoryFileStorage(TComponent* AOwner);

    const String& FileName() const { return FFileName; }
    // Flushes to the old file (unless loading or inside an update bracket), takes the name (with
    // DefaultExtension added when it has none) and reads the new file (same condition). Setting
    // the name it has does nothing.
    void SetFileName(const String& Value) { WriteFileName(Value); }
    TFileLocation Location() const { return FLocation; }
    void SetLocation(TFileLocation Value) { WriteLocation(Value); }
    const TKitAppStorageGetFileNameEvent& OnGetFileName() const { return FOnGetFileName; }
    void SetOnGetFileName(const TKitAppStorageGetFileNameEvent& Value) { WriteOnGetFileName(Value); }
    // The file read and written: FileName through the macro engine, placed by Location (for the
    // fixed locations only its name part counts).
    const String& FullFileName() const { return FFullFileName; }
    // The file exists and may not be written.
    bool FileReadOnly() const { return FPhysicalReadOnly; }
    // The whole content as text.
    String AsText() { return ReadAsText(); }
    void SetAsText(const String& Value) { WriteAsText(Value); }

    void Reload() override;

protected:
    virtual void WriteFileName(const String& Value);
    virtual void WriteLocation(TFileLocation Value);
    virtual void WriteOnGetFileName(const TKitAppStorageGetFileNameEvent& Value);
    virtual String ReadAsText() = 0;
    virtual void WriteAsText(const String& Value) = 0;
    virtual String DefaultExtension() const { return String(); }
    virtual String ResolveCustomFileName(const String& AFileName);
    bool ReloadNeeded() const override;
    bool IsPhysicalReadOnly() const override { return FPhysicalReadOnly; }

    void UpdateFullFileName();
    void UpdatePhysicalReadOnly();
    bool FileLoaded() const { return FFileLoaded; }
    void SetFileLoaded(bool Value) { FFileLoaded = Value; }
    // Neither loading from a form definition nor inside an update bracket.
    bool MayFlushOrReload() const;

private:
    String FFullFileName;
    String FFileName;
    TFileLocation FLocation = flExeFile;
    TKitAppStorageGetFileNameEvent FOnGetFileName;
    bool FPhysicalReadOnly = false;
    bool FFileLoaded = false;
};

class TKitAppIniStorageOptions : public TKitAppStorageOptions {
    DECLARE_CLASS(TKitAppIniStorageOptions, TKitAppStorageOptions)
public:
    void Assign(TPersistent* Source) override;
    bool ReplaceCRLF() const { return FReplaceCRLF; }
    void SetReplaceCRLF(bool Value) { FReplaceCRLF = Value; }
    bool PreserveLeadingTrailingBlanks() const { return FPreserveLeadingTrailingBlanks; }
    void SetPreserveLeadingTrailingBlanks(bool Value) { FPreserveLeadingTrailingBlanks = Value; }

private:
    bool FReplaceCRLF = false;
    bool FPreserveLeadingTrailingBlanks = false;

    static void Published(TPublisher<TKitAppIniStorageOptions>& P) {
        P.Property(u"ReplaceCRLF", &TKitAppIniStorageOptions::ReplaceCRLF,
                   &TKitAppIniStorageOptions::SetReplaceCRLF)
            .Default(false);
        P.Property(u"PreserveLeadingTrailingBlanks", &TKitAppIniStorageOptions::PreserveLeadingTrailingBlanks,
                   &TKitAppIniStorageOptions::SetPreserveLeadingTrailingBlanks)
            .Default(false);
    }
};

// Backslashes doubled, then CR LF, LF and CR each as backslash and "n".
String EscapeLineBreaks(const String& S);
// "\\" gives a backslash, "\n" CR LF, anything else stays.
String UnescapeLineBreaks(const String& S);
// In double quotes when it begins or ends with a blank, or both begins and ends with a quote.
String QuoteBlanks(const String& S);
// Without one pair of enclosing double quotes.
String UnquoteBlanks(const String& S);

class TKitCustomAppIniStorage : public TKitCustomAppMemoryFileStorage {
    DECLARE_CLASS(TKitCustomAppIniStorage, TKitCustomAppMemoryFileStorage)
public:
    explicit TKitCustomAppIniStorage(TComponent* AOwner);

    const String& DefaultSection() const { return FDefaultSection; }
    void SetDefaultSection(const String& Value) { FDefaultSection = Value; }
    TEncoding* Encoding() const { return FIniFile.Encoding(); }
    void SetEncoding(TEncoding* Value) { FIniFile.SetEncoding(Value); }
    TKitAppIniStorageOptions* IniStorageOptions() const {
        return static_cast<TKitAppIniStorageOptions*>(StorageOptions());
    }

protected:
    TClass StorageOptionsClass() const override;
    String DefaultExtension() const override { return u"ini"; }
    String ReadAsText() override;
    void WriteAsText(const String& Value) override;

    // A section that is empty or begins with "." gets DefaultSection in front; EKitAppStorageError
    // "TKitAppIniFileStorage.ReadValue: Section undefined" when it still is or does.
    String ResolveSection(const String& Section) const;
    bool IniValueExists(const String& Section, const String& Key);
    virtual String ReadValue(const String& Section, const String& Key);
    virtual void WriteValue(const String& Section, const String& Key, const String& Value);
    // Deletes the key, or else the folder Section\Key with everything below it.
    virtual void DeleteIniValue(const String& Section, const String& Key);

    void ListFolders(const String& Path, TStrings* Strings, bool ReportListAsValue) override;
    void ListValueNames(const String& Path, TStrings* Strings, bool ReportListAsValue) override;
    bool IsFolderAt(const String& Path, bool ListIsValue) override;
    bool PathExistsAt(const String& Path) override;
    bool ValueStoredAt(const String& Path) override;
    void DeleteValueAt(const String& Path) override;
    void DeleteSubTreeAt(const String& Path) override;
    int RawReadInteger(const String& Path, int Default) override;
    void RawWriteInteger(const String& Path, int Value) override;
    long double RawReadFloat(const String& Path, long double Default) override;
    void RawWriteFloat(const String& Path, long double Value) override;
    String RawReadString(const String& Path, const String& Default) override;
    void RawWriteString(const String& Path, const String& Value) override;
    int RawReadBinary(const String& Path, void* Buffer, int Size) override;
    void RawWriteBinary(const String& Path, const void* Buffer, int Size) override;

    TKitIniDocument& IniFile() { return FIniFile; }

private:
    void SplitIniPath(const String& Path, String& Section, String& Key);
    // The section of an absolute folder path: DefaultSection for "".
    String FolderSection(const String& Path);

    TKitIniDocument FIniFile;
    String FDefaultSection;
};

// The INI store that reads and writes its file (under a named mutex with SynchronizeFlushReload).
class TKitAppIniFileStorage : public TKitCustomAppIniStorage {
    DECLARE_CLASS(TKitAppIniFileStorage, TKitCustomAppIniStorage)
public:
    explicit TKitAppIniFileStorage(TComponent* AOwner);
    ~TKitAppIniFileStorage() override;

    // Writes the document to FullFileName, creating its folder; failures go to OnError. Nothing
    // without a file, for a read-only store, or at design time.
    void Flush() override;
    // Reads FullFileName; a missing file empties the document. Read errors raise.
    void Reload() override;

    // The name of the mutex that serialises the file's flush and reload.
    static String SynchronizeMutexName(const String& AFullFileName);

private:
    template <class F> void RunSynchronized(F Action);
    // The file could not be read: writing the store back would lose what it holds.
    bool FUnreadable = false;

    static void Published(TPublisher<TKitAppIniFileStorage>& P);
};
