// The report's paper on the way out: every paper number, standard or Personalizada, in either
// orientation, prints pages of the size the report lays out, read back from the PDF with pdfinfo.
// (A printer queue without the paper: tests/engine/cups.)

#include "RunFixture.h"

#include "platform/printing/Printer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace tessiv;
using namespace enginetest;

namespace {

struct TPdfPage {
    double Width = 0, Height = 0; // points
};

std::vector<TPdfPage> PdfPageSizes(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                        QStringLiteral("9999"), file});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<TPdfPage> pages;
    static const QRegularExpression re(QStringLiteral(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"));
    for (auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const auto m = it.next();
        pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return pages;
}

double Points(double millimetres)
{
    return millimetres / 25.4 * 72;
}

// A report of one detail line, on the PDF printer writing file.
struct TPaperDoc : TRunDoc {
    explicit TPaperDoc(const QString& file)
    {
        Report->Page()->SetTopMargin(0);
        Report->Page()->SetBottomMargin(0);
        Report->Page()->SetLeftMargin(0);
        Report->Page()->SetRightMargin(0);
        Band(QStringLiteral("D"), rbDetail, 100);
        Report->SetQuantidade(1);
        TPrinter* printer = Report->PrivatePrinter();
        Report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
        printer->SetPdfFileName(file);
    }
};

class ReportPaperTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }
    QTemporaryDir FDir;
};

} // namespace

TEST_F(ReportPaperTest, EveryPaperNumberPrintsAtTheSizeTheReportLaysOut)
{
    struct TCase {
        int Number;
        double Width, Length; // millimetres, portrait
    };
    // The paper table: the C, D and E sheets are the engineering sizes of 17 x 22, 22 x 34 and
    // 34 x 44 in, not the architectural ones of the same numbers elsewhere.
    const TCase cases[] = {
        {1, 215.9, 279.4},  {2, 215.9, 279.4},   {3, 279.4, 431.8},   {4, 431.8, 279.4},  {5, 215.9, 355.6},
        {6, 139.7, 215.9},  {7, 190.5, 254.0},   {8, 297.0, 420.0},   {9, 210.0, 297.0},  {10, 210.0, 297.0},
        {11, 148.0, 210.0}, {12, 250.0, 354.0},  {13, 182.0, 257.0},  {14, 215.9, 330.2}, {15, 215.0, 275.0},
        {16, 254.0, 355.6}, {17, 279.4, 431.8},  {18, 215.9, 279.0},  {19, 98.43, 225.4}, {20, 104.8, 241.3},
        {21, 114.3, 263.5}, {22, 120.65, 279.4}, {23, 127.0, 292.1},  {24, 431.8, 558.8}, {25, 558.8, 863.6},
        {26, 863.6, 1117.6},
    };
    for (const TCase& c : cases) {
        for (const TPrinterOrientation orientation : {TPrinterOrientation::poPortrait, TPrinterOrientation::poLandscape}) {
            const bool landscape = orientation == TPrinterOrientation::poLandscape;
            SCOPED_TRACE(testing::Message() << "paper " << c.Number << (landscape ? " landscape" : " portrait"));
            const QString file = FDir.filePath(QStringLiteral("papel-%1-%2.pdf").arg(c.Number).arg(landscape));
            TPaperDoc doc(file);
            const auto size = static_cast<TKVPaperSize>(c.Number);
            doc.Report->Page()->SetPaperSize(size);
            doc.Report->Page()->SetOrientation(orientation);
            const double width = landscape ? c.Length : c.Width;
            const double length = landscape ? c.Width : c.Length;
            // The report lays the page out at the table's size ...
            ASSERT_EQ(doc.Report->Page()->PaperSize(), size);
            EXPECT_NEAR(static_cast<double>(doc.Report->Page()->Width()), width * 10, 1e-6);
            EXPECT_NEAR(static_cast<double>(doc.Report->Page()->Length()), length * 10, 1e-6);

            doc.Report->Print();

            // ... the printer is given that paper, as it is fed ...
            const TDeviceMode mode = doc.Report->PrivatePrinter()->DeviceMode();
            EXPECT_NEAR(mode.PaperWidth, c.Width * 10, 1);
            EXPECT_NEAR(mode.PaperLength, c.Length * 10, 1);
            EXPECT_EQ(mode.Orientation, landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
            // ... and the file's page is the page, turned for landscape; Qt keeps whole points.
            const std::vector<TPdfPage> pages = PdfPageSizes(file);
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_NEAR(pages[0].Width, Points(width), 1.0);
            EXPECT_NEAR(pages[0].Height, Points(length), 1.0);
        }
    }
}

TEST_F(ReportPaperTest, APersonalizadaPagePrintsAtItsOwnSize)
{
    struct TCase {
        const char* Name;
        int Width, Length; // 0.1 mm, as laid out
        TPrinterOrientation Orientation;
    };
    const TCase cases[] = {
        {"a thermal label", 500, 250, TPrinterOrientation::poPortrait},
        {"a tall label", 400, 1000, TPrinterOrientation::poPortrait},
        {"a label turned", 1000, 400, TPrinterOrientation::poLandscape},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString file = FDir.filePath(QStringLiteral("%1x%2.pdf").arg(c.Width).arg(c.Length));
        TPaperDoc doc(file);
        doc.Report->Page()->SetPaperSize(TKVPaperSize::Custom);
        doc.Report->Page()->SetOrientation(c.Orientation);
        doc.Report->Page()->SetWidth(c.Width);
        doc.Report->Page()->SetLength(c.Length);
        // Three labels, one to a page.
        doc.Report->SetQuantidade(3);
        for (int i = 0; i < doc.Form->ComponentCount(); ++i)
            if (auto* band = dynamic_cast<TKVBand*>(doc.Form->Components(i)))
                band->Size()->SetHeight(c.Length);
        doc.Report->Print();
        const std::vector<TPdfPage> pages = PdfPageSizes(file);
        ASSERT_EQ(pages.size(), 3u);
        for (const TPdfPage& page : pages) {
            EXPECT_NEAR(page.Width, Points(c.Width / 10.0), 1.0);
            EXPECT_NEAR(page.Height, Points(c.Length / 10.0), 1.0);
        }
    }
}
