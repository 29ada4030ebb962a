#include "platform/graphics/Dib.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tessiv {

namespace {

std::uint32_t U32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::int32_t I32(const unsigned char* p) { return std::int32_t(U32(p)); }
std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

bool Fail(QString* error, const char* text)
{
    if (error)
        *error = QString::fromLatin1(text);
    return false;
}

int MaskShift(std::uint32_t mask)
{
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

int MaskBits(std::uint32_t mask)
{
    mask >>= MaskShift(mask);
    int n = 0;
    while (mask & 1) {
        mask >>= 1;
        ++n;
    }
    return n;
}

int Expand(std::uint32_t value, std::uint32_t mask)
{
    if (!mask)
        return 0;
    const int bits = MaskBits(mask);
    std::uint32_t v = (value & mask) >> MaskShift(mask);
    if (bits >= 8)
        return int(v >> (bits - 8));
    // Spread a short field over eight bits (five bits 31 -> 255).
    const std::uint32_t max = (1u << bits) - 1;
    return int((v * 255 + max / 2) / max);
}

void PutLE32(QByteArray& b, std::uint32_t v)
{
    const char c[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    b.append(c, 4);
}
void PutLE16(QByteArray& b, std::uint16_t v)
{
    const char c[2] = {char(v), char(v >> 8)};
    b.append(c, 2);
}

} // namespace

bool ParseDibInfo(const unsigned char* info, std::size_t size, TDibInfo& out, QString* error)
{
    out = TDibInfo{};
    if (!info || size < 12)
        return Fail(error, "Bitmap header is too short");
    const std::uint32_t headerSize = U32(info);
    if (headerSize == 12) {
        out.HeaderSize = 12;
        out.Width = U16(info + 4);
        out.Height = U16(info + 6);
        out.BitCount = U16(info + 10);
        out.PaletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= size && headerSize <= 4096) {
        out.HeaderSize = int(headerSize);
        out.Width = I32(info + 4);
        const std::int32_t h = I32(info + 8);
        out.BitCount = U16(info + 14);
        out.Compression = U32(info + 16);
        const std::uint32_t clrUsed = U32(info + 32);
        if (h == INT32_MIN)
            return Fail(error, "Invalid bitmap height");
        out.TopDown = h < 0;
        out.Height = h < 0 ? -h : h;
        if (clrUsed > 65536)
            return Fail(error, "Invalid bitmap colour count");
        out.ColorCount = int(clrUsed);
    } else {
        return Fail(error, "Unknown bitmap header");
    }
    if (out.Width <= 0 || out.Height <= 0)
        return Fail(error, "Invalid bitmap size");
    if (std::int64_t(out.Width) * out.Height > kMaxDibPixels)
        return Fail(error, "Bitmap is too large");
    switch (out.BitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return Fail(error, "Unsupported bitmap colour depth");
    }
    std::size_t pos = std::size_t(out.HeaderSize);
    switch (out.Compression) {
    case 0: // BI_RGB
        if (out.BitCount == 16) {
            out.Masks[0] = 0x7C00;
            out.Masks[1] = 0x03E0;
            out.Masks[2] = 0x001F;
        } else if (out.BitCount == 32) {
            out.Masks[0] = 0xFF0000;
            out.Masks[1] = 0xFF00;
            out.Masks[2] = 0xFF;
        }
        break;
    case 3: // BI_BITFIELDS
    case 6: // BI_ALPHABITFIELDS
        if (out.BitCount != 16 && out.BitCount != 32)
            return Fail(error, "Bit fields need 16 or 32 bits per pixel");
        if (out.HeaderSize >= 52) {
            for (int i = 0; i < 3; ++i)
                out.Masks[i] = U32(info + 40 + 4 * i);
            if (out.HeaderSize >= 56)
                out.Masks[3] = U32(info + 52);
        } else {
            const int n = out.Compression == 6 ? 4 : 3;
            if (pos + 4 * n > size)
                return Fail(error, "Bitmap masks are missing");
            for (int i = 0; i < n; ++i)
                out.Masks[i] = U32(info + pos + 4 * i);
            pos += 4 * n;
        }
        break;
    case 1: // BI_RLE8
        if (out.BitCount != 8)
            return Fail(error, "RLE8 needs 8 bits per pixel");
        break;
    case 2: // BI_RLE4
        if (out.BitCount != 4)
            return Fail(error, "RLE4 needs 4 bits per pixel");
        break;
    default:
        return Fail(error, "Unsupported bitmap compression");
    }
    if (out.BitCount <= 8) {
        if (out.ColorCount == 0 || out.ColorCount > (1 << out.BitCount))
            out.ColorCount = 1 << out.BitCount;
    } else if (out.HeaderSize == 12) {
        out.ColorCount = 0;
    }
    // A colour table beside a true-colour image is allowed (and ignored); keep its size for offsets.
    pos += std::size_t(out.ColorCount) * out.PaletteEntrySize;
    if (out.BitCount <= 8 && pos > size)
        return Fail(error, "Bitmap colour table is missing");
    out.InfoSize = int(std::min(pos, size));
    return true;
}

QImage DecodeDib(const unsigned char* info, std::size_t infoSize, const unsigned char* bits, std::size_t bitsSize,
                 QString* error, bool useAlpha)
{
    TDibInfo d;
    if (!ParseDibInfo(info, infoSize, d, error))
        return {};
    std::vector<QRgb> palette;
    if (d.BitCount <= 8) {
        palette.resize(std::size_t(1) << d.BitCount, qRgb(0, 0, 0));
        const unsigned char* p = info + d.HeaderSize;
        for (int i = 0; i < d.ColorCount && i < int(palette.size()); ++i, p += d.PaletteEntrySize)
            palette[i] = qRgb(p[2], p[1], p[0]);
    }
    const int w = d.Width, h = d.Height;
    const std::int64_t stride = ((std::int64_t(w) * d.BitCount + 31) / 32) * 4;
    const bool rle = d.Compression == 1 || d.Compression == 2;
    if (!rle && stride * h > std::int64_t(bitsSize)) {
        if (error)
            *error = QStringLiteral("Bitmap data is incomplete");
        return {};
    }
    if (rle && std::int64_t(w) * h > std::int64_t(bitsSize) * 512 + 65536) {
        if (error)
            *error = QStringLiteral("Bitmap is too large for its data");
        return {};
    }
    QImage img(w, h, QImage::Format_ARGB32);
    if (img.isNull()) {
        if (error)
            *error = QStringLiteral("Not enough memory to decode a picture of %1 x %2 pixels").arg(w).arg(h);
        return {};
    }
    img.fill(qRgb(0, 0, 0));
    auto row = [&](int y) { return reinterpret_cast<QRgb*>(img.scanLine(d.TopDown ? y : h - 1 - y)); };

    if (rle) {
        // Run-length coding: a count and a colour, or escapes (end of line, end of bitmap, delta,
        // literal runs); anything that would step outside the image or the data ends the decoding.
        std::size_t i = 0;
        int x = 0, y = 0;
        const bool four = d.Compression == 2;
        auto put = [&](int index) {
            if (x < w && y < h)
                row(y)[x] = palette[std::size_t(index) & (palette.size() - 1)];
            ++x;
        };
        while (i + 1 < bitsSize && y < h) {
            const int count = bits[i], value = bits[i + 1];
            i += 2;
            if (count > 0) {
                for (int k = 0; k < count; ++k)
                    put(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            } else if (value == 0) {
                x = 0;
                ++y;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                if (i + 1 >= bitsSize)
                    break;
                x += bits[i];
                y += bits[i + 1];
                i += 2;
            } else {
                const int n = value;
                const std::size_t bytes = four ? std::size_t((n + 1) / 2) : std::size_t(n);
                if (i + bytes > bitsSize)
                    break;
                for (int k = 0; k < n; ++k)
                    put(four ? ((k & 1) ? (bits[i + k / 2] & 0x0F) : (bits[i + k / 2] >> 4)) : bits[i + k]);
                i += (bytes + 1) & ~std::size_t(1);
            }
        }
        return img;
    }

    const bool alpha = d.Masks[3] != 0 || useAlpha;
    for (int y = 0; y < h; ++y) {
        const unsigned char* src = bits + stride * y;
        QRgb* dst = row(y);
        switch (d.BitCount) {
        case 1:
            for (int x = 0; x < w; ++x)
                dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x] = palette[(x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)];
            break;
        case 8:
            for (int x = 0; x < w; ++x)
                dst[x] = palette[src[x]];
            break;
        case 16:
            for (int x = 0; x < w; ++x) {
                const std::uint32_t v = U16(src + 2 * x);
                dst[x] = qRgb(Expand(v, d.Masks[0]), Expand(v, d.Masks[1]), Expand(v, d.Masks[2]));
            }
            break;
        case 24:
            for (int x = 0; x < w; ++x)
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        case 32:
            for (int x = 0; x < w; ++x) {
                const std::uint32_t v = U32(src + 4 * x);
                const int a = d.Masks[3] ? Expand(v, d.Masks[3]) : useAlpha ? int(v >> 24) : 255;
                dst[x] = qRgba(Expand(v, d.Masks[0]), Expand(v, d.Masks[1]), Expand(v, d.Masks[2]), a);
            }
            break;
        }
    }
    if (alpha)
        return img;
    return img.convertToFormat(QImage::Format_RGB32);
}

void EncodeDib(const QImage& source, int bitCount, QByteArray& info, QByteArray& bits, int dpiX, int dpiY)
{
    const QImage img = source.convertToFormat(bitCount == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    std::vector<QRgb> palette;
    QHash<QRgb, int> index;
    if (bitCount <= 8) {
        const int max = 1 << bitCount;
        for (int y = 0; y < h; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const QRgb c = line[x] | 0xFF000000u;
                if (!index.contains(c) && int(palette.size()) < max) {
                    index.insert(c, int(palette.size()));
                    palette.push_back(c);
                }
            }
        }
        if (palette.empty())
            palette.push_back(qRgb(0, 0, 0));
    }
    auto nearest = [&](QRgb c) {
        c |= 0xFF000000u;
        if (auto it = index.constFind(c); it != index.constEnd())
            return *it;
        int best = 0, bestDist = INT32_MAX;
        for (int i = 0; i < int(palette.size()); ++i) {
            const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]), db = qBlue(c) - qBlue(palette[i]);
            const int dist = dr * dr + dg * dg + db * db;
            if (dist < bestDist) {
                bestDist = dist;
                best = i;
            }
        }
        return best;
    };
    const int stride = ((w * bitCount + 31) / 32) * 4;
    info.clear();
    PutLE32(info, 40);
    PutLE32(info, std::uint32_t(w));
    PutLE32(info, std::uint32_t(h));
    PutLE16(info, 1);
    PutLE16(info, std::uint16_t(bitCount));
    PutLE32(info, 0);
    PutLE32(info, std::uint32_t(stride * h));
    PutLE32(info, std::uint32_t(std::lround(dpiX / 0.0254)));
    PutLE32(info, std::uint32_t(std::lround(dpiY / 0.0254)));
    PutLE32(info, std::uint32_t(palette.size()));
    PutLE32(info, 0);
    for (QRgb c : palette) {
        const char e[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), 0};
        info.append(e, 4);
    }
    bits = QByteArray(qsizetype(stride) * h, '\0');
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(h - 1 - y));
        unsigned char* dst = reinterpret_cast<unsigned char*>(bits.data()) + qsizetype(stride) * y;
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x];
            switch (bitCount) {
            case 1: dst[x >> 3] |= std::uint8_t(nearest(c) << (7 - (x & 7))); break;
            case 4: dst[x >> 1] |= std::uint8_t((x & 1) ? nearest(c) : nearest(c) << 4); break;
            case 8: dst[x] = std::uint8_t(nearest(c)); break;
            case 24:
                dst[3 * x] = std::uint8_t(qBlue(c));
                dst[3 * x + 1] = std::uint8_t(qGreen(c));
                dst[3 * x + 2] = std::uint8_t(qRed(c));
                break;
            default:
                dst[4 * x] = std::uint8_t(qBlue(c));
                dst[4 * x + 1] = std::uint8_t(qGreen(c));
                dst[4 * x + 2] = std::uint8_t(qRed(c));
                dst[4 * x + 3] = std::uint8_t(qAlpha(c));
                break;
            }
        }
    }
}

} // namespace tessiv
