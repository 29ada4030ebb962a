// The label-sheet workload: A4 sheets of 3 x 8 labels of 70 x 37 mm, one text line and one EAN-13
// per record, printed by a document on the PDF printer for 1,000, 10,000 and 100,000 records read
// from SQLite and from a CSV folder, beside a plain Qt loop that draws the same labels into a PDF
// in the same run: its bars laid out by the same encoder, each bar (a run of dark modules) one
// filled rectangle. The plain loop runs first and is the floor: each document run prints its time
// divided by the plain loop's for the same count. Peak memory per case.

#include "BenchFloor.h"
#include "BenchMemory.h"

#include "designer/document/AnexoRelatorio.h"
#include "designer/document/Hidden.h"
#include "barcode/LLBarcode.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBText.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/printing/Printer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tessiv;

namespace {

constexpr int MaxRecords = 100000;

struct TFixture {
    std::unique_ptr<QApplication> App;
    QTemporaryDir Dir;
    TFixture()
    {
        static int argc = 1;
        static char arg0[] = "bench_labels";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        App = std::make_unique<QApplication>(argc, argv);
        Session().SetConfigFile(Dir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(Dir.filePath(QStringLiteral("data")));
        // The same records three times over: one table per size, in SQLite and as CSV files.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(Dir.filePath(QStringLiteral("labels.db")));
        db.open();
        QDir().mkpath(Dir.filePath(QStringLiteral("csv")));
        for (int count : {1000, 10000, MaxRecords}) {
            const QString table = QStringLiteral("ETIQ%1").arg(count);
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE %1 (ID INTEGER PRIMARY KEY, NOME VARCHAR(40), EAN CHAR(13))").arg(table));
            q.exec(QStringLiteral("BEGIN"));
            q.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?, ?)").arg(table));
            QFile csv(Dir.filePath(QStringLiteral("csv/%1.csv").arg(table)));
            csv.open(QIODevice::WriteOnly);
            QTextStream out(&csv);
            out << "ID,NOME,EAN\r\n";
            for (int i = 1; i <= count; ++i) {
                const QString name = QStringLiteral("Produto numero %1").arg(i);
                const QString ean = QStringLiteral("789%1").arg(i, 10, 10, QLatin1Char('0'));
                q.addBindValue(i);
                q.addBindValue(name);
                q.addBindValue(ean);
                q.exec();
                out << i << ',' << name << ',' << ean << "\r\n";
            }
            q.exec(QStringLiteral("COMMIT"));
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("maker"));
        TStringList p;
        p.Add(QStringLiteral("PATH=") + Dir.filePath(QStringLiteral("labels.db")));
        Session().AddAlias(QStringLiteral("BENCH"), QStringLiteral("SQLITE"), &p);
    }
};

TFixture& Fixture()
{
    static TFixture fixture;
    return fixture;
}

// The label sheet as a document: A4 without margins, three columns, a detail of 37 mm.
std::unique_ptr<TAnexoRelatorio> LabelSheet(const QString& databaseName, const QString& table)
{
    std::unique_ptr<TAnexoRelatorio> doc(NewReportDocument(nullptr));
    TVardoRep* report = doc->Report();
    report->SetUnits(kvunMM);
    TKVPage* page = report->Page();
    page->SetPaperSize(TKVPaperSize::A4);
    page->SetTopMargin(0.5);
    page->SetBottomMargin(0.5);
    page->SetLeftMargin(0);
    page->SetRightMargin(0);
    page->SetColumns(3);
    page->SetColumnSpace(0);
    auto* t = new TTable(doc->Root());
    t->SetName(QStringLiteral("Tabela"));
    t->SetDatabaseName(databaseName);
    t->SetTableName(table);
    report->SetDataSet(t);
    report->SetShowProgress(false);
    TKVBand* detail = nullptr;
    for (TKVCustomBand* b : report->BandList())
        if (auto* band = dynamic_cast<TKVBand*>(b))
            detail = band;
    detail->Size()->SetHeight(37);
    auto* text = new TKVDBText(doc->Root());
    text->SetName(QStringLiteral("Nome"));
    text->SetParent(detail);
    text->SetDataSet(t);
    text->SetDataField(QStringLiteral("NOME"));
    text->Size()->SetLeft(4);
    text->Size()->SetTop(4);
    text->Size()->SetWidth(62);
    text->Size()->SetHeight(6);
    auto* bar = new TKVBarcode(doc->Root());
    bar->SetName(QStringLiteral("Codigo"));
    bar->SetParent(detail);
    bar->SetDataSet(t);
    bar->SetDataField(QStringLiteral("EAN"));
    bar->SetBar_CodeType(EAN_13);
    bar->SetBar_ModuleWidth(SC4);
    bar->SetTamanhoMaximo(12);
    bar->Size()->SetLeft(8);
    bar->Size()->SetTop(12);
    TPrinter* printer = report->PrivatePrinter();
    report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
    printer->SetPdfFileName(Fixture().Dir.filePath(QStringLiteral("labels.pdf")));
    return doc;
}

void Counters(benchmark::State& state, int records, double beforeKb)
{
    state.counters["labels/s"] = benchmark::Counter(records, benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = benchmem::StatusKb("VmHWM") / 1024.0;
    state.counters["start_MB"] = beforeKb / 1024.0;
}

// The same sheet drawn by hand: records read with QSqlQuery, three by eight labels a page, row by
// row, each with its text, its bars and the code under them.
void BM_PlainQtLoop(benchmark::State& state)
{
    Fixture();
    const int records = static_cast<int>(state.range(0));
    benchmem::ResetPeak();
    const double before = benchmem::StatusKb("VmRSS");
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
        db.setDatabaseName(Fixture().Dir.filePath(QStringLiteral("labels.db")));
        db.open();
        {
            QPdfWriter pdf(Fixture().Dir.filePath(QStringLiteral("plain.pdf")));
            pdf.setResolution(TPrinter::PdfResolution);
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            QPainter painter(&pdf);
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(10 * TPrinter::PdfResolution / 72);
            painter.setFont(font);
            const double dotsPerMm = TPrinter::PdfResolution / 25.4;
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(QStringLiteral("SELECT NOME, EAN FROM ETIQ%1").arg(records));
            TLLBarcode barcode;
            barcode.Params().CodeType = EAN_13;
            const double module = 0.396 * dotsPerMm; // SC4, as the document's barcode
            int slot = 0;
            while (q.next()) {
                if (slot == 24) {
                    pdf.newPage();
                    slot = 0;
                }
                const int column = slot % 3, row = slot / 3;
                const QRectF box((column * 70 + 4) * dotsPerMm, (0.5 + row * 37 + 4) * dotsPerMm, 62 * dotsPerMm,
                                 6 * dotsPerMm);
                painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, q.value(0).toString());
                barcode.Params().SetText(q.value(1).toString().left(12).toStdString());
                barcode.MakeModules();
                const double x0 = (column * 70 + 8) * dotsPerMm, y0 = (0.5 + row * 37 + 12) * dotsPerMm;
                const auto modules = barcode.Modules();
                for (std::size_t m = 0; m < modules.size();) {
                    if (!modules[m]) {
                        ++m;
                        continue;
                    }
                    const std::size_t start = m;
                    while (m < modules.size() && modules[m])
                        ++m;
                    painter.fillRect(QRectF(x0 + start * module, y0, (m - start) * module, 18 * dotsPerMm), Qt::black);
                }
                painter.drawText(QRectF(x0, y0 + 18.5 * dotsPerMm, modules.size() * module, 4 * dotsPerMm),
                                 Qt::AlignHCenter | Qt::AlignTop, q.value(1).toString());
                ++slot;
            }
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    });
    Counters(state, records, before);
    benchfloor::SetFloor(QString::number(records), seconds);
}
BENCHMARK(BM_PlainQtLoop)->Arg(1000)->Arg(10000)->Arg(MaxRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

void RunDocument(benchmark::State& state, const QString& databaseName, const QString& suffix)
{
    Fixture();
    const int records = static_cast<int>(state.range(0));
    auto doc = LabelSheet(databaseName, QStringLiteral("ETIQ%1%2").arg(records).arg(suffix));
    benchmem::ResetPeak();
    const double before = benchmem::StatusKb("VmRSS");
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        doc->Print();
    });
    Counters(state, records, before);
    benchfloor::Ratio(state, QString::number(records), seconds);
}

void BM_LabelsFromSqlite(benchmark::State& state)
{
    RunDocument(state, QStringLiteral("BENCH"), QString());
}
BENCHMARK(BM_LabelsFromSqlite)->Arg(1000)->Arg(10000)->Arg(MaxRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LabelsFromCsvFolder(benchmark::State& state)
{
    RunDocument(state, Fixture().Dir.filePath(QStringLiteral("csv")), QStringLiteral(".csv"));
}
BENCHMARK(BM_LabelsFromCsvFolder)->Arg(1000)->Arg(10000)->Arg(MaxRecords)->Unit(benchmark::kMillisecond)->Iterations(1);


} // namespace
