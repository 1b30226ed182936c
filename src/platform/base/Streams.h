#pragma once
// Streams of bytes: the abstract TStream, file handles and files, memory blocks, byte arrays and
// strings.

#include "platform/base/Object.h"
#include "platform/base/Types.h"

class TEncoding;

enum TSeekOrigin { soFromBeginning, soFromCurrent, soFromEnd };

// TFileStream modes: one access mode, or fmCreate, combined with one share mode.
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
public:
    // Read and Write move up to Count bytes and return how many they moved (0 on failure).
    virtual Int64 Read(void* Buffer, Int64 Count) = 0;
    virtual Int64 Write(const void* Buffer, Int64 Count) = 0;
    // Returns the new position.
    virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

    Int64 Position() { return Seek(0, soFromCurrent); }
    void SetPosition(Int64 Value) { Seek(Value, soFromBeginning); }
    virtual Int64 Size();
    virtual void SetSize(Int64 NewSize);

    // Exactly Count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* Buffer, Int64 Count);
    void WriteBuffer(const void* Buffer, Int64 Count);
    // Copies Count bytes from Source's position; Count 0 copies all of Source from its start.
    // Returns the number of bytes copied.
    Int64 CopyFrom(TStream* Source, Int64 Count);
};

// Everything from the stream's position to its end.
TBytes ReadAllBytes(TStream& Stream);

// A stream on a POSIX file descriptor that the caller owns.
class THandleStream : public TStream {
public:
    explicit THandleStream(int AHandle) : FHandle(AHandle) {}
    int Handle() const { return FHandle; }

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    void SetSize(Int64 NewSize) override; // EOSError when the file cannot be resized

protected:
    int FHandle;
};

// A file opened by name. Failures raise EFOpenError "Cannot open file \"<name>\". <reason>" or,
// for fmCreate, EFCreateError "Cannot create file \"<name>\". <reason>". fmShareExclusive holds an
// exclusive flock on the file for the stream's lifetime and every other mode a shared one, so an
// exclusive open fails while any other stream has the file open, and the other way round. fmCreate
// creates the file or empties an existing one, and opens it for reading and writing.
class TFileStream : public THandleStream {
public:
    TFileStream(const String& AFileName, Word Mode);
    ~TFileStream() override;
    const String& FileName() const { return FFileName; }

private:
    String FFileName;
};

// A stream on a block of memory. Seeking beyond the end is allowed; reading there gives nothing.
class TCustomMemoryStream : public TStream {
public:
    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override; // a foreign block is read-only: writes 0
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() override { return FSize; }

    Byte* Memory() const { return FMemory; }
    void SaveToStream(TStream* Stream);
    void SaveToFile(const String& FileName);

protected:
    // Makes the stream show a block it does not own (the position is kept).
    void SetPointer(void* Ptr, Int64 ASize);

    Byte* FMemory = nullptr;
    Int64 FSize = 0;
    Int64 FPosition = 0;
};

// A growable block of memory owned by the stream. After SetPointer has shown a foreign block, the
// first write or resize copies that block into memory of the stream's own.
class TMemoryStream : public TCustomMemoryStream {
public:
    Int64 Write(const void* Buffer, Int64 Count) override;
    void SetSize(Int64 NewSize) override;

    void Clear();
    Int64 Capacity() const { return Int64(FData.capacity()); }
    void SetCapacity(Int64 NewCapacity);
    // Replaces the contents with all of Stream (from its start) and moves to position 0.
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const String& FileName);

protected:
    TBytes FData;

private:
    void OwnBlock();
    void Sync() { SetPointer(FData.data(), Int64(FData.size())); }
};

class TBytesStream : public TMemoryStream {
public:
    explicit TBytesStream(const TBytes& ABytes = {});
    // The stream's contents, exactly Size() bytes.
    const TBytes& Bytes();
};

// Bytes of text in one encoding (TEncoding::Default() when none is given; not owned).
class TStringStream : public TBytesStream {
public:
    explicit TStringStream(const String& AString = String(), TEncoding* AEncoding = nullptr);
    explicit TStringStream(const TBytes& ABytes, TEncoding* AEncoding = nullptr);
    TEncoding* Encoding() const { return FEncoding; }
    // All bytes of the stream decoded with the stream's encoding.
    String DataString();

private:
    TEncoding* FEncoding;
};
