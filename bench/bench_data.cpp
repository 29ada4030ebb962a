// Scanning 1,000,000 rows through TTable and TQuery beside a bare forward-only QSqlQuery of the
// same table, on SQLite and on a PostgreSQL server of our own: rows per second and peak memory
// of each; and listing a folder that holds a 56 MB CSV file. The bare scan of each server runs
// first and is the floor: the data sets' scans of the same table print their time divided by it.
#include "BenchFloor.h"
#include "PgServer.h"

#include "platform/data/DBTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace tessiv;

namespace {

constexpr int RowCount = 1000000;

struct Fixture {
    QTemporaryDir Dir;
    QString File;
    bool Pg = false;
    QString PgWhy;
    Fixture()
    {
        File = Dir.filePath(QStringLiteral("bench.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-setup"));
            db.setDatabaseName(File);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOME VARCHAR(40), UF CHAR(2), "
                                  "QTD SMALLINT, PRECO FLOAT, NASC DATE)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO CLIENTES VALUES (?, ?, ?, ?, ?, ?)"));
            for (int i = 1; i <= RowCount; ++i) {
                q.bindValue(0, i);
                q.bindValue(1, QStringLiteral("Cliente numero %1").arg(i));
                q.bindValue(2, i % 2 ? QStringLiteral("SP") : QStringLiteral("RJ"));
                q.bindValue(3, i % 7);
                q.bindValue(4, i * 0.25);
                q.bindValue(5, QStringLiteral("19%1-0%2-1%3").arg(50 + i % 50).arg(1 + i % 9).arg(i % 10));
                q.exec();
            }
            db.commit();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-setup"));
        Session().SetConfigFile(Dir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(Dir.filePath(QStringLiteral("data")));
        TStringList p;
        p.Add(QStringLiteral("PATH=") + File);
        Session().AddAlias(QStringLiteral("BENCH"), QStringLiteral("SQLITE"), &p);

        test::PgServer& pg = test::PgServer::Instance();
        if (pg.Start(PgWhy) &&
            pg.Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE bench")}, PgWhy) &&
            pg.Exec(QStringLiteral("bench"),
                    {QStringLiteral("CREATE TABLE clientes (id INTEGER PRIMARY KEY, nome VARCHAR(40), uf CHAR(2), "
                                    "qtd SMALLINT, preco FLOAT, nasc DATE)"),
                     QStringLiteral("INSERT INTO clientes SELECT i, 'Cliente numero ' || i, CASE WHEN i % 2 = 1 THEN 'SP' "
                                    "ELSE 'RJ' END, i % 7, i * 0.25, DATE '1950-01-01' + (i % 20000) "
                                    "FROM generate_series(1, %1) i").arg(RowCount)},
                    PgWhy)) {
            Pg = true;
            TStringList pp;
            pp.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
            pp.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
            pp.Add(QStringLiteral("DATABASE NAME=bench"));
            pp.Add(QStringLiteral("USER NAME=") + test::PgServer::SuperUser());
            Session().AddAlias(QStringLiteral("BENCHPG"), QStringLiteral("POSTGRESQL"), &pp);
        }
    }
    ~Fixture() { test::PgServer::Instance().Stop(); }
};

Fixture& Data()
{
    static Fixture f;
    return f;
}

long StatusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<int>(qstrlen(key))).trimmed().split(' ').first().toLong();
    return 0;
}

// Resets the peak resident size so that each benchmark reports its own: peak_MB is the process's
// peak during the case, start_MB what it held before, grown_MB the difference.
void ResetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

void Report(benchmark::State& state, long rssBefore, std::int64_t rows)
{
    state.SetItemsProcessed(rows);
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    const double peak = static_cast<double>(StatusKb("VmHWM:")) / 1024.0;
    state.counters["peak_MB"] = peak;
    state.counters["start_MB"] = static_cast<double>(rssBefore) / 1024.0;
    state.counters["grown_MB"] = peak - static_cast<double>(rssBefore) / 1024.0;
}

void BareScan(benchmark::State& state, const QString& driver, const QString& sql)
{
    Fixture& f = Data();
    if (driver == QLatin1String("QPSQL") && !f.Pg) {
        state.SkipWithError(("no PostgreSQL server: " + f.PgWhy).toStdString().c_str());
        return;
    }
    ResetPeak();
    const long before = StatusKb("VmRSS:");
    std::int64_t rows = 0;
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(driver, QStringLiteral("bench-plain"));
            if (driver == QLatin1String("QPSQL")) {
                db.setHostName(test::PgServer::Instance().SocketDir());
                db.setPort(test::PgServer::Instance().Port());
                db.setDatabaseName(QStringLiteral("bench"));
                db.setUserName(test::PgServer::SuperUser());
            } else {
                db.setDatabaseName(f.File);
            }
            db.open();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(sql);
            const int n = q.record().count();
            while (q.next()) {
                for (int i = 0; i < n; ++i)
                    benchmark::DoNotOptimize(q.value(i));
                ++rows;
            }
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-plain"));
    });
    Report(state, before, rows);
    benchfloor::SetFloor(driver, seconds);
}

// A report's scan: First, then every field's value of each record, until Eof. Floor: the bare
// scan of that driver's table, or none.
template <class Open>
void ScanDataSet(benchmark::State& state, bool pg, Open open, const QString& floor = QString())
{
    Fixture& f = Data();
    if (pg && !f.Pg) {
        state.SkipWithError(("no PostgreSQL server: " + f.PgWhy).toStdString().c_str());
        return;
    }
    ResetPeak();
    const long before = StatusKb("VmRSS:");
    std::int64_t rows = 0;
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        std::unique_ptr<TDBDataSet, TComponentDeleter> ds(open());
        ds->DisableControls();
        const int n = ds->FieldCount();
        for (ds->First(); !ds->Eof(); ds->Next()) {
            for (int i = 0; i < n; ++i)
                benchmark::DoNotOptimize(ds->Fields(i)->Value());
            ++rows;
        }
        ds->EnableControls();
        ds->Close();
    });
    Report(state, before, rows);
    if (!floor.isEmpty())
        benchfloor::Ratio(state, floor, seconds);
}

TTable* OpenTable(const char* db, const char* table, const char* filter = nullptr)
{
    auto* t = new TTable(nullptr);
    t->SetDatabaseName(QString::fromLatin1(db));
    t->SetTableName(QString::fromLatin1(table));
    if (filter) {
        t->SetFilter(QString::fromLatin1(filter));
        t->SetFiltered(true);
    }
    t->Open();
    return t;
}

TQuery* OpenQuery(const char* db, const char* sql)
{
    auto* q = new TQuery(nullptr);
    q->SetDatabaseName(QString::fromLatin1(db));
    q->SQL()->SetText(QString::fromLatin1(sql));
    q->ParamByName(QStringLiteral("MINIMO"))->SetAsInteger(0);
    q->Open();
    return q;
}

void BM_SQLite_QSqlQuery(benchmark::State& s) { BareScan(s, QStringLiteral("QSQLITE"), QStringLiteral("SELECT * FROM CLIENTES")); }
void BM_SQLite_TTable(benchmark::State& s) { ScanDataSet(s, false, [] { return OpenTable("BENCH", "CLIENTES"); }, QStringLiteral("QSQLITE")); }
void BM_SQLite_TQuery(benchmark::State& s)
{
    ScanDataSet(
        s, false, [] { return OpenQuery("BENCH", "SELECT * FROM CLIENTES WHERE ID > :MINIMO"); }, QStringLiteral("QSQLITE"));
}
void BM_SQLite_TTableFiltered(benchmark::State& s)
{
    ScanDataSet(s, false, [] { return OpenTable("BENCH", "CLIENTES", "UF = 'SP'"); });
}
void BM_SQLite_TTableRecordCountThenScan(benchmark::State& s)
{
    ScanDataSet(s, false, [] {
        TTable* t = OpenTable("BENCH", "CLIENTES");
        benchmark::DoNotOptimize(t->RecordCount());
        return t;
    });
}
void BM_PostgreSQL_QSqlQuery(benchmark::State& s) { BareScan(s, QStringLiteral("QPSQL"), QStringLiteral("SELECT * FROM clientes")); }
void BM_PostgreSQL_TTable(benchmark::State& s) { ScanDataSet(s, true, [] { return OpenTable("BENCHPG", "clientes"); }, QStringLiteral("QPSQL")); }
void BM_PostgreSQL_TQuery(benchmark::State& s)
{
    ScanDataSet(
        s, true, [] { return OpenQuery("BENCHPG", "SELECT * FROM clientes WHERE id > :MINIMO"); }, QStringLiteral("QPSQL"));
}

// A folder holding a 56 MB CSV file (about 1.2 million rows) and a small one.
struct CsvFolder {
    QTemporaryDir Dir;
    CsvFolder()
    {
        QFile f(Dir.filePath(QStringLiteral("grande.csv")));
        f.open(QIODevice::WriteOnly);
        f.write("ID;EAN;NOME;PRECO\n");
        QByteArray block;
        for (int i = 0; f.size() + block.size() < 56 * 1024 * 1024; ++i) {
            block += QByteArray::number(i) + ";0789" + QByteArray::number(100000000 + i) + ";Produto de numero " +
                     QByteArray::number(i) + ";" + QByteArray::number(i % 1000) + ",25\n";
            if (block.size() > 1 << 20) {
                f.write(block);
                block.clear();
            }
        }
        f.write(block);
        QFile(Dir.filePath(QStringLiteral("pequeno.csv"))).open(QIODevice::WriteOnly);
    }
};

CsvFolder& Csv()
{
    static CsvFolder f;
    return f;
}

// Listing the tables of a folder reads names, not the files.
void BM_FolderListingWith56MBCsv(benchmark::State& state)
{
    const QString folder = Csv().Dir.path();
    for (auto _ : state) {
        TStringList names;
        Session().GetTableNames(folder, QString(), false, false, &names);
        benchmark::DoNotOptimize(names.Count());
    }
}

// Opening the 56 MB file's table (two streaming passes into the in-memory database) and scanning it.
void BM_FolderOpenAndScan56MBCsv(benchmark::State& state)
{
    const QString folder = Csv().Dir.path();
    ScanDataSet(state, false, [&] {
        auto* t = new TTable(nullptr);
        t->SetDatabaseName(folder);
        t->SetTableName(QStringLiteral("grande"));
        t->Open();
        return t;
    });
}

} // namespace

BENCHMARK(BM_SQLite_QSqlQuery)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SQLite_TTable)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SQLite_TQuery)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SQLite_TTableFiltered)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SQLite_TTableRecordCountThenScan)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PostgreSQL_QSqlQuery)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PostgreSQL_TTable)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PostgreSQL_TQuery)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FolderListingWith56MBCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderOpenAndScan56MBCsv)->Unit(benchmark::kMillisecond)->Iterations(1);
