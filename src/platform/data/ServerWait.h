#pragma once
// Waiting on a database server, bounded. A server, or something between us and it, may stop
// answering without closing the connection; the client library would then wait for ever inside a
// call, with the program frozen. Statements of our own are sent without blocking and awaited here
// in short slices (the program repaints and its Cancel is heard between them); calls that block
// inside a driver are watched from another thread, which closes the socket when the time is up.
// Either way the connection is given up: the next use connects anew.

#include <QString>

#include <chrono>
#include <functional>

struct pg_conn;
struct pg_result;

namespace tessiv {

// How long one statement may wait for the server's answer before its connection is given up.
std::chrono::milliseconds ServerWaitLimit();
void SetServerWaitLimit(std::chrono::milliseconds limit);

// Called about ten times a second while a statement of ours waits, with how long it has waited:
// the caller repaints there and returns false when the user cancelled what is waiting. None by
// default (nothing is pumped).
using TServerWaitHook = std::function<bool(std::chrono::milliseconds waited)>;

// Installs a hook for its lifetime, the one before it coming back at the end.
class TServerWaitScope {
public:
    explicit TServerWaitScope(TServerWaitHook hook);
    ~TServerWaitScope();
    TServerWaitScope(const TServerWaitScope&) = delete;
    TServerWaitScope& operator=(const TServerWaitScope&) = delete;

private:
    TServerWaitHook FSaved;
};

enum class TServerWaitEnd { Answered, TimedOut, Cancelled };

// The message for a wait that did not end with an answer.
QString ServerWaitMessage(TServerWaitEnd end, std::chrono::milliseconds limit = ServerWaitLimit());

// Sends a statement with `send` (one of libpq's PQsend* calls) and waits for its results, as
// PQexec would: the first failed result, else the last one. Anything but Answered leaves the
// connection closed (libpq reports it bad) and returns no result; a statement still running is
// asked to stop without waiting for the server's reply.
// The wait is ServerWaitLimit() unless a shorter one is given.
pg_result* PgRunBounded(pg_conn* conn, const std::function<int(pg_conn*)>& send, TServerWaitEnd& end,
                        std::chrono::milliseconds limit = std::chrono::milliseconds::max());
// The same wait for a statement sent earlier (a batch asked for ahead).
pg_result* PgAwaitBounded(pg_conn* conn, TServerWaitEnd& end,
                          std::chrono::milliseconds limit = std::chrono::milliseconds::max());

// While alive, a blocking call on the connection (one a driver makes) is bounded: once the limit
// has passed, the connection's socket is shut so that the call returns with an error.
class TServerWatch {
public:
    explicit TServerWatch(pg_conn* conn);
    ~TServerWatch();
    TServerWatch(const TServerWatch&) = delete;
    TServerWatch& operator=(const TServerWatch&) = delete;

private:
    int FId = 0;
};

// True, once, when a watch ended a call on the connection: the error that follows is the limit's.
bool ServerWatchEnded(pg_conn* conn);

} // namespace tessiv
