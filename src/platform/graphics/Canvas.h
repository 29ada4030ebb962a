#pragma once
// The drawing surface, with GDI's rules: integer logical coordinates mapped to device pixels by
// the mapping mode; shapes exclude their right and bottom edges; a line leaves out its end pixel;
// text is placed by its alignment flags at whole-pixel advances. Two kinds of canvas exist: one
// that paints through QPainter (an image, a widget, a printer) and one that records an enhanced
// metafile (MetafileCanvas.h).

#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/TextMetrics.h"
#include "platform/graphics/Types.h"

#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;

namespace tessiv {

class TGraphic;

namespace detail {
// A bitmap's source rectangle stretched onto a destination, the source cut to the bitmap first:
// only pixels the bitmap has are ever copied, and the destination shrinks with the source so the
// picture keeps its place and scale. A negative extent mirrors that axis (a mirrored source is
// given as a mirrored destination).
struct TStretchPart {
    double DestX = 0, DestY = 0, DestW = 0, DestH = 0;
    QRect Source; // inside the bitmap, positive extents
};
// False when no pixel of the source lies in a bitmap of the given size.
bool ClipStretch(double destX, double destY, double destW, double destH, qint64 srcX, qint64 srcY, qint64 srcW,
                 qint64 srcH, QSize bitmap, TStretchPart& out);
} // namespace detail

// Text alignment (SetTextAlign).
constexpr unsigned TA_NOUPDATECP = 0;
constexpr unsigned TA_UPDATECP = 1;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;
// ExtTextOut options.
constexpr unsigned ETO_OPAQUE = 2;
constexpr unsigned ETO_CLIPPED = 4;
// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;
// Arc directions (SetArcDirection).
constexpr int AD_COUNTERCLOCKWISE = 1;
constexpr int AD_CLOCKWISE = 2;
// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
// Device capabilities.
constexpr int HORZSIZE = 4;    // millimetres
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;     // pixels
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int NUMCOLORS = 24;  // -1 for more than 8 bits per pixel
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

// What a device reports about itself.
struct TDeviceCaps {
    int DpiX = 96;
    int DpiY = 96;
    int Width = 0;          // pixels
    int Height = 0;
    int BitsPerPixel = 32;
    int PhysicalWidth = 0;  // pixels; 0 = Width
    int PhysicalHeight = 0;
    int OffsetX = 0;        // printable area's offset on the physical page, pixels
    int OffsetY = 0;
};

// GetDeviceCaps over a device's description (LOGPIXELSX, HORZRES, PHYSICALWIDTH ...).
int DeviceCapsValue(const TDeviceCaps& caps, int index);

// Everything selected into a device context, in device units.
struct TDcState {
    // pen
    TColor PenColor = clBlack;
    TPenStyle PenStyle = psSolid;
    int PenWidth = 1;       // device pixels; at least 1
    int Rop2 = 13;          // R2_COPYPEN
    // brush
    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = bsSolid;
    // font
    TLogFont Font;
    TColor TextColor = clBlack;
    // background and text
    TColor BkColor = clWhite;
    int BkMode = OPAQUE;
    unsigned TextAlign = TA_LEFT | TA_TOP;
    int StretchMode = BLACKONWHITE;
    int ArcDirection = AD_COUNTERCLOCKWISE;
    // clipping (device); none = the whole device
    std::optional<QRegion> Clip;
};

class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // ---- tools ----
    TFont* Font() const { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetFont(const TFont* font) { FFont->Assign(font); }
    void SetPen(const TPen* pen) { FPen->Assign(pen); }
    void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint p) { FPenPos = p; }

    // ---- lines and shapes (logical coordinates) ----
    void MoveTo(int x, int y);
    // Draws from the pen position to (x, y), leaving out the end pixel; the pen moves there.
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    // Several closed figures filled together (alternate rule: where they overlap an even number
    // of times, a hole).
    void PolyPolygon(const std::vector<std::vector<TPoint>>& polygons);
    // Outline with the pen, inside with the brush; covers Left..Right-1, Top..Bottom-1.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    // Part of the ellipse Ellipse would draw in the box, from where the ray from its centre
    // through (x3, y3) meets it to where the ray through (x4, y4) meets it, in the arc direction
    // as seen on the device; both rays the same: the whole ellipse. Arc draws the curve with the
    // pen; Chord closes it with a straight line and Pie with two radii, both filled with the brush.
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // A line from the pen position to the arc's start, then the arc; the pen ends at its end.
    void ArcTo(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // A line from the pen position to the circle around (x, y) at startAngle (degrees,
    // counter-clockwise from the x axis), then the arc over sweepAngle (counter-clockwise when
    // positive, whatever the arc direction); the pen ends at the arc's end.
    void AngleArc(int x, int y, unsigned radius, float startAngle, float sweepAngle);
    int ArcDirection() const { return FArcDirection; }
    int SetArcDirection(int direction); // AD_COUNTERCLOCKWISE or AD_CLOCKWISE; returns the previous
    // With the brush only, right and bottom edges excluded.
    void FillRect(const TRect& r);
    // Several rectangles as FillRect fills each, filled as one shape with the brush set once
    // (a barcode's bars: one fill on paper rather than one per bar).
    void FillRects(const std::vector<TRect>& rects);
    // A border one logical unit wide, painted with the brush.
    void FrameRect(const TRect& r);

    // ---- text ----
    // At (x, y) by the text alignment; the background is filled when the mode is OPAQUE.
    void TextOut(int x, int y, const QString& text);
    // Clipped to r; the rectangle is filled with the brush unless the brush is clear.
    void TextRect(const TRect& r, int x, int y, const QString& text);
    // GDI's ExtTextOut: options ETO_OPAQUE (fill rect with the background colour) and ETO_CLIPPED
    // (clip to rect); dx, when given, holds one logical advance per character.
    void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const QString& text,
                    const std::vector<int>* dx = nullptr);
    int TextWidth(const QString& text);
    int TextHeight(const QString& text);
    TSize TextExtent(const QString& text);
    TTextMetric GetTextMetrics();
    // Advances of each character in logical units, as TextOut places them.
    std::vector<int> CharAdvances(const QString& text);

    unsigned TextAlign() const { return FTextAlign; }
    unsigned SetTextAlign(unsigned align); // returns the previous flags
    int BkMode() const { return FBkMode; }
    int SetBkMode(int mode);
    TColor BkColor() const { return FBkColor; }
    TColor SetBkColor(TColor color);
    int StretchBltMode() const { return FStretchMode; }
    int SetStretchBltMode(int mode);

    // ---- pictures ----
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // A device-independent bitmap, source rectangle stretched into the destination.
    void StretchDIBits(const TRect& dest, const TRect& source, const QImage& image);

    // ---- clipping ----
    // The clipping box in logical units (the device's extent when nothing clips).
    TRect ClipRect() const;
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    // A device-unit region, or nullptr to remove the clipping.
    void SelectClipRgn(const QRegion* region);
    bool HasClip() const { return FClip.has_value(); }
    // The clipping region in device units; none when nothing clips.
    const std::optional<QRegion>& ClipRegion() const { return FClip; }

    // ---- coordinates ----
    int MapMode() const { return FMapMode; }
    int SetMapMode(int mode);
    TPoint WindowOrg() const { return FWindowOrg; }
    TPoint SetWindowOrg(int x, int y);
    TSize WindowExt() const { return FWindowExt; }
    TSize SetWindowExt(int cx, int cy); // ignored in MM_TEXT, as GDI ignores it
    TPoint ViewportOrg() const { return FViewportOrg; }
    TPoint SetViewportOrg(int x, int y);
    TSize ViewportExt() const { return FViewportExt; }
    TSize SetViewportExt(int cx, int cy);
    TPoint LPtoDP(TPoint p) const;
    TPoint DPtoLP(TPoint p) const;
    TRect LPtoDP(const TRect& r) const;
    TRect DPtoLP(const TRect& r) const;

    // ---- state ----
    int SaveDC();            // returns the level
    void RestoreDC(int level); // -1 = the last saved

    // ---- device ----
    int GetDeviceCaps(int index) const;
    virtual TDeviceCaps DeviceCaps() const = 0;

protected:
    // The backend's primitives, in device pixels with the state given.
    virtual void DevPolyline(const QPolygon& points, const TDcState& st) = 0;
    virtual void DevPolygon(const QPolygon& points, const TDcState& st) = 0;
    // By default figure by figure (no holes); backends that can fill them together do.
    virtual void DevPolyPolygon(const std::vector<QPolygon>& polygons, const TDcState& st)
    {
        for (const QPolygon& p : polygons)
            DevPolygon(p, st);
    }
    // Rectangles are device TRects: right and bottom exclusive.
    virtual void DevRectangle(const TRect& r, const TDcState& st) = 0;
    virtual void DevEllipse(const TRect& r, const TDcState& st) = 0;
    virtual void DevRoundRect(const TRect& r, int ew, int eh, const TDcState& st) = 0;
    virtual void DevFillRect(const TRect& r, const TDcState& st) = 0; // with the brush
    // By default one DevFillRect per rectangle; backends that can fill them as one shape do.
    virtual void DevFillRects(const std::vector<TRect>& rects, const TDcState& st)
    {
        for (const TRect& r : rects)
            DevFillRect(r, st);
    }
    // An arc, chord or pie of the ellipse in r (as DevEllipse), between the rays from its centre
    // through start and end, in st.ArcDirection. By default cut into straight segments.
    enum class TArcKind { Arc, Chord, Pie };
    virtual void DevArc(TArcKind kind, const TRect& r, QPoint start, QPoint end, const TDcState& st);
    // Reference point (x, y); advances in device pixels, one per UTF-16 unit.
    virtual void DevTextOut(int x, int y, unsigned options, const TRect* rect, const QString& text,
                            const std::vector<int>& dx, const TDcState& st) = 0;
    virtual void DevStretchDIBits(const TRect& dest, const TRect& source, const QImage& image,
                                  const TDcState& st) = 0;
    // The clip changed (state already holds it).
    virtual void DevClipChanged(const TDcState& st) {}
    // A graphic that plays itself as drawing commands (metafiles) asks for this.
    friend class TMetafile;

    // The state for the next primitive, with pen width and font height mapped to the device.
    TDcState CurrentState() const;

private:
    int ScaleX(int v) const;
    int ScaleY(int v) const;
    void UpdateTransform();
    TLogFont DeviceFont() const;
    void ArcShape(TArcKind kind, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TPoint FPenPos;
    unsigned FTextAlign = TA_LEFT | TA_TOP;
    int FBkMode = OPAQUE;
    TColor FBkColor = clWhite;
    int FStretchMode = BLACKONWHITE;
    int FArcDirection = AD_COUNTERCLOCKWISE;
    std::optional<QRegion> FClip;
    int FMapMode = MM_TEXT;
    TPoint FWindowOrg;
    TSize FWindowExt{1, 1};
    TPoint FViewportOrg;
    TSize FViewportExt{1, 1};

    struct Saved;
    std::vector<Saved> FSaved;
};

// A canvas painting through QPainter: on an image, a widget or a printer. The painter must stay
// active while the canvas is used; the canvas does not end it.
class TPainterCanvas : public TCanvas {
public:
    // caps: the device's resolution and size; Width/Height 0 take the paint device's.
    TPainterCanvas(QPainter* painter, TDeviceCaps caps);
    // An image at the given resolution (the image's dots-per-metre are not consulted).
    explicit TPainterCanvas(QPainter* painter, int dpi = 96);
    ~TPainterCanvas() override;

    TDeviceCaps DeviceCaps() const override { return FCaps; }
    QPainter* Painter() const { return FPainter; }

protected:
    void DevPolyline(const QPolygon& points, const TDcState& st) override;
    void DevPolygon(const QPolygon& points, const TDcState& st) override;
    void DevPolyPolygon(const std::vector<QPolygon>& polygons, const TDcState& st) override;
    void DevRectangle(const TRect& r, const TDcState& st) override;
    void DevEllipse(const TRect& r, const TDcState& st) override;
    void DevRoundRect(const TRect& r, int ew, int eh, const TDcState& st) override;
    void DevFillRect(const TRect& r, const TDcState& st) override;
    void DevFillRects(const std::vector<TRect>& rects, const TDcState& st) override;
    void DevArc(TArcKind kind, const TRect& r, QPoint start, QPoint end, const TDcState& st) override;
    void DevTextOut(int x, int y, unsigned options, const TRect* rect, const QString& text,
                    const std::vector<int>& dx, const TDcState& st) override;
    void DevStretchDIBits(const TRect& dest, const TRect& source, const QImage& image,
                          const TDcState& st) override;

    // Points the canvas at another painter (a bitmap that was resized); tools and state stay.
    void Rebind(QPainter* painter, TDeviceCaps caps);

private:
    void Apply(const TDcState& st, bool pen, bool brush);
    void StrokeThin(const QPolygon& points, bool closed, const TDcState& st);
    // The pixels a drawing can reach: one-pixel lines are cut to it before they are stepped, so a
    // line's cost follows the device, not the coordinates it was given.
    QRect VisibleArea() const;
    // A one-pixel pen's pixels and, when the background is opaque, the gaps of its style.
    void PaintPixels(const QVector<QPoint>& on, const QVector<QPoint>& off, const TDcState& st);
    // The outline of an ellipse, round rectangle (roundRect), arc, chord or pie drawn pixel by pixel
    // with a one-pixel styled pen, filled first for the closed shapes; false when the pen is not
    // such a pen (or the curve is too large to walk), and nothing was drawn.
    bool StyledOutline(TArcKind kind, const QRectF& ellipse, double start, double span, double ew, double eh,
                       bool roundRect, const TDcState& st);
    QPainter* FPainter;
    TDeviceCaps FCaps;
    std::optional<QRegion> FBaseClip; // what the painter clipped to when we got it
    QColor FOverride;                 // the colour black/white pen modes force
    bool FSkip = false;               // the pen mode draws nothing
};

// An image with its own painter and canvas: a convenient drawing target (tests, bitmaps).
namespace detail {
struct TOwnedPainter {
    explicit TOwnedPainter(QImage& image);
    ~TOwnedPainter();
    std::unique_ptr<QPainter> OwnPainter;
};
} // namespace detail

class TImageCanvas : private detail::TOwnedPainter, public TPainterCanvas {
public:
    explicit TImageCanvas(QImage& image, int dpi = 96);
    ~TImageCanvas() override;
};

} // namespace tessiv
