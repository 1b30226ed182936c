#pragma once
// What the graphics tests share: a white bitmap to draw on, pixel checks, ink boxes, and
// saving pictures to look at (into $MORVANE_GRAB_DIR when it is set).

#include "platform/base/Strings.h"
#include "platform/gui/Graphics.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// A bitmap of the given size filled with Back, with a canvas ready to draw.
inline std::unique_ptr<TBitmap> NewCanvasBitmap(int W, int H, TColor Back = clWhite) {
    auto B = std::make_unique<TBitmap>(W, H);
    B->Canvas()->Brush()->SetColor(Back);
    B->Canvas()->FillRect(Rect(0, 0, W, H));
    return B;
}

struct TPixelCheck {
    int X, Y;
    TColor Color;
};

inline std::string ColorText(TColor C) {
    return U8(ColorToString(C));
}

inline void ExpectPixels(TCanvas* C, std::initializer_list<TPixelCheck> Checks,
                         const std::string& What = {}) {
    for (const TPixelCheck& P : Checks)
        EXPECT_EQ(ColorText(C->Pixels(P.X, P.Y)), ColorText(ColorToRGB(P.Color)))
            << What << " at (" << P.X << ", " << P.Y << ")";
}

// The smallest rectangle holding every pixel that differs from Back (empty when none does).
inline TRect InkBox(TCanvas* C, const TRect& Area, TColor Back = clWhite) {
    TRect Box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    const TColor B = TColor(ColorToRGB(Back));
    for (int Y = Area.Top; Y < Area.Bottom; ++Y)
        for (int X = Area.Left; X < Area.Right; ++X)
            if (C->Pixels(X, Y) != B) {
                Box.Left = std::min(Box.Left, X);
                Box.Top = std::min(Box.Top, Y);
                Box.Right = std::max(Box.Right, X + 1);
                Box.Bottom = std::max(Box.Bottom, Y + 1);
            }
    return Box.Left == INT32_MAX ? TRect{} : Box;
}

// Saves a picture to look at: into $MORVANE_GRAB_DIR when set, else into Folder.
inline String GrabToPng(TBitmap* Bitmap, const TTempFolder& Folder, const std::string& Name) {
    const char* Dir = std::getenv("MORVANE_GRAB_DIR");
    const String File = Dir ? Utf8ToString(std::string(Dir) + "/" + Name) : Folder / Name;
    TPicture Picture;
    Picture.SetGraphic(Bitmap);
    Picture.SaveToFile(File);
    return File;
}
