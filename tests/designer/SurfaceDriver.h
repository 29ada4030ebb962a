#pragma once
// Drives a report on the design surface without a display: the report lies in a scroll box at the
// surface's origin, as in a document window's client area, and presses, moves, releases and keys arrive at
// surface coordinates through the host's own entry points, so every design behaviour runs as it
// does under a real mouse. The exclusive-or set (outlines and rubber rectangles) can be read
// back. The driver works on a headless host of its own or on a document window's host.

#include "platform/controls/ControlHostBase.h"

#include <QChar>

#include <memory>
#include <vector>

namespace tessiv {
class TScrollBox;
class TVardoRep;
class TWinControl;
} // namespace tessiv

namespace designertest {

class TSurfaceDriver {
public:
    // The report goes into a scroll box on a headless host of the driver's own, at (0, 0); the
    // whole surface is in view until SetViewport. When the driver goes, the report goes back to
    // the parent it had.
    explicit TSurfaceDriver(tessiv::TVardoRep* report);
    // A host that shows the report already (a document window's, under the offscreen platform).
    TSurfaceDriver(tessiv::TControlHostBase* host, tessiv::TVardoRep* report);
    ~TSurfaceDriver();
    TSurfaceDriver(const TSurfaceDriver&) = delete;
    TSurfaceDriver& operator=(const TSurfaceDriver&) = delete;

    tessiv::TControlHostBase& Host() const { return *FHost; }
    tessiv::TVardoRep* Report() const { return FReport; }
    // The scroll box the report lies in (nil on a host given from outside).
    tessiv::TScrollBox* Client() const { return FClient; }
    // How much of the surface is in view: the scroll box scrolls over the rest.
    void SetViewport(int width, int height);

    // ---- coordinates ----
    // A point of a control's client area on the surface.
    tessiv::TPoint At(const tessiv::TControl* control, int x, int y) const;
    // A control's bounds on the surface.
    tessiv::TRect SurfaceRect(const tessiv::TControl* control) const;
    // A rectangle in the report's coordinates on the surface.
    tessiv::TRect FromReport(const tessiv::TRect& r) const;

    // ---- the mouse, at surface coordinates ----
    void Press(tessiv::TPoint p, tessiv::TMouseButton button = tessiv::mbLeft, tessiv::TShiftState shift = {});
    void Move(tessiv::TPoint p, tessiv::TShiftState shift = {});
    void Release(tessiv::TPoint p, tessiv::TMouseButton button = tessiv::mbLeft, tessiv::TShiftState shift = {});
    void Click(tessiv::TPoint p, tessiv::TMouseButton button = tessiv::mbLeft, tessiv::TShiftState shift = {});
    // Press at from, moves in even steps (the last one at to), release at to.
    void Drag(tessiv::TPoint from, tessiv::TPoint to, int steps = 4, tessiv::TShiftState shift = {});

    // ---- keys, to the focused control ----
    void KeyDown(unsigned short key, tessiv::TShiftState shift = {}, QChar character = QChar());
    void KeyUp(unsigned short key, tessiv::TShiftState shift = {});
    void Key(unsigned short key, tessiv::TShiftState shift = {}, QChar character = QChar());

    // ---- what the surface shows ----
    // The exclusive-or rectangles on the surface now.
    const std::vector<tessiv::TRect>& FocusRects() const { return FHost->FocusRects(); }
    // The control the mouse is over (or captured by).
    tessiv::TControl* ControlUnderMouse() const { return FHost->ControlUnderMouse(); }

private:
    std::unique_ptr<tessiv::THeadlessHost> FOwnHost;
    tessiv::TControlHostBase* FHost = nullptr;
    tessiv::TScrollBox* FClient = nullptr;
    tessiv::TVardoRep* FReport = nullptr;
    tessiv::TWinControl* FOldParent = nullptr;
};

} // namespace designertest
