#include "DataSetupFixture.h"

#include "designer/Hidden.h"
#include "engine/KVBands.h"
#include "engine/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace datasetuptest {

using namespace tessiv;

namespace {

class TDataSetupEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "test_dialogs";
        static char* argv[] = {arg0, nullptr};
        if (!QCoreApplication::instance())
            FApp = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<QApplication> FApp;
};

[[maybe_unused]] auto* const Environment = ::testing::AddGlobalTestEnvironment(new TDataSetupEnvironment);

int g_fixtureConnection = 0;

} // namespace

void DataSetupTest::SetUp()
{
    ASSERT_TRUE(FDir.isValid());
    qputenv("HOME", FDir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", FDir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", FDir.filePath(QStringLiteral("Documents")).toUtf8());
    Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
    Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
    Application().Presenter = [this](const TMessageBoxRequest& r) {
        Boxes.push_back({r.Text, r.Type, r.Buttons});
        return Answering ? Answering(r) : Answer;
    };
}

void DataSetupTest::TearDown()
{
    Application().Presenter = nullptr;
}

QString DataSetupTest::MakeSqlite(const QString& file, const QStringList& statements)
{
    const QString path = Path(file);
    const QString name = QStringLiteral("datasetup-fixture-%1").arg(++g_fixtureConnection);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& s : statements)
            EXPECT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
    return path;
}

void DataSetupTest::AddSqliteAlias(const QString& alias, const QString& file)
{
    TStringList p;
    p.Add(QStringLiteral("PATH=") + file);
    Session().AddAlias(alias, QStringLiteral("SQLITE"), &p);
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
    QStringList values;
    const QString name = QStringLiteral("datasetup-fixture-%1").arg(++g_fixtureConnection);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        while (q.next())
            values << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(name);
    return values;
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

QStringList DataSetupTest::BoxTexts() const
{
    QStringList texts;
    for (const TNotedBox& b : Boxes)
        texts << b.Text;
    return texts;
}

} // namespace datasetuptest
