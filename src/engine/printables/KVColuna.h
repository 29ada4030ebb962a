#pragma once
// The column grid: a child band that prints the rows of its own query as cells, down Linhas rows
// and then across Colunas columns, with one cell band (TKVColuna) holding the printables of a
// cell. The query takes its parameters from the report's current record. Under an item area the
// cells print only with the last page of the area's block, so once per group.

#include "engine/printables/KVAreaQuery.h"
#include "engine/model/KVBands.h"
#include "engine/run/KVRunHooks.h"

#include <algorithm>

namespace tessiv {

class TKVColuna;
class TQuery;

class TKVColunaSql : public TKVChildBand, public TKVColumnGridRun {
    TESSIV_CLASS(TKVColunaSql, TKVChildBand)
public:
    // 100 pixels high.
    explicit TKVColunaSql(TComponent* owner);
    // Frees the cell band (marked first), the query and its data source.
    ~TKVColunaSql() override;

    // ---- published ----
    int Linhas() const override { return std::max(FLinhas, 1); }
    int StoredLinhas() const { return FLinhas; }
    // Below 1 becomes 1; a change gives the cell the grid's height div Linhas.
    void SetLinhas(int value);
    int Colunas() const override { return std::max(FColunas, 1); }
    int StoredColunas() const { return FColunas; }
    // Below 1 becomes 1; a change gives the cell the grid's width div Colunas.
    void SetColunas(int value);
    TKVColuna* KVColuna() const { return FCell; }
    void SetKVColuna(TKVColuna* value);
    const QString& KVColunaName() const { return FCellName; }
    void SetKVColunaName(const QString& value);
    TStrings* Col_SQL() const { return FQuery.SQL(); }
    // As the item area's observation SQL, with a query named from "quCol" and a data source from
    // "dsColReport".
    void SetCol_SQL(const TStrings* value) { FQuery.SetSQL(value, FReady); }
    TQuery* Col_DataSet() const { return FQuery.Query(); }
    void SetCol_DataSet(TQuery* value) { FQuery.SetQuery(value); }
    const QString& Col_DataSetName() const { return FQuery.QueryName(); }
    void SetCol_DataSetName(const QString& value) { FQuery.SetQueryName(value); }
    TDataSource* Col_DataSource() const { return FQuery.Source(); }
    void SetCol_DataSource(TDataSource* value) { FQuery.SetSource(value); }
    const QString& Col_DataSourceName() const { return FQuery.SourceName(); }
    void SetCol_DataSourceName(const QString& value) { FQuery.SetSourceName(value); }
    // Stored with the band; the printing does not use it.
    TKVGroup* ParentGroup() const { return FParentGroup; }
    void SetParentGroup(TKVGroup* value);

    bool Ready() const { return FReady; }
    // A cell's width in pixels: the grid's width div Colunas.
    int CellPixelWidth() const { return Width() / Colunas(); }
    TVardoRep* OwnReport() const { return FQuery.OwnReport(); }

    // ---- the run (TKVColumnGridRun) ----
    TKVColumnGridRun* AsColumnGrid() override { return this; }
    void SetCellOrigin(int x, int y) override
    {
        FOriginX = x;
        FOriginY = y;
    }
    int CellOriginX() const override { return FOriginX; }
    int CellOriginY() const override { return FOriginY; }
    TDataSet* ColumnQuery() const override;
    TKVCustomBand* CellBand() const override;
    long double CellWidth() const override;
    // The grid's printables again for the rows just opened: unprepared first, so nothing is
    // prepared twice.
    void PrepareCells() override;

    void SetParent(TWinControl* parent) override;
    void CopyFrom(TKVBasePanel* source) override;
    void Loaded() override;
    void BandRemoved(TKVCustomBand* band) override;
    QString DesignCaption() const override { return QStringLiteral("Colunas"); }

    // The cell's height changed: the rows follow.
    void CellResized(TKVColuna* cell);

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void ParentBandChanged() override;

private:
    void CreateCell();
    void SizeCell(int width, int height);

    int FLinhas = 0;
    int FColunas = 0;
    TKVColuna* FCell = nullptr;
    QString FCellName;
    TKVGroup* FParentGroup = nullptr;
    TKVAreaQuery FQuery;
    int FOriginX = 0;
    int FOriginY = 0;
    bool FReady = false;
    bool FAdjusting = false;
    bool FDestroying = false;
};

// The cell of a column grid: prints once per row of the grid's query.
class TKVColuna : public TKVCustomBand, public TKVAreaPart {
    TESSIV_CLASS(TKVColuna, TKVCustomBand)
public:
    explicit TKVColuna(TComponent* owner);
    bool MayBeDestroyedAlone() const override;
    void AllowDestroy() { FMayDestroy = true; }
    TKVColunaSql* Grid() const { return dynamic_cast<TKVColunaSql*>(Parent()); }

    TKVColumnGridRun* CellGrid() override { return Grid(); }
    // Refuses the band itself; in a grid the band becomes the grid's cell.
    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    bool TakesBoundsAsGiven() const override { return true; }
    bool PlaceInLayout(int columnWidth) override;
    void Loaded() override;
    QString DesignCaption() const override { return QStringLiteral("Item Coluna"); }
    // Aligned to the grid's top, a cell wide; its height sets the grid's rows.
    void Adjust();
    // Width and height in pixels through the band's size.
    void SetPixelSize(int width, int height);

private:
    bool FMayDestroy = true;
    bool FAdjusting = false;
};

} // namespace tessiv
