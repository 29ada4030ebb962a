#pragma once
// Record numbers and small helpers of the enhanced and Windows metafile formats, shared by the
// recorder and the player.

#include <QByteArray>

#include <cstdint>
#include <cstring>

namespace tessiv::emf {

enum : std::uint32_t {
    EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_EOF = 14,
    EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30, EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34, EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54,
    EMR_ARCTO = 55, EMR_SETARCDIRECTION = 57, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
    EMR_ABORTPATH = 68, EMR_FILLRGN = 71, EMR_PAINTRGN = 74, EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77, EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91, EMR_CREATEDIBPATTERNBRUSHPT = 94, EMR_EXTCREATEPEN = 95,
};

constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kStockObject = 0x80000000u;
constexpr std::uint32_t WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
                        NULL_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, SYSTEM_FONT = 13,
                        DEFAULT_GUI_FONT = 17;
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;

inline std::uint32_t U32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
inline std::int32_t I32(const unsigned char* p) { return std::int32_t(U32(p)); }
inline std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::int16_t I16(const unsigned char* p) { return std::int16_t(U16(p)); }
inline float F32(const unsigned char* p)
{
    const std::uint32_t v = U32(p);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

// Builds one record: type, size (filled in by Bytes), then the fields.
class TRecordWriter {
public:
    explicit TRecordWriter(std::uint32_t type)
    {
        U32(type);
        U32(0);
    }
    TRecordWriter& U32(std::uint32_t v)
    {
        const char c[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        FData.append(c, 4);
        return *this;
    }
    TRecordWriter& I32(std::int32_t v) { return U32(std::uint32_t(v)); }
    TRecordWriter& U16(std::uint16_t v)
    {
        const char c[2] = {char(v), char(v >> 8)};
        FData.append(c, 2);
        return *this;
    }
    TRecordWriter& U8(std::uint8_t v)
    {
        FData.append(char(v));
        return *this;
    }
    TRecordWriter& F32(float f)
    {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    TRecordWriter& Raw(const QByteArray& b)
    {
        FData.append(b);
        return *this;
    }
    TRecordWriter& Pad()
    {
        while (FData.size() % 4)
            FData.append('\0');
        return *this;
    }
    qsizetype Size() const { return FData.size(); }
    void PatchU32(qsizetype at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            FData[at + i] = char(v >> (8 * i));
    }
    QByteArray Bytes()
    {
        Pad();
        PatchU32(4, std::uint32_t(FData.size()));
        return FData;
    }

private:
    QByteArray FData;
};

} // namespace tessiv::emf
