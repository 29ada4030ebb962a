// The merge memo over a real SQLite table: placeholders replaced by their values where they stood,
// lines left empty removed, braces that open no placeholder kept as text without stalling, a value
// holding a line break printed on two lines, and the designed lines back after the run.

#include "RunFixture.h"
#include "TextFixture.h"

#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExprMemo.h"
#include "platform/data/DBTables.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

class MergeMemoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Db.Make({
            QStringLiteral("CREATE TABLE CLIENTES (ID INTEGER PRIMARY KEY, NOME VARCHAR(20), SALDO FLOAT, "
                           "VAZIO VARCHAR(10), ATIVO BOOLEAN, ENDERECO VARCHAR(60))"),
            // An address typed on two lines.
            QStringLiteral("INSERT INTO CLIENTES VALUES (1, 'Ana', 10.5, '', 1, "
                           "'Rua Sete, 12' || char(13) || char(10) || 'Centro')"),
        })) << Db.Error.toStdString();
        Table = Db.AddTable(Doc, QStringLiteral("CLIENTES"));
        Band = Doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
        Band->Size()->SetHeight(100);
        Memo = new TKVExprMemo(Doc.Form.get());
        Memo->SetName(QStringLiteral("Carta"));
        Memo->SetParent(Band);
    }

    QStringList Merge(const QString& text)
    {
        TStringList lines;
        lines.SetText(text);
        Memo->SetLines(&lines);
        TCaptureFilter filter;
        Doc.Report->ExportToFilter(&filter);
        return filter.Strings();
    }

    TTextDatabase Db;
    TRunDoc Doc;
    TTable* Table = nullptr;
    TKVBand* Band = nullptr;
    TKVExprMemo* Memo = nullptr;
};

TEST_F(MergeMemoTest, MergeCases)
{
    struct Case {
        const char* Name;
        const char* Text; // lines separated by \n
        QStringList Printed;
    };
    const Case cases[] = {
        {"two placeholders on a line", "Prezado(a) {NOME}, seu saldo e {SALDO}.",
         {QStringLiteral("Prezado(a) Ana, seu saldo e 10,5.")}},
        {"an empty value alone removes its line", "a\n{VAZIO}\nb", {QStringLiteral("a"), QStringLiteral("b")}},
        {"an error alone removes its line", "a\n{SEM_CAMPO}\nb", {QStringLiteral("a"), QStringLiteral("b")}},
        {"an error inside a line leaves the rest", "x{SEM_CAMPO}y", {QStringLiteral("xy")}},
        {"booleans", "{ID = 1} {ATIVO}", {QStringLiteral("True True")}},
        {"floats in the locale", "{SALDO * 2}|{SALDO / 4}", {QStringLiteral("21|2,625")}},
        {"integers without separators", "{ID * 12345}", {QStringLiteral("12345")}},
        {"consecutive empty lines both go", "a\n\n\nb", {QStringLiteral("a"), QStringLiteral("b")}},
        {"a line of blanks stays", "a\n  \nb", {QStringLiteral("a"), QStringLiteral("  "), QStringLiteral("b")}},
        {"no placeholders", "Linha um\n\nLinha dois", {QStringLiteral("Linha um"), QStringLiteral("Linha dois")}},
        {"(NADA) is no content", "(NADA)", {}},
        // A "{" that opens no placeholder makes the rest of its line plain text.
        {"an empty pair", "{}x", {QStringLiteral("{}x")}},
        {"a closing brace first", "a}{b", {QStringLiteral("a}{b")}},
        {"no closing brace", "{NOME} e {sem fim", {QStringLiteral("Ana e {sem fim")}},
        {"a placeholder then a bad brace", "{NOME}a}{b", {QStringLiteral("Anaa}{b")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString text = QString::fromLatin1(c.Text);
        EXPECT_EQ(Merge(text), c.Printed);
        // The designer's lines, placeholders and all, are back after the run.
        TStringList designed;
        designed.SetText(text);
        EXPECT_EQ(Memo->Lines()->Text(), designed.Text());
        EXPECT_EQ(Memo->Merger(), nullptr);
    }
}

TEST_F(MergeMemoTest, AValueHoldingALineBreakPrintsOnTwoLinesInEveryTextControl)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* Name;
        bool MergeMemo;
        bool AutoSize;
    };
    const Case cases[] = {
        {"merge memo as inserted", true, true},
        {"merge memo without AutoSize", true, false},
        {"stretching data text", false, true},
        {"stretching data text without AutoSize", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRunDoc doc;
        Db.AddTable(doc, QStringLiteral("CLIENTES"));
        TKVBand* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"), rbDetail);
        band->Size()->SetHeight(300);
        TKVCustomLabel* text = nullptr;
        if (c.MergeMemo) {
            auto* memo = new TKVExprMemo(doc.Form.get());
            memo->SetName(QStringLiteral("Carta"));
            memo->SetParent(band);
            TStringList lines;
            lines.SetText(QStringLiteral("{ENDERECO}"));
            memo->SetLines(&lines);
            text = memo;
        } else {
            auto* field = new TKVDBText(doc.Form.get());
            field->SetName(QStringLiteral("Endereco"));
            field->SetParent(band);
            field->SetDataSet(doc.Report->DataSet());
            field->SetDataField(QStringLiteral("ENDERECO"));
            field->SetAutoStretch(true);
            text = field;
        }
        text->Font()->SetName(QStringLiteral("Arial"));
        text->Font()->SetSize(10);
        text->SetAutoSize(c.AutoSize);
        text->Size()->SetLeft(100);
        text->Size()->SetTop(20);
        text->Size()->SetWidth(800);
        const QString file = dir.filePath(QStringLiteral("%1.pdf").arg(c.MergeMemo * 2 + c.AutoSize));
        PrintToPdf(doc, file);
        QStringList printed;
        for (const TWordBox& w : PdfWords(file))
            printed << w.Word;
        // Nothing but the words: no box for the line break's characters.
        EXPECT_EQ(printed.join(QLatin1Char(' ')).toStdString(), "Rua Sete, 12 Centro");
        const std::vector<TWordBox> words = PdfWords(file);
        const TWordBox* first = FindWord(words, QStringLiteral("Rua"));
        const TWordBox* second = FindWord(words, QStringLiteral("Centro"));
        ASSERT_TRUE(first && second);
        // The second line starts under the first, a line lower.
        EXPECT_NEAR(second->XMin, first->XMin, 0.5);
        EXPECT_GT(second->YMin - first->YMin, 8.0);
        EXPECT_LT(second->YMin - first->YMin, 16.0);
    }
}

TEST_F(MergeMemoTest, ANewMergeMemoIsSmallStretchesAndSaysNada)
{
    EXPECT_EQ(Memo->Lines()->Text(), QStringLiteral("(NADA)\r\n"));
    EXPECT_TRUE(Memo->AutoSize());
    EXPECT_TRUE(Memo->AutoStretch());
    EXPECT_TRUE(Memo->KeepHeight());
}

TEST_F(MergeMemoTest, TheMergerRemembersWhereEachPlaceholderStood)
{
    TKVMerger merger;
    std::vector<TDataSet*> dataSets{Table};
    merger.SetDataSets(&dataSets);
    merger.GetLines()->SetText(QStringLiteral("x\nab{NOME}cd{ID}e\n{SALDO}"));
    EXPECT_EQ(merger.GetMergedLines(), nullptr);
    merger.Prepare();
    ASSERT_EQ(merger.Evaluators().size(), 3u);
    EXPECT_EQ(merger.Evaluators()[0]->LineIndex, 1);
    EXPECT_EQ(merger.Evaluators()[0]->Position, 3);
    EXPECT_EQ(merger.Evaluators()[1]->LineIndex, 1);
    EXPECT_EQ(merger.Evaluators()[1]->Position, 5);
    EXPECT_EQ(merger.Evaluators()[2]->LineIndex, 2);
    EXPECT_EQ(merger.Evaluators()[2]->Position, 1);
    merger.Merge();
    ASSERT_NE(merger.GetMergedLines(), nullptr);
    EXPECT_EQ(merger.GetMergedLines()->ToStringList(),
              (QStringList{QStringLiteral("x"), QStringLiteral("abAnacd1e"), QStringLiteral("10,5")}));
    merger.Unprepare();
    EXPECT_FALSE(merger.Prepared());
    EXPECT_EQ(merger.GetMergedLines(), nullptr);

    // Without lines the merger stays unprepared.
    TKVMerger empty;
    empty.Prepare();
    EXPECT_FALSE(empty.Prepared());
}

} // namespace
