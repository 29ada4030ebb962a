#include "ScratchSession.h"

#include "platform/core/Strings.h"
#include "platform/data/Database.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <memory>

namespace testsession {

using namespace tessiv;

namespace {

// The forms are widgets: one application object for the whole program, never a window shown
// unless a test shows one on the offscreen platform.
class TApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "tessiv-test";
        static char* argv[] = {arg0, nullptr};
        if (!QCoreApplication::instance())
            FApp = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<QApplication> FApp;
};

[[maybe_unused]] auto* const Environment = ::testing::AddGlobalTestEnvironment(new TApplicationEnvironment);

int g_connection = 0;

// A connection name of its own for every use, so that none outlives its removal.
QString NextConnection() { return QStringLiteral("scratch-session-%1").arg(++g_connection); }

} // namespace

void UseScratchFolder(const QTemporaryDir& dir)
{
    ASSERT_TRUE(dir.isValid());
    qputenv("HOME", dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", dir.filePath(QStringLiteral("Documents")).toUtf8());
    Session().SetConfigFile(dir.filePath(QStringLiteral("Aliases.INI")));
    Session().SetDataFolder(dir.filePath(QStringLiteral("data")));
}

void NoteMessageBoxes(std::vector<TNotedBox>& boxes, std::function<int(const TMessageBoxRequest&)> answer)
{
    Application().Presenter = [&boxes, answer = std::move(answer)](const TMessageBoxRequest& r) {
        boxes.push_back({r.Text, r.Caption, r.Type, r.Buttons});
        return answer(r);
    };
}

QStringList BoxTexts(const std::vector<TNotedBox>& boxes)
{
    QStringList texts;
    for (const TNotedBox& b : boxes)
        texts << b.Text;
    return texts;
}

void RunSqlite(const QString& file, const QStringList& statements)
{
    const QString name = NextConnection();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open()) << file.toStdString();
        QSqlQuery q(db);
        for (const QString& s : statements)
            EXPECT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

QStringList SqliteColumn(const QString& file, const QString& sql)
{
    QStringList values;
    const QString name = NextConnection();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        EXPECT_TRUE(db.open()) << file.toStdString();
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        while (q.next())
            values << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(name);
    return values;
}

void AddSqliteAlias(const QString& alias, const QString& file)
{
    TStringList p;
    p.Add(QStringLiteral("PATH=") + file);
    Session().AddAlias(alias, QStringLiteral("SQLITE"), &p);
}

} // namespace testsession
