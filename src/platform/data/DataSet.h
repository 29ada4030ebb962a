#pragma once
// TDataSet: an ordered set of records read through a cursor, with a current record, the fields of
// its columns, a filter we evaluate ourselves, bookmarks, editing, and the data sources and links
// that follow it. Subclasses give the cursor (OpenCursor/FetchRow) and write the edits.

#include "platform/core/Collection.h"
#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/data/Field.h"

#include <QVariant>

#include <deque>
#include <memory>
#include <vector>

namespace tessiv {

class TDataSource;
class TDataLink;
class TFilterExpression;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter };
enum TDataEvent { deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
                  deUpdateRecord, deUpdateState, deCheckBrowseMode };
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;
const TEnumInfo& FilterOptionInfo();

// A bookmark names a record of an open dataset; -1 is none.
using TBookmark = int;
constexpr TBookmark kNoBookmark = -1;

class TFieldDef : public TCollectionItem {
    TESSIV_CLASS(TFieldDef, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int Precision = 0;
    bool Required = false;
    QString DisplayName() const override { return Name; }
};

class TFieldDefs : public TCollection {
public:
    explicit TFieldDefs(TPersistent* owner);
    TFieldDef* Items(int index) const { return static_cast<TFieldDef*>(TCollection::Items(index)); }
    TFieldDef* Find(const QString& name) const;
    void Add(const QString& name, TFieldType type, int size, bool required);
};

class TDataSet : public TComponent {
    TESSIV_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* owner);
    ~TDataSet() override;

    bool Active() const { return FState != dsInactive; }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }

    void First();
    void Next();
    void Prior();
    void Last();
    int MoveBy(int distance);
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    bool IsEmpty() const;
    int RecordCount();
    int RecNo() const;
    void SetRecNo(int recNo);
    void Refresh();

    void DisableControls() { ++FDisableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    TBookmark GetBookmark() const;
    void GotoBookmark(TBookmark bookmark);
    bool BookmarkValid(TBookmark bookmark) const;
    void FreeBookmark(TBookmark) {}

    // Fields in order. FieldByName raises "Field 'X' not found"; FindField gives nil.
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int index) const;
    TField* FieldByName(const QString& name) const;
    TField* FindField(const QString& name) const;
    void GetFieldNames(QStringList& names) const;
    // True when the fields are made anew at every open (no persistent fields were defined).
    bool DefaultFields() const { return FDefaultFields; }
    TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }

    QString Filter() const { return FFilter; }
    void SetFilter(const QString& text);
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool value);
    TFilterOptions FilterOptions() const { return FFilterOptions; }
    void SetFilterOptions(TFilterOptions options);

    // Editing.
    virtual bool CanModify() const { return false; }
    void Edit();
    void Insert();
    void Append();
    void Delete();
    void Post();
    void Cancel();
    void CheckBrowseMode();

    // Data sources and links.
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    bool IsLinkedTo(const TDataSource* source) const;

    // Events (published).
    using TDataSetNotifyEvent = TEvent<void(TDataSet*)>;
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert,
        BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete,
        AfterDelete, BeforeScroll, AfterScroll, OnCalcFields, OnNewRecord;
    TEvent<void(TDataSet*, bool& accept)> OnFilterRecord;
    TEvent<void(TDataSet*, const Exception&, int& action)> OnDeleteError, OnEditError, OnPostError;
    bool AutoCalcFields = true;

    // Field access, for the fields.
    const QVariant& FieldValue(const TField* field) const;
    void SetFieldValue(TField* field, const QVariant& value);

    void Notification(TComponent* component, TOperation operation) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void Loaded() override;
    // The persistent field list changes as fields are given a dataset.
    void AttachField(TField* field);
    void DetachField(TField* field);

protected:
    struct TColumn {
        QString Name;
        TColumnType Type;
        bool Required = false;
        bool Hidden = false; // read with the records but given no field (a row's own id)
    };
    // Runs the statement; fills the columns of the result.
    virtual void OpenCursor(std::vector<TColumn>& columns) = 0;
    // The next row of raw driver values, one per column; false at the end.
    virtual bool FetchRow(std::vector<QVariant>& row) = 0;
    virtual void CloseCursor() = 0;
    // Write an edit through to the database; the values are in the fields' stored form.
    // An insert may fill in columns the database gave the new row (a hidden row id).
    virtual void ApplyInsert(std::vector<QVariant>& values);
    virtual void ApplyUpdate(const std::vector<QVariant>& oldValues, const std::vector<QVariant>& values);
    virtual void ApplyDelete(const std::vector<QVariant>& values);
    // Called with the dataset open and its fields made; a subclass may adjust them.
    virtual void AfterFieldsCreated() {}
    // Puts the cursor so that the next FetchRow gives the row of that number (0 the first), by
    // running the statement again when it cannot go back. Used to re-read what left the window.
    virtual void SeekCursor(int row);
    // The number of rows of the statement counted by the database; -1 when it cannot tell.
    virtual std::int64_t CountRows() { return -1; }

    void DataEvent(TDataEvent event, TField* field = nullptr);
    [[noreturn]] void DatabaseError(const QString& message) const;
    void CheckActive() const;
    void CheckInactive() const;
    int ColumnIndex(const QString& name) const;
    const std::vector<TColumn>& Columns() const { return FColumns; }
    // Opening: the subclass may raise; everything is cleaned up.
    void DoOpen();
    void DoClose();
    bool FetchAll();

public:
    // How many records an open dataset keeps in memory at most; the others are read again from
    // the database when they are visited. Large scans so take the same memory as small ones.
    static int RecordWindow();
    static void SetRecordWindow(int rows);

private:
    friend class TField;
    bool FetchOne();
    bool FetchRaw();
    void StoreRow(std::vector<QVariant>& row);
    bool Resident(int row);
    std::vector<QVariant>& RowRef(int row);
    void SeekTo(int row);
    void ResetScan();
    bool EnsureVisible(int position);
    bool Accept(const std::vector<QVariant>& row);
    void RebuildVisible();
    [[noreturn]] void FilterFailed(const Exception& e) const;
    void ChangeFilter(const std::function<void()>& change, bool rescan);
    void Requery(int position);
    void CreateFields();
    void ClearDefaultFields();
    void CompileFilter();
    void SetState(TDataSetState state);
    void Scrolled(int oldPos);
    const std::vector<QVariant>* ActiveRow() const;

    TDataSetState FState = dsInactive;
    std::vector<TColumn> FColumns;
    std::vector<TField*> FFields;              // in order; default and persistent alike
    bool FDefaultFields = true;
    std::unique_ptr<TFieldDefs> FFieldDefs;
    // The window of records in memory: rows FBase to FBase + size - 1 of the cursor's result (a
    // deleted one is left empty). FFetched is the number of the row the cursor gives next,
    // FScanned how many rows have been tested against the filter; FVisible holds the numbers of
    // those that passed, in order. Once rows have left the window (FSlid) they are read again.
    std::deque<std::vector<QVariant>> FRows;
    std::vector<QVariant> FSpareRow;         // the last row let go, for its storage
    std::vector<unsigned char> FColumnHeld; // StoreRow's: which columns a field holds
    int FBase = 0;
    int FFetched = 0;
    int FScanned = 0;
    bool FSlid = false;
    std::vector<int> FVisible;
    int FCur = -1;                             // index into FVisible
    bool FEof = true;
    bool FBof = true;
    bool FAllFetched = true;
    const std::vector<QVariant>* FProbe = nullptr; // a row being filtered
    std::vector<QVariant> FEditBuffer;
    int FDisableCount = 0;
    bool FPendingChange = false;
    QString FFilter;
    bool FFiltered = false;
    TFilterOptions FFilterOptions;
    std::unique_ptr<TFilterExpression> FFilterExpr;
    std::vector<TDataSource*> FDataSources;
    bool FStreamedActive = false;
    bool FOpening = false;
};


class TDataSource : public TComponent {
    TESSIV_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* owner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* dataSet);
    TDataSetState State() const;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool AutoEdit = true;

    TEvent<void(TDataSource*, TField*)> OnDataChange;
    TEvent<void(TDataSource*)> OnStateChange;
    TEvent<void(TDataSource*)> OnUpdateData;

    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TDataSet;
    void DataEvent(TDataEvent event, TField* field, int info);
    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    std::vector<TDataLink*> FLinks;
    TDataSetState FLastState = dsInactive;
};

// Told when the dataset of its data source opens or closes, moves, or changes.
class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    bool Active() const { return FActive; }

protected:
    friend class TDataSource;
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}
    virtual void DataSetScrolled(int distance) { DataSetChanged(); }
    virtual void RecordChanged(TField* field) {}
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }

private:
    void DataEvent(TDataEvent event, TField* field, int info);
    void UpdateActive();
    TDataSource* FDataSource = nullptr;
    bool FActive = false;
};

} // namespace tessiv
