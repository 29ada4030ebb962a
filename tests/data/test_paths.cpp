// Databases named by a relative path: a file or folder beside the owner's report file first, then in
// the folder the program runs in; aliases and database components keep their names, and two owners
// that name different files alike read each their own.

#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

using namespace tessiv;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

// An SQLite file whose table T holds one row with the text V.
void MakeDb(const QString& path, const QString& value)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    const QString conn = QStringLiteral("paths-") + path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE T (V VARCHAR(20))"))) << q.lastError().text().toStdString();
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO T VALUES ('%1')").arg(value)));
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
}

class RelativeDatabasePaths : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
        FSavedCurrent = QDir::currentPath();
        Base = FDir.filePath(QStringLiteral("relatorios"));
        Current = FDir.filePath(QStringLiteral("atual"));
        ASSERT_TRUE(QDir().mkpath(Base) && QDir().mkpath(Current));
        QDir::setCurrent(Current);
    }
    void TearDown() override { QDir::setCurrent(FSavedCurrent); }

    // The value of T (or of the table given) through a table of the owner on the database name.
    static QString Read(TComponent* owner, const QString& databaseName, const QString& table = QStringLiteral("T"))
    {
        Owned<TTable> t(new TTable(owner));
        t->SetDatabaseName(databaseName);
        t->SetTableName(table);
        t->Open();
        return t->FieldByName(QStringLiteral("V"))->AsString();
    }

    QTemporaryDir FDir;
    QString FSavedCurrent, Base, Current;
};

TEST_F(RelativeDatabasePaths, TheReportsFolderFirstThenTheCurrentFolder)
{
    MakeDb(Base + QStringLiteral("/loja.db"), QStringLiteral("ao lado"));
    MakeDb(Base + QStringLiteral("/dados/loja.db"), QStringLiteral("subpasta"));
    MakeDb(Base + QStringLiteral("/LOJA"), QStringLiteral("arquivo"));
    MakeDb(Current + QStringLiteral("/loja.db"), QStringLiteral("atual"));
    MakeDb(Current + QStringLiteral("/so-aqui.db"), QStringLiteral("so aqui"));
    MakeDb(FDir.filePath(QStringLiteral("alias.db")), QStringLiteral("alias"));
    TStringList params;
    params.Add(QStringLiteral("PATH=") + FDir.filePath(QStringLiteral("alias.db")));
    Session().AddAlias(QStringLiteral("LOJA"), QStringLiteral("SQLITE"), &params);
    ASSERT_TRUE(QDir().mkpath(Base + QStringLiteral("/planilhas")));
    QFile csv(Base + QStringLiteral("/planilhas/itens.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("V\npasta\n");
    csv.close();

    Owned<TComponent> report(new TComponent(nullptr));
    Session().SetBaseFolder(report.get(), Base);
    struct Case {
        QString Name;
        QString Table;
        QString Value; // empty: the open fails
    } cases[] = {
        {QStringLiteral("loja.db"), QStringLiteral("T"), QStringLiteral("ao lado")},
        {QStringLiteral("dados/loja.db"), QStringLiteral("T"), QStringLiteral("subpasta")},
        {QStringLiteral("./dados/../loja.db"), QStringLiteral("T"), QStringLiteral("ao lado")},
        {QStringLiteral("planilhas"), QStringLiteral("itens"), QStringLiteral("pasta")},
        {QStringLiteral("so-aqui.db"), QStringLiteral("T"), QStringLiteral("so aqui")},
        {Current + QStringLiteral("/loja.db"), QStringLiteral("T"), QStringLiteral("atual")},
        {QStringLiteral("LOJA"), QStringLiteral("T"), QStringLiteral("alias")},
        {QStringLiteral("nada.db"), QStringLiteral("T"), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        if (c.Value.isEmpty()) {
            try {
                Read(report.get(), c.Name, c.Table);
                ADD_FAILURE() << "opened";
            } catch (const EDBEngineError& e) {
                EXPECT_EQ(e.Message(), QStringLiteral("Unknown database: ") + c.Name);
            }
            continue;
        }
        EXPECT_EQ(Read(report.get(), c.Name, c.Table), c.Value);
    }

    // Without a report folder, as before: the current folder.
    Owned<TComponent> loose(new TComponent(nullptr));
    EXPECT_EQ(Read(loose.get(), QStringLiteral("loja.db")), QStringLiteral("atual"));
    // The table list of a relative folder, beside the report.
    TStringList tables;
    Session().GetTableNames(QStringLiteral("planilhas"), QString(), true, false, &tables, report.get());
    EXPECT_EQ(tables.ToStringList(), QStringList{QStringLiteral("itens.csv")});
}

TEST_F(RelativeDatabasePaths, TwoReportsNamingTheirOwnFilesAlikeReadEachTheirOwn)
{
    const QString other = FDir.filePath(QStringLiteral("outros"));
    MakeDb(Base + QStringLiteral("/loja.db"), QStringLiteral("primeiro"));
    MakeDb(other + QStringLiteral("/loja.db"), QStringLiteral("segundo"));
    Owned<TComponent> first(new TComponent(nullptr));
    Owned<TComponent> second(new TComponent(nullptr));
    Session().SetBaseFolder(first.get(), Base);
    Session().SetBaseFolder(second.get(), other);

    // Both open at once: neither shares the other's connection.
    Owned<TTable> a(new TTable(first.get()));
    a->SetDatabaseName(QStringLiteral("loja.db"));
    a->SetTableName(QStringLiteral("T"));
    a->Open();
    Owned<TTable> b(new TTable(second.get()));
    b->SetDatabaseName(QStringLiteral("loja.db"));
    b->SetTableName(QStringLiteral("T"));
    b->Open();
    EXPECT_EQ(a->FieldByName(QStringLiteral("V"))->AsString(), QStringLiteral("primeiro"));
    EXPECT_EQ(b->FieldByName(QStringLiteral("V"))->AsString(), QStringLiteral("segundo"));
    // A second table of the first report on the same file shares its connection.
    ASSERT_TRUE(QDir().mkpath(Base + QStringLiteral("/dados")));
    Owned<TTable> c(new TTable(first.get()));
    c->SetDatabaseName(QStringLiteral("dados/../loja.db"));
    c->SetTableName(QStringLiteral("T"));
    c->Open();
    EXPECT_EQ(c->FieldByName(QStringLiteral("V"))->AsString(), QStringLiteral("primeiro"));
    EXPECT_EQ(a->Database(), c->Database());
    EXPECT_NE(a->Database(), b->Database());

    // A database component of the report names its file relatively too.
    auto* db = new TDatabase(second.get());
    db->SetDatabaseName(QStringLiteral("DOC"));
    db->SetAliasName(QStringLiteral("loja.db"));
    db->LoginPrompt = false;
    EXPECT_EQ(Read(second.get(), QStringLiteral("DOC")), QStringLiteral("segundo"));

    // A report that goes takes its folder with it: the session keeps nothing of it.
    a.reset();
    c.reset();
    first.reset();
    EXPECT_EQ(Session().DatabasePath(QStringLiteral("loja.db"), second.get()),
              QFileInfo(other + QStringLiteral("/loja.db")).canonicalFilePath());
}

} // namespace
