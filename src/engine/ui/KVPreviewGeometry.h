#pragma once
// The preview's zoom and size arithmetic, apart from any window so it can be checked by itself.
// Sizes are pixels of the preview; a page is the printer object's paper in 0.1 mm with its device
// units per 0.1 mm (the screen's, for recorded pages).

#include "platform/graphics/Types.h"

#include <optional>

namespace tessiv {

class TKVPrinter;

constexpr int KVMinZoom = 2;
constexpr int KVMaxZoom = 2000;

struct TKVPreviewPage {
    long double PaperWidth = 0;  // 0.1 mm
    long double PaperLength = 0; // 0.1 mm
    long double XFactor = 1;     // device units per 0.1 mm
    long double YFactor = 1;
    // Without a printer object: a Letter sheet counted straight as pixels.
    bool HasPrinter = false;
};

// The page the printer object shows; the Letter stand-in without one.
TKVPreviewPage KVPreviewPage(const TKVPrinter* printer);
// The page in device units, as the printer object rounds lengths.
int KVPageWidth(const TKVPreviewPage& page);
int KVPageHeight(const TKVPreviewPage& page);

bool KVZoomInRange(int zoom);
// The page image at a zoom: the page scaled, plus 4 for the frame and shadow.
TSize KVPreviewImageSize(const TKVPreviewPage& page, int zoom);
// Where the image lies in a preview: centred where it is smaller, else at the start.
TPoint KVPreviewImageOrigin(TSize preview, TSize image);
// The zoom that shows the whole page (95 %), and the one that fits its width (90 %, or 95 %
// without a printer object). Nothing when the page has no size: the zoom stays as it was.
std::optional<int> KVZoomToFit(const TKVPreviewPage& page, TSize preview);
std::optional<int> KVZoomToWidth(const TKVPreviewPage& page, TSize preview);

} // namespace tessiv
