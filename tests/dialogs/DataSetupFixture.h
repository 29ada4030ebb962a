#pragma once
// What the data setup and data grid tests share: a scratch folder holding the session's alias file,
// real SQLite files behind SQLITE and ODBC aliases, a CSV folder, message boxes answered and noted,
// and new documents whose report reads a table.

#include "ScratchSession.h"
#include "designer/document/AnexoRelatorio.h"
#include "platform/ui/Application.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace tessiv {
class TTable;
class TKVBand;
class TVardoRep;
} // namespace tessiv

namespace datasetuptest {

using testsession::TNotedBox;

class DataSetupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString& name) const { return FDir.filePath(name); }
    // An SQLite file made by the statements, and an alias over it: SQLITE reads it itself,
    // ODBC through the SQLite ODBC driver (a server-style alias: it needs a database component).
    QString MakeSqlite(const QString& file, const QStringList& statements);
    void AddSqliteAlias(const QString& alias, const QString& file);
    void AddOdbcAlias(const QString& alias, const QString& file);
    // The shop: CLIENTES (ID, NOME, UF) with three rows, PRODUTOS (ID, DESCRICAO) with two.
    QString MakeShop(const QString& file);
    // Runs one query on an SQLite file and gives the first column of every row.
    QStringList Column(const QString& file, const QString& sql);
    // A folder with files.
    QString MakeFolder(const QString& name, const QStringList& files, const QByteArray& content);

    // A new document; with a table, its report reads that table of the database name.
    std::unique_ptr<tessiv::TAnexoRelatorio> NewDocument();
    tessiv::TTable* AddTable(tessiv::TAnexoRelatorio* doc, const QString& name, const QString& databaseName,
                             const QString& tableName);
    static tessiv::TKVBand* Detail(tessiv::TVardoRep* report);
    // The texts of the noted boxes.
    QStringList BoxTexts() const { return testsession::BoxTexts(Boxes); }

    QTemporaryDir FDir;
    std::vector<TNotedBox> Boxes;
    // The button the user "presses" in a message box; a function may decide per box.
    int Answer = tessiv::IDOK;
    std::function<int(const tessiv::TMessageBoxRequest&)> Answering;
    tessiv::TDocumentHost Host;
};

} // namespace datasetuptest
