#include "DesignerFixture.h"

#include "platform/core/ObjectText.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/data/Database.h"

#include <QApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <memory>

namespace designertest {

using namespace tessiv;

namespace {

class TDesignerEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "test_designer";
        static char* argv[] = {arg0, nullptr};
        if (!QCoreApplication::instance())
            FApp = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<QApplication> FApp;
};

[[maybe_unused]] auto* const Environment = ::testing::AddGlobalTestEnvironment(new TDesignerEnvironment);

} // namespace

void DesignerTest::SetUp()
{
    ASSERT_TRUE(FDir.isValid());
    // The user's documents folder is the scratch folder's.
    qputenv("HOME", FDir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", FDir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", FDir.filePath(QStringLiteral("Documents")).toUtf8());
    Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
    Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
    Application().Presenter = [this](const TMessageBoxRequest& r) {
        Boxes.push_back({r.Text, r.Caption, r.Type, r.Buttons});
        return Answer;
    };
}

void DesignerTest::TearDown()
{
    Application().Presenter = nullptr;
    SetLoginDialog(nullptr);
}

void DesignerTest::MakeSqlite(const QString& alias, const QStringList& statements)
{
    const QString file = Path(alias + QStringLiteral(".db"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("designer-fixture"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& s : statements)
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("designer-fixture"));
    TStringList p;
    p.Add(QStringLiteral("PATH=") + file);
    Session().AddAlias(alias, QStringLiteral("SQLITE"), &p);
}

QByteArray DesignerTest::ReadFile(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void DesignerTest::WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray DesignerTest::ResourceFromText(const QByteArray& text)
{
    TMemoryStream in(text);
    TMemoryStream out;
    ObjectTextToResource(in, out);
    return out.Bytes();
}

QByteArray DesignerTest::TextFromResource(const QByteArray& resource)
{
    TMemoryStream in(resource);
    TMemoryStream out;
    ObjectResourceToText(in, out);
    return out.Bytes();
}

} // namespace designertest
