// The editor control's painting: the gutter and the text area, limited to the rows and
// columns inside the area being painted.

#include "editor/CodeEdit.h"

#include "platform/base/ScopeGuard.h"

#include <algorithm>

void TCustomCodeEdit::Paint() {
    const TRect Clip = Canvas()->ClipRect();
    const int W = std::max(FCharWidth, 1);
    const int H = std::max(FTextHeight, 1);
    int FirstCol = FLeftChar;
    if (Clip.Left > FGutterWidth + 2) FirstCol += (Clip.Left - FGutterWidth - 2) / W;
    const int LastCol = FLeftChar + (Clip.Right - FGutterWidth - 2 + W - 1) / W;
    const int FirstRow = std::max(FTopLine + Clip.Top / H, FTopLine);
    const int LastRow = ClampInt(FTopLine + (Clip.Bottom + H - 1) / H, 1, DisplayLineCount());
    HideCaretNow();
    TScopeExit PlaceAgain([this] { UpdateCaret(); });
    if (Clip.Left < FGutterWidth) {
        TRect G = Clip;
        G.Right = std::min(G.Right, FGutterWidth);
        PaintGutter(G, FirstRow, LastRow);
    }
    if (Clip.Right > FGutterWidth) {
        TRect T = Clip;
        T.Left = std::max(T.Left, FGutterWidth);
        PaintTextLines(T, FirstRow, LastRow, FirstCol, LastCol);
    }
    FirePaint();
    FirePaintTransient(ttAfter);
}

void TCustomCodeEdit::PaintGutter(const TRect& AClip, int, int) {
    Canvas()->Brush()->SetColor(clBtnFace);
    Canvas()->FillRect(AClip);
}

void TCustomCodeEdit::PaintTextLines(const TRect& AClip, int, int, int, int) {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(AClip);
}
