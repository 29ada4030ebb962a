#pragma once
// The frame that the report, a band or a printable control draws around itself: any of the four
// sides, in a colour, pen style and width in points.

#include "platform/core/Persistent.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/Types.h"

namespace tessiv {

class TCanvas;
class TControl;

class TKVFrame : public TPersistent {
    TESSIV_CLASS(TKVFrame, TPersistent)
public:
    enum { kvTop, kvBottom, kvLeft, kvRight };
    // The owner control is repainted when a property changes.
    explicit TKVFrame(TControl* owner = nullptr);

    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool DrawSide(int side) const { return FDraw[side]; }
    void SetDrawSide(int side, bool value);
    bool DrawTop() const { return FDraw[kvTop]; }
    void SetDrawTop(bool v) { SetDrawSide(kvTop, v); }
    bool DrawBottom() const { return FDraw[kvBottom]; }
    void SetDrawBottom(bool v) { SetDrawSide(kvBottom, v); }
    bool DrawLeft() const { return FDraw[kvLeft]; }
    void SetDrawLeft(bool v) { SetDrawSide(kvLeft, v); }
    bool DrawRight() const { return FDraw[kvRight]; }
    void SetDrawRight(bool v) { SetDrawSide(kvRight, v); }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle value);
    int Width() const { return FWidth; }
    void SetWidth(int value);

    bool HasSides() const { return FDraw[0] || FDraw[1] || FDraw[2] || FDraw[3]; }
    void SetPen(TPen* pen) const;
    // Draws the chosen sides inward from the edges of a device rectangle; the factors are device
    // units per native unit (0.1 mm) across and down.
    void PaintIt(TCanvas& canvas, const TRect& rect, long double xFactor, long double yFactor) const;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

private:
    void Changed();

    TControl* FOwner;
    TColor FColor = clBlack;
    bool FDraw[4] = {false, false, false, false};
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
};

} // namespace tessiv
