// Icon files: a directory of images, each a bitmap (colours and a transparency mask) written from our
// own bitmap coder; read, drawn, saved and read again.
#include "FuzzPictures.h"

#include "platform/graphics/Dib.h"

#include <QtEndian>

namespace {

QByteArray Le16(int v)
{
    const char c[2] = {char(v), char(v >> 8)};
    return QByteArray(c, 2);
}
QByteArray Le32(std::uint32_t v)
{
    const char c[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    return QByteArray(c, 4);
}

// One icon image: the bitmap's info header with the height of colours and mask together, the
// colours, then the one-bit mask.
QByteArray IconImage(const QImage& image, int bitCount)
{
    QByteArray info, bits;
    tessiv::EncodeDib(image, bitCount, info, bits);
    qToLittleEndian<std::int32_t>(image.height() * 2, info.data() + 8);
    const int maskStride = ((image.width() + 31) / 32) * 4;
    QByteArray mask(maskStride * image.height(), '\0');
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, image.height() - 1 - y)) < 128)
                mask[y * maskStride + x / 8] = char(uchar(mask[y * maskStride + x / 8]) | (0x80 >> (x % 8)));
    return info + bits + mask;
}

QByteArray IconFile(const std::vector<std::pair<QImage, int>>& images)
{
    QByteArray dir = Le16(0) + Le16(1) + Le16(int(images.size()));
    QByteArray body;
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (const auto& [img, bitCount] : images) {
        const QByteArray data = IconImage(img, bitCount);
        dir += char(img.width()) + QByteArray(1, char(img.height())) + QByteArray(1, char(bitCount <= 8 ? 1 << bitCount : 0)) +
               QByteArray(1, '\0') + Le16(1) + Le16(bitCount) + Le32(std::uint32_t(data.size())) + Le32(offset);
        offset += std::uint32_t(data.size());
        body += data;
    }
    return dir + body;
}

std::vector<QByteArray> Seeds()
{
    return {IconFile({{fuzz::SeedImage(16, 16, true), 32}}),
            IconFile({{fuzz::SeedImage(16, 16), 4}, {fuzz::SeedImage(32, 32), 8}}),
            IconFile({{fuzz::SeedImage(8, 8), 1}, {fuzz::SeedImage(24, 24, true), 24}})};
}

} // namespace

TESSIV_FUZZ_TARGET(ico, Seeds)
{
    return fuzz::LoadPaintSaveLoad<tessiv::TIcon>(data, size);
}
