// The recording canvas: every primitive becomes enhanced-metafile records in device units of the
// reference device (mapping mode MM_TEXT), with pens, brushes and fonts created, selected and
// deleted as their state changes.

#include "platform/core/SysUtils.h"
#include "platform/graphics/Dib.h"
#include "platform/graphics/EmfRecords.h"
#include "platform/graphics/Metafile.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace tessiv {

using namespace emf;

namespace {

struct TPenKey {
    std::uint32_t Style;
    int Width;
    std::uint32_t Color;
    friend bool operator==(const TPenKey&, const TPenKey&) = default;
};
struct TBrushKey {
    std::uint32_t Style;
    std::uint32_t Color;
    std::uint32_t Hatch;
    friend bool operator==(const TBrushKey&, const TBrushKey&) = default;
};

std::uint32_t PenStyleCode(TPenStyle s)
{
    switch (s) {
    case psDash: return 1;
    case psDot: return 2;
    case psDashDot: return 3;
    case psDashDotDot: return 4;
    case psClear: return 5;
    case psInsideFrame: return 6;
    default: return 0;
    }
}

TBrushKey BrushKeyOf(const TDcState& st)
{
    switch (st.BrushStyle) {
    case bsClear: return {1, 0, 0};
    case bsSolid: return {0, std::uint32_t(ColorToRGB(st.BrushColor)), 0};
    default: return {2, std::uint32_t(ColorToRGB(st.BrushColor)), std::uint32_t(st.BrushStyle - bsHorizontal)};
    }
}

} // namespace

struct TMetafileCanvas::Impl {
    QByteArray Records;
    int Count = 0;
    bool Finished = false;
    std::optional<TRect> Bounds;
    std::vector<bool> Used{true}; // slot 0 is the metafile itself
    // What the playing device has selected: an object slot or a stock object.
    std::uint32_t PenHandle = kStockObject | BLACK_PEN;
    std::uint32_t BrushHandle = kStockObject | WHITE_BRUSH;
    std::uint32_t FontHandle = kStockObject | SYSTEM_FONT;
    std::optional<TPenKey> Pen{TPenKey{0, 1, 0}};
    std::optional<TBrushKey> Brush{TBrushKey{0, 0xFFFFFF, 0}};
    std::optional<TLogFont> Font;
    unsigned TextAlign = 0;
    int BkMode = OPAQUE;
    std::uint32_t BkColor = 0xFFFFFF;
    std::uint32_t TextColor = 0;
    int Rop2 = 13;
    int StretchMode = BLACKONWHITE;
    int ArcDirection = AD_COUNTERCLOCKWISE;

    void Add(TRecordWriter& w)
    {
        Records.append(w.Bytes());
        ++Count;
    }
    void AddSimple(std::uint32_t type, std::uint32_t value)
    {
        TRecordWriter w(type);
        w.U32(value);
        Add(w);
    }
    void Touch(const TRect& r)
    {
        const TRect n = NormalizedRect(r);
        Bounds = Bounds ? UnionRect(*Bounds, n) : n;
    }
    std::uint32_t NewSlot()
    {
        for (size_t i = 1; i < Used.size(); ++i)
            if (!Used[i]) {
                Used[i] = true;
                return std::uint32_t(i);
            }
        Used.push_back(true);
        return std::uint32_t(Used.size() - 1);
    }
    void Replace(std::uint32_t& current, std::uint32_t next)
    {
        AddSimple(EMR_SELECTOBJECT, next);
        if (!(current & kStockObject)) {
            AddSimple(EMR_DELETEOBJECT, current);
            Used[current] = false;
        }
        current = next;
    }
    void SelectPen(const TDcState& st)
    {
        if (st.PenStyle == psClear) {
            if (PenHandle != (kStockObject | NULL_PEN)) {
                Replace(PenHandle, kStockObject | NULL_PEN);
                Pen.reset();
            }
        } else {
            const TPenKey key{PenStyleCode(st.PenStyle), st.PenWidth <= 1 ? 0 : st.PenWidth,
                              std::uint32_t(ColorToRGB(st.PenColor))};
            if (!Pen || !(*Pen == key) || (PenHandle & kStockObject)) {
                const std::uint32_t h = NewSlot();
                TRecordWriter w(EMR_CREATEPEN);
                w.U32(h).U32(key.Style).I32(key.Width).I32(0).U32(key.Color);
                Add(w);
                Replace(PenHandle, h);
                Pen = key;
            }
        }
        if (st.Rop2 != Rop2) {
            Rop2 = st.Rop2;
            AddSimple(EMR_SETROP2, std::uint32_t(Rop2));
        }
    }
    void NullPen()
    {
        if (PenHandle != (kStockObject | NULL_PEN)) {
            Replace(PenHandle, kStockObject | NULL_PEN);
            Pen.reset();
        }
    }
    void SelectBrush(const TDcState& st)
    {
        const TBrushKey key = BrushKeyOf(st);
        if (key.Style == 1) {
            if (BrushHandle != (kStockObject | NULL_BRUSH)) {
                Replace(BrushHandle, kStockObject | NULL_BRUSH);
                Brush.reset();
            }
        } else if (!Brush || !(*Brush == key) || (BrushHandle & kStockObject)) {
            const std::uint32_t h = NewSlot();
            TRecordWriter w(EMR_CREATEBRUSHINDIRECT);
            w.U32(h).U32(key.Style).U32(key.Color).U32(key.Hatch);
            Add(w);
            Replace(BrushHandle, h);
            Brush = key;
        }
        if (st.Rop2 != Rop2) {
            Rop2 = st.Rop2;
            AddSimple(EMR_SETROP2, std::uint32_t(Rop2));
        }
    }
    // Pen, brush and background for a filled shape; false once the recording is finished.
    bool BeginShape(const TDcState& st)
    {
        if (Finished)
            return false;
        SelectPen(st);
        SelectBrush(st);
        Background(st);
        return true;
    }

    void Background(const TDcState& st)
    {
        if (st.BkMode != BkMode) {
            BkMode = st.BkMode;
            AddSimple(EMR_SETBKMODE, std::uint32_t(BkMode));
        }
        const std::uint32_t bk = std::uint32_t(ColorToRGB(st.BkColor));
        if (bk != BkColor) {
            BkColor = bk;
            AddSimple(EMR_SETBKCOLOR, bk);
        }
    }
    void SelectFont(const TDcState& st)
    {
        if (!Font || !(*Font == st.Font)) {
            const std::uint32_t h = NewSlot();
            TRecordWriter w(EMR_EXTCREATEFONTINDIRECTW);
            const TLogFont& f = st.Font;
            w.U32(h).I32(f.Height).I32(f.Width).I32(f.Escapement).I32(f.Orientation).I32(f.Weight);
            w.U8(f.Italic).U8(f.Underline).U8(f.StrikeOut).U8(f.CharSet).U8(0).U8(0).U8(0).U8(f.PitchAndFamily);
            const QString face = f.FaceName.left(31);
            for (int i = 0; i < 32; ++i)
                w.U16(i < face.size() ? face[i].unicode() : 0);
            Add(w);
            Replace(FontHandle, h);
            Font = st.Font;
        }
        const std::uint32_t tc = std::uint32_t(ColorToRGB(st.TextColor));
        if (tc != TextColor) {
            TextColor = tc;
            AddSimple(EMR_SETTEXTCOLOR, tc);
        }
        if (st.TextAlign != TextAlign) {
            TextAlign = st.TextAlign;
            AddSimple(EMR_SETTEXTALIGN, TextAlign);
        }
    }
};

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, const TDeviceCaps* reference)
    : FImpl(std::make_unique<Impl>()), FMetafile(&metafile)
{
    const int screen = ScreenPixelsPerInch();
    FCaps = reference ? *reference : TDeviceCaps{screen, screen};
    if (FCaps.DpiX <= 0)
        FCaps.DpiX = screen;
    if (FCaps.DpiY <= 0)
        FCaps.DpiY = FCaps.DpiX;
    // The page is as big as the metafile was made; without a size, as big as the reference says.
    if (metafile.FWidth > 0)
        FCaps.Width = MulDiv(metafile.FWidth, FCaps.DpiX, screen);
    if (metafile.FHeight > 0)
        FCaps.Height = MulDiv(metafile.FHeight, FCaps.DpiY, screen);
    if (FCaps.Width <= 0)
        FCaps.Width = FCaps.DpiX * 20;
    if (FCaps.Height <= 0)
        FCaps.Height = FCaps.DpiY * 15;
    Font()->SetPixelsPerInch(FCaps.DpiY);
    Font()->SetSize(8);
}

TMetafileCanvas::~TMetafileCanvas()
{
    try {
        Finish();
    } catch (...) {
        // A destructor never throws; the metafile keeps what it had.
    }
}

void TMetafileCanvas::Finish()
{
    Impl& m = *FImpl;
    if (m.Finished)
        return;
    m.Finished = true;
    // Leave the device as we found it: stock objects selected, ours deleted.
    if (!(m.PenHandle & kStockObject))
        m.Replace(m.PenHandle, kStockObject | BLACK_PEN);
    if (!(m.BrushHandle & kStockObject))
        m.Replace(m.BrushHandle, kStockObject | WHITE_BRUSH);
    if (!(m.FontHandle & kStockObject))
        m.Replace(m.FontHandle, kStockObject | SYSTEM_FONT);

    TRecordWriter eof(EMR_EOF);
    eof.U32(0).U32(16).U32(20);
    m.Add(eof);

    // The reference device is given as a size that is a whole number of millimetres at its
    // resolution (20 x 15 inches), so readers convert between units without rounding.
    const TSize device{FCaps.DpiX * 20, FCaps.DpiY * 15};
    const TSize millimeters{508, 381};
    const int screen = ScreenPixelsPerInch();
    int mmW, mmH;
    if (FMetafile->FWidth > 0 && FMetafile->FHeight > 0) {
        mmW = int(std::lround(FMetafile->FWidth * 2540.0 / screen));
        mmH = int(std::lround(FMetafile->FHeight * 2540.0 / screen));
    } else if (FMetafile->FMMWidth > 0 && FMetafile->FMMHeight > 0) {
        mmW = FMetafile->FMMWidth;
        mmH = FMetafile->FMMHeight;
    } else {
        const TRect b = m.Bounds.value_or(TRect{0, 0, 1, 1});
        mmW = int(std::lround(std::max(1, b.Right) * 2540.0 / FCaps.DpiX));
        mmH = int(std::lround(std::max(1, b.Bottom) * 2540.0 / FCaps.DpiY));
    }
    const QString description = QStringLiteral("Tessiv") + QChar(0) + QStringLiteral("Page") + QChar(0) + QChar(0);
    TRecordWriter h(EMR_HEADER);
    const TRect b = m.Bounds.value_or(TRect{0, 0, 0, 0});
    if (m.Bounds)
        h.I32(b.Left).I32(b.Top).I32(OffsetClamped(b.Right, -1)).I32(OffsetClamped(b.Bottom, -1));
    else
        h.I32(0).I32(0).I32(-1).I32(-1); // nothing drawn: an empty bounds rectangle
    h.I32(0).I32(0).I32(mmW).I32(mmH);
    h.U32(kEmfSignature).U32(0x10000);
    const qsizetype bytesAt = h.Size();
    h.U32(0).U32(0); // nBytes, nRecords: patched below
    h.U16(std::uint16_t(m.Used.size())).U16(0);
    h.U32(std::uint32_t(description.size())).U32(108);
    h.U32(0); // palette entries
    h.I32(device.cx).I32(device.cy).I32(millimeters.cx).I32(millimeters.cy);
    h.U32(0).U32(0).U32(0);                // pixel format, OpenGL
    h.I32(millimeters.cx * 1000).I32(millimeters.cy * 1000); // micrometres
    for (QChar c : description)
        h.U16(c.unicode());
    h.Pad();
    const qsizetype headerSize = h.Size();
    h.PatchU32(bytesAt, std::uint32_t(headerSize + m.Records.size()));
    h.PatchU32(bytesAt + 4, std::uint32_t(m.Count + 1));
    QByteArray bytes = h.Bytes();
    bytes.append(m.Records);
    FRecordCount = m.Count + 1;
    m.Records.clear();
    FMetafile->TakeRecording(std::move(bytes));
}

// ---- primitives ---------------------------------------------------------------------------------

namespace {
void PutPoints(TRecordWriter& w, const QPolygon& points)
{
    const QRect b = points.boundingRect();
    w.I32(b.left()).I32(b.top()).I32(b.right()).I32(b.bottom());
    w.U32(std::uint32_t(points.size()));
    for (const QPoint& p : points)
        w.I32(p.x()).I32(p.y());
}
TRect PointsBounds(const QPolygon& points, int penWidth)
{
    const QRect b = points.boundingRect();
    const int grow = penWidth / 2;
    return {OffsetClamped(b.left(), -grow), OffsetClamped(b.top(), -grow), OffsetClamped(b.right(), 1 + grow),
            OffsetClamped(b.bottom(), 1 + grow)};
}
} // namespace

void TMetafileCanvas::DevPolyline(const QPolygon& points, const TDcState& st)
{
    Impl& m = *FImpl;
    if (m.Finished || st.PenStyle == psClear)
        return;
    m.SelectPen(st);
    m.Background(st);
    TRecordWriter w(EMR_POLYLINE);
    PutPoints(w, points);
    m.Add(w);
    m.Touch(PointsBounds(points, st.PenWidth));
}

void TMetafileCanvas::DevPolygon(const QPolygon& points, const TDcState& st)
{
    Impl& m = *FImpl;
    if (!m.BeginShape(st))
        return;
    TRecordWriter w(EMR_POLYGON);
    PutPoints(w, points);
    m.Add(w);
    m.Touch(PointsBounds(points, st.PenWidth));
}

void TMetafileCanvas::DevPolyPolygon(const std::vector<QPolygon>& polygons, const TDcState& st)
{
    Impl& m = *FImpl;
    if (!m.BeginShape(st))
        return;
    TRecordWriter w(EMR_POLYPOLYGON);
    QRect all;
    std::uint32_t total = 0;
    for (const QPolygon& p : polygons) {
        all |= p.boundingRect();
        total += std::uint32_t(p.size());
    }
    w.I32(all.left()).I32(all.top()).I32(all.right()).I32(all.bottom());
    w.U32(std::uint32_t(polygons.size())).U32(total);
    for (const QPolygon& p : polygons)
        w.U32(std::uint32_t(p.size()));
    for (const QPolygon& p : polygons)
        for (const QPoint& pt : p)
            w.I32(pt.x()).I32(pt.y());
    m.Add(w);
    m.Touch({all.left(), all.top(), OffsetClamped(all.right(), 1), OffsetClamped(all.bottom(), 1)});
}

namespace {
void PutBox(TRecordWriter& w, const TRect& r)
{
    w.I32(r.Left).I32(r.Top).I32(r.Right).I32(r.Bottom);
}
} // namespace

void TMetafileCanvas::DevRectangle(const TRect& r, const TDcState& st)
{
    Impl& m = *FImpl;
    if (!m.BeginShape(st))
        return;
    TRecordWriter w(EMR_RECTANGLE);
    PutBox(w, r);
    m.Add(w);
    m.Touch(r);
}

void TMetafileCanvas::DevEllipse(const TRect& r, const TDcState& st)
{
    Impl& m = *FImpl;
    if (!m.BeginShape(st))
        return;
    TRecordWriter w(EMR_ELLIPSE);
    PutBox(w, r);
    m.Add(w);
    m.Touch(r);
}

void TMetafileCanvas::DevRoundRect(const TRect& r, int ew, int eh, const TDcState& st)
{
    Impl& m = *FImpl;
    if (!m.BeginShape(st))
        return;
    TRecordWriter w(EMR_ROUNDRECT);
    PutBox(w, r);
    w.I32(ew).I32(eh);
    m.Add(w);
    m.Touch(r);
}

void TMetafileCanvas::DevArc(TArcKind kind, const TRect& r, QPoint start, QPoint end, const TDcState& st)
{
    Impl& m = *FImpl;
    if (kind == TArcKind::Arc) {
        if (m.Finished || st.PenStyle == psClear)
            return;
        m.SelectPen(st);
        m.Background(st);
    } else if (!m.BeginShape(st)) {
        return;
    }
    if (st.ArcDirection != m.ArcDirection) {
        m.ArcDirection = st.ArcDirection;
        m.AddSimple(EMR_SETARCDIRECTION, std::uint32_t(st.ArcDirection));
    }
    TRecordWriter w(kind == TArcKind::Arc ? EMR_ARC : kind == TArcKind::Chord ? EMR_CHORD : EMR_PIE);
    PutBox(w, r);
    w.I32(start.x()).I32(start.y()).I32(end.x()).I32(end.y());
    m.Add(w);
    const int grow = st.PenWidth / 2;
    m.Touch({OffsetClamped(r.Left, -grow), OffsetClamped(r.Top, -grow), OffsetClamped(r.Right, grow), OffsetClamped(r.Bottom, grow)});
}

void TMetafileCanvas::DevFillRect(const TRect& r, const TDcState& st)
{
    Impl& m = *FImpl;
    if (m.Finished || st.BrushStyle == bsClear)
        return;
    // A rectangle without a pen covers one pixel less at the right and bottom, so the box is
    // recorded one pixel larger to fill exactly r.
    m.NullPen();
    m.SelectBrush(st);
    m.Background(st);
    TRecordWriter w(EMR_RECTANGLE);
    PutBox(w, {r.Left, r.Top, OffsetClamped(r.Right, 1), OffsetClamped(r.Bottom, 1)});
    m.Add(w);
    m.Touch(r);
}

void TMetafileCanvas::DevTextOut(int x, int y, unsigned options, const TRect* rect, const QString& text,
                                 const std::vector<int>& dx, const TDcState& st)
{
    Impl& m = *FImpl;
    if (m.Finished)
        return;
    m.SelectFont(st);
    m.Background(st);
    // Bounds of the text box (for an unrotated text; rotated texts take a square around it).
    const TTextMetric tm = TTextMetricsService::Current().Metrics(st.Font);
    // In wide arithmetic: advances and positions from a file can add up past the int range.
    qint64 width = 0;
    for (int a : dx)
        width += a;
    auto fit = [](qint64 v) { return int(std::clamp<qint64>(v, INT_MIN, INT_MAX)); };
    TRect box;
    if (st.Font.Escapement % 3600 == 0) {
        qint64 left = x;
        if ((st.TextAlign & TA_CENTER) == TA_RIGHT)
            left = x - width;
        else if ((st.TextAlign & TA_CENTER) == TA_CENTER)
            left = x - width / 2;
        qint64 top = y;
        if ((st.TextAlign & TA_BASELINE) == TA_BASELINE)
            top = qint64(y) - tm.Ascent;
        else if (st.TextAlign & TA_BOTTOM)
            top = qint64(y) - tm.Height;
        box = {fit(left), fit(top), fit(left + width), fit(top + tm.Height)};
    } else {
        const qint64 reach = std::llabs(width) + tm.Height;
        box = {fit(x - reach), fit(y - reach), fit(x + reach), fit(y + reach)};
    }
    if (rect && (options & ETO_CLIPPED))
        box = IntersectRect(box, *rect);
    if (rect && (options & ETO_OPAQUE))
        box = UnionRect(box, *rect);

    TRecordWriter w(EMR_EXTTEXTOUTW);
    PutBox(w, {box.Left, box.Top, OffsetClamped(box.Right, -1), OffsetClamped(box.Bottom, -1)});
    w.U32(1); // GM_COMPATIBLE
    w.F32(float(2540.0 / FCaps.DpiX)).F32(float(2540.0 / FCaps.DpiY));
    const std::uint32_t nChars = std::uint32_t(text.size());
    const std::uint32_t offString = 76;
    const std::uint32_t offDx = offString + ((nChars * 2 + 3) & ~3u);
    w.I32(x).I32(y).U32(nChars).U32(offString).U32(options);
    if (rect)
        PutBox(w, *rect);
    else
        w.I32(0).I32(0).I32(-1).I32(-1);
    w.U32(offDx);
    for (QChar c : text)
        w.U16(c.unicode());
    w.Pad();
    for (std::uint32_t i = 0; i < nChars; ++i)
        w.I32(i < dx.size() ? dx[i] : 0);
    m.Add(w);
    m.Touch(box);
}

void TMetafileCanvas::DevStretchDIBits(const TRect& dest, const TRect& source, const QImage& image,
                                       const TDcState& st)
{
    Impl& m = *FImpl;
    if (m.Finished)
        return;
    if (st.StretchMode != m.StretchMode) {
        m.StretchMode = st.StretchMode;
        m.AddSimple(EMR_SETSTRETCHBLTMODE, std::uint32_t(st.StretchMode));
    }
    // Only the source part inside the bitmap is stored, flipped as asked, on its share of the
    // destination, so the record is a plain full copy.
    detail::TStretchPart clipped;
    if (!detail::ClipStretch(dest.Left, dest.Top, double(qint64(dest.Right) - dest.Left),
                             double(qint64(dest.Bottom) - dest.Top), source.Left, source.Top,
                             qint64(source.Right) - source.Left, qint64(source.Bottom) - source.Top, image.size(),
                             clipped))
        return;
    const bool flipX = clipped.DestW < 0, flipY = clipped.DestH < 0;
    QImage part = clipped.Source == image.rect() ? image : image.copy(clipped.Source);
    if (flipX || flipY)
        part = part.mirrored(flipX, flipY);
    const QRectF to = QRectF(clipped.DestX, clipped.DestY, clipped.DestW, clipped.DestH).normalized();
    auto edge = [](double v) { return int(std::clamp(std::round(v), double(INT_MIN), double(INT_MAX))); };
    const TRect n{edge(to.left()), edge(to.top()), edge(to.right()), edge(to.bottom())};
    if (n.IsEmpty())
        return;
    // Transparent pixels are laid on white, as a page is.
    if (part.hasAlphaChannel()) {
        QImage flat(part.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, part);
        p.end();
        part = flat;
    }
    QByteArray info, bits;
    EncodeDib(part, 24, info, bits, FCaps.DpiX, FCaps.DpiY);
    TRecordWriter w(EMR_STRETCHDIBITS);
    PutBox(w, {n.Left, n.Top, OffsetClamped(n.Right, -1), OffsetClamped(n.Bottom, -1)});
    w.I32(n.Left).I32(n.Top).I32(0).I32(0).I32(part.width()).I32(part.height());
    const std::uint32_t offBmi = 80;
    w.U32(offBmi).U32(std::uint32_t(info.size())).U32(offBmi + std::uint32_t(info.size())).U32(std::uint32_t(bits.size()));
    w.U32(0).U32(SRCCOPY).I32(n.Width()).I32(n.Height());
    w.Raw(info).Raw(bits);
    m.Add(w);
    m.Touch(n);
}

void TMetafileCanvas::DevClipChanged(const TDcState& st)
{
    Impl& m = *FImpl;
    if (m.Finished)
        return;
    TRecordWriter w(EMR_EXTSELECTCLIPRGN);
    if (!st.Clip) {
        w.U32(0).U32(RGN_COPY);
        m.Add(w);
        return;
    }
    const QRegion& region = *st.Clip;
    const std::uint32_t count = std::uint32_t(region.rectCount());
    w.U32(32 + 16 * count).U32(RGN_COPY);
    const QRect b = region.boundingRect();
    w.U32(32).U32(1).U32(count).U32(16 * count);
    if (count == 0)
        w.I32(0).I32(0).I32(0).I32(0);
    else
        w.I32(b.left()).I32(b.top()).I32(OffsetClamped(b.right(), 1)).I32(OffsetClamped(b.bottom(), 1));
    for (const QRect& r : region)
        w.I32(r.left()).I32(r.top()).I32(OffsetClamped(r.right(), 1)).I32(OffsetClamped(r.bottom(), 1));
    m.Add(w);
}

} // namespace tessiv
