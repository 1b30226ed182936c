// A canvas on a window's whole picture: a control draws what it shows in its frame with it,
// with (0, 0) at the window's top-left corner, while its client canvas starts inside the frame.
#include "support/GraphicsTestSupport.h"
#include "support/GuiTestSupport.h"

namespace {

// A panel with a 6-pixel frame that marks its corner and its frame's inner edge.
class TFramedPanel : public TTestPanel {
public:
    using TTestPanel::TTestPanel;
    TWindowCanvas Frame;

protected:
    void WMNCPaint(TMessage& Message) override {
        TTestPanel::WMNCPaint(Message);
        Frame.SetControl(this);
        Frame.Brush()->SetColor(clRed);
        Frame.FillRect(Rect(0, 0, 2, 2));
        Frame.Brush()->SetColor(clBlue);
        Frame.FillRect(Rect(5, 5, 6, 6));
        Frame.FreeHandle();
    }
};

TEST(WindowCanvas, DrawsInTheFrameFromTheWindowCorner) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 200);
    auto* Panel = new TFramedPanel(&Form, &Form);
    Panel->SetBorderWidth(6);
    Panel->SetColor(clLime);
    Panel->SetBounds(10, 10, 60, 40);
    auto B = NewCanvasBitmap(60, 40);
    Panel->PaintTo(B->Canvas(), 0, 0);
    ExpectPixels(B->Canvas(),
                 {{0, 0, clRed}, {1, 1, clRed}, {5, 5, clBlue}, {6, 6, clLime}, {30, 20, clLime}});
    // The window canvas reaches the whole picture, the client canvas only the client area.
    EXPECT_EQ(Panel->Frame.ClipRect(), Rect(0, 0, 60, 40));
    Panel->Frame.FreeHandle(); // one canvas draws on a window's picture at a time
    EXPECT_EQ(Panel->Canvas()->ClipRect(), Rect(0, 0, 48, 28));
}

} // namespace
