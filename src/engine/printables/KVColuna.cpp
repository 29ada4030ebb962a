#include "engine/printables/KVColuna.h"

#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"

namespace tessiv {

// ---- TKVColunaSql -----------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVColunaSql, TKVChildBand,
    t.Integer(QStringLiteral("Linhas"), &TKVColunaSql::StoredLinhas, &TKVColunaSql::SetLinhas);
    t.Integer(QStringLiteral("Colunas"), &TKVColunaSql::StoredColunas, &TKVColunaSql::SetColunas);
    t.Reference<TKVColuna>(QStringLiteral("KVColuna"), &TKVColunaSql::KVColuna, &TKVColunaSql::SetKVColuna);
    t.String(QStringLiteral("KVColunaName"), &TKVColunaSql::KVColunaName, &TKVColunaSql::SetKVColunaName);
    t.Object<TStrings>(QStringLiteral("Col_SQL"), &TKVColunaSql::Col_SQL);
    t.Reference<TQuery>(QStringLiteral("Col_DataSet"), &TKVColunaSql::Col_DataSet, &TKVColunaSql::SetCol_DataSet);
    t.String(QStringLiteral("Col_DataSetName"), &TKVColunaSql::Col_DataSetName, &TKVColunaSql::SetCol_DataSetName);
    t.Reference<TDataSource>(QStringLiteral("Col_DataSource"), &TKVColunaSql::Col_DataSource,
                             &TKVColunaSql::SetCol_DataSource);
    t.String(QStringLiteral("Col_DataSourceName"), &TKVColunaSql::Col_DataSourceName,
             &TKVColunaSql::SetCol_DataSourceName);
    t.Reference<TKVGroup>(QStringLiteral("ParentGroup"), &TKVColunaSql::ParentGroup, &TKVColunaSql::SetParentGroup);
)

TKVColunaSql::TKVColunaSql(TComponent* owner)
    : TKVChildBand(owner), FQuery(this, QStringLiteral("quCol"), QStringLiteral("dsColReport"))
{
    TKVBasePanel::SetBounds(Left(), Top(), Width(), 100);
}

TKVColunaSql::~TKVColunaSql()
{
    FDestroying = true;
    FQuery.Release();
    if (TKVColuna* cell = FCell) {
        FCell = nullptr;
        cell->AllowDestroy();
        if (!cell->ComponentState().Contains(csDestroying))
            cell->Free();
    }
}

void TKVColunaSql::SizeCell(int width, int height)
{
    if (!FCell)
        return;
    FAdjusting = true;
    try {
        FCell->SetPixelSize(width, height);
    } catch (...) {
        FAdjusting = false;
        throw;
    }
    FAdjusting = false;
}

void TKVColunaSql::SetLinhas(int value)
{
    value = std::max(value, 1);
    if (value == FLinhas)
        return;
    FLinhas = value;
    if (!ComponentState().Contains(csLoading) && FCell)
        SizeCell(FCell->Width(), std::max(Height() / FLinhas, 1));
}

void TKVColunaSql::SetColunas(int value)
{
    value = std::max(value, 1);
    if (value == FColunas)
        return;
    FColunas = value;
    if (!ComponentState().Contains(csLoading) && FCell)
        SizeCell(std::max(CellPixelWidth(), 1), FCell->Height());
}

void TKVColunaSql::SetKVColuna(TKVColuna* value)
{
    FCell = value;
    if (value)
        value->FreeNotification(this);
}

void TKVColunaSql::SetKVColunaName(const QString& value)
{
    FCellName = value;
    if (OwnReport() && Owner())
        SetKVColuna(dynamic_cast<TKVColuna*>(Owner()->FindComponent(value)));
}

void TKVColunaSql::SetParentGroup(TKVGroup* value)
{
    FParentGroup = value;
    if (value)
        value->FreeNotification(this);
}

TDataSet* TKVColunaSql::ColumnQuery() const
{
    return FQuery.Query();
}

TKVCustomBand* TKVColunaSql::CellBand() const
{
    return FCell;
}

long double TKVColunaSql::CellWidth() const
{
    return FCell ? FCell->Size()->NativeValue(TKVBandSize::kvWidth) : 0;
}

void TKVColunaSql::PrepareCells()
{
    UnprepareControls();
    PrepareControls();
}

void TKVColunaSql::SetParent(TWinControl* parent)
{
    TKVChildBand::SetParent(parent);
    if (ComponentState().Contains(csLoading))
        return;
    if (FCell && FCell->Parent() == this && FCell->ParentReport() != ParentReport())
        FCell->SetParent(this);
    if (!FReady && OwnReport()) {
        CreateCell();
        FReady = true;
    }
}

void TKVColunaSql::CreateCell()
{
    TComponent* const owner = Owner();
    if (!owner)
        return;
    auto* cell = new TKVColuna(owner);
    try {
        cell->SetEnabled(false);
        cell->SetParent(this);
        SetLinhas(2);
        SetColunas(2);
        cell->SetName(MakeUniqueComponentName(owner, QStringLiteral("ItemColuna")));
    } catch (...) {
        cell->AllowDestroy();
        cell->Free();
        throw;
    }
    FCellName = cell->Name();
    FReady = true;
    SizeCell(std::max(CellPixelWidth(), 1), std::max(Height() / Linhas(), 1));
}

void TKVColunaSql::CellResized(TKVColuna* cell)
{
    if (!FReady || FAdjusting || cell != FCell)
        return;
    const int n = Height() / std::max(cell->Height(), 1);
    if (n == FLinhas)
        SizeCell(cell->Width(), std::max(Height() / std::max(n, 1), 1));
    else
        SetLinhas(n);
}

void TKVColunaSql::CopyFrom(TKVBasePanel* source)
{
    TKVChildBand::CopyFrom(source);
    auto* src = dynamic_cast<TKVColunaSql*>(source);
    if (!src)
        return;
    SetKVColunaName(src->FCellName);
    SetCol_DataSourceName(src->Col_DataSourceName());
    SetCol_DataSetName(src->Col_DataSetName());
    Col_SQL()->Assign(src->Col_SQL());
    SetLinhas(src->FLinhas);
    SetColunas(src->FColunas);
}

void TKVColunaSql::Loaded()
{
    TKVChildBand::Loaded();
    FReady = true;
}

void TKVColunaSql::BandRemoved(TKVCustomBand* band)
{
    if (band && band == ParentBand() && band->Parent() != nullptr && !band->ComponentState().Contains(csDestroying))
        SetParentBand(nullptr);
}

void TKVColunaSql::ParentBandChanged()
{
    SetParentGroup(GroupAbove());
}

void TKVColunaSql::Notification(TComponent* component, TOperation operation)
{
    TKVChildBand::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    FQuery.Forget(component);
    if (component == FCell)
        FCell = nullptr;
    if (component == FParentGroup)
        FParentGroup = nullptr;
}

// ---- TKVColuna --------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVColuna, TKVCustomBand)

TKVColuna::TKVColuna(TComponent* owner) : TKVCustomBand(owner)
{
    SetBandType(rbDetail);
}

bool TKVColuna::MayBeDestroyedAlone() const
{
    const TVardoRep* report = ParentReport();
    return FMayDestroy || !report || report->Owner() != Owner();
}

void TKVColuna::SetParent(TWinControl* parent)
{
    if (parent == this)
        throw EInvalidOperation(QStringLiteral("A propriedade \"parent\" não pode ser igual ao abjeto."));
    // Taken off (nil) or placed on a band, the band leaves the report's list as a nested band.
    if (!dynamic_cast<TVardoRep*>(parent))
        SetNestedParent(parent);
    else
        TKVCustomBand::SetParent(parent);
    auto* grid = dynamic_cast<TKVColunaSql*>(parent);
    if (!grid || ComponentState().Contains(csLoading))
        return;
    grid->SetKVColuna(this);
    FMayDestroy = false;
    Adjust();
}

void TKVColuna::SetPixelSize(int width, int height)
{
    TKVBandSize* size = Size();
    size->PushPixelUnits();
    const bool was = FAdjusting;
    FAdjusting = true;
    try {
        if (Round(size->Width()) != std::max(width, 1))
            size->SetWidth(std::max(width, 1));
        if (Round(size->Height()) != std::max(height, 1))
            size->SetHeight(std::max(height, 1));
        else
            size->Update();
    } catch (...) {
        FAdjusting = was;
        size->PopUnits();
        throw;
    }
    FAdjusting = was;
    size->PopUnits();
    TKVBasePanel::SetBounds(0, 0, Width(), Height());
}

void TKVColuna::Adjust()
{
    TKVColunaSql* grid = Grid();
    if (!grid || FAdjusting)
        return;
    const int width = grid->CellPixelWidth();
    SetPixelSize(width > 0 ? width : Width(), Height());
    grid->CellResized(this);
}

void TKVColuna::SetBounds(int left, int top, int width, int height)
{
    TKVColunaSql* grid = Grid();
    if (!grid || FAdjusting || Size()->Updating() || ComponentState().Contains(csLoading)) {
        TKVBasePanel::SetBounds(left, top, width, height);
        return;
    }
    // A resize on the design surface: the height is the cell's, the width the grid's share.
    SetPixelSize(grid->CellPixelWidth() > 0 ? grid->CellPixelWidth() : Width(), height);
    Adjust();
}

bool TKVColuna::PlaceInLayout(int)
{
    TKVColunaSql* grid = Grid();
    if (!grid)
        return false;
    const int columns = grid->StoredColunas() > 0 ? grid->StoredColunas() : 2;
    SetPixelSize(grid->Width() / columns, Height());
    return true;
}

void TKVColuna::Loaded()
{
    TKVCustomBand::Loaded();
    FMayDestroy = false;
    if (TKVColunaSql* grid = Grid(); grid && !grid->KVColuna())
        grid->SetKVColuna(this);
    Adjust();
}

} // namespace tessiv
