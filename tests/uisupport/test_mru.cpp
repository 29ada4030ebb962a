#include "UiSupportFixtures.h"

#include "uisupport/AppUtils.h"
#include "uisupport/FormPlacement.h"
#include "uisupport/MRUManager.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;
using namespace uisupporttest;

namespace {

QStringList Names(const TStrings* s) { return s->ToStringList(); }

QStringList Captions(const QMenu& menu)
{
    QStringList out;
    for (QAction* a : menu.actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

using MruPtr = std::unique_ptr<TMRUManager, TComponentDeleter>;

} // namespace

TEST(RecentStrings, NamesAreKeptOnceNewestFirst)
{
    struct Case {
        TRecentMode Mode;
        int Capacity;
        QStringList Added;
        QStringList Expected;
    };
    QStringList eleven;
    for (int i = 1; i <= 11; ++i)
        eleven << QStringLiteral("f%1").arg(i);
    const Case cases[] = {
        {rmInsert, 10, {"A", "B", "C"}, {"C", "B", "A"}},
        {rmInsert, 10, {"A", "B", "C", "A"}, {"A", "C", "B"}},
        {rmInsert, 10, {"a.kvr", "B", "A.KVR"}, {"a.kvr", "B"}},
        {rmInsert, 10, eleven, {"f11", "f10", "f9", "f8", "f7", "f6", "f5", "f4", "f3", "f2"}},
        {rmAppend, 3, {"A", "B", "C", "D"}, {"B", "C", "D"}},
        {rmAppend, 10, {"A", "B", "C", "A"}, {"B", "C", "A"}},
        {rmInsert, 0, {"A", "B"}, {"B"}},
    };
    for (const Case& c : cases) {
        TRecentStrings list;
        list.SetMode(c.Mode);
        list.SetMaxSize(c.Capacity);
        for (const QString& s : c.Added)
            list.Add(s);
        EXPECT_EQ(Names(&list), c.Expected) << c.Added.join(',').toStdString();
    }
}

TEST(RecentStrings, CapacityZeroBecomesOneAndCutsAtOnce)
{
    TRecentStrings list;
    for (const char* s : {"A", "B", "C"})
        list.Add(QString::fromLatin1(s));
    list.SetMaxSize(0);
    EXPECT_EQ(list.MaxSize(), 1);
    EXPECT_EQ(Names(&list), QStringList{"C"});
    list.SetMode(rmAppend);
    list.SetMaxSize(-5);
    EXPECT_EQ(list.MaxSize(), 1);
}

TEST(RecentStrings, ANameAddedAgainTakesTheNewUserData)
{
    TRecentStrings list;
    list.AddObject(QStringLiteral("A"), TRecentStrings::UserObject(7));
    list.AddObject(QStringLiteral("B"), TRecentStrings::UserObject(8));
    EXPECT_EQ(list.AddObject(QStringLiteral("a"), TRecentStrings::UserObject(9)), 0);
    EXPECT_EQ(TRecentStrings::UserData(list.Objects(0)), 9);
    EXPECT_EQ(TRecentStrings::UserData(list.Objects(1)), 8);
    // A plain Add keeps what the name carried.
    list.Add(QStringLiteral("B"));
    EXPECT_EQ(TRecentStrings::UserData(list.Objects(0)), 8);
}

TEST(RecentStrings, AddStringsEndsInTheSourcesOrder)
{
    TStringList source;
    for (const char* s : {"1", "2", "3", "4"})
        source.Add(QString::fromLatin1(s));
    TRecentStrings insert;
    insert.SetMaxSize(3);
    insert.Add(QStringLiteral("old"));
    insert.AddStrings(&source);
    EXPECT_EQ(Names(&insert), (QStringList{"1", "2", "3"}));
    TRecentStrings append;
    append.SetMode(rmAppend);
    append.SetMaxSize(3);
    append.AddStrings(&source);
    EXPECT_EQ(Names(&append), (QStringList{"1", "2", "3"}));
}

TEST(RecentStrings, OneChangeNotificationPerAdd)
{
    TRecentStrings list;
    list.SetMaxSize(2);
    int changes = 0;
    list.OnChange = [&](TStrings*) { ++changes; };
    list.AddObject(QStringLiteral("A"), TRecentStrings::UserObject(1));
    list.Add(QStringLiteral("B"));
    list.Add(QStringLiteral("C")); // in, and the oldest out
    list.Add(QStringLiteral("B"));
    EXPECT_EQ(changes, 4);
}

TEST(MRUManager, AcceleratorsNumberTheItemsPastNineAndPastAHundred)
{
    struct Case {
        unsigned N;
        QString Prefix;
    };
    const Case cases[] = {
        {0, "&0"}, {1, "&1"}, {9, "&9"}, {10, "&A"}, {11, "&B"}, {35, "&Z"}, {36, "&["},
        {100, QStringLiteral("&") + QChar(0x203A)}, {101, " "}, {500, " "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TMRUManager::AccelPrefix(c.N), c.Prefix) << c.N;

    App();
    QMenu menu;
    MruPtr mru(new TMRUManager(nullptr));
    mru->SetRecentMenu(&menu);
    mru->SetAccelDelimiter(adSpace);
    for (int i = 10; i >= 1; --i)
        mru->AddRecent(QStringLiteral("f%1").arg(i));
    QStringList captions = Captions(menu);
    ASSERT_EQ(captions.size(), 10);
    EXPECT_EQ(captions[0], QStringLiteral("&1 f1"));
    EXPECT_EQ(captions[8], QStringLiteral("&9 f9"));
    EXPECT_EQ(captions[9], QStringLiteral("&A f10"));

    mru->SetStartAccel(95);
    captions = Captions(menu);
    EXPECT_EQ(captions[5], QStringLiteral("&") + QChar(0x203A) + QStringLiteral(" f6"));
    EXPECT_EQ(captions[6], QStringLiteral("  f7"));

    mru->SetAccelDelimiter(adTab);
    mru->SetStartAccel(1);
    EXPECT_EQ(Captions(menu)[0], QStringLiteral("&1\tf1"));
    mru->SetShowAccelChar(false);
    EXPECT_EQ(Captions(menu)[0], QStringLiteral("f1"));
}

TEST(MRUManager, TheMenuIsRebuiltWithSeparatorsAndEnabledOnlyWithItems)
{
    App();
    QMenu menu;
    MruPtr mru(new TMRUManager(nullptr));
    mru->SetAccelDelimiter(adSpace);
    mru->SetRecentMenu(&menu);
    EXPECT_FALSE(menu.menuAction()->isEnabled());
    mru->AddRecent(QStringLiteral("a"));
    EXPECT_TRUE(menu.menuAction()->isEnabled());
    mru->AddRecent(QStringLiteral("b"));
    mru->AddRecent(QStringLiteral("c"));
    mru->SetSeparateSize(2);
    EXPECT_EQ(Captions(menu), (QStringList{"&1 c", "&2 b", "-", "&3 a"}));

    // Items of others stay, set off by a separator; only ours are replaced.
    mru->SetRecentMenu(nullptr);
    EXPECT_TRUE(menu.actions().isEmpty());
    QAction* own = menu.addAction(QStringLiteral("Limpar"));
    mru->SetRecentMenu(&menu);
    EXPECT_EQ(Captions(menu), (QStringList{"Limpar", "-", "&1 c", "&2 b", "-", "&3 a"}));
    mru->RemoveRecent(QStringLiteral("B"));
    EXPECT_EQ(Captions(menu), (QStringList{"Limpar", "-", "&1 c", "&2 a"}));
    EXPECT_TRUE(menu.actions().contains(own));

    // The caption's short part shows, the long one is the hint; the handler may change both.
    mru->OnGetItemData = [](TObject*, QString& caption, QKeySequence& shortCut, int userData) {
        caption = caption.toUpper() + QStringLiteral("|dica ") + QString::number(userData);
        shortCut = QKeySequence(QStringLiteral("Ctrl+R"));
    };
    mru->AddRecent(QStringLiteral("d"), 5);
    ASSERT_EQ(mru->Items().size(), 3u);
    EXPECT_EQ(mru->Items()[0]->text(), QStringLiteral("&1 D"));
    EXPECT_EQ(mru->Items()[0]->statusTip(), QStringLiteral("dica 5"));
    EXPECT_EQ(mru->Items()[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));

    // A menu that goes is let go.
    mru->OnGetItemData = nullptr;
    {
        QMenu other;
        mru->SetRecentMenu(&other);
        EXPECT_EQ(other.actions().size(), 4); // three names and the separator after two
    }
    EXPECT_EQ(mru->RecentMenu(), nullptr);
    mru->AddRecent(QStringLiteral("e"));
    Pump();
}

TEST(MRUManager, AClickReportsTheNameAndRemoveOnSelectRemovesThatName)
{
    App();
    QMenu menu;
    MruPtr mru(new TMRUManager(nullptr));
    mru->SetRecentMenu(&menu);
    mru->SetRemoveOnSelect(true);
    for (const char* s : {"a", "b", "c"})
        mru->AddRecent(QString::fromLatin1(s), s[0]);
    QString clicked, caption;
    int data = 0;
    // The program's handler opens the file, which puts it first in the list.
    mru->OnClick = [&](TObject*, const QString& name, const QString& cap, int userData) {
        clicked = name;
        caption = cap;
        data = userData;
        mru->AddRecent(name, userData);
    };
    mru->Items()[2]->trigger(); // "a"
    EXPECT_EQ(clicked, QStringLiteral("a"));
    EXPECT_EQ(caption, QStringLiteral("&3\ta"));
    EXPECT_EQ(data, 'a');
    // The name clicked is gone, not the one that moved to its place.
    EXPECT_EQ(Names(mru->Strings()), (QStringList{"c", "b"}));
    Pump();

    // Even when the handler fails; the failure is shown at the program's boundary.
    mru->OnClick = [](TObject*, const QString&, const QString&, int) { throw std::runtime_error("no file"); };
    QString shown;
    Application().OnException = [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            shown = QString::fromUtf8(x.what());
        }
    };
    mru->Items()[1]->trigger();
    Application().OnException = nullptr;
    EXPECT_EQ(shown, QStringLiteral("no file"));
    EXPECT_EQ(Names(mru->Strings()), QStringList{"c"});
    Pump();
}

TEST(MRUManager, AClickOnAnItemOutOfRangeDoesNothing)
{
    App();
    QMenu menu;
    MruPtr mru(new TMRUManager(nullptr));
    mru->SetRecentMenu(&menu);
    mru->AddRecent(QStringLiteral("a"));
    int clicks = 0;
    mru->OnClick = [&](TObject*, const QString&, const QString&, int) { ++clicks; };
    QAction* item = mru->Items()[0];
    mru->SetAutoUpdate(false);
    mru->RemoveRecent(QStringLiteral("a"));
    item->trigger();
    EXPECT_EQ(clicks, 0);
}

namespace {

class MruStorageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ASSERT_TRUE(Dir.isValid());
        IniPath = Dir.filePath(QStringLiteral("Tessiv.INI"));
        Form.reset(new TfmAnexo(nullptr));
        Placement = new TFormPlacement(Form.get());
        Placement->SetName(QStringLiteral("fpAnexo"));
        Placement->SetIniFileName(IniPath);
        Placement->SetIniSection(QStringLiteral("PosicaoAnexo"));
        Mru = new TMRUManager(Form.get());
        Mru->SetName(QStringLiteral("RecentList"));
        Mru->SetIniStorage(Placement);
    }
    void TearDown() override
    {
        Form.reset();
        TForm::SetMainForm(nullptr);
    }
    QByteArray Section()
    {
        const QByteArray all = FileBytes(IniPath);
        const qsizetype at = all.indexOf("[PosicaoAnexo\\TfmAnexo.RecentList]");
        if (at < 0)
            return QByteArray();
        const qsizetype end = all.indexOf("\r\n\r\n", at);
        return all.mid(at, end < 0 ? -1 : end + 2 - at);
    }
    QTemporaryDir Dir;
    QString IniPath;
    std::unique_ptr<TForm, TComponentDeleter> Form;
    TFormPlacement* Placement = nullptr;
    TMRUManager* Mru = nullptr;
};

} // namespace

TEST_F(MruStorageTest, SavingThreeOverTenLeavesThreeKeys)
{
    EXPECT_EQ(Mru->IniSectionName(), QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"));
    {
        TIniFile ini(IniPath);
        for (int i = 0; i < 10; ++i) {
            ini.WriteString(QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"), QStringLiteral("Item_%1").arg(i),
                            QStringLiteral("/old/%1.KVR").arg(i));
            ini.WriteInteger(QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"), QStringLiteral("User_%1").arg(i), i + 1);
        }
    }
    Mru->AddRecent(QStringLiteral("/r/a.KVR"));
    Mru->AddRecent(QStringLiteral("'/r/quoted.KVR'"), 4);
    Mru->AddRecent(QStringLiteral("/r/c.KVR"));
    Form->Show();
    Pump();
    // The restore read the stored ten, in their order; the three are gone.
    ASSERT_EQ(Mru->Strings()->Count(), 10);
    EXPECT_EQ(Mru->Strings()->Strings(0), QStringLiteral("/old/0.KVR"));
    EXPECT_EQ(Mru->Strings()->Strings(9), QStringLiteral("/old/9.KVR"));
    EXPECT_EQ(TRecentStrings::UserData(Mru->Strings()->Objects(9)), 10);

    Mru->Strings()->Clear();
    Mru->AddRecent(QStringLiteral("/r/a.KVR"));
    Mru->AddRecent(QStringLiteral("'/r/quoted.KVR'"), 4);
    Mru->AddRecent(QStringLiteral("/r/c.KVR"));
    Form->Close();
    EXPECT_EQ(Section(), QByteArray("[PosicaoAnexo\\TfmAnexo.RecentList]\r\n"
                                    "Item_0=/r/c.KVR\r\n"
                                    "Item_1=\"'/r/quoted.KVR'\"\r\n"
                                    "User_1=4\r\n"
                                    "Item_2=/r/a.KVR\r\n"));
    Mru->Strings()->Clear();
    Placement->Restore();
    EXPECT_EQ(Names(Mru->Strings()), (QStringList{"/r/c.KVR", "'/r/quoted.KVR'", "/r/a.KVR"}));
    EXPECT_EQ(TRecentStrings::UserData(Mru->Strings()->Objects(1)), 4);
}

TEST_F(MruStorageTest, AStoredGapLoadsInOrderAndTheModeStays)
{
    {
        TIniFile ini(IniPath);
        ini.WriteString(QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"), QStringLiteral("Item_0"), QStringLiteral("first"));
        ini.WriteString(QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"), QStringLiteral("Item_2"), QStringLiteral("third"));
    }
    Mru->SetMode(rmAppend);
    Placement->Restore();
    EXPECT_EQ(Names(Mru->Strings()), (QStringList{"first", "third"}));
    EXPECT_EQ(Mru->Mode(), rmAppend);
}

TEST_F(MruStorageTest, ItemEventsReplaceTheReadingAndWriting)
{
    Mru->OnWriteItem = [](TObject*, TIniFile* ini, const QString& section, int index, const QString& name, int) {
        ini->WriteString(section, QStringLiteral("F%1").arg(index), name.toUpper());
    };
    Mru->OnReadItem = [](TObject*, TIniFile* ini, const QString& section, int index, QString& name, int& data) {
        name = ini->ReadString(section, QStringLiteral("F%1").arg(index), QString()).toLower();
        data = index;
    };
    Form->Show();
    Pump();
    Mru->AddRecent(QStringLiteral("x"));
    Mru->AddRecent(QStringLiteral("y"));
    Form->Close();
    EXPECT_EQ(Section(), QByteArray("[PosicaoAnexo\\TfmAnexo.RecentList]\r\nF0=Y\r\nF1=X\r\n"));
    Mru->Strings()->Clear();
    Placement->Restore();
    EXPECT_EQ(Names(Mru->Strings()), (QStringList{"y", "x"}));
    EXPECT_EQ(TRecentStrings::UserData(Mru->Strings()->Objects(1)), 1);
}

TEST_F(MruStorageTest, WithoutANameNothingIsStored)
{
    Mru->SetName(QString());
    Form->Show();
    Pump();
    Mru->AddRecent(QStringLiteral("x"));
    Form->Close();
    EXPECT_FALSE(FileBytes(IniPath).contains("RecentList"));
    // The storage going leaves the list without one.
    Placement->Free();
    EXPECT_EQ(Mru->IniStorage(), nullptr);
}

TEST_F(MruStorageTest, AFormDestroyedWithoutClosingStillSavesUnderItsOwnName)
{
    Form->Show();
    Pump();
    Mru->AddRecent(QStringLiteral("/r/last.KVR"));
    // Deleted as C++ deletes it, without Free marking it first.
    delete Form.release();
    EXPECT_EQ(Section(), QByteArray("[PosicaoAnexo\\TfmAnexo.RecentList]\r\nItem_0=/r/last.KVR\r\n"));
    EXPECT_FALSE(FileBytes(IniPath).contains("TForm"));
}
