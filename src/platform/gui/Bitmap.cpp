// Graphics: bitmaps on QImage with Windows row layouts, PNG and JPEG images, icons, pictures.
#include "platform/gui/GraphicsQt.h"

#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include <QBuffer>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QImageReader>
#include <QImageWriter>
#include <QStyle>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

TBytes ReadRest(TStream* Stream) {
    if (!Stream) throw EInvalidGraphic(u"No stream to read the picture from");
    return ReadAllBytes(*Stream);
}

QByteArray ToQByteArray(const TBytes& Bytes) {
    return QByteArray(reinterpret_cast<const char*>(Bytes.data()), qsizetype(Bytes.size()));
}

// The picture with the largest area of a file (icons hold several).
QImage DecodeImage(const TBytes& Bytes, const char* Format = nullptr) {
    QByteArray Data = ToQByteArray(Bytes);
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, Format);
    QImage Best;
    const int Count = std::max(1, Reader.imageCount());
    for (int I = 0; I < Count; ++I) {
        if (I > 0 && !Reader.jumpToImage(I)) break;
        QImage Image = Reader.read();
        if (Image.isNull()) break;
        if (Best.isNull() || qint64(Image.width()) * Image.height() > qint64(Best.width()) * Best.height())
            Best = Image;
    }
    return Best;
}

void WriteAll(TStream* Stream, const QByteArray& Data) {
    if (!Stream) throw EInvalidGraphic(u"No stream to write the picture to");
    Stream->WriteBuffer(Data.constData(), Data.size());
}

QByteArray EncodeImage(const QImage& Image, const char* Kind, int Quality) {
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, Kind);
    if (Quality >= 0) Writer.setQuality(Quality);
    if (!Writer.write(Image))
        throw EInvalidGraphic(
            Format(u"Cannot write the picture: %s", {Writer.errorString().toStdU16String()}));
    return Data;
}

void PutLE(QByteArray& Out, quint32 Value, int Bytes) {
    for (int I = 0; I < Bytes; ++I)
        Out.append(char((Value >> (8 * I)) & 0xFF));
}

quint32 GetLE(const TBytes& B, size_t Offset, int Bytes) {
    quint32 V = 0;
    for (int I = 0; I < Bytes && Offset + I < B.size(); ++I)
        V |= quint32(B[Offset + I]) << (8 * I);
    return V;
}

int BitsOf(TPixelFormat Format) {
    switch (Format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    default:
        return 32;
    }
}

int StrideOf(int Width, int Bits) {
    return ((Width * Bits + 31) / 32) * 4;
}

// The pixel format a BMP file declares (pfCustom when the bytes are no BMP).
TPixelFormat BmpPixelFormat(const TBytes& B) {
    if (B.size() < 30 || B[0] != 'B' || B[1] != 'M') return pfCustom;
    const quint32 InfoSize = GetLE(B, 14, 4);
    const int Bits = int(InfoSize == 12 ? GetLE(B, 24, 2) : GetLE(B, 28, 2));
    switch (Bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16: {
        const quint32 Compression = InfoSize >= 40 ? GetLE(B, 30, 4) : 0;
        return Compression == 3 && GetLE(B, 14 + 40 + 4, 4) == 0x07E0 ? pf16bit : pf15bit;
    }
    case 24:
        return pf24bit;
    case 32:
        return pf32bit;
    default:
        return pfCustom;
    }
}

// Bitmaps and their canvases.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}

protected:
    void CreateHandle() override {
        QImage* Surface = TBitmapPrivate::Of(FBitmap).Surface();
        if (Surface && !Surface->isNull()) {
            BindCanvas(this, Surface);
        } else {
            // An empty bitmap takes drawing and shows nothing of it.
            if (FDummy.isNull()) FDummy = QImage(1, 1, QImage::Format_RGB32);
            const TRect None{0, 0, 0, 0};
            BindCanvas(this, &FDummy, {}, &None);
        }
    }
    void Changed() override {
        TCanvas::Changed();
        TBitmapPrivate::Of(FBitmap).Touch();
    }

private:
    TBitmap* FBitmap;
    QImage FDummy;
};

} // namespace

// ---- TGraphic ----------------------------------------------------------------------------------

void TGraphic::SetSize(int AWidth, int AHeight) {
    SetWidth(AWidth);
    SetHeight(AHeight);
}

void TGraphic::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    Changed(this);
}

void TGraphic::SetModified(bool Value) {
    if (Value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject* /*Sender*/) {
    FModified = true;
    if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const String& FileName) {
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream);
}

void TGraphic::SaveToFile(const String& FileName) {
    TBytesStream Stream;
    SaveToStream(&Stream);
    const TBytes& Bytes = Stream.Bytes();
    SaveFileSafe(FileName, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
}

// ---- Bitmap pixels -----------------------------------------------------------------------------

QImage::Format TBitmapPrivate::QtFormat(TPixelFormat Format, TAlphaFormat Alpha) {
    switch (Format) {
    case pf1bit:
        return QImage::Format_Mono;
    case pf4bit:
    case pf8bit:
        return QImage::Format_Indexed8;
    case pf15bit:
        return QImage::Format_RGB555;
    case pf16bit:
        return QImage::Format_RGB16;
    case pf24bit:
        return QImage::Format_BGR888;
    default:
        return Alpha == afIgnored   ? QImage::Format_RGB32
               : Alpha == afDefined ? QImage::Format_ARGB32
                                    : QImage::Format_ARGB32_Premultiplied;
    }
}

QList<QRgb> TBitmapPrivate::Palette(TPixelFormat Format) {
    static const QRgb Vga[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                 0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
    QList<QRgb> Table;
    if (Format == pf1bit) {
        Table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    } else if (Format == pf4bit) {
        Table = QList<QRgb>(std::begin(Vga), std::end(Vga));
    } else if (Format == pf8bit) {
        // The 16 VGA colours, a 6 x 6 x 6 colour cube and 24 greys.
        Table = QList<QRgb>(std::begin(Vga), std::end(Vga));
        for (int R = 0; R < 6; ++R)
            for (int G = 0; G < 6; ++G)
                for (int B = 0; B < 6; ++B)
                    Table.append(qRgb(R * 51, G * 51, B * 51));
        for (int I = 0; I < 24; ++I) {
            const int V = 8 + I * 10;
            Table.append(qRgb(V, V, V));
        }
    }
    return Table;
}

QImage TBitmapPrivate::Convert(const QImage& Image, TPixelFormat Format, TAlphaFormat Alpha) {
    const QImage::Format Target = QtFormat(Format, Alpha);
    if (Image.format() == Target) return Image;
    if (Format == pf1bit || Format == pf4bit || Format == pf8bit) {
        // Nearest colours of the format's palette.
        const QList<QRgb> Table = Palette(Format);
        QImage Indexed = Image.convertToFormat(QImage::Format_Indexed8, Table, Qt::ThresholdDither);
        if (Format != pf1bit) return Indexed;
        return Indexed.convertToFormat(QImage::Format_Mono, Table, Qt::ThresholdDither);
    }
    return Image.convertToFormat(Target);
}

void TBitmapPrivate::Touch() {
    ++Version;
    Owner->Changed(Owner);
}

void TBitmapPrivate::Settle() {
    if (Owner->FCanvas) ReleaseCanvas(Owner->FCanvas.get());
    if (WorkActive) {
        QImage Back = Work.convertToFormat(QImage::Format_Indexed8, Store.colorTable(), Qt::ThresholdDither);
        if (Store.format() == QImage::Format_Mono)
            Back = Back.convertToFormat(QImage::Format_Mono, Store.colorTable(), Qt::ThresholdDither);
        Store = Back;
        Work = QImage();
        WorkActive = false;
    }
    if (PackedActive) {
        const int W = Store.width(), Stride = StrideOf(W, 4);
        for (int Y = 0; Y < Store.height(); ++Y) {
            uchar* Row = Store.scanLine(Y);
            const uchar* Src = Packed.data() + size_t(Y) * Stride;
            for (int X = 0; X < W; ++X)
                Row[X] = (X % 2 == 0) ? (Src[X / 2] >> 4) : (Src[X / 2] & 0x0F);
        }
        Packed.clear();
        PackedActive = false;
    }
}

QImage* TBitmapPrivate::Surface() {
    if (PackedActive) Settle();
    if (Store.isNull()) return nullptr;
    if (Indexed()) {
        if (!WorkActive) {
            Work = Store.convertToFormat(QImage::Format_RGB32);
            WorkActive = true;
        }
        return &Work;
    }
    return &Store;
}

QImage TBitmapPrivate::DrawImage() {
    if (PackedActive) Settle();
    const QImage& Cur = Current();
    if (!Owner->Transparent()) return Cur;
    if (MaskedVersion != Version || MaskedCache.isNull()) {
        QImage M = Cur.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRgb Key = QtRgb(Owner->TransparentColor()) & 0xFFFFFF;
        for (int Y = 0; Y < M.height(); ++Y) {
            QRgb* Row = reinterpret_cast<QRgb*>(M.scanLine(Y));
            for (int X = 0; X < M.width(); ++X)
                if ((Row[X] & 0xFFFFFF) == Key && qAlpha(Row[X]) == 255) Row[X] = 0;
        }
        MaskedCache = M;
        MaskedVersion = Version;
    }
    return MaskedCache;
}

void TBitmapPrivate::SetImage(const QImage& Image, TPixelFormat AFormat) {
    Settle();
    Format = AFormat;
    if (Indexed() && (Image.format() == QImage::Format_Indexed8 || Image.format() == QImage::Format_Mono) &&
        Image.format() == QtFormat(AFormat, Alpha))
        Store = Image; // keeps the picture's own palette
    else
        Store = Convert(Image, AFormat, Alpha);
    Touch();
}

QImage BitmapToQImage(TBitmap* Bitmap) {
    return TBitmapPrivate::Of(Bitmap).DrawImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void BitmapFromQImage(TBitmap* Bitmap, const QImage& Image) {
    TBitmapPrivate& D = TBitmapPrivate::Of(Bitmap);
    D.Settle();
    if (Image.hasAlphaChannel()) {
        D.Alpha = afDefined;
        D.SetImage(Image, pf32bit);
    } else {
        D.Alpha = afIgnored;
        D.SetImage(Image, pf24bit);
    }
}

// ---- TBitmap -----------------------------------------------------------------------------------

TBitmap::TBitmap() : FData(std::make_unique<TBitmapPrivate>()) {
    FData->Owner = this;
}

TBitmap::TBitmap(int AWidth, int AHeight) : TBitmap() {
    SetSize(AWidth, AHeight);
}

TBitmap::~TBitmap() {
    if (FCanvas) ReleaseCanvas(FCanvas.get());
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
    return FCanvas.get();
}

void TBitmap::Assign(TPersistent* Source) {
    if (!Source) {
        FData->Settle();
        FData->Store = QImage();
        FData->Touch();
        return;
    }
    if (auto* Other = dynamic_cast<TBitmap*>(Source)) {
        if (Other == this) return;
        Other->FData->Settle();
        FData->Settle();
        FData->Store = Other->FData->Store;
        FData->Format = Other->FData->Format;
        FData->Alpha = Other->FData->Alpha;
        FTransparentColor = Other->FTransparentColor;
        FTransparentMode = Other->FTransparentMode;
        TGraphic::SetTransparent(Other->Transparent());
        FData->Touch();
        return;
    }
    if (auto* Icon = dynamic_cast<TIcon*>(Source)) {
        Icon->AssignToBitmap(this);
        return;
    }
    TGraphic::Assign(Source);
}

int TBitmap::Width() const {
    return FData->Store.width();
}
int TBitmap::Height() const {
    return FData->Store.height();
}
void TBitmap::SetWidth(int Value) {
    SetSize(Value, Height());
}
void TBitmap::SetHeight(int Value) {
    SetSize(Width(), Value);
}
bool TBitmap::Empty() const {
    return FData->Store.width() == 0 || FData->Store.height() == 0;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    // Asked before the allocation: a size from a file or a careless sum must not take the
    // program's memory or depend on the allocation failing.
    constexpr std::int64_t MaxBytes = std::int64_t(1) << 30;
    if (AWidth < 0 || AHeight < 0)
        throw EInvalidGraphic(Format(u"Invalid bitmap size %d x %d", {AWidth, AHeight}));
    if (std::int64_t(AWidth) * AHeight > MaxBytes / 4)
        throw EInvalidGraphic(Format(u"The bitmap size %d x %d is too large (at most %d MB)",
                                     {AWidth, AHeight, int(MaxBytes >> 20)}));
    if (AWidth == Width() && AHeight == Height()) return;
    TBitmapPrivate& D = *FData;
    D.Settle();
    if (AWidth == 0 || AHeight == 0) {
        D.Store = QImage();
    } else {
        QImage New(AWidth, AHeight, TBitmapPrivate::QtFormat(D.Format, D.Alpha));
        if (New.isNull()) throw EInvalidGraphic(u"Out of system resources");
        if (D.Indexed()) {
            const QList<QRgb> Table =
                D.Store.isNull() ? TBitmapPrivate::Palette(D.Format) : D.Store.colorTable();
            New.setColorTable(Table);
            int White = 0;
            for (int I = 0; I < Table.size(); ++I)
                if ((Table[I] & 0xFFFFFF) == 0xFFFFFF) White = I;
            New.fill(uint(White));
        } else {
            New.fill(QColor(255, 255, 255));
        }
        if (!D.Store.isNull()) {
            const int W = std::min(AWidth, D.Store.width()), H = std::min(AHeight, D.Store.height());
            if (D.Format == pf1bit) {
                for (int Y = 0; Y < H; ++Y)
                    for (int X = 0; X < W; ++X)
                        New.setPixel(X, Y, D.Store.pixelIndex(X, Y));
            } else {
                const int Bytes = W * New.depth() / 8;
                for (int Y = 0; Y < H; ++Y)
                    std::memcpy(New.scanLine(Y), D.Store.constScanLine(Y), size_t(Bytes));
            }
        }
        D.Store = New;
    }
    D.Touch();
}

TPixelFormat TBitmap::PixelFormat() const {
    return FData->Format;
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    if (Value == pfCustom) throw EInvalidGraphic(u"Invalid pixel format");
    if (Value == FData->Format) return;
    FData->Settle();
    const QImage Old = FData->Store;
    FData->Format = Value;
    if (!Old.isNull()) FData->Store = TBitmapPrivate::Convert(Old, Value, FData->Alpha);
    FData->Touch();
}

TAlphaFormat TBitmap::AlphaFormat() const {
    return FData->Alpha;
}

void TBitmap::SetAlphaFormat(TAlphaFormat Value) {
    if (Value == FData->Alpha) return;
    FData->Settle();
    FData->Alpha = Value;
    if (!FData->Store.isNull() && FData->Store.depth() == 32)
        FData->Store.reinterpretAsFormat(TBitmapPrivate::QtFormat(FData->Format, Value));
    FData->Touch();
}

void TBitmap::SetMonochrome(bool Value) {
    if (Value == Monochrome()) return;
    SetPixelFormat(Value ? pf1bit : pfDevice);
}

void* TBitmap::ScanLine(int Row) {
    TBitmapPrivate& D = *FData;
    if (Row < 0 || Row >= Height()) throw EInvalidGraphicOperation(u"Scan line index out of range");
    ++D.Version;
    if (D.Format == pf4bit) {
        if (!D.PackedActive) {
            D.Settle();
            const int W = D.Store.width(), Stride = StrideOf(W, 4);
            D.Packed.assign(size_t(Stride) * D.Store.height(), 0);
            for (int Y = 0; Y < D.Store.height(); ++Y) {
                const uchar* Src = D.Store.constScanLine(Y);
                uchar* Dst = D.Packed.data() + size_t(Y) * Stride;
                for (int X = 0; X < W; ++X)
                    Dst[X / 2] |= (X % 2 == 0) ? uchar((Src[X] & 0x0F) << 4) : uchar(Src[X] & 0x0F);
            }
            D.PackedActive = true;
        } else if (FCanvas) {
            ReleaseCanvas(FCanvas.get());
        }
        return D.Packed.data() + size_t(Row) * StrideOf(D.Store.width(), 4);
    }
    D.Settle();
    return D.Store.scanLine(Row);
}

int TBitmap::RowBytes() const {
    if (FData->Format == pf4bit) return StrideOf(Width(), 4);
    return int(FData->Store.bytesPerLine());
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (Empty()) return clNone;
    // Read where the pixels are now, leaving the canvas bound.
    if (FData->PackedActive) FData->Settle();
    return ColorFromQt(FData->Current().pixel(0, Height() - 1));
}

void TBitmap::SetTransparentColor(TColor Value) {
    const TTransparentMode Mode = Value == clDefault ? tmAuto : tmFixed;
    if (Value == FTransparentColor && Mode == FTransparentMode) return;
    FTransparentColor = Value;
    FTransparentMode = Mode;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == FTransparentMode) return;
    if (Value == tmAuto)
        FTransparentColor = clDefault;
    else
        FTransparentColor = TransparentColor();
    FTransparentMode = Value;
    Changed(this);
}

void TBitmap::Changed(TObject* Sender) {
    ++FData->Version;
    TGraphic::Changed(Sender);
}

void TBitmap::LoadFromStream(TStream* Stream) {
    const TBytes Bytes = ReadRest(Stream);
    const QImage Image = DecodeImage(Bytes);
    if (Image.isNull()) throw EInvalidGraphic(u"Bitmap image is not valid");
    TPixelFormat Format = BmpPixelFormat(Bytes);
    FData->Settle();
    if (Format == pfCustom) {
        FData->Alpha = Image.hasAlphaChannel() ? afDefined : afIgnored;
        Format = Image.hasAlphaChannel() ? pf32bit : pf24bit;
    } else {
        FData->Alpha = afIgnored;
    }
    FData->SetImage(Image, Format);
}

void TBitmap::SaveToStream(TStream* Stream) {
    TBitmapPrivate& D = *FData;
    D.Settle();
    const char* Kind = FileFormat();
    if (std::strcmp(Kind, "BMP") != 0) {
        QImage Image = D.Store;
        if (Image.isNull()) throw EInvalidGraphic(u"Cannot write an empty picture");
        if (std::strcmp(Kind, "JPG") == 0 || Image.format() == QImage::Format_BGR888 ||
            Image.format() == QImage::Format_RGB555 || Image.format() == QImage::Format_RGB16)
            Image = Image.convertToFormat(QImage::Format_RGB32);
        WriteAll(Stream, EncodeImage(Image, Kind, FileQuality()));
        return;
    }
    // BMP written here, so that each pixel format keeps its bit count and row layout.
    const QImage& Img = D.Store;
    const int W = Img.width(), H = Img.height();
    const int Bits = BitsOf(D.Format);
    const int Stride = StrideOf(W, Bits);
    const bool Fields = D.Format == pf16bit;
    const int Colors = Bits <= 8 ? (1 << Bits) : 0;
    const quint32 HeaderSize = 14 + 40 + (Fields ? 12 : 0) + Colors * 4;
    const quint32 ImageSize = quint32(Stride) * H;
    QByteArray Out;
    Out.reserve(int(HeaderSize + ImageSize));
    Out.append("BM", 2);
    PutLE(Out, HeaderSize + ImageSize, 4);
    PutLE(Out, 0, 4);
    PutLE(Out, HeaderSize, 4);
    PutLE(Out, 40, 4);
    PutLE(Out, quint32(W), 4);
    PutLE(Out, quint32(H), 4);
    PutLE(Out, 1, 2);
    PutLE(Out, quint32(Bits), 2);
    PutLE(Out, Fields ? 3 : 0, 4);
    PutLE(Out, ImageSize, 4);
    PutLE(Out, 3780, 4); // 96 DPI in pixels per metre
    PutLE(Out, 3780, 4);
    PutLE(Out, quint32(Colors), 4);
    PutLE(Out, 0, 4);
    if (Fields) {
        PutLE(Out, 0xF800, 4);
        PutLE(Out, 0x07E0, 4);
        PutLE(Out, 0x001F, 4);
    }
    const QList<QRgb> Table = Img.colorTable();
    for (int I = 0; I < Colors; ++I) {
        const QRgb C = I < Table.size() ? Table[I] : 0;
        Out.append(char(qBlue(C)));
        Out.append(char(qGreen(C)));
        Out.append(char(qRed(C)));
        Out.append(char(0));
    }
    QByteArray Row(Stride, 0);
    for (int Y = H - 1; Y >= 0; --Y) {
        Row.fill(0);
        const uchar* Src = Img.constScanLine(Y);
        if (D.Format == pf4bit) {
            for (int X = 0; X < W; ++X)
                Row[X / 2] =
                    char(uchar(Row[X / 2]) | ((X % 2 == 0) ? (Src[X] & 0x0F) << 4 : (Src[X] & 0x0F)));
        } else {
            std::memcpy(Row.data(), Src, size_t(std::min<qsizetype>(Stride, Img.bytesPerLine())));
        }
        Out.append(Row);
    }
    WriteAll(Stream, Out);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) {
    QPainter& P = *CanvasPainter(ACanvas);
    const QImage Image = FData->DrawImage();
    const QRect Dest(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
    const bool Blend = Transparent() || Opacity < 255 || (Image.depth() == 32 && Image.hasAlphaChannel());
    if (Blend) {
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (Opacity < 255) P.setOpacity(Opacity / 255.0);
        P.drawImage(Dest, Image);
        P.setOpacity(1.0);
    } else {
        BlitImage(ACanvas, P, Dest, Image, ACanvas->CopyMode());
    }
}

void TPngImage::LoadFromStream(TStream* Stream) {
    TBitmap::LoadFromStream(Stream);
}

void TJPEGImage::SetCompressionQuality(int Value) {
    Value = std::clamp(Value, 1, 100);
    if (Value == FQuality) return;
    FQuality = Value;
    Changed(this);
}

// ---- TIcon -------------------------------------------------------------------------------------

TIcon::TIcon() : FImage(std::make_unique<TBitmap>()) {
    FImage->SetAlphaFormat(afDefined);
    FImage->SetPixelFormat(pf32bit);
    TGraphic::SetTransparent(true);
}

TIcon::~TIcon() = default;

void TIcon::Assign(TPersistent* Source) {
    if (!Source) {
        FImage->SetSize(0, 0);
        Changed(this);
        return;
    }
    if (auto* Other = dynamic_cast<TIcon*>(Source)) {
        if (Other != this) {
            FImage->Assign(Other->FImage.get());
            Changed(this);
        }
        return;
    }
    if (auto* Bitmap = dynamic_cast<TBitmap*>(Source)) {
        AssignFromBitmap(Bitmap);
        return;
    }
    TGraphic::Assign(Source);
}

int TIcon::Width() const {
    return FImage->Width();
}
int TIcon::Height() const {
    return FImage->Height();
}
bool TIcon::Empty() const {
    return FImage->Empty();
}

void TIcon::SetWidth(int Value) {
    if (Value != Width()) throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
}

void TIcon::SetHeight(int Value) {
    if (Value != Height()) throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
}

void TIcon::LoadStandardIcon(int IconId) {
    QStyle::StandardPixmap Kind;
    switch (IconId) {
    case IDI_APPLICATION:
        Kind = QStyle::SP_DesktopIcon;
        break;
    case IDI_ERROR:
        Kind = QStyle::SP_MessageBoxCritical;
        break;
    case IDI_QUESTION:
        Kind = QStyle::SP_MessageBoxQuestion;
        break;
    case IDI_WARNING:
        Kind = QStyle::SP_MessageBoxWarning;
        break;
    case IDI_INFORMATION:
        Kind = QStyle::SP_MessageBoxInformation;
        break;
    default:
        throw EInvalidGraphic(u"Icon image is not valid");
    }
    const QImage Image = QApplication::style()->standardIcon(Kind).pixmap(32, 32).toImage();
    if (Image.isNull()) throw EInvalidGraphic(u"Icon image is not valid");
    IconFromQImage(this, Image.scaled(32, 32));
}

bool LoadThemeIcon(TBitmap* Bitmap, const String& Name, int Size) {
    if (!Bitmap || Size <= 0 || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    // A desktop without a theme of its own (a bare window manager, the offscreen platform)
    // still finds the common icons in the theme that every desktop installs.
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QStringLiteral("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    // Without a theme of the desktop's, theme icons are not looked up at all.
    if (QIcon::themeName().isEmpty()) QIcon::setThemeName(QStringLiteral("Adwaita"));
    // Platforms without a desktop theme (the offscreen one) search only the program's resources:
    // the desktop's icon folders are added once, as the desktop platforms list them.
    static const bool Searched = [] {
        QStringList Paths = QIcon::themeSearchPaths();
        const QString Home = QDir::homePath();
        QStringList Data = qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts);
        if (Data.isEmpty()) Data = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
        QStringList Wanted{Home + QStringLiteral("/.icons")};
        for (const QString& D : Data)
            Wanted << D + QStringLiteral("/icons");
        for (const QString& W : Wanted)
            if (!Paths.contains(W) && !Paths.contains(W + u'/')) Paths << W;
        QIcon::setThemeSearchPaths(Paths);
        return true;
    }();
    (void)Searched;
    const QString QName = QString::fromUtf16(Name.data(), qsizetype(Name.size()));
    if (!QIcon::hasThemeIcon(QName)) return false;
    const QPixmap Pixmap = QIcon::fromTheme(QName).pixmap(QSize(Size, Size));
    if (Pixmap.isNull()) return false;
    // A theme without the size draws a smaller picture: it sits in the middle.
    QImage Image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    {
        QPainter P(&Image);
        QImage Icon = Pixmap.toImage();
        if (Icon.width() > Size || Icon.height() > Size)
            Icon = Icon.scaled(Size, Size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        P.drawImage((Size - Icon.width()) / 2, (Size - Icon.height()) / 2, Icon);
    }
    BitmapFromQImage(Bitmap, Image);
    return true;
}

void TIcon::LoadFromStream(TStream* Stream) {
    const QImage Image = DecodeImage(ReadRest(Stream));
    if (Image.isNull()) throw EInvalidGraphic(u"Icon image is not valid");
    IconFromQImage(this, Image);
}

void TIcon::SaveToStream(TStream* Stream) {
    if (Empty()) throw EInvalidGraphic(u"Cannot write an empty picture");
    WriteAll(Stream, EncodeImage(IconToQImage(this).convertToFormat(QImage::Format_ARGB32), "ICO", -1));
}

void TIcon::AssignToBitmap(TBitmap* Bitmap) const {
    Bitmap->Assign(FImage.get());
    Bitmap->SetTransparent(false);
}

void TIcon::AssignFromBitmap(TBitmap* Bitmap) {
    const QImage Image = BitmapToQImage(Bitmap).convertToFormat(QImage::Format_ARGB32);
    TBitmapPrivate& D = TBitmapPrivate::Of(FImage.get());
    D.Settle();
    D.Alpha = afDefined;
    D.SetImage(Image, pf32bit);
    Changed(this);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) {
    QPainter& P = *CanvasPainter(ACanvas);
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (Opacity < 255) P.setOpacity(Opacity / 255.0);
    P.drawImage(QRect(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()), IconToQImage(this));
    P.setOpacity(1.0);
}

QImage IconToQImage(TIcon* Icon) {
    TBitmap Copy;
    Icon->AssignToBitmap(&Copy);
    return BitmapToQImage(&Copy);
}

void IconFromQImage(TIcon* Icon, const QImage& Image) {
    TBitmap Bitmap;
    BitmapFromQImage(&Bitmap, Image);
    Icon->AssignFromBitmap(&Bitmap);
}
