// The report's text services: rotated text output, text measuring on a device compatible with the
// screen and, for a run, at its printer object's resolution, and the font cache whose lock guards
// the building of rotated fonts.

#include "engine/run/KVPrinter.h"
#include "engine/run/KVResourceManager.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>

namespace tessiv {

const TEnumInfo& RotacaoInfo()
{
    static const TEnumInfo info{QStringLiteral("TKVRotacao"),
                                {QStringLiteral("rotacao_000"), QStringLiteral("rotacao_090"),
                                 QStringLiteral("rotacao_180"), QStringLiteral("rotacao_270")}};
    return info;
}

void TVardoRep::CreateTextServices()
{
    // A canvas without a painter only measures: text is measured at the screen's resolution
    // whether or not a run has a device.
    const int ppi = Screen().PixelsPerInch;
    FMemoryDC = std::make_unique<TPainterCanvas>(nullptr, TDeviceCaps{ppi, ppi, 1, 1});
    FFontCache = std::make_unique<TKVResourceManager>(static_cast<std::uint16_t>(sizeof(TKVFontRecord)));
    // The default font's description, held for the report's life.
    const TKVFontRecord defaultFont =
        MakeFontRecord(0, 0, fpDefault, {}, DEFAULT_CHARSET, QStringLiteral("MS Sans Serif"));
    FDefaultFont = FFontCache->Acquire(&defaultFont);
}

void TVardoRep::FreeTextServices() noexcept
{
    if (FFontCache) {
        try {
            FFontCache->Release(FDefaultFont);
        } catch (...) {
            // The cache frees what is left of the entry with itself.
        }
    }
    FDefaultFont = nullptr;
    FFontCache.reset();
    FMemoryDC.reset();
    FPrintMeasureDC.reset();
}

void TVardoRep::TextOutRotated(TPoint pt, const TRect& r, const QString& text, TCanvas* canvas, TFont* font,
                               TKVRotacao rotation)
{
    if (!canvas || !font)
        return;
    int angle = 0;
    switch (rotation) {
    case rotacao_000: angle = 0; break;
    case rotacao_090: angle = 90; break;
    case rotacao_180: angle = 180; break;
    case rotacao_270: angle = 270; break;
    }
    {
        TKVResourceLock lock(*FFontCache);
        TLogFont lf;
        lf.Height = -MulDiv(font->Size(), font->PixelsPerInch(), 72);
        lf.Width = 0;
        lf.Escapement = angle * 10;
        lf.Orientation = angle * 10;
        const TFontStyles style = font->Style();
        lf.Weight = style.Contains(fsBold) ? 700 : 400;
        lf.Italic = style.Contains(fsItalic);
        lf.Underline = style.Contains(fsUnderline);
        lf.StrikeOut = style.Contains(fsStrikeOut);
        lf.CharSet = font->Charset();
        lf.PitchAndFamily = 0;
        // A logical font carries 31 characters of the face; the font keeps its whole name, and
        // every device realises only those 31 anyway.
        const QString face = font->Name();
        lf.FaceName = face.left(31);
        font->SetLogFont(lf);
        if (face.size() > 31)
            font->SetName(face);
    }
    if (font != canvas->Font())
        canvas->SetFont(font);
    int x = pt.X;
    int y = pt.Y;
    // The start moves so that the turned block lies over r's extent.
    switch (rotation) {
    case rotacao_000:
        break;
    case rotacao_090:
        y += r.Right;
        break;
    case rotacao_180:
        x += r.Right;
        y += r.Bottom;
        break;
    case rotacao_270:
        x += r.Bottom;
        break;
    }
    canvas->ExtTextOut(x, y, 0, &r, text);
}

namespace {

bool MeasureOn(TCanvas* dc, const TFont* font, const QString& text, TSize& extent)
{
    if (!dc || !font)
        return false;
    try {
        dc->SetFont(font);
        extent = dc->TextExtent(text);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

} // namespace

int TVardoRep::TextHeight(const TFont* font, const QString& text)
{
    TSize extent;
    return MeasureOn(FMemoryDC.get(), font, text, extent) ? extent.cy : 0;
}

int TVardoRep::TextWidth(const TFont* font, const QString& text)
{
    TSize extent;
    return MeasureOn(FMemoryDC.get(), font, text, extent) ? extent.cx + 1 : 0;
}

long double TVardoRep::PrintTextWidth(const TFont* font, const QString& text)
{
    // The run's printer object knows its resolution once its document has begun.
    long double factor = Screen().PixelsPerInch / 254.0L;
    if (FRunPrinter && !FAvailable && FRunPrinter->XFactor() > 0)
        factor = FRunPrinter->XFactor();
    const int dpi = std::max(1, static_cast<int>(Round(factor * 254)));
    if (!FPrintMeasureDC || FPrintMeasureDpi != dpi) {
        FPrintMeasureDC = std::make_unique<TPainterCanvas>(nullptr, TDeviceCaps{dpi, dpi, 1, 1});
        FPrintMeasureDpi = dpi;
    }
    TSize extent;
    return MeasureOn(FPrintMeasureDC.get(), font, text, extent) ? extent.cx / factor : 0;
}

} // namespace tessiv
