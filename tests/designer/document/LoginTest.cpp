// The document's connection to a server that asks for a password: a refused login asks the user
// and connects with the answer; a cancelled login gives the refusal back; the password never
// reaches the report file.

#include "DesignerFixture.h"

#include "PgServer.h"

#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBError.h"
#include "platform/data/Database.h"

#include <memory>

namespace designertest {

using namespace tessiv;

class LoginTest : public DesignerTest {};

TEST_F(LoginTest, ARefusedLoginAsksTheUserAndConnectsWithTheAnswer)
{
    test::PgServer& pg = test::PgServer::Instance();
    QString why;
    if (!pg.Start(why))
        GTEST_SKIP() << why.toStdString();
    QString error;
    // The role may be there from an earlier test of this run.
    pg.Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE ROLE operador LOGIN PASSWORD 'segredo'")}, error);
    TStringList p;
    p.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
    p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
    p.Add(QStringLiteral("DATABASE NAME=postgres"));
    p.Add(QStringLiteral("USER NAME=operador"));
    Session().AddAlias(QStringLiteral("PGLOJA"), QStringLiteral("POSTGRESQL"), &p);

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
