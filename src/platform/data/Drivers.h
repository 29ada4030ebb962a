#pragma once
// The drivers behind the database names: how to connect, how a column's type name is found, how a
// value is handed to the driver. Internal to the data layer.

#include "platform/data/Field.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

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

// A PostgreSQL money value (text in the C monetary locale) as a number.
QVariant PgMoneyValue(const QVariant& raw);
QString ColumnTypeName(TDriverKind kind, const QSqlQuery& query, int column);
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

// The folder driver: every CSV and text file of the folder read into an in-memory database.
void LoadFolderTables(QSqlDatabase& db, const QString& folder);
QStringList FolderTableNames(const QString& folder);

} // namespace tessiv
