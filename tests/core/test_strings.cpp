#include "platform/core/Strings.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using namespace tessiv;

// Readable failure messages for QString values.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QStringList Lines(const TStrings& s)
{
    return s.ToStringList();
}

std::unique_ptr<TStringList> ListOf(const QStringList& lines)
{
    auto list = std::make_unique<TStringList>();
    list->AddStrings(lines);
    return list;
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

template <class E, class F>
QString MessageOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return QStringLiteral("<no exception>");
}

// Lines kept in a QStringList, with only what TStrings asks of a descendant: the inherited
// operations (Put, Exchange, Move, AddObject ...) are then the base class's own.
class TPlainStrings : public TStrings {
public:
    int Count() const override { return static_cast<int>(FLines.size()); }
    QString Strings(int index) const override
    {
        Check(index, Count() - 1);
        return FLines[index];
    }
    void Insert(int index, const QString& s) override
    {
        Check(index, Count());
        Changing();
        FLines.insert(index, s);
        Changed();
    }
    void Delete(int index) override
    {
        Check(index, Count() - 1);
        Changing();
        FLines.removeAt(index);
        Changed();
    }
    void Clear() override
    {
        Changing();
        FLines.clear();
        Changed();
    }

private:
    static void Check(int index, int last)
    {
        if (index < 0 || index > last)
            IndexError(index);
    }
    QStringList FLines;
};

struct TDummy : TPersistent {};

} // namespace

// ---- Text ---------------------------------------------------------------------------------

TEST(StringsText, EveryLineEndsWithCrLf)
{
    EXPECT_EQ(ListOf({})->Text(), QString());
    EXPECT_EQ(ListOf({QString()})->Text(), QStringLiteral("\r\n"));
    EXPECT_EQ(ListOf({"a", "", "b"})->Text(), QStringLiteral("a\r\n\r\nb\r\n"));
}

TEST(StringsText, SettingSplitsOnAnyLineBreak)
{
    const struct {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\n", {"a"}},
        {"a\r", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\n", {"a", ""}},
        {"\n\r", {"", ""}}, // LF then CR are two breaks, not one
        {"  padded  \r\n", {"  padded  "}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetText(QString::fromLatin1(c.text));
        EXPECT_EQ(Lines(list), c.lines) << c.text;
    }
}

// ---- CommaText and DelimitedText ----------------------------------------------------------

TEST(StringsCommaText, QuotesOnlyItemsThatNeedIt)
{
    const struct {
        QStringList lines;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"", ""}, ","},
        {{"a", "b"}, "a,b"},
        {{"a", "", "b"}, "a,,b"},
        {{"a b"}, "\"a b\""},
        {{"a,b"}, "\"a,b\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"tab\there"}, "\"tab\there\""},
        {{" lead"}, "\" lead\""},
        {{"semi;colon", "it's"}, "semi;colon,it's"},
        {{"Área", "€5"}, "Área,€5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListOf(c.lines)->CommaText(), QString::fromUtf8(c.text)) << c.text;
}

TEST(StringsCommaText, ParsesQuotedAndUnquotedItems)
{
    const struct {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"a,b", {"a", "b"}},
        {"a b", {"a", "b"}}, // blanks separate unquoted items
        {"  a ,  b  ", {"a", "b"}},
        {"\"a b\",c", {"a b", "c"}},
        {"a,,b", {"a", "", "b"}},
        {",a", {"", "a"}},
        {"a,", {"a", ""}},
        {"a, ", {"a"}}, // only a delimiter that ends the text adds an empty item
        {"\"\"", {""}},
        {"\"x\"\"y\"", {"x\"y"}},
        {"\"ab\"cd,e", {"ab", "cd", "e"}}, // text after a closing quote is the next item
        {"\"unclosed, still", {"unclosed, still"}},
        {"x\ty", {"x", "y"}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("old");
        list.SetCommaText(QString::fromLatin1(c.text));
        EXPECT_EQ(Lines(list), c.lines) << c.text;
    }
}

TEST(StringsCommaText, RoundTrips)
{
    const QStringList lists[] = {
        {""},
        {"", ""},
        {"", "a"},
        {"a", ""},
        {" spaced ", "\"", "\"\"", ",", ",,"},
        {"Relatório 1", "C:\\Dados\\Clientes.DB", "x=1", "line\r\nbreak"},
    };
    for (const QStringList& lines : lists) {
        TStringList list;
        list.SetCommaText(ListOf(lines)->CommaText());
        EXPECT_EQ(Lines(list), lines) << ListOf(lines)->CommaText().toStdString();
    }
}

TEST(StringsDelimitedText, UsesDelimiterAndQuoteChar)
{
    TStringList list;
    list.SetDelimiter(QLatin1Char(';'));
    list.SetQuoteChar(QLatin1Char('\''));
    list.AddStrings(QStringList{"a,b", "c;d", "it's", "e"});
    EXPECT_EQ(list.DelimitedText(), QStringLiteral("a,b;'c;d';'it''s';e"));
    // CommaText keeps its own delimiter and quote.
    EXPECT_EQ(list.CommaText(), QStringLiteral("\"a,b\",c;d,it's,e"));

    list.SetDelimitedText(QStringLiteral("x,y;'p q';'o''k'"));
    EXPECT_EQ(Lines(list), (QStringList{"x,y", "p q", "o'k"}));
}

// ---- names and values ---------------------------------------------------------------------

TEST(StringsValues, NamesAndValues)
{
    auto list = ListOf({"Left=10", "no separator", "=empty name", "Path=C:\\a=b", "top=5"});
    EXPECT_EQ(list->Names(0), QStringLiteral("Left"));
    EXPECT_EQ(list->Names(1), QString());
    EXPECT_EQ(list->Names(2), QString());
    EXPECT_EQ(list->Values(QStringLiteral("LEFT")), QStringLiteral("10"));
    EXPECT_EQ(list->Values(QStringLiteral("Path")), QStringLiteral("C:\\a=b"));
    EXPECT_EQ(list->Values(QStringLiteral("")), QStringLiteral("empty name"));
    EXPECT_EQ(list->Values(QStringLiteral("missing")), QString());
    EXPECT_EQ(list->ValueFromIndex(3), QStringLiteral("C:\\a=b"));
    EXPECT_EQ(list->ValueFromIndex(1), QString());
    EXPECT_EQ(list->ValueFromIndex(-1), QString());
    EXPECT_EQ(list->IndexOfName(QStringLiteral("TOP")), 4);
    EXPECT_EQ(list->IndexOfName(QStringLiteral("no separator")), -1);
}

TEST(StringsValues, SettingReplacesAddsOrDeletes)
{
    auto list = ListOf({"a=1", "b=2", "c=3"});
    list->SetValue(QStringLiteral("B"), QStringLiteral("20"));
    list->SetValue(QStringLiteral("d"), QStringLiteral("4"));
    list->SetValue(QStringLiteral("a"), QString());
    list->SetValue(QStringLiteral("missing"), QString());
    EXPECT_EQ(Lines(*list), (QStringList{"B=20", "c=3", "d=4"}));

    list->SetValueFromIndex(1, QStringLiteral("30"));
    list->SetValueFromIndex(-1, QStringLiteral("new"));
    EXPECT_EQ(Lines(*list), (QStringList{"B=20", "c=30", "d=4", "=new"}));
    list->SetValueFromIndex(0, QString());
    EXPECT_EQ(Lines(*list), (QStringList{"c=30", "d=4", "=new"}));
}

TEST(StringsValues, OtherSeparator)
{
    auto list = ListOf({"a=b:c", "x:y"});
    list->SetNameValueSeparator(QLatin1Char(':'));
    EXPECT_EQ(list->Names(0), QStringLiteral("a=b"));
    EXPECT_EQ(list->Values(QStringLiteral("x")), QStringLiteral("y"));
    list->SetValue(QStringLiteral("z"), QStringLiteral("1"));
    EXPECT_EQ(list->Strings(2), QStringLiteral("z:1"));
}

// ---- searching ----------------------------------------------------------------------------

TEST(StringsIndexOf, CaseInsensitiveByDefaultAccentsCount)
{
    auto list = ListOf({"Alpha", "ÁREA", "Beta", "alpha"});
    EXPECT_EQ(list->IndexOf(QStringLiteral("ALPHA")), 0);
    EXPECT_EQ(list->IndexOf(QStringLiteral("área")), 1);
    EXPECT_EQ(list->IndexOf(QStringLiteral("area")), -1);
    EXPECT_EQ(list->IndexOf(QStringLiteral("Gamma")), -1);

    list->SetCaseSensitive(true);
    EXPECT_EQ(list->IndexOf(QStringLiteral("alpha")), 3);
    EXPECT_EQ(list->IndexOf(QStringLiteral("ALPHA")), -1);
}

TEST(StringsIndexOf, Objects)
{
    TDummy a, b;
    TStringList list;
    list.AddObject(QStringLiteral("x"), &a);
    list.Add(QStringLiteral("y"));
    EXPECT_EQ(list.IndexOfObject(&a), 0);
    EXPECT_EQ(list.IndexOfObject(nullptr), 1);
    EXPECT_EQ(list.IndexOfObject(&b), -1);
    list.PutObject(1, &b);
    EXPECT_EQ(list.Objects(1), &b);
}

TEST(StringsEquals, ComparesLinesExactly)
{
    auto a = ListOf({"x", "y"});
    EXPECT_TRUE(a->Equals(ListOf({"x", "y"}).get()));
    EXPECT_FALSE(a->Equals(ListOf({"x", "Y"}).get()));
    EXPECT_FALSE(a->Equals(ListOf({"x"}).get()));
    EXPECT_FALSE(a->Equals(nullptr));
}

// ---- errors -------------------------------------------------------------------------------

TEST(StringListErrors, IndexOutOfBounds)
{
    auto list = ListOf({"a", "b"});
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Strings(2); }), QStringLiteral("List index out of bounds (2)"));
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Strings(-1); }), QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Delete(5); }), QStringLiteral("List index out of bounds (5)"));
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Insert(3, "x"); }), QStringLiteral("List index out of bounds (3)"));
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Objects(2); }), QStringLiteral("List index out of bounds (2)"));
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Put(2, "x"); }), QStringLiteral("List index out of bounds (2)"));
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Exchange(0, 2); }), QStringLiteral("List index out of bounds (2)"));
    EXPECT_EQ(MessageOf<EStringListError>([&] { list->Move(0, 2); }), QStringLiteral("List index out of bounds (2)"));
    list->Insert(2, "c"); // at the end is allowed
    EXPECT_EQ(Lines(*list), (QStringList{"a", "b", "c"}));
}

// ---- sorted lists -------------------------------------------------------------------------

TEST(StringListSorted, AddKeepsOrderAndRefusesPositionalChanges)
{
    TStringList list;
    list.SetSorted(true);
    for (const char* s : {"pera", "Banana", "abacate", "Uva", "maçã"})
        list.Add(QString::fromUtf8(s));
    EXPECT_EQ(Lines(list), (QStringList{"abacate", "Banana", "maçã", "pera", "Uva"}));

    const QString sortedError = QStringLiteral("Operation not allowed on sorted list");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(0, "z"); }), sortedError);
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Put(0, "z"); }), sortedError);
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Move(0, 2); }), sortedError);
    EXPECT_EQ(Lines(list), (QStringList{"abacate", "Banana", "maçã", "pera", "Uva"}));
}

TEST(StringListSorted, SortsAccentedWordsWithTheirLetters)
{
    auto list = ListOf({"b", "Área", "Z", "arco", "a", "Ábaco"});
    list->Sort();
    EXPECT_EQ(Lines(*list), (QStringList{"a", "Ábaco", "arco", "Área", "b", "Z"}));
}

TEST(StringListSorted, CaseSensitiveSortsLowerCaseFirst)
{
    auto list = ListOf({"B", "b", "A", "a"});
    list->SetCaseSensitive(true);
    list->SetSorted(true);
    EXPECT_EQ(Lines(*list), (QStringList{"a", "A", "b", "B"}));
    // Case-insensitive again, the list is sorted again; equal lines stay together.
    list->SetCaseSensitive(false);
    EXPECT_EQ(list->CommaText().toLower(), QStringLiteral("a,a,b,b"));
}

TEST(StringListSorted, Duplicates)
{
    TDummy first, second;
    TStringList list;
    list.SetSorted(true);
    list.AddObject(QStringLiteral("b"), &first);
    list.Add(QStringLiteral("a"));

    // Ignored: the index of the line already there, whose object stays.
    EXPECT_EQ(list.AddObject(QStringLiteral("B"), &second), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Objects(1), &first);

    list.SetDuplicates(dupError);
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Add(QStringLiteral("A")); }),
              QStringLiteral("List does not allow duplicates"));
    EXPECT_EQ(list.Count(), 2);

    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.AddObject(QStringLiteral("B"), &second), 1); // before the equal one
    EXPECT_EQ(Lines(list), (QStringList{"a", "B", "b"}));
    EXPECT_EQ(list.Objects(1), &second);
}

TEST(StringListSorted, Find)
{
    auto list = ListOf({"b", "d", "d", "f"});
    list->SetSorted(true);
    const struct {
        const char* s;
        bool found;
        int index;
    } cases[] = {{"a", false, 0}, {"b", true, 0}, {"c", false, 1}, {"D", true, 1}, {"e", false, 3}, {"g", false, 4}};
    for (const auto& c : cases) {
        int index = -1;
        EXPECT_EQ(list->Find(QString::fromLatin1(c.s), index), c.found) << c.s;
        EXPECT_EQ(index, c.index) << c.s;
    }
    list->SetDuplicates(dupAccept);
    int index = -1;
    ASSERT_TRUE(list->Find(QStringLiteral("d"), index));
    EXPECT_EQ(index, 1); // the first of equal lines
    EXPECT_EQ(list->IndexOf(QStringLiteral("F")), 3);
    EXPECT_EQ(list->IndexOf(QStringLiteral("c")), -1);
}

TEST(StringListSorted, CustomSortKeepsObjectsWithTheirLines)
{
    TDummy o[5];
    TStringList list;
    const char* words[] = {"ccc", "a", "eeeee", "bb", "dddd"};
    for (int i = 0; i < 5; ++i)
        list.AddObject(QString::fromLatin1(words[i]), &o[i]);
    list.CustomSort([](TStringList* l, int i, int j) {
        return static_cast<int>(l->Strings(j).size() - l->Strings(i).size());
    });
    EXPECT_EQ(Lines(list), (QStringList{"eeeee", "dddd", "ccc", "bb", "a"}));
    EXPECT_EQ(list.Objects(0), &o[2]);
    EXPECT_EQ(list.Objects(4), &o[1]);
}

TEST(StringListSorted, LargeSortMatchesSortedInsertion)
{
    TStringList unsorted, inserted;
    inserted.SetSorted(true);
    inserted.SetDuplicates(dupAccept);
    unsigned seed = 12345;
    for (int i = 0; i < 2000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const QString s = QStringLiteral("item%1").arg((seed >> 8) % 500);
        unsorted.Add(s);
        inserted.Add(s);
    }
    unsorted.Sort();
    EXPECT_TRUE(unsorted.Equals(&inserted));
}

// ---- moving lines -------------------------------------------------------------------------

TEST(StringListMove, ExchangeAndMoveCarryObjects)
{
    TDummy a, c;
    TStringList list;
    list.AddObject("a", &a);
    list.Add("b");
    list.AddObject("c", &c);
    list.Exchange(0, 2);
    EXPECT_EQ(Lines(list), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(list.Objects(0), &c);
    EXPECT_EQ(list.Objects(2), &a);
    list.Move(0, 2);
    EXPECT_EQ(Lines(list), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(list.Objects(2), &c);
    list.Move(2, 0);
    EXPECT_EQ(Lines(list), (QStringList{"c", "b", "a"}));
}

TEST(StringsBase, InheritedOperationsWorkOnAnyDescendant)
{
    TPlainStrings plain;
    plain.AddStrings(QStringList{"a", "b", "c", "k=v"});
    plain.Put(1, "B");
    plain.Exchange(0, 2);
    plain.Move(0, 3);
    EXPECT_EQ(Lines(plain), (QStringList{"B", "a", "k=v", "c"}));
    EXPECT_EQ(plain.IndexOf("K=V"), 2);
    EXPECT_EQ(plain.Values("K"), "v");
    TDummy o;
    plain.AddObject("x", &o);
    EXPECT_EQ(plain.Objects(4), nullptr); // keeps no objects
    EXPECT_EQ(MessageOf<EStringListError>([&] { plain.Put(9, "x"); }), QStringLiteral("List index out of bounds (9)"));
}

// ---- change notification ------------------------------------------------------------------

TEST(StringsNotify, OncePerChangeOrOncePerUpdate)
{
    TStringList list;
    int changing = 0, changed = 0;
    QStringList seenAtChanging;
    list.OnChanging = [&](TStrings* s) {
        ++changing;
        seenAtChanging = s->ToStringList();
    };
    list.OnChange = [&](TStrings*) { ++changed; };

    list.Add("a");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    EXPECT_TRUE(seenAtChanging.isEmpty()); // before the change

    changing = changed = 0;
    list.BeginUpdate();
    list.Add("b");
    list.BeginUpdate();
    list.Delete(0);
    list.EndUpdate();
    list.Add("c");
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 0);
    list.EndUpdate();
    EXPECT_EQ(changed, 1);

    changing = changed = 0;
    list.BeginUpdate();
    list.IndexOf("b");
    list.EndUpdate();
    EXPECT_EQ(changing + changed, 0); // nothing changed

    list.SetText("x\r\ny\r\nz");
    list.SetCommaText("1,2");
    EXPECT_EQ(changed, 2);
    list.Clear();
    list.Clear(); // already empty
    EXPECT_EQ(changed, 3);
    list.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(list.UpdateCount(), 0);
}

// ---- Assign -------------------------------------------------------------------------------

TEST(StringsAssign, CopiesLinesObjectsAndSeparators)
{
    TDummy o;
    TStringList source;
    source.AddObject("b", &o);
    source.Add("a");
    source.SetDelimiter(QLatin1Char(';'));
    source.SetNameValueSeparator(QLatin1Char(':'));

    TStringList target;
    target.Add("old");
    target.SetSorted(true);
    target.Assign(&source);
    EXPECT_EQ(Lines(target), (QStringList{"a", "b"}));
    EXPECT_EQ(target.Objects(1), &o);
    EXPECT_EQ(target.Delimiter(), QLatin1Char(';'));
    EXPECT_EQ(target.NameValueSeparator(), QLatin1Char(':'));

    TPlainStrings plain;
    plain.Assign(&target);
    EXPECT_EQ(Lines(plain), (QStringList{"a", "b"}));
    target.Assign(&target);
    EXPECT_EQ(target.Count(), 2);
}

TEST(StringsAssign, RefusesOtherClasses)
{
    TStringList list;
    list.Add("keep");
    TDummy other;
    EXPECT_THROW(list.Assign(&other), EConvertError);
    EXPECT_EQ(MessageOf<EConvertError>([&] { other.Assign(&list); }),
              QStringLiteral("Cannot assign a TStringList to a TPersistent"));
    EXPECT_EQ(Lines(list), QStringList{"keep"});
}

TEST(StringsClassInfo, Names)
{
    TStringList list;
    EXPECT_EQ(list.ClassName(), QStringLiteral("TStringList"));
    EXPECT_TRUE(list.InheritsFrom(TStrings::StaticClass()));
    EXPECT_TRUE(list.InheritsFrom(TPersistent::StaticClass()));
    EXPECT_EQ(TStrings::StaticClass().Parent, &TPersistent::StaticClass());
}

// ---- files and streams --------------------------------------------------------------------

TEST(StringsFiles, SaveWritesCp1252WithCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.txt");
    auto list = ListOf({"Olá", "€ 5,00", "", "ação"});
    list->SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), QByteArray("Ol\xE1\r\n\x80 5,00\r\n\r\na\xE7\xE3o\r\n"));

    TStringList back;
    back.LoadFromFile(path);
    EXPECT_TRUE(back.Equals(list.get()));
}

TEST(StringsFiles, LoadAcceptsLfAndUtf8Bom)
{
    QTemporaryDir dir;
    const QString lf = dir.filePath("lf.txt");
    WriteBytes(lf, QByteArray("um\ndois\n\xE9\n"));
    TStringList list;
    list.LoadFromFile(lf);
    EXPECT_EQ(Lines(list), (QStringList{"um", "dois", "é"}));

    const QString bom = dir.filePath("bom.txt");
    WriteBytes(bom, QByteArray("\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC\r\n\xE4\xB8\xAD"));
    list.LoadFromFile(bom);
    EXPECT_EQ(Lines(list), (QStringList{"é€", "中"}));

    const QString utf8 = dir.filePath("utf8.txt");
    list.SaveToFile(utf8, TTextEncoding::Utf8);
    EXPECT_EQ(ReadBytes(utf8), QByteArray("\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC\r\n\xE4\xB8\xAD\r\n"));
    WriteBytes(utf8, QByteArray("\xC3\xA9"));
    list.LoadFromFile(utf8, TTextEncoding::Utf8);
    EXPECT_EQ(Lines(list), QStringList{"é"});
}

TEST(StringsFiles, ErrorsLeaveThingsAsTheyWere)
{
    QTemporaryDir dir;
    TStringList list;
    list.Add("keep");
    const QString missing = dir.filePath("missing.txt");
    EXPECT_THROW(list.LoadFromFile(missing), EFOpenError);
    EXPECT_EQ(Lines(list), QStringList{"keep"});

    const QString noFolder = dir.filePath("no/such/folder/list.txt");
    const QString message = MessageOf<EFCreateError>([&] { list.SaveToFile(noFolder); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot create file \"%1\".").arg(noFolder))) << message.toStdString();
    EXPECT_FALSE(QFile::exists(noFolder));
}

TEST(StringsStreams, FromThePositionToTheEnd)
{
    TMemoryStream stream(QByteArray("HEADERa\r\nb"));
    stream.SetPosition(6);
    TStringList list;
    list.LoadFromStream(stream);
    EXPECT_EQ(Lines(list), (QStringList{"a", "b"}));
    EXPECT_EQ(stream.Position(), stream.Size());

    TMemoryStream out;
    out.WriteBytes("X");
    list.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), QByteArray("Xa\r\nb\r\n"));
}
