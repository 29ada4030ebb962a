#pragma once
// Datasets over a database: TTable (a whole table, optionally in an index's order) and TQuery (an
// SQL statement with parameters, which may take them from a master data source).

#include "platform/core/Strings.h"
#include "platform/data/DataSet.h"
#include "platform/data/ServerWait.h"
#include "platform/data/Database.h"

#include <QSqlQuery>

#include <functional>
#include <memory>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace tessiv {

enum TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };
enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
enum TTableType { ttDefault, ttParadox, ttDBase, ttASCII, ttFoxPro };

class TDBDataSet : public TDataSet {
    TESSIV_CLASS(TDBDataSet, TDataSet)
public:
    explicit TDBDataSet(TComponent* owner);
    ~TDBDataSet() override;

    QString DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString& name);
    // The database the open dataset runs on; nil while closed.
    TDatabase* Database() const { return FDatabase; }
    QString SessionName;
    TUpdateMode UpdateMode = upWhereAll;
    bool CachedUpdates = false;
    bool ObjectView = false;

    // Called by the database when it disconnects: closes, and lets go of the database.
    void DatabaseClosing();
    // Called by the database before anything else uses its connection: the batch asked for ahead
    // is read and kept for when the records reach it.
    // The wait is the server wait limit unless a shorter one is given.
    void ReadAheadArrived(std::chrono::milliseconds limit = std::chrono::milliseconds::max());

protected:
    // Runs the statement on the database; columns are described from the result. A statement
    // that would not just read records is refused before it runs.
    void ExecuteSelect(const QString& sql, const std::vector<QVariant>& binds, std::vector<TColumn>& columns);
    bool FetchRow(std::vector<QVariant>& row) override;
    void CloseCursor() override;
    void SeekCursor(int row) override;
    std::int64_t CountRows() override;
    void AttachDatabase();
    // Runs a change; expectedRows 1 raises when no row changed. exactlyOne: the change is undone
    // and refused when it reached more than one row. Gives the id of an inserted row.
    QVariant ExecuteWrite(const QString& sql, const std::vector<QVariant>& binds, int expectedRows, bool exactlyOne);
    std::unique_ptr<QSqlQuery> FQuery;          // ODBC
    std::unique_ptr<TSqliteCursor> FSqlite;    // SQLite and folder tables
    TDatabase* FDatabase = nullptr;

private:
    PGconn* PgConn() const;
    void CheckPg(PGresult* res, int wanted) const;
    void PgCommand(const QString& sql) const;
    // Sends a statement with a libpq PQsend* call and waits for it, bounded; a wait that ends
    // without an answer gives the connection up and raises.
    PGresult* PgRun(const std::function<int(PGconn*)>& send) const;
    PGresult* PgExec(const QByteArray& sql) const;
    QVariant PgTextValue(const PGresult* res, int row, int column) const;
    void RunSelect();
    void OpenSqliteCursor(std::vector<TColumn>& columns);
    void DescribeUntyped(std::vector<TColumn>& columns);
    void OpenServerCursor(std::vector<TColumn>& columns);
    bool FetchServerBatch();
    void AskAhead();
    void DropAhead();
    void CloseServerCursor();
    QString FDatabaseName;
    QString FSelectSql;            // the statement of the open cursor, one statement, no ';'
    std::vector<QVariant> FBinds;  // and its parameter values
    int FPosition = 0;             // number of the row the cursor gives next
    std::vector<int> FColumnKinds; // how each column's raw value is read (see FetchRow)
    // PostgreSQL: a cursor on the server read in batches, and the batch at hand.
    QString FServerCursor;
    PGresult* FBatch = nullptr;
    int FBatchRow = 0;
    bool FServerEnd = false;
    // The next batch is asked for while this one is read, when the cursor's rows were fixed at
    // open (its own transaction, committed): FAheadConn has the FETCH sent, FAhead its result.
    bool FServerFixed = false;
    PGconn* FAheadConn = nullptr;
    PGresult* FAhead = nullptr;
    TServerWaitEnd FAheadEnd = TServerWaitEnd::Answered; // how the wait for FAhead ended
};

class TTable : public TDBDataSet {
    TESSIV_CLASS(TTable, TDBDataSet)
public:
    explicit TTable(TComponent* owner);
    ~TTable() override;

    QString TableName() const { return FTableName; }
    void SetTableName(const QString& name);
    QString IndexName() const { return FIndexName; }
    void SetIndexName(const QString& name);
    QString IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const QString& names);
    void GetIndexNames(TStrings* list);
    bool CanModify() const override;

    bool ReadOnly = false;
    bool Exclusive = false;
    TTableType TableType = ttDefault;
    QString MasterFields;
    TDataSource* MasterSource = nullptr;
    void SetMasterSource(TDataSource* source);
    bool StoreDefs = false;
    int TableLevel = 0;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void OpenCursor(std::vector<TColumn>& columns) override;
    void ApplyInsert(std::vector<QVariant>& values) override;
    void ApplyUpdate(const std::vector<QVariant>& oldValues, const std::vector<QVariant>& values) override;
    void ApplyDelete(const std::vector<QVariant>& values) override;

private:
    QString WhereFor(const std::vector<QVariant>& values, std::vector<QVariant>& binds) const;
    bool RowNamedAlone(const std::vector<QVariant>& values) const;
    int FRowIdColumn = -1; // the hidden rowid column of an SQLite table without a key
    QString FTableName, FIndexName, FIndexFieldNames;
    QStringList FKeyFields; // primary key columns, when the driver names them
};

class TParam : public TCollectionItem {
    TESSIV_CLASS(TParam, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    QString Name;
    TFieldType DataType = ftUnknown;
    TParamType ParamType = ptUnknown;
    QVariant Value;
    bool Bound = false;

    bool IsNull() const;
    void Clear();
    void SetValue(const QVariant& v);
    void SetAsString(const QString& v);
    void SetAsInteger(int v);
    void SetAsFloat(long double v);
    void SetAsBoolean(bool v);
    void SetAsDateTime(TDateTime v);
    void SetAsDate(TDateTime v);
    QString AsString() const;
    int AsInteger() const;
    long double AsFloat() const;
    // The value of a field (null, type and all).
    void AssignField(const TField* field);
    QString DisplayName() const override { return Name; }
};

class TParams : public TCollection {
public:
    explicit TParams(TPersistent* owner);
    TParam* Items(int index) const { return static_cast<TParam*>(TCollection::Items(index)); }
    TParam* FindParam(const QString& name) const;
    // Raises "Parameter 'X' not found".
    TParam* ParamByName(const QString& name) const;
    TParam* CreateParam(TFieldType type, const QString& name, TParamType paramType);
};

class TQuery : public TDBDataSet {
    TESSIV_CLASS(TQuery, TDBDataSet)
public:
    explicit TQuery(TComponent* owner);
    ~TQuery() override;

    TStrings* SQL() const { return FSQL.get(); }
    void SetSQL(const TStrings* lines) { FSQL->Assign(lines); }
    TParams* Params() const { return FParams.get(); }
    int ParamCount() const { return FParams->Count(); }
    TParam* ParamByName(const QString& name) const { return FParams->ParamByName(name); }
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* source);
    // Runs a statement that returns no records; the number of rows it changed.
    int ExecSQL();
    int RowsAffected() const { return FRowsAffected; }
    void Prepare() {}
    void UnPrepare() {}

    bool ParamCheck = true;
    bool RequestLive = false;
    bool UniDirectional = false;
    bool Constrained = false;

    void DefineProperties(TFiler& filer) override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void OpenCursor(std::vector<TColumn>& columns) override;

private:
    class TMasterLink;
    void SQLChanged();
    QString BuildStatement(std::vector<QVariant>& binds, bool numbered);
    void MasterChanged();
    std::unique_ptr<TStringList> FSQL;
    std::unique_ptr<TParams> FParams;
    std::unique_ptr<TMasterLink> FMasterLink;
    TDataSource* FDataSource = nullptr;
    int FRowsAffected = -1;
    bool FReopening = false;
};

// Registers the data classes for stream reading.
void RegisterDataClasses();

} // namespace tessiv
