#pragma once
// What the tests of the common controls share: small image lists, mouse drags with the button
// held, and saving a window's picture to look at.

#include "support/GuiTestSupport.h"
#include "platform/gui/ImgList.h"

#include <QDir>

#include <cstdlib>
#include <memory>
#include <string>

// An image list of Count 16 x 16 images: a filled square of Colors[i] with a black frame
// on a transparent (fuchsia) background.
inline std::unique_ptr<TImageList> ColourImages(std::initializer_list<TColor> Colors, int Size = 16) {
    auto List = std::make_unique<TImageList>(nullptr);
    List->SetSize(Size, Size);
    for (TColor C : Colors) {
        TBitmap B(Size, Size);
        B.Canvas()->Brush()->SetColor(clFuchsia);
        B.Canvas()->FillRect(Rect(0, 0, Size, Size));
        B.Canvas()->Brush()->SetColor(C);
        B.Canvas()->Pen()->SetColor(clBlack);
        B.Canvas()->Rectangle(2, 2, Size - 2, Size - 2);
        List->AddMasked(&B, clFuchsia);
    }
    return List;
}

// A mouse move with the left button held (as during a drag).
inline void DragMove(TWinControl* Control, const TPoint& Client) {
    QWidget* W = WindowOf(Control);
    const QPoint Local = WidgetPoint(Control, Client);
    QMouseEvent E(QEvent::MouseMove, QPointF(Local), QPointF(W->mapToGlobal(Local)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W, &E);
}

// Presses the left button at From, moves to To in Steps steps, releases there.
inline void Drag(TWinControl* Control, const TPoint& From, const TPoint& To, int Steps = 4) {
    SendMouse(Control, QEvent::MouseButtonPress, From);
    for (int I = 1; I <= Steps; ++I)
        DragMove(Control, {From.X + (To.X - From.X) * I / Steps, From.Y + (To.Y - From.Y) * I / Steps});
    SendMouse(Control, QEvent::MouseButtonRelease, To);
}

// Saves a window's picture into $MORVANE_GRAB_DIR (or the temporary folder) and answers the path.
inline std::string SaveGrab(const QImage& Image, const std::string& Name) {
    const char* Dir = std::getenv("MORVANE_GRAB_DIR");
    const std::string Path = (Dir ? std::string(Dir) : QDir::tempPath().toStdString()) + "/" + Name;
    Image.save(QString::fromStdString(Path));
    return Path;
}

// How many pixels of Area are darker than a mid grey.
inline int DarkPixelsIn(const QImage& Image, const TRect& Area) {
    int N = 0;
    for (int Y = Area.Top; Y < Area.Bottom; ++Y)
        for (int X = Area.Left; X < Area.Right; ++X)
            if (qGray(Image.pixel(X, Y)) < 100) ++N;
    return N;
}
