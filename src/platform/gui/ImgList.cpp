// Image lists: images with alpha (premultiplied) of one size, drawn in the looks of the class
// library: normal, on a background colour, blended for focus and selection, embossed when
// disabled.
#include "platform/gui/ImgList.h"

#include "platform/gui/GraphicsQt.h"

struct TImageListData {
    std::vector<QImage> Images; // Width x Height, ARGB32 premultiplied
};

namespace {

QImage Sized(const QImage& Source, int W, int H) {
    if (Source.width() == W && Source.height() == H) return Source;
    return Source.scaled(W, H, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage Opaque(const QImage& Image) {
    return Image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Pixels of Key become transparent.
void ClearColor(QImage& Image, TColor Key) {
    const QRgb K = QtRgb(Key) & 0xFFFFFF;
    for (int Y = 0; Y < Image.height(); ++Y) {
        QRgb* Row = reinterpret_cast<QRgb*>(Image.scanLine(Y));
        for (int X = 0; X < Image.width(); ++X)
            if (qAlpha(Row[X]) == 255 && (Row[X] & 0xFFFFFF) == K) Row[X] = 0;
    }
}

// Mixes every visible pixel with Color by Percent.
QImage Blend(const QImage& Source, TColor Color, int Percent) {
    QImage Out = Source.copy();
    const QRgb C = QtRgb(Color);
    for (int Y = 0; Y < Out.height(); ++Y) {
        QRgb* Row = reinterpret_cast<QRgb*>(Out.scanLine(Y));
        for (int X = 0; X < Out.width(); ++X) {
            const int A = qAlpha(Row[X]);
            if (A == 0) continue;
            auto Mix = [&](int S, int B) { return (S * (100 - Percent) + (B * A / 255) * Percent) / 100; };
            Row[X] = qRgba(Mix(qRed(Row[X]), qRed(C)), Mix(qGreen(Row[X]), qGreen(C)),
                           Mix(qBlue(Row[X]), qBlue(C)), A);
        }
    }
    return Out;
}

// The silhouette of the image's dark, visible pixels in one colour.
QImage Silhouette(const QImage& Source, TColor Color) {
    QImage Out(Source.size(), QImage::Format_ARGB32_Premultiplied);
    Out.fill(0);
    const QRgb C = QtRgb(Color);
    for (int Y = 0; Y < Source.height(); ++Y) {
        const QRgb* Src = reinterpret_cast<const QRgb*>(Source.constScanLine(Y));
        QRgb* Dst = reinterpret_cast<QRgb*>(Out.scanLine(Y));
        for (int X = 0; X < Source.width(); ++X) {
            const int A = qAlpha(Src[X]);
            if (A < 128) continue;
            const QRgb P = qUnpremultiply(Src[X]);
            const int Luma = (qRed(P) * 30 + qGreen(P) * 59 + qBlue(P) * 11) / 100;
            if (Luma < 192) Dst[X] = C;
        }
    }
    return Out;
}

QImage MaskImage(const QImage& Source) {
    QImage Out(Source.size(), QImage::Format_ARGB32_Premultiplied);
    for (int Y = 0; Y < Source.height(); ++Y) {
        const QRgb* Src = reinterpret_cast<const QRgb*>(Source.constScanLine(Y));
        QRgb* Dst = reinterpret_cast<QRgb*>(Out.scanLine(Y));
        for (int X = 0; X < Source.width(); ++X)
            Dst[X] = qAlpha(Src[X]) >= 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    return Out;
}

} // namespace

// ---- TChangeLink -------------------------------------------------------------------------------

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(FSender);
}

// ---- TCustomImageList --------------------------------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* AOwner)
    : TComponent(AOwner), FData(std::make_unique<TImageListData>()) {}

TCustomImageList::TCustomImageList(int AWidth, int AHeight)
    : TCustomImageList(static_cast<TComponent*>(nullptr)) {
    FWidth = std::max(1, AWidth);
    FHeight = std::max(1, AHeight);
}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* Link : FChangeLinks)
        Link->SetSender(nullptr);
}

void TImageList::Published(TPublisher<TImageList>& P) {
    P.Property(u"AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy).Default(4);
    P.Property(u"BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor)
        .As(ColorTypeInfo())
        .Default(clNone);
    P.Property(u"BkColor", &TImageList::BkColor, &TImageList::SetBkColor).As(ColorTypeInfo()).Default(clNone);
    P.Property(u"DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle).Default(dsNormal);
    P.Property(u"Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
    P.Property(u"ImageType", &TImageList::ImageType, &TImageList::SetImageType).Default(itImage);
    P.Property(u"Masked", &TImageList::Masked, &TImageList::SetMasked).Default(true);
    P.Property(u"Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
    P.Property(u"OnChange", &TImageList::OnChange);
}

void TCustomImageList::Assign(TPersistent* Source) {
    if (auto* Other = dynamic_cast<TCustomImageList*>(Source)) {
        if (Other == this) return;
        FWidth = Other->FWidth;
        FHeight = Other->FHeight;
        FAllocBy = Other->FAllocBy;
        FBkColor = Other->FBkColor;
        FBlendColor = Other->FBlendColor;
        FDrawingStyle = Other->FDrawingStyle;
        FImageType = Other->FImageType;
        FMasked = Other->FMasked;
        FData->Images = Other->FData->Images;
        FOverlays = Other->FOverlays;
        Change();
        return;
    }
    TComponent::Assign(Source);
}

void TCustomImageList::SetWidth(int Value) {
    SetSize(Value, FHeight);
}
void TCustomImageList::SetHeight(int Value) {
    SetSize(FWidth, Value);
}

void TCustomImageList::SetSize(int AWidth, int AHeight) {
    AWidth = std::max(1, AWidth);
    AHeight = std::max(1, AHeight);
    if (AWidth == FWidth && AHeight == FHeight) return;
    FWidth = AWidth;
    FHeight = AHeight;
    FData->Images.clear();
    Change();
}

int TCustomImageList::Count() const {
    return int(FData->Images.size());
}

void TCustomImageList::SetBkColor(TColor Value) {
    if (Value == FBkColor) return;
    FBkColor = Value;
    Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
    if (Value == FBlendColor) return;
    FBlendColor = Value;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
    if (Value == FDrawingStyle) return;
    FDrawingStyle = Value;
    Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
    if (Value == FImageType) return;
    FImageType = Value;
    Change();
}

void TCustomImageList::SetMasked(bool Value) {
    if (Value == FMasked) return;
    FMasked = Value;
    if (!FMasked)
        for (QImage& I : FData->Images)
            I = Opaque(I);
    Change();
}

void TCustomImageList::CheckIndex(int Index, bool AllowEnd) const {
    if (Index < 0 || Index > Count() || (Index == Count() && !AllowEnd))
        throw EInvalidOperation(u"Invalid ImageList Index");
}

namespace {

// The images of a bitmap cut into pieces of the list's size.
std::vector<QImage> Pieces(QImage Source, int W, int H, bool Masked) {
    std::vector<QImage> Out;
    if (Source.isNull()) return Out;
    if (!Masked) Source = Opaque(Source);
    const int N = std::max(1, Source.width() / W);
    for (int I = 0; I < N; ++I)
        Out.push_back(Source.copy(I * W, 0, W, H));
    return Out;
}

QImage SourceImage(TBitmap* Image, TBitmap* Mask) {
    QImage Source = BitmapToQImage(Image);
    if (Mask && !Mask->Empty()) {
        const QImage M = BitmapToQImage(Mask);
        for (int Y = 0; Y < Source.height() && Y < M.height(); ++Y) {
            QRgb* Row = reinterpret_cast<QRgb*>(Source.scanLine(Y));
            const QRgb* MRow = reinterpret_cast<const QRgb*>(M.constScanLine(Y));
            for (int X = 0; X < Source.width() && X < M.width(); ++X)
                if ((MRow[X] & 0xFFFFFF) == 0xFFFFFF) Row[X] = 0;
        }
    }
    return Source;
}

QImage MaskedSource(TBitmap* Image, TColor MaskColor) {
    QImage Source = BitmapToQImage(Image);
    if (MaskColor == clDefault && !Image->Empty())
        MaskColor = ColorFromQt(Source.pixel(0, Source.height() - 1));
    if (MaskColor != clNone) ClearColor(Source, MaskColor);
    return Source;
}

} // namespace

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image || Image->Empty()) return -1;
    const int First = Count();
    Insert(First, Image, Mask);
    return Count() > First ? First : -1;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image || Image->Empty()) return -1;
    const int First = Count();
    InsertMasked(First, Image, MaskColor);
    return Count() > First ? First : -1;
}

int TCustomImageList::AddIcon(TIcon* Image) {
    if (!Image || Image->Empty()) return -1;
    const int First = Count();
    InsertIcon(First, Image);
    return First;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
    if (!Value || Value == this) return;
    for (const QImage& I : Value->FData->Images)
        FData->Images.push_back(FMasked ? Sized(I, FWidth, FHeight) : Opaque(Sized(I, FWidth, FHeight)));
    Change();
}

int TCustomImageList::AddStrip(TGraphic* Strip, TColor MaskColor) {
    if (!Strip || Strip->Empty()) return -1;
    TBitmap Bitmap;
    Bitmap.Assign(Strip);
    return MaskColor == clNone ? Add(&Bitmap, nullptr) : AddMasked(&Bitmap, MaskColor);
}

bool TCustomImageList::FileLoad(TResType ResType, const String& Name, TColor MaskColor) {
    if (ResType != rtBitmap) return false;
    TPicture Picture;
    try {
        Picture.LoadFromFile(Name);
    } catch (const Exception&) {
        return false;
    }
    BeginUpdate();
    Clear();
    AddStrip(Picture.Graphic(), MaskColor);
    EndUpdate();
    return true;
}

void TCustomImageList::Insert(int Index, TBitmap* Image, TBitmap* Mask) {
    CheckIndex(Index, true);
    if (!Image || Image->Empty()) return;
    const auto New = Pieces(SourceImage(Image, FMasked ? Mask : nullptr), FWidth, FHeight, FMasked);
    FData->Images.insert(FData->Images.begin() + Index, New.begin(), New.end());
    Change();
}

void TCustomImageList::InsertMasked(int Index, TBitmap* Image, TColor MaskColor) {
    CheckIndex(Index, true);
    if (!Image || Image->Empty()) return;
    const auto New = Pieces(MaskedSource(Image, MaskColor), FWidth, FHeight, FMasked);
    FData->Images.insert(FData->Images.begin() + Index, New.begin(), New.end());
    Change();
}

void TCustomImageList::InsertIcon(int Index, TIcon* Image) {
    CheckIndex(Index, true);
    if (!Image || Image->Empty()) return;
    QImage I = Sized(IconToQImage(Image), FWidth, FHeight);
    FData->Images.insert(FData->Images.begin() + Index, FMasked ? I : Opaque(I));
    Change();
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
    CheckIndex(Index);
    if (!Image || Image->Empty()) return;
    const auto New = Pieces(SourceImage(Image, FMasked ? Mask : nullptr), FWidth, FHeight, FMasked);
    FData->Images[Index] = New.front();
    Change();
}

void TCustomImageList::ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor) {
    CheckIndex(Index);
    if (!NewImage || NewImage->Empty()) return;
    FData->Images[Index] = Pieces(MaskedSource(NewImage, MaskColor), FWidth, FHeight, FMasked).front();
    Change();
}

void TCustomImageList::ReplaceIcon(int Index, TIcon* Image) {
    CheckIndex(Index);
    if (!Image || Image->Empty()) return;
    QImage I = Sized(IconToQImage(Image), FWidth, FHeight);
    FData->Images[Index] = FMasked ? I : Opaque(I);
    Change();
}

void TCustomImageList::Delete(int Index) {
    if (Index == -1) {
        Clear();
        return;
    }
    CheckIndex(Index);
    FData->Images.erase(FData->Images.begin() + Index);
    // Overlays follow their images; one whose image went is no longer set.
    for (int& O : FOverlays)
        O = O == Index ? -1 : O > Index ? O - 1 : O;
    Change();
}

void TCustomImageList::Move(int CurIndex, int NewIndex) {
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    if (CurIndex == NewIndex) return;
    QImage I = FData->Images[CurIndex];
    FData->Images.erase(FData->Images.begin() + CurIndex);
    FData->Images.insert(FData->Images.begin() + NewIndex, I);
    for (int& O : FOverlays) {
        if (O < 0) continue;
        if (O == CurIndex)
            O = NewIndex;
        else if (CurIndex < NewIndex && O > CurIndex && O <= NewIndex)
            --O;
        else if (NewIndex < CurIndex && O >= NewIndex && O < CurIndex)
            ++O;
    }
    Change();
}

void TCustomImageList::Clear() {
    FData->Images.clear();
    FOverlays.fill(-1);
    Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    Draw(Canvas, X, Y, Index, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    DoDraw(Index, Canvas, X, Y, ADrawingStyle, AImageType, Enabled);
}

void TCustomImageList::DoDraw(int Index, TCanvas* Canvas, int X, int Y, TDrawingStyle Style, TImageType Type,
                              bool Enabled) {
    const QImage& Image = FData->Images[Index];
    QPainter& P = BeginCanvasDrawing(Canvas);
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const TColor Blending = (FBlendColor == clNone || FBlendColor == clDefault) ? clHighlight : FBlendColor;
    if (Type == itMask) {
        P.drawImage(QPoint(X, Y), MaskImage(Image));
    } else if (!Enabled) {
        // The class library's disabled look: the dark parts embossed, a highlight one pixel
        // down and right of the shadow.
        P.drawImage(QPoint(X + 1, Y + 1), Silhouette(Image, clBtnHighlight));
        P.drawImage(QPoint(X, Y), Silhouette(Image, clBtnShadow));
    } else {
        switch (Style) {
        case dsFocus:
            P.drawImage(QPoint(X, Y), Blend(Image, Blending, 25));
            break;
        case dsSelected:
            P.drawImage(QPoint(X, Y), Blend(Image, Blending, 50));
            break;
        case dsNormal:
            if (FBkColor != clNone) P.fillRect(QRect(X, Y, FWidth, FHeight), QtColor(FBkColor));
            P.drawImage(QPoint(X, Y), Image);
            break;
        default:
            P.drawImage(QPoint(X, Y), Image);
            break;
        }
    }
    EndCanvasDrawing(Canvas);
}

void TCustomImageList::DrawBlended(TCanvas* Canvas, int X, int Y, int Index, TColor ABlendColor) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    const TColor Blending = (ABlendColor == clNone || ABlendColor == clDefault) ? clHighlight : ABlendColor;
    QPainter& P = BeginCanvasDrawing(Canvas);
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    P.drawImage(QPoint(X, Y), Blend(FData->Images[Index], Blending, 50));
    EndCanvasDrawing(Canvas);
}

bool TCustomImageList::Overlay(int ImageIndex, int OverlayIndex) {
    if (ImageIndex < 0 || ImageIndex >= Count() || OverlayIndex < 0 ||
        OverlayIndex >= static_cast<int>(FOverlays.size()))
        return false;
    FOverlays[static_cast<std::size_t>(OverlayIndex)] = ImageIndex;
    return true;
}

int TCustomImageList::OverlayImage(int OverlayIndex) const {
    if (OverlayIndex < 0 || OverlayIndex >= static_cast<int>(FOverlays.size())) return -1;
    return FOverlays[static_cast<std::size_t>(OverlayIndex)];
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, int X, int Y, int Index, int OverlayIndex,
                                   TDrawingStyle ADrawingStyle, TImageType AImageType, bool Enabled) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    DoDraw(Index, Canvas, X, Y, ADrawingStyle, AImageType, Enabled);
    const int Over = OverlayImage(OverlayIndex);
    if (Over >= 0 && Over < Count()) DoDraw(Over, Canvas, X, Y, ADrawingStyle, AImageType, Enabled);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
    if (!Image || Index < 0 || Index >= Count()) return false;
    QImage Out(FWidth, FHeight, QImage::Format_RGB32);
    Out.fill(QtColor(FBkColor == clNone ? clWhite : FBkColor));
    {
        QPainter P(&Out);
        P.drawImage(0, 0, FData->Images[Index]);
    }
    BitmapFromQImage(Image, Out);
    return true;
}

bool TCustomImageList::GetImageBitmap(int Index, TBitmap* Image) {
    if (!Image || Index < 0 || Index >= Count()) return false;
    BitmapFromQImage(Image, FData->Images[Index].convertToFormat(QImage::Format_ARGB32));
    return true;
}

bool TCustomImageList::GetIcon(int Index, TIcon* Image) {
    if (!Image || Index < 0 || Index >= Count()) return false;
    IconFromQImage(Image, FData->Images[Index]);
    return true;
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
    if (!Value) return;
    Value->SetSender(this);
    if (std::find(FChangeLinks.begin(), FChangeLinks.end(), Value) == FChangeLinks.end())
        FChangeLinks.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
    std::erase(FChangeLinks, Value);
    if (Value && Value->Sender() == this) Value->SetSender(nullptr);
}

void TCustomImageList::BeginUpdate() {
    ++FUpdateCount;
}

void TCustomImageList::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) {
        FChanged = false;
        Change();
    }
}

void TCustomImageList::Change() {
    if (FUpdateCount > 0) {
        FChanged = true;
        return;
    }
    const std::vector<TChangeLink*> Links = FChangeLinks;
    for (TChangeLink* Link : Links)
        if (std::find(FChangeLinks.begin(), FChangeLinks.end(), Link) != FChangeLinks.end()) Link->Change();
    if (OnChange) OnChange(this);
}
