// The canvas keeps GDI's rules: which pixels a shape covers, where text lands for each alignment
// and angle, how fonts are chosen and measured, mapping modes and clipping.

#include "GraphicsTestUtil.h"

#include <gtest/gtest.h>

using namespace tessiv;
using namespace testutil;

namespace {

QRect InkBox(const QImage& img, int threshold = 160)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < threshold)
                r |= QRect(x, y, 1, 1);
    return r;
}

bool Black(const QImage& img, int x, int y) { return img.pixel(x, y) == qRgb(0, 0, 0); }
bool White(const QImage& img, int x, int y) { return img.pixel(x, y) == qRgb(255, 255, 255); }

} // namespace

TEST(Canvas, ShapesCoverGdisPixels)
{
    struct Case {
        const char* Name;
        std::function<void(TCanvas&)> Draw;
        QRect Ink; // the pixels expected dark, as a box
    } cases[] = {
        {"LineTo leaves out the end pixel", [](TCanvas& c) { c.MoveTo(2, 3); c.LineTo(10, 3); }, QRect(QPoint(2, 3), QPoint(9, 3))},
        {"vertical LineTo", [](TCanvas& c) { c.MoveTo(4, 2); c.LineTo(4, 9); }, QRect(QPoint(4, 2), QPoint(4, 8))},
        {"Rectangle excludes right and bottom", [](TCanvas& c) { c.Brush()->SetColor(clBlack); c.Rectangle(2, 2, 10, 8); }, QRect(QPoint(2, 2), QPoint(9, 7))},
        {"FillRect excludes right and bottom", [](TCanvas& c) { c.Brush()->SetColor(clBlack); c.FillRect({3, 4, 7, 6}); }, QRect(QPoint(3, 4), QPoint(6, 5))},
        {"FrameRect", [](TCanvas& c) { c.Brush()->SetColor(clBlack); c.FrameRect({1, 1, 9, 9}); }, QRect(QPoint(1, 1), QPoint(8, 8))},
        {"Rectangle without a pen fills one less", [](TCanvas& c) { c.Pen()->SetStyle(psClear); c.Brush()->SetColor(clBlack); c.Rectangle(2, 2, 10, 8); }, QRect(QPoint(2, 2), QPoint(8, 6))},
        {"Polyline", [](TCanvas& c) { c.Polyline({{1, 1}, {6, 1}, {6, 6}}); }, QRect(QPoint(1, 1), QPoint(6, 5))},
        {"reversed Rectangle is normalised", [](TCanvas& c) { c.Brush()->SetColor(clBlack); c.Rectangle(10, 8, 2, 2); }, QRect(QPoint(2, 2), QPoint(9, 7))},
    };
    for (const Case& k : cases) {
        QImage img = WhiteImage(16, 16);
        {
            TImageCanvas c(img);
            k.Draw(c);
        }
        EXPECT_EQ(InkBox(img), k.Ink) << k.Name;
    }
}

TEST(Canvas, FrameRectLeavesTheInsideAlone)
{
    QImage img = WhiteImage(12, 12);
    {
        TImageCanvas c(img);
        c.Brush()->SetColor(clBlack);
        c.FrameRect({1, 1, 9, 9});
    }
    EXPECT_TRUE(Black(img, 1, 5));
    EXPECT_TRUE(Black(img, 8, 5));
    EXPECT_TRUE(White(img, 5, 5));
    EXPECT_TRUE(White(img, 9, 5));
}

TEST(Canvas, DottedLinesAndOpaqueGaps)
{
    QImage img = WhiteImage(40, 6);
    {
        TImageCanvas c(img);
        c.Pen()->SetStyle(psDot);
        c.SetBkMode(TRANSPARENT);
        c.MoveTo(0, 1);
        c.LineTo(40, 1);
        c.SetBkMode(OPAQUE);
        c.SetBkColor(clRed);
        c.MoveTo(0, 4);
        c.LineTo(40, 4);
    }
    // three on, three off
    EXPECT_TRUE(Black(img, 0, 1));
    EXPECT_TRUE(Black(img, 2, 1));
    EXPECT_TRUE(White(img, 3, 1));
    EXPECT_TRUE(White(img, 5, 1));
    EXPECT_TRUE(Black(img, 6, 1));
    EXPECT_EQ(img.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_TRUE(Black(img, 7, 4));
}

TEST(Canvas, NotXorDrawnTwiceRemovesItself)
{
    QImage img = WhiteImage(30, 30);
    {
        TImageCanvas c(img);
        c.Brush()->SetColor(clYellow);
        c.FillRect({5, 5, 25, 25});
    }
    const QImage before = img.copy();
    {
        TImageCanvas c(img);
        c.Pen()->SetMode(pmNotXor);
        c.Brush()->SetStyle(bsClear);
        c.Rectangle(2, 2, 20, 20);
        EXPECT_GT(CountDifferent(img, before), 40);
        c.Rectangle(2, 2, 20, 20);
    }
    EXPECT_EQ(CountDifferent(img, before), 0);
}

TEST(Canvas, TextLandsByAlignmentAndAngle)
{
    TTextMetricsGuard fake(std::make_shared<TFakeTextMetrics>());
    // With fake metrics at height -20: each character 10 wide; ascent 18, descent 5, height 23.
    struct Case {
        const char* Name;
        unsigned Align;
        int Angle;
        QRect Box; // the text cell: where the ink must lie
    } cases[] = {
        {"left top", TA_LEFT | TA_TOP, 0, QRect(100, 100, 40, 23)},
        {"right top", TA_RIGHT | TA_TOP, 0, QRect(60, 100, 40, 23)},
        {"centre top", TA_CENTER | TA_TOP, 0, QRect(80, 100, 40, 23)},
        {"left baseline", TA_LEFT | TA_BASELINE, 0, QRect(100, 82, 40, 23)},
        {"left bottom", TA_LEFT | TA_BOTTOM, 0, QRect(100, 77, 40, 23)},
        {"90 degrees reads upwards", TA_LEFT | TA_TOP, 900, QRect(100, 60, 23, 40)},
        {"180 degrees", TA_LEFT | TA_TOP, 1800, QRect(60, 77, 40, 23)},
        {"270 degrees reads downwards", TA_LEFT | TA_TOP, 2700, QRect(77, 100, 23, 40)},
    };
    for (const Case& k : cases) {
        QImage img = WhiteImage(200, 200);
        {
            TImageCanvas c(img);
            c.Brush()->SetStyle(bsClear);
            c.Font()->SetName(QStringLiteral("Arial"));
            c.Font()->SetHeight(-20);
            c.Font()->SetOrientation(k.Angle);
            c.SetTextAlign(k.Align);
            c.TextOut(100, 100, QStringLiteral("IIII"));
        }
        const QRect ink = InkBox(img);
        EXPECT_FALSE(ink.isEmpty()) << k.Name;
        EXPECT_TRUE(k.Box.adjusted(-1, -1, 1, 1).contains(ink)) << k.Name << " ink " << ink.x() << "," << ink.y()
                                                               << " " << ink.width() << "x" << ink.height();
        // The glyphs fill most of the cell along the text.
        const int along = (k.Angle == 900 || k.Angle == 2700) ? ink.height() : ink.width();
        EXPECT_GE(along, 28) << k.Name;
    }
}

TEST(Canvas, OpaqueTextFillsItsCellWithTheBackground)
{
    TTextMetricsGuard fake(std::make_shared<TFakeTextMetrics>());
    QImage img = WhiteImage(100, 50);
    {
        TImageCanvas c(img);
        c.Font()->SetHeight(-20);
        c.Brush()->SetColor(clYellow); // an opaque background of the brush's colour
        c.TextOut(10, 10, QStringLiteral("ab"));
        c.Brush()->SetStyle(bsClear);
        c.SetTextAlign(TA_LEFT);
    }
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 255, 0));
    EXPECT_EQ(img.pixel(29, 32), qRgb(255, 255, 0));
    EXPECT_EQ(img.pixel(30, 10), qRgb(255, 255, 255));
}

TEST(Canvas, FakeMetricsAreExact)
{
    TTextMetricsGuard fake(std::make_shared<TFakeTextMetrics>());
    QImage img = WhiteImage(10, 10);
    TImageCanvas c(img);
    c.Font()->SetSize(10); // -13 at 96 dpi
    EXPECT_EQ(c.Font()->Height(), -13);
    EXPECT_EQ(c.TextWidth(QStringLiteral("abc")), 21);
    EXPECT_EQ(c.TextWidth(QString()), 0);
    const TTextMetric m = c.GetTextMetrics();
    EXPECT_EQ(m.Ascent, 12);
    EXPECT_EQ(m.Descent, 4);
    EXPECT_EQ(c.TextHeight(QStringLiteral("W")), 16);
    EXPECT_EQ(m.InternalLeading, 3);
}

TEST(Canvas, OnlyMetricCompatibleSubstitutesStandForAMissingName)
{
    // fonts-liberation2 holds the metric-compatible faces of the three core fonts.
    const struct {
        const char* Name;
        const char* Substitute;
    } cases[] = {
        {"Arial", "Liberation Sans"},
        {"times new roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        // An installed family stands for itself.
        {"Liberation Sans", ""},
        // Any other name gets only fontconfig's generic fallback, which is no stand-in.
        {"Fonte Que Não Existe", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MetricCompatibleFamily(QString::fromUtf8(c.Name)), QString::fromLatin1(c.Substitute)) << c.Name;
}

TEST(Canvas, RealFontsResolveAndMeasureAsGdiDoes)
{
    EXPECT_EQ(ResolveFontFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    EXPECT_FALSE(ResolveFontFamily(QStringLiteral("Fonte Que Não Existe")).isEmpty());
    TLogFont arial;
    arial.FaceName = QStringLiteral("Arial");
    arial.Height = -13;
    TFontTextMetrics metrics;
    const TTextMetric m = metrics.Metrics(arial);
    // The metric-compatible face gives the Windows cell: 10 points at 96 dpi.
    EXPECT_EQ(m.Height, 15);
    EXPECT_EQ(m.Ascent, 12);
    EXPECT_EQ(m.Descent, 3);
    EXPECT_EQ(m.InternalLeading, 2);
    const std::vector<int> adv = metrics.Advances(arial, QStringLiteral("Wi"));
    ASSERT_EQ(adv.size(), 2u);
    EXPECT_GT(adv[0], adv[1]);
    // A font the machine lacks still measures, without error.
    TLogFont missing = arial;
    missing.FaceName = QStringLiteral("Fonte Que Não Existe");
    EXPECT_GT(metrics.Metrics(missing).Height, 0);
    EXPECT_GT(metrics.TextExtent(missing, QStringLiteral("abc")).cx, 0);
    // A positive height is the whole cell.
    TLogFont cell = arial;
    cell.Height = 15;
    EXPECT_EQ(metrics.Metrics(cell).Height, 15);
}

TEST(Canvas, WhatIsMeasuredIsDrawn)
{
    QImage img = WhiteImage(400, 60);
    int width = 0;
    {
        TImageCanvas c(img);
        c.Font()->SetName(QStringLiteral("Arial"));
        c.Font()->SetSize(12);
        c.Brush()->SetStyle(bsClear);
        const QString text = QStringLiteral("Mmmm Tessiv Relatórios WWW");
        width = c.TextWidth(text);
        c.TextOut(10, 10, text);
        c.TextOut(10 + width, 10, QStringLiteral("|"));
    }
    const QRect ink = InkBox(img);
    EXPECT_NEAR(ink.left(), 10, 2);
    // The bar after the text sits right at the measured end, no overlap, no gap.
    int lastTextColumn = 0;
    for (int x = 10; x < 10 + width - 1; ++x)
        for (int y = 0; y < 60; ++y)
            if (qGray(img.pixel(x, y)) < 160)
                lastTextColumn = x;
    EXPECT_LE(lastTextColumn, 10 + width);
    EXPECT_GE(lastTextColumn, 10 + width - 4);
}

TEST(Canvas, FontsArePickedByWholePixelsAtTheDeviceResolution)
{
    QImage img = WhiteImage(10, 10);
    TPainterCanvas printer(nullptr, TDeviceCaps{600, 600, 4960, 7016});
    TFont screen;
    screen.SetSize(10);
    printer.SetFont(&screen);
    EXPECT_EQ(printer.Font()->Height(), -83);
    EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(printer.GetDeviceCaps(HORZRES), 4960);
    EXPECT_EQ(printer.GetDeviceCaps(HORZSIZE), 210);
    EXPECT_EQ(printer.GetDeviceCaps(NUMCOLORS), -1);
    // Without a device it measures, and drawing does nothing.
    EXPECT_GT(printer.TextWidth(QStringLiteral("abc")), 0);
    printer.Rectangle(0, 0, 100, 100);
    printer.TextOut(10, 10, QStringLiteral("abc"));
}

TEST(Canvas, AnisotropicMappingScalesShapesAndText)
{
    TTextMetricsGuard fake(std::make_shared<TFakeTextMetrics>());
    QImage img = WhiteImage(200, 200);
    {
        TImageCanvas c(img);
        c.SetMapMode(MM_ANISOTROPIC);
        c.SetWindowOrg(100, 100);
        c.SetWindowExt(1000, 1000);
        c.SetViewportExt(100, 100);
        c.SetViewportOrg(10, 20);
        EXPECT_EQ(c.LPtoDP(TPoint{600, 300}), (TPoint{60, 40}));
        EXPECT_EQ(c.DPtoLP(TPoint{60, 40}), (TPoint{600, 300}));
        c.Brush()->SetColor(clBlack);
        c.FillRect({100, 100, 300, 200}); // device 10,20 .. 30,30
        c.Font()->SetHeight(-200);        // 20 device pixels
        EXPECT_EQ(c.TextWidth(QStringLiteral("ab")), 200);
        EXPECT_EQ(c.TextHeight(QStringLiteral("ab")), 230);
    }
    EXPECT_EQ(InkBox(img), QRect(QPoint(10, 20), QPoint(29, 29)));
}

TEST(Canvas, ClippingLimitsDrawingUntilRemoved)
{
    QImage img = WhiteImage(50, 50);
    {
        TImageCanvas c(img);
        c.IntersectClipRect({10, 10, 20, 20});
        EXPECT_EQ(c.ClipRect(), (TRect{10, 10, 20, 20}));
        c.Brush()->SetColor(clBlack);
        c.FillRect({0, 0, 50, 50});
        const int level = c.SaveDC();
        c.SelectClipRgn(nullptr);
        c.IntersectClipRect({30, 30, 35, 35});
        c.RestoreDC(level);
        EXPECT_EQ(c.ClipRect(), (TRect{10, 10, 20, 20}));
        c.SelectClipRgn(nullptr);
        c.ExcludeClipRect({40, 0, 50, 50});
        c.MoveTo(0, 45);
        c.LineTo(50, 45);
    }
    EXPECT_TRUE(Black(img, 10, 10));
    EXPECT_TRUE(Black(img, 19, 19));
    EXPECT_TRUE(White(img, 20, 20));
    EXPECT_TRUE(White(img, 9, 9));
    EXPECT_TRUE(Black(img, 39, 45));
    EXPECT_TRUE(White(img, 40, 45));
}

TEST(Canvas, PicturesDrawAtTheirSizeOrStretched)
{
    QImage pixels(4, 2, QImage::Format_RGB32);
    pixels.fill(qRgb(0, 0, 0));
    TBitmap b;
    b.SetImage(pixels);
    QImage img = WhiteImage(30, 30);
    {
        TImageCanvas c(img);
        c.Draw(1, 1, &b);
        c.StretchDraw({10, 10, 30, 20}, &b);
    }
    EXPECT_TRUE(Black(img, 4, 2));
    EXPECT_TRUE(White(img, 5, 2));
    EXPECT_TRUE(Black(img, 29, 19));
    EXPECT_TRUE(White(img, 29, 20));
}
