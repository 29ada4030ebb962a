#include "CupsServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sys/prctl.h>
#include <algorithm>
#include <csignal>

namespace tessiv::test {

namespace {

QString Fixture(const QString& name)
{
    return QStringLiteral(TESSIV_PRINTING_FIXTURES "/") + name;
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

} // namespace

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

void CupsEnvironment::SetUp()
{
    SkipReason = Start();
    // Qt reads the server through libcups on its first question about printers: the application
    // is made only now, whether or not the scheduler runs.
    static int argc = 1;
    static char arg0[] = "tessiv_cups_test";
    static char* argv[] = {arg0, nullptr};
    FApp = std::make_unique<QGuiApplication>(argc, argv);
}

void CupsEnvironment::TearDown()
{
    FApp.reset();
    Stop();
}

QString CupsEnvironment::Lpadmin()
{
    return QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/sbin"});
}

QString CupsEnvironment::Output(const QString& queue)
{
    return Root + QStringLiteral("/out/") + queue.toLower() + QStringLiteral(".out");
}

std::map<QString, QString> CupsEnvironment::CapturedJob(int job)
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

QString CupsEnvironment::JobAttribute(int job, const QString& name)
{
    // The scheduler keeps each job's attributes in its control file, IPP-encoded: a value tag, the
    // name's length (two bytes, big-endian) and the name, the value's length and the value.
    QFile f(Root + QStringLiteral("/spool/c%1").arg(job, 5, 10, QLatin1Char('0')));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    const QByteArray key = name.toUtf8();
    const QByteArray lead = QByteArray(1, char(key.size() >> 8)) + char(key.size() & 0xff) + key;
    for (qsizetype at = bytes.indexOf(lead); at >= 1; at = bytes.indexOf(lead, at + 1)) {
        const qsizetype value = at + lead.size();
        if (value + 2 > bytes.size())
            break;
        const int length = (uchar(bytes[value]) << 8) | uchar(bytes[value + 1]);
        return QString::fromUtf8(bytes.mid(value + 2, length));
    }
    return {};
}

std::map<QString, QString> CupsEnvironment::JobOptions(int job)
{
    std::map<QString, QString> options;
    const auto captured = CapturedJob(job);
    const auto found = captured.find(QStringLiteral("options"));
    if (found == captured.end())
        return options;
    for (const QString& o : found->second.split(' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = o.indexOf('=');
        options[eq < 0 ? o : o.left(eq)] = eq < 0 ? QString() : o.mid(eq + 1);
    }
    return options;
}

RunResult CupsEnvironment::Lp(const QString& program, QStringList args)
{
    args.prepend(Socket);
    args.prepend(QStringLiteral("-h"));
    return RunProgram(program, args);
}

int CupsEnvironment::LastFinishedJob()
{
    QElapsedTimer waited;
    waited.start();
    while (!Lp("lpstat", {"-o"}).Out.trimmed().isEmpty() && waited.elapsed() < 60000)
        QThread::msleep(50);
    int last = 0;
    static const QRegularExpression re(R"(^\S+-(\d+)\s)", QRegularExpression::MultilineOption);
    const QString done = Lp("lpstat", {"-W", "completed", "-o"}).Out;
    for (auto it = re.globalMatch(done); it.hasNext();)
        last = std::max(last, it.next().captured(1).toInt());
    return last;
}

QString CupsEnvironment::Start()
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
                            "\nLogLevel info\nDirtyCleanInterval 0\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
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
        Lp(lpadmin, {"-p", LabelQueue, "-E", "-v", "file://" + Output(LabelQueue), "-P",
                     Fixture("LabelPrinter.ppd")});
    const RunResult thermal =
        Lp(lpadmin, {"-p", ThermalQueue, "-E", "-v", "file://" + Output(ThermalQueue), "-P",
                     Fixture("ThermalPrinter.ppd")});
    const RunResult raw = Lp(lpadmin, {"-p", RawQueue, "-E", "-v", "file://" + Output(RawQueue), "-m", "raw"});
    const RunResult def = Lp(lpadmin, {"-d", LabelQueue});
    for (const RunResult* res : {&label, &thermal, &raw, &def})
        if (res->ExitCode != 0)
            return QStringLiteral("lpadmin failed: ") + res->Err + ErrorLog();
    return {};
}

QString CupsEnvironment::ErrorLog()
{
    QFile f(Root + QStringLiteral("/log/error_log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void CupsEnvironment::Stop()
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

} // namespace tessiv::test

// libcups keeps some of a PPD's cached strings for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_ppdCacheCreateWithPPD\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tessiv::test::CupsEnvironment);
    return RUN_ALL_TESTS();
}
