#include "engine/ui/KVPreviewGeometry.h"

#include "engine/run/KVPrinter.h"
#include "platform/core/SysUtils.h"

#include <algorithm>

namespace tessiv {

namespace {

constexpr long double LetterWidth = 215.9L;
constexpr long double LetterLength = 279.4L;

int Units(long double value, long double factor)
{
    return static_cast<int>(Round(value * factor));
}

} // namespace

TKVPreviewPage KVPreviewPage(const TKVPrinter* printer)
{
    if (!printer)
        return {LetterWidth, LetterLength, 1, 1, false};
    return {static_cast<long double>(printer->PaperWidth()), static_cast<long double>(printer->PaperLength()),
            printer->XFactor(), printer->YFactor(), true};
}

int KVPageWidth(const TKVPreviewPage& page)
{
    return Units(page.PaperWidth, page.XFactor);
}

int KVPageHeight(const TKVPreviewPage& page)
{
    return Units(page.PaperLength, page.YFactor);
}

bool KVZoomInRange(int zoom)
{
    return zoom >= KVMinZoom && zoom <= KVMaxZoom;
}

TSize KVPreviewImageSize(const TKVPreviewPage& page, int zoom)
{
    return {Units(page.PaperWidth * zoom / 100, page.XFactor) + 4, Units(page.PaperLength * zoom / 100, page.YFactor) + 4};
}

TPoint KVPreviewImageOrigin(TSize preview, TSize image)
{
    return {image.cx < preview.cx ? (preview.cx - image.cx) / 2 : 0,
            image.cy < preview.cy ? (preview.cy - image.cy) / 2 : 0};
}

std::optional<int> KVZoomToFit(const TKVPreviewPage& page, TSize preview)
{
    const int width = KVPageWidth(page);
    const int height = KVPageHeight(page);
    // A page without size (a custom paper not set yet) has no zoom that fits it.
    if (width <= 0 || height <= 0)
        return std::nullopt;
    const auto byWidth = Round(static_cast<long double>(preview.cx) / width * 95);
    const auto byHeight = Round(static_cast<long double>(preview.cy) / height * 95);
    return static_cast<int>(std::min(byWidth, byHeight));
}

std::optional<int> KVZoomToWidth(const TKVPreviewPage& page, TSize preview)
{
    const int width = KVPageWidth(page);
    if (width <= 0)
        return std::nullopt;
    return static_cast<int>(Round(static_cast<long double>(preview.cx) / width * (page.HasPrinter ? 90 : 95)));
}

} // namespace tessiv
