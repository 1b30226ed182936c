#include "settings/UtilConvert.h"

#include "platform/base/CharTypes.h"
#include "platform/base/Component.h"
#include "platform/base/Math.h"
#include "platform/base/Strings.h"
#include "platform/gui/Forms.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool IsDelimiter(Char C, const String& Delimiters) {
    return Delimiters.find(C) != String::npos;
}

Byte KeyByte(const String& Key, size_t I) {
    return Key.empty() ? 0 : static_cast<Byte>(Key[I % Key.size()] & 0xFF);
}

} // namespace

int AbsRectWidth(const TRect& R) {
    return std::abs(R.Right - R.Left);
}

int AbsRectHeight(const TRect& R) {
    return std::abs(R.Bottom - R.Top);
}

String BinToHexText(const void* Buffer, int Count) {
    static constexpr char16_t Digits[] = u"0123456789ABCDEF";
    const Byte* B = static_cast<const Byte*>(Buffer);
    String Result;
    Result.reserve(static_cast<size_t>(Count > 0 ? Count * 2 : 0));
    for (int I = 0; I < Count; ++I) {
        Result += Digits[B[I] >> 4];
        Result += Digits[B[I] & 0xF];
    }
    return Result;
}

int HexTextToBin(const String& Text, void* Buffer, int MaxCount) {
    const String Hex = Text.size() % 2 ? u"0" + Text : Text;
    const int Count = std::min(MaxCount, static_cast<int>(Hex.size() / 2));
    Byte* B = static_cast<Byte*>(Buffer);
    for (int I = 0; I < Count; ++I) {
        const int Hi = HexDigitValue(Hex[2 * I]), Lo = HexDigitValue(Hex[2 * I + 1]);
        if (Hi < 0 || Lo < 0)
            throw EConvertError(u"'$" + Hex.substr(2 * static_cast<size_t>(I), 2) +
                                u"' is not a valid integer value");
        B[I] = static_cast<Byte>(Hi << 4 | Lo);
    }
    return Count;
}

int WordStart(int N, const String& S, const String& Delimiters) {
    int Words = 0;
    size_t I = 0;
    while (I < S.size()) {
        while (I < S.size() && IsDelimiter(S[I], Delimiters))
            ++I;
        if (I == S.size()) break;
        if (++Words == N) return static_cast<int>(I) + 1;
        while (I < S.size() && !IsDelimiter(S[I], Delimiters))
            ++I;
    }
    return 0;
}

String WordAt(int N, const String& S, const String& Delimiters) {
    const int Start = WordStart(N, S, Delimiters);
    if (Start == 0) return String();
    size_t End = static_cast<size_t>(Start - 1);
    while (End < S.size() && !IsDelimiter(S[End], Delimiters))
        ++End;
    return S.substr(static_cast<size_t>(Start - 1), End - static_cast<size_t>(Start - 1));
}

String XorToHex(const String& Key, const String& Text) {
    static constexpr char16_t Digits[] = u"0123456789abcdef";
    String Result;
    Result.reserve(Text.size() * 2);
    for (size_t I = 0; I < Text.size(); ++I) {
        const Byte B = static_cast<Byte>((Text[I] & 0xFF) ^ KeyByte(Key, I));
        Result += Digits[B >> 4];
        Result += Digits[B & 0xF];
    }
    return Result;
}

String XorFromHex(const String& Key, const String& Hex) {
    String Result;
    for (size_t I = 0; 2 * I + 1 < Hex.size(); ++I) {
        const int Hi = HexDigitValue(Hex[2 * I]), Lo = HexDigitValue(Hex[2 * I + 1]);
        const Byte B = Hi < 0 || Lo < 0 ? Byte(' ') : static_cast<Byte>(Hi << 4 | Lo);
        Result += static_cast<Char>(B ^ KeyByte(Key, I));
    }
    return Result;
}

void SetBitInBuffer(void* Buffer, int N) {
    static_cast<Byte*>(Buffer)[N / 8] |= static_cast<Byte>(1u << (N % 8));
}

bool BitInBuffer(const void* Buffer, int N) {
    return (static_cast<const Byte*>(Buffer)[N / 8] >> (N % 8)) & 1;
}

bool SwapComponentReference(TComponent* Referrer, TComponent* NewComponent, TComponent*& Reference) {
    if (!Referrer || NewComponent == Reference) return false;
    if (Reference) Reference->RemoveFreeNotification(Referrer);
    Reference = NewComponent;
    if (NewComponent) NewComponent->FreeNotification(Referrer);
    return true;
}

// ---- Routines that need the GUI ----

void FillGradientBands(TCanvas* Canvas, const TRect& Rect, TColor StartColor, TColor EndColor,
                       TGradientBandDirection Direction, Byte Colors) {
    Canvas->Lock();
    struct TUnlock {
        TCanvas* C;
        ~TUnlock() { C->Unlock(); }
    } Unlock{Canvas};

    if (StartColor == clNone && EndColor == clNone) return;
    if (Rect.IsEmpty()) // our canvases map one unit to one pixel
        return;
    TColor From = ColorToRGB(StartColor), To = ColorToRGB(EndColor);
    if (Direction == gbBottomToTop || Direction == gbRightToLeft) {
        std::swap(From, To);
        Direction = Direction == gbBottomToTop ? gbTopToBottom : gbLeftToRight;
    }
    if (Colors < 2 || From == To) {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(From);
        Canvas->FillRect(Rect);
        return;
    }
    const int R0 = GetRValue(From), G0 = GetGValue(From), B0 = GetBValue(From);
    const int DR = GetRValue(To) - R0, DG = GetGValue(To) - G0, DB = GetBValue(To) - B0;
    const bool Vertical = Direction == gbTopToBottom;
    const int Extent = Vertical ? AbsRectHeight(Rect) : AbsRectWidth(Rect);
    const int N = static_cast<Byte>(std::max(2, std::min<int>(Colors, Extent)));
    const int D = Extent / N;
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Brush()->SetStyle(bsSolid);
    if (D > 0) {
        for (int I = 0; I < N; ++I) {
            TRect Band = Rect;
            if (Vertical) {
                Band.Top = Rect.Top + I * D;
                Band.Bottom = Band.Top + D;
            } else {
                Band.Left = Rect.Left + I * D;
                Band.Right = Band.Left + D;
            }
            Canvas->Brush()->SetColor(RGB(static_cast<Byte>(R0 + MulDiv(I, DR, N - 1)),
                                          static_cast<Byte>(G0 + MulDiv(I, DG, N - 1)),
                                          static_cast<Byte>(B0 + MulDiv(I, DB, N - 1))));
            Canvas->FillRect(Band);
        }
    }
    const int Rest = Extent % N;
    if (Rest > 0) {
        TRect Strip = Rect;
        if (Vertical)
            Strip.Top = Rect.Bottom - Rest;
        else
            Strip.Left = Rect.Right - Rest;
        Canvas->Brush()->SetColor(To);
        Canvas->FillRect(Strip);
    }
}

std::uintptr_t ApplicationHandle() {
    return Application ? Application->Handle() : 0;
}

bool IsApplicationIconic() {
    return Application && Application->MainForm() && Application->MainForm()->WindowState() == wsMinimized;
}

void AliasDragCursors() {
    if (!Screen) return;
    Screen->SetCursors(368, Screen->Cursors(crMultiDrag));
    Screen->SetCursors(369, Screen->Cursors(crDrag));
    Screen->SetCursors(370, Screen->Cursors(crMultiDrag));
    Screen->SetCursors(371, Screen->Cursors(crMultiDrag));
}
