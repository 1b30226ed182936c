// The flat visual style: check boxes, the tree's expand glyph and edit text colours, drawn with
// Qt into the canvas, pixel for pixel the same on every platform.
#include "platform/gui/Themes.h"

#include "platform/base/Strings.h"
#include "platform/gui/GraphicsQt.h"

#include <algorithm>

namespace {

enum TThemeClass : HTHEME { tcNone = 0, tcButton = 1, tcTreeView = 2, tcEdit = 3 };

TThemeClass ClassOf(const String& Name) {
    const String N = UpperCase(Trim(Name));
    if (N == u"BUTTON") return tcButton;
    if (N == u"TREEVIEW") return tcTreeView;
    if (N == u"EDIT") return tcEdit;
    return tcNone;
}

// Colours of the flat style, 0x00BBGGRR.
constexpr TColor FrameNormal = static_cast<TColor>(0x707070);
constexpr TColor FrameHot = static_cast<TColor>(0xFF9933);
constexpr TColor FramePressed = static_cast<TColor>(0xCC6600);
constexpr TColor FrameDisabled = static_cast<TColor>(0xBCBCBC);
constexpr TColor FaceNormal = static_cast<TColor>(0xFFFFFF);
constexpr TColor FaceHot = static_cast<TColor>(0xFFF3E5);
constexpr TColor FacePressed = static_cast<TColor>(0xF7E4CC);
constexpr TColor FaceDisabled = static_cast<TColor>(0xF4F4F4);
constexpr TColor MarkNormal = static_cast<TColor>(0x202020);
constexpr TColor MarkDisabled = static_cast<TColor>(0xA0A0A0);
constexpr TColor GlyphClosed = static_cast<TColor>(0x8C8C8C);
constexpr TColor GlyphOpened = static_cast<TColor>(0x404040);
constexpr TColor TextDisabled = static_cast<TColor>(0x6D6D6D);

void CheckBox(QPainter& P, const TRect& R, int State) {
    // A square of at most 13 pixels, centred.
    const int S = std::min({R.Width(), R.Height(), 13});
    if (S < 5) return;
    const int L = R.Left + (R.Width() - S) / 2, T = R.Top + (R.Height() - S) / 2;
    const int Kind = (State - 1) % 4; // normal, hot, pressed, disabled
    const bool Checked = State >= CBS_CHECKEDNORMAL;
    static const TColor Frames[] = {FrameNormal, FrameHot, FramePressed, FrameDisabled};
    static const TColor Faces[] = {FaceNormal, FaceHot, FacePressed, FaceDisabled};
    P.fillRect(QRect(L, T, S, S), QtColor(Frames[Kind]));
    P.fillRect(QRect(L + 1, T + 1, S - 2, S - 2), QtColor(Faces[Kind]));
    if (!Checked) return;
    // The tick: a short stroke down to the lowest point, a long one up to the right; two
    // pixels thick.
    const QColor Mark = QtColor(Kind == 3 ? MarkDisabled : MarkNormal);
    const int N = S - 2, X0 = L + 1, Y0 = T + 1;
    const QPoint A(X0 + 2, Y0 + N / 2), B(X0 + N * 2 / 5, Y0 + N - 3), C(X0 + N - 3, Y0 + 2);
    for (int D = 0; D < 2; ++D) {
        P.setPen(QPen(Mark, 1));
        P.drawLine(A + QPoint(0, D), B + QPoint(0, D));
        P.drawLine(B + QPoint(0, D), C + QPoint(0, D));
    }
}

// A filled triangle: pointing right when closed, down when opened, centred in R.
void Glyph(QPainter& P, const TRect& R, int State) {
    const int CX = (R.Left + R.Right) / 2, CY = (R.Top + R.Bottom) / 2;
    const QColor C = QtColor(State == GLPS_OPENED ? GlyphOpened : GlyphClosed);
    for (int I = 0; I <= 4; ++I) {
        // Row (or column) I from the base, 9 - 2 * I pixels long.
        if (State == GLPS_OPENED)
            P.fillRect(QRect(CX - 4 + I, CY - 2 + I, 9 - 2 * I, 1), C);
        else
            P.fillRect(QRect(CX - 2 + I, CY - 4 + I, 1, 9 - 2 * I), C);
    }
}

} // namespace

HTHEME OpenThemeData(HWND, const String& ClassList) {
    if (!IsThemeActive()) return 0;
    int Start = 1;
    const int N = static_cast<int>(ClassList.size());
    while (Start <= N + 1) {
        int End = Start;
        while (End <= N && ClassList[End - 1] != u';')
            ++End;
        if (const TThemeClass C = ClassOf(Copy(ClassList, Start, End - Start)); C != tcNone) return C;
        Start = End + 1;
    }
    return 0;
}

bool CloseThemeData(HTHEME Theme) {
    return Theme != 0;
}

bool DrawThemeBackground(HTHEME Theme, TCanvas* Canvas, int PartId, int StateId, const TRect& Rect,
                         const TRect* ClipRect) {
    if (!Canvas || Rect.IsEmpty()) return false;
    const bool Known = (Theme == tcButton && PartId == BP_CHECKBOX && StateId >= CBS_UNCHECKEDNORMAL &&
                        StateId <= CBS_CHECKEDDISABLED) ||
                       (Theme == tcTreeView && PartId == TVP_GLYPH && (StateId == GLPS_CLOSED || StateId == GLPS_OPENED));
    if (!Known) return false;
    QPainter& P = BeginCanvasDrawing(Canvas);
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    if (ClipRect) P.setClipRect(QRect(ClipRect->Left, ClipRect->Top, ClipRect->Width(), ClipRect->Height()), Qt::IntersectClip);
    if (Theme == tcButton)
        CheckBox(P, Rect, StateId);
    else
        Glyph(P, Rect, StateId);
    P.restore();
    EndCanvasDrawing(Canvas);
    return true;
}

bool GetThemeColor(HTHEME Theme, int PartId, int StateId, int PropId, TColor& Color) {
    if (Theme != tcEdit || PartId != EP_EDITTEXT || PropId != TMT_TEXTCOLOR) return false;
    switch (StateId) {
    case ETS_DISABLED:
        Color = TextDisabled;
        return true;
    case ETS_NORMAL:
    case ETS_HOT:
    case ETS_SELECTED:
    case ETS_READONLY:
        Color = static_cast<TColor>(ColorToRGB(clWindowText));
        return true;
    default:
        return false;
    }
}
