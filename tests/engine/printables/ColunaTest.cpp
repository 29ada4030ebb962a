// The column grid: its cell made at first placement, rows and columns at least 1, and its query's
// rows printed as cells down the rows of a column, then across, over a real SQLite file; under an
// item area the cells print only with the last page of the area's block.

#include "RunFixture.h"

#include "engine/printables/KVColuna.h"
#include "engine/printables/KVItemsObs.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DBTables.h"
#include "platform/data/Field.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

TKVColunaSql* PlaceGrid(TReportDoc& doc, TKVCustomBand* parentBand)
{
    auto* grid = new TKVColunaSql(doc.Form.get());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(doc.Report);
    if (parentBand)
        grid->SetParentBand(parentBand);
    return grid;
}

TEST(Coluna, FirstPlacementMakesOneCellOfTwoRowsAndTwoColumns)
{
    TReportDoc doc;
    TKVColunaSql* grid = PlaceGrid(doc, nullptr);
    ASSERT_NE(grid->KVColuna(), nullptr);
    EXPECT_EQ(grid->KVColunaName().toStdString(), "ItemColuna1");
    EXPECT_EQ(grid->Linhas(), 2);
    EXPECT_EQ(grid->Colunas(), 2);
    EXPECT_EQ(grid->KVColuna()->Height(), grid->Height() / 2);
    EXPECT_EQ(grid->KVColuna()->Width(), grid->Width() / 2);
    EXPECT_FALSE(grid->KVColuna()->Enabled());
    // The cell is no detail of the report.
    EXPECT_EQ(doc.Report->FirstBandOfKind(rbDetail), nullptr);
    EXPECT_FALSE(MayDestroyAlone(grid->KVColuna()));
    EXPECT_THROW(CheckDestroyAlone(grid->KVColuna()), EAbort);
    EXPECT_THROW(grid->KVColuna()->SetParent(grid->KVColuna()), EInvalidOperation);
}

TEST(Coluna, RowsAndColumnsBelowOneBecomeOne)
{
    TReportDoc doc;
    TKVColunaSql* grid = PlaceGrid(doc, nullptr);
    grid->SetLinhas(0);
    grid->SetColunas(-3);
    EXPECT_EQ(grid->Linhas(), 1);
    EXPECT_EQ(grid->Colunas(), 1);
    EXPECT_EQ(grid->KVColuna()->Height(), grid->Height());
    EXPECT_EQ(grid->KVColuna()->Width(), grid->Width());
    // Resizing the cell sets the rows.
    grid->KVColuna()->SetBounds(0, 0, 5, grid->Height() / 4);
    EXPECT_EQ(grid->Linhas(), 4);
    EXPECT_EQ(grid->KVColuna()->Width(), grid->Width());
}

TEST(Coluna, TheGridGoesWithItsCellAndReadsBackToTheSameBytes)
{
    TReportDoc doc;
    TKVBand* detail = doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
    TKVColunaSql* grid = PlaceGrid(doc, detail);
    grid->SetLinhas(3);
    const QByteArray first = WriteRes(doc.Form.get());
    TFormPtr read = ReadRes(first);
    EXPECT_EQ(first.toHex().toStdString(), WriteRes(read.get()).toHex().toStdString());
    auto* readGrid = dynamic_cast<TKVColunaSql*>(read->FindComponent(QStringLiteral("Grade")));
    ASSERT_NE(readGrid, nullptr);
    EXPECT_EQ(readGrid->Linhas(), 3);
    EXPECT_EQ(readGrid->KVColuna(), read->FindComponent(QStringLiteral("ItemColuna1")));
    EXPECT_EQ(ReportOf(read.get())->FirstBandOfKind(rbDetail), read->FindComponent(QStringLiteral("Detalhe")));
    grid->Free();
    EXPECT_EQ(doc.Form->FindComponent(QStringLiteral("ItemColuna1")), nullptr);
}

class ColunaRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        UseSessionIn(FDir.path());
        QString error;
        QStringList sql{QStringLiteral("CREATE TABLE PEDIDOS (ID INTEGER PRIMARY KEY)"),
                        QStringLiteral("INSERT INTO PEDIDOS VALUES (1), (2)"),
                        QStringLiteral("CREATE TABLE PARCELAS (PEDIDO INTEGER, N INTEGER)")};
        // Order 1 has four instalments, order 2 eight.
        for (int n = 1; n <= 4; ++n)
            sql << QStringLiteral("INSERT INTO PARCELAS VALUES (1, %1)").arg(n);
        for (int n = 1; n <= 8; ++n)
            sql << QStringLiteral("INSERT INTO PARCELAS VALUES (2, %1)").arg(n);
        ASSERT_TRUE(MakeSqliteAlias(QStringLiteral("GRADE"), FDir.filePath(QStringLiteral("grade.db")), sql, &error))
            << error.toStdString();
    }

    // Orders as details, each with a grid of its instalments (3 rows by 2 columns).
    TKVColunaSql* Build(TRunDoc& doc, const QString& where)
    {
        auto* orders = new TQuery(doc.Form.get());
        orders->SetName(QStringLiteral("Pedidos"));
        orders->SetDatabaseName(QStringLiteral("GRADE"));
        orders->SQL()->SetText(QStringLiteral("SELECT ID FROM PEDIDOS ORDER BY ID"));
        orders->Open();
        doc.Report->SetDataSet(orders);
        TKVBand* detail = doc.Band(QStringLiteral("D"), rbDetail, 100);
        TKVColunaSql* grid = PlaceGrid(doc, detail);
        grid->SetLinhas(3);
        grid->SetColunas(2);
        TStringList sql;
        sql.SetText(QStringLiteral("SELECT N FROM PARCELAS WHERE PEDIDO = :ID ") + where + QStringLiteral(" ORDER BY N"));
        grid->SetCol_SQL(&sql);
        doc.ProbeOn(grid, QStringLiteral("Grade"));
        TProbe* cell = doc.ProbeOn(grid->KVColuna(), QStringLiteral("C"));
        cell->OnPrinted = [this, grid] {
            Cells << grid->Col_DataSet()->FieldByName(QStringLiteral("N"))->AsString();
        };
        doc.Band(QStringLiteral("S"), rbSummary, 100);
        return grid;
    }

    QTemporaryDir FDir;
    QStringList Cells;
};

TEST_F(ColunaRunTest, CellsFillEachColumnDownThenTheNextAndExtraRowsAreLeftOut)
{
    TRunDoc doc;
    TKVColunaSql* grid = Build(doc, QString());
    doc.RunPreview();
    // Order 1: four cells; order 2: six of its eight.
    EXPECT_EQ(Cells.join(QLatin1Char(' ')).toStdString(), "1 2 3 4 1 2 3 4 5 6");
    const TPrintRecord* gridBand = doc.Find(QStringLiteral("Grade"));
    ASSERT_NE(gridBand, nullptr);
    std::vector<const TPrintRecord*> cells;
    for (int i = 0; i < 4; ++i)
        cells.push_back(doc.Find(QStringLiteral("C"), i));
    const long double cellWidth = grid->KVColuna()->Size()->NativeValue(TKVBandSize::kvWidth);
    const int cellHeight = cells[1]->Y - cells[0]->Y;
    EXPECT_GT(cellHeight, 0);
    // Cells 1-3 down the first column from the grid's top-left, cell 4 at the top of the second.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cells[static_cast<size_t>(i)]->X, gridBand->X) << i;
        EXPECT_EQ(cells[static_cast<size_t>(i)]->Y, gridBand->Y + i * cellHeight) << i;
    }
    EXPECT_EQ(cells[3]->X, gridBand->X + static_cast<int>(Round(cellWidth)));
    EXPECT_EQ(cells[3]->Y, gridBand->Y);
    // The page goes on right below the grid band itself.
    const TPrintRecord* nextDetail = doc.Find(QStringLiteral("D"), 1);
    ASSERT_NE(nextDetail, nullptr);
    EXPECT_EQ(nextDetail->Y, gridBand->Y + static_cast<int>(Round(grid->Size()->NativeValue(TKVBandSize::kvHeight))));
    EXPECT_FALSE(grid->KVColuna()->Enabled());
    EXPECT_FALSE(grid->Col_DataSet()->Active());
}

TEST_F(ColunaRunTest, AnEmptyQueryPrintsOnlyTheGridBand)
{
    TRunDoc doc;
    Build(doc, QStringLiteral("AND N > 100"));
    doc.RunPreview();
    EXPECT_TRUE(Cells.isEmpty());
    EXPECT_EQ(doc.Names().count(QStringLiteral("Grade")), 2);
}

TEST_F(ColunaRunTest, PrintingTheGridAgainPreparesItsPrintablesOnce)
{
    TRunDoc doc;
    Build(doc, QString());
    TProbe* probe = nullptr;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* p = dynamic_cast<TProbe*>(doc.Form->Components(i)); p && p->Text == QLatin1String("C"))
            probe = p;
    ASSERT_NE(probe, nullptr);
    doc.RunPreview();
    // Each preparation is undone before the next: one more than the grid's two prints.
    EXPECT_EQ(probe->Prepared, 3);
    EXPECT_EQ(probe->Unprepared, 3);
}

} // namespace
