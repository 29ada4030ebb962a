#include "platform/controls/ControlHostBase.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace tessiv {

namespace {

unsigned ButtonBit(TMouseButton b)
{
    return b == mbLeft ? MK_LBUTTON : b == mbRight ? MK_RBUTTON : MK_MBUTTON;
}

unsigned Message(TMouseButton b, unsigned left, unsigned right, unsigned middle)
{
    return b == mbLeft ? left : b == mbRight ? right : middle;
}

bool Within(const TControl* control, const TControl* ancestor)
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == ancestor)
            return true;
    return false;
}

} // namespace

TControlHostBase::~TControlHostBase()
{
    if (FRoot)
        FRoot->SetHost(nullptr);
}

void TControlHostBase::SetRoot(TWinControl* root)
{
    if (root == FRoot)
        return;
    if (FRoot)
        FRoot->SetHost(nullptr);
    FRoot = root;
    FCapture = nullptr;
    FFocused = nullptr;
    FHover = nullptr;
    FFocusRects.clear();
    if (root) {
        root->SetHost(this);
        root->Invalidate();
    }
}

void TControlHostBase::SetOrigin(TPoint origin)
{
    FOrigin = origin;
    if (FRoot)
        FRoot->Invalidate();
}

TPoint TControlHostBase::SurfaceOrigin(const TControl* control) const
{
    TPoint p;
    const TControl* c = control;
    for (; c && c->Parent(); c = c->Parent())
        p = {p.X + c->Left(), p.Y + c->Top()};
    return {p.X + FOrigin.X, p.Y + FOrigin.Y};
}

TControl* TControlHostBase::HitTest(TPoint surface) const
{
    if (!FRoot || !FRoot->Visible())
        return nullptr;
    const TPoint p{surface.X - FOrigin.X, surface.Y - FOrigin.Y};
    if (!PtInRect(FRoot->ClientRect(), p))
        return nullptr;
    TControl* c = FRoot->FindDeepControlAt(p, true);
    // A disabled control, or one inside a disabled parent, gets no mouse input at all.
    for (const TControl* x = c; x; x = x->Parent())
        if (!x->Enabled())
            return nullptr;
    return c;
}

void TControlHostBase::SendMouse(TControl* target, unsigned msg, TPoint surface, TShiftState shift)
{
    const TPoint o = SurfaceOrigin(target);
    TMessage m{msg, static_cast<std::intptr_t>(ShiftStateToKeys(shift) | FButtons),
               MakeLParam(surface.X - o.X, surface.Y - o.Y), 0};
    if (FilterMessage(target, m))
        return;
    target->WindowProc(m);
}

void TControlHostBase::UpdateHover(TPoint surface, TShiftState shift)
{
    TControl* now = HitTest(surface);
    if (now == FHover)
        return;
    TControl* old = FHover;
    FHover = now;
    if (ControlAlive(old))
        old->Perform(CM_MOUSELEAVE, 0, 0);
    if (ControlAlive(now))
        now->Perform(CM_MOUSEENTER, 0, 0);
    CursorChanged();
    HoverChanged(ControlAlive(now) ? now : nullptr);
}

void TControlHostBase::Press(TMouseButton button, int x, int y, TShiftState shift, bool twice)
{
    FMouse = {x, y};
    UpdateHover(FMouse, shift);
    TControl* target = FCapture ? FCapture : HitTest(FMouse);
    if (!target)
        return;
    if (!FCapture) {
        // The pressed control keeps the mouse until every button is up.
        FCapture = target;
        FImplicitCapture = true;
    }
    FButtons |= ButtonBit(button);
    // A new press of a button: a release still owed for it was lost on the way.
    FOwedReleases &= ~ButtonBit(button);
    const unsigned msg = twice ? Message(button, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK)
                               : Message(button, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
    SendMouse(target, msg, FMouse, shift);
}

void TControlHostBase::MousePress(TMouseButton button, int x, int y, TShiftState shift)
{
    Press(button, x, y, shift, false);
}

void TControlHostBase::MouseDoubleClick(TMouseButton button, int x, int y, TShiftState shift)
{
    Press(button, x, y, shift, true);
}

void TControlHostBase::BeginDrag(TControl* source, bool immediate)
{
    if (!source || FDragSource)
        return;
    FDragSource = source;
    FDragTarget = nullptr;
    FDragStart = FMouse;
    FDragLast = {INT_MIN, INT_MIN};
    FDragging = false;
    FDragAccepted = false;
    SetCapture(nullptr);
    if (immediate)
        DragMoveTo(FMouse);
}

void TControlHostBase::DragMoveTo(TPoint surface)
{
    // A drag that waits for the mouse starts once it has moved five pixels either way.
    if (!FDragging && std::abs(surface.X - FDragStart.X) < 5 && std::abs(surface.Y - FDragStart.Y) < 5)
        return;
    FDragging = true;
    FDragLast = surface;
    TControl* target = HitTest(surface);
    if (target != FDragTarget && ControlAlive(FDragTarget)) {
        const TPoint o = SurfaceOrigin(FDragTarget);
        bool ignored = false;
        FDragTarget->DragOver(FDragSource, surface.X - o.X, surface.Y - o.Y, dsDragLeave, ignored);
    }
    const TDragState state = target == FDragTarget ? dsDragMove : dsDragEnter;
    FDragTarget = target;
    FDragAccepted = false;
    if (target && ControlAlive(FDragSource)) {
        const TPoint o = SurfaceOrigin(target);
        target->DragOver(FDragSource, surface.X - o.X, surface.Y - o.Y, state, FDragAccepted);
    }
    CursorChanged();
}

void TControlHostBase::EndDrag(bool drop)
{
    TControl* source = FDragSource;
    TControl* target = FDragging && FDragAccepted && drop && ControlAlive(FDragTarget) ? FDragTarget : nullptr;
    FDragSource = nullptr;
    FDragTarget = nullptr;
    FDragging = false;
    FDragAccepted = false;
    FButtons = 0;
    if (target && ControlAlive(source)) {
        const TPoint o = SurfaceOrigin(target);
        target->DragDrop(source, FMouse.X - o.X, FMouse.Y - o.Y);
    }
    if (ControlAlive(source)) {
        const TPoint o = target ? SurfaceOrigin(target) : TPoint{};
        source->DoEndDrag(target, target ? FMouse.X - o.X : 0, target ? FMouse.Y - o.Y : 0);
    }
    CursorChanged();
}

void TControlHostBase::MouseMove(int x, int y, TShiftState shift)
{
    FMouse = {x, y};
    if (FDragSource) {
        DragMoveTo(FMouse);
        return;
    }
    UpdateHover(FMouse, shift);
    TControl* target = FCapture ? FCapture : HitTest(FMouse);
    if (target)
        SendMouse(target, WM_MOUSEMOVE, FMouse, shift);
}

void TControlHostBase::MouseRelease(TMouseButton button, int x, int y, TShiftState shift)
{
    FMouse = {x, y};
    if (FOwedReleases & ButtonBit(button)) {
        // The press it ends was ended already.
        FOwedReleases &= ~ButtonBit(button);
        UpdateHover(FMouse, shift);
        return;
    }
    if (FDragSource) {
        if (!(FMouse == FDragLast)) // released somewhere the last move did not report
            DragMoveTo(FMouse);
        EndDrag(true);
        return;
    }
    TControl* target = FCapture ? FCapture : HitTest(FMouse);
    FButtons &= ~ButtonBit(button);
    const bool implicit = FImplicitCapture && FCapture == target;
    if (target)
        SendMouse(target, Message(button, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP), FMouse, shift);
    if (implicit && FImplicitCapture && FButtons == 0) {
        FCapture = nullptr;
        FImplicitCapture = false;
    }
    UpdateHover(FMouse, shift);
}

void TControlHostBase::EndPress()
{
    if (FDragSource) {
        EndDrag(false);
        FOwedReleases |= MK_LBUTTON;
        return;
    }
    const unsigned held = FButtons;
    // The modifiers held now belong to the key that asked for the end, not to the release.
    for (TMouseButton button : {mbLeft, mbRight, mbMiddle})
        if (held & ButtonBit(button)) {
            MouseRelease(button, FMouse.X, FMouse.Y, {});
            FOwedReleases |= ButtonBit(button);
        }
}

void TControlHostBase::Click(int x, int y, TMouseButton button, TShiftState shift)
{
    MousePress(button, x, y, shift);
    MouseRelease(button, x, y, shift);
}

void TControlHostBase::KeyPress(unsigned short key, QChar character, TShiftState shift)
{
    if (FDragSource && key == VK_ESCAPE) { // Escape cancels a drag
        EndDrag(false);
        return;
    }
    TWinControl* target = FFocused && FFocused->IsShowing() ? FFocused : FRoot;
    if (!target || !target->Enabled())
        return;
    TMessage down{WM_KEYDOWN, key, static_cast<std::intptr_t>(shift.ToInt()), 0};
    if (!FilterMessage(target, down))
        target->WindowProc(down);
    // A key the handler cleared gives no character.
    if (down.WParam == 0 || character.isNull() || !ControlAlive(target))
        return;
    TMessage ch{WM_CHAR, character.unicode(), static_cast<std::intptr_t>(shift.ToInt()), 0};
    if (!FilterMessage(target, ch))
        target->WindowProc(ch);
}

void TControlHostBase::KeyRelease(unsigned short key, TShiftState shift)
{
    TWinControl* target = FFocused && FFocused->IsShowing() ? FFocused : FRoot;
    if (!target || !target->Enabled())
        return;
    TMessage up{WM_KEYUP, key, static_cast<std::intptr_t>(shift.ToInt()), 0};
    if (!FilterMessage(target, up))
        target->WindowProc(up);
}

void TControlHostBase::SetCapture(TControl* control)
{
    TControl* old = FCapture;
    FCapture = control;
    FImplicitCapture = false;
    if (old && old != control && ControlAlive(old))
        old->Perform(WM_CAPTURECHANGED, 0, 0);
    CursorChanged();
}

void TControlHostBase::SetFocusedControl(TWinControl* control)
{
    if (control == FFocused)
        return;
    TWinControl* old = FFocused;
    FFocused = control;
    if (old && ControlAlive(old))
        old->Perform(WM_KILLFOCUS, 0, 0);
    if (control && ControlAlive(control) && FFocused == control)
        control->Perform(WM_SETFOCUS, 0, 0);
}

TCursor TControlHostBase::CurrentCursor() const
{
    if (Screen().Cursor() != crDefault)
        return Screen().Cursor();
    if (DragActive())
        return FDragAccepted ? FDragSource->DragCursor() : crNoDrop;
    for (const TControl* c = FCapture ? FCapture : FHover; c; c = c->Parent())
        if (c->Cursor() != crDefault)
            return c->Cursor();
    return crDefault;
}

void TControlHostBase::Forget(TControl* control)
{
    if (FCapture && Within(FCapture, control)) {
        FCapture = nullptr;
        FImplicitCapture = false;
    }
    if (FFocused && Within(FFocused, control))
        FFocused = nullptr;
    if (FHover && Within(FHover, control))
        FHover = nullptr;
    if (FDragTarget && Within(FDragTarget, control))
        FDragTarget = nullptr;
    if (FDragSource && Within(FDragSource, control)) {
        FDragSource = nullptr;
        FDragging = false;
    }
}

void TControlHostBase::InvalidateRect(const TRect& r)
{
    if (r.IsEmpty())
        return;
    // An action on many controls invalidates many small areas; past a few dozen the box round them
    // is kept instead, since a region of thousands of rectangles costs more to build with each one
    // added than painting the box does. The tree paints the same pixels either way.
    constexpr int MaxRects = 32;
    if (FInvalid.rectCount() < MaxRects)
        FInvalid += r.ToQRect();
    else
        FInvalid = FInvalid.boundingRect().united(r.ToQRect());
}

void TControlHostBase::DrawFocusRect(const TRect& r)
{
    auto it = std::find(FFocusRects.begin(), FFocusRects.end(), r);
    if (it != FFocusRects.end())
        FFocusRects.erase(it);
    else
        FFocusRects.push_back(r);
    InvalidateRect(Rect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1));
}

TSize TControlHostBase::SurfaceSize() const
{
    if (!FRoot)
        return {};
    return {OffsetClamped(FRoot->Width(), 2LL * FOrigin.X), OffsetClamped(FRoot->Height(), 2LL * FOrigin.Y)};
}

TRect TControlHostBase::Viewport() const
{
    const TSize size = ViewSize();
    return Bounds(ViewPosition().X, ViewPosition().Y, std::max(size.cx, 0), std::max(size.cy, 0));
}

TPoint TControlHostBase::ScrollView(int dx, int dy)
{
    const TRect view = Viewport();
    const TSize surface = SurfaceSize();
    const auto within = [](int from, int by, int last) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(from) + by, 0, std::max(last, 0)));
    };
    SetViewPosition(
        {within(view.Left, dx, surface.cx - view.Width()), within(view.Top, dy, surface.cy - view.Height())});
    const TRect now = Viewport();
    const TPoint moved{now.Left - view.Left, now.Top - view.Top};
    FMouse = {OffsetClamped(FMouse.X, moved.X), OffsetClamped(FMouse.Y, moved.Y)};
    return moved;
}

void TControlHostBase::PaintTree(TCanvas& canvas)
{
    if (!FRoot || !FRoot->Visible())
        return;
    PaintControl(canvas, FRoot, FOrigin, TRect{});
}

void TControlHostBase::PaintControl(TCanvas& canvas, TControl* control, TPoint origin, const TRect&)
{
    const int saved = canvas.SaveDC();
    canvas.SetViewportOrg(origin.X, origin.Y);
    canvas.IntersectClipRect(control->ClientRect());
    auto* custom = dynamic_cast<TCustomControl*>(control);
    if (custom)
        custom->FPaintCanvas = &canvas;
    try {
        control->Paint(canvas);
    } catch (...) {
        if (custom)
            custom->FPaintCanvas = nullptr;
        canvas.RestoreDC(saved);
        throw;
    }
    if (custom)
        custom->FPaintCanvas = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        // A copy: painting must not change the tree, but a careless Paint must not crash us.
        const std::vector<TControl*> children = w->FControls;
        for (TControl* c : children)
            if (c->Visible() && c->Width() > 0 && c->Height() > 0)
                PaintControl(canvas, c, {origin.X + c->Left(), origin.Y + c->Top()}, TRect{});
    }
    canvas.RestoreDC(saved);
}

} // namespace tessiv
