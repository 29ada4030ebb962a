#include "platform/data/DBTables.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Component.h"
#include "platform/core/Reader.h"
#include "platform/core/Writer.h"
#include "platform/data/DBError.h"
#include "platform/data/ServerWait.h"
#include "platform/data/Variants.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlResult>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>

#include <libpq-fe.h>

#include <charconv>
#include <cmath>

namespace tessiv {

static const TEnumInfo& UpdateModeInfo()
{
    static const TEnumInfo info{QStringLiteral("TUpdateMode"),
        {QStringLiteral("upWhereAll"), QStringLiteral("upWhereChanged"), QStringLiteral("upWhereKeyOnly")}};
    return info;
}

static const TEnumInfo& ParamTypeInfo()
{
    static const TEnumInfo info{QStringLiteral("TParamType"),
        {QStringLiteral("ptUnknown"), QStringLiteral("ptInput"), QStringLiteral("ptOutput"),
         QStringLiteral("ptInputOutput"), QStringLiteral("ptResult")}};
    return info;
}

static const TEnumInfo& TableTypeInfo()
{
    static const TEnumInfo info{QStringLiteral("TTableType"),
        {QStringLiteral("ttDefault"), QStringLiteral("ttParadox"), QStringLiteral("ttDBase"),
         QStringLiteral("ttASCII"), QStringLiteral("ttFoxPro")}};
    return info;
}

// ---- TDBDataSet -------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TDBDataSet, TDataSet,
    t.Boolean(QStringLiteral("CachedUpdates"), &TDBDataSet::CachedUpdates, &TDBDataSet::CachedUpdates, false);
    t.String(QStringLiteral("DatabaseName"), &TDBDataSet::DatabaseName, &TDBDataSet::SetDatabaseName);
    t.Boolean(QStringLiteral("ObjectView"), &TDBDataSet::ObjectView, &TDBDataSet::ObjectView, false);
    t.String(QStringLiteral("SessionName"), &TDBDataSet::SessionName, &TDBDataSet::SessionName);
    t.Enum(QStringLiteral("UpdateMode"), UpdateModeInfo(), &TDBDataSet::UpdateMode, &TDBDataSet::UpdateMode, upWhereAll);
)

TDBDataSet::TDBDataSet(TComponent* owner) : TDataSet(owner) {}

TDBDataSet::~TDBDataSet()
{
    DropAhead();
    if (FDatabase) {
        FDatabase->RemoveDataSet(this);
        TDatabase* db = FDatabase;
        FDatabase = nullptr;
        FQuery.reset();
        FSqlite.reset();
        Session().CloseDatabase(db);
    }
}

void TDBDataSet::SetDatabaseName(const QString& name)
{
    if (name == FDatabaseName)
        return;
    if (!ComponentState().Contains(csLoading))
        CheckInactive();
    FDatabaseName = name;
}

void TDBDataSet::DatabaseClosing()
{
    TDatabase* db = FDatabase;
    Close();
    // One that was opening when its database went still holds it.
    if (FDatabase == db) {
        FQuery.reset();
        FSqlite.reset();
        FDatabase = nullptr;
    }
}

void TDBDataSet::AttachDatabase()
{
    if (FDatabase)
        return;
    FDatabase = Session().OpenDatabase(FDatabaseName, Owner());
    FDatabase->AddDataSet(this);
}

// ---- PostgreSQL: a server cursor read in batches ------------------------------------------------

namespace {

constexpr int kPgBatch = 1000;

// Parameter values as the server's text forms.
class PgParams {
public:
    explicit PgParams(const std::vector<QVariant>& binds)
    {
        FTexts.reserve(binds.size());
        for (const QVariant& v : binds) {
            if (VarIsNull(v)) {
                FTexts.emplace_back();
                FPointers.push_back(nullptr);
                continue;
            }
            QByteArray t;
            switch (v.typeId()) {
            case QMetaType::Bool: t = v.toBool() ? "t" : "f"; break;
            case QMetaType::Double: case QMetaType::Float: t = QByteArray::number(v.toDouble(), 'g', 17); break;
            case QMetaType::QDate: t = v.toDate().toString(Qt::ISODate).toLatin1(); break;
            case QMetaType::QTime: t = v.toTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1(); break;
            case QMetaType::QDateTime: t = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1(); break;
            case QMetaType::QByteArray: t = "\\x" + v.toByteArray().toHex(); break;
            default: t = v.toString().toUtf8();
            }
            FTexts.push_back(t);
            FPointers.push_back(nullptr);
        }
        for (std::size_t i = 0; i < FTexts.size(); ++i)
            if (!VarIsNull(binds[i]))
                FPointers[i] = FTexts[i].constData();
    }
    int Count() const { return static_cast<int>(FPointers.size()); }
    const char* const* Values() const { return FPointers.empty() ? nullptr : FPointers.data(); }

private:
    std::vector<QByteArray> FTexts;
    std::vector<const char*> FPointers;
};

QVariant PgTimestampTz(const QString& text)
{
    // "2024-01-01 08:00:00+00" or with "+05:30": shown in local time.
    QString s = text;
    s.replace(10, 1, QLatin1Char('T'));
    static const QRegularExpression shortZone(QStringLiteral("([+-]\\d\\d)$"));
    s.replace(shortZone, QStringLiteral("\\1:00"));
    const QDateTime dt = QDateTime::fromString(s, Qt::ISODateWithMs);
    return dt.isValid() ? QVariant(dt.toLocalTime()) : QVariant(text);
}

// What a statement that failed reports. Qt refuses one on a connection that is no longer open with
// a warning alone, which would pass for success.
QSqlError QueryFailure(const QSqlQuery& q)
{
    const QSqlError err = q.lastError();
    if (err.isValid())
        return err;
    return QSqlError(QStringLiteral("The connection to the database is not open"), QString(), QSqlError::ConnectionError);
}

} // namespace

// A server that takes longer than this to close a cursor, or to hand over rows nobody wants any
// more, is taken as gone.
constexpr std::chrono::milliseconds kCloseWait{5000};

PGconn* TDBDataSet::PgConn() const
{
    const QSqlDatabase db = FDatabase->Connection();
    if (PGconn* conn = PgHandle(db))
        return conn;
    FDatabase->RaiseError(db.lastError());
}

// Raises the server's error (through the database, which notices a lost connection) unless the
// result has the status wanted; the result is freed then.
void TDBDataSet::CheckPg(PGresult* res, int wanted) const
{
    if (res && PQresultStatus(res) == wanted)
        return;
    const QString message = QString::fromUtf8(res ? PQresultErrorMessage(res) : PQerrorMessage(PgConn())).trimmed();
    const QString state = res ? QString::fromLatin1(PQresultErrorField(res, PG_DIAG_SQLSTATE)) : QString();
    if (res)
        PQclear(res);
    FDatabase->RaiseError(QSqlError(QStringLiteral("QPSQL: Unable to run the statement"), message,
                                    QSqlError::StatementError, state));
}

PGresult* TDBDataSet::PgRun(const std::function<int(PGconn*)>& send) const
{
    TServerWaitEnd end = TServerWaitEnd::Answered;
    PGresult* res = PgRunBounded(PgConn(), send, end);
    if (end != TServerWaitEnd::Answered)
        FDatabase->AbandonConnection(ServerWaitMessage(end));
    return res;
}

PGresult* TDBDataSet::PgExec(const QByteArray& sql) const
{
    return PgRun([&sql](PGconn* conn) { return PQsendQuery(conn, sql.constData()); });
}

void TDBDataSet::PgCommand(const QString& sql) const
{
    PGresult* res = PgExec(sql.toUtf8());
    CheckPg(res, PGRES_COMMAND_OK);
    PQclear(res);
}

void TDBDataSet::OpenServerCursor(std::vector<TColumn>& columns)
{
    static int counter = 0;
    const PgParams params(FBinds);
    const QByteArray sql = FSelectSql.toUtf8();
    // Described before it runs: a statement that returns no records is refused untouched.
    PGresult* prepared = PgRun([&](PGconn* conn) { return PQsendPrepare(conn, "", sql.constData(), params.Count(), nullptr); });
    CheckPg(prepared, PGRES_COMMAND_OK);
    PQclear(prepared);
    PGresult* described = PgRun([](PGconn* conn) { return PQsendDescribePrepared(conn, ""); });
    CheckPg(described, PGRES_COMMAND_OK);
    const int n = PQnfields(described);
    if (n == 0) {
        PQclear(described);
        throw EDBEngineError(DBIERR_SQLERROR, QStringLiteral("The statement does not only read records: use ExecSQL to run it"));
    }
    for (int i = 0; i < n; ++i) {
        TColumn c;
        c.Name = QString::fromUtf8(PQfname(described, i));
        const unsigned oid = PQftype(described, i);
        c.Type = FieldTypeFromName(PgColumnTypeName(oid, PQfmod(described, i)));
        if (oid == 790) // money: exact cents, shown as currency
            c.Type = {ftBCD, 2, true};
        columns.push_back(c);
        FColumnKinds.push_back(static_cast<int>(oid));
    }
    PQclear(described);
    // A scrolling cursor kept after its transaction, which reads only: anything in the statement
    // that would write is refused by the server.
    // The cursor is the dataset's once it exists on the server.
    const QString cursor = QStringLiteral("tessiv_cursor_%1").arg(++counter);
    const bool ownTransaction = PQtransactionStatus(PgConn()) == PQTRANS_IDLE;
    if (ownTransaction)
        PgCommand(QStringLiteral("BEGIN READ ONLY"));
    const QByteArray declare = "DECLARE " + cursor.toLatin1() + " SCROLL CURSOR WITH HOLD FOR " + sql;
    PGresult* declared = PgRun([&](PGconn* conn) {
        return PQsendQueryParams(conn, declare.constData(), params.Count(), nullptr, params.Values(), nullptr, nullptr, 0);
    });
    if (!declared || PQresultStatus(declared) != PGRES_COMMAND_OK) {
        if (ownTransaction) {
            try {
                PQclear(PgExec("ROLLBACK"));
            } catch (...) {
                PQclear(declared);
                throw;
            }
        }
        CheckPg(declared, PGRES_COMMAND_OK);
    }
    PQclear(declared);
    if (ownTransaction) {
        PGresult* done = PgExec("COMMIT");
        CheckPg(done, PGRES_COMMAND_OK);
        PQclear(done);
    }
    FServerCursor = cursor;
    FServerFixed = ownTransaction;
    FServerEnd = false;
    FBatchRow = 0;
}

bool TDBDataSet::FetchServerBatch()
{
    if (FBatch)
        PQclear(FBatch);
    FBatch = nullptr;
    FBatchRow = 0;
    if (FServerEnd || FServerCursor.isEmpty())
        return false;
    PGresult* res = nullptr;
    if (FAheadConn || FAhead || FAheadEnd != TServerWaitEnd::Answered) {
        if (FDatabase->ReadingAhead() == this)
            FDatabase->SetReadingAhead(nullptr);
        ReadAheadArrived();
        if (const TServerWaitEnd end = std::exchange(FAheadEnd, TServerWaitEnd::Answered); end != TServerWaitEnd::Answered)
            FDatabase->AbandonConnection(ServerWaitMessage(end));
        res = std::exchange(FAhead, nullptr);
    } else {
        res = PgExec(QStringLiteral("FETCH FORWARD %1 FROM %2").arg(kPgBatch).arg(FServerCursor).toLatin1());
    }
    CheckPg(res, PGRES_TUPLES_OK);
    if (PQntuples(res) == 0) {
        PQclear(res);
        FServerEnd = true;
        return false;
    }
    FBatch = res;
    // A short batch is the last: nothing more to ask the server for.
    FServerEnd = PQntuples(res) < kPgBatch;
    if (!FServerEnd && FServerFixed)
        AskAhead();
    return true;
}

// Sends the FETCH of the next batch, so that the server reads it while this one is read here.
// Only for a cursor whose rows were fixed at open: reading them earlier changes nothing.
void TDBDataSet::AskAhead()
{
    PGconn* conn = PgConn();
    const QByteArray fetch = QStringLiteral("FETCH FORWARD %1 FROM %2").arg(kPgBatch).arg(FServerCursor).toLatin1();
    if (!PQsendQuery(conn, fetch.constData()))
        return; // asked for again, plainly, when its rows are needed
    FAheadConn = conn;
    FDatabase->SetReadingAhead(this);
}

// Reads the result of the FETCH sent ahead and keeps it (an error too, raised when the records
// reach it). The wait is bounded as any other; one that ends without an answer leaves the
// connection given up, which the records reaching it raise (and the next error on the database
// names).
void TDBDataSet::ReadAheadArrived(std::chrono::milliseconds limit)
{
    PGconn* conn = std::exchange(FAheadConn, nullptr);
    if (!conn)
        return;
    if (FAhead)
        PQclear(FAhead);
    FAhead = PgAwaitBounded(conn, FAheadEnd, limit);
    if (FAheadEnd != TServerWaitEnd::Answered && FDatabase)
        FDatabase->NoteAbandonedConnection(ServerWaitMessage(FAheadEnd, std::min(limit, ServerWaitLimit())));
}

// Lets go of the batch asked for ahead: the cursor moves, or closes.
void TDBDataSet::DropAhead()
{
    if (FDatabase && FDatabase->ReadingAhead() == this)
        FDatabase->SetReadingAhead(nullptr);
    // Nobody wants these rows: a server that does not hand them over at once is not waited for.
    ReadAheadArrived(kCloseWait);
    if (FAhead)
        PQclear(FAhead);
    FAhead = nullptr;
    FAheadEnd = TServerWaitEnd::Answered;
}


void TDBDataSet::CloseServerCursor()
{
    DropAhead();
    FServerFixed = false;
    if (FBatch)
        PQclear(FBatch);
    FBatch = nullptr;
    FBatchRow = 0;
    if (FServerCursor.isEmpty() || !FDatabase)
        return;
    const QString name = FServerCursor;
    FServerCursor.clear();
    if (PGconn* conn = PgHandle(FDatabase->Connection()); conn && PQstatus(conn) == CONNECTION_OK) {
        // Closing raises nothing, and a server that does not answer at once is given up (a closing
        // document or program does not wait for it): that is noted for the next error.
        const QByteArray close = QStringLiteral("CLOSE %1").arg(name).toLatin1();
        TServerWaitEnd end = TServerWaitEnd::Answered;
        PGresult* res = PgRunBounded(conn, [&close](PGconn* c) { return PQsendQuery(c, close.constData()); }, end,
                                     kCloseWait);
        if (end != TServerWaitEnd::Answered)
            FDatabase->NoteAbandonedConnection(ServerWaitMessage(end, std::min(kCloseWait, ServerWaitLimit())));
        else if (!res || PQresultStatus(res) != PGRES_COMMAND_OK)
            if (PQstatus(conn) == CONNECTION_BAD)
                FDatabase->NoteLostConnection(QString::fromUtf8(PQerrorMessage(conn)).trimmed());
        PQclear(res);
    }
}

// A value of the batch from its text: numbers as numbers, NUMERIC and money with their exact
// digits (text), dates and times as the server writes them (infinity and BC dates stay so).
QVariant TDBDataSet::PgTextValue(const PGresult* res, int row, int column) const
{
    if (PQgetisnull(res, row, column))
        return QVariant();
    const char* p = PQgetvalue(res, row, column);
    const int n = PQgetlength(res, row, column);
    switch (FColumnKinds[static_cast<std::size_t>(column)]) {
    case 16: // bool
        return p[0] == 't';
    case 20: case 21: case 23: { // int8, int2, int4
        // The server's plain digits read directly; anything else as QByteArray reads it.
        qlonglong v = 0;
        if (const auto r = std::from_chars(p, p + n, v); r.ec == std::errc() && r.ptr == p + n)
            return v;
        bool ok = false;
        v = QByteArray::fromRawData(p, n).toLongLong(&ok);
        return ok ? QVariant(v) : QVariant(QString::fromLatin1(p, n));
    }
    case 700: case 701: { // float4, float8
        // A finite, nonzero number read directly (both readings round exactly); infinities,
        // NaN and zeros as QByteArray reads them.
        double v = 0;
        if (const auto r = std::from_chars(p, p + n, v);
            r.ec == std::errc() && r.ptr == p + n && std::isfinite(v) && v != 0)
            return v;
        bool ok = false;
        v = QByteArray::fromRawData(p, n).toDouble(&ok);
        return ok ? QVariant(v) : QVariant(QString::fromLatin1(p, n));
    }
    case 790: { // money, "$1,234.50" or "-$0.25" under the C monetary locale
        QString t = QString::fromLatin1(p, n);
        t.remove(QLatin1Char('$')).remove(QLatin1Char(',')).remove(QLatin1Char(' '));
        return t;
    }
    case 17: { // bytea, in the hex or the escape form
        std::size_t length = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(p), &length);
        if (!bytes)
            throw std::bad_alloc();
        QByteArray out(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
        PQfreemem(bytes);
        return out;
    }
    case 1184: case 1266: // with time zone
        return PgTimestampTz(QString::fromLatin1(p, n));
    default:
        return QString::fromUtf8(p, n);
    }
}

void TDBDataSet::ExecuteSelect(const QString& statement, const std::vector<QVariant>& binds, std::vector<TColumn>& columns)
{
    const QString sql = SingleStatement(statement);
    AttachDatabase();
    FSelectSql = sql;
    FBinds = binds;
    FPosition = 0;
    columns.clear();
    FColumnKinds.clear();
    if (FDatabase->Kind() == TDriverKind::PostgreSQL) {
        OpenServerCursor(columns);
        return;
    }
    if (FDatabase->Kind() == TDriverKind::SQLite || FDatabase->Kind() == TDriverKind::Standard) {
        OpenSqliteCursor(columns);
        return;
    }
    {
        // No copy of the connection may outlive this block: a lost one is closed on raising.
        QSqlDatabase db = FDatabase->Connection();
        if (db.isOpen())
            FQuery = std::make_unique<QSqlQuery>(db);
    }
    if (!FQuery) {
        const QSqlError err = FDatabase->Connection().lastError();
        FDatabase->RaiseError(err);
    }
    // Read forward only: what has been read is let go, the dataset keeps its own window.
    FQuery->setForwardOnly(true);
    if (!FQuery->prepare(sql)) {
        const QSqlError err = FQuery->lastError();
        FQuery.reset();
        FDatabase->RaiseError(err);
    }
    // Opening reads: a statement that returns no records is refused before it runs, and so is
    // one that would change the database (SQLite tells).
    const TDriverKind kind = FDatabase->Kind();
    if (PreparedReturnsRecords(kind, *FQuery) == false || PreparedReadsOnly(kind, *FQuery) == false) {
        FQuery.reset();
        // (An ODBC driver may also describe a statement it cannot compile as returning nothing.)
        throw EDBEngineError(DBIERR_SQLERROR, kind == TDriverKind::ODBC
            ? QStringLiteral("The statement returns no records or is not valid; a statement that changes the database is run with ExecSQL")
            : QStringLiteral("The statement does not only read records: use ExecSQL to run it"));
    }
    RunSelect();
    if (!FQuery->isSelect()) {
        FQuery.reset();
        throw EDatabaseError(QStringLiteral("The statement returns no records"));
    }
    const QSqlRecord rec = FQuery->record();
    for (int i = 0; i < rec.count(); ++i) {
        TColumn c;
        c.Name = rec.fieldName(i);
        c.Type = DriverColumnType(kind, *FQuery, i);
        columns.push_back(c);
    }
    DescribeUntyped(columns);
}

void TDBDataSet::OpenSqliteCursor(std::vector<TColumn>& columns)
{
    {
        QSqlDatabase db = FDatabase->Connection();
        FSqlite = std::make_unique<TSqliteCursor>(db, FSelectSql);
    }
    if (!FSqlite->Valid()) {
        const QSqlError err = FSqlite->Error();
        FSqlite.reset();
        FDatabase->RaiseError(err);
    }
    // Opening reads: a statement that returns no records, or would change the database, is
    // refused before it runs.
    if (!FSqlite->ReturnsRecords() || !FSqlite->ReadsOnly()) {
        FSqlite.reset();
        throw EDBEngineError(DBIERR_SQLERROR, QStringLiteral("The statement does not only read records: use ExecSQL to run it"));
    }
    FSqlite->Bind(FBinds);
    for (int i = 0; i < FSqlite->ColumnCount(); ++i) {
        TColumn c;
        c.Name = FSqlite->ColumnName(i);
        c.Type = SqliteColumnType(FSqlite->DeclaredType(i));
        columns.push_back(c);
    }
    DescribeUntyped(columns);
}

void TDBDataSet::RunSelect()
{
    for (std::size_t i = 0; i < FBinds.size(); ++i)
        FQuery->bindValue(static_cast<int>(i), FBinds[i]);
    if (!FQuery->exec()) {
        const QSqlError err = FQuery->lastError();
        FQuery.reset();
        FDatabase->RaiseError(err);
    }
    FPosition = 0;
}

// An SQLite column without a declared type (an expression, an aggregate) is typed by all of its
// values, not by the first: integers only make an integer, numbers a float, anything else text.
void TDBDataSet::DescribeUntyped(std::vector<TColumn>& columns)
{
    const TDriverKind kind = FDatabase->Kind();
    if (kind != TDriverKind::SQLite && kind != TDriverKind::Standard)
        return;
    std::vector<int> untyped;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].Type.Type == ftUnknown)
            untyped.push_back(static_cast<int>(i));
    if (untyped.empty())
        return;
    enum : unsigned { kInt = 1, kReal = 2, kText = 4, kBlob = 8 };
    std::vector<unsigned> seen(untyped.size(), 0);
    {
        QSqlDatabase db = FDatabase->Connection();
        TSqliteCursor probe(db, FSelectSql);
        if (probe.Valid())
            probe.Bind(FBinds);
        while (probe.Valid() && probe.Step() == 1)
            for (std::size_t k = 0; k < untyped.size(); ++k)
                switch (probe.ValueClass(untyped[k])) {
                case 1: seen[k] |= kInt; break;   // SQLITE_INTEGER
                case 2: seen[k] |= kReal; break;  // SQLITE_FLOAT
                case 3: seen[k] |= kText; break;  // SQLITE_TEXT
                case 4: seen[k] |= kBlob; break;  // SQLITE_BLOB
                default: break;
                }
    }
    for (std::size_t k = 0; k < untyped.size(); ++k) {
        TColumnType& t = columns[static_cast<std::size_t>(untyped[k])].Type;
        const unsigned s = seen[k];
        t.Type = s == kInt ? ftLargeint : (s & ~(kInt | kReal)) == 0 && s ? ftFloat : s == kBlob ? ftBlob : ftString;
        t.Size = 0;
    }
}

bool TDBDataSet::FetchRow(std::vector<QVariant>& row)
{
    if (FDatabase && FDatabase->Kind() == TDriverKind::PostgreSQL) {
        if (!FBatch || FBatchRow >= PQntuples(FBatch))
            if (!FetchServerBatch())
                return false;
        const auto* res = FBatch;
        const int n = static_cast<int>(Columns().size());
        row.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            row[static_cast<std::size_t>(i)] = PgTextValue(res, FBatchRow, i);
        ++FBatchRow;
        ++FPosition;
        return true;
    }
    if (FSqlite) {
        const int got = FSqlite->Step();
        if (got < 0)
            FDatabase->RaiseError(FSqlite->Error());
        if (got == 0)
            return false;
        row.resize(Columns().size());
        FSqlite->Values(row);
        ++FPosition;
        return true;
    }
    if (!FQuery)
        return false;
    if (!FQuery->next()) {
        const QSqlError err = FQuery->lastError();
        if (err.isValid())
            FDatabase->RaiseError(err);
        return false;
    }
    const int n = static_cast<int>(Columns().size());
    row.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        row[static_cast<std::size_t>(i)] = FQuery->value(i);
    ++FPosition;
    return true;
}

void TDBDataSet::SeekCursor(int row)
{
    if (!FDatabase)
        CheckActive();
    if (FDatabase->Kind() == TDriverKind::PostgreSQL) {
        // The server's cursor scrolls: put it before the row wanted.
        DropAhead();
        if (FBatch)
            PQclear(FBatch);
        FBatch = nullptr;
        FBatchRow = 0;
        FServerEnd = false;
        PgCommand(QStringLiteral("MOVE ABSOLUTE %1 FROM %2").arg(row).arg(FServerCursor));
        FPosition = row;
        return;
    }
    if (FSqlite) {
        if (row < FPosition) {
            FSqlite->Reset(); // the parameters stay bound
            FPosition = 0;
        }
        while (FPosition < row) {
            const int got = FSqlite->Step();
            if (got < 0)
                FDatabase->RaiseError(FSqlite->Error());
            if (got == 0)
                DatabaseError(QStringLiteral("Record not found: the table changed while it was open"));
            ++FPosition;
        }
        return;
    }
    if (!FQuery)
        CheckActive();
    if (row < FPosition) {
        FQuery->finish();
        RunSelect();
    }
    while (FPosition < row) {
        if (!FQuery->next()) {
            const QSqlError err = FQuery->lastError();
            if (err.isValid())
                FDatabase->RaiseError(err);
            DatabaseError(QStringLiteral("Record not found: the table changed while it was open"));
        }
        ++FPosition;
    }
}

std::int64_t TDBDataSet::CountRows()
{
    if (!FDatabase || FSelectSql.isEmpty())
        return -1;
    if (FDatabase->Kind() == TDriverKind::PostgreSQL) {
        PgParams params(FBinds);
        const QByteArray count = QStringLiteral("SELECT COUNT(*) FROM (%1) tessiv_count").arg(FSelectSql).toUtf8();
        PGresult* res = PgRun([&](PGconn* conn) {
            return PQsendQueryParams(conn, count.constData(), params.Count(), nullptr, params.Values(), nullptr, nullptr, 0);
        });
        CheckPg(res, PGRES_TUPLES_OK);
        const std::int64_t n = QByteArray(PQgetvalue(res, 0, 0)).toLongLong();
        PQclear(res);
        return n;
    }
    if (FSqlite) {
        QSqlDatabase db = FDatabase->Connection();
        TSqliteCursor count(db, QStringLiteral("SELECT COUNT(*) FROM (%1) tessiv_count").arg(FSelectSql));
        if (count.Valid()) {
            count.Bind(FBinds);
            if (count.Step() == 1) {
                std::vector<QVariant> v(1);
                count.Values(v);
                return v[0].toLongLong();
            }
        }
        FDatabase->RaiseError(count.Error());
    }
    QSqlError err;
    std::int64_t n = -1;
    {
        QSqlQuery q(FDatabase->Connection());
        q.setForwardOnly(true);
        bool ok = q.prepare(QStringLiteral("SELECT COUNT(*) FROM (%1) tessiv_count").arg(FSelectSql));
        for (std::size_t i = 0; ok && i < FBinds.size(); ++i)
            q.bindValue(static_cast<int>(i), FBinds[i]);
        if (ok && q.exec() && q.next())
            n = q.value(0).toLongLong();
        else
            err = QueryFailure(q);
    }
    if (n < 0 && err.isValid() && FDatabase->Kind() != TDriverKind::ODBC)
        FDatabase->RaiseError(err);
    return n; // an ODBC driver that cannot count this way: the records are counted as read
}

void TDBDataSet::CloseCursor()
{
    CloseServerCursor();
    FQuery.reset();
    FSqlite.reset();
    FSelectSql.clear();
    FBinds.clear();
    if (FDatabase) {
        TDatabase* db = FDatabase;
        FDatabase = nullptr;
        db->RemoveDataSet(this);
        Session().CloseDatabase(db);
    }
}

QVariant TDBDataSet::ExecuteWrite(const QString& sql, const std::vector<QVariant>& binds, int expectedRows, bool exactlyOne)
{
    if (!FDatabase)
        CheckActive();
    QSqlError err;
    int changed = 0;
    QVariant insertedId;
    bool inTransaction = false;
    {
        QSqlDatabase db = FDatabase->Connection();
        const TServerWatch bounded(PgHandle(db));
        // Where nothing names the row alone, the change is made in a transaction and undone when
        // it reached more than one row.
        inTransaction = exactlyOne && db.transaction();
        QSqlQuery q(db);
        bool ok = q.prepare(sql);
        for (std::size_t i = 0; ok && i < binds.size(); ++i)
            q.bindValue(static_cast<int>(i), binds[i]);
        if (ok && q.exec()) {
            changed = q.numRowsAffected();
            insertedId = q.lastInsertId();
        } else {
            err = QueryFailure(q);
        }
        q.finish();
        if (inTransaction) {
            if (err.isValid() || changed != 1) {
                db.rollback();
            } else if (!db.commit()) {
                err = db.lastError();
                db.rollback();
            }
        }
    } // the statement is gone before a lost connection is closed under it
    if (err.isValid())
        FDatabase->RaiseError(err);
    if (expectedRows > 0 && changed == 0)
        throw EDBEngineError(DBIERR_SQLERROR, QStringLiteral("Record changed by another user"));
    if (exactlyOne && changed > 1)
        throw EDBEngineError(DBIERR_SQLERROR, QStringLiteral("%1 records of the table hold the same values and none of them "
                                                             "can be changed alone; nothing was changed").arg(changed));
    return insertedId;
}

// ---- TTable -----------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TTable, TDBDataSet,
    t.Object<TCollection>(QStringLiteral("FieldDefs"), [](const TTable& tb) { return static_cast<TCollection*>(tb.FieldDefs()); })
        .WithStored([](const TPersistent* p) { return static_cast<const TTable*>(p)->StoreDefs; });
    t.Boolean(QStringLiteral("Exclusive"), &TTable::Exclusive, &TTable::Exclusive, false);
    t.String(QStringLiteral("IndexFieldNames"), &TTable::IndexFieldNames, &TTable::SetIndexFieldNames);
    t.String(QStringLiteral("IndexName"), &TTable::IndexName, &TTable::SetIndexName);
    t.String(QStringLiteral("MasterFields"), &TTable::MasterFields, &TTable::MasterFields);
    t.Reference<TDataSource>(QStringLiteral("MasterSource"), &TTable::MasterSource, &TTable::SetMasterSource);
    t.Boolean(QStringLiteral("ReadOnly"), &TTable::ReadOnly, &TTable::ReadOnly, false);
    t.Boolean(QStringLiteral("StoreDefs"), &TTable::StoreDefs, &TTable::StoreDefs, false);
    t.String(QStringLiteral("TableName"), &TTable::TableName, &TTable::SetTableName);
    t.Enum(QStringLiteral("TableType"), TableTypeInfo(), &TTable::TableType, &TTable::TableType, ttDefault);
    t.Integer(QStringLiteral("TableLevel"), &TTable::TableLevel, &TTable::TableLevel, 0);
)

TTable::TTable(TComponent* owner) : TDBDataSet(owner) {}

TTable::~TTable()
{
    try {
        Close();
    } catch (...) {
    }
}

void TTable::SetTableName(const QString& name)
{
    if (name == FTableName)
        return;
    if (!ComponentState().Contains(csLoading))
        CheckInactive();
    FTableName = name;
}

void TTable::SetIndexName(const QString& name)
{
    if (name == FIndexName)
        return;
    FIndexName = name;
    if (!name.isEmpty())
        FIndexFieldNames.clear();
    if (Active() && !ComponentState().Contains(csLoading))
        Refresh();
}

void TTable::SetIndexFieldNames(const QString& names)
{
    if (names == FIndexFieldNames)
        return;
    FIndexFieldNames = names;
    if (!names.isEmpty())
        FIndexName.clear();
    if (Active() && !ComponentState().Contains(csLoading))
        Refresh();
}

void TTable::SetMasterSource(TDataSource* source)
{
    MasterSource = source;
    if (source)
        source->FreeNotification(this);
}

void TTable::Notification(TComponent* component, TOperation operation)
{
    TDBDataSet::Notification(component, operation);
    if (operation == TOperation::opRemove && component == MasterSource)
        MasterSource = nullptr;
}

bool TTable::CanModify() const
{
    return Active() && !ReadOnly && Database() && Database()->Kind() != TDriverKind::Standard && !Database()->ReadOnly;
}

void TTable::GetIndexNames(TStrings* list)
{
    if (!list)
        return;
    list->Clear();
    const bool wasAttached = Database() != nullptr;
    AttachDatabase();
    QSqlDatabase db = FDatabase->Connection();
    list->AddStrings(DriverIndexNames(FDatabase->Kind(), db, FTableName));
    if (!wasAttached)
        CloseCursor();
}

void TTable::OpenCursor(std::vector<TColumn>& columns)
{
    if (Trim(FTableName).isEmpty())
        DatabaseError(QStringLiteral("Missing TableName property"));
    AttachDatabase();
    // No copy of the connection is held across the statement: a lost one is closed on raising.
    QStringList order;
    FKeyFields.clear();
    {
        QSqlDatabase db = FDatabase->Connection();
        const TServerWatch bounded(PgHandle(db));
        if (!FIndexName.isEmpty()) {
            if (!DriverIndexNames(FDatabase->Kind(), db, FTableName).contains(FIndexName, Qt::CaseInsensitive))
                DatabaseError(QStringLiteral("Index '%1' not found").arg(FIndexName));
            order = DriverIndexFields(FDatabase->Kind(), db, FTableName, FIndexName);
        } else if (!FIndexFieldNames.isEmpty()) {
            order = FIndexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        }
        const QSqlIndex pk = db.primaryIndex(FTableName);
        for (int i = 0; i < pk.count(); ++i)
            FKeyFields << pk.fieldName(i);
    }
    QString table = QuoteName(FTableName);
    FRowIdColumn = -1;
    if (FDatabase->Kind() == TDriverKind::Standard) {
        const QString file = FolderFileOf(FDatabase->FolderPath(), FTableName);
        if (file.isEmpty())
            throw EDBEngineError(DBIERR_NOSUCHTABLE, QStringLiteral("Table does not exist: %1").arg(FTableName));
        QSqlDatabase db = FDatabase->Connection();
        LoadFolderTable(db, FDatabase->FolderPath(), file);
    } else if (FDatabase->Kind() == TDriverKind::PostgreSQL && FTableName.contains(QLatin1Char('.')) &&
               !FTableName.contains(QLatin1Char('"'))) {
        // "schema.table": a table of another schema.
        QStringList parts;
        for (const QString& part : FTableName.split(QLatin1Char('.')))
            parts << QuoteName(part);
        table = parts.join(QLatin1Char('.'));
    }
    // An SQLite table without a primary key still names each row: its rowid, read along unseen.
    bool rowId = false;
    if (FDatabase->Kind() == TDriverKind::SQLite && FKeyFields.isEmpty()) {
        QSqlQuery probe(FDatabase->Connection());
        rowId = probe.exec(QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(table));
    }
    QString sql = rowId ? QStringLiteral("SELECT rowid AS \"tessiv$rowid\", * FROM %1").arg(table)
                        : QStringLiteral("SELECT * FROM %1").arg(table);
    if (!order.isEmpty()) {
        QStringList quoted;
        for (const QString& f : order)
            quoted << QuoteName(f.trimmed());
        sql += QStringLiteral(" ORDER BY ") + quoted.join(QStringLiteral(", "));
    }
    try {
        ExecuteSelect(sql, {}, columns);
        if (rowId && !columns.empty()) {
            columns.front().Hidden = true;
            FRowIdColumn = 0;
        }
    } catch (EDBEngineError& e) {
        if (e.HasErrorCode(DBIERR_NOSUCHTABLE))
            e.SetMessage(QStringLiteral("Table does not exist: %1. %2").arg(FTableName, e.Message()));
        throw;
    }
    // A column the table declares NOT NULL must be given.
    QSqlRecord rec;
    {
        const QSqlDatabase db = FDatabase->Connection();
        const TServerWatch bounded(PgHandle(db));
        rec = db.record(FTableName);
    }
    for (TColumn& c : columns) {
        const int i = rec.indexOf(c.Name);
        if (i >= 0 && rec.field(i).requiredStatus() == QSqlField::Required && !FKeyFields.contains(c.Name, Qt::CaseInsensitive))
            c.Required = true;
    }
}

QString TTable::WhereFor(const std::vector<QVariant>& values, std::vector<QVariant>& binds) const
{
    QStringList terms;
    if (FRowIdColumn >= 0 && !VarIsNull(values[static_cast<std::size_t>(FRowIdColumn)])) {
        binds.push_back(values[static_cast<std::size_t>(FRowIdColumn)]);
        return QStringLiteral("rowid = ?");
    }
    const bool byKey = !FKeyFields.isEmpty() && UpdateMode != upWhereAll;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        if (f->IsBlob() || f->FieldNo() <= 0)
            continue;
        if ((byKey || !FKeyFields.isEmpty()) && !FKeyFields.contains(f->FieldName(), Qt::CaseInsensitive))
            continue;
        const QVariant& v = values[static_cast<std::size_t>(f->FieldNo() - 1)];
        if (VarIsNull(v)) {
            terms << QuoteName(f->FieldName()) + QStringLiteral(" IS NULL");
        } else {
            terms << QuoteName(f->FieldName()) + QStringLiteral(" = ?");
            binds.push_back(ToDriverValue(FDatabase->Kind(), f->DataType(), v));
        }
    }
    return terms.join(QStringLiteral(" AND "));
}

void TTable::ApplyInsert(std::vector<QVariant>& values)
{
    QStringList names, marks;
    std::vector<QVariant> binds;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        const QVariant& v = values[static_cast<std::size_t>(f->FieldNo() - 1)];
        if (VarIsNull(v))
            continue;
        names << QuoteName(f->FieldName());
        marks << QStringLiteral("?");
        binds.push_back(ToDriverValue(FDatabase->Kind(), f->DataType(), v));
    }
    const QString sql = names.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuoteName(FTableName))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(QuoteName(FTableName), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    const QVariant id = ExecuteWrite(sql, binds, 0, false);
    if (FRowIdColumn >= 0)
        values[static_cast<std::size_t>(FRowIdColumn)] = id; // the new row's own id, for later edits
}

// True when the WHERE of a change names one row only: by its key or its SQLite rowid.
bool TTable::RowNamedAlone(const std::vector<QVariant>& values) const
{
    if (FRowIdColumn >= 0 && !VarIsNull(values[static_cast<std::size_t>(FRowIdColumn)]))
        return true;
    return !FKeyFields.isEmpty();
}

void TTable::ApplyUpdate(const std::vector<QVariant>& oldValues, const std::vector<QVariant>& values)
{
    QStringList sets;
    std::vector<QVariant> binds;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        const std::size_t c = static_cast<std::size_t>(f->FieldNo() - 1);
        if (VarIsNull(values[c]) == VarIsNull(oldValues[c]) && values[c] == oldValues[c])
            continue;
        sets << QuoteName(f->FieldName()) + QStringLiteral(" = ?");
        binds.push_back(ToDriverValue(FDatabase->Kind(), f->DataType(), values[c]));
    }
    if (sets.isEmpty())
        return;
    const QString where = WhereFor(oldValues, binds);
    ExecuteWrite(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(QuoteName(FTableName), sets.join(QStringLiteral(", ")), where), binds, 1,
                 !RowNamedAlone(oldValues));
}

void TTable::ApplyDelete(const std::vector<QVariant>& values)
{
    std::vector<QVariant> binds;
    const QString where = WhereFor(values, binds);
    ExecuteWrite(QStringLiteral("DELETE FROM %1 WHERE %2").arg(QuoteName(FTableName), where), binds, 1, !RowNamedAlone(values));
}

// ---- parameters -------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TParam, TCollectionItem,
    t.Enum(QStringLiteral("DataType"), FieldTypeInfo(), &TParam::DataType, &TParam::DataType);
    t.String(QStringLiteral("Name"), &TParam::Name, &TParam::Name);
    t.Enum(QStringLiteral("ParamType"), ParamTypeInfo(), &TParam::ParamType, &TParam::ParamType);
)

bool TParam::IsNull() const { return VarIsNull(Value); }
void TParam::Clear() { Value = QVariant(); }

void TParam::SetValue(const QVariant& v)
{
    Value = v;
    Bound = true;
    if (DataType == ftUnknown && !VarIsNull(v))
        DataType = FieldTypeFromValue(v);
}

void TParam::SetAsString(const QString& v) { DataType = ftString; SetValue(v); }
void TParam::SetAsInteger(int v) { DataType = ftInteger; SetValue(v); }
void TParam::SetAsFloat(long double v) { DataType = ftFloat; SetValue(static_cast<double>(v)); }
void TParam::SetAsBoolean(bool v) { DataType = ftBoolean; SetValue(v); }
void TParam::SetAsDateTime(TDateTime v) { DataType = ftDateTime; SetValue(v); }
void TParam::SetAsDate(TDateTime v) { DataType = ftDate; SetValue(v); }
QString TParam::AsString() const { return IsNull() ? QString() : Value.toString(); }
int TParam::AsInteger() const { return IsNull() ? 0 : static_cast<int>(VarToFloat(Value)); }
long double TParam::AsFloat() const { return VarToFloat(Value); }

void TParam::AssignField(const TField* field)
{
    DataType = field->DataType();
    if (field->IsNull()) {
        Value = QVariant();
        Bound = true;
        return;
    }
    switch (field->DataType()) {
    case ftDate: case ftTime: case ftDateTime:
        Value = static_cast<double>(field->AsDateTime());
        break;
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
        Value = static_cast<qlonglong>(field->AsLargeInt());
        break;
    case ftFloat: case ftCurrency: case ftBCD:
        Value = static_cast<double>(field->AsFloat());
        break;
    case ftBoolean:
        Value = field->AsBoolean();
        break;
    case ftBlob: case ftGraphic:
        Value = static_cast<const TBlobField*>(field)->AsBytes();
        break;
    default:
        Value = field->AsString();
    }
    Bound = true;
}

TParams::TParams(TPersistent* owner)
    : TCollection(TParam::StaticClass(), [](TCollection* c) { return new TParam(c); }, owner)
{
}

TParam* TParams::FindParam(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name.compare(name, Qt::CaseInsensitive) == 0)
            return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const QString& name) const
{
    TParam* p = FindParam(name);
    if (!p)
        throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
    return p;
}

TParam* TParams::CreateParam(TFieldType type, const QString& name, TParamType paramType)
{
    auto* p = static_cast<TParam*>(Add());
    p->DataType = type;
    p->Name = name;
    p->ParamType = paramType;
    return p;
}

// ---- TQuery -----------------------------------------------------------------------------------

class TQuery::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TQuery* query) : FQuery(query) {}

protected:
    void ActiveChanged() override { FQuery->MasterChanged(); }
    void DataSetChanged() override { FQuery->MasterChanged(); }
    void DataSetScrolled(int) override { FQuery->MasterChanged(); }
    void RecordChanged(TField* field) override
    {
        if (!field)
            FQuery->MasterChanged();
    }

private:
    TQuery* FQuery;
};

TESSIV_IMPLEMENT_CLASS(TQuery, TDBDataSet,
    t.Boolean(QStringLiteral("Constrained"), &TQuery::Constrained, &TQuery::Constrained, false);
    t.Reference<TDataSource>(QStringLiteral("DataSource"), &TQuery::DataSource, &TQuery::SetDataSource);
    t.Boolean(QStringLiteral("ParamCheck"), &TQuery::ParamCheck, &TQuery::ParamCheck, true);
    t.Boolean(QStringLiteral("RequestLive"), &TQuery::RequestLive, &TQuery::RequestLive, false);
    t.Object<TStrings>(QStringLiteral("SQL"), [](const TQuery& q) { return q.SQL(); });
    t.Boolean(QStringLiteral("UniDirectional"), &TQuery::UniDirectional, &TQuery::UniDirectional, false);
)

TQuery::TQuery(TComponent* owner)
    : TDBDataSet(owner), FSQL(std::make_unique<TStringList>()), FParams(std::make_unique<TParams>(this)),
      FMasterLink(std::make_unique<TMasterLink>(this))
{
    FSQL->OnChanging = [this](TStrings*) {
        if (Active() && !ComponentState().Contains(csLoading))
            Close();
    };
    FSQL->OnChange = [this](TStrings*) { SQLChanged(); };
}

TQuery::~TQuery()
{
    try {
        Close();
    } catch (...) {
    }
    FMasterLink.reset();
}

void TQuery::SetDataSource(TDataSource* source)
{
    if (source == FDataSource)
        return;
    if (source && source->DataSet() == this)
        throw EDatabaseError(QStringLiteral("Circular datalinks are not allowed"));
    FDataSource = source;
    if (source)
        source->FreeNotification(this);
    FMasterLink->SetDataSource(source);
}

void TQuery::Notification(TComponent* component, TOperation operation)
{
    TDBDataSet::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FDataSource) {
        FDataSource = nullptr;
        FMasterLink->SetDataSource(nullptr);
    }
}

// Walks a statement outside quoted strings and comments, calling back for each ":name".
template <class F>
static QString ScanParams(const QString& sql, F&& onParam)
{
    QString out;
    out.reserve(sql.size());
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = sql.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? sql.size() - 1 : end;
            out += sql.mid(i, stop - i + 1);
            i = stop;
        } else if (c == QLatin1Char('-') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('-')) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? sql.size() - 1 : end;
            out += sql.mid(i, stop - i + 1);
            i = stop;
        } else if (c == QLatin1Char(':') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char(':')) {
            out += QStringLiteral("::"); // a PostgreSQL cast
            ++i;
        } else if (c == QLatin1Char(':') && i + 1 < sql.size() &&
                   (sql.at(i + 1).isLetter() || sql.at(i + 1) == QLatin1Char('_') || sql.at(i + 1) == QLatin1Char('"'))) {
            qsizetype j = i + 1;
            QString name;
            if (sql.at(j) == QLatin1Char('"')) {
                const qsizetype end = sql.indexOf(QLatin1Char('"'), j + 1);
                name = sql.mid(j + 1, (end < 0 ? sql.size() : end) - j - 1);
                j = end < 0 ? sql.size() : end + 1;
            } else {
                while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
                    ++j;
                name = sql.mid(i + 1, j - i - 1);
            }
            out += onParam(name);
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

void TQuery::SQLChanged()
{
    if (ComponentState().Contains(csReading) || !ParamCheck)
        return;
    // Parameters keep their values when the new text names them again.
    std::vector<std::tuple<QString, TFieldType, TParamType, QVariant, bool>> old;
    for (int i = 0; i < FParams->Count(); ++i) {
        const TParam* p = FParams->Items(i);
        old.emplace_back(p->Name, p->DataType, p->ParamType, p->Value, p->Bound);
    }
    FParams->BeginUpdate();
    FParams->Clear();
    ScanParams(FSQL->Text(), [this, &old](const QString& name) {
        if (!FParams->FindParam(name)) {
            TParam* p = FParams->CreateParam(ftUnknown, name, ptInput);
            for (const auto& [n, type, ptype, value, bound] : old)
                if (n.compare(name, Qt::CaseInsensitive) == 0) {
                    p->DataType = type;
                    p->ParamType = ptype;
                    p->Value = value;
                    p->Bound = bound;
                }
        }
        return QString();
    });
    FParams->EndUpdate();
}

QString TQuery::BuildStatement(std::vector<QVariant>& binds, bool numbered)
{
    TDataSet* master = FDataSource ? FDataSource->DataSet() : nullptr;
    const bool fromMaster = master && master->Active();
    const TDriverKind kind = FDatabase ? FDatabase->Kind() : TDriverKind::SQLite;
    return ScanParams(FSQL->Text(), [&](const QString& name) -> QString {
        TParam* p = FParams->FindParam(name);
        if (!p)
            p = FParams->CreateParam(ftUnknown, name, ptInput);
        if (fromMaster && !p->Bound) {
            if (TField* f = master->FindField(name))
                p->AssignField(f);
        }
        if (fromMaster && p->Bound && master->FindField(name) && p->DataType == master->FindField(name)->DataType())
            p->AssignField(master->FindField(name)), p->Bound = false;
        if (!p->Bound && !(fromMaster && master->FindField(name)))
            throw EDatabaseError(QStringLiteral("No value for parameter '%1'").arg(name));
        binds.push_back(ToDriverValue(kind, p->DataType, p->Value));
        return numbered ? QStringLiteral("$%1").arg(binds.size()) : QStringLiteral("?");
    });
}

void TQuery::OpenCursor(std::vector<TColumn>& columns)
{
    if (Trim(FSQL->Text()).isEmpty())
        DatabaseError(QStringLiteral("No SQL statement available"));
    AttachDatabase();
    if (FDatabase->Kind() == TDriverKind::Standard) {
        QSqlDatabase db = FDatabase->Connection();
        LoadFolderTablesOf(db, FDatabase->FolderPath(), FSQL->Text());
    }
    std::vector<QVariant> binds;
    // The server's cursor takes its parameters numbered.
    const QString sql = BuildStatement(binds, FDatabase->Kind() == TDriverKind::PostgreSQL);
    ExecuteSelect(sql, binds, columns);
}

int TQuery::ExecSQL()
{
    CheckInactive();
    if (Trim(FSQL->Text()).isEmpty())
        DatabaseError(QStringLiteral("No SQL statement available"));
    AttachDatabase();
    try {
        const TDriverKind kind = FDatabase->Kind();
        if (kind == TDriverKind::Standard) {
            QSqlDatabase db = FDatabase->Connection();
            LoadFolderTablesOf(db, FDatabase->FolderPath(), FSQL->Text());
        }
        std::vector<QVariant> binds;
        const QString sql = SingleStatement(BuildStatement(binds, false));
        QSqlError err;
        {
            const TServerWatch bounded(PgHandle(FDatabase->Connection()));
            QSqlQuery q(FDatabase->Connection());
            bool ok = q.prepare(sql);
            // A folder's tables are read only, and so is a database opened read-only: a statement
            // that would change them is refused before it runs (where the driver cannot tell,
            // the connection itself was opened read-only).
            if (ok && (kind == TDriverKind::Standard || FDatabase->ReadOnly) && PreparedReadsOnly(kind, q) == false)
                throw EDBEngineError(DBIERR_NOTSUFFTABLERIGHTS,
                                     kind == TDriverKind::Standard ? QStringLiteral("The tables of a folder are read only")
                                                                   : QStringLiteral("The database is read only"));
            for (std::size_t i = 0; ok && i < binds.size(); ++i)
                q.bindValue(static_cast<int>(i), binds[i]);
            if (ok && q.exec())
                FRowsAffected = q.numRowsAffected();
            else
                err = QueryFailure(q);
        }
        if (err.isValid())
            FDatabase->RaiseError(err);
    } catch (...) {
        CloseCursor();
        throw;
    }
    CloseCursor();
    return FRowsAffected;
}

void TQuery::MasterChanged()
{
    // The detail follows its master: a move or a change of the master's record re-runs the query.
    if (FReopening || !Active() || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
        return;
    TDataSet* master = FDataSource ? FDataSource->DataSet() : nullptr;
    if (!master || !master->Active())
        return;
    FReopening = true;
    try {
        Close();
        Open();
    } catch (...) {
        FReopening = false;
        throw;
    }
    FReopening = false;
}

void TQuery::DefineProperties(TFiler& filer)
{
    TDBDataSet::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("ParamData"),
        [this](TReader& r) {
            r.CheckValue(vaCollection);
            r.ReadCollection(*FParams);
        },
        [this](TWriter& w) { w.WriteCollection(*FParams); },
        FParams->Count() > 0);
}

void RegisterDataClasses()
{
    RegisterClasses({&TTable::StaticClass(), &TQuery::StaticClass(), &TDataSource::StaticClass(),
                     &TDatabase::StaticClass(), &TStringField::StaticClass(), &TIntegerField::StaticClass(),
                     &TLargeintField::StaticClass(), &TSmallintField::StaticClass(), &TWordField::StaticClass(), &TFloatField::StaticClass(),
                     &TCurrencyField::StaticClass(), &TBCDField::StaticClass(), &TBooleanField::StaticClass(),
                     &TDateField::StaticClass(), &TTimeField::StaticClass(), &TDateTimeField::StaticClass(),
                     &TMemoField::StaticClass(), &TBlobField::StaticClass(), &TGraphicField::StaticClass()});
}

} // namespace tessiv
