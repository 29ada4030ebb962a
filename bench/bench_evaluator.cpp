// Expression evaluation over a dataset scan: an expression of ten operators and three field
// references evaluated on each of 100,000 records of a SQLite table (items/s = evaluations/s).
#include "engine/expressions/KVEvaluator.h"
#include "platform/data/DBTables.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace tessiv;

namespace {

constexpr int RecordCount = 100000;
// + * - / + * > * - + : ten operators over the fields A, B and C.
const char* const Expression = "((A + B) * 2 - C / 4 + 1) * 3 > 10 * 3 - 5 + 2";

struct TFixture {
    QTemporaryDir Dir;
    std::unique_ptr<TTable, TComponentDeleter> Table;

    TFixture()
    {
        const QString file = Dir.filePath(QStringLiteral("bench.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-setup"));
            db.setDatabaseName(file);
            if (!db.open())
                std::fprintf(stderr, "cannot create %s\n", qPrintable(file));
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE DADOS (A INTEGER, B FLOAT, C INTEGER)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO DADOS VALUES (?, ?, ?)"));
            for (int i = 0; i < RecordCount; ++i) {
                q.addBindValue(i % 1000);
                q.addBindValue((i % 37) * 0.5);
                q.addBindValue(i % 91);
                q.exec();
            }
            db.commit();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-setup"));
        Session().SetConfigFile(Dir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(Dir.filePath(QStringLiteral("data")));
        TStringList p;
        p.Add(QStringLiteral("PATH=") + file);
        Session().AddAlias(QStringLiteral("BENCH"), QStringLiteral("SQLITE"), &p);
        Table.reset(new TTable(nullptr));
        Table->SetDatabaseName(QStringLiteral("BENCH"));
        Table->SetTableName(QStringLiteral("DADOS"));
        Table->Open();
    }
};

TFixture& Fixture()
{
    static TFixture fixture;
    return fixture;
}

void BM_EvaluateOverRecords(benchmark::State& state)
{
    TTable* table = Fixture().Table.get();
    std::vector<TDataSet*> sets{table};
    TKVEvaluator ev;
    ev.SetDataSets(&sets);
    ev.Prepare(QString::fromLatin1(Expression));
    std::int64_t trues = 0;
    for (auto _ : state) {
        for (table->First(); !table->Eof(); table->Next()) {
            const TKVEvResult r = ev.Value();
            trues += r.BoolResult;
        }
    }
    benchmark::DoNotOptimize(trues);
    state.SetItemsProcessed(state.iterations() * RecordCount);
}
BENCHMARK(BM_EvaluateOverRecords)->Unit(benchmark::kMillisecond);

// The scan alone, to tell the evaluator's share from the dataset's.
void BM_ScanOnly(benchmark::State& state)
{
    TTable* table = Fixture().Table.get();
    for (auto _ : state) {
        int n = 0;
        for (table->First(); !table->Eof(); table->Next())
            ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * RecordCount);
}
BENCHMARK(BM_ScanOnly)->Unit(benchmark::kMillisecond);

} // namespace
