#pragma once
// The records of a data source as a Qt table model, for the data grid: one column per visible
// field, one row per record, the record being inserted shown where it goes. The data set's current
// record is the grid's current row; editing a cell puts the data set into edit (moving to that
// record first) and sets the field from the text, so the data set's own rules check the value.
// Rows other than the current one are read by visiting them with the data set's controls held, a
// block at a time, and kept until the data set changes.

#include "platform/data/DataSet.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

namespace tessiv {

class TDataGridModel : public QAbstractTableModel {
public:
    explicit TDataGridModel(QObject* parent = nullptr);
    ~TDataGridModel() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;

    // The row of the data set's current record (the inserted one while inserting); -1 without.
    int CurrentRow() const;
    // Makes the record of a row the current one; an edit of another record is posted first.
    void SetCurrentRow(int row);
    // Told when the data set moved, changed state or changed its records.
    std::function<void()> OnDataChanged;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    class TLink;
    friend class TLink;
    // records: the set of records may have changed (else only values, state or position).
    void Changed(bool records);
    TField* FieldOf(int column) const;
    // The record a row shows; -1 for the inserted one.
    int RecordOf(int row) const;
    const QStringList* CachedRow(int record) const;
    std::unique_ptr<TLink> FLink;
    mutable std::map<int, QStringList> FCache;
    mutable bool FReading = false;
    int FInsertRow = -1;
    int FLastRecNo = 0;
    int RowsNow() const;
    int FRecords = -1; // records of the data set as last counted; -1 without an open one
    int FRows = 0;
    int FColumns = 0;
};

} // namespace tessiv
