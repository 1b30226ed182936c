#include "settings/UtilBase64.h"

#include <array>

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr Byte Skip = 255;
constexpr Int64 LineBytes = 57;
constexpr Int64 LineChars = 76;

constexpr std::array<Byte, 256> DecodeTable() {
    std::array<Byte, 256> T{};
    for (auto& V : T)
        V = Skip;
    for (int I = 0; I < 64; ++I)
        T[static_cast<Byte>(Alphabet[I])] = static_cast<Byte>(I);
    return T;
}

constexpr std::array<Byte, 256> Decode = DecodeTable();

// Three bytes (fewer at the end, padded with "=") into four characters.
char* EncodeGroup(const Byte* In, Int64 Count, char* Out) {
    const Cardinal V =
        Cardinal(In[0]) << 16 | (Count > 1 ? Cardinal(In[1]) << 8 : 0) | (Count > 2 ? In[2] : 0);
    *Out++ = Alphabet[(V >> 18) & 63];
    *Out++ = Alphabet[(V >> 12) & 63];
    *Out++ = Count > 1 ? Alphabet[(V >> 6) & 63] : '=';
    *Out++ = Count > 2 ? Alphabet[V & 63] : '=';
    return Out;
}

char* EncodeRun(const Byte* In, Int64 Count, char* Out) {
    for (; Count > 0; In += 3, Count -= 3)
        Out = EncodeGroup(In, Count < 3 ? Count : 3, Out);
    return Out;
}

} // namespace

Int64 Base64EncodedLength(Int64 InputSize) {
    if (InputSize <= 0) return InputSize;
    return (InputSize + 2) / 3 * 4 + (InputSize - 1) / LineBytes * 2;
}

Int64 Base64DecodedCapacity(Int64 InputSize) {
    return (InputSize + 3) / 4 * 3;
}

void Base64EncodeLines(const void* Input, Int64 InputCount, void* Output) {
    const Byte* In = static_cast<const Byte*>(Input);
    char* Out = static_cast<char*>(Output);
    const Int64 Lines = InputCount / LineBytes;
    for (Int64 L = 0; L < Lines; ++L) {
        Out = EncodeRun(In + L * LineBytes, LineBytes, Out);
        // A break follows every line that more output follows.
        if (L + 1 < Lines || InputCount % LineBytes != 0) {
            *Out++ = '\r';
            *Out++ = '\n';
        }
    }
}

void Base64EncodeUnbroken(const void* Input, Int64 InputCount, void* Output) {
    EncodeRun(static_cast<const Byte*>(Input), InputCount, static_cast<char*>(Output));
}

void Base64EncodeBuffer(const void* Input, Int64 InputCount, void* Output) {
    Base64EncodeLines(Input, InputCount, Output);
    const Int64 Done = InputCount / LineBytes * LineBytes;
    Base64EncodeUnbroken(static_cast<const Byte*>(Input) + Done, InputCount % LineBytes,
                         static_cast<char*>(Output) + InputCount / LineBytes * (LineChars + 2));
}

Int64 Base64DecodeChunk(const void* Input, Int64 InputCount, void* Output, Cardinal& ByteBuffer,
                        Cardinal& ByteBufferSpace) {
    const Byte* In = static_cast<const Byte*>(Input);
    Byte* Out = static_cast<Byte*>(Output);
    Byte* const Start = Out;
    for (Int64 I = 0; I < InputCount; ++I) {
        const Byte V = Decode[In[I]];
        if (V == Skip) continue;
        ByteBuffer = (ByteBuffer << 6) | V;
        if (--ByteBufferSpace == 0) {
            *Out++ = static_cast<Byte>(ByteBuffer >> 16);
            *Out++ = static_cast<Byte>(ByteBuffer >> 8);
            *Out++ = static_cast<Byte>(ByteBuffer);
            ByteBuffer = 0;
            ByteBufferSpace = 4;
        }
    }
    return Out - Start;
}

Int64 Base64DecodeFinish(void* Output, Cardinal ByteBuffer, Cardinal ByteBufferSpace) {
    Byte* Out = static_cast<Byte*>(Output);
    switch (ByteBufferSpace) {
    case 1: // 18 bits
        Out[0] = static_cast<Byte>(ByteBuffer >> 10);
        Out[1] = static_cast<Byte>(ByteBuffer >> 2);
        return 2;
    case 2: // 12 bits
        Out[0] = static_cast<Byte>(ByteBuffer >> 4);
        return 1;
    default:
        return 0;
    }
}

AnsiString EncodeBase64Text(const AnsiString& Text) {
    AnsiString Result(static_cast<size_t>(Base64EncodedLength(Int64(Text.size()))), '\0');
    Base64EncodeBuffer(Text.data(), Int64(Text.size()), Result.data());
    return Result;
}

AnsiString EncodeBase64Unbroken(const AnsiString& Text) {
    AnsiString Result((Text.size() + 2) / 3 * 4, '\0');
    Base64EncodeUnbroken(Text.data(), Int64(Text.size()), Result.data());
    return Result;
}

AnsiString DecodeBase64Text(const AnsiString& Text) {
    AnsiString Result(static_cast<size_t>(Base64DecodedCapacity(Int64(Text.size()))) + 3, '\0');
    Cardinal Buffer = 0, Space = 4;
    Int64 Count = Base64DecodeChunk(Text.data(), Int64(Text.size()), Result.data(), Buffer, Space);
    Count += Base64DecodeFinish(Result.data() + Count, Buffer, Space);
    Result.resize(static_cast<size_t>(Count));
    return Result;
}

AnsiString EncodeMutexNameBase64(const AnsiString& Text) {
    return EncodeBase64Unbroken(Text);
}
