#pragma once
// The one place text is measured. Fonts are realised at a whole pixel height for the device they
// are used on, and every character advance is a whole pixel, as GDI does; canvases place the
// glyphs they draw at exactly these advances, so what is measured is what is drawn. Tests may
// install fake metrics with exact, machine-independent numbers.

#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/Types.h"

#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <memory>
#include <vector>

namespace tessiv {

struct TTextMetric {
    int Height = 0;          // Ascent + Descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0; // Height minus the em height
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
    friend bool operator==(const TTextMetric&, const TTextMetric&) = default;
};

class TTextMetricsService {
public:
    virtual ~TTextMetricsService() = default;
    virtual TTextMetric Metrics(const TLogFont& font) = 0;
    // One whole-pixel advance per UTF-16 unit of text (the second unit of a pair gets 0).
    virtual std::vector<int> Advances(const TLogFont& font, const QString& text) = 0;

    // Sum of the advances, and the font's height.
    TSize TextExtent(const TLogFont& font, const QString& text);

    // The service every canvas uses. SetCurrent(nullptr) puts back the real one.
    static TTextMetricsService& Current();
    static void SetCurrent(std::shared_ptr<TTextMetricsService> service);
};

// Metrics of the fonts installed on this machine (fontconfig through Qt).
class TFontTextMetrics : public TTextMetricsService {
public:
    TTextMetric Metrics(const TLogFont& font) override;
    std::vector<int> Advances(const TLogFont& font, const QString& text) override;
};

// Exact metrics for tests: with E the em height (|Height| for negative heights), every character
// is Round(E * WidthRatio) wide (a blank included), Ascent = Round(E * 0.9), Descent =
// Round(E * 0.2) + 1, the rest following from them.
class TFakeTextMetrics : public TTextMetricsService {
public:
    explicit TFakeTextMetrics(double widthRatio = 0.5) : FWidthRatio(widthRatio) {}
    TTextMetric Metrics(const TLogFont& font) override;
    std::vector<int> Advances(const TLogFont& font, const QString& text) override;

private:
    double FWidthRatio;
};

// Installs a service for the lifetime of the guard.
class TTextMetricsGuard {
public:
    explicit TTextMetricsGuard(std::shared_ptr<TTextMetricsService> service);
    ~TTextMetricsGuard();
    TTextMetricsGuard(const TTextMetricsGuard&) = delete;
    TTextMetricsGuard& operator=(const TTextMetricsGuard&) = delete;
};

// ---- font resolution ----------------------------------------------------------------------------

// The installed family fontconfig chooses for a face name ("Arial" -> "Liberation Sans"; a face
// the machine lacks -> its nearest match). Never fails; cached.
QString ResolveFontFamily(const QString& faceName);
// The installed family fontconfig puts in for a face name the machine does not have when it holds
// it for metric-compatible (bound as strongly as the name: "Arial" -> "Liberation Sans"); "" for an
// installed name and for one that only a generic fallback stands in for. Cached.
QString MetricCompatibleFamily(const QString& faceName);
// The Qt font for a logical font: the resolved family at the whole pixel size GDI would pick
// (em height |Height| for negative heights; a cell of Height pixels for positive ones).
QFont MakeQFont(const TLogFont& font);
// The em height in pixels the logical font is realised at.
int FontPixelSize(const TLogFont& font);
// The raw font for drawing glyphs at exact positions; cached.
QRawFont RawFontFor(const TLogFont& font);
// The outlines of the glyphs of RawFontFor(font), each at its position, as one path; each glyph's
// outline is made once per font and kept.
QPainterPath GlyphOutlines(const TLogFont& font, const QList<quint32>& glyphs, const QList<QPointF>& positions);
// Glyph of each UTF-16 unit in RawFontFor(font) (the second unit of a pair gets none, UINT_MAX).
std::vector<quint32> GlyphIndexes(const TLogFont& font, const QString& text);

} // namespace tessiv
