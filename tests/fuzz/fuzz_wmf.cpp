// Windows metafiles (placeable) written record by record as other programs write them: tools,
// shapes, polygons, text, clipping and bitmaps; read, played, saved and read again.
#include "FuzzPictures.h"

#include "platform/graphics/Dib.h"

#include <initializer_list>

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

QByteArray Record(int function, std::initializer_list<int> params, QByteArray extra = {})
{
    QByteArray body;
    for (int v : params)
        body += Le16(v);
    body += extra;
    if (body.size() % 2)
        body += '\0';
    return Le32(std::uint32_t(3 + body.size() / 2)) + Le16(function) + body;
}

// The placeable header over (0,0)-(w,h) at 96 units per inch, the standard header, the records.
QByteArray Wmf(const QByteArray& records, int w = 120, int h = 90)
{
    QByteArray p = Le32(0x9AC6CDD7u) + Le16(0) + Le16(0) + Le16(0) + Le16(w) + Le16(h) + Le16(96) + Le32(0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= std::uint16_t(uchar(p[i]) | (uchar(p[i + 1]) << 8));
    p += Le16(sum);
    const QByteArray eof = Le32(3) + Le16(0);
    const std::uint32_t words = std::uint32_t((18 + records.size() + eof.size()) / 2);
    return p + Le16(1) + Le16(9) + Le16(0x0300) + Le32(words) + Le16(8) + Le32(64) + Le16(0) + records + eof;
}

std::vector<QByteArray> Seeds()
{
    QByteArray info, bits;
    tessiv::EncodeDib(fuzz::SeedImage(9, 5), 24, info, bits);
    const QByteArray shapes =
        Record(0x020B, {0, 0}) + Record(0x020C, {90, 120}) +                 // window origin, extent
        Record(0x02FA, {1, 2, 0}, Le32(0x0000FF)) + Record(0x012D, {0}) +    // dashed red pen
        Record(0x02FC, {2}, Le32(0x00FF00) + Le16(3)) + Record(0x012D, {1}) + // hatched brush
        Record(0x041B, {40, 60, 5, 5}) + Record(0x0418, {80, 110, 50, 70}) +
        Record(0x061C, {10, 10, 85, 115, 45, 65}) + Record(0x0214, {0, 0}) + Record(0x0213, {89, 119}) +
        Record(0x0817, {0, 60, 45, 0, 80, 100, 10, 20}) + Record(0x081A, {80, 100, 10, 20, 85, 110, 5, 15}) +
        Record(0x0830, {5, 5, 70, 90, 88, 118, 2, 2}) + Record(0x0324, {3, 10, 80, 60, 85, 30, 50}) +
        Record(0x0325, {4, 0, 0, 30, 40, 60, 10, 90, 80}) +
        Record(0x0538, {2, 3, 3, 0, 0, 20, 0, 0, 20, 30, 30, 50, 30, 30, 50}) + Record(0x01F0, {0});
    const QByteArray text =
        Record(0x02FB, {-14, 0, 0, 0, 700, 0, 0, 0, 0}, QByteArray("Arial", 6)) + Record(0x012D, {0}) +
        Record(0x0209, {0x00FF, 0}) + Record(0x0102, {1}) + Record(0x012E, {24}) +
        Record(0x0521, {5}, QByteArray("Texto", 5) + QByteArray(1, '\0') + Le16(20) + Le16(10)) +
        Record(0x0A32, {40, 10, 6, 4, 30, 5, 50, 110}, QByteArray("Grupo!") + Le16(9) + Le16(9) + Le16(9) + Le16(9) + Le16(9) + Le16(9)) +
        Record(0x001E, {}) + Record(0x0416, {70, 100, 20, 20}) + Record(0x0415, {50, 60, 30, 30}) +
        Record(0x041B, {85, 115, 0, 0}) + Record(0x0127, {-1});
    const QByteArray bitmaps =
        Record(0x0F43, {0x0020, 0x00CC, 0, 5, 9, 0, 0, 50, 60, 20, 10}, info + bits) +
        Record(0x0B41, {0x0020, 0x00CC, 5, 9, 0, 0, 30, 40, 55, 65}, info + bits) +
        Record(0x0940, {0x0020, 0x00CC, 0, 0, 5, 9, 70, 5}, info + bits);
    return {Wmf(shapes), Wmf(text), Wmf(bitmaps)};
}

} // namespace

TESSIV_FUZZ_TARGET(wmf, Seeds)
{
    return fuzz::LoadPaintSaveLoad<tessiv::TMetafile>(data, size);
}
