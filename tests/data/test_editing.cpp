// Editing through a table on a real SQLite file, as the data grid does, and the alias file.

#include "platform/core/IniFiles.h"
#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

#include <sys/stat.h>

using namespace tessiv;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

// What the file holds, read by a connection of its own.
QStringList FileRows(const QString& path)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(QStringLiteral("SELECT ID, NOME, COALESCE(QTD, 'null') FROM CLIENTES ORDER BY ID"), db);
            while (q.next())
                rows << QStringLiteral("%1 %2 %3").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

class Editing : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
        FFile = FDir.filePath(QStringLiteral("loja.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit-setup"));
            db.setDatabaseName(FFile);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOME VARCHAR(30) NOT NULL, QTD SMALLINT)")));
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO CLIENTES VALUES (1, 'Ana', 2), (2, 'Bruno', NULL)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("edit-setup"));
        TStringList p;
        p.Add(QStringLiteral("PATH=") + FFile);
        Session().AddAlias(QStringLiteral("LOJA"), QStringLiteral("SQLITE"), &p);
        FTable.reset(new TTable(nullptr));
        FTable->SetDatabaseName(QStringLiteral("LOJA"));
        FTable->SetTableName(QStringLiteral("CLIENTES"));
        FTable->Open();
    }
    TField* F(const char* name) const { return FTable->FieldByName(QString::fromLatin1(name)); }
    QTemporaryDir FDir;
    QString FFile;
    Owned<TTable> FTable;
};

TEST_F(Editing, EditPostWritesTheRecord)
{
    EXPECT_EQ(FTable->State(), dsBrowse);
    FTable->Next();
    FTable->Edit();
    EXPECT_EQ(FTable->State(), dsEdit);
    F("QTD")->SetAsInteger(5);
    EXPECT_EQ(F("QTD")->AsInteger(), 5); // the edit buffer shows
    EXPECT_EQ(FileRows(FFile), (QStringList{"1 Ana 2", "2 Bruno null"})); // not yet in the file
    FTable->Post();
    EXPECT_EQ(FTable->State(), dsBrowse);
    EXPECT_EQ(FTable->RecNo(), 2);
    EXPECT_EQ(F("QTD")->AsInteger(), 5);
    EXPECT_EQ(FileRows(FFile), (QStringList{"1 Ana 2", "2 Bruno 5"}));
}

TEST_F(Editing, CancelDropsTheChanges)
{
    FTable->Edit();
    F("NOME")->SetAsString(QStringLiteral("Outra"));
    FTable->Cancel();
    EXPECT_EQ(FTable->State(), dsBrowse);
    EXPECT_EQ(F("NOME")->AsString(), "Ana");
    FTable->Insert();
    EXPECT_EQ(FTable->State(), dsInsert);
    EXPECT_TRUE(F("NOME")->IsNull());
    FTable->Cancel();
    EXPECT_EQ(FTable->RecordCount(), 2);
    EXPECT_EQ(FileRows(FFile), (QStringList{"1 Ana 2", "2 Bruno null"}));
}

TEST_F(Editing, InsertAppendAndDelete)
{
    FTable->Append();
    EXPECT_EQ(FTable->State(), dsInsert);
    F("ID")->SetAsInteger(3);
    F("NOME")->SetAsString(QStringLiteral("Carla"));
    FTable->Post();
    EXPECT_EQ(FTable->RecordCount(), 3);
    EXPECT_EQ(F("NOME")->AsString(), "Carla");

    FTable->First();
    FTable->Insert();
    F("ID")->SetAsInteger(4);
    F("NOME")->SetAsString(QStringLiteral("Davi"));
    F("QTD")->SetAsInteger(1);
    FTable->Post();
    EXPECT_EQ(FTable->RecordCount(), 4);
    EXPECT_EQ(FileRows(FFile), (QStringList{"1 Ana 2", "2 Bruno null", "3 Carla null", "4 Davi 1"}));

    FTable->First();
    ASSERT_EQ(F("NOME")->AsString(), "Davi"); // inserted before the current record
    FTable->Delete();
    EXPECT_EQ(FTable->RecordCount(), 3);
    EXPECT_EQ(FileRows(FFile), (QStringList{"1 Ana 2", "2 Bruno null", "3 Carla null"}));
}

TEST_F(Editing, RefusedPostsStayInEditing)
{
    // A required column left empty: nothing is written, the record stays in insert mode.
    FTable->Append();
    F("ID")->SetAsInteger(9);
    EXPECT_THROW(FTable->Post(), EDatabaseError);
    EXPECT_EQ(FTable->State(), dsInsert);
    FTable->Cancel();
    // A key that exists: the database refuses it.
    FTable->Append();
    F("ID")->SetAsInteger(1);
    F("NOME")->SetAsString(QStringLiteral("Dupla"));
    EXPECT_THROW(FTable->Post(), EDBEngineError);
    EXPECT_EQ(FTable->State(), dsInsert);
    FTable->Cancel();
    EXPECT_EQ(FileRows(FFile), (QStringList{"1 Ana 2", "2 Bruno null"}));
    // A query is read only.
    Owned<TQuery> q(new TQuery(nullptr));
    q->SetDatabaseName(QStringLiteral("LOJA"));
    q->SQL()->SetText(QStringLiteral("SELECT * FROM CLIENTES"));
    q->Open();
    EXPECT_THROW(q->Edit(), EDatabaseError);
    EXPECT_EQ(q->State(), dsBrowse);
}

// ---- the alias file -------------------------------------------------------------------------

class AliasFile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("cfg/Tessiv/Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("dados")));
    }
    QTemporaryDir FDir;
};

TEST_F(AliasFile, ANewMachineGetsTheTessivAliasOnAnEmptyDatabase)
{
    ASSERT_FALSE(QFileInfo::exists(Session().ConfigFile()));
    TStringList names;
    Session().GetAliasNames(&names);
    EXPECT_EQ(names.ToStringList(), QStringList{QStringLiteral("TESSIV")});
    EXPECT_EQ(Session().GetAliasDriverName(QStringLiteral("TESSIV")), "SQLITE");
    EXPECT_TRUE(QFileInfo::exists(Session().ConfigFile()));
    // It may hold passwords: its owner's alone, also once an alias with a password is added.
    const auto mode = [] {
        struct stat st {};
        return ::stat(QFile::encodeName(Session().ConfigFile()).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(mode(), 0600u);
    TStringList secret;
    secret.Add(QStringLiteral("PASSWORD=segredo"));
    Session().AddAlias(QStringLiteral("SERVIDOR"), QStringLiteral("POSTGRESQL"), &secret);
    EXPECT_EQ(mode(), 0600u);
    Session().DeleteAlias(QStringLiteral("SERVIDOR"));
    const QString db = FDir.filePath(QStringLiteral("dados/Tessiv.db"));
    EXPECT_FALSE(QFileInfo::exists(db)); // made on first use, not before

    Owned<TQuery> q(new TQuery(nullptr));
    q->SetDatabaseName(QStringLiteral("TESSIV"));
    q->SQL()->SetText(QStringLiteral("CREATE TABLE T (A INTEGER)"));
    q->ExecSQL();
    EXPECT_TRUE(QFileInfo(db).isFile());
    TStringList tables;
    Session().GetTableNames(QStringLiteral("TESSIV"), QString(), false, false, &tables);
    EXPECT_EQ(tables.ToStringList(), QStringList{QStringLiteral("T")});
}

TEST_F(AliasFile, SectionsAreAliasesWithTheirDriverAndParameters)
{
    QDir().mkpath(QFileInfo(Session().ConfigFile()).absolutePath());
    QFile f(Session().ConfigFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("; aliases\r\n[Vendas]\r\nDRIVER=postgresql\r\nSERVER NAME=db.local\r\nPORT=5433\r\nDATABASE NAME=vendas\r\n"
            "USER NAME=ana\r\n\r\n[Estoque]\r\nDRIVER=ODBC\r\nODBC DSN=estoque\r\n\r\n[Fotos]\r\nPATH=/srv/fotos.db\r\n");
    f.close();
    TStringList names;
    Session().GetAliasNames(&names);
    EXPECT_EQ(names.ToStringList(), (QStringList{"Vendas", "Estoque", "Fotos"})); // no TESSIV added to a file that exists
    EXPECT_TRUE(Session().IsAlias(QStringLiteral("vendas")));
    EXPECT_FALSE(Session().IsAlias(QStringLiteral("Compras")));
    EXPECT_EQ(Session().GetAliasDriverName(QStringLiteral("Vendas")), "POSTGRESQL");
    EXPECT_EQ(Session().GetAliasDriverName(QStringLiteral("Fotos")), "SQLITE"); // the default driver
    TStringList params;
    Session().GetAliasParams(QStringLiteral("Vendas"), &params);
    EXPECT_EQ(params.ToStringList(), (QStringList{"SERVER NAME=db.local", "PORT=5433", "DATABASE NAME=vendas", "USER NAME=ana"}));
    EXPECT_THROW(Session().GetAliasDriverName(QStringLiteral("Compras")), EDBEngineError);

    // Written back: a new alias as one more section; the others untouched.
    TStringList p;
    p.Add(QStringLiteral("path=") + FDir.filePath(QStringLiteral("csv")));
    Session().AddAlias(QStringLiteral("Planilhas"), QStringLiteral("standard"), &p);
    TIniFile ini(Session().ConfigFile());
    EXPECT_EQ(ini.ReadString(QStringLiteral("Planilhas"), QStringLiteral("DRIVER"), QString()), "STANDARD");
    EXPECT_EQ(ini.ReadString(QStringLiteral("Planilhas"), QStringLiteral("PATH"), QString()), FDir.filePath(QStringLiteral("csv")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Vendas"), QStringLiteral("PORT"), QString()), "5433");
    EXPECT_THROW(Session().AddAlias(QStringLiteral("X"), QStringLiteral("PARADOX"), nullptr), EDBEngineError);
    Session().DeleteAlias(QStringLiteral("Estoque"));
    Session().GetAliasNames(&names);
    EXPECT_EQ(names.ToStringList(), (QStringList{"Vendas", "Fotos", "Planilhas"}));
}

TEST_F(AliasFile, AMissingDatabaseFileIsAnErrorNotANewFile)
{
    const QString missing = FDir.filePath(QStringLiteral("nao/existe.db"));
    TStringList p;
    p.Add(QStringLiteral("PATH=") + missing);
    Session().AddAlias(QStringLiteral("SUMIU"), QStringLiteral("SQLITE"), &p);
    TStringList o;
    o.Add(QStringLiteral("CONNECTION STRING=DRIVER={SQLite3};Database=") + missing);
    Session().AddAlias(QStringLiteral("SUMIUODBC"), QStringLiteral("ODBC"), &o);
    for (const char* alias : {"SUMIU", "SUMIUODBC"}) {
        SCOPED_TRACE(alias);
        Owned<TTable> t(new TTable(nullptr));
        t->SetDatabaseName(QString::fromLatin1(alias));
        t->SetTableName(QStringLiteral("X"));
        try {
            t->Open();
            ADD_FAILURE() << "opened a database that does not exist";
        } catch (const EDBEngineError& e) {
            EXPECT_TRUE(e.HasErrorCode(DBIERR_OPENFAILED));
        }
        EXPECT_FALSE(t->Active());
        EXPECT_FALSE(QFileInfo::exists(missing));
    }
}

} // namespace

TEST_F(Editing, FloatAndBcdFieldsRefuseValuesOutsideTheirRange)
{
    FTable->Close(); // its open cursor would keep the file from taking a new table
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("range-setup"));
        db.setDatabaseName(FFile);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE PRECOS (ID INTEGER PRIMARY KEY, PESO FLOAT, VALOR NUMERIC(10,2))")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO PRECOS VALUES (1, 1.5, 10.25)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("range-setup"));
    Owned<TTable> t(new TTable(nullptr));
    t->SetDatabaseName(QStringLiteral("LOJA"));
    t->SetTableName(QStringLiteral("PRECOS"));
    t->Open();
    for (const char* name : {"PESO", "VALOR"}) {
        SCOPED_TRACE(name);
        auto* f = dynamic_cast<TFloatingField*>(t->FieldByName(QString::fromLatin1(name)));
        ASSERT_NE(f, nullptr);
        f->MinValue = 0;
        f->MaxValue = 100;
        const long double before = f->AsFloat();
        t->Edit();
        EXPECT_THROW(f->SetAsFloat(100.5L), EDatabaseError);
        EXPECT_THROW(f->SetAsString(QStringLiteral("-1")), EDatabaseError);
        EXPECT_EQ(f->AsFloat(), before); // the refused value left the buffer alone
        f->SetAsFloat(100);
        t->Post();
        EXPECT_EQ(f->AsFloat(), 100.0L);
    }
}
