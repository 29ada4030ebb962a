#pragma once
// A go-between for the test server that can go silent without closing anything, as a network or a
// server that stops answering would: while stalled it takes nothing from either side and forwards
// nothing, and every connection stays open. Clients reach it as they reach the server, through a
// socket folder of its own (the host) and the server's port.

#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace tessiv::test {

class PgProxy {
public:
    PgProxy(const QString& serverSocketDir, int port);
    ~PgProxy();
    PgProxy(const PgProxy&) = delete;
    PgProxy& operator=(const PgProxy&) = delete;

    // False with the reason when it cannot listen.
    bool Start(QString& why);
    QString SocketDir() const { return FDir.path(); }
    void Stall(bool stalled) { FStalled = stalled; }

private:
    void Run();
    QString FServerSocket;
    int FPort;
    QTemporaryDir FDir;
    int FListen = -1;
    std::thread FThread;
    std::atomic<bool> FStalled{false};
    std::atomic<bool> FStop{false};
};

} // namespace tessiv::test
