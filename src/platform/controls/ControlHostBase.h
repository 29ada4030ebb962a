#pragma once
// What shows a tree of windowless controls: hit-testing, the mouse capture, the focused control,
// cursors, invalid areas and the overlay of exclusive-or rectangles. The widget in the ui layer
// builds on this; tests drive the same entry points without any display.

#include "platform/controls/Controls.h"

#include <QRegion>

#include <vector>

namespace tessiv {

class TControlHostBase {
public:
    TControlHostBase() = default;
    virtual ~TControlHostBase();
    TControlHostBase(const TControlHostBase&) = delete;
    TControlHostBase& operator=(const TControlHostBase&) = delete;

    // The root control; the host's surface is its client area, and stands for the screen.
    TWinControl* Root() const { return FRoot; }
    void SetRoot(TWinControl* root);
    // Where the root lies on the surface (scrolling moves it).
    TPoint Origin() const { return FOrigin; }
    void SetOrigin(TPoint origin);

    // ---- input, in surface coordinates ----
    void MousePress(TMouseButton button, int x, int y, TShiftState shift = {});
    void MouseDoubleClick(TMouseButton button, int x, int y, TShiftState shift = {});
    void MouseMove(int x, int y, TShiftState shift = {});
    void MouseRelease(TMouseButton button, int x, int y, TShiftState shift = {});
    // A key press: WM_KEYDOWN, then WM_CHAR when the key gives a character, to the focused control.
    void KeyPress(unsigned short key, QChar character = QChar(), TShiftState shift = {});
    void KeyRelease(unsigned short key, TShiftState shift = {});
    // A click: press and release at the same point.
    void Click(int x, int y, TMouseButton button = mbLeft, TShiftState shift = {});
    // Ends the press under way, as if its buttons came up where the mouse last was, and drops
    // the releases still to come for them: a command run while a button is held (undo, cut) finds
    // no drag half done. A drag of the drag-and-drop kind is cancelled.
    void EndPress();
    // Buttons whose press EndPress ended and whose release has not come yet.
    bool ReleasePending() const { return FOwedReleases != 0; }

    // ---- state ----
    TControl* Capture() const { return FCapture; }
    void SetCapture(TControl* control);
    TWinControl* FocusedControl() const { return FFocused; }
    void SetFocusedControl(TWinControl* control);
    TControl* ControlUnderMouse() const { return FHover; }
    // The cursor to show: the screen's when set, else the first control from the one under the
    // mouse (or the capture) up to the root whose cursor is not crDefault, else crDefault.
    TCursor CurrentCursor() const;
    TPoint MousePos() const { return FMouse; }

    // ---- dragging ----
    void BeginDrag(TControl* source, bool immediate);
    TControl* DragSource() const { return FDragSource; }
    bool DragActive() const { return FDragSource && FDragging; }
    // Drops on the control under the mouse when drop is true and it accepted, then tells the
    // dragged control where it ended (nil: nowhere).
    void EndDrag(bool drop);

    // ---- painting ----
    // Paints the whole tree on the canvas (surface coordinates), every control clipped to its
    // parent's client area, in z-order.
    void PaintTree(TCanvas& canvas);
    // The part of the surface waiting to be painted.
    QRegion InvalidRegion() const { return FInvalid; }
    void ValidateAll() { FInvalid = QRegion(); }
    // Called by controls: surface rectangle.
    virtual void InvalidateRect(const TRect& r);
    // Paint what is invalid now (the widget repaints at once; headless: just validates).
    virtual void UpdateNow() { FInvalid = QRegion(); }

    // ---- exclusive-or rectangles (surface coordinates) ----
    // Drawing a rectangle that is shown removes it; otherwise it is added.
    virtual void DrawFocusRect(const TRect& r);
    const std::vector<TRect>& FocusRects() const { return FFocusRects; }

    // ---- the view onto the surface: what a scrolling root scrolls ----
    // The part of the surface in view (surface coordinates); a host without a window shows the
    // whole surface until it is given a view size.
    TRect Viewport() const;
    // The root and the margin round it.
    TSize SurfaceSize() const;
    // Moves the view within the surface. The mouse keeps its place on the screen, so it moves over
    // the surface with the view. Gives how far the view really moved.
    TPoint ScrollView(int dx, int dy);
    void SetViewportSize(TSize size)
    {
        FViewSize = size;
        FViewSized = true;
    }

    // A control is going away: forget it.
    void Forget(TControl* control);
    // The surface position of a control's client origin.
    TPoint SurfaceOrigin(const TControl* control) const;

    // Every mouse and key message passes here before its control sees it; true drops it.
    virtual bool FilterMessage(TControl* target, TMessage& message) { return false; }

protected:
    virtual void CursorChanged() {}
    // The mouse came over another control (nil: over none of the tree).
    virtual void HoverChanged(TControl* control) {}
    // Where the view is and how big (the widget's scroll bars and viewport).
    virtual TPoint ViewPosition() const { return FViewPos; }
    virtual TSize ViewSize() const { return FViewSized ? FViewSize : SurfaceSize(); }
    virtual void SetViewPosition(TPoint topLeft) { FViewPos = topLeft; }

private:
    void DragMoveTo(TPoint surface);
    void Press(TMouseButton button, int x, int y, TShiftState shift, bool twice);
    void SendMouse(TControl* target, unsigned msg, TPoint surface, TShiftState shift);
    void UpdateHover(TPoint surface, TShiftState shift);
    void PaintControl(TCanvas& canvas, TControl* control, TPoint origin, const TRect& clip);
    TControl* HitTest(TPoint surface) const;

    TWinControl* FRoot = nullptr;
    TPoint FOrigin;
    TControl* FCapture = nullptr;
    bool FImplicitCapture = false;
    TWinControl* FFocused = nullptr;
    TControl* FHover = nullptr;
    TPoint FMouse;
    unsigned FButtons = 0;
    unsigned FOwedReleases = 0;
    TControl* FDragSource = nullptr;
    TControl* FDragTarget = nullptr;
    TPoint FDragStart;
    TPoint FDragLast;
    bool FDragging = false;
    bool FDragAccepted = false;
    QRegion FInvalid;
    std::vector<TRect> FFocusRects;
    TPoint FViewPos;
    TSize FViewSize;
    bool FViewSized = false;
};

// A host for tests and for runs without a display.
class THeadlessHost : public TControlHostBase {};

} // namespace tessiv
