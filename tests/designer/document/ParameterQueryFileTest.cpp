// Reports whose queries take a parameter from the report's current record (an item area's
// observations, a column grid's rows): saved, opened again through the program's open path, and
// printed on the PDF printer as they printed before saving.

#include "DesignerFixture.h"

#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVItemsObs.h"
#include "platform/data/DBTables.h"
#include "platform/printing/Printer.h"

#include <QStandardPaths>

#include <functional>
#include <memory>

namespace designertest {

using namespace tessiv;

namespace {

using TDocPtr = std::unique_ptr<TAnexoRelatorio>;

TQuery* ReportQuery(TAnexoRelatorio& doc, const QString& name, const QString& sql)
{
    auto* query = new TQuery(doc.Root());
    query->SetName(name);
    query->SetDatabaseName(QStringLiteral("PEDIDOS"));
    query->SQL()->SetText(sql);
    query->Open();
    doc.Report()->SetDataSet(query);
    return query;
}

TKVDBText* DataText(TAnexoRelatorio& doc, const QString& name, TWinControl* band, TDataSet* data,
                    const QString& field, int left)
{
    auto* text = new TKVDBText(doc.Root());
    text->SetName(name);
    text->SetParent(band);
    text->SetDataSet(data);
    text->SetDataField(field);
    text->SetLeft(left);
    return text;
}

// Orders grouped by number, each with its items in an area of four lines and the order's
// observations, read by a query whose parameter :PEDIDO is the current record's.
void ItemArea(TAnexoRelatorio& doc)
{
    TQuery* items = ReportQuery(doc, QStringLiteral("Itens"), QStringLiteral("SELECT * FROM ITENS ORDER BY PEDIDO, ITEM"));
    if (TKVCustomBand* detail = doc.Report()->FirstBandOfKind(rbDetail))
        detail->Free();
    auto* group = new TKVGroup(doc.Root());
    group->SetName(QStringLiteral("Grupo"));
    group->SetParent(doc.Report());
    group->SetExpression(QStringLiteral("[PEDIDO]"));
    DataText(doc, QStringLiteral("Pedido"), group, items, QStringLiteral("PEDIDO"), 0);
    auto* area = new TKVItensObs(doc.Root());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(doc.Report());
    area->SetParentBand(group);
    area->SetHeight(160);
    area->SetLinhas(4);
    TStringList sql;
    sql.SetText(QStringLiteral("SELECT TEXTO FROM OBS WHERE PEDIDO = :PEDIDO ORDER BY LINHA"));
    area->SetObs_SQL(&sql);
    area->SetObs_ListField(QStringLiteral("TEXTO"));
    DataText(doc, QStringLiteral("Produto"), area->Obs_TKVItens(), items, QStringLiteral("PRODUTO"), 40);
}

// Orders as details, each with a grid of its instalments, read by a query whose parameter :ID is
// the current order's.
void ColumnGrid(TAnexoRelatorio& doc)
{
    TQuery* orders = ReportQuery(doc, QStringLiteral("Pedidos"), QStringLiteral("SELECT ID FROM PEDIDOS ORDER BY ID"));
    TKVCustomBand* detail = doc.Report()->FirstBandOfKind(rbDetail);
    DataText(doc, QStringLiteral("Pedido"), detail, orders, QStringLiteral("ID"), 0);
    auto* grid = new TKVColunaSql(doc.Root());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(doc.Report());
    grid->SetParentBand(detail);
    grid->SetLinhas(3);
    grid->SetColunas(2);
    TStringList sql;
    sql.SetText(QStringLiteral("SELECT N FROM PARCELAS WHERE PEDIDO = :ID ORDER BY N"));
    grid->SetCol_SQL(&sql);
    DataText(doc, QStringLiteral("Parcela"), grid->KVColuna(), grid->Col_DataSet(), QStringLiteral("N"), 10);
}

} // namespace

class ParameterQueryFileTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext is not installed";
        QStringList sql{QStringLiteral("CREATE TABLE ITENS (PEDIDO INTEGER, ITEM INTEGER, PRODUTO VARCHAR(20))"),
                        QStringLiteral("CREATE TABLE OBS (PEDIDO INTEGER, LINHA INTEGER, TEXTO VARCHAR(30))"),
                        QStringLiteral("INSERT INTO OBS VALUES (1, 1, 'Urgente'), (2, 1, 'Fragil')"),
                        QStringLiteral("CREATE TABLE PEDIDOS (ID INTEGER PRIMARY KEY)"),
                        QStringLiteral("INSERT INTO PEDIDOS VALUES (1), (2)"),
                        QStringLiteral("CREATE TABLE PARCELAS (PEDIDO INTEGER, N VARCHAR(10))"),
                        QStringLiteral("INSERT INTO PARCELAS VALUES (1, 'P1-1'), (1, 'P1-2'), (2, 'P2-1'), "
                                       "(2, 'P2-2'), (2, 'P2-3'), (2, 'P2-4')")};
        for (auto [order, count] : {std::pair{1, 2}, std::pair{2, 3}})
            for (int i = 1; i <= count; ++i)
                sql << QStringLiteral("INSERT INTO ITENS VALUES (%1, %2, 'Produto%1-%2')").arg(order).arg(i);
        MakeSqlite(QStringLiteral("PEDIDOS"), sql);
    }

    QStringList Print(TAnexoRelatorio& doc, const QString& name)
    {
        TPrinter* printer = doc.Report()->PrivatePrinter();
        doc.Report()->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
        const QString pdf = Path(name + QStringLiteral(".pdf"));
        printer->SetPdfFileName(pdf);
        doc.Print();
        return PdfLines(pdf);
    }
};

TEST_F(ParameterQueryFileTest, AReportWhoseQueryTakesAParameterOpensAgainAndPrintsTheSame)
{
    struct TCase {
        const char* Name;
        std::function<void(TAnexoRelatorio&)> Build;
        QStringList Printed; // words the print must hold
    };
    const TCase cases[] = {
        {"item area", ItemArea,
         {"Produto1-1", "Produto1-2", "Urgente", "Produto2-1", "Produto2-3", "Fragil"}},
        {"column grid", ColumnGrid, {"P1-1", "P1-2", "P2-1", "P2-4"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString name = QString::fromLatin1(c.Name).replace(QLatin1Char(' '), QLatin1Char('_'));
        const QString file = Path(name + QStringLiteral(".KVR"));
        QStringList before;
        {
            TDocPtr doc(NewReportDocument(&Host));
            c.Build(*doc);
            before = Print(*doc, name + QStringLiteral("-antes"));
            ASSERT_TRUE(doc->SaveToFile(file));
        }
        const QString text = before.join(QLatin1Char('\n'));
        for (const QString& word : c.Printed)
            EXPECT_TRUE(text.contains(word)) << word.toStdString() << " in\n" << text.toStdString();

        TDocPtr opened(OpenReportDocument(&Host, file));
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(Print(*opened, name + QStringLiteral("-depois")), before);
        // And what it saves opens again.
        const QString again = Path(name + QStringLiteral("-de-novo.KVR"));
        ASSERT_TRUE(opened->SaveToFile(again));
        opened.reset();
        TDocPtr reopened(OpenReportDocument(&Host, again));
        ASSERT_NE(reopened, nullptr);
        EXPECT_EQ(Print(*reopened, name + QStringLiteral("-de-novo")), before);
        EXPECT_TRUE(Boxes.empty());
    }
}

} // namespace designertest
