#include "ide/DMImages.h"

#include "ide/Main.h"
#include "ide/Trees.h"

#include "platform/gui/Graphics.h"

#include <memory>

namespace {

// The colour that stays see-through in every image.
constexpr TColor Clear = clFuchsia;
constexpr TColor Ink = 0x202020;
constexpr TColor PaperColor = clWhite;
constexpr TColor FolderYellow = 0x40C8F0;
constexpr TColor SketchGreen = 0x40A040;
constexpr TColor SourceBlue = 0xB73700;

enum TArrowDir { adLeft, adRight, adUp, adDown };

// Draws on a 16-unit grid scaled to the image size, so one design serves 16 and 24 pixels.
class TGlyphPainter {
public:
    explicit TGlyphPainter(int ASize) : FBitmap(std::make_unique<TBitmap>(ASize, ASize)), S(ASize) {
        C = FBitmap->Canvas();
        C->Brush()->SetColor(Clear);
        C->FillRect(TRect{0, 0, S, S});
        C->Pen()->SetColor(Ink);
    }
    TBitmap* Bitmap() const { return FBitmap.get(); }
    TCanvas* Canvas() const { return C; }
    int P(int V) const { return V * S / 16; }
    void Stroke(TColor Color, int Width = 1) {
        C->Pen()->SetColor(Color);
        C->Pen()->SetWidth(S >= 24 ? Width + 1 : Width);
    }
    void Fill(TColor Color) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Color);
    }

    void Page(int X, int Y, int W, int H, TColor Color = PaperColor) {
        Stroke(Ink);
        Fill(Color);
        C->Polygon({{P(X), P(Y)},
                    {P(X + W - 4), P(Y)},
                    {P(X + W), P(Y + 4)},
                    {P(X + W), P(Y + H)},
                    {P(X), P(Y + H)}});
    }
    void Lines(int X, int Y, int W, int Count, TColor Color) {
        Stroke(Color);
        for (int I = 0; I < Count; ++I) {
            C->MoveTo(P(X), P(Y + 2 * I));
            C->LineTo(P(X + W), P(Y + 2 * I));
        }
    }
    void Folder(int X, int Y, int W, int H, TColor Color) {
        Stroke(Ink);
        Fill(Color);
        C->Polygon({{P(X), P(Y)},
                    {P(X + 5), P(Y)},
                    {P(X + 6), P(Y + 2)},
                    {P(X + W), P(Y + 2)},
                    {P(X + W), P(Y + H)},
                    {P(X), P(Y + H)}});
    }
    void Magnifier(int X, int Y, int R) {
        Stroke(Ink, 2);
        C->MoveTo(P(X + R), P(Y + R));
        C->LineTo(P(X + 2 * R + 2), P(Y + 2 * R + 2));
        Stroke(Ink);
        Fill(0xFFF0C0);
        C->Ellipse(P(X - R), P(Y - R), P(X + R) + 1, P(Y + R) + 1);
    }
    void Arrow(int X, int Y, TArrowDir Dir, int Len, TColor Color) {
        Stroke(Color, 2);
        Fill(Color);
        const int H = 3;
        switch (Dir) {
        case adRight:
            C->MoveTo(P(X), P(Y));
            C->LineTo(P(X + Len - H), P(Y));
            C->Polygon({{P(X + Len - H), P(Y - H)}, {P(X + Len), P(Y)}, {P(X + Len - H), P(Y + H)}});
            break;
        case adLeft:
            C->MoveTo(P(X + Len), P(Y));
            C->LineTo(P(X + H), P(Y));
            C->Polygon({{P(X + H), P(Y - H)}, {P(X), P(Y)}, {P(X + H), P(Y + H)}});
            break;
        case adDown:
            C->MoveTo(P(X), P(Y));
            C->LineTo(P(X), P(Y + Len - H));
            C->Polygon({{P(X - H), P(Y + Len - H)}, {P(X), P(Y + Len)}, {P(X + H), P(Y + Len - H)}});
            break;
        case adUp:
            C->MoveTo(P(X), P(Y + Len));
            C->LineTo(P(X), P(Y + H));
            C->Polygon({{P(X - H), P(Y + H)}, {P(X), P(Y)}, {P(X + H), P(Y + H)}});
            break;
        }
    }
    // A small square with a plus (or minus) in it.
    void SignBox(int X, int Y, bool Plus) {
        Stroke(Ink);
        Fill(PaperColor);
        C->Rectangle(P(X), P(Y), P(X + 7) + 1, P(Y + 7) + 1);
        C->MoveTo(P(X + 2), P(Y + 3) + S / 32);
        C->LineTo(P(X + 6), P(Y + 3) + S / 32);
        if (Plus) {
            C->MoveTo(P(X + 3) + S / 32, P(Y + 2));
            C->LineTo(P(X + 3) + S / 32, P(Y + 6));
        }
    }
    void Letter(const String& Text, int X, int Y, int Height, TColor Color) {
        C->Brush()->SetStyle(bsClear);
        C->Font()->SetName(u"Arial");
        C->Font()->SetStyle({fsBold});
        C->Font()->SetHeight(-P(Height));
        C->Font()->SetColor(Color);
        C->TextOut(P(X), P(Y), Text);
        C->Brush()->SetStyle(bsSolid);
    }
    void Disk(TColor Color) {
        Stroke(Ink);
        Fill(Color);
        C->Rectangle(P(2), P(2), P(14) + 1, P(14) + 1);
        Fill(PaperColor);
        C->Rectangle(P(4), P(2), P(12) + 1, P(7) + 1);
        Fill(clSilver);
        C->Rectangle(P(5), P(10), P(11) + 1, P(14) + 1);
    }
    void Printer() {
        Stroke(Ink);
        Fill(PaperColor);
        C->Rectangle(P(4), P(1), P(12) + 1, P(7) + 1);
        Fill(clSilver);
        C->Rectangle(P(1), P(6), P(15) + 1, P(12) + 1);
        Fill(PaperColor);
        C->Rectangle(P(4), P(10), P(12) + 1, P(15) + 1);
    }
    void Screen(TColor Line) {
        Stroke(Ink);
        Fill(0x302020);
        C->Rectangle(P(1), P(2), P(15) + 1, P(12) + 1);
        Stroke(Line);
        C->MoveTo(P(3), P(5));
        C->LineTo(P(9), P(5));
        C->MoveTo(P(3), P(8));
        C->LineTo(P(7), P(8));
        Stroke(Ink);
        Fill(clGray);
        C->Rectangle(P(5), P(13), P(11) + 1, P(15) + 1);
    }
    void Check(TColor Color) {
        Stroke(Color, 3);
        C->Polyline({{P(2), P(8)}, {P(6), P(12)}, {P(14), P(3)}});
    }
    void Cross(TColor Color) {
        Stroke(Color, 3);
        C->MoveTo(P(3), P(3));
        C->LineTo(P(13), P(13));
        C->MoveTo(P(13), P(3));
        C->LineTo(P(3), P(13));
    }
    void Disc(int X, int Y, int R, TColor Color) {
        Stroke(Ink);
        Fill(Color);
        C->Ellipse(P(X - R), P(Y - R), P(X + R) + 1, P(Y + R) + 1);
    }

private:
    std::unique_ptr<TBitmap> FBitmap;
    TCanvas* C = nullptr;
    int S;
};

void PaintMenuGlyph(TGlyphPainter& G, TMenuGlyph Glyph) {
    switch (Glyph) {
    case mgNone:
    case mgCount:
        break;
    case mgNewProject:
        G.Page(2, 1, 10, 14);
        G.Letter(u"+", 9, 6, 11, SketchGreen);
        break;
    case mgOpenRecent:
        G.Folder(1, 4, 13, 10, FolderYellow);
        G.Disc(12, 5, 3, PaperColor);
        G.Arrow(12, 5, adUp, 2, Ink);
        break;
    case mgSave:
        G.Disk(0x804000);
        break;
    case mgFind:
        G.Magnifier(6, 6, 4);
        break;
    case mgReplace:
        G.Magnifier(5, 5, 3);
        G.Arrow(6, 13, adRight, 9, 0x0060C0);
        break;
    case mgFindNext:
        G.Magnifier(5, 5, 3);
        G.Arrow(8, 4, adDown, 10, SketchGreen);
        break;
    case mgFindPrev:
        G.Magnifier(5, 5, 3);
        G.Arrow(13, 3, adUp, 10, SketchGreen);
        break;
    case mgPrintPreview:
        G.Page(1, 1, 10, 14);
        G.Magnifier(9, 9, 3);
        break;
    case mgPrint:
        G.Printer();
        break;
    case mgOptions:
        G.Disc(8, 8, 6, clSilver);
        G.Disc(8, 8, 2, PaperColor);
        break;
    case mgBoardDocs:
        G.Page(2, 1, 11, 14, 0xE0F0FF);
        G.Letter(u"B", 4, 4, 9, 0x804000);
        break;
    case mgCompile:
        G.Check(SketchGreen);
        break;
    case mgUpload:
        G.Arrow(2, 8, adRight, 12, 0x0060C0);
        break;
    case mgTerminalSketch:
        G.Screen(0x40FF40);
        break;
    case mgTerminal:
        G.Screen(0x40FFFF);
        break;
    case mgExit:
        G.Cross(clRed);
        break;
    case mgOpenFile:
        G.Folder(1, 4, 14, 10, FolderYellow);
        break;
    case mgCopyProject:
        G.Page(1, 1, 9, 11);
        G.Page(6, 4, 9, 11, 0xFFF0E0);
        break;
    case mgArduinoIde:
        G.Disc(5, 8, 4, 0x979700);
        G.Disc(11, 8, 4, 0x979700);
        break;
    case mgPrinterSetup:
        G.Printer();
        G.Disc(13, 13, 3, clSilver);
        break;
    case mgPageSetup:
        G.Page(3, 1, 10, 14);
        G.Lines(5, 5, 5, 4, clGray);
        break;
    case mgSortByName:
        G.Letter(u"A", 1, 0, 8, Ink);
        G.Letter(u"Z", 1, 8, 8, Ink);
        G.Arrow(12, 1, adDown, 14, SourceBlue);
        break;
    case mgUnsort:
        G.Lines(2, 3, 8, 5, Ink);
        G.Arrow(13, 14, adUp, 12, SourceBlue);
        break;
    case mgErrorLog:
        G.Page(2, 1, 11, 14);
        G.Lines(4, 5, 6, 4, clRed);
        break;
    case mgNormalLog:
        G.Page(2, 1, 11, 14);
        G.Lines(4, 5, 6, 4, Ink);
        break;
    case mgExpandAll:
        G.SignBox(1, 1, true);
        G.SignBox(7, 8, true);
        break;
    case mgContractAll:
        G.SignBox(1, 1, false);
        G.SignBox(7, 8, false);
        break;
    case mgExpandNode:
        G.SignBox(4, 4, true);
        break;
    case mgCollapseNode:
        G.SignBox(4, 4, false);
        break;
    case mgGotoDefine:
        G.Letter(u"#D", 1, 3, 10, SourceBlue);
        break;
    case mgGotoInclude:
        G.Letter(u"#I", 2, 3, 10, SourceBlue);
        break;
    case mgGotoSetup:
        G.Arrow(2, 2, adDown, 12, Ink);
        G.Letter(u"S", 7, 3, 10, SketchGreen);
        break;
    case mgGotoLoop:
        G.Arrow(2, 2, adDown, 12, Ink);
        G.Letter(u"L", 7, 3, 10, SketchGreen);
        break;
    case mgClose:
        G.Page(2, 1, 11, 14);
        G.Cross(clRed);
        break;
    case mgTest:
        G.Letter(u"T", 4, 2, 12, clPurple);
        break;
    case mgHelp:
        G.Disc(8, 8, 7, 0xE0A040);
        G.Letter(u"?", 5, 2, 11, PaperColor);
        break;
    case mgAbout:
        G.Disc(8, 8, 7, SourceBlue);
        G.Letter(u"i", 6, 2, 11, PaperColor);
        break;
    case mgPaneCollapse:
        G.Arrow(2, 8, adLeft, 12, Ink);
        break;
    case mgPaneExpand:
        G.Arrow(2, 8, adRight, 12, Ink);
        break;
    case mgProjectConfig:
        G.Page(1, 1, 11, 14);
        G.Disc(11, 11, 4, clSilver);
        break;
    case mgReference:
        G.Disc(8, 8, 7, 0xF0C080);
        G.Lines(2, 6, 12, 3, SourceBlue);
        break;
    case mgTemplateSave:
        G.Disk(SketchGreen);
        break;
    case mgFunctionList:
        G.Letter(u"f()", 0, 3, 10, SourceBlue);
        break;
    case mgProjectLoad:
        G.Folder(1, 4, 14, 10, SketchGreen);
        break;
    }
}

// The tree images at the indexes the trees use for their node types; the rest a small dot.
void PaintTreeGlyph(TGlyphPainter& G, int Index) {
    switch (Index) {
    case tiFocusedColumn: // the focused node's marker
        G.Arrow(2, 8, adRight, 12, SourceBlue);
        break;
    case tiDll: // a library file
        G.Disc(8, 8, 6, clSilver);
        G.Disc(8, 8, 2, Clear);
        break;
    case tiLibrariesRoot: // a top folder of the libraries
        G.Folder(1, 3, 14, 11, 0xC08040);
        break;
    case tiExamplesRoot: // a top folder of the examples
        G.Folder(1, 3, 14, 11, 0x40A0F0);
        break;
    case tiSource: // a source file
        G.Page(2, 1, 11, 14);
        G.Lines(4, 5, 6, 4, SourceBlue);
        break;
    case tiDocument: // a document
        G.Page(2, 1, 11, 14, 0xFFF0E0);
        G.Lines(4, 5, 6, 4, clNavy);
        break;
    case tiHeader: // a header
        G.Page(2, 1, 11, 14);
        G.Letter(u"h", 5, 3, 10, clPurple);
        break;
    case tiSourceWithoutLoop: // a sketch's first source without a loop
        G.Page(2, 1, 11, 14, clSilver);
        G.Lines(4, 5, 6, 4, SourceBlue);
        break;
    case tiFolder: // a folder
        G.Folder(1, 3, 14, 11, FolderYellow);
        break;
    case tiSketchFolder: // a sketch folder
        G.Folder(1, 3, 14, 11, SketchGreen);
        break;
    case tiProjectConfig: // a project configuration
        G.Page(2, 1, 11, 14, 0xE8E8E8);
        G.Disc(11, 11, 3, clGray);
        break;
    case 36: // the function list: a function head
        G.Letter(u"f()", 0, 3, 10, 0x0000E1);
        break;
    case 57: // the setup head
        G.Disc(8, 8, 7, clRed);
        G.Letter(u"S", 4, 2, 11, PaperColor);
        break;
    case 58: // the loop head
        G.Disc(8, 8, 7, clRed);
        G.Letter(u"L", 5, 2, 11, PaperColor);
        break;
    case 59: // another declaration
        G.Disc(8, 8, 4, 0xC5018E);
        break;
    case 60: // a define or a constant
        G.Letter(u"#", 3, 1, 12, 0x228800);
        break;
    case 61: // a variable
        G.Letter(u"v", 4, 0, 12, 0x928301);
        break;
    default:
        G.Disc(8, 8, 2, clGray);
        break;
    }
}

// A gutter mark: an arrow pointing at the line, with a bar above or below it for the marks
// that stand for the top or the bottom of a block.
void PaintMark(TGlyphPainter& G, TColor Color, int Bar) {
    G.Arrow(1, 8, adRight, 14, Color);
    if (Bar == 0) return;
    G.Stroke(Color, 2);
    const int Y = Bar < 0 ? 2 : 14;
    G.Canvas()->MoveTo(G.P(2), G.P(Y));
    G.Canvas()->LineTo(G.P(15), G.P(Y));
}

void PaintBookmarkGlyph(TGlyphPainter& G, int Index) {
    if (Index >= bgBookmark0 && Index <= bgBookmark0 + 9) {
        G.Stroke(Ink);
        G.Fill(0x30A0FF);
        G.Canvas()->Polygon(
            {{G.P(3), G.P(1)}, {G.P(13), G.P(1)}, {G.P(13), G.P(15)}, {G.P(8), G.P(11)}, {G.P(3), G.P(15)}});
        G.Letter(String(1, char16_t(u'0' + Index - bgBookmark0)), 5, 1, 10, Ink);
        return;
    }
    switch (Index) {
    case bgGotoSetup:
        PaintMenuGlyph(G, mgGotoSetup);
        break;
    case bgGotoLoop:
        PaintMenuGlyph(G, mgGotoLoop);
        break;
    case bgGotoDefines:
        PaintMenuGlyph(G, mgGotoDefine);
        break;
    case bgGotoIncludes:
        PaintMenuGlyph(G, mgGotoInclude);
        break;
    case bgRedLine:
        PaintMark(G, clRed, 0);
        break;
    case bgBookmarkList:
        G.Page(1, 1, 11, 14);
        G.Lines(3, 5, 6, 4, Ink);
        G.Stroke(Ink);
        G.Fill(0x30A0FF);
        G.Canvas()->Polygon(
            {{G.P(10), G.P(6)}, {G.P(15), G.P(6)}, {G.P(15), G.P(15)}, {G.P(12), G.P(12)}, {G.P(10), G.P(15)}});
        break;
    case bgReadOnly: // a padlock
        G.Stroke(Ink, 2);
        G.Fill(PaperColor);
        G.Canvas()->Brush()->SetStyle(bsClear);
        G.Canvas()->RoundRect(G.P(4), G.P(1), G.P(12) + 1, G.P(11), G.P(6), G.P(6));
        G.Stroke(Ink);
        G.Fill(0x00B0E0);
        G.Canvas()->Rectangle(G.P(2), G.P(7), G.P(14) + 1, G.P(15) + 1);
        break;
    case bgHotkeys: // a key cap
        G.Stroke(Ink);
        G.Fill(0xE8E8E8);
        G.Canvas()->RoundRect(G.P(1), G.P(2), G.P(15) + 1, G.P(14) + 1, G.P(4), G.P(4));
        G.Letter(u"F", 5, 3, 10, Ink);
        break;
    case bgGreenLine:
        PaintMark(G, SketchGreen, 0);
        break;
    case bgGreenTopLine:
        PaintMark(G, SketchGreen, -1);
        break;
    case bgGreenBottomLine:
        PaintMark(G, SketchGreen, 1);
        break;
    case bgFuchsiaLine:
        // Not clFuchsia itself: that is the see-through colour.
        PaintMark(G, 0xC000C0, 0);
        break;
    default: // an index nothing names stays empty
        break;
    }
}

void PaintTabGlyph(TGlyphPainter& G, int Tab) {
    switch (Tab) {
    case 0: // sketches
        G.Folder(1, 3, 14, 11, SketchGreen);
        break;
    case 1: // examples
        G.Folder(1, 3, 14, 11, 0x40A0F0);
        break;
    case 2: // libraries
        G.Folder(1, 3, 14, 11, 0xC08040);
        break;
    case 3: // recent files
        G.Disc(8, 8, 7, PaperColor);
        G.Arrow(8, 8, adUp, 6, Ink);
        break;
    case 4: // templates
        G.Page(2, 1, 11, 14, 0xE0FFE0);
        G.Lines(4, 5, 6, 4, SketchGreen);
        break;
    case 5: // functions
        G.Letter(u"f", 5, 1, 12, SourceBlue);
        break;
    default: // terminals
        G.Screen(0x40FF40);
        break;
    }
}

// The desktop's icons for the standard commands; the rest are our own glyphs.
const char16_t* MenuThemeIcon(int Glyph) {
    switch (Glyph) {
    case mgNewProject:
        return u"document-new";
    case mgOpenRecent:
        return u"document-open-recent";
    case mgSave:
        return u"document-save";
    case mgFind:
        return u"edit-find";
    case mgReplace:
        return u"edit-find-replace";
    case mgPrintPreview:
        return u"document-print-preview";
    case mgPrint:
        return u"document-print";
    case mgOptions:
        return u"preferences-system";
    case mgExit:
        return u"application-exit";
    case mgOpenFile:
        return u"document-open";
    case mgPageSetup:
        return u"document-page-setup";
    case mgHelp:
        return u"help-browser";
    case mgAbout:
        return u"help-about";
    case mgPaneCollapse:
        return u"go-previous";
    case mgPaneExpand:
        return u"go-next";
    default:
        return nullptr;
    }
}

const char16_t* BookmarkThemeIcon(int Glyph) {
    switch (Glyph) {
    case bgReadOnly:
        return u"changes-prevent";
    case bgHotkeys:
        return u"preferences-desktop-keyboard-shortcuts";
    default:
        return nullptr;
    }
}

template <class F> void Fill(TImageList* List, int Count, F Paint, const char16_t* (*ThemeIcon)(int) = nullptr) {
    for (int I = 0; I < Count; ++I) {
        if (const char16_t* Name = ThemeIcon ? ThemeIcon(I) : nullptr) {
            TBitmap Icon;
            if (LoadThemeIcon(&Icon, Name, List->Width())) {
                List->Add(&Icon, nullptr);
                continue;
            }
        }
        TGlyphPainter G(List->Width());
        Paint(G, I);
        List->AddMasked(G.Bitmap(), Clear);
    }
}

} // namespace

void PaintDataModuleImages(TfrmDM* DM) {
    Fill(
        DM->imglstMenu, mgCount, [](TGlyphPainter& G, int I) { PaintMenuGlyph(G, TMenuGlyph(I)); }, MenuThemeIcon);
    Fill(DM->imglstTree, TreeImageCount, PaintTreeGlyph);
    Fill(DM->imglstBookmarks, BookmarkImageCount, PaintBookmarkGlyph, BookmarkThemeIcon);
    Fill(DM->imglst1, TabImageCount, PaintTabGlyph);
}
