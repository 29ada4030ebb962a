#pragma once
// Device-independent bitmaps as Microsoft publishes them: the info header (core, info, V4, V5),
// the colour table and the bits (uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, bit fields,
// RLE4 and RLE8). Shared by bitmap files, icons and the metafile records that carry bitmaps.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace tessiv {

// The largest picture we decode, in pixels: a bigger claim is a damaged or hostile file.
constexpr std::int64_t kMaxDibPixels = 64 * 1024 * 1024;

struct TDibInfo {
    int Width = 0;
    int Height = 0;        // positive; TopDown tells the row order
    bool TopDown = false;
    int BitCount = 0;
    std::uint32_t Compression = 0;
    int HeaderSize = 0;
    int ColorCount = 0;    // entries of the colour table
    int PaletteEntrySize = 4;
    std::uint32_t Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha (bit fields)
    int InfoSize = 0;      // header + masks + colour table
};

// Reads the info header; false with a reason for anything it cannot use.
bool ParseDibInfo(const unsigned char* info, std::size_t size, TDibInfo& out, QString* error = nullptr);
// Decodes header and bits into an ARGB32 image (alpha only from 32-bit bit fields with an alpha mask
// or when asked); a null image with a reason when they are damaged. Never reads outside the buffers.
QImage DecodeDib(const unsigned char* info, std::size_t infoSize, const unsigned char* bits, std::size_t bitsSize,
                 QString* error = nullptr, bool useAlpha = false);
// The info header (BITMAPINFOHEADER and colour table) and the bottom-up bits of an image at the
// given depth (1, 4, 8, 24 or 32; 1/4/8 through a colour table of the image's colours).
void EncodeDib(const QImage& image, int bitCount, QByteArray& info, QByteArray& bits, int dpiX = 96, int dpiY = 96);

} // namespace tessiv
