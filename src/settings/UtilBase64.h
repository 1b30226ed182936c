#pragma once
// Base64 with the standard alphabet and "=" padding: the MIME form (lines of 76 characters
// separated by CR LF) that encrypted store values used, the unbroken form, and a decoder that
// skips every character outside the alphabet (line breaks, blanks, "=").

#include "platform/base/Types.h"

// The MIME form of Text's bytes; "" for "".
AnsiString EncodeBase64Text(const AnsiString& Text);
// The same without line breaks.
AnsiString EncodeBase64Unbroken(const AnsiString& Text);
AnsiString DecodeBase64Text(const AnsiString& Text);

// Output size of the MIME form: InputSize itself for InputSize <= 0, else
// ((InputSize + 2) div 3) * 4 + ((InputSize - 1) div 57) * 2.
Int64 Base64EncodedLength(Int64 InputSize);
// The largest number of bytes InputSize characters decode to: ((InputSize + 3) div 4) * 3.
Int64 Base64DecodedCapacity(Int64 InputSize);

// The MIME form of InputCount bytes into Output, which holds Base64EncodedLength(InputCount).
void Base64EncodeBuffer(const void* Input, Int64 InputCount, void* Output);
// The InputCount div 57 full lines of 76 characters, each but the last of the whole output
// followed by CR LF; nothing for fewer than 57 bytes.
void Base64EncodeLines(const void* Input, Int64 InputCount, void* Output);
// InputCount bytes without line breaks: ((InputCount + 2) div 3) * 4 characters.
void Base64EncodeUnbroken(const void* Input, Int64 InputCount, void* Output);
// Decodes InputCount characters into Output and returns the bytes written; ByteBuffer and
// ByteBufferSpace carry an unfinished group to the next call (start with 0 and 4).
Int64 Base64DecodeChunk(const void* Input, Int64 InputCount, void* Output, Cardinal& ByteBuffer,
                        Cardinal& ByteBufferSpace);
// The bytes of an unfinished group; returns how many were written (0 to 2).
Int64 Base64DecodeFinish(void* Output, Cardinal ByteBuffer, Cardinal ByteBufferSpace);

// The unbroken form, for names (of named mutexes).
AnsiString EncodeMutexNameBase64(const AnsiString& Text);
