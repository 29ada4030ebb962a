#pragma once
// The one widget that shows a tree of windowless controls, inside a scroll area: it paints the tree
// in z-order, turns mouse and key events into the controls' messages (through the application's
// message hook and exception boundary), shows each control's cursor, and draws the
// exclusive-or rectangles over the painting.

#include "platform/controls/ControlHostBase.h"

#include <QScrollArea>

namespace tessiv {

class TControlHost : public QScrollArea, public TControlHostBase {
public:
    explicit TControlHost(QWidget* parent = nullptr);
    ~TControlHost() override;

    // The widget the tree is painted on.
    QWidget* Surface() const;
    // Space around the root on the surface.
    void SetMargin(int margin);
    // The surface grows with the root.
    void UpdateSurfaceSize();

    void InvalidateRect(const TRect& r) override;
    void UpdateNow() override;
    bool FilterMessage(TControl* target, TMessage& message) override;

protected:
    void CursorChanged() override;
    // The application's hint becomes that of the control under the mouse, or of the nearest parent
    // that has one: the status line shows its long part.
    void HoverChanged(TControl* control) override;
    // The view is the scroll area's: its bars and its viewport.
    TPoint ViewPosition() const override;
    TSize ViewSize() const override;
    void SetViewPosition(TPoint topLeft) override;

private:
    class TSurface;
    TSurface* FSurface;
    int FMargin = 0;
};

Qt::CursorShape CursorShape(TCursor cursor);
// Qt's key code as the program's virtual key (letters and digits as their upper-case codes).
unsigned short VirtualKey(int qtKey);
// Qt's keyboard modifiers as the program's shift state (Shift, Ctrl and Alt).
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers);

} // namespace tessiv
