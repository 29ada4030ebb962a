#include "DataSetupFixture.h"

#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include <QDir>
#include <QFile>

namespace datasetuptest {

using namespace tessiv;

void DataSetupTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(testsession::UseScratchFolder(FDir));
    testsession::NoteMessageBoxes(Boxes, [this](const TMessageBoxRequest& r) { return Answering ? Answering(r) : Answer; });
}

void DataSetupTest::TearDown()
{
    Application().Presenter = nullptr;
}

QString DataSetupTest::MakeSqlite(const QString& file, const QStringList& statements)
{
    const QString path = Path(file);
    testsession::RunSqlite(path, statements);
    return path;
}

void DataSetupTest::AddSqliteAlias(const QString& alias, const QString& file)
{
    testsession::AddSqliteAlias(alias, file);
}

void DataSetupTest::AddOdbcAlias(const QString& alias, const QString& file)
{
    TStringList p;
    p.Add(QStringLiteral("CONNECTION STRING=DRIVER={SQLite3};Database=") + file);
    Session().AddAlias(alias, QStringLiteral("ODBC"), &p);
}

QString DataSetupTest::MakeShop(const QString& file)
{
    return MakeSqlite(file, {QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOME VARCHAR(30), UF CHAR(2))"),
                             QStringLiteral("INSERT INTO CLIENTES VALUES (1, 'Ana', 'SP')"),
                             QStringLiteral("INSERT INTO CLIENTES VALUES (2, 'Bia', 'RJ')"),
                             QStringLiteral("INSERT INTO CLIENTES VALUES (3, 'Caio', 'SP')"),
                             QStringLiteral("CREATE INDEX CLIENTES_NOME ON CLIENTES (NOME)"),
                             QStringLiteral("CREATE TABLE PRODUTOS (ID INTEGER PRIMARY KEY, DESCRICAO VARCHAR(40))"),
                             QStringLiteral("INSERT INTO PRODUTOS VALUES (1, 'Caneta')"),
                             QStringLiteral("INSERT INTO PRODUTOS VALUES (2, 'Lápis')")});
}

QStringList DataSetupTest::Column(const QString& file, const QString& sql)
{
    return testsession::SqliteColumn(file, sql);
}

QString DataSetupTest::MakeFolder(const QString& name, const QStringList& files, const QByteArray& content)
{
    QDir(FDir.path()).mkpath(name);
    const QString folder = Path(name);
    for (const QString& f : files) {
        QFile file(QDir(folder).filePath(f));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    return folder;
}

std::unique_ptr<TAnexoRelatorio> DataSetupTest::NewDocument()
{
    return std::unique_ptr<TAnexoRelatorio>(NewReportDocument(&Host));
}

TTable* DataSetupTest::AddTable(TAnexoRelatorio* doc, const QString& name, const QString& databaseName,
                               const QString& tableName)
{
    auto* table = new TTable(doc->Root());
    table->SetName(name);
    table->SetDatabaseName(databaseName);
    table->SetTableName(tableName);
    doc->Report()->SetDataSet(table);
    return table;
}

TKVBand* DataSetupTest::Detail(TVardoRep* report)
{
    for (TKVCustomBand* band : report->BandList())
        if (auto* b = dynamic_cast<TKVBand*>(band); b && b->BandType() == rbDetail)
            return b;
    return nullptr;
}

} // namespace datasetuptest
