#include "tree/LeanStringTree.h"

#include "platform/base/Exceptions.h"
#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

#include <algorithm>

namespace {

// A canvas to measure text on when the tree has no window yet.
TCanvas* MeasureCanvas() {
    static TBitmap Scratch(1, 1);
    return Scratch.Canvas();
}

Cardinal AlignmentFlag(TAlignment A) {
    return A == taRightJustify ? DT_RIGHT : A == taCenter ? DT_CENTER : DT_LEFT;
}

} // namespace

// ---- Module start-up --------------------------------------------------------------------------------

void SetUpTreeModule() {
    static bool Done = false;
    if (Done) return;
    Done = true;
    TreeReferenceFormat = RegisterClipboardFormat(u"Lean Tree Reference");
    TreeDataFormat = RegisterTreeFormat(u"Lean Tree Data", TBaseLeanTree::StaticClass(), 50);
    HtmlFormat = RegisterTreeFormat(u"HTML Format", TCustomLeanStringTree::StaticClass(), 80);
    RtfNoObjectsFormat =
        RegisterTreeFormat(u"Rich Text Format Without Objects", TCustomLeanStringTree::StaticClass(), 84);
    RtfFormat = RegisterTreeFormat(u"Rich Text Format", TCustomLeanStringTree::StaticClass(), 85);
    CsvFormat = RegisterTreeFormat(u"CSV", TCustomLeanStringTree::StaticClass(), 90);
    RegisterStandardTreeFormat(CF_TEXT, TCustomLeanStringTree::StaticClass(), 100);
    RegisterStandardTreeFormat(CF_UNICODETEXT, TCustomLeanStringTree::StaticClass(), 95);
}

// ---- The string tree ----------------------------------------------------------------------------------

TCustomLeanStringTree::TCustomLeanStringTree(TComponent* AOwner) : TBaseLeanTree(AOwner) {
    SetUpTreeModule();
    FInternalDataOffset = ReserveInternalDataArea(sizeof(Cardinal));
}

TLeanTreeOptionsClass TCustomLeanStringTree::ChooseOptionsClass() {
    return [](TBaseLeanTree* Owner) -> TCustomLeanTreeOptions* { return new TStringTreeOptions(Owner); };
}

TLTStringOptions TCustomLeanStringTree::StringOptions() const {
    auto* Options = dynamic_cast<TCustomStringTreeOptions*>(TreeOptions());
    return Options ? Options->StringOptions() : TLTStringOptions{};
}

void TCustomLeanStringTree::SetDefaultText(const String& Value) {
    if (FDefaultText == Value) return;
    FDefaultText = Value;
    if (!ComponentState().Contains(csLoading)) Invalidate();
}

Cardinal* TCustomLeanStringTree::WidthSlot(PLeanNode Node) const {
    if (!Node || Node == RootNode()) return nullptr;
    return reinterpret_cast<Cardinal*>(Node->Data() + FInternalDataOffset);
}

Cardinal TCustomLeanStringTree::CachedTextWidth(PLeanNode Node) const {
    const Cardinal* Slot = WidthSlot(Node);
    return Slot ? *Slot : 0;
}

void TCustomLeanStringTree::ResetAllWidths() {
    for (PLeanNode Node : NoInitNodes())
        *WidthSlot(Node) = 0;
}

void TCustomLeanStringTree::UpdateTextMetrics() {
    TCanvas* C = MeasureCanvas();
    C->Font()->Assign(Font());
    TTextMetric M;
    FTextHeight = C->GetTextMetrics(M) ? M.tmHeight : std::abs(Font()->Height());
    FEllipsisWidth = C->TextWidth(u"...");
}

void TCustomLeanStringTree::CMFontChanged(TMessage& Message) {
    TBaseLeanTree::CMFontChanged(Message);
    UpdateTextMetrics();
    ResetAllWidths();
}

String TCustomLeanStringTree::ItemQueryText(PLeanNode Node) {
    TRect R;
    String Text;
    GetTextInfo(Node, ColumnNone, Font(), R, Text);
    return Text;
}

void TCustomLeanStringTree::MainColumnChanged() {
    ResetAllWidths();
    TBaseLeanTree::MainColumnChanged();
}

void TCustomLeanStringTree::QueryText(PLeanNode Node, TColumnIndex Column, TVSTTextType TextType,
                                      String& Text) {
    if (OnGetText) OnGetText(this, Node, Column, TextType, Text);
}

String TCustomLeanStringTree::NodeText(PLeanNode Node, TColumnIndex Column) {
    ASSERT_MSG(Node, u"Node must not be nil.");
    if (!Node->States.Contains(vsInitialized)) InitializeNode(Node);
    String Text = FDefaultText;
    QueryText(Node, Column, ttNormal, Text);
    return Text;
}

void TCustomLeanStringTree::SetNodeText(PLeanNode Node, TColumnIndex Column, const String& Value) {
    ReportNewText(Node, Column, Value);
    InvalidateNode(Node);
}

String TCustomLeanStringTree::NodeStaticText(PLeanNode Node, TColumnIndex Column) {
    ASSERT_MSG(Node, u"Node must not be nil.");
    if (!Node->States.Contains(vsInitialized)) InitializeNode(Node);
    String Text;
    QueryText(Node, Column, ttStatic, Text);
    return Text;
}

void TCustomLeanStringTree::ReportNewText(PLeanNode Node, TColumnIndex Column, const String& Text) {
    if (OnNewText) OnNewText(this, Node, Column, Text);
    if (UpdateCount() == 0) UpdateHorizontalScrollBar(false);
}

String TCustomLeanStringTree::Path(PLeanNode Node, TColumnIndex Column, TVSTTextType TextType,
                                   Char Delimiter) {
    if (!Node || Node == RootNode()) return String(1, Delimiter);
    String Result;
    for (PLeanNode Run = Node; Run != RootNode(); Run = Run->Parent) {
        String Text;
        QueryText(Run, Column, TextType, Text);
        Result = Text + Delimiter + Result;
    }
    return Result;
}

void TCustomLeanStringTree::InvalidateNode(PLeanNode Node) {
    TBaseLeanTree::InvalidateNode(Node);
    if (Cardinal* Slot = WidthSlot(Node)) {
        *Slot = 0;
        Node->States.Exclude(vsHeightMeasured);
    }
}

void TCustomLeanStringTree::ReinitNode(PLeanNode Node, bool Recursive) {
    TBaseLeanTree::ReinitNode(Node, Recursive);
    if (Cardinal* Slot = WidthSlot(Node)) *Slot = 0;
}

void TCustomLeanStringTree::PreparePaintText(PLeanNode Node, TCanvas* Canvas, TColumnIndex Column,
                                             TVSTTextType TextType) {
    if (OnPaintText) OnPaintText(this, Canvas, Node, Column, TextType);
}

TSize TCustomLeanStringTree::MeasureTextExtent(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column,
                                               const String& Text) {
    TSize Extent = Canvas->TextExtent(Text);
    if (Node->States.Contains(vsMultiline)) {
        TRect R{0, 0, Extent.cx, 0};
        DrawText(Canvas, Text, R,
                 AlignmentFlag(Alignment()) | DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS |
                     DT_CALCRECT);
        Extent.cx = R.Width();
    }
    if (OnMeasureTextWidth) OnMeasureTextWidth(this, Canvas, Node, Column, Text, Extent.cx);
    if (OnMeasureTextHeight) OnMeasureTextHeight(this, Canvas, Node, Column, Text, Extent.cy);
    return Extent;
}

int TCustomLeanStringTree::MeasureCellText(TCanvas* Canvas, PLeanNode Node, const String& Text,
                                           TColumnIndex Column) {
    int Result = 2 * TextMargin();
    if (!Text.empty()) {
        Canvas->Font()->Assign(Font());
        PreparePaintText(Node, Canvas, Column, ttNormal);
        Result += MeasureTextExtent(Canvas, Node, Column, Text).cx;
    }
    return Result;
}

int TCustomLeanStringTree::MeasureStaticText(TCanvas* Canvas, PLeanNode Node, const String& Text,
                                             TColumnIndex Column) {
    if (Text.empty() || Alignment() == taCenter || Node->States.Contains(vsMultiline) ||
        !StringOptions().Contains(toShowStaticText))
        return 0;
    Canvas->Font()->Assign(Font());
    PreparePaintText(Node, Canvas, Column, ttStatic);
    return TextMargin() + MeasureTextExtent(Canvas, Node, Column, Text).cx;
}

int TCustomLeanStringTree::QueryNodeContentWidth(PLeanNode Node, TColumnIndex Column, TCanvas* Canvas) {
    if (!Canvas) Canvas = MeasureCanvas();
    if (Column >= 0 && Node->States.Contains(vsMultiline) && Header()->IsValidColumn(Column))
        return Header()->Columns()->Items(Column)->Width();
    const bool Main = Column == Header()->MainColumn() || (!Header()->UseColumns() && Column == ColumnNone);
    if (!Main) return MeasureCellText(Canvas, Node, NodeText(Node, Column), Column);
    Cardinal* Slot = WidthSlot(Node);
    if (Slot && *Slot != 0) return static_cast<int>(*Slot);
    const int Width = MeasureCellText(Canvas, Node, NodeText(Node, Column), Column);
    if (Slot) *Slot = static_cast<Cardinal>(Width);
    return Width;
}

int TCustomLeanStringTree::QueryNodeExtraWidth(PLeanNode Node, TColumnIndex Column, TCanvas* Canvas) {
    if (!Canvas) Canvas = MeasureCanvas();
    return MeasureStaticText(Canvas, Node, NodeStaticText(Node, Column), Column);
}

String TCustomLeanStringTree::ShortenText(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column,
                                          const String& S, int Width, int EllipsisWidth) {
    String Result;
    bool Done = false;
    if (OnShortenString) OnShortenString(this, Canvas, Node, Column, S, Width, Result, Done);
    if (Done) return Result;
    return ShortenString(Canvas, S, Width, EllipsisWidth);
}

int TCustomLeanStringTree::ComputeNodeHeight(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column, String S) {
    if (!Canvas) Canvas = MeasureCanvas();
    if (S.empty()) S = NodeText(Node, Column);
    TRect R;
    if (Column < 0 || !Header()->IsValidColumn(Column)) {
        R = TRect{0, 0, std::max(ClientWidth(), Width()), 0};
    } else {
        R = TRect{TextMargin() + Margin(), 0, Header()->Columns()->Items(Column)->Width() - TextMargin(), 0};
        if (Column == Header()->MainColumn()) {
            TLineImage Lines;
            BuildLineImage(Node, Lines);
            const int Levels =
                TreeOptions()->PaintOptions().Contains(toFixedIndent) ? 1 : static_cast<int>(Lines.size());
            R.Left += Levels * static_cast<int>(Indent());
        }
        if (TreeOptions()->AutoOptions().Contains(toAutoSpanColumns))
            for (TColumnIndex Next = Header()->Columns()->GetNextVisibleColumn(Column);
                 Next >= 0 && NodeText(Node, Next).empty();
                 Next = Header()->Columns()->GetNextVisibleColumn(Next))
                R.Right += Header()->Columns()->Items(Next)->Width();
    }
    Canvas->Font()->Assign(Font());
    DrawText(Canvas, S, R, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    return R.Height();
}

TColumnIndex TCustomLeanStringTree::NextPaintColumn(TCellPaintInfo& PI) {
    TLeanTreeColumns* Columns = Header()->Columns();
    TColumnIndex Next = Columns->GetNextVisibleColumn(PI.Column);
    if (!TreeOptions()->AutoOptions().Contains(toAutoSpanColumns) || PI.BidiMode != bdLeftToRight)
        return Next;
    // Empty cells to the right lend their room to this one.
    while (Next >= 0 && Columns->Items(Next)->BiDiMode() == bdLeftToRight &&
           NodeText(PI.Node, Next).empty()) {
        PI.CellRect.Right += Columns->Items(Next)->Width();
        Next = Columns->GetNextVisibleColumn(Next);
    }
    return Next;
}

bool TCustomLeanStringTree::DoGetCellIsEmpty(PLeanNode Node, TColumnIndex Column) {
    if (!NodeText(Node, Column).empty()) return false;
    return TBaseLeanTree::DoGetCellIsEmpty(Node, Column);
}

String TCustomLeanStringTree::QueryNodeHint(PLeanNode Node, TColumnIndex Column,
                                            TLTTooltipLineBreakStyle& LineBreakStyle) {
    String Result = Hint();
    LineBreakStyle = hlbDefault;
    if (OnGetHint) OnGetHint(this, Node, Column, LineBreakStyle, Result);
    return Result;
}

String TCustomLeanStringTree::QueryNodeTooltip(PLeanNode Node, TColumnIndex Column,
                                               TLTTooltipLineBreakStyle& LineBreakStyle) {
    String Result = Hint();
    LineBreakStyle = hlbDefault;
    if (OnGetHint)
        OnGetHint(this, Node, Column, LineBreakStyle, Result);
    else
        Result = NodeText(Node, Column);
    return Result;
}

int TCustomLeanStringTree::DoIncrementalSearch(PLeanNode Node, const String& Text) {
    if (OnIncrementalSearch) {
        int Result = 0;
        OnIncrementalSearch(this, Node, Text, Result);
        return Result;
    }
    const String Cell = NodeText(Node, FocusedColumn());
    return Cell.compare(0, Text.size(), Text) == 0 && Cell.size() >= Text.size() ? 0 : 1;
}

void TCustomLeanStringTree::GetTextInfo(PLeanNode Node, TColumnIndex Column, TFont* AFont, TRect& R,
                                        String& Text) {
    TCanvas* C = MeasureCanvas();
    C->Font()->Assign(AFont);
    PreparePaintText(Node, C, Column, ttNormal);
    if (FTextHeight == 0) UpdateTextMetrics();
    int TextHeight = FTextHeight;
    if (C->Font()->Height() != AFont->Height() || C->Font()->Name() != AFont->Name()) {
        AFont->Assign(C->Font());
        TextHeight = C->TextHeight(u"Tg");
    }
    Text = NodeText(Node, Column);
    R = GetDisplayRect(Node, Column, true, !Node->States.Contains(vsMultiline), true);
    if (TreeOptions()->PaintOptions().Contains(toShowHorzGridLines)) --R.Bottom;
    const int Difference = R.Height() - TextHeight;
    R.Top += Difference / 2;
    R.Bottom = R.Top + TextHeight;
}

// ---- Painting the text --------------------------------------------------------------------------------

void TCustomLeanStringTree::PrepareTextColors(TCellPaintInfo& PI) {
    TCanvas* C = PI.Canvas;
    C->Font()->Assign(Font());
    C->Font()->SetColor(Enabled() ? Font()->Color() : Colors()->DisabledColor());
    if (TreeOptions()->PaintOptions().Contains(toHotTrack) && PI.Node == HotNode()) {
        C->Font()->SetStyle(C->Font()->Style() + TFontStyles{fsUnderline});
        C->Font()->SetColor(Colors()->HotColor());
    }
    const bool FocusedCell = PI.Column == FocusedColumn() || !Header()->UseColumns() ||
                             TreeOptions()->SelectionOptions().Contains(toFullRowSelect);
    if (PI.PaintOptions.Contains(poDrawSelection) && FocusedCell && PI.Node->States.Contains(vsSelected) &&
        (Focused() || TreeOptions()->PaintOptions().Contains(toPopupMode)))
        C->Font()->SetColor(Colors()->SelectionTextColor());
}

void TCustomLeanStringTree::PaintNodeContent(TCellPaintInfo& PI) {
    // A font change made by OnPaintText is noticed through the canvas font's notification.
    TFont* CanvasFont = PI.Canvas->Font();
    const TNotifyEvent Old = CanvasFont->OnChange;
    CanvasFont->OnChange = [this, Old](TObject* Sender) {
        FFontChanged = true;
        if (Old) Old(Sender);
    };
    TScopeExit Restore([CanvasFont, Old] { CanvasFont->OnChange = Old; });
    const String Text = NodeText(PI.Node, PI.Column);
    if (!Text.empty()) {
        PrepareTextColors(PI);
        PaintNormalText(PI, Text);
    }
    if (Alignment() != taCenter && !PI.Node->States.Contains(vsMultiline) &&
        StringOptions().Contains(toShowStaticText)) {
        String Static;
        QueryText(PI.Node, PI.Column, ttStatic, Static);
        if (!Static.empty()) PaintStaticText(PI, Static);
    }
}

void TCustomLeanStringTree::PaintNormalText(TCellPaintInfo& PI, const String& Text) {
    TCanvas* C = PI.Canvas;
    TRect R = PI.ContentRect;
    InflateRect(R, -TextMargin(), 0);
    C->SetTextFlags(0);
    const bool Disabled = PI.Node->States.Contains(vsDisabled) || !Enabled();
    Cardinal Format = DT_NOPREFIX;
    String Shown = Text;
    if (PI.Node->States.Contains(vsMultiline)) {
        const int Height = ComputeNodeHeight(C, PI.Node, PI.Column, Text);
        PreparePaintText(PI.Node, C, PI.Column, ttNormal);
        if (Disabled) C->Font()->SetColor(Colors()->DisabledColor());
        Format |= AlignmentFlag(PI.Alignment) | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;
        if (Height < R.Height()) {
            const int Shrink = R.Height() - Height;
            R.Top += Shrink / 2;
            R.Bottom -= Shrink - Shrink / 2;
        }
    } else {
        FFontChanged = false;
        int Ellipsis = FEllipsisWidth;
        PreparePaintText(PI.Node, C, PI.Column, ttNormal);
        if (FFontChanged || Ellipsis == 0) {
            Ellipsis = 0;
            PI.NodeWidth = 2 * TextMargin() + MeasureTextExtent(C, PI.Node, PI.Column, Text).cx;
        }
        if (Disabled) C->Font()->SetColor(Colors()->DisabledColor());
        Format |= DT_SINGLELINE | DT_VCENTER;
        if (PI.Column == ColumnNone) {
            Format |= AlignmentFlag(PI.Alignment);
        } else if (R.Width() < PI.NodeWidth - 2 * TextMargin()) {
            Shown = ShortenText(C, PI.Node, PI.Column, Text, R.Width(), Ellipsis);
            Format |= PI.Alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
        } else {
            Format |= AlignmentFlag(PI.Alignment);
        }
    }
    C->Brush()->SetStyle((C->TextFlags() & ETO_OPAQUE) ? bsSolid : bsClear);
    DrawCellText(PI, Shown, R, Format);
    C->Brush()->SetStyle(bsSolid);
}

void TCustomLeanStringTree::DrawCellText(TCellPaintInfo& PI, const String& Text, TRect CellRect,
                                         Cardinal DrawFormat) {
    bool DefaultDraw = true;
    if (OnDrawText) OnDrawText(this, PI.Canvas, PI.Node, PI.Column, Text, CellRect, DefaultDraw);
    if (DefaultDraw) DrawText(PI.Canvas, Text, CellRect, DrawFormat);
}

void TCustomLeanStringTree::PaintStaticText(TCellPaintInfo& PI, const String& Text) {
    TCanvas* C = PI.Canvas;
    C->Font()->Assign(Font());
    const bool Selected = PI.Node->States.Contains(vsSelected) &&
                          (Focused() || TreeOptions()->PaintOptions().Contains(toPopupMode));
    if (TreeOptions()->SelectionOptions().Contains(toFullRowSelect) && Selected)
        C->Font()->SetColor(Colors()->SelectionTextColor());
    C->SetTextFlags(0);
    PreparePaintText(PI.Node, C, PI.Column, ttStatic);
    if (PI.Node->States.Contains(vsDisabled) || !Enabled()) C->Font()->SetColor(Colors()->DisabledColor());
    TRect R = PI.ContentRect;
    if (PI.Alignment == taRightJustify)
        R.Right -= PI.NodeWidth + TextMargin();
    else
        R.Left += PI.NodeWidth + TextMargin();
    C->Brush()->SetStyle((C->TextFlags() & ETO_OPAQUE) ? bsSolid : bsClear);
    DrawText(C, Text, R, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignmentFlag(PI.Alignment));
    C->Brush()->SetStyle(bsSolid);
}
