#pragma once
// Conversion routines of the support library: rectangle extents, hexadecimal text for bytes,
// words of delimited text, keyed XOR scrambling, bits in a buffer, and the exchange of a
// component reference with its free notifications; the banded gradient fill.

#include "platform/base/Geometry.h"
#include "platform/base/TypeInfo.h"
#include "platform/gui/Graphics.h"
#include "platform/base/Types.h"

class TComponent;

// |Right - Left| and |Bottom - Top|: an inverted rectangle has a positive extent.
int AbsRectWidth(const TRect& R);
int AbsRectHeight(const TRect& R);

// Every byte as two upper-case hexadecimal digits, in order.
String BinToHexText(const void* Buffer, int Count);
// Bytes from pairs of hexadecimal digits (a text of odd length gets a "0" in front), at most
// MaxCount and at most half the text's length; returns how many were written. A pair that is
// not hexadecimal raises EConvertError, the bytes before it written.
int HexTextToBin(const String& Text, void* Buffer, int MaxCount);

// The position (from 1) of the first character of the N-th word of S, words being separated
// by runs of the characters in Delimiters; 0 when there is no such word.
int WordStart(int N, const String& S, const String& Delimiters);
// The N-th word; "" when there is none.
String WordAt(int N, const String& S, const String& Delimiters);

// The low byte of each character XOR the low byte of the key's character (cycling through the
// key; an empty key changes nothing), as two lower-case hexadecimal digits.
String XorToHex(const String& Key, const String& Text);
// The reverse: pairs of digits (a pair that is not hexadecimal counts as a blank; a last odd
// digit is ignored) XOR the key, one character per pair.
String XorFromHex(const String& Key, const String& Hex);

// Bit N of a buffer, counted from the lowest bit of the first byte (which on this little-endian
// machine is also bit N mod 32 of 32-bit word N div 32). Only the byte that holds the bit is
// touched, so a buffer need not be a whole number of words.
void SetBitInBuffer(void* Buffer, int N);
bool BitInBuffer(const void* Buffer, int N);

// Points Reference at NewComponent, moving Referrer's free notification from the old component
// to the new one; false (and nothing changed) when it points there already or Referrer is null.
bool SwapComponentReference(TComponent* Referrer, TComponent* NewComponent, TComponent*& Reference);
template <class T> bool SwapComponentReference(TComponent* Referrer, T* NewComponent, T*& Reference) {
    TComponent* Ref = Reference;
    const bool Changed = SwapComponentReference(Referrer, NewComponent, Ref);
    Reference = static_cast<T*>(Ref);
    return Changed;
}

// ---- Routines that need the GUI ----

class TCanvas;

DECLARE_ENUM(TGradientBandDirection, Byte, gbTopToBottom, gbBottomToTop, gbLeftToRight, gbRightToLeft)

// Fills Rect with Colors bands running from StartColor to EndColor (the terminal's bars draw
// with it): the first band has exactly the start colour, the last exactly the end colour, and
// what the bands leave over at the end takes the end colour.
void FillGradientBands(TCanvas* Canvas, const TRect& Rect, TColor StartColor, TColor EndColor,
                       TGradientBandDirection Direction, Byte Colors);

// The application's window (the main form's) and whether it is minimised.
std::uintptr_t ApplicationHandle();
bool IsApplicationIconic();

// Start-up: the drag cursors 368 to 371 become aliases of the standard multi-drag and drag
// cursors; without a screen nothing happens.
void AliasDragCursors();
