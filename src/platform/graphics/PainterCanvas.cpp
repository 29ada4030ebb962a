// The canvas over QPainter. Shapes are drawn without anti-aliasing and one-pixel lines are
// stepped pixel by pixel, so edges land exactly where GDI puts them.

#include "platform/graphics/ArcGeometry.h"
#include "platform/graphics/Canvas.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QVarLengthArray>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace tessiv {

namespace {

// GDI's dash patterns for one-pixel pens, in pixels on/off.
const std::vector<int>& DashPattern(TPenStyle style)
{
    static const std::vector<int> solid;
    static const std::vector<int> dash{18, 6};
    static const std::vector<int> dot{3, 3};
    static const std::vector<int> dashDot{9, 6, 3, 6};
    static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case psDash: return dash;
    case psDot: return dot;
    case psDashDot: return dashDot;
    case psDashDotDot: return dashDotDot;
    default: return solid;
    }
}

// Whether the pixel at `phase` of a styled pen is drawn; the phase moves on by one pixel.
bool PatternOn(const std::vector<int>& pattern, int total, int& phase)
{
    if (total <= 0)
        return true;
    int p = phase % total, i = 0;
    while (p >= pattern[size_t(i)]) {
        p -= pattern[size_t(i)];
        ++i;
    }
    phase = (phase + 1) % total;
    return (i % 2) == 0;
}

int PatternLength(const std::vector<int>& pattern)
{
    int total = 0;
    for (int v : pattern)
        total += v;
    return total;
}

// The pixels of a one-pixel line from a to b, b itself left out, in drawing order.
void LinePixels(QPoint a, QPoint b, std::vector<QPoint>& out)
{
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    while (x != b.x() || y != b.y()) {
        out.push_back(QPoint(x, y));
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Pixels in drawing order, sorted into the pen's (`on`) and the gaps of a styled pen (`off`); the
// pattern goes on from `phase`.
void SplitByPattern(const std::vector<QPoint>& pixels, const std::vector<int>& pattern, int& phase,
                    QVector<QPoint>& on, QVector<QPoint>& off)
{
    const int total = PatternLength(pattern);
    for (const QPoint& q : pixels)
        (PatternOn(pattern, total, phase) ? on : off).push_back(q);
}

// The same pixels LinePixels steps, reached directly: pixel k lies k steps along the major axis,
// and the minor axis has moved once for every half pixel its error passed (a tie moves it). So a
// line is cut to the visible area before a pixel is stepped, however far its ends lie.
class TLineSteps {
public:
    TLineSteps(QPoint a, QPoint b)
        : FX(a.x()), FY(a.y()), FDx(std::llabs(qint64(b.x()) - a.x())), FDy(std::llabs(qint64(b.y()) - a.y())),
          FSx(a.x() < b.x() ? 1 : -1), FSy(a.y() < b.y() ? 1 : -1)
    {
    }
    // Pixels of the line, its end left out.
    qint64 Count() const { return std::max(FDx, FDy); }
    QPoint At(qint64 k) const
    {
        if (FDx >= FDy)
            return QPoint(int(FX + FSx * k), int(FY + FSy * Minor(k, FDy, FDx)));
        return QPoint(int(FX + FSx * Minor(k, FDx, FDy)), int(FY + FSy * k));
    }
    // The steps whose pixels lie in area (inclusive edges); first > last when none does.
    void Within(const QRect& area, qint64& first, qint64& last) const
    {
        first = 0;
        last = -1;
        if (Count() == 0 || area.isEmpty())
            return;
        last = Count() - 1;
        const bool xMajor = FDx >= FDy;
        const qint64 major0 = xMajor ? FX : FY, minor0 = xMajor ? FY : FX;
        const int majorSign = xMajor ? FSx : FSy, minorSign = xMajor ? FSy : FSx;
        const qint64 lo = xMajor ? area.left() : area.top(), hi = xMajor ? area.right() : area.bottom();
        const qint64 mlo = xMajor ? area.top() : area.left(), mhi = xMajor ? area.bottom() : area.right();
        // Along the major axis the pixel moves one a step.
        if (majorSign > 0) {
            first = std::max(first, lo - major0);
            last = std::min(last, hi - major0);
        } else {
            first = std::max(first, major0 - hi);
            last = std::min(last, major0 - lo);
        }
        if (first > last)
            return;
        // Along the minor axis it moves by a count that never falls: the visible steps are one run.
        const qint64 need = minorSign > 0 ? mlo - minor0 : minor0 - mhi;  // fewest moves inside
        const qint64 allow = minorSign > 0 ? mhi - minor0 : minor0 - mlo; // most moves inside
        const qint64 dMinor = xMajor ? FDy : FDx, dMajor = xMajor ? FDx : FDy;
        auto moves = [&](qint64 k) { return Minor(k, dMinor, dMajor); };
        if (allow < 0 || moves(first) > allow || moves(last) < need)
            return void(first = last + 1);
        qint64 a = first, b = last;
        while (a < b) { // the first step with enough moves
            const qint64 m = a + (b - a) / 2;
            if (moves(m) >= need)
                b = m;
            else
                a = m + 1;
        }
        first = a;
        a = first, b = last;
        while (a < b) { // the last step without too many
            const qint64 m = a + (b - a + 1) / 2;
            if (moves(m) <= allow)
                a = m;
            else
                b = m - 1;
        }
        last = a;
    }

private:
    static qint64 Minor(qint64 k, qint64 dMinor, qint64 dMajor)
    {
        return qint64((__int128(2) * dMinor * k + dMajor) / (__int128(2) * dMajor));
    }
    qint64 FX, FY, FDx, FDy;
    int FSx, FSy;
};

// The pixels of a one-pixel line from a to b that fall in area, b itself left out; `on` gets the
// pen's pixels, `off` the gaps of a styled pen. The pattern runs on over the pixels outside too.
void StepLine(QPoint a, QPoint b, const QRect& area, const std::vector<int>& pattern, int& phase,
              QVector<QPoint>& on, QVector<QPoint>& off)
{
    const TLineSteps line(a, b);
    qint64 first = 0, last = -1;
    line.Within(area, first, last);
    const int total = PatternLength(pattern);
    for (qint64 k = first; k <= last; ++k) {
        int p = total > 0 ? int((phase + k) % total) : 0;
        (PatternOn(pattern, total, p) ? on : off).push_back(line.At(k));
    }
    if (total > 0)
        phase = int((phase + line.Count()) % total);
}

// An outline walked pixel by pixel in drawing order, so that a styled pen's pattern runs on along
// it as it does along a line: each pixel touches the next, and a corner pixel its two neighbours
// do not need is left out (a curve stays one pixel thin).
class TPixelChain {
public:
    // Curves larger than this (well past any page) are not walked pixel by pixel.
    static constexpr double kMaxRadius = 16384;

    // A straight line from where the walk is to q (a shape's corner stays a corner).
    void Add(QPointF p) { Add(Round(p), false); }
    // The curve of the sweep, sampled finely enough that no pixel is skipped.
    void Curve(const detail::TArcSweep& sweep)
    {
        const double radius = std::max(sweep.Ellipse.width(), sweep.Ellipse.height()) / 2;
        const double step = 0.5 / std::max(radius, 0.5) * 180 / 3.14159265358979323846;
        const int n = std::max(1, int(std::ceil(std::fabs(sweep.Span) / step)));
        for (int i = 0; i <= n; ++i)
            Add(Round(detail::ArcPoint(sweep, sweep.Start + sweep.Span * i / n)), true);
    }
    // The pixels to draw: the walk's last pixel is its end point (or its start again, for a
    // closed outline) and is left out, as a line leaves out its end pixel.
    std::vector<QPoint> Drawn() const
    {
        std::vector<QPoint> out = FPixels;
        if (out.size() > 1)
            out.pop_back();
        return out;
    }
    QPolygon Polygon() const
    {
        QPolygon poly;
        poly.reserve(qsizetype(FPixels.size()));
        for (const QPoint& q : FPixels)
            poly << q;
        return poly;
    }

private:
    static QPoint Round(QPointF p) { return QPoint(int(std::lround(p.x())), int(std::lround(p.y()))); }
    static bool Touch(QPoint a, QPoint b) { return std::max(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())) <= 1; }
    void Add(QPoint q, bool thin)
    {
        if (!FPixels.empty() && !Touch(FPixels.back(), q)) {
            std::vector<QPoint> bridge;
            LinePixels(FPixels.back(), q, bridge);
            for (size_t i = 1; i < bridge.size(); ++i)
                Push(bridge[i], thin);
        }
        Push(q, thin);
    }
    void Push(QPoint q, bool thin)
    {
        const size_t n = FPixels.size();
        if (thin && n >= 2 && Touch(FPixels[n - 2], q))
            FPixels.pop_back();
        if (FPixels.empty() || FPixels.back() != q)
            FPixels.push_back(q);
    }
    std::vector<QPoint> FPixels;
};

bool Styled(const TDcState& st)
{
    return st.PenWidth <= 1 && !DashPattern(st.PenStyle).empty();
}

// The curve a wide psInsideFrame pen is drawn on, half its width inside the device box: the
// painter's wide strokes cover the pixels whose centres they cover, so the stroke's outer edge
// lies on the box's own edges and no pixel outside the box is painted.
QRectF InsideFrame(const TRect& box, int width)
{
    const double half = width / 2.0;
    const QRectF r(box.Left + half, box.Top + half, std::max(0.0, box.Width() - 2 * half), std::max(0.0, box.Height() - 2 * half));
    if (r.width() == 0 || r.height() == 0)
        return QRectF(box.Left + box.Width() / 2.0, box.Top + box.Height() / 2.0, r.width(), r.height());
    return r;
}

QPainter::CompositionMode Rop2Mode(int rop2, bool& skip, QColor& color)
{
    skip = false;
    switch (rop2) {
    case 1: color = Qt::black; return QPainter::CompositionMode_SourceOver;      // R2_BLACK
    case 16: color = Qt::white; return QPainter::CompositionMode_SourceOver;     // R2_WHITE
    case 11: skip = true; return QPainter::CompositionMode_SourceOver;           // R2_NOP
    case 6: return QPainter::RasterOp_NotDestination;                            // R2_NOT
    case 4: return QPainter::RasterOp_NotSource;                                 // R2_NOTCOPYPEN
    case 7: return QPainter::RasterOp_SourceXorDestination;                      // R2_XORPEN
    case 10: return QPainter::RasterOp_NotSourceXorDestination;                  // R2_NOTXORPEN
    case 9: return QPainter::RasterOp_SourceAndDestination;                      // R2_MASKPEN
    case 15: return QPainter::RasterOp_SourceOrDestination;                      // R2_MERGEPEN
    case 8: return QPainter::RasterOp_NotSourceOrNotDestination;                 // R2_NOTMASKPEN
    case 2: return QPainter::RasterOp_NotSourceAndNotDestination;                // R2_NOTMERGEPEN
    case 5: return QPainter::RasterOp_SourceAndNotDestination;                   // R2_MASKPENNOT
    case 3: return QPainter::RasterOp_NotSourceAndDestination;                   // R2_MASKNOTPEN
    case 14: return QPainter::RasterOp_SourceOrNotDestination;                   // R2_MERGEPENNOT
    case 12: return QPainter::RasterOp_NotSourceOrDestination;                   // R2_MERGENOTPEN
    default: return QPainter::CompositionMode_SourceOver;
    }
}

Qt::BrushStyle HatchStyle(TBrushStyle s)
{
    switch (s) {
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsClear: return Qt::NoBrush;
    default: return Qt::SolidPattern;
    }
}

} // namespace

TPainterCanvas::TPainterCanvas(QPainter* painter, TDeviceCaps caps) : FPainter(painter), FCaps(caps)
{
    if (QPaintDevice* dev = painter ? painter->device() : nullptr) {
        if (FCaps.Width <= 0)
            FCaps.Width = dev->width();
        if (FCaps.Height <= 0)
            FCaps.Height = dev->height();
    }
    if (FCaps.DpiX <= 0)
        FCaps.DpiX = 96;
    if (FCaps.DpiY <= 0)
        FCaps.DpiY = FCaps.DpiX;
    Font()->SetPixelsPerInch(FCaps.DpiY);
    Font()->SetSize(8);
    if (painter && painter->hasClipping())
        FBaseClip = painter->clipRegion();
}

TPainterCanvas::TPainterCanvas(QPainter* painter, int dpi) : TPainterCanvas(painter, TDeviceCaps{dpi, dpi})
{
}

TPainterCanvas::~TPainterCanvas() = default;

void TPainterCanvas::Rebind(QPainter* painter, TDeviceCaps caps)
{
    FPainter = painter;
    FCaps = caps;
    FBaseClip.reset();
    if (painter && painter->hasClipping())
        FBaseClip = painter->clipRegion();
}

void TPainterCanvas::Apply(const TDcState& st, bool pen, bool brush)
{
    QPainter& p = *FPainter;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setWorldTransform(QTransform());
    if (st.Clip && FBaseClip)
        p.setClipRegion(*st.Clip & *FBaseClip);
    else if (st.Clip)
        p.setClipRegion(*st.Clip);
    else if (FBaseClip)
        p.setClipRegion(*FBaseClip);
    else
        p.setClipping(false);
    QColor override;
    bool skip = false;
    QPainter::CompositionMode mode = Rop2Mode(st.Rop2, skip, override);
    if (mode != QPainter::CompositionMode_SourceOver && !p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        mode = QPainter::CompositionMode_SourceOver;
    p.setCompositionMode(mode);
    FOverride = override;
    FSkip = skip;
    if (pen && st.PenStyle != psClear) {
        QPen qp(FOverride.isValid() ? FOverride : ColorToQColor(st.PenColor), st.PenWidth);
        qp.setCapStyle(Qt::RoundCap);
        qp.setJoinStyle(Qt::RoundJoin);
        p.setPen(qp);
    } else {
        p.setPen(Qt::NoPen);
    }
    if (brush && st.BrushStyle != bsClear) {
        p.setBrush(QBrush(FOverride.isValid() ? FOverride : ColorToQColor(st.BrushColor), HatchStyle(st.BrushStyle)));
        p.setBackgroundMode(st.BkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
        p.setBackground(ColorToQColor(st.BkColor));
    } else {
        p.setBrush(Qt::NoBrush);
    }
}

void TPainterCanvas::StrokeThin(const QPolygon& points, bool closed, const TDcState& st)
{
    QVector<QPoint> on, off;
    int phase = 0;
    const std::vector<int>& pattern = DashPattern(st.PenStyle);
    const QRect area = VisibleArea();
    for (qsizetype i = 0; i + 1 < points.size(); ++i)
        StepLine(points[i], points[i + 1], area, pattern, phase, on, off);
    if (closed && points.size() > 1)
        StepLine(points.back(), points.front(), area, pattern, phase, on, off);
    PaintPixels(on, off, st);
}

QRect TPainterCanvas::VisibleArea() const
{
    // The device's pixels as the painter addresses them (the world transform is reset by Apply),
    // within what the painter clips to.
    QRect area(0, 0, FCaps.Width, FCaps.Height);
    if (QPaintDevice* dev = FPainter->device(); dev && dev->width() > 0 && dev->height() > 0) {
        const QRect device(0, 0, dev->width(), dev->height());
        const QTransform toDevice = FPainter->combinedTransform();
        area = toDevice.isInvertible() ? toDevice.inverted().mapRect(device).adjusted(-1, -1, 1, 1) : device;
    }
    if (FPainter->hasClipping())
        area &= FPainter->clipBoundingRect().toAlignedRect();
    return area;
}

void TPainterCanvas::PaintPixels(const QVector<QPoint>& on, const QVector<QPoint>& off, const TDcState& st)
{
    QPainter& p = *FPainter;
    p.setBrush(Qt::NoBrush);
    if (!off.isEmpty() && st.BkMode == OPAQUE) {
        p.setPen(QPen(ColorToQColor(st.BkColor), 1));
        p.drawPoints(off.constData(), int(off.size()));
    }
    if (!on.isEmpty()) {
        p.setPen(QPen(FOverride.isValid() ? FOverride : ColorToQColor(st.PenColor), 1));
        p.drawPoints(on.constData(), int(on.size()));
    }
}

bool TPainterCanvas::StyledOutline(TArcKind kind, const QRectF& ellipse, double start, double span, double ew,
                                   double eh, bool roundRect, const TDcState& st)
{
    // Only one-pixel styled pens are walked; a huge curve is left to the painter.
    if (!Styled(st) || std::max(ellipse.width(), ellipse.height()) / 2 > TPixelChain::kMaxRadius)
        return false;
    // A curve wholly outside what can be seen is not walked at all.
    if (!QRectF(VisibleArea()).intersects(ellipse.adjusted(-2, -2, 2, 2)))
        return true;
    TPixelChain chain;
    if (roundRect) {
        // Counter-clockwise from the right end of the top-right corner, as an ellipse runs.
        const double rx = std::clamp(ew - 1, 0.0, ellipse.width()) / 2, ry = std::clamp(eh - 1, 0.0, ellipse.height()) / 2;
        const double l = ellipse.left(), t = ellipse.top(), r = ellipse.right(), b = ellipse.bottom();
        const QPointF centres[] = {{r - rx, t + ry}, {l + rx, t + ry}, {l + rx, b - ry}, {r - rx, b - ry}};
        for (int i = 0; i < 4; ++i) {
            detail::TArcSweep corner;
            corner.Ellipse = QRectF(centres[i].x() - rx, centres[i].y() - ry, 2 * rx, 2 * ry);
            corner.Start = 90.0 * i;
            corner.Span = 90;
            chain.Curve(corner);
        }
        chain.Add(QPointF(r, t + ry));
    } else {
        detail::TArcSweep sweep;
        sweep.Ellipse = ellipse;
        sweep.Start = start;
        sweep.Span = span;
        chain.Curve(sweep);
        // A chord closes with a straight line, a pie with the two radii, each from where the curve ended.
        if (kind == TArcKind::Pie)
            chain.Add(ellipse.center());
        if (kind != TArcKind::Arc)
            chain.Add(detail::ArcPoint(sweep, start));
    }
    if (kind != TArcKind::Arc && st.BrushStyle != bsClear) {
        Apply(st, false, true);
        FPainter->drawPolygon(chain.Polygon(), Qt::OddEvenFill);
    }
    QVector<QPoint> on, off;
    int phase = 0;
    SplitByPattern(chain.Drawn(), DashPattern(st.PenStyle), phase, on, off);
    PaintPixels(on, off, st);
    return true;
}

void TPainterCanvas::DevPolyline(const QPolygon& points, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    if (st.PenStyle == psClear)
        return;
    Apply(st, true, false);
    if (FSkip)
        return;
    if (st.PenWidth <= 1) {
        StrokeThin(points, false, st);
        return;
    }
    FPainter->drawPolyline(points);
}

void TPainterCanvas::DevPolygon(const QPolygon& points, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, false, true);
    if (FSkip)
        return;
    if (st.BrushStyle != bsClear)
        FPainter->drawPolygon(points, Qt::OddEvenFill);
    if (st.PenStyle == psClear)
        return;
    if (st.PenWidth <= 1) {
        StrokeThin(points, true, st);
        return;
    }
    Apply(st, true, false);
    FPainter->drawPolygon(points);
}

void TPainterCanvas::DevPolyPolygon(const std::vector<QPolygon>& polygons, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, false, true);
    if (FSkip)
        return;
    if (st.BrushStyle != bsClear) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const QPolygon& p : polygons)
            path.addPolygon(p);
        path.closeSubpath();
        FPainter->drawPath(path);
    }
    if (st.PenStyle == psClear)
        return;
    for (const QPolygon& p : polygons) {
        if (st.PenWidth <= 1) {
            StrokeThin(p, true, st);
        } else {
            Apply(st, true, false);
            FPainter->drawPolygon(p);
        }
    }
}

void TPainterCanvas::DevRectangle(const TRect& r, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, false, true);
    if (FSkip)
        return;
    if (st.PenStyle == psClear) {
        // Without a pen GDI fills one pixel less at the right and bottom.
        if (st.BrushStyle != bsClear && r.Width() > 1 && r.Height() > 1)
            FPainter->fillRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1), FPainter->brush());
        return;
    }
    const int w = st.PenWidth;
    if (w <= 1) {
        if (st.BrushStyle != bsClear && r.Width() > 2 && r.Height() > 2)
            FPainter->fillRect(QRect(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2), FPainter->brush());
        QPolygon outline;
        outline << QPoint(r.Left, r.Top) << QPoint(r.Right - 1, r.Top) << QPoint(r.Right - 1, r.Bottom - 1)
                << QPoint(r.Left, r.Bottom - 1);
        if ((r.Width() == 1 || r.Height() == 1) && Styled(st)) {
            // A box one pixel thin is a single line, both ends drawn: the pattern runs along it.
            const QPoint end = r.Height() == 1 ? QPoint(r.Right, r.Top) : QPoint(r.Left, r.Bottom);
            QVector<QPoint> on, off;
            int phase = 0;
            StepLine(QPoint(r.Left, r.Top), end, VisibleArea(), DashPattern(st.PenStyle), phase, on, off);
            PaintPixels(on, off, st);
            return;
        }
        if (r.Width() == 1 || r.Height() == 1) {
            FPainter->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()),
                               FOverride.isValid() ? FOverride : ColorToQColor(st.PenColor));
            return;
        }
        StrokeThin(outline, true, st);
        return;
    }
    // A wide pen straddles the outline, or lies inside it for psInsideFrame.
    QRect box(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
    if (st.PenStyle == psInsideFrame)
        box.adjust(w / 2, w / 2, -(w - 1) / 2, -(w - 1) / 2);
    if (st.BrushStyle != bsClear)
        FPainter->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), FPainter->brush());
    Apply(st, true, false);
    QPen qp = FPainter->pen();
    qp.setJoinStyle(Qt::MiterJoin);
    qp.setCapStyle(Qt::SquareCap);
    FPainter->setPen(qp);
    FPainter->drawRect(box);
}

void TPainterCanvas::DevEllipse(const TRect& r, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, true, true);
    if (FSkip)
        return;
    const QRectF curve = detail::CurveBox(r.Left, r.Top, r.Right, r.Bottom);
    if (StyledOutline(TArcKind::Chord, curve, 0, 360, 0, 0, false, st))
        return;
    if (st.PenStyle == psInsideFrame && st.PenWidth > 1) {
        FPainter->drawEllipse(InsideFrame(r, st.PenWidth));
        return;
    }
    FPainter->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
}

void TPainterCanvas::DevRoundRect(const TRect& r, int ew, int eh, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, true, true);
    if (FSkip)
        return;
    const QRectF curve = detail::CurveBox(r.Left, r.Top, r.Right, r.Bottom);
    if (StyledOutline(TArcKind::Chord, curve, 0, 0, ew, eh, true, st))
        return;
    if (st.PenStyle == psInsideFrame && st.PenWidth > 1) {
        FPainter->drawRoundedRect(InsideFrame(r, st.PenWidth), ew / 2.0, eh / 2.0, Qt::AbsoluteSize);
        return;
    }
    FPainter->drawRoundedRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1), ew / 2.0, eh / 2.0,
                              Qt::AbsoluteSize);
}

void TPainterCanvas::DevArc(TArcKind kind, const TRect& r, QPoint start, QPoint end, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    const bool filled = kind != TArcKind::Arc;
    Apply(st, true, filled);
    if (FSkip)
        return;
    // The same curve box as DevEllipse, so a whole arc lies on the ellipse's pixels; a wide
    // psInsideFrame pen draws a chord or pie on a smaller ellipse, inside the box.
    QRectF curve = detail::CurveBox(r.Left, r.Top, r.Right, r.Bottom);
    if (filled && st.PenStyle == psInsideFrame && st.PenWidth > 1)
        curve = InsideFrame(r, st.PenWidth);
    const detail::TArcSweep sweep = detail::ArcSweep(curve, start, end, st.ArcDirection == AD_CLOCKWISE);
    if (StyledOutline(kind, sweep.Ellipse, sweep.Start, sweep.Span, 0, 0, false, st))
        return;
    QPainterPath path;
    if (kind == TArcKind::Pie)
        path.moveTo(sweep.Ellipse.center());
    else
        path.arcMoveTo(sweep.Ellipse, sweep.Start);
    path.arcTo(sweep.Ellipse, sweep.Start, sweep.Span);
    if (filled)
        path.closeSubpath();
    FPainter->drawPath(path);
}

void TPainterCanvas::DevFillRect(const TRect& r, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    if (st.BrushStyle == bsClear)
        return;
    Apply(st, false, true);
    if (FSkip)
        return;
    FPainter->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), FPainter->brush());
}

void TPainterCanvas::DevFillRects(const std::vector<TRect>& rects, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    if (st.BrushStyle == bsClear)
        return;
    // A pattern brush keeps to FillRect's own path, whose background handling it needs.
    if (st.BrushStyle != bsSolid) {
        TCanvas::DevFillRects(rects, st);
        return;
    }
    Apply(st, false, true);
    if (FSkip)
        return;
    // Without a pen, whole-pixel rectangles cover exactly the pixels fillRect covers; drawn in one
    // call they are one path on paper, in one saved state.
    QVarLengthArray<QRect, 128> boxes;
    boxes.reserve(qsizetype(rects.size()));
    for (const TRect& r : rects)
        boxes.append(QRect(r.Left, r.Top, r.Width(), r.Height()));
    FPainter->drawRects(boxes.constData(), int(boxes.size()));
}

void TPainterCanvas::DevTextOut(int x, int y, unsigned options, const TRect* rect, const QString& text,
                                const std::vector<int>& dx, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, false, false);
    QPainter& p = *FPainter;
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QColor bk = ColorToQColor(st.BkColor);
    if (rect && (options & ETO_OPAQUE))
        p.fillRect(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()), bk);
    if (rect && (options & ETO_CLIPPED)) {
        const QRegion r(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()));
        p.setClipRegion(p.hasClipping() ? p.clipRegion() & r : r);
    }
    if (text.isEmpty())
        return;

    TTextMetricsService& metrics = TTextMetricsService::Current();
    const TTextMetric tm = metrics.Metrics(st.Font);
    // Advances from a file may add up past the int range; the text is placed in wide arithmetic
    // and its box held to what a painter can address.
    qint64 sum = 0;
    for (int a : dx)
        sum += a;
    const int width = int(std::clamp<qint64>(sum, -(1 << 30), 1 << 30));
    // The box of the text relative to the reference point, in the text's own direction.
    int ox = 0;
    switch (st.TextAlign & TA_CENTER) {
    case TA_RIGHT: ox = -width; break;
    case TA_CENTER: ox = -width / 2; break;
    default: break;
    }
    int baseline = tm.Ascent;
    if ((st.TextAlign & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (st.TextAlign & TA_BOTTOM)
        baseline = -tm.Descent;

    // Unrotated text is drawn as a glyph run at absolute positions. Rotated text is drawn as glyph
    // outlines turned about the reference point by our own transform: the painter's world
    // transform is not reliably honoured by the raster engine's glyph cache.
    const bool rotated = st.Font.Escapement % 3600 != 0;
    // On a window of a real display server glyph runs drawn inside nested widgets were seen to
    // land offset by the widget's place in its window; outlines go where lines go.
    const bool asOutlines = rotated || (p.device() && p.device()->devType() == QInternal::Widget);
    QTransform placement;
    placement.translate(x, y);
    if (rotated)
        placement.rotate(-double(st.Font.Escapement) / 10.0);
    auto fillLocal = [&](const QRectF& r, const QColor& c) {
        if (!rotated) {
            p.fillRect(r.translated(x, y), c);
            return;
        }
        QPainterPath path;
        path.addRect(r);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.fillPath(placement.map(path), c);
        p.setRenderHint(QPainter::Antialiasing, false);
    };
    if (st.BkMode == OPAQUE)
        fillLocal(QRectF(ox, baseline - tm.Ascent, width, tm.Height), bk);

    const QRawFont raw = RawFontFor(st.Font);
    const std::vector<quint32> glyphs = GlyphIndexes(st.Font, text);
    const QColor color = ColorToQColor(st.TextColor);
    QList<quint32> ids;
    QList<QPointF> positions;
    ids.reserve(qsizetype(glyphs.size()));
    positions.reserve(qsizetype(glyphs.size()));
    qint64 pen = ox;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        if (glyphs[i] != UINT_MAX) {
            ids.push_back(glyphs[i]);
            positions.push_back(QPointF(double(pen), baseline));
        }
        pen += i < dx.size() ? dx[i] : 0;
    }
    if (asOutlines) {
        const QPainterPath outlines = GlyphOutlines(st.Font, ids, positions);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.fillPath(placement.map(outlines), color);
        p.setRenderHint(QPainter::Antialiasing, false);
    } else {
        for (QPointF& pos : positions)
            pos += QPointF(x, y);
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(ids);
        run.setPositions(positions);
        p.setPen(color);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
    const int thick = std::max(1, int(std::lround(raw.lineThickness())));
    if (st.Font.Underline)
        fillLocal(QRectF(ox, baseline + std::max(1, int(std::lround(raw.underlinePosition()))), width, thick), color);
    if (st.Font.StrikeOut)
        fillLocal(QRectF(ox, baseline - int(std::lround(raw.xHeight() / 2)), width, thick), color);
}

void TPainterCanvas::DevStretchDIBits(const TRect& dest, const TRect& source, const QImage& image,
                                      const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, false, false);
    // Only the part of the source inside the bitmap is copied, onto its share of the destination.
    detail::TStretchPart part;
    if (!detail::ClipStretch(dest.Left, dest.Top, double(qint64(dest.Right) - dest.Left),
                             double(qint64(dest.Bottom) - dest.Top), source.Left, source.Top,
                             qint64(source.Right) - source.Left, qint64(source.Bottom) - source.Top, image.size(), part))
        return;
    const bool flipX = part.DestW < 0, flipY = part.DestH < 0;
    QImage src = part.Source == image.rect() ? image : image.copy(part.Source);
    if (flipX || flipY)
        src = src.mirrored(flipX, flipY);
    const QRectF target = QRectF(part.DestX, part.DestY, part.DestW, part.DestH).normalized();
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform, st.StretchMode == HALFTONE);
    FPainter->drawImage(target, src);
}

// ---- image canvas -------------------------------------------------------------------------------

namespace detail {
TOwnedPainter::TOwnedPainter(QImage& image) : OwnPainter(std::make_unique<QPainter>(&image)) {}
TOwnedPainter::~TOwnedPainter()
{
    if (OwnPainter && OwnPainter->isActive())
        OwnPainter->end();
}
} // namespace detail

TImageCanvas::TImageCanvas(QImage& image, int dpi)
    : detail::TOwnedPainter(image), TPainterCanvas(OwnPainter.get(), TDeviceCaps{dpi, dpi, image.width(), image.height()})
{
}

TImageCanvas::~TImageCanvas() = default;

} // namespace tessiv
