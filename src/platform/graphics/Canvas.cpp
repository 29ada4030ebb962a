#include "platform/graphics/Canvas.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/ArcGeometry.h"
#include "platform/graphics/Graphic.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>

namespace tessiv {

struct TCanvas::Saved {
    std::unique_ptr<TFont> Font;
    std::unique_ptr<TPen> Pen;
    std::unique_ptr<TBrush> Brush;
    TPoint PenPos;
    unsigned TextAlign;
    int BkMode;
    TColor BkColor;
    int StretchMode;
    int ArcDirection;
    std::optional<QRegion> Clip;
    int MapMode;
    TPoint WindowOrg;
    TSize WindowExt;
    TPoint ViewportOrg;
    TSize ViewportExt;
};

TCanvas::TCanvas() : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
    // Selecting a brush also sets the text background, as the class library's canvas does: solid
    // brushes give an opaque background of their colour, the others a transparent one.
    FBrush->OnChange = [this](TGraphicsObject*) {
        FBkColor = FBrush->Color();
        FBkMode = FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT;
    };
}

TCanvas::~TCanvas() = default;

// ---- coordinates --------------------------------------------------------------------------------

namespace {
// Coordinates from a file can lie anywhere in the int range: mapped in wider arithmetic and held
// at the range's ends, they never wrap round to the other side of the device.
int Saturate(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::clamp(std::round(v), double(INT_MIN), double(INT_MAX)));
}
int Saturate(qint64 v)
{
    return int(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}
int MapOne(int v, int org, int ext, int vorg, int vext)
{
    return Saturate(std::round((double(v) - org) * vext / (ext ? ext : 1)) + vorg);
}
int UnmapOne(int v, int vorg, int vext, int org, int ext)
{
    return Saturate(std::round((double(v) - vorg) * ext / (vext ? vext : 1)) + org);
}
int Shift(int v, int from, int to)
{
    return Saturate(qint64(v) - from + to);
}
} // namespace

TPoint TCanvas::LPtoDP(TPoint p) const
{
    if (FMapMode == MM_TEXT)
        return {Shift(p.X, FWindowOrg.X, FViewportOrg.X), Shift(p.Y, FWindowOrg.Y, FViewportOrg.Y)};
    return {MapOne(p.X, FWindowOrg.X, FWindowExt.cx, FViewportOrg.X, FViewportExt.cx),
            MapOne(p.Y, FWindowOrg.Y, FWindowExt.cy, FViewportOrg.Y, FViewportExt.cy)};
}

TPoint TCanvas::DPtoLP(TPoint p) const
{
    if (FMapMode == MM_TEXT)
        return {Shift(p.X, FViewportOrg.X, FWindowOrg.X), Shift(p.Y, FViewportOrg.Y, FWindowOrg.Y)};
    return {UnmapOne(p.X, FViewportOrg.X, FViewportExt.cx, FWindowOrg.X, FWindowExt.cx),
            UnmapOne(p.Y, FViewportOrg.Y, FViewportExt.cy, FWindowOrg.Y, FWindowExt.cy)};
}

TRect TCanvas::LPtoDP(const TRect& r) const
{
    const TPoint a = LPtoDP(r.TopLeft()), b = LPtoDP(r.BottomRight());
    return {a.X, a.Y, b.X, b.Y};
}

TRect TCanvas::DPtoLP(const TRect& r) const
{
    const TPoint a = DPtoLP(r.TopLeft()), b = DPtoLP(r.BottomRight());
    return {a.X, a.Y, b.X, b.Y};
}

int TCanvas::ScaleX(int v) const
{
    if (FMapMode == MM_TEXT || FWindowExt.cx == 0)
        return v;
    return Saturate(std::fabs(double(v) * FViewportExt.cx / FWindowExt.cx));
}

int TCanvas::ScaleY(int v) const
{
    if (FMapMode == MM_TEXT || FWindowExt.cy == 0)
        return v;
    return Saturate(std::fabs(double(v) * FViewportExt.cy / FWindowExt.cy));
}

int TCanvas::SetMapMode(int mode)
{
    const int old = FMapMode;
    if (mode == MM_TEXT || mode == MM_ANISOTROPIC || mode == MM_ISOTROPIC) {
        FMapMode = mode;
        if (mode == MM_TEXT) {
            FWindowExt = {1, 1};
            FViewportExt = {1, 1};
        }
    }
    return old;
}

TPoint TCanvas::SetWindowOrg(int x, int y)
{
    const TPoint old = FWindowOrg;
    FWindowOrg = {x, y};
    return old;
}

TSize TCanvas::SetWindowExt(int cx, int cy)
{
    const TSize old = FWindowExt;
    if (FMapMode != MM_TEXT && cx != 0 && cy != 0) {
        FWindowExt = {cx, cy};
        UpdateTransform();
    }
    return old;
}

TPoint TCanvas::SetViewportOrg(int x, int y)
{
    const TPoint old = FViewportOrg;
    FViewportOrg = {x, y};
    return old;
}

TSize TCanvas::SetViewportExt(int cx, int cy)
{
    const TSize old = FViewportExt;
    if (FMapMode != MM_TEXT && cx != 0 && cy != 0) {
        FViewportExt = {cx, cy};
        UpdateTransform();
    }
    return old;
}

void TCanvas::UpdateTransform()
{
    if (FMapMode != MM_ISOTROPIC)
        return;
    // Isotropic: one unit is as long across as down; the viewport shrinks on the longer axis.
    const double sx = std::fabs(double(FViewportExt.cx) / FWindowExt.cx);
    const double sy = std::fabs(double(FViewportExt.cy) / FWindowExt.cy);
    if (sx > sy)
        FViewportExt.cx = int(std::llround(FViewportExt.cx * sy / sx));
    else if (sy > sx)
        FViewportExt.cy = int(std::llround(FViewportExt.cy * sx / sy));
}

// ---- state --------------------------------------------------------------------------------------

TLogFont TCanvas::DeviceFont() const
{
    TLogFont lf = FFont->LogFont(FFont->PixelsPerInch());
    if (FMapMode != MM_TEXT && lf.Height != 0)
        lf.Height = lf.Height < 0 ? -std::max(1, ScaleY(Saturate(-qint64(lf.Height)))) : std::max(1, ScaleY(lf.Height));
    return lf;
}

TDcState TCanvas::CurrentState() const
{
    TDcState st;
    st.PenColor = FPen->Color();
    st.PenStyle = FPen->Style();
    st.PenWidth = std::max(1, ScaleX(FPen->Width()));
    // Wide pens are always solid, as GDI makes them.
    if (FPen->Width() > 1 && st.PenStyle != psClear && st.PenStyle != psInsideFrame)
        st.PenStyle = psSolid;
    st.Rop2 = PenModeToRop2(FPen->Mode());
    st.BrushColor = FBrush->Color();
    st.BrushStyle = FBrush->Style();
    st.Font = DeviceFont();
    st.TextColor = FFont->Color();
    st.BkColor = FBkColor;
    st.BkMode = FBkMode;
    st.TextAlign = FTextAlign;
    st.StretchMode = FStretchMode;
    st.ArcDirection = FArcDirection;
    st.Clip = FClip;
    return st;
}

unsigned TCanvas::SetTextAlign(unsigned align)
{
    const unsigned old = FTextAlign;
    FTextAlign = align;
    return old;
}

int TCanvas::SetBkMode(int mode)
{
    const int old = FBkMode;
    if (mode == TRANSPARENT || mode == OPAQUE)
        FBkMode = mode;
    return old;
}

TColor TCanvas::SetBkColor(TColor color)
{
    const TColor old = FBkColor;
    FBkColor = color;
    return old;
}

int TCanvas::SetStretchBltMode(int mode)
{
    const int old = FStretchMode;
    if (mode >= BLACKONWHITE && mode <= HALFTONE)
        FStretchMode = mode;
    return old;
}

int TCanvas::SetArcDirection(int direction)
{
    const int old = FArcDirection;
    if (direction == AD_COUNTERCLOCKWISE || direction == AD_CLOCKWISE)
        FArcDirection = direction;
    return old;
}

int TCanvas::SaveDC()
{
    Saved s;
    s.Font = std::make_unique<TFont>();
    s.Font->SetPixelsPerInch(FFont->PixelsPerInch());
    s.Font->Assign(FFont.get());
    s.Pen = std::make_unique<TPen>();
    s.Pen->Assign(FPen.get());
    s.Brush = std::make_unique<TBrush>();
    s.Brush->Assign(FBrush.get());
    s.PenPos = FPenPos;
    s.TextAlign = FTextAlign;
    s.BkMode = FBkMode;
    s.BkColor = FBkColor;
    s.StretchMode = FStretchMode;
    s.ArcDirection = FArcDirection;
    s.Clip = FClip;
    s.MapMode = FMapMode;
    s.WindowOrg = FWindowOrg;
    s.WindowExt = FWindowExt;
    s.ViewportOrg = FViewportOrg;
    s.ViewportExt = FViewportExt;
    FSaved.push_back(std::move(s));
    return int(FSaved.size());
}

void TCanvas::RestoreDC(int level)
{
    if (level < 0)
        level = int(FSaved.size()) + level + 1;
    if (level < 1 || level > int(FSaved.size()))
        return;
    FSaved.resize(level);
    Saved s = std::move(FSaved.back());
    FSaved.pop_back();
    FFont->Assign(s.Font.get());
    FPen->Assign(s.Pen.get());
    FBrush->Assign(s.Brush.get());
    FPenPos = s.PenPos;
    FTextAlign = s.TextAlign;
    FBkMode = s.BkMode;
    FBkColor = s.BkColor;
    FStretchMode = s.StretchMode;
    FArcDirection = s.ArcDirection;
    FMapMode = s.MapMode;
    FWindowOrg = s.WindowOrg;
    FWindowExt = s.WindowExt;
    FViewportOrg = s.ViewportOrg;
    FViewportExt = s.ViewportExt;
    const bool clipChanged = s.Clip != FClip;
    FClip = std::move(s.Clip);
    if (clipChanged)
        DevClipChanged(CurrentState());
}

int DeviceCapsValue(const TDeviceCaps& c, int index)
{
    switch (index) {
    case LOGPIXELSX: return c.DpiX;
    case LOGPIXELSY: return c.DpiY;
    case HORZRES: return c.Width;
    case VERTRES: return c.Height;
    case HORZSIZE: return c.DpiX > 0 ? int(std::lround(c.Width * 25.4 / c.DpiX)) : 0;
    case VERTSIZE: return c.DpiY > 0 ? int(std::lround(c.Height * 25.4 / c.DpiY)) : 0;
    case BITSPIXEL: return c.BitsPerPixel;
    case 14: return 1; // PLANES
    case NUMCOLORS: return c.BitsPerPixel > 8 ? -1 : 1 << c.BitsPerPixel;
    case PHYSICALWIDTH: return c.PhysicalWidth ? c.PhysicalWidth : c.Width;
    case PHYSICALHEIGHT: return c.PhysicalHeight ? c.PhysicalHeight : c.Height;
    case PHYSICALOFFSETX: return c.OffsetX;
    case PHYSICALOFFSETY: return c.OffsetY;
    default: return 0;
    }
}

int TCanvas::GetDeviceCaps(int index) const
{
    return DeviceCapsValue(DeviceCaps(), index);
}

// ---- shapes -------------------------------------------------------------------------------------

void TCanvas::MoveTo(int x, int y)
{
    FPenPos = {x, y};
}

void TCanvas::LineTo(int x, int y)
{
    const TPoint a = LPtoDP(FPenPos), b = LPtoDP(TPoint{x, y});
    QPolygon poly;
    poly << QPoint(a.X, a.Y) << QPoint(b.X, b.Y);
    DevPolyline(poly, CurrentState());
    FPenPos = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    QPolygon poly;
    poly.reserve(qsizetype(points.size()));
    for (const TPoint& p : points) {
        const TPoint d = LPtoDP(p);
        poly << QPoint(d.X, d.Y);
    }
    DevPolyline(poly, CurrentState());
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    QPolygon poly;
    poly.reserve(qsizetype(points.size()));
    for (const TPoint& p : points) {
        const TPoint d = LPtoDP(p);
        poly << QPoint(d.X, d.Y);
    }
    DevPolygon(poly, CurrentState());
}

void TCanvas::PolyPolygon(const std::vector<std::vector<TPoint>>& polygons)
{
    std::vector<QPolygon> dev;
    for (const auto& points : polygons) {
        if (points.size() < 2)
            continue;
        QPolygon poly;
        for (const TPoint& p : points) {
            const TPoint d = LPtoDP(p);
            poly << QPoint(d.X, d.Y);
        }
        dev.push_back(poly);
    }
    if (!dev.empty())
        DevPolyPolygon(dev, CurrentState());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    const TRect d = NormalizedRect(LPtoDP(TRect{left, top, right, bottom}));
    if (d.IsEmpty())
        return;
    DevRectangle(d, CurrentState());
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    const TRect d = NormalizedRect(LPtoDP(TRect{left, top, right, bottom}));
    if (d.IsEmpty())
        return;
    DevEllipse(d, CurrentState());
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    const TRect d = NormalizedRect(LPtoDP(TRect{left, top, right, bottom}));
    if (d.IsEmpty())
        return;
    DevRoundRect(d, ScaleX(Saturate(std::llabs(ellipseWidth))), ScaleY(Saturate(std::llabs(ellipseHeight))), CurrentState());
}

// ---- arcs ---------------------------------------------------------------------------------------

namespace {
QRectF CurveBox(const TRect& d)
{
    return detail::CurveBox(d.Left, d.Top, d.Right, d.Bottom);
}
TPoint Rounded(QPointF p)
{
    return {Saturate(p.x()), Saturate(p.y())};
}
} // namespace

void TCanvas::ArcShape(TArcKind kind, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    const TRect d = NormalizedRect(LPtoDP(TRect{x1, y1, x2, y2}));
    if (d.IsEmpty())
        return;
    // The radial points only give directions: moved out along their rays before mapping, a point
    // near the centre keeps its angle on a device smaller than the logical space.
    const QRectF logical(QPointF(x1, y1), QPointF(x2, y2));
    const TPoint s = LPtoDP(Rounded(detail::FarRadial(logical, QPointF(x3, y3))));
    const TPoint e = LPtoDP(Rounded(detail::FarRadial(logical, QPointF(x4, y4))));
    DevArc(kind, d, QPoint(s.X, s.Y), QPoint(e.X, e.Y), CurrentState());
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    ArcShape(TArcKind::Arc, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    ArcShape(TArcKind::Chord, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    ArcShape(TArcKind::Pie, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::ArcTo(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    const TRect d = NormalizedRect(LPtoDP(TRect{x1, y1, x2, y2}));
    if (d.IsEmpty()) {
        LineTo(x3, y3);
        return;
    }
    const QRectF logical(QPointF(x1, y1), QPointF(x2, y2));
    const TPoint s = LPtoDP(Rounded(detail::FarRadial(logical, QPointF(x3, y3))));
    const TPoint e = LPtoDP(Rounded(detail::FarRadial(logical, QPointF(x4, y4))));
    const TDcState st = CurrentState();
    const detail::TArcSweep sweep = detail::ArcSweep(CurveBox(d), QPointF(s.X, s.Y), QPointF(e.X, e.Y),
                                                     st.ArcDirection == AD_CLOCKWISE);
    const TPoint a = Rounded(detail::ArcPoint(sweep, sweep.Start));
    const TPoint z = Rounded(detail::ArcPoint(sweep, sweep.Start + sweep.Span));
    const TPoint from = LPtoDP(FPenPos);
    if (from != a) {
        QPolygon line;
        line << QPoint(from.X, from.Y) << QPoint(a.X, a.Y);
        DevPolyline(line, st);
    }
    DevArc(TArcKind::Arc, d, QPoint(s.X, s.Y), QPoint(e.X, e.Y), st);
    FPenPos = DPtoLP(z);
}

void TCanvas::AngleArc(int x, int y, unsigned radius, float startAngle, float sweepAngle)
{
    if (!std::isfinite(startAngle) || !std::isfinite(sweepAngle))
        return;
    constexpr double kRad = 3.14159265358979323846 / 180;
    const double r = std::min<double>(radius, 1 << 29);
    auto at = [&](double degrees, double distance) {
        return QPointF(x + distance * std::cos(degrees * kRad), y - distance * std::sin(degrees * kRad));
    };
    const QPointF a = at(startAngle, r);
    const double end = double(startAngle) + sweepAngle;
    const TPoint from = LPtoDP(FPenPos), to = LPtoDP(Rounded(a));
    const TDcState st0 = CurrentState();
    if (from != to) {
        QPolygon line;
        line << QPoint(from.X, from.Y) << QPoint(to.X, to.Y);
        DevPolyline(line, st0);
    }
    if (sweepAngle != 0 && r > 0) {
        const TRect d = NormalizedRect(LPtoDP(TRect{Saturate(x - r), Saturate(y - r), Saturate(x + r), Saturate(y + r)}));
        // The box's far edges are where the circle passes, so the curve box is one pixel wider.
        const TRect box{d.Left, d.Top, d.Right == INT_MAX ? d.Right : d.Right + 1, d.Bottom == INT_MAX ? d.Bottom : d.Bottom + 1};
        const double far = 4 * std::max(r, 256.0);
        const TPoint s = LPtoDP(Rounded(at(startAngle, far)));
        // A sweep of a whole turn or more is the whole circle: both rays the same.
        const TPoint e = std::fabs(sweepAngle) >= 360 ? s : LPtoDP(Rounded(at(end, far)));
        TDcState st = st0;
        st.ArcDirection = sweepAngle > 0 ? AD_COUNTERCLOCKWISE : AD_CLOCKWISE;
        DevArc(TArcKind::Arc, box, QPoint(s.X, s.Y), QPoint(e.X, e.Y), st);
    }
    FPenPos = Rounded(at(end, r));
}

void TCanvas::DevArc(TArcKind kind, const TRect& r, QPoint start, QPoint end, const TDcState& st)
{
    const detail::TArcSweep sweep = detail::ArcSweep(CurveBox(r), start, end, st.ArcDirection == AD_CLOCKWISE);
    QPolygon poly;
    auto add = [&poly](QPointF p) {
        const TPoint q = Rounded(p);
        poly << QPoint(q.X, q.Y);
    };
    if (kind == TArcKind::Pie)
        add(CurveBox(r).center());
    for (const QPointF& p : detail::ArcPolyline(sweep))
        add(p);
    if (kind == TArcKind::Arc)
        DevPolyline(poly, st);
    else
        DevPolygon(poly, st);
}

void TCanvas::FillRect(const TRect& r)
{
    const TRect d = NormalizedRect(LPtoDP(r));
    if (d.IsEmpty() || FBrush->Style() == bsClear)
        return;
    DevFillRect(d, CurrentState());
}

void TCanvas::FillRects(const std::vector<TRect>& rects)
{
    if (FBrush->Style() == bsClear)
        return;
    std::vector<TRect> device;
    device.reserve(rects.size());
    for (const TRect& r : rects)
        if (const TRect d = NormalizedRect(LPtoDP(r)); !d.IsEmpty())
            device.push_back(d);
    if (!device.empty())
        DevFillRects(device, CurrentState());
}

void TCanvas::FrameRect(const TRect& r)
{
    const TRect d = NormalizedRect(LPtoDP(r));
    if (d.IsEmpty() || FBrush->Style() == bsClear)
        return;
    const int w = std::max(1, ScaleX(1)), h = std::max(1, ScaleY(1));
    const TDcState st = CurrentState();
    auto at = [](int v, int by) { return Saturate(qint64(v) + by); };
    DevFillRect({d.Left, d.Top, d.Right, std::min(d.Bottom, at(d.Top, h))}, st);
    if (d.Height() > h) {
        DevFillRect({d.Left, std::max(at(d.Top, h), at(d.Bottom, -h)), d.Right, d.Bottom}, st);
        DevFillRect({d.Left, at(d.Top, h), std::min(d.Right, at(d.Left, w)), at(d.Bottom, -h)}, st);
        if (d.Width() > w)
            DevFillRect({std::max(at(d.Left, w), at(d.Right, -w)), at(d.Top, h), d.Right, at(d.Bottom, -h)}, st);
    }
}

// ---- text ---------------------------------------------------------------------------------------

void TCanvas::TextOut(int x, int y, const QString& text)
{
    ExtTextOut(x, y, 0, nullptr, text);
    if (!(FTextAlign & TA_UPDATECP))
        FPenPos = {Saturate(qint64(x) + TextWidth(text)), y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text)
{
    unsigned options = ETO_CLIPPED;
    if (FBrush->Style() != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOut(x, y, options, &r, text);
}

void TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const QString& text,
                         const std::vector<int>* dx)
{
    const TDcState st = CurrentState();
    std::vector<int> adv;
    if (dx) {
        adv.resize(text.size(), 0);
        for (size_t i = 0; i < adv.size() && i < dx->size(); ++i)
            adv[i] = ScaleX((*dx)[i]);
    } else {
        adv = TTextMetricsService::Current().Advances(st.Font, text);
    }
    TPoint ref{x, y};
    if (FTextAlign & TA_UPDATECP)
        ref = FPenPos;
    const TPoint d = LPtoDP(ref);
    std::optional<TRect> drect;
    if (rect)
        drect = NormalizedRect(LPtoDP(*rect));
    if (text.isEmpty() && !(drect && (options & ETO_OPAQUE)))
        return;
    DevTextOut(d.X, d.Y, options, drect ? &*drect : nullptr, text, adv, st);
    if (FTextAlign & TA_UPDATECP) {
        qint64 w = 0;
        for (int a : adv)
            w += a;
        const TPoint back = DPtoLP(TPoint{Saturate(d.X + w), d.Y});
        if ((FTextAlign & TA_CENTER) == TA_LEFT)
            FPenPos = {back.X, ref.Y};
        else if ((FTextAlign & TA_CENTER) == TA_RIGHT)
            FPenPos = {DPtoLP(TPoint{Saturate(d.X - w), d.Y}).X, ref.Y};
    }
}

std::vector<int> TCanvas::CharAdvances(const QString& text)
{
    std::vector<int> adv = TTextMetricsService::Current().Advances(DeviceFont(), text);
    if (FMapMode != MM_TEXT)
        for (int& a : adv)
            a = int(std::llround(double(a) * FWindowExt.cx / FViewportExt.cx));
    return adv;
}

int TCanvas::TextWidth(const QString& text)
{
    return TextExtent(text).cx;
}

int TCanvas::TextHeight(const QString& text)
{
    return TextExtent(text).cy;
}

TSize TCanvas::TextExtent(const QString& text)
{
    const TSize d = TTextMetricsService::Current().TextExtent(DeviceFont(), text);
    if (FMapMode == MM_TEXT)
        return d;
    return {int(std::llround(std::fabs(double(d.cx) * FWindowExt.cx / FViewportExt.cx))),
            int(std::llround(std::fabs(double(d.cy) * FWindowExt.cy / FViewportExt.cy)))};
}

TTextMetric TCanvas::GetTextMetrics()
{
    TTextMetric m = TTextMetricsService::Current().Metrics(DeviceFont());
    if (FMapMode == MM_TEXT)
        return m;
    auto y = [this](int v) { return int(std::llround(std::fabs(double(v) * FWindowExt.cy / FViewportExt.cy))); };
    auto x = [this](int v) { return int(std::llround(std::fabs(double(v) * FWindowExt.cx / FViewportExt.cx))); };
    m.Height = y(m.Height);
    m.Ascent = y(m.Ascent);
    m.Descent = y(m.Descent);
    m.InternalLeading = y(m.InternalLeading);
    m.ExternalLeading = y(m.ExternalLeading);
    m.AveCharWidth = x(m.AveCharWidth);
    m.MaxCharWidth = x(m.MaxCharWidth);
    return m;
}

// ---- pictures -----------------------------------------------------------------------------------

namespace {

// A picture too large for the memory left is an error of that drawing, with its size, not the
// end of the program.
[[noreturn]] void NoMemoryToDraw(const TGraphic& graphic)
{
    throw Exception(QStringLiteral("Not enough memory to draw a picture of %1 x %2 pixels")
                        .arg(graphic.Width())
                        .arg(graphic.Height()));
}

} // namespace

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    try {
        graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
    } catch (const std::bad_alloc&) {
        NoMemoryToDraw(*graphic);
    }
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    try {
        graphic->Draw(*this, r);
    } catch (const std::bad_alloc&) {
        NoMemoryToDraw(*graphic);
    }
}

namespace detail {

namespace {
// One axis: source [s, s + sn) onto destination [d, d + dn), the source cut to [0, size).
bool ClipAxis(double& d, double& dn, qint64 s, qint64 sn, int size, int& outS, int& outSn)
{
    if (sn == 0 || size <= 0)
        return false;
    if (sn < 0) {
        // A mirrored source: its first column lands on the far edge of the destination.
        s += sn;
        sn = -sn;
        d += dn;
        dn = -dn;
    }
    const qint64 c0 = std::max<qint64>(s, 0), c1 = std::min<qint64>(s + sn, size);
    if (c0 >= c1)
        return false;
    const double scale = dn / double(sn);
    d += double(c0 - s) * scale;
    dn = double(c1 - c0) * scale;
    outS = int(c0);
    outSn = int(c1 - c0);
    return true;
}
} // namespace

bool ClipStretch(double destX, double destY, double destW, double destH, qint64 srcX, qint64 srcY, qint64 srcW,
                 qint64 srcH, QSize bitmap, TStretchPart& out)
{
    int sx = 0, sy = 0, sw = 0, sh = 0;
    if (!ClipAxis(destX, destW, srcX, srcW, bitmap.width(), sx, sw) ||
        !ClipAxis(destY, destH, srcY, srcH, bitmap.height(), sy, sh))
        return false;
    out.DestX = destX;
    out.DestY = destY;
    out.DestW = destW;
    out.DestH = destH;
    out.Source = QRect(sx, sy, sw, sh);
    return true;
}

} // namespace detail

void TCanvas::StretchDIBits(const TRect& dest, const TRect& source, const QImage& image)
{
    if (image.isNull())
        return;
    const TRect d = LPtoDP(dest);
    if (d.Width() == 0 || d.Height() == 0)
        return;
    DevStretchDIBits(d, source, image, CurrentState());
}

// ---- clipping -----------------------------------------------------------------------------------

TRect TCanvas::ClipRect() const
{
    TRect d;
    if (FClip) {
        d = TRect::FromQRect(FClip->boundingRect());
        if (FClip->isEmpty())
            d = {};
    } else {
        const TDeviceCaps c = DeviceCaps();
        d = {0, 0, c.Width, c.Height};
    }
    return NormalizedRect(DPtoLP(d));
}

void TCanvas::IntersectClipRect(const TRect& r)
{
    const TRect d = NormalizedRect(LPtoDP(r));
    const QRegion region = d.IsEmpty() ? QRegion() : QRegion(d.ToQRect());
    FClip = FClip ? (*FClip & region) : region;
    DevClipChanged(CurrentState());
}

void TCanvas::ExcludeClipRect(const TRect& r)
{
    const TRect d = NormalizedRect(LPtoDP(r));
    if (d.IsEmpty())
        return;
    if (!FClip) {
        const TDeviceCaps c = DeviceCaps();
        FClip = QRegion(0, 0, c.Width, c.Height);
    }
    FClip = *FClip - QRegion(d.ToQRect());
    DevClipChanged(CurrentState());
}

void TCanvas::SelectClipRgn(const QRegion* region)
{
    if (region)
        FClip = *region;
    else
        FClip.reset();
    DevClipChanged(CurrentState());
}

} // namespace tessiv
