// The printer object on real CUPS queues: the run starts a scheduler of its own in a scratch folder
// (a Unix socket, no network, nothing of the machine's own configuration or spool), adds a label
// printer described by a PPD and a raw queue, and points this process at it through CUPS_SERVER
// before Qt first asks for printers. The label printer's filter records the options each job
// arrives with and passes the PDF on to a file, so the job is judged by what CUPS received.

#include "platform/printing/Printer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <csignal>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <map>

using namespace tessiv;

namespace {

const QString LabelQueue = QStringLiteral("Etiquetadora");
const QString RawQueue = QStringLiteral("Bruta");

QString Fixture(const QString& name)
{
    return QStringLiteral(TESSIV_TEST_DIR "/fixtures/") + name;
}

struct RunResult {
    int ExitCode = -1;
    QString Out, Err;
};

RunResult RunProgram(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    RunResult r;
    if (!p.waitForStarted(30000)) {
        r.Err = program + QStringLiteral(": cannot start");
        return r;
    }
    p.waitForFinished(60000);
    r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool WriteFile(const QString& name, const QByteArray& text, QFileDevice::Permissions perms)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size() &&
           f.setPermissions(perms);
}

constexpr QFileDevice::Permissions ReadAll = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions ExecAll = ReadAll | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                             QFileDevice::ExeOther;

// One scheduler for the whole run, and the Qt application, made after CUPS_SERVER is set.
class CupsEnvironment : public ::testing::Environment {
public:
    static inline QString SkipReason;
    static inline QString Root;   // the scratch folder
    static inline QString Socket; // where the scheduler listens

    void SetUp() override
    {
        SkipReason = Start();
        // Qt reads the server through libcups on its first question about printers: the
        // application is made only now, whether or not the scheduler runs.
        static int argc = 1;
        static char arg0[] = "test_printing_cups";
        static char* argv[] = {arg0, nullptr};
        FApp = std::make_unique<QGuiApplication>(argc, argv);
    }

    void TearDown() override
    {
        FApp.reset();
        Stop();
    }

    // The job files the capture filter wrote: "copies", "options" and "title" of each job.
    static std::map<QString, QString> CapturedJob(int job)
    {
        std::map<QString, QString> values;
        QFile f(Root + QStringLiteral("/out/job-%1.txt").arg(job));
        if (!f.open(QIODevice::ReadOnly))
            return values;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0)
                values[line.left(eq)] = line.mid(eq + 1);
        }
        return values;
    }

    static RunResult Lp(const QString& program, QStringList args)
    {
        args.prepend(Socket);
        args.prepend(QStringLiteral("-h"));
        return RunProgram(program, args);
    }

private:
    QString Start()
    {
        const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {"/usr/sbin", "/sbin"});
        const QString lpadmin = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/sbin"});
        if (cupsd.isEmpty() || lpadmin.isEmpty() || QStandardPaths::findExecutable("lpstat").isEmpty())
            return QStringLiteral("cupsd, lpadmin or lpstat is not installed (scripts/install-deps)");
        const QString serverBin = QStringLiteral("/usr/lib/cups");
        if (!QFileInfo(serverBin + QStringLiteral("/daemon/cups-exec")).isExecutable())
            return QStringLiteral("the scheduler's helpers are missing from /usr/lib/cups");

        // A short path: the socket's name must fit a Unix socket address.
        FDir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/tessiv-cups-XXXXXX"));
        if (!FDir->isValid())
            return QStringLiteral("cannot make a scratch folder");
        Root = FDir->path();
        Socket = Root + QStringLiteral("/cups.sock");
        // Filters run as the scheduler's unprivileged user: it must reach its files and write its
        // output here.
        QFile::setPermissions(Root, ExecAll);
        const QDir root(Root);
        for (const char* d : {"spool", "cache", "state", "log", "tmp", "etc", "bin", "bin/filter", "out"})
            root.mkpath(QString::fromLatin1(d));
        QFile::setPermissions(Root + "/tmp", ExecAll | QFileDevice::WriteGroup | QFileDevice::WriteOther);
        QFile::setPermissions(Root + "/out", ExecAll | QFileDevice::WriteGroup | QFileDevice::WriteOther);
        // Our own filter folder; the scheduler's helpers and backends are the installed ones.
        for (const char* d : {"daemon", "backend", "notifier"})
            QFile::link(serverBin + "/" + d, Root + "/bin/" + d);
        const QByteArray filter = "#!/bin/sh\n"
                                  "# job user title copies options [file]\n"
                                  "printf 'copies=%s\\noptions=%s\\ntitle=%s\\n' \"$4\" \"$5\" \"$3\" > \"" +
                                  QFile::encodeName(Root) +
                                  "/out/job-$1.txt\"\n"
                                  "if [ -n \"$6\" ]; then exec cat \"$6\"; else exec cat; fi\n";
        const QByteArray conf = "Listen " + QFile::encodeName(Socket) +
                                "\nLogLevel info\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
                                "<Policy default>\n<Limit All>\nOrder allow,deny\nAllow all\n</Limit>\n</Policy>\n";
        const QByteArray r = QFile::encodeName(Root);
        // As root the scheduler runs its filters as "lp"; it never runs them as root.
        const QByteArray files = "ServerRoot " + r + "/etc\nServerBin " + r + "/bin\nRequestRoot " + r +
                                 "/spool\nTempDir " + r + "/tmp\nCacheDir " + r + "/cache\nStateDir " + r +
                                 "/state\nAccessLog " + r + "/log/access_log\nErrorLog " + r +
                                 "/log/error_log\nPageLog " + r + "/log/page_log\nPrintcap " + r +
                                 "/etc/printcap\nFileDevice Yes\nUser lp\nGroup lp\nSystemGroup root\n";
        if (!WriteFile(Root + "/bin/filter/tessiv-capture", filter, ExecAll) ||
            !WriteFile(Root + "/cupsd.conf", conf, ReadAll) || !WriteFile(Root + "/cups-files.conf", files, ReadAll))
            return QStringLiteral("cannot write the scheduler's configuration");

        FCupsd = std::make_unique<QProcess>();
        FCupsd->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The scheduler goes with this process, even when a test crashes it.
        FCupsd->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        FCupsd->start(cupsd, {"-f", "-c", Root + "/cupsd.conf", "-s", Root + "/cups-files.conf"});
        if (!FCupsd->waitForStarted(10000))
            return QStringLiteral("cupsd does not start");

        // Clients of this process (Qt through libcups, and the programs it runs) ask only this
        // scheduler, with none of the machine's or the user's client settings.
        qputenv("CUPS_SERVER", QFile::encodeName(Socket));
        qputenv("CUPS_SERVERROOT", QFile::encodeName(Root + "/etc"));
        qputenv("HOME", QFile::encodeName(Root));
        qunsetenv("LPDEST");
        qunsetenv("PRINTER");

        QElapsedTimer waited;
        waited.start();
        while (Lp("lpstat", {"-r"}).Out.trimmed() != QStringLiteral("scheduler is running")) {
            if (FCupsd->state() != QProcess::Running || waited.elapsed() > 20000)
                return QStringLiteral("cupsd did not come up: ") + ErrorLog();
            QThread::msleep(50);
        }
        const RunResult label =
            Lp(lpadmin, {"-p", LabelQueue, "-E", "-v", "file://" + Root + "/out/label.out", "-P",
                         Fixture("LabelPrinter.ppd")});
        const RunResult raw = Lp(lpadmin, {"-p", RawQueue, "-E", "-v", "file://" + Root + "/out/raw.out", "-m", "raw"});
        const RunResult def = Lp(lpadmin, {"-d", LabelQueue});
        for (const RunResult* res : {&label, &raw, &def})
            if (res->ExitCode != 0)
                return QStringLiteral("lpadmin failed: ") + res->Err + ErrorLog();
        return {};
    }

    static QString ErrorLog()
    {
        QFile f(Root + QStringLiteral("/log/error_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    void Stop()
    {
        if (FCupsd && FCupsd->state() != QProcess::NotRunning) {
            FCupsd->terminate();
            if (!FCupsd->waitForFinished(20000)) {
                FCupsd->kill();
                FCupsd->waitForFinished(5000);
            }
        }
        FCupsd.reset();
        FDir.reset();
    }

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<QProcess> FCupsd;
    std::unique_ptr<QGuiApplication> FApp;
};

class Cups : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CupsEnvironment::SkipReason.isEmpty())
            GTEST_SKIP() << CupsEnvironment::SkipReason.toStdString();
    }
};

} // namespace

// ---- helpers ------------------------------------------------------------------------------------

namespace {

// Waits until the scheduler has no job left, then gives the newest job's number.
int LastFinishedJob()
{
    QElapsedTimer waited;
    waited.start();
    while (!CupsEnvironment::Lp("lpstat", {"-o"}).Out.trimmed().isEmpty() && waited.elapsed() < 60000)
        QThread::msleep(50);
    int last = 0;
    static const QRegularExpression re(R"(^\S+-(\d+)\s)", QRegularExpression::MultilineOption);
    const QString done = CupsEnvironment::Lp("lpstat", {"-W", "completed", "-o"}).Out;
    for (auto it = re.globalMatch(done); it.hasNext();)
        last = std::max(last, it.next().captured(1).toInt());
    return last;
}

QString Output(const QString& queue)
{
    return CupsEnvironment::Root + (queue == LabelQueue ? "/out/label.out" : "/out/raw.out");
}

struct PdfPage {
    double Width = 0, Height = 0; // points
};

std::vector<PdfPage> PdfPages(const QString& file)
{
    const RunResult r = RunProgram("pdfinfo", {"-f", "1", "-l", "9999", file});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    std::vector<PdfPage> pages;
    static const QRegularExpression re(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    for (auto it = re.globalMatch(r.Out); it.hasNext();) {
        const auto m = it.next();
        pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return pages;
}

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
    ASSERT_EQ(list.Count(), 3);
    EXPECT_GE(list.IndexOf(TPrinter::PdfPrinterName), 0);
    EXPECT_GE(list.IndexOf(RawQueue), 0);
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
    ASSERT_EQ(CupsEnvironment::Lp(QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/sbin"}),
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
    ASSERT_EQ(CupsEnvironment::Lp(QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/sbin"}), {"-x", added}).ExitCode, 0);
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
                      QString("Paper size %1 is not supported by printer \"Etiquetadora\"").arg(number));
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
        QFile::remove(Output(LabelQueue));
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

        const int job = LastFinishedJob();
        ASSERT_GT(job, 0);
        const auto got = CupsEnvironment::CapturedJob(job);
        ASSERT_FALSE(got.empty()) << "job " << job << " never reached the filter";
        EXPECT_EQ(got.at("title"), "Etiquetas");
        EXPECT_EQ(got.at("copies"), QString::number(c.Copies));
        std::map<QString, QString> options;
        for (const QString& o : got.at("options").split(' ', Qt::SkipEmptyParts)) {
            const qsizetype eq = o.indexOf('=');
            options[eq < 0 ? o : o.left(eq)] = eq < 0 ? QString() : o.mid(eq + 1);
        }
        const QString all = got.at("options");
        EXPECT_EQ(options["PageSize"], c.PageSize) << all.toStdString();
        EXPECT_EQ(options["sides"], c.Sides) << all.toStdString();

        const auto pages = PdfPages(Output(LabelQueue));
        ASSERT_EQ(pages.size(), 2u);
        for (const PdfPage& page : pages) {
            EXPECT_NEAR(page.Width, c.PtWidth, 1);
            EXPECT_NEAR(page.Height, c.PtLength, 1);
        }
        const QStringList text = PdfText(Output(LabelQueue));
        ASSERT_GE(text.size(), 2);
        EXPECT_TRUE(text[0].contains("Primeira")) << text[0].toStdString();
        EXPECT_TRUE(text[1].contains("Segunda")) << text[1].toStdString();
    }
}

// libcups keeps some of a PPD's cached strings for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_ppdCacheCreateWithPPD\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new CupsEnvironment);
    return RUN_ALL_TESTS();
}
