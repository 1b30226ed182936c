#pragma once
// The clipboard: text, and blocks of bytes under formats registered by name. A named format
// travels on the system clipboard as a MIME type of our own that carries its name, so another
// instance of the programs reads it under its own number for that name.

#include "platform/base/Exceptions.h"
#include "platform/base/Persistent.h"
#include "platform/base/Types.h"

#include <memory>
#include <vector>

DECLARE_EXCEPTION(EClipboardException, Exception)

using TClipboardFormat = Word;

constexpr TClipboardFormat CF_TEXT = 1;
constexpr TClipboardFormat CF_BITMAP = 2;
constexpr TClipboardFormat CF_OEMTEXT = 7;
constexpr TClipboardFormat CF_DIB = 8;
constexpr TClipboardFormat CF_UNICODETEXT = 13;
constexpr TClipboardFormat CF_HDROP = 15;
constexpr TClipboardFormat CF_LOCALE = 16;

// The number of a named format, 0xC000 or above, the same for every call with that name (names
// compare without regard to case); 0 for an empty name.
TClipboardFormat RegisterClipboardFormat(const String& Name);
// The name a registered format was first registered under; "" for predefined and unknown ones.
String GetClipboardFormatName(TClipboardFormat Format);

class TClipboard : public TPersistent {
    DECLARE_CLASS(TClipboard, TPersistent)
public:
    TClipboard();
    ~TClipboard() override;

    // Open and Close nest. While the clipboard is open, the first thing put on it empties it
    // and later ones are added beside it; the system clipboard gets them all at the last Close.
    // Outside Open, each thing put on it replaces the whole contents.
    void Open();
    void Close();
    void Clear();

    // Text formats (CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT) all stand for the text; CF_HDROP for
    // local files; registered formats for their own data.
    bool HasFormat(TClipboardFormat Format) const;
    int FormatCount() const;
    TClipboardFormat Formats(int Index) const;

    // "" when the clipboard holds no text.
    String AsText() const;
    void SetAsText(const String& Value);

    // The bytes of a format: a registered format's block as it was put; CF_UNICODETEXT the text
    // in UTF-16 (little-endian) and CF_TEXT, CF_OEMTEXT in Windows-1252, each with its
    // terminating zero. Empty when the format is not there.
    TBytes GetData(TClipboardFormat Format) const;
    // Puts the block under Format (registered or a text format); other predefined formats
    // raise EClipboardException.
    void SetData(TClipboardFormat Format, const TBytes& Data);

private:
    struct TState;
    std::unique_ptr<TState> FState;

    void Adding();
};

// The program's clipboard (raises EClipboardException "Cannot open clipboard" when there is no
// window system).
TClipboard* Clipboard();

// Data offered under clipboard formats: what the clipboard holds, or what a drag carries. A
// format's bytes are as TClipboard::GetData gives them.
class IDataObject {
public:
    virtual ~IDataObject();
    virtual bool HasFormat(TClipboardFormat Format) = 0;
    virtual std::vector<TClipboardFormat> Formats() = 0;
    // Empty when the format is not there.
    virtual TBytes GetData(TClipboardFormat Format) = 0;
};
using TDataObjectRef = std::shared_ptr<IDataObject>;

// What the system clipboard holds, read each time it is asked (raises EClipboardException
// without a window system).
TDataObjectRef OleGetClipboard();
