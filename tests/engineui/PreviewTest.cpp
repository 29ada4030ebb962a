// The preview control: its size arithmetic as plain functions, the zoom limits, paging, and a
// page that arrives while a run records it.

#include "EngineUiFixture.h"

#include "engine/ui/KVPreview.h"
#include "engine/ui/KVPreviewGeometry.h"
#include "platform/graphics/Canvas.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace engineuitest;

namespace {

// An A4 page on a 96-pixel-per-inch screen: 794 x 1123 pixels.
const TKVPreviewPage A4Screen{2100, 2970, 96 / 254.0L, 96 / 254.0L, true};

TEST(PreviewGeometry, SizesAndZoomsOfAnA4Page)
{
    EXPECT_EQ(KVPageWidth(A4Screen), 794);
    EXPECT_EQ(KVPageHeight(A4Screen), 1123);
    const struct {
        int Zoom;
        TSize Image;
    } sizes[] = {
        {50, {401, 565}}, // 396.85 -> 397 + 4; 561.26 -> 561 + 4
        {100, {798, 1127}},
        {2, {20, 26}},
        {2000, {15878, 22454}},
    };
    for (const auto& s : sizes)
        EXPECT_EQ(KVPreviewImageSize(A4Screen, s.Zoom), s.Image) << s.Zoom;

    const struct {
        TSize Preview;
        int Fit;
        int Width;
    } zooms[] = {
        {{600, 400}, 34, 68}, // min(round(600 / 794 x 95), round(400 / 1123 x 95)) = min(72, 34)
        {{794, 1123}, 95, 90},
        {{1600, 400}, 34, 181},
    };
    for (const auto& z : zooms) {
        EXPECT_EQ(KVZoomToFit(A4Screen, z.Preview), z.Fit) << z.Preview.cx << "x" << z.Preview.cy;
        EXPECT_EQ(KVZoomToWidth(A4Screen, z.Preview), z.Width) << z.Preview.cx << "x" << z.Preview.cy;
    }
}

TEST(PreviewGeometry, APageWithoutSizeKeepsTheZoomInsteadOfDividingByZero)
{
    const TKVPreviewPage noWidth{0, 2970, 96 / 254.0L, 96 / 254.0L, true};
    const TKVPreviewPage noLength{2100, 0, 96 / 254.0L, 96 / 254.0L, true};
    EXPECT_EQ(KVZoomToFit(noWidth, {600, 400}), std::nullopt);
    EXPECT_EQ(KVZoomToFit(noLength, {600, 400}), std::nullopt);
    EXPECT_EQ(KVZoomToWidth(noWidth, {600, 400}), std::nullopt);
    EXPECT_EQ(KVZoomToWidth(noLength, {600, 400}), 68);
}

TEST(PreviewGeometry, WithoutAPrinterObjectALetterSheetCountsAsPixels)
{
    const TKVPreviewPage page = KVPreviewPage(nullptr);
    EXPECT_EQ(KVPreviewImageSize(page, 100), (TSize{220, 283})); // 215.9 + 4, 279.4 + 4
    EXPECT_EQ(KVPreviewImageSize(page, 200), (TSize{436, 563}));
    EXPECT_EQ(KVZoomToWidth(page, {432, 100}), 190); // 95 without a printer object
    EXPECT_EQ(KVZoomToFit(page, {432, 559}), 190);
}

TEST(PreviewGeometry, TheImageIsCentredWhereItIsSmaller)
{
    EXPECT_EQ(KVPreviewImageOrigin({600, 400}, {401, 565}), (TPoint{99, 0}));
    EXPECT_EQ(KVPreviewImageOrigin({300, 700}, {401, 565}), (TPoint{0, 67}));
    EXPECT_EQ(KVPreviewImageOrigin({401, 565}, {401, 565}), (TPoint{0, 0}));
}

TEST(Preview, ZoomsOutsideTwoToTwoThousandAreIgnored)
{
    const auto printer = MakePrinter();
    RecordPages(*printer, 1);
    TKVPreview preview;
    preview.resize(600, 400);
    preview.show();
    preview.SetPrinter(printer.get());
    EXPECT_TRUE(printer->ShowingPreview());
    preview.SetZoom(50);
    EXPECT_EQ(preview.Image()->size(), QSize(401, 565));
    EXPECT_EQ(preview.Image()->pos(), QPoint(99, 0));
    for (const int refused : {1, 2001, 0, -5}) {
        preview.SetZoom(refused);
        EXPECT_EQ(preview.Zoom(), 50) << refused;
    }
    preview.SetZoom(2);
    EXPECT_EQ(preview.Zoom(), 2);
    preview.SetZoom(2000);
    EXPECT_EQ(preview.Zoom(), 2000);
    preview.ZoomToFit();
    EXPECT_EQ(preview.Zoom(), 34);
    EXPECT_EQ(preview.ZoomMode(), TKVPreview::zmFit);
    // Fit follows the control's size.
    preview.resize(794, 1123);
    ASSERT_TRUE(PumpUntil([&] { return preview.Zoom() == 95; }));
    preview.ZoomToWidth();
    EXPECT_EQ(preview.Zoom(), 90);
    EXPECT_EQ(preview.ZoomMode(), TKVPreview::zmWidth);
    preview.SetZoom(100);
    EXPECT_EQ(preview.ZoomMode(), TKVPreview::zmExplicit);
}

TEST(Preview, FitAndWidthKeepTheZoomForAPaperWithoutSize)
{
    const auto printer = MakePrinter();
    printer->SetPaperSize(TKVPaperSize::Custom);
    printer->SetPaperWidth(0);
    printer->SetPaperLength(0);
    TKVPreview preview;
    preview.resize(600, 400);
    preview.SetPrinter(printer.get());
    preview.SetZoom(70);
    preview.ZoomToFit();
    EXPECT_EQ(preview.Zoom(), 70);
    preview.ZoomToWidth();
    EXPECT_EQ(preview.Zoom(), 70);
}

TEST(Preview, PagesOutsideThePrinterObjectsAreIgnored)
{
    const auto printer = MakePrinter();
    RecordPages(*printer, 3);
    TKVPreview preview;
    preview.SetPrinter(printer.get());
    EXPECT_EQ(preview.PageNumber(), 1);
    EXPECT_TRUE(preview.Image()->PageShown());
    for (const int page : {2, 3}) {
        preview.SetPageNumber(page);
        EXPECT_EQ(preview.PageNumber(), page);
        EXPECT_EQ(preview.Image()->PageNumber(), page);
    }
    for (const int refused : {0, 4, -1}) {
        preview.SetPageNumber(refused);
        EXPECT_EQ(preview.PageNumber(), 3) << refused;
    }
}

TEST(Preview, APageNotRecordedYetShowsEmptyUntilItsMessageArrives)
{
    const auto printer = MakePrinter();
    TKVPreview preview;
    preview.resize(600, 400);
    preview.SetPrinter(printer.get());
    EXPECT_FALSE(preview.Image()->PageShown());
    std::vector<int> announced;
    preview.OnPageAvailable = [&](TKVPreview*, int page) { announced.push_back(page); };
    // Pages 1 and 2 are recorded, page 3 is being drawn.
    RecordPages(*printer, 3, true);
    ASSERT_TRUE(PumpUntil([&] { return announced.size() >= 2; }));
    EXPECT_EQ(announced, (std::vector<int>{1, 2}));
    EXPECT_TRUE(preview.Image()->PageShown());
    preview.SetZoom(100);
    preview.SetPageNumber(3);
    EXPECT_EQ(preview.PageNumber(), 3);
    EXPECT_FALSE(preview.Image()->PageShown());
    // Nothing is painted for it, not even a sheet.
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::gray);
    {
        TImageCanvas canvas(image);
        preview.Image()->PaintPage(canvas, 100, 100);
    }
    EXPECT_EQ(image.pixel(50, 50), QColor(Qt::gray).rgb());

    printer->EndDoc();
    ASSERT_TRUE(PumpUntil([&] { return preview.Image()->PageShown(); }));
    EXPECT_EQ(announced.back(), 3);
    // The first arrival sets the zoom to the page's width.
    EXPECT_EQ(preview.ZoomMode(), TKVPreview::zmWidth);
    EXPECT_EQ(preview.Zoom(), 68);
    {
        TImageCanvas canvas(image);
        preview.Image()->PaintPage(canvas, 100, 100);
    }
    EXPECT_EQ(image.pixel(50, 50), QColor(Qt::white).rgb());
    EXPECT_EQ(image.pixel(0, 50), QColor(Qt::black).rgb());  // the frame
    EXPECT_EQ(image.pixel(99, 50), QColor(Qt::black).rgb()); // the shadow
}

TEST(Preview, DetachingEndsThePreviewOfThePrinterObject)
{
    const auto printer = MakePrinter();
    int afterPreview = 0;
    printer->AfterPreview = [&](TObject*) { ++afterPreview; };
    RecordPages(*printer, 2, true);
    {
        TKVPreview preview;
        preview.SetPrinter(printer.get());
        EXPECT_EQ(printer->Client(), preview.Client());
        EXPECT_TRUE(printer->ShowingPreview());
    }
    EXPECT_FALSE(printer->ShowingPreview());
    EXPECT_EQ(printer->Client(), nullptr);
    // A run still recording is cancelled.
    EXPECT_TRUE(printer->Cancelled());
    EXPECT_EQ(afterPreview, 1);
    printer->Abort();
}

} // namespace
