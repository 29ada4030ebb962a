#include "PgServer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <atomic>

#include <unistd.h>

namespace tessiv::test {

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin");

// initdb refuses to run as root: the cluster belongs to an unprivileged user then.
QStringList AsServerUser(const QStringList& command)
{
    if (geteuid() != 0)
        return command;
    QStringList c{QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=nobody"),
                  QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"), QStringLiteral("--")};
    return c + command;
}

// Stops the server when the run ends; gtest calls TearDown even after failed tests.
class PgEnvironment : public testing::Environment {
public:
    void TearDown() override { PgServer::Instance().Stop(); }
};

[[maybe_unused]] testing::Environment* const gEnvironment = testing::AddGlobalTestEnvironment(new PgEnvironment);

} // namespace

PgServer& PgServer::Instance()
{
    static PgServer server;
    return server;
}

bool PgServer::RunAsServerUser(const QStringList& command, QString& output) const
{
    const QStringList full = AsServerUser(command);
    QProcess p;
    p.setWorkingDirectory(FDir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(full.first(), full.mid(1));
    if (!p.waitForStarted(10000)) {
        output = QStringLiteral("cannot start %1").arg(full.first());
        return false;
    }
    p.closeWriteChannel();
    p.waitForFinished(60000);
    output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool PgServer::Start(QString& why)
{
    if (FTried) {
        why = FWhyNot;
        return FRunning;
    }
    FTried = true;
    for (const char* tool : {"initdb", "pg_ctl", "postgres"})
        if (!QFileInfo(kBin + QLatin1Char('/') + QLatin1String(tool)).isExecutable()) {
            FWhyNot = QStringLiteral("PostgreSQL 15 server binaries not found in %1 (package postgresql)").arg(kBin);
            why = FWhyNot;
            return false;
        }
    if (geteuid() == 0 && !QFileInfo(QStringLiteral("/usr/bin/setpriv")).isExecutable()) {
        FWhyNot = QStringLiteral("running as root without setpriv: initdb cannot run");
        why = FWhyNot;
        return false;
    }
    // A short path under /tmp: the socket path must stay under the system's limit, and the
    // unprivileged server user must be able to reach it.
    QTemporaryDir dir(QStringLiteral("/tmp/tessiv-pg-XXXXXX"));
    if (!dir.isValid()) {
        FWhyNot = QStringLiteral("cannot make a temporary folder for the server");
        why = FWhyNot;
        return false;
    }
    dir.setAutoRemove(false);
    FDir = dir.path();
    if (geteuid() == 0)
        QProcess::execute(QStringLiteral("/bin/chown"), {QStringLiteral("nobody:nogroup"), FDir});

    // A watcher removes the server and its folder should this process end without stopping it:
    // its standard input closes when we die.
    FWatcher = new QProcess;
    const QString stop = AsServerUser({kBin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), FDir + QStringLiteral("/data"),
                                       QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")})
                             .join(QLatin1Char(' '));
    FWatcher->start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), QStringLiteral("read x; if [ -d '%1/data' ]; then %2 >/dev/null 2>&1; fi; rm -rf '%1'")
                                               .arg(FDir, stop)});
    FWatcher->waitForStarted();

    QString out;
    auto fail = [&](const QString& what) {
        FWhyNot = what + QStringLiteral(": ") + out.trimmed();
        why = FWhyNot;
        Stop();
        return false;
    };
    const QString data = FDir + QStringLiteral("/data");
    if (!RunAsServerUser({kBin + QStringLiteral("/initdb"), QStringLiteral("-D"), data, QStringLiteral("-U"), SuperUser(),
                          QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-N"), QStringLiteral("-E"),
                          QStringLiteral("UTF8"), QStringLiteral("--locale=C")},
                         out))
        return fail(QStringLiteral("initdb failed"));
    // Only the socket; the superuser needs no password there, every other role gives one.
    {
        QFile conf(data + QStringLiteral("/postgresql.conf"));
        QFile hba(data + QStringLiteral("/pg_hba.conf"));
        if (!conf.open(QIODevice::Append) || !hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(QStringLiteral("cannot write the server configuration"));
        conf.write(QStringLiteral("\nlisten_addresses = ''\nunix_socket_directories = '%1'\nport = %2\nfsync = off\n"
                                  "synchronous_commit = off\nfull_page_writes = off\npassword_encryption = 'scram-sha-256'\n")
                       .arg(FDir)
                       .arg(Port())
                       .toUtf8());
        hba.write(QStringLiteral("local all %1 trust\nlocal all all scram-sha-256\n").arg(SuperUser()).toUtf8());
    }
    if (!PgCtlStart(out))
        return fail(QStringLiteral("pg_ctl start failed"));
    FRunning = true;
    return true;
}

bool PgServer::PgCtl(const QStringList& arguments, QString& output) const
{
    const QStringList command{kBin + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), FDir + QStringLiteral("/data")};
    return RunAsServerUser(command + arguments, output);
}

bool PgServer::PgCtlStart(QString& output) const
{
    return PgCtl({QStringLiteral("-l"), FDir + QStringLiteral("/server.log"), QStringLiteral("-w"),
                  QStringLiteral("-t"), QStringLiteral("30"), QStringLiteral("start")},
                 output);
}

bool PgServer::PgCtlStop(QString& output) const
{
    return PgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")}, output);
}

void PgServer::Stop()
{
    if (FDir.isEmpty())
        return;
    QString out;
    if (QFileInfo::exists(FDir + QStringLiteral("/data/postmaster.pid")))
        PgCtlStop(out);
    FRunning = false;
    if (FWatcher) {
        FWatcher->closeWriteChannel(); // the watcher removes the folder and ends
        FWatcher->waitForFinished(30000);
        delete FWatcher;
        FWatcher = nullptr;
    }
    QDir(FDir).removeRecursively();
    FDir.clear();
}

bool PgServer::Switch(bool running, QString& why)
{
    if (FDir.isEmpty()) {
        why = QStringLiteral("there is no server");
        return false;
    }
    if (FRunning == running)
        return true;
    QString out;
    if (!(running ? PgCtlStart(out) : PgCtlStop(out))) {
        why = QStringLiteral("pg_ctl %1 failed: ").arg(running ? QStringLiteral("start") : QStringLiteral("stop")) +
              out.trimmed();
        return false;
    }
    FRunning = running;
    return true;
}

bool PgServer::Exec(const QString& database, const QStringList& statements, QString& error) const
{
    static std::atomic<int> counter{0};
    const QString conn = QStringLiteral("pg-setup-%1").arg(++counter);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), conn);
        db.setHostName(FDir);
        db.setPort(Port());
        db.setUserName(SuperUser());
        db.setDatabaseName(database);
        if (!db.open()) {
            error = db.lastError().text();
            ok = false;
        } else {
            QSqlQuery q(db);
            for (const QString& s : statements)
                if (!q.exec(s)) {
                    error = s + QStringLiteral(": ") + q.lastError().text();
                    ok = false;
                    break;
                }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
    return ok;
}

bool PgServer::MakeDatabase(const QString& name, const QStringList& statements, QString& why)
{
    if (const auto it = FMade.find(name); it != FMade.end()) {
        why = it->second.second;
        return it->second.first;
    }
    bool made = Start(why);
    if (made && (!Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE %1").arg(name)}, why) ||
                 !Exec(name, statements, why))) {
        why = QStringLiteral("setting up the test database %1: %2").arg(name, why);
        ADD_FAILURE() << why.toStdString();
        made = false;
    }
    FMade[name] = {made, made ? QString() : why};
    return made;
}

} // namespace tessiv::test
