// Opening and scanning 100,000 rows of a SQLite table through TTable and TQuery, next to a plain
// forward-only QSqlQuery scan of the same table: rows per second and peak memory of each.
#include "platform/data/DBTables.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace tessiv;

namespace {

constexpr int RowCount = 100000;

struct Fixture {
    QTemporaryDir Dir;
    QString File;
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
    }
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

// Resets the peak resident size so that each benchmark reports its own (the process's peak since
// then: what the scan holds at most, on top of what the process held before).
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
    state.counters["peak_MB"] = static_cast<double>(StatusKb("VmHWM:")) / 1024.0;
    state.counters["start_MB"] = static_cast<double>(rssBefore) / 1024.0;
}

void BM_QSqlQueryScan(benchmark::State& state)
{
    Data();
    ResetPeak();
    const long before = StatusKb("VmRSS:");
    std::int64_t rows = 0;
    for (auto _ : state) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-plain"));
            db.setDatabaseName(Data().File);
            db.open();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(QStringLiteral("SELECT * FROM CLIENTES"));
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
    }
    Report(state, before, rows);
}

// A report's scan: First, then every field's value of each record, until Eof.
template <class Open>
void ScanDataSet(benchmark::State& state, Open open)
{
    Data();
    ResetPeak();
    const long before = StatusKb("VmRSS:");
    std::int64_t rows = 0;
    for (auto _ : state) {
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
    }
    Report(state, before, rows);
}

void BM_TTableScan(benchmark::State& state)
{
    ScanDataSet(state, [] {
        auto* t = new TTable(nullptr);
        t->SetDatabaseName(QStringLiteral("BENCH"));
        t->SetTableName(QStringLiteral("CLIENTES"));
        t->Open();
        return t;
    });
}

void BM_TQueryScan(benchmark::State& state)
{
    ScanDataSet(state, [] {
        auto* q = new TQuery(nullptr);
        q->SetDatabaseName(QStringLiteral("BENCH"));
        q->SQL()->SetText(QStringLiteral("SELECT * FROM CLIENTES WHERE ID > :MINIMO"));
        q->ParamByName(QStringLiteral("MINIMO"))->SetAsInteger(0);
        q->Open();
        return q;
    });
}

} // namespace

BENCHMARK(BM_QSqlQueryScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TTableScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TQueryScan)->Unit(benchmark::kMillisecond);
