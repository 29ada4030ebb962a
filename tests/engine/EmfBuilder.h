#pragma once
// Builds small enhanced metafiles record by record, after Microsoft's published EMF format
// (little-endian records: EMR_HEADER first, EMR_EOF last), to stand in for recorded pages.

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <vector>

namespace tessiv::fixtures {

class TEmfBuilder {
public:
    // A page of width x height pixels on a 96 pixels-per-inch reference device.
    TEmfBuilder(int width, int height) : FWidth(width), FHeight(height)
    {
        FBytes.resize(HeaderSize); // filled in by Finish
        FRecords = 1;
    }

    void Rectangle(int left, int top, int right, int bottom)
    {
        Begin(EmrRectangle, 24);
        Put32(left), Put32(top), Put32(right), Put32(bottom);
    }
    void MoveTo(int x, int y)
    {
        Begin(EmrMoveToEx, 16);
        Put32(x), Put32(y);
    }
    void LineTo(int x, int y)
    {
        Begin(EmrLineTo, 16);
        Put32(x), Put32(y);
    }
    void Polyline16(const std::vector<std::pair<std::int16_t, std::int16_t>>& points)
    {
        int left = 0x7FFF, top = 0x7FFF, right = -0x8000, bottom = -0x8000;
        for (const auto& [x, y] : points) {
            left = std::min<int>(left, x), right = std::max<int>(right, x);
            top = std::min<int>(top, y), bottom = std::max<int>(bottom, y);
        }
        Begin(EmrPolyline16, 28 + 4 * static_cast<std::uint32_t>(points.size()));
        Put32(left), Put32(top), Put32(right), Put32(bottom);
        Put32(static_cast<std::int32_t>(points.size()));
        for (const auto& [x, y] : points) {
            Put16(x);
            Put16(y);
        }
    }

    QByteArray Finish()
    {
        Begin(EmrEof, 20);
        Put32(0);  // nPalEntries
        Put32(16); // offPalEntries
        Put32(20); // nSizeLast
        char* h = FBytes.data();
        Set32(h + 0, EmrHeader);
        Set32(h + 4, HeaderSize);
        // rclBounds: inclusive pixels; rclFrame: 0.01 mm.
        Set32(h + 8, 0), Set32(h + 12, 0), Set32(h + 16, FWidth - 1), Set32(h + 20, FHeight - 1);
        Set32(h + 24, 0), Set32(h + 28, 0);
        Set32(h + 32, FWidth * 2540 / 96), Set32(h + 36, FHeight * 2540 / 96);
        Set32(h + 40, 0x464D4520); // " EMF"
        Set32(h + 44, 0x00010000);
        Set32(h + 48, static_cast<std::int32_t>(FBytes.size()));
        Set32(h + 52, FRecords);
        qToLittleEndian<std::uint16_t>(1, h + 56); // nHandles: entry 0 is reserved
        qToLittleEndian<std::uint16_t>(0, h + 58);
        Set32(h + 60, 0), Set32(h + 64, 0); // no description
        Set32(h + 68, 0);                   // no palette
        Set32(h + 72, 1920), Set32(h + 76, 1080); // szlDevice, pixels
        Set32(h + 80, 508), Set32(h + 84, 286);   // szlMillimeters
        Set32(h + 88, 0), Set32(h + 92, 0), Set32(h + 96, 0); // no pixel format, no OpenGL
        Set32(h + 100, 508000), Set32(h + 104, 285750);       // szlMicrometers
        return FBytes;
    }

private:
    static constexpr std::int32_t EmrHeader = 1, EmrEof = 14, EmrMoveToEx = 27, EmrRectangle = 43,
                                  EmrLineTo = 54, EmrPolyline16 = 87;
    static constexpr std::int32_t HeaderSize = 108;

    void Begin(std::int32_t type, std::uint32_t size)
    {
        Put32(type);
        Put32(static_cast<std::int32_t>(size));
        ++FRecords;
    }
    void Put32(std::int32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        FBytes.append(b, 4);
    }
    void Put16(std::int16_t v)
    {
        char b[2];
        qToLittleEndian(v, b);
        FBytes.append(b, 2);
    }
    static void Set32(char* at, std::int32_t v) { qToLittleEndian(v, at); }

    int FWidth, FHeight;
    QByteArray FBytes;
    std::int32_t FRecords = 0;
};

// Page n of a made-up document: an A4 page at 96 pixels per inch with a frame, a few lines and a
// polyline whose length varies from page to page; every 50th page carries a long one.
inline QByteArray MakePage(int n)
{
    TEmfBuilder emf(794, 1123);
    emf.Rectangle(10, 10, 784, 1113);
    emf.MoveTo(20 + n % 100, 40);
    emf.LineTo(700, 40 + n % 500);
    const int count = n % 50 == 0 ? 6000 : 1 + (n * 37) % 300;
    std::vector<std::pair<std::int16_t, std::int16_t>> points;
    points.reserve(static_cast<size_t>(count));
    std::uint32_t seed = 2654435761u * static_cast<std::uint32_t>(n + 1);
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        points.emplace_back(static_cast<std::int16_t>(30 + i % 700),
                            static_cast<std::int16_t>(100 + (seed >> 16) % 900));
    }
    emf.Polyline16(points);
    return emf.Finish();
}

} // namespace tessiv::fixtures
