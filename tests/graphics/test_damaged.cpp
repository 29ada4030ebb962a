// Damaged and hostile pictures: each is refused with a clear error, or read as far as it is sound,
// never read out of bounds or allowed to allocate without limit; a refused file leaves the picture
// as it was. Run in the sanitizer build, nothing may be reported.

#include "GraphicsTestUtil.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <cstring>

using namespace tessiv;
using namespace testutil;

namespace {

void Put32(QByteArray& b, int at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void Put16(QByteArray& b, int at, std::uint16_t v) { std::memcpy(b.data() + at, &v, 2); }
QByteArray Fixture(const char* name) { return ReadFile(FixturePath(QString::fromLatin1(name))); }

QByteArray Patched(QByteArray b, int at, std::uint32_t v, int width = 4)
{
    if (width == 4)
        Put32(b, at, v);
    else
        Put16(b, at, std::uint16_t(v));
    return b;
}

QByteArray Record(std::uint32_t type, const QByteArray& body) { return EmfRecord(type, body); }

int FindMarker(const QByteArray& jpeg, uchar marker)
{
    for (int i = 2; i + 1 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && uchar(jpeg[i + 1]) == marker)
            return i;
    return -1;
}

std::uint32_t Crc32(const QByteArray& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// An icon file whose one image is a small PNG whose header claims width x height (its checksum
// made right, so only the claim is wrong).
QByteArray IconWithPngClaiming(std::uint32_t width, std::uint32_t height)
{
    QImage small(4, 4, QImage::Format_RGB32);
    small.fill(Qt::green);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        small.save(&buffer, "PNG");
    }
    auto be32 = [](std::uint32_t v) {
        const char c[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(c, 4);
    };
    png.replace(16, 8, be32(width) + be32(height));
    png.replace(29, 4, be32(Crc32(png.mid(12, 17))));
    return Le16(0) + Le16(1) + Le16(1) + QByteArray("\0\0\0\0", 4) + Le16(1) + Le16(32) +
           Le32(std::uint32_t(png.size())) + Le32(22) + png;
}

struct DamagedCase {
    const char* Name;
    const char* Extension;
    std::function<QByteArray()> Bytes;
    bool MustRefuse;
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.Name; }

const DamagedCase kCases[] = {
    // bitmaps
    {"bmp cut in the header", "bmp", [] { return Fixture("rgb24.bmp").left(10); }, true},
    {"bmp without its bits", "bmp", [] { return Fixture("rgb24.bmp").left(60); }, true},
    {"bmp huge width", "bmp", [] { return Patched(Fixture("rgb24.bmp"), 18, 0x7FFFFFFF); }, true},
    {"bmp most negative height", "bmp", [] { return Patched(Fixture("rgb24.bmp"), 22, 0x80000000u); }, true},
    {"bmp claims 60000 x 60000", "bmp", [] { return Patched(Patched(Fixture("rgb24.bmp"), 18, 60000), 22, 60000); }, true},
    {"bmp zero height", "bmp", [] { return Patched(Fixture("rgb24.bmp"), 22, 0); }, true},
    {"bmp 7 bits per pixel", "bmp", [] { return Patched(Fixture("rgb24.bmp"), 28, 7, 2); }, true},
    {"bmp unknown compression", "bmp", [] { return Patched(Fixture("rgb24.bmp"), 30, 9); }, true},
    {"bmp header size past the end", "bmp", [] { return Patched(Fixture("rgb24.bmp"), 14, 0xFFFFFFFFu); }, true},
    {"bmp colour count huge", "bmp", [] { return Patched(Fixture("pal8.bmp"), 46, 0x7FFFFFFF); }, true},
    {"bmp bit fields without masks", "bmp", [] {
         QByteArray b = Patched(Patched(Fixture("rgb24.bmp"), 30, 3), 28, 32, 2);
         return b.left(56);
     }, true},
    {"bmp rle cut short", "bmp", [] { QByteArray b = Fixture("rle8.bmp"); return b.left(b.size() - 40); }, false},
    {"bmp rle delta past the image", "bmp", [] {
         QByteArray b = Fixture("rle8.bmp");
         std::uint32_t off;
         std::memcpy(&off, b.constData() + 10, 4);
         b.truncate(int(off));
         b += QByteArray("\x00\x02\xFF\xFF\x05\x01\x00\x02\xFF\xFF\x00\x01", 12);
         return b;
     }, false},
    {"bmp rle claims a huge image", "bmp", [] { return Patched(Patched(Fixture("rle8.bmp"), 18, 30000), 22, 30000); }, true},
    // icons
    {"ico with 65535 images", "ico", [] { return Patched(Fixture("icon.ico"), 4, 0xFFFF, 2); }, true},
    {"ico image offset past the end", "ico", [] {
         QByteArray b = Fixture("icon.ico");
         Put32(b, 6 + 12, 0x7FFFFFF0);
         Put32(b, 22 + 12, 0x7FFFFFF0);
         return b;
     }, true},
    {"ico image length huge", "ico", [] {
         QByteArray b = Fixture("icon.ico");
         Put32(b, 6 + 8, 0xFFFFFFF0u);
         Put32(b, 22 + 8, 0xFFFFFFF0u);
         return b;
     }, true},
    {"ico image cut short", "ico", [] { return Fixture("icon.ico").left(200); }, true},
    {"ico with a png claiming 8000 x 8000", "ico", [] { return IconWithPngClaiming(8000, 8000); }, true},
    {"ico with a png claiming 2^31 x 2^31", "ico", [] { return IconWithPngClaiming(0x7FFFFFFF, 0x7FFFFFFF); }, true},
    {"ico with a png claiming 2^32 x 2^32", "ico", [] { return IconWithPngClaiming(0xFFFFFFFFu, 0xF0000000u); }, true},
    {"ico not an icon", "ico", [] { return QByteArray("\0\0\x05\0\x01\0", 6); }, true},
    // JPEG
    {"jpeg only the start marker", "jpg", [] { return QByteArray("\xFF\xD8", 2); }, true},
    {"jpeg garbage after the start", "jpg", [] { return QByteArray("\xFF\xD8\xFF\xE0garbage-and-more-garbage", 26); }, true},
    {"jpeg claims 65500 x 65500", "jpg", [] {
         QByteArray b = Fixture("photo.jpg");
         const int sof = FindMarker(b, 0xC0);
         if (sof > 0) {
             b[sof + 5] = char(0xFF), b[sof + 6] = char(0xDC);
             b[sof + 7] = char(0xFF), b[sof + 8] = char(0xDC);
         }
         return b;
     }, true},
    {"jpeg cut in half", "jpg", [] { QByteArray b = Fixture("photo.jpg"); return b.left(b.size() / 2); }, true},
    {"jpeg empty", "jpg", [] { return QByteArray(); }, true},
    // enhanced metafiles
    {"emf header only", "emf", [] { QByteArray b = EmfWith({}); return b.left(b.size() - 20); }, true},
    {"emf record of length 0", "emf", [] { return EmfWith(Le32(27) + Le32(0) + Ints({1, 2})); }, true},
    {"emf record running past the end", "emf", [] { return EmfWith(Le32(27) + Le32(0x7FFFFFF0) + Ints({1, 2})); }, true},
    {"emf polyline with a huge count", "emf", [] { return EmfWith(Record(4, Ints({0, 0, 10, 10, 0x7FFFFFFF, 1, 1}))); }, false},
    {"emf polypolygon counts beyond the points", "emf", [] {
         return EmfWith(Record(8, Ints({0, 0, 10, 10, 2, 3, 3, 1000, 0, 0, 5, 5, 9, 0})));
     }, false},
    {"emf text with a huge character count", "emf", [] {
         return EmfWith(Record(84, Ints({0, 0, 10, 10, 1, 0, 0, 5, 5, 0x7FFFFFF, 76, 0, 0, 0, 0, 0, 0}) + Le32(0x0041)));
     }, false},
    {"emf text whose string lies outside", "emf", [] {
         return EmfWith(Record(84, Ints({0, 0, 10, 10, 1, 0, 0, 5, 5, 4, 4000, 0, 0, 0, 0, 0, 0})));
     }, false},
    {"emf bitmap bits outside the record", "emf", [] {
         return EmfWith(Record(81, Ints({0, 0, 10, 10, 0, 0, 0, 0, 4, 4, 80, 40, 120, 0x7FFFFFF0, 0, 0xCC0020, 10, 10})));
     }, false},
    {"emf bitmap claiming a huge picture", "emf", [] {
         const QByteArray bmi = Ints({40, 50000, 50000}) + Le16(1) + Le16(24) + Ints({0, 0, 0, 0, 0, 0});
         return EmfWith(Record(81, Ints({0, 0, 10, 10, 0, 0, 0, 0, 4, 4, 80, 40, 120, 16, 0, 0xCC0020, 10, 10}) + bmi + QByteArray(16, '\x55')));
     }, false},
    {"emf object handles out of range", "emf", [] {
         return EmfWith(Record(38, Ints({-1, 0, 1, 0, 0})) + Record(37, Ints({0x7FFFFFFF})) + Record(40, Ints({-5})) +
                        Record(43, Ints({1, 1, 20, 20})));
     }, false},
    {"emf clip region with a huge count", "emf", [] {
         return EmfWith(Record(75, Ints({48, 5, 32, 1, 0x7FFFFFFF, 16, 0, 0, 5, 5, 0, 0, 5, 5})));
     }, false},
    {"emf world transform that cannot be inverted", "emf", [] {
         return EmfWith(Record(35, Ints({0, 0, 0, 0, 0, 0})) + Record(43, Ints({1, 1, 20, 20})));
     }, false},
    {"emf fields missing from short records", "emf", [] {
         return EmfWith(Record(43, {}) + Record(84, Ints({0})) + Record(81, {}) + Record(75, Ints({0})) + Record(82, Ints({1})));
     }, false},
    {"emf arc records cut short", "emf", [] {
         return EmfWith(Record(45, Ints({0, 0, 10, 10, 5})) + Record(46, {}) + Record(47, Ints({1})) +
                        Record(55, Ints({0, 0, 40, 40, 1, 1, 2})) + Record(41, Ints({1, 2})) + Record(57, {}));
     }, false},
    {"emf angle arc with a huge radius or angles that are not numbers", "emf", [] {
         return EmfWith(Record(41, Ints({50, 50, -1}) + Float32(0) + Float32(90)) +
                        Record(41, Ints({50, 50, 30}) + Le32(0x7FC00000u) + Le32(0x7F800000u)) +
                        Record(41, Ints({50, 50, 30, 0}) + Float32(3.0e38f)));
     }, false},
    {"emf arcs over the whole coordinate range", "emf", [] {
         return EmfWith(Record(57, Ints({7})) +
                        Record(47, Ints({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, INT32_MAX, 1})) +
                        Record(45, Ints({5, 5, 5, 90, 0, 0, 0, 0})));
     }, false},
    // Windows metafiles
    {"wmf arc records cut short", "wmf", [] {
         return WmfWith(WmfRecord(0x0817, {1, 2, 3}) + WmfRecord(0x081A, {}) + WmfRecord(0x0830, {1, 2, 3, 4, 5, 6, 7}));
     }, false},
    {"wmf record length beyond the file", "wmf", [] { return WmfWith(Le32(0x7FFFFFFF) + Le16(0x041B) + Le16(1)); }, false},
    {"wmf polygon with a huge count", "wmf", [] { return WmfWith(WmfRecord(0x0324, {0x7FFF, 1, 1})); }, false},
    {"wmf text longer than its record", "wmf", [] { return WmfWith(WmfRecord(0x0521, {0x7FFF, 0x4141})); }, false},
    {"wmf selecting objects that do not exist", "wmf", [] {
         return WmfWith(WmfRecord(0x012D, {-1}) + WmfRecord(0x01F0, {300}) + WmfRecord(0x041B, {20, 20, 1, 1}));
     }, false},
    {"wmf bad header", "wmf", [] { return QByteArray("\x01\x00\x07\x00\x00\x03", 6) + QByteArray(12, '\0'); }, true},
};

class DamagedInput : public ::testing::TestWithParam<DamagedCase> {};

} // namespace

TEST_P(DamagedInput, IsRefusedOrReadSafely)
{
    const DamagedCase& c = GetParam();
    // One file per case: ctest runs the cases side by side.
    const QString path = TempPath(QStringLiteral("damaged_%1.%2")
                                      .arg(QString::fromLatin1(c.Name).replace(QLatin1Char(' '), QLatin1Char('_')),
                                           QString::fromLatin1(c.Extension)));
    WriteFile(path, c.Bytes());
    TPicture pic;
    pic.LoadFromFile(FixturePath(QStringLiteral("rgb24.bmp")));
    bool refused = false;
    try {
        pic.LoadFromFile(path);
    } catch (const EInvalidImage& e) {
        refused = true;
        EXPECT_FALSE(e.Message().isEmpty());
    }
    if (c.MustRefuse) {
        EXPECT_TRUE(refused) << c.Name;
    }
    if (refused) {
        // The picture that was there stays.
        ASSERT_NE(pic.Graphic(), nullptr);
        EXPECT_EQ(pic.Graphic()->ClassName(), QStringLiteral("TBitmap"));
        EXPECT_EQ(pic.Width(), 40);
    } else {
        // Whatever was read draws without harm.
        QImage page = WhiteImage(120, 120);
        TImageCanvas canvas(page);
        canvas.StretchDraw({0, 0, 120, 120}, pic.Graphic());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedInput, ::testing::ValuesIn(kCases));

TEST(WindowsMetafile, PlaysShapesTextAndClipping)
{
    // A red rectangle, a black line, and text, in a 100 x 100 window.
    const QByteArray records =
        WmfRecord(0x02FC, {0}, Le32(0x0000FF) + Le16(0)) + // CREATEBRUSHINDIRECT solid red
        WmfRecord(0x012D, {0}) +                           // SELECTOBJECT 0
        WmfRecord(0x041B, {50, 60, 10, 10}) +              // RECTANGLE bottom right top left
        WmfRecord(0x0214, {80, 0}) +                       // MOVETO y x
        WmfRecord(0x0213, {80, 100}) +                     // LINETO
        WmfRecord(0x0102, {1}) +                           // SETBKMODE transparent
        WmfRecord(0x0521, {3}, QByteArray("WMF\0", 4) + Le16(85) + Le16(10)); // TEXTOUT
    const QByteArray wmf = WmfWith(records);
    const QString path = TempPath(QStringLiteral("drawing.wmf"));
    WriteFile(path, wmf);
    TPicture pic;
    pic.LoadFromFile(path);
    auto* mf = dynamic_cast<TMetafile*>(pic.Graphic());
    ASSERT_NE(mf, nullptr);
    EXPECT_FALSE(mf->Enhanced());
    EXPECT_EQ(mf->Width(), 100);
    const QImage img = mf->ToImage();
    EXPECT_EQ(img.pixel(30, 30), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(10, 10), qRgb(0, 0, 0)); // the rectangle's outline
    EXPECT_EQ(img.pixel(70, 30), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(50, 80), qRgb(0, 0, 0));
    EXPECT_GT(CountInk(img, QRect(10, 85, 40, 15)), 10);
    // Kept in its own form.
    TMemoryStream saved;
    mf->SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), wmf);
}
