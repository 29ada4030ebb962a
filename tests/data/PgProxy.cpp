#include "PgProxy.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace tessiv::test {

namespace {

sockaddr_un SocketAddress(const QString& dir, int port)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = (dir + QStringLiteral("/.s.PGSQL.%1").arg(port)).toLocal8Bit();
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    return address;
}

// Writes all of it; false when the other side has gone.
bool WriteAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

PgProxy::PgProxy(const QString& serverSocketDir, int port) : FServerSocket(serverSocketDir), FPort(port) {}

PgProxy::~PgProxy()
{
    FStop = true;
    if (FThread.joinable())
        FThread.join();
    if (FListen >= 0)
        ::close(FListen);
}

bool PgProxy::Start(QString& why)
{
    if (!FDir.isValid()) {
        why = QStringLiteral("no temporary folder for the proxy");
        return false;
    }
    FListen = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = SocketAddress(FDir.path(), FPort);
    if (FListen < 0 || ::bind(FListen, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(FListen, 16) != 0) {
        why = QStringLiteral("the proxy cannot listen: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    FThread = std::thread([this] { Run(); });
    return true;
}

void PgProxy::Run()
{
    // Each client with its connection to the server.
    std::vector<std::pair<int, int>> pairs;
    const auto drop = [&pairs](std::size_t i) {
        ::close(pairs[i].first);
        ::close(pairs[i].second);
        pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
    };
    while (!FStop) {
        const bool stalled = FStalled;
        std::vector<pollfd> fds{{FListen, POLLIN, 0}};
        if (!stalled)
            for (const auto& [client, server] : pairs) {
                fds.push_back({client, POLLIN, 0});
                fds.push_back({server, POLLIN, 0});
            }
        if (::poll(fds.data(), fds.size(), 20) <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            const int client = ::accept(FListen, nullptr, nullptr);
            const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const sockaddr_un address = SocketAddress(FServerSocket, FPort);
            if (client >= 0 && server >= 0 &&
                ::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                pairs.emplace_back(client, server);
            } else {
                if (client >= 0)
                    ::close(client);
                if (server >= 0)
                    ::close(server);
            }
        }
        if (stalled)
            continue;
        // From the last pair back, so that dropping one leaves the others' places.
        for (std::size_t i = (fds.size() - 1) / 2; i-- > 0;) {
            const pollfd& fromClient = fds[1 + 2 * i];
            const pollfd& fromServer = fds[2 + 2 * i];
            char buffer[65536];
            bool open = true;
            for (const auto& [p, from, to] : {std::tuple{&fromClient, pairs[i].first, pairs[i].second},
                                               std::tuple{&fromServer, pairs[i].second, pairs[i].first}}) {
                if (!open || !(p->revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
                open = n > 0 && WriteAll(to, buffer, n);
            }
            if (!open)
                drop(i);
        }
    }
    for (const auto& [client, server] : pairs) {
        ::close(client);
        ::close(server);
    }
}

} // namespace tessiv::test
