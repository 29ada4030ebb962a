// Export filters: the text filter's character grid (where a text lands, what a page writes, what
// the file holds), the library a save dialog lists, and a whole grouped report over a real SQLite
// table exported to a text file.

#include "RunFixture.h"

#include "engine/export/KVAsciiExportFilter.h"
#include "engine/model/KVBands.h"
#include "engine/export/KVExportFilterLibrary.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"
#include "platform/graphics/GraphicsObjects.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

QByteArray ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct PointFont : TFont {
    explicit PointFont(int points)
    {
        SetName(QStringLiteral("Arial"));
        SetSize(points);
    }
};

// A text filter on an A4 page at 10 points, writing into a temporary folder.
class AsciiFilterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }
    QString File(const char* name = "saida.txt") const { return FDir.filePath(QLatin1String(name)); }
    PointFont FFont{10};
    QTemporaryDir FDir;
};

// ---- where a text lands -------------------------------------------------------------------------

struct TPlacement {
    const char* Name;
    struct TText {
        long double X, Y;
        TAlignment Alignment;
        const char16_t* Text;
    };
    std::vector<TText> Texts;
    int Row;
    const char16_t* Line;
};

// The width of n cells at 10 points, as x.
long double Cells(long double n)
{
    return n * 10 * TKVAsciiExportFilter::PointCell / TKVAsciiExportFilter::ColumnFactor;
}

TEST_F(AsciiFilterTest, ATextLandsInTheCellOfItsPosition)
{
    const TPlacement cases[] = {
        // 352.8 / 35.2778 * 1.7 = 17.0 and 70.6 / 35.2778 = 2.0.
        {"the first character in column 17 of row 2", {{352.8L, 70.6L, taLeftJustify, u"abc"}}, 2,
         u"                abc"},
        {"a right-justified text of three whose x gives 20 starts in column 17",
         {{Cells(20), 0, taRightJustify, u"xyz"}}, 0, u"                xyz"},
        {"centred texts are placed as left-justified ones", {{Cells(3), 0, taCenter, u"c"}}, 0, u"  c"},
        {"a later text that starts inside an earlier one overwrites what it covers",
         {{Cells(1), 0, taLeftJustify, u"ABCDEF"}, {Cells(3), 0, taLeftJustify, u"xy"}}, 0, u"ABxyEF"},
        {"one that runs past the end lengthens the line",
         {{Cells(1), 0, taLeftJustify, u"ABCD"}, {Cells(3), 0, taLeftJustify, u"wxyz"}}, 0, u"ABwxyz"},
        {"texts on one row apart from each other merge into one line",
         {{Cells(1), 35.3L, taLeftJustify, u"A"}, {Cells(5), 35.3L, taLeftJustify, u"B"}}, 1, u"A   B"},
        {"a right-justified text past the left edge starts the line",
         {{Cells(1), 0, taRightJustify, u"long"}}, 0, u"long"},
        // Half a row rounds to the even one.
        {"half a row rounds to even", {{Cells(1), 2.5L * 35.2777777777L, taLeftJustify, u"h"}}, 2, u"h"},
        {"columns are counted in characters, not bytes",
         {{Cells(1), 0, taLeftJustify, u"ação"}, {Cells(5), 0, taLeftJustify, u"€!"}}, 0, u"ação€!"},
        {"a line break inside a text takes one cell and breaks no line",
         {{Cells(1), 0, taLeftJustify, u"a\r\nb\tc"}}, 0, u"a  b c"},
    };
    for (const TPlacement& c : cases) {
        TKVAsciiExportFilter filter(File());
        filter.Start(2100, 2970, FFont);
        filter.NewPage();
        for (const TPlacement::TText& t : c.Texts)
            filter.TextOut(t.X, t.Y, FFont, clWhite, t.Alignment, QString::fromUtf16(t.Text));
        EXPECT_EQ(filter.Line(c.Row).toStdString(), QString::fromUtf16(c.Line).toStdString()) << c.Name;
        for (int row = 0; row < TKVAsciiExportFilter::BufferLines; ++row)
            if (row != c.Row)
                EXPECT_TRUE(filter.Line(row).isEmpty()) << c.Name << ": row " << row;
    }
}

TEST_F(AsciiFilterTest, TheGridComesFromTheReportsFontAndThePageLength)
{
    const struct {
        int Points;
        int Length;
        int Lines;
    } cases[] = {
        {10, 2970, 84},  // A4: round(2970 / 35.2778)
        {10, 2794, 79},  // Letter
        {12, 2970, 70},
        {8, 2970, 105},
    };
    for (const auto& c : cases) {
        TKVAsciiExportFilter filter(File());
        filter.Start(2100, c.Length, PointFont(c.Points));
        EXPECT_EQ(filter.LineCount(), c.Lines) << c.Points << " pt, " << c.Length;
        EXPECT_NEAR(static_cast<double>(filter.CellHeight()), c.Points * 3.5277777777, 1e-6);
        EXPECT_EQ(filter.CellWidth(), filter.CellHeight());
    }
}

// ---- what the file holds ------------------------------------------------------------------------

TEST_F(AsciiFilterTest, APageWritesItsNonEmptyLinesOnlyAndNothingBeforeTheFirstPage)
{
    TKVAsciiExportFilter filter(File());
    filter.Start(2100, 2970, FFont);
    EXPECT_TRUE(filter.Active());
    // The run ends a page before it begins the first one.
    filter.EndPage();
    filter.NewPage();
    for (const int row : {0, 1, 5})
        filter.TextOut(0, row * 35.2778L, FFont, clWhite, taLeftJustify, QStringLiteral("linha %1").arg(row));
    filter.EndPage();
    filter.NewPage();
    filter.TextOut(Cells(3), 0, FFont, clWhite, taLeftJustify, QStringLiteral("segunda"));
    filter.EndPage();
    // The file appears whole only when the export finishes.
    EXPECT_FALSE(QFile::exists(File()));
    filter.Finish();
    EXPECT_FALSE(filter.Active());
    // UTF-8 without a byte-order mark, lines ended by a line feed, no page mark.
    EXPECT_EQ(ReadAll(File()), QByteArray("linha 0\nlinha 1\nlinha 5\n  segunda\n"));
}

TEST_F(AsciiFilterTest, RowsBeyondThePageBufferAreLeftOut)
{
    // At 1 point an A4 page has 842 lines, more than the buffer holds.
    const PointFont small(1);
    TKVAsciiExportFilter filter(File());
    filter.Start(2100, 2970, small);
    ASSERT_EQ(filter.LineCount(), 842);
    filter.NewPage();
    const long double row = small.Size() * TKVAsciiExportFilter::PointCell;
    for (const int r : {-1, 0, 200, 201, 500, 100000})
        filter.TextOut(0, r * row, small, clWhite, taLeftJustify, QStringLiteral("r%1").arg(r));
    // Absurd columns are not filled with blanks.
    filter.TextOut(1e30L, 0, small, clWhite, taLeftJustify, QStringLiteral("longe"));
    filter.EndPage();
    filter.Finish();
    EXPECT_EQ(ReadAll(File()), QByteArray("r0\nr200\n"));
}

TEST_F(AsciiFilterTest, AFileThatCannotBeMadeIsAnInputOutputError)
{
    TKVAsciiExportFilter filter(FDir.filePath(QStringLiteral("nao/existe/saida.txt")));
    EXPECT_THROW(filter.Start(2100, 2970, FFont), EInOutError);
    EXPECT_FALSE(filter.Active());
}

TEST_F(AsciiFilterTest, AnExportThatDoesNotFinishLeavesTheFileOnDiskAsItWas)
{
    {
        QFile f(File());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("anterior\n");
    }
    {
        TKVAsciiExportFilter filter(File());
        filter.Start(2100, 2970, FFont);
        filter.NewPage();
        filter.TextOut(0, 0, FFont, clWhite, taLeftJustify, QStringLiteral("novo"));
        filter.EndPage();
        // Freed without Finish, as a failed run frees it.
    }
    EXPECT_EQ(ReadAll(File()), QByteArray("anterior\n"));
    TKVAsciiExportFilter filter(File());
    filter.Start(2100, 2970, FFont);
    filter.NewPage();
    filter.TextOut(0, 0, FFont, clWhite, taLeftJustify, QStringLiteral("novo"));
    filter.EndPage();
    filter.Finish();
    EXPECT_EQ(ReadAll(File()), QByteArray("novo\n"));
}

// ---- the library --------------------------------------------------------------------------------

TEST(ExportFilterLibrary, StartUpRegistersTheTextFilterBehindTheSavedPreview)
{
    TKVExportFilterLibrary& library = ExportFilterLibrary();
    ASSERT_EQ(library.Filters().size(), 1u);
    EXPECT_EQ(library.Filters()[0].FilterName, QStringLiteral("Text file"));
    EXPECT_EQ(library.Filters()[0].Extension, QStringLiteral("TXT"));
    // Saved previews are .VKR, never the report file's .KVR.
    EXPECT_EQ(library.GetSaveDialogFilter(), QStringLiteral("Arquivo Lavenq(*.VKR)|*.VKR|Text file (*.TXT)|*.TXT"));
    // Dialog index k >= 2 is entry k - 2.
    const std::unique_ptr<TKVExportFilter> filter = library.CreateFilter(2 - 2, QStringLiteral("x.txt"));
    ASSERT_NE(filter, nullptr);
    EXPECT_NE(dynamic_cast<TKVAsciiExportFilter*>(filter.get()), nullptr);
    EXPECT_EQ(filter->FileName(), QStringLiteral("x.txt"));
    EXPECT_EQ(filter->GetDescription(), QStringLiteral("Text export (ASCII) filter"));
    EXPECT_EQ(filter->GetVendorName(), QStringLiteral("Tormelin AS"));
    EXPECT_EQ(library.CreateFilter(1, QStringLiteral("x")), nullptr);
    EXPECT_EQ(library.CreateFilter(-1, QStringLiteral("x")), nullptr);
}

TEST(ExportFilterLibrary, AnotherFilterIsListedAfterTheFirst)
{
    TKVExportFilterLibrary library;
    library.AddFilter<TKVAsciiExportFilter>();
    library.AddFilter<TKVExportFilter>();
    EXPECT_EQ(library.GetSaveDialogFilter(),
              QStringLiteral("Arquivo Lavenq(*.VKR)|*.VKR|Text file (*.TXT)|*.TXT|Abstract filter (*.)|*."));
    TKVExportFilter base;
    EXPECT_EQ(base.GetDescription(), QStringLiteral("Abstract non-working export filter"));
    EXPECT_TRUE(base.GetExtension().isEmpty());
}

TEST(ExportFilterLibrary, StringOfCharAndTheFontSizes)
{
    EXPECT_EQ(StringOfChar(QLatin1Char('-'), 3), QStringLiteral("---"));
    EXPECT_EQ(StringOfChar(QLatin1Char('-'), 0), QString());
    EXPECT_EQ(StringOfChar(QLatin1Char('-'), -2), QString());
    TStringList items;
    items.Add(QStringLiteral("antigo"));
    FillFontSizes(items);
    QStringList sizes;
    for (int i = 0; i < items.Count(); ++i)
        sizes << items.Strings(i);
    EXPECT_EQ(sizes.join(QLatin1Char(' ')), QStringLiteral("8 9 10 11 12 14 16 18 20 22 24 26 28 36 48 72"));
}

// ---- a whole report -----------------------------------------------------------------------------

// A text printable stand-in: it writes its text through the run's export filter where it prints.
class TExportProbe : public TProbe {
public:
    using TProbe::TProbe;
    TAlignment Alignment = taLeftJustify;
    int OffsetX = 20;

    void Print(int ofsX, int ofsY) override
    {
        TProbe::Print(ofsX, ofsY);
        TVardoRep* report = nullptr;
        if (auto* band = dynamic_cast<TKVCustomBand*>(Parent()))
            report = band->ParentReport();
        if (!report || !report->Exporting())
            return;
        const QString text = TextAtPrint ? TextAtPrint() : Text;
        report->ExportFilter()->TextOut(ofsX + OffsetX, ofsY + 10, *report->Font(), clWhite, Alignment, text);
    }
};

class ExportReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        UseSessionIn(FDir.path());
        QStringList statements{QStringLiteral("CREATE TABLE PRODUTOS (ID INTEGER PRIMARY KEY, GRUPO VARCHAR(20), "
                                              "NOME VARCHAR(40), PRECO NUMERIC(10,2))")};
        const char* const rows[] = {
            "(1, 'Ferragens', 'Parafuso 3 mm', 0.15)",  "(2, 'Ferragens', 'Porca sextavada', 0.10)",
            "(3, 'Ferragens', 'Arruela lisa', 0.05)",   "(4, 'Pintura', 'Tinta acrílica 18 L', 289.90)",
            "(5, 'Pintura', 'Pincel 2\"', 12.50)",      "(6, 'Pintura', 'Rolo de lã', 24.00)",
            "(7, 'Pintura', 'Fita crepe', 7.80)",       "(8, 'Elétrica', 'Tomada dupla', 18.40)",
            "(9, 'Elétrica', 'Disjuntor 20 A', 32.00)",
        };
        for (const char* row : rows)
            statements << QStringLiteral("INSERT INTO PRODUTOS VALUES ") + QString::fromUtf8(row);
        QString error;
        ASSERT_TRUE(MakeSqliteAlias(QStringLiteral("EXPORTA"), FDir.filePath(QStringLiteral("export.db")), statements,
                                    &error))
            << error.toStdString();
    }

    QTemporaryDir FDir;
};

TEST_F(ExportReportTest, AGroupedReportOverASqliteTableExportsToTheGoldenText)
{
    TRunDoc doc;
    auto* table = new TTable(doc.Form.get());
    table->SetName(QStringLiteral("Produtos"));
    table->SetDatabaseName(QStringLiteral("EXPORTA"));
    table->SetTableName(QStringLiteral("PRODUTOS"));
    table->Open();
    doc.Report->SetDataSet(table);
    doc.Report->Font()->SetName(QStringLiteral("Courier New"));
    doc.Report->Font()->SetSize(10);
    doc.Report->SetShowProgress(false);

    const auto field = [table](const char* name) { return table->FieldByName(QLatin1String(name))->AsString(); };
    const auto probe = [&](TKVCustomBand* band, const QString& text, std::function<QString()> atPrint = {},
                           TAlignment alignment = taLeftJustify, int x = 20) {
        auto* p = new TExportProbe(doc.Form.get(), &doc.Log, text);
        p->SetParent(band);
        p->TextAtPrint = std::move(atPrint);
        p->Alignment = alignment;
        p->OffsetX = x;
        return p;
    };
    auto* title = doc.Add<TKVBand>(QStringLiteral("Titulo"), rbTitle);
    title->Size()->SetHeight(180);
    probe(title, QStringLiteral("Lista de precos por grupo"));
    TKVGroup* group = doc.Add<TKVGroup>(QStringLiteral("Grupo"));
    group->SetExpression(QStringLiteral("[GRUPO]"));
    group->SetMaster(doc.Report);
    group->Size()->SetHeight(110);
    group->SetForceNewPage(true);
    probe(group, {}, [field] { return QStringLiteral("Grupo: ") + field("GRUPO"); });
    auto* detail = doc.Add<TKVBand>(QStringLiteral("Item"), rbDetail);
    detail->Size()->SetHeight(40);
    probe(detail, {}, [field] { return field("ID"); }, taRightJustify, 100);
    probe(detail, {}, [field] { return field("NOME"); }, taLeftJustify, 150);
    probe(detail, {}, [field] { return field("PRECO"); }, taRightJustify, 1700);
    auto* footer = doc.Add<TKVBand>(QStringLiteral("Fim"), rbGroupFooter);
    footer->Size()->SetHeight(110);
    group->SetFooterBand(footer);
    probe(footer, {}, [field] { return QStringLiteral("fim de ") + field("GRUPO"); });
    auto* pageFooter = doc.Add<TKVBand>(QStringLiteral("Rodape"), rbPageFooter);
    pageFooter->Size()->SetHeight(80);
    TVardoRep* report = doc.Report;
    probe(pageFooter, {}, [report] { return QStringLiteral("Pagina %1").arg(report->PageCount()); }, taRightJustify,
          1850);

    const QString file = FDir.filePath(QStringLiteral("precos.txt"));
    TKVAsciiExportFilter filter(file);
    doc.Report->ExportToFilter(&filter);

    const QByteArray actual = ReadAll(file);
    const QString goldenFile = QStringLiteral(TESSIV_TEST_DIR "/golden/grouped-export.txt");
    if (qEnvironmentVariableIsSet("TESSIV_UPDATE_GOLDEN")) {
        QFile out(goldenFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(actual);
    }
    const QByteArray golden = ReadAll(goldenFile);
    ASSERT_FALSE(golden.isEmpty()) << goldenFile.toStdString();
    EXPECT_EQ(actual.toStdString(), golden.toStdString());
    EXPECT_FALSE(doc.Report->Exporting());
    EXPECT_TRUE(doc.Report->Available());
}

} // namespace
