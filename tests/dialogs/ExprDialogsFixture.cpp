#include "ExprDialogsFixture.h"

#include "designer/Hidden.h"
#include "designer/ModalForm.h"
#include "engine/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace exprdialogstest {

using namespace tessiv;

namespace {

class TExprDialogsEnvironment : public ::testing::Environment {
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

[[maybe_unused]] auto* const Environment = ::testing::AddGlobalTestEnvironment(new TExprDialogsEnvironment);

int g_connection = 0;

QString AliasFile(const QTemporaryDir& dir, const QString& alias) { return dir.filePath(alias + QStringLiteral(".db")); }

} // namespace

void ExprDialogsTest::SetUp()
{
    ASSERT_TRUE(FDir.isValid());
    Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
    Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
    Settings = std::make_unique<TIniFile>(FDir.filePath(QStringLiteral("Tessiv.INI")));
    Application().Presenter = [this](const TMessageBoxRequest& r) {
        Boxes.push_back({r.Text, r.Caption});
        if (!Answers.empty()) {
            const int answer = Answers.front();
            Answers.pop_front();
            return answer;
        }
        return Answer;
    };
    TModalForm::SetPresenter([this](TModalForm& form) {
        ++Shown;
        if (Steps.empty())
            return;
        const auto step = std::move(Steps.front());
        Steps.pop_front();
        step(form);
    });
}

void ExprDialogsTest::TearDown()
{
    TModalForm::SetPresenter(nullptr);
    SetDialogPresenter(nullptr);
    Application().Presenter = nullptr;
    Root.reset();
}

QStringList ExprDialogsTest::BoxTexts() const
{
    QStringList texts;
    for (const TNotedBox& b : Boxes)
        texts << b.Text;
    return texts;
}

void ExprDialogsTest::MakeSqliteAlias(const QString& alias, const QStringList& statements)
{
    const QString file = AliasFile(FDir, alias);
    const QString name = QStringLiteral("exprdialogs-fixture-%1").arg(++g_connection);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& s : statements)
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
    TStringList params;
    params.Add(QStringLiteral("PATH=") + file);
    Session().AddAlias(alias, QStringLiteral("SQLITE"), &params);
}

void ExprDialogsTest::Exec(const QString& alias, const QString& statement)
{
    const QString name = QStringLiteral("exprdialogs-fixture-%1").arg(++g_connection);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(AliasFile(FDir, alias));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(statement)) << statement.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

void ExprDialogsTest::MakeReport(const QString& alias, const QString& sql)
{
    Root.reset(new TfmHidden(nullptr));
    Root->SetName(QStringLiteral("fmHidden"));
    Report = new TVardoRep(Root.get());
    Report->SetName(QStringLiteral("Relatorio"));
    Report->SetParent(Root.get());
    Data = new TQuery(Root.get());
    Data->SetName(QStringLiteral("Clientes"));
    Data->SetDatabaseName(alias);
    Data->SQL()->SetText(sql);
    Data->Open();
    Report->SetDataSet(Data);
}

void ExprDialogsTest::WriteText(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray ExprDialogsTest::ReadText(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

} // namespace exprdialogstest
