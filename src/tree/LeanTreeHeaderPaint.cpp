// Painting the header strip: each column's cell laid out (header glyph, caption, sort glyph,
// inside its margins) and drawn with the classic edges, or handed to the owner-draw events.

#include "platform/base/ScopeGuard.h"
#include "platform/gui/ImgList.h"
#include "tree/BaseLeanTree.h"

#include <algorithm>

void TLTHeader::PaintHeader(TCanvas* Canvas, const TRect& R, int HOffset) {
    if (R.IsEmpty()) return;
    const int Fixed = FColumns->GetVisibleFixedWidth();
    const int Height = R.Height();
    // Fixed columns first, where they always are; then the scrolled ones beside them.
    if (Fixed > 0)
        FColumns->PaintHeader(Canvas, TRect{0, 0, std::min(R.Width(), Fixed), Height}, TPoint{R.Left, R.Top});
    FColumns->PaintHeader(Canvas, TRect{Fixed + HOffset, 0, R.Width() + HOffset, Height},
                          TPoint{R.Left + Fixed, R.Top});
}

void TLeanTreeColumns::PaintHeader(TCanvas* Canvas, TRect R, TPoint Target, int RTLOffset) {
    if (R.IsEmpty() || !FHeader) return;
    Canvas->Font()->Assign(FHeader->Font());
    // The background of the strip, also right of the last column.
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FHeader->Background());
    Canvas->FillRect(TRect{Target.X, Target.Y, Target.X + R.Width(), Target.Y + FHeader->Height()});
    const int Total = TotalWidth();
    R.Left = std::max(R.Left, 0);
    R.Right = std::min(R.Right, Total);
    R.Bottom = std::min(R.Bottom, FHeader->Height());
    if (R.IsEmpty()) return;
    const TColumnIndex First = ColumnFromPosition(TPoint{R.Left + RTLOffset, 0}, false);
    if (First < 0) return;
    for (TColumnIndex Index = First; Index >= 0; Index = GetNextVisibleColumn(Index)) {
        TLeanTreeColumn* C = Items(Index);
        const int Left = Target.X + C->FLeft - R.Left;
        if (Left >= Target.X + R.Width()) break;
        const TRect Cell{Left, Target.Y, Left + C->Width(), Target.Y + FHeader->Height()};
        TRect Clip{std::max(Cell.Left, Target.X), Cell.Top, std::min(Cell.Right, Target.X + R.Width()),
                   Cell.Bottom};
        Canvas->SelectClipRect(&Clip);
        // Only a bevelled tree leaves out the last right border; the tree has no bevel.
        PaintColumnHeader(Canvas, C, Cell, false);
        Canvas->SelectClipRect(nullptr);
    }
}

void TLeanTreeColumns::PaintColumnHeader(TCanvas* Canvas, TLeanTreeColumn* Column, const TRect& R,
                                         bool NoRightBorder) {
    TBaseLeanTree* T = FHeader->Treeview();
    const TLTHeaderOptions HO = FHeader->Options();
    const TLTColumnOptions CO = Column->Options();
    const TColumnIndex Index = Column->Index();
    THeaderPaintInfo PI;
    PI.TargetCanvas = Canvas;
    PI.Column = Column;
    PI.PaintRectangle = R;
    PI.IsHoverIndex = Index == FHoverIndex && HO.Contains(hoHotTrack) && CO.Contains(coEnabled);
    PI.IsDownIndex = Index == FDownIndex && !FCheckBoxHit;
    PI.IsEnabled = CO.Contains(coEnabled) && (!T || T->Enabled());
    PI.ShowHeaderGlyph =
        HO.Contains(hoShowImages) && ((FHeader->Images() && Column->ImageIndex() > -1) || Column->CheckBox());
    PI.ShowSortGlyph = Index == FHeader->SortColumn() && HO.Contains(hoShowSortGlyphs);
    PI.ShowRightBorder = !NoRightBorder;
    if (CO.Contains(coShowDropMark) && Index == FDropTarget && Index != FDragIndex)
        PI.DropMark = FDropBefore ? dmmLeft : dmmRight;

    const bool OwnerDraw = HO.Contains(hoOwnerDraw) && T;
    const bool Advanced = OwnerDraw && T->OnAdvancedHeaderDraw && T->OnHeaderDrawQueryElements;
    if (OwnerDraw && !Advanced && T->OnHeaderDraw && Column->Style() == vsOwnerDraw) {
        T->OnHeaderDraw(FHeader, Canvas, Column, R, PI.IsHoverIndex, PI.IsDownIndex, PI.DropMark);
        return;
    }
    THeaderPaintElements Elements;
    if (Advanced) T->OnHeaderDrawQueryElements(FHeader, PI, Elements);

    // The cell's edge by the header's style.
    Cardinal RaisedEdge = 5, RaisedFlags = 0x380B, PressedEdge = 5, PressedFlags = 0x780F, HotEdge = 4,
             HotFlags = 0x280B;
    switch (FHeader->Style()) {
    case hsThickButtons:
        break;
    case hsFlatButtons:
        RaisedEdge = 4;
        RaisedFlags = 0x280B;
        PressedEdge = 2;
        PressedFlags = 0x280F;
        break;
    case hsPlates:
        RaisedEdge = 4;
        RaisedFlags = 0x380F;
        PressedEdge = 2;
        PressedFlags = 0x280F;
        break;
    }
    if (Advanced && Elements.Contains(hpeBackground)) {
        T->OnAdvancedHeaderDraw(FHeader, PI, {hpeBackground});
    } else {
        Canvas->Brush()->SetColor(FHeader->Background());
        Canvas->FillRect(R);
        TRect Edge = R;
        Cardinal E = RaisedEdge, F = RaisedFlags;
        if (PI.IsDownIndex) {
            E = PressedEdge;
            F = PressedFlags;
        } else if (FHeader->Style() == hsPlates && PI.IsHoverIndex && CO.Contains(coAllowClick)) {
            E = HotEdge;
            F = HotFlags;
        }
        if (!PI.ShowRightBorder) F &= ~BF_RIGHT;
        F &= ~BF_MIDDLE;
        DrawEdge(Canvas, Edge, E, F);
    }

    TRect Client = R;
    InflateRect(Client, -2, -2);
    const TAlignment Align = Column->EffectiveCaptionAlignment();
    Cardinal DrawFormat = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
    DrawFormat |= Align == taLeftJustify ? DT_LEFT : Align == taRightJustify ? DT_RIGHT : DT_CENTER;
    TPoint GlyphPos, SortGlyphPos;
    TSize SortGlyphSize;
    TRect TextBounds;
    LayOutHeaderCell(Canvas, Column, Client, PI.ShowHeaderGlyph, PI.ShowSortGlyph, GlyphPos, SortGlyphPos,
                     SortGlyphSize, TextBounds);
    if (PI.IsDownIndex) {
        // A pressed cell's content moves one pixel right and down.
        GlyphPos.X += 1;
        GlyphPos.Y += 1;
        SortGlyphPos.X += 1;
        SortGlyphPos.Y += 1;
        OffsetRect(TextBounds, 1, 1);
    }
    PI.GlyphPos = GlyphPos;
    PI.SortGlyphPos = SortGlyphPos;
    PI.TextRectangle = TextBounds;

    Column->FHasImage = false;
    if (PI.ShowHeaderGlyph && !Elements.Contains(hpeHeaderGlyph)) {
        TCustomImageList* List = Column->CheckBox() && T ? T->CheckImages() : FHeader->Images();
        const int GlyphWidth = List ? List->Width() : 0;
        if (List && (!PI.ShowSortGlyph || SortGlyphPos.X >= GlyphPos.X + GlyphWidth)) {
            int Image = Column->ImageIndex();
            if (Column->CheckBox() && T)
                Image =
                    T->CheckImageIndexFor(nullptr, Column->CheckType(), Column->CheckState(), PI.IsEnabled);
            List->Draw(Canvas, GlyphPos.X, GlyphPos.Y, Image, dsTransparent, itImage, PI.IsEnabled);
            Column->FHasImage = true;
            Column->FImageRect =
                TRect{GlyphPos.X, GlyphPos.Y, GlyphPos.X + List->Width(), GlyphPos.Y + List->Height()};
        }
    }
    if (!Elements.Contains(hpeText) && !Column->Text().empty()) {
        const bool Hot = PI.IsHoverIndex && HO.Contains(hoHotTrack);
        const bool Wrap = CO.Contains(coWrapCaption);
        DrawCaptionText(Canvas, Wrap ? Column->FCaptionText : Column->Text(), TextBounds, PI.IsEnabled, Hot,
                        DrawFormat, Wrap);
    }
    if (PI.ShowSortGlyph && !Elements.Contains(hpeSortGlyph)) {
        const int Image = FHeader->SortDirection() == sdAscending ? 3 : 2;
        UtilityImages()->Draw(Canvas, SortGlyphPos.X, SortGlyphPos.Y, Image, dsTransparent, itImage, true);
    }
    if (PI.DropMark != dmmNone && !Elements.Contains(hpeDropMark)) {
        const int Y = R.Top + (R.Height() - 16) / 2;
        if (PI.DropMark == dmmLeft)
            UtilityImages()->Draw(Canvas, R.Left, Y, 0, dsTransparent, itImage, true);
        else
            UtilityImages()->Draw(Canvas, R.Right - 16, Y, 1, dsTransparent, itImage, true);
    }
    const THeaderPaintElements Owned =
        Elements * THeaderPaintElements{hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText};
    if (Advanced && !Owned.Empty()) T->OnAdvancedHeaderDraw(FHeader, PI, Owned);
}

void TLeanTreeColumns::LayOutHeaderCell(TCanvas* Canvas, TLeanTreeColumn* Column, const TRect& Client,
                                        bool UseHeaderGlyph, bool UseSortGlyph, TPoint& HeaderGlyphPos,
                                        TPoint& SortGlyphPos, TSize& SortGlyphSize, TRect& TextBounds) {
    HeaderGlyphPos = SortGlyphPos = TPoint{Client.Left, Client.Top};
    SortGlyphSize = TSize{0, 0};
    TextBounds = Client;
    const String& Caption = Column->Text();
    if (Caption.empty() && !UseHeaderGlyph && !UseSortGlyph) return;
    TBaseLeanTree* T = FHeader->Treeview();
    TSize Glyph{0, 0};
    if (UseHeaderGlyph) {
        TCustomImageList* List = Column->CheckBox() && T ? T->CheckImages() : FHeader->Images();
        if (List) Glyph = TSize{List->Width(), List->Height()};
    }
    if (UseSortGlyph) SortGlyphSize = TSize{16, 16};
    const int Width = Client.Width(), Height = Client.Height();
    const int Margin = Column->Margin(), Spacing = Column->Spacing();
    int TextWidth = 0, TextHeight = 0;
    if (Column->Options().Contains(coWrapCaption)) {
        if (Column->FCaptionText.empty())
            Column->FCaptionText =
                WrapTextToWidth(Canvas, Caption, TRect{0, 0, Width, Height}, false, DT_NOPREFIX);
        TRect M{0, 0, Width, 0};
        DrawText(Canvas, Column->FCaptionText, M, DT_CALCRECT | DT_NOPREFIX);
        TextWidth = Width;
        TextHeight = M.Height();
    } else {
        Column->FCaptionText = Caption;
        const TSize Extent = Canvas->TextExtent(Caption);
        TextWidth = Caption.empty() ? 0 : Extent.cx + 2;
        TextHeight = Caption.empty() ? 0 : Extent.cy + 2;
    }
    const int TextSpacing = Caption.empty() ? 0 : Spacing;
    SortGlyphPos.Y = Client.Top + (Height - SortGlyphSize.cy) / 2;

    if (Caption.empty() && !UseHeaderGlyph) {
        SortGlyphPos.X = Client.Left + (Width - SortGlyphSize.cx) / 2;
        return;
    }
    int GlyphTop = (Height - Glyph.cy) / 2;
    int TextTop = std::max((Height - TextHeight) / 2, -5);
    using enum LeanTreeHeader::TLTHeaderColumnLayout;
    const TLTHeaderColumnLayout Layout = UseHeaderGlyph ? Column->Layout() : blGlyphLeft;
    if (Layout == blGlyphTop) {
        GlyphTop = (Height - Glyph.cy - TextHeight - Spacing) / 2;
        TextTop = GlyphTop + Glyph.cy + Spacing;
    } else if (Layout == blGlyphBottom) {
        TextTop = (Height - Glyph.cy - TextHeight - Spacing) / 2;
        GlyphTop = TextTop + TextHeight + Spacing;
    }
    const bool Beside = Layout == blGlyphLeft || Layout == blGlyphRight;
    const int GlyphSpace = Glyph.cx > 0 ? Glyph.cx + (Beside ? TextSpacing : 0) : 0;
    const int Content = Beside ? GlyphSpace + TextWidth : std::max(Glyph.cx, TextWidth);
    int GlyphLeft = 0, TextLeft = 0, SortLeft = 0;
    switch (Column->EffectiveCaptionAlignment()) {
    case taLeftJustify:
        if (Layout == blGlyphRight) {
            TextLeft = Margin;
            GlyphLeft = TextLeft + TextWidth + TextSpacing;
        } else if (Beside) {
            GlyphLeft = Margin;
            TextLeft = Margin + GlyphSpace;
        } else {
            TextLeft = Margin;
            GlyphLeft = std::max(Margin, Margin + (TextWidth - Glyph.cx) / 2);
        }
        SortLeft = Margin + Content + Spacing;
        break;
    case taCenter: {
        const int Start = (Width - Content) / 2;
        if (Layout == blGlyphRight) {
            TextLeft = Start;
            GlyphLeft = Start + TextWidth + TextSpacing;
        } else if (Beside) {
            GlyphLeft = Start;
            TextLeft = Start + GlyphSpace;
        } else {
            GlyphLeft = (Width - Glyph.cx) / 2;
            TextLeft = (Width - TextWidth) / 2 - SortGlyphSize.cx / 2;
        }
        SortLeft = Start + Content + Spacing;
        break;
    }
    case taRightJustify: {
        int Right = Width - Margin;
        if (UseSortGlyph) {
            SortLeft = Right - SortGlyphSize.cx;
            Right = SortLeft - Spacing;
        }
        if (Layout == blGlyphRight) {
            GlyphLeft = Right - Glyph.cx;
            TextLeft = GlyphLeft - TextSpacing - TextWidth;
        } else if (Beside) {
            TextLeft = Right - TextWidth;
            GlyphLeft = TextLeft - TextSpacing - Glyph.cx;
        } else {
            TextLeft = Right - TextWidth;
            GlyphLeft = Right - Glyph.cx;
        }
        break;
    }
    }
    // Everything stays between the margins; the sort glyph keeps its place at the right.
    const int LeftBound = Margin, RightBound = Width - Margin;
    int TextRight = TextLeft + TextWidth;
    if (UseSortGlyph) {
        SortLeft = std::max(LeftBound, std::min(SortLeft, RightBound - SortGlyphSize.cx));
        TextRight = std::min(TextRight, SortLeft - Spacing);
    }
    if (Glyph.cx > 0) GlyphLeft = std::max(LeftBound, std::min(GlyphLeft, RightBound - Glyph.cx));
    if (Column->CheckBox() && T)
        GlyphLeft -= Column->Index() == FHeader->MainColumn()
                         ? (T->TreeOptions()->PaintOptions().Contains(toShowRoot) ? 4 : 2)
                         : 2;
    else if (Column->Index() != FHeader->MainColumn() && Glyph.cx > 0)
        GlyphLeft -= 2;
    TextLeft = std::max(TextLeft, LeftBound);
    TextRight = std::min(TextRight, RightBound);
    HeaderGlyphPos = TPoint{Client.Left + GlyphLeft, Client.Top + GlyphTop};
    SortGlyphPos.X = Client.Left + SortLeft;
    TextBounds = TRect{Client.Left + TextLeft, Client.Top + TextTop,
                       Client.Left + std::max(TextRight, TextLeft), Client.Top + TextTop + TextHeight};
    if (Column->Options().Contains(coWrapCaption))
        Column->FCaptionText = WrapTextToWidth(Canvas, Caption, TextBounds, false, DT_NOPREFIX);
}

void TLeanTreeColumns::DrawCaptionText(TCanvas* Canvas, const String& Caption, TRect Bounds, bool Enabled,
                                       bool Hot, Cardinal DrawFormat, bool WrapCaption) {
    String Text = Caption;
    if (!WrapCaption && Canvas->TextWidth(Text) > Bounds.Width())
        Text = ShortenString(Canvas, Text, Bounds.Width());
    if (WrapCaption) DrawFormat = (DrawFormat & ~(DT_SINGLELINE | DT_VCENTER)) | DT_WORDBREAK;
    Canvas->Brush()->SetStyle(bsClear);
    TBaseLeanTree* T = FHeader->Treeview();
    if (Enabled) {
        Canvas->Font()->SetColor(Hot && T ? T->Colors()->HeaderHotColor() : FHeader->Font()->Color());
        DrawText(Canvas, Text, Bounds, DrawFormat);
    } else {
        TRect Shifted = Bounds;
        OffsetRect(Shifted, 1, 1);
        Canvas->Font()->SetColor(clBtnHighlight);
        DrawText(Canvas, Text, Shifted, DrawFormat);
        Canvas->Font()->SetColor(clBtnShadow);
        DrawText(Canvas, Text, Bounds, DrawFormat);
    }
    Canvas->Brush()->SetStyle(bsSolid);
}
