#pragma once
// A CUPS scheduler of the tests' own for a test program's run: started in a scratch folder (a Unix
// socket, no network, nothing of the machine's own configuration or spool) before Qt first asks
// for printers, with three queues: a label printer whose PPD lists fixed papers, a thermal label
// printer whose PPD takes any size on its roll, and a raw queue without a driver. The printers'
// filter records the options each job arrives with and passes the PDF on to a file, so a job is
// judged by what CUPS received. CupsServer.cpp is the test program's main too: it adds
// CupsEnvironment, which makes the Qt application once the scheduler runs.

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

class QGuiApplication;
class QProcess;
class QTemporaryDir;

namespace tessiv::test {

inline const QString LabelQueue = QStringLiteral("Etiquetadora");
inline const QString ThermalQueue = QStringLiteral("Termica");
inline const QString RawQueue = QStringLiteral("Bruta");

struct RunResult {
    int ExitCode = -1;
    QString Out, Err;
};

RunResult RunProgram(const QString& program, const QStringList& args);

struct PdfPage {
    double Width = 0, Height = 0; // points
};
// The pages of a PDF file as pdfinfo reads them.
std::vector<PdfPage> PdfPages(const QString& file);

class CupsEnvironment : public ::testing::Environment {
public:
    static inline QString SkipReason;
    static inline QString Root;   // the scratch folder
    static inline QString Socket; // where the scheduler listens

    void SetUp() override;
    void TearDown() override;

    // A client program (lpstat, lpadmin ...) asking this scheduler.
    static RunResult Lp(const QString& program, QStringList args);
    static QString Lpadmin();
    // Waits until the scheduler has no job left, then gives the newest job's number.
    static int LastFinishedJob();
    // What the capture filter wrote of a job: "copies", "options" and "title".
    static std::map<QString, QString> CapturedJob(int job);
    // An attribute of a job as the scheduler keeps it (a raw queue runs no filter to record the
    // job's options); empty when the job has none of that name.
    static QString JobAttribute(int job, const QString& name);
    // The job's options by name, as the filter got them (an option without a value maps to an
    // empty one).
    static std::map<QString, QString> JobOptions(int job);
    // The file a queue's printer writes what it receives to.
    static QString Output(const QString& queue);

private:
    QString Start();
    static QString ErrorLog();
    void Stop();

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<QProcess> FCupsd;
    std::unique_ptr<QGuiApplication> FApp;
};

// The tests of a queue skip, with the reason, when the scheduler cannot run here.
class Cups : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CupsEnvironment::SkipReason.isEmpty())
            GTEST_SKIP() << CupsEnvironment::SkipReason.toStdString();
    }
};

} // namespace tessiv::test
