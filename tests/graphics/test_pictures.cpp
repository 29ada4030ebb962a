// Pictures made by other programs load with the pixels those programs decode, and pictures stored
// in "Data" form come back byte for byte.

#include "GraphicsTestUtil.h"

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace testutil;

std::unique_ptr<TComponent, TComponentDeleter> RoundTripHolderWithPicture(const TPicture& picture, QByteArray* first,
                                                                          QByteArray* second);
const TPicture* HolderPicture(const TComponent* c);

namespace {

struct FileCase {
    const char* File;
    const char* Reference; // ImageMagick's decoding
    const char* ClassName;
    int Tolerance;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.File; }

const FileCase kFiles[] = {
    {"mono1.bmp", "ref_mono1.png", "TBitmap", 0},
    {"pal4.bmp", "ref_pal4.png", "TBitmap", 0},
    {"pal8.bmp", "ref_pal8.png", "TBitmap", 0},
    {"rle8.bmp", "ref_rle8.png", "TBitmap", 0},
    {"rgb565.bmp", "ref_rgb565.png", "TBitmap", 8},
    {"rgb24.bmp", "ref_rgb24.png", "TBitmap", 0},
    {"argb32.bmp", "ref_argb32.png", "TBitmap", 0},
    {"icon.ico", "ref_icon.png", "TIcon", 0},
    {"photo.jpg", "ref_photo.png", "TJPEGImage", 3},
    {"gray.jpg", "ref_gray.png", "TJPEGImage", 3},
};

class PictureFiles : public ::testing::TestWithParam<FileCase> {};

QImage Flatten(const QImage& img)
{
    QImage out(img.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, img);
    return out;
}

} // namespace

TEST_P(PictureFiles, LoadWithTheReferencePixels)
{
    const FileCase& c = GetParam();
    TPicture pic;
    pic.LoadFromFile(FixturePath(QString::fromLatin1(c.File)));
    ASSERT_NE(pic.Graphic(), nullptr);
    EXPECT_EQ(pic.Graphic()->ClassName(), QString::fromLatin1(c.ClassName));
    const QImage reference(FixturePath(QString::fromLatin1(c.Reference)));
    ASSERT_FALSE(reference.isNull());
    EXPECT_EQ(pic.Width(), reference.width());
    EXPECT_EQ(pic.Height(), reference.height());
    EXPECT_EQ(CountDifferent(Flatten(pic.Graphic()->ToImage()), Flatten(reference), c.Tolerance), 0);
}

TEST_P(PictureFiles, DataRoundTripsByteForByte)
{
    const FileCase& c = GetParam();
    const QByteArray file = ReadFile(FixturePath(QString::fromLatin1(c.File)));
    TPicture pic;
    pic.LoadFromFile(FixturePath(QString::fromLatin1(c.File)));
    QByteArray first, second;
    auto back = RoundTripHolderWithPicture(pic, &first, &second);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(first.contains(file)) << "the file's own bytes are stored unchanged";
    const TPicture* read = HolderPicture(back.get());
    ASSERT_NE(read, nullptr);
    ASSERT_NE(read->Graphic(), nullptr);
    EXPECT_EQ(read->Graphic()->ClassName(), QString::fromLatin1(c.ClassName));
    TMemoryStream saved;
    read->Graphic()->SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), file);
}

INSTANTIATE_TEST_SUITE_P(Files, PictureFiles, ::testing::ValuesIn(kFiles));

TEST(Picture, DataLayoutIsClassNameThenTheGraphicsOwnData)
{
    TPicture pic;
    pic.LoadFromFile(FixturePath(QStringLiteral("photo.jpg")));
    TMemoryStream s;
    pic.WriteData(s);
    const QByteArray jpeg = ReadFile(FixturePath(QStringLiteral("photo.jpg")));
    QByteArray expected;
    expected.append(char(10)).append("TJPEGImage");
    const quint32 n = quint32(jpeg.size());
    expected.append(reinterpret_cast<const char*>(&n), 4).append(jpeg);
    EXPECT_EQ(s.Bytes(), expected);

    TPicture bmp;
    bmp.LoadFromFile(FixturePath(QStringLiteral("rgb24.bmp")));
    TMemoryStream b;
    bmp.WriteData(b);
    const QByteArray file = ReadFile(FixturePath(QStringLiteral("rgb24.bmp")));
    EXPECT_EQ(b.Bytes().mid(0, 8), QByteArray("\x07TBitmap"));
    EXPECT_EQ(b.Bytes().mid(12), file);
}

TEST(Picture, EmfMadeByZintLoadsAndDraws)
{
    TPicture pic;
    pic.LoadFromFile(FixturePath(QStringLiteral("code128.emf")));
    auto* mf = dynamic_cast<TMetafile*>(pic.Graphic());
    ASSERT_NE(mf, nullptr);
    EXPECT_TRUE(mf->Enhanced());
    EXPECT_GT(mf->Width(), 50);
    EXPECT_GT(mf->Height(), 20);
    const QImage img = mf->ToImage();
    // Bars: many dark columns across the middle row.
    int transitions = 0;
    const int y = img.height() / 3;
    for (int x = 1; x < img.width(); ++x)
        if ((qGray(img.pixel(x, y)) < 128) != (qGray(img.pixel(x - 1, y)) < 128))
            ++transitions;
    EXPECT_GT(transitions, 20);
}

TEST(Picture, BitmapsWrittenAtEachDepthReadBack)
{
    QImage src(13, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            src.setPixel(x, y, (x + y) % 3 == 0 ? qRgb(0, 0, 0) : (x % 2 ? qRgb(255, 255, 255) : qRgb(200, 10, 10)));
    for (TPixelFormat pf : {pf4bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap b;
        b.SetImage(src);
        b.SetPixelFormat(pf);
        const QString path = TempPath(QStringLiteral("depth%1.bmp").arg(int(pf)));
        b.SaveToFile(path);
        TBitmap r;
        r.LoadFromFile(path);
        EXPECT_EQ(CountDifferent(r.ToImage(), src), 0) << int(pf);
        // ImageMagick reads what we write.
        if (HaveProgram(QStringLiteral("convert"))) {
            const QString png = path + QStringLiteral(".png");
            ASSERT_TRUE(testutil::Run(QStringLiteral("convert"), {path, QStringLiteral("PNG24:") + png}));
            EXPECT_EQ(CountDifferent(QImage(png).convertToFormat(QImage::Format_RGB32), src), 0) << int(pf);
        }
    }
    TBitmap mono;
    QImage bw(9, 3, QImage::Format_RGB32);
    bw.fill(Qt::white);
    bw.setPixel(4, 1, qRgb(0, 0, 0));
    mono.SetImage(bw);
    mono.SetPixelFormat(pf1bit);
    TMemoryStream s;
    mono.SaveToStream(s);
    s.SetPosition(0);
    TBitmap r;
    r.LoadFromStream(s);
    EXPECT_EQ(CountDifferent(r.ToImage(), bw), 0);
}

TEST(Picture, BitmapCanvasDrawsIntoThePixelsAndForgetsTheFile)
{
    TBitmap b;
    b.LoadFromFile(FixturePath(QStringLiteral("rgb24.bmp")));
    const QByteArray file = ReadFile(FixturePath(QStringLiteral("rgb24.bmp")));
    b.Canvas()->Brush()->SetColor(clLime);
    b.Canvas()->FillRect({0, 0, 3, 3});
    EXPECT_EQ(b.ToImage().pixel(1, 1), qRgb(0, 255, 0));
    TMemoryStream s;
    b.SaveToStream(s);
    EXPECT_NE(s.Bytes(), file);
    b.SetSize(60, 40); // the canvas follows the resize
    b.Canvas()->FillRect({50, 30, 60, 40});
    EXPECT_EQ(b.ToImage().pixel(55, 35), qRgb(0, 255, 0));
}

TEST(Picture, JpegFromABitmapIsEncodedAndDrawn)
{
    TBitmap b;
    b.LoadFromFile(FixturePath(QStringLiteral("rgb24.bmp")));
    TJPEGImage j;
    j.Assign(&b);
    EXPECT_EQ(j.Width(), b.Width());
    ASSERT_GE(j.Data().size(), 4);
    EXPECT_EQ(uchar(j.Data()[0]), 0xFF);
    EXPECT_LE(CountDifferent(j.ToImage(), b.ToImage(), 80), b.Width() * b.Height() / 8);
    QImage page = WhiteImage(80, 60);
    {
        TImageCanvas c(page);
        c.StretchDraw({0, 0, 80, 60}, &j);
    }
    EXPECT_GT(CountInk(page, page.rect()), 100);
}

TEST(Picture, UnknownExtensionAndUnknownClassAreRefused)
{
    TPicture pic;
    pic.LoadFromFile(FixturePath(QStringLiteral("rgb24.bmp")));
    try {
        pic.LoadFromFile(QStringLiteral("figura.xyz"));
        FAIL();
    } catch (const EInvalidImage& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unknown picture file extension (.xyz)"));
    }
    EXPECT_EQ(pic.Graphic()->ClassName(), QStringLiteral("TBitmap"));
    TMemoryStream s(QByteArray("\x08TUnknown\0\0\0\0", 13));
    EXPECT_THROW(pic.ReadData(s), EInvalidImage);
    EXPECT_EQ(pic.Width(), 40);
}

TEST(Picture, LoadFromStreamKnowsFormatsBySignature)
{
    for (const char* f : {"rgb24.bmp", "photo.jpg", "icon.ico", "code128.emf"}) {
        TMemoryStream s(ReadFile(FixturePath(QString::fromLatin1(f))));
        TPicture pic;
        pic.LoadFromStream(s);
        EXPECT_FALSE(pic.Empty()) << f;
    }
}
