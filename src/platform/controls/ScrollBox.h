#pragma once
// A windowed control that scrolls: a scroll box (or a form's client area) with a horizontal and a
// vertical scroll bar. The control tree has no windows of its own, so the scrolling is done by the
// host the box is the root of: its view onto the surface is what the bars move, Range is the
// extent of the surface and Position how far the view has moved from its start. A box that no
// host shows as its root shows all of itself and has nothing to scroll.

#include "platform/controls/Controls.h"

namespace tessiv {

class TScrollingWinControl;

enum TScrollBarKind { sbHorizontal, sbVertical };

class TControlScrollBar {
public:
    TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind) : FControl(control), FKind(kind) {}

    TScrollBarKind Kind() const { return FKind; }
    // How far the view has moved from the start of the range.
    int Position() const;
    // The bar keeps the position between 0 and Range less the visible size.
    void SetPosition(int value);
    // The extent the bar scrolls over.
    int Range() const;
    // How much of the range is in view at once.
    int VisibleSize() const;
    // There is something to scroll to.
    bool IsScrollBarVisible() const { return Range() > VisibleSize(); }

private:
    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
};

class TScrollingWinControl : public TWinControl {
    TESSIV_CLASS(TScrollingWinControl, TWinControl)
public:
    explicit TScrollingWinControl(TComponent* owner);
    ~TScrollingWinControl() override;

    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
    // The part of the client area now in view, in client coordinates and on the screen.
    TRect VisibleClientRect() const;
    TRect ScreenClientRect() const;
    // Moves both positions; gives how far they really moved.
    TPoint ScrollBy(int dx, int dy);

    // The host that does the scrolling: the one this control is the root of, or nil.
    TControlHostBase* ScrollingHost() const;

private:
    std::unique_ptr<TControlScrollBar> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar> FVertScrollBar;
};

class TScrollBox : public TScrollingWinControl {
    TESSIV_CLASS(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* owner);
};

} // namespace tessiv
