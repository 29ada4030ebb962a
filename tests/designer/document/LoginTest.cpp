// The document's connection to a server that asks for a password: a refused login asks the user
// and connects with the answer; a cancelled login gives the refusal back; the password never
// reaches the report file.

#include "DesignerFixture.h"
#include "LabelDocument.h"

#include "PgServer.h"

#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBError.h"
#include "platform/data/Database.h"

#include <memory>

namespace designertest {

using namespace tessiv;

class LoginTest : public DesignerTest {
protected:
    // An alias of the session for the role "operador" over a database of the tests' own server,
    // with no password stored; the role may be there from an earlier test of this run.
    static void AddOperatorAlias(test::PgServer& pg, const QString& alias, const QString& database)
    {
        QString error;
        pg.Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE ROLE operador LOGIN PASSWORD 'segredo'")}, error);
        TStringList p;
        p.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
        p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
        p.Add(QStringLiteral("DATABASE NAME=") + database);
        p.Add(QStringLiteral("USER NAME=operador"));
        Session().AddAlias(alias, QStringLiteral("POSTGRESQL"), &p);
    }
};

TEST_F(LoginTest, ARefusedLoginAsksTheUserAndConnectsWithTheAnswer)
{
    test::PgServer& pg = test::PgServer::Instance();
    QString why;
    if (!pg.Start(why))
        GTEST_SKIP() << why.toStdString();
    AddOperatorAlias(pg, QStringLiteral("PGLOJA"), QStringLiteral("postgres"));

    std::unique_ptr<TAnexoRelatorio> doc(NewReportDocument(&Host));
    TDatabase* db = doc->EnsureDatabase();
    db->SetAliasName(QStringLiteral("PGLOJA"));
    QStringList asked;
    bool accept = true;
    SetLoginDialog([&](const QString& alias, QString& user, QString& password) {
        asked << alias + QLatin1Char('/') + user;
        password = QStringLiteral("segredo");
        return accept;
    });
    doc->SetConnected(true);
    EXPECT_TRUE(db->Connected());
    EXPECT_TRUE(doc->IsConnected());
    EXPECT_FALSE(doc->Connecting());
    EXPECT_EQ(asked, QStringList{QStringLiteral("PGLOJA/operador")});

    const QString file = Path(QStringLiteral("servidor.KVR"));
    ASSERT_TRUE(doc->SaveToFile(file));
    EXPECT_FALSE(ReadFile(file).contains("segredo"));

    doc->SetConnected(false);
    EXPECT_FALSE(db->Connected());
    db->Params()->Clear();
    accept = false;
    try {
        doc->SetConnected(true);
        ADD_FAILURE() << "connected without a password";
    } catch (const EDBEngineError& e) {
        EXPECT_TRUE(e.HasErrorCode(DBIERR_INVALIDPASSWORD));
    }
    EXPECT_EQ(asked.size(), 2);
    EXPECT_FALSE(db->Connected());
    EXPECT_FALSE(doc->Connecting());
}

} // namespace designertest

namespace designertest {

// A report whose table names a server alias without a password: opening, previewing and printing
// ask through the document's login dialog, installed as the session's prompt; a cancelled login
// ends the run with its message.
TEST_F(LoginTest, EveryPathThatConnectsAsksThroughTheLoginDialog)
{
    test::PgServer& pg = test::PgServer::Instance();
    QString why;
    if (!pg.Start(why))
        GTEST_SKIP() << why.toStdString();
    AddOperatorAlias(pg, QStringLiteral("PGETIQ"), QStringLiteral("etiquetas"));
    QString error;
    pg.Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE etiquetas OWNER operador")}, error);
    // The table's name as the report writes it, in capitals.
    QStringList table = ItemsTable({QStringLiteral("1"), QStringLiteral("1")})
                            .replaceInStrings(QStringLiteral(" ITENS "), QStringLiteral(" \"ITENS\" "));
    table << QStringLiteral("GRANT SELECT ON \"ITENS\" TO operador");
    ASSERT_TRUE(pg.Exec(QStringLiteral("etiquetas"), table, error)) << error.toStdString();

    InstallLoginPrompt();
    QStringList asked;
    bool accept = true;
    SetLoginDialog([&](const QString& alias, QString& user, QString& password) {
        asked << alias + QLatin1Char('/') + user;
        password = QStringLiteral("segredo");
        return accept;
    });

    // The table on the alias itself: each run connects, and asks.
    {
        TLabelDoc d(&Host, QStringLiteral("PGETIQ"), true, false, Path(QStringLiteral("a.pdf")));
        d.Doc->Print();
        EXPECT_EQ(d.Printed(), QStringList{QStringLiteral("AB")});
        EXPECT_EQ(asked, QStringList{QStringLiteral("PGETIQ/operador")});
        EXPECT_EQ(PdfLines(Path(QStringLiteral("a.pdf"))).join(QLatin1Char(' ')).remove(QLatin1Char(' ')), QStringLiteral("AB"));
        d.Table->Close();
        d.Doc->Preview();
        EXPECT_EQ(d.Printed(), (QStringList{QStringLiteral("AB"), QStringLiteral("AB")}));
        EXPECT_EQ(asked.size(), 2);

        accept = false;
        d.Table->Close();
        try {
            d.Doc->Print();
            ADD_FAILURE() << "printed without a login";
        } catch (const EDBEngineError& e) {
            EXPECT_TRUE(e.HasErrorCode(DBIERR_INVALIDPASSWORD));
            EXPECT_EQ(e.Message(), QStringLiteral("Login cancelled"));
        }
        EXPECT_EQ(asked.size(), 3);
        EXPECT_EQ(d.Printed().size(), 2);
        accept = true;
    }

    // The document's own database, kept connected in its file: opening the file asks, and the
    // print that follows uses that connection.
    const QString file = Path(QStringLiteral("pg.KVR"));
    {
        TLabelDoc d(&Host, QString(), true, false, Path(QStringLiteral("b.pdf")));
        TDatabase* db = d.Doc->EnsureDatabase();
        db->SetAliasName(QStringLiteral("PGETIQ"));
        d.Table->SetDatabaseName(db->DatabaseName());
        ASSERT_TRUE(d.Doc->SaveToFile(file));
        d.Doc->SetConnected(true);
        ASSERT_TRUE(d.Doc->SaveToFile(file));
    }
    EXPECT_FALSE(ReadFile(file).contains("segredo"));
    asked.clear();
    std::unique_ptr<TAnexoRelatorio> doc(OpenReportDocument(&Host, file));
    ASSERT_TRUE(doc);
    EXPECT_EQ(asked.size(), 1);
    ASSERT_NE(doc->GetDatabase(), nullptr);
    EXPECT_TRUE(doc->GetDatabase()->Connected());
    EXPECT_TRUE(doc->OpenDataSet(true));
    EXPECT_EQ(asked.size(), 1);
    doc->Report()->DataSet()->Close();
    doc->SetConnected(false);

    // Not connected, the password it had forgotten: opening the data set connects the
    // document's database, which asks.
    doc->GetDatabase()->Params()->Clear();
    EXPECT_TRUE(doc->OpenDataSet(true));
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(Boxes.empty());
    SetLoginDialog(nullptr);
    Session().LoginHook = nullptr;
}

} // namespace designertest
