#include "platform/gui/Clipboard.h"

#include "platform/base/Encoding.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"
#include "platform/gui/QuestionsQt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <mutex>
#include <vector>

using namespace Services;

// ---- Registered formats -----------------------------------------------------------------------

namespace {

constexpr TClipboardFormat FirstRegisteredFormat = 0xC000;
const QString FormatMimePrefix = QStringLiteral("application/x-morvane-format.");

std::mutex FormatLock;
std::vector<String> FormatNames; // index + FirstRegisteredFormat is the number

QString FormatMimeType(const String& Name) {
    return FormatMimePrefix + QString::fromLatin1(QUrl::toPercentEncoding(ToQString(Name)));
}

// The format name a MIME type of ours carries; "" for other MIME types.
String NameOfMimeType(const QString& Mime) {
    if (!Mime.startsWith(FormatMimePrefix)) return String();
    return FromQString(QUrl::fromPercentEncoding(Mime.mid(FormatMimePrefix.size()).toLatin1()));
}

bool IsTextFormat(TClipboardFormat Format) {
    return Format == CF_TEXT || Format == CF_OEMTEXT || Format == CF_UNICODETEXT;
}

bool HasLocalFiles(const QMimeData* Data) {
    if (!Data || !Data->hasUrls()) return false;
    for (const QUrl& Url : Data->urls())
        if (Url.isLocalFile()) return true;
    return false;
}

// The MIME type of ours on Data for a registered format, whatever the letter case of the name
// the other program used; "" when absent.
QString FindFormatMime(const QMimeData* Data, TClipboardFormat Format) {
    const String Name = GetClipboardFormatName(Format);
    if (!Data || Name.empty()) return QString();
    for (const QString& Mime : Data->formats())
        if (AnsiSameText(NameOfMimeType(Mime), Name)) return Mime;
    return QString();
}

QClipboard* SystemClipboard() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw EClipboardException(u"Cannot open clipboard");
    return QGuiApplication::clipboard();
}

} // namespace

TClipboardFormat RegisterClipboardFormat(const String& Name) {
    if (Name.empty()) return 0;
    std::lock_guard<std::mutex> Guard(FormatLock);
    for (std::size_t I = 0; I < FormatNames.size(); ++I)
        if (AnsiSameText(FormatNames[I], Name)) return TClipboardFormat(FirstRegisteredFormat + I);
    if (FormatNames.size() >= 0x10000 - FirstRegisteredFormat)
        throw EClipboardException(u"Too many clipboard formats");
    FormatNames.push_back(Name);
    return TClipboardFormat(FirstRegisteredFormat + FormatNames.size() - 1);
}

String GetClipboardFormatName(TClipboardFormat Format) {
    std::lock_guard<std::mutex> Guard(FormatLock);
    if (Format < FirstRegisteredFormat || Format - FirstRegisteredFormat >= int(FormatNames.size()))
        return String();
    return FormatNames[Format - FirstRegisteredFormat];
}

// ---- TClipboard -------------------------------------------------------------------------------

struct TClipboard::TState {
    int OpenCount = 0;
    bool Emptied = false;
    // What this Open .. Close puts on the clipboard, once the first thing emptied it.
    std::unique_ptr<QMimeData> Pending;

    const QMimeData* Current() const {
        return Pending ? Pending.get() : SystemClipboard()->mimeData(QClipboard::Clipboard);
    }
};

TClipboard::TClipboard() : FState(std::make_unique<TState>()) {}

TClipboard::~TClipboard() = default;

void TClipboard::Open() {
    if (FState->OpenCount == 0) {
        SystemClipboard(); // fails early without a window system
        FState->Emptied = false;
        FState->Pending.reset();
    }
    ++FState->OpenCount;
}

void TClipboard::Close() {
    if (FState->OpenCount == 0) return;
    if (--FState->OpenCount == 0 && FState->Pending)
        SystemClipboard()->setMimeData(FState->Pending.release(), QClipboard::Clipboard);
}

void TClipboard::Clear() {
    Open();
    FState->Pending = std::make_unique<QMimeData>();
    Close();
}

void TClipboard::Adding() {
    if (!FState->Emptied) {
        FState->Pending = std::make_unique<QMimeData>();
        FState->Emptied = true;
    }
}

bool TClipboard::HasFormat(TClipboardFormat Format) const {
    const QMimeData* Data = FState->Current();
    if (!Data) return false;
    if (IsTextFormat(Format)) return Data->hasText();
    if (Format == CF_HDROP) return HasLocalFiles(Data);
    return !FindFormatMime(Data, Format).isEmpty();
}

int TClipboard::FormatCount() const {
    int Count = 0;
    while (Formats(Count) != 0)
        ++Count;
    return Count;
}

TClipboardFormat TClipboard::Formats(int Index) const {
    const QMimeData* Data = FState->Current();
    if (!Data || Index < 0) return 0;
    std::vector<TClipboardFormat> List;
    if (Data->hasText()) List.insert(List.end(), {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT});
    if (HasLocalFiles(Data)) List.push_back(CF_HDROP);
    for (const QString& Mime : Data->formats()) {
        const String Name = NameOfMimeType(Mime);
        if (!Name.empty()) List.push_back(RegisterClipboardFormat(Name));
    }
    return Index < int(List.size()) ? List[Index] : 0;
}

String TClipboard::AsText() const {
    const QMimeData* Data = FState->Current();
    return Data && Data->hasText() ? FromQString(Data->text()) : String();
}

void TClipboard::SetAsText(const String& Value) {
    Open();
    Adding();
    FState->Pending->setText(ToQString(Value));
    Close();
}

TBytes TClipboard::GetData(TClipboardFormat Format) const {
    const QMimeData* Data = FState->Current();
    if (!Data) return TBytes();
    if (IsTextFormat(Format)) {
        if (!Data->hasText()) return TBytes();
        TBytes Bytes =
            (Format == CF_UNICODETEXT ? TEncoding::Unicode() : TEncoding::ANSI())->GetBytes(AsText());
        Bytes.resize(Bytes.size() + (Format == CF_UNICODETEXT ? 2 : 1), 0);
        return Bytes;
    }
    const QString Mime = FindFormatMime(Data, Format);
    if (Mime.isEmpty()) return TBytes();
    const QByteArray Bytes = Data->data(Mime);
    return TBytes(Bytes.begin(), Bytes.end());
}

void TClipboard::SetData(TClipboardFormat Format, const TBytes& Data) {
    const String Name = GetClipboardFormatName(Format);
    if (Name.empty() && !IsTextFormat(Format))
        throw EClipboardException(u"Unsupported clipboard format " + IntToStr(Format));
    Open();
    TScopeExit Closed([&] { Close(); });
    Adding();
    if (IsTextFormat(Format)) {
        TEncoding* Encoding = Format == CF_UNICODETEXT ? TEncoding::Unicode() : TEncoding::ANSI();
        String Text = Encoding->GetString(Data);
        const std::size_t End = Text.find(u'\0'); // the text ends at its terminator
        if (End != String::npos) Text.resize(End);
        FState->Pending->setText(ToQString(Text));
    } else {
        FState->Pending->setData(FormatMimeType(Name), QByteArray(reinterpret_cast<const char*>(Data.data()),
                                                                  qsizetype(Data.size())));
    }
}

TClipboard* Clipboard() {
    static TClipboard Instance;
    SystemClipboard();
    return &Instance;
}

// ---- The clipboard as a data object ------------------------------------------------------------

IDataObject::~IDataObject() = default;

namespace {

class TClipboardDataObject : public IDataObject {
public:
    bool HasFormat(TClipboardFormat Format) override { return Clipboard()->HasFormat(Format); }
    std::vector<TClipboardFormat> Formats() override {
        std::vector<TClipboardFormat> List;
        for (int I = 0; TClipboardFormat F = Clipboard()->Formats(I); ++I)
            List.push_back(F);
        return List;
    }
    TBytes GetData(TClipboardFormat Format) override { return Clipboard()->GetData(Format); }
};

} // namespace

TDataObjectRef OleGetClipboard() {
    Clipboard(); // fails without a window system
    return std::make_shared<TClipboardDataObject>();
}
