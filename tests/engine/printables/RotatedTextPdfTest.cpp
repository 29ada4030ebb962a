// Rotated text on a real printer: the report's TextOutRotated moves the start point for each
// rotation so that the text block covers the given extent from the given point. Printed on the PDF
// printer and rendered with pdftoppm; the ink of each text must lie in its block.

#include "RunFixture.h"

#include "engine/model/KVBands.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/printing/Printer.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

constexpr int Dpi = 100;

struct TBlock {
    TKVRotacao Rotation;
    int X; // 0.1 mm on the page
    int Y;
    long double Width = 0; // the block's extent on the page, 0.1 mm
    long double Height = 0;
};

// The ink's bounding box (pixels) inside a region of the rendering; empty when there is none.
QRect InkIn(const QImage& image, const QRect& region)
{
    QRect ink;
    for (int y = std::max(region.top(), 0); y <= std::min(region.bottom(), image.height() - 1); ++y)
        for (int x = std::max(region.left(), 0); x <= std::min(region.right(), image.width() - 1); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink = ink.united(QRect(x, y, 1, 1));
    return ink;
}

int Px(long double tenths)
{
    return static_cast<int>(tenths * Dpi / 254.0L + 0.5L);
}

TEST(RotatedTextPdf, EachRotationsInkLiesInTheBlockFromItsStartPoint)
{
    if (QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-v")}) != 0)
        GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir dir;
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("D"), rbDetail, 100);
    (void)detail;
    TPrinter* platform = doc.Report->PrivatePrinter();
    doc.Report->PrinterSettings()->SetPrinterIndex(platform->Printers()->IndexOf(TPrinter::PdfPrinterName));
    const QString pdf = dir.filePath(QStringLiteral("rotacao.pdf"));
    platform->SetPdfFileName(pdf);
    doc.Report->SetQuantidade(1);

    std::vector<TBlock> blocks{{rotacao_000, 300, 500}, {rotacao_090, 1200, 500},
                               {rotacao_180, 300, 1600}, {rotacao_270, 1200, 1600}};
    TProbe* probe = nullptr;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* p = dynamic_cast<TProbe*>(doc.Form->Components(i)))
            probe = p;
    ASSERT_NE(probe, nullptr);
    probe->OnPrinted = [&] {
        TKVPrinter& printer = *doc.Report->RunPrinter();
        TCanvas& canvas = *printer.Canvas();
        TFont font;
        font.SetName(QStringLiteral("Arial"));
        font.SetSize(28);
        canvas.SetTextAlign(TA_TOP | TA_LEFT);
        canvas.SetBkMode(TRANSPARENT);
        for (TBlock& b : blocks) {
            canvas.SetFont(&font);
            const QString text = QStringLiteral("HHHH");
            const TSize extent = canvas.TextExtent(text);
            const TRect r{0, 0, extent.cx, extent.cy};
            doc.Report->TextOutRotated(TPoint{printer.XPos(b.X), printer.YPos(b.Y)}, r, text, &canvas, &font,
                                       b.Rotation);
            const bool across = b.Rotation == rotacao_090 || b.Rotation == rotacao_270;
            b.Width = (across ? extent.cy : extent.cx) / printer.XFactor();
            b.Height = (across ? extent.cx : extent.cy) / printer.YFactor();
        }
    };
    doc.Report->Print();
    ASSERT_TRUE(QFile::exists(pdf));

    const QString prefix = dir.filePath(QStringLiteral("pagina"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-png"),
                                 QStringLiteral("-singlefile"), pdf, prefix}),
              0);
    const QImage page(prefix + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    for (const TBlock& b : blocks) {
        SCOPED_TRACE(static_cast<int>(b.Rotation));
        ASSERT_GT(b.Width, 0);
        const QRect block(Px(b.X), Px(b.Y), Px(b.Width), Px(b.Height));
        // Look well around the block: ink drawn from a wrong start point lies a whole extent away.
        const QRect around = block.adjusted(-block.width() - 20, -block.height() - 20, block.width() + 20,
                                            block.height() + 20);
        const QRect ink = InkIn(page, around);
        ASSERT_FALSE(ink.isEmpty());
        // The glyphs sit inside their cells; two pixels for the rendering's rounding.
        EXPECT_TRUE(block.adjusted(-2, -2, 2, 2).contains(ink))
            << "block " << block.x() << "," << block.y() << " " << block.width() << "x" << block.height() << ", ink "
            << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        // And fill most of the cell along the text.
        const bool across = b.Rotation == rotacao_090 || b.Rotation == rotacao_270;
        EXPECT_GT(across ? ink.height() : ink.width(), (across ? block.height() : block.width()) * 7 / 10);
    }
}

} // namespace
