// The help system: topics by context number and by name in the program's own help file, the
// contents for what the file does not hold, and a clear message when there is no help file.
#include "UiFixtures.h"

#include "platform/ui/Application.h"
#include "platform/ui/Help.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace tessiv;

namespace {

QString BundledHelpFile()
{
    return QStringLiteral(TESSIV_TEST_DIR "/../../app/Tessiv.HLP");
}

struct THelpFixture {
    QStringList Messages;
    std::vector<std::pair<QString, QString>> Shown;
    THelpFixture()
    {
        uitest::App();
        Application().Presenter = [this](const TMessageBoxRequest& r) {
            Messages << r.Text;
            return IDOK;
        };
        HelpSystem().Viewer = [this](const QString& file, const QString& anchor) { Shown.push_back({file, anchor}); };
    }
    ~THelpFixture()
    {
        Application().Presenter = nullptr;
        HelpSystem().Viewer = nullptr;
        HelpSystem().Quit();
    }
};

} // namespace

TEST(Help, TopicsByContextAndNameAndTheContentsForWhatTheFileLacks)
{
    THelpFixture f;
    HelpSystem().SetHelpFile(BundledHelpFile());
    struct TCase {
        std::function<bool()> Ask;
        QString Anchor;
    };
    const std::vector<TCase> cases = {
        {[] { return HelpSystem().Context(510); }, QStringLiteral("ctx-510")},      // a selected barcode
        {[] { return HelpSystem().Context(1720); }, QStringLiteral("ctx-1720")},    // the preview window
        {[] { return HelpSystem().Topic(QStringLiteral("Teclas_de_atalho")); }, QStringLiteral("Teclas_de_atalho")},
        {[] { return HelpSystem().Context(99999); }, QString()},                    // no such topic: the contents
        {[] { return HelpSystem().Context(0); }, QString()},
        {[] { return HelpSystem().Contents(); }, QString()},
    };
    for (const TCase& c : cases) {
        f.Shown.clear();
        EXPECT_TRUE(c.Ask());
        ASSERT_EQ(f.Shown.size(), 1u);
        EXPECT_EQ(f.Shown[0].second, c.Anchor);
        EXPECT_EQ(HelpSystem().LastTopic(), c.Anchor);
    }
    EXPECT_TRUE(f.Messages.isEmpty());
}

TEST(Help, EveryContextTheProgramNamesHasATopicInTheBundledFile)
{
    THelpFixture f;
    HelpSystem().SetHelpFile(BundledHelpFile());
    // The main window, the report, the dialogs, the preview and the selected controls.
    for (int context : {10, 104, 110, 130, 290, 300, 400, 410, 490, 510, 540, 560, 690, 700, 710, 740, 810, 840, 990,
                        1040, 1130, 1230, 1360, 1440, 1540, 1570, 1630, 1670, 1720, 1730}) {
        f.Shown.clear();
        HelpSystem().Context(context);
        ASSERT_EQ(f.Shown.size(), 1u);
        EXPECT_EQ(f.Shown[0].second, QStringLiteral("ctx-%1").arg(context));
    }
}

TEST(Help, WithoutTheHelpFileTheUserIsToldAndNothingOpens)
{
    THelpFixture f;
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Tessiv.HLP"));
    HelpSystem().SetHelpFile(missing);
    EXPECT_FALSE(HelpSystem().Context(510));
    EXPECT_FALSE(HelpSystem().Contents());
    EXPECT_TRUE(f.Shown.empty());
    ASSERT_EQ(f.Messages.size(), 2);
    EXPECT_EQ(f.Messages[0], QStringLiteral("O arquivo de ajuda ") + missing + QStringLiteral(" não foi encontrado."));
}

TEST(Help, TheHelpWindowShowsTheFileAtItsTopic)
{
    THelpFixture f;
    HelpSystem().Viewer = nullptr;
    HelpSystem().SetHelpFile(BundledHelpFile());
    ASSERT_TRUE(HelpSystem().Topic(QStringLiteral("Teclas_de_atalho")));
    QTextBrowser* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("HelpWindow"))
            window = qobject_cast<QTextBrowser*>(w);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Ajuda do Tessiv"));
    EXPECT_TRUE(window->toPlainText().contains(QStringLiteral("Teclas de atalho")));
    HelpSystem().Quit();
    QApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_NE(w->objectName(), QStringLiteral("HelpWindow"));
}
