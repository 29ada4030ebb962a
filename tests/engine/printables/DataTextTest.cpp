// Data texts, expressions and system data over a real SQLite file: masks under the Brazilian
// defaults, the quantity and numbering settings, binding to the band's dataset, a dataset closed
// or reopened under a prepared text, group totals against SQLite's own sums, the system values, and
// runs and a reopened file that leave every text where it was.

#include "RunFixture.h"
#include "TextFixture.h"

#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVSysData.h"
#include "platform/core/Extended.h"
#include "platform/core/Filer.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/printing/Printer.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

class DataTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Db.Make({
            QStringLiteral("CREATE TABLE PRODUTOS (ID INTEGER PRIMARY KEY, NOME VARCHAR(20), PRECO FLOAT, DATA DATE, "
                           "ATIVO BOOLEAN, GRANDE BIGINT, QTD INTEGER)"),
            QStringLiteral("INSERT INTO PRODUTOS VALUES (1, 'Caneta', 1234.5, '2024-03-15', 1, 9007199254740993, 3)"),
            QStringLiteral("INSERT INTO PRODUTOS VALUES (2, 'Lapis', 2.25, '2024-12-01', 0, -5, 7)"),
        })) << Db.Error.toStdString();
        Band = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
        Band->Size()->SetHeight(100);
    }

    template <class L>
    L* Make(const QString& name, TKVCustomBand* band = nullptr)
    {
        auto* label = new L(Doc.Form.get());
        label->SetName(name);
        label->SetParent(band ? band : Band);
        return label;
    }

    QStringList Export()
    {
        TCaptureFilter filter;
        Doc.Report->ExportToFilter(&filter);
        return filter.Strings();
    }

    TTextDatabase Db;
    TRunDoc Doc;
    TKVBand* Band = nullptr;
};

TEST_F(DataTextTest, FieldsPrintByTheirClassAndTheMask)
{
    struct Case {
        const char* Field;
        const char* Mask;
        QStringList Expected; // empty: each record's DisplayText
    };
    const Case cases[] = {
        {"PRECO", "#,##0.00", {QStringLiteral("1.234,50"), QStringLiteral("2,25")}},
        {"PRECO", "", {}},
        {"DATA", "dd/mm/yyyy", {QStringLiteral("15/03/2024"), QStringLiteral("01/12/2024")}},
        {"NOME", "#,##0.00", {QStringLiteral("Caneta"), QStringLiteral("Lapis")}},
        {"ID", "000", {QStringLiteral("001"), QStringLiteral("002")}},
        // SQLite's integers are 64-bit: every digit of them goes through the mask.
        {"GRANDE", "#,##0", {QStringLiteral("9.007.199.254.740.993"), QStringLiteral("-5")}},
        // A boolean has no mask of its own: it prints as the field shows it.
        {"ATIVO", "0.00", {}},
    };
    TTable* table = Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Field << " '" << c.Mask << "'");
        QStringList expected = c.Expected;
        if (expected.isEmpty())
            for (table->First(); !table->Eof(); table->Next())
                expected << table->FieldByName(QLatin1String(c.Field))->DisplayText();
        auto* text = Make<TKVDBText>(QStringLiteral("Campo"));
        text->SetDataField(QLatin1String(c.Field));
        text->SetMask(QLatin1String(c.Mask));
        EXPECT_EQ(Export(), expected);
        EXPECT_EQ(text->Caption(), QLatin1String(c.Field));
        text->Free();
    }
    // The 64-bit value keeps every digit.
    table->First();
    EXPECT_EQ(table->FieldByName(QStringLiteral("GRANDE"))->DisplayText(), QStringLiteral("9007199254740993"));
}

// The process's own defaults, as the system locale gives them: this test also runs under an
// English and the C locale, each in a process of its own.
TEST_F(DataTextTest, MasksDatesAndANewReportsPaperFollowTheSystemLocale)
{
    struct Case {
        const char* Locale;
        QStringList Price;  // "#,##0.00"
        QStringList Date;   // the short date
        TKVUnit Units;
        TKVPaperSize Paper;
        long double Margin; // in the report's unit
    };
    const Case cases[] = {
        {"pt_BR", {QStringLiteral("1.234,50"), QStringLiteral("2,25")},
         {QStringLiteral("15/03/2024"), QStringLiteral("01/12/2024")}, kvunMM, TKVPaperSize::A4, 10},
        {"en_US", {QStringLiteral("1,234.50"), QStringLiteral("2.25")},
         {QStringLiteral("3/15/24"), QStringLiteral("12/1/24")}, kvunInches, TKVPaperSize::Letter, 0.5L},
        {"C", {QStringLiteral("1,234.50"), QStringLiteral("2.25")},
         {QStringLiteral("15/03/2024"), QStringLiteral("1/12/2024")}, kvunMM, TKVPaperSize::A4, 10},
    };
    const QString system = QLocale::system().name();
    const Case* c = nullptr;
    for (const Case& each : cases)
        if (system == QLatin1String(each.Locale))
            c = &each;
    if (!c)
        GTEST_SKIP() << "no expectations for the locale " << system.toStdString();

    Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    auto* text = Make<TKVDBText>(QStringLiteral("Campo"));
    text->SetDataField(QStringLiteral("PRECO"));
    text->SetMask(QStringLiteral("#,##0.00"));
    EXPECT_EQ(Export(), c->Price);
    text->SetDataField(QStringLiteral("DATA"));
    text->SetMask(QStringLiteral("ddddd"));
    EXPECT_EQ(Export(), c->Date);

    // A new report on the PDF printer, the one printer every machine has.
    const QByteArray cupsServer = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", "localhost:1");
    TPrinter::RefreshPrinterList();
    {
        TReportDoc fresh;
        EXPECT_EQ(fresh.Report->Units(), c->Units);
        EXPECT_EQ(fresh.Report->Page()->PaperSize(), c->Paper);
        EXPECT_EQ(fresh.Report->Page()->Value(TKVPage::kvTopMargin), c->Margin);
        EXPECT_EQ(fresh.Report->Page()->Value(TKVPage::kvLeftMargin), c->Margin);
        // What a report file stores does not depend on the locale: an A4 page in millimetres
        // with 10 mm margins writes the same native values everywhere.
        fresh.Report->SetUnits(kvunMM);
        fresh.Report->Page()->SetPaperSize(TKVPaperSize::A4);
        for (int i : {TKVPage::kvTopMargin, TKVPage::kvBottomMargin, TKVPage::kvLeftMargin, TKVPage::kvRightMargin})
            fresh.Report->Page()->SetValue(i, 10);
        QByteArray values = QByteArray("\x0BPage.Values") + char(vaList);
        for (long double v : {100.0L, 2970.0L, 100.0L, 2100.0L, 100.0L, 100.0L, 0.0L}) {
            const TExtendedBytes bytes = EncodeExtended(v);
            values += char(vaExtended);
            values += QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
        }
        values += char(vaNull);
        EXPECT_TRUE(WriteRes(fresh.Form.get()).contains(values));
    }
    if (cupsServer.isNull())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", cupsServer);
    TPrinter::RefreshPrinterList();
}

TEST_F(DataTextTest, RunsAndReopeningNeverMoveAControl)
{
    // Values far narrower and wider than the designer's caption: each record sizes the texts and
    // a centred one moves by half the difference.
    Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    struct Case {
        int Zoom;
        TAlignment Alignment;
    };
    const Case cases[] = {{100, taCenter}, {75, taCenter}, {72, taCenter}, {150, taRightJustify}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.Zoom << " alignment " << c.Alignment);
        Doc.Report->SetZoom(c.Zoom);
        auto* text = Make<TKVDBText>(QStringLiteral("Campo"));
        text->SetDataField(QStringLiteral("NOME"));
        auto* expr = Make<TKVExpr>(QStringLiteral("Conta"));
        expr->SetExpression(QStringLiteral("NOME + ' de ' + NOME"));
        for (TKVCustomLabel* label : {static_cast<TKVCustomLabel*>(text), static_cast<TKVCustomLabel*>(expr)}) {
            label->SetAutoSize(true);
            label->SetAlignment(c.Alignment);
            // A place that is no whole pixel at the zoom.
            label->Size()->SetUnits(kvunNative);
            label->Size()->SetLeft(500.3L);
            label->Size()->SetTop(31.7L);
        }
        const QByteArray before = WriteRes(Doc.Form.get());
        const long double left = text->Size()->NativeValue(TKVPrintableSize::kvLeft);
        for (int run = 0; run < 5; ++run)
            Doc.RunPreview();
        EXPECT_EQ(Export().size(), 4);
        EXPECT_EQ(text->Size()->NativeValue(TKVPrintableSize::kvLeft), left);
        EXPECT_EQ(WriteRes(Doc.Form.get()), before);
        text->Free();
        expr->Free();

        // A file made at the zoom, read again and written again: the same file.
        TReportDoc made;
        made.Report->SetZoom(c.Zoom);
        auto* band = made.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
        int n = 0;
        for (const bool autoSize : {true, false}) {
            auto* label = new TKVLabel(made.Form.get());
            label->SetName(QStringLiteral("Texto%1").arg(++n));
            label->SetParent(band);
            label->SetAlignment(c.Alignment);
            label->SetAutoSize(autoSize);
            label->SetBounds(37 + n, 11 + n, 93, 17);
        }
        const QByteArray saved = WriteRes(made.Form.get());
        TFormPtr again = ReadRes(saved);
        ASSERT_NE(ReportOf(again.get()), nullptr);
        EXPECT_EQ(ReportOf(again.get())->Zoom(), c.Zoom);
        EXPECT_EQ(WriteRes(again.get()), saved);
    }
}

TEST_F(DataTextTest, QuantityAndNumberingSettingsKeepEachOtherConsistent)
{
    Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    auto* a = Make<TKVDBText>(QStringLiteral("A"));
    a->SetDataField(QStringLiteral("QTD"));
    a->SetIncrementoType(kvIncre);
    EXPECT_EQ(a->IncrementoValue(), 1);
    a->SetIncrementoValue(4);
    a->SetIncrementoValue(0);
    EXPECT_EQ(a->IncrementoType(), kvNenhum);
    a->SetIncrementoValue(3);
    EXPECT_EQ(a->IncrementoType(), kvNenhum); // a value does not choose a kind
    a->SetIncrementoType(kvDesloca);
    EXPECT_EQ(a->IncrementoValue(), 3);
    a->SetCampoQuantidade(true);
    EXPECT_EQ(Doc.Report->CampoQuantidadeObjeto(), a);
    EXPECT_EQ(Doc.Report->GetCampoQuantidade(), QStringLiteral("QTD"));
    EXPECT_EQ(a->IncrementoType(), kvNenhum);
    EXPECT_EQ(a->IncrementoValue(), 0);
    // While it gives the quantity, numbering is refused.
    a->SetIncrementoType(kvIncre);
    a->SetIncrementoValue(2);
    EXPECT_EQ(a->IncrementoType(), kvNenhum);
    EXPECT_EQ(a->IncrementoValue(), 0);
    // A second text takes the part from the first.
    auto* b = Make<TKVDBText>(QStringLiteral("B"));
    b->SetDataField(QStringLiteral("ID"));
    b->SetCampoQuantidade(true);
    EXPECT_EQ(Doc.Report->CampoQuantidadeObjeto(), b);
    EXPECT_FALSE(a->CampoQuantidade());
    // Naming another field clears it; freeing the text lets the report go of it.
    b->SetDataField(QStringLiteral("NOME"));
    EXPECT_FALSE(b->CampoQuantidade());
    EXPECT_EQ(Doc.Report->CampoQuantidadeObjeto(), nullptr);
    a->SetCampoQuantidade(true);
    a->Free();
    EXPECT_EQ(Doc.Report->CampoQuantidadeObjeto(), nullptr);
}

TEST_F(DataTextTest, BindingTakesTheFirstFieldOnlyForATextWithoutOne)
{
    TTable* table = Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    auto* fresh = Make<TKVDBText>(QStringLiteral("Novo"));
    EXPECT_EQ(fresh->DataSet(), table);
    EXPECT_EQ(fresh->DataField(), QStringLiteral("ID"));
    EXPECT_EQ(fresh->Caption(), QStringLiteral("ID"));

    // A field the table has lost keeps its name and prints empty: no silent rebinding.
    auto* lost = new TKVDBText(Doc.Form.get());
    lost->SetName(QStringLiteral("Perdido"));
    lost->SetDataField(QStringLiteral("DESCONTO"));
    lost->SetParent(Band);
    EXPECT_EQ(lost->DataField(), QStringLiteral("DESCONTO"));
    fresh->Free();
    // An empty text prints no line at all.
    EXPECT_EQ(Export(), QStringList{});

    // A dataset without fields (closed, none defined): no field, and "(NADA)" shows.
    table->Close();
    auto* none = Make<TKVDBText>(QStringLiteral("Nada"));
    EXPECT_EQ(none->DataSet(), table);
    EXPECT_TRUE(none->DataField().isEmpty());
    EXPECT_EQ(none->Caption(), QStringLiteral("(NADA)"));
}

TEST_F(DataTextTest, AnOlderFilesDataSourceBecomesTheDataSetAndIsNotWrittenAgain)
{
    Doc.Messages->Free(); // no class of a report file
    RegisterDataClasses(); // the document's forms hold data sources
    TTable* table = Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    auto* source = new TDataSource(Doc.Form.get());
    source->SetName(QStringLiteral("DataSource1"));
    source->SetDataSet(table);
    auto* text = Make<TKVDBText>(QStringLiteral("Campo"));
    text->SetDataField(QStringLiteral("NOME"));
    QString form = QString::fromLatin1(ToText(Doc.Form.get()));
    // The older file named the data source where a newer one names the dataset.
    const qsizetype at = form.indexOf(QStringLiteral("DataSet = TabelaPRODUTOS"), form.indexOf(QStringLiteral("object Campo")));
    ASSERT_GE(at, 0);
    form.replace(at, QStringLiteral("DataSet = TabelaPRODUTOS").size(), QStringLiteral("DataSource = DataSource1"));
    TFormPtr read = FromText(form.toLatin1());
    auto* readText = dynamic_cast<TKVDBText*>(read->FindComponent(QStringLiteral("Campo")));
    ASSERT_TRUE(readText);
    EXPECT_EQ(readText->LegacyDataSourceName(), QStringLiteral("DataSource1"));
    EXPECT_EQ(readText->DataSet(), read->FindComponent(QStringLiteral("TabelaPRODUTOS")));
    const QByteArray again = ToText(read.get());
    EXPECT_FALSE(again.contains("DataSource = "));
    EXPECT_TRUE(again.contains("DataSet = TabelaPRODUTOS"));
}

TEST_F(DataTextTest, ADatasetClosedOrReopenedSincePrepareNeverLeavesAFreedField)
{
    TTable* table = Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    auto* text = Make<TKVDBText>(QStringLiteral("Campo"));
    text->SetDataField(QStringLiteral("NOME"));
    text->Prepare();
    ASSERT_TRUE(text->FieldBound());
    text->Print(0, 0);
    EXPECT_EQ(text->Caption(), QStringLiteral("Caneta"));
    table->Close(); // its fields go
    text->Print(0, 0);
    EXPECT_TRUE(text->Caption().isEmpty());
    table->Open(); // new field objects
    table->Next();
    text->Print(0, 0);
    EXPECT_EQ(text->Caption(), QStringLiteral("Lapis"));
    text->Unprepare();
    EXPECT_EQ(text->Caption(), QStringLiteral("NOME"));
    // A dataset freed under the text is forgotten.
    table->Free();
    EXPECT_EQ(text->DataSet(), nullptr);
    text->Print(0, 0);
}

TEST_F(DataTextTest, AGroupFootersSumEqualsSQLitesSumForEveryGroup)
{
    QStringList statements{QStringLiteral("CREATE TABLE VENDAS (ID INTEGER PRIMARY KEY, GRUPO VARCHAR(1), VALOR FLOAT)")};
    for (int i = 1; i <= 40; ++i)
        statements << QStringLiteral("INSERT INTO VENDAS VALUES (%1, '%2', %3)")
                          .arg(i)
                          .arg(QChar(u'A' + (i * 7 % 40) / 9))
                          .arg(QString::number(i * 1.25 + (i % 3) * 0.1, 'f', 2));
    ASSERT_TRUE(Db.Make(statements)) << Db.Error.toStdString();
    const QStringList sums =
        Db.Query(QStringLiteral("SELECT GRUPO, SUM(VALOR) FROM VENDAS GROUP BY GRUPO ORDER BY GRUPO"));
    ASSERT_GE(sums.size(), 4);

    auto* query = new TQuery(Doc.Form.get());
    query->SetName(QStringLiteral("Vendas"));
    query->SetDatabaseName(QStringLiteral("TEXTOS"));
    query->SQL()->SetText(QStringLiteral("SELECT * FROM VENDAS ORDER BY GRUPO, ID"));
    query->Open();
    Doc.Report->SetDataSet(query);
    Band->Free();
    auto* group = Doc.Add<TKVGroup>(QStringLiteral("Grupo"));
    group->SetExpression(QStringLiteral("GRUPO"));
    group->SetMaster(Doc.Report);
    Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
    auto* footer = Doc.Add<TKVBand>(QStringLiteral("Rodape"), rbGroupFooter);
    group->SetFooterBand(footer);
    auto* total = Make<TKVExpr>(QStringLiteral("Total"), footer);
    total->SetExpression(QStringLiteral("SUM(VALOR)"));
    total->SetMask(QStringLiteral("#,##0.00"));
    total->SetResetAfterPrint(true);

    QStringList expected;
    for (const QString& row : sums)
        expected << FormatFloat(QStringLiteral("#,##0.00"), row.section(QLatin1Char('|'), 1).toDouble());
    EXPECT_EQ(Export(), expected);
    EXPECT_EQ(total->Caption(), QStringLiteral("SUM(VALOR)"));

    // Without the reset the totals run on.
    total->SetResetAfterPrint(false);
    QStringList running;
    double sum = 0;
    for (const QString& row : sums) {
        sum += row.section(QLatin1Char('|'), 1).toDouble();
        running << FormatFloat(QStringLiteral("#,##0.00"), sum);
    }
    EXPECT_EQ(Export(), running);
}

TEST_F(DataTextTest, AnExpressionWhoseMasterIsASubDetailTotalsThatLevelsRecords)
{
    ASSERT_TRUE(Db.Make({QStringLiteral("CREATE TABLE ITENS (N INTEGER, V FLOAT)"),
                         QStringLiteral("INSERT INTO ITENS VALUES (1, 1.5)"),
                         QStringLiteral("INSERT INTO ITENS VALUES (2, 2.5)"),
                         QStringLiteral("INSERT INTO ITENS VALUES (3, 4)")}))
        << Db.Error.toStdString();
    Doc.Report->SetQuantidade(2); // two master records without data
    TTable* items = Db.AddTable(Doc, QStringLiteral("ITENS"), false);
    auto* sub = Doc.Add<TKVSubDetail>(QStringLiteral("SubDetalhe1"));
    sub->SetMaster(Doc.Report);
    sub->SetDataSet(items);
    sub->Bands()->SetHasFooter(true);
    ASSERT_TRUE(sub->FooterBand());
    auto* total = Make<TKVExpr>(QStringLiteral("Total"), sub->FooterBand());
    total->SetExpression(QStringLiteral("SUM(V)"));
    total->SetMaster(sub);
    total->SetResetAfterPrint(true);
    // Each master record runs the three items again: the footer shows their total each time.
    EXPECT_EQ(Export(), (QStringList{QStringLiteral("8"), QStringLiteral("8")}));
}

TEST_F(DataTextTest, ExpressionsPrintTheirValueByKind)
{
    Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    struct Case {
        const char* Expression;
        const char* Mask;
        QStringList Expected;
    };
    const Case cases[] = {
        {"ID * 1000", "", {QStringLiteral("1000"), QStringLiteral("2000")}},
        {"PRECO", "#,##0.0", {QStringLiteral("1.234,5"), QStringLiteral("2,3")}},
        {"PRECO", "", {QStringLiteral("1234,5"), QStringLiteral("2,25")}},
        {"NOME + '!'", "", {QStringLiteral("Caneta!"), QStringLiteral("Lapis!")}},
        {"ID = 1", "", {QStringLiteral("True"), QStringLiteral("False")}},
        // An error prints the expression's own text.
        {"DESCONHECIDO + 1", "", {QStringLiteral("DESCONHECIDO + 1"), QStringLiteral("DESCONHECIDO + 1")}},
        // "(NADA)" stands for no content at all.
        {"(NADA)", "", {}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Expression);
        auto* expr = Make<TKVExpr>(QStringLiteral("Expressao"));
        expr->SetExpression(QLatin1String(c.Expression));
        expr->SetMask(QLatin1String(c.Mask));
        EXPECT_EQ(Export(), c.Expected);
        EXPECT_EQ(expr->Caption(), c.Expression[0] ? QLatin1String(c.Expression) : QLatin1String("(nada)"));
        expr->Free();
    }
}

// An item area in the detail band, for the item-area page number.
class TPagedArea : public TKVItemAreaRun {
public:
    bool HasParentBand() const override { return false; }
    void ResetRunCounters() override {}
    void AddPrintedLines(int) override {}
    void CountIfDue() override {}
    bool ItemAreaBreak(int) override { return false; }
    void PrintObservations() override {}
    int LineCursor() const override { return 0; }
    void SetLineCursor(int) override {}
    bool IsLastPage() const override { return Page == Pages; }
    int CurrentPage() const override { return Page; }
    int PageCount() const override { return Pages; }
    TKVCustomBand* ParentGroupFooter() const override { return nullptr; }
    TKVCustomBand* ObservationBand() const override { return nullptr; }
    TDataSet* ObsDataSet() const override { return nullptr; }
    int Page = 1;
    int Pages = 1;
};

class TPagedBand : public TKVBand {
public:
    explicit TPagedBand(TComponent* owner) : TKVBand(owner) {}
    TKVItemAreaRun* ItemArea() override { return &Area; }
    TPagedArea Area;
};

TEST_F(DataTextTest, SystemDataPrintsItsValueAfterTheTextAndShowsItsPlaceholder)
{
    Db.AddTable(Doc, QStringLiteral("PRODUTOS"));
    Doc.Report->SetReportTitle(QStringLiteral("Estoque"));
    struct Case {
        TKVSysDataType Data;
        const char* Placeholder;
        QStringList Expected; // per record; empty: the time and date kinds, checked below
    };
    const Case cases[] = {
        {kvsPageNumber, "(No. Página)", {QStringLiteral("N: 1"), QStringLiteral("N: 1")}},
        {kvsReportTitle, "(Título relatório)", {QStringLiteral("N: Estoque"), QStringLiteral("N: Estoque")}},
        {kvsDetailCount, "(Total detalhes)", {QStringLiteral("N: 2"), QStringLiteral("N: 2")}},
        {kvsDetailNo, "(No. Detalhes)", {QStringLiteral("N: 1"), QStringLiteral("N: 2")}},
        {kvsTime, "(Hora)", {}},
        {kvsDate, "(Data)", {}},
        {kvsDateTime, "(Data e Hora)", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Placeholder);
        auto* sys = Make<TKVSysData>(QStringLiteral("Sistema"));
        sys->SetSysText(QStringLiteral("N: "));
        sys->SetData(c.Data);
        EXPECT_EQ(sys->Caption(), QStringLiteral("N: ") + QString::fromUtf8(c.Placeholder));
        const TDateTime before = Now();
        const QStringList printed = Export();
        const TDateTime after = Now();
        if (!c.Expected.isEmpty()) {
            EXPECT_EQ(printed, c.Expected);
        } else {
            const QString format = c.Data == kvsTime ? QStringLiteral("t") : QStringLiteral("c");
            const auto at = [&](TDateTime t) {
                return QStringLiteral("N: ") + FormatDateTime(format, c.Data == kvsDate ? static_cast<TDateTime>(static_cast<long long>(t)) : t);
            };
            ASSERT_EQ(printed.size(), 2);
            for (const QString& p : printed)
                EXPECT_TRUE(p == at(before) || p == at(after)) << p.toStdString();
        }
        EXPECT_EQ(sys->Caption(), QStringLiteral("N: ") + QString::fromUtf8(c.Placeholder));
        sys->Free();
    }
}

TEST_F(DataTextTest, TheDetailCountIsOneWithoutDataAndTheItemPageIsEmptyOnAOnePageArea)
{
    Doc.Report->SetQuantidade(2);
    auto* count = Make<TKVSysData>(QStringLiteral("Contagem"));
    count->SetData(kvsDetailCount);
    EXPECT_EQ(Export(), (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    count->Free();

    Band->Free();
    auto* items = new TPagedBand(Doc.Form.get());
    items->SetName(QStringLiteral("Itens"));
    items->SetParent(Doc.Report);
    items->SetBandType(rbDetail);
    auto* page = Make<TKVSysData>(QStringLiteral("PaginaItens"), items);
    page->SetData(kvsGroupItensNo);
    page->SetSysText(QStringLiteral("Folha "));
    EXPECT_EQ(page->Caption(), QStringLiteral("Folha (No. Grupo Itens)"));
    // Nothing at all: the fixed text goes with the value.
    EXPECT_EQ(Export(), QStringList{});
    items->Area.Pages = 3;
    items->Area.Page = 2;
    EXPECT_EQ(Export(), (QStringList{QStringLiteral("Folha 2"), QStringLiteral("Folha 2")}));
}

} // namespace
