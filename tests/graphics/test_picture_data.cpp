// What a picture file holds against what it claims: a bitmap that loads saves as something that
// loads again, alone and inside a picture's "Data"; a JPEG's claimed size must be in proportion to
// its data, and a JPEG whose data ends early is reported rather than shown grey.

#include "GraphicsTestUtil.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tessiv;
using namespace testutil;

namespace {

QByteArray Fixture(const char* name) { return ReadFile(FixturePath(QString::fromLatin1(name))); }

QByteArray WithSizeField(QByteArray bmp, std::uint32_t size)
{
    std::memcpy(bmp.data() + 2, &size, 4);
    return bmp;
}

std::unique_ptr<TBitmap> BitmapOf(const QByteArray& bytes)
{
    auto b = std::make_unique<TBitmap>();
    TMemoryStream s(bytes);
    b->LoadFromStream(s);
    return b;
}

struct SizeFieldCase {
    const char* Name;
    const char* Fixture;
    int Shrink; // bytes the size field claims fewer than the file has; -1: a size of 26
};

void PrintTo(const SizeFieldCase& c, std::ostream* os) { *os << c.Name; }

const SizeFieldCase kSizeFields[] = {
    {"24 bits, size field cuts the pixels", "rgb24.bmp", 1000},
    {"24 bits, size field of a bare header", "rgb24.bmp", -1},
    {"8 bits with palette, size field one byte short", "pal8.bmp", 1},
    {"run-length coded, size field cuts the runs", "rle8.bmp", 200},
    {"1 bit, size field right after the palette", "mono1.bmp", 240},
};

class BitmapSizeField : public ::testing::TestWithParam<SizeFieldCase> {};

} // namespace

TEST_P(BitmapSizeField, WhatLoadsIsWhatIsSaved)
{
    const SizeFieldCase& c = GetParam();
    const QByteArray original = Fixture(c.Fixture);
    const std::uint32_t field = c.Shrink < 0 ? 26u : std::uint32_t(original.size() - c.Shrink);
    const QByteArray file = WithSizeField(original, field);
    const auto bitmap = BitmapOf(file);
    const QImage shown = bitmap->ToImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown, BitmapOf(original)->ToImage()) << "the pixels past the size field are shown";

    // Saved alone, the file loads again with the same pixels.
    TMemoryStream alone;
    bitmap->SaveToStream(alone);
    EXPECT_EQ(BitmapOf(alone.Bytes())->ToImage(), shown);

    // Saved as a picture's data (as a report stores it), it reads back the same.
    TPicture pic;
    pic.Assign(bitmap.get());
    TMemoryStream data;
    pic.WriteData(data);
    data.SetPosition(0);
    TPicture back;
    back.ReadData(data);
    ASSERT_NE(back.Graphic(), nullptr);
    EXPECT_EQ(back.Graphic()->ToImage(), shown);
}

INSTANTIATE_TEST_SUITE_P(Table, BitmapSizeField, ::testing::ValuesIn(kSizeFields));

TEST(BitmapSizeField, AFileWithTrailingBytesAfterItsPictureSavesAsTheFileItDeclares)
{
    // Bytes after a sound file (a download with padding) are not part of the picture.
    const QByteArray original = Fixture("rgb24.bmp");
    const auto bitmap = BitmapOf(original + QByteArray(64, 'x'));
    TMemoryStream saved;
    bitmap->SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), original);
}

// ---- JPEG ---------------------------------------------------------------------------------------

namespace {

int FindMarker(const QByteArray& jpeg, uchar marker)
{
    for (int i = 2; i + 1 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && uchar(jpeg[i + 1]) == marker)
            return i;
    return -1;
}

QByteArray Claiming(QByteArray jpeg, int width, int height)
{
    const int sof = FindMarker(jpeg, 0xC0);
    if (sof > 0) {
        jpeg[sof + 5] = char(height >> 8), jpeg[sof + 6] = char(height);
        jpeg[sof + 7] = char(width >> 8), jpeg[sof + 8] = char(width);
    }
    return jpeg;
}

QString Refusal(const QByteArray& bytes)
{
    TJPEGImage jpeg;
    TMemoryStream s(bytes);
    try {
        jpeg.LoadFromStream(s);
    } catch (const EInvalidImage& e) {
        EXPECT_TRUE(jpeg.Empty()) << "a refused file leaves the picture as it was";
        return e.Message();
    }
    return {};
}

} // namespace

TEST(JpegData, ASmallFileClaimingAHugePictureIsRefusedBeforeDecoding)
{
    // A few hundred bytes claiming 8000 x 8000 took 582 MB.
    for (const char* name : {"gray.jpg", "photo.jpg"}) {
        const QByteArray bytes = Claiming(Fixture(name), 8000, 8000);
        ASSERT_LT(bytes.size(), 2000);
        EXPECT_TRUE(Refusal(bytes).contains(QStringLiteral("larger than its data"))) << name;
    }
}

TEST(JpegData, DataEndingEarlyIsReportedNotShownGrey)
{
    const QByteArray photo = Fixture("photo.jpg");
    const int scan = FindMarker(photo, 0xDA);
    ASSERT_GT(scan, 0);
    // Cut inside the coded data, and the same with an end marker put after the cut.
    for (const QByteArray& bytes : {photo.left(scan + 200), photo.left(scan + 200) + QByteArray("\xFF\xD9", 2)}) {
        const QString reason = Refusal(bytes);
        EXPECT_TRUE(reason.contains(QStringLiteral("JPEG"))) << reason.toStdString();
        EXPECT_TRUE(reason.contains(QStringLiteral("end"), Qt::CaseInsensitive)) << reason.toStdString();
    }
}

TEST(JpegData, LargeFlatPicturesOfOurOwnStillLoad)
{
    // A flat picture compresses best of all: the size rule must leave room for it.
    for (int quality : {1, 50, 100}) {
        QImage flat(2400, 1800, QImage::Format_RGB32);
        flat.fill(Qt::white);
        TJPEGImage jpeg;
        jpeg.SetCompressionQuality(quality);
        jpeg.SetImage(flat);
        TMemoryStream s(jpeg.Data());
        TJPEGImage back;
        back.LoadFromStream(s);
        EXPECT_EQ(back.Width(), 2400) << quality;
        EXPECT_EQ(back.Height(), 1800) << quality;
    }
}
