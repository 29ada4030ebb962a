#include "platform/data/ServerWait.h"

#include <libpq-fe.h>

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace tessiv {

namespace {

using Clock = std::chrono::steady_clock;

// Long enough for any statement a report or a label sheet reasonably runs; a user who wants less
// has the progress form's Cancel.
std::chrono::milliseconds g_limit{std::chrono::minutes(2)};
TServerWaitHook g_hook;

constexpr std::chrono::milliseconds kSlice{100};

// Asks the server to stop what the connection runs. The request connects on its own and waits for
// the server to close it, which a silent server never does: it goes on a thread of its own.
void CancelInBackground(PGconn* conn)
{
    PGcancel* cancel = PQgetCancel(conn);
    if (!cancel)
        return;
    std::thread([cancel] {
        char error[256];
        PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
    }).detach();
}

// Closes the connection's socket under the client library, which then reports the connection bad
// at its next read instead of waiting on it.
void ShutSocket(int fd)
{
    if (fd >= 0)
        ::shutdown(fd, SHUT_RDWR);
}

// Watches blocking calls from a thread of its own, started on first use.
class TWatchdog {
public:
    static TWatchdog& Instance()
    {
        static TWatchdog dog;
        return dog;
    }
    ~TWatchdog()
    {
        {
            const std::lock_guard<std::mutex> lock(FMutex);
            FStop = true;
        }
        FWake.notify_all();
        if (FThread.joinable())
            FThread.join();
    }
    int Add(PGconn* conn, Clock::time_point deadline)
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        if (!FThread.joinable())
            FThread = std::thread([this] { Run(); });
        const int id = ++FNext;
        FItems[id] = {conn, PQsocket(conn), deadline, false, false};
        FWake.notify_all();
        return id;
    }
    // Ends the watch; a connection it shut is kept for the error that follows.
    void Remove(int id)
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        const auto it = FItems.find(id);
        if (it == FItems.end())
            return;
        if (it->second.Expired && !it->second.Reported)
            FEnded.insert(it->second.Conn);
        FItems.erase(it);
    }
    bool Ended(PGconn* conn)
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        for (auto& [id, item] : FItems)
            if (item.Conn == conn && item.Expired && !item.Reported) {
                item.Reported = true;
                return true;
            }
        return FEnded.erase(conn) > 0;
    }

private:
    struct TItem {
        PGconn* Conn;
        int Fd;
        Clock::time_point Deadline;
        bool Expired;
        bool Reported = false;
    };
    void Run()
    {
        std::unique_lock<std::mutex> lock(FMutex);
        while (!FStop) {
            Clock::time_point next = Clock::time_point::max();
            const Clock::time_point now = Clock::now();
            for (auto& [id, item] : FItems) {
                if (item.Expired)
                    continue;
                if (item.Deadline <= now) {
                    // Shut while the watch is held: the socket is still the connection's.
                    item.Expired = true;
                    ShutSocket(item.Fd);
                } else {
                    next = std::min(next, item.Deadline);
                }
            }
            if (next == Clock::time_point::max())
                FWake.wait(lock);
            else
                FWake.wait_until(lock, next);
        }
    }
    std::mutex FMutex;
    std::condition_variable FWake;
    std::map<int, TItem> FItems;
    std::set<PGconn*> FEnded; // connections a watch shut, until their error is raised
    std::thread FThread;
    int FNext = 0;
    bool FStop = false;
};

} // namespace

std::chrono::milliseconds ServerWaitLimit()
{
    return g_limit;
}

void SetServerWaitLimit(std::chrono::milliseconds limit)
{
    g_limit = limit;
}

TServerWaitScope::TServerWaitScope(TServerWaitHook hook) : FSaved(std::move(g_hook))
{
    g_hook = std::move(hook);
}

TServerWaitScope::~TServerWaitScope()
{
    g_hook = std::move(FSaved);
}

QString ServerWaitMessage(TServerWaitEnd end, std::chrono::milliseconds limit)
{
    switch (end) {
    case TServerWaitEnd::TimedOut:
        return QStringLiteral("The database server did not answer within %1 seconds; the connection was closed")
            .arg(std::max<qint64>(1, std::chrono::duration_cast<std::chrono::seconds>(limit).count()));
    case TServerWaitEnd::Cancelled:
        return QStringLiteral("The wait for the database server was cancelled; the connection was closed");
    case TServerWaitEnd::Answered:
        break;
    }
    return QString();
}

namespace {

// Waits for the results of what is on the connection, which is in non-blocking mode; the mode it
// had before comes back once the answer is in.
PGresult* Await(PGconn* conn, TServerWaitEnd& end, std::chrono::milliseconds limit, int wasNonblocking)
{
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::min(limit, g_limit);
    Clock::time_point nextHook = start + kSlice;
    PGresult* kept = nullptr;
    bool failed = false;
    for (;;) {
        const int flushed = PQflush(conn); // 0: all sent, 1: more to send, -1: failed
        if (flushed <= 0 && !PQisBusy(conn)) {
            PGresult* r = PQgetResult(conn);
            if (!r)
                break;
            // As PQexec: the first failure, else the last result.
            const ExecStatusType status = PQresultStatus(r);
            const bool error = status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE || status == PGRES_NONFATAL_ERROR;
            if (failed) {
                PQclear(r);
            } else {
                PQclear(kept);
                kept = r;
                failed = error;
            }
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            end = TServerWaitEnd::TimedOut;
            break;
        }
        if (g_hook && now >= nextHook) {
            if (!g_hook(std::chrono::duration_cast<std::chrono::milliseconds>(now - start))) {
                end = TServerWaitEnd::Cancelled;
                break;
            }
            nextHook = Clock::now() + kSlice;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        pollfd p{PQsocket(conn), static_cast<short>(POLLIN | (flushed == 1 ? POLLOUT : 0)), 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min(left, kSlice).count()) + 1);
        if (ready > 0 && (p.revents & (POLLIN | POLLERR | POLLHUP)))
            PQconsumeInput(conn); // a failure leaves the connection bad: the next result says so
    }
    if (end != TServerWaitEnd::Answered) {
        PQclear(kept);
        CancelInBackground(conn);
        ShutSocket(PQsocket(conn));
        PQconsumeInput(conn);
        return nullptr;
    }
    PQsetnonblocking(conn, wasNonblocking);
    return kept;
}

} // namespace

PGresult* PgRunBounded(PGconn* conn, const std::function<int(PGconn*)>& send, TServerWaitEnd& end,
                       std::chrono::milliseconds limit)
{
    end = TServerWaitEnd::Answered;
    const int wasNonblocking = PQisnonblocking(conn);
    PQsetnonblocking(conn, 1);
    if (!send(conn)) {
        PQsetnonblocking(conn, wasNonblocking);
        return nullptr; // refused before anything was sent: PQerrorMessage says why
    }
    return Await(conn, end, limit, wasNonblocking);
}

PGresult* PgAwaitBounded(PGconn* conn, TServerWaitEnd& end, std::chrono::milliseconds limit)
{
    end = TServerWaitEnd::Answered;
    const int wasNonblocking = PQisnonblocking(conn);
    PQsetnonblocking(conn, 1);
    return Await(conn, end, limit, wasNonblocking);
}

TServerWatch::TServerWatch(PGconn* conn)
{
    if (conn && PQsocket(conn) >= 0)
        FId = TWatchdog::Instance().Add(conn, Clock::now() + g_limit);
}

TServerWatch::~TServerWatch()
{
    if (FId)
        TWatchdog::Instance().Remove(FId);
}

bool ServerWatchEnded(PGconn* conn)
{
    return conn && TWatchdog::Instance().Ended(conn);
}

} // namespace tessiv
