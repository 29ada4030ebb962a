// The printer object on real CUPS queues, those of the tests' own scheduler (CupsServer.h): the
// jobs are judged by what CUPS received.

#include "CupsServer.h"

#include "platform/printing/Printer.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace tessiv;
using namespace tessiv::test;

// ---- helpers ------------------------------------------------------------------------------------

namespace {

QStringList PdfText(const QString& file)
{
    return RunProgram("pdftotext", {file, "-"}).Out.split('\f');
}

void ExpectMessage(const std::function<void()>& action, const QString& message)
{
    try {
        action();
        ADD_FAILURE() << "no exception; expected \"" << message.toStdString() << "\"";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

// The label printer's papers as its PPD describes them: Windows number, name, size and margins in
// points (left, bottom, right, top of the printable area, from the paper's bottom-left corner).
struct PpdPaper {
    int Number;
    const char* Name;
    int Width, Length;            // 0.1 mm, as the list gives them
    double PtWidth, PtLength;     // points
    double Left, Bottom, Right, Top;
};

const PpdPaper LabelPapers[] = {
    {1, "US Letter", 2159, 2794, 612, 792, 18, 24, 600, 762},
    {9, "A4", 2100, 2970, 595, 842, 18, 24, 583, 812},
    {11, "A5", 1480, 2100, 420, 595, 18, 24, 408, 565},
    {20, "Envelope #10", 1048, 2413, 297, 684, 18, 24, 285, 654},
    // The driver's own label has no Windows number: it takes the first one after DMPAPER_USER.
    {257, "Label 4 x 2 in", 1016, 508, 288, 144, 9, 6, 282, 138},
};

void PrintTo(const PpdPaper& p, std::ostream* os)
{
    *os << "paper " << p.Number << " (" << p.Name << ")";
}

} // namespace

// ---- the printer list ---------------------------------------------------------------------------

TEST_F(Cups, QueuesAreListedBesidePdfAndTheDefaultIsSelected)
{
    TPrinter p;
    const TStrings& list = *p.Printers();
    ASSERT_EQ(list.Count(), 4);
    EXPECT_GE(list.IndexOf(TPrinter::PdfPrinterName), 0);
    EXPECT_GE(list.IndexOf(RawQueue), 0);
    EXPECT_GE(list.IndexOf(ThermalQueue), 0);
    const int label = list.IndexOf(LabelQueue);
    ASSERT_GE(label, 0);
    EXPECT_EQ(p.DefaultPrinterIndex(), label);
    EXPECT_EQ(p.PrinterIndex(), label);
    EXPECT_FALSE(p.IsPdfPrinter());

    QString device, driver, port;
    p.GetPrinter(device, driver, port);
    EXPECT_EQ(device, LabelQueue);
    EXPECT_EQ(driver, "Tessiv Test Label Printer");
    EXPECT_EQ(port, LabelQueue);

    p.SetPrinter(TPrinter::PdfPrinterName);
    p.SetPrinterIndex(-1);
    EXPECT_EQ(p.PrinterIndex(), label);
}

// ---- the PPD's papers ---------------------------------------------------------------------------

// The requests the scheduler has answered so far, one line each in its access log.
int SchedulerRequests()
{
    QFile f(CupsEnvironment::Root + QStringLiteral("/log/access_log"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return int(f.readAll().count('\n'));
}

// A report file holds a printer object per report: making one asks the scheduler nothing while
// the list is fresh; a refresh, or a printer found gone, asks again.
TEST_F(Cups, PrinterObjectsShareOneListAndOneDescriptionPerPrinter)
{
    TPrinter::RefreshPrinterList();
    {
        TPrinter first; // asks for the list and the default queue's description
        ASSERT_EQ(first.Printers()->Strings(first.PrinterIndex()), LabelQueue);
    }
    const int asked = SchedulerRequests();
    ASSERT_GT(asked, 0);
    for (int i = 0; i < 20; ++i) {
        TPrinter p;
        EXPECT_EQ(p.Printers()->Strings(p.PrinterIndex()), LabelQueue);
        EXPECT_TRUE(p.DeviceMode().Fields & DM_PAPERSIZE);
        EXPECT_FALSE(p.Papers().empty());
    }
    EXPECT_EQ(SchedulerRequests(), asked);

    // A queue added now appears once the list is asked again.
    const QString added = QStringLiteral("Nova");
    ASSERT_EQ(CupsEnvironment::Lp(CupsEnvironment::Lpadmin(),
                                  {"-p", added, "-E", "-v", "file:///dev/null", "-m", "raw"})
                  .ExitCode,
              0);
    TPrinter::RefreshPrinterList();
    TPrinter withNew;
    const int index = withNew.Printers()->IndexOf(added);
    ASSERT_GE(index, 0);
    withNew.SetPrinterIndex(index);
    EXPECT_GT(withNew.GetDeviceCaps(LOGPIXELSX), 0);

    // Removed, it is found gone the next time the driver is asked for it, and the list after
    // that no longer has it.
    ASSERT_EQ(CupsEnvironment::Lp(CupsEnvironment::Lpadmin(), {"-x", added}).ExitCode, 0);
    TPrinter stale; // the list still fresh: it names the queue
    const int staleIndex = stale.Printers()->IndexOf(added);
    ASSERT_GE(staleIndex, 0);
    stale.SetPrinterIndex(staleIndex); // its description is known
    ExpectMessage([&] { stale.GetDeviceCaps(LOGPIXELSX); }, QStringLiteral("Printer selected is not valid"));
    TPrinter after;
    EXPECT_LT(after.Printers()->IndexOf(added), 0);
    EXPECT_EQ(after.Printers()->Strings(after.PrinterIndex()), LabelQueue);
}

TEST_F(Cups, PaperListIsThePpdsWithWindowsNumbers)
{
    TPrinter p;
    p.SetPrinter(LabelQueue);
    std::vector<TPaperInfo> expected;
    for (const PpdPaper& paper : LabelPapers)
        expected.push_back({paper.Number, QString::fromLatin1(paper.Name), paper.Width, paper.Length});
    EXPECT_EQ(p.Papers(), expected);

    // The PPD's default paper, portrait, one copy, the automatic tray, no duplex: and the driver
    // honours copies, trays and duplex but not sizes of the caller's choosing.
    const TDeviceMode m = p.DeviceMode();
    EXPECT_EQ(m.PaperSize, DMPAPER_A4);
    EXPECT_EQ(m.PaperWidth, 2100);
    EXPECT_EQ(m.PaperLength, 2970);
    EXPECT_EQ(m.Orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(m.Copies, 1);
    EXPECT_EQ(m.Duplex, DMDUP_SIMPLEX);
    // The tray is not claimed: it would never reach the job.
    EXPECT_EQ(m.Fields, DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX);
}

class CupsPapers : public Cups, public ::testing::WithParamInterface<PpdPaper> {};

// The physical page and the printable area follow the PPD's paper and margins, portrait and turned.
TEST_P(CupsPapers, PhysicalPageAndOffsetsFollowTheMargins)
{
    const PpdPaper c = GetParam();
    TPrinter p;
    p.SetPrinter(LabelQueue);
    TDeviceMode m;
    m.Fields = DM_PAPERSIZE | DM_ORIENTATION;
    m.PaperSize = c.Number;
    m.Orientation = DMORIENT_PORTRAIT;
    p.SetDeviceMode(m);
    EXPECT_EQ(p.DeviceMode().PaperSize, c.Number);
    EXPECT_EQ(p.DeviceMode().PaperWidth, c.Width);
    EXPECT_EQ(p.DeviceMode().PaperLength, c.Length);

    const int dpi = p.GetDeviceCaps(LOGPIXELSX);
    EXPECT_EQ(p.GetDeviceCaps(LOGPIXELSY), dpi);
    auto px = [&](double points) { return points * dpi / 72.0; };
    const TSize phys = p.PhysicalPageSize();
    const TPoint off = p.PrintingOffset();
    EXPECT_NEAR(phys.cx, px(c.PtWidth), 1) << "dpi " << dpi;
    EXPECT_NEAR(phys.cy, px(c.PtLength), 1);
    EXPECT_NEAR(off.X, px(c.Left), 1);
    EXPECT_NEAR(off.Y, px(c.PtLength - c.Top), 1);
    EXPECT_NEAR(p.PageWidth(), px(c.Right - c.Left), 1);
    EXPECT_NEAR(p.PageHeight(), px(c.Top - c.Bottom), 1);
    EXPECT_EQ(p.GetDeviceCaps(PHYSICALOFFSETX), off.X);
    EXPECT_EQ(p.GetDeviceCaps(PHYSICALOFFSETY), off.Y);
    EXPECT_EQ(p.GetDeviceCaps(HORZRES), p.PageWidth());

    // Turned: the paper swaps its sides, and the printable area stays clear of the paper's
    // margins as they lie once turned, whichever way the driver turns.
    p.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(p.PhysicalPageSize(), (TSize{phys.cy, phys.cx}));
    const TPoint lo = p.PrintingOffset();
    const double left = px(c.Left), right = px(c.PtWidth - c.Right), top = px(c.PtLength - c.Top),
                 bottom = px(c.Bottom);
    const double x0 = lo.X, y0 = lo.Y, x1 = phys.cy - lo.X - p.PageWidth(),
                 y1 = phys.cx - lo.Y - p.PageHeight();
    const bool counterClockwise = x0 + 1 >= top && x1 + 1 >= bottom && y0 + 1 >= right && y1 + 1 >= left;
    const bool clockwise = x0 + 1 >= bottom && x1 + 1 >= top && y0 + 1 >= left && y1 + 1 >= right;
    EXPECT_TRUE(counterClockwise || clockwise) << x0 << " " << y0 << " " << x1 << " " << y1;
    // ... and gives up no more than that.
    EXPECT_LE(x0, std::max({top, bottom, left, right}) + 1) << x0;
    EXPECT_LE(y0, std::max({top, bottom, left, right}) + 1) << y0;
}

INSTANTIATE_TEST_SUITE_P(Ppd, CupsPapers, ::testing::ValuesIn(LabelPapers),
                         [](const ::testing::TestParamInfo<PpdPaper>& info) {
                             return "Paper" + std::to_string(info.param.Number);
                         });

TEST_F(Cups, PaperTheDriverLacksIsRefused)
{
    TPrinter p;
    p.SetPrinter(LabelQueue);
    const TDeviceMode before = p.DeviceMode();
    for (int number : {8 /* A3 */, DMPAPER_USER, 258}) {
        TDeviceMode m;
        m.Fields = DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
        m.PaperSize = number;
        m.PaperWidth = 1000;
        m.PaperLength = 500;
        ExpectMessage([&] { p.SetDeviceMode(m); },
                      QString("O tamanho de papel %1 não é aceito pela impressora \"Etiquetadora\"").arg(number));
        EXPECT_EQ(p.DeviceMode(), before);
    }
}

// ---- jobs ---------------------------------------------------------------------------------------

// The device mode reaches the job as CUPS options, and the two pages reach the printer.
TEST_F(Cups, DeviceModeReachesTheJobAndBothPagesPrint)
{
    struct Case {
        const char* What;
        int Paper, Orientation, Copies, Bin, Duplex;
        const char* PageSize;   // the PPD's name for the paper
        const char* Sides;
        // The PDF's pages: a landscape page goes as a landscape page, not as a turn requested of
        // the printer.
        double PtWidth, PtLength;
    };
    const Case cases[] = {
        {"A5 landscape, 3 copies, lower tray, long edge", 11, DMORIENT_LANDSCAPE, 3, DMBIN_LOWER,
         DMDUP_VERTICAL, "A5", "two-sided-long-edge", 595, 420},
        {"label portrait, 1 copy, manual feed, short edge", 257, DMORIENT_PORTRAIT, 1, DMBIN_MANUAL,
         DMDUP_HORIZONTAL, "w288h144", "two-sided-short-edge", 288, 144},
        {"letter portrait, 2 copies, upper tray, one side", 1, DMORIENT_PORTRAIT, 2, DMBIN_UPPER,
         DMDUP_SIMPLEX, "Letter", "one-sided", 612, 792},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        QFile::remove(CupsEnvironment::Output(LabelQueue));
        TPrinter p;
        p.SetPrinter(LabelQueue);
        TDeviceMode m;
        m.Fields = DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES | DM_DEFAULTSOURCE | DM_DUPLEX;
        m.PaperSize = c.Paper;
        m.Orientation = c.Orientation;
        m.Copies = c.Copies;
        m.DefaultSource = c.Bin;
        m.Duplex = c.Duplex;
        const int tray = p.DeviceMode().DefaultSource;
        p.SetDeviceMode(m);
        EXPECT_EQ(p.DeviceMode().Copies, c.Copies);
        // The tray is passed over, as a driver passes over a field it does not take.
        EXPECT_EQ(p.DeviceMode().DefaultSource, tray);
        EXPECT_EQ(p.DeviceMode().Duplex, c.Duplex);

        p.SetTitle("Etiquetas");
        p.BeginDoc();
        p.Canvas()->TextOut(10, 10, "Primeira");
        p.NewPage();
        p.Canvas()->TextOut(10, 10, "Segunda");
        p.EndDoc();

        const int job = CupsEnvironment::LastFinishedJob();
        ASSERT_GT(job, 0);
        const auto got = CupsEnvironment::CapturedJob(job);
        ASSERT_FALSE(got.empty()) << "job " << job << " never reached the filter";
        EXPECT_EQ(got.at("title"), "Etiquetas");
        EXPECT_EQ(got.at("copies"), QString::number(c.Copies));
        std::map<QString, QString> options = CupsEnvironment::JobOptions(job);
        const QString all = got.at("options");
        EXPECT_EQ(options["PageSize"], c.PageSize) << all.toStdString();
        EXPECT_EQ(options["sides"], c.Sides) << all.toStdString();

        const auto pages = PdfPages(CupsEnvironment::Output(LabelQueue));
        ASSERT_EQ(pages.size(), 2u);
        for (const PdfPage& page : pages) {
            EXPECT_NEAR(page.Width, c.PtWidth, 1);
            EXPECT_NEAR(page.Height, c.PtLength, 1);
        }
        const QStringList text = PdfText(CupsEnvironment::Output(LabelQueue));
        ASSERT_GE(text.size(), 2);
        EXPECT_TRUE(text[0].contains("Primeira")) << text[0].toStdString();
        EXPECT_TRUE(text[1].contains("Segunda")) << text[1].toStdString();
    }
}

// A queue that takes any size gets the size asked for as the job's media: the thermal printer's
// PPD takes any size on its roll, and a raw queue, without a driver, takes the pages as they come.
TEST_F(Cups, AQueueThatTakesAnySizeGetsItAsTheJobsMedia)
{
    for (const QString& queue : {ThermalQueue, RawQueue}) {
        SCOPED_TRACE(queue.toStdString());
        QFile::remove(CupsEnvironment::Output(queue));
        TPrinter p;
        p.SetPrinter(queue);
        ASSERT_TRUE(p.DeviceMode().Fields & DM_PAPERWIDTH);
        EXPECT_EQ(p.Papers().back().Number, DMPAPER_USER);
        TDeviceMode m;
        m.Fields = DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_ORIENTATION;
        m.PaperSize = DMPAPER_USER;
        m.PaperWidth = 500; // a label of 50 x 25 mm
        m.PaperLength = 250;
        m.Orientation = DMORIENT_PORTRAIT;
        p.SetDeviceMode(m);
        p.BeginDoc();
        p.Canvas()->TextOut(10, 10, "Rotulo");
        p.EndDoc();

        const int job = CupsEnvironment::LastFinishedJob();
        ASSERT_GT(job, 0);
        EXPECT_EQ(CupsEnvironment::JobAttribute(job, QStringLiteral("media")), QStringLiteral("Custom.50x25mm"));
        if (queue != ThermalQueue)
            continue;
        // What the thermal printer's filter gets: the PPD's custom size in points, and the pages.
        EXPECT_EQ(CupsEnvironment::JobOptions(job)[QStringLiteral("PageSize")], QStringLiteral("Custom.141x70"));
        const auto pages = PdfPages(CupsEnvironment::Output(queue));
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_NEAR(pages[0].Width, 50 / 25.4 * 72, 1);
        EXPECT_NEAR(pages[0].Height, 25 / 25.4 * 72, 1);
    }
}

// Gathering is the PDF printer's: on a queue each job of a print stays a job of its own.
TEST_F(Cups, AQueueKeepsAJobPerJobOfAGatheredPrint)
{
    TPrinter p;
    p.SetPrinter(LabelQueue);
    const int before = CupsEnvironment::LastFinishedJob();
    p.BeginGather();
    for (const char* row : {"Primeira", "Segunda"}) {
        QFile::remove(CupsEnvironment::Output(LabelQueue));
        p.BeginDoc();
        p.Canvas()->TextOut(10, 10, row);
        p.EndDoc();
        EXPECT_FALSE(p.Printing());
        const int job = CupsEnvironment::LastFinishedJob();
        EXPECT_GT(job, before);
        const QStringList text = PdfText(CupsEnvironment::Output(LabelQueue));
        ASSERT_FALSE(text.isEmpty());
        EXPECT_TRUE(text[0].contains(QString::fromLatin1(row))) << text[0].toStdString();
    }
    p.EndGather(true);
    EXPECT_EQ(CupsEnvironment::LastFinishedJob(), before + 2);
}
