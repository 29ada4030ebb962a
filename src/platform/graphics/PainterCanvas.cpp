// The canvas over QPainter. Shapes are drawn without anti-aliasing and one-pixel lines are
// stepped pixel by pixel, so edges land exactly where GDI puts them.

#include "platform/graphics/ArcGeometry.h"
#include "platform/graphics/Canvas.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

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

// The pixels of a one-pixel line from a to b, b itself left out; `on` gets the pen's pixels,
// `off` the gaps of a styled pen.
void StepLine(QPoint a, QPoint b, const std::vector<int>& pattern, int& phase, QVector<QPoint>& on,
              QVector<QPoint>& off)
{
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    int total = 0;
    for (int v : pattern)
        total += v;
    while (x != b.x() || y != b.y()) {
        bool draw = true;
        if (total > 0) {
            int p = phase % total, i = 0;
            while (p >= pattern[i]) {
                p -= pattern[i];
                ++i;
            }
            draw = (i % 2) == 0;
            ++phase;
        }
        (draw ? on : off).push_back(QPoint(x, y));
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
    for (qsizetype i = 0; i + 1 < points.size(); ++i)
        StepLine(points[i], points[i + 1], pattern, phase, on, off);
    if (closed && points.size() > 1)
        StepLine(points.back(), points.front(), pattern, phase, on, off);
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
    FPainter->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
}

void TPainterCanvas::DevRoundRect(const TRect& r, int ew, int eh, const TDcState& st)
{
    if (!FPainter)
        return; // a canvas without a device only measures
    Apply(st, true, true);
    if (FSkip)
        return;
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
    // The same curve box as DevEllipse, so a whole arc lies on the ellipse's pixels.
    const detail::TArcSweep sweep = detail::ArcSweep(detail::CurveBox(r.Left, r.Top, r.Right, r.Bottom), start,
                                                     end, st.ArcDirection == AD_CLOCKWISE);
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
    int width = 0;
    for (int a : dx)
        width += a;
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
    QTransform placement;
    placement.translate(x, y);
    if (rotated)
        placement.rotate(-st.Font.Escapement / 10.0);
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
    int pen = ox;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        if (glyphs[i] != UINT_MAX) {
            ids.push_back(glyphs[i]);
            positions.push_back(QPointF(pen, baseline));
        }
        pen += i < dx.size() ? dx[i] : 0;
    }
    if (rotated) {
        QPainterPath outlines;
        for (qsizetype i = 0; i < ids.size(); ++i)
            outlines.addPath(raw.pathForGlyph(ids[i]).translated(positions[i]));
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
    QImage src = image;
    QRect s(source.Left, source.Top, source.Width(), source.Height());
    bool flipX = s.width() < 0, flipY = s.height() < 0;
    s = s.normalized();
    if (s != image.rect())
        src = image.copy(s);
    if (dest.Width() < 0)
        flipX = !flipX;
    if (dest.Height() < 0)
        flipY = !flipY;
    if (flipX || flipY)
        src = src.mirrored(flipX, flipY);
    const TRect d = NormalizedRect(dest);
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform, st.StretchMode == HALFTONE);
    FPainter->drawImage(QRect(d.Left, d.Top, d.Width(), d.Height()), src);
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
