// A report run over a real SQLite table: 10,000 and 100,000 detail records of three texts each,
// recorded as preview pages and printed on the PDF printer. Records and pages per second, and the
// peak memory of each run, which must not grow with the record count (recorded pages past the
// page stream's limit live in its temporary file). The floor of the run to PDF, measured first in
// the same run: a plain QPdfWriter loop reading the same records with QSqlQuery and drawing the
// same pages (the same texts at the same places in the same font); the run prints its ratio to it.

#include "BenchFloor.h"
#include "BenchMemory.h"

#include "engine/model/EngineClasses.h"
#include "engine/model/KVBands.h"
#include "engine/model/KVPrintableHooks.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/Controls.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"
#include "platform/graphics/Canvas.h"
#include "platform/printing/Printer.h"

#include <QElapsedTimer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tessiv;

namespace {

constexpr int MaxRecords = 100000;

struct TFixture {
    std::unique_ptr<QGuiApplication> App;
    QTemporaryDir Dir;
    TFixture()
    {
        static int argc = 1;
        static char arg0[] = "bench_run";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        App = std::make_unique<QGuiApplication>(argc, argv);
        RegisterEngineClasses();
        Session().SetConfigFile(Dir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(Dir.filePath(QStringLiteral("data")));
        const QString file = Dir.filePath(QStringLiteral("bench.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
            db.setDatabaseName(file);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE ETIQUETAS (ID INTEGER PRIMARY KEY, NOME VARCHAR(40), CODIGO VARCHAR(13))"));
            q.exec(QStringLiteral("BEGIN"));
            q.prepare(QStringLiteral("INSERT INTO ETIQUETAS VALUES (?, ?, ?)"));
            for (int i = 1; i <= MaxRecords; ++i) {
                q.addBindValue(i);
                q.addBindValue(QStringLiteral("Cliente número %1").arg(i));
                q.addBindValue(QStringLiteral("789%1").arg(i, 10, 10, QLatin1Char('0')));
                q.exec();
            }
            q.exec(QStringLiteral("COMMIT"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("maker"));
        TStringList p;
        p.Add(QStringLiteral("PATH=") + file);
        Session().AddAlias(QStringLiteral("BENCH"), QStringLiteral("SQLITE"), &p);
    }
};

TFixture& Fixture()
{
    static TFixture f;
    return f;
}

// A text of the current record, drawn where its band prints.
class TFieldText : public TGraphicControl, public TKVPrintableHooks {
public:
    TFieldText(TComponent* owner, TField* field, int left) : TGraphicControl(owner), FField(field), FLeft(left) {}
    void SetUnits(TKVUnit) override {}
    void SetZoom(int) override {}
    void Prepare() override {}
    void Unprepare() override {}
    void Notify(TComponent*, int) override {}
    bool AlignToBand() const override { return false; }
    void SetCampoQuantidade(bool) override {}
    QString DataField() const override { return FField->FieldName(); }
    void Print(int ofsX, int ofsY) override
    {
        auto* band = static_cast<TKVCustomBand*>(Parent());
        TKVPrinter& printer = *band->ParentReport()->RunPrinter();
        TCanvas& canvas = *printer.Canvas();
        canvas.Font()->SetName(QStringLiteral("Arial"));
        canvas.Font()->SetHeight(-printer.YSize(35));
        canvas.TextOut(printer.XPos(ofsX + FLeft), printer.YPos(ofsY + 10), FField->AsString());
    }

private:
    TField* FField;
    int FLeft;
};

struct TBenchReport {
    std::unique_ptr<TWinControl, TComponentDeleter> Form{new TWinControl(nullptr)};
    TVardoRep* Report;
    TQuery* Query;
    explicit TBenchReport(int records)
    {
        Query = new TQuery(Form.get());
        Query->SetName(QStringLiteral("Consulta"));
        Query->SetDatabaseName(QStringLiteral("BENCH"));
        Query->SQL()->SetText(QStringLiteral("SELECT * FROM ETIQUETAS WHERE ID <= %1 ORDER BY ID").arg(records));
        Query->Open();
        Report = new TVardoRep(Form.get());
        Report->SetName(QStringLiteral("Relatorio"));
        Report->SetParent(Form.get());
        Report->SetUnits(kvunNative);
        Report->Page()->SetPaperSize(TKVPaperSize::A4);
        Report->SetShowProgress(false);
        Report->SetDataSet(Query);
        auto* detail = new TKVBand(Form.get());
        detail->SetName(QStringLiteral("Detalhe"));
        detail->SetParent(Report);
        detail->SetBandType(rbDetail);
        detail->Size()->SetHeight(100);
        const char* const fields[] = {"ID", "NOME", "CODIGO"};
        int left = 0;
        for (const char* f : fields) {
            auto* text = new TFieldText(Form.get(), Query->FieldByName(QLatin1String(f)), left);
            text->SetParent(detail);
            left += 600;
        }
    }
};

void Counters(benchmark::State& state, int records, int pages, double before)
{
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(records) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["pages"] = pages;
    state.counters["peak_MB"] = benchmem::StatusKb("VmHWM") / 1024.0;
    state.counters["start_MB"] = before / 1024.0;
}

void BM_RunToRecordedPages(benchmark::State& state)
{
    Fixture();
    const int records = static_cast<int>(state.range(0));
    TBenchReport bench(records);
    benchmem::ResetPeak();
    const double before = benchmem::StatusKb("VmRSS");
    for (auto _ : state)
        bench.Report->Preview();
    Counters(state, records, bench.Report->PageCount(), before);
}
BENCHMARK(BM_RunToRecordedPages)->Arg(10000)->Arg(MaxRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same pages by hand: the report's page and margins, a row of three texts a record.
void BM_PlainPdfLoop(benchmark::State& state)
{
    Fixture();
    const int records = static_cast<int>(state.range(0));
    // The geometry of the report's page, in tenths of a millimetre.
    TBenchReport shape(1);
    TKVPage* page = shape.Report->Page();
    const double top = double(page->TopMargin()), left = double(page->LeftMargin());
    const int rows = int((page->Length() - page->TopMargin() - page->BottomMargin()) / 100);
    const int dpi = TPrinter::PdfResolution;
    const auto dots = [dpi](double native) { return native * dpi / 254.0; };
    int pages = 0;
    benchmem::ResetPeak();
    const double before = benchmem::StatusKb("VmRSS");
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
        db.setDatabaseName(Fixture().Dir.filePath(QStringLiteral("bench.db")));
        db.open();
        {
            QPdfWriter pdf(Fixture().Dir.filePath(QStringLiteral("plain.pdf")));
            pdf.setResolution(dpi);
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
            QPainter painter(&pdf);
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(int(dots(35)));
            painter.setFont(font);
            const double ascent = QFontMetricsF(font, &pdf).ascent();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(QStringLiteral("SELECT ID, NOME, CODIGO FROM ETIQUETAS WHERE ID <= %1 ORDER BY ID").arg(records));
            int row = 0;
            pages = 1;
            while (q.next()) {
                if (row == rows) {
                    pdf.newPage();
                    ++pages;
                    row = 0;
                }
                const double y = dots(top + row * 100 + 10) + ascent;
                for (int f = 0; f < 3; ++f)
                    painter.drawText(QPointF(dots(left + f * 600), y), q.value(f).toString());
                ++row;
            }
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    });
    Counters(state, records, pages, before);
    benchfloor::SetFloor(QStringLiteral("pdf/%1").arg(records), seconds);
}
BENCHMARK(BM_PlainPdfLoop)->Arg(10000)->Arg(MaxRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RunToPdf(benchmark::State& state)
{
    Fixture();
    const int records = static_cast<int>(state.range(0));
    TBenchReport bench(records);
    TPrinter* printer = bench.Report->PrivatePrinter();
    bench.Report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
    printer->SetPdfFileName(Fixture().Dir.filePath(QStringLiteral("run.pdf")));
    benchmem::ResetPeak();
    const double before = benchmem::StatusKb("VmRSS");
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        bench.Report->Print();
    });
    Counters(state, records, bench.Report->PageCount(), before);
    benchfloor::Ratio(state, QStringLiteral("pdf/%1").arg(records), seconds);
}
BENCHMARK(BM_RunToPdf)->Arg(10000)->Arg(MaxRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
