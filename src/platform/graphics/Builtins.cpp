#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"

namespace tessiv {

// The picture kinds every program knows, by the class names report files store.
void RegisterBuiltinGraphics()
{
    RegisterGraphicClass(QStringLiteral("TBitmap"), {QStringLiteral("bmp")}, [] { return std::make_unique<TBitmap>(); });
    RegisterGraphicClass(QStringLiteral("TIcon"), {QStringLiteral("ico")}, [] { return std::make_unique<TIcon>(); });
    RegisterGraphicClass(QStringLiteral("TMetafile"), {QStringLiteral("emf"), QStringLiteral("wmf")},
                         [] { return std::make_unique<TMetafile>(); });
    RegisterGraphicClass(QStringLiteral("TJPEGImage"), {QStringLiteral("jpg"), QStringLiteral("jpeg")},
                         [] { return std::make_unique<TJPEGImage>(); });
}

} // namespace tessiv
