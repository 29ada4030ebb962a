// One conformance table run on every driver: the same records through SQLite, the SQLite ODBC
// driver, a PostgreSQL server of our own and the folder driver (CSV files).

#include "PgServer.h"

#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"
#include "platform/data/Variants.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

using namespace tessiv;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& s, std::ostream* os) { *os << s.join(QLatin1Char('|')).toStdString(); }
QT_END_NAMESPACE

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

const char* kSchema =
    "CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOME VARCHAR(30), UF CHAR(2), QTD SMALLINT, PESO FLOAT, "
    "PRECO CURRENCY, VALOR NUMERIC(10,2), ATIVO BOOLEAN, NASC DATE, HORA TIME, CRIADO DATETIME, OBS MEMO, "
    "FOTO GRAPHIC, W WORD)";
const char* kRows[] = {
    "INSERT INTO CLIENTES VALUES (1, 'Ana', 'SP', 2, 1.5, 10.25, 1234.5, 1, '1980-02-29', '08:30:00', '2024-03-01 10:15:00', 'linha 1', X'FFD8FF', 7)",
    "INSERT INTO CLIENTES VALUES (2, 'Bruno', 'RJ', 0, NULL, NULL, NULL, 0, NULL, NULL, NULL, NULL, NULL, NULL)",
    "INSERT INTO CLIENTES VALUES (3, 'Carla', 'SP', 1, 2.25, 3, 7.1, 1, '1990-12-31', '23:59:59', '2000-01-01 00:00:00', 'x', NULL, 65535)",
};
const char* kItems = "CREATE TABLE ITENS (CLIENTE INTEGER, PRODUTO VARCHAR(20))";
const char* kItemRows[] = {"INSERT INTO ITENS VALUES (1, 'lapis')", "INSERT INTO ITENS VALUES (1, 'caneta')",
                           "INSERT INTO ITENS VALUES (3, 'papel')"};

// The same records in the server's own types and naming (unquoted names are lower case there).
const char* kPgSetup[] = {
    "CREATE TABLE clientes (id INTEGER PRIMARY KEY, nome VARCHAR(30), uf CHAR(2), qtd SMALLINT, peso FLOAT, "
    "preco MONEY, valor NUMERIC(10,2), ativo BOOLEAN, nasc DATE, hora TIME, criado TIMESTAMP, obs TEXT, foto BYTEA)",
    "INSERT INTO clientes VALUES (1, 'Ana', 'SP', 2, 1.5, 10.25, 1234.5, TRUE, '1980-02-29', '08:30:00', "
    "'2024-03-01 10:15:00', 'linha 1', '\\xFFD8FF')",
    "INSERT INTO clientes VALUES (2, 'Bruno', 'RJ', 0, NULL, NULL, NULL, FALSE, NULL, NULL, NULL, NULL, NULL)",
    "INSERT INTO clientes VALUES (3, 'Carla', 'SP', 1, 2.25, 3, 7.1, TRUE, '1990-12-31', '23:59:59', "
    "'2000-01-01 00:00:00', 'x', NULL)",
    "CREATE TABLE itens (cliente INTEGER, produto VARCHAR(20))",
    "INSERT INTO itens VALUES (1, 'lapis'), (1, 'caneta'), (3, 'papel')",
    "CREATE ROLE etiqueta LOGIN PASSWORD 'segredo'",
    "GRANT SELECT ON clientes, itens TO etiqueta",
};

enum class Driver { SQLite, ODBC, PostgreSQL, Folder };

std::string DriverLabel(const testing::TestParamInfo<Driver>& info)
{
    switch (info.param) {
    case Driver::SQLite: return "SQLite";
    case Driver::ODBC: return "ODBC";
    case Driver::PostgreSQL: return "PostgreSQL";
    default: return "Folder";
    }
}

// The test server with database "loja" made once per run; false with the reason to skip.
bool PgLoja(QString& why)
{
    QStringList setup;
    for (const char* s : kPgSetup)
        setup << QString::fromLatin1(s);
    return test::PgServer::Instance().MakeDatabase(QStringLiteral("loja"), setup, why);
}

void AddPgAlias(const QString& alias, const QString& user)
{
    const test::PgServer& pg = test::PgServer::Instance();
    TStringList p;
    p.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
    p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
    p.Add(QStringLiteral("DATABASE NAME=loja"));
    p.Add(QStringLiteral("USER NAME=") + user);
    Session().AddAlias(alias, QStringLiteral("POSTGRESQL"), &p);
}

void MakeSqliteFile(const QString& path)
{
    const QString conn = QStringLiteral("setup-") + path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QString::fromLatin1(kSchema))) << q.lastError().text().toStdString();
        for (const char* r : kRows)
            ASSERT_TRUE(q.exec(QString::fromLatin1(r))) << q.lastError().text().toStdString();
        ASSERT_TRUE(q.exec(QString::fromLatin1(kItems)));
        for (const char* r : kItemRows)
            ASSERT_TRUE(q.exec(QString::fromLatin1(r)));
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
}

void WriteFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

class DataTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
    }
    QTemporaryDir FDir;
};

class Conformance : public DataTest, public testing::WithParamInterface<Driver> {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        const QString file = FDir.filePath(QStringLiteral("loja.db"));
        switch (GetParam()) {
        case Driver::SQLite: {
            MakeSqliteFile(file);
            TStringList p;
            p.Add(QStringLiteral("PATH=") + file);
            Session().AddAlias(QStringLiteral("LOJA"), QStringLiteral("SQLITE"), &p);
            break;
        }
        case Driver::ODBC: {
            MakeSqliteFile(file);
            TStringList p;
            p.Add(QStringLiteral("CONNECTION STRING=DRIVER={SQLite3};Database=") + file);
            Session().AddAlias(QStringLiteral("LOJA"), QStringLiteral("ODBC"), &p);
            break;
        }
        case Driver::PostgreSQL: {
            QString why;
            if (!PgLoja(why))
                GTEST_SKIP() << why.toStdString();
            AddPgAlias(QStringLiteral("LOJA"), test::PgServer::SuperUser());
            break;
        }
        case Driver::Folder: {
            const QString folder = FDir.filePath(QStringLiteral("csv"));
            QDir().mkpath(folder);
            WriteFile(folder + QStringLiteral("/CLIENTES.csv"),
                      "ID;NOME;UF;QTD;PESO;NASC\n1;Ana;SP;2;1,5;1980-02-29\n2;Bruno;RJ;0;;\n3;Carla;SP;1;2,25;31/12/1990\n");
            WriteFile(folder + QStringLiteral("/ITENS.txt"), "CLIENTE,PRODUTO\n1,lapis\n1,caneta\n3,papel\n");
            Session().AddStandardAlias(QStringLiteral("LOJA"), folder, QStringLiteral("STANDARD"));
            break;
        }
        }
    }
    bool Folder() const { return GetParam() == Driver::Folder; }
    // The table's name as the database knows it.
    QString Table(const char* name) const
    {
        if (GetParam() == Driver::PostgreSQL)
            return QString::fromLatin1(name).toLower();
        if (!Folder())
            return QString::fromLatin1(name);
        return QString::fromLatin1(name) + (QByteArray(name) == "ITENS" ? QStringLiteral(".txt") : QStringLiteral(".csv"));
    }
    Owned<TTable> OpenTable(const char* name)
    {
        Owned<TTable> t(new TTable(nullptr));
        t->SetDatabaseName(QStringLiteral("LOJA"));
        t->SetTableName(Table(name));
        t->Open();
        return t;
    }
    Owned<TQuery> Query(const QString& sql)
    {
        Owned<TQuery> q(new TQuery(nullptr));
        q->SetDatabaseName(QStringLiteral("LOJA"));
        q->SQL()->SetText(sql);
        return q;
    }
};

TEST_P(Conformance, EofAndBofFollowTheRecordLoop)
{
    auto t = OpenTable("CLIENTES");
    EXPECT_TRUE(t->Bof());
    EXPECT_FALSE(t->Eof());
    QStringList seen;
    for (t->First(); !t->Eof(); t->Next())
        seen << t->FieldByName(QStringLiteral("NOME"))->AsString();
    EXPECT_EQ(seen, (QStringList{"Ana", "Bruno", "Carla"}));
    EXPECT_EQ(t->FieldByName(QStringLiteral("NOME"))->AsString(), "Carla"); // stays on the last record
    t->Prior();
    EXPECT_FALSE(t->Eof());
    EXPECT_EQ(t->RecNo(), 2);
    t->Prior();
    EXPECT_FALSE(t->Bof()); // moved onto the first record
    t->Prior();
    EXPECT_TRUE(t->Bof()); // back from the first
    EXPECT_EQ(t->RecNo(), 1);
    t->Last();
    EXPECT_TRUE(t->Eof());
    EXPECT_EQ(t->RecordCount(), 3);

    auto empty = Query(QStringLiteral("SELECT * FROM CLIENTES WHERE ID > 100"));
    empty->Open();
    EXPECT_TRUE(empty->Eof());
    EXPECT_TRUE(empty->Bof());
    EXPECT_EQ(empty->RecordCount(), 0);
    empty->First();
    EXPECT_TRUE(empty->Eof());
}

// Drivers a case holds for. The SQLite ODBC driver reports only the basic type names (integer,
// varchar, double...); the folder driver knows only what a CSV cell looks like; the server has
// its own types (no unsigned word; TEXT is a string, BYTEA a blob).
enum : unsigned { kSQLite = 1, kODBC = 2, kPg = 4, kFolder = 8, kAll = 15 };

unsigned Bit(Driver d)
{
    switch (d) {
    case Driver::SQLite: return kSQLite;
    case Driver::ODBC: return kODBC;
    case Driver::PostgreSQL: return kPg;
    default: return kFolder;
    }
}

struct FieldCase {
    const char* Name;
    const TClassInfo& (*Class)();
    const char* DisplayText;
    unsigned Drivers;
};

TEST_P(Conformance, FieldClassesValuesAndDisplayText)
{
    FormatSettings() = BrazilianFormatSettings();
    const FieldCase cases[] = {
        {"ID", &TLargeintField::StaticClass, "1", kSQLite | kFolder}, // SQLite integers are 64-bit
        {"ID", &TIntegerField::StaticClass, "1", kODBC | kPg},
        {"NOME", &TStringField::StaticClass, "Ana", kAll},
        {"UF", &TStringField::StaticClass, "SP", kAll},
        {"QTD", &TSmallintField::StaticClass, "2", kSQLite | kPg},
        {"PESO", &TFloatField::StaticClass, "1,5", kAll},
        {"PRECO", &TCurrencyField::StaticClass, "R$ 10,25", kSQLite},
        {"PRECO", &TBCDField::StaticClass, "R$ 10,25", kPg}, // money keeps its exact cents
        {"VALOR", &TBCDField::StaticClass, "1234,5", kSQLite | kPg},
        {"ATIVO", &TBooleanField::StaticClass, "True", kSQLite | kPg},
        {"NASC", &TDateField::StaticClass, "29/02/1980", kSQLite | kPg | kFolder},
        {"HORA", &TTimeField::StaticClass, "08:30:00", kSQLite | kPg},
        {"CRIADO", &TDateTimeField::StaticClass, "01/03/2024 10:15:00", kSQLite | kPg},
        {"OBS", &TMemoField::StaticClass, "(MEMO)", kSQLite},
        {"OBS", &TStringField::StaticClass, "linha 1", kPg},
        {"FOTO", &TGraphicField::StaticClass, "(GRAPHIC)", kSQLite},
        {"FOTO", &TBlobField::StaticClass, "(BLOB)", kPg},
        {"W", &TWordField::StaticClass, "7", kSQLite},
    };
    auto t = OpenTable("CLIENTES");
    for (const FieldCase& c : cases) {
        if (!(c.Drivers & Bit(GetParam())))
            continue;
        SCOPED_TRACE(c.Name);
        TField* f = t->FieldByName(QString::fromLatin1(c.Name));
        EXPECT_EQ(f->ClassName(), c.Class().ClassName);
        EXPECT_EQ(f->DisplayText(), QString::fromUtf8(c.DisplayText));
        EXPECT_FALSE(f->IsNull());
    }
    EXPECT_EQ(t->FieldByName(QStringLiteral("NASC"))->AsDateTime(), EncodeDate(1980, 2, 29));
    EXPECT_DOUBLE_EQ(static_cast<double>(t->FieldByName(QStringLiteral("PESO"))->AsFloat()), 1.5);
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
    EXPECT_EQ(t->FindField(QStringLiteral("NADA")), nullptr);
    EXPECT_THROW(t->FieldByName(QStringLiteral("NADA")), EDatabaseError);
    if (GetParam() == Driver::SQLite || GetParam() == Driver::PostgreSQL) {
        EXPECT_TRUE(t->FieldByName(QStringLiteral("ATIVO"))->AsBoolean());
        EXPECT_EQ(t->FieldByName(QStringLiteral("HORA"))->AsDateTime(), EncodeTime(8, 30, 0, 0));
        EXPECT_EQ(t->FieldByName(QStringLiteral("CRIADO"))->AsDateTime(), EncodeDate(2024, 3, 1) + EncodeTime(10, 15, 0, 0));
        EXPECT_DOUBLE_EQ(static_cast<double>(t->FieldByName(QStringLiteral("PRECO"))->AsFloat()), 10.25);
        EXPECT_DOUBLE_EQ(static_cast<double>(t->FieldByName(QStringLiteral("VALOR"))->AsFloat()), 1234.5);
        EXPECT_EQ(static_cast<TBlobField*>(t->FieldByName(QStringLiteral("FOTO")))->AsBytes(), QByteArray("\xFF\xD8\xFF"));
        EXPECT_EQ(t->FieldByName(QStringLiteral("OBS"))->AsString(), "linha 1");
    }
    t->Next(); // Bruno: the nulls
    TField* peso = t->FieldByName(QStringLiteral("PESO"));
    EXPECT_TRUE(peso->IsNull());
    EXPECT_EQ(peso->DisplayText(), "");
    EXPECT_EQ(peso->AsFloat(), 0);
    EXPECT_FALSE(peso->Value().isValid());
    EXPECT_LT(VarCompare(peso->Value(), QVariant(-1000)), 0); // null is below any number
    EXPECT_EQ(t->FieldByName(QStringLiteral("NASC"))->DisplayText(), "");
    // fields come in table order
    EXPECT_EQ(t->Fields(0)->FieldName().toUpper(), "ID");
    EXPECT_EQ(t->Fields(1)->FieldName().toUpper(), "NOME");
}

TEST_P(Conformance, DisplayFormatShapesNumbers)
{
    FormatSettings() = BrazilianFormatSettings();
    auto t = OpenTable("CLIENTES");
    auto* peso = static_cast<TFloatField*>(t->FieldByName(QStringLiteral("PESO")));
    peso->DisplayFormat = QStringLiteral("#,##0.00");
    EXPECT_EQ(peso->DisplayText(), "1,50");
    EXPECT_EQ(peso->Text(), "1,5");
}

TEST_P(Conformance, MasterDetailQueryFollowsTheMaster)
{
    auto master = OpenTable("CLIENTES");
    Owned<TDataSource> ds(new TDataSource(nullptr));
    ds->SetDataSet(master.get());
    auto detail = Query(QStringLiteral("SELECT PRODUTO FROM ITENS WHERE CLIENTE = :ID ORDER BY PRODUTO"));
    ASSERT_EQ(detail->ParamCount(), 1);
    EXPECT_EQ(detail->Params()->Items(0)->Name, "ID");
    detail->SetDataSource(ds.get());
    detail->Open();
    auto products = [&] {
        QStringList p;
        for (detail->First(); !detail->Eof(); detail->Next())
            p << detail->FieldByName(QStringLiteral("PRODUTO"))->AsString();
        return p;
    };
    EXPECT_EQ(products(), (QStringList{"caneta", "lapis"}));
    master->Next();
    EXPECT_EQ(products(), QStringList{});
    master->Next();
    EXPECT_EQ(products(), QStringList{"papel"});
    // A scan with controls disabled moves the detail once, when they are enabled again.
    master->DisableControls();
    master->First();
    EXPECT_EQ(products(), QStringList{"papel"});
    master->EnableControls();
    EXPECT_EQ(products(), (QStringList{"caneta", "lapis"}));
}

TEST_P(Conformance, ParametersByName)
{
    auto q = Query(QStringLiteral("SELECT NOME FROM CLIENTES WHERE UF = :UF AND ID >= :MINIMO ORDER BY ID"));
    EXPECT_THROW(q->Open(), EDatabaseError); // no value yet
    EXPECT_FALSE(q->Active());
    q->ParamByName(QStringLiteral("uf"))->SetAsString(QStringLiteral("SP"));
    q->ParamByName(QStringLiteral("MINIMO"))->SetAsInteger(2);
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("NOME"))->AsString(), "Carla");
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_THROW(q->ParamByName(QStringLiteral("X")), EDatabaseError);
    // Text in quotes is not a parameter.
    auto lit = Query(QStringLiteral("SELECT NOME FROM CLIENTES WHERE NOME <> ':nada'"));
    EXPECT_EQ(lit->ParamCount(), 0);
}

struct FilterCase {
    const char* Filter;
    const char* Names;
};

TEST_P(Conformance, FiltersEvaluatedByUs)
{
    const FilterCase cases[] = {
        {"UF = 'SP'", "Ana,Carla"},
        {"(UF = 'SP') AND (QTD > 1)", "Ana"},
        {"UF = 'RJ' OR ID = 3", "Bruno,Carla"},
        {"NOT (UF = 'SP')", "Bruno"},
        {"NOME = 'B*'", "Bruno"},
        {"PESO = NULL", "Bruno"},
        {"PESO <> NULL", "Ana,Carla"},
        {"PESO > 2", "Carla"},
        {"ID * 2 >= 4", "Bruno,Carla"},
    };
    auto t = OpenTable("CLIENTES");
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.Filter);
        t->SetFilter(QString::fromLatin1(c.Filter));
        t->SetFiltered(true);
        QStringList names;
        for (t->First(); !t->Eof(); t->Next())
            names << t->FieldByName(QStringLiteral("NOME"))->AsString();
        EXPECT_EQ(names.join(QLatin1Char(',')), QString::fromLatin1(c.Names));
        EXPECT_EQ(t->RecordCount(), names.size());
        t->SetFiltered(false);
    }
    EXPECT_EQ(t->RecordCount(), 3);
    t->SetFiltered(true);
    EXPECT_THROW(t->SetFilter(QStringLiteral("NADA = 1")), EDatabaseError);
    EXPECT_THROW(t->SetFilter(QStringLiteral("UF = 'SP")), EDatabaseError);
}

TEST_P(Conformance, BookmarksReturnToTheRecord)
{
    auto t = OpenTable("CLIENTES");
    t->Next();
    const TBookmark b = t->GetBookmark();
    t->Last();
    t->GotoBookmark(b);
    EXPECT_EQ(t->FieldByName(QStringLiteral("NOME"))->AsString(), "Bruno");
    EXPECT_TRUE(t->BookmarkValid(b));
    EXPECT_THROW(t->GotoBookmark(99), EDatabaseError);
}

TEST_P(Conformance, SumLabelCountQuery)
{
    // The statement the label count builds: the table name in double quotes.
    const QString from = QStringLiteral("from \"%1\"").arg(Table("CLIENTES"));
    auto q = Query(QStringLiteral("Select Sum(QTD) AS WWWQtd ") + from + QStringLiteral(" WHERE (UF = 'SP')"));
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("WWWQtd"))->AsInteger(), 3);
    auto none = Query(QStringLiteral("Select Sum(QTD) AS WWWQtd ") + from + QStringLiteral(" WHERE (UF = 'XX')"));
    none->Open();
    EXPECT_TRUE(none->FieldByName(QStringLiteral("WWWQtd"))->IsNull());
    EXPECT_EQ(none->FieldByName(QStringLiteral("WWWQtd"))->AsInteger(), 0);
}

TEST_P(Conformance, BadStatementAndMissingTableAreEngineErrors)
{
    auto q = Query(QStringLiteral("SELEC NOME FROM CLIENTES"));
    EXPECT_THROW(q->Open(), EDBEngineError);
    EXPECT_FALSE(q->Active());
    Owned<TTable> t(new TTable(nullptr));
    t->SetDatabaseName(QStringLiteral("LOJA"));
    t->SetTableName(QStringLiteral("NAOEXISTE"));
    EXPECT_THROW(t->Open(), EDBEngineError);
    EXPECT_FALSE(t->Active());
}

TEST_P(Conformance, TableNamesOfTheDatabase)
{
    TStringList names;
    Session().GetTableNames(QStringLiteral("LOJA"), QString(), true, false, &names);
    EXPECT_GE(names.IndexOf(Table("CLIENTES")), 0);
    EXPECT_GE(names.IndexOf(Table("ITENS")), 0);
}

// A server role with a password: refused (13059) without it or with a wrong one, in through it.
TEST_F(DataTest, PostgreSQLPasswordLogin)
{
    QString why;
    if (!PgLoja(why))
        GTEST_SKIP() << why.toStdString();
    AddPgAlias(QStringLiteral("ETIQUETAS"), QStringLiteral("etiqueta"));
    struct LoginCase {
        const char* Password; // nullptr: no password line
        bool Connects;
    };
    const LoginCase cases[] = {{nullptr, false}, {"errada", false}, {"", false}, {"segredo", true}};
    for (const LoginCase& c : cases) {
        SCOPED_TRACE(c.Password ? c.Password : "(none)");
        Owned<TDatabase> db(new TDatabase(nullptr));
        db->SetDatabaseName(QStringLiteral("PGETIQ"));
        db->SetAliasName(QStringLiteral("ETIQUETAS"));
        db->LoginPrompt = false;
        if (c.Password)
            db->Params()->Add(QStringLiteral("PASSWORD=") + QString::fromLatin1(c.Password));
        if (c.Connects) {
            db->Open();
            EXPECT_TRUE(db->Connected());
            Owned<TTable> t(new TTable(nullptr));
            t->SetDatabaseName(QStringLiteral("PGETIQ"));
            t->SetTableName(QStringLiteral("clientes"));
            t->Open();
            EXPECT_EQ(t->RecordCount(), 3);
            db->Close();
            EXPECT_FALSE(t->Active()); // closing the database closes its datasets first
            continue;
        }
        try {
            db->Open();
            ADD_FAILURE() << "connected without the right password";
        } catch (const EDBEngineError& e) {
            EXPECT_TRUE(e.HasErrorCode(DBIERR_INVALIDPASSWORD)) << e.Message().toStdString();
            EXPECT_EQ(e.Errors(0).ErrorCode, 13059);
        }
        EXPECT_FALSE(db->Connected());
    }
}

// The login handler gives the user name and password; a prompt that is cancelled refuses the login.
TEST_F(DataTest, PostgreSQLLoginThroughOnLogin)
{
    QString why;
    if (!PgLoja(why))
        GTEST_SKIP() << why.toStdString();
    AddPgAlias(QStringLiteral("ETIQUETAS"), QStringLiteral("etiqueta"));
    Owned<TDatabase> db(new TDatabase(nullptr));
    db->SetDatabaseName(QStringLiteral("PGETIQ"));
    db->SetAliasName(QStringLiteral("ETIQUETAS"));
    db->Params()->Add(QStringLiteral("PASSWORD=errada"));
    QStringList offered;
    db->OnLogin = [&](TDatabase*, TStrings* login) {
        offered = login->ToStringList();
        login->SetValue(QStringLiteral("PASSWORD"), QStringLiteral("segredo"));
    };
    db->Open();
    EXPECT_TRUE(db->Connected());
    EXPECT_EQ(offered, QStringList{QStringLiteral("USER NAME=etiqueta")});
    db->Close();

    // Without a handler of its own the session's prompt is asked; cancelling it is a refused login.
    db->OnLogin = nullptr;
    Session().LoginHook = [](const QString&, TStrings*) { return false; };
    try {
        db->Open();
        ADD_FAILURE() << "connected through a cancelled login";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.HasErrorCode(DBIERR_INVALIDPASSWORD));
    }
    Session().LoginHook = nullptr;
    EXPECT_FALSE(db->Connected());
}

INSTANTIATE_TEST_SUITE_P(Drivers, Conformance, testing::Values(Driver::SQLite, Driver::ODBC, Driver::PostgreSQL, Driver::Folder),
                         DriverLabel);

} // namespace
