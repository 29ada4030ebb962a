#pragma once
// The device state a metafile player keeps while it plays records onto a canvas: mapping mode,
// world transform, the objects table, selected tools, clipping and the path being built. Shared
// by the enhanced and the Windows metafile players; internal to the graphics layer.

#include "platform/graphics/ArcGeometry.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Dib.h"
#include "platform/graphics/EmfRecords.h"

#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <optional>
#include <variant>
#include <vector>

namespace tessiv::detail {

using namespace emf;


constexpr int kMaxObjects = 65535;
constexpr std::uint32_t kMaxPoints = 4 * 1024 * 1024;
// The tallest font a picture's text is drawn with, in device pixels.
constexpr int kMaxFontPixels = 16384;

struct TPlayPen {
    int Style = 0;      // PS_* low bits
    double Width = 0;   // logical; 0 = one device pixel
    TColor Color = clBlack;
};
struct TPlayBrush {
    int Style = 0; // BS_SOLID 0, BS_NULL 1, BS_HATCHED 2
    TColor Color = clWhite;
    int Hatch = 0;
};
using TObject = std::variant<std::monostate, TPlayPen, TPlayBrush, TLogFont>;

struct TSubpath {
    std::vector<QPointF> Points;
    bool Closed = false;
};

struct TDc {
    int MapMode = MM_TEXT;
    QPointF WinOrg, VpOrg;
    QSizeF WinExt{1, 1}, VpExt{1, 1};
    QTransform World;
    TPlayPen Pen;
    TPlayBrush Brush;
    TLogFont Font;
    unsigned TextAlign = 0;
    int BkMode = OPAQUE;
    TColor BkColor = clWhite;
    TColor TextColor = clBlack;
    int Rop2 = 13;
    int StretchMode = BLACKONWHITE;
    int ArcDirection = AD_COUNTERCLOCKWISE;
    std::optional<QRegion> Clip; // metafile device pixels
    QPointF Cur;
};

inline TLogFont DefaultFont()
{
    TLogFont f;
    f.Height = -13;
    f.FaceName = QStringLiteral("Arial");
    return f;
}

class TPlayer {
public:
    TPlayer(TCanvas& canvas, const QTransform& deviceToTarget, double pxPerMMX, double pxPerMMY)
        : C(canvas), DevToTarget(deviceToTarget), PxPerMMX(pxPerMMX), PxPerMMY(pxPerMMY)
    {
        Level = C.SaveDC();
        InitialClip = C.ClipRegion();
        Dc.Font = DefaultFont();
        Update();
    }
    ~TPlayer() { C.RestoreDC(Level); }

    TCanvas& C;
    QTransform DevToTarget;
    double PxPerMMX, PxPerMMY;
    int Level = 0;
    std::optional<QRegion> InitialClip;
    TDc Dc;
    std::vector<TDc> Stack;
    // By handle; a map, so a file naming handle 65,535 costs one entry, not a table that long.
    std::map<std::uint32_t, TObject> Objects;
    QTransform T; // logical -> target logical
    bool InPath = false;
    std::vector<TSubpath> Path;
    bool WmfWindowMapping = false;
    QRectF WmfTarget;

    // ---- transforms ----
    QTransform PageTransform() const
    {
        double sx = 1, sy = 1;
        switch (Dc.MapMode) {
        case 2: sx = PxPerMMX / 10; sy = -PxPerMMY / 10; break;          // MM_LOMETRIC
        case 3: sx = PxPerMMX / 100; sy = -PxPerMMY / 100; break;        // MM_HIMETRIC
        case 4: sx = PxPerMMX * 0.254; sy = -PxPerMMY * 0.254; break;    // MM_LOENGLISH
        case 5: sx = PxPerMMX * 0.0254; sy = -PxPerMMY * 0.0254; break;  // MM_HIENGLISH
        case 6: sx = PxPerMMX * 25.4 / 1440; sy = -PxPerMMY * 25.4 / 1440; break; // MM_TWIPS
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            sx = Dc.WinExt.width() ? Dc.VpExt.width() / Dc.WinExt.width() : 1;
            sy = Dc.WinExt.height() ? Dc.VpExt.height() / Dc.WinExt.height() : 1;
            if (Dc.MapMode == MM_ISOTROPIC) {
                const double m = std::min(std::fabs(sx), std::fabs(sy));
                sx = sx < 0 ? -m : m;
                sy = sy < 0 ? -m : m;
            }
            break;
        default: break;
        }
        return QTransform(sx, 0, 0, sy, Dc.VpOrg.x() - Dc.WinOrg.x() * sx, Dc.VpOrg.y() - Dc.WinOrg.y() * sy);
    }
    void Update()
    {
        if (WmfWindowMapping) {
            // A Windows metafile's window is the picture: it is mapped onto the target rectangle.
            const double w = Dc.WinExt.width() ? Dc.WinExt.width() : 1;
            const double h = Dc.WinExt.height() ? Dc.WinExt.height() : 1;
            const double sx = WmfTarget.width() / w, sy = WmfTarget.height() / h;
            T = QTransform(sx, 0, 0, sy, WmfTarget.left() - Dc.WinOrg.x() * sx, WmfTarget.top() - Dc.WinOrg.y() * sy);
            return;
        }
        T = Dc.World * PageTransform() * DevToTarget;
    }
    QTransform LogicalToDevice() const { return Dc.World * PageTransform(); }
    // Held at the ends of the int range: a coordinate a file puts past them stays far away
    // instead of wrapping round.
    static int Coordinate(double v)
    {
        if (std::isnan(v))
            return 0;
        return int(std::clamp(std::round(v), double(INT_MIN), double(INT_MAX)));
    }
    TPoint Map(QPointF p) const
    {
        const QPointF q = T.map(p);
        return {Coordinate(q.x()), Coordinate(q.y())};
    }
    double ScaleX() const { return std::hypot(T.m11(), T.m12()); }
    double ScaleY() const { return std::hypot(T.m21(), T.m22()); }

    // ---- state onto the canvas ----
    void ApplyPen()
    {
        TPen* pen = C.Pen();
        static const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
        const int s = Dc.Pen.Style & 0x0F;
        pen->SetStyle(s <= 6 ? styles[s] : psSolid);
        pen->SetColor(Dc.Pen.Color);
        const double w = Dc.Pen.Width * ScaleX();
        pen->SetWidth(std::max(1, int(std::lround(w))));
        pen->SetMode(Rop2ToPenMode(Dc.Rop2));
    }
    void ApplyBrush()
    {
        TBrush* brush = C.Brush();
        if (Dc.Brush.Style == 1) {
            brush->SetStyle(bsClear);
        } else {
            brush->SetColor(Dc.Brush.Color);
            brush->SetStyle(Dc.Brush.Style == 2 && Dc.Brush.Hatch >= 0 && Dc.Brush.Hatch <= 5
                                ? TBrushStyle(bsHorizontal + Dc.Brush.Hatch)
                                : bsSolid);
        }
        C.SetBkMode(Dc.BkMode);
        C.SetBkColor(Dc.BkColor);
    }
    void ApplyFont()
    {
        TLogFont lf = Dc.Font;
        if (lf.Height != 0) {
            // A height from the file beyond any device is held to the largest a device can show.
            const int h = int(std::clamp(std::round(std::fabs(lf.Height * ScaleY())), 1.0, double(kMaxFontPixels)));
            lf.Height = lf.Height < 0 ? -h : h;
        }
        // A mirrored y axis (the fixed mapping modes) turns the angle round.
        C.Font()->SetLogFont(lf);
        C.Font()->SetColor(Dc.TextColor);
        C.SetTextAlign(Dc.TextAlign & ~TA_UPDATECP);
        C.SetBkMode(Dc.BkMode);
        C.SetBkColor(Dc.BkColor);
    }
    void ApplyClip()
    {
        if (!Dc.Clip) {
            C.SelectClipRgn(InitialClip ? &*InitialClip : nullptr);
            return;
        }
        QRegion target;
        for (const QRect& r : *Dc.Clip) {
            const QPointF a = DevToTarget.map(QPointF(r.left(), r.top()));
            const QPointF b = DevToTarget.map(QPointF(r.right() + 1, r.bottom() + 1));
            const TPoint da = C.LPtoDP(TPoint{int(std::llround(a.x())), int(std::llround(a.y()))});
            const TPoint db = C.LPtoDP(TPoint{int(std::llround(b.x())), int(std::llround(b.y()))});
            const TRect n = NormalizedRect({da.X, da.Y, db.X, db.Y});
            if (!n.IsEmpty())
                target += QRegion(n.ToQRect());
        }
        if (InitialClip)
            target &= *InitialClip;
        C.SelectClipRgn(&target);
    }
    QRegion DeviceRect(QRectF logical) const
    {
        const QRectF d = LogicalToDevice().mapRect(logical);
        return QRegion(QRect(QPoint(int(std::llround(d.left())), int(std::llround(d.top()))),
                             QPoint(int(std::llround(d.right())) - 1, int(std::llround(d.bottom())) - 1)));
    }
    void IntersectClip(const QRegion& r)
    {
        Dc.Clip = Dc.Clip ? (*Dc.Clip & r) : r;
        ApplyClip();
    }
    void ExcludeClip(const QRegion& r)
    {
        const QRegion all(-(1 << 28), -(1 << 28), 1 << 29, 1 << 29);
        Dc.Clip = (Dc.Clip ? *Dc.Clip : all) - r;
        ApplyClip();
    }

    // ---- objects ----
    void Store(std::uint32_t index, TObject obj)
    {
        if (index == 0 || index > kMaxObjects)
            return;
        Objects[index] = std::move(obj);
    }
    void Select(std::uint32_t handle)
    {
        if (handle & kStockObject) {
            switch (handle & 0xFF) {
            case WHITE_BRUSH: Dc.Brush = {0, clWhite, 0}; break;
            case LTGRAY_BRUSH: Dc.Brush = {0, RGB(192, 192, 192), 0}; break;
            case GRAY_BRUSH: Dc.Brush = {0, RGB(128, 128, 128), 0}; break;
            case DKGRAY_BRUSH: Dc.Brush = {0, RGB(64, 64, 64), 0}; break;
            case BLACK_BRUSH: Dc.Brush = {0, clBlack, 0}; break;
            case NULL_BRUSH: Dc.Brush = {1, clWhite, 0}; break;
            case WHITE_PEN: Dc.Pen = {0, 0, clWhite}; break;
            case BLACK_PEN: Dc.Pen = {0, 0, clBlack}; break;
            case NULL_PEN: Dc.Pen = {5, 0, clBlack}; break;
            default:
                if ((handle & 0xFF) >= 10 && (handle & 0xFF) <= 17)
                    Dc.Font = DefaultFont();
                break;
            }
            return;
        }
        const auto found = Objects.find(handle);
        if (found == Objects.end())
            return;
        const TObject& obj = found->second;
        if (auto* p = std::get_if<TPlayPen>(&obj))
            Dc.Pen = *p;
        else if (auto* b = std::get_if<TPlayBrush>(&obj))
            Dc.Brush = *b;
        else if (auto* f = std::get_if<TLogFont>(&obj))
            Dc.Font = *f;
    }
    void Delete(std::uint32_t handle)
    {
        if (!(handle & kStockObject))
            Objects.erase(handle);
    }

    // ---- drawing ----
    std::vector<TPoint> MapAll(const std::vector<QPointF>& pts) const
    {
        std::vector<TPoint> out;
        out.reserve(pts.size());
        for (const QPointF& p : pts)
            out.push_back(Map(p));
        return out;
    }
    void Polyline(const std::vector<QPointF>& pts)
    {
        if (InPath) {
            Path.push_back({pts, false});
            return;
        }
        ApplyPen();
        C.SetBkMode(Dc.BkMode);
        C.SetBkColor(Dc.BkColor);
        C.Polyline(MapAll(pts));
    }
    void Polygon(const std::vector<QPointF>& pts)
    {
        if (InPath) {
            Path.push_back({pts, true});
            return;
        }
        ApplyPen();
        ApplyBrush();
        C.Polygon(MapAll(pts));
    }
    void PolyPolygon(const std::vector<std::vector<QPointF>>& polys)
    {
        if (InPath) {
            for (const auto& p : polys)
                Path.push_back({p, true});
            return;
        }
        ApplyPen();
        ApplyBrush();
        std::vector<std::vector<TPoint>> mapped;
        for (const auto& p : polys)
            mapped.push_back(MapAll(p));
        C.PolyPolygon(mapped);
    }
    void LineTo(QPointF p)
    {
        if (InPath) {
            if (Path.empty() || Path.back().Closed)
                Path.push_back({{Dc.Cur}, false});
            Path.back().Points.push_back(p);
        } else {
            ApplyPen();
            C.SetBkMode(Dc.BkMode);
            C.SetBkColor(Dc.BkColor);
            const TPoint a = Map(Dc.Cur), b = Map(p);
            C.MoveTo(a.X, a.Y);
            C.LineTo(b.X, b.Y);
        }
        Dc.Cur = p;
    }
    void MoveTo(QPointF p)
    {
        Dc.Cur = p;
        if (InPath)
            Path.push_back({{p}, false});
    }
    TRect MapBox(double l, double t, double r, double b) const
    {
        const TPoint a = Map({l, t}), z = Map({r, b});
        return NormalizedRect({a.X, a.Y, z.X, z.Y});
    }
    void Shape(int kind, double l, double t, double r, double b, double ew = 0, double eh = 0)
    {
        if (InPath) {
            Path.push_back({{{l, t}, {r, t}, {r, b}, {l, b}}, true});
            return;
        }
        ApplyPen();
        ApplyBrush();
        const TRect box = MapBox(l, t, r, b);
        if (kind == 0)
            C.Rectangle(box);
        else if (kind == 1)
            C.Ellipse(box);
        else
            C.RoundRect(box.Left, box.Top, box.Right, box.Bottom, int(std::lround(ew * ScaleX())),
                        int(std::lround(eh * ScaleY())));
    }
    // ---- arcs ----
    // The arc direction holds on the device (as in GDI's compatible graphics mode): where the
    // mapping mirrors the picture, a direction in logical units is the other way round.
    bool Mirrored() const { return T.determinant() < 0; }
    // kind: 0 arc, 1 chord, 2 pie. clockwise: as seen on the device. joined: an arc that goes
    // on from the current figure of a path (ArcTo, AngleArc).
    void ArcShape(int kind, const QRectF& box, QPointF radialStart, QPointF radialEnd, bool clockwise,
                  bool joined = false, bool circle = false)
    {
        if (InPath) {
            // A box record's curve passes one device pixel inside its right and bottom edges, as
            // the canvas draws it; an angle arc's circle passes through its box's edges.
            QRectF curve = box;
            if (!circle && ScaleX() > 0 && ScaleY() > 0 && box.width() * ScaleX() > 1 && box.height() * ScaleY() > 1)
                curve.adjust(0, 0, -1 / ScaleX(), -1 / ScaleY());
            const TArcSweep sweep = ArcSweep(curve, radialStart, radialEnd, clockwise != Mirrored());
            std::vector<QPointF> pts = ArcPolyline(sweep, std::max(ScaleX(), ScaleY()));
            if (joined && !Path.empty() && !Path.back().Closed) {
                Path.back().Points.insert(Path.back().Points.end(), pts.begin() + 1, pts.end());
                return;
            }
            if (kind == 2)
                pts.insert(pts.begin(), curve.center());
            Path.push_back({std::move(pts), kind != 0});
            return;
        }
        ApplyPen();
        if (kind != 0) {
            ApplyBrush();
        } else {
            C.SetBkMode(Dc.BkMode);
            C.SetBkColor(Dc.BkColor);
        }
        C.SetArcDirection(clockwise ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE);
        const TRect b = MapBox(box.left(), box.top(), box.right(), box.bottom());
        const TPoint s = Map(FarRadial(box, radialStart)), e = Map(FarRadial(box, radialEnd));
        switch (kind) {
        case 0: C.Arc(b.Left, b.Top, b.Right, b.Bottom, s.X, s.Y, e.X, e.Y); break;
        case 1: C.Chord(b.Left, b.Top, b.Right, b.Bottom, s.X, s.Y, e.X, e.Y); break;
        default: C.Pie(b.Left, b.Top, b.Right, b.Bottom, s.X, s.Y, e.X, e.Y); break;
        }
    }
    void Arc(int kind, double l, double t, double r, double b, QPointF radialStart, QPointF radialEnd)
    {
        ArcShape(kind, QRectF(QPointF(l, t), QPointF(r, b)).normalized(), radialStart, radialEnd,
                 Dc.ArcDirection == AD_CLOCKWISE);
    }
    // A line from the current position to the arc's start, the arc, and the position at its end.
    void ArcTo(double l, double t, double r, double b, QPointF radialStart, QPointF radialEnd)
    {
        const QRectF box = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
        const bool clockwise = Dc.ArcDirection == AD_CLOCKWISE;
        const TArcSweep sweep = ArcSweep(box, radialStart, radialEnd, clockwise != Mirrored());
        const QPointF end = ArcPoint(sweep, sweep.Start + sweep.Span);
        if (!InPath) {
            // The canvas joins the line to the arc where it draws the arc's first pixel.
            ApplyPen();
            C.SetBkMode(Dc.BkMode);
            C.SetBkColor(Dc.BkColor);
            C.SetArcDirection(clockwise ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE);
            const TRect b = MapBox(box.left(), box.top(), box.right(), box.bottom());
            const TPoint from = Map(Dc.Cur), s = Map(FarRadial(box, radialStart)), e = Map(FarRadial(box, radialEnd));
            C.MoveTo(from.X, from.Y);
            C.ArcTo(b.Left, b.Top, b.Right, b.Bottom, s.X, s.Y, e.X, e.Y);
            Dc.Cur = end;
            return;
        }
        QRectF curve = box;
        if (ScaleX() > 0 && ScaleY() > 0 && box.width() * ScaleX() > 1 && box.height() * ScaleY() > 1)
            curve.adjust(0, 0, -1 / ScaleX(), -1 / ScaleY());
        const TArcSweep inner = ArcSweep(curve, radialStart, radialEnd, clockwise != Mirrored());
        LineTo(ArcPoint(inner, inner.Start));
        if (!box.isEmpty())
            ArcShape(0, box, radialStart, radialEnd, clockwise, true);
        Dc.Cur = ArcPoint(inner, inner.Start + inner.Span);
    }
    // A line to the circle's point at startAngle, then the arc over sweepAngle (degrees,
    // counter-clockwise when positive, whatever the arc direction).
    void AngleArc(QPointF centre, double radius, double startAngle, double sweepAngle)
    {
        constexpr double kRad = 3.14159265358979323846 / 180;
        auto at = [&](double degrees) {
            return QPointF(centre.x() + radius * std::cos(degrees * kRad), centre.y() - radius * std::sin(degrees * kRad));
        };
        const QPointF a = at(startAngle), z = at(startAngle + sweepAngle);
        // Mapped without turning, mirroring or stretching, the circle stays a circle: the canvas
        // draws it as it draws its own.
        const bool plain = T.m12() == 0 && T.m21() == 0 && T.m11() > 0 && std::fabs(T.m11() - T.m22()) < 1e-9;
        if (!InPath && plain) {
            ApplyPen();
            C.SetBkMode(Dc.BkMode);
            C.SetBkColor(Dc.BkColor);
            const TPoint from = Map(Dc.Cur), c = Map(centre);
            C.MoveTo(from.X, from.Y);
            C.AngleArc(c.X, c.Y, unsigned(std::lround(std::min(radius * T.m11(), double(1 << 29)))), float(startAngle),
                       float(sweepAngle));
            Dc.Cur = z;
            return;
        }
        LineTo(a);
        if (sweepAngle != 0 && radius > 0) {
            const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
            // A whole turn or more: both rays the same, the whole circle.
            const QPointF end = std::fabs(sweepAngle) >= 360 ? a : z;
            ArcShape(0, box, a, end, (sweepAngle < 0) != Mirrored(), true, true);
        }
        Dc.Cur = z;
    }
    void FillRects(const std::vector<QRectF>& rects, const TPlayBrush& brush)
    {
        const TPlayBrush saved = Dc.Brush;
        Dc.Brush = brush;
        ApplyBrush();
        for (const QRectF& r : rects)
            C.FillRect(MapBox(r.left(), r.top(), r.right(), r.bottom()));
        Dc.Brush = saved;
    }
    void Text(QPointF ref, unsigned options, const std::optional<QRectF>& rect, const QString& text,
              const std::vector<int>& dx)
    {
        ApplyFont();
        ApplyBrush();
        ApplyFont();
        if (Dc.TextAlign & TA_UPDATECP)
            ref = Dc.Cur;
        const TPoint p = Map(ref);
        std::optional<TRect> r;
        if (rect)
            r = MapBox(rect->left(), rect->top(), rect->right(), rect->bottom());
        if (!dx.empty()) {
            // Advances scaled through running sums, so rounding does not drift along the line.
            std::vector<int> scaled(dx.size());
            const double sx = ScaleX();
            double sum = 0;
            qint64 placed = 0;
            for (size_t i = 0; i < dx.size(); ++i) {
                sum += dx[i] * sx;
                const qint64 next = Coordinate(sum);
                scaled[i] = int(std::clamp<qint64>(next - placed, INT_MIN, INT_MAX));
                placed = next;
            }
            // The canvas maps logical to device itself; the advances given are logical.
            C.ExtTextOut(p.X, p.Y, options, r ? &*r : nullptr, text, &scaled);
            if (Dc.TextAlign & TA_UPDATECP) {
                double total = 0;
                for (int a : dx)
                    total += a;
                Dc.Cur.rx() += total;
            }
        } else {
            C.ExtTextOut(p.X, p.Y, options, r ? &*r : nullptr, text);
        }
    }
    // A bitmap record's source rectangle, as the file gives it (rows counted from the bitmap's
    // first stored row); kept wide so a damaged record's sums cannot wrap.
    struct TSource {
        qint64 X = 0, Y = 0, W = 0, H = 0;
    };
    void Bitmap(const QRectF& dest, TSource source, const unsigned char* bmi, std::size_t bmiSize,
                const unsigned char* bits, std::size_t bitsSize)
    {
        TDibInfo info;
        if (!ParseDibInfo(bmi, bmiSize, info))
            return;
        // Source rectangles of bottom-up bitmaps count from the last row.
        if (!info.TopDown)
            source.Y = qint64(info.Height) - source.Y - source.H;
        // Cut to the bitmap before anything is decoded or copied: a source far larger than the
        // bitmap costs no more than the bitmap itself.
        TStretchPart part;
        if (!ClipStretch(dest.x(), dest.y(), dest.width(), dest.height(), source.X, source.Y, source.W, source.H,
                         QSize(info.Width, info.Height), part))
            return;
        const QImage img = DecodeDib(bmi, bmiSize, bits, bitsSize);
        if (img.isNull())
            return;
        C.SetStretchBltMode(Dc.StretchMode);
        const TPoint a = Map(QPointF(part.DestX, part.DestY)), b = Map(QPointF(part.DestX + part.DestW, part.DestY + part.DestH));
        const QRect& s = part.Source;
        C.StretchDIBits({a.X, a.Y, b.X, b.Y}, {s.left(), s.top(), s.left() + s.width(), s.top() + s.height()}, img);
    }
    void PatBlt(const QRectF& dest, std::uint32_t rop)
    {
        TPlayBrush b = Dc.Brush;
        if (rop == 0x00000042)
            b = {0, clBlack, 0};
        else if (rop == 0x00FF0062)
            b = {0, clWhite, 0};
        else if (rop != 0x00F00021)
            return;
        FillRects({dest.normalized()}, b);
    }
    void EndPathDrawing(bool stroke, bool fill)
    {
        if (Path.empty())
            return;
        std::vector<std::vector<TPoint>> figures;
        for (const TSubpath& s : Path)
            if (s.Points.size() >= 2)
                figures.push_back(MapAll(s.Points));
        if (fill) {
            const TPlayPen savedPen = Dc.Pen;
            Dc.Pen.Style = 5;
            ApplyPen();
            ApplyBrush();
            C.PolyPolygon(figures);
            Dc.Pen = savedPen;
        }
        if (stroke) {
            ApplyPen();
            C.SetBkMode(Dc.BkMode);
            C.SetBkColor(Dc.BkColor);
            size_t i = 0;
            for (const TSubpath& s : Path) {
                if (s.Points.size() < 2)
                    continue;
                std::vector<TPoint> pts = figures[i++];
                if (s.Closed || fill)
                    pts.push_back(pts.front());
                C.Polyline(pts);
            }
        }
        Path.clear();
    }
    void Save() { Stack.push_back(Dc); }
    void Restore(int n)
    {
        const int level = n < 0 ? int(Stack.size()) + n : n - 1;
        if (level < 0 || level >= int(Stack.size()))
            return;
        Dc = Stack[size_t(level)];
        Stack.resize(size_t(level));
        Update();
        ApplyClip();
    }
};

// Reads inside one record; every access is checked.
struct TRecord {
    const unsigned char* P;
    std::size_t Size;
    bool Has(std::size_t offset, std::size_t count) const { return offset <= Size && count <= Size - offset; }
    std::int32_t I(std::size_t o) const { return I32(P + o); }
    std::uint32_t U(std::size_t o) const { return U32(P + o); }
};

} // namespace tessiv::detail
