// The text form of component streams, and component resource files.
#include "StreamFixtures.h"

#include "platform/core/Exceptions.h"
#include "platform/core/ObjectText.h"
#include "platform/core/Reader.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <limits>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessiv;
using namespace fixtures;

namespace {

QByteArray Write(TComponent* root)
{
    TMemoryStream s;
    TWriter w(s);
    w.WriteRootComponent(root);
    return s.Bytes();
}

RootPtr Read(const QByteArray& bytes)
{
    TMemoryStream s(bytes);
    TReader r(s);
    return RootPtr(r.ReadRootComponent(nullptr));
}

QByteArray Crlf(const char* text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

} // namespace

TEST(ObjectText, BinaryTextBinaryGivesIdenticalBytes)
{
    auto tree = BuildTree();
    const QByteArray binary = Write(tree.get());
    const QByteArray text = ObjectBinaryToText(binary);
    EXPECT_EQ(ObjectTextToBinary(text).toHex().toStdString(), binary.toHex().toStdString()) << text.constData();
    // and the text is plain ASCII
    for (char c : text)
        ASSERT_TRUE(static_cast<unsigned char>(c) < 128) << text.constData();
}

TEST(ObjectText, WritesTheStandardLayout)
{
    RegisterFixtureClasses();
    RootPtr root(new TTestRoot(nullptr));
    root->SetName(QStringLiteral("fmHidden"));
    static_cast<TTestRoot*>(root.get())->Title = QStringLiteral("Relatório 'A'");
    auto* p = new TTestPanel(root.get());
    p->SetName(QStringLiteral("Band1"));
    p->Left = -3;
    p->Shade = shLight;
    p->Styles = {stBold, stItalic};
    p->Ratio = 0.25f;
    p->Price = 1.5L;
    p->When = 2.5;
    p->Font->Style = {};
    p->Caption = QString(70, QLatin1Char('a'));
    static_cast<TTestItem*>(p->Items->Add())->Caption = QStringLiteral("x");
    p->Values = {100.0L, 1.0L / 3.0L};
    p->Data = QByteArray(40, '\x5A');
    auto* c = new TTestPanel(root.get());
    c->SetName(QStringLiteral("Child"));
    c->SetParentPanel(p);
    c->SetLink(p);
    const QByteArray expected = Crlf(
        "object fmHidden: TTestRoot\n"
        "  Title = 'Relat'#243'rio '#39'A'#39\n"
        "  object Band1: TTestPanel\n"
        "    Left = -3\n"
        "    Shade = shLight\n"
        "    Styles = [stBold, stItalic]\n"
        "    Ratio = 0.25s\n"
        "    Price = 15000c\n"
        "    When = 2.5d\n"
        "    Caption = \n"
        "      'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +\n"
        "      'aaaaaa'\n"
        "    Font.Name = 'Arial'\n"
        "    Items = <\n"
        "      item\n"
        "        Caption = 'x'\n"
        "      end>\n"
        "    Values = (\n"
        "      100.000000000000000000\n"
        "      0.33333333333333333334)\n"
        "    Data = {\n"
        "      5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A5A\n"
        "      5A5A5A5A5A5A5A5A}\n"
        "    object Child: TTestPanel\n"
        "      Left = 0\n"
        "      Font.Name = 'Arial'\n"
        "      Items = <>\n"
        "      Link = Band1\n"
        "    end\n"
        "  end\n"
        "end\n");
    const QByteArray text = ObjectBinaryToText(Write(root.get()));
    EXPECT_EQ(text.toStdString(), expected.toStdString());
}

// A text form as the old class library writes it: 16-digit floats padded to 18 decimals, cp1252
// letters inside quotes, line continuations, child positions, hex blocks and collections.
TEST(ObjectText, ReadsTextsWrittenElsewhere)
{
    RegisterFixtureClasses();
    const QByteArray text =
        "object fmHidden_2: TTestRoot\r\n"
        "  Title = 'Relat\xf3rio '#224' venda' +\r\n"
        "    's'\r\n"
        "  object P: TTestPanel\n"          // LF alone is fine too
        "    Left = $10\n"
        "    Color = clRed\n"
        "    Visible = False\n"
        "    Exact = 68.791666666666670000\n"
        "    Big = 5000000000\n"
        "    Font.Style = [stItalic]\n"
        "    Items = <\n"
        "      item\n"
        "        Width = 7\n"
        "      end\n"
        "      item [1]\n"
        "      end>\n"
        "    Values = (\n"
        "      68.791666666666670000\n"
        "      1899.708333333333000000\n"
        "      -1.5E-20)\n"
        "    Data = {\n"
        "      00FF 10\n"
        "      }\n"
        "    OnClick = PClick\n"
        "    Lines.Strings = (\n"
        "      'select *'\n"
        "      'from t')\n"
        "  end\n"
        "  inline Q: TTestPanel [0]\n"
        "  end\n"
        "end\n";
    auto root = Read(ObjectTextToBinary(text));
    EXPECT_EQ(root->Name(), QStringLiteral("fmHidden_2"));
    EXPECT_EQ(static_cast<TTestRoot*>(root.get())->Title, QStringLiteral("Relatório à vendas"));
    auto* p = static_cast<TTestPanel*>(root->FindComponent(QStringLiteral("P")));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Left, 16);
    EXPECT_EQ(p->Color, 0x0000FF);
    EXPECT_FALSE(p->Visible);
    EXPECT_EQ(p->Exact, 68.79166666666667L);
    EXPECT_EQ(p->Big, 5000000000LL);
    EXPECT_TRUE(p->Font->Style == TStyles{stItalic});
    ASSERT_EQ(p->Items->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(p->Items->Items(0))->Width, 7);
    ASSERT_EQ(p->Values.size(), 3u);
    EXPECT_EQ(p->Values[1], 1899.708333333333L);
    EXPECT_EQ(p->Values[2], -1.5e-20L);
    EXPECT_EQ(p->Data, QByteArray("\x00\xFF\x10", 3));
    EXPECT_EQ(p->OnClick.MethodName, QStringLiteral("PClick"));
    EXPECT_EQ(p->Lines->Count(), 2);
    EXPECT_EQ(p->Lines->Strings(1), QStringLiteral("from t"));
    EXPECT_NE(root->FindComponent(QStringLiteral("Q")), nullptr);
}

TEST(ObjectText, ErrorsNameTheLine)
{
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "'object' expected on line 1"},
        {"object A: TTestRoot\n  X = \n", "Invalid property value on line 3"},
        {"object A: TTestRoot\n  X 5\nend", "'=' expected on line 2"},
        {"object A: TTestRoot\n  X = 'abc\nend", "Unterminated string on line 2"},
        {"object A: TTestRoot\n  X = {0F1}\nend", "Invalid binary value on line 2"},
        {"object A: TTestRoot\n  X = {0G}\nend", "Invalid binary value on line 2"},
        {"object A: TTestRoot\n  X = [a b]\nend", "',' expected on line 2"},
        {"object A: TTestRoot\n  X = 'a' + 5\nend", "String expected on line 2"},
        {"object A: TTestRoot\n  X = <\n  foo>\nend", "'item' expected on line 3"},
        {"object A: TTestRoot\n  X = (1 2\n", "')' expected on line 3"},
        {"object A: TTestRoot\n  X = 99999999999999999999\nend", "Invalid integer value"},
        {"object A: TTestRoot\n  X = #70000\nend", "Invalid string constant on line 2"},
        {"object A: TTestRoot\n", "'end' expected on line 2"},
    };
    for (const Case& c : cases) {
        try {
            ObjectTextToBinary(QByteArray(c.text));
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EParserError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(c.message))) << c.text << " -> " << e.what();
        }
    }
    // Nesting without end is refused before it exhausts the stack.
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "(";
    EXPECT_THROW(ObjectTextToBinary("object A: T\n X = " + deep), EParserError);
}

// A value its type cannot hold, and a name that is no identifier, are refused on the way in, so
// nothing is written that cannot be shown as text again.
TEST(ObjectText, ValuesOutOfTheirTypeAndNamesThatAreNoIdentifiersAreRefused)
{
    struct Case {
        const char* text; // UTF-8
        const char* message;
    } refused[] = {
        {"object A: TTestRoot\n  X = 1e300s\nend", "Invalid single value '1e300' on line 2"},
        {"object A: TTestRoot\n  X = -3.5e38s\nend", "Invalid single value"},
        {"object A: TTestRoot\n  X = 1e400d\nend", "Invalid date value '1e400' on line 2"},
        {"object A: TTestRoot\n  X = 1e5000\nend", "Invalid floating point value"},
        {"object Жук: TTestRoot\nend", "Invalid identifier 'Жук' on line 1"},
        {"object A: TTestRoot\nend", nullptr},
        {"object A: TТestRoot\nend", "Invalid identifier"}, // a Cyrillic T
        {"object Café: TTestRoot\nend", "Invalid identifier 'Café'"},
        {"object A: TTestRoot\n  Größe = 1\nend", "Invalid identifier 'Größe' on line 2"},
        {"object A: TTestRoot\n  Font.Näme = 1\nend", "Invalid identifier"},
        {"object A: TTestRoot\n  X = vermelhoЖ\nend", "Invalid identifier"},
        {"object A: TTestRoot\n  X = [fsBold, fsЖ]\nend", "Invalid identifier"},
    };
    for (const Case& c : refused) {
        const QByteArray text(c.text);
        if (!c.message) {
            EXPECT_NO_THROW(ObjectTextToBinary(text)) << c.text;
            continue;
        }
        try {
            ObjectTextToBinary(text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EParserError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.message))) << c.text << " -> " << e.what();
        }
    }
    // What the types hold is taken, the extremes included, and shows again as it was read.
    const QByteArray kept = Crlf("object A: TTestRoot\n"
                                 "  S = 3.4028235E+38s\n"
                                 "  T = 1E-45s\n"
                                 "  D = 1.7976931348623157E+308d\n"
                                 "end\n");
    EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(kept)), kept);

    // The other way: a stream whose names the text form could not read back as the same names.
    const auto stream = [](const QString& className, const QString& name, const QString& property,
                           const std::function<void(TWriter&)>& value) {
        TMemoryStream s;
        {
            TWriter w(s);
            w.WriteSignature();
            w.WriteStr(className);
            w.WriteStr(name);
            w.WriteStr(property);
            value(w);
            w.WriteListEnd();
            w.WriteListEnd();
        }
        return s.Bytes();
    };
    const auto integer = [](TWriter& w) { w.WriteInteger(1); };
    const QByteArray good = stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("Font.Size"), integer);
    EXPECT_NO_THROW(ObjectBinaryToText(good));
    const QByteArray bad[] = {
        stream(QStringLiteral("T Root"), QStringLiteral("A"), QStringLiteral("X"), integer),
        stream(QString(), QStringLiteral("A"), QStringLiteral("X"), integer),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("1A"), QStringLiteral("X"), integer),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("Café"), QStringLiteral("X"), integer),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("X = 1"), integer),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("Font."), integer),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("end"), integer),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("Object"), integer),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("X"),
               [](TWriter& w) { w.WriteIdent(QStringLiteral("a b")); }),
        stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("X"),
               [](TWriter& w) { w.WriteSet({QStringLiteral("fsBold"), QStringLiteral("fs'")}); }),
    };
    for (const QByteArray& b : bad)
        EXPECT_THROW(ObjectBinaryToText(b), EReadError) << b.toHex().toStdString();
    // A single that is infinite in a stream is refused too.
    const QByteArray infinite = stream(QStringLiteral("TTestRoot"), QStringLiteral("A"), QStringLiteral("X"),
                                       [](TWriter& w) { w.WriteSingle(std::numeric_limits<float>::infinity()); });
    EXPECT_THROW(ObjectBinaryToText(infinite), EReadError);
}

// ---- resource files ----

TEST(ResFile, HeaderAsTheFileFormatLaysItOut)
{
    RegisterFixtureClasses();
    RootPtr root(new TTestRoot(nullptr));
    root->SetName(QStringLiteral("fmHidden"));
    TMemoryStream s;
    WriteComponentRes(s, root.get());
    const QByteArray stream = Write(root.get());
    // FF, type 10, "TTESTROOT" NUL, flags 0x1030, size
    QByteArray header = QByteArray::fromHex("FF0A00") + "TTESTROOT" + QByteArray::fromHex("00 3010");
    const auto size = static_cast<quint32>(stream.size());
    for (int i = 0; i < 4; ++i)
        header += static_cast<char>(size >> (8 * i));
    EXPECT_EQ(s.Bytes().toHex().toStdString(), (header + stream).toHex().toStdString());
}

TEST(ResFile, ReadsAHandBuiltContainerWhateverItsNameAndSize)
{
    RegisterFixtureClasses();
    auto tree = BuildTree();
    const QByteArray stream = Write(tree.get());
    // A 19-byte header named "TFMHIDDEN", whose size field a reader does not check.
    const QByteArray header = QByteArray::fromHex("FF0A00") + "TFMHIDDEN" + QByteArray::fromHex("00 3010 00000000");
    ASSERT_EQ(header.size(), 19);
    TMemoryStream s(header + stream);
    RootPtr root(ReadComponentRes(s, nullptr));
    EXPECT_EQ(Write(root.get()), stream);

    for (const QByteArray& bad : {QByteArray::fromHex("FE0A00") + "X" + QByteArray(7, '\0') + stream,
                                  QByteArray::fromHex("FF0B00") + "X" + QByteArray(7, '\0') + stream,
                                  QByteArray::fromHex("FF0A00") + QByteArray(100, 'X'), QByteArray()}) {
        TMemoryStream b(bad);
        try {
            ReadComponentRes(b, nullptr);
            ADD_FAILURE() << bad.left(8).toHex().constData();
        } catch (const EInvalidImage& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Invalid stream format"));
        }
    }
}

TEST(ResFile, FilesRoundTripThroughTheTextForm)
{
    QTemporaryDir dir;
    auto tree = BuildTree();
    const QString first = dir.filePath(QStringLiteral("a.KVR"));
    WriteComponentResFile(first, tree.get());
    QFile f(first);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray original = f.readAll();

    TMemoryStream in(original), text, back;
    ObjectResourceToText(in, text);
    text.SetPosition(0);
    ObjectTextToResource(text, back);
    EXPECT_EQ(back.Bytes().toHex().toStdString(), original.toHex().toStdString());

    RootPtr again(ReadComponentResFile(first, nullptr));
    const QString second = dir.filePath(QStringLiteral("b.KVR"));
    WriteComponentResFile(second, again.get());
    QFile g(second);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), original);

    EXPECT_THROW(ReadComponentResFile(dir.filePath(QStringLiteral("missing.KVR")), nullptr), EFOpenError);
}

TEST(ResFile, AFailedWriteLeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("keep.KVR"));
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous contents");
    }
    RegisterFixtureClasses();
    RootPtr root(new TTestRoot(nullptr));
    auto* p = new TTestPanel(root.get());
    p->Caption = QString(10, QLatin1Char('x'));
    // A method name too long for the stream fails the write half-way.
    p->OnClick.MethodName = QString(300, QLatin1Char('m'));
    EXPECT_THROW(WriteComponentResFile(name, root.get()), EWriteError);
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("previous contents"));
}

namespace {

// Files this process writes may not grow past a few bytes while it lives: a write beyond fails as
// on a full disk.
struct TFileSizeLimit {
    explicit TFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &Old);
        FOldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = Old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &Old);
        std::signal(SIGXFSZ, FOldSignal);
    }
    rlimit Old{};
    void (*FOldSignal)(int) = nullptr;
};

QByteArray FileBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ResFile, AWriteThatFailsNamesTheFileAndTheCause)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("cheio.KVR"));
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous contents");
    }
    RegisterFixtureClasses();
    auto tree = BuildTree();
    try {
        TFileSizeLimit full(32);
        WriteComponentResFile(name, tree.get());
        ADD_FAILURE() << "written";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot write \"%1\": %2").arg(name, QString::fromLocal8Bit(std::strerror(EFBIG))));
    }
    EXPECT_EQ(FileBytes(name), QByteArray("previous contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("cheio.KVR")});
}

TEST(ResFile, SavingOverAnotherUsersFileKeepsItsOwnerGroupAndMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to own files as others";
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    RegisterFixtureClasses();
    auto tree = BuildTree();
    const QByteArray expected = [&] {
        const QString probe = dir.filePath(QStringLiteral("probe.KVR"));
        WriteComponentResFile(probe, tree.get());
        return FileBytes(probe);
    }();
    struct Case {
        const char* Name;
        uid_t Saver; // the effective user who saves
        mode_t Mode;
    };
    // Root may give the new file its owner; another user may not, and writes in place.
    for (const Case& c : {Case{"root.KVR", 0, 0640}, Case{"outro.KVR", 65534, 0666}}) {
        const QString name = dir.filePath(QString::fromLatin1(c.Name));
        {
            QFile f(name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            // Longer than the new contents: writing in place must not leave its tail.
            f.write(QByteArray(expected.size() * 3, 'o'));
        }
        const QByteArray path = QFile::encodeName(name);
        ASSERT_EQ(::chown(path.constData(), 1234, 5678), 0);
        ASSERT_EQ(::chmod(path.constData(), c.Mode), 0);
        ASSERT_EQ(::seteuid(c.Saver), 0);
        try {
            WriteComponentResFile(name, tree.get());
        } catch (const Exception& e) {
            ADD_FAILURE() << c.Name << ": " << e.Message().toStdString();
        }
        ASSERT_EQ(::seteuid(0), 0);
        struct stat st {};
        ASSERT_EQ(::stat(path.constData(), &st), 0);
        EXPECT_EQ(st.st_uid, 1234u) << c.Name;
        EXPECT_EQ(st.st_gid, 5678u) << c.Name;
        EXPECT_EQ(st.st_mode & 07777, c.Mode) << c.Name;
        EXPECT_EQ(FileBytes(name), expected) << c.Name;
    }
}
