// Painting the tree: the rows that reach into the area being painted, each composed in a
// one-row bitmap cell by cell (background, selection, focus, lines, button, check box, images,
// content) and copied to the target; the area below the last row; the empty-list message; the
// header strip in the window's frame.

#include "platform/base/Math.h"
#include "platform/base/ScopeGuard.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Messages.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr TColor ButtonMask = RGB(255, 0, 255);

TSize ImagesSize(TCustomImageList* List) {
    return List ? TSize{List->Width(), List->Height()} : TSize{0, 0};
}

// The node whose row holds tree position Y, found by descending through the subtrees' heights:
// the cost follows the tree's depth and breadth, not the position.
PLeanNode NodeAtPosition(TBaseLeanTree& Tree, long long Y, int& NodeTop) {
    const bool ShowFiltered = Tree.TreeOptions()->PaintOptions().Contains(toShowFilteredNodes);
    PLeanNode Parent = Tree.RootNode();
    long long Top = 0;
    for (;;) {
        bool Descended = false;
        for (PLeanNode Run = Parent->FirstChild; Run; Run = Run->NextSibling) {
            if (!Run->States.Contains(vsVisible) || (!ShowFiltered && Run->States.Contains(vsFiltered)))
                continue;
            const long long Height = Run->States.Contains(vsExpanded) ? Run->TotalHeight : Run->NodeHeight;
            if (Y < Top + Height) {
                if (Y < Top + Run->NodeHeight) {
                    NodeTop = static_cast<int>(Top);
                    return Run;
                }
                Top += Run->NodeHeight;
                Parent = Run;
                Descended = true;
                break;
            }
            Top += Height;
        }
        if (!Descended) return nullptr;
    }
}

} // namespace

// ---- Look properties ------------------------------------------------------------------------------

void TBaseLeanTree::SetButtonStyle(TLTButtonStyle Value) {
    if (FButtonStyle == Value) return;
    FButtonStyle = Value;
    BuildButtonAndLineImages(true, false);
    Invalidate();
}

void TBaseLeanTree::SetButtonFillMode(TLTButtonFillMode Value) {
    if (FButtonFillMode == Value) return;
    FButtonFillMode = Value;
    BuildButtonAndLineImages(true, false);
    Invalidate();
}

void TBaseLeanTree::SetLineStyle(TLTLineStyle Value) {
    if (FLineStyle == Value) return;
    FLineStyle = Value;
    BuildButtonAndLineImages(false, true);
    Invalidate();
}

void TBaseLeanTree::SetLineMode(TLTLineMode Value) {
    if (FLineMode == Value) return;
    FLineMode = Value;
    Invalidate();
}

void TBaseLeanTree::SetNodeAlignment(TLTNodeAlignment Value) {
    if (FNodeAlignment == Value) return;
    FNodeAlignment = Value;
    Invalidate();
}

void TBaseLeanTree::SetSelectionCurveRadius(Cardinal Value) {
    if (FSelectionCurveRadius == Value) return;
    FSelectionCurveRadius = Value;
    Invalidate();
}

void TBaseLeanTree::SetCheckImageKind(TCheckImageKind Value) {
    if (FCheckImageKind == Value) return;
    FCheckImageKind = Value;
    Invalidate();
}

void TBaseLeanTree::SetCustomCheckImages(TCustomImageList* Value) {
    if (FCustomCheckImages == Value) return;
    FCustomCheckImages = Value;
    if (FCheckImageKind == ckCustom) Invalidate();
}

TCustomImageList* TBaseLeanTree::CheckImages() const {
    return FCheckImageKind == ckCustom ? FCustomCheckImages : CheckImageSet(FCheckImageKind);
}

void TBaseLeanTree::SetEmptyListMessage(const String& Value) {
    if (FEmptyListMessage == Value) return;
    FEmptyListMessage = Value;
    Invalidate();
}

void TBaseLeanTree::SetAlignment(TAlignment Value) {
    if (FAlignment == Value) return;
    FAlignment = Value;
    Invalidate();
}

// ---- The header in the frame ----------------------------------------------------------------------

TRect TBaseLeanTree::NonClientMargins() const {
    TRect M = TCustomControl::NonClientMargins();
    if (FHeader && FHeader->Options().Contains(hoVisible)) M.Top += FHeader->Height();
    return M;
}

TRect TBaseLeanTree::HeaderRect() const {
    const TRect Frame = TCustomControl::NonClientMargins();
    const int Top = Frame.Top;
    const int HeaderHeight = FHeader->Options().Contains(hoVisible) ? FHeader->Height() : 0;
    return {Frame.Left, Top, Width() - Frame.Right, Top + HeaderHeight};
}

void TBaseLeanTree::HeaderLayoutChanged() {
    if (HandleAllocated()) NonClientChanged();
}

void TBaseLeanTree::InvalidateHeader() {
    // The frame is painted with the window.
    if (HandleAllocated()) Invalidate();
}

void TBaseLeanTree::WMNCPaint(TMessage& Message) {
    TCustomControl::WMNCPaint(Message);
    const bool Header = FHeader->Options().Contains(hoVisible);
    if ((!Header && BorderWidth() == 0 && BevelKind() == bkNone) || !HandleAllocated()) return;
    if (!FHeaderCanvas) {
        FHeaderCanvas = std::make_unique<TWindowCanvas>();
        FHeaderCanvas->SetControl(this);
    }
    TScopeExit Release([this] { FHeaderCanvas->FreeHandle(); });
    if (Header) FHeader->PaintHeader(FHeaderCanvas.get(), HeaderRect(), FEffectiveOffsetX);
    PaintBorder(FHeaderCanvas.get());
}

TSize TBaseLeanTree::BorderExtents() const {
    TCreateParams Params;
    const_cast<TBaseLeanTree*>(this)->CreateParams(Params);
    TSize Size{0, 0};
    if (Params.Style & WS_BORDER) Size = {Size.cx - 1, Size.cy - 1};
    if (Params.ExStyle & WS_EX_CLIENTEDGE) Size = {Size.cx - 2, Size.cy - 2};
    return Size;
}

void TBaseLeanTree::PaintBorder(TCanvas* Canvas) {
    if (BevelKind() == bkNone && BorderWidth() == 0) return;
    const TSize Extents = BorderExtents();
    TRect Outer{0, 0, Width(), Height()};
    InflateRect(Outer, Extents.cx, Extents.cy);
    DrawBevel(Canvas, Outer);
    if (BorderWidth() == 0) return;
    TRect Inner = Outer;
    InflateRect(Inner, -BorderWidth(), -BorderWidth());
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FColors->BorderColor());
    // The ring alone: four bands around the inner rectangle.
    Canvas->FillRect(TRect{Outer.Left, Outer.Top, Outer.Right, Inner.Top});
    Canvas->FillRect(TRect{Outer.Left, Inner.Bottom, Outer.Right, Outer.Bottom});
    Canvas->FillRect(TRect{Outer.Left, Inner.Top, Inner.Left, Inner.Bottom});
    Canvas->FillRect(TRect{Inner.Right, Inner.Top, Outer.Right, Inner.Bottom});
}

void TBaseLeanTree::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TBaseLeanTree::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style &= ~WS_BORDER;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    // A single border is a sunken edge in the 3-D look, a plain line without it.
    if (FBorderStyle == Controls::bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TBaseLeanTree::CMCtl3DChanged(TMessage& Message) {
    TCustomControl::CMCtl3DChanged(Message);
    if (FBorderStyle == Controls::bsSingle && HandleAllocated()) RecreateWnd();
}

void TBaseLeanTree::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    // Every pixel is painted by the rows and the area below them.
    Message.Result = 1;
}

void TBaseLeanTree::MainColumnChanged() {
    // An edit of the old main column cannot go on.
    CancelCellEdit();
    Invalidate();
}

void TBaseLeanTree::DoColumnResize(TColumnIndex Column) {
    if (FHeader->States().Contains(hsLoading)) return;
    if (HandleAllocated()) {
        UpdateHorizontalScrollBar(false);
        Invalidate();
    }
    if (OnColumnResize) OnColumnResize(FHeader.get(), Column);
}

// ---- Button bitmaps and the line pattern ----------------------------------------------------------

void TBaseLeanTree::BuildButtonAndLineImages(bool NeedButtons, bool NeedLines) {
    if (NeedButtons) {
        constexpr int Size = 9;
        auto Make = [&](bool Plus) {
            auto B = std::make_unique<TBitmap>(Size, Size);
            TCanvas* C = B->Canvas();
            C->Brush()->SetColor(ButtonMask);
            C->FillRect(Rect(0, 0, Size, Size));
            const TColor Ink = Font()->Color();
            if (FButtonStyle == bsTriangle) {
                C->Brush()->SetColor(clBlack);
                C->Pen()->SetColor(clBlack);
                if (Plus)
                    C->Polygon(std::vector<TPoint>{{2, 0}, {6, 4}, {2, 8}});
                else
                    C->Polygon(std::vector<TPoint>{{0, 2}, {8, 2}, {4, 6}});
            } else {
                switch (FButtonFillMode) {
                case fmTreeColor:
                    C->Brush()->SetColor(Color());
                    break;
                case fmWindowColor:
                    C->Brush()->SetColor(clWindow);
                    break;
                case fmShaded:
                    C->Brush()->SetColor(clBtnFace);
                    break;
                case fmTransparent:
                    C->Brush()->SetColor(ButtonMask);
                    break;
                }
                C->Pen()->SetColor(FColors->TreeLineColor());
                C->Rectangle(0, 0, Size, Size);
                C->Pen()->SetColor(Ink);
                C->MoveTo(2, Size / 2);
                C->LineTo(Size - 2, Size / 2);
                if (Plus) {
                    C->MoveTo(Size / 2, 2);
                    C->LineTo(Size / 2, Size - 2);
                }
            }
            B->SetTransparentColor(ButtonMask);
            B->SetTransparent(true);
            return B;
        };
        FPlusBM = Make(true);
        FMinusBM = Make(false);
        FHotPlusBM = std::make_unique<TBitmap>();
        FHotPlusBM->Assign(FPlusBM.get());
        FHotMinusBM = std::make_unique<TBitmap>();
        FHotMinusBM->Assign(FMinusBM.get());
    }
    if (NeedLines) {
        // 8 rows of pattern bits: a 0 bit takes the line colour, a 1 bit the background.
        Word Rows[8];
        for (int I = 0; I < 8; ++I)
            Rows[I] = FLineStyle == lsSolid ? 0 : (I % 2 == 0 ? 0x55 : 0xAA);
        if (FLineStyle == lsCustomStyle) {
            const void* Bits = Rows;
            DoGetLineStyle(Bits);
            if (Bits && Bits != Rows) std::copy_n(static_cast<const Word*>(Bits), 8, Rows);
        }
        FDottedBrush = std::make_unique<TBitmap>(8, 8);
        FDottedBrush->SetPixelFormat(pf1bit);
        for (int Y = 0; Y < 8; ++Y) {
            auto* Line = static_cast<Byte*>(FDottedBrush->ScanLine(Y));
            Line[0] = static_cast<Byte>(Rows[Y] & 0xFF);
        }
    }
}

// ---- Geometry of a row ----------------------------------------------------------------------------

void TBaseLeanTree::ComputeNodeAlignment(PLeanNode Node, int RowHeight, bool HasImage, bool HasStateImage,
                                         int& VAlign, int& ButtonY) {
    const int ButtonHeight = FPlusBM ? FPlusBM->Height() : 9;
    switch (FNodeAlignment) {
    case naFromBottom:
        VAlign = RowHeight - Node->Align;
        break;
    case naFromTop:
        VAlign = Node->Align;
        break;
    case naProportional: {
        int ImageHeight = 0;
        if (HasImage)
            ImageHeight = ImageListExtent(Node).cy;
        else if (HasStateImage && StateImages())
            ImageHeight = StateImages()->Height();
        else if (TreeOptions()->PaintOptions().Contains(toShowButtons))
            ImageHeight = ButtonHeight;
        VAlign = ImageHeight > 0 ? MulDiv(RowHeight - ImageHeight, Node->Align, 100) + ImageHeight / 2
                                 : MulDiv(RowHeight, Node->Align, 100);
        break;
    }
    }
    ButtonY = VAlign - (ButtonHeight + 1) / 2;
}

void TBaseLeanTree::ShiftByIndent(TCellPaintInfo& PI, int Levels) {
    const int Shift = Levels * static_cast<int>(Indent());
    if (PI.BidiMode != bdLeftToRight) {
        PI.ContentRect.Right -= Shift;
        for (TCellImageInfo& I : PI.ImageInfo)
            I.XPos -= Shift;
    } else {
        PI.ContentRect.Left += Shift;
        for (TCellImageInfo& I : PI.ImageInfo)
            I.XPos += Shift;
    }
}

bool TBaseLeanTree::HasShownLaterSibling(PLeanNode Node) {
    for (PLeanNode Run = Node->NextSibling; Run; Run = Run->NextSibling)
        if (IsEffectivelyVisible(Run)) return true;
    return false;
}

bool TBaseLeanTree::HasShownEarlierSibling(PLeanNode Node) {
    for (PLeanNode Run = Node->PrevSibling; Run; Run = Run->PrevSibling)
        if (IsEffectivelyVisible(Run)) return true;
    return false;
}

bool TBaseLeanTree::IsFirstShownChild(PLeanNode Parent, PLeanNode Node) {
    for (PLeanNode Run = Parent->FirstChild; Run; Run = Run->NextSibling)
        if (IsEffectivelyVisible(Run)) return Run == Node;
    return false;
}

bool TBaseLeanTree::IsLastShownChild(PLeanNode Parent, PLeanNode Node) {
    for (PLeanNode Run = Parent->LastChild; Run; Run = Run->PrevSibling)
        if (IsEffectivelyVisible(Run)) return Run == Node;
    return false;
}

int TBaseLeanTree::BuildLineImage(PLeanNode Node, TLineImage& LineImage) {
    const auto& Paint = TreeOptions()->PaintOptions();
    int X = Paint.Contains(toShowRoot) ? 1 : 0;
    int SelectionLevel = 0;
    for (PLeanNode Run = Node->Parent; Run != RootNode(); Run = Run->Parent) {
        ++X;
        if (Run->States.Contains(vsSelected)) ++SelectionLevel;
    }
    LineImage.assign(static_cast<std::size_t>(X), ltNone);
    if (!Paint.Contains(toShowTreeLines) || X == 0) return SelectionLevel;
    const bool TopLevel = Node->Parent == RootNode();
    if (Paint.Contains(toChildrenAbove)) {
        const bool Later = HasShownLaterSibling(Node);
        if (HasShownEarlierSibling(Node))
            LineImage.back() = !TopLevel || Later ? ltTopDownRight : ltTopRight;
        else
            LineImage.back() = !TopLevel || Later ? ltBottomRight : ltRight;
        std::size_t Entry = LineImage.size() - 1;
        for (PLeanNode Run = Node->Parent; Run != RootNode() && Entry > 0; Run = Run->Parent)
            LineImage[--Entry] = HasShownEarlierSibling(Run) ? ltTopDown : ltNone;
        return SelectionLevel;
    }
    std::size_t Entry = LineImage.size() - 1;
    if (!TopLevel) {
        LineImage[Entry] = HasShownLaterSibling(Node) ? ltTopDownRight : ltTopRight;
        for (PLeanNode Run = Node->Parent; Run->Parent != RootNode() && Entry > 0; Run = Run->Parent)
            LineImage[--Entry] = HasShownLaterSibling(Run) ? ltTopDown : ltNone;
    }
    if (Paint.Contains(toShowRoot)) {
        PLeanNode Top = Node;
        while (Top->Parent != RootNode())
            Top = Top->Parent;
        if (Top == Node) {
            const bool First = IsFirstShownChild(RootNode(), Node), Last = IsLastShownChild(RootNode(), Node);
            LineImage[0] = First && Last ? ltRight
                           : Last        ? ltTopRight
                           : First       ? ltBottomRight
                                         : ltTopDownRight;
        } else {
            LineImage[0] = HasShownLaterSibling(Top) ? ltTopDown : ltNone;
        }
    }
    return SelectionLevel;
}

// ---- Lines ----------------------------------------------------------------------------------------

namespace {

// The 8 rows of the line pattern: bit 7 - x of row y set leaves pixel (x, y) to the background.
struct TLinePattern {
    Byte Rows[8];
    TLinePattern(TBitmap* Brush, TLTLineStyle Style) {
        for (int I = 0; I < 8; ++I)
            Rows[I] = Style == lsSolid ? 0
                      : Brush      ? *static_cast<const Byte*>(Brush->ScanLine(I))
                                   : static_cast<Byte>(I % 2 == 0 ? 0x55 : 0xAA);
    }
    bool Back(int X, int Y) const { return ((Rows[Y & 7] >> (7 - (X & 7))) & 1) != 0; }
};

} // namespace

void TBaseLeanTree::DrawHorzLinePixels(TCellPaintInfo& PI, int Left, int Top, int Right) {
    if (Left > Right) std::swap(Left, Right);
    TCanvas* C = PI.Canvas;
    const TColor Ink = C->Font()->Color();
    const TLinePattern Pattern(FDottedBrush.get(), FLineStyle);
    // The pattern is anchored to the tree, so that the dots join across rows and cells.
    for (int X = Left; X <= Right; ++X)
        if (!Pattern.Back(X, Top + PI.BrushOrigin.Y)) C->SetPixels(X, Top, Ink);
}

void TBaseLeanTree::DrawVertLinePixels(TCellPaintInfo& PI, int Top, int Left, int Bottom) {
    if (Top > Bottom) std::swap(Top, Bottom);
    TCanvas* C = PI.Canvas;
    const TColor Ink = C->Font()->Color();
    const TLinePattern Pattern(FDottedBrush.get(), FLineStyle);
    for (int Y = Top; Y <= Bottom; ++Y)
        if (!Pattern.Back(Left, Y + PI.BrushOrigin.Y)) C->SetPixels(Left, Y, Ink);
}

void TBaseLeanTree::DrawTreeLineSegment(TCellPaintInfo& PI, int X, int Y, int H, int VAlign,
                                        TLTLineType Style, bool Reverse) {
    const int IndentPx = static_cast<int>(Indent());
    const int Half = static_cast<int>(Round(IndentPx / 2.0));
    const int HStart = Reverse ? X + Half : X + Half, HEnd = Reverse ? X : X + IndentPx;
    const int Mid = Y + VAlign;
    const int Bottom = Y + H - 1;
    switch (Style) {
    case ltBottomRight:
        DrawVertLinePixels(PI, Mid, X + Half, Bottom);
        DrawHorzLinePixels(PI, HStart, Mid, HEnd);
        break;
    case ltTopDown:
        DrawVertLinePixels(PI, Y, X + Half, Bottom);
        break;
    case ltTopDownRight:
        DrawVertLinePixels(PI, Y, X + Half, Bottom);
        DrawHorzLinePixels(PI, HStart, Mid, HEnd);
        break;
    case ltRight:
        DrawHorzLinePixels(PI, HStart, Mid, HEnd);
        break;
    case ltTopRight:
        DrawVertLinePixels(PI, Y, X + Half, Mid);
        DrawHorzLinePixels(PI, HStart, Mid, HEnd);
        break;
    case ltLeft:
        DrawVertLinePixels(PI, Y, Reverse ? X + IndentPx : X, Bottom);
        break;
    case ltLeftBottom:
        DrawVertLinePixels(PI, Y, Reverse ? X + IndentPx : X, Bottom);
        DrawHorzLinePixels(PI, X, Bottom, X + IndentPx);
        break;
    case ltNone:
        break;
    }
}

void TBaseLeanTree::DrawNodeLines(TCellPaintInfo& PI, int VAlignment, int IndentSize,
                                  const TLineImage& LineImage) {
    const int IndentPx = static_cast<int>(Indent());
    const bool RTL = PI.BidiMode != bdLeftToRight;
    int X = RTL ? PI.CellRect.Right - IndentPx : PI.CellRect.Left;
    const int Step = RTL ? -IndentPx : IndentPx;
    const bool ShowRoot = TreeOptions()->PaintOptions().Contains(toShowRoot);
    const int Count = std::min<int>(IndentSize, static_cast<int>(LineImage.size()));
    if (FLineMode == lmNormal) {
        PI.Canvas->Font()->SetColor(FColors->TreeLineColor());
        for (int I = 0; I < Count; ++I) {
            DoBeforeDrawTreeLine(PI.Node, I + (ShowRoot ? 0 : 1), X);
            DrawTreeLineSegment(PI, X, PI.CellRect.Top, PI.Node->NodeHeight, VAlignment - 1,
                                LineImage[static_cast<std::size_t>(I)], RTL);
            X += Step;
        }
        return;
    }
    if (!PI.PaintOptions.Contains(poGridLines)) return;
    TLineImage Bands(LineImage.size(), ltNone);
    const bool Open = PI.Node->States.Contains(vsExpanded) &&
                      !PI.Node->States.Contains(vsAllChildrenHidden) && PI.Node->ChildCount > 0;
    for (int I = static_cast<int>(LineImage.size()) - 1; I >= 0; --I) {
        const auto U = static_cast<std::size_t>(I);
        if (Open) {
            Bands[U] = ltLeft;
            continue;
        }
        const TLTLineType Next = U + 1 < LineImage.size() ? LineImage[U + 1] : ltNone;
        switch (LineImage[U]) {
        case ltNone:
        case ltTopDown:
            Bands[U] = (Next == ltNone || Next == ltTopRight) && U + 1 < Bands.size() ? Bands[U + 1] : ltLeft;
            break;
        case ltLeft:
        case ltLeftBottom:
            Bands[U] = ltNone;
            break;
        default:
            Bands[U] = ltLeftBottom;
            break;
        }
    }
    PI.Canvas->Font()->SetColor(FColors->GridLineColor());
    for (int I = 0; I < Count; ++I) {
        DoBeforeDrawTreeLine(PI.Node, I + (ShowRoot ? 0 : 1), X);
        DrawTreeLineSegment(PI, X, PI.CellRect.Top, PI.Node->NodeHeight - 1, VAlignment - 1,
                            Bands[static_cast<std::size_t>(I)], RTL);
        X += Step;
    }
}

void TBaseLeanTree::DrawExpandButton(TCanvas* Canvas, PLeanNode Node, TColumnIndex, const TRect& R,
                                     int ButtonX, int ButtonY, TBiDiMode BidiMode) {
    const bool Hot = TreeOptions()->PaintOptions().Contains(toHotTrack) && Node == FCurrentHotNode;
    TBitmap* Bitmap = Node->States.Contains(vsExpanded) ? (Hot ? FHotMinusBM.get() : FMinusBM.get())
                                                        : (Hot ? FHotPlusBM.get() : FPlusBM.get());
    if (!Bitmap) return;
    const int X = BidiMode != bdLeftToRight ? R.Right - ButtonX - Bitmap->Width() : R.Left + ButtonX;
    Canvas->Draw(X, R.Top + ButtonY, Bitmap);
}

// ---- Images ---------------------------------------------------------------------------------------

void TBaseLeanTree::PlaceImageAtLeadingEdge(TCustomImageList* Images, TBiDiMode BidiMode, int VAlign,
                                            TRect& R, TCellImageInfo& ImageInfo) {
    const TSize S = ImagesSize(Images);
    if (BidiMode != bdLeftToRight) {
        ImageInfo.XPos = R.Right - S.cx;
        R.Right -= S.cx + 2;
    } else {
        ImageInfo.XPos = R.Left;
        R.Left += S.cx + 2;
    }
    ImageInfo.YPos = R.Top + VAlign - S.cy / 2;
}

void TBaseLeanTree::FetchCellImage(TCellPaintInfo& PI, TLTImageKind Kind, int InfoIndex,
                                   TCustomImageList* DefaultImages) {
    TCellImageInfo& Info = PI.ImageInfo[InfoIndex];
    Info.Index = -1;
    Info.Ghosted = false;
    TCustomImageList* Custom = DoGetImageIndex(PI.Node, Kind, PI.Column, Info.Ghosted, Info.Index);
    Info.Images = Custom ? Custom : DefaultImages;
    if (!Info.Images) Info.Index = -1;
}

TSize TBaseLeanTree::ImageListExtent(PLeanNode) {
    return ImagesSize(Images());
}

int TBaseLeanTree::CheckImageIndexFor(PLeanNode Node, TCheckType CheckType, TCheckState CheckState,
                                      bool Enabled) {
    bool Hot = false;
    if (Node) {
        CheckType = Node->CheckType;
        CheckState = Node->CheckState;
        Enabled = !Node->States.Contains(vsDisabled) && this->Enabled();
        Hot = Node == FCurrentHotNode;
    }
    if (CheckType == ctNone) return -1;
    if (CheckType == ctTriStateCheckBox) CheckType = ctCheckBox;
    const bool Mixed = CheckState == csMixedNormal || CheckState == csMixedPressed;
    const bool Checked = CheckState == csCheckedNormal || CheckState == csCheckedPressed;
    const bool Pressed =
        CheckState == csUncheckedPressed || CheckState == csCheckedPressed || CheckState == csMixedPressed;
    int Base = 0;
    switch (CheckType) {
    case ctCheckBox:
        Base = Mixed ? 17 : Checked ? 13 : 9;
        break;
    case ctRadioButton:
        Base = Mixed ? 17 : Checked ? 5 : 1;
        break;
    default:
        Base = Mixed ? 17 : 21;
        break;
    }
    return Base + (!Enabled ? 3 : Pressed ? 2 : Hot ? 1 : 0);
}

void TBaseLeanTree::DrawCheckImage(TCanvas* Canvas, const TCellImageInfo& ImageInfo, bool) {
    if (TCustomImageList* List = ImageInfo.Images ? ImageInfo.Images : CheckImages())
        List->Draw(Canvas, ImageInfo.XPos, ImageInfo.YPos, ImageInfo.Index, dsTransparent, itImage, true);
}

void TBaseLeanTree::DrawNodeImage(TCellPaintInfo& PI, int InfoIndex, bool DoOverlay) {
    TCellImageInfo& Info = PI.ImageInfo[InfoIndex];
    if (Info.Index < 0 || !Info.Images) return;
    const auto& Paint = TreeOptions()->PaintOptions();
    TCellImageInfo& Overlay = PI.ImageInfo[iiOverlay];
    Overlay.Index = -1;
    if (DoOverlay) FetchCellImage(PI, ikOverlay, iiOverlay, Images());
    const bool CutNode = PI.Node->States.Contains(vsCutOrCopy) && FStates.Contains(tsCutPending);
    const bool PaintFocused = Focused() || Paint.Contains(toGhostedIfUnfocused);
    const bool Selected = PI.Node->States.Contains(vsSelected);
    const bool DrawEnabled = !PI.Node->States.Contains(vsDisabled) && Enabled();
    const bool Blended = DrawEnabled && PaintFocused && Paint.Contains(toUseBlendedImages) &&
                         (Info.Ghosted || CutNode ||
                          (Selected && !TreeOptions()->SelectionOptions().Contains(toFullRowSelect) &&
                           !TreeOptions()->MiscOptions().Contains(toGridExtensions)));
    // A selected image blends with the highlight; a ghosted or cut one fades into the tree.
    const TColor BlendWith = Selected && !Info.Ghosted ? clDefault : Color();
    // Overlays 0 to 14 are the list's own overlay images; higher numbers are plain images of
    // the overlay's list drawn on top.
    const bool ListOverlay = Overlay.Index >= 0 && Overlay.Index < 15 && Overlay.Images == Info.Images;
    if (Blended)
        Info.Images->DrawBlended(PI.Canvas, Info.XPos, Info.YPos, Info.Index, BlendWith);
    else
        Info.Images->Draw(PI.Canvas, Info.XPos, Info.YPos, Info.Index, dsTransparent, itImage, DrawEnabled);
    if (Overlay.Index < 0 || !Overlay.Images) return;
    const int OverImage = ListOverlay           ? Info.Images->OverlayImage(Overlay.Index)
                          : Overlay.Index >= 15 ? Overlay.Index
                                                : -1;
    if (OverImage < 0) return;
    if (Blended)
        Overlay.Images->DrawBlended(PI.Canvas, Info.XPos, Info.YPos, OverImage, BlendWith);
    else
        Overlay.Images->Draw(PI.Canvas, Info.XPos, Info.YPos, OverImage, dsTransparent, itImage, DrawEnabled);
}

// ---- Backgrounds, selection, focus ----------------------------------------------------------------

void TBaseLeanTree::EraseNodeArea(TCellPaintInfo& PI, bool UseBackground, TRect R, bool IntoBuffer) {
    TPoint Offset{0, 0};
    if (IntoBuffer) {
        // R comes in tree rows; the buffer holds one row starting at its top.
        Offset = TPoint{-FEffectiveOffsetX, R.Top};
        OffsetRect(R, 0, -R.Top);
    }
    TColor Colour = Color();
    TItemEraseAction Action = eaDefault;
    DoBeforeItemErase(PI.Canvas, PI.Node, R, Colour, Action);
    TCanvas* C = PI.Canvas;
    if (Action == eaColor) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Colour);
        C->FillRect(R);
    } else if (Action == eaDefault) {
        const auto& Sel = TreeOptions()->SelectionOptions();
        const auto& Paint = TreeOptions()->PaintOptions();
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Colour);
        C->FillRect(R);
        if (UseBackground) {
            PaintBackgroundPicture(C, R, Offset);
        } else if (PI.Node->States.Contains(vsSelected) && PI.PaintOptions.Contains(poDrawSelection) &&
                   Sel.Contains(toFullRowSelect) && !Paint.Contains(toUseBlendedSelection)) {
            const bool Active = Focused() || Paint.Contains(toPopupMode);
            TRect Row = R;
            if (Paint.Contains(toShowHorzGridLines)) --Row.Bottom;
            C->Brush()->SetColor(Active ? FColors->FocusedSelectionColor()
                                        : FColors->UnfocusedSelectionColor());
            C->Pen()->SetColor(Active ? FColors->FocusedSelectionBorderColor()
                                      : FColors->UnfocusedSelectionBorderColor());
            C->Pen()->SetStyle(psSolid);
            const int Radius = static_cast<int>(FSelectionCurveRadius);
            if (Radius > 0)
                C->RoundRect(Row, Radius, Radius);
            else
                C->Rectangle(Row);
        }
    }
    DoAfterItemErase(PI.Canvas, PI.Node, R);
}

void TBaseLeanTree::PaintCellBackground(TCellPaintInfo& PI, int, int) {
    TCanvas* C = PI.Canvas;
    const auto& Sel = TreeOptions()->SelectionOptions();
    const auto& Paint = TreeOptions()->PaintOptions();
    const bool GridExtensions = TreeOptions()->MiscOptions().Contains(toGridExtensions);
    const bool FullRow = Sel.Contains(toFullRowSelect);
    if (PI.PaintOptions.Contains(poColumnColor) && FHeader->IsValidColumn(PI.Column)) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(FHeader->Columns()->Items(PI.Column)->Color());
        C->FillRect(PI.CellRect);
    }
    DoBeforeCellPaint(C, PI.Node, PI.Column, cpmPaint, PI.CellRect, PI.ContentRect);

    TRect Inner = PI.ContentRect;
    if (!GridExtensions) {
        switch (PI.Alignment) {
        case taLeftJustify:
            Inner.Right = std::min(Inner.Right, Inner.Left + PI.NodeWidth);
            break;
        case taRightJustify:
            Inner.Left = std::max(Inner.Left, Inner.Right - PI.NodeWidth);
            break;
        case taCenter:
            if (PI.NodeWidth < Inner.Width()) {
                const int Start =
                    Inner.Left + static_cast<int>(std::floor((Inner.Width() - PI.NodeWidth) / 2.0));
                Inner.Left = Start;
                Inner.Right = Start + PI.NodeWidth;
            }
            break;
        }
    }
    const bool FocusedColumn = PI.Column == FFocusedColumn || !FHeader->UseColumns();
    const bool Active = Focused() || Paint.Contains(toPopupMode);
    if ((FocusedColumn || FullRow) && PI.PaintOptions.Contains(poDrawSelection)) {
        bool Draw = false;
        if (PI.Node == FDropTargetNode) {
            C->Brush()->SetColor(FColors->DropTargetColor());
            C->Pen()->SetColor(FColors->DropTargetBorderColor());
            Draw = PI.Node->States.Contains(vsSelected);
        } else if (PI.Node->States.Contains(vsSelected)) {
            C->Brush()->SetColor(Active ? FColors->FocusedSelectionColor()
                                        : FColors->UnfocusedSelectionColor());
            C->Pen()->SetColor(Active ? FColors->FocusedSelectionBorderColor()
                                      : FColors->UnfocusedSelectionBorderColor());
            Draw = true;
        }
        if (Draw) {
            if (GridExtensions || FullRow) Inner = PI.CellRect;
            if (!Inner.IsEmpty()) {
                C->Brush()->SetStyle(bsSolid);
                C->Pen()->SetStyle(psSolid);
                const int Radius = static_cast<int>(FSelectionCurveRadius);
                if (Paint.Contains(toUseBlendedSelection))
                    AlphaBlendRect(C, Inner, C->Brush()->Color(), FSelectionBlendFactor);
                else if (Radius > 0)
                    C->RoundRect(Inner, Radius, Radius);
                else
                    C->Rectangle(Inner);
            }
        }
    }
    if ((FocusedColumn || FullRow) && PI.PaintOptions.Contains(poDrawFocusRect) && Active &&
        PI.Node == FFocusedNode && FocusedColumn) {
        const TRect Focus = GridExtensions ? PI.CellRect : Inner;
        if (!Focus.IsEmpty()) {
            C->Brush()->SetColor(clBlack);
            C->Font()->SetColor(clWhite);
            C->DrawFocusRect(Focus);
        }
    }
}

void TBaseLeanTree::PaintDropMarker(TCanvas* Canvas, PLeanNode, const TRect& R) {
    if (FLastDropMode != dmAbove && FLastDropMode != dmBelow) return;
    const TPenStyle OldPen = Canvas->Pen()->Style();
    const TColor OldBrush = Canvas->Brush()->Color();
    const TBrushStyle OldBrushStyle = Canvas->Brush()->Style();
    TScopeExit Restore([&] {
        Canvas->Pen()->SetStyle(OldPen);
        Canvas->Brush()->SetColor(OldBrush);
        Canvas->Brush()->SetStyle(OldBrushStyle);
    });
    Canvas->Pen()->SetStyle(psClear);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FColors->DropMarkColor());
    const int L = R.Left, T = R.Top, Rt = R.Right, B = R.Bottom;
    if (FLastDropMode == dmAbove)
        Canvas->Polygon({{L + 2, T}, {Rt - 2, T}, {Rt - 2, T + 6}, {Rt - 6, T + 2}, {L + 6, T + 2}, {L + 2, T + 6}});
    else
        Canvas->Polygon(
            {{L + 2, B - 1}, {Rt - 2, B - 1}, {Rt - 2, B - 8}, {Rt - 7, B - 3}, {L + 7, B - 3}, {L + 2, B - 8}});
}

void TBaseLeanTree::DrawRubberBand(TCanvas* Canvas, int WindowOrgX, const TRect& SelectionRect,
                                   const TRect& TargetRect) {
    if (FDrawSelectionMode == smBlendedRectangle || FStates.Contains(tsUseThemes)) {
        TRect Shifted = SelectionRect;
        OffsetRect(Shifted, WindowOrgX, 0);
        TRect Blend;
        if (IntersectRect(Blend, Shifted, NormalizeRect(TargetRect))) {
            OffsetRect(Blend, -WindowOrgX, 0);
            AlphaBlendRect(Canvas, Blend, FColors->SelectionRectangleBlendColor(), FSelectionBlendFactor);
        }
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(FColors->SelectionRectangleBorderColor());
        Canvas->FrameRect(TargetRect);
    } else {
        const TColor OldText = Canvas->Font()->Color();
        const TColor OldBack = Canvas->Brush()->Color();
        Canvas->Font()->SetColor(clWhite);
        Canvas->Brush()->SetColor(clBlack);
        Canvas->DrawFocusRect(TargetRect);
        Canvas->Font()->SetColor(OldText);
        Canvas->Brush()->SetColor(OldBack);
    }
}

void TBaseLeanTree::PaintNodeContent(TCellPaintInfo&) {}

TColumnIndex TBaseLeanTree::NextPaintColumn(TCellPaintInfo& PI) {
    return FHeader->Columns()->GetNextVisibleColumn(PI.Column);
}

// ---- The paint pass -------------------------------------------------------------------------------

void TBaseLeanTree::Paint() {
    FUpdateRect = Canvas()->ClipRect();
    if (FUpdateRect.IsEmpty()) return;
    const TLTInternalPaintOptions Options{poBackground,    poColumnColor,  poDrawFocusRect,
                                          poDrawSelection, poDrawDropMark, poGridLines};
    const int Fixed = FHeader->UseColumns() ? FHeader->Columns()->GetVisibleFixedWidth() : 0;
    const TRect Client = ClientRect();
    if (Fixed > 0) {
        // Fixed columns stay in place while the rest scrolls.
        TRect Window{Client.Left, Client.Top, std::min(Fixed, Client.Right), Client.Bottom};
        const TPoint Target{Window.Left, Window.Top};
        OffsetRect(Window, 0, -FOffsetY);
        PaintTree(Canvas(), Window, Target, Options);
        if (Client.Width() > Fixed) {
            TRect Rest{Fixed, Client.Top, Client.Right, Client.Bottom};
            OffsetRect(Rest, FEffectiveOffsetX, -FOffsetY);
            PaintTree(Canvas(), Rest, TPoint{Fixed, Client.Top}, Options);
        }
        return;
    }
    TRect Window = FUpdateRect;
    OffsetRect(Window, FEffectiveOffsetX, -FOffsetY);
    PaintTree(Canvas(), Window, TPoint{FUpdateRect.Left, FUpdateRect.Top}, Options);
}

void TBaseLeanTree::PaintTree(TCanvas* TargetCanvas, TRect Window, TPoint Target,
                              TLTInternalPaintOptions Options, TPixelFormat) {
    if (FStates.Contains(tsPainting)) return;
    DoStateChange({tsPainting});
    TScopeExit Leave([this] { DoStateChange({}, {tsPainting}); });
    DoBeforePaint(TargetCanvas);
    if (!FPlusBM || !FDottedBrush) BuildButtonAndLineImages(true, true);

    const auto& Paint = TreeOptions()->PaintOptions();
    const auto& Misc = TreeOptions()->MiscOptions();
    const auto& Sel = TreeOptions()->SelectionOptions();
    TLeanTreeColumns* Columns = FHeader->Columns();
    const bool UseColumns = FHeader->UseColumns();
    const TColumnIndex MainColumn = FHeader->MainColumn();
    TCustomImageList* CheckList = Misc.Contains(toCheckSupport) ? CheckImages() : nullptr;
    const bool UseBackground =
        Paint.Contains(toShowBackground) && Options.Contains(poBackground) && BackgroundBitmap();

    if (Paint.Contains(toAlwaysHideSelection) || (!Focused() && Paint.Contains(toHideSelection)))
        Options.Exclude(poDrawSelection);
    if (Paint.Contains(toHideFocusRect)) Options.Exclude(poDrawFocusRect);

    // The row bitmap covers the tree from x = 0 to the window's right edge, so that cells are
    // painted in tree coordinates; the window's part of it is copied to the target.
    const int WindowWidth = Window.Width();
    const int RowWidth = std::max(Window.Right, 1);
    // Unbuffered, the cells are drawn straight onto the target through its window origin.
    const bool Unbuffered = Options.Contains(poUnbuffered);
    TBitmap RowBitmap;
    if (!Unbuffered) RowBitmap.SetSize(RowWidth, 1);
    TCellPaintInfo PI;
    PI.Canvas = Unbuffered ? TargetCanvas : RowBitmap.Canvas();
    const TPoint SavedOrg = Unbuffered ? TargetCanvas->WindowOrg() : TPoint{0, 0};
    TScopeExit RestoreTarget([&] {
        if (!Unbuffered) return;
        TargetCanvas->SetWindowOrg(SavedOrg);
        TargetCanvas->SelectClipRect(nullptr);
    });
    TRect RowClip;
    TargetCanvas->Font()->Assign(Font());
    // The rubber band, in tree coordinates, only while the left button draws it.
    const TRect Band = NormalizeRect(FNewSelRect);
    const bool DrawBand = FStates.Contains(tsDrawSelecting) && !Band.IsEmpty() && GetKeyState(VK_LBUTTON) < 0;

    int NodeTop = 0;
    PLeanNode Node = Paint.Contains(toChildrenAbove)
                         ? GetNodeAt(0, Window.Top, false, NodeTop)
                         : NodeAtPosition(*this, std::max(Window.Top, 0), NodeTop);
    if (!Node) NodeTop = Window.Top;
    int TargetY = Target.Y + NodeTop - Window.Top;
    const int MaxY = Target.Y + Window.Height();
    const int ButtonWidth = FPlusBM ? FPlusBM->Width() : 9;
    const int ButtonX = static_cast<int>(Round((static_cast<int>(Indent()) - ButtonWidth) / 2.0)) + 1;

    while (Node && TargetY < MaxY) {
        TLineImage LineImage;
        int SelectionLevel = BuildLineImage(Node, LineImage);
        InitIfNeeded(Node);
        if (Node->States.Contains(vsSelected) && !Paint.Contains(toChildrenAbove)) ++SelectionLevel;
        MeasureItemHeight(PI.Canvas, Node);
        const int H = Node->NodeHeight;
        PI.BrushOrigin = {Window.Left % 8, NodeTop % 8};
        const int RowTop = NodeTop;
        NodeTop += H;

        if (H > 0 && (SelectionLevel > 0 || !Options.Contains(poSelectedOnly))) {
            if (Unbuffered) {
                PI.Canvas->SetWindowOrg(TPoint{SavedOrg.X + Window.Left - Target.X, SavedOrg.Y - TargetY});
                RowClip = TRect{Window.Left, 0, Window.Right, std::min(H, MaxY - TargetY)};
                PI.Canvas->SelectClipRect(&RowClip);
            } else if (RowBitmap.Height() != H) {
                RowBitmap.SetHeight(0);
                RowBitmap.SetSize(RowWidth, H);
            }
            PI.Canvas->Font()->Assign(Font());
            PI.Node = Node;
            const TRect R{0, 0, RowWidth, H};
            int VAlign = 0, ButtonY = 0;
            FetchCellImage(PI, ikNormal, iiNormal, Images());
            FetchCellImage(PI, ikState, iiState, StateImages());
            ComputeNodeAlignment(Node, H, PI.ImageInfo[iiNormal].Index >= 0, PI.ImageInfo[iiState].Index >= 0,
                                 VAlign, ButtonY);
            if (!DoBeforeItemPaint(PI.Canvas, Node, R)) {
                PI.PaintOptions = Options;
                EraseNodeArea(PI, UseBackground, TRect{Window.Left, RowTop, Window.Right, RowTop + H}, true);
                PI.CellRect = R;
                TColumnIndex Column = ColumnNone;
                if (UseColumns) {
                    Column = Columns->GetFirstVisibleColumn();
                    if (Column >= 0) {
                        const TLeanTreeColumn* C = Columns->Items(Column);
                        PI.CellRect.Left = C->FLeft;
                        PI.CellRect.Right = C->FLeft + C->Width();
                        PI.Position = static_cast<int>(C->Position());
                    }
                }
                while ((Column >= 0 || !UseColumns) && PI.CellRect.Left < Window.Right) {
                    TLeanTreeColumn* Col = UseColumns ? Columns->Items(Column) : nullptr;
                    PI.Column = UseColumns ? Column : ColumnNone;
                    PI.BidiMode = Col ? Col->BiDiMode() : BiDiMode();
                    PI.Alignment = Col ? Col->Alignment() : FAlignment;
                    // Right-to-left reading starts the text at the cell's right edge.
                    if (PI.BidiMode != bdLeftToRight && PI.Alignment != taCenter)
                        PI.Alignment = PI.Alignment == taLeftJustify ? taRightJustify : taLeftJustify;
                    TLTInternalPaintOptions CellOptions = Options;
                    if (FStates.Contains(tsEditing) && Node == FFocusedNode &&
                        (Column == FEditColumn || !UseColumns))
                        CellOptions.Exclude(poDrawSelection);
                    if (!UseColumns ||
                        (Node->States.Contains(vsSelected) && Sel.Contains(toFullRowSelect) &&
                         CellOptions.Contains(poDrawSelection)) ||
                        (Col && Col->Options().Contains(coParentColor)))
                        CellOptions.Exclude(poColumnColor);
                    PI.PaintOptions = CellOptions;
                    const bool IsMain = !UseColumns || Column == MainColumn;
                    TColumnIndex Next = ColumnNotFound;
                    if ((Col && !Col->Options().Contains(coVisible)) ||
                        (Options.Contains(poMainOnly) && !IsMain)) {
                        Next = UseColumns ? Columns->GetNextVisibleColumn(Column) : ColumnNotFound;
                    } else {
                        Next = UseColumns ? NextPaintColumn(PI) : ColumnNotFound;
                        if (PI.CellRect.Right > Window.Left) {
                            PI.NodeWidth = QueryNodeContentWidth(Node, PI.Column, PI.Canvas);
                            PI.ContentRect = PI.CellRect;
                            if (PI.BidiMode != bdLeftToRight)
                                PI.ContentRect.Right -= Margin();
                            else
                                PI.ContentRect.Left += Margin();
                            TCellImageInfo& Check = PI.ImageInfo[iiCheck];
                            Check = TCellImageInfo{};
                            if (IsMain && CheckList) {
                                Check.Index = CheckImageIndexFor(Node, ctNone, csUncheckedNormal, true);
                                if (Check.Index >= 0) {
                                    Check.Images = CheckList;
                                    PlaceImageAtLeadingEdge(CheckList, PI.BidiMode, VAlign, PI.ContentRect,
                                                            Check);
                                }
                            }
                            FetchCellImage(PI, ikState, iiState, StateImages());
                            if (PI.ImageInfo[iiState].Index >= 0)
                                PlaceImageAtLeadingEdge(PI.ImageInfo[iiState].Images, PI.BidiMode, VAlign,
                                                        PI.ContentRect, PI.ImageInfo[iiState]);
                            FetchCellImage(PI, Node->States.Contains(vsSelected) ? ikSelected : ikNormal,
                                           iiNormal, Images());
                            if (PI.ImageInfo[iiNormal].Index >= 0)
                                PlaceImageAtLeadingEdge(PI.ImageInfo[iiNormal].Images, PI.BidiMode, VAlign,
                                                        PI.ContentRect, PI.ImageInfo[iiNormal]);
                            const int Levels =
                                Paint.Contains(toFixedIndent) ? 1 : static_cast<int>(LineImage.size());
                            if (IsMain) ShiftByIndent(PI, Levels);
                            if (UseColumns) {
                                TRect CellClip = PI.CellRect;
                                if (Unbuffered) IntersectRect(CellClip, CellClip, RowClip);
                                PI.Canvas->SelectClipRect(&CellClip);
                            }
                            if (Options.Contains(poGridLines) && Paint.Contains(toShowHorzGridLines)) {
                                PI.Canvas->Font()->SetColor(FColors->GridLineColor());
                                int Start = PI.CellRect.Left;
                                if (IsMain && FLineMode == lmBands)
                                    Start += Levels * static_cast<int>(Indent());
                                DrawHorzLinePixels(PI, Start, PI.CellRect.Bottom - 1, PI.CellRect.Right - 1);
                                --PI.CellRect.Bottom;
                                --PI.ContentRect.Bottom;
                            }
                            if (UseColumns && Options.Contains(poGridLines) &&
                                Paint.Contains(toShowVertGridLines)) {
                                const bool LastAutoSized = FHeader->Options().Contains(hoAutoResize) &&
                                                           Column == Columns->GetLastVisibleColumn();
                                if (!LastAutoSized) {
                                    PI.Canvas->Font()->SetColor(FColors->GridLineColor());
                                    DrawVertLinePixels(PI, PI.CellRect.Top, PI.CellRect.Right - 1,
                                                       PI.CellRect.Bottom - 1);
                                }
                                --PI.CellRect.Right;
                                --PI.ContentRect.Right;
                            }
                            PaintCellBackground(PI, Window.Left, WindowWidth);
                            if (IsMain) {
                                if (Paint.Contains(toShowTreeLines))
                                    DrawNodeLines(PI, VAlign, Levels, LineImage);
                                if (Paint.Contains(toShowButtons) && Node->States.Contains(vsHasChildren) &&
                                    !(Node->States.Contains(vsAllChildrenHidden) &&
                                      TreeOptions()->AutoOptions().Contains(toAutoHideButtons))) {
                                    const int Shift = Paint.Contains(toFixedIndent)
                                                          ? 0
                                                          : (Levels - 1) * static_cast<int>(Indent());
                                    if (Levels > 0)
                                        DrawExpandButton(PI.Canvas, Node, PI.Column, PI.CellRect,
                                                         ButtonX + Shift, ButtonY, PI.BidiMode);
                                }
                                if (Check.Index >= 0)
                                    DrawCheckImage(PI.Canvas, Check, Node->States.Contains(vsSelected));
                            }
                            DrawNodeImage(PI, iiState, false);
                            DrawNodeImage(PI, iiNormal, true);
                            if (!(FStates.Contains(tsEditing) && Node == FFocusedNode &&
                                  (Column == FEditColumn || !UseColumns)))
                                PaintNodeContent(PI);
                            DoAfterCellPaint(PI.Canvas, Node, PI.Column, PI.CellRect);
                        }
                    }
                    if (!UseColumns) break;
                    PI.Canvas->SelectClipRect(Unbuffered ? &RowClip : nullptr);
                    if (PI.CellRect.Left >= Window.Right || Next < 0) break;
                    Column = Next;
                    const TLeanTreeColumn* C = Columns->Items(Column);
                    PI.Position = static_cast<int>(C->Position());
                    PI.CellRect = TRect{C->FLeft, 0, C->FLeft + C->Width(), H};
                }
                DoAfterItemPaint(PI.Canvas, Node, R);
                if (Node == FDropTargetNode && Paint.Contains(toShowDropmark) &&
                    Options.Contains(poDrawDropMark))
                    PaintDropMarker(PI.Canvas, Node, R);
            }
            if (DrawBand) {
                if (Unbuffered) PI.Canvas->SelectClipRect(&RowClip);
                TRect RowBand = Band;
                OffsetRect(RowBand, 0, -RowTop);
                DrawRubberBand(PI.Canvas, 0, TRect{Window.Left, 0, Window.Right, H}, RowBand);
            }
            if (!Unbuffered)
                TargetCanvas->CopyRect(TRect{Target.X, TargetY, Target.X + WindowWidth, TargetY + H},
                                       PI.Canvas, TRect{Window.Left, 0, Window.Right, H});
        }
        TargetY += H;
        Node = GetNextVisible(Node, true);
    }

    if (Unbuffered) {
        TargetCanvas->SetWindowOrg(SavedOrg);
        TargetCanvas->SelectClipRect(nullptr);
    }
    if (TargetY < MaxY) {
        const TRect Area{Target.X, TargetY, Target.X + WindowWidth, MaxY};
        if (!DoPaintBackground(TargetCanvas, Area)) {
            TCanvas* C = TargetCanvas;
            C->Brush()->SetStyle(bsSolid);
            C->Brush()->SetColor(Color());
            C->FillRect(Area);
            if (UseBackground) {
                // Picture space continues the rows' above.
                PaintBackgroundPicture(
                    C, Area, TPoint{Window.Left - Target.X - FEffectiveOffsetX, Window.Top - Target.Y});
            } else if (UseColumns) {
                // Each column keeps its colour down to the bottom of the window.
                for (TLeanTreeColumn* Col : Columns->GetVisibleColumns()) {
                    const int Left = Target.X + Col->FLeft - Window.Left;
                    const int Right = Left + Col->Width();
                    if (Right <= Area.Left || Left >= Area.Right) continue;
                    C->Brush()->SetColor(Col->Options().Contains(coParentColor) ? Color() : Col->Color());
                    C->FillRect(
                        TRect{std::max(Left, Area.Left), Area.Top, std::min(Right, Area.Right), Area.Bottom});
                    if (Options.Contains(poGridLines) && Paint.Contains(toFullVertGridLines) &&
                        Paint.Contains(toShowVertGridLines)) {
                        TCellPaintInfo Grid;
                        Grid.Canvas = C;
                        C->Font()->SetColor(FColors->GridLineColor());
                        DrawVertLinePixels(Grid, Area.Top, Right - 1, Area.Bottom - 1);
                    }
                }
            }
        }
    }

    if (DrawBand && TargetY < MaxY) {
        // The band goes on below the last row.
        const TRect Area{Target.X, TargetY, Target.X + WindowWidth, MaxY};
        TRect AreaBand = Band;
        OffsetRect(AreaBand, Target.X - Window.Left, Target.Y - Window.Top);
        TargetCanvas->SelectClipRect(&Area);
        DrawRubberBand(TargetCanvas, 0, Area, AreaBand);
        TargetCanvas->SelectClipRect(nullptr);
    }

    if (RootNode()->ChildCount == 0 && !FEmptyListMessage.empty()) {
        TCanvas* C = TargetCanvas;
        C->Font()->Assign(Font());
        C->Font()->SetColor(clGrayText);
        C->Brush()->SetStyle(bsClear);
        TRect Message{FOffsetX + 2, 2, FOffsetX + ClientWidth(), ClientHeight() - 2};
        DrawText(C, FEmptyListMessage, Message, DT_LEFT | DT_NOCLIP | DT_WORDBREAK | DT_NOPREFIX);
        C->Brush()->SetStyle(bsSolid);
    }
    DoAfterPaint(TargetCanvas);
}
