// The binary component stream: every value type, nesting, references, defaults, and damage.
#include "StreamFixtures.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace tessiv;
using namespace fixtures;

namespace {


// A short string: length byte and characters.
QByteArray S(const char* text)
{
    const QByteArray t(text);
    return QByteArray(1, static_cast<char>(t.size())) + t;
}
QByteArray H(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray Write(TComponent* root)
{
    TMemoryStream s;
    TWriter w(s);
    w.WriteRootComponent(root);
    return s.Bytes();
}

RootPtr Read(const QByteArray& bytes, TComponent* into = nullptr)
{
    TMemoryStream s(bytes);
    TReader r(s);
    return RootPtr(r.ReadRootComponent(into));
}

} // namespace

TEST(Stream, WriteReadWriteGivesIdenticalBytes)
{
    auto tree = BuildTree();
    const QByteArray first = Write(tree.get());
    auto copy = Read(first);
    const QByteArray second = Write(copy.get());
    EXPECT_EQ(first.toHex(), second.toHex());

    auto* report = static_cast<TTestPanel*>(copy->FindComponent(QStringLiteral("Report")));
    auto* detail = static_cast<TTestPanel*>(copy->FindComponent(QStringLiteral("Detail")));
    auto* child = static_cast<TTestPanel*>(copy->FindComponent(QStringLiteral("Child1")));
    auto* source = static_cast<TTestSource*>(copy->FindComponent(QStringLiteral("Source")));
    ASSERT_TRUE(report && detail && child && source);
    EXPECT_EQ(static_cast<TTestRoot*>(copy.get())->Title, QStringLiteral("Relatório de vendas"));
    EXPECT_EQ(report->Left, -300);
    EXPECT_EQ(report->Big, 0x123456789ALL);
    EXPECT_EQ(report->Color, 0x0000FF);
    EXPECT_EQ(report->Shade, shDark);
    EXPECT_FALSE(report->Visible);
    EXPECT_TRUE(report->Checked);
    EXPECT_TRUE(report->Styles == (TStyles{stBold, stUnderline}));
    EXPECT_EQ(report->Ratio, 1.5f);
    EXPECT_EQ(report->Scale, 0.1);
    EXPECT_EQ(report->Exact, 1.0L / 3.0L);
    EXPECT_EQ(report->Price, 12.3456L);
    EXPECT_EQ(report->When, 46366.5);
    EXPECT_EQ(report->Caption, QString(300, QLatin1Char('x')));
    EXPECT_EQ(report->Font->Name, QStringLiteral("Courier New"));
    EXPECT_EQ(report->Font->Size, 12);
    EXPECT_TRUE(report->Font->Style == TStyles{stItalic});
    EXPECT_EQ(report->Font->Color, 0x123456);
    ASSERT_EQ(report->Items->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(report->Items->Items(0))->Caption, QStringLiteral("first"));
    EXPECT_EQ(static_cast<TTestItem*>(report->Items->Items(1))->Width, 100000);
    EXPECT_EQ(report->OnClick.MethodName, QStringLiteral("ReportClick"));
    EXPECT_EQ(report->Lines->Text(), QStringLiteral("select * from clientes\r\n\r\nwhere cidade = 'São Paulo'\r\n"));
    EXPECT_EQ(detail->Lines->Count(), 0);
    ASSERT_EQ(report->Values.size(), 5u);
    const long double expected[5] = {100.0L, 2100.0L, 2970.0L, 1.0L / 7.0L, -0.0L};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(std::memcmp(&report->Values[i], &expected[i], 10), 0) << i;
    EXPECT_TRUE(std::signbit(report->Values[4]));
    EXPECT_EQ(report->Data, QByteArray("\x00\x01\x02\xFF binary", 11));
    EXPECT_EQ(detail->Caption, QStringLiteral("Ω wide"));
    // nesting and references
    EXPECT_EQ(detail->ParentPanel, report);
    EXPECT_EQ(child->ParentPanel, detail);
    EXPECT_EQ(detail->Link, report);
    EXPECT_EQ(report->Link, child);
    EXPECT_EQ(source->Target, detail);
    // Loaded ran for each component, in read order, and cleared csLoading
    EXPECT_LT(report->LoadedOrder, detail->LoadedOrder);
    EXPECT_LT(detail->LoadedOrder, child->LoadedOrder);
    EXPECT_FALSE(report->ComponentState().Contains(csLoading));
    EXPECT_FALSE(copy->ComponentState().Contains(csReading));
}

TEST(Stream, ValuesListIsStoredAsTenByteExtendedFloats)
{
    RegisterFixtureClasses();
    RootPtr root(new TTestRoot(nullptr));
    root->SetName(QStringLiteral("R"));
    auto* p = new TTestPanel(root.get());
    p->SetName(QStringLiteral("P"));
    p->Values = {100.0L};
    const QByteArray bytes = Write(root.get());
    // "Values" ( vaList, vaExtended 100.0, vaNull )
    const QByteArray expected = QByteArray("\x06Values\x01\x05", 9) +
                                QByteArray::fromHex("00000000000000C80540") + QByteArray(1, '\0');
    EXPECT_TRUE(bytes.contains(expected)) << bytes.toHex().constData();
}

TEST(Stream, DefaultsAreNotWrittenAndGoldenBytesMatch)
{
    RegisterFixtureClasses();
    RootPtr root(new TTestRoot(nullptr));
    root->SetName(QStringLiteral("R"));
    auto* p = new TTestPanel(root.get());
    p->SetName(QStringLiteral("P"));
    // Only what differs from the defaults: Left 200 (int16), Visible False, Font.Size 8; a string
    // property that is not empty (Font.Name) and a collection (Items, empty) are always written.
    p->Left = 200;
    p->Visible = false;
    p->Font->Size = 8;
    const QByteArray expected = QByteArray("TPF0") + S("TTestRoot") + S("R") + H("00") +
        S("TTestPanel") + S("P") +
        S("Left") + H("03 C8 00") +                   // vaInt16 200
        S("Visible") + H("08") +                      // vaFalse
        S("Font.Name") + H("06") + S("Arial") +       // vaString
        S("Font.Size") + H("02 08") +                 // vaInt8 8
        S("Items") + H("0E 00") +                     // vaCollection, no items
        H("00") + H("00") +                           // end of properties, of children
        H("00");                                      // end of the root's children
    EXPECT_EQ(Write(root.get()).toHex(' ').toStdString(), expected.toHex(' ').toStdString());
}

TEST(Stream, ReadsPrefixFlagsAndOldPropertiesAndQualifiedReferences)
{
    RegisterFixtureClasses();
    // A root whose child carries the child-position flag, an old "Mode" property, and a reference
    // qualified by another root's name.
    RootPtr other(new TTestRoot(nullptr));
    other->SetName(QStringLiteral("Module"));
    auto* remote = new TTestPanel(other.get());
    remote->SetName(QStringLiteral("Remote"));
    SetFindGlobalComponent([&](const QString& name) -> TComponent* {
        return name.compare(QLatin1String("module"), Qt::CaseInsensitive) == 0 ? other.get() : nullptr;
    });
    const QByteArray bytes = QByteArray("TPF0") + S("TTestRoot") + S("Main") + H("00") +
        H("F2 02 00") + S("TTestSource") + S("Src") +   // prefix: child position 0
        S("Target") + H("07") + S("Module.Remote") + H("00 00") +
        S("TTestPanel") + S("P1") + S("Mode") + H("02 05") + H("00 00") +
        H("00");
    auto root = Read(bytes);
    SetFindGlobalComponent(nullptr);
    auto* src = static_cast<TTestSource*>(root->FindComponent(QStringLiteral("Src")));
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->Target, remote);
    auto* p1 = static_cast<TTestPanel*>(root->FindComponent(QStringLiteral("P1")));
    EXPECT_EQ(p1->OldMode, 5);
    // The old property is dropped on the next save.
    EXPECT_FALSE(Write(root.get()).contains("Mode"));
    src->SetTarget(nullptr);
}

TEST(Stream, ReadsIntoAGivenRootAndKeepsItsNameUniqueAmongItsSiblings)
{
    auto tree = BuildTree();
    const QByteArray bytes = Write(tree.get());
    RootPtr app(new TComponent(nullptr));
    auto* first = new TTestRoot(app.get());
    Read(bytes, first).release();
    auto* second = new TTestRoot(app.get());
    Read(bytes, second).release();
    EXPECT_EQ(first->Name(), QStringLiteral("fmHidden"));
    EXPECT_EQ(second->Name(), QStringLiteral("fmHidden_1"));
    EXPECT_EQ(second->ComponentCount(), 4);
}

// Each kind of damage gets its own error naming what and where; nothing half-read survives.
TEST(Stream, DamagedInputIsRefusedWithAClearError)
{
    auto tree = BuildTree();
    const QByteArray good = Write(tree.get());
    auto replaced = [&](const QByteArray& from, const QByteArray& to) {
        QByteArray b = good;
        const qsizetype at = b.indexOf(from);
        EXPECT_GE(at, 0) << from.toHex().constData();
        return b.replace(at, from.size(), to);
    };
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* message; // a part of the message
    } cases[] = {
        {"empty", QByteArray(), "Invalid stream format"},
        {"wrong signature", QByteArray("TPF1") + good.mid(4), "Invalid stream format"},
        {"unknown class", replaced("\x0aTTestPanel\x06" "Detail", "\x0aTTestPanex\x06" "Detail"), "Class TTestPanex not found"},
        {"unknown property", replaced("\x05Shade", "\x05Shady"), "Error reading Report.Shady: Property Shady does not exist"},
        {"wrong value type", replaced("\x05Shade\x07\x06shDark", "\x05Shade\x06\x06shDark"), "Error reading Report.Shade: Invalid property value"},
        {"enumeration out of range", replaced("\x06shDark", "\x06shGrey"), "Error reading Report.Shade: Invalid property value"},
        {"set element unknown", replaced("\x06stBold", "\x06stBolt"), "Error reading Report.Styles: Invalid property value"},
        {"missing reference", replaced("\x06Target\x07\x06" "Detail", "\x06Target\x07\x06" "Detaij"), "Unresolved reference to component Detaij"},
        {"bad sub-object path", replaced("\x09" "Font.Name", "\x09" "Fant.Name"), "Error reading Report.Fant.Name: Invalid property path"},
        {"undefined value type", replaced("\x04" "Left\x03", "\x04" "Left\x20"), "Invalid value type 32"},
        {"huge string length", replaced("\x07" "Caption\x0c\x2c\x01\x00\x00", "\x07" "Caption\x0c\xff\xff\xff\x7f"), "runs past the end of the stream"},
        {"huge binary length", replaced("\x04" "Data\x0a\x0b\x00\x00\x00", "\x04" "Data\x0a\xff\xff\xff\xff"), "runs past the end of the stream"},
        {"duplicate name", replaced("\x0aTTestPanel\x06" "Child1", "\x0aTTestPanel\x06" "Report"), "A component named Report already exists"},
    };
    for (const Case& c : cases) {
        try {
            Read(c.bytes);
            ADD_FAILURE() << c.what << ": read without error";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(c.message)))
                << c.what << ": " << e.what();
            if (c.bytes.size() > 4) {
                EXPECT_TRUE(e.Message().contains(QLatin1String(" at offset "))) << c.what << ": " << e.what();
            }
        }
    }
}

TEST(Stream, EveryTruncationIsRefusedWithoutLeaking)
{
    auto tree = BuildTree();
    const QByteArray good = Write(tree.get());
    for (qsizetype n = 0; n < good.size(); ++n) {
        try {
            Read(good.left(n));
            ADD_FAILURE() << "truncated to " << n << " bytes read without error";
        } catch (const EFilerError&) {
        } catch (const Exception& e) {
            ADD_FAILURE() << "truncated to " << n << ": unexpected " << e.what();
        }
    }
}

TEST(Stream, ReadingIntoAGivenRootFreesWhatItCreatedOnFailure)
{
    auto tree = BuildTree();
    QByteArray bad = Write(tree.get());
    bad.chop(3);
    RootPtr target(new TTestRoot(nullptr));
    EXPECT_THROW(Read(bad, target.get()).release(), EFilerError);
    EXPECT_EQ(target->ComponentCount(), 0);
    EXPECT_FALSE(target->ComponentState().Contains(csLoading));
}

TEST(Stream, DeepNestingIsRefusedNotOverflowingTheStack)
{
    RegisterFixtureClasses();
    QByteArray bytes = QByteArray("TPF0", 4) + "\x09TTestRoot\x01R" + QByteArray(1, '\0');
    const int depth = 5000;
    for (int i = 0; i < depth; ++i)
        bytes += QByteArray("\x0aTTestPanel", 11) + QByteArray(1, '\0') + QByteArray(1, '\0');
    try {
        Read(bytes);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("nesting too deep"))) << e.what();
    }
    QByteArray lists = QByteArray("TPF0", 4) + "\x09TTestRoot\x01R" + "\x05Title" + QByteArray(depth, '\x01');
    EXPECT_THROW(Read(lists), EFilerError);
}

TEST(Stream, ComponentsCopiedOneByOneReadBackIntoAnotherOwner)
{
    auto tree = BuildTree();
    TMemoryStream s;
    {
        TWriter w(s);
        w.WriteDescendent(tree->FindComponent(QStringLiteral("Source")));
    }
    {
        TWriter w(s);
        w.WriteDescendent(tree->FindComponent(QStringLiteral("Child1")));
        w.WriteListEnd();
    }
    s.SetPosition(0);
    RootPtr target(new TTestRoot(nullptr));
    std::vector<TComponent*> got;
    TReader r(s);
    r.IgnoreUnresolvedReferences = true;
    r.ReadComponents(target.get(), target.get(), [&](TComponent* c) { got.push_back(c); });
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0]->Name(), QStringLiteral("Source"));
    EXPECT_EQ(static_cast<TTestSource*>(got[0])->Target, nullptr); // pointed outside the copy
    EXPECT_EQ(static_cast<TTestPanel*>(got[1])->Values, (std::vector<long double>{20.0L, 40.0L}));
}
