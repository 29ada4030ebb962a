// A barcode's one size: after a handle drag on a document window's surface, the size the status
// bar shows, the size the control has on the surface, the stored size and the size the barcode
// prints on the PDF printer are one, and the design view draws the barcode as large as it prints.
#include "DocumentSurfaceFixture.h"

#include "designer/document/AnexoRelatorio.h"
#include "engine/printables/KVBarcode.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/printing/Printer.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

#include <functional>

using namespace tessiv;
using namespace designertest;

namespace {

bool IsInk(QRgb c) { return qGray(c) < 128; }
bool IsYellow(QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 100; }

QRect BoxOf(const QImage& img, const std::function<bool(QRgb)>& pass)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pass(img.pixel(x, y)))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

std::string Text(const QRect& r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

// Each edge within the tolerance.
void ExpectNear(const QRect& actual, const QRect& expected, int tolerance)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance) << Text(actual) << " / " << Text(expected);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance) << Text(actual) << " / " << Text(expected);
    EXPECT_NEAR(actual.right(), expected.right(), tolerance) << Text(actual) << " / " << Text(expected);
    EXPECT_NEAR(actual.bottom(), expected.bottom(), tolerance) << Text(actual) << " / " << Text(expected);
}

class BarcodeSizeTest : public DocumentSurfaceTest {
protected:
    void SetUp() override
    {
        DocumentSurfaceTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenNewDocument(300));
        Report->SetUnits(kvunMM);
        Report->SetSnapToGrid(false);
    }

    QString Panel(int i) const { return Form->StatusPanel(i)->text(); }

    // The same barcode drawn alone at (0, 0) on a white image at the resolution: its ink and the
    // size it reports.
    static std::pair<QRect, TSize> Reference(const TKVBarcode& from, int dpi)
    {
        TCustomBarcode alone(nullptr);
        alone.SetBar_CodeType(from.Bar_CodeType());
        alone.SetBar_ModuleWidth(from.Bar_ModuleWidth());
        alone.SetBar_HeightPercent(from.Bar_HeightPercent());
        alone.SetBar_Fontname(from.Bar_Fontname());
        alone.SetBar_ZoomSize(true);
        alone.SetBar_Caption(from.Barcode()->Bar_Caption());
        QImage img(3000, 3000, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter painter(&img);
        TPainterCanvas canvas(&painter, TDeviceCaps{dpi, dpi, img.width(), img.height()});
        TSize size;
        alone.DrawBarcode(canvas, 0, 0, &size);
        painter.end();
        return {BoxOf(img, IsInk), size};
    }
};

TEST_F(BarcodeSizeTest, AfterAHandleDragTheStatusBarTheSurfaceTheFileAndThePaperShowOneSize)
{
    for (const char* tool : {"pdftoppm", "pdfinfo"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    auto* barcode = new TKVBarcode(Report->Owner());
    barcode->SetParent(Band);
    Form->EnsureComponentName(barcode);
    barcode->SetBounds(40, 20, 80, 40);
    Form->WireDocumentInput(Report);
    barcode->SetBar_CodeType(EAN_13);
    barcode->SetBar_ModuleWidth(SC4);
    barcode->SetBar_Text(QStringLiteral("789100010010"));
    barcode->SetColor(clYellow);
    barcode->SetTransparent(false);
    ASSERT_TRUE(barcode->AutoSize());
    Form->Designer->Attach(Report);
    Form->Designer->SetSelected(barcode);
    Form->Designer->RefreshHandles();

    // The bottom handle dragged 40 pixels up, as the user who wants a flat barcode does.
    TKVControlHandle* handle = Form->Designer->Handles(7);
    ASSERT_NE(handle, nullptr);
    Driver->Press(Driver->At(handle, 2, 2));
    Driver->Move(Driver->At(handle, 2, -18), {ssLeft});
    Driver->Move(Driver->At(handle, 2, -38), {ssLeft});
    const QString dragging = Panel(1);
    Driver->Release(Driver->At(handle, 2, -38));

    // The status bar shows the stored size, during the drag and after it.
    const TKVPrintableSize* size = barcode->Size();
    const long double widthMM = size->NativeValue(TKVPrintableSize::kvWidth) / 10;
    const long double heightMM = size->NativeValue(TKVPrintableSize::kvHeight) / 10;
    const QString stored = QStringLiteral("Tamanho: ") + FormatFloat(QStringLiteral("0.00"), widthMM) +
                           QStringLiteral(" / ") + FormatFloat(QStringLiteral("0.00"), heightMM);
    EXPECT_EQ(Panel(1).toStdString(), stored.toStdString());
    EXPECT_EQ(dragging.toStdString(), stored.toStdString());
    // The control on the surface has the stored size at the zoom.
    const int ppi = Report->Page()->PPI();
    EXPECT_EQ(barcode->Width(), int(Round(widthMM / 25.4L * ppi * Report->Zoom() / 100)));
    EXPECT_EQ(barcode->Height(), int(Round(heightMM / 25.4L * ppi * Report->Zoom() / 100)));
    // The stored size is the barcode's with its digits as the report's printer (PDF here) prints it.
    const int dpi = TPrinter::PdfResolution;
    const auto [ink, natural] = Reference(*barcode, dpi);
    EXPECT_NEAR(double(widthMM), natural.cx * 25.4 / dpi, 1e-9);
    EXPECT_NEAR(double(heightMM), natural.cy * 25.4 / dpi, 1e-9);

    // The design view draws it that large: the printed ink scaled to the surface's pixels.
    {
        QImage view(barcode->Width(), barcode->Height(), QImage::Format_RGB32);
        view.fill(Qt::white);
        QPainter painter(&view);
        TPainterCanvas canvas(&painter, TDeviceCaps{ppi, ppi, view.width(), view.height()});
        barcode->Paint(canvas);
        painter.end();
        const double scale = double(ppi) / dpi * Report->Zoom() / 100;
        const QRect shown(QPoint(qRound(ink.left() * scale), qRound(ink.top() * scale)),
                          QPoint(qRound((ink.right() + 1) * scale) - 1, qRound((ink.bottom() + 1) * scale) - 1));
        SCOPED_TRACE("design view");
        ExpectNear(BoxOf(view, IsInk), shown, 1);
    }

    // On paper: the box the barcode fills is the stored size, and the barcode in it is the one
    // measured, digits included, inside the box.
    TPrinter* printer = Report->PrivatePrinter();
    Report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
    const QString pdf = Path(QStringLiteral("barras.pdf"));
    printer->SetPdfFileName(pdf);
    Child->Document->Print();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString side = QString::number(100 * dpi * 10 / 254);
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-W"), side,
                                 QStringLiteral("-H"), side, QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                 pdf, Path(QStringLiteral("pagina"))}),
              0);
    const QImage page(Path(QStringLiteral("pagina.png")));
    ASSERT_FALSE(page.isNull());
    const QRect box = BoxOf(page, IsYellow);
    ASSERT_FALSE(box.isEmpty());
    // Within a dot of the printer, what the status bar shows.
    EXPECT_NEAR(box.width() * 25.4 / dpi, double(widthMM), 25.4 / dpi + 1e-9);
    EXPECT_NEAR(box.height() * 25.4 / dpi, double(heightMM), 25.4 / dpi + 1e-9);
    const QRect printed = BoxOf(page, IsInk);
    EXPECT_TRUE(box.contains(printed)) << Text(box) << " " << Text(printed);
    SCOPED_TRACE("paper");
    ExpectNear(printed, ink.translated(box.topLeft()), 1);
}

} // namespace
