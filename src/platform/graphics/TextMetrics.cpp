#include "platform/graphics/TextMetrics.h"

#include "platform/core/Exceptions.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QtEndian>

#include <fontconfig/fontconfig.h>

#include <climits>
#include <cmath>
#include <functional>
#include <mutex>
#include <unordered_map>

namespace tessiv {

namespace {

// Calls f(index of the first UTF-16 unit, code point) for each code point.
template <class F>
void ForEachCodePoint(const QString& text, F&& f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            f(i, char32_t(QChar::surrogateToUcs4(c, text[i + 1])));
            ++i;
        } else {
            f(i, char32_t(c.unicode()));
        }
    }
}

std::mutex& ServiceMutex()
{
    static std::mutex m;
    return m;
}

std::shared_ptr<TTextMetricsService>& CurrentService()
{
    static std::shared_ptr<TTextMetricsService> current;
    return current;
}

// What tells realised fonts apart: compared field by field, so a lookup builds no string.
struct TFontKey {
    QString FaceName;
    int Height = 0;
    bool Bold = false;
    bool Italic = false;
    int Width = 0;
    friend bool operator==(const TFontKey&, const TFontKey&) = default;
};

size_t qHash(const TFontKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.FaceName, k.Height, k.Bold, k.Italic, k.Width);
}

TFontKey FontKey(const TLogFont& f)
{
    return {f.FaceName, f.Height, f.Weight >= 600, f.Italic, f.Width};
}

struct TRealizedFont {
    QRawFont Raw;
    TTextMetric Metric;
    std::unordered_map<char32_t, std::pair<quint32, int>> Glyphs; // glyph index, whole-pixel advance
    // Outlines of the glyphs drawn as paths: made once, not on every paint.
    std::unordered_map<quint32, QPainterPath> Outlines;
};

std::mutex& FontMutex()
{
    static std::mutex m;
    return m;
}

QHash<TFontKey, std::shared_ptr<TRealizedFont>>& FontCache()
{
    static QHash<TFontKey, std::shared_ptr<TRealizedFont>> cache;
    return cache;
}

int ReadU16(const QByteArray& table, int offset)
{
    if (offset + 2 > table.size())
        return 0;
    return qFromBigEndian<quint16>(table.constData() + offset);
}

int ReadS16(const QByteArray& table, int offset)
{
    if (offset + 2 > table.size())
        return 0;
    return qFromBigEndian<qint16>(table.constData() + offset);
}

// Design units of the face: em, and the Windows ascent and descent GDI's cell is made of.
struct TFaceUnits {
    int Em = 2048;
    int WinAscent = 0;
    int WinDescent = 0;
    int LineGap = 0; // beyond the Windows cell, from the horizontal header
};

TFaceUnits FaceUnits(const QRawFont& raw)
{
    TFaceUnits u;
    const QByteArray head = raw.fontTable("head");
    if (int em = ReadU16(head, 18); em > 0)
        u.Em = em;
    const QByteArray os2 = raw.fontTable("OS/2");
    u.WinAscent = ReadU16(os2, 74);
    u.WinDescent = ReadU16(os2, 76);
    const QByteArray hhea = raw.fontTable("hhea");
    const int hAsc = ReadS16(hhea, 4), hDesc = ReadS16(hhea, 6), hGap = ReadS16(hhea, 8);
    if (u.WinAscent == 0 && u.WinDescent == 0) {
        u.WinAscent = hAsc > 0 ? hAsc : int(u.Em * 0.9);
        u.WinDescent = hDesc < 0 ? -hDesc : int(u.Em * 0.2);
    }
    u.LineGap = std::max(0, (hAsc - hDesc + hGap) - (u.WinAscent + u.WinDescent));
    return u;
}

int EmHeight(const TLogFont& lf, const TFaceUnits* units)
{
    if (lf.Height < 0)
        return lf.Height == INT_MIN ? INT_MAX : -lf.Height;
    if (lf.Height == 0)
        return 13;
    if (!units)
        return lf.Height;
    // A positive height is the whole cell; the em is the part of it the face's design gives.
    const int cell = units->WinAscent + units->WinDescent;
    return std::max(1, int(std::lround(double(lf.Height) * units->Em / (cell > 0 ? cell : units->Em))));
}

QFont BaseQFont(const TLogFont& lf, int pixelSize)
{
    QFont f(ResolveFontFamily(lf.FaceName));
    f.setPixelSize(std::max(1, pixelSize));
    f.setWeight(lf.Weight >= 600 ? QFont::Bold : QFont::Normal);
    f.setItalic(lf.Italic);
    f.setUnderline(lf.Underline);
    f.setStrikeOut(lf.StrikeOut);
    f.setKerning(false);
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
}

std::shared_ptr<TRealizedFont> Realize(const TLogFont& lf)
{
    // Qt's font database exists only with the GUI application object; without it Qt aborts.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw EInvalidOperation(QStringLiteral("Text is measured only while a QGuiApplication exists"));
    const TFontKey key = FontKey(lf);
    std::lock_guard lock(FontMutex());
    auto& cache = FontCache();
    if (auto it = cache.find(key); it != cache.end())
        return *it;
    auto rf = std::make_shared<TRealizedFont>();
    // Units first (from the face at any size), then the face at the pixel size GDI would pick.
    QRawFont probe = QRawFont::fromFont(BaseQFont(lf, 64));
    const TFaceUnits units = FaceUnits(probe);
    const int em = EmHeight(lf, &units);
    rf->Raw = QRawFont::fromFont(BaseQFont(lf, em));
    TTextMetric& m = rf->Metric;
    m.Ascent = int(std::lround(double(units.WinAscent) * em / units.Em));
    m.Descent = int(std::lround(double(units.WinDescent) * em / units.Em));
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = std::max(0, m.Height - em);
    m.ExternalLeading = int(std::lround(double(units.LineGap) * em / units.Em));
    m.MaxCharWidth = int(std::ceil(rf->Raw.maxCharWidth()));
    if (cache.size() > 512)
        cache.clear();
    cache.insert(key, rf);
    return rf;
}

std::pair<quint32, int> GlyphOf(TRealizedFont& rf, char32_t cp)
{
    if (auto it = rf.Glyphs.find(cp); it != rf.Glyphs.end())
        return it->second;
    QChar buf[2];
    int n = 0;
    if (QChar::requiresSurrogates(cp)) {
        buf[0] = QChar(QChar::highSurrogate(cp));
        buf[1] = QChar(QChar::lowSurrogate(cp));
        n = 2;
    } else {
        buf[0] = QChar(char16_t(cp));
        n = 1;
    }
    quint32 glyph = 0;
    int numGlyphs = 1;
    rf.Raw.glyphIndexesForChars(buf, n, &glyph, &numGlyphs);
    QPointF advance;
    rf.Raw.advancesForGlyphIndexes(&glyph, &advance, 1);
    const std::pair<quint32, int> result{glyph, int(std::lround(advance.x()))};
    rf.Glyphs.emplace(cp, result);
    return result;
}

} // namespace

// ---- service ------------------------------------------------------------------------------------

TSize TTextMetricsService::TextExtent(const TLogFont& font, const QString& text)
{
    int w = 0;
    for (int a : Advances(font, text))
        w += a;
    return {w, Metrics(font).Height};
}

TTextMetricsService& TTextMetricsService::Current()
{
    std::lock_guard lock(ServiceMutex());
    auto& current = CurrentService();
    if (!current)
        current = std::make_shared<TFontTextMetrics>();
    return *current;
}

void TTextMetricsService::SetCurrent(std::shared_ptr<TTextMetricsService> service)
{
    std::lock_guard lock(ServiceMutex());
    CurrentService() = std::move(service);
}

TTextMetricsGuard::TTextMetricsGuard(std::shared_ptr<TTextMetricsService> service)
{
    TTextMetricsService::SetCurrent(std::move(service));
}

TTextMetricsGuard::~TTextMetricsGuard()
{
    TTextMetricsService::SetCurrent(nullptr);
}

TTextMetric TFontTextMetrics::Metrics(const TLogFont& font)
{
    auto rf = Realize(font);
    std::lock_guard lock(FontMutex());
    if (rf->Metric.AveCharWidth == 0)
        rf->Metric.AveCharWidth = std::max(1, GlyphOf(*rf, U'x').second);
    return rf->Metric;
}

std::vector<int> TFontTextMetrics::Advances(const TLogFont& font, const QString& text)
{
    auto rf = Realize(font);
    std::vector<int> result(text.size(), 0);
    std::lock_guard lock(FontMutex());
    ForEachCodePoint(text, [&](qsizetype index, char32_t cp) { result[index] = GlyphOf(*rf, cp).second; });
    return result;
}

namespace {
int FakeEm(const TLogFont& font)
{
    if (font.Height < 0)
        return -font.Height;
    if (font.Height == 0)
        return 13;
    return std::max(1, int(std::lround((font.Height - 1) / 1.1)));
}
} // namespace

TTextMetric TFakeTextMetrics::Metrics(const TLogFont& font)
{
    const int em = FakeEm(font);
    TTextMetric m;
    m.Ascent = int(std::lround(em * 0.9));
    m.Descent = int(std::lround(em * 0.2)) + 1;
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = std::max(0, m.Height - em);
    m.ExternalLeading = 0;
    m.AveCharWidth = int(std::lround(em * FWidthRatio));
    m.MaxCharWidth = m.AveCharWidth;
    return m;
}

std::vector<int> TFakeTextMetrics::Advances(const TLogFont& font, const QString& text)
{
    const int w = int(std::lround(FakeEm(font) * FWidthRatio));
    std::vector<int> result(text.size(), w);
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate())
            result[++i] = 0;
    return result;
}

// ---- fonts --------------------------------------------------------------------------------------

namespace {

// The pattern fontconfig matches a face name with, its configured substitutions applied (the
// caller destroys it); the default pattern for an empty name.
FcPattern* SubstitutedPattern(const QString& faceName)
{
    FcPattern* pattern = FcPatternCreate();
    if (!faceName.trimmed().isEmpty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName.trimmed().toUtf8().constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

// The family of the installed font fontconfig matches the pattern with, or "".
QString MatchedFamily(FcPattern* pattern)
{
    QString family;
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
        FcPatternDestroy(match);
    }
    return family;
}

// What fontconfig answered for a face name, asked once per name (trimmed, without case).
QString CachedAnswer(QHash<QString, QString>& cache, const QString& faceName,
                     const std::function<QString(const QString& name)>& ask)
{
    static std::mutex m;
    std::lock_guard lock(m);
    const QString key = faceName.trimmed().toLower();
    if (auto it = cache.find(key); it != cache.end())
        return *it;
    const QString answer = ask(faceName.trimmed());
    cache.insert(key, answer);
    return answer;
}

} // namespace

QString ResolveFontFamily(const QString& faceName)
{
    static QHash<QString, QString> cache;
    return CachedAnswer(cache, faceName, [](const QString& name) {
        QString family = QStringLiteral("Liberation Sans");
        if (FcInit()) {
            FcPattern* pattern = SubstitutedPattern(name);
            if (const QString matched = MatchedFamily(pattern); !matched.isEmpty())
                family = matched;
            FcPatternDestroy(pattern);
        }
        return family;
    });
}

QString MetricCompatibleFamily(const QString& faceName)
{
    static QHash<QString, QString> cache;
    return CachedAnswer(cache, faceName, [](const QString& name) {
        QString family;
        if (name.isEmpty() || !FcInit())
            return family;
        FcPattern* pattern = SubstitutedPattern(name);
        const QString matched = MatchedFamily(pattern);
        // Fontconfig binds the metric aliases of a name as strongly as the name itself; the generic
        // fallbacks any unknown name gets come weakly bound, after them.
        if (!matched.isEmpty() && matched.compare(name, Qt::CaseInsensitive) != 0) {
            FcValue value;
            FcValueBinding binding = FcValueBindingWeak;
            for (int i = 1; family.isEmpty() &&
                            FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch;
                 ++i)
                if (value.type == FcTypeString && binding != FcValueBindingWeak &&
                    matched.compare(QString::fromUtf8(reinterpret_cast<const char*>(value.u.s)), Qt::CaseInsensitive) == 0)
                    family = matched;
        }
        FcPatternDestroy(pattern);
        return family;
    });
}

int FontPixelSize(const TLogFont& font)
{
    if (font.Height <= 0)
        return EmHeight(font, nullptr);
    QRawFont probe = QRawFont::fromFont(BaseQFont(font, 64));
    const TFaceUnits units = FaceUnits(probe);
    return EmHeight(font, &units);
}

QFont MakeQFont(const TLogFont& font)
{
    return BaseQFont(font, FontPixelSize(font));
}

QRawFont RawFontFor(const TLogFont& font)
{
    return Realize(font)->Raw;
}

QPainterPath GlyphOutlines(const TLogFont& font, const QList<quint32>& glyphs, const QList<QPointF>& positions)
{
    auto rf = Realize(font);
    QPainterPath outlines;
    std::lock_guard lock(FontMutex());
    const qsizetype n = std::min(glyphs.size(), positions.size());
    for (qsizetype i = 0; i < n; ++i) {
        auto it = rf->Outlines.find(glyphs[i]);
        if (it == rf->Outlines.end())
            it = rf->Outlines.emplace(glyphs[i], rf->Raw.pathForGlyph(glyphs[i])).first;
        outlines.addPath(it->second.translated(positions[i]));
    }
    return outlines;
}

std::vector<quint32> GlyphIndexes(const TLogFont& font, const QString& text)
{
    auto rf = Realize(font);
    std::vector<quint32> result(text.size(), UINT_MAX);
    std::lock_guard lock(FontMutex());
    ForEachCodePoint(text, [&](qsizetype index, char32_t cp) { result[index] = GlyphOf(*rf, cp).first; });
    return result;
}

} // namespace tessiv
