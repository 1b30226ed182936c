#pragma once
// The values a user entered into a combo box, kept across runs: oldest first, newest last,
// stored as one section of an INI file or as one binary registry value (text lines, each ended
// by CR LF). The combo box owns one, adds entered values, loads it into its drop-down lines and
// saves it; with MRU on, the newest entries head the drop-down.

#include "platform/base/Component.h"
#include "platform/base/Lists.h"
#include "platform/base/Persistent.h"
#include "platform/base/Registry.h"
#include "platform/base/Streams.h"

#include <memory>

DECLARE_ENUM(TdaStorageType, Byte, stRegistry, stIniFile)

// Reads a block of memory it does not own, without copying it.
class TPointerStream : public TCustomMemoryStream {
public:
    TPointerStream(void* Ptr, Int64 Size) { SetPointer(Ptr, Size); }
};

class TdaHistoryList : public TPersistent {
    DECLARE_CLASS(TdaHistoryList, TPersistent)
public:
    TdaHistoryList();
    ~TdaHistoryList() override;

    const String& Section() const { return FSection; }
    void SetSection(const String& Value) { FSection = Value; }
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }
    // The newest MaxSize entries are stored; 0 or below stores all.
    int MaxSize() const { return FMaxSize; }
    void SetMaxSize(int Value) { FMaxSize = Value; }
    TdaStorageType StorageType() const { return FStorageType; }
    void SetStorageType(TdaStorageType Value) { FStorageType = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool MRUEnabled() const { return FMRUEnabled; }
    void SetMRUEnabled(bool Value) { FMRUEnabled = Value; }
    int MRUMaxSize() const { return FMRUMaxSize; }
    void SetMRUMaxSize(int Value) { FMRUMaxSize = Value; }
    TStrings* List() const { return FList.get(); }
    void SetList(TStrings* Value) { FList->Assign(Value); }
    bool IsLoaded() const { return FLoaded; }

    // Reads the storage into the list and adds the entries SyncList lacks to it; without a
    // storage, only the merge.
    void Load(TStrings* SyncList);
    void Save();
    void SaveToStream(TStream* Stream);
    void LoadFromStream(TStream* Stream);
    void SaveToRegistry(const String& ValueName, const String& Key, HKEY RootKey);
    void LoadFromRegistry(TStrings* SyncList, const String& ValueName, HKEY RootKey, const String& Key);
    void SaveToIniFile(const String& ASection, const String& IniFileName);
    void LoadFromIniFile(TStrings* SyncList, const String& ASection, const String& IniFileName);
    // How many of the newest entries head the drop-down.
    int EffectiveMRUCount() const;
    // The file, or registry key, the list is stored in; empty: none.
    String GetFileName() const;

    TComponent* Owner = nullptr; // the combo box; set by it after creation

private:
    bool FEnabled = false;
    String FSection;
    String FFileName;
    int FMaxSize = -1;
    TdaStorageType FStorageType = stIniFile;
    bool FMRUEnabled = false;
    int FMRUMaxSize = 2;
    std::unique_ptr<TStringList> FList;
    bool FLoaded = false;

    void MergeInto(TStrings* SyncList) const;
    static void Published(TPublisher<TdaHistoryList>& P);
};
