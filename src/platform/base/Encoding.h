#pragma once
// Text encodings: converting String (UTF-16) to and from bytes, byte-order marks, and reading
// and writing whole text files.
//
// The standard encodings are shared static instances that live for the whole program; callers
// never delete them. An encoding of one's own (a class derived from TUTF8Encoding, say) belongs
// to whoever made it, and must outlive every list or stream that was handed a pointer to it.

#include "platform/base/Object.h"
#include "platform/base/Types.h"

class TEncoding : public TObject {
public:
    // Text -> bytes; raises EEncodingError for a character the encoding cannot carry at all.
    virtual TBytes GetBytes(const String& S) const = 0;
    // Bytes -> text; raises EEncodingError for a byte sequence that is not valid here.
    virtual String GetString(const Byte* Bytes, size_t ByteCount) const = 0;
    String GetString(const TBytes& Bytes) const { return GetString(Bytes.data(), Bytes.size()); }
    // The byte-order mark written before text in this encoding (empty when there is none).
    virtual TBytes GetPreamble() const = 0;

    static TEncoding* UTF8();             // UTF-8, preamble EF BB BF
    static TEncoding* Unicode();          // UTF-16 little-endian, preamble FF FE
    static TEncoding* BigEndianUnicode(); // UTF-16 big-endian, preamble FE FF
    static TEncoding* Default();          // the system code page for INI files and logs: UTF-8, no preamble
    static TEncoding* ANSI(); // Windows-1252 by our own table, one byte per character, no preamble

    // Finds the encoding of Buffer. With Encoding null on entry: a UTF-8, UTF-16 LE or UTF-16 BE
    // byte-order mark selects that encoding, otherwise DefaultEncoding is chosen. With Encoding
    // given: it is kept, and only its own preamble is looked for. Returns the length of the
    // preamble found at the start of Buffer (0 when none).
    static size_t GetBufferEncoding(const TBytes& Buffer, TEncoding*& Encoding,
                                    TEncoding* DefaultEncoding = Default());
    // True for the shared static instances above.
    static bool IsStandardEncoding(const TEncoding* Encoding);
};

// Strict UTF-8: an overlong form, a surrogate, a value beyond U+10FFFF, a stray or missing
// continuation byte all raise EEncodingError, and so does a lone surrogate in the text to encode.
// Derive from it and override GetPreamble for UTF-8 without a byte-order mark.
class TUTF8Encoding : public TEncoding {
public:
    TBytes GetBytes(const String& S) const override;
    String GetString(const Byte* Bytes, size_t ByteCount) const override;
    using TEncoding::GetString;
    TBytes GetPreamble() const override;
};

// UTF-16; text units pass through unchanged, an odd number of bytes raises EEncodingError.
class TUnicodeEncoding : public TEncoding {
public:
    TBytes GetBytes(const String& S) const override;
    String GetString(const Byte* Bytes, size_t ByteCount) const override;
    using TEncoding::GetString;
    TBytes GetPreamble() const override;

protected:
    virtual bool BigEndian() const { return false; }
};

class TBigEndianUnicodeEncoding : public TUnicodeEncoding {
public:
    TBytes GetPreamble() const override;

protected:
    bool BigEndian() const override { return true; }
};

// Windows-1252 from a fixed 256-entry table. Every byte maps to one character (the five bytes
// the code page leaves undefined map to U+0081, U+008D, U+008F, U+0090, U+009D), so any byte
// sequence survives decoding and encoding unchanged. A character outside the table becomes '?'.
class TANSIEncoding : public TEncoding {
public:
    TBytes GetBytes(const String& S) const override;
    String GetString(const Byte* Bytes, size_t ByteCount) const override;
    using TEncoding::GetString;
    TBytes GetPreamble() const override { return {}; }
};

// Reads a whole file as text. A byte-order mark selects its encoding; otherwise the bytes must
// be valid UTF-8 (Detected = TEncoding::Default()). Bytes that are not valid UTF-8 raise
// EEncodingError, or, when Fallback is given, are decoded with Fallback (Detected = Fallback).
// Open errors raise EFOpenError.
String LoadTextFile(const String& FileName, TEncoding*& Detected, TEncoding* Fallback = nullptr);

// Writes Text to FileName in Encoding, preceded by the encoding's byte-order mark only when
// WriteBOM. The text is encoded before the file is touched, so an encoding error leaves an
// existing file as it was. Writing back what LoadTextFile read: SaveTextFile(Name, Text, Detected, true).
void SaveTextFile(const String& FileName, const String& Text, TEncoding* Encoding = TEncoding::Default(),
                  bool WriteBOM = false);
