#include "designer/dialogs/DataGridModel.h"

#include "platform/core/Exceptions.h"
#include "platform/data/Field.h"
#include "platform/ui/Application.h"

#include <algorithm>

namespace tessiv {

namespace {
// Records read at once when a row is not in memory.
constexpr int kBlock = 64;
} // namespace

class TDataGridModel::TLink : public TDataLink {
public:
    explicit TLink(TDataGridModel* model) : FModel(model) {}

protected:
    void ActiveChanged() override { FModel->Changed(true); }
    void DataSetChanged() override { FModel->Changed(true); }
    void DataSetScrolled(int) override { FModel->Changed(false); }
    void RecordChanged(TField*) override { FModel->Changed(false); }
    void EditingChanged() override { FModel->Changed(false); }
    void LayoutChanged() override { FModel->Changed(true); }

private:
    TDataGridModel* FModel;
};

TDataGridModel::TDataGridModel(QObject* parent) : QAbstractTableModel(parent), FLink(std::make_unique<TLink>(this)) {}

TDataGridModel::~TDataGridModel() = default;

TDataSource* TDataGridModel::DataSource() const { return FLink->DataSource(); }

void TDataGridModel::SetDataSource(TDataSource* source)
{
    FLink->SetDataSource(source);
    Changed(true);
}

TDataSet* TDataGridModel::DataSet() const
{
    TDataSet* ds = FLink->DataSet();
    return ds && ds->Active() ? ds : nullptr;
}

void TDataGridModel::Changed(bool records)
{
    // Our own visits to other records are no news.
    if (FReading)
        return;
    TDataSet* ds = DataSet();
    const int insertRow = FInsertRow;
    if (ds && ds->State() == dsInsert) {
        if (FInsertRow < 0)
            FInsertRow = std::max(FLastRecNo - 1, 0);
    } else {
        FInsertRow = -1;
        FLastRecNo = ds ? ds->RecNo() : 0;
    }
    // A move or an edit changes values and the marker; other changes may change the rows. The
    // records are counted only then: the view asks for the row count far more often.
    if (records || insertRow != FInsertRow || (ds != nullptr) != (FRecords >= 0))
        FRecords = ds ? (ds->IsEmpty() ? 0 : ds->RecordCount()) : -1;
    const int rows = RowsNow(), columns = columnCount();
    if (records || rows != FRows || columns != FColumns) {
        beginResetModel();
        FCache.clear();
        FRows = rows;
        FColumns = columns;
        endResetModel();
    } else if (rows > 0 && columns > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
        emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    }
    if (OnDataChanged)
        OnDataChanged();
}

TField* TDataGridModel::FieldOf(int column) const
{
    TDataSet* ds = DataSet();
    if (!ds)
        return nullptr;
    int visible = 0;
    for (int i = 0; i < ds->FieldCount(); ++i)
        if (ds->Fields(i)->Visible && visible++ == column)
            return ds->Fields(i);
    return nullptr;
}

int TDataGridModel::RecordOf(int row) const
{
    if (FInsertRow < 0 || row < FInsertRow)
        return row;
    return row == FInsertRow ? -1 : row - 1;
}

int TDataGridModel::CurrentRow() const
{
    TDataSet* ds = DataSet();
    if (!ds)
        return -1;
    if (ds->State() == dsInsert)
        return FInsertRow;
    return ds->IsEmpty() ? -1 : ds->RecNo() - 1;
}

void TDataGridModel::SetCurrentRow(int row)
{
    TDataSet* ds = DataSet();
    if (!ds || row < 0 || row == CurrentRow())
        return;
    const int record = RecordOf(row);
    ds->CheckBrowseMode();
    if (record >= 0)
        ds->SetRecNo(record + 1);
}

int TDataGridModel::RowsNow() const
{
    TDataSet* ds = DataSet();
    if (!ds || FRecords < 0)
        return 0;
    return FRecords + (FInsertRow >= 0 ? 1 : 0);
}

int TDataGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FRows;
}

int TDataGridModel::columnCount(const QModelIndex& parent) const
{
    TDataSet* ds = DataSet();
    if (parent.isValid() || !ds)
        return 0;
    int n = 0;
    for (int i = 0; i < ds->FieldCount(); ++i)
        n += ds->Fields(i)->Visible ? 1 : 0;
    return n;
}

const QStringList* TDataGridModel::CachedRow(int record) const
{
    if (auto it = FCache.find(record); it != FCache.end())
        return &it->second;
    TDataSet* ds = DataSet();
    // Another record can only be visited while no edit is pending.
    if (!ds || ds->State() != dsBrowse)
        return nullptr;
    FReading = true;
    const int back = ds->RecNo();
    ds->DisableControls();
    try {
        ds->SetRecNo(record + 1);
        for (int n = 0; n < kBlock && !ds->Eof() && ds->RecNo() == record + n + 1; ++n) {
            QStringList values;
            for (int i = 0; i < ds->FieldCount(); ++i)
                if (ds->Fields(i)->Visible)
                    values << ds->Fields(i)->DisplayText();
            FCache[record + n] = values;
            ds->Next();
        }
        if (back > 0)
            ds->SetRecNo(back);
    } catch (const Exception&) {
        // A record that cannot be read shows empty; the data set says why when it is visited.
    }
    ds->EnableControls();
    FReading = false;
    auto it = FCache.find(record);
    return it == FCache.end() ? nullptr : &it->second;
}

QVariant TDataGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    TDataSet* ds = DataSet();
    TField* field = FieldOf(index.column());
    if (!ds || !field)
        return {};
    // The current record shows the fields themselves: an edit in progress included.
    if (index.row() == CurrentRow())
        return role == Qt::EditRole ? field->Text() : field->DisplayText();
    const int record = RecordOf(index.row());
    if (record < 0)
        return {};
    const QStringList* row = CachedRow(record);
    return row && index.column() < row->size() ? QVariant(row->at(index.column())) : QVariant();
}

bool TDataGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    TDataSet* ds = DataSet();
    TField* field = FieldOf(index.column());
    if (!ds || !field)
        return false;
    return Application().Guard([&] {
        SetCurrentRow(index.row());
        if (ds->State() == dsBrowse)
            ds->Edit();
        field->SetText(value.toString());
    });
}

QVariant TDataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical) {
        // The current record is marked, as the class library's grid does with its indicator.
        if (section == CurrentRow()) {
            TDataSet* ds = DataSet();
            const bool editing = ds && (ds->State() == dsEdit || ds->State() == dsInsert);
            return editing ? QStringLiteral("I") : QStringLiteral("▶");
        }
        return QString();
    }
    TField* field = FieldOf(section);
    return field ? QVariant(field->DisplayLabel()) : QVariant();
}

Qt::ItemFlags TDataGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    TDataSet* ds = DataSet();
    TField* field = FieldOf(index.column());
    if (ds && field && ds->CanModify() && !field->ReadOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace tessiv
