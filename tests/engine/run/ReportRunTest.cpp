// The report run: which bands print, in which order, on which page and where, over a plain
// quantity, a real SQLite table and a document's OnNeedData handler; progress, cancel, forced
// breaks, columns, footers and stretching bands.

#include "RunFixture.h"

#include "engine/model/KVBands.h"
#include "engine/export/KVExportFilter.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"
#include "platform/printing/Printer.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

QStringList Split(const char* names)
{
    return names[0] ? QString::fromLatin1(names).split(QLatin1Char(' ')) : QStringList{};
}

// The records of the grouped runs: a letter and a digit, grouped on both.
class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        UseSessionIn(FDir.path());
        MakeTable({"(1, 'A', '1')", "(2, 'A', '1')", "(3, 'B', '1')", "(4, 'B', '2')"});
    }

    void MakeTable(const std::vector<const char*>& rows, const QString& table = QStringLiteral("ITENS"))
    {
        QStringList statements{
            QStringLiteral("CREATE TABLE %1 (ID INTEGER PRIMARY KEY, LETRA VARCHAR(1), DIGITO VARCHAR(1))").arg(table)};
        for (const char* row : rows)
            statements << QStringLiteral("INSERT INTO %1 VALUES %2").arg(table, QString::fromLatin1(row));
        QString error;
        ASSERT_TRUE(MakeSqliteAlias(QStringLiteral("RUN"), FDir.filePath(QStringLiteral("run.db")), statements, &error))
            << error.toStdString();
    }

    TTable* AddTable(TRunDoc& doc, const QString& table = QStringLiteral("ITENS"))
    {
        auto* t = new TTable(doc.Form.get());
        t->SetName(QStringLiteral("Tabela"));
        t->SetDatabaseName(QStringLiteral("RUN"));
        t->SetTableName(table);
        t->Open();
        doc.Report->SetDataSet(t);
        return t;
    }

    QTemporaryDir FDir;
};

// ---- which bands print, in which order ----------------------------------------------------------

TEST_F(RunTest, AQuantityWithoutDataPrintsThatManyDetailsWithProgress)
{
    TRunDoc doc;
    doc.Band(QStringLiteral("T"), rbTitle);
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Band(QStringLiteral("S"), rbSummary);
    doc.Report->SetQuantidade(3);
    doc.RunPreview();
    EXPECT_EQ(doc.Names(), Split("T D D D S"));
    EXPECT_EQ(doc.Messages->Progress, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(doc.PagesRecorded, 1);
    EXPECT_TRUE(doc.Report->Available());
}

struct TEmptyCase {
    const char* Name;
    int Quantity;
    bool PrintIfEmpty;
    bool EmptyTable;
    const char* Expected;
};

class EmptyRunTest : public RunTest, public ::testing::WithParamInterface<TEmptyCase> {};

TEST_P(EmptyRunTest, PrintsThePageAndWhatTheEmptyLevelAsksFor)
{
    const TEmptyCase& c = GetParam();
    TRunDoc doc;
    doc.Band(QStringLiteral("PH"), rbPageHeader);
    doc.Band(QStringLiteral("T"), rbTitle);
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Band(QStringLiteral("S"), rbSummary);
    doc.Band(QStringLiteral("PF"), rbPageFooter);
    doc.Report->SetQuantidade(c.Quantity);
    doc.Report->SetPrintIfEmpty(c.PrintIfEmpty);
    if (c.EmptyTable) {
        MakeTable({}, QStringLiteral("VAZIA"));
        AddTable(doc, QStringLiteral("VAZIA"));
    }
    doc.RunPreview();
    EXPECT_EQ(doc.Names(), Split(c.Expected));
    EXPECT_EQ(doc.PagesRecorded, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EmptyRunTest,
    ::testing::Values(TEmptyCase{"QuantityZero", 0, false, false, "PH PF"},
                      TEmptyCase{"QuantityZeroPrintIfEmpty", 0, true, false, "PH T D S PF"},
                      TEmptyCase{"ActiveEmptyDataSet", 1, false, true, "PH PF"},
                      TEmptyCase{"ActiveEmptyDataSetPrintIfEmpty", 1, true, true, "PH T D S PF"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(RunTest, GroupsOpenAndCloseWithTheFootersOnTheLastRecordOfTheirGroup)
{
    TRunDoc doc;
    TTable* table = AddTable(doc);
    doc.Band(QStringLiteral("T"), rbTitle);
    TKVGroup* letter = doc.Group(QStringLiteral("GA"), QStringLiteral("[LETRA]"));
    TKVGroup* digit = doc.Group(QStringLiteral("G1"), QStringLiteral("[DIGITO]"));
    doc.Band(QStringLiteral("D"), rbDetail);
    letter->SetFooterBand(doc.Band(QStringLiteral("FA"), rbGroupFooter));
    digit->SetFooterBand(doc.Band(QStringLiteral("F1"), rbGroupFooter));
    doc.Band(QStringLiteral("S"), rbSummary);
    // Each band notes the record it sees.
    QStringList seen;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i)))
            probe->OnPrinted = [&seen, probe, table] {
                seen << probe->Text + QLatin1Char(':') + table->FieldByName(QStringLiteral("ID"))->AsString();
            };
    doc.RunPreview();
    EXPECT_EQ(doc.Names(), Split("T GA G1 D D F1 FA GA G1 D F1 G1 D F1 FA S"));
    EXPECT_EQ(seen, Split("T:1 GA:1 G1:1 D:1 D:2 F1:2 FA:2 GA:3 G1:3 D:3 F1:3 G1:4 D:4 F1:4 FA:4 S:4"));
    EXPECT_EQ(doc.Messages->Progress, (std::vector<int>{25, 50, 75, 100}));
}

TEST_F(RunTest, TheHandlerDecidesEveryDetailAndSeesTheRewind)
{
    TRunDoc doc;
    TTable* table = AddTable(doc);
    doc.Band(QStringLiteral("T"), rbTitle);
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Band(QStringLiteral("S"), rbSummary);
    table->Last();
    QStringList calls;
    doc.Report->OnNeedData = [&](TObject* sender, bool& moreData) {
        EXPECT_EQ(sender, doc.Report);
        calls << QStringLiteral("%1:%2").arg(moreData ? "true" : "false").arg(table->FieldByName(QStringLiteral("ID"))->AsString());
        if (!moreData)
            table->Next();
        moreData = !table->Eof();
    };
    doc.RunPreview();
    // Rewound once, then moved only by the handler.
    EXPECT_EQ(calls, Split("true:1 false:1 false:2 false:3 false:4"));
    EXPECT_EQ(doc.Names(), Split("T D D D D S"));
    // With a dataset the handler steers, the run cannot know how far it is.
    EXPECT_TRUE(doc.Messages->Progress.empty());
}

TEST_F(RunTest, AHandlerThatSaysNoAtOnceGivesNeitherTitleNorSummary)
{
    TRunDoc doc;
    doc.Band(QStringLiteral("PH"), rbPageHeader);
    doc.Band(QStringLiteral("T"), rbTitle);
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Band(QStringLiteral("S"), rbSummary);
    int calls = 0;
    doc.Report->OnNeedData = [&](TObject*, bool& moreData) {
        ++calls;
        moreData = false;
    };
    doc.RunPreview();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(doc.Names(), Split("PH"));
}

TEST_F(RunTest, AThermalRunStartsWhereTheDocumentLeftTheDataSet)
{
    TRunDoc doc;
    TTable* table = AddTable(doc);
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Report->SetOptions(doc.Report->Options() + TVardoReportOptions{kvoImpressoraTermica});
    table->First();
    table->Next();
    table->Next();
    QStringList ids;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i)))
            probe->OnPrinted = [&] { ids << table->FieldByName(QStringLiteral("ID"))->AsString(); };
    doc.Report->OnNeedData = [&](TObject*, bool& moreData) {
        if (!moreData)
            table->Next();
        moreData = !table->Eof();
    };
    doc.RunPreview();
    EXPECT_EQ(ids, Split("3 4"));
}

TEST_F(RunTest, BeforePrintRefusingEndsTheRunBeforeAnyPage)
{
    TRunDoc doc;
    doc.Band(QStringLiteral("PH"), rbPageHeader);
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Report->BeforePrint = [](TVardoRep*, bool& printReport) { printReport = false; };
    doc.RunPreview();
    EXPECT_TRUE(doc.Names().isEmpty());
    EXPECT_EQ(doc.PagesRecorded, 0);
    EXPECT_TRUE(doc.Report->Available());
    EXPECT_FALSE(doc.Report->Previewing());
}

TEST_F(RunTest, PrintablesArePreparedNotifiedPerRecordAndUnpreparedInNativeUnits)
{
    TRunDoc doc;
    TProbe* probe = doc.ProbeOn(doc.Band(QStringLiteral("D"), rbDetail), QStringLiteral("X"));
    probe->AskNotify = true;
    doc.Report->SetQuantidade(4);
    doc.Report->SetUnits(kvunMM);
    doc.Report->OnStartPage = [&](TVardoRep* r) {
        if (r->PageCount() == 1)
            r->AddNotifyClient(probe);
    };
    std::vector<TKVUnit> units;
    probe->OnPrinted = [&] { units.push_back(doc.Report->Units()); };
    doc.RunPreview();
    EXPECT_EQ(probe->Prepared, 1);
    // Registered twice, told once per record.
    EXPECT_EQ(probe->Notified, 4);
    EXPECT_EQ(probe->Unprepared, 1);
    EXPECT_EQ(units, std::vector<TKVUnit>(4, kvunNative));
    EXPECT_EQ(doc.Report->Units(), kvunMM);
}

TEST_F(RunTest, AClientFreedAfterARunIsForgotten)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("D"), rbDetail);
    TProbe* probe = doc.ProbeOn(doc.Band(QStringLiteral("T"), rbTitle), QStringLiteral("X"));
    probe->AskNotify = true;
    doc.Report->SetQuantidade(2);
    doc.RunPreview();
    EXPECT_EQ(probe->Notified, 2);
    // The level hears of both going; neither the freed client nor the band is touched again.
    probe->Free();
    detail->Free();
    doc.Log.clear();
    doc.RunPreview();
    EXPECT_EQ(doc.Names(), Split("T"));
}

// ---- cancel and failures ------------------------------------------------------------------------

class RunPdfTest : public RunTest {
protected:
    void UsePdf(TRunDoc& doc, const QString& file)
    {
        TPrinter* printer = doc.Report->PrivatePrinter();
        doc.Report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
        printer->SetPdfFileName(file);
    }
};

TEST_F(RunPdfTest, ACancelCompletesTheRecordInHandAndLeavesNoDocument)
{
    TRunDoc doc;
    AddTable(doc);
    doc.Band(QStringLiteral("T"), rbTitle);
    TKVGroup* letter = doc.Group(QStringLiteral("GA"), QStringLiteral("[LETRA]"));
    doc.Band(QStringLiteral("D"), rbDetail);
    letter->SetFooterBand(doc.Band(QStringLiteral("FA"), rbGroupFooter));
    doc.Band(QStringLiteral("S"), rbSummary);
    doc.Band(QStringLiteral("PF"), rbPageFooter);
    const QString file = FDir.filePath(QStringLiteral("cancel.pdf"));
    UsePdf(doc, file);
    int details = 0;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i)); probe && probe->Text == QLatin1String("D"))
            probe->OnPrinted = [&] {
                if (++details == 2)
                    doc.Report->RunPrinter()->Cancel();
            };
    doc.Report->Print();
    // The second record (the last of group A) completes; its group footer, the summary and the
    // last page's footer do not follow.
    EXPECT_EQ(doc.Names(), Split("T GA D D"));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(doc.Report->Available());
    EXPECT_EQ(doc.Report->RunPrinter(), nullptr);
}

TEST_F(RunTest, AFailingRunRestoresTheReportAndRecordsNoDocument)
{
    TRunDoc doc;
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Report->SetQuantidade(3);
    doc.Report->SetUnits(kvunInches);
    int prints = 0;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i)))
            probe->OnPrinted = [&] {
                if (++prints == 2)
                    throw Exception(QStringLiteral("falhou"));
            };
    // The preview keeps the pages made before the failure, marked incomplete: they are not saved
    // as if they were the report. Its client did not show the error, so the preview raises it.
    const QString saved = FDir.filePath(QStringLiteral("parcial.VKR"));
    bool incomplete = false;
    EXPECT_THROW(doc.RunPreview([&](TKVPrinter& shown) {
        incomplete = shown.Incomplete();
        EXPECT_THROW(shown.Save(saved), EKVError);
    }),
                 Exception);
    EXPECT_TRUE(incomplete);
    EXPECT_FALSE(QFile::exists(saved));
    EXPECT_TRUE(doc.Report->Available());
    EXPECT_EQ(doc.Report->Units(), kvunInches);
    EXPECT_EQ(doc.Report->RunPrinter(), nullptr);
    EXPECT_FALSE(doc.Report->Previewing());
}

TEST_F(RunPdfTest, ARefusedPreviewLeavesNoFlagAndAnExportStartsNoPrintJob)
{
    TRunDoc doc;
    doc.Band(QStringLiteral("D"), rbDetail);
    doc.Report->SetQuantidade(2);
    const QString file = FDir.filePath(QStringLiteral("export.pdf"));
    UsePdf(doc, file);
    // A preview asked for while a run goes on is refused.
    bool refusedClean = false;
    doc.Report->BeforePrint = [&](TVardoRep* r, bool&) {
        r->Preview();
        refusedClean = !r->Previewing();
    };
    TKVExportFilter filter;
    doc.Report->ExportToFilter(&filter);
    EXPECT_TRUE(refusedClean);
    EXPECT_EQ(doc.Names(), Split("D D"));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(doc.Report->Graphics());
    EXPECT_FALSE(doc.Report->Exporting());
}

// ---- printer setup --------------------------------------------------------------------------------

struct TDialogScope {
    explicit TDialogScope(TKVPrintDialogProc proc) { SetPrintDialogProc(std::move(proc)); }
    ~TDialogScope() { SetPrintDialogProc(nullptr); }
};

TEST_F(RunTest, PrinterSetupTakesTheDialogsChoiceOrLeavesTheSettingsOnCancel)
{
    TRunDoc doc;
    doc.Report->PrinterSettings()->SetCopies(2);
    doc.Report->PrinterSettings()->SetFirstPage(3);
    TKVPrintDialogValues offered;
    bool confirm = false;
    TDialogScope dialog([&](TPrinter&, TKVPrintDialogValues& v) {
        offered = v;
        v.Copies = 5;
        v.PrintRange = kvprPageNums;
        v.FromPage = 2;
        v.ToPage = 4;
        return confirm;
    });
    doc.Report->PrinterSetup();
    EXPECT_EQ(doc.Report->Tag(), 1);
    EXPECT_EQ(doc.Report->PrinterSettings()->Copies(), 2);
    EXPECT_EQ(doc.Report->PrinterSettings()->FirstPage(), 3);
    EXPECT_EQ(offered.MinPage, 0);
    EXPECT_EQ(offered.MaxPage, 9999);
    EXPECT_EQ(offered.Copies, 2);

    confirm = true;
    doc.Report->PrinterSetup();
    EXPECT_EQ(doc.Report->Tag(), 0);
    EXPECT_EQ(doc.Report->PrinterSettings()->Copies(), 5);
    EXPECT_EQ(doc.Report->PrinterSettings()->FirstPage(), 2);
    EXPECT_EQ(doc.Report->PrinterSettings()->LastPage(), 4);
}

TEST_F(RunTest, PrinterSetupFromAPreviewOffersItsPages)
{
    TRunDoc doc;
    doc.Band(QStringLiteral("D"), rbDetail, 2000);
    doc.Report->SetQuantidade(3);
    TKVPrintDialogValues offered;
    TDialogScope dialog([&](TPrinter&, TKVPrintDialogValues& v) {
        offered = v;
        v.PrintRange = kvprAllPages;
        return true;
    });
    doc.RunPreview([&](TKVPrinter& shown) { shown.PrintSetup(); });
    EXPECT_EQ(offered.MinPage, 1);
    EXPECT_EQ(offered.MaxPage, 3);
    EXPECT_EQ(offered.FromPage, 1);
    EXPECT_EQ(offered.ToPage, 3);
    EXPECT_EQ(doc.Report->PrinterSettings()->FirstPage(), 0);
    EXPECT_EQ(doc.Report->PrinterSettings()->LastPage(), 0);
}

// ---- on the PDF printer -------------------------------------------------------------------------

bool HavePdfToText()
{
    return QProcess::execute(QStringLiteral("pdftotext"), {QStringLiteral("-v")}) == 0;
}

// The lines of one page of a PDF, as pdftotext lays them out, blank lines left out.
QStringList PdfPageLines(const QString& file, int page)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                          QStringLiteral("-l"), QString::number(page), file, QStringLiteral("-")});
    p.waitForFinished();
    QStringList lines;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    return lines;
}

int PdfPageCount(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    p.waitForFinished();
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// A report of three groups, one to a page, whose every band writes its text.
struct TGroupedPdf {
    TRunDoc Doc;
    TTable* Table;
    explicit TGroupedPdf(const std::function<TTable*(TRunDoc&)>& addTable) : Table(addTable(Doc))
    {
        TTable* const table = Table;
        const auto field = [table](const char* name) { return table->FieldByName(QLatin1String(name))->AsString(); };
        Doc.Band(QStringLiteral("Titulo"), rbTitle, 150);
        TKVGroup* group = Doc.Group(QStringLiteral("Grupo"), QStringLiteral("[LETRA]"), 150);
        group->SetForceNewPage(true);
        Doc.Band(QStringLiteral("Item"), rbDetail, 120);
        group->SetFooterBand(Doc.Band(QStringLiteral("Fim"), rbGroupFooter, 150));
        Doc.Band(QStringLiteral("Sumario"), rbSummary, 150);
        Doc.Band(QStringLiteral("Rodape"), rbPageFooter, 150);
        for (int i = 0; i < Doc.Form->ComponentCount(); ++i)
            if (auto* probe = dynamic_cast<TProbe*>(Doc.Form->Components(i))) {
                probe->DrawText = true;
                const QString name = probe->Text;
                TVardoRep* report = Doc.Report;
                if (name == QLatin1String("Grupo") || name == QLatin1String("Fim"))
                    probe->TextAtPrint = [name, field] { return name + QLatin1Char(' ') + field("LETRA"); };
                else if (name == QLatin1String("Item"))
                    probe->TextAtPrint = [field] { return QStringLiteral("Item ") + field("ID"); };
                else if (name == QLatin1String("Rodape"))
                    probe->TextAtPrint = [report] { return QStringLiteral("Pagina ") + QString::number(report->PageCount()); };
            }
    }
};

class RunOnPdfTest : public RunPdfTest {
protected:
    void SetUp() override
    {
        RunPdfTest::SetUp();
        std::vector<std::string> rows;
        for (int i = 1; i <= 12; ++i)
            rows.push_back(QStringLiteral("(%1, '%2', '%3')").arg(i).arg(QChar(u'A' + (i - 1) / 4)).arg(i % 2).toStdString());
        std::vector<const char*> pointers;
        for (const std::string& r : rows)
            pointers.push_back(r.c_str());
        MakeTable(pointers, QStringLiteral("GRUPOS"));
    }
};

TEST_F(RunOnPdfTest, AGroupedReportPrintsEveryBandOnItsPageInOrder)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    TGroupedPdf grouped([this](TRunDoc& d) { return AddTable(d, QStringLiteral("GRUPOS")); });
    TRunDoc* doc = &grouped.Doc;
    const QString file = FDir.filePath(QStringLiteral("grupos.pdf"));
    UsePdf(*doc, file);
    // The progress form the preview layer makes: shown as the report asks, the printer object's client.
    std::vector<bool> shown;
    SetProgressFormProc([&](TKVPrinter& printer, bool show) {
        shown.push_back(show);
        printer.SetClient(doc->Messages);
        return std::unique_ptr<TObject>();
    });
    doc->Report->Print();
    SetProgressFormProc(nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, std::vector<bool>{true});
    ASSERT_FALSE(doc->Messages->Progress.empty());
    EXPECT_EQ(doc->Messages->Progress.back(), 100);
    ASSERT_TRUE(QFile::exists(file));
    ASSERT_EQ(PdfPageCount(file), 3);
    const char* const letters = "ABC";
    for (int page = 1; page <= 3; ++page) {
        const QChar letter = QLatin1Char(letters[page - 1]);
        QStringList expected;
        if (page == 1)
            expected << QStringLiteral("Titulo");
        expected << QStringLiteral("Grupo %1").arg(letter);
        for (int id = (page - 1) * 4 + 1; id <= page * 4; ++id)
            expected << QStringLiteral("Item %1").arg(id);
        expected << QStringLiteral("Fim %1").arg(letter);
        if (page == 3)
            expected << QStringLiteral("Sumario");
        expected << QStringLiteral("Pagina %1").arg(page);
        EXPECT_EQ(PdfPageLines(file, page).join(QLatin1Char('|')).toStdString(),
                  expected.join(QLatin1Char('|')).toStdString())
            << "page " << page;
    }
}

TEST_F(RunPdfTest, AGroupOfASubDetailOpensAgainForEveryMasterRecord)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    // Customers A and B; A's orders fall into groups 1 and 2, B's single order into group 2, the
    // group A closed with.
    MakeTable({"(1, 'A', '')", "(2, 'B', '')"}, QStringLiteral("CLIENTES"));
    MakeTable({"(1, 'A', '1')", "(2, 'A', '1')", "(3, 'A', '2')", "(4, 'B', '2')"}, QStringLiteral("PEDIDOS"));
    TRunDoc doc;
    TTable* customers = AddTable(doc, QStringLiteral("CLIENTES"));
    auto* link = new TDataSource(doc.Form.get());
    link->SetName(QStringLiteral("dsClientes"));
    link->SetDataSet(customers);
    auto* orders = new TQuery(doc.Form.get());
    orders->SetName(QStringLiteral("Pedidos"));
    orders->SetDatabaseName(QStringLiteral("RUN"));
    orders->SQL()->SetText(QStringLiteral("SELECT * FROM PEDIDOS WHERE LETRA = :LETRA ORDER BY DIGITO, ID"));
    orders->SetDataSource(link);
    orders->Open();
    const auto field = [](TDataSet* data, const char* name) { return data->FieldByName(QLatin1String(name))->AsString(); };

    TKVBand* master = doc.Band(QStringLiteral("Cliente"), rbDetail);
    auto* sub = doc.Add<TKVSubDetail>(QStringLiteral("Itens"));
    sub->SetMaster(doc.Report);
    sub->SetDataSet(orders);
    sub->Size()->SetHeight(100);
    TKVGroup* group = doc.Group(QStringLiteral("Grupo"), QStringLiteral("[Pedidos.DIGITO]"));
    group->SetMaster(sub);
    group->SetFooterBand(doc.Band(QStringLiteral("Fim"), rbGroupFooter));
    doc.ProbeOn(sub, QStringLiteral("Pedido"));
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i))) {
            probe->DrawText = true;
            const QString name = probe->Text;
            if (probe->Parent() == master)
                probe->TextAtPrint = [name, customers, field] { return name + QLatin1Char(' ') + field(customers, "LETRA"); };
            else if (name == QLatin1String("Pedido"))
                probe->TextAtPrint = [name, orders, field] { return name + QLatin1Char(' ') + field(orders, "ID"); };
            else
                probe->TextAtPrint = [name, orders, field] { return name + QLatin1Char(' ') + field(orders, "DIGITO"); };
        }
    const QString file = FDir.filePath(QStringLiteral("sub.pdf"));
    UsePdf(doc, file);
    doc.Report->Print();
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(PdfPageLines(file, 1).join(QLatin1Char('|')).toStdString(),
              "Cliente A|Grupo 1|Pedido 1|Pedido 2|Fim 1|Grupo 2|Pedido 3|Fim 2|"
              "Cliente B|Grupo 2|Pedido 4|Fim 2");
}

TEST_F(RunOnPdfTest, PrintingFromAnOpenPreviewLeavesItsPagesAlone)
{
    TGroupedPdf grouped([this](TRunDoc& d) { return AddTable(d, QStringLiteral("GRUPOS")); });
    TRunDoc& doc = grouped.Doc;
    const QString file = FDir.filePath(QStringLiteral("da-previa.pdf"));
    UsePdf(doc, file);
    int pagesBefore = 0;
    int pagesAfter = 0;
    QByteArray firstBefore;
    QByteArray firstAfter;
    bool availableAfter = false;
    bool previewPrinterBack = false;
    doc.RunPreview([&](TKVPrinter& shown) {
        pagesBefore = shown.PageCount();
        firstBefore = shown.GetPage(1)->Data();
        shown.Print();
        pagesAfter = shown.PageCount();
        firstAfter = shown.GetPage(1)->Data();
        availableAfter = doc.Report->Available();
        previewPrinterBack = doc.Report->RunPrinter() == &shown;
    });
    EXPECT_EQ(pagesBefore, 3);
    EXPECT_EQ(pagesAfter, 3);
    EXPECT_EQ(firstAfter, firstBefore);
    EXPECT_TRUE(availableAfter);
    EXPECT_TRUE(previewPrinterBack);
    EXPECT_TRUE(QFile::exists(file));
    if (HavePdfToText())
        EXPECT_EQ(PdfPageCount(file), 3);
    EXPECT_EQ(doc.Report->RunPrinter(), nullptr);
}

} // namespace
