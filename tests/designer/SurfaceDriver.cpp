#include "SurfaceDriver.h"

#include "engine/model/VardoRep.h"
#include "platform/controls/ScrollBox.h"

#include <algorithm>

namespace designertest {

using namespace tessiv;

TSurfaceDriver::TSurfaceDriver(TVardoRep* report)
    : FOwnHost(std::make_unique<THeadlessHost>()), FHost(FOwnHost.get()), FReport(report)
{
    FClient = new TScrollBox(nullptr);
    FClient->SetName(QStringLiteral("Client"));
    FClient->SetBounds(0, 0, 4000, 4000);
    FHost->SetRoot(FClient);
    if (report) {
        FOldParent = report->Parent();
        report->SetParent(FClient);
        report->SetBounds(0, 0, report->Width(), report->Height());
        FClient->SetBounds(0, 0, std::max(report->Width(), 1), std::max(report->Height(), 1));
    }
}

TSurfaceDriver::TSurfaceDriver(TControlHostBase* host, TVardoRep* report) : FHost(host), FReport(report) {}

TSurfaceDriver::~TSurfaceDriver()
{
    if (!FClient)
        return;
    // The report belongs to its document: it leaves the client before the client goes.
    if (FReport && ControlAlive(FReport) && FReport->Parent() == FClient)
        FReport->SetParent(FOldParent && ControlAlive(FOldParent) ? FOldParent : nullptr);
    FHost->SetRoot(nullptr);
    FClient->Free();
}

void TSurfaceDriver::SetViewport(int width, int height)
{
    FHost->SetViewportSize({width, height});
}

TPoint TSurfaceDriver::At(const TControl* control, int x, int y) const
{
    const TPoint o = FHost->SurfaceOrigin(control);
    return {o.X + x, o.Y + y};
}

TRect TSurfaceDriver::SurfaceRect(const TControl* control) const
{
    const TPoint o = FHost->SurfaceOrigin(control);
    return {o.X, o.Y, o.X + control->Width(), o.Y + control->Height()};
}

TRect TSurfaceDriver::FromReport(const TRect& r) const
{
    const TPoint o = FHost->SurfaceOrigin(FReport);
    return {r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
}

void TSurfaceDriver::Press(TPoint p, TMouseButton button, TShiftState shift)
{
    FHost->MousePress(button, p.X, p.Y, shift);
}

void TSurfaceDriver::Move(TPoint p, TShiftState shift)
{
    FHost->MouseMove(p.X, p.Y, shift);
}

void TSurfaceDriver::Release(TPoint p, TMouseButton button, TShiftState shift)
{
    FHost->MouseRelease(button, p.X, p.Y, shift);
}

void TSurfaceDriver::Click(TPoint p, TMouseButton button, TShiftState shift)
{
    Press(p, button, shift);
    Release(p, button, shift);
}

void TSurfaceDriver::Drag(TPoint from, TPoint to, int steps, TShiftState shift)
{
    steps = std::max(steps, 1);
    Press(from, mbLeft, shift);
    for (int i = 1; i <= steps; ++i)
        Move({from.X + (to.X - from.X) * i / steps, from.Y + (to.Y - from.Y) * i / steps}, shift);
    Release(to, mbLeft, shift);
}

void TSurfaceDriver::KeyDown(unsigned short key, TShiftState shift, QChar character)
{
    FHost->KeyPress(key, character, shift);
}

void TSurfaceDriver::KeyUp(unsigned short key, TShiftState shift)
{
    FHost->KeyRelease(key, shift);
}

void TSurfaceDriver::Key(unsigned short key, TShiftState shift, QChar character)
{
    KeyDown(key, shift, character);
    KeyUp(key, shift);
}

} // namespace designertest
