// Playing Windows metafiles (with or without the placeable header): the window the file sets is
// mapped onto the target rectangle. Records are checked against the file before they are read.

#include "platform/graphics/MetafilePlayer.h"

#include "platform/core/Cp1252.h"
#include "platform/graphics/MetafilePlayerDc.h"

namespace tessiv {

using namespace emf;
using namespace detail;


bool ReadWmfGeometry(const QByteArray& bytes, TWmfGeometry& out, QString* error)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    std::size_t at = 0;
    out = TWmfGeometry{};
    if (bytes.size() >= 22 && U32(p) == 0x9AC6CDD7u) {
        out.Placeable = true;
        out.Left = I16(p + 6);
        out.Top = I16(p + 8);
        out.Right = I16(p + 10);
        out.Bottom = I16(p + 12);
        out.Inch = U16(p + 14);
        at = 22;
    }
    if (std::size_t(bytes.size()) < at + 18) {
        if (error)
            *error = QStringLiteral("Not a Windows metafile");
        return false;
    }
    const unsigned char* h = p + at;
    const std::uint16_t type = U16(h), headerWords = U16(h + 2), version = U16(h + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0300 && version != 0x0100)) {
        if (error)
            *error = QStringLiteral("Not a Windows metafile");
        return false;
    }
    out.Objects = U16(h + 10);
    out.HeaderSize = int(at + 18);
    return true;
}

void PlayWmf(const QByteArray& bytes, TCanvas& canvas, const TRect& r)
{
    TWmfGeometry g;
    if (!ReadWmfGeometry(bytes, g))
        return;
    TPlayer pl(canvas, QTransform(), 96 / 25.4, 96 / 25.4);
    pl.WmfWindowMapping = true;
    pl.WmfTarget = QRectF(r.Left, r.Top, r.Width(), r.Height());
    if (g.Placeable) {
        pl.Dc.WinOrg = QPointF(g.Left, g.Top);
        pl.Dc.WinExt = QSizeF(g.Right - g.Left, g.Bottom - g.Top);
    } else {
        pl.Dc.WinExt = QSizeF(r.Width(), r.Height());
    }
    pl.Update();
    // Objects fill the lowest free slot of a table of the header's size.
    std::vector<bool> used(std::size_t(std::max(1, g.Objects)), false);
    auto slot = [&]() -> int {
        for (std::size_t i = 0; i < used.size(); ++i)
            if (!used[i]) {
                used[i] = true;
                return int(i) + 1; // +1: slot 0 of the player is reserved
            }
        return -1;
    };
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::size_t total = std::size_t(bytes.size());
    std::size_t pos = std::size_t(g.HeaderSize);
    while (pos + 6 <= total) {
        const std::uint64_t words = U32(p + pos);
        const std::uint16_t fn = U16(p + pos + 4);
        if (words < 3 || words * 2 > total - pos)
            break;
        const TRecord rec{p + pos + 6, std::size_t(words * 2 - 6)}; // the parameters
        auto s = [&](std::size_t i) { return double(I16(rec.P + 2 * i)); };
        auto need = [&](std::size_t n) { return rec.Has(0, 2 * n); };
        bool ok = true;
        switch (fn) {
        case 0x0000: pos = total; continue; // META_EOF
        case 0x020B: ok = need(2); if (ok) { pl.Dc.WinOrg = {s(1), s(0)}; pl.Update(); } break;
        case 0x020C: ok = need(2); if (ok && s(0) && s(1)) { pl.Dc.WinExt = {s(1), s(0)}; pl.Update(); } break;
        case 0x0103: break; // META_SETMAPMODE: the window is mapped onto the rectangle anyway
        case 0x0102: ok = need(1); if (ok) pl.Dc.BkMode = U16(rec.P) == TRANSPARENT ? TRANSPARENT : OPAQUE; break;
        case 0x0201: ok = need(2); if (ok) pl.Dc.BkColor = TColor(U32(rec.P) & 0xFFFFFF); break;
        case 0x0209: ok = need(2); if (ok) pl.Dc.TextColor = TColor(U32(rec.P) & 0xFFFFFF); break;
        case 0x012E: ok = need(1); if (ok) pl.Dc.TextAlign = U16(rec.P); break;
        case 0x0104: ok = need(1); if (ok) pl.Dc.Rop2 = U16(rec.P); break;
        case 0x0107: ok = need(1); if (ok) pl.Dc.StretchMode = U16(rec.P); break;
        case 0x02FA: { // META_CREATEPENINDIRECT
            ok = need(5);
            const int h = slot();
            if (ok && h > 0)
                pl.Store(std::uint32_t(h), TPlayPen{U16(rec.P), std::fabs(s(1)), TColor(U32(rec.P + 6) & 0xFFFFFF)});
            break;
        }
        case 0x02FC: { // META_CREATEBRUSHINDIRECT
            ok = need(4);
            const int h = slot();
            if (ok && h > 0)
                pl.Store(std::uint32_t(h), TPlayBrush{U16(rec.P) >= 3 ? 0 : U16(rec.P), TColor(U32(rec.P + 2) & 0xFFFFFF), U16(rec.P + 6)});
            break;
        }
        case 0x02FB: { // META_CREATEFONTINDIRECT
            ok = need(9);
            const int h = slot();
            if (ok && h > 0) {
                TLogFont f;
                f.Height = I16(rec.P);
                f.Width = I16(rec.P + 2);
                f.Escapement = I16(rec.P + 4);
                f.Orientation = I16(rec.P + 6);
                f.Weight = I16(rec.P + 8);
                f.Italic = rec.P[10] != 0;
                f.Underline = rec.P[11] != 0;
                f.StrikeOut = rec.P[12] != 0;
                f.CharSet = rec.P[13];
                f.PitchAndFamily = rec.P[17];
                QByteArray face;
                for (std::size_t i = 18; i < rec.Size && i < 18 + 32 && rec.P[i]; ++i)
                    face.append(char(rec.P[i]));
                f.FaceName = face.isEmpty() ? QStringLiteral("Arial") : FromCp1252(face);
                pl.Store(std::uint32_t(h), f);
            }
            break;
        }
        case 0x00F7: case 0x01F9: case 0x0142: case 0x06FF: // palette, pattern brushes, region
            if (const int h = slot(); h > 0 && fn != 0x00F7 && fn != 0x06FF)
                pl.Store(std::uint32_t(h), TPlayBrush{0, clGray, 0});
            break;
        case 0x012D: // META_SELECTOBJECT
            ok = need(1);
            if (ok)
                pl.Select(std::uint32_t(U16(rec.P)) + 1);
            break;
        case 0x01F0: // META_DELETEOBJECT
            ok = need(1);
            if (ok && U16(rec.P) < used.size()) {
                used[U16(rec.P)] = false;
                pl.Delete(std::uint32_t(U16(rec.P)) + 1);
            }
            break;
        case 0x0214: ok = need(2); if (ok) pl.MoveTo({s(1), s(0)}); break;
        case 0x0213: ok = need(2); if (ok) pl.LineTo({s(1), s(0)}); break;
        case 0x041B: ok = need(4); if (ok) pl.Shape(0, s(3), s(2), s(1), s(0)); break;
        case 0x0418: ok = need(4); if (ok) pl.Shape(1, s(3), s(2), s(1), s(0)); break;
        case 0x061C: ok = need(6); if (ok) pl.Shape(2, s(5), s(4), s(3), s(2), s(1), s(0)); break;
        // META_ARC, META_PIE, META_CHORD: yEnd, xEnd, yStart, xStart, bottom, right, top, left
        case 0x0817: case 0x081A: case 0x0830:
            ok = need(8);
            if (ok)
                pl.Arc(fn == 0x0817 ? 0 : fn == 0x0830 ? 1 : 2, s(7), s(6), s(5), s(4), {s(3), s(2)}, {s(1), s(0)});
            break;
        case 0x0324: case 0x0325: { // META_POLYGON, META_POLYLINE
            ok = need(1);
            if (!ok)
                break;
            const std::size_t n = U16(rec.P);
            ok = need(1 + 2 * n);
            if (!ok)
                break;
            std::vector<QPointF> pts(n);
            for (std::size_t i = 0; i < n; ++i)
                pts[i] = {s(1 + 2 * i), s(2 + 2 * i)};
            if (fn == 0x0324)
                pl.Polygon(pts);
            else
                pl.Polyline(pts);
            break;
        }
        case 0x0538: { // META_POLYPOLYGON
            ok = need(1);
            if (!ok)
                break;
            const std::size_t polys = U16(rec.P);
            ok = need(1 + polys);
            if (!ok)
                break;
            std::size_t at = 1 + polys;
            std::vector<std::vector<QPointF>> figures;
            for (std::size_t k = 0; k < polys && ok; ++k) {
                const std::size_t n = U16(rec.P + 2 * (1 + k));
                ok = need(at + 2 * n);
                if (!ok)
                    break;
                std::vector<QPointF> pts(n);
                for (std::size_t i = 0; i < n; ++i)
                    pts[i] = {s(at + 2 * i), s(at + 2 * i + 1)};
                at += 2 * n;
                figures.push_back(std::move(pts));
            }
            if (ok)
                pl.PolyPolygon(figures);
            break;
        }
        case 0x0521: { // META_TEXTOUT: count, string, y, x
            ok = need(1);
            if (!ok)
                break;
            const std::size_t n = U16(rec.P);
            const std::size_t words = (n + 1) / 2;
            ok = need(1 + words + 2);
            if (ok)
                pl.Text({s(1 + words + 1), s(1 + words)}, 0, std::nullopt,
                        FromCp1252(reinterpret_cast<const char*>(rec.P + 2), qsizetype(n)), {});
            break;
        }
        case 0x0A32: { // META_EXTTEXTOUT: y, x, count, options, [rect], string, [dx]
            ok = need(4);
            if (!ok)
                break;
            const double y = s(0), x = s(1);
            const std::size_t n = U16(rec.P + 4);
            const unsigned options = U16(rec.P + 6);
            std::size_t at = 4;
            std::optional<QRectF> rect;
            if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
                ok = need(8);
                if (!ok)
                    break;
                rect = QRectF(QPointF(s(4), s(5)), QPointF(s(6), s(7)));
                at = 8;
            }
            ok = rec.Has(2 * at, n);
            if (!ok)
                break;
            const QString text = FromCp1252(reinterpret_cast<const char*>(rec.P + 2 * at), qsizetype(n));
            std::vector<int> dx;
            const std::size_t dxAt = at + (n + 1) / 2;
            if (need(dxAt + n)) {
                dx.resize(n);
                for (std::size_t i = 0; i < n; ++i)
                    dx[i] = I16(rec.P + 2 * (dxAt + i));
            }
            pl.Text({x, y}, options & (ETO_OPAQUE | ETO_CLIPPED), rect, text, dx);
            break;
        }
        case 0x001E: pl.Save(); break;
        case 0x0127: ok = need(1); if (ok) pl.Restore(I16(rec.P)); break;
        case 0x0416: case 0x0415: { // META_INTERSECTCLIPRECT, META_EXCLUDECLIPRECT: bottom, right, top, left
            ok = need(4);
            if (!ok)
                break;
            const QRectF box = QRectF(QPointF(s(3), s(2)), QPointF(s(1), s(0))).normalized();
            const QRectF t = pl.T.mapRect(box);
            const TRect n = NormalizedRect({int(std::llround(t.left())), int(std::llround(t.top())),
                                            int(std::llround(t.right())), int(std::llround(t.bottom()))});
            QRegion region;
            if (!n.IsEmpty())
                region = QRegion(n.ToQRect());
            // Clips of a Windows metafile are kept in target units: its mapping never changes them.
            pl.DevToTarget = QTransform();
            if (fn == 0x0416)
                pl.IntersectClip(region);
            else
                pl.ExcludeClip(region);
            break;
        }
        case 0x0F43: case 0x0B41: case 0x0940: { // STRETCHDIB, DIBSTRETCHBLT, DIBBITBLT
            std::size_t fixed = fn == 0x0F43 ? 11 : fn == 0x0B41 ? 10 : 8;
            ok = need(fixed);
            if (!ok)
                break;
            QRectF dest;
            TPlayer::TSource src;
            auto w = [&](std::size_t i) { return qint64(I16(rec.P + 2 * i)); };
            if (fn == 0x0F43) {
                dest = QRectF(s(10), s(9), s(8), s(7));
                src = {w(6), w(5), w(4), w(3)};
            } else if (fn == 0x0B41) {
                dest = QRectF(s(9), s(8), s(7), s(6));
                src = {w(5), w(4), w(3), w(2)};
            } else {
                dest = QRectF(s(7), s(6), s(5), s(4));
                src = {w(3), w(2), w(5), w(4)};
            }
            const std::size_t dibAt = 2 * fixed;
            if (!rec.Has(dibAt, 4))
                break;
            const unsigned char* dib = rec.P + dibAt;
            const std::size_t dibSize = rec.Size - dibAt;
            TDibInfo info;
            if (!ParseDibInfo(dib, dibSize, info))
                break;
            if (!info.TopDown)
                src.Y = qint64(info.Height) - src.Y - src.H; // undone by Bitmap for bottom-up
            pl.Bitmap(dest, src, dib, std::size_t(info.InfoSize), dib + info.InfoSize, dibSize - std::size_t(info.InfoSize));
            break;
        }
        default:
            break; // skipped
        }
        if (!ok)
            break;
        pos += std::size_t(words * 2);
    }
}


} // namespace tessiv
