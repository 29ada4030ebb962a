#include "platform/data/Drivers.h"

#include "platform/core/Cp1252.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBError.h"
#include "platform/data/ServerWait.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QStringDecoder>
#include <QTime>

#include <libpq-fe.h>
#include <sys/stat.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

namespace tessiv {

std::optional<TDriverKind> DriverKindOf(const QString& driverName)
{
    const QString n = driverName.trimmed().toUpper();
    if (n == QLatin1String("SQLITE") || n.isEmpty())
        return TDriverKind::SQLite;
    if (n == QLatin1String("ODBC"))
        return TDriverKind::ODBC;
    if (n == QLatin1String("POSTGRESQL"))
        return TDriverKind::PostgreSQL;
    if (n == QLatin1String("STANDARD"))
        return TDriverKind::Standard;
    return std::nullopt;
}

QString DriverNameOf(TDriverKind kind)
{
    switch (kind) {
    case TDriverKind::ODBC: return QStringLiteral("ODBC");
    case TDriverKind::PostgreSQL: return QStringLiteral("POSTGRESQL");
    case TDriverKind::Standard: return QStringLiteral("STANDARD");
    default: return QStringLiteral("SQLITE");
    }
}

QStringList DriverNames()
{
    return {QStringLiteral("ODBC"), QStringLiteral("POSTGRESQL"), QStringLiteral("SQLITE"), QStringLiteral("STANDARD")};
}

static QString Param(const QStringList& params, const char* name)
{
    const QString prefix = QLatin1String(name) + QLatin1Char('=');
    for (const QString& p : params)
        if (p.startsWith(prefix, Qt::CaseInsensitive))
            return p.mid(prefix.size());
    return QString();
}

static bool LooksLikeLoginFailure(const QString& text)
{
    const QString t = text.toLower();
    return t.contains(QLatin1String("password authentication failed")) ||
           t.contains(QLatin1String("no password supplied")) ||
           t.contains(QLatin1String("authentication failed")) || t.contains(QLatin1String("28p01")) ||
           t.contains(QLatin1String("login failed")) || t.contains(QLatin1String("access denied"));
}

static EDBEngineError SqlError(const QSqlError& error, const QString& context)
{
    QString message = error.text().trimmed();
    if (message.isEmpty())
        message = QStringLiteral("General SQL error.");
    int code = DBIERR_SQLERROR;
    if (LooksLikeLoginFailure(message))
        code = DBIERR_INVALIDPASSWORD;
    else if (error.type() == QSqlError::ConnectionError)
        code = DBIERR_OPENFAILED;
    else if (message.contains(QLatin1String("no such table"), Qt::CaseInsensitive) ||
             (message.contains(QLatin1String("relation"), Qt::CaseInsensitive) &&
              message.contains(QLatin1String("does not exist"), Qt::CaseInsensitive)))
        code = DBIERR_NOSUCHTABLE;
    return EDBEngineError(code, context.isEmpty() ? message : context + QStringLiteral(": ") + message,
                          error.nativeErrorCode());
}

void RaiseSqlError(const QSqlError& error, const QString& context)
{
    throw SqlError(error, context);
}

PGconn* PgHandle(const QSqlDatabase& db)
{
    const QVariant h = db.isValid() && db.driver() ? db.driver()->handle() : QVariant();
    // libpq's PGconn is a typedef of struct pg_conn; the variant may carry either name.
    if (h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 || qstrcmp(h.typeName(), "pg_conn*") == 0))
        return *static_cast<PGconn* const*>(h.data());
    return nullptr;
}

bool DriverConnectionLost(TDriverKind kind, const QSqlDatabase& db, QString& message)
{
    message.clear();
    if (!db.isValid())
        return true;
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    bool lost = !db.isOpen();
    switch (kind) {
    case TDriverKind::PostgreSQL:
        if (h.isValid()) {
            PGconn* conn = PgHandle(db);
            if (!conn || PQstatus(conn) == CONNECTION_BAD) {
                lost = true;
                if (ServerWatchEnded(conn))
                    message = ServerWaitMessage(TServerWaitEnd::TimedOut);
                else if (conn)
                    message = QString::fromLocal8Bit(PQerrorMessage(conn)).trimmed();
            }
        }
        break;
    case TDriverKind::ODBC:
        if (h.isValid() && (qstrcmp(h.typeName(), "SQLHANDLE") == 0 || qstrcmp(h.typeName(), "void*") == 0)) {
            SQLHANDLE dbc = *static_cast<SQLHANDLE const*>(h.data());
            SQLUINTEGER dead = SQL_CD_FALSE;
            if (dbc && SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
                dead == SQL_CD_TRUE)
                lost = true;
        }
        break;
    case TDriverKind::SQLite:
        // Reads go on from a file removed or renamed while open; SQLite refuses to write to it.
        // Either way the database at that path is gone for this connection.
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0) {
            sqlite3* conn = *static_cast<sqlite3* const*>(h.data());
            int moved = 0;
            if (conn && sqlite3_file_control(conn, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved) {
                lost = true;
                message = QStringLiteral("The database file was moved or removed: %1")
                              .arg(QString::fromUtf8(sqlite3_db_filename(conn, "main")));
            }
        }
        break;
    case TDriverKind::Standard:
        break; // the folder's tables are a private copy that nothing else can take away
    }
    if (lost && message.isEmpty())
        message = db.lastError().text().trimmed();
    return lost;
}

static QString OdbcConnectionString(const QStringList& params)
{
    QString cs = Param(params, "CONNECTION STRING");
    if (cs.isEmpty()) {
        // A data source by its bare name: the driver manager looks it up (and attributes may
        // follow it after a ';').
        const QString dsn = Param(params, "ODBC DSN");
        if (!dsn.isEmpty())
            cs = dsn;
    }
    return cs;
}

static QString OdbcAttribute(const QString& connectionString, const QString& key)
{
    for (const QString& part : connectionString.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1).trimmed();
    }
    return QString();
}

static bool OdbcNeedsBigInt(const QSqlDatabase& db)
{
    if (OdbcAttribute(db.databaseName(), QStringLiteral("BigInt")).size())
        return false;
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid())
        return false;
    SQLHANDLE dbc = *static_cast<SQLHANDLE const*>(h.data());
    SQLCHAR name[256] = {};
    SQLSMALLINT len = 0;
    if (!dbc || !SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DRIVER_NAME, name, sizeof name, &len)))
        return false;
    return QString::fromLatin1(reinterpret_cast<const char*>(name)).contains(QLatin1String("sqlite3odbc"), Qt::CaseInsensitive);
}

QSqlDatabase OpenDriverConnection(TDriverKind kind, const QStringList& params, const QString& connName)
{
    QSqlDatabase db;
    const bool readOnly = Param(params, "READ ONLY").compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
    switch (kind) {
    case TDriverKind::SQLite: {
        const QString path = Param(params, "PATH").isEmpty() ? Param(params, "DATABASE NAME") : Param(params, "PATH");
        if (path.isEmpty())
            throw EDBEngineError(DBIERR_OPENFAILED, QStringLiteral("No database file given (PATH)"));
        const bool create = Param(params, "CREATE").compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
        if (!QFileInfo(path).isFile()) {
            if (!create)
                throw EDBEngineError(DBIERR_OPENFAILED, QStringLiteral("Database file not found: %1").arg(path));
            QDir().mkpath(QFileInfo(path).absolutePath());
        }
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connName);
        db.setDatabaseName(path);
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        break;
    }
    case TDriverKind::Standard: {
        const QString folder = Param(params, "PATH");
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            throw EDBEngineError(DBIERR_OPENFAILED, QStringLiteral("Folder not found: %1").arg(folder));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connName);
        // A private temporary database (no name): SQLite keeps it on disk beyond a small cache,
        // so a large CSV file does not have to fit in memory.
        db.setDatabaseName(QString());
        break;
    }
    case TDriverKind::ODBC: {
        QString cs = OdbcConnectionString(params);
        if (cs.isEmpty())
            throw EDBEngineError(DBIERR_OPENFAILED, QStringLiteral("No ODBC data source given"));
        // The SQLite ODBC driver makes a new empty file for a missing one: refuse instead.
        const QString file = OdbcAttribute(cs, QStringLiteral("Database"));
        if (!file.isEmpty() && OdbcAttribute(cs, QStringLiteral("DRIVER")).contains(QLatin1String("SQLite"), Qt::CaseInsensitive) &&
            !QFileInfo(file).isFile())
            throw EDBEngineError(DBIERR_OPENFAILED, QStringLiteral("Database file not found: %1").arg(file));
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connName);
        db.setDatabaseName(cs);
        // Waits on a server are bounded where the driver can: connecting, and every request
        // (a driver that cannot bound them ignores these).
        QString options = QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=10;SQL_ATTR_CONNECTION_TIMEOUT=%1")
                              .arg(std::chrono::duration_cast<std::chrono::seconds>(ServerWaitLimit()).count());
        if (readOnly)
            options += QStringLiteral(";SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY");
        db.setConnectOptions(options);
        break;
    }
    case TDriverKind::PostgreSQL: {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connName);
        const QString host = Param(params, "SERVER NAME");
        if (!host.isEmpty())
            db.setHostName(host);
        const QString port = Param(params, "PORT");
        if (!port.isEmpty())
            db.setPort(port.toInt());
        db.setDatabaseName(Param(params, "DATABASE NAME"));
        // A server or network that goes silent is noticed: TCP keepalives, and sent data that
        // stays unacknowledged for a minute ends the connection with an error. Money comes as
        // text in the server's monetary locale and dates in its date style: both are fixed when
        // the session starts, so that values can be read.
        QString options = QStringLiteral("connect_timeout=10;keepalives=1;keepalives_idle=30;"
                                         "keepalives_interval=10;keepalives_count=3;tcp_user_timeout=60000;"
                                         "options='-c lc_monetary=C -c DateStyle=ISO,YMD");
        if (readOnly)
            options += QStringLiteral(" -c default_transaction_read_only=on");
        db.setConnectOptions(options + QLatin1Char('\''));
        break;
    }
    }
    const QString user = Param(params, "USER NAME");
    if (!user.isEmpty())
        db.setUserName(user);
    if (params.filter(QRegularExpression(QStringLiteral("^PASSWORD="), QRegularExpression::CaseInsensitiveOption)).size())
        db.setPassword(Param(params, "PASSWORD"));
    if (!db.open()) {
        const QSqlError err = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connName);
        if (err.text().trimmed().isEmpty())
            throw EDBEngineError(DBIERR_OPENFAILED, QStringLiteral("Cannot connect to the database"));
        RaiseSqlError(err, QString());
    }
    if (kind == TDriverKind::ODBC && OdbcNeedsBigInt(db)) {
        // The SQLite ODBC driver hands integer columns over as 32-bit unless told that they are
        // SQLite's 64-bit integers: connect again saying so.
        db.close();
        db.setDatabaseName(db.databaseName() + QStringLiteral(";BigInt=1"));
        if (!db.open()) {
            const QSqlError err = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connName);
            RaiseSqlError(err, QString());
        }
    }
    // A folder's tables are read when a dataset opens them, each on its own.
    return db;
}

void CloseDriverConnection(const QString& connName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(connName);
}

static QString PgTypeName(unsigned oid)
{
    switch (oid) {
    case 16: return QStringLiteral("BOOLEAN");
    case 17: return QStringLiteral("BYTEA");
    case 20: return QStringLiteral("INT8");
    case 21: return QStringLiteral("INT2");
    case 23: return QStringLiteral("INT4");
    case 25: return QStringLiteral("TEXT");
    case 700: case 701: return QStringLiteral("FLOAT");
    case 790: return QStringLiteral("MONEY");
    case 1042: return QStringLiteral("BPCHAR");
    case 1043: return QStringLiteral("VARCHAR");
    case 1082: return QStringLiteral("DATE");
    case 1083: case 1266: return QStringLiteral("TIME");
    case 1114: case 1184: return QStringLiteral("TIMESTAMP");
    case 1700: return QStringLiteral("NUMERIC");
    default: return QString();
    }
}

QString PgColumnTypeName(unsigned oid, int mod)
{
    QString type = PgTypeName(oid);
    if ((type == QLatin1String("VARCHAR") || type == QLatin1String("BPCHAR")) && mod > 4)
        type += QStringLiteral("(%1)").arg(mod - 4);
    else if (type == QLatin1String("NUMERIC") && mod > 4)
        type += QStringLiteral("(%1,%2)").arg(((mod - 4) >> 16) & 0xFFFF).arg((mod - 4) & 0xFFFF);
    return type;
}

QString ColumnTypeName(TDriverKind kind, const QSqlQuery& query, int column)
{
    const QVariant h = query.result() ? query.result()->handle() : QVariant();
    switch (kind) {
    case TDriverKind::SQLite:
    case TDriverKind::Standard: {
        if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
            return QString();
        sqlite3_stmt* stmt = *static_cast<sqlite3_stmt* const*>(h.data());
        const char* decl = stmt ? sqlite3_column_decltype(stmt, column) : nullptr;
        return decl ? QString::fromUtf8(decl) : QString();
    }
    case TDriverKind::ODBC: {
        if (!h.isValid() || (qstrcmp(h.typeName(), "SQLHANDLE") != 0 && qstrcmp(h.typeName(), "void*") != 0))
            return QString();
        SQLHANDLE stmt = *static_cast<SQLHANDLE const*>(h.data());
        SQLCHAR name[128] = {};
        SQLSMALLINT len = 0;
        if (!SQL_SUCCEEDED(SQLColAttribute(stmt, static_cast<SQLUSMALLINT>(column + 1), SQL_DESC_TYPE_NAME, name,
                                           sizeof name, &len, nullptr)))
            return QString();
        QString type = QString::fromLatin1(reinterpret_cast<const char*>(name));
        SQLLEN length = 0;
        if (FieldTypeFromName(type).Type == ftString &&
            SQL_SUCCEEDED(SQLColAttribute(stmt, static_cast<SQLUSMALLINT>(column + 1), SQL_DESC_LENGTH, nullptr, 0,
                                          nullptr, &length)) && length > 0 && !type.contains(QLatin1Char('(')))
            type += QStringLiteral("(%1)").arg(length);
        return type;
    }
    case TDriverKind::PostgreSQL:
        break; // described from the server's own description (PgColumnTypeName)
    }
    return QString();
}

static TFieldType OdbcSqlType(SQLLEN type)
{
    switch (type) {
    case SQL_SMALLINT: case SQL_TINYINT: return ftSmallint;
    case SQL_INTEGER: return ftInteger;
    case SQL_BIGINT: return ftLargeint;
    case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE: return ftFloat;
    case SQL_NUMERIC: case SQL_DECIMAL: return ftBCD;
    case SQL_BIT: return ftBoolean;
    case SQL_TYPE_DATE: case SQL_DATE: return ftDate;
    case SQL_TYPE_TIME: case SQL_TIME: return ftTime;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: return ftDateTime;
    case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY: return ftBlob;
    case SQL_LONGVARCHAR: case SQL_WLONGVARCHAR: return ftMemo;
    case SQL_CHAR: case SQL_VARCHAR: case SQL_WCHAR: case SQL_WVARCHAR: return ftString;
    default: return ftUnknown;
    }
}

// SQLite's own rules for a declared type that names nothing we know ("UNSIGNED BIG INT",
// "VARYING CHARACTER(5)"): by the words it contains.
static TFieldType SqliteAffinity(const QString& declared)
{
    const QString d = declared.toUpper();
    if (d.contains(QLatin1String("INT")))
        return ftLargeint;
    if (d.contains(QLatin1String("CHAR")) || d.contains(QLatin1String("CLOB")) || d.contains(QLatin1String("TEXT")))
        return ftString;
    if (d.contains(QLatin1String("BLOB")))
        return ftBlob;
    if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("FLOA")) || d.contains(QLatin1String("DOUB")))
        return ftFloat;
    return ftUnknown;
}

TColumnType SqliteColumnType(const QString& declared)
{
    TColumnType type = FieldTypeFromName(declared);
    if (type.Type == ftUnknown && !declared.isEmpty())
        type.Type = SqliteAffinity(declared);
    if (type.Type == ftInteger)
        type.Type = ftLargeint;
    return type;
}

TColumnType DriverColumnType(TDriverKind kind, const QSqlQuery& query, int column)
{
    const QString name = ColumnTypeName(kind, query, column);
    TColumnType type = FieldTypeFromName(name);
    switch (kind) {
    case TDriverKind::SQLite:
    case TDriverKind::Standard:
        type = SqliteColumnType(name);
        break;
    case TDriverKind::ODBC: {
        // The driver's SQL type is what it will hand over; a type name only refines it.
        const QVariant h = query.result() ? query.result()->handle() : QVariant();
        if (!h.isValid() || (qstrcmp(h.typeName(), "SQLHANDLE") != 0 && qstrcmp(h.typeName(), "void*") != 0))
            break;
        SQLHANDLE stmt = *static_cast<SQLHANDLE const*>(h.data());
        SQLLEN concise = 0;
        if (!SQL_SUCCEEDED(SQLColAttribute(stmt, static_cast<SQLUSMALLINT>(column + 1), SQL_DESC_CONCISE_TYPE, nullptr,
                                           0, nullptr, &concise)))
            break;
        const TFieldType sqlType = OdbcSqlType(concise);
        if (type.Type == ftUnknown || sqlType == ftBlob || sqlType == ftLargeint ||
            (sqlType != ftUnknown && sqlType != ftString && type.Type == ftString))
            type.Type = sqlType;
        break;
    }
    case TDriverKind::PostgreSQL:
        break;
    }
    return type;
}

static sqlite3_stmt* SqliteStatement(const QSqlQuery& query)
{
    const QVariant h = query.result() ? query.result()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt* const*>(h.data());
}

static QString TextOfBytes(const char* p, int n)
{
    bool ascii = true;
    for (int i = 0; i < n && ascii; ++i)
        ascii = static_cast<unsigned char>(p[i]) < 0x80;
    if (ascii)
        return QString::fromLatin1(p, n);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(p, n));
    if (utf8.hasError())
        text = FromCp1252(QByteArray(p, n)); // bytes written by a program of another code page
    return text;
}

TSqliteCursor::TSqliteCursor(const QSqlDatabase& db, const QString& sql)
{
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0 || !(FConn = *static_cast<sqlite3* const*>(h.data()))) {
        FError = db.isOpen() ? QSqlError(QStringLiteral("The database connection is not usable"), QString(),
                                         QSqlError::ConnectionError)
                             : db.lastError();
        return;
    }
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(FConn, text.constData(), static_cast<int>(text.size()), &FStmt, nullptr);
    if (rc != SQLITE_OK) {
        FError = QSqlError(QStringLiteral("Unable to run the statement"), QString::fromUtf8(sqlite3_errmsg(FConn)),
                           QSqlError::StatementError, QString::number(rc));
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
    } else if (!FStmt) {
        FError = QSqlError(QStringLiteral("No SQL statement available"), QString(), QSqlError::StatementError);
    }
}

TSqliteCursor::~TSqliteCursor()
{
    sqlite3_finalize(FStmt);
}

bool TSqliteCursor::ReturnsRecords() const { return FStmt && sqlite3_column_count(FStmt) > 0; }
bool TSqliteCursor::ReadsOnly() const { return FStmt && sqlite3_stmt_readonly(FStmt) != 0; }
int TSqliteCursor::ColumnCount() const { return FStmt ? sqlite3_column_count(FStmt) : 0; }
QString TSqliteCursor::ColumnName(int column) const { return QString::fromUtf8(sqlite3_column_name(FStmt, column)); }

QString TSqliteCursor::DeclaredType(int column) const
{
    const char* decl = sqlite3_column_decltype(FStmt, column);
    return decl ? QString::fromUtf8(decl) : QString();
}

void TSqliteCursor::Bind(const std::vector<QVariant>& binds)
{
    for (std::size_t i = 0; i < binds.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        const QVariant& v = binds[i];
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(FStmt, at);
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::Bool: case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong:
        case QMetaType::Short: case QMetaType::UShort:
            sqlite3_bind_int64(FStmt, at, v.toLongLong());
            break;
        case QMetaType::Double: case QMetaType::Float:
            sqlite3_bind_double(FStmt, at, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob64(FStmt, at, b.constData(), static_cast<sqlite3_uint64>(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate:
            sqlite3_bind_text(FStmt, at, v.toDate().toString(Qt::ISODate).toUtf8().constData(), -1, SQLITE_TRANSIENT);
            break;
        case QMetaType::QDateTime:
            sqlite3_bind_text(FStmt, at, v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8().constData(),
                              -1, SQLITE_TRANSIENT);
            break;
        default: {
            const QByteArray t = v.toString().toUtf8();
            sqlite3_bind_text64(FStmt, at, t.constData(), static_cast<sqlite3_uint64>(t.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        }
    }
}

int TSqliteCursor::Step()
{
    const int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW)
        return 1;
    if (rc == SQLITE_DONE)
        return 0;
    FError = QSqlError(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(FConn)),
                       QSqlError::StatementError, QString::number(rc));
    return -1;
}

void TSqliteCursor::Reset()
{
    sqlite3_reset(FStmt);
}

int TSqliteCursor::ValueClass(int column) const
{
    return sqlite3_column_type(FStmt, column);
}

void TSqliteCursor::Values(std::vector<QVariant>& row) const
{
    const int n = static_cast<int>(row.size());
    for (int i = 0; i < n; ++i) {
        QVariant& v = row[static_cast<std::size_t>(i)];
        switch (sqlite3_column_type(FStmt, i)) {
        case SQLITE_INTEGER:
            v = static_cast<qlonglong>(sqlite3_column_int64(FStmt, i));
            break;
        case SQLITE_FLOAT:
            v = sqlite3_column_double(FStmt, i);
            break;
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, i));
            v = TextOfBytes(p, sqlite3_column_bytes(FStmt, i));
            break;
        }
        case SQLITE_BLOB: {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(FStmt, i));
            v = QByteArray(p, sqlite3_column_bytes(FStmt, i));
            break;
        }
        default:
            v = QVariant();
        }
    }
}

QString SingleStatement(const QString& sql)
{
    const qsizetype n = sql.size();
    qsizetype end = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            // Quoted text or name; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            i = j;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            const qsizetype e = sql.indexOf(QLatin1Char('\n'), i);
            i = e < 0 ? n : e;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype e = sql.indexOf(QLatin1String("*/"), i + 2);
            i = e < 0 ? n : e + 1;
        } else if (c == QLatin1Char('$')) {
            // A dollar-quoted PostgreSQL string: $$...$$ or $tag$...$tag$.
            static const QRegularExpression tagRe(QStringLiteral("\\G\\$([A-Za-z_][A-Za-z_0-9]*)?\\$"));
            const auto m = tagRe.match(sql, i);
            if (m.hasMatch() && (i == 0 || !(sql.at(i - 1).isLetterOrNumber() || sql.at(i - 1) == QLatin1Char('_')))) {
                const QString tag = m.captured(0);
                const qsizetype e = sql.indexOf(tag, i + tag.size());
                i = e < 0 ? n : e + tag.size() - 1;
            }
        } else if (c == QLatin1Char(';')) {
            if (end < 0)
                end = i;
        } else if (!c.isSpace() && end >= 0) {
            throw EDatabaseError(QStringLiteral("Only one SQL statement can be run at a time"));
        }
    }
    return end < 0 ? sql : sql.left(end);
}

std::optional<bool> PreparedReturnsRecords(TDriverKind kind, const QSqlQuery& prepared)
{
    const QVariant h = prepared.result() ? prepared.result()->handle() : QVariant();
    switch (kind) {
    case TDriverKind::SQLite:
    case TDriverKind::Standard:
        if (sqlite3_stmt* stmt = SqliteStatement(prepared))
            return sqlite3_column_count(stmt) > 0;
        return std::nullopt;
    case TDriverKind::ODBC: {
        if (!h.isValid() || (qstrcmp(h.typeName(), "SQLHANDLE") != 0 && qstrcmp(h.typeName(), "void*") != 0))
            return std::nullopt;
        SQLHANDLE stmt = *static_cast<SQLHANDLE const*>(h.data());
        SQLSMALLINT cols = 0;
        if (!stmt || !SQL_SUCCEEDED(SQLNumResultCols(stmt, &cols)))
            return std::nullopt;
        return cols > 0;
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> PreparedReadsOnly(TDriverKind kind, const QSqlQuery& prepared)
{
    if (kind != TDriverKind::SQLite && kind != TDriverKind::Standard)
        return std::nullopt;
    sqlite3_stmt* stmt = SqliteStatement(prepared);
    if (!stmt)
        return std::nullopt;
    return sqlite3_stmt_readonly(stmt) != 0;
}

QStringList DriverTableNames(TDriverKind kind, QSqlDatabase& db, bool systemTables)
{
    const TServerWatch bounded(PgHandle(db));
    QStringList names = db.tables(QSql::Tables);
    if (kind != TDriverKind::Standard)
        names += db.tables(QSql::Views);
    if (systemTables)
        names += db.tables(QSql::SystemTables);
    names.removeDuplicates();
    return names;
}

QStringList DriverIndexNames(TDriverKind kind, QSqlDatabase& db, const QString& table)
{
    QStringList names;
    QSqlQuery q(db);
    if (kind == TDriverKind::SQLite) {
        if (q.exec(QStringLiteral("PRAGMA index_list(%1)").arg(QuoteName(table))))
            while (q.next())
                if (!q.value(1).toString().startsWith(QLatin1String("sqlite_autoindex")))
                    names << q.value(1).toString();
    } else if (kind == TDriverKind::PostgreSQL) {
        q.prepare(QStringLiteral("SELECT indexname FROM pg_indexes WHERE tablename = ? ORDER BY indexname"));
        q.addBindValue(table);
        if (q.exec())
            while (q.next())
                names << q.value(0).toString();
    }
    return names;
}

QStringList DriverIndexFields(TDriverKind kind, QSqlDatabase& db, const QString& table, const QString& index)
{
    QStringList fields;
    QSqlQuery q(db);
    if (kind == TDriverKind::SQLite) {
        if (q.exec(QStringLiteral("PRAGMA index_info(%1)").arg(QuoteName(index))))
            while (q.next())
                fields << q.value(2).toString();
    } else if (kind == TDriverKind::PostgreSQL) {
        q.prepare(QStringLiteral("SELECT a.attname FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid "
                                 "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey) "
                                 "WHERE c.relname = ? ORDER BY array_position(i.indkey::int2[], a.attnum)"));
        q.addBindValue(index);
        if (q.exec())
            while (q.next())
                fields << q.value(0).toString();
    }
    return fields;
}

QString QuoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QVariant ToDriverValue(TDriverKind kind, TFieldType type, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return QVariant();
    const bool sqlite = kind == TDriverKind::SQLite || kind == TDriverKind::Standard || kind == TDriverKind::ODBC;
    switch (type) {
    case ftDate: {
        const QDate d = DateTimeToQDateTime(stored.toDouble()).date();
        return sqlite ? QVariant(d.toString(Qt::ISODate)) : QVariant(d);
    }
    case ftTime: {
        const QTime t = DateTimeToQDateTime(stored.toDouble()).time();
        return sqlite ? QVariant(t.toString(t.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"))) : QVariant(t);
    }
    case ftDateTime: {
        const QDateTime dt = DateTimeToQDateTime(stored.toDouble());
        return sqlite ? QVariant(dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                                              : QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                      : QVariant(dt);
    }
    case ftBoolean:
        return sqlite ? QVariant(stored.toBool() ? 1 : 0) : QVariant(stored.toBool());
    default:
        return stored;
    }
}

// ---- the folder driver ------------------------------------------------------------------------

QStringList FolderTableNames(const QString& folder)
{
    QDir dir(folder);
    QStringList names;
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        const QString ext = fi.suffix().toLower();
        if (ext == QLatin1String("csv") || ext == QLatin1String("txt"))
            names << fi.fileName();
    }
    return names;
}

namespace {

// Reads a CSV or text file a line at a time. A file that starts with a UTF-16 byte-order mark
// is UTF-16; otherwise each line is UTF-8 when it is valid UTF-8 and cp1252 when not, so a file
// written by two programs reads whole.
class TLineReader {
public:
    explicit TLineReader(const QString& path) : FFile(path) {}

    bool Open(QString& error)
    {
        if (!FFile.open(QIODevice::ReadOnly)) {
            error = FFile.errorString();
            return false;
        }
        const QByteArray head = FFile.peek(3);
        if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
            QStringDecoder d(head.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
            FFile.read(2);
            FWhole = d.decode(FFile.readAll());
            if (d.hasError()) {
                error = QStringLiteral("the UTF-16 text is damaged");
                return false;
            }
            FUtf16 = true;
        } else if (head.startsWith("\xEF\xBB\xBF")) {
            FFile.read(3);
        }
        return true;
    }

    // A line ends at CR LF, LF or a CR alone (old Mac files).
    bool NextLine(QString& line)
    {
        if (FUtf16) {
            if (FAt >= FWhole.size())
                return false;
            qsizetype e = FAt;
            while (e < FWhole.size() && FWhole[e] != QLatin1Char('\n') && FWhole[e] != QLatin1Char('\r'))
                ++e;
            line = FWhole.mid(FAt, e - FAt);
            FAt = e + ((e + 1 < FWhole.size() && FWhole[e] == QLatin1Char('\r') && FWhole[e + 1] == QLatin1Char('\n')) ? 2 : 1);
            return true;
        }
        QByteArray bytes;
        for (;;) {
            if (FPos >= FBuffer.size()) {
                FBuffer = FFile.read(1 << 16);
                FPos = 0;
                if (FBuffer.isEmpty()) {
                    if (bytes.isEmpty() && !FPendingEnd)
                        return false;
                    break;
                }
            }
            if (FSkipLf) {
                FSkipLf = false;
                if (FBuffer[FPos] == '\n') {
                    ++FPos;
                    continue;
                }
            }
            const char* begin = FBuffer.constData() + FPos;
            const char* end = FBuffer.constData() + FBuffer.size();
            const char* stop = begin;
            while (stop < end && *stop != '\n' && *stop != '\r')
                ++stop;
            bytes.append(begin, stop - begin);
            FPos += stop - begin;
            if (stop < end) {
                FSkipLf = *stop == '\r';
                ++FPos;
                FPendingEnd = false;
                line = Decode(bytes);
                return true;
            }
            FPendingEnd = true; // a last line without its end
        }
        FPendingEnd = false;
        line = Decode(bytes);
        return true;
    }

private:
    static QString Decode(const QByteArray& bytes)
    {
        bool ascii = true;
        for (char c : bytes)
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        if (ascii)
            return QString::fromLatin1(bytes);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        return utf8.hasError() ? FromCp1252(bytes) : text;
    }

    QFile FFile;
    QByteArray FBuffer;
    qsizetype FPos = 0;
    bool FSkipLf = false;     // the line ended at a CR: a LF right after it belongs to that end
    bool FPendingEnd = false; // bytes of a line are read, its end is not
    QString FWhole;
    qsizetype FAt = 0;
    bool FUtf16 = false;
};

// The separator of a file: the one of ',', ';' and tab the first line uses most outside quotes.
QChar DelimiterOf(const QString& header)
{
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (QChar c : header) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char(','))
            ++comma;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolon;
        else if (!quoted && c == QLatin1Char('\t'))
            ++tab;
    }
    if (tab > comma && tab > semicolon)
        return QLatin1Char('\t');
    return semicolon > comma ? QLatin1Char(';') : QLatin1Char(',');
}

[[noreturn]] void FileError(const QString& path, const QString& what);

// A table holds at most as many columns as the database engine allows; a record with more cells
// is refused as it is read, so a damaged line of separators costs no more than that.
constexpr qsizetype kMaxColumns = 2000;

// Records of a file: cells split at the separator, quoted cells may hold separators, doubled
// quotes and line breaks; blanks before an opening quote are not part of the cell.
class TCsvReader {
public:
    TCsvReader(TLineReader& lines, QChar delimiter, const QString& path)
        : FLines(lines), FDelimiter(delimiter), FPath(path)
    {
    }

    // The first line given back first when it was read to find the separator.
    void Unread(const QString& line) { FPending = line; FHasPending = true; }

    bool Next(QStringList& cells)
    {
        cells.clear();
        QString line;
        for (;;) {
            if (FHasPending) {
                line = FPending;
                FHasPending = false;
            } else if (!FLines.NextLine(line)) {
                return false;
            }
            if (!line.trimmed().isEmpty())
                break;
        }
        QString cell;
        bool quoted = false, wasQuoted = false;
        qsizetype i = 0;
        for (;;) {
            if (i >= line.size()) {
                if (quoted) {
                    // A quoted cell goes on over the line break.
                    QString more;
                    if (!FLines.NextLine(more)) {
                        cells << cell;
                        return true;
                    }
                    cell += QLatin1Char('\n');
                    line = more;
                    i = 0;
                    continue;
                }
                cells << (wasQuoted ? cell : cell);
                return true;
            }
            const QChar c = line.at(i++);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (i < line.size() && line.at(i) == QLatin1Char('"')) {
                        cell += c;
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    cell += c;
                }
            } else if (c == FDelimiter) {
                cells << cell;
                if (cells.size() >= kMaxColumns)
                    FileError(FPath, QStringLiteral("a record has more than %1 fields").arg(kMaxColumns));
                cell.clear();
                wasQuoted = false;
            } else if (c == QLatin1Char('"') && !wasQuoted && cell.trimmed().isEmpty()) {
                cell.clear();
                quoted = wasQuoted = true;
            } else if (wasQuoted && c == QLatin1Char(' ')) {
                // blanks between a closing quote and the separator
            } else {
                cell += c;
            }
        }
    }

private:
    TLineReader& FLines;
    QChar FDelimiter;
    QString FPath;
    QString FPending;
    bool FHasPending = false;
};

// What the values of a column allow it to be. A column is a number only when every value is
// written exactly as the number would be written back ("001", "1.00", "12E3" and 20-digit codes
// are not), and a date only when every value is a whole date in one of the two forms.
struct TColumnGuess {
    bool Int = true, Float = true, Date = true;
    QChar Decimal;        // the decimal separator the column's numbers use
    bool Seen = false;
    int Width = 1;

    static bool CanonicalInt(const QString& t)
    {
        bool ok = false;
        const qlonglong v = t.toLongLong(&ok);
        return ok && QString::number(v) == t;
    }

    bool CanonicalFloat(const QString& t)
    {
        const qsizetype dot = t.indexOf(QLatin1Char('.')), comma = t.indexOf(QLatin1Char(','));
        if (dot >= 0 && comma >= 0)
            return false;
        const qsizetype at = dot >= 0 ? dot : comma;
        if (at < 0)
            return CanonicalInt(t);
        const QChar sep = t.at(at);
        if (!Decimal.isNull() && Decimal != sep)
            return false;
        QString plain = t;
        plain[at] = QLatin1Char('.');
        const QString whole = plain.left(at), fraction = plain.mid(at + 1);
        if (fraction.isEmpty() || fraction.endsWith(QLatin1Char('0')) || !CanonicalInt(whole.isEmpty() || whole == QLatin1String("-") ? QStringLiteral("x") : whole))
            return false;
        for (QChar c : fraction)
            if (!c.isDigit() || c.unicode() >= 128)
                return false;
        if ((whole.size() - (whole.startsWith(QLatin1Char('-')) ? 1 : 0)) + fraction.size() > 15)
            return false; // more digits than a double keeps
        bool ok = false;
        const double d = plain.toDouble(&ok);
        if (!ok || QString::number(d, 'f', static_cast<int>(fraction.size())) != plain)
            return false;
        Decimal = sep;
        return true;
    }

    static QVariant DateOf(const QString& t)
    {
        QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid())
            d = QDate::fromString(t, QStringLiteral("dd/MM/yyyy"));
        return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
    }

    void Take(const QString& v)
    {
        Width = std::max(Width, static_cast<int>(v.size()));
        if (v.isEmpty())
            return;
        Seen = true;
        if (Int && !CanonicalInt(v))
            Int = false;
        if (Float && !CanonicalFloat(v))
            Float = false;
        if (Date && !DateOf(v).isValid())
            Date = false;
    }

    enum Kind { KInt, KFloat, KDate, KText };
    Kind Result() const
    {
        if (!Seen)
            return KText;
        return Int ? KInt : Float ? KFloat : Date ? KDate : KText;
    }
};

[[noreturn]] void FileError(const QString& path, const QString& what)
{
    throw EDBEngineError(DBIERR_OPENFAILED, QStringLiteral("Cannot read the table %1: %2").arg(path, what));
}

// The names by which a folder's tables are known: the file name, and the name without the
// extension when no other file shares it. Lower-cased key to file name.
QList<QPair<QString, QString>> FolderNames(const QString& folder)
{
    const QStringList files = FolderTableNames(folder);
    QStringList bases;
    for (const QString& f : files)
        bases << QFileInfo(f).completeBaseName().toLower();
    QList<QPair<QString, QString>> names;
    for (const QString& f : files) {
        names.append({f, f});
        const QString base = QFileInfo(f).completeBaseName();
        if (bases.count(base.toLower()) == 1)
            names.append({base, f});
    }
    return names;
}

// What tells a file's contents changed: its identity, size and time of last change.
QString FileStamp(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    return QStringLiteral("%1:%2:%3:%4.%5")
        .arg(st.st_dev)
        .arg(st.st_ino)
        .arg(st.st_size)
        .arg(st.st_mtim.tv_sec)
        .arg(st.st_mtim.tv_nsec);
}

constexpr const char* kStampTable = "\"tessiv$files\"";

// True when the file's table is there and was read from the file as it is now. A table read
// from an older state of the file goes (with the view of its short name), to be read again;
// while a dataset still reads it, it stays as it was.
bool TableLoaded(QSqlDatabase& db, const QString& fileName, const QString& stamp)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(fileName);
    if (!q.exec() || !q.next())
        return false;
    q.finish();
    QSqlQuery s(db);
    s.prepare(QStringLiteral("SELECT stamp FROM %1 WHERE name = ?").arg(QLatin1String(kStampTable)));
    s.addBindValue(fileName);
    if (s.exec() && s.next() && s.value(0).toString() == stamp)
        return true;
    s.finish();
    QSqlQuery drop(db);
    // The view of the short name reads the new table by its name.
    return !drop.exec(QStringLiteral("DROP TABLE %1").arg(QuoteName(fileName)));
}

} // namespace

void LoadFolderTable(QSqlDatabase& db, const QString& folder, const QString& fileName)
{
    const QString path = QDir(folder).filePath(fileName);
    const QString stamp = FileStamp(path);
    if (TableLoaded(db, fileName, stamp))
        return;
    // First pass: the separator, the columns and what their values allow.
    QStringList columns;
    std::vector<TColumnGuess> guesses;
    QChar delimiter;
    {
        TLineReader lines(path);
        QString error;
        if (!lines.Open(error))
            FileError(path, error);
        QString header;
        do {
            if (!lines.NextLine(header))
                FileError(path, QStringLiteral("the file is empty; its first line must name the columns"));
        } while (header.trimmed().isEmpty());
        delimiter = DelimiterOf(header);
        TCsvReader reader(lines, delimiter, path);
        reader.Unread(header);
        QStringList cells;
        reader.Next(cells);
        // Names compared without case, kept in a set so a wide file costs no more than its width.
        QSet<QString> taken;
        const auto add = [&](const QString& name) {
            columns << name;
            taken.insert(name.toLower());
        };
        for (const QString& h : cells) {
            const QString base = h.trimmed().isEmpty() ? QStringLiteral("FIELD%1").arg(columns.size() + 1) : h.trimmed();
            QString name = base;
            for (int k = 2; taken.contains(name.toLower()); ++k)
                name = base + QStringLiteral("_%1").arg(k);
            add(name);
        }
        guesses.resize(static_cast<std::size_t>(columns.size()));
        while (reader.Next(cells)) {
            // A row with more cells than the header keeps them, in columns of their own.
            while (columns.size() < cells.size()) {
                QString name = QStringLiteral("FIELD%1").arg(columns.size() + 1);
                while (taken.contains(name.toLower()))
                    name += QLatin1Char('_');
                add(name);
                guesses.emplace_back();
            }
            for (qsizetype c = 0; c < cells.size(); ++c)
                guesses[static_cast<std::size_t>(c)].Take(cells[c]);
        }
    }
    const int n = static_cast<int>(columns.size());
    std::vector<TColumnGuess::Kind> kinds;
    QStringList defs;
    for (int c = 0; c < n; ++c) {
        const TColumnGuess& g = guesses[static_cast<std::size_t>(c)];
        const auto k = g.Result();
        kinds.push_back(k);
        const QString type = k == TColumnGuess::KInt ? QStringLiteral("INTEGER") : k == TColumnGuess::KFloat ? QStringLiteral("FLOAT")
                           : k == TColumnGuess::KDate ? QStringLiteral("DATE") : QStringLiteral("VARCHAR(%1)").arg(g.Width);
        defs << QuoteName(columns[c]) + QLatin1Char(' ') + type;
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(QuoteName(fileName), defs.join(QStringLiteral(", ")))))
        RaiseSqlError(q.lastError(), fileName);
    // Second pass: the records.
    db.transaction();
    try {
        TLineReader lines(path);
        QString error;
        if (!lines.Open(error))
            FileError(path, error);
        TCsvReader reader(lines, delimiter, path);
        QStringList marks;
        for (int c = 0; c < n; ++c)
            marks << QStringLiteral("?");
        q.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(QuoteName(fileName), marks.join(QLatin1Char(','))));
        QStringList cells;
        reader.Next(cells); // the header
        while (reader.Next(cells)) {
            for (int c = 0; c < n; ++c) {
                const QString v = c < cells.size() ? cells[c] : QString();
                QVariant value;
                if (!v.isEmpty()) {
                    switch (kinds[static_cast<std::size_t>(c)]) {
                    case TColumnGuess::KInt: value = v.toLongLong(); break;
                    case TColumnGuess::KFloat: value = QString(v).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(); break;
                    case TColumnGuess::KDate: value = TColumnGuess::DateOf(v); break;
                    case TColumnGuess::KText: value = v; break;
                    }
                }
                q.bindValue(c, value);
            }
            if (!q.exec())
                RaiseSqlError(q.lastError(), fileName);
        }
    } catch (...) {
        db.rollback();
        QSqlQuery drop(db);
        drop.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QuoteName(fileName)));
        throw;
    }
    QSqlQuery mark(db);
    mark.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (name TEXT PRIMARY KEY, stamp TEXT)").arg(QLatin1String(kStampTable)));
    mark.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 VALUES (?, ?)").arg(QLatin1String(kStampTable)));
    mark.addBindValue(fileName);
    mark.addBindValue(stamp);
    mark.exec();
    db.commit();
    // Known also by its name without the extension, when no other file shares that name.
    for (const auto& [name, file] : FolderNames(folder))
        if (file == fileName && name != fileName) {
            QSqlQuery v(db);
            v.exec(QStringLiteral("CREATE VIEW IF NOT EXISTS %1 AS SELECT * FROM %2").arg(QuoteName(name), QuoteName(fileName)));
        }
}

QString FolderFileOf(const QString& folder, const QString& tableName)
{
    for (const auto& [name, file] : FolderNames(folder))
        if (name.compare(tableName, Qt::CaseInsensitive) == 0)
            return file;
    return QString();
}

void LoadFolderTablesOf(QSqlDatabase& db, const QString& folder, const QString& sql)
{
    // The tables a statement names, as words of it (quoted or not); only they are read.
    QStringList files;
    for (const auto& [name, file] : FolderNames(folder)) {
        const QRegularExpression re(QStringLiteral("(?<![\\w.])%1(?![\\w.])").arg(QRegularExpression::escape(name)),
                                    QRegularExpression::CaseInsensitiveOption);
        if (!files.contains(file) && re.match(sql).hasMatch())
            files << file;
    }
    for (const QString& f : files)
        LoadFolderTable(db, folder, f);
}

} // namespace tessiv
