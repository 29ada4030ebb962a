// A server that stops answering without closing the connection (a proxy that stops forwarding):
// every wait on it ends, at the limit or at the user's Cancel, with a message; the database is
// disconnected and the next open connects anew.

#include "PgProxy.h"
#include "PgServer.h"

#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"
#include "platform/data/ServerWait.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>

using namespace tessiv;
using namespace std::chrono_literals;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

// More rows than one batch of the server cursor: reading on needs the server again.
bool PgEspera(QString& why)
{
    return test::PgServer::Instance().MakeDatabase(
        QStringLiteral("espera"),
        {QStringLiteral("CREATE TABLE itens (id INTEGER PRIMARY KEY, nome VARCHAR(10))"),
         QStringLiteral("INSERT INTO itens SELECT g, 'R' || g FROM generate_series(1, 2500) g")},
        why);
}

class SilentServer : public testing::Test {
public:
    void SetUp() override
    {
        QString why;
        if (!PgEspera(why))
            GTEST_SKIP() << why.toStdString();
        const test::PgServer& pg = test::PgServer::Instance();
        FProxy = std::make_unique<test::PgProxy>(pg.SocketDir(), pg.Port());
        ASSERT_TRUE(FProxy->Start(why)) << why.toStdString();
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
        TStringList p;
        p.Add(QStringLiteral("SERVER NAME=") + FProxy->SocketDir());
        p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
        p.Add(QStringLiteral("DATABASE NAME=espera"));
        p.Add(QStringLiteral("USER NAME=") + test::PgServer::SuperUser());
        Session().AddAlias(QStringLiteral("ESPERA"), QStringLiteral("POSTGRESQL"), &p);
        FDb.reset(new TDatabase(nullptr));
        FDb->SetDatabaseName(QStringLiteral("BASE_ESPERA"));
        FDb->SetAliasName(QStringLiteral("ESPERA"));
        FDb->LoginPrompt = false;
        FSavedLimit = ServerWaitLimit();
        SetServerWaitLimit(2s);
    }
    void TearDown() override
    {
        SetServerWaitLimit(FSavedLimit);
        FQuery.reset();
        FTable.reset();
        FDb.reset();
        FProxy.reset();
    }
    TQuery* Query(const QString& sql)
    {
        FQuery.reset(new TQuery(nullptr));
        FQuery->SetDatabaseName(QStringLiteral("BASE_ESPERA"));
        FQuery->SQL()->SetText(sql);
        return FQuery.get();
    }
    TTable* Table()
    {
        FTable.reset(new TTable(nullptr));
        FTable->SetDatabaseName(QStringLiteral("BASE_ESPERA"));
        FTable->SetTableName(QStringLiteral("itens"));
        return FTable.get();
    }
    // Runs the action on the silent server: the engine error it ends with, and how long it took.
    EDBEngineError Stalled(const std::function<void()>& action, std::chrono::milliseconds& took)
    {
        FProxy->Stall(true);
        const auto start = std::chrono::steady_clock::now();
        try {
            action();
        } catch (const EDBEngineError& e) {
            took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            FProxy->Stall(false);
            return e;
        }
        FProxy->Stall(false);
        ADD_FAILURE() << "the wait ended without an error";
        return EDBEngineError(0, QString());
    }
    void ReadAll(TDataSet* d)
    {
        for (d->First(); !d->Eof(); d->Next())
            ;
    }

    QTemporaryDir FDir;
    std::unique_ptr<test::PgProxy> FProxy;
    Owned<TDatabase> FDb;
    Owned<TQuery> FQuery;
    Owned<TTable> FTable;
    std::chrono::milliseconds FSavedLimit{};
};

struct SilentCase {
    const char* Name;
    bool OpenFirst; // the query is open before the server goes silent
    std::function<void(SilentServer&, TQuery*)> Action;
};

void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.Name; }

class SilentServerAt : public SilentServer, public testing::WithParamInterface<SilentCase> {};

// Whatever waits on the server (our own statements awaited in slices, or a driver's blocking call
// under the watch) ends at the limit with the limit's message; nothing stays connected, and once
// the server answers again the same query opens and reads every row.
TEST_P(SilentServerAt, TheWaitEndsAtTheLimitAndTheNextOpenConnectsAgain)
{
    const SilentCase& c = GetParam();
    TQuery* q = Query(QStringLiteral("SELECT * FROM itens ORDER BY id"));
    FDb->Open();
    if (c.OpenFirst)
        q->Open();
    std::chrono::milliseconds took{};
    const EDBEngineError e = Stalled([&] { c.Action(*this, q); }, took);
    EXPECT_TRUE(e.HasErrorCode(DBIERR_CONNECTIONLOST)) << e.Message().toStdString();
    EXPECT_EQ(e.Message(), QStringLiteral("The database server did not answer within 2 seconds; the connection was closed"));
    EXPECT_GE(took, 2s);
    EXPECT_LT(took, 20s); // the limit, not a client library's own minutes
    EXPECT_FALSE(FDb->Connected());
    EXPECT_FALSE(q->Active());

    q->Open();
    EXPECT_TRUE(FDb->Connected());
    int rows = 0;
    for (q->First(); !q->Eof(); q->Next())
        ++rows;
    EXPECT_EQ(rows, 2500);
}

const SilentCase kSilentCases[] = {
    {"OpeningAQuery", false, [](SilentServer&, TQuery* q) { q->Open(); }},
    {"ReadingTheNextBatch", true, [](SilentServer& t, TQuery* q) { t.ReadAll(q); }},
    {"CountingRecords", true, [](SilentServer&, TQuery* q) { q->RecordCount(); }},
    // The driver's own calls: a table's keys and columns, a change.
    {"OpeningATable", true, [](SilentServer& t, TQuery*) { t.Table()->Open(); }},
    {"RunningAChange", true, [](SilentServer&, TQuery*) {
         Owned<TQuery> change(new TQuery(nullptr));
         change->SetDatabaseName(QStringLiteral("BASE_ESPERA"));
         change->SQL()->SetText(QStringLiteral("UPDATE itens SET nome = nome WHERE id = 1"));
         change->ExecSQL();
     }},
};

INSTANTIATE_TEST_SUITE_P(Waits, SilentServerAt, testing::ValuesIn(kSilentCases),
                         [](const testing::TestParamInfo<SilentCase>& info) { return std::string(info.param.Name); });

// The hook is asked while the wait goes on (the program repaints there); when it says the user
// cancelled, the wait ends at once with its own message, long before the limit.
TEST_F(SilentServer, ACancelDuringTheWaitEndsItAtOnce)
{
    SetServerWaitLimit(60s);
    TQuery* q = Query(QStringLiteral("SELECT * FROM itens ORDER BY id"));
    q->Open();
    int asked = 0;
    const TServerWaitScope hook([&asked](std::chrono::milliseconds) { return ++asked < 3; });
    std::chrono::milliseconds took{};
    const EDBEngineError e = Stalled([&] { ReadAll(q); }, took);
    EXPECT_EQ(e.Message(), QStringLiteral("The wait for the database server was cancelled; the connection was closed"));
    EXPECT_EQ(asked, 3);
    EXPECT_LT(took, 30s);
    EXPECT_FALSE(FDb->Connected());
    q->Open();
    EXPECT_EQ(q->RecordCount(), 2500);
}

// Closing a cursor raises nothing and does not wait out the limit: a server that does not answer
// at once is given up, and the next use says so before connecting anew.
TEST_F(SilentServer, ClosingOnASilentServerGivesItUpWithoutWaitingTheLimit)
{
    SetServerWaitLimit(60s);
    TQuery* q = Query(QStringLiteral("SELECT * FROM itens ORDER BY id"));
    q->Open();
    FProxy->Stall(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(q->Close());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    FProxy->Stall(false);
    try {
        q->Open();
        ADD_FAILURE() << "opened on a connection given up";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("The database server did not answer within 5 seconds"))) << e.Message().toStdString();
    }
    q->Open();
    EXPECT_EQ(q->RecordCount(), 2500);
}

} // namespace
