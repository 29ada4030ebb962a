#pragma once
// What the window checks of the expression builder and the text and SQL editors share besides
// the page dialogs' helpers: an SQLite file made by statements, with an alias over it, in a
// session that keeps its aliases in the scratch folder.

#include "platform/core/Strings.h"
#include "platform/data/Database.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

namespace dialogcheck {

inline bool MakeSqliteAlias(const QString& folder, const QString& alias, const QStringList& statements)
{
    tessiv::Session().SetConfigFile(QDir(folder).filePath(QStringLiteral("Aliases.INI")));
    tessiv::Session().SetDataFolder(QDir(folder).filePath(QStringLiteral("data")));
    const QString file = QDir(folder).filePath(alias + QStringLiteral(".db"));
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check-maker"));
        db.setDatabaseName(file);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString& s : statements)
            ok = ok && q.exec(s);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check-maker"));
    tessiv::TStringList params;
    params.Add(QStringLiteral("PATH=") + file);
    tessiv::Session().AddAlias(alias, QStringLiteral("SQLITE"), &params);
    return ok;
}

} // namespace dialogcheck
