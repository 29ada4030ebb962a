#include "UiSupportFixtures.h"

#include "platform/controls/Controls.h"
#include "uisupport/AppUtils.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;
using namespace uisupporttest;

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ASSERT_TRUE(Dir.isValid());
        Path = Dir.filePath(QStringLiteral("Tessiv.INI"));
        Ini = std::make_unique<TIniFile>(Path);
    }
    QTemporaryDir Dir;
    QString Path;
    std::unique_ptr<TIniFile> Ini;
};

} // namespace

TEST_F(IniTest, ValuesAreStoredByTheQuotingRuleAndReadBack)
{
    struct Case {
        QString Value;
        QByteArray Stored; // the line in the file
    };
    const Case cases[] = {
        {QStringLiteral("'C:\\Rel\\a.KVR'"), "V=\"'C:\\Rel\\a.KVR'\""},
        {QStringLiteral("\"quoted\""), "V=\"\"quoted\"\""},
        {QStringLiteral("plain value"), "V=plain value"},
        {QStringLiteral("'half"), "V='half"},
        {QStringLiteral("'"), "V=\"'\""},
        {QStringLiteral("'mixed\""), "V='mixed\""},
        {QString(), "V="},
    };
    for (const Case& c : cases) {
        IniWriteString(Ini.get(), QStringLiteral("S"), QStringLiteral("V"), c.Value);
        EXPECT_EQ(FileBytes(Path), QByteArray("[S]\r\n") + c.Stored + "\r\n") << c.Value.toStdString();
        EXPECT_EQ(IniReadString(Ini.get(), QStringLiteral("S"), QStringLiteral("V"), QStringLiteral("def")), c.Value);
    }
}

TEST_F(IniTest, SectionsAndKeysAreStoredLiterallyAndFoundWithoutCase)
{
    const QString recent = QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList");
    IniWriteString(Ini.get(), QStringLiteral("PosicaoAnexo"), QStringLiteral("NormPos(1024x768)"), QStringLiteral("10,20,650,500"));
    IniWriteInteger(Ini.get(), QStringLiteral("PosicaoAnexo"), QStringLiteral("ShowCmd"), 3);
    IniWriteString(Ini.get(), recent, QStringLiteral("Item_0"), QStringLiteral("/home/u/a.KVR"));
    IniWriteBool(Ini.get(), QStringLiteral("fmAnexo"), QStringLiteral("Reabre"), true);
    IniWriteBool(Ini.get(), QStringLiteral("fmAnexo"), QStringLiteral("Outro"), false);
    EXPECT_EQ(FileBytes(Path), QByteArray("[PosicaoAnexo]\r\n"
                                          "NormPos(1024x768)=10,20,650,500\r\n"
                                          "ShowCmd=3\r\n"
                                          "\r\n"
                                          "[PosicaoAnexo\\TfmAnexo.RecentList]\r\n"
                                          "Item_0=/home/u/a.KVR\r\n"
                                          "\r\n"
                                          "[fmAnexo]\r\n"
                                          "Reabre=1\r\n"
                                          "Outro=0\r\n"));

    EXPECT_EQ(IniReadString(Ini.get(), QStringLiteral("posicaoanexo"), QStringLiteral("NORMPOS(1024X768)"), QString()),
              QStringLiteral("10,20,650,500"));
    EXPECT_EQ(IniReadInteger(Ini.get(), QStringLiteral("POSICAOANEXO"), QStringLiteral("showcmd"), 0), 3);
    EXPECT_EQ(IniReadString(Ini.get(), recent.toLower(), QStringLiteral("item_0"), QString()), QStringLiteral("/home/u/a.KVR"));
    EXPECT_TRUE(IniReadBool(Ini.get(), QStringLiteral("FMANEXO"), QStringLiteral("reabre"), false));
    EXPECT_FALSE(IniReadBool(Ini.get(), QStringLiteral("fmAnexo"), QStringLiteral("Outro"), true));

    IniDeleteKey(Ini.get(), QStringLiteral("posicaoanexo"), QStringLiteral("showcmd"));
    IniEraseSection(Ini.get(), recent.toUpper());
    EXPECT_EQ(FileBytes(Path), QByteArray("[PosicaoAnexo]\r\n"
                                          "NormPos(1024x768)=10,20,650,500\r\n"
                                          "\r\n"
                                          "[fmAnexo]\r\n"
                                          "Reabre=1\r\n"
                                          "Outro=0\r\n"));
    EXPECT_EQ(IniReadInteger(Ini.get(), QStringLiteral("PosicaoAnexo"), QStringLiteral("ShowCmd"), -7), -7);
}

TEST_F(IniTest, WithoutASettingsObjectReadsGiveTheDefaultAndWritesNothing)
{
    EXPECT_EQ(IniReadString(nullptr, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(IniReadInteger(nullptr, QStringLiteral("S"), QStringLiteral("K"), 5), 5);
    IniWriteString(nullptr, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
    IniEraseSection(nullptr, QStringLiteral("S"));
    EXPECT_FALSE(QFile::exists(Path));
}

TEST_F(IniTest, PositionsAreWrittenTwiceAndReadWithTheResolutionFirst)
{
    const QString suffix = ScreenResolutionSuffix();
    ASSERT_TRUE(suffix.startsWith(QLatin1Char('(')) && suffix.endsWith(QLatin1Char(')')) && suffix.contains(QLatin1Char('x')));
    WritePosStr(Ini.get(), QStringLiteral("P"), QStringLiteral("NormPos"), QStringLiteral("1,2,3,4"));
    EXPECT_EQ(FileBytes(Path), QByteArray("[P]\r\nNormPos") + suffix.toLatin1() + "=1,2,3,4\r\nNormPos=1,2,3,4\r\n");
    IniWriteString(Ini.get(), QStringLiteral("P"), QStringLiteral("NormPos"), QStringLiteral("9,9,9,9"));
    EXPECT_EQ(ReadPosStr(Ini.get(), QStringLiteral("P"), QStringLiteral("NormPos")), QStringLiteral("1,2,3,4"));
    IniDeleteKey(Ini.get(), QStringLiteral("P"), QStringLiteral("NormPos") + suffix);
    EXPECT_EQ(ReadPosStr(Ini.get(), QStringLiteral("P"), QStringLiteral("NormPos")), QStringLiteral("9,9,9,9"));
    EXPECT_EQ(ReadPosStr(Ini.get(), QStringLiteral("P"), QStringLiteral("MinMaxPos")), QString());
}

TEST(AppUtils, WordsAreRunsBetweenDelimiters)
{
    const QSet<QChar> delims{QLatin1Char(' '), QLatin1Char(',')};
    struct Case {
        int N;
        const char* S;
        int Position;
        const char* Word;
    };
    const Case cases[] = {
        {1, "10,20,30,40", 1, "10"}, {2, "10,20,30,40", 4, "20"}, {4, "10,20,30,40", 10, "40"},
        {5, "10,20,30,40", 0, ""},   {1, "  ,,x", 5, "x"},        {2, " a , b ", 6, "b"},
        {1, "", 0, ""},              {0, "a b", 0, ""},            {1, ", ,", 0, ""},
        {3, "-1,-1,abc,7", 7, "abc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WordPosition(c.N, QString::fromLatin1(c.S), delims), c.Position) << c.N << " " << c.S;
        EXPECT_EQ(ExtractWord(c.N, QString::fromLatin1(c.S), delims), QString::fromLatin1(c.Word)) << c.N << " " << c.S;
    }
}

TEST(AppUtils, SectionNamesFollowWhatHoldsTheComponent)
{
    App();
    EXPECT_EQ(ComponentIniSection(nullptr), QString());
    std::unique_ptr<TfmAnexo, TComponentDeleter> form(new TfmAnexo(nullptr));
    EXPECT_EQ(ComponentIniSection(form.get()), QStringLiteral("TfmAnexo"));

    auto* recent = new TComponent(form.get());
    recent->SetName(QStringLiteral("RecentList"));
    EXPECT_EQ(ComponentIniSection(recent), QStringLiteral("TfmAnexo.RecentList"));

    // A control on a tree the form owns: the form's class name, no separator.
    auto* panel = new TWinControl(form.get());
    panel->SetName(QStringLiteral("Painel"));
    auto* edit = new TWinControl(form.get());
    edit->SetName(QStringLiteral("Edit1"));
    edit->SetParent(panel);
    EXPECT_EQ(ComponentIniSection(edit), QStringLiteral("TfmAnexoEdit1"));

    // Without a form: the parent's name in front.
    std::unique_ptr<TComponent, TComponentDeleter> other(new TComponent(nullptr));
    auto* host = new TWinControl(other.get());
    host->SetName(QStringLiteral("Host"));
    auto* child = new TWinControl(other.get());
    child->SetName(QStringLiteral("Child"));
    child->SetParent(host);
    EXPECT_EQ(ComponentIniSection(child), QStringLiteral("HostChild"));
    EXPECT_EQ(ComponentIniSection(host), QStringLiteral("Host"));
    auto* plain = new TComponent(other.get());
    plain->SetName(QStringLiteral("Plain"));
    EXPECT_EQ(ComponentIniSection(plain), QStringLiteral("Plain"));
}

TEST(AppUtils, TheSettingsFileLivesInTheUsersConfigurationFolder)
{
    QTemporaryDir dir;
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    EXPECT_EQ(DefaultIniFileName(), dir.filePath(QStringLiteral("Tessiv/Tessiv.INI")));
    if (old.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", old);
}
