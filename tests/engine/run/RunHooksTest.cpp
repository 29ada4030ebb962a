// The run's side of the item area and the column grid: when the record loop calls an item area,
// where item lines print, and how a column grid as a child band lays its query's rows out. The
// area and the grid here are stand-ins that note what they are asked; the real bands answer the
// same calls.

#include "RunFixture.h"

#include "engine/model/KVBands.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

class TFakeArea : public TKVItemAreaRun {
public:
    explicit TFakeArea(QStringList* log) : FLog(log) {}
    bool HasParentBand() const override { return true; }
    void ResetRunCounters() override { *FLog << QStringLiteral("reset"); }
    void AddPrintedLines(int delta) override { *FLog << QStringLiteral("line%1").arg(delta); }
    void CountIfDue() override { *FLog << QStringLiteral("count"); }
    bool ItemAreaBreak(int y) override
    {
        *FLog << QStringLiteral("break@%1").arg(y);
        return false;
    }
    void PrintObservations() override { *FLog << QStringLiteral("obs"); }
    int LineCursor() const override { return Cursor; }
    void SetLineCursor(int y) override { Cursor = y; }
    bool IsLastPage() const override { return true; }
    int Cursor = 0;

private:
    QStringList* FLog;
};

// An items band: the detail of its level, printed only at the area's line cursor.
class TFakeItems : public TKVBand {
public:
    TFakeItems(TComponent* owner, TFakeArea* area) : TKVBand(owner), FArea(area) {}
    TKVItemAreaRun* ItemArea() override { return FArea; }

private:
    TFakeArea* FArea;
};

class RunHooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        UseSessionIn(FDir.path());
        QString error;
        ASSERT_TRUE(MakeSqliteAlias(QStringLiteral("HOOKS"), FDir.filePath(QStringLiteral("hooks.db")),
                                    {QStringLiteral("CREATE TABLE PEDIDOS (ID INTEGER PRIMARY KEY, CLIENTE VARCHAR(1))"),
                                     QStringLiteral("INSERT INTO PEDIDOS VALUES (1, 'A'), (2, 'A'), (3, 'B')"),
                                     QStringLiteral("CREATE TABLE CELULAS (ID INTEGER PRIMARY KEY)"),
                                     QStringLiteral("INSERT INTO CELULAS VALUES (1), (2), (3), (4), (5)")},
                                    &error))
            << error.toStdString();
    }

    // An items band on the report, the detail of the main level, disabled but for its lines.
    TFakeItems* AddItems(TRunDoc& doc, TFakeArea& area)
    {
        auto* items = new TFakeItems(doc.Form.get(), &area);
        items->SetName(QStringLiteral("Itens"));
        items->SetParent(doc.Report);
        items->SetBandType(rbDetail);
        items->Size()->SetHeight(50);
        items->SetEnabled(false);
        doc.ProbeOn(items, QStringLiteral("D"));
        return items;
    }

    template <class D>
    D* Open(TRunDoc& doc, const QString& name, const QString& table)
    {
        auto* d = new D(doc.Form.get());
        d->SetName(name);
        d->SetDatabaseName(QStringLiteral("HOOKS"));
        if constexpr (std::is_same_v<D, TTable>) {
            d->SetTableName(table);
            d->Open();
        } else {
            d->SQL()->SetText(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY ID"));
        }
        return d;
    }

    QTemporaryDir FDir;
};

TEST_F(RunHooksTest, TheItemModeLoopAsksTheAreaInItsOrderAndPrintsLinesAtTheCursor)
{
    TRunDoc doc;
    QStringList log;
    TFakeArea area(&log);
    doc.Report->SetDataSet(Open<TTable>(doc, QStringLiteral("Pedidos"), QStringLiteral("PEDIDOS")));
    TKVGroup* group = doc.Group(QStringLiteral("G"), QStringLiteral("[CLIENTE]"), 300);
    TFakeItems* items = AddItems(doc, area);
    group->SetFooterBand(doc.Band(QStringLiteral("F"), rbGroupFooter, 100));
    // The group header reprints the area: the cursor goes back to the area's top, below the
    // header's first 100.
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i))) {
            const QString name = probe->Text;
            probe->OnPrinted = [&log, &area, name, &doc] {
                log << name + QLatin1Char('@') + QString::number(doc.Report->CurrentY());
                if (name == QLatin1String("G"))
                    area.SetLineCursor(doc.Report->CurrentY() + 100);
            };
        }
    doc.RunPreview();
    // Lines print one below the other from the cursor, while the report's own position stays
    // below the header; the band is enabled only for its line.
    EXPECT_EQ(log.join(QLatin1Char(' ')).toStdString(),
              "reset line1 count break@100 G@100 D@200 line1 count break@400 D@250 obs F@400 reset "
              "line1 count break@500 G@500 D@600 obs line1 break@800 F@800");
    EXPECT_FALSE(items->Enabled());
    EXPECT_EQ(area.Cursor, 650);
}

TEST_F(RunHooksTest, AnItemLineBelowWhereTheReportReachedIsDropped)
{
    TRunDoc doc;
    QStringList log;
    TFakeArea area(&log);
    doc.Report->SetQuantidade(2);
    AddItems(doc, area);
    area.Cursor = 5000;
    doc.RunPreview();
    EXPECT_TRUE(doc.Names().isEmpty());
    EXPECT_EQ(area.Cursor, 5000);
}

TEST_F(RunHooksTest, ItemLinesOfAnAreaNearThePageEndStayInTheArea)
{
    TRunDoc doc;
    QStringList log;
    TFakeArea area(&log);
    doc.Report->SetDataSet(Open<TTable>(doc, QStringLiteral("Pedidos"), QStringLiteral("PEDIDOS")));
    // The header with its area ends 70 above the page's end: an item band of 100 would not fit
    // below it, but its lines print inside the area.
    doc.Group(QStringLiteral("G"), QStringLiteral("[CLIENTE]"), 2700);
    TFakeItems* items = AddItems(doc, area);
    items->Size()->SetHeight(100);
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i)); probe && probe->Text == QLatin1String("G"))
            probe->OnPrinted = [&area, &doc] { area.SetLineCursor(doc.Report->CurrentY() + 100); };
    doc.RunPreview();
    QStringList placed;
    for (const TPrintRecord& r : doc.Log)
        placed << QStringLiteral("%1@%2 %3").arg(r.Name).arg(r.Page).arg(r.Y);
    EXPECT_EQ(placed.join(QStringLiteral(" | ")).toStdString(), "G@1 100 | D@1 200 | D@1 300 | G@2 100 | D@2 200");
}

// A column grid: a child band whose cell band prints the grid query's rows, down the rows of a
// column and then across.
class TFakeGrid : public TKVChildBand, public TKVColumnGridRun {
public:
    using TKVChildBand::TKVChildBand;
    TKVColumnGridRun* AsColumnGrid() override { return this; }
    void SetCellOrigin(int x, int y) override
    {
        FOriginX = x;
        FOriginY = y;
    }
    int CellOriginX() const override { return FOriginX; }
    int CellOriginY() const override { return FOriginY; }
    TDataSet* ColumnQuery() const override { return Query; }
    TKVCustomBand* CellBand() const override { return Cell; }
    int Linhas() const override { return 2; }
    int Colunas() const override { return 2; }
    long double CellWidth() const override { return 400; }
    void PrepareCells() override { ++Prepared; }
    // The grid passes its cell band: the cells start where the grid band printed.
    void Print() override
    {
        const int x = ParentReport()->CurrentX();
        const int y = ParentReport()->CurrentY();
        TKVChildBand::Print();
        SetCellOrigin(x, y);
    }

    TQuery* Query = nullptr;
    TKVCustomBand* Cell = nullptr;
    int Prepared = 0;

private:
    int FOriginX = 0;
    int FOriginY = 0;
};

TEST_F(RunHooksTest, AColumnGridChildPrintsItsRowsDownThenAcrossAndGivesThePositionBack)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("D"), rbDetail, 200);
    auto* grid = new TFakeGrid(doc.Form.get());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(doc.Report);
    grid->SetParentBand(detail);
    grid->Size()->SetHeight(50);
    doc.ProbeOn(grid, QStringLiteral("Grade"));
    TKVBand* cell = doc.Band(QStringLiteral("Celula"), rbOverlay, 120);
    cell->SetEnabled(false);
    grid->Cell = cell;
    grid->Query = Open<TQuery>(doc, QStringLiteral("Celulas"), QStringLiteral("CELULAS"));
    doc.Band(QStringLiteral("S"), rbSummary, 100);
    doc.Report->SetQuantidade(1);
    doc.RunPreview();
    // Five rows, two rows by two columns: four cells; then the summary right after the grid band.
    QStringList placed;
    for (const TPrintRecord& r : doc.Log)
        placed << QStringLiteral("%1 %2,%3").arg(r.Name).arg(r.X).arg(r.Y);
    EXPECT_EQ(placed.join(QStringLiteral(" | ")).toStdString(),
              "D 100,100 | Grade 100,300 | Celula 100,300 | Celula 100,420 | Celula 500,300 | Celula 500,420 | "
              "S 100,350");
    EXPECT_EQ(grid->Prepared, 1);
    EXPECT_FALSE(cell->Enabled());
    EXPECT_FALSE(grid->Query->Active());
}

} // namespace
