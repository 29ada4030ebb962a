// Values read back exactly as stored, on every driver, from real files and a real server; the
// read paths that must not write; the record window; filters that fail; passwords in streams.

#include "PgServer.h"

#include "platform/core/Streams.h"
#include "platform/core/Reader.h"
#include "platform/core/Writer.h"
#include "platform/data/DBError.h"
#include "platform/data/DBTables.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using namespace tessiv;

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

#if defined(__SANITIZE_ADDRESS__)
struct LeakCheckPause {
    LeakCheckPause() { __lsan_disable(); }
    ~LeakCheckPause() { __lsan_enable(); }
};
#else
struct LeakCheckPause {};
#endif

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs the sqlite3 program on a file: what is on disk, read by a program we did not write.
QString Sqlite3(const QString& file, const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {file, sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

void ExecSqlite(const QString& file, const QStringList& statements)
{
    const QString conn = QStringLiteral("values-setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& s : statements)
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
}

class Values : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
    }
    void TearDown() override { TDataSet::SetRecordWindow(4096); }
    void Alias(const QString& name, const QString& driver, const QStringList& params)
    {
        TStringList p;
        for (const QString& s : params)
            p.Add(s);
        Session().AddAlias(name, driver, &p);
    }
    Owned<TTable> Table(const QString& db, const QString& name)
    {
        Owned<TTable> t(new TTable(nullptr));
        t->SetDatabaseName(db);
        t->SetTableName(name);
        return t;
    }
    Owned<TQuery> Query(const QString& db, const QString& sql)
    {
        Owned<TQuery> q(new TQuery(nullptr));
        q->SetDatabaseName(db);
        q->SQL()->SetText(sql);
        return q;
    }
    QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir FDir;
};

struct TextCase {
    const char* Field;
    const char* Class;
    const char* Text; // AsString, exactly
};

void ExpectRecord(TDataSet& ds, const std::vector<TextCase>& cases)
{
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.Field);
        TField* f = ds.FieldByName(QString::fromLatin1(c.Field));
        EXPECT_EQ(f->ClassName(), QLatin1String(c.Class));
        EXPECT_EQ(f->AsString(), QString::fromUtf8(c.Text));
    }
}

// ---- CSV folders ------------------------------------------------------------------------------

TEST_F(Values, CsvCodesStayTextNumbersStayNumbers)
{
    FormatSettings() = BrazilianFormatSettings();
    const QString folder = Path("csv");
    QDir().mkpath(folder);
    WriteFile(folder + QStringLiteral("/codigos.csv"),
              "EAN;UPC;COD;BIG;EXP;DEC;QTD;PESO;NASC\n"
              "0012345678905;036000291452;001;12345678901234567890;12E3;1.00;7;1,5;1980-02-29\n"
              "7891234567895;012345678905;002;1;1;2.50;-3;2;31/12/1990\n");
    Alias(QStringLiteral("CSV"), QStringLiteral("STANDARD"), {QStringLiteral("PATH=") + folder});
    auto t = Table(QStringLiteral("CSV"), QStringLiteral("codigos"));
    t->Open();
    ExpectRecord(*t, {{"EAN", "TStringField", "0012345678905"}, {"UPC", "TStringField", "036000291452"},
                      {"COD", "TStringField", "001"}, {"BIG", "TStringField", "12345678901234567890"},
                      {"EXP", "TStringField", "12E3"}, {"DEC", "TStringField", "1.00"},
                      {"QTD", "TLargeintField", "7"}, {"PESO", "TFloatField", "1,5"},
                      {"NASC", "TDateField", "29/02/1980"}});
    t->Next();
    ExpectRecord(*t, {{"EAN", "TStringField", "7891234567895"}, {"DEC", "TStringField", "2.50"},
                      {"QTD", "TLargeintField", "-3"}, {"PESO", "TFloatField", "2"}});
}

TEST_F(Values, CsvShapesOfFiles)
{
    const QString folder = Path("csv");
    QDir().mkpath(folder);
    // cells past the header, blanks before quotes, separators inside quotes of the first line
    WriteFile(folder + QStringLiteral("/ragged.csv"), "A,B\n1,2,3\nx\n");
    WriteFile(folder + QStringLiteral("/quoted.csv"), "\"NOME;X\",CIDADE\n \"Silva, Ana\", \"Rio, RJ\"\n");
    QByteArray utf16("\xFF\xFE", 2);
    for (QChar c : QStringLiteral("NOME\r\nJoão\r\n"))
        utf16 += QByteArray(reinterpret_cast<const char*>(&c), 2);
    WriteFile(folder + QStringLiteral("/utf16.csv"), utf16);
    WriteFile(folder + QStringLiteral("/mixed.csv"), "NOME\nJo\xC3\xA3o\nJos\xE9\n");
    WriteFile(folder + QStringLiteral("/empty.csv"), "");
    // Line ends of old Macs (CR alone), of Windows and of Unix, also mixed in one file and
    // inside a quoted cell.
    WriteFile(folder + QStringLiteral("/mac.csv"), "NOME,OBS\rAna,\"linha\rdois\"\rBia,x\rJos\xE9,y");
    WriteFile(folder + QStringLiteral("/ends.csv"), "NOME,OBS\r\nAna,\"linha\r\ndois\"\rBia,x\n\rJos\xE9,y\r\n");
    QByteArray mac16("\xFF\xFE", 2);
    for (QChar c : QStringLiteral("NOME,OBS\rAna,\"linha\rdois\"\rBia,x\rJosé,y\r"))
        mac16 += QByteArray(reinterpret_cast<const char*>(&c), 2);
    WriteFile(folder + QStringLiteral("/mac16.csv"), mac16);
    Alias(QStringLiteral("CSV"), QStringLiteral("STANDARD"), {QStringLiteral("PATH=") + folder});
    for (const char* name : {"mac", "ends", "mac16"}) {
        SCOPED_TRACE(name);
        auto t = Table(QStringLiteral("CSV"), QString::fromLatin1(name));
        t->Open();
        ASSERT_EQ(t->FieldCount(), 2);
        QStringList rows;
        for (; !t->Eof(); t->Next())
            rows << t->Fields(0)->AsString() + QLatin1Char('|') + t->Fields(1)->AsString();
        EXPECT_EQ(rows, (QStringList{QStringLiteral("Ana|linha\ndois"), QStringLiteral("Bia|x"), QStringLiteral("José|y")}));
    }

    auto ragged = Table(QStringLiteral("CSV"), QStringLiteral("ragged"));
    ragged->Open();
    ASSERT_EQ(ragged->FieldCount(), 3);
    EXPECT_EQ(ragged->Fields(2)->FieldName(), "FIELD3");
    EXPECT_EQ(ragged->Fields(2)->AsString(), "3");
    ragged->Next();
    EXPECT_EQ(ragged->Fields(0)->AsString(), "x");
    EXPECT_TRUE(ragged->Fields(2)->IsNull());

    auto quoted = Table(QStringLiteral("CSV"), QStringLiteral("quoted"));
    quoted->Open();
    EXPECT_EQ(quoted->FieldByName(QStringLiteral("NOME;X"))->AsString(), "Silva, Ana");
    EXPECT_EQ(quoted->FieldByName(QStringLiteral("CIDADE"))->AsString(), "Rio, RJ");

    for (const char* name : {"utf16", "mixed"}) {
        SCOPED_TRACE(name);
        auto t = Table(QStringLiteral("CSV"), QString::fromLatin1(name));
        t->Open();
        EXPECT_EQ(t->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("João"));
        if (QByteArray(name) == "mixed") {
            t->Next();
            EXPECT_EQ(t->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("José"));
        }
    }

    // The empty file lists with the others and gives its own error when opened.
    TStringList names;
    Session().GetTableNames(QStringLiteral("CSV"), QString(), false, false, &names);
    EXPECT_EQ(names.ToStringList(), (QStringList{"empty", "ends", "mac", "mac16", "mixed", "quoted", "ragged", "utf16"}));
    auto empty = Table(QStringLiteral("CSV"), QStringLiteral("empty"));
    try {
        empty->Open();
        ADD_FAILURE() << "an empty file opened";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("empty.csv"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QLatin1String("empty"))) << e.Message().toStdString();
    }
    auto q = Query(QStringLiteral("CSV"), QStringLiteral("SELECT COUNT(*) AS N FROM ragged"));
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("N"))->AsInteger(), 2);
}

TEST_F(Values, ACsvFileIsReadOnceWhileItIsUnchanged)
{
    const QString folder = Path("csv");
    QDir().mkpath(folder);
    const QString file = folder + QStringLiteral("/precos.csv");
    WriteFile(file, "NOME,PRECO\nPao,1\n");
    const QDateTime written(QDate(2024, 5, 1), QTime(10, 0));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
    }
    Alias(QStringLiteral("CSV"), QStringLiteral("STANDARD"), {QStringLiteral("PATH=") + folder});
    const auto first = [&] {
        auto t = Table(QStringLiteral("CSV"), QStringLiteral("precos"));
        t->Open();
        return t->Fields(0)->AsString() + QLatin1Char('=') + t->Fields(1)->AsString();
    };
    EXPECT_EQ(first(), QStringLiteral("Pao=1"));
    // The same bytes' worth under the same time: taken for the same file, not read again.
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.write("NOME,PRECO\nSal,2\n");
        f.flush();
        ASSERT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(first(), QStringLiteral("Pao=1"));
    // Changed (a later time): read again, by a query too.
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite | QIODevice::Append));
        ASSERT_TRUE(f.setFileTime(written.addSecs(5), QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(first(), QStringLiteral("Sal=2"));
    WriteFile(file, "NOME,PRECO\nAcucar,3\nCafe,4\n");
    auto q = Query(QStringLiteral("CSV"), QStringLiteral("SELECT COUNT(*) AS N FROM precos"));
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("N"))->AsInteger(), 2);
    q->Close();
    EXPECT_EQ(first(), QStringLiteral("Acucar=3"));
}

TEST_F(Values, CsvRecordsAsWideAsATableCanBe)
{
    // A damaged line of separators is refused as it is read, whatever its length; a file exactly as
    // wide as a table may be still opens.
    const QString folder = Path("wide");
    QDir().mkpath(folder);
    const auto line = [](int cells) { return QByteArray(cells - 1, ',') + "\n"; };
    WriteFile(folder + QStringLiteral("/widest.csv"), "A\n" + line(2000));
    WriteFile(folder + QStringLiteral("/toowide.csv"), "A\n1\n" + line(2001));
    WriteFile(folder + QStringLiteral("/separators.csv"), "A\n" + line(1000000));
    Alias(QStringLiteral("WIDE"), QStringLiteral("STANDARD"), {QStringLiteral("PATH=") + folder});

    auto widest = Table(QStringLiteral("WIDE"), QStringLiteral("widest"));
    widest->Open();
    EXPECT_EQ(widest->FieldCount(), 2000);
    EXPECT_EQ(widest->Fields(1999)->FieldName(), "FIELD2000");
    for (const char* name : {"toowide", "separators"}) {
        SCOPED_TRACE(name);
        auto t = Table(QStringLiteral("WIDE"), QString::fromLatin1(name));
        try {
            t->Open();
            ADD_FAILURE() << "a record wider than a table opened";
        } catch (const EDBEngineError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String("more than 2000 fields"))) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QLatin1String(name))) << e.Message().toStdString();
        }
    }
}

// ---- SQLite -----------------------------------------------------------------------------------

class SqliteValues : public Values {
protected:
    void SetUp() override
    {
        Values::SetUp();
        FFile = Path("valores.db");
        ExecSqlite(FFile, {
            QStringLiteral("CREATE TABLE V (ID INTEGER, QTD INTEGER, NASC DATE, CRIADO DATETIME, FOTO LONGBLOB, "
                           "VALOR NUMERIC(20,4), NOME TEXT, OK BOOLEAN)"),
            QStringLiteral("INSERT INTO V VALUES (1, 'abc', '2024-02-30', '1850-06-01 10:30:00', X'00FF10', '12.3400', "
                           "CAST(X'4A6F73E9' AS TEXT), 'talvez')"),
            QStringLiteral("INSERT INTO V VALUES (2, 7891234567895, 45000, '2024-03-01 08:00:00', NULL, 1.5, 'Ana', 1)"),
            QStringLiteral("INSERT INTO V VALUES (3, 12, 1e308, NULL, NULL, NULL, NULL, 0)"),
        });
        Alias(QStringLiteral("LOJA"), QStringLiteral("SQLITE"), {QStringLiteral("PATH=") + FFile});
    }
    QString FFile;
};

TEST_F(SqliteValues, ValuesOfAnotherKindAreKeptAsStored)
{
    FormatSettings() = BrazilianFormatSettings();
    auto t = Table(QStringLiteral("LOJA"), QStringLiteral("V"));
    t->Open();
    ExpectRecord(*t, {{"QTD", "TLargeintField", "abc"}, {"NASC", "TDateField", "2024-02-30"},
                      {"CRIADO", "TDateTimeField", "01/06/1850 10:30:00"}, {"VALOR", "TBCDField", "12,34"},
                      {"NOME", "TStringField", "José"}, {"OK", "TBooleanField", "talvez"}});
    EXPECT_EQ(t->FieldByName(QStringLiteral("FOTO"))->ClassName(), QLatin1String("TBlobField"));
    EXPECT_EQ(static_cast<TBlobField*>(t->FieldByName(QStringLiteral("FOTO")))->AsBytes(), QByteArray("\x00\xFF\x10", 3));
    // (the NUMERIC column made the text a number when it was stored)
    EXPECT_EQ(static_cast<TBCDField*>(t->FieldByName(QStringLiteral("VALOR")))->AsDecimal(), "12.34");
    // Asked for as what they are not, they are refused with the field's name.
    for (const char* name : {"QTD", "NASC", "OK"}) {
        SCOPED_TRACE(name);
        TField* f = t->FieldByName(QString::fromLatin1(name));
        try {
            if (QByteArray(name) == "NASC")
                f->AsDateTime();
            else if (QByteArray(name) == "OK")
                f->AsBoolean();
            else
                f->AsInteger();
            ADD_FAILURE() << "converted";
        } catch (const EConvertError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(name))) << e.Message().toStdString();
        }
    }
    int y, m, d, h, n, s, ms;
    DecodeDate(t->FieldByName(QStringLiteral("CRIADO"))->AsDateTime(), y, m, d);
    DecodeTime(t->FieldByName(QStringLiteral("CRIADO"))->AsDateTime(), h, n, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h, n}), (std::vector<int>{1850, 6, 1, 10, 30}));
    t->Next();
    EXPECT_EQ(t->FieldByName(QStringLiteral("QTD"))->AsLargeInt(), 7891234567895LL);
    EXPECT_EQ(t->FieldByName(QStringLiteral("QTD"))->AsFloat(), 7891234567895.0L);
    EXPECT_THROW(t->FieldByName(QStringLiteral("QTD"))->AsInteger(), EConvertError);
    EXPECT_EQ(t->FieldByName(QStringLiteral("NASC"))->AsString(), "45000"); // a number, shown as it is
    t->Next();
    EXPECT_EQ(t->FieldByName(QStringLiteral("NASC"))->AsString(), "1e+308");
    EXPECT_EQ(t->RecordCount(), 3);
}

// Computed columns take their class from all of their values, not the first.
TEST_F(SqliteValues, ComputedColumnsTypedByAllValues)
{
    auto q = Query(QStringLiteral("LOJA"), QStringLiteral("SELECT CASE WHEN ID = 1 THEN NULL ELSE ID * 1.5 END AS A, "
                                                          "CASE WHEN ID = 2 THEN 'x' ELSE ID END AS B, ID + 1 AS C "
                                                          "FROM V ORDER BY ID"));
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("A"))->ClassName(), QLatin1String("TFloatField"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("B"))->ClassName(), QLatin1String("TStringField"));
    EXPECT_EQ(q->FieldByName(QStringLiteral("C"))->ClassName(), QLatin1String("TLargeintField"));
    EXPECT_TRUE(q->FieldByName(QStringLiteral("A"))->IsNull());
    q->Next();
    EXPECT_EQ(q->FieldByName(QStringLiteral("A"))->AsFloat(), 3.0L);
    EXPECT_EQ(q->FieldByName(QStringLiteral("B"))->AsString(), "x");
}

// What is written is what was given, or refused: 64-bit integers, no silent cutting, one row of a
// keyless table changed alone.
TEST_F(SqliteValues, WritesKeepValuesAndChangeOneRow)
{
    ExecSqlite(FFile, {QStringLiteral("CREATE TABLE SEMCHAVE (NOME VARCHAR(5), N INTEGER)"),
                       QStringLiteral("INSERT INTO SEMCHAVE VALUES ('dup', 1)"),
                       QStringLiteral("INSERT INTO SEMCHAVE VALUES ('dup', 1)")});
    auto t = Table(QStringLiteral("LOJA"), QStringLiteral("SEMCHAVE"));
    t->Open();
    EXPECT_EQ(t->FieldCount(), 2); // the row id is read along, unseen
    t->Edit();
    t->FieldByName(QStringLiteral("N"))->SetAsLargeInt(7891234567895LL);
    t->Post();
    EXPECT_EQ(Sqlite3(FFile, QStringLiteral("SELECT group_concat(N, ',') FROM (SELECT N FROM SEMCHAVE ORDER BY rowid)")),
              "7891234567895,1");
    t->Edit();
    EXPECT_THROW(t->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("longo demais")), EDatabaseError);
    t->Cancel();
    t->Next();
    t->Delete();
    EXPECT_EQ(Sqlite3(FFile, QStringLiteral("SELECT COUNT(*) FROM SEMCHAVE")), "1");
    t->Append();
    t->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("novo"));
    t->Post();
    t->Edit();
    t->FieldByName(QStringLiteral("N"))->SetValue(QVariant(qlonglong(9007199254740993LL)));
    t->Post();
    EXPECT_EQ(Sqlite3(FFile, QStringLiteral("SELECT N FROM SEMCHAVE WHERE NOME = 'novo'")), "9007199254740993");
}

// Nothing that opens records writes: each case is refused and the file is as it was.
TEST_F(SqliteValues, ReadPathsNeverWrite)
{
    const QString before = Sqlite3(FFile, QStringLiteral("SELECT COUNT(*) FROM V"));
    const char* opens[] = {
        "DELETE FROM V",
        "SELECT * FROM V; DELETE FROM V",
        "SELECT * FROM V;\nDROP TABLE V",
        "UPDATE V SET ID = 0 RETURNING ID",
        "CREATE TABLE X (A)",
    };
    for (const char* sql : opens) {
        SCOPED_TRACE(sql);
        auto q = Query(QStringLiteral("LOJA"), QString::fromLatin1(sql));
        EXPECT_THROW(q->Open(), EDatabaseError);
        EXPECT_FALSE(q->Active());
    }
    auto two = Query(QStringLiteral("LOJA"), QStringLiteral("UPDATE V SET ID = 0; DELETE FROM V"));
    EXPECT_THROW(two->ExecSQL(), EDatabaseError);
    // A statement ending in ';' and a ';' inside quotes are one statement.
    auto one = Query(QStringLiteral("LOJA"), QStringLiteral("SELECT 'a;b' AS T FROM V -- ; DELETE\n;"));
    one->Open();
    EXPECT_EQ(one->FieldByName(QStringLiteral("T"))->AsString(), "a;b");

    Owned<TDatabase> db(new TDatabase(nullptr));
    db->SetDatabaseName(QStringLiteral("SOLEITURA"));
    db->SetAliasName(QStringLiteral("LOJA"));
    db->ReadOnly = true;
    db->Open();
    auto del = Query(QStringLiteral("SOLEITURA"), QStringLiteral("DELETE FROM V"));
    EXPECT_THROW(del->ExecSQL(), EDBEngineError);
    auto t = Table(QStringLiteral("SOLEITURA"), QStringLiteral("V"));
    t->Open();
    EXPECT_THROW(t->Edit(), EDatabaseError);
    EXPECT_EQ(Sqlite3(FFile, QStringLiteral("SELECT COUNT(*) FROM V")), before);
    EXPECT_EQ(Sqlite3(FFile, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'X'")), "0");
}

TEST_F(Values, FolderRefusesChanges)
{
    const QString folder = Path("csv");
    QDir().mkpath(folder);
    const QByteArray text = "ID;NOME\n1;Ana\n2;Bruno\n";
    WriteFile(folder + QStringLiteral("/CLIENTES.csv"), text);
    Alias(QStringLiteral("CSV"), QStringLiteral("STANDARD"), {QStringLiteral("PATH=") + folder});
    for (const char* sql : {"DELETE FROM CLIENTES", "UPDATE CLIENTES SET NOME = 'x'", "DROP TABLE \"CLIENTES.csv\""}) {
        SCOPED_TRACE(sql);
        auto q = Query(QStringLiteral("CSV"), QString::fromLatin1(sql));
        EXPECT_THROW(q->ExecSQL(), EDBEngineError);
    }
    auto q = Query(QStringLiteral("CSV"), QStringLiteral("SELECT COUNT(*) AS N FROM CLIENTES"));
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("N"))->AsInteger(), 2);
    EXPECT_EQ(ReadFile(folder + QStringLiteral("/CLIENTES.csv")), text);
}

// ---- the SQLite ODBC driver --------------------------------------------------------------------

TEST_F(SqliteValues, OdbcByDsnTakesTheDriversTypes)
{
    ExecSqlite(FFile, {QStringLiteral("CREATE TABLE O (ID INTEGER, NASC DATE, FOTO BLOB, N INTEGER)"),
                       QStringLiteral("INSERT INTO O VALUES (1, NULL, X'FFD8FF00', 7891234567895)"),
                       QStringLiteral("INSERT INTO O VALUES (2, '1990-12-31', NULL, 5)")});
    // A data source of our own by name: the system's driver list and our odbc.ini in a folder.
    // (The driver stays loaded: what it keeps of the data source is then not taken for a leak.)
    WriteFile(Path("odbcinst.ini"), ReadFile(QStringLiteral("/etc/odbcinst.ini")).replace("[SQLite3]\n", "[SQLite3]\nDontDLClose=1\n"));
    WriteFile(Path("odbc.ini"), QStringLiteral("[tessivteste]\nDriver=SQLite3\nDatabase=%1\n").arg(FFile).toUtf8());
    const QByteArray sysIni = qgetenv("ODBCSYSINI");
    qputenv("ODBCSYSINI", FDir.path().toUtf8());
    Alias(QStringLiteral("ODBCDSN"), QStringLiteral("ODBC"), {QStringLiteral("ODBC DSN=tessivteste")});
    auto t = Table(QStringLiteral("ODBCDSN"), QStringLiteral("O"));
    {
        // The driver manager keeps what it read of a data source in a library it unloads at the
        // end: not ours to free, so the leak checker does not count it.
        [[maybe_unused]] LeakCheckPause pause;
        t->Open();
    }
    if (sysIni.isEmpty())
        qunsetenv("ODBCSYSINI");
    else
        qputenv("ODBCSYSINI", sysIni);
    EXPECT_EQ(t->FieldByName(QStringLiteral("NASC"))->ClassName(), QLatin1String("TDateField"));
    EXPECT_EQ(t->FieldByName(QStringLiteral("FOTO"))->ClassName(), QLatin1String("TBlobField"));
    EXPECT_EQ(static_cast<TBlobField*>(t->FieldByName(QStringLiteral("FOTO")))->AsBytes(), QByteArray("\xFF\xD8\xFF\x00", 4));
    EXPECT_EQ(t->FieldByName(QStringLiteral("N"))->AsLargeInt(), 7891234567895LL);
    t->Next();
    EXPECT_EQ(t->FieldByName(QStringLiteral("NASC"))->AsDateTime(), EncodeDate(1990, 12, 31));
}

// ---- PostgreSQL --------------------------------------------------------------------------------

bool PgValores(QString& why)
{
    return test::PgServer::Instance().MakeDatabase(
        QStringLiteral("valores"),
        {QStringLiteral("CREATE TABLE v (id INTEGER PRIMARY KEY, valor NUMERIC(30,10), preco MONEY, nasc DATE, big BIGINT)"),
         QStringLiteral("INSERT INTO v VALUES (1, 12345678901234567890.0123456789, 1234567.89, 'infinity', 7891234567895)"),
         QStringLiteral("INSERT INTO v VALUES (2, -0.5, -0.25, '0044-03-15 BC', NULL)"),
         QStringLiteral("INSERT INTO v VALUES (3, 1, 0, '2024-02-29', 1)"),
         QStringLiteral("CREATE TABLE dup (nome TEXT, n INTEGER)"),
         QStringLiteral("INSERT INTO dup VALUES ('a', 1), ('a', 1)"),
         QStringLiteral("CREATE TABLE muitos AS SELECT g AS id, g % 2 AS par FROM generate_series(1, 50) g"),
         QStringLiteral("CREATE TABLE longa (id INTEGER PRIMARY KEY, n INTEGER)"),
         QStringLiteral("INSERT INTO longa SELECT g, g FROM generate_series(1, 2500) g"),
         QStringLiteral("CREATE SCHEMA outro"),
         QStringLiteral("CREATE TABLE outro.t (x INTEGER)"),
         QStringLiteral("INSERT INTO outro.t VALUES (42)")},
        why);
}

QString Psql(const QString& sql)
{
    const test::PgServer& pg = test::PgServer::Instance();
    QProcess p;
    p.start(QStringLiteral("psql"), {QStringLiteral("-h"), pg.SocketDir(), QStringLiteral("-p"), QString::number(pg.Port()),
                                     QStringLiteral("-U"), test::PgServer::SuperUser(), QStringLiteral("-d"),
                                     QStringLiteral("valores"), QStringLiteral("-At"), QStringLiteral("-c"), sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class PgValues : public Values {
protected:
    void SetUp() override
    {
        Values::SetUp();
        QString why;
        if (!PgValores(why))
            GTEST_SKIP() << why.toStdString();
        const test::PgServer& pg = test::PgServer::Instance();
        Alias(QStringLiteral("PG"), QStringLiteral("POSTGRESQL"),
              {QStringLiteral("SERVER NAME=") + pg.SocketDir(), QStringLiteral("PORT=%1").arg(pg.Port()),
               QStringLiteral("DATABASE NAME=valores"), QStringLiteral("USER NAME=") + test::PgServer::SuperUser()});
    }
};

TEST_F(PgValues, ExactDigitsAndDatesOutsideTheCalendar)
{
    FormatSettings() = BrazilianFormatSettings();
    auto t = Table(QStringLiteral("PG"), QStringLiteral("v"));
    t->SetIndexFieldNames(QStringLiteral("id"));
    t->Open();
    auto* valor = static_cast<TBCDField*>(t->FieldByName(QStringLiteral("valor")));
    EXPECT_EQ(valor->AsDecimal(), "12345678901234567890.0123456789");
    EXPECT_EQ(valor->AsString(), "12345678901234567890,0123456789");
    EXPECT_EQ(t->FieldByName(QStringLiteral("preco"))->DisplayText(), "R$ 1.234.567,89");
    EXPECT_EQ(static_cast<TBCDField*>(t->FieldByName(QStringLiteral("preco")))->AsDecimal(), "1234567.89");
    EXPECT_EQ(t->FieldByName(QStringLiteral("big"))->AsLargeInt(), 7891234567895LL);
    TField* nasc = t->FieldByName(QStringLiteral("nasc"));
    EXPECT_EQ(nasc->AsString(), "infinity");
    try {
        nasc->AsDateTime();
        ADD_FAILURE() << "infinity converted";
    } catch (const EConvertError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("nasc"))) << e.Message().toStdString();
    }
    t->Next();
    EXPECT_EQ(nasc->AsString(), "0044-03-15 BC");
    EXPECT_EQ(static_cast<TBCDField*>(t->FieldByName(QStringLiteral("preco")))->AsDecimal(), "-0.25");
    t->Next();
    EXPECT_EQ(nasc->AsDateTime(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(t->RecordCount(), 3); // no record skipped

    auto other = Table(QStringLiteral("PG"), QStringLiteral("outro.t"));
    other->Open();
    EXPECT_EQ(other->FieldByName(QStringLiteral("x"))->AsInteger(), 42);
}

TEST_F(PgValues, ReadPathsNeverWriteAndKeylessEditsAreRefused)
{
    const char* opens[] = {
        "DELETE FROM v",
        "SELECT * FROM v; DELETE FROM v",
        "WITH d AS (DELETE FROM v RETURNING *) SELECT * FROM d",
        "UPDATE v SET id = id RETURNING id",
    };
    for (const char* sql : opens) {
        SCOPED_TRACE(sql);
        auto q = Query(QStringLiteral("PG"), QString::fromLatin1(sql));
        EXPECT_THROW(q->Open(), EDatabaseError);
    }
    EXPECT_EQ(Psql(QStringLiteral("SELECT COUNT(*) FROM v")), "3");

    auto dup = Table(QStringLiteral("PG"), QStringLiteral("dup"));
    dup->Open();
    dup->Edit();
    dup->FieldByName(QStringLiteral("n"))->SetAsInteger(2);
    EXPECT_THROW(dup->Post(), EDBEngineError);
    dup->Cancel();
    EXPECT_EQ(Psql(QStringLiteral("SELECT string_agg(n::text, ',') FROM dup")), "1,1");
}

// The server's cursor is read in batches and scrolled back for what left the window.
TEST_F(PgValues, ScansBeyondTheWindowOnTheServer)
{
    TDataSet::SetRecordWindow(8);
    auto q = Query(QStringLiteral("PG"), QStringLiteral("SELECT id, par FROM muitos WHERE id > :MINIMO ORDER BY id"));
    q->ParamByName(QStringLiteral("MINIMO"))->SetAsInteger(0);
    q->Open();
    EXPECT_EQ(q->RecordCount(), 50);
    int sum = 0;
    TBookmark at5 = kNoBookmark;
    for (q->First(); !q->Eof(); q->Next()) {
        sum += q->FieldByName(QStringLiteral("id"))->AsInteger();
        if (q->RecNo() == 5)
            at5 = q->GetBookmark();
    }
    EXPECT_EQ(sum, 1275);
    int matching = 0;
    for (q->Last(); !q->Bof(); q->Prior())
        matching += q->FieldByName(QStringLiteral("id"))->AsInteger() == q->RecNo();
    EXPECT_EQ(matching, 50);
    q->GotoBookmark(at5);
    EXPECT_EQ(q->FieldByName(QStringLiteral("id"))->AsInteger(), 5);
    q->SetFilter(QStringLiteral("par = 1"));
    q->SetFiltered(true);
    EXPECT_EQ(q->RecordCount(), 25);
    q->Last();
    EXPECT_EQ(q->FieldByName(QStringLiteral("id"))->AsInteger(), 49);
}

// Past its first batch, the next one is asked for while the records are read: the connection
// still serves every other statement meanwhile, and a cursor moved back reads its own rows.
TEST_F(PgValues, ABatchAskedForAheadLeavesTheConnectionFree)
{
    TDataSet::SetRecordWindow(8);
    auto t = Table(QStringLiteral("PG"), QStringLiteral("longa"));
    t->SetIndexFieldNames(QStringLiteral("id"));
    t->Open();
    auto detail = Query(QStringLiteral("PG"), QStringLiteral("SELECT n FROM longa WHERE id = :ID"));
    long long sum = 0;
    int found = 0;
    for (t->First(); !t->Eof(); t->Next()) {
        const int id = t->FieldByName(QStringLiteral("id"))->AsInteger();
        sum += id;
        if (id % 700 == 0) {
            detail->Close();
            detail->ParamByName(QStringLiteral("ID"))->SetAsInteger(id);
            detail->Open();
            found += detail->FieldByName(QStringLiteral("n"))->AsInteger() == id;
            EXPECT_EQ(t->RecordCount(), 2500);
        }
    }
    EXPECT_EQ(sum, 2500LL * 2501 / 2);
    EXPECT_EQ(found, 3);
    int inOrder = 0;
    t->First();
    for (int i = 1; i <= 1500; ++i, t->Next())
        inOrder += t->FieldByName(QStringLiteral("id"))->AsInteger() == i;
    EXPECT_EQ(inOrder, 1500);
    t->Edit();
    t->FieldByName(QStringLiteral("n"))->SetAsInteger(-1);
    t->Post();
    EXPECT_EQ(t->FieldByName(QStringLiteral("id"))->AsInteger(), 1501);
    EXPECT_EQ(t->FieldByName(QStringLiteral("n"))->AsInteger(), -1);
    t->Close();
    EXPECT_EQ(Psql(QStringLiteral("SELECT string_agg(id::text, ',') FROM longa WHERE n <> id")), "1501");
}

// ---- the record window -------------------------------------------------------------------------

TEST_F(Values, ScansBeyondTheWindowReadRecordsAgain)
{
    const QString file = Path("janela.db");
    QStringList setup{QStringLiteral("CREATE TABLE N (ID INTEGER PRIMARY KEY, PAR INTEGER)"), QStringLiteral("BEGIN")};
    for (int i = 1; i <= 100; ++i)
        setup << QStringLiteral("INSERT INTO N VALUES (%1, %2)").arg(i).arg(i % 2);
    setup << QStringLiteral("COMMIT");
    ExecSqlite(file, setup);
    Alias(QStringLiteral("J"), QStringLiteral("SQLITE"), {QStringLiteral("PATH=") + file});
    TDataSet::SetRecordWindow(8);
    auto t = Table(QStringLiteral("J"), QStringLiteral("N"));
    t->Open();
    EXPECT_EQ(t->RecordCount(), 100); // counted by the database
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
    TBookmark at10 = kNoBookmark;
    int sum = 0;
    for (t->First(); !t->Eof(); t->Next()) {
        sum += t->FieldByName(QStringLiteral("ID"))->AsInteger();
        if (t->RecNo() == 10)
            at10 = t->GetBookmark();
    }
    EXPECT_EQ(sum, 5050);
    int back = 0;
    for (t->Last(); !t->Bof(); t->Prior())
        back = t->FieldByName(QStringLiteral("ID"))->AsInteger() == t->RecNo() ? back + 1 : back;
    EXPECT_EQ(back, 100);
    t->GotoBookmark(at10);
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 10);
    t->SetRecNo(90);
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 90);
    t->SetFilter(QStringLiteral("PAR = 0"));
    t->SetFiltered(true);
    EXPECT_EQ(t->RecordCount(), 50);
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 2);
    t->Last();
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 100);
    t->SetFiltered(false);
    // An edit after the window slid is written and read back in place.
    t->SetRecNo(50);
    t->Edit();
    t->FieldByName(QStringLiteral("PAR"))->SetAsInteger(7);
    t->Post();
    t->First();
    t->SetRecNo(50);
    EXPECT_EQ(t->FieldByName(QStringLiteral("PAR"))->AsInteger(), 7);
    t->Delete();
    EXPECT_EQ(t->RecordCount(), 99);
    EXPECT_EQ(t->FieldByName(QStringLiteral("ID"))->AsInteger(), 51);
}

// ---- filters ----------------------------------------------------------------------------------

TEST_F(Values, FiltersThatFailKeepWhatWasThere)
{
    const QString file = Path("filtro.db");
    ExecSqlite(file, {QStringLiteral("CREATE TABLE F (ID INTEGER, QTD INTEGER)"), QStringLiteral("INSERT INTO F VALUES (1, 5)"),
                      QStringLiteral("INSERT INTO F VALUES (2, 'muitos')"), QStringLiteral("INSERT INTO F VALUES (3, 9)")});
    Alias(QStringLiteral("F"), QStringLiteral("SQLITE"), {QStringLiteral("PATH=") + file});
    auto t = Table(QStringLiteral("F"), QStringLiteral("F"));
    // A bad filter does not stop an open while filtering is off.
    t->SetFilter(QStringLiteral("NADA = 1"));
    t->Open();
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_THROW(t->SetFiltered(true), EDatabaseError);
    EXPECT_FALSE(t->Filtered());
    t->SetFilter(QStringLiteral("ID >= 1"));
    t->SetFiltered(true);
    t->Next();
    ASSERT_EQ(t->RecNo(), 2);
    try {
        t->SetFilter(QStringLiteral("QTD > 4"));
        ADD_FAILURE() << "a filter that cannot be evaluated was taken";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("QTD > 4"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(QLatin1String("'QTD'"))) << e.Message().toStdString();
    }
    EXPECT_EQ(t->Filter(), "ID >= 1");
    EXPECT_EQ(t->RecNo(), 2);
    EXPECT_EQ(t->RecordCount(), 3);

    // Nested ten thousand deep, by parentheses, NOT, minus signs or a chain of ANDs.
    QString parens = QString(10000, QLatin1Char('(')) + QStringLiteral("ID = 1") + QString(10000, QLatin1Char(')'));
    QString nots = QStringLiteral("NOT ").repeated(10000) + QStringLiteral("ID = 1");
    QString minus = QStringLiteral("-").repeated(10000) + QStringLiteral("ID = 1");
    QString ands = QStringLiteral("ID = 1") + QStringLiteral(" AND ID = 1").repeated(10000);
    for (const QString& f : {parens, nots, minus, ands}) {
        try {
            t->SetFilter(f);
            ADD_FAILURE() << "taken";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String("expression too deeply nested"))) << e.Message().toStdString();
        }
        EXPECT_EQ(t->Filter(), "ID >= 1");
    }
}

// ---- passwords --------------------------------------------------------------------------------

TEST_F(Values, NoPasswordReachesAStream)
{
    Owned<TDatabase> db(new TDatabase(nullptr));
    db->SetDatabaseName(QStringLiteral("D"));
    db->SetDriverName(QStringLiteral("ODBC"));
    db->Params()->Add(QStringLiteral("USER NAME=ana"));
    db->Params()->Add(QStringLiteral("PASSWORD=segredo1"));
    db->Params()->Add(QStringLiteral("  password = segredo2"));
    db->Params()->Add(QStringLiteral("CONNECTION STRING=DRIVER={SQLite3};PWD=segredo3;Database=/x.db;passwd=segredo4;UID=ana"));
    TMemoryStream stream;
    {
        TWriter w(stream);
        w.WriteRootComponent(db.get());
    }
    const QByteArray bytes = stream.Bytes();
    for (const char* secret : {"segredo1", "segredo2", "segredo3", "segredo4"})
        EXPECT_FALSE(bytes.contains(secret)) << secret;
    EXPECT_TRUE(bytes.contains("Database=/x.db"));
    EXPECT_TRUE(bytes.contains("USER NAME=ana"));

    // Every form the client libraries take: each secret is left out whole, the rest of the line
    // is read back exactly as it was.
    struct Case {
        const char* Line;
        const char* Kept;
    };
    const Case cases[] = {
        {"CONNECTION STRING=DSN=x;UID=ana;PWD={se;cretB1};Server=x", "CONNECTION STRING=DSN=x;UID=ana;Server=x"},
        {"CONNECTION STRING=DSN=x;PWD={se}};cretB2}", "CONNECTION STRING=DSN=x"},
        {"CONNECTION STRING=\"DSN=x;UID=ana;PWD=secretB3\"", "CONNECTION STRING=\"DSN=x;UID=ana\""},
        {"CONNECTION STRING='PWD=secretB4;DSN=x'", "CONNECTION STRING='DSN=x'"},
        {"CONNECTION STRING=DSN=x; Pwd = secretB5 ;UID=ana", "CONNECTION STRING=DSN=x;UID=ana"},
        {"CONNECTION STRING=Driver={PostgreSQL Unicode};pAsSwOrD=\"se;cretB6\";Server=h", "CONNECTION STRING=Driver={PostgreSQL Unicode};Server=h"},
        {"CONNECTION STRING=PASSWD=secretB7", "CONNECTION STRING="},
        {"CONNECTION STRING=DSN=x;PWD={unclosed;secretB8", "CONNECTION STRING=DSN=x"},
        {"CONNECTION STRING=host=h password='se cr\\'etB9' dbname=d", "CONNECTION STRING=host=h dbname=d"},
        {"CONNECTION STRING=password = secretB10   host=h port=5432", "CONNECTION STRING=host=h port=5432"},
        {"CONNECTION STRING=host=h user=ana PassWord=se;cretB11", "CONNECTION STRING=host=h user=ana"},
        {"CONNECTION STRING=postgresql://ana:secretB12@h:5432/d?sslmode=off", "CONNECTION STRING=postgresql://ana@h:5432/d?sslmode=off"},
        {"CONNECTION STRING=postgres://h/d?password=secretB13&user=ana", "CONNECTION STRING=postgres://h/d?user=ana"},
        {"Pwd =secretB14", nullptr},
        {"CONNECTION STRING=DRIVER={SQLite3};Database=/a b/c.db", "CONNECTION STRING=DRIVER={SQLite3};Database=/a b/c.db"},
        {"ODBC DSN=estoque", "ODBC DSN=estoque"},
    };
    for (const Case& c : cases) {
        Owned<TDatabase> out(new TDatabase(nullptr));
        out->SetDatabaseName(QStringLiteral("D"));
        out->Params()->Add(QStringLiteral("USER NAME=ana"));
        out->Params()->Add(QString::fromUtf8(c.Line));
        TMemoryStream s;
        {
            TWriter w(s);
            w.WriteRootComponent(out.get());
        }
        EXPECT_FALSE(s.Bytes().contains("secret")) << c.Line;
        EXPECT_FALSE(s.Bytes().contains("cretB")) << c.Line;
        s.SetPosition(0);
        Owned<TDatabase> in(new TDatabase(nullptr));
        {
            TReader r(s);
            r.ReadRootComponent(in.get());
        }
        QStringList expected{QStringLiteral("USER NAME=ana")};
        if (c.Kept)
            expected << QString::fromUtf8(c.Kept);
        EXPECT_EQ(in->Params()->ToStringList(), expected) << c.Line;
        // The password stays in memory for the connection.
        EXPECT_EQ(out->Params()->Strings(1), QString::fromUtf8(c.Line));
    }
}

} // namespace
