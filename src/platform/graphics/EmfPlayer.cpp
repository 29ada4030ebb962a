// Playing enhanced metafile records onto a canvas. Every record is checked against the bytes that
// hold it before a field is read; a record that does not fit ends the playing.

#include "platform/graphics/MetafilePlayer.h"

#include "platform/core/Cp1252.h"
#include "platform/graphics/MetafilePlayerDc.h"

namespace tessiv {

using namespace emf;
using namespace detail;

namespace {

std::vector<QPointF> BezierPoints(QPointF start, const std::vector<QPointF>& pts)
{
    std::vector<QPointF> out;
    QPointF p0 = start;
    for (size_t i = 0; i + 2 < pts.size(); i += 3) {
        const QPointF p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
        for (int k = 1; k <= 16; ++k) {
            const double t = k / 16.0, u = 1 - t;
            out.push_back(u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3);
        }
        p0 = p3;
    }
    return out;
}

TLogFont ReadLogFontW(const TRecord& r, std::size_t o)
{
    TLogFont f;
    f.Height = r.I(o);
    f.Width = r.I(o + 4);
    f.Escapement = r.I(o + 8);
    f.Orientation = r.I(o + 12);
    f.Weight = r.I(o + 16);
    f.Italic = r.P[o + 20] != 0;
    f.Underline = r.P[o + 21] != 0;
    f.StrikeOut = r.P[o + 22] != 0;
    f.CharSet = r.P[o + 23];
    f.PitchAndFamily = r.P[o + 27];
    QString face;
    for (int i = 0; i < 32; ++i) {
        const std::uint16_t c = U16(r.P + o + 28 + 2 * i);
        if (c == 0)
            break;
        face += QChar(c);
    }
    f.FaceName = face.isEmpty() ? QStringLiteral("Arial") : face;
    return f;
}

std::optional<QRegion> ReadRegion(const TRecord& r, std::size_t o, std::size_t size)
{
    if (size < 32 || !r.Has(o, size))
        return std::nullopt;
    const std::uint32_t count = r.U(o + 8);
    if (count > (size - 32) / 16)
        return std::nullopt;
    QRegion region;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t p = o + 32 + 16 * std::size_t(i);
        const TRect rc = NormalizedRect({r.I(p), r.I(p + 4), r.I(p + 8), r.I(p + 12)});
        if (!rc.IsEmpty())
            region += QRegion(rc.ToQRect());
    }
    return region;
}

std::vector<QRectF> ReadRegionRects(const TRecord& r, std::size_t o, std::size_t size)
{
    std::vector<QRectF> rects;
    if (size < 32 || !r.Has(o, size))
        return rects;
    const std::uint32_t count = r.U(o + 8);
    if (count > (size - 32) / 16)
        return rects;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t p = o + 32 + 16 * std::size_t(i);
        rects.push_back(QRectF(QPointF(r.I(p), r.I(p + 4)), QPointF(r.I(p + 8), r.I(p + 12))));
    }
    return rects;
}

// Points of a poly record: 32-bit or 16-bit pairs after the bounds and count.
bool ReadPoints(const TRecord& r, std::size_t o, std::uint32_t count, bool small, std::vector<QPointF>& out)
{
    const std::size_t each = small ? 4 : 8;
    if (count > kMaxPoints || !r.Has(o, std::size_t(count) * each))
        return false;
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* p = r.P + o + i * each;
        out[i] = small ? QPointF(I16(p), I16(p + 2)) : QPointF(I32(p), I32(p + 4));
    }
    return true;
}

bool PlayEmfRecord(TPlayer& pl, std::uint32_t type, const TRecord& r)
{
    switch (type) {
    case EMR_HEADER:
    case EMR_EOF:
        return true;
    case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIER: case EMR_POLYLINETO: case EMR_POLYBEZIERTO:
    case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIER16: case EMR_POLYLINETO16: case EMR_POLYBEZIERTO16: {
        if (!r.Has(8, 20))
            return false;
        const bool small = type >= EMR_POLYBEZIER16;
        std::vector<QPointF> pts;
        if (!ReadPoints(r, 28, r.U(24), small, pts))
            return false;
        switch (type) {
        case EMR_POLYGON: case EMR_POLYGON16: pl.Polygon(pts); break;
        case EMR_POLYLINE: case EMR_POLYLINE16: pl.Polyline(pts); break;
        case EMR_POLYBEZIER: case EMR_POLYBEZIER16:
            if (!pts.empty())
                pl.Polyline([&] { auto v = BezierPoints(pts[0], {pts.begin() + 1, pts.end()}); v.insert(v.begin(), pts[0]); return v; }());
            break;
        case EMR_POLYLINETO: case EMR_POLYLINETO16:
            for (const QPointF& p : pts)
                pl.LineTo(p);
            break;
        default:
            for (const QPointF& p : BezierPoints(pl.Dc.Cur, pts))
                pl.LineTo(p);
            break;
        }
        return true;
    }
    case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: {
        if (!r.Has(8, 24))
            return false;
        const std::uint32_t polys = r.U(24), total = r.U(28);
        if (polys > kMaxPoints || !r.Has(32, std::size_t(polys) * 4))
            return false;
        const bool small = type >= EMR_POLYBEZIER16;
        std::vector<QPointF> pts;
        if (!ReadPoints(r, 32 + std::size_t(polys) * 4, total, small, pts))
            return false;
        std::vector<std::vector<QPointF>> figures;
        std::size_t at = 0;
        for (std::uint32_t i = 0; i < polys; ++i) {
            const std::uint32_t n = r.U(32 + 4 * std::size_t(i));
            if (n > pts.size() - at)
                return false;
            figures.emplace_back(pts.begin() + qsizetype(at), pts.begin() + qsizetype(at + n));
            at += n;
        }
        if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16)
            pl.PolyPolygon(figures);
        else
            for (const auto& f : figures)
                pl.Polyline(f);
        return true;
    }
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX: case EMR_SETVIEWPORTORGEX: {
        if (!r.Has(8, 8))
            return false;
        const double x = r.I(8), y = r.I(12);
        if (type == EMR_SETWINDOWEXTEX && x != 0 && y != 0)
            pl.Dc.WinExt = {x, y};
        else if (type == EMR_SETWINDOWORGEX)
            pl.Dc.WinOrg = {x, y};
        else if (type == EMR_SETVIEWPORTEXTEX && x != 0 && y != 0)
            pl.Dc.VpExt = {x, y};
        else if (type == EMR_SETVIEWPORTORGEX)
            pl.Dc.VpOrg = {x, y};
        pl.Update();
        return true;
    }
    case EMR_SETMAPMODE:
        if (!r.Has(8, 4))
            return false;
        pl.Dc.MapMode = int(r.U(8));
        pl.Update();
        return true;
    case EMR_SETBKMODE:
        if (!r.Has(8, 4))
            return false;
        pl.Dc.BkMode = r.U(8) == TRANSPARENT ? TRANSPARENT : OPAQUE;
        return true;
    case EMR_SETROP2:
        if (!r.Has(8, 4))
            return false;
        pl.Dc.Rop2 = int(r.U(8));
        return true;
    case EMR_SETSTRETCHBLTMODE:
        if (!r.Has(8, 4))
            return false;
        pl.Dc.StretchMode = int(r.U(8));
        return true;
    case EMR_SETTEXTALIGN:
        if (!r.Has(8, 4))
            return false;
        pl.Dc.TextAlign = r.U(8);
        return true;
    case EMR_SETTEXTCOLOR:
        if (!r.Has(8, 4))
            return false;
        pl.Dc.TextColor = TColor(r.U(8) & 0xFFFFFF);
        return true;
    case EMR_SETBKCOLOR:
        if (!r.Has(8, 4))
            return false;
        pl.Dc.BkColor = TColor(r.U(8) & 0xFFFFFF);
        return true;
    case EMR_MOVETOEX:
        if (!r.Has(8, 8))
            return false;
        pl.MoveTo(QPointF(r.I(8), r.I(12)));
        return true;
    case EMR_LINETO:
        if (!r.Has(8, 8))
            return false;
        pl.LineTo(QPointF(r.I(8), r.I(12)));
        return true;
    case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: {
        if (!r.Has(8, 16))
            return false;
        const QRegion region = pl.DeviceRect(QRectF(QPointF(r.I(8), r.I(12)), QPointF(r.I(16), r.I(20))).normalized());
        if (type == EMR_INTERSECTCLIPRECT)
            pl.IntersectClip(region);
        else
            pl.ExcludeClip(region);
        return true;
    }
    case EMR_EXTSELECTCLIPRGN: {
        if (!r.Has(8, 8))
            return false;
        const std::uint32_t cb = r.U(8), mode = r.U(12);
        if (cb == 0) {
            if (mode == RGN_COPY) {
                pl.Dc.Clip.reset();
                pl.ApplyClip();
            }
            return true;
        }
        const std::optional<QRegion> region = ReadRegion(r, 16, cb);
        if (!region)
            return false;
        switch (mode) {
        case RGN_AND: pl.IntersectClip(*region); break;
        case RGN_OR: if (pl.Dc.Clip) { pl.Dc.Clip = *pl.Dc.Clip | *region; pl.ApplyClip(); } break;
        case RGN_XOR: if (pl.Dc.Clip) { pl.Dc.Clip = *pl.Dc.Clip ^ *region; pl.ApplyClip(); } break;
        case RGN_DIFF: pl.ExcludeClip(*region); break;
        default: pl.Dc.Clip = *region; pl.ApplyClip(); break;
        }
        return true;
    }
    case EMR_SAVEDC:
        pl.Save();
        return true;
    case EMR_RESTOREDC:
        if (!r.Has(8, 4))
            return false;
        pl.Restore(r.I(8));
        return true;
    case EMR_SETWORLDTRANSFORM: case EMR_MODIFYWORLDTRANSFORM: {
        if (!r.Has(8, 24))
            return false;
        const QTransform x(F32(r.P + 8), F32(r.P + 12), F32(r.P + 16), F32(r.P + 20), F32(r.P + 24), F32(r.P + 28));
        if (!x.isInvertible() || !std::isfinite(x.m11() + x.m12() + x.m21() + x.m22() + x.dx() + x.dy()))
            return true;
        if (type == EMR_SETWORLDTRANSFORM) {
            pl.Dc.World = x;
        } else {
            if (!r.Has(32, 4))
                return false;
            switch (r.U(32)) {
            case 1: pl.Dc.World = QTransform(); break;           // MWT_IDENTITY
            case 2: pl.Dc.World = x * pl.Dc.World; break;        // MWT_LEFTMULTIPLY
            case 3: pl.Dc.World = pl.Dc.World * x; break;        // MWT_RIGHTMULTIPLY
            case 4: pl.Dc.World = x; break;                      // MWT_SET
            default: break;
            }
        }
        pl.Update();
        return true;
    }
    case EMR_SELECTOBJECT:
        if (!r.Has(8, 4))
            return false;
        pl.Select(r.U(8));
        return true;
    case EMR_DELETEOBJECT:
        if (!r.Has(8, 4))
            return false;
        pl.Delete(r.U(8));
        return true;
    case EMR_CREATEPEN:
        if (!r.Has(8, 20))
            return false;
        pl.Store(r.U(8), TPlayPen{int(r.U(12)), std::fabs(double(r.I(16))), TColor(r.U(24) & 0xFFFFFF)});
        return true;
    case EMR_EXTCREATEPEN: {
        if (!r.Has(8, 36))
            return false;
        const std::uint32_t style = r.U(28);
        const bool geometric = (style & 0x00010000) != 0;
        pl.Store(r.U(8), TPlayPen{int(style & 0x0F), geometric ? double(r.U(32)) : 0.0,
                                  r.U(36) == 1 ? clBlack : TColor(r.U(40) & 0xFFFFFF)});
        if (r.U(36) == 1) // BS_NULL: an invisible pen
            pl.Store(r.U(8), TPlayPen{5, 0, clBlack});
        return true;
    }
    case EMR_CREATEBRUSHINDIRECT:
        if (!r.Has(8, 16))
            return false;
        pl.Store(r.U(8), TPlayBrush{int(std::min<std::uint32_t>(r.U(12), 3)) == 3 ? 0 : int(r.U(12)),
                                    TColor(r.U(16) & 0xFFFFFF), int(r.U(20))});
        return true;
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        // A pattern brush is drawn as a solid brush of the pattern's mean colour.
        if (!r.Has(8, 24))
            return false;
        const std::uint32_t offBmi = r.U(16), cbBmi = r.U(20), offBits = r.U(24), cbBits = r.U(28);
        TColor color = clGray;
        if (r.Has(offBmi, cbBmi) && r.Has(offBits, cbBits)) {
            const QImage img = DecodeDib(r.P + offBmi, cbBmi, r.P + offBits, cbBits);
            if (!img.isNull()) {
                const QImage one = img.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                color = QColorToColor(QColor(one.pixel(0, 0)));
            }
        }
        pl.Store(r.U(8), TPlayBrush{0, color, 0});
        return true;
    }
    case EMR_EXTCREATEFONTINDIRECTW:
        if (!r.Has(12, 92))
            return false;
        pl.Store(r.U(8), ReadLogFontW(r, 12));
        return true;
    case EMR_RECTANGLE: case EMR_ELLIPSE:
        if (!r.Has(8, 16))
            return false;
        pl.Shape(type == EMR_RECTANGLE ? 0 : 1, r.I(8), r.I(12), r.I(16), r.I(20));
        return true;
    case EMR_ROUNDRECT:
        if (!r.Has(8, 24))
            return false;
        pl.Shape(2, r.I(8), r.I(12), r.I(16), r.I(20), r.I(24), r.I(28));
        return true;
    case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_ARCTO: {
        if (!r.Has(8, 32))
            return false;
        const QPointF start(r.I(24), r.I(28)), end(r.I(32), r.I(36));
        if (type == EMR_ARCTO)
            pl.ArcTo(r.I(8), r.I(12), r.I(16), r.I(20), start, end);
        else
            pl.Arc(type == EMR_ARC ? 0 : type == EMR_CHORD ? 1 : 2, r.I(8), r.I(12), r.I(16), r.I(20), start, end);
        return true;
    }
    case EMR_ANGLEARC: {
        if (!r.Has(8, 20))
            return false;
        const std::uint32_t radius = r.U(16);
        const float start = F32(r.P + 20), sweep = F32(r.P + 24);
        // A radius past any device or an angle that is not a number draws nothing.
        if (radius > (1u << 30) || !std::isfinite(start) || !std::isfinite(sweep))
            return true;
        pl.AngleArc(QPointF(r.I(8), r.I(12)), radius, start, sweep);
        return true;
    }
    case EMR_SETARCDIRECTION:
        if (!r.Has(8, 4))
            return false;
        if (r.U(8) == AD_COUNTERCLOCKWISE || r.U(8) == AD_CLOCKWISE)
            pl.Dc.ArcDirection = int(r.U(8));
        return true;
    case EMR_BEGINPATH:
        pl.InPath = true;
        pl.Path.clear();
        return true;
    case EMR_ENDPATH:
        pl.InPath = false;
        return true;
    case EMR_ABORTPATH:
        pl.InPath = false;
        pl.Path.clear();
        return true;
    case EMR_CLOSEFIGURE:
        if (!pl.Path.empty())
            pl.Path.back().Closed = true;
        return true;
    case EMR_FILLPATH:
        pl.EndPathDrawing(false, true);
        return true;
    case EMR_STROKEANDFILLPATH:
        pl.EndPathDrawing(true, true);
        return true;
    case EMR_STROKEPATH:
        pl.EndPathDrawing(true, false);
        return true;
    case EMR_FILLRGN: {
        if (!r.Has(8, 24))
            return false;
        const std::uint32_t cb = r.U(24), brush = r.U(28);
        TPlayBrush b = pl.Dc.Brush;
        if (const auto found = pl.Objects.find(brush); found != pl.Objects.end())
            if (auto* pb = std::get_if<TPlayBrush>(&found->second))
                b = *pb;
        pl.FillRects(ReadRegionRects(r, 32, cb), b);
        return true;
    }
    case EMR_PAINTRGN:
        if (!r.Has(8, 20))
            return false;
        pl.FillRects(ReadRegionRects(r, 28, r.U(24)), pl.Dc.Brush);
        return true;
    case EMR_EXTTEXTOUTW: case EMR_EXTTEXTOUTA: {
        if (!r.Has(8, 68))
            return false;
        const QPointF ref(r.I(36), r.I(40));
        const std::uint32_t n = r.U(44), offString = r.U(48), options = r.U(52), offDx = r.U(72);
        const bool wide = type == EMR_EXTTEXTOUTW;
        if (n > kMaxPoints || !r.Has(offString, std::size_t(n) * (wide ? 2 : 1)))
            return false;
        QString text;
        if (wide) {
            text.resize(n);
            for (std::uint32_t i = 0; i < n; ++i)
                text[i] = QChar(U16(r.P + offString + 2 * i));
        } else {
            text = FromCp1252(reinterpret_cast<const char*>(r.P + offString), n);
        }
        std::vector<int> dx;
        const bool pdy = (options & 0x2000) != 0;
        if (offDx != 0 && r.Has(offDx, std::size_t(n) * (pdy ? 8 : 4))) {
            dx.resize(n);
            for (std::uint32_t i = 0; i < n; ++i)
                dx[i] = r.I(offDx + (pdy ? 8 : 4) * std::size_t(i));
        }
        std::optional<QRectF> rect;
        if (options & (ETO_OPAQUE | ETO_CLIPPED))
            rect = QRectF(QPointF(r.I(56), r.I(60)), QPointF(r.I(64), r.I(68)));
        pl.Text(ref, options & (ETO_OPAQUE | ETO_CLIPPED), rect, text, dx);
        return true;
    }
    case EMR_STRETCHDIBITS: {
        if (!r.Has(8, 72))
            return false;
        const std::uint32_t offBmi = r.U(48), cbBmi = r.U(52), offBits = r.U(56), cbBits = r.U(60);
        if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
            return false;
        const QRectF dest(r.I(24), r.I(28), r.I(72), r.I(76));
        const TPlayer::TSource src{r.I(32), r.I(36), r.I(40), r.I(44)};
        pl.Bitmap(dest, src, r.P + offBmi, cbBmi, r.P + offBits, cbBits);
        return true;
    }
    case EMR_SETDIBITSTODEVICE: {
        if (!r.Has(8, 68))
            return false;
        const std::uint32_t offBmi = r.U(48), cbBmi = r.U(52), offBits = r.U(56), cbBits = r.U(60);
        if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
            return false;
        const TPlayer::TSource src{r.I(32), r.I(36), r.I(40), r.I(44)};
        pl.Bitmap(QRectF(r.I(24), r.I(28), double(src.W), double(src.H)), src, r.P + offBmi, cbBmi, r.P + offBits, cbBits);
        return true;
    }
    case EMR_BITBLT: case EMR_STRETCHBLT: {
        if (!r.Has(8, 92))
            return false;
        const QRectF dest(r.I(24), r.I(28), r.I(32), r.I(36));
        const std::uint32_t rop = r.U(40);
        const std::uint32_t offBmi = r.U(84), cbBmi = r.U(88), offBits = r.U(92);
        const std::uint32_t cbBits = r.Has(96, 4) ? r.U(96) : 0;
        if (cbBmi == 0) {
            pl.PatBlt(dest, rop);
            return true;
        }
        if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
            return false;
        TPlayer::TSource src{r.I(44), r.I(48), r.I(32), r.I(36)};
        if (type == EMR_STRETCHBLT && r.Has(100, 8))
            src.W = r.I(100), src.H = r.I(104);
        TDibInfo info;
        if (ParseDibInfo(r.P + offBmi, cbBmi, info) && !info.TopDown)
            src.Y = qint64(info.Height) - src.Y - src.H; // undone by Bitmap for bottom-up
        pl.Bitmap(dest, src, r.P + offBmi, cbBmi, r.P + offBits, cbBits);
        return true;
    }
    default:
        return true; // not drawn by us: skipped
    }
}


} // namespace

// ---- EMF ----------------------------------------------------------------------------------------

bool ReadEmfGeometry(const QByteArray& bytes, TEmfGeometry& out, QString* error)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (bytes.size() < 88 || U32(p) != EMR_HEADER || U32(p + 40) != kEmfSignature) {
        if (error)
            *error = QStringLiteral("Not an enhanced metafile");
        return false;
    }
    const std::uint32_t size = U32(p + 4);
    if (size < 88 || size > std::uint32_t(bytes.size())) {
        if (error)
            *error = QStringLiteral("Damaged metafile header");
        return false;
    }
    for (int i = 0; i < 4; ++i)
        out.FrameMM[i] = I32(p + 24 + 4 * i);
    const int devX = I32(p + 72), devY = I32(p + 76), mmX = I32(p + 80), mmY = I32(p + 84);
    out.PixelsPerMMX = devX > 0 && mmX > 0 ? double(devX) / mmX : 96 / 25.4;
    out.PixelsPerMMY = devY > 0 && mmY > 0 ? double(devY) / mmY : 96 / 25.4;
    if (size >= 108) {
        const int umX = I32(p + 100), umY = I32(p + 104);
        if (devX > 0 && umX > 0 && devY > 0 && umY > 0) {
            out.PixelsPerMMX = devX * 1000.0 / umX;
            out.PixelsPerMMY = devY * 1000.0 / umY;
        }
    }
    out.FrameLeft = out.FrameMM[0] / 100.0 * out.PixelsPerMMX;
    out.FrameTop = out.FrameMM[1] / 100.0 * out.PixelsPerMMY;
    out.FrameRight = out.FrameMM[2] / 100.0 * out.PixelsPerMMX;
    out.FrameBottom = out.FrameMM[3] / 100.0 * out.PixelsPerMMY;
    return true;
}

bool ValidateEmf(const QByteArray& bytes, QString* error)
{
    TEmfGeometry g;
    if (!ReadEmfGeometry(bytes, g, error))
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::size_t total = std::size_t(bytes.size());
    std::size_t pos = 0;
    while (pos + 8 <= total) {
        const std::uint32_t type = U32(p + pos), size = U32(p + pos + 4);
        if (size < 8 || size > total - pos) {
            if (error)
                *error = QStringLiteral("Damaged metafile record");
            return false;
        }
        pos += size;
        if (type == EMR_EOF)
            return true;
    }
    if (error)
        *error = QStringLiteral("Metafile has no end record");
    return false;
}

void PlayEmf(const QByteArray& bytes, TCanvas& canvas, const TRect& r)
{
    TEmfGeometry g;
    if (!ReadEmfGeometry(bytes, g))
        return;
    double fw = g.FrameRight - g.FrameLeft, fh = g.FrameBottom - g.FrameTop;
    if (std::fabs(fw) < 1e-6)
        fw = 1;
    if (std::fabs(fh) < 1e-6)
        fh = 1;
    const double sx = r.Width() / fw, sy = r.Height() / fh;
    const QTransform toTarget(sx, 0, 0, sy, r.Left - g.FrameLeft * sx, r.Top - g.FrameTop * sy);
    TPlayer player(canvas, toTarget, g.PixelsPerMMX, g.PixelsPerMMY);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::size_t total = std::size_t(bytes.size());
    std::size_t pos = 0;
    while (pos + 8 <= total) {
        const std::uint32_t type = U32(p + pos), size = U32(p + pos + 4);
        if (size < 8 || size > total - pos)
            break;
        if (!PlayEmfRecord(player, type, TRecord{p + pos, size}))
            break;
        pos += size;
        if (type == EMR_EOF)
            break;
    }
}

} // namespace tessiv
