#pragma once
// TSerCircularBuffer: a fixed-size byte ring, the transmit queue of a port's write thread and the
// receive queue of a data dispatcher. It has no lock: each user guards it with its own.

#include "platform/base/Types.h"

class TSerCircularBuffer {
public:
    // Raises the runtime's out-of-memory exception when the storage can't be had; a size below
    // 1 gives an empty ring that refuses every write.
    explicit TSerCircularBuffer(int ASize);
    ~TSerCircularBuffer() { delete[] FData; }
    TSerCircularBuffer(const TSerCircularBuffer&) = delete;
    TSerCircularBuffer& operator=(const TSerCircularBuffer&) = delete;

    void Clear();
    int BufUsed() const;
    int BufFree() const { return FSize - BufUsed(); }
    // Unread bytes contiguous from the oldest one; free bytes contiguous from the write position.
    int BufLinearUsed() const;
    int BufLinearFree() const;
    Byte* StartPtr() const { return FData + FStart; }
    // Where the storage lies, and where the free area begins, for writers that fill it directly
    // (see LinearPoke).
    Byte* const* StartBufPtr() const { return &FData; }
    Byte* EndPtr() const { return FData + FEnd; }
    int Size() const { return FSize; }
    bool Full() const { return FFull; }

    // Every operation refuses (false, nothing changed) a length below 1 (Remove: below 0) or
    // one that does not fit.
    bool Write(const void* Buf, int Len);
    bool Peek(void* Buf, int Len) const;
    bool Read(void* Buf, int Len);
    bool Remove(int Len);
    // Len bytes were written directly at EndPtr() within BufLinearFree().
    bool LinearPoke(int Len);
    // The Index-th unread byte, counting from 1; Value is 0 when there is none.
    bool PeekChar(int Index, Byte& Value) const;

private:
    Byte* FData;
    int FSize;
    int FStart = 0;
    int FEnd = 0;
    bool FFull = false;

    int Advanced(int Index, int N) const { return Index + N < FSize ? Index + N : Index + N - FSize; }
};
