#pragma once
// TLed: a small lamp drawn as a circle, rectangle, rounded rectangle or triangle, lit in its
// colour while Active, grey while not; the terminal's connection indicator.

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

DECLARE_ENUM(tLedStyle, Byte, lsClear, lsFlat, lsRaised, lsSunken)
DECLARE_ENUM(tLedShape, Byte, shCircle, shRectangle, shRoundRect, shTriangle, shTriangleRight)

class TLed : public TCustomControl {
    DECLARE_CLASS(TLed, TCustomControl)
public:
    explicit TLed(TComponent* AOwner);

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    // The lamp's colour; the control's own background is its parent's (a panel) or the button
    // face, so the lamp's Color takes the name.
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    tLedStyle Style() const { return FStyle; }
    void SetStyle(tLedStyle Value);
    tLedShape Shape() const { return FShape; }
    void SetShape(tLedShape Value);

protected:
    void Paint() override;

private:
    bool FActive = false;
    TColor FColor = clRed;
    tLedStyle FStyle = lsClear;
    tLedShape FShape = shCircle;

    static void Published(TPublisher<TLed>& P);
};
