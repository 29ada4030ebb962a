#pragma once
// What the window checks of the expression builder and the text and SQL editors share besides
// the page dialogs' helpers: an SQLite file made by statements, with an alias over it, in a
// session that keeps its aliases in the scratch folder, and a report reading a query over it.

#include "designer/document/Hidden.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <memory>

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

// A document root with a report whose data set is the query, named and open, over the alias.
struct TQueryReport {
    std::unique_ptr<tessiv::TfmHidden, tessiv::TComponentDeleter> Root;
    tessiv::TVardoRep* Report = nullptr;
    tessiv::TQuery* Data = nullptr;
};

inline TQueryReport MakeQueryReport(const QString& name, const QString& alias, const QString& sql)
{
    using namespace tessiv;
    TQueryReport r;
    r.Root.reset(new TfmHidden(nullptr));
    r.Report = new TVardoRep(r.Root.get());
    r.Report->SetParent(r.Root.get());
    r.Data = new TQuery(r.Root.get());
    r.Data->SetName(name);
    r.Data->SetDatabaseName(alias);
    r.Data->SQL()->SetText(sql);
    r.Data->Open();
    return r;
}

} // namespace dialogcheck
