#pragma once
// A panel: a control that holds others, filled with its colour, with an optional bevelled edge
// and a centred caption.

#include "platform/core/Alignment.h"
#include "platform/controls/Controls.h"

namespace tessiv {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
const TEnumInfo& BevelCutInfo();
enum TBorderStyle { bsNone, bsSingle };

class TCustomPanel : public TCustomControl {
    TESSIV_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* owner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut b);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut b);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int w);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int w);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle s);
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool v) { FFullRepaint = v; }

    // Inside the bevels and the border.
    TRect ClientRect() const override;
    void Paint(TCanvas& canvas) override;

private:
    TAlignment FAlignment = taCenter;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    bool FFullRepaint = true;
};

// Draws a raised or lowered edge of the given width just inside rect, and shrinks rect by it.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

} // namespace tessiv
