#pragma once
// The drivers behind the database names: how to connect, how a column's type name is found, how a
// value is handed to the driver. Internal to the data layer.

#include "platform/data/Field.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct pg_conn;

namespace tessiv {

enum class TDriverKind { SQLite, ODBC, PostgreSQL, Standard };

// "SQLITE", "ODBC", "POSTGRESQL", "STANDARD"; nullopt for another name.
std::optional<TDriverKind> DriverKindOf(const QString& driverName);
QString DriverNameOf(TDriverKind kind);
QStringList DriverNames();

// Opens a Qt connection named connName with the alias parameters ("PATH=", "DATABASE NAME=",
// "SERVER NAME=", "PORT=", "USER NAME=", "PASSWORD=", "ODBC DSN=", "CONNECTION STRING=").
// Raises EDBEngineError (13059 for a refused login); nothing stays registered on failure.
QSqlDatabase OpenDriverConnection(TDriverKind kind, const QStringList& params, const QString& connName);
void CloseDriverConnection(const QString& connName);
// libpq's connection under a PostgreSQL connection; nullptr for another driver or none.
pg_conn* PgHandle(const QSqlDatabase& db);

// The type name of a PostgreSQL column from its type and modifier ("VARCHAR(30)", "NUMERIC(10,2)").
QString PgColumnTypeName(unsigned oid, int mod);
QString ColumnTypeName(TDriverKind kind, const QSqlQuery& query, int column);
// The field type of a result column from what the driver says of it: the declared or reported
// type name, else (ODBC) the driver's SQL type; ftUnknown when it says nothing (an SQLite
// expression). SQLite's integers are 64-bit, so its integer columns are large integers.
TColumnType DriverColumnType(TDriverKind kind, const QSqlQuery& query, int column);
// The field type of an SQLite column from its declared type (ftUnknown for none).
TColumnType SqliteColumnType(const QString& declared);
// An SQLite statement of our own on a connection Qt opened: values are read as SQLite holds them
// (text that is not UTF-8 too), and nothing is converted twice.
class TSqliteCursor {
public:
    // Prepares the statement; error() tells when that failed.
    TSqliteCursor(const QSqlDatabase& db, const QString& sql);
    ~TSqliteCursor();
    TSqliteCursor(const TSqliteCursor&) = delete;
    TSqliteCursor& operator=(const TSqliteCursor&) = delete;
    bool Valid() const { return FStmt != nullptr; }
    QSqlError Error() const { return FError; }
    bool ReturnsRecords() const;
    bool ReadsOnly() const;
    void Bind(const std::vector<QVariant>& binds);
    int ColumnCount() const;
    QString ColumnName(int column) const;
    QString DeclaredType(int column) const;
    // 1: a row is there; 0: no more rows; -1: failed (Error()).
    int Step();
    void Reset();
    int ValueClass(int column) const;
    void Values(std::vector<QVariant>& row) const;

private:
    ::sqlite3* FConn = nullptr;
    ::sqlite3_stmt* FStmt = nullptr;
    QSqlError FError;
};

// The one statement of a text, without the ';' that may end it. Raises when a second statement
// follows, on every driver, before anything runs.
QString SingleStatement(const QString& sql);
// For a prepared statement: true when it returns records, false when it does not; nullopt when
// the driver cannot tell before running it.
std::optional<bool> PreparedReturnsRecords(TDriverKind kind, const QSqlQuery& prepared);
// For a prepared statement: true when it changes nothing in the database (SQLite); nullopt when
// the driver cannot tell.
std::optional<bool> PreparedReadsOnly(TDriverKind kind, const QSqlQuery& prepared);
QStringList DriverTableNames(TDriverKind kind, QSqlDatabase& db, bool systemTables);
QStringList DriverIndexNames(TDriverKind kind, QSqlDatabase& db, const QString& table);
QStringList DriverIndexFields(TDriverKind kind, QSqlDatabase& db, const QString& table, const QString& index);
QString QuoteName(const QString& name);
QVariant ToDriverValue(TDriverKind kind, TFieldType type, const QVariant& stored);
// An EDBEngineError from a failed statement.
[[noreturn]] void RaiseSqlError(const QSqlError& error, const QString& context);
// True when the connection behind db is gone (the server ended the session, the link failed);
// message gets the driver's own words about it when it has them.
bool DriverConnectionLost(TDriverKind kind, const QSqlDatabase& db, QString& message);

// The folder driver: each CSV and text file of the folder is a table of a private temporary database,
// read from its file the first time a dataset uses it. Listing reads only the file names.
QStringList FolderTableNames(const QString& folder);
// The file a table name stands for (its file name, or the name without the extension); empty
// when none does.
QString FolderFileOf(const QString& folder, const QString& tableName);
// Reads one file into its table (raises with the file's name when it cannot be read).
void LoadFolderTable(QSqlDatabase& db, const QString& folder, const QString& fileName);
// Reads the files whose table names a statement uses.
void LoadFolderTablesOf(QSqlDatabase& db, const QString& folder, const QString& sql);

} // namespace tessiv
