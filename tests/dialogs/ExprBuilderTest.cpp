// The expression builder: pieces added with their undo steps, functions composed argument by
// argument in nested builders, and every piece it can make read by the evaluator without an error.
#include "ExprDialogsFixture.h"

#include "designer/dialogs/MyZTExprBuilder.h"
#include "engine/expressions/KVEvaluator.h"
#include "engine/expressions/KVFunctionLibrary.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "designer/document/Hidden.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <map>

using namespace tessiv;
using namespace exprdialogstest;

namespace {

using TBuilderPtr = std::unique_ptr<TMyZTExprBuilder, TComponentDeleter>;

// One user action on a builder.
struct TAct {
    enum TKind { Num, Text, Field, Op, Func } Kind;
    QString Value;
};
using TArgument = std::vector<TAct>;

void Do(TMyZTExprBuilder& b, const TAct& a)
{
    switch (a.Kind) {
    case TAct::Num:
    case TAct::Text:
        b.aConstant->setText(a.Value);
        b.ConstantType->setCurrentIndex(a.Kind == TAct::Num ? 0 : 1);
        b.AddNumeric->click();
        break;
    case TAct::Field: {
        const QList<QListWidgetItem*> items = b.DataField->findItems(a.Value, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << a.Value.toStdString();
        b.DataField->setCurrentItem(items.front());
        b.AddDatafield->click();
        break;
    }
    case TAct::Op:
        ASSERT_NE(b.OperatorButton(a.Value), nullptr) << a.Value.toStdString();
        b.OperatorButton(a.Value)->click();
        break;
    case TAct::Func: {
        b.FunctionType->setCurrentIndex(0);
        const QList<QListWidgetItem*> items = b.AvailableFunc->findItems(a.Value, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << a.Value.toStdString();
        b.AvailableFunc->setCurrentItem(items.front());
        b.AddFunction->click();
        break;
    }
    }
}

class ExprBuilderTest : public ExprDialogsTest {
protected:
    void SetUp() override
    {
        ExprDialogsTest::SetUp();
        MakeSqliteAlias(QStringLiteral("LOJA"),
                        {QStringLiteral("CREATE TABLE CLI (NOME VARCHAR(20), VALOR FLOAT, \"Valor Unit\" FLOAT, NOTA INTEGER, "
                                        "\"DATE\" VARCHAR(10), \"Preço\" VARCHAR(10), \"A-B\" INTEGER)"),
                         QStringLiteral("INSERT INTO CLI VALUES ('Ana', 12.5, 3.25, 7, 'hoje', 'caro', 1)")});
        MakeReport(QStringLiteral("LOJA"), QStringLiteral("SELECT * FROM CLI"));
    }

    TBuilderPtr NewBuilder()
    {
        TBuilderPtr b(new TMyZTExprBuilder(nullptr));
        b->Report = Report;
        b->DataSetOwner = Root.get();
        b->Settings = Settings.get();
        b->FillDataSets();
        return b;
    }

    // The next nested builder: notes its prompt, does the actions, closes with OK (or Cancela).
    void NextBuilder(TArgument acts, bool ok = true)
    {
        Steps.push_back([this, acts = std::move(acts), ok](TModalForm& form) {
            auto& b = dynamic_cast<TMyZTExprBuilder&>(form);
            Prompts << b.CurrentExpr->text();
            for (const TAct& a : acts)
                Do(b, a);
            Arguments << b.Expression();
            (ok ? b.OK : b.Cancel)->click();
        });
    }

    // The expression's value over the report's record; its kind is ERROR when any element is.
    TKVEvResult Evaluate(const QString& text)
    {
        TKVEvaluator evaluator;
        const std::vector<TDataSet*> sets{Data};
        evaluator.SetDataSets(&sets);
        evaluator.Prepare(text);
        evaluator.SetDoAggregate(true);
        return evaluator.Value();
    }

    QStringList Prompts;
    QStringList Arguments;
};

TEST_F(ExprBuilderTest, ANumberAnOperatorAndATextThenTwoUndos)
{
    TBuilderPtr b = NewBuilder();
    EXPECT_FALSE(b->Undo->isEnabled());
    Do(*b, {TAct::Num, QStringLiteral("10")});
    Do(*b, {TAct::Op, QStringLiteral("+")});
    Do(*b, {TAct::Text, QStringLiteral("abc")});
    EXPECT_EQ(b->Expression(), QStringLiteral("10 + 'abc'"));
    EXPECT_TRUE(b->aConstant->text().isEmpty());
    b->Undo->click();
    b->Undo->click();
    EXPECT_EQ(b->Expression(), QStringLiteral("10"));
    EXPECT_TRUE(b->Undo->isEnabled());
    b->Undo->click();
    EXPECT_EQ(b->Expression(), QString());
    EXPECT_FALSE(b->Undo->isEnabled());
}

TEST_F(ExprBuilderTest, ClearCannotBeUndoneVoltaRestoresTheTextBeforeTheLastAddition)
{
    TBuilderPtr b = NewBuilder();
    Do(*b, {TAct::Num, QStringLiteral("1")});
    Do(*b, {TAct::Op, QStringLiteral("And")});
    EXPECT_EQ(b->Expression(), QStringLiteral("1 AND "));
    b->Clear->click();
    EXPECT_EQ(b->Expression(), QString());
    b->Undo->click();
    EXPECT_EQ(b->Expression(), QStringLiteral("1"));
}

TEST_F(ExprBuilderTest, OperatorsAddTheirTextWithABlankOnEachSide)
{
    const std::map<QString, QString> pieces{
        {"+", " + "}, {"-", " - "}, {"*", " * "}, {"/", " / "}, {"=", " = "}, {"<", " < "}, {">", " > "},
        {">=", " >= "}, {"<=", " <= "}, {"<>", " <> "}, {"Not", " NOT "}, {"And", " AND "}, {"Or", " OR "}};
    for (const auto& [caption, piece] : pieces) {
        TBuilderPtr b = NewBuilder();
        Do(*b, {TAct::Op, caption});
        EXPECT_EQ(b->Expression(), piece) << caption.toStdString();
    }
}

TEST_F(ExprBuilderTest, IfWithThreeArgumentsIsOneUndoStep)
{
    TBuilderPtr b = NewBuilder();
    NextBuilder({{TAct::Field, QStringLiteral("NOTA")}, {TAct::Op, QStringLiteral("=")}, {TAct::Num, QStringLiteral("1")}});
    NextBuilder({{TAct::Text, QStringLiteral("sim")}});
    NextBuilder({{TAct::Text, QStringLiteral("nao")}});
    Do(*b, {TAct::Func, QStringLiteral("IF")});
    EXPECT_EQ(b->Expression(), QStringLiteral("IF([NOTA] = 1, 'sim', 'nao')"));
    EXPECT_EQ(Prompts, (QStringList{QStringLiteral("IF(<Expr>"), QStringLiteral("IF([NOTA] = 1, <Expr>"),
                                    QStringLiteral("IF([NOTA] = 1, 'sim', <Expr>")}));
    EXPECT_EQ(Evaluate(b->Expression()).StringResult, QStringLiteral("nao"));
    EXPECT_EQ(b->UndoList()->Count(), 1);
    b->Undo->click();
    EXPECT_EQ(b->Expression(), QString());
}

TEST_F(ExprBuilderTest, ACancelledOrEmptyArgumentAddsNothing)
{
    TBuilderPtr b = NewBuilder();
    Do(*b, {TAct::Num, QStringLiteral("7")});
    // The second argument of DIV cancelled.
    NextBuilder({{TAct::Num, QStringLiteral("10")}});
    NextBuilder({{TAct::Num, QStringLiteral("3")}}, false);
    Do(*b, {TAct::Func, QStringLiteral("DIV")});
    // The first argument accepted empty.
    NextBuilder({});
    Do(*b, {TAct::Func, QStringLiteral("SQRT")});
    // Empty parentheses, and parentheses cancelled.
    NextBuilder({});
    b->OperatorButton(QStringLiteral("(  )"))->click();
    NextBuilder({{TAct::Num, QStringLiteral("2")}}, false);
    b->OperatorButton(QStringLiteral("(  )"))->click();
    EXPECT_EQ(b->Expression(), QStringLiteral("7"));
    EXPECT_EQ(b->UndoList()->Count(), 1);
    EXPECT_EQ(Shown, 5);
}

TEST_F(ExprBuilderTest, ParenthesesHoldWhatTheNestedBuilderMade)
{
    TBuilderPtr b = NewBuilder();
    Do(*b, {TAct::Num, QStringLiteral("2")});
    Do(*b, {TAct::Op, QStringLiteral("*")});
    NextBuilder({{TAct::Num, QStringLiteral("3")}, {TAct::Op, QStringLiteral("+")}, {TAct::Num, QStringLiteral("4")}});
    b->OperatorButton(QStringLiteral("(  )"))->click();
    EXPECT_EQ(b->Expression(), QStringLiteral("2 * (3 + 4)"));
    EXPECT_EQ(Prompts, QStringList{QStringLiteral("2 * (<Expression>)")});
    EXPECT_EQ(Evaluate(b->Expression()).IntResult, 14);
}

TEST_F(ExprBuilderTest, ExecuteGivesTheTextAndWhetherOkClosedIt)
{
    NextBuilder({{TAct::Num, QStringLiteral("5")}});
    QString expression = QStringLiteral("velha");
    EXPECT_TRUE(TMyZTExprBuilder::Execute(Report, QStringLiteral("Valor"), expression, Root.get(), Settings.get()));
    EXPECT_EQ(expression, QStringLiteral("velha5"));
    EXPECT_EQ(Prompts, QStringList{QStringLiteral("Valor")});
    NextBuilder({{TAct::Num, QStringLiteral("6")}}, false);
    expression = QStringLiteral("velha");
    EXPECT_FALSE(TMyZTExprBuilder::Execute(Report, QStringLiteral("Valor"), expression, Root.get(), Settings.get()));
    // What a caller keeps does not come from here: it uses the text only after OK.
    EXPECT_EQ(expression, QStringLiteral("velha6"));
    // Its corner is kept.
    EXPECT_TRUE(Settings->ValueExists(QStringLiteral("ExpressBld"), QStringLiteral("Top")));
    EXPECT_TRUE(Settings->ValueExists(QStringLiteral("ExpressBld"), QStringLiteral("Left")));
}

TEST_F(ExprBuilderTest, CategoriesListTheirFunctionsSortedWithTheRewrittenDescriptions)
{
    TBuilderPtr b = NewBuilder();
    const auto listed = [&b](int category) {
        b->FunctionType->setCurrentIndex(category);
        QStringList names;
        for (int i = 0; i < b->AvailableFunc->count(); ++i)
            names << b->AvailableFunc->item(i)->text();
        return names.join(QLatin1Char(' ')).toStdString();
    };
    EXPECT_EQ(listed(4), "");
    EXPECT_EQ(listed(5), "FALSE IF TRUE");
    EXPECT_EQ(listed(2), "DIV FRAC INT ROUND SQRT");
    EXPECT_EQ(listed(3), "AVERAGE COUNT MAX MIN SUM");
    EXPECT_EQ(listed(6), "TYPEOF");
    b->FunctionType->setCurrentIndex(0);
    EXPECT_EQ(b->AvailableFunc->count(), FunctionLibrary->Entries()->Count());
    // The first entry's information shows at once; a click shows another's.
    EXPECT_EQ(b->FunctionName->text(), QStringLiteral("AVERAGE(<X>)"));
    EXPECT_EQ(b->FunctionDescript->text(), QStringLiteral("Retorna a média aritmética de <x>"));
    b->AvailableFunc->setCurrentItem(b->AvailableFunc->findItems(QStringLiteral("DIV"), Qt::MatchExactly).front());
    EXPECT_EQ(b->FunctionName->text(), QStringLiteral("DIV(<X>, <Y>)"));
    EXPECT_EQ(b->FunctionDescript->text(), QStringLiteral("Retorna a parte inteira da divisão"));
    // The library itself keeps the new texts; the ones not rewritten stay.
    const TStringList* entries = FunctionLibrary->Entries();
    EXPECT_EQ(FunctionLibrary->GetEntry(entries->IndexOf(QStringLiteral("FORMATNUMERIC")))->Description,
              QStringLiteral("FORMATNUMERIC(<F>,<N>)|Formata um valor numérico <N> usando a máscara de <F>"));
    EXPECT_EQ(FunctionLibrary->GetEntry(entries->IndexOf(QStringLiteral("TRIM")))->Description,
              QStringLiteral("TRIM(<X>)|Tira espaços do início e do fim da frase."));
}

TEST_F(ExprBuilderTest, FieldNamesTheEvaluatorCannotReadAsTheyStandGoInBrackets)
{
    struct TCase {
        const char* Name;
        const char* Piece; // nullptr: refused
    };
    const TCase cases[] = {
        {"NOME", "NOME"},
        {"Valor_2", "Valor_2"},
        {"Valor Unit", "[Valor Unit]"},
        {"NOTA", "[NOTA]"},          // would read as NOT A
        {"DATE", "[DATE]"},          // would call the function
        {"count", "[count]"},
        {"Preço", "[Preço]"},
        {"1ano", "[1ano]"},
        {"_id", "[_id]"},
        {"A-B", nullptr},
        {"A.B", nullptr},            // a data set's name and a field
        {"Total (R$)", nullptr},
        {"Cor or Tam", nullptr},
        {"O'Brien", nullptr},
        {"", nullptr},
    };
    for (const TCase& c : cases) {
        QString piece;
        const bool usable = TMyZTExprBuilder::FieldPiece(QString::fromUtf8(c.Name), piece);
        EXPECT_EQ(usable, c.Piece != nullptr) << c.Name;
        if (c.Piece && usable)
            EXPECT_EQ(piece, QString::fromUtf8(c.Piece)) << c.Name;
    }
}

TEST_F(ExprBuilderTest, ConstantsAreCheckedBeforeTheyAreAdded)
{
    struct TCase {
        const char* Text;
        int Type;
        const char* Piece; // nullptr: refused
    };
    const TCase cases[] = {
        {"10", 0, "10"},          {"12.5", 0, "12.5"},      {" 7 ", 0, "7"},      {"1e3", 0, "1e3"},
        {"2.5E-2", 0, "2.5E-2"},  {"-5", 0, "(-5)"},        {"+5", 0, "5"},       {"1234567890123", 0, "1234567890123"},
        {"", 0, nullptr},         {"abc", 0, nullptr},      {"1,5", 0, nullptr},  {".5", 0, nullptr},
        {"1.2.3", 0, nullptr},    {"1e999", 0, nullptr},    {"10 + 1", 0, nullptr},
        {"abc", 1, "'abc'"},      {"", 1, "''"},            {"a, (b)", 1, "'a, (b)'"},
        {"d'água", 1, nullptr},
    };
    for (const TCase& c : cases) {
        QString piece;
        QString message;
        const bool ok = TMyZTExprBuilder::ConstantPiece(QString::fromUtf8(c.Text), c.Type, piece, message);
        EXPECT_EQ(ok, c.Piece != nullptr) << c.Text;
        if (c.Piece && ok)
            EXPECT_EQ(piece, QString::fromUtf8(c.Piece)) << c.Text;
        EXPECT_EQ(message.isEmpty(), ok) << c.Text;
    }
    // Refused in the dialog: a message, nothing added, the text left to be corrected.
    TBuilderPtr b = NewBuilder();
    Do(*b, {TAct::Text, QStringLiteral("it's")});
    Do(*b, {TAct::Num, QStringLiteral("1,5")});
    EXPECT_EQ(b->Expression(), QString());
    EXPECT_EQ(b->aConstant->text(), QStringLiteral("1,5"));
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("apóstrofo")));
    EXPECT_TRUE(Boxes[1].Text.contains(QStringLiteral("1,5")));
    EXPECT_FALSE(b->Undo->isEnabled());
}

TEST_F(ExprBuilderTest, ANegativeNumberIsSubtractedAsANumber)
{
    TBuilderPtr b = NewBuilder();
    Do(*b, {TAct::Num, QStringLiteral("10")});
    Do(*b, {TAct::Op, QStringLiteral("-")});
    Do(*b, {TAct::Num, QStringLiteral("-5")});
    EXPECT_EQ(b->Expression(), QStringLiteral("10 - (-5)"));
    EXPECT_EQ(Evaluate(b->Expression()).IntResult, 15);
}

TEST_F(ExprBuilderTest, TheFieldListFollowsTheReportsDataSetAndRefusesAnUnreadableName)
{
    TBuilderPtr b = NewBuilder();
    EXPECT_EQ(b->DataSet->currentText(), QStringLiteral("Clientes"));
    EXPECT_FALSE(b->paTabela->isVisibleTo(b->Window()));
    QStringList fields;
    for (int i = 0; i < b->DataField->count(); ++i)
        fields << b->DataField->item(i)->text();
    EXPECT_EQ(fields.join(QLatin1Char('|')).toStdString(), "NOME|VALOR|Valor Unit|NOTA|DATE|Preço|A-B");
    Do(*b, {TAct::Field, QStringLiteral("A-B")});
    EXPECT_EQ(b->Expression(), QString());
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("A-B")));
    // A double click adds as the button does.
    b->DataField->setCurrentRow(2);
    emit b->DataField->itemDoubleClicked(b->DataField->item(2));
    EXPECT_EQ(b->Expression(), QStringLiteral("[Valor Unit]"));
}

// Every function of the library composed through nested builders from the builder's own pieces;
// the call and each argument are read by the evaluator over the report's record without an error.
TEST_F(ExprBuilderTest, EveryPieceTheBuilderMakesIsReadWithoutAnError)
{
    const TArgument nome{{TAct::Field, QStringLiteral("NOME")}};
    const TArgument valor{{TAct::Field, QStringLiteral("VALOR")}};
    const TArgument unit{{TAct::Field, QStringLiteral("Valor Unit")}};
    const std::map<QString, std::vector<TArgument>> calls{
        {"IF", {{{TAct::Field, "NOTA"}, {TAct::Op, ">"}, {TAct::Num, "-1"}}, {{TAct::Text, "sim"}}, {{TAct::Func, "FALSE"}}}},
        {"STR", {valor}},
        {"UPPER", {{{TAct::Field, "Preço"}}}},
        {"LOWER", {nome}},
        {"PRETTY", {{{TAct::Field, "DATE"}}}},
        {"TIME", {}},
        {"DATE", {}},
        {"COPY", {nome, {{TAct::Num, "1"}}, {{TAct::Num, "2"}}}},
        {"SUM", {unit}},
        {"COUNT", {}},
        {"MAX", {unit}},
        {"MIN", {{{TAct::Field, "NOTA"}}}},
        {"AVERAGE", {valor}},
        {"TRUE", {}},
        {"FALSE", {}},
        {"INT", {{{TAct::Num, "12.5"}}}},
        {"FRAC", {{{TAct::Num, "-12.5"}}}},
        {"SQRT", {{{TAct::Num, "2.25e2"}}}},
        {"DIV", {{{TAct::Num, "10"}}, {{TAct::Field, "NOTA"}}}},
        {"TYPEOF", {{{TAct::Func, "FALSE"}, {TAct::Op, "Or"}, {TAct::Func, "TRUE"}}}},
        {"FORMATNUMERIC", {{{TAct::Text, "#,##0.00"}}, valor}},
        {"ROUND", {unit}},
        {"FORMATDATETIME", {{{TAct::Text, "dd/mm/yyyy"}}, {{TAct::Num, "46000"}}}},
        {"TRIM", {{{TAct::Text, "  a  "}}}},
        {"TRIMLEFT", {nome}},
        {"TRIMRIGHT", {nome}},
        {"STRTODATE", {{{TAct::Text, "10/12/2026"}}}},
        {"DATETOSTR", {{{TAct::Num, "46000.0"}}}},
        {"STRTOTIME", {{{TAct::Text, "10:30"}}}},
        {"TIMETOSTR", {{{TAct::Num, "0.5"}}}},
        {"DATETIMETOSTR", {{{TAct::Num, "46000.5"}}}},
        {"STRTODATETIME", {{{TAct::Text, "10/12/2026 10:30"}}}},
        {"NUM", {{{TAct::Text, "12,5"}}}},
    };
    const TStringList* entries = FunctionLibrary->Entries();
    for (int i = 0; i < entries->Count(); ++i) {
        const TKVLibraryEntry* entry = FunctionLibrary->GetEntry(i);
        const auto call = calls.find(entry->Name);
        ASSERT_NE(call, calls.end()) << "no row for " << entry->Name.toStdString();
        ASSERT_EQ(call->second.size(), static_cast<std::size_t>(entry->Data.size() - 1)) << entry->Name.toStdString();
        Arguments.clear();
        for (const TArgument& argument : call->second)
            NextBuilder(argument);
        TBuilderPtr b = NewBuilder();
        Do(*b, {TAct::Func, entry->Name});
        EXPECT_TRUE(Steps.empty()) << entry->Name.toStdString();
        EXPECT_EQ(b->UndoList()->Count(), 1) << entry->Name.toStdString();
        const QString text = b->Expression();
        EXPECT_TRUE(text.startsWith(entry->Name)) << text.toStdString();
        EXPECT_NE(Evaluate(text).Kind, TKVEvResultType::ERROR) << text.toStdString();
        for (const QString& argument : Arguments)
            EXPECT_NE(Evaluate(argument).Kind, TKVEvResultType::ERROR) << argument.toStdString() << " in " << text.toStdString();
    }
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join(QLatin1Char('\n')).toStdString();
}

} // namespace
