#pragma once
// The string tree: a tree whose cells show text. It stores no text: each time a cell's text is
// needed it asks its owner through OnGetText, starting from DefaultText. It measures, shortens
// (with an ellipsis), wraps (multi-line nodes) and paints cell text and a second, static text.

#include "tree/BaseLeanTree.h"

DECLARE_ENUM(TVSTTextType, Byte, ttNormal, ttStatic)

class TCustomLeanStringTree;

using TVSTGetTextEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column,
                                            TVSTTextType TextType, String& CellText)>;
using TLTPaintText = std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node,
                                        TColumnIndex Column, TVSTTextType TextType)>;
using TVSTGetHintEvent = std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column,
                                            TLTTooltipLineBreakStyle& LineBreakStyle, String& HintText)>;
using TVSTNewTextEvent =
    std::function<void(TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, const String& NewText)>;
using TVSTShortenStringEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node, TColumnIndex Column,
                       const String& S, int TextSpace, String& Result, bool& Done)>;
using TLTMeasureTextEvent = std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node,
                                               TColumnIndex Column, const String& Text, int& Extent)>;
using TLTDrawTextEvent =
    std::function<void(TBaseLeanTree* Sender, TCanvas* TargetCanvas, PLeanNode Node, TColumnIndex Column,
                       const String& Text, const TRect& CellRect, bool& DefaultDraw)>;

class TCustomLeanStringTree : public TBaseLeanTree {
    DECLARE_CLASS(TCustomLeanStringTree, TBaseLeanTree)
public:
    explicit TCustomLeanStringTree(TComponent* AOwner);

    const String& DefaultText() const { return FDefaultText; }
    void SetDefaultText(const String& Value);
    TLTStringOptions StringOptions() const;

    // The cell's text: DefaultText as OnGetText leaves it. Writing reports the new text.
    String NodeText(PLeanNode Node, TColumnIndex Column = ColumnNone);
    void SetNodeText(PLeanNode Node, TColumnIndex Column, const String& Value);
    // The static text: empty as OnGetText leaves it.
    String NodeStaticText(PLeanNode Node, TColumnIndex Column = ColumnNone);
    // The texts from the top level down to the node, each followed by the delimiter.
    String Path(PLeanNode Node, TColumnIndex Column, TVSTTextType TextType, Char Delimiter);
    // The height the text needs laid out with word breaks in the cell (S empty: the node's text).
    int ComputeNodeHeight(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column, String S = String());
    void InvalidateNode(PLeanNode Node) override;
    void ReinitNode(PLeanNode Node, bool Recursive) override;
    // The node's text rectangle and text for a column in the given font.
    void GetTextInfo(PLeanNode Node, TColumnIndex Column, TFont* AFont, TRect& R, String& Text) override;
    // The cached width of the main column's text (0: not measured).
    Cardinal CachedTextWidth(PLeanNode Node) const;

    TLTPaintText OnPaintText;
    TVSTGetTextEvent OnGetText;
    TVSTGetHintEvent OnGetHint;
    TVSTNewTextEvent OnNewText;
    TVSTShortenStringEvent OnShortenString;
    TLTMeasureTextEvent OnMeasureTextWidth;
    TLTMeasureTextEvent OnMeasureTextHeight;
    TLTDrawTextEvent OnDrawText;

protected:
    TLeanTreeOptionsClass ChooseOptionsClass() override;
    virtual int MeasureStaticText(TCanvas* Canvas, PLeanNode Node, const String& Text, TColumnIndex Column);
    virtual int MeasureCellText(TCanvas* Canvas, PLeanNode Node, const String& Text, TColumnIndex Column);
    virtual void QueryText(PLeanNode Node, TColumnIndex Column, TVSTTextType TextType, String& Text);
    virtual void ReportNewText(PLeanNode Node, TColumnIndex Column, const String& Text);
    virtual void PreparePaintText(PLeanNode Node, TCanvas* Canvas, TColumnIndex Column,
                                  TVSTTextType TextType);
    virtual String ShortenText(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column, const String& S,
                               int Width, int EllipsisWidth);
    virtual void DrawCellText(TCellPaintInfo& PaintInfo, const String& Text, TRect CellRect,
                              Cardinal DrawFormat);
    virtual TSize MeasureTextExtent(TCanvas* Canvas, PLeanNode Node, TColumnIndex Column, const String& Text);

    void MainColumnChanged() override;
    TColumnIndex NextPaintColumn(TCellPaintInfo& PaintInfo) override;
    bool DoGetCellIsEmpty(PLeanNode Node, TColumnIndex Column) override;
    int QueryNodeContentWidth(PLeanNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
    int QueryNodeExtraWidth(PLeanNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
    String QueryNodeHint(PLeanNode Node, TColumnIndex Column,
                         TLTTooltipLineBreakStyle& LineBreakStyle) override;
    String QueryNodeTooltip(PLeanNode Node, TColumnIndex Column,
                            TLTTooltipLineBreakStyle& LineBreakStyle) override;
    int DoIncrementalSearch(PLeanNode Node, const String& Text) override;
    void PaintNodeContent(TCellPaintInfo& PaintInfo) override;
    void CMFontChanged(TMessage& Message) override;
    // Without an editor from OnCreateEditor, the string tree edits in an edit of its own.
    TLTEditLinkRef DoCreateEditor(PLeanNode Node, TColumnIndex Column) override;
    String ItemQueryText(PLeanNode Node) override;
    // With toSaveCaptions a stream carries each initialised node's main-column text.
    void StoreChunks(TStream* Stream, PLeanNode Node) override;
    bool LoadChunk(TStream* Stream, int Version, PLeanNode Node, int ChunkType, int ChunkSize) override;

private:
    String FDefaultText = u"Node";
    int FTextHeight = 0;
    int FEllipsisWidth = 0;
    Cardinal FInternalDataOffset = 0;
    bool FFontChanged = false;

    Cardinal* WidthSlot(PLeanNode Node) const;
    void ResetAllWidths();
    void UpdateTextMetrics();
    // The canvas text colour of a cell's normal text before OnPaintText.
    void PrepareTextColors(TCellPaintInfo& PaintInfo);
    void PaintNormalText(TCellPaintInfo& PaintInfo, const String& Text);
    void PaintStaticText(TCellPaintInfo& PaintInfo, const String& Text);
};

class TLeanStringTree : public TCustomLeanStringTree {
    DECLARE_CLASS(TLeanStringTree, TCustomLeanStringTree)
public:
    explicit TLeanStringTree(TComponent* AOwner) : TCustomLeanStringTree(AOwner) {}

private:
    static void Published(TPublisher<TLeanStringTree>& P);
};
