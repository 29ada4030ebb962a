#include "platform/graphics/Icon.h"

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Dib.h"

#include <cstring>
#include <vector>

namespace tessiv {

namespace {
std::uint32_t U32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

QImage DecodeEntry(const unsigned char* p, std::size_t size, QString* error)
{
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 8 && std::memcmp(p, png, 8) == 0) {
        // The image header claims a size; its rows, deflated at best about 1032 to 1, must fit in
        // the data given, or the claim is refused before anything is allocated for it.
        if (size < 33 || std::memcmp(p + 12, "IHDR", 4) != 0) {
            if (error)
                *error = QStringLiteral("Damaged PNG image in icon");
            return {};
        }
        const auto be32 = [](const unsigned char* q) {
            return (std::uint32_t(q[0]) << 24) | (std::uint32_t(q[1]) << 16) | (std::uint32_t(q[2]) << 8) | q[3];
        };
        const std::int64_t w = be32(p + 16), h = be32(p + 20);
        const int depth = p[24], colorType = p[25];
        const int channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
        // Each side is checked before the product is taken, so no claim can overflow it.
        const bool sized = w > 0 && h > 0 && w <= kMaxDibPixels && h <= kMaxDibPixels && w * h <= kMaxDibPixels;
        if (!sized || ((w * depth * channels + 7) / 8 + 1) * h > std::int64_t(size) * 1032) {
            if (error)
                *error = QStringLiteral("PNG image in icon is larger than its data can hold");
            return {};
        }
        QImage img = QImage::fromData(p, int(size), "PNG");
        if (img.isNull() && error)
            *error = QStringLiteral("Damaged PNG image in icon");
        if (!img.isNull() && std::int64_t(img.width()) * img.height() > kMaxDibPixels)
            return {};
        return img.convertToFormat(QImage::Format_ARGB32);
    }
    // A DIB whose height counts the colour image and the transparency mask together.
    if (size < 40)
        return {};
    std::vector<unsigned char> header(p, p + size);
    const std::int32_t doubled = std::int32_t(U32(p + 8));
    if (doubled <= 0 || doubled % 2)
        return {};
    const std::int32_t h = doubled / 2;
    std::memcpy(header.data() + 8, &h, 4);
    TDibInfo info;
    if (!ParseDibInfo(header.data(), size, info, error))
        return {};
    const std::size_t infoSize = std::size_t(info.InfoSize);
    const std::size_t stride = ((std::size_t(info.Width) * info.BitCount + 31) / 32) * 4;
    const std::size_t colorBytes = stride * std::size_t(info.Height);
    if (infoSize + colorBytes > size) {
        if (error)
            *error = QStringLiteral("Icon image data is incomplete");
        return {};
    }
    QImage img = DecodeDib(header.data(), infoSize, p + infoSize, colorBytes, error, info.BitCount == 32);
    if (img.isNull())
        return {};
    img = img.convertToFormat(QImage::Format_ARGB32);
    bool hasAlpha = false;
    if (info.BitCount == 32)
        for (int y = 0; y < img.height() && !hasAlpha; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(img.pixel(x, y)) != 0) {
                    hasAlpha = true;
                    break;
                }
    if (!hasAlpha) {
        // The AND mask: a set bit is a transparent pixel. An icon without its mask is opaque.
        const std::size_t maskStride = ((std::size_t(info.Width) + 31) / 32) * 4;
        const std::size_t maskAt = infoSize + colorBytes;
        const bool haveMask = maskAt + maskStride * std::size_t(info.Height) <= size;
        for (int y = 0; y < img.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            const unsigned char* mask = p + maskAt + maskStride * std::size_t(img.height() - 1 - y);
            for (int x = 0; x < img.width(); ++x) {
                const bool transparent = haveMask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
                line[x] = transparent ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000u);
            }
        }
    }
    return img;
}
} // namespace

QImage DecodeIco(const QByteArray& bytes, QString* error)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::size_t size = std::size_t(bytes.size());
    if (size < 6 || U16(p) != 0 || (U16(p + 2) != 1 && U16(p + 2) != 2) || U16(p + 4) == 0) {
        if (error)
            *error = QStringLiteral("Not an icon file");
        return {};
    }
    const std::size_t count = U16(p + 4);
    if (6 + 16 * count > size) {
        if (error)
            *error = QStringLiteral("Icon directory is incomplete");
        return {};
    }
    // The biggest image, then the deepest.
    int best = -1;
    std::int64_t bestScore = -1;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* e = p + 6 + 16 * i;
        const int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256, bpp = U16(e + 6);
        const std::uint32_t len = U32(e + 8), off = U32(e + 12);
        if (off > size || len > size - off || len == 0)
            continue;
        const std::int64_t score = std::int64_t(w) * h * 64 + bpp;
        if (score > bestScore) {
            bestScore = score;
            best = int(i);
        }
    }
    if (best < 0) {
        if (error)
            *error = QStringLiteral("Icon has no readable image");
        return {};
    }
    const unsigned char* e = p + 6 + 16 * std::size_t(best);
    QImage img = DecodeEntry(p + U32(e + 12), U32(e + 8), error);
    if (img.isNull() && error && error->isEmpty())
        *error = QStringLiteral("Damaged icon image");
    return img;
}

TESSIV_IMPLEMENT_CLASS(TIcon, TGraphic, )

void TIcon::Assign(const TPersistent* source)
{
    if (!source) {
        FData.clear();
        FImage = QImage();
        Changed();
        return;
    }
    if (auto* i = dynamic_cast<const TIcon*>(source)) {
        FData = i->FData;
        FImage = i->FImage;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::LoadFromStream(TStream& stream)
{
    const std::int64_t remaining = stream.Remaining();
    if (remaining <= 0 || remaining > (std::int64_t(1) << 30))
        throw EInvalidImage(QStringLiteral("Icon image is not valid"));
    const QByteArray bytes = stream.ReadBytes(remaining);
    const QImage img = DecodeIco(bytes);
    if (img.isNull())
        throw EInvalidImage(QStringLiteral("Icon image is not valid"));
    FData = bytes;
    FImage = img;
    Changed();
}

void TIcon::SaveToStream(TStream& stream) const
{
    stream.WriteBytes(FData);
}

void TIcon::Draw(TCanvas& canvas, const TRect& r) const
{
    if (!FImage.isNull())
        canvas.StretchDIBits(r, {0, 0, FImage.width(), FImage.height()}, FImage);
}

} // namespace tessiv
