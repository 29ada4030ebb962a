// Our enhanced metafiles as other programs see them: the header and record layout Microsoft
// publishes, emf2svg's rendering (when installed), and LibreOffice's (when installed).

#include "GraphicsTestUtil.h"

#include "platform/core/Streams.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstring>

using namespace tessiv;
using namespace testutil;

namespace {

std::uint32_t U32At(const QByteArray& b, int at)
{
    std::uint32_t v;
    std::memcpy(&v, b.constData() + at, 4);
    return v;
}

// A page like a report's: a title, a framed box, a line and a picture.
std::unique_ptr<TMetafile> SamplePage()
{
    auto mf = std::make_unique<TMetafile>();
    mf->SetWidth(400);
    mf->SetHeight(300);
    TMetafileCanvas c(*mf);
    c.Font()->SetName(QStringLiteral("Arial"));
    c.Font()->SetSize(14);
    c.Brush()->SetStyle(bsClear);
    c.TextOut(40, 30, QStringLiteral("Tessiv Page"));
    c.Brush()->SetColor(clYellow);
    c.Pen()->SetColor(clBlue);
    c.Rectangle(40, 100, 200, 180);
    c.Pen()->SetColor(clRed);
    c.MoveTo(40, 250);
    c.LineTo(360, 250);
    QImage pixels(8, 8, QImage::Format_RGB32);
    pixels.fill(qRgb(0, 128, 0));
    c.StretchDIBits({260, 100, 340, 180}, {0, 0, 8, 8}, pixels);
    c.Finish();
    return mf;
}

} // namespace

TEST(EmfFormat, HeaderAndRecordsFollowThePublishedLayout)
{
    const auto mf = SamplePage();
    const QByteArray b = mf->Data();
    ASSERT_GE(b.size(), 108);
    EXPECT_EQ(U32At(b, 0), 1u);                  // EMR_HEADER
    EXPECT_EQ(U32At(b, 40), 0x464D4520u);        // " EMF"
    EXPECT_EQ(U32At(b, 48), std::uint32_t(b.size()));
    const TEmfHeader h = mf->Header();
    EXPECT_EQ(h.Frame, (TRect{0, 0, 10583, 7938})); // 400 x 300 pixels at 96 dpi, in 0.01 mm
    EXPECT_EQ(h.Device, (TSize{1920, 1440}));
    EXPECT_EQ(h.Millimeters, (TSize{508, 381}));
    EXPECT_LE(h.Bounds.Left, 40);
    EXPECT_GE(h.Bounds.Right, 359);
    // Walk the records: every length inside the file, the count as the header says, EOF last.
    std::uint32_t records = 0, last = 0;
    bool sawText = false, sawDib = false, sawFont = false;
    for (int pos = 0; pos < b.size();) {
        const std::uint32_t type = U32At(b, pos), size = U32At(b, pos + 4);
        ASSERT_GE(size, 8u);
        ASSERT_EQ(size % 4, 0u);
        ASSERT_LE(pos + int(size), b.size());
        sawText |= type == 84;
        sawDib |= type == 81;
        sawFont |= type == 82;
        last = type;
        ++records;
        pos += int(size);
    }
    EXPECT_EQ(records, h.Records);
    EXPECT_EQ(last, 14u);
    EXPECT_TRUE(sawText && sawDib && sawFont);
    EXPECT_EQ(mf->Width(), 400);
    EXPECT_EQ(mf->Height(), 300);
}

TEST(EmfFormat, SavedAndLoadedBytesPlayTheSame)
{
    const auto mf = SamplePage();
    const QString path = TempPath(QStringLiteral("page.emf"));
    mf->SaveToFile(path);
    TMetafile loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Data(), mf->Data());
    EXPECT_EQ(loaded.Width(), 400);
    EXPECT_EQ(CountDifferent(loaded.ToImage(), mf->ToImage()), 0);
}

TEST(EmfFormat, PlaysStretchedIntoAnyRectangle)
{
    const auto mf = SamplePage();
    QImage img = WhiteImage(200, 150);
    {
        TImageCanvas c(img);
        c.StretchDraw({0, 0, 200, 150}, mf.get());
    }
    // The yellow box at half size: (20, 50)-(100, 90).
    EXPECT_EQ(img.pixel(60, 70), qRgb(255, 255, 0));
    EXPECT_EQ(img.pixel(150, 70), qRgb(0, 128, 0));
    EXPECT_EQ(img.pixel(110, 70), qRgb(255, 255, 255));
}

TEST(EmfExternal, Emf2SvgDrawsTextLinesAndPicturesWhereWePutThem)
{
    if (!HaveProgram(QStringLiteral("emf2svg-conv")))
        GTEST_SKIP() << "emf2svg-conv is not installed";
    const auto mf = SamplePage();
    const QString emf = TempPath(QStringLiteral("external.emf"));
    const QString svg = TempPath(QStringLiteral("external.svg"));
    mf->SaveToFile(emf);
    QByteArray output;
    ASSERT_TRUE(testutil::Run(QStringLiteral("emf2svg-conv"), {QStringLiteral("-i"), emf, QStringLiteral("-o"), svg}, &output))
        << output.constData();
    const QByteArray xml = ReadFile(svg);
    ASSERT_FALSE(xml.isEmpty());
    QXmlStreamReader r(xml);
    bool text = false, image = false, rectOrPath = false;
    QRectF rect, picture;
    double textX = -1, textY = -1;
    QString allText;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        const QString name = r.name().toString();
        if (name == QLatin1String("text")) {
            text = true;
            textX = r.attributes().value(QLatin1String("x")).toDouble();
            textY = r.attributes().value(QLatin1String("y")).toDouble();
            allText += r.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == QLatin1String("image")) {
            image = true;
            const auto a = r.attributes();
            picture = QRectF(a.value(QLatin1String("x")).toDouble(), a.value(QLatin1String("y")).toDouble(),
                             a.value(QLatin1String("width")).toDouble(), a.value(QLatin1String("height")).toDouble());
        } else if (name == QLatin1String("rect")) {
            rectOrPath = true;
            const auto a = r.attributes();
            rect = QRectF(a.value(QLatin1String("x")).toDouble(), a.value(QLatin1String("y")).toDouble(),
                          a.value(QLatin1String("width")).toDouble(), a.value(QLatin1String("height")).toDouble());
        } else if (name == QLatin1String("path") || name == QLatin1String("polyline")) {
            rectOrPath = true;
        }
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    EXPECT_TRUE(text);
    EXPECT_TRUE(allText.contains(QStringLiteral("Tessiv Page"))) << allText.toStdString();
    // The text's reference point is where we drew it (top-left aligned at 40, 30; emf2svg places
    // by the baseline), in the page's own pixels.
    EXPECT_NEAR(textX, 40, 3);
    EXPECT_GT(textY, 30);
    EXPECT_LT(textY, 60);
    EXPECT_TRUE(image);
    EXPECT_TRUE(rectOrPath);
    if (!rect.isNull()) {
        EXPECT_NEAR(rect.x(), 40, 1);
        EXPECT_NEAR(rect.y(), 100, 1);
        EXPECT_NEAR(rect.right(), 200, 2);
        EXPECT_NEAR(rect.bottom(), 180, 2);
    }
    EXPECT_NEAR(picture.x(), 260, 1);
    EXPECT_NEAR(picture.y(), 100, 1);
    EXPECT_NEAR(picture.width(), 80, 1);
    EXPECT_NEAR(picture.height(), 80, 1);
}

TEST(EmfExternal, LibreOfficeRendersOurPage)
{
    QString office;
    for (const char* p : {"soffice", "libreoffice"})
        if (HaveProgram(QString::fromLatin1(p)))
            office = QString::fromLatin1(p);
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const auto mf = SamplePage();
    const QString emf = TempPath(QStringLiteral("office.emf"));
    mf->SaveToFile(emf);
    const QString dir = TempPath(QStringLiteral("office"));
    ASSERT_TRUE(testutil::Run(office, {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("png"),
                             QStringLiteral("--outdir"), dir, emf},
                    nullptr, 180000));
    QImage png(dir + QStringLiteral("/office.png"));
    ASSERT_FALSE(png.isNull());
    png = png.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
    const QRgb box = png.pixel(120, 140), picture = png.pixel(300, 140);
    EXPECT_GT(qRed(box), 200);
    EXPECT_GT(qGreen(box), 200);
    EXPECT_LT(qBlue(box), 80);
    EXPECT_LT(qRed(picture), 80);
    EXPECT_GT(qGreen(picture), 90);
    EXPECT_GT(CountInk(png, QRect(40, 25, 150, 30)), 30);
}
