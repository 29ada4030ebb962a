#pragma once
// What the window checks of the data setup dialog and the data grid share: a scratch folder with
// the session's alias file, an SQLite file with CLIENTES behind the alias LOJA, and a document
// whose report reads that table.
#include "ExprDialogsCheck.h"
#include "PageDialogsCheck.h"

#include "designer/document/AnexoRelatorio.h"
#include "designer/document/Hidden.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

namespace datacheck {

// One value of a query on the file.
inline QString Query(const QString& file, const QString& sql)
{
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        if (q.exec(sql) && q.next())
            value = q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return value;
}

// Call before the application object is made: the settings and aliases live in the folder.
inline void UseFolder(const QTemporaryDir& dir)
{
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", dir.filePath(QStringLiteral("Documents")).toUtf8());
}

// The shop's file and its alias; a document over its open CLIENTES table.
inline std::unique_ptr<tessiv::TAnexoRelatorio> ShopDocument(const QTemporaryDir& dir, tessiv::TDocumentHost* host,
                                                             QString& file)
{
    using namespace tessiv;
    dialogcheck::Expect(
        dialogcheck::MakeSqliteAlias(dir.path(), QStringLiteral("LOJA"),
                                     {QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOME VARCHAR(30), UF CHAR(2))"),
                                      QStringLiteral("INSERT INTO CLIENTES VALUES (1, 'Ana', 'SP')"),
                                      QStringLiteral("INSERT INTO CLIENTES VALUES (2, 'Bia', 'RJ')"),
                                      QStringLiteral("INSERT INTO CLIENTES VALUES (3, 'Caio', 'SP')"),
                                      QStringLiteral("CREATE TABLE PRODUTOS (ID INTEGER PRIMARY KEY, DESCRICAO VARCHAR(40))")}),
        "the shop's database was not made");
    file = dir.filePath(QStringLiteral("LOJA.db"));
    std::unique_ptr<TAnexoRelatorio> doc(NewReportDocument(host));
    auto* table = new TTable(doc->Root());
    table->SetName(QStringLiteral("Table1"));
    table->SetDatabaseName(QStringLiteral("LOJA"));
    table->SetTableName(QStringLiteral("CLIENTES"));
    doc->Report()->SetDataSet(table);
    table->Open();
    return doc;
}

// What both checks work on: the settings file in the folder and the shop's document.
struct TShop {
    explicit TShop(const QTemporaryDir& dir)
        : Settings(dir.filePath(QStringLiteral("Tessiv.INI"))), Doc(ShopDocument(dir, &Host, File))
    {
    }
    tessiv::TIniFile Settings;
    tessiv::TDocumentHost Host;
    QString File;
    std::unique_ptr<tessiv::TAnexoRelatorio> Doc;
};

} // namespace datacheck
