#include "serial/SerCircularBuffer.h"

#include <algorithm>
#include <cstring>

TSerCircularBuffer::TSerCircularBuffer(int ASize)
    : FData(new Byte[static_cast<std::size_t>(std::max(ASize, 0))]), FSize(std::max(ASize, 0)) {
    Clear();
}

void TSerCircularBuffer::Clear() {
    FStart = 0;
    FEnd = 0;
    FFull = false;
}

int TSerCircularBuffer::BufUsed() const {
    if (FFull) return FSize;
    return FEnd >= FStart ? FEnd - FStart : FEnd + FSize - FStart;
}

int TSerCircularBuffer::BufLinearUsed() const {
    if (FFull) return FSize - FStart;
    return FEnd >= FStart ? FEnd - FStart : FSize - FStart;
}

int TSerCircularBuffer::BufLinearFree() const {
    if (FFull) return 0;
    return FEnd < FStart ? FStart - FEnd : FSize - FEnd;
}

bool TSerCircularBuffer::Write(const void* Buf, int Len) {
    if (Len < 1 || BufFree() < Len) return false;
    const Byte* Src = static_cast<const Byte*>(Buf);
    const int D = FSize - FEnd;
    if (FEnd < FStart || D >= Len) {
        std::memcpy(FData + FEnd, Src, static_cast<std::size_t>(Len));
    } else {
        std::memcpy(FData + FEnd, Src, static_cast<std::size_t>(D));
        std::memcpy(FData, Src + D, static_cast<std::size_t>(Len - D));
    }
    FEnd = Advanced(FEnd, Len);
    FFull = FStart == FEnd;
    return true;
}

bool TSerCircularBuffer::Peek(void* Buf, int Len) const {
    if (Len < 1 || BufUsed() < Len) return false;
    Byte* Dst = static_cast<Byte*>(Buf);
    const int D = FSize - FStart;
    if (FStart < FEnd || D >= Len) {
        std::memcpy(Dst, FData + FStart, static_cast<std::size_t>(Len));
    } else {
        std::memcpy(Dst, FData + FStart, static_cast<std::size_t>(D));
        std::memcpy(Dst + D, FData, static_cast<std::size_t>(Len - D));
    }
    return true;
}

bool TSerCircularBuffer::Read(void* Buf, int Len) {
    return Peek(Buf, Len) && Remove(Len);
}

bool TSerCircularBuffer::Remove(int Len) {
    if (Len < 0 || BufUsed() < Len) return false;
    if (Len > 0) {
        FStart = Advanced(FStart, Len);
        FFull = false;
    }
    return true;
}

bool TSerCircularBuffer::LinearPoke(int Len) {
    if (Len < 1 || BufLinearFree() < Len) return false;
    FEnd = Advanced(FEnd, Len);
    FFull = FStart == FEnd;
    return true;
}

bool TSerCircularBuffer::PeekChar(int Index, Byte& Value) const {
    Value = 0;
    if (Index < 1 || Index > BufUsed()) return false;
    Value = FData[static_cast<std::size_t>((FStart + Index - 1) % FSize)];
    return true;
}
