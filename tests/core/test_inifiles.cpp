#include "platform/core/IniFiles.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace tessiv;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString Path(const QString& name = QStringLiteral("Tessiv.INI")) const { return FDir.filePath(name); }

    QByteArray Bytes(const QString& path) const
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return f.readAll();
    }
    QByteArray Bytes() const { return Bytes(Path()); }

    void Write(const QByteArray& bytes, const QString& path) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    void Write(const QByteArray& bytes) const { Write(bytes, Path()); }

    QTemporaryDir FDir;
};

QStringList Lines(const TStrings& s)
{
    return s.ToStringList();
}

} // namespace

// ---- reading ------------------------------------------------------------------------------

TEST_F(IniFileTest, ReadsValuesAsWindowsDoes)
{
    Write("; settings\r\n"
          "orphan=before any section\r\n"
          "[Geral]\r\n"
          "Plain=abc\r\n"
          "  Spaced   =   padded value   \r\n"
          "Quoted=\"  kept blanks  \"\r\n"
          "Single='x'\r\n"
          "HalfQuoted=\"abc\r\n"
          "Mixed=\"abc'\r\n"
          "TwoPairs=\"a\" \"b\"\r\n"
          "Equals=a=b=c\r\n"
          "Empty=\r\n"
          "Left(1024x768)=12\r\n"
          "Acentua\xE7\xE3o=\xE7\xE3o \x80\r\n"
          "Plain=second, never seen\r\n"
          "just some text\r\n"
          "\r\n"
          "[PosicaoAnexo\\TfmAnexo.RecentList]\r\n"
          "Count=3\r\n"
          "[  Padded Section  ]\r\n"
          "k=v\r\n");
    const TIniFile ini(Path());
    const struct {
        const char* section;
        const char* ident;
        const char* expected;
    } cases[] = {
        {"Geral", "Plain", "abc"},
        {"GERAL", "plain", "abc"},
        {"Geral", "Spaced", "padded value"},
        {"Geral", "Quoted", "  kept blanks  "},
        {"Geral", "Single", "x"},
        {"Geral", "HalfQuoted", "\"abc"},
        {"Geral", "Mixed", "\"abc'"},
        {"Geral", "TwoPairs", "a\" \"b"},
        {"Geral", "Equals", "a=b=c"},
        {"Geral", "Empty", ""},
        {"Geral", "left(1024X768)", "12"},
        {"Geral", "ACENTUAÇÃO", "ção €"},
        {"Geral", "just some text", "<default>"},
        {"Geral", "; settings", "<default>"},
        {"Geral", "orphan", "<default>"},
        {"Geral", "Count", "<default>"},
        {"posicaoanexo\\tfmanexo.recentlist", "Count", "3"},
        {"PosicaoAnexo", "Count", "<default>"},
        {"Padded Section", "k", "v"},
        {"Missing", "Plain", "<default>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(QString::fromUtf8(c.section), QString::fromUtf8(c.ident), "<default>"),
                  QString::fromUtf8(c.expected))
            << c.section << " / " << c.ident;
}

TEST_F(IniFileTest, ReadsLfFilesAndFilesWithoutFinalLineBreak)
{
    Write("[a]\nx=1\ny=2");
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("a", "y", ""), "2");
    ini.WriteString("a", "z", "3");
    EXPECT_EQ(Bytes(), QByteArray("[a]\r\nx=1\r\ny=2\r\nz=3\r\n"));
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsNotCreated)
{
    const QString path = Path("sub/none.ini");
    TIniFile ini(path);
    EXPECT_EQ(ini.FileName(), path);
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("s", "k", 7), 7);
    EXPECT_FALSE(ini.SectionExists("s"));
    TStringList list;
    list.Add("old");
    ini.ReadSections(&list);
    EXPECT_EQ(list.Count(), 0);
    ini.EraseSection("s");
    ini.DeleteKey("s", "k");
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(Path("sub")));
}

TEST_F(IniFileTest, Integers)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"10", 10},
        {"  -5  ", -5},
        {"+7", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"-0x10", -16},
        {"0x", 0},
        {"0xZ", 0},
        {"12abc", 12},
        {"3.9", 3},
        {"\"42\"", 42},
        {"2147483647", 2147483647},
        {"4294967295", -1}, // past 32 bits the digits wrap around
        {"0xFFFFFFFF", -1},
        {"abc", -99},
        {"", -99},
        {"- 5", -99},
        {"$10", -99},
    };
    QByteArray file("[n]\r\n");
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        file += "k" + QByteArray::number(i) + "=" + cases[i].text + "\r\n";
    Write(file);
    const TIniFile ini(Path());
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(ini.ReadInteger("n", QStringLiteral("k%1").arg(i), -99), cases[i].expected) << cases[i].text;
    EXPECT_EQ(ini.ReadInteger("n", "absent", -99), -99);
}

TEST_F(IniFileTest, Booleans)
{
    Write("[b]\r\none=1\r\nzero=0\r\ntwo=2\r\nminus=-1\r\nword=True\r\nhex=0x0\r\n");
    TIniFile ini(Path());
    EXPECT_TRUE(ini.ReadBool("b", "one", false));
    EXPECT_FALSE(ini.ReadBool("b", "zero", true));
    EXPECT_TRUE(ini.ReadBool("b", "two", false));
    EXPECT_TRUE(ini.ReadBool("b", "minus", false));
    EXPECT_FALSE(ini.ReadBool("b", "word", false)); // not a number: the default
    EXPECT_TRUE(ini.ReadBool("b", "word", true));
    EXPECT_FALSE(ini.ReadBool("b", "hex", true));
    EXPECT_TRUE(ini.ReadBool("b", "absent", true));

    ini.WriteBool("b", "one", false);
    ini.WriteBool("b", "new", true);
    ini.WriteInteger("b", "int", -123);
    EXPECT_EQ(Bytes(), QByteArray("[b]\r\none=0\r\nzero=0\r\ntwo=2\r\nminus=-1\r\nword=True\r\nhex=0x0\r\n"
                                  "new=1\r\nint=-123\r\n"));
}

TEST_F(IniFileTest, FloatsAndDatesGoThroughTheFormattingRoutines)
{
    TIniFile ini(Path());
    ini.WriteFloat("f", "half", 1.5);
    ini.WriteFloat("f", "third", 1.0 / 3.0);
    const TDateTime day = EncodeDate(2024, 2, 29);
    const TDateTime moment = day + EncodeTime(13, 45, 10, 0);
    ini.WriteDate("d", "day", day);
    ini.WriteDateTime("d", "moment", moment);
    ini.WriteTime("d", "time", EncodeTime(8, 5, 0, 0));
    EXPECT_EQ(ini.ReadString("f", "half", ""), FloatToStr(1.5L));
    EXPECT_EQ(ini.ReadString("d", "day", ""), DateToStr(day));
    EXPECT_EQ(ini.ReadString("d", "moment", ""), DateTimeToStr(moment));

    EXPECT_EQ(ini.ReadFloat("f", "half", 0), 1.5);
    EXPECT_NEAR(ini.ReadFloat("f", "third", 0), 1.0 / 3.0, 1e-14);
    EXPECT_EQ(ini.ReadDate("d", "day", 0), day);
    EXPECT_NEAR(ini.ReadDateTime("d", "moment", 0), moment, 1e-9);
    EXPECT_NEAR(ini.ReadTime("d", "time", 0), EncodeTime(8, 5, 0, 0), 1e-9);

    ini.WriteString("bad", "text", "not a number");
    ini.WriteString("bad", "empty", "");
    for (const char* key : {"text", "empty", "absent"}) {
        EXPECT_EQ(ini.ReadFloat("bad", key, -2.5), -2.5) << key;
        EXPECT_EQ(ini.ReadDate("bad", key, 7), 7) << key;
        EXPECT_EQ(ini.ReadDateTime("bad", key, 7), 7) << key;
        EXPECT_EQ(ini.ReadTime("bad", key, 7), 7) << key;
    }
}

// ---- writing ------------------------------------------------------------------------------

TEST_F(IniFileTest, FirstWriteCreatesFileAndFolder)
{
    const QString path = Path("config/Tessiv/Tessiv.INI");
    TIniFile ini(path);
    ini.WriteString("Geral", "Idioma", "pt");
    EXPECT_EQ(Bytes(path), QByteArray("[Geral]\r\nIdioma=pt\r\n"));
}

TEST_F(IniFileTest, NewKeysAndSectionsGoAtTheEnd)
{
    TIniFile ini(Path());
    ini.WriteString("A", "x", "1");
    ini.WriteString("B", "y", "2");
    ini.WriteString("a", "z", "3");
    ini.WriteString("C", "w", "4");
    ini.WriteString("b", "Y", "22");
    EXPECT_EQ(Bytes(), QByteArray("[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=22\r\n\r\n[C]\r\nw=4\r\n"));
}

TEST_F(IniFileTest, RewriteKeepsEverythingElse)
{
    Write("; top comment\r\n"
          "\r\n"
          "[Janela]\r\n"
          "  Left = 10   \r\n"
          "; about Top\r\n"
          "Top=20\r\n"
          "loose text\r\n"
          "\r\n"
          "\r\n"
          "[Outra]\r\n"
          "k=v\r\n");
    TIniFile ini(Path());
    ini.WriteInteger("JANELA", "LEFT", 15);
    ini.WriteString("Janela", "Width", "300");
    ini.WriteString("Nova", "a", "b");
    EXPECT_EQ(Bytes(), QByteArray("; top comment\r\n"
                                  "\r\n"
                                  "[Janela]\r\n"
                                  "Left=15\r\n"
                                  "; about Top\r\n"
                                  "Top=20\r\n"
                                  "loose text\r\n"
                                  "Width=300\r\n"
                                  "\r\n"
                                  "\r\n"
                                  "[Outra]\r\n"
                                  "k=v\r\n"
                                  "\r\n"
                                  "[Nova]\r\n"
                                  "a=b\r\n"));
}

TEST_F(IniFileTest, ValuesAreWrittenAsGiven)
{
    TIniFile ini(Path());
    ini.WriteString("s", "blanks", "  x  ");
    ini.WriteString("s", "quoted", "\"q\"");
    ini.WriteString("s", "empty", "");
    ini.WriteString("s", "text", "Relatório €");
    EXPECT_EQ(Bytes(), QByteArray("[s]\r\nblanks=  x  \r\nquoted=\"q\"\r\nempty=\r\ntext=Relat\xF3rio \x80\r\n"));
    // Read back by Windows' rules: blanks trimmed, quotes removed.
    EXPECT_EQ(ini.ReadString("s", "blanks", ""), "x");
    EXPECT_EQ(ini.ReadString("s", "quoted", ""), "q");
    EXPECT_EQ(ini.ReadString("s", "empty", "def"), "");
    EXPECT_EQ(ini.ReadString("s", "text", ""), "Relatório €");
}

TEST_F(IniFileTest, TextOutsideCp1252IsKeptAsUtf8)
{
    TIniFile ini(Path());
    ini.WriteString("Recentes", "Arquivo1", "/home/李/Relatório.KVR");
    EXPECT_EQ(Bytes(), QByteArray("\xEF\xBB\xBF[Recentes]\r\nArquivo1=/home/\xE6\x9D\x8E/Relat\xC3\xB3rio.KVR\r\n"));
    const TIniFile other(Path());
    EXPECT_EQ(other.ReadString("Recentes", "Arquivo1", ""), "/home/李/Relatório.KVR");
    // Once UTF-8, the file stays UTF-8.
    ini.DeleteKey("Recentes", "Arquivo1");
    EXPECT_EQ(Bytes(), QByteArray("\xEF\xBB\xBF[Recentes]\r\n"));
}

TEST_F(IniFileTest, ValueWithLineBreakReadsAsAFreshReadWould)
{
    TIniFile ini(Path());
    ini.WriteString("s", "k", "first\r\nsecond=2");
    EXPECT_EQ(Bytes(), QByteArray("[s]\r\nk=first\r\nsecond=2\r\n"));
    const TIniFile fresh(Path());
    for (const TIniFile* f : {static_cast<const TIniFile*>(&ini), &fresh}) {
        EXPECT_EQ(f->ReadString("s", "k", ""), "first");
        EXPECT_EQ(f->ReadString("s", "second", ""), "2");
    }
}

TEST_F(IniFileTest, WritingTheSameValueLeavesTheFileAlone)
{
    Write("[s]\r\nk = v\r\n");
    TIniFile ini(Path());
    ini.WriteString("s", "k", "v2");
    const QByteArray once = Bytes();
    ini.WriteString("s", "k", "v2");
    EXPECT_EQ(Bytes(), once);
    EXPECT_EQ(once, QByteArray("[s]\r\nk=v2\r\n"));
}

// ---- sharing the file ---------------------------------------------------------------------

TEST_F(IniFileTest, TwoObjectsSeeEachOthersWrites)
{
    TIniFile a(Path());
    TIniFile b(Path());
    EXPECT_EQ(b.ReadString("s", "k", "none"), "none");
    // Values of the same length in quick succession: only the file's identity tells them apart.
    for (int i = 0; i < 20; ++i) {
        TIniFile& writer = i % 2 ? a : b;
        const TIniFile& reader = i % 2 ? b : a;
        writer.WriteInteger("s", "k", i % 10);
        writer.WriteInteger("s", "other", i % 10);
        ASSERT_EQ(reader.ReadInteger("s", "k", -1), i % 10) << i;
        ASSERT_EQ(reader.ReadInteger("s", "other", -1), i % 10) << i;
    }
    a.WriteString("s", "fromA", "1");
    b.WriteString("s", "fromB", "2");
    EXPECT_EQ(Bytes(), QByteArray("[s]\r\nk=9\r\nother=9\r\nfromA=1\r\nfromB=2\r\n"));
}

TEST_F(IniFileTest, SeesChangesMadeByOtherPrograms)
{
    TIniFile ini(Path());
    ini.WriteString("s", "k", "1");
    EXPECT_EQ(ini.ReadString("s", "k", ""), "1");
    Write("[s]\r\nk=22\r\n");
    EXPECT_EQ(ini.ReadString("s", "k", ""), "22");
    QFile::remove(Path());
    EXPECT_EQ(ini.ReadString("s", "k", "gone"), "gone");
    Write("[s]\r\nk=333\r\n");
    ini.UpdateFile();
    EXPECT_EQ(ini.ReadString("s", "k", ""), "333");
}

// ---- sections -----------------------------------------------------------------------------

TEST_F(IniFileTest, ListsSectionsKeysAndValues)
{
    Write("x=not in a section\r\n"
          "[First]\r\n"
          "b=\" 2 \"\r\n"
          "a = 1\r\n"
          "; c=commented\r\n"
          "no separator\r\n"
          "B=duplicate\r\n"
          "[Empty]\r\n"
          "[second]\r\n"
          "z=26\r\n"
          "[FIRST]\r\n"
          "later=unseen\r\n");
    const TIniFile ini(Path());
    TStringList list;
    list.Add("old");
    ini.ReadSections(&list);
    EXPECT_EQ(Lines(list), (QStringList{"First", "Empty", "second"}));
    ini.ReadSection("first", &list);
    EXPECT_EQ(Lines(list), (QStringList{"b", "a"}));
    ini.ReadSectionValues("First", &list);
    EXPECT_EQ(Lines(list), (QStringList{"b= 2 ", "a=1"}));
    ini.ReadSection("Empty", &list);
    EXPECT_EQ(list.Count(), 0);
    ini.ReadSection("Missing", &list);
    EXPECT_EQ(list.Count(), 0);

    EXPECT_TRUE(ini.SectionExists("SECOND"));
    EXPECT_FALSE(ini.SectionExists("Empty")); // a section without keys
    EXPECT_FALSE(ini.SectionExists("Missing"));
    EXPECT_TRUE(ini.ValueExists("first", "A"));
    EXPECT_FALSE(ini.ValueExists("First", "c"));
    EXPECT_FALSE(ini.ValueExists("First", "no separator"));
    EXPECT_FALSE(ini.ValueExists("First", "later"));
}

TEST_F(IniFileTest, EraseSection)
{
    Write("[A]\r\nx=1\r\n\r\n[B]\r\n; note\r\ny=2\r\n\r\n[C]\r\nz=3\r\n[b]\r\nagain=1\r\n");
    TIniFile ini(Path());
    ini.EraseSection("b");
    EXPECT_EQ(Bytes(), QByteArray("[A]\r\nx=1\r\n\r\n[C]\r\nz=3\r\n"));
    EXPECT_FALSE(ini.ValueExists("B", "y"));
    ini.EraseSection("C");
    EXPECT_EQ(Bytes(), QByteArray("[A]\r\nx=1\r\n\r\n"));
    // The blank line left at the end already sets off the next new section.
    ini.WriteString("D", "w", "4");
    EXPECT_EQ(Bytes(), QByteArray("[A]\r\nx=1\r\n\r\n[D]\r\nw=4\r\n"));
}

TEST_F(IniFileTest, DeleteKey)
{
    Write("[s]\r\na=1\r\n; keep\r\nb=2\r\nA=again\r\n[t]\r\na=3\r\n");
    TIniFile ini(Path());
    ini.DeleteKey("S", "a");
    EXPECT_EQ(Bytes(), QByteArray("[s]\r\n; keep\r\nb=2\r\n[t]\r\na=3\r\n"));
    EXPECT_EQ(ini.ReadString("s", "a", "gone"), "gone");
    const QByteArray before = Bytes();
    ini.DeleteKey("s", "missing");
    ini.DeleteKey("missing", "a");
    EXPECT_EQ(Bytes(), before);
}

// ---- failures -----------------------------------------------------------------------------

TEST_F(IniFileTest, UnwritableFileRaisesAndKeepsWhatIsThere)
{
    // The "file" is a folder: it cannot be read, and must not be replaced.
    const QString path = Path("folder.ini");
    ASSERT_TRUE(QDir().mkpath(path));
    ASSERT_TRUE(QFile(QDir(path).filePath("inside")).open(QIODevice::WriteOnly));
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def");
    try {
        ini.WriteString("s", "k", "v");
        FAIL() << "no exception";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to %1").arg(path));
    }
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_TRUE(QFileInfo::exists(QDir(path).filePath("inside")));

    // A folder that cannot be made: a file stands where it should be.
    Write("plain file", Path("blocker"));
    TIniFile blocked(Path("blocker/sub/x.ini"));
    EXPECT_THROW(blocked.WriteString("s", "k", "v"), EInOutError);
    EXPECT_EQ(Bytes(Path("blocker")), QByteArray("plain file"));
}
