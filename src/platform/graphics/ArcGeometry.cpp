#include "platform/graphics/ArcGeometry.h"

#include <algorithm>
#include <cmath>

namespace tessiv::detail {

namespace {
constexpr double kPi = 3.14159265358979323846;

// The parameter angle (degrees, counter-clockwise on the device) of the ray through `radial`.
double ParameterAngle(const QRectF& e, QPointF radial)
{
    const QPointF c = e.center();
    const double vx = radial.x() - c.x(), vy = c.y() - radial.y();
    // A flat ellipse still has a direction: the ray's own angle decides which end it meets.
    const double rx = std::max(e.width() / 2, 1e-9), ry = std::max(e.height() / 2, 1e-9);
    if (vx == 0 && vy == 0)
        return 0;
    return std::atan2(vy / ry, vx / rx) * 180 / kPi;
}

double Wrap360(double a)
{
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360 : a;
}
} // namespace

TArcSweep ArcSweep(const QRectF& ellipse, QPointF radialStart, QPointF radialEnd, bool clockwise)
{
    TArcSweep s;
    s.Ellipse = ellipse.normalized();
    s.Start = ParameterAngle(s.Ellipse, radialStart);
    const double end = ParameterAngle(s.Ellipse, radialEnd);
    double span = Wrap360(clockwise ? s.Start - end : end - s.Start);
    if (span < 1e-9 || span > 360 - 1e-9)
        span = 360;
    s.Span = clockwise ? -span : span;
    return s;
}

QPointF ArcPoint(const TArcSweep& s, double angle)
{
    const double a = angle * kPi / 180;
    const QPointF c = s.Ellipse.center();
    return {c.x() + s.Ellipse.width() / 2 * std::cos(a), c.y() - s.Ellipse.height() / 2 * std::sin(a)};
}

QPointF PointOnEllipse(const QRectF& ellipse, QPointF radial)
{
    const QRectF e = ellipse.normalized();
    TArcSweep s;
    s.Ellipse = e;
    return ArcPoint(s, ParameterAngle(e, radial));
}

std::vector<QPointF> ArcPolyline(const TArcSweep& s, double pixelsPerUnit)
{
    // Segments short enough that the chord strays less than a quarter pixel from the curve.
    const double radius = std::max(s.Ellipse.width(), s.Ellipse.height()) / 2 * std::fabs(pixelsPerUnit);
    const double step = std::sqrt(2.0 / std::max(radius, 0.5)) * 180 / kPi;
    const int n = std::clamp(int(std::ceil(std::fabs(s.Span) / std::min(step, 45.0))), 2, 4096);
    std::vector<QPointF> out;
    out.reserve(std::size_t(n) + 1);
    for (int i = 0; i <= n; ++i)
        out.push_back(ArcPoint(s, s.Start + s.Span * i / n));
    return out;
}

QPointF FarRadial(const QRectF& ellipse, QPointF radial)
{
    const QRectF e = ellipse.normalized();
    const QPointF c = e.center();
    const QPointF v = radial - c;
    const double len = std::hypot(v.x(), v.y());
    if (len == 0)
        return radial;
    const double want = 4 * std::max({e.width(), e.height(), 256.0});
    if (len >= want)
        return radial;
    const QPointF far = c + v * (want / len);
    // Kept where whole-number coordinates can still hold it.
    if (std::fabs(far.x()) > 1e9 || std::fabs(far.y()) > 1e9)
        return radial;
    return far;
}

} // namespace tessiv::detail
