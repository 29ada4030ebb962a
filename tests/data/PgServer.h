#pragma once
// A PostgreSQL server of our own for the test run: initdb and pg_ctl from Debian's postgresql package
// in a temporary folder, listening only on a Unix socket in that folder. Started on first use,
// stopped (and its folder removed) when the run ends, even when tests fail or the process dies.

#include <QString>
#include <QStringList>

#include <map>
#include <utility>

class QProcess;

namespace tessiv::test {

class PgServer {
public:
    static PgServer& Instance();

    // Starts the server once; false with the reason when it cannot run here (no binaries...).
    bool Start(QString& why);
    void Stop();
    bool Running() const { return FRunning; }
    // Shuts the running server down as an administrator would (its sessions end), keeping the
    // cluster; Resume starts it again. False with the reason.
    bool Halt(QString& why) { return Switch(false, why); }
    bool Resume(QString& why) { return Switch(true, why); }

    // Where a client connects: the socket folder (libpq takes it as the host) and the port.
    QString SocketDir() const { return FDir; }
    int Port() const { return 5432; }
    // The superuser of the cluster; it logs in over the socket without a password.
    static QString SuperUser() { return QStringLiteral("tessiv"); }
    // Runs statements as the superuser in a database; false with the server's message.
    bool Exec(const QString& database, const QStringList& statements, QString& error) const;
    // Starts the server and makes a database with the statements, once per run however often it is
    // asked; false with the reason (the same each time). A running server that refuses the
    // setup is a fault, reported as a failure.
    bool MakeDatabase(const QString& name, const QStringList& statements, QString& why);

private:
    PgServer() = default;
    bool RunAsServerUser(const QStringList& command, QString& output) const;
    // pg_ctl on the cluster with the arguments; starting and a fast stop.
    bool PgCtl(const QStringList& arguments, QString& output) const;
    bool PgCtlStart(QString& output) const;
    bool PgCtlStop(QString& output) const;
    bool Switch(bool running, QString& why);
    QString FDir;
    bool FRunning = false;
    bool FTried = false;
    QString FWhyNot;
    QProcess* FWatcher = nullptr;
    std::map<QString, std::pair<bool, QString>> FMade; // database: made, or why not
};

} // namespace tessiv::test
