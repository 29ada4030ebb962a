// A report's paper on the tests' own CUPS queues (tests/printing/CupsServer.h): the job carries the
// paper the report lays out as its media, and a queue that has no such paper refuses the print.

#include "RunFixture.h"

#include "CupsServer.h"

#include "engine/run/KVError.h"
#include "platform/printing/Printer.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace tessiv::test;
using namespace enginetest;

TEST_F(Cups, TheReportsPaperIsTheJobsMedia)
{
    struct Case {
        const char* Name;
        const QString& Queue;
        TKVPaperSize Paper;
        int Width, Length; // 0.1 mm; Personalizada only
        const char* Media; // empty: the print is refused; a standard size goes by its name
        const char* PageSize; // what the driver's filter gets; empty: no filter (a raw queue)
        double PtWidth, PtLength;
    };
    const Case cases[] = {
        {"a thermal label on the thermal printer", ThermalQueue, TKVPaperSize::Custom, 500, 250, "Custom.50x25mm",
         "Custom.141x70", 142, 71},
        {"a thermal label on a raw queue", RawQueue, TKVPaperSize::Custom, 500, 250, "Custom.50x25mm", "", 0, 0},
        // The C sheet is 17 x 22 in: the ANSI C, not the architectural C of the same paper number.
        {"the C sheet on a raw queue", RawQueue, TKVPaperSize::CSheet, 0, 0, "AnsiC", "", 0, 0},
        {"A4 on the label printer", LabelQueue, TKVPaperSize::A4, 0, 0, "A4", "A4", 595, 842},
        {"a thermal label on the label printer", LabelQueue, TKVPaperSize::Custom, 500, 250, "", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRunDoc doc;
        TKVPage* page = doc.Report->Page();
        page->SetPaperSize(c.Paper);
        if (c.Paper == TKVPaperSize::Custom) {
            page->SetWidth(c.Width);
            page->SetLength(c.Length);
        }
        page->SetTopMargin(0);
        page->SetBottomMargin(0);
        page->SetLeftMargin(0);
        page->SetRightMargin(0);
        // Three labels, one to a page.
        doc.Band(QStringLiteral("D"), rbDetail, static_cast<int>(page->Length()));
        doc.Report->SetQuantidade(3);
        doc.Report->PrinterSettings()->SetPrinterIndex(doc.Report->PrivatePrinter()->Printers()->IndexOf(c.Queue));
        QFile::remove(CupsEnvironment::Output(c.Queue));
        const int before = CupsEnvironment::LastFinishedJob();

        if (!c.Media[0]) {
            try {
                doc.Report->Print();
                ADD_FAILURE() << "the print was not refused";
            } catch (const EKVError& e) {
                EXPECT_EQ(e.Message(), QStringLiteral("The printer \"%1\" has no paper of 50 x 25 mm").arg(c.Queue));
            }
            EXPECT_TRUE(doc.Report->Available());
            EXPECT_EQ(CupsEnvironment::LastFinishedJob(), before);
            continue;
        }
        doc.Report->Print();
        const int job = CupsEnvironment::LastFinishedJob();
        ASSERT_EQ(job, before + 1);
        EXPECT_EQ(CupsEnvironment::JobAttribute(job, QStringLiteral("media")).toStdString(), c.Media);
        if (!c.PageSize[0])
            continue;
        EXPECT_EQ(CupsEnvironment::JobOptions(job)[QStringLiteral("PageSize")].toStdString(), c.PageSize);
        const auto pages = PdfPages(CupsEnvironment::Output(c.Queue));
        ASSERT_EQ(pages.size(), 3u);
        for (const PdfPage& p : pages) {
            EXPECT_NEAR(p.Width, c.PtWidth, 1);
            EXPECT_NEAR(p.Height, c.PtLength, 1);
        }
    }
}
