// The report over real SQLite files: a group's break expression checked record by record, and the
// report's database operations (the kind of its dataset, the document's database and the database
// name that moves every dataset of the document to another database).

#include "ReportFixture.h"

#include "engine/expressions/KVEvaluator.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace tessiv;
using namespace enginetest;

namespace {

// The records the groups run over: the value columns change at chosen records only. PRECO holds
// 0.1 + 0.2 and then 0.3, two doubles that print alike and differ in the last bit. NOME has a
// trailing blank at record 2 only.
const char* const Rows[] = {
    "(1, 'SP', 'Ana',  10, 1, 0.30000000000000004, 0)",
    "(2, 'SP', 'Ana',  10, 1, 0.30000000000000004, 2)",
    "(3, 'RJ', 'Ana ', 10, 0, 0.3,                 0)",
    "(4, 'RJ', 'Ana',  20, 0, 0.3,                 5)",
    "(5, 'SP', 'Ana',  20, 0, 0.3,                 5)",
};

class ReportDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FormatSettings() = BrazilianFormatSettings();
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
        MakeDatabase(QStringLiteral("LOJA"), QStringLiteral("loja.db"), {"(1, 'MG', 'Loja', 0, 0, 0, 0)"});
        MakeDatabase(QStringLiteral("FILIAL"), QStringLiteral("filial.db"), std::vector<const char*>(std::begin(Rows), std::end(Rows)));
    }

    void MakeDatabase(const QString& alias, const QString& fileName, const std::vector<const char*>& rows)
    {
        const QString file = FDir.filePath(fileName);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
            db.setDatabaseName(file);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, UF VARCHAR(2), "
                                              "NOME VARCHAR(20), FAIXA INTEGER, ATIVO BOOLEAN, PRECO FLOAT, N INTEGER)")))
                << q.lastError().text().toStdString();
            for (const char* row : rows)
                ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO CLIENTES VALUES ") + QString::fromLatin1(row)))
                    << q.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("maker"));
        TStringList p;
        p.Add(QStringLiteral("PATH=") + file);
        Session().AddAlias(alias, QStringLiteral("SQLITE"), &p);
    }

    template <class D>
    D* AddDataSet(TReportDoc& doc, const QString& name, const QString& databaseName)
    {
        auto* d = new D(doc.Form.get());
        d->SetName(name);
        d->SetDatabaseName(databaseName);
        if constexpr (std::is_same_v<D, TTable>)
            d->SetTableName(QStringLiteral("CLIENTES"));
        else
            d->SQL()->SetText(QStringLiteral("SELECT * FROM CLIENTES ORDER BY ID"));
        return d;
    }

    QTemporaryDir FDir;
};

// ---- the group's break expression --------------------------------------------------------------

struct TGroupCase {
    const char* Expression;
    std::vector<int> Opened; // the records (from 0) at which the group opened
};

void PrintTo(const TGroupCase& c, std::ostream* os)
{
    *os << '"' << c.Expression << '"';
}

class GroupBreakTest : public ReportDataTest, public ::testing::WithParamInterface<TGroupCase> {};

TEST_P(GroupBreakTest, OpensAGroupWhenTheValueChanges)
{
    TReportDoc doc;
    auto* table = AddDataSet<TTable>(doc, QStringLiteral("Clientes"), QStringLiteral("FILIAL"));
    table->Open();
    auto* group = doc.Add<TKVGroup>(QStringLiteral("CabecalhoGrupo1"));
    group->SetExpression(QString::fromLatin1(GetParam().Expression));
    const std::vector<TDataSet*> dataSets{table};
    // Two runs: preparing again forgets the last value, so the first record opens the group again.
    for (int run = 0; run < 2; ++run) {
        group->Prepare(&dataSets);
        EXPECT_FALSE(group->HasLastValue());
        std::vector<int> opened;
        int record = 0;
        for (table->First(); !table->Eof(); table->Next(), ++record) {
            const bool changed = group->CheckGroup();
            EXPECT_EQ(changed, group->Changed());
            if (changed)
                opened.push_back(record);
        }
        EXPECT_EQ(opened, GetParam().Opened) << "run " << run;
    }
    group->Unprepare();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GroupBreakTest,
    ::testing::Values(
        TGroupCase{"UF", {0, 2, 4}},
        // Strings are compared to the last character: "Ana " is not "Ana".
        TGroupCase{"NOME", {0, 2, 3}},
        TGroupCase{"FAIXA", {0, 3}},
        TGroupCase{"ATIVO", {0, 2}},
        // Exact comparison of the doubles.
        TGroupCase{"PRECO", {0, 2}},
        TGroupCase{"Clientes.UF + STR(FAIXA)", {0, 2, 3, 4}},
        // An expression that cannot be computed opens a group at the first record and never again.
        TGroupCase{"SEMCAMPO", {0}},
        TGroupCase{"UF +", {0}},
        // An empty expression is a string of one blank.
        TGroupCase{"", {0}},
        // A value of another kind is a change, though 1 and 1.0 are equal numbers.
        TGroupCase{"IF(ID < 4, 1, 1.0)", {0, 3}},
        // 10 / N has no value where N is 0: the records 0 and 2 give errors, 1 the float 5 and
        // 3, 4 the float 2. The first record opens the group and a float after it is a change;
        // the error at record 2 is no change, so record 3 opens one group only.
        TGroupCase{"10 / N", {0, 1, 3}},
        // An error between two equal values opens nothing: 10, error, 10, 20, 20.
        TGroupCase{"IF(ID = 2, 1 / 0, FAIXA)", {0, 3}}));

TEST_F(ReportDataTest, AGroupKeepsTheValueThatOpenedIt)
{
    TReportDoc doc;
    auto* table = AddDataSet<TTable>(doc, QStringLiteral("Clientes"), QStringLiteral("FILIAL"));
    table->Open();
    auto* group = doc.Add<TKVGroup>(QStringLiteral("CabecalhoGrupo1"));
    group->SetExpression(QStringLiteral("UF"));
    const std::vector<TDataSet*> dataSets{table};
    group->Prepare(&dataSets);
    table->First();
    ASSERT_TRUE(group->CheckGroup());
    table->Next();
    EXPECT_FALSE(group->CheckGroup());
    ASSERT_EQ(group->LastValue().Kind, TKVEvResultType::STRING);
    EXPECT_EQ(group->LastValue().StringResult, QStringLiteral("SP"));
    table->Next();
    EXPECT_TRUE(group->CheckGroup());
    EXPECT_EQ(group->LastValue().StringResult, QStringLiteral("RJ"));
    // An undo copy takes the flag of the last check.
    auto* copy = doc.Add<TKVGroup>(QStringLiteral("CabecalhoGrupo2"));
    copy->CopyFrom(group);
    EXPECT_TRUE(copy->Changed());
    EXPECT_EQ(copy->Expression(), QStringLiteral("UF"));
    group->Unprepare();
}

TEST_F(ReportDataTest, AnUnpreparedGroupOpensOnceOnly)
{
    TReportDoc doc;
    auto* group = doc.Add<TKVGroup>(QStringLiteral("CabecalhoGrupo1"));
    group->SetExpression(QStringLiteral("UF"));
    EXPECT_TRUE(group->CheckGroup());
    EXPECT_FALSE(group->CheckGroup());
    EXPECT_EQ(group->LastValue().Kind, TKVEvResultType::ERROR);
}

// ---- the database operations --------------------------------------------------------------------

TEST_F(ReportDataTest, DataSetKind)
{
    TReportDoc doc;
    TVardoRep* r = doc.Report;
    EXPECT_EQ(r->DataSetKind(), 0);
    auto* table = AddDataSet<TTable>(doc, QStringLiteral("Clientes"), QStringLiteral("LOJA"));
    auto* query = AddDataSet<TQuery>(doc, QStringLiteral("Consulta"), QStringLiteral("LOJA"));
    r->SetDataSet(table);
    EXPECT_EQ(r->DataSetKind(), 1);
    r->SetDataSet(query);
    EXPECT_EQ(r->DataSetKind(), 2);
    // A freed dataset leaves the report without one.
    query->Free();
    EXPECT_EQ(r->DataSet(), nullptr);
    EXPECT_EQ(r->DataSetKind(), 0);
}

TEST_F(ReportDataTest, DatabaseNameWithoutADatabaseComponent)
{
    TReportDoc doc;
    TVardoRep* r = doc.Report;
    EXPECT_EQ(r->FindDatabase(), nullptr);
    EXPECT_EQ(r->GetDatabaseName(), QString());
    auto* query = AddDataSet<TQuery>(doc, QStringLiteral("Consulta"), QStringLiteral("LOJA"));
    r->SetDataSet(query);
    EXPECT_EQ(r->GetDatabaseName(), QString()); // only a table tells its database
    auto* table = AddDataSet<TTable>(doc, QStringLiteral("Clientes"), QStringLiteral("LOJA"));
    r->SetDataSet(table);
    EXPECT_EQ(r->GetDatabaseName(), QStringLiteral("LOJA"));

    // Every dataset of the document moves to the other database; the open ones open again there,
    // a closed one stays closed.
    table->Open();
    query->Open();
    auto* closed = AddDataSet<TTable>(doc, QStringLiteral("Fechada"), QStringLiteral("LOJA"));
    r->SetDatabaseName(QStringLiteral("FILIAL"));
    EXPECT_EQ(r->GetDatabaseName(), QStringLiteral("FILIAL"));
    for (TDBDataSet* d : std::initializer_list<TDBDataSet*>{table, query, closed})
        EXPECT_EQ(d->DatabaseName(), QStringLiteral("FILIAL")) << d->Name().toStdString();
    ASSERT_TRUE(table->Active());
    ASSERT_TRUE(query->Active());
    EXPECT_FALSE(closed->Active());
    query->First();
    EXPECT_EQ(query->FieldByName(QStringLiteral("UF"))->AsString(), QStringLiteral("SP"));
    EXPECT_EQ(table->RecordCount(), 5);
}

TEST_F(ReportDataTest, EmptyOrUnchangedDatabaseNameDoesNothing)
{
    TReportDoc doc;
    TVardoRep* r = doc.Report;
    auto* table = AddDataSet<TTable>(doc, QStringLiteral("Clientes"), QStringLiteral("LOJA"));
    r->SetDataSet(table);
    r->SetDatabaseName(QString());
    EXPECT_EQ(table->DatabaseName(), QStringLiteral("LOJA"));
    r->SetDatabaseName(QStringLiteral("FILIAL"));
    EXPECT_EQ(table->DatabaseName(), QStringLiteral("FILIAL"));
    // The name last set through the report is not set again, whatever the datasets hold now.
    table->SetDatabaseName(QStringLiteral("LOJA"));
    r->SetDatabaseName(QStringLiteral("FILIAL"));
    EXPECT_EQ(table->DatabaseName(), QStringLiteral("LOJA"));
    r->SetDatabaseName(QStringLiteral("OUTRA"));
    EXPECT_EQ(table->DatabaseName(), QStringLiteral("OUTRA"));
}

TEST_F(ReportDataTest, TheDocumentsDatabaseComponent)
{
    TReportDoc doc;
    TVardoRep* r = doc.Report;
    const auto addDatabase = [&](const QString& name, const QString& alias) {
        auto* db = new TDatabase(doc.Form.get());
        db->SetName(name);
        db->SetDatabaseName(QStringLiteral("Local"));
        db->SetAliasName(alias);
        db->LoginPrompt = false;
        return db;
    };
    TDatabase* first = addDatabase(QStringLiteral("Banco1"), QStringLiteral("LOJA"));
    TDatabase* second = addDatabase(QStringLiteral("Banco2"), QStringLiteral("FILIAL"));
    second->SetDatabaseName(QStringLiteral("Reserva"));
    auto* table = AddDataSet<TTable>(doc, QStringLiteral("Clientes"), QStringLiteral("Local"));
    r->SetDataSet(table);
    EXPECT_EQ(r->FindDatabase(), first);
    // The database's name comes before the table's.
    EXPECT_EQ(r->GetDatabaseName(), QStringLiteral("Local"));

    // Renaming goes through the connected database: it is connected again under the new name and
    // the table, named the same, opens on it again.
    first->SetConnected(true);
    table->Open();
    r->SetDatabaseName(QStringLiteral("Principal"));
    EXPECT_EQ(first->DatabaseName(), QStringLiteral("Principal"));
    EXPECT_TRUE(first->Connected());
    EXPECT_EQ(second->DatabaseName(), QStringLiteral("Reserva"));
    EXPECT_EQ(table->DatabaseName(), QStringLiteral("Principal"));
    ASSERT_TRUE(table->Active());
    table->First();
    EXPECT_EQ(table->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("Loja"));
    EXPECT_EQ(r->GetDatabaseName(), QStringLiteral("Principal"));

    // A removed database is forgotten and the next one found.
    table->Close();
    first->Free();
    EXPECT_EQ(r->FindDatabase(), second);
    EXPECT_EQ(r->GetDatabaseName(), QStringLiteral("Reserva"));
}

} // namespace
