// The desktop entry the program fills in at its start: blank values only, the program's command and
// its icon only in the start that named the entry, nothing created.

#include "designer/document/FileTypeRegistration.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace tessiv;

// The variable set for the test's life, then as it was.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const QString& value) : FName(name), FHad(qEnvironmentVariableIsSet(name)),
        FOld(qgetenv(name))
    {
        qputenv(name, value.toUtf8());
    }
    ~TScopedEnv()
    {
        if (FHad)
            qputenv(FName, FOld);
        else
            qunsetenv(FName);
    }

private:
    const char* FName;
    bool FHad;
    QByteArray FOld;
};

QString ReadText(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST(FileTypeRegistration, TheDesktopEntryGetsTheProgramsCommandAndIconOnlyWithItsName)
{
    const struct {
        const char* Name;
        const char* Entry;
        const char* Expected; // "" for an entry left as it was
    } cases[] = {
        {"blank name, command and icon",
         "[Desktop Entry]\nType=Application\nName=\nExec=\nIcon=\n",
         "[Desktop Entry]\nType=Application\nName=Relatório Kelvora\nExec=/opt/tessiv/tessiv %f\n"
         "Icon=/opt/tessiv/Tessiv.svg\n"},
        {"an icon of the user's own stays", "[Desktop Entry]\nName=\nExec=\nIcon=papel\n",
         "[Desktop Entry]\nName=Relatório Kelvora\nExec=/opt/tessiv/tessiv %f\nIcon=papel\n"},
        {"no icon key: none is added", "[Desktop Entry]\nName=\nExec=\n",
         "[Desktop Entry]\nName=Relatório Kelvora\nExec=/opt/tessiv/tessiv %f\n"},
        {"a named entry is not touched", "[Desktop Entry]\nName=Etiquetas\nExec=\nIcon=\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const TScopedEnv config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
        const TScopedEnv data("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("data/applications")));
        const QString entry = dir.filePath(QStringLiteral("data/applications/KelvoraRelatorio.desktop"));
        {
            QFile f(entry);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(c.Entry));
        }
        RegisterReportFileType(QStringLiteral("/opt/tessiv/tessiv"));
        const QString expected = *c.Expected ? QString::fromUtf8(c.Expected) : QString::fromUtf8(c.Entry);
        EXPECT_EQ(ReadText(entry), expected);
        // Nothing is created where the user prepared nothing.
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("config/mimeapps.list"))));
    }
}

TEST(FileTypeRegistration, TheIconFileLiesBesideTheProgram)
{
    EXPECT_EQ(ProgramIconFile(QStringLiteral("/opt/tessiv/tessiv")), QStringLiteral("/opt/tessiv/Tessiv.svg"));
}

} // namespace
