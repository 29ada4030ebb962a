#pragma once
// GDI's arc geometry, shared by the canvases and the metafile players: an arc runs along the
// ellipse inscribed in a box, from where the ray from the centre through the start point meets
// the ellipse to where the ray through the end point meets it, counter-clockwise unless the arc
// direction says clockwise. Coordinates have y growing downwards, as on a device.

#include <QPointF>
#include <QRectF>

#include <vector>

namespace tessiv::detail {

// An arc as angles on the ellipse's parameter circle (degrees; positive turns counter-clockwise
// as seen on the device), the form QPainterPath::arcTo takes.
struct TArcSweep {
    QRectF Ellipse;     // the curve runs through its left, top, right and bottom edges
    double Start = 0;   // degrees
    double Span = 360;  // degrees; negative when clockwise; +-360 for a whole ellipse
};

// The curve box of the ellipse a shape draws in the device box (left, top, right, bottom), right
// and bottom exclusive: the curve runs through its first and last pixels. In floating point, so
// any box of whole numbers fits.
inline QRectF CurveBox(int left, int top, int right, int bottom)
{
    return QRectF(left, top, double(right) - left - 1, double(bottom) - top - 1);
}

// The sweep from the radial start point to the radial end point. When both rays coincide the
// arc is the whole ellipse, as GDI draws it.
TArcSweep ArcSweep(const QRectF& ellipse, QPointF radialStart, QPointF radialEnd, bool clockwise);
// Where a ray from the centre through `radial` meets the ellipse.
QPointF ArcPoint(const TArcSweep& sweep, double angle);
QPointF PointOnEllipse(const QRectF& ellipse, QPointF radial);
// The arc as a polyline from its start to its end; `pixelsPerUnit` tells how large the curve is
// where it will be seen, so that it is cut finely enough.
std::vector<QPointF> ArcPolyline(const TArcSweep& sweep, double pixelsPerUnit = 1.0);
// A radial point moved along its ray, far from the centre, so that rounding it to whole units
// (or mapping it to a smaller device) barely turns the ray. Unchanged when it is the centre.
QPointF FarRadial(const QRectF& ellipse, QPointF radial);

} // namespace tessiv::detail
