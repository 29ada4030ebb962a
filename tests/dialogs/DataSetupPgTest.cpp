// The data source setup dialog over a PostgreSQL server the tests start: a server alias with a
// login, refused and accepted.

#include "DataSetupFixture.h"

#include "PgServer.h"
#include "designer/document/Hidden.h"
#include "designer/dialogs/MyZTDataSetup.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include <QComboBox>
#include <QRadioButton>

namespace datasetuptest {

using namespace tessiv;

class DataSetupPg : public DataSetupTest {
protected:
    void SetUp() override
    {
        DataSetupTest::SetUp();
        test::PgServer& pg = test::PgServer::Instance();
        QString why;
        if (!pg.Start(why))
            GTEST_SKIP() << why.toStdString();
        QString error;
        // The role and the table may be there from an earlier test of this run.
        pg.Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE ROLE etiquetador LOGIN PASSWORD 'rotulo'")}, error);
        pg.Exec(QStringLiteral("postgres"),
                {QStringLiteral("CREATE TABLE IF NOT EXISTS etiquetas (id INTEGER PRIMARY KEY, texto VARCHAR(20))"),
                 QStringLiteral("GRANT SELECT ON etiquetas TO etiquetador"),
                 QStringLiteral("DELETE FROM etiquetas"),
                 QStringLiteral("INSERT INTO etiquetas VALUES (1, 'um'), (2, 'dois')")},
                error);
        TStringList p;
        p.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
        p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
        p.Add(QStringLiteral("DATABASE NAME=postgres"));
        p.Add(QStringLiteral("USER NAME=etiquetador"));
        Session().AddAlias(QStringLiteral("PGETIQ"), QStringLiteral("POSTGRESQL"), &p);
    }
    void TearDown() override
    {
        SetLoginDialog(nullptr);
        DataSetupTest::TearDown();
    }
};

TEST_F(DataSetupPg, ALoginCancelledShowsTheServersRefusalAndLeavesAnEmptyTable)
{
    auto doc = NewDocument();
    std::unique_ptr<TfmMyZTDataSetup, TComponentDeleter> dialog(new TfmMyZTDataSetup(nullptr));
    dialog->SetAnexo(doc.get());
    dialog->SetOnScreen(true);
    dialog->DataTypeButton(1)->click();
    QStringList asked;
    SetLoginDialog([&](const QString& alias, QString& user, QString&) {
        asked << alias + QLatin1Char('/') + user;
        return false;
    });
    dialog->cbDataBaseName()->setEditText(QStringLiteral("PGETIQ"));
    Application().Guard([&] { dialog->cbDataBaseNameChange(); });
    EXPECT_EQ(asked, QStringList{QStringLiteral("PGETIQ/etiquetador")});
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Type, mtError);
    EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("password"), Qt::CaseInsensitive)) << Boxes[0].Text.toStdString();
    // The kind stays "Tabela", over a table made anew and empty, and the alias box is cleared.
    EXPECT_EQ(dialog->DataTypeIndex(), 1);
    EXPECT_TRUE(dialog->cbDataBaseName()->currentText().isEmpty());
    auto* table = dynamic_cast<TTable*>(doc->Report()->DataSet());
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->TableName().isEmpty());
    EXPECT_FALSE(table->Active());
}

TEST_F(DataSetupPg, ALoginAcceptedListsTheServersTablesAndOpensOne)
{
    auto doc = NewDocument();
    std::unique_ptr<TfmMyZTDataSetup, TComponentDeleter> dialog(new TfmMyZTDataSetup(nullptr));
    dialog->SetAnexo(doc.get());
    dialog->SetOnScreen(true);
    dialog->DataTypeButton(1)->click();
    SetLoginDialog([](const QString&, QString&, QString& password) {
        password = QStringLiteral("rotulo");
        return true;
    });
    dialog->cbDataBaseName()->setEditText(QStringLiteral("PGETIQ"));
    Application().Guard([&] { dialog->cbDataBaseNameChange(); });
    EXPECT_TRUE(Boxes.empty()) << BoxTexts().join(QLatin1Char('|')).toStdString();
    TDatabase* db = doc->GetDatabase();
    ASSERT_NE(db, nullptr);
    EXPECT_TRUE(db->Connected());
    EXPECT_EQ(db->AliasName(), QStringLiteral("PGETIQ"));
    EXPECT_EQ(db->DatabaseName(), QFileInfo(doc->FileName()).fileName());
    QStringList tables;
    for (int i = 0; i < dialog->cbTableName()->count(); ++i)
        tables << dialog->cbTableName()->itemText(i);
    EXPECT_TRUE(tables.contains(QStringLiteral("etiquetas"), Qt::CaseInsensitive)) << tables.join(QLatin1Char(',')).toStdString();

    dialog->cbTableName()->setEditText(QStringLiteral("etiquetas"));
    Application().Guard([&] { dialog->cbTableNameChange(); });
    dialog->bbOkClick();
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    TDataSet* ds = doc->Report()->DataSet();
    ASSERT_NE(ds, nullptr);
    EXPECT_TRUE(ds->Active());
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(static_cast<TDBDataSet*>(ds)->DatabaseName(), db->DatabaseName());
}

} // namespace datasetuptest
