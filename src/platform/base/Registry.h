#pragma once
// The registry: keys under the root keys holding typed values. Here it lives in
// "registry.ini" in the program's own folder of the user's application data
// (<GetAppDataDir()>/<program name>/registry.ini): one section per key path, named by the root
// key's name and the path ("HKEY_CURRENT_USER\Software\Morvane"); values are written
// "dword:0000000C" for integers, "sz:text" for strings and "hex:0a,ff" for binary data, so that
// their kind reads back.
// Names of keys and values compare without regard to case.

#include "platform/base/Exceptions.h"
#include "platform/base/Set.h"
#include "platform/base/TypeInfo.h"
#include "platform/base/Types.h"

#include <cstdint>
#include <memory>

class TMemIniFile;

DECLARE_EXCEPTION(ERegistryException, Exception)

using HKEY = std::uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

DECLARE_ENUM(TRegDataType, Byte, rdUnknown, rdString, rdExpandString, rdInteger, rdBinary)

class TRegistry {
public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Changing the root closes the current key. Default HKEY_CURRENT_USER.
    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value);
    // Key is relative to the current key, or absolute when it starts with '\'. A missing key
    // is made when CanCreate; false when it is missing and may not be made.
    bool OpenKey(const String& Key, bool CanCreate);
    bool OpenKeyReadOnly(const String& Key);
    void CloseKey();
    bool KeyExists(const String& Key);
    bool DeleteKey(const String& Key);
    // The open key's path below the root, without a leading '\'.
    const String& CurrentPath() const { return FCurrentPath; }
    bool HasCurrentKey() const { return FOpen; }

    bool ValueExists(const String& Name);
    TRegDataType GetDataType(const String& Name);
    // A missing value or one of another kind raises ERegistryException
    // "Invalid data type for '<Name>'"; a missing string reads empty.
    int ReadInteger(const String& Name);
    String ReadString(const String& Name);
    // Without an open writable key: ERegistryException "Failed to set data for '<Name>'".
    void WriteInteger(const String& Name, int Value);
    void WriteString(const String& Name, const String& Value);
    bool DeleteValue(const String& Name);
    // Binary values: the size of a value in bytes (-1 when missing; a string counts its UTF-16
    // bytes with the terminating zero, an integer 4). Reading copies at most BufSize bytes and
    // answers how many; a value of another kind raises "Invalid data type for '<Name>'".
    int GetDataSize(const String& Name);
    int ReadBinaryData(const String& Name, void* Buffer, int BufSize);
    void WriteBinaryData(const String& Name, const void* Buffer, int BufSize);

    // The file behind the registry.
    static String FileName();

private:
    HKEY FRootKey = HKEY_CURRENT_USER;
    bool FOpen = false;
    bool FReadOnly = false;
    String FCurrentPath;

    String SectionOf(const String& Path) const;
    String Resolve(const String& Key) const;
    std::unique_ptr<TMemIniFile> Load() const;
    void Store(TMemIniFile& Ini);
    String RawValue(const String& Name, bool& Found);
    void WriteRaw(const String& Name, const String& Raw);
};
