#include "ExprDialogsFixture.h"

#include "designer/document/Hidden.h"
#include "designer/dialogs/ModalForm.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/ui/Dialogs.h"

#include <QDir>
#include <QFile>

namespace exprdialogstest {

using namespace tessiv;

namespace {

QString AliasFile(const QTemporaryDir& dir, const QString& alias) { return dir.filePath(alias + QStringLiteral(".db")); }

} // namespace

void ExprDialogsTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(testsession::UseScratchFolder(FDir));
    Settings = std::make_unique<TIniFile>(FDir.filePath(QStringLiteral("Tessiv.INI")));
    testsession::NoteMessageBoxes(Boxes, [this](const TMessageBoxRequest&) {
        if (Answers.empty())
            return Answer;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
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

void ExprDialogsTest::MakeSqliteAlias(const QString& alias, const QStringList& statements)
{
    testsession::RunSqlite(AliasFile(FDir, alias), statements);
    testsession::AddSqliteAlias(alias, AliasFile(FDir, alias));
}

void ExprDialogsTest::Exec(const QString& alias, const QString& statement)
{
    testsession::RunSqlite(AliasFile(FDir, alias), {statement});
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
