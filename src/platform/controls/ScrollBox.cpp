#include "platform/controls/ScrollBox.h"

#include "platform/controls/ControlHostBase.h"

#include <algorithm>
#include <climits>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TScrollingWinControl, TWinControl, )
TESSIV_IMPLEMENT_CLASS(TScrollBox, TScrollingWinControl, )

int TControlScrollBar::Position() const
{
    const TControlHostBase* host = FControl->ScrollingHost();
    if (!host)
        return 0;
    const TRect view = host->Viewport();
    return FKind == sbHorizontal ? view.Left : view.Top;
}

void TControlScrollBar::SetPosition(int value)
{
    const int now = Position();
    if (value == now)
        return;
    const long long by = static_cast<long long>(value) - now;
    const int delta = by > INT_MAX ? INT_MAX : by < INT_MIN ? INT_MIN : static_cast<int>(by);
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
}

int TControlScrollBar::Range() const
{
    if (const TControlHostBase* host = FControl->ScrollingHost()) {
        const TSize surface = host->SurfaceSize();
        return FKind == sbHorizontal ? surface.cx : surface.cy;
    }
    return FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
}

int TControlScrollBar::VisibleSize() const
{
    if (const TControlHostBase* host = FControl->ScrollingHost()) {
        const TRect view = host->Viewport();
        return FKind == sbHorizontal ? view.Width() : view.Height();
    }
    return FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner), FHorzScrollBar(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this, sbVertical))
{
}

TScrollingWinControl::~TScrollingWinControl() = default;

TControlHostBase* TScrollingWinControl::ScrollingHost() const
{
    TControlHostBase* host = Host();
    return host && host->Root() == this ? host : nullptr;
}

TRect TScrollingWinControl::ScreenClientRect() const
{
    const TPoint origin = ClientOrigin();
    const TRect client = Bounds(origin.X, origin.Y, ClientWidth(), ClientHeight());
    if (const TControlHostBase* host = ScrollingHost())
        return IntersectRect(client, host->Viewport());
    return client;
}

TRect TScrollingWinControl::VisibleClientRect() const
{
    const TRect screen = ScreenClientRect();
    const TPoint origin = ClientOrigin();
    return Bounds(screen.Left - origin.X, screen.Top - origin.Y, screen.Width(), screen.Height());
}

TPoint TScrollingWinControl::ScrollBy(int dx, int dy)
{
    TControlHostBase* host = ScrollingHost();
    if (!host || (dx == 0 && dy == 0))
        return {};
    return host->ScrollView(dx, dy);
}

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner)
{
}

} // namespace tessiv
