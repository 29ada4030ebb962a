// Drawing is bounded by the device, not by the file: lines reaching far outside are cut to what
// can be seen before a pixel is stepped, bitmap sources are cut to the bitmap before anything is
// copied, and sizes and coordinates from a file never overflow. The minimal files are ones that
// took the program down; run in the sanitizer build, nothing may be reported.

#include "GraphicsTestUtil.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

using namespace tessiv;
using namespace testutil;

namespace {

QByteArray Hex(const char* hex) { return QByteArray::fromHex(QByteArray(hex)); }

// A line to x = 2,000,000,000 (MoveTo 0,0; LineTo) in an EMF of 160 bytes.
const char* const kLongLineEmf =
    "010000006c000000000000000000000064000000640000000000000000000000085200000474000020454d4600000100a00000000400"
    "0000010000000000000000000000000000001a03000063040000d20000002901000000000000000000000000000050340300288804001b"
    "000000100000000000000000000000360000001000000000943577000000000e00000014000000000000001000000014000000";
// A 1 x 1 bitmap stretched from a 20,000 x 20,000 source.
const char* const kHugeSourceEmf =
    "010000006c000000000000000000000064000000640000000000000000000000085200000474000020454d4600000100fc00000003000000"
    "010000000000000000000000000000001a03000063040000d2000000290100000000000000000000000000005034030028880400510000"
    "007c0000000000000000000000640000006400000000000000000000000000000000000000204e0000204e00005000000028000000780000"
    "0004000000000000002000cc006400000064000000280000000100000001000000010018000000000004000000000000000000000000000000"
    "000000000000ff000e00000014000000000000001000000014000000";
const char* const kHugeSourceWmf =
    "d7cdc69a000000000000e8032003a00500000000795201000900000330000000000024000000000024000000430f2000cc000000204e204e"
    "000000002800280000000000280000000100000001000000010018000000000004000000000000000000000000000000000000000000ff00"
    "030000000000";
// A frame from x = -2^31 to x = 2^31 - 1.
const char* const kFrameOverflowEmf =
    "010000006c000000000000000000000064000000640000000000008000000000ffffff7f6400000020454d46000001008000000002000000"
    "010000000000000000000000000000001a03000063040000d20000002901000000000000000000000000000050340300288804000e000000"
    "14000000000000001000000014000000";

std::unique_ptr<TMetafile> MetafileOf(const QByteArray& bytes)
{
    auto mf = std::make_unique<TMetafile>();
    TMemoryStream s(bytes);
    mf->LoadFromStream(s);
    return mf;
}

// Plays the metafile onto a white image and onto a recording canvas, and the recording onto an
// image again: every path a page takes. `same`: the recording must draw as the file does
// (coordinates near the ends of the int range move by the rounding of the page's scale).
QImage PlayEverywhere(const TMetafile& mf, bool same = true, int size = 100)
{
    QImage img = WhiteImage(size, size);
    {
        TImageCanvas c(img);
        c.StretchDraw({0, 0, size, size}, const_cast<TMetafile*>(&mf));
    }
    TMetafile page;
    page.SetWidth(size);
    page.SetHeight(size);
    {
        TMetafileCanvas rec(page);
        rec.StretchDraw({0, 0, size, size}, const_cast<TMetafile*>(&mf));
    }
    QImage again = WhiteImage(size, size);
    {
        TImageCanvas c(again);
        c.StretchDraw({0, 0, size, size}, &page);
    }
    if (same)
        EXPECT_EQ(CountDifferent(img, again), 0) << "the recorded page draws as the file does";
    return img;
}

// ---- one-pixel lines far outside the device -----------------------------------------------------

struct FarLine {
    const char* Name;
    std::vector<TPoint> Points; // a polyline; the pattern runs on over its corners
};

void PrintTo(const FarLine& c, std::ostream* os) { *os << c.Name; }

const FarLine kFarLines[] = {
    {"horizontal from the left", {{-150, 20}, {180, 20}}},
    {"horizontal from the right", {{180, 21}, {-150, 21}}},
    {"shallow, both ends outside", {{-170, -30}, {190, 55}}},
    {"steep, both ends outside", {{-10, -170}, {47, 190}}},
    {"diagonal, upward", {{-120, 150}, {150, -120}}},
    {"passing by the corner only", {{-100, 37}, {37, -100}}},
    {"never in sight", {{-180, -10}, {-10, -180}}},
    {"polyline in and out", {{-160, 5}, {20, 30}, {25, -140}, {190, 39}}},
};

class FarLines : public ::testing::TestWithParam<FarLine> {};

} // namespace

// A line cut to the device draws the same pixels, its pattern in the same step, as the same line
// drawn whole on a device large enough to hold it.
TEST_P(FarLines, CutToTheDeviceDrawTheSamePixelsInTheSamePatternStep)
{
    const FarLine& c = GetParam();
    for (TPenStyle style : {psSolid, psDash, psDot, psDashDot, psDashDotDot}) {
        auto draw = [&](QImage& img, int shift) {
            TImageCanvas canvas(img);
            canvas.Pen()->SetStyle(style);
            canvas.SetBkMode(OPAQUE);
            canvas.SetBkColor(clRed);
            std::vector<TPoint> pts;
            for (const TPoint& p : c.Points)
                pts.push_back({p.X + shift, p.Y + shift});
            canvas.Polyline(pts);
        };
        QImage small = WhiteImage(40, 40);
        draw(small, 0);
        QImage whole = WhiteImage(440, 440);
        draw(whole, 200);
        EXPECT_EQ(CountDifferent(small, whole.copy(200, 200, 40, 40)), 0) << c.Name << ", style " << int(style);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FarLines, ::testing::ValuesIn(kFarLines));

TEST(FarDrawing, LinesAndOutlinesToTheEndsOfTheCoordinateRangeDrawOnlyWhatShows)
{
    QImage img = WhiteImage(60, 60);
    TImageCanvas c(img);
    c.Pen()->SetStyle(psDot);
    c.SetBkMode(TRANSPARENT);
    c.MoveTo(0, 10);
    c.LineTo(INT_MAX, 10);
    c.MoveTo(INT_MIN, INT_MIN);
    c.LineTo(INT_MAX, INT_MAX);
    c.Brush()->SetStyle(bsClear);
    c.Rectangle(20, INT_MIN, INT_MAX, 40);      // outline from far above to far right
    c.Rectangle(-2000000000, 50, 2000000000, 51); // a box one pixel thin
    c.Polygon({{INT_MIN, 55}, {INT_MAX, 55}, {INT_MAX, 57}});
    // The dotted line along row 10: three on, three off from x = 0 (the diagonal crosses at 10).
    for (int x = 0; x < 60; ++x)
        if (x != 10)
            EXPECT_EQ(img.pixel(x, 10) == qRgb(0, 0, 0), x % 6 < 3) << x;
    // The diagonal passes through the device corner to corner, dotted.
    int diagonal = 0;
    for (int x = 0; x < 60; ++x)
        diagonal += img.pixel(x, x) == qRgb(0, 0, 0);
    EXPECT_GE(diagonal, 30);
    // The thin box's dots start at its far-away left end and run on in step.
    const int start = int((0LL - (-2000000000LL)) % 6);
    for (int x = 0; x < 60; ++x)
        if (x != 50)
            EXPECT_EQ(img.pixel(x, 50) == qRgb(0, 0, 0), (x + start) % 6 < 3) << x;
}

TEST(FarDrawing, NothingIsSteppedWhenNothingCanBeSeen)
{
    QImage img = WhiteImage(60, 60);
    const QImage before = img;
    TImageCanvas c(img);
    c.Pen()->SetStyle(psDash);
    c.IntersectClipRect({20, 20, 20, 40}); // clips everything away
    c.MoveTo(INT_MIN, INT_MIN);
    c.LineTo(INT_MAX, INT_MAX - 7);
    c.Brush()->SetStyle(bsClear);
    c.Ellipse(-16000, -16000, 16000, 16000);
    EXPECT_EQ(CountDifferent(img, before), 0);
}

TEST(FarDrawing, ALineToTwoBillionInAMetafilePlaysAndRecordsAtTheDevicesCost)
{
    const QByteArray bytes = Hex(kLongLineEmf);
    ASSERT_EQ(bytes.size(), 160);
    const auto mf = MetafileOf(bytes);
    const QImage img = PlayEverywhere(*mf);
    // The line runs along the top row from the left edge across the whole picture.
    EXPECT_EQ(CountInk(img, QRect(0, 0, 100, 1)), 100);
    EXPECT_EQ(CountInk(img, QRect(0, 1, 100, 99)), 0);
}

// ---- bitmap sources beyond the bitmap -----------------------------------------------------------

namespace {

// A 1 x 1 red bitmap (bottom-up, 24 bits) as a stretch record's BITMAPINFO and bits.
QByteArray RedDib() { return Ints({40, 1, 1}) + Le16(1) + Le16(24) + Ints({0, 4, 0, 0, 0, 0}); }
QByteArray RedBits() { return QByteArray("\x00\x00\xFF\x00", 4); }

QByteArray StretchDibits(int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh)
{
    const QByteArray bmi = RedDib();
    return EmfRecord(81, Ints({0, 0, 100, 100, dx, dy, sx, sy, sw, sh, 80, int(bmi.size()), 80 + int(bmi.size()), 4, 0,
                               0xCC0020, dw, dh}) +
                             bmi + RedBits());
}

struct SourceCase {
    const char* Name;
    int Sx, Sy, Sw, Sh;
    QRect Red; // where the bitmap's one pixel lands in the 100 x 100 page
};

void PrintTo(const SourceCase& c, std::ostream* os) { *os << c.Name; }

// Source rows of a bottom-up bitmap count from its last row: the pixel is row 0 from the bottom.
const SourceCase kSources[] = {
    {"the bitmap itself", 0, 0, 1, 1, QRect(0, 0, 100, 100)},
    {"two by two from the origin", 0, 0, 2, 2, QRect(0, 50, 50, 50)},
    {"two by two from before the origin", -1, -1, 2, 2, QRect(50, 0, 50, 50)},
    {"four wide, mirrored", 1, 0, -4, 1, QRect(0, 0, 25, 100)},
    {"wholly beside the bitmap", 5, 5, 10, 10, QRect()},
    {"the whole int range", INT_MIN, INT_MIN, INT_MAX, INT_MAX, QRect()},
};

class BitmapSources : public ::testing::TestWithParam<SourceCase> {};

} // namespace

TEST_P(BitmapSources, AreCutToTheBitmapAndKeepTheirPlaceOnTheDestination)
{
    const SourceCase& c = GetParam();
    const auto mf = MetafileOf(EmfWith(StretchDibits(c.Sx, c.Sy, c.Sw, c.Sh, 0, 0, 100, 100)));
    const QImage img = PlayEverywhere(*mf);
    int red = 0, elsewhere = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool isRed = img.pixel(x, y) == qRgb(255, 0, 0);
            red += isRed;
            elsewhere += isRed != c.Red.contains(x, y);
        }
    EXPECT_EQ(red, c.Red.width() * c.Red.height()) << c.Name;
    EXPECT_EQ(elsewhere, 0) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Table, BitmapSources, ::testing::ValuesIn(kSources));

TEST(BitmapSources, ATinyBitmapClaimingAHugeSourceCostsNothing)
{
    // Without the cut these copied a 20,000 x 20,000 source out of a 1 x 1 bitmap.
    for (const char* hex : {kHugeSourceEmf, kHugeSourceWmf}) {
        const auto mf = MetafileOf(Hex(hex));
        const QImage img = PlayEverywhere(*mf);
        // One source pixel in 20,000 is less than a device pixel: nothing shows.
        EXPECT_EQ(CountInk(img, img.rect()), 0);
    }
}

TEST(BitmapSources, TheCanvasCutsASourceBeyondTheBitmap)
{
    QImage bitmap(2, 2, QImage::Format_RGB32);
    bitmap.fill(Qt::blue);
    QImage img = WhiteImage(100, 100);
    {
        TImageCanvas c(img);
        // Half the source lies past the bitmap's right edge: the bitmap fills the left half.
        c.StretchDIBits({0, 0, 100, 100}, {0, 0, 4, 2}, bitmap);
        // A source the size of the int range draws nothing visible and copies nothing.
        c.StretchDIBits({0, 0, 100, 100}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, bitmap);
    }
    EXPECT_EQ(img.pixel(10, 50), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(49, 50), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(50, 50), qRgb(255, 255, 255));
}

// ---- sizes and coordinates from a file ----------------------------------------------------------

TEST(MetafileSizes, AFrameThatDoesNotFitIsRefusedAndThePictureStays)
{
    TPicture pic;
    pic.LoadFromFile(FixturePath(QStringLiteral("rgb24.bmp")));
    const QString path = TempPath(QStringLiteral("frame_overflow.emf"));
    WriteFile(path, Hex(kFrameOverflowEmf));
    try {
        pic.LoadFromFile(path);
        FAIL() << "a frame wider than any picture was accepted";
    } catch (const EInvalidImage& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("frame")));
    }
    ASSERT_NE(pic.Graphic(), nullptr);
    EXPECT_EQ(pic.Graphic()->ClassName(), QStringLiteral("TBitmap"));
}

TEST(MetafileSizes, AFrameThatFitsGivesItsSizeInPixelsWithoutOverflow)
{
    // 1,677 m wide: hundredths of a millimetre times the screen's resolution pass the int range.
    QByteArray bytes = EmfWith({});
    const std::int32_t wide = 167799825;
    bytes.replace(32, 4, Ints({wide}));
    const auto mf = MetafileOf(bytes);
    EXPECT_EQ(mf->MMWidth(), wide);
    EXPECT_EQ(mf->Width(), int(std::lround(double(wide) * ScreenPixelsPerInch() / 2540.0)));
    mf->SetMMHeight(wide);
    EXPECT_EQ(mf->Height(), mf->Width());
}

namespace {

struct ExtremeRecord {
    const char* Name;
    std::function<QByteArray()> Records;
};

void PrintTo(const ExtremeRecord& c, std::ostream* os) { *os << c.Name; }

QByteArray TextWithAdvances(std::int32_t x, std::int32_t advance, std::uint32_t align)
{
    // EXTTEXTOUTW: four characters, each advancing by `advance`.
    return EmfRecord(22, Ints({int(align)})) +
           EmfRecord(84, Ints({0, 0, 10, 10, 1, 0, 0, x, 50, 4, 76, 0, 0, 0, -1, -1, 84}) + Le16('A') + Le16('B') +
                             Le16('C') + Le16('D') + Ints({advance, advance, advance, advance}));
}

const ExtremeRecord kExtremes[] = {
    {"text advances adding up past the int range", [] { return TextWithAdvances(10, INT_MAX, 0); }},
    {"text advances far negative, right aligned", [] { return TextWithAdvances(INT_MIN, INT_MIN, 2); }},
    {"text advances, centred, updating the position", [] { return TextWithAdvances(INT_MAX, INT_MAX, 6 | 1); }},
    {"text clipped to a box over the whole range", [] {
         return EmfRecord(84, Ints({0, 0, 10, 10, 1, 0, 0, 5, 5, 1, 76, 6, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0}) +
                                  Le16('A') + Le16(0));
     }},
    {"rectangle over the whole range", [] { return EmfRecord(43, Ints({INT_MIN, INT_MIN, INT_MAX, INT_MAX})); }},
    {"rectangles at the ends of the range", [] {
         return EmfRecord(43, Ints({INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX})) +
                EmfRecord(43, Ints({INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1})) +
                EmfRecord(42, Ints({INT_MIN, 0, INT_MAX, 50}));
     }},
    {"bitmap destinations over the whole range", [] {
         return StretchDibits(0, 0, 1, 1, INT_MIN, INT_MIN, INT_MAX, INT_MAX) +
                StretchDibits(0, 0, 1, 1, INT_MAX, INT_MAX, INT_MAX, INT_MAX) +
                StretchDibits(0, 0, 1, 1, 10, 10, INT_MIN, INT_MIN);
     }},
    {"bitmap source origin at the ends of the range", [] {
         return StretchDibits(INT_MAX, INT_MIN, INT_MAX, INT_MAX, 0, 0, 100, 100) +
                StretchDibits(INT_MIN, INT_MAX, INT_MIN, INT_MIN, 0, 0, 100, 100);
     }},
    {"polyline over the whole range, dashed", [] {
         return EmfRecord(38, Ints({1, 1, 0, 0, 0})) + EmfRecord(37, Ints({1})) +
                EmfRecord(4, Ints({0, 0, 0, 0, 3, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MIN, INT_MAX}));
     }},
    {"window origin and extent at the ends of the range", [] {
         return EmfRecord(17, Ints({8})) + EmfRecord(10, Ints({INT_MIN, INT_MAX})) + EmfRecord(9, Ints({1, -1})) +
                EmfRecord(11, Ints({INT_MAX, INT_MAX})) + EmfRecord(43, Ints({0, 0, 10, 10})) +
                EmfRecord(54, Ints({INT_MAX, INT_MIN}));
     }},
};

class ExtremeRecords : public ::testing::TestWithParam<ExtremeRecord> {};

} // namespace

TEST_P(ExtremeRecords, PlayAndRecordWithoutOverflow)
{
    const auto mf = MetafileOf(EmfWith(GetParam().Records()));
    PlayEverywhere(*mf, false);
}

INSTANTIATE_TEST_SUITE_P(Table, ExtremeRecords, ::testing::ValuesIn(kExtremes));

// ---- a picture larger than the memory left ------------------------------------------------------

namespace {

// An 8-bit run-length bitmap of 8192 x 8192 pixels: half a megabyte of file, 256 MB decoded.
QByteArray HugeRleBmp()
{
    constexpr int side = 8192;
    QByteArray bits;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; x += 128)
            bits.append(char(128)).append(char(y & 1));
        bits.append(2, '\0'); // end of line
    }
    bits.append('\0').append('\1'); // end of bitmap
    const QByteArray info = Ints({40, side, side}) + Le16(1) + Le16(8) + Ints({1, int(bits.size()), 2835, 2835, 2, 0}) +
                            QByteArray("\0\0\0\0\xFF\xFF\xFF\0", 8);
    const int offset = 14 + int(info.size());
    return QByteArray("BM", 2) + Le32(std::uint32_t(offset + bits.size())) + Le32(0) + Le32(std::uint32_t(offset)) +
           info + bits;
}

} // namespace

// Run in a process whose allocations above 64 MB fail, as in a limited address space: the
// picture is refused with a message that says why, and the program goes on.
TEST(PictureMemory, APictureTooLargeForTheMemoryLeftIsRefusedWithAMessage)
{
    if (qEnvironmentVariableIsSet("TESSIV_LIMITED_MEMORY")) {
        TBitmap bitmap;
        TMemoryStream stream(HugeRleBmp());
        try {
            bitmap.LoadFromStream(stream);
            ADD_FAILURE() << "decoded";
        } catch (const EInvalidImage& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Not enough memory to decode a picture of 8192 x 8192 pixels"));
        }
        EXPECT_TRUE(bitmap.Empty());
        return;
    }
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "limits the child's allocations through the address sanitizer";
#endif
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSIV_LIMITED_MEMORY"), QStringLiteral("1"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) +
                                                   QStringLiteral(":allocator_may_return_null=1:max_allocation_size_mb=64"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
                {QStringLiteral("--gtest_filter=PictureMemory.APictureTooLargeForTheMemoryLeftIsRefusedWithAMessage")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.constData();
    EXPECT_EQ(child.exitCode(), 0) << output.constData();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
}
