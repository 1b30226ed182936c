// Cursors made from the program's own pictures: their handles, the picture and hot spot the
// toolkit shows, the screen's cursor table and a window under the mouse.
#include "support/GuiTestSupport.h"

namespace {

// A black square of 4 x 4 pixels in the middle of a 16 x 16 picture whose magenta is clear.
std::unique_ptr<TBitmap> SquarePicture() {
    auto B = std::make_unique<TBitmap>(16, 16);
    B->Canvas()->Brush()->SetColor(clFuchsia);
    B->Canvas()->FillRect(Rect(0, 0, 16, 16));
    B->Canvas()->Brush()->SetColor(clBlack);
    B->Canvas()->FillRect(Rect(6, 6, 10, 10));
    B->SetTransparentColor(clFuchsia);
    B->SetTransparent(true);
    return B;
}

} // namespace

TEST(BitmapCursor, HandlesPictureAndHotSpot) {
    auto Picture = SquarePicture();
    const HCURSOR First = CreateBitmapCursor(Picture.get(), {7, 8});
    const HCURSOR Second = CreateBitmapCursor(Picture.get(), {0, 0});
    EXPECT_NE(First, Second);
    EXPECT_GT(First, static_cast<HCURSOR>(INT16_MAX)); // never a standard cursor's number

    const QCursor Shown = QtCursorOf(First);
    EXPECT_EQ(Shown.shape(), Qt::BitmapCursor);
    EXPECT_EQ(Shown.hotSpot(), QPoint(7, 8));
    const QImage Image = Shown.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(Image.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(Image.pixel(0, 0)), 0);   // magenta is clear
    EXPECT_EQ(qAlpha(Image.pixel(15, 15)), 0);
    EXPECT_EQ(Image.pixel(7, 7), qRgba(0, 0, 0, 255));

    TBitmap Back;
    TPoint Hot;
    ASSERT_TRUE(GetBitmapCursor(First, &Back, Hot));
    EXPECT_EQ(Hot, (TPoint{7, 8}));
    EXPECT_EQ(Back.Width(), 16);

    // Standard cursors stay shapes; a freed handle is gone once.
    EXPECT_EQ(QtCursorOf(crHandPoint).shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(GetBitmapCursor(crHandPoint, nullptr, Hot));
    EXPECT_TRUE(DestroyCursor(First));
    EXPECT_FALSE(DestroyCursor(First));
    EXPECT_FALSE(GetBitmapCursor(First, nullptr, Hot));
    EXPECT_TRUE(DestroyCursor(Second));

    TBitmap Empty;
    EXPECT_THROW(CreateBitmapCursor(&Empty, {0, 0}), EInvalidGraphic);
    EXPECT_THROW(CreateBitmapCursor(nullptr, {0, 0}), EInvalidGraphic);
}

TEST_F(TFormFixture, BitmapCursorsShowOverWindowsAndThroughTheScreensTable) {
    auto* Panel = new TTestPanel(Form, Form);
    Form->Show();
    Pump();
    auto Picture = SquarePicture();
    const HCURSOR Handle = CreateBitmapCursor(Picture.get(), {3, 4});
    // The pointer moves over the panel, which then chooses the cursor.
    Panel->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SetCursor(Handle);
    EXPECT_EQ(GetCursor(), Handle);
    EXPECT_EQ(WindowOf(Panel)->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(WindowOf(Panel)->cursor().hotSpot(), QPoint(3, 4));
    SetCursor(crArrow);
    EXPECT_EQ(WindowOf(Panel)->cursor().shape(), Qt::ArrowCursor);

    // A number of the program's own in the screen's table stands for the picture.
    constexpr TCursor crSquare = 120;
    Screen->SetCursors(crSquare, Handle);
    Panel->SetCursor(crSquare);
    EXPECT_EQ(WindowOf(Panel)->cursor().shape(), Qt::BitmapCursor);
    Panel->SetCursor(crDefault);
    Screen->SetCursors(crSquare, crSquare);
    EXPECT_EQ(QtCursorOf(crSquare).shape(), Qt::ArrowCursor);
    DestroyCursor(Handle);
}
