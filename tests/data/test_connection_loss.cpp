// A connection that goes away under open datasets: the server ends our session, or the database
// file goes away. What the user does next gets an engine error with the driver's message, nothing
// stays half-open, and the database connects again on the next open.

#include "PgServer.h"

#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>

using namespace tessiv;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

// The test server with a small database of its own, made once per run.
bool PgPerda(QString& why)
{
    return test::PgServer::Instance().MakeDatabase(
        QStringLiteral("perda"),
        {QStringLiteral("CREATE TABLE clientes (id INTEGER PRIMARY KEY, nome VARCHAR(30))"),
         QStringLiteral("INSERT INTO clientes VALUES (1, 'Ana'), (2, 'Bruno'), (3, 'Carla')"),
         QStringLiteral("CREATE TABLE itens (cliente INTEGER, produto VARCHAR(20))"),
         QStringLiteral("INSERT INTO itens VALUES (1, 'lapis'), (2, 'caneta')")},
        why);
}

// Ends the server session behind a connection, as an administrator or a server restart would,
// and waits until the server has let it go.
void TerminateBackend(QSqlDatabase conn)
{
    QSqlQuery own(conn);
    ASSERT_TRUE(own.exec(QStringLiteral("SELECT pg_backend_pid()")) && own.next()) << own.lastError().text().toStdString();
    const int pid = own.value(0).toInt();
    own = QSqlQuery();
    const test::PgServer& pg = test::PgServer::Instance();
    const QString name = QStringLiteral("pg-admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(pg.SocketDir());
        admin.setPort(pg.Port());
        admin.setUserName(test::PgServer::SuperUser());
        admin.setDatabaseName(QStringLiteral("postgres"));
        ASSERT_TRUE(admin.open()) << admin.lastError().text().toStdString();
        QSqlQuery q(admin);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid)));
        bool gone = false;
        for (int i = 0; i < 500 && !gone; ++i) {
            ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE pid = %1").arg(pid)) && q.next());
            gone = q.value(0).toInt() == 0;
            if (!gone)
                QThread::msleep(10);
        }
        EXPECT_TRUE(gone);
        q = QSqlQuery();
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

class ConnectionLoss : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
    }
    // A database component with a table, a query, and a detail query following the table.
    void OpenAll(const QString& alias)
    {
        FDb.reset(new TDatabase(nullptr));
        FDb->SetDatabaseName(QStringLiteral("LOJAVIVA"));
        FDb->SetAliasName(alias);
        FDb->LoginPrompt = false;
        FTable.reset(new TTable(nullptr));
        FTable->SetDatabaseName(QStringLiteral("LOJAVIVA"));
        FTable->SetTableName(QStringLiteral("clientes"));
        FTable->SetIndexFieldNames(QStringLiteral("id"));
        FSource.reset(new TDataSource(nullptr));
        FSource->SetDataSet(FTable.get());
        FQuery.reset(new TQuery(nullptr));
        FQuery->SetDatabaseName(QStringLiteral("LOJAVIVA"));
        FQuery->SQL()->SetText(QStringLiteral("SELECT nome FROM clientes ORDER BY id"));
        FDetail.reset(new TQuery(nullptr));
        FDetail->SetDatabaseName(QStringLiteral("LOJAVIVA"));
        FDetail->SQL()->SetText(QStringLiteral("SELECT produto FROM itens WHERE cliente = :id"));
        FDetail->SetDataSource(FSource.get());
        FTable->Open();
        FQuery->Open();
        FDetail->Open();
        ASSERT_TRUE(FDb->Connected());
    }
    std::vector<TDataSet*> DataSets() const { return {FTable.get(), FQuery.get(), FDetail.get()}; }

public: // the cases below act on these
    QTemporaryDir FDir;
    Owned<TDatabase> FDb;
    Owned<TTable> FTable;
    Owned<TDataSource> FSource;
    Owned<TQuery> FQuery, FDetail;
};

struct LossCase {
    const char* Name;
    std::function<void(ConnectionLoss&)> Action;
};

void PrintTo(const LossCase& c, std::ostream* os) { *os << c.Name; }

class PostgreSQLConnectionLoss : public ConnectionLoss, public testing::WithParamInterface<LossCase> {};

// Every operation that has to reach the server finds the session gone: a lost connection with
// the server's words, the database disconnected and all its datasets closed (their cursors are
// dead, and records read before the loss may no longer be what the server holds).
TEST_P(PostgreSQLConnectionLoss, RaisesClosesAndReconnects)
{
    QString why;
    if (!PgPerda(why))
        GTEST_SKIP() << why.toStdString();
    const test::PgServer& pg = test::PgServer::Instance();
    TStringList p;
    p.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
    p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
    p.Add(QStringLiteral("DATABASE NAME=perda"));
    p.Add(QStringLiteral("USER NAME=") + test::PgServer::SuperUser());
    Session().AddAlias(QStringLiteral("PERDA"), QStringLiteral("POSTGRESQL"), &p);
    OpenAll(QStringLiteral("PERDA"));
    int disconnects = 0;
    FDb->AfterDisconnect = [&](TComponent*) { ++disconnects; };
    TerminateBackend(FDb->Connection());

    try {
        GetParam().Action(*this);
        ADD_FAILURE() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.HasErrorCode(DBIERR_CONNECTIONLOST)) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QLatin1String("terminating connection due to administrator command")))
            << e.Message().toStdString();
    }
    EXPECT_FALSE(FDb->Connected());
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(FDb->DataSetCount(), 0);
    for (TDataSet* d : DataSets())
        EXPECT_FALSE(d->Active()) << d->ClassName().toStdString();

    // The server is still there: the next open connects anew.
    FTable->Open();
    EXPECT_TRUE(FDb->Connected());
    EXPECT_EQ(FTable->RecordCount(), 3);
    FDetail->Open();
    EXPECT_EQ(FDetail->FieldByName(QStringLiteral("produto"))->AsString(), "lapis");
}

const LossCase kLossCases[] = {
    {"Refresh", [](ConnectionLoss& t) { t.FQuery->Refresh(); }},
    {"MasterMoves", [](ConnectionLoss& t) { t.FTable->Next(); }},
    {"Post", [](ConnectionLoss& t) {
         t.FTable->Edit();
         t.FTable->FieldByName(QStringLiteral("nome"))->SetAsString(QStringLiteral("Ana Maria"));
         t.FTable->Post();
     }},
    {"Insert", [](ConnectionLoss& t) {
         t.FTable->Insert();
         t.FTable->FieldByName(QStringLiteral("id"))->SetAsInteger(9);
         t.FTable->Post();
     }},
    {"Delete", [](ConnectionLoss& t) { t.FTable->Delete(); }},
    {"OpenAnother", [](ConnectionLoss& t) {
         Owned<TQuery> q(new TQuery(nullptr));
         q->SetDatabaseName(QStringLiteral("LOJAVIVA"));
         q->SQL()->SetText(QStringLiteral("SELECT * FROM itens"));
         q->Open();
     }},
    {"ExecSQL", [](ConnectionLoss& t) {
         Owned<TQuery> q(new TQuery(nullptr));
         q->SetDatabaseName(QStringLiteral("LOJAVIVA"));
         q->SQL()->SetText(QStringLiteral("UPDATE itens SET produto = 'giz' WHERE cliente = 2"));
         q->ExecSQL();
     }},
};

INSTANTIATE_TEST_SUITE_P(Operations, PostgreSQLConnectionLoss, testing::ValuesIn(kLossCases),
                         [](const testing::TestParamInfo<LossCase>& info) { return std::string(info.param.Name); });

// The server sends a result whole, so moving through records already read needs no server; closing
// needs none either. The loss shows at the first operation that does.
TEST_F(ConnectionLoss, PostgreSQLReadRecordsAndCloseNeedNoServer)
{
    QString why;
    if (!PgPerda(why))
        GTEST_SKIP() << why.toStdString();
    const test::PgServer& pg = test::PgServer::Instance();
    TStringList p;
    p.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
    p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
    p.Add(QStringLiteral("DATABASE NAME=perda"));
    p.Add(QStringLiteral("USER NAME=") + test::PgServer::SuperUser());
    Session().AddAlias(QStringLiteral("PERDA"), QStringLiteral("POSTGRESQL"), &p);
    OpenAll(QStringLiteral("PERDA"));
    TerminateBackend(FDb->Connection());

    QStringList names;
    for (FQuery->First(); !FQuery->Eof(); FQuery->Next())
        names << FQuery->FieldByName(QStringLiteral("nome"))->AsString();
    EXPECT_EQ(names, (QStringList{"Ana", "Bruno", "Carla"}));
    FQuery->Last();
    EXPECT_EQ(FQuery->RecordCount(), 3);
    FQuery->Close();
    EXPECT_TRUE(FDb->Connected());
    EXPECT_THROW(FQuery->Open(), EDBEngineError);
    EXPECT_FALSE(FDb->Connected());
    EXPECT_FALSE(FTable->Active());
    FDb->Close();
    FQuery->Open();
    EXPECT_EQ(FQuery->RecordCount(), 3);
}

// A database file of the same shape with rows clients; long names spread them over many pages.
void MakeSqliteFile(const QString& path, int rows)
{
    const QString conn = QStringLiteral("setup-") + path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE clientes (id INTEGER PRIMARY KEY, nome VARCHAR(300))")));
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE itens (cliente INTEGER, produto VARCHAR(20))")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO itens VALUES (1, 'lapis'), (2, 'caneta')")));
        ASSERT_TRUE(q.exec(QStringLiteral("BEGIN")));
        for (int i = 1; i <= rows; ++i)
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO clientes VALUES (%1, '%2%3')")
                                   .arg(i)
                                   .arg(i == 1 ? QStringLiteral("Ana") : QStringLiteral("Cliente %1").arg(i))
                                   .arg(QString(rows > 3 ? 200 : 0, QLatin1Char('.')))));
        ASSERT_TRUE(q.exec(QStringLiteral("COMMIT")));
    }
    QSqlDatabase::removeDatabase(conn);
}

// SQLite goes on reading a file that was renamed or removed while open, but refuses to write to
// it: the first write finds the database gone, as a lost connection. The edit is not written
// anywhere, and the database opens again once the file is back.
TEST_F(ConnectionLoss, SQLiteFileMovedWhileOpen)
{
    const QString file = FDir.filePath(QStringLiteral("perda.db"));
    const QString away = FDir.filePath(QStringLiteral("guardado.db"));
    MakeSqliteFile(file, 3);
    TStringList p;
    p.Add(QStringLiteral("PATH=") + file);
    Session().AddAlias(QStringLiteral("PERDA"), QStringLiteral("SQLITE"), &p);
    OpenAll(QStringLiteral("PERDA"));
    ASSERT_TRUE(QFile::rename(file, away));

    FQuery->Last();
    EXPECT_EQ(FQuery->RecordCount(), 3); // reading goes on from the open file
    FTable->Edit();
    FTable->FieldByName(QStringLiteral("nome"))->SetAsString(QStringLiteral("Ana Maria"));
    try {
        FTable->Post();
        ADD_FAILURE() << "wrote to a database file that is gone";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.HasErrorCode(DBIERR_CONNECTIONLOST)) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QLatin1String("readonly database"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(file)) << e.Message().toStdString();
    }
    EXPECT_FALSE(FDb->Connected());
    for (TDataSet* d : DataSets())
        EXPECT_FALSE(d->Active()) << d->ClassName().toStdString();
    EXPECT_THROW(FTable->Open(), EDBEngineError); // no file at the path: never a new empty one
    EXPECT_FALSE(FDb->Connected());
    EXPECT_FALSE(FTable->Active());
    EXPECT_FALSE(QFile::exists(file));

    ASSERT_TRUE(QFile::rename(away, file));
    FTable->Open();
    EXPECT_EQ(FTable->FieldByName(QStringLiteral("nome"))->AsString(), "Ana");
    EXPECT_EQ(FTable->RecordCount(), 3);
}

// A file damaged under a cursor that is still reading: the records read so far are not all of
// them, so the dataset closes rather than pass them off as the whole table. The database and its
// other datasets stay as they are.
TEST_F(ConnectionLoss, SQLiteCursorFailingPartWayCloses)
{
    const QString file = FDir.filePath(QStringLiteral("perda.db"));
    MakeSqliteFile(file, 2000);
    TStringList p;
    p.Add(QStringLiteral("PATH=") + file);
    Session().AddAlias(QStringLiteral("PERDA"), QStringLiteral("SQLITE"), &p);
    OpenAll(QStringLiteral("PERDA"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(8192)); // the schema's pages stay, the rows are cut off
    }
    try {
        FQuery->Last();
        ADD_FAILURE() << "read past the end of a damaged file";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("malformed"))) << e.Message().toStdString();
        EXPECT_FALSE(e.HasErrorCode(DBIERR_CONNECTIONLOST));
    }
    EXPECT_FALSE(FQuery->Active());
    EXPECT_TRUE(FDb->Connected());
    EXPECT_TRUE(FTable->Active());
    EXPECT_TRUE(FDetail->Active());
}

} // namespace
