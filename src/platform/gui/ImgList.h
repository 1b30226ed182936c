#pragma once
// Image lists: rows of equally sized images with masks, drawn by index in a normal, selected,
// focused or disabled look.

#include "platform/gui/Graphics.h"

#include <array>
#include <memory>
#include <vector>

DECLARE_ENUM(TDrawingStyle, Byte, dsFocus, dsSelected, dsNormal, dsTransparent)
DECLARE_ENUM(TImageType, Byte, itImage, itMask)
DECLARE_ENUM(TResType, Byte, rtBitmap, rtCursor, rtIcon)

class TCustomImageList;
struct TImageListData;

// A control's link to an image list: OnChange fires whenever the list changes. Registered
// with RegisterChanges; a link unregisters itself when it goes, and the list clears Sender
// when the list goes first.
class TChangeLink : public TObject {
    DECLARE_CLASS(TChangeLink, TObject)
public:
    ~TChangeLink() override;
    TCustomImageList* Sender() const { return FSender; }
    void SetSender(TCustomImageList* Value) { FSender = Value; }
    void Change();

    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
    DECLARE_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* AOwner);
    // An empty list of images AWidth x AHeight.
    TCustomImageList(int AWidth, int AHeight);
    ~TCustomImageList() override;

    // Copies the size, settings and images of another image list.
    void Assign(TPersistent* Source) override;

    // Default 16 x 16; changing the size clears the list.
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    void SetSize(int AWidth, int AHeight);
    int Count() const;
    int AllocBy() const { return FAllocBy; }
    void SetAllocBy(int Value) { FAllocBy = Value; }
    // The colour behind the images in dsNormal; clNone draws them transparently.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    // The colour of the focused and selected looks; clNone and clDefault mean clHighlight.
    TColor BlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor Value);
    TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle Value);
    TImageType ImageType() const { return FImageType; }
    void SetImageType(TImageType Value);
    // Without masks every image is drawn as a full opaque rectangle.
    bool Masked() const { return FMasked; }
    void SetMasked(bool Value);

    // Adding a bitmap wider than Width adds Image->Width() / Width images, left to right.
    // Mask: a bitmap of the same size whose white pixels are transparent (null: the image's
    // own alpha for pf32bit images with an alpha format, else opaque). Answers the index of
    // the first image added, -1 when none was.
    int Add(TBitmap* Image, TBitmap* Mask);
    // The pixels of MaskColor become transparent (clDefault: the bottom-left pixel's colour).
    int AddMasked(TBitmap* Image, TColor MaskColor);
    int AddIcon(TIcon* Image);
    // All images of another list, stretched to this list's size where they differ.
    void AddImages(TCustomImageList* Value);
    // Splits a strip picture (PNG, BMP, ...) into images Width wide; MaskColor as for
    // AddMasked, clNone keeps the picture's own alpha. Answers the first new index.
    int AddStrip(TGraphic* Strip, TColor MaskColor = clNone);
    // Clears the list and loads a strip picture file as AddStrip does (rtBitmap only); false
    // when the file cannot be read.
    bool FileLoad(TResType ResType, const String& Name, TColor MaskColor);

    void Insert(int Index, TBitmap* Image, TBitmap* Mask);
    void InsertMasked(int Index, TBitmap* Image, TColor MaskColor);
    void InsertIcon(int Index, TIcon* Image);
    void Replace(int Index, TBitmap* Image, TBitmap* Mask);
    void ReplaceMasked(int Index, TBitmap* NewImage, TColor MaskColor);
    void ReplaceIcon(int Index, TIcon* Image);
    // Index -1 clears the list.
    void Delete(int Index);
    void Move(int CurIndex, int NewIndex);
    void Clear();

    // Draws image Index with its top-left at (X, Y) in the list's DrawingStyle and ImageType;
    // disabled images are embossed in the button shadow and highlight colours. An index
    // outside the list draws nothing.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
              bool Enabled = true);
    // Draws image Index transparently, mixed half and half with BlendColor (clNone and
    // clDefault: clHighlight) whatever the list's own blend colour is.
    void DrawBlended(TCanvas* Canvas, int X, int Y, int Index, TColor ABlendColor);
    // Overlays: image ImageIndex becomes overlay OverlayIndex (0 to 14); false for an index
    // outside the list or an overlay number outside 0..14. OverlayImage answers the image of an
    // overlay, -1 when none is set.
    bool Overlay(int ImageIndex, int OverlayIndex);
    int OverlayImage(int OverlayIndex) const;
    // Draws image Index as Draw does and the image of overlay OverlayIndex over it, in the same
    // style; an overlay that is not set draws only the image.
    void DrawOverlay(TCanvas* Canvas, int X, int Y, int Index, int OverlayIndex, TDrawingStyle ADrawingStyle,
                     TImageType AImageType, bool Enabled = true);
    // Image Index as a bitmap of the list's size (the transparent parts in BkColor, white for
    // clNone); false for an index outside the list.
    bool GetBitmap(int Index, TBitmap* Image);
    // Image Index as a pf32bit bitmap with alpha (afDefined).
    bool GetImageBitmap(int Index, TBitmap* Image);
    bool GetIcon(int Index, TIcon* Image);

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);
    // Holds change notifications until the last EndUpdate, which sends one.
    void BeginUpdate();
    void EndUpdate();

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    virtual void DoDraw(int Index, TCanvas* Canvas, int X, int Y, TDrawingStyle Style, TImageType Type,
                        bool Enabled);

private:
    int FWidth = 16;
    int FHeight = 16;
    int FAllocBy = 4;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    TImageType FImageType = itImage;
    bool FMasked = true;
    int FUpdateCount = 0;
    bool FChanged = false;
    std::unique_ptr<TImageListData> FData;
    std::vector<TChangeLink*> FChangeLinks;
    std::array<int, 15> FOverlays{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

    void CheckIndex(int Index, bool AllowEnd = false) const;
};

class TImageList : public TCustomImageList {
    DECLARE_CLASS(TImageList, TCustomImageList)
public:
    using TCustomImageList::TCustomImageList;

private:
    static void Published(TPublisher<TImageList>& P);
};
