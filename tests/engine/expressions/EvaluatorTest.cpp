// Expressions over a real SQLite file: operators, precedence, the built-in functions, field
// references, the 255-character limit of texts, and the aggregates judged by SQLite's own SUM,
// AVG, COUNT, MIN and MAX over the same table.

#include "engine/expressions/KVEvaluator.h"
#include "engine/expressions/KVFunctionLibrary.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

using namespace tessiv;

namespace tessiv {
void PrintTo(const TKVEvResult& r, std::ostream* os)
{
    *os << KVEvResultTypeName(r.Kind).toStdString();
    switch (r.Kind) {
    case TKVEvResultType::INTEGER: *os << ' ' << r.IntResult; break;
    case TKVEvResultType::FLOAT: *os << ' ' << r.FloatResult; break;
    case TKVEvResultType::STRING: *os << " \"" << r.StringResult.toStdString() << '"'; break;
    case TKVEvResultType::BOOLEAN: *os << (r.BoolResult ? " true" : " false"); break;
    case TKVEvResultType::ERROR: break;
    }
}
} // namespace tessiv

namespace {

template <class T>
using Owned = std::unique_ptr<T, TComponentDeleter>;

TKVEvResult I(std::int32_t v) { return TKVEvResult::Integer(v); }
TKVEvResult F(double v) { return TKVEvResult::Float(v); }
TKVEvResult S(const QString& v) { return TKVEvResult::String(v); }
TKVEvResult S(const char* v) { return TKVEvResult::String(QString::fromUtf8(v)); }
TKVEvResult B(bool v) { return TKVEvResult::Boolean(v); }
TKVEvResult E() { return TKVEvResult::Error(); }

// Same kind and value; floats to a relative 1e-12 (2.333... is not exactly representable).
testing::AssertionResult Same(const TKVEvResult& actual, const TKVEvResult& expected)
{
    bool same = actual.Kind == expected.Kind;
    if (same) {
        switch (actual.Kind) {
        case TKVEvResultType::INTEGER: same = actual.IntResult == expected.IntResult; break;
        case TKVEvResultType::FLOAT:
            same = actual.FloatResult == expected.FloatResult ||
                   std::fabs(actual.FloatResult - expected.FloatResult) <= 1e-12 * std::fabs(expected.FloatResult);
            break;
        case TKVEvResultType::STRING: same = actual.StringResult == expected.StringResult; break;
        case TKVEvResultType::BOOLEAN: same = actual.BoolResult == expected.BoolResult; break;
        case TKVEvResultType::ERROR: break;
        }
    }
    if (same)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got " << testing::PrintToString(actual) << ", expected "
                                       << testing::PrintToString(expected);
}

const QString LongText = QString(250, u'a') + QStringLiteral("bcdefghij") + QString(41, u'k'); // 300 characters

void Exec(QSqlQuery& q, const QString& sql)
{
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

// A deterministic mix of sales: integers up to two thousand million (their sum leaves the 32-bit
// range), floats in quarters (exact sums), names with accents.
struct TSale {
    qint64 I;
    int Q;
    double F;
    QString S;
};

std::vector<TSale> Sales()
{
    std::vector<TSale> v;
    quint32 seed = 12345;
    const auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    const QString names[] = {QStringLiteral("Ana"), QStringLiteral("Ávila"), QStringLiteral("bruno"), QStringLiteral("Zé"),
                             QStringLiteral("carla"), QStringLiteral("Bruno")};
    for (int i = 0; i < 300; ++i) {
        const qint64 big = static_cast<qint64>(next()) * 119 - 1000000000; // about -1e9 .. 1e9
        v.push_back({big, static_cast<int>(next() % 2001) - 1000, (static_cast<int>(next() % 40001) - 20000) * 0.25,
                     names[next() % 6] + QString::number(next() % 50)});
    }
    v[7].I = 2000000000;
    v[8].I = 2000000000;
    return v;
}

class EvaluatorTest : public testing::Test {
protected:
    void SetUp() override
    {
        FormatSettings() = BrazilianFormatSettings();
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
        const QString file = FDir.filePath(QStringLiteral("avaliador.db"));
        MakeDatabase(file);
        if (HasFatalFailure())
            return;
        TStringList p;
        p.Add(QStringLiteral("PATH=") + file);
        Session().AddAlias(QStringLiteral("AVAL"), QStringLiteral("SQLITE"), &p);

        FTable.reset(new TTable(nullptr));
        FTable->SetName(QStringLiteral("Table1"));
        FTable->SetDatabaseName(QStringLiteral("AVAL"));
        FTable->SetTableName(QStringLiteral("PRODUTOS"));
        FTable->Open();
        FQuery.reset(new TQuery(nullptr));
        FQuery->SetName(QStringLiteral("Query1"));
        FQuery->SetDatabaseName(QStringLiteral("AVAL"));
        FQuery->SQL()->SetText(QStringLiteral("SELECT * FROM CIDADES"));
        FQuery->Open();
        FDataSets = {FTable.get(), FQuery.get()};
    }

    void TearDown() override
    {
        FQuery.reset();
        FTable.reset();
        QSqlDatabase::removeDatabase(QStringLiteral("judge"));
    }

    void MakeDatabase(const QString& file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("judge"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        Exec(q, QStringLiteral("CREATE TABLE PRODUTOS (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), PRICE FLOAT, QTD SMALLINT, "
                               "W WORD, VALOR NUMERIC(10,2), PRECO CURRENCY, ATIVO BOOLEAN, NASC DATE, HORA TIME, "
                               "CRIADO DATETIME, OBS MEMO, NOTA INTEGER, LONGO VARCHAR(300), UF CHAR(2))"));
        Exec(q, QStringLiteral("INSERT INTO PRODUTOS VALUES (1, 'Ana', 2.5, 3, 65535, 1234.5, 10.25, 1, '2000-01-01', "
                               "'08:30:00', '2024-03-01 10:15:00', 'memo', 7, '%1', 'RJ')")
                    .arg(LongText));
        Exec(q, QStringLiteral("INSERT INTO PRODUTOS (ID) VALUES (2)"));
        Exec(q, QStringLiteral("CREATE TABLE CIDADES (NAME VARCHAR(30), ESTADO CHAR(2))"));
        Exec(q, QStringLiteral("INSERT INTO CIDADES VALUES ('Campinas', 'SP')"));
        Exec(q, QStringLiteral("CREATE TABLE SEQ (N INTEGER)"));
        Exec(q, QStringLiteral("INSERT INTO SEQ VALUES (1), (2), (3)"));
        Exec(q, QStringLiteral("CREATE TABLE GRANDES (V BIGINT)"));
        Exec(q, QStringLiteral("INSERT INTO GRANDES VALUES (3000000000), (-5), (-9007199254740993)"));
        // What an INTEGER or DATE column holds need not be of its type.
        Exec(q, QStringLiteral("CREATE TABLE ESTRANHOS (N INTEGER, D DATE)"));
        Exec(q, QStringLiteral("INSERT INTO ESTRANHOS VALUES ('abc', '2024-02-30'), (7, '2024-02-28')"));
        Exec(q, QStringLiteral("CREATE TABLE VENDAS (I INTEGER, Q INTEGER, F FLOAT, S VARCHAR(20))"));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO VENDAS VALUES (?, ?, ?, ?)"));
        for (const TSale& s : Sales()) {
            q.addBindValue(s.I);
            q.addBindValue(s.Q);
            q.addBindValue(s.F);
            q.addBindValue(s.S);
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        }
        db.commit();
    }

    // SQLite's own answer, from the judge's connection.
    QVariant Judge(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("judge")));
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        EXPECT_TRUE(q.next());
        return q.value(0);
    }

    TKVEvResult Eval(const QString& expression)
    {
        TKVEvaluator ev;
        ev.SetDataSets(&FDataSets);
        ev.Prepare(expression);
        EXPECT_TRUE(ev.Prepared());
        return ev.Value();
    }

    Owned<TTable> OpenTable(const char* name)
    {
        Owned<TTable> t(new TTable(nullptr));
        t->SetDatabaseName(QStringLiteral("AVAL"));
        t->SetTableName(QString::fromLatin1(name));
        t->Open();
        return t;
    }

    QTemporaryDir FDir;
    Owned<TTable> FTable;
    Owned<TQuery> FQuery;
    std::vector<TDataSet*> FDataSets;
};

struct TCase {
    QString Expression;
    TKVEvResult Expected;
};

TEST_F(EvaluatorTest, ExpressionTable)
{
    const QString a200 = QString(200, u'a');
    const QString b100 = QString(100, u'b');
    QString longSum = QStringLiteral("1");
    for (int i = 1; i < 200; ++i)
        longSum += QStringLiteral("+1");

    const TCase cases[] = {
        // Precedence and the grouping of - and /.
        {"1+2*3", I(7)},
        {"2*3+1", I(7)},
        {"(1+2)*3", I(9)},
        {"10-4-3", I(3)},
        {"10-4+3", I(9)},
        {"10-(4-3)", I(9)},
        {"8/4*2", F(4.0)},
        {"8/4/2", F(1.0)},
        {"7/2", F(3.5)},
        {"10/4", F(2.5)},
        {"6/0", E()},
        {"6.0/0", E()},
        {"1+2*3=7", B(true)},
        {"1+2 or 4", I(7)},          // "or" shares the additive level: 1 + (2 or 4)
        {"6 and 3 or 8", I(10)},     // (6 and 3) or 8
        // Signs and negation.
        {"-5", I(-5)},
        {"+5", I(5)},
        {"-(2+3)", I(-5)},
        {"-2*3", I(-6)},
        {"2*-3", E()},
        {"-2.5", F(-2.5)},
        {"not (1=1)", B(false)},
        {"NOT(1=2)", B(true)},
        {"not 1", I(-1)},
        {"-'a'", E()},
        {"-", E()},
        {"not", E()},
        {"()", E()},
        // Relations.
        {"1 < 2", B(true)},
        {"2 <= 2", B(true)},
        {"3 > 2.5", B(true)},
        {"2 >= 3", B(false)},
        {"1 = 1.0", B(true)},
        {"1 <> 1", B(false)},
        {"1 < 2 < 3", E()},
        {"'abc' < 'abd'", B(true)},
        {"'ab' < 'abc'", B(true)},
        {"'b' > 'abc'", B(true)},
        {"'ab' = 'AB'", B(false)},
        {"'ab' <> 'AB'", B(true)},
        {"(1=1) = (2=2)", B(true)},
        {"(1=1) < (2=2)", E()},
        {"'a' = 1", E()},
        // Arithmetic and kinds.
        {"'a' + 'b'", S("ab")},
        {"'a' - 'b'", E()},
        {"1 + 'a'", E()},
        {"1 + 2.5", F(3.5)},
        {"5 or 3", I(7)},
        {"6 and 3", I(2)},
        {"(1=1) or (1=2)", B(true)},
        {"(1=1) and (1=2)", B(false)},
        {"1.5 or 1", E()},
        {"1 or2", E()},
        {"2147483647 + 1", F(2147483648.0)},
        {"999999999 * 3", I(-1294967299)},
        {"999999999 + 999999999 + 999999999", I(-1294967299)},
        // Numbers.
        {"007", I(7)},
        {"123456789", I(123456789)},
        {"1234567890", F(1234567890.0)},
        {"1.5", F(1.5)},
        {"1e5", F(100000.0)},
        {"1E2", F(100.0)},
        {"1e-5", E()},  // split at the sign: "1e" is no number
        {"1.2.3", E()},
        {"1e999", E()},
        {"1a", E()},
        {"1+", E()},
        // Unclosed and stray characters.
        {"'abc", E()},
        {"'", E()},
        {"(1+2", E()},
        {"[PRICE", E()},
        {"1+(2", E()},
        {"#", E()},
        {"_A", E()},
        {"é", E()},
        {"   ", E()},
        {"", S(" ")},
        // Field references in all three forms, and the datasets' order.
        {"NAME", S("Ana")},
        {"name", S("Ana")},
        {"[NAME]", S("Ana")},
        {"NAME()", S("Ana")},
        {"Table1.Name", S("Ana")},
        {"[Table1.Name]", S("Ana")},
        {"Query1.NAME", S("Campinas")},
        {"[QUERY1.name]", S("Campinas")},
        {"ESTADO", S("SP")},          // only the second dataset has it
        {"Query1.PRICE", E()},        // that dataset has no such field
        {"Outro.NAME", E()},
        {"FOO", E()},
        {"FOO(1)", E()},
        {"[ORDER-ID]", E()},
        {"NOTA", E()},                // the negation of a field A
        {"[NOTA]", I(7)},
        {"PRICE", F(2.5)},
        {"QTD", I(3)},
        {"W", I(65535)},
        {"QTD + W", I(65538)},
        {"PRICE * QTD", F(7.5)},
        {"VALOR", F(1234.5)},
        {"PRECO", F(10.25)},
        {"ATIVO", B(true)},
        {"not ATIVO", B(false)},
        {"NASC", S("01/01/2000")},
        {"HORA", S("08:30:00")},
        {"CRIADO", S("01/03/2024 10:15:00")},
        {"OBS", E()},                 // a memo has no value kind
        {"ID * 10 + QTD", I(13)},
        {"NAME + '/' + Query1.NAME", S("Ana/Campinas")},
        // The 255-character limit of texts.
        {"LONGO", S(QString(250, u'a') + QStringLiteral("bcdef"))},
        {"COPY(LONGO, 250, 10)", S("abcdef")},
        {"'" + a200 + "' + '" + b100 + "'", S(a200 + QString(55, u'b'))},
        {"'" + QString(300, u'c') + "'", S(QString(255, u'c'))},
        {longSum, I(200)},            // longer than 255 characters: still split term by term
        // IF
        {"IF(1=1, 'a', 2)", S("a")},
        {"IF(1=2, 'a', 2)", I(2)},
        {"if(ATIVO, PRICE, 0)", F(2.5)},
        {"IF(1, 2, 3)", E()},
        {"IF(1=1, 2)", E()},
        // STR
        {"STR(12)", S("12")},
        {"STR(-2.5)", S("-2,5")},
        {"STR(1/3)", S("0,333333333333333")},
        {"STR(1=1)", S("True")},
        {"STR(1=2)", S("False")},
        {"STR('x')", E()},
        {"STR(1/0)", E()},
        {"STR()", E()},
        // UPPER, LOWER, PRETTY
        {"UPPER('abc é')", S("ABC é")},
        {"LOWER('ABC É')", S("abc É")},
        {"UPPER(1)", E()},
        {"PRETTY('hELLO wORLD')", S("Hello world")},
        {"PRETTY('')", S("")},
        {"PRETTY(1)", E()},
        // TIME and DATE
        {"TYPEOF(TIME)", S("STRING")},
        {"TIME(1)", E()},
        {"DATE(1)", E()},
        // COPY
        {"COPY('abcdef', 2, 3)", S("bcd")},
        {"COPY('abcdef', 0, 2)", S("ab")},
        {"COPY('abcdef',-5, 2)", S("ab")},
        {"COPY('abcdef', -5, 2)", E()},   // pieces are not trimmed: the sign after the blank splits " -5"
        {"COPY('abcdef', 6, 5)", S("f")},
        {"COPY('abcdef', 7, 1)", S("")},
        {"COPY('abcdef', 2, 0)", S("")},
        {"COPY('abcdef', 2, 999999999)", S("bcdef")},
        {"COPY('a,b', 2, 1)", S(",")},  // a separator inside a string is text
        {"COPY('abc', 2)", E()},
        {"COPY('abc', 1.0, 2)", E()},
        {"COPY(1, 1, 1)", E()},
        // INT, ROUND
        {"INT(-2.7)", I(-2)},
        {"ROUND(-2.7)", I(-2)},
        {"ROUND(2.5)", I(2)},
        {"ROUND(2.7)", I(2)},
        {"INT(7)", I(7)},
        {"INT(2147483647.9)", I(2147483647)},
        {"INT(-2147483648.5)", I(-2147483647 - 1)},
        {"INT(2147483648.0)", E()},
        {"ROUND('a')", E()},
        // FRAC, SQRT
        {"FRAC(-2.75)", F(-0.75)},
        {"FRAC(3)", F(0.0)},
        {"FRAC('a')", E()},
        {"SQRT(16)", F(4.0)},
        {"SQRT(2.25)", F(1.5)},
        {"SQRT(0)", F(0.0)},
        {"SQRT(-1)", E()},
        // DIV
        {"DIV(7, 2)", I(3)},
        {"DIV(-7, 2)", I(-3)},
        {"DIV(7.5, 2)", I(4)},
        {"DIV(6.5, 2)", I(3)},
        {"DIV(1, 0)", E()},
        {"DIV(1, 0.4)", E()},         // the divisor rounds to 0
        {"DIV(INT(-2147483648.0), -1)", E()},
        {"DIV(4294967296.0, 1)", E()},
        {"DIV('a', 1)", E()},
        {"DIV(1)", E()},
        // TYPEOF
        {"TYPEOF(1/2)", S("FLOAT")},
        {"TYPEOF(1/0)", S("ERROR")},
        {"TYPEOF(1)", S("INTEGER")},
        {"TYPEOF('a')", S("STRING")},
        {"TYPEOF(TRUE)", S("BOOLEAN")},
        // FORMATNUMERIC, FORMATDATETIME
        {"FORMATNUMERIC('#,##0.00', 1234.5)", S("1.234,50")},
        {"FORMATNUMERIC('0.0', 2)", S("2,0")},
        {"FORMATNUMERIC(1, 2)", E()},
        {"FORMATNUMERIC('0', 'a')", E()},
        {"FORMATDATETIME('yyyy', 36526)", S("2000")},
        {"FORMATDATETIME('dd/mm/yyyy hh:nn', 36526.5)", S("01/01/2000 12:00")},
        {"FORMATDATETIME('yyyy-mm-dd', '31/12/1999')", S("1999-12-31")},
        {"FORMATDATETIME('hh:nn', '08:30')", S("08:30")},
        {"FORMATDATETIME('yyyy', NASC)", S("2000")},
        {"FORMATDATETIME('yyyy', 'abc')", E()},
        {"FORMATDATETIME(1, 2)", E()},
        // TRIM, TRIMLEFT, TRIMRIGHT
        {"TRIM('  a b  ')", S("a b")},
        {"TRIMLEFT('  a ')", S("a ")},
        {"TRIMRIGHT('  a ')", S("  a")},
        {"TRIM(1)", E()},
        // Dates and times from and to texts
        {"STRTODATE('01/01/2000')", F(36526.0)},
        {"STRTODATE(NASC)", F(36526.0)},
        {"STRTODATE('31/02/2000')", E()},
        {"STRTODATE(36526)", E()},
        {"STRTOTIME('12:00')", F(0.5)},
        {"STRTOTIME('25:00')", E()},
        {"STRTODATETIME('01/01/2000 12:00')", F(36526.5)},
        {"STRTODATETIME('x')", E()},
        {"DATETOSTR(36526.0)", S("01/01/2000")},
        {"DATETOSTR(36526)", E()},
        {"DATETOSTR(1e300)", E()},
        {"TIMETOSTR(0.5)", S("12:00:00")},
        {"DATETIMETOSTR(36526.5)", S("01/01/2000 12:00:00")},
        {"DATETIMETOSTR('x')", E()},
        // NUM
        {"NUM('3,5')", F(3.5)},
        {"NUM('3.5')", E()},
        {"NUM('abc')", E()},
        {"NUM('')", E()},
        {"NUM(3)", E()},
        // TRUE, FALSE, unknown names
        {"TRUE", B(true)},
        {"true()", B(true)},
        {"FALSE", B(false)},
        {"TRUE(1)", E()},
        {"NOSUCH(1, 2)", E()},
        // Texts compare in the code page's order: the euro sign is 0x80, the en dash 0x96, é 0xE9.
        {"'€' < 'é'", B(true)},
        {"'–' < 'é'", B(true)},
        {"'€' < '–'", B(true)},
        {"'z' < 'é'", B(true)},
        {"'é' < 'ê'", B(true)},
        {"'a€' > 'a'", B(true)},
        {"'€' = '€'", B(true)},
        {"'€' <> '–'", B(true)},
        // Characters outside the code page come after all of it.
        {"'Ω' > 'ÿ'", B(true)},
        // Cutting to 255 never leaves half of a character that takes two code units.
        // (Each operator within the first 255 characters of its text, so the operators are seen.)
        {QStringLiteral("'%1' + '%1' + '%2😀'").arg(QString(100, u'a'), QString(54, u'a')), S(QString(254, u'a'))},
        {QStringLiteral("'%1' + '%1' + '%2😀'").arg(QString(100, u'a'), QString(53, u'a')),
         S(QString(253, u'a') + QStringLiteral("😀"))},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Expression.toStdString());
        TKVEvResult value;
        EXPECT_NO_THROW(value = Eval(c.Expression));
        EXPECT_TRUE(Same(value, c.Expected));
    }
}

// Parentheses and function calls nested up to the limit are evaluated; deeper, the whole
// expression is ERROR however deep it goes, and nothing runs out of stack.
TEST_F(EvaluatorTest, NestingBeyondTheLimitIsAnErrorAtAnyDepth)
{
    const auto nested = [](int depth, const QString& open, const QString& inner) {
        QString text;
        text.reserve(depth * (open.size() + 1) + inner.size());
        for (int i = 0; i < depth; ++i)
            text += open;
        text += inner;
        text += QString(depth, u')');
        return text;
    };
    for (const int depth : {1, 100, KVMaxNesting}) {
        SCOPED_TRACE(depth);
        EXPECT_TRUE(Same(Eval(nested(depth, QStringLiteral("("), QStringLiteral("1+2"))), I(3)));
        EXPECT_TRUE(Same(Eval(nested(depth, QStringLiteral("INT("), QStringLiteral("2.5"))), I(2)));
        EXPECT_TRUE(Same(Eval(nested(depth / 2, QStringLiteral("-("), QStringLiteral("4"))),
                         I(depth / 2 % 2 ? -4 : 4)));
    }
    for (const int depth : {KVMaxNesting + 1, 1000, 100000, 1000000}) {
        SCOPED_TRACE(depth);
        EXPECT_TRUE(Same(Eval(nested(depth, QStringLiteral("("), QStringLiteral("1"))), E()));
        EXPECT_TRUE(Same(Eval(nested(depth, QStringLiteral("IF(1=1,"), QStringLiteral("1,2"))), E()));
        EXPECT_TRUE(Same(Eval(nested(depth, QStringLiteral("-("), QStringLiteral("1"))), E()));
        // Too deep anywhere is too deep for the whole: no function can see past it.
        EXPECT_TRUE(Same(Eval(QStringLiteral("IF(TYPEOF(") + nested(depth, QStringLiteral("("), QStringLiteral("1")) +
                              QStringLiteral(")='ERROR', 1, 2)")),
                         E()));
    }
    // Unclosed, they are errors of their own, at once.
    EXPECT_TRUE(Same(Eval(QString(1000000, u'(') + QStringLiteral("1")), E()));
    // A prepared error still aggregates nothing and evaluates again.
    TKVEvaluator ev;
    ev.Prepare(nested(KVMaxNesting + 1, QStringLiteral("SUM("), QStringLiteral("1")));
    EXPECT_TRUE(ev.Prepared());
    EXPECT_FALSE(ev.IsAggreg());
    EXPECT_TRUE(Same(ev.Value(), E()));
}

// Long chains of operators and signs are no nesting: they prepare in memory in proportion to
// their length and evaluate left to right as short ones do.
TEST_F(EvaluatorTest, LongChainsEvaluateAsShortOnesDo)
{
    quint32 seed = 7;
    const auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFF;
    };
    // Sums and differences of products and quotients, 60,000 terms (about 240 KB of text).
    QString text = QStringLiteral("1000");
    double expected = 1000;
    for (int i = 0; i < 60000; ++i) {
        const int a = static_cast<int>(next() % 9) + 1;
        const int b = static_cast<int>(next() % 9) + 1;
        const bool minus = next() % 2;
        const bool divide = next() % 2;
        text += minus ? u'-' : u'+';
        text += QString::number(a) + (divide ? u'/' : u'*') + QString::number(b);
        const double term = divide ? double(a) / b : double(a) * b;
        expected = minus ? expected - term : expected + term;
    }
    const TKVEvResult value = Eval(text);
    ASSERT_EQ(value.Kind, TKVEvResultType::FLOAT);
    EXPECT_NEAR(value.FloatResult, expected, 1e-6 * std::fabs(expected));

    // Integers: 0+1-2+3-4... to 100,000 terms, and a chain of quotients and products.
    QString alternating = QStringLiteral("0");
    for (int i = 1; i <= 100000; ++i)
        alternating += (i % 2 ? u'+' : u'-') + QString::number(i);
    EXPECT_TRUE(Same(Eval(alternating), I(-50000)));
    QString quotients = QStringLiteral("1");
    for (int i = 0; i < 50000; ++i)
        quotients += QStringLiteral("*3/3");
    EXPECT_TRUE(Same(Eval(quotients), F(1.0)));

    // Negations in a row.
    QString nots;
    for (int i = 0; i < 100001; ++i)
        nots += QStringLiteral("not ");
    EXPECT_TRUE(Same(Eval(nots + QStringLiteral("(1=1)")), B(false)));

    // A text constant of 200 KB is cut to 255 characters.
    EXPECT_TRUE(Same(Eval(QLatin1Char('\'') + QString(200000, u'x') + QLatin1Char('\'')), S(QString(255, u'x'))));
    // Arguments of many functions in a row.
    QString calls = QStringLiteral("0");
    for (int i = 0; i < 20000; ++i)
        calls += QStringLiteral("+INT(2.5)");
    EXPECT_TRUE(Same(Eval(calls), I(40000)));
}

// A 64-bit column's values: INTEGER where 32 bits hold them, FLOAT beyond, never a failure.
TEST_F(EvaluatorTest, SixtyFourBitIntegersBeyondThirtyTwoBitsAreFloats)
{
    auto big = OpenTable("GRANDES");
    std::vector<TDataSet*> sets{big.get()};
    TKVEvaluator ev;
    ev.SetDataSets(&sets);
    ev.Prepare(QStringLiteral("V"));
    const TKVEvResult expected[] = {F(3000000000.0), I(-5), F(-9007199254740992.0)};
    big->First();
    for (const TKVEvResult& e : expected) {
        ASSERT_FALSE(big->Eof());
        TKVEvResult value;
        EXPECT_NO_THROW(value = ev.Value());
        EXPECT_TRUE(Same(value, e));
        big->Next();
    }
    ev.Prepare(QStringLiteral("TYPEOF(V) + ' ' + STR(V + 1)"));
    big->First();
    EXPECT_TRUE(Same(ev.Value(), S("FLOAT 3000000001")));
}

TEST_F(EvaluatorTest, AValueItsColumnTypeCannotGiveIsAnErrorValue)
{
    auto odd = OpenTable("ESTRANHOS");
    std::vector<TDataSet*> sets{odd.get()};
    TKVEvaluator ev;
    ev.SetDataSets(&sets);
    ev.Prepare(QStringLiteral("N + 1"));
    odd->First();
    TKVEvResult value;
    EXPECT_NO_THROW(value = ev.Value());
    EXPECT_TRUE(Same(value, E()));
    odd->Next();
    EXPECT_TRUE(Same(ev.Value(), I(8)));
}

TEST_F(EvaluatorTest, DateIsTheSameCallWithOrWithoutParentheses)
{
    const TKVEvResult a = Eval(QStringLiteral("DATE"));
    const TKVEvResult b = Eval(QStringLiteral("DATE()"));
    EXPECT_TRUE(Same(a, S(DateToStr(Date()))));
    EXPECT_TRUE(Same(a, b));
}

TEST_F(EvaluatorTest, EmptyFieldsGiveZeroFalseOrEmptyText)
{
    FTable->Next(); // the record with nulls only
    const TCase cases[] = {
        {"NAME", S("")},   {"PRICE", F(0.0)},  {"QTD", I(0)}, {"W", I(0)},  {"VALOR", F(0.0)},
        {"PRECO", F(0.0)}, {"ATIVO", B(false)}, {"NASC", S("")}, {"HORA", S("")}, {"CRIADO", S("")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Expression.toStdString());
        EXPECT_TRUE(Same(Eval(c.Expression), c.Expected));
    }
}

TEST_F(EvaluatorTest, FollowsTheCurrentRecordAndReopenedFields)
{
    TKVEvaluator ev;
    ev.SetDataSets(&FDataSets);
    ev.Prepare(QStringLiteral("STR(ID) + ':' + NAME"));
    EXPECT_TRUE(Same(ev.Value(), S("1:Ana")));
    FTable->Next();
    EXPECT_TRUE(Same(ev.Value(), S("2:")));
    // The dataset makes its fields anew when it opens; the expression finds the new ones.
    ASSERT_TRUE(FTable->DefaultFields());
    FTable->Close();
    FTable->Open();
    EXPECT_TRUE(Same(ev.Value(), S("1:Ana")));
    // A dataset that fails while its field is read raises to the caller.
    FTable->Close();
    EXPECT_THROW(ev.Value(), Exception);
}

TEST_F(EvaluatorTest, LifecycleWithoutDataSetsOrPreparation)
{
    TKVEvaluator ev;
    EXPECT_FALSE(ev.Prepared());
    EXPECT_TRUE(Same(ev.Value(), E()));
    ev.Prepare(QStringLiteral("NAME"));
    EXPECT_TRUE(Same(ev.Value(), E())); // no datasets to look in
    ev.Prepare(QStringLiteral("1.2.3"));
    EXPECT_TRUE(ev.Prepared());
    EXPECT_TRUE(Same(ev.Value(), E()));
    ev.Unprepare();
    EXPECT_FALSE(ev.Prepared());
    EXPECT_TRUE(Same(ev.Value(), E()));
}

// Aggregates over the three records N = 1, 2, 3, each record advance aggregating once.
TEST_F(EvaluatorTest, AggregatesAcrossRecordAdvances)
{
    auto seq = OpenTable("SEQ");
    std::vector<TDataSet*> sets{seq.get()};
    const TCase cases[] = {
        {"SUM(N)", I(6)},
        {"SUM(IF(N=2, 2.5, N))", F(6.5)},       // a FLOAT joins the INTEGER sum
        {"SUM(IF(N=1, 0.5, N))", F(5.5)},       // and INTEGERs join a FLOAT sum
        {"SUM(999999999 * 2)", F(5999999994.0)}, // leaves the 32-bit range: goes on as FLOAT
        {"SUM(IF(N=2, 1=1, N))", I(4)},         // a BOOLEAN is no number to add
        {"SUM(IF(N=2, 'x', N))", E()},
        {"SUM('x')", E()},
        {"SUM(N, 1)", E()},
        {"AVERAGE(IF(N=3, 4, N))", F(7.0 / 3.0)},
        {"AVERAGE(IF(N=2, 2.5, N))", F(6.5 / 3.0)},
        {"AVERAGE('x')", E()},
        {"MIN(N <> 2)", B(false)},
        {"MAX(N <> 2)", B(true)},
        {"MAX(COPY('bac', N, 1))", S("c")},
        {"MIN(COPY('bac', N, 1))", S("a")},
        // In the code page's order: € (0x80) < – (0x96) < é (0xE9).
        {"MAX(COPY('€é–', N, 1))", S("é")},
        {"MIN(COPY('é–€', N, 1))", S("€")},
        {"MAX(IF(N=2, 9.5, N))", F(9.5)},
        {"MAX(IF(N=2, 2.5, N))", I(3)},
        {"MIN(IF(N=2, 'a', N))", E()},          // values that do not compare
        {"MIN(N, 1)", E()},
        {"COUNT", I(3)},
        {"COUNT(1)", E()},
        {"1 + SUM(N) * 2", I(13)},
        {"SUM(N) / COUNT", F(2.0)},
        {"STR(MAX(N)) + '/' + STR(MIN(N))", S("3/1")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Expression.toStdString());
        TKVEvaluator ev;
        ev.SetDataSets(&sets);
        ev.Prepare(c.Expression);
        EXPECT_TRUE(ev.IsAggreg());
        for (seq->First(); !seq->Eof(); seq->Next()) {
            ev.SetDoAggregate(true);
            ev.Value();
            ev.SetDoAggregate(false);
        }
        EXPECT_TRUE(Same(ev.Value(), c.Expected));
        EXPECT_TRUE(Same(ev.Value(), c.Expected)); // reading changes nothing
    }
}

TEST_F(EvaluatorTest, AggregateStateBeforeAndAfterReset)
{
    auto seq = OpenTable("SEQ");
    std::vector<TDataSet*> sets{seq.get()};
    TKVEvaluator ev;
    ev.SetDataSets(&sets);
    ev.Prepare(QStringLiteral("N + 1"));
    EXPECT_FALSE(ev.IsAggreg());
    ev.Prepare(QStringLiteral("SUM(N)"));
    EXPECT_TRUE(Same(ev.Value(), E())); // nothing aggregated yet
    seq->First();
    ev.SetDoAggregate(true);
    EXPECT_TRUE(Same(ev.Value(), I(1)));
    seq->Next();
    EXPECT_TRUE(Same(ev.Value(), I(3)));
    ev.SetDoAggregate(false);
    seq->Next();
    EXPECT_TRUE(Same(ev.Value(), I(3)));
    ev.Reset();
    EXPECT_TRUE(Same(ev.Value(), E()));
    ev.SetDoAggregate(true);
    EXPECT_TRUE(Same(ev.Value(), I(3))); // the third record alone
    // A new preparation starts without aggregation and with fresh state.
    ev.Prepare(QStringLiteral("COUNT"));
    EXPECT_TRUE(Same(ev.Value(), I(0)));
    EXPECT_TRUE(Same(ev.Value(), I(0)));
}

TEST_F(EvaluatorTest, AggregatesAgreeWithSQLite)
{
    auto vendas = OpenTable("VENDAS");
    std::vector<TDataSet*> sets{vendas.get()};
    const struct {
        const char* Expression;
        const char* Sql;
    } cases[] = {
        {"SUM(I)", "SUM(I)"},         {"SUM(Q)", "SUM(Q)"},       {"SUM(F)", "SUM(F)"},
        {"SUM(Q + F)", "SUM(Q + F)"}, {"AVERAGE(I)", "AVG(I)"},   {"AVERAGE(Q)", "AVG(Q)"},
        {"AVERAGE(F)", "AVG(F)"},     {"COUNT", "COUNT(*)"},      {"MIN(I)", "MIN(I)"},
        {"MAX(I)", "MAX(I)"},         {"MIN(F)", "MIN(F)"},       {"MAX(F)", "MAX(F)"},
        {"MIN(Q)", "MIN(Q)"},         {"MAX(Q)", "MAX(Q)"},       {"MIN(S)", "MIN(S)"},
        {"MAX(S)", "MAX(S)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expression);
        TKVEvaluator ev;
        ev.SetDataSets(&sets);
        ev.Prepare(QString::fromLatin1(c.Expression));
        for (vendas->First(); !vendas->Eof(); vendas->Next()) {
            ev.SetDoAggregate(true);
            ev.Value();
            ev.SetDoAggregate(false);
        }
        const TKVEvResult ours = ev.Value();
        const QVariant judge = Judge(QStringLiteral("SELECT %1 FROM VENDAS").arg(QString::fromLatin1(c.Sql)));
        switch (judge.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            if (ours.Kind == TKVEvResultType::INTEGER)
                EXPECT_EQ(ours.IntResult, judge.toLongLong());
            else // a sum beyond the 32-bit range
                EXPECT_TRUE(Same(ours, F(static_cast<double>(judge.toLongLong()))));
            break;
        case QMetaType::Double: EXPECT_TRUE(Same(ours, F(judge.toDouble()))); break;
        default: EXPECT_TRUE(Same(ours, S(judge.toString()))); break;
        }
    }
    // The integer column's sum did leave the 32-bit range.
    EXPECT_GT(std::llabs(Judge(QStringLiteral("SELECT SUM(I) FROM VENDAS")).toLongLong()), qint64(INT32_MAX));
}

TEST(FunctionLibrary, EntriesInRegistrationOrder)
{
    ASSERT_NE(FunctionLibrary, nullptr);
    EXPECT_EQ(ArgSeparator, QChar(u','));
    const struct {
        const char* Name;
        const char* Data;
    } expected[] = {
        {"IF", "5BVV"},           {"STR", "7N"},           {"UPPER", "7S"},          {"LOWER", "7S"},
        {"PRETTY", "7S"},         {"TIME", "1"},           {"DATE", "1"},            {"COPY", "7SNN"},
        {"SUM", "3N"},            {"COUNT", "3"},          {"MAX", "3V"},            {"MIN", "3V"},
        {"AVERAGE", "3N"},        {"TRUE", "5"},           {"FALSE", "5"},           {"INT", "2N"},
        {"FRAC", "2N"},           {"SQRT", "2N"},          {"DIV", "2NN"},           {"TYPEOF", "6N"},
        {"FORMATNUMERIC", "7SN"}, {"ROUND", "2N"},         {"FORMATDATETIME", "1SS"}, {"TRIM", "7S"},
        {"TRIMLEFT", "7S"},       {"TRIMRIGHT", "7S"},     {"STRTODATE", "1S"},      {"DATETOSTR", "1S"},
        {"STRTOTIME", "1S"},      {"TIMETOSTR", "1S"},     {"DATETIMETOSTR", "1S"},  {"STRTODATETIME", "1S"},
        {"NUM", "7S"},
    };
    const int count = FunctionLibrary->Entries()->Count();
    ASSERT_EQ(count, 33);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(expected[i].Name);
        const TKVLibraryEntry* e = FunctionLibrary->GetEntry(i);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Name, QString::fromLatin1(expected[i].Name));
        EXPECT_EQ(FunctionLibrary->Entries()->Strings(i), e->Name);
        EXPECT_EQ(e->Data, QString::fromLatin1(expected[i].Data));
        EXPECT_EQ(e->Vendor, QStringLiteral("Tormelin AS"));
        EXPECT_TRUE(e->Description.startsWith(e->Name)) << e->Description.toStdString();
    }
    // Reading past the last entry is refused.
    EXPECT_EQ(FunctionLibrary->GetEntry(count), nullptr);
    EXPECT_EQ(FunctionLibrary->GetEntry(-1), nullptr);

    EXPECT_EQ(FunctionLibrary->GetEntry(0)->Description,
              QStringLiteral("IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>"));
    EXPECT_EQ(FunctionLibrary->GetEntry(14)->Description, QStringLiteral("FALSE|boolean value"));
    EXPECT_EQ(FunctionLibrary->GetEntry(18)->Description, QStringLiteral("DIV(<X>, <Y> | "));
    EXPECT_EQ(FunctionLibrary->GetEntry(20)->Description,
              QStringLiteral("FORMATNUMERIC(<F>,<N>|Formats numeric <N> using the mask in <F>"));
    EXPECT_EQ(FunctionLibrary->GetEntry(22)->Description,
              QStringLiteral("FORMATDATETIME(<F>,<D>)|Formata uma Data <D> usando a máscara de <F>"));
    // ROUND is computed by INT's element class.
    EXPECT_EQ(FunctionLibrary->GetEntry(21)->ElementClass, FunctionLibrary->GetEntry(15)->ElementClass);
}

TEST(FunctionLibrary, GetFunctionMakesNewElements)
{
    const auto sum = FunctionLibrary->GetFunction(QStringLiteral("sum"));
    ASSERT_NE(dynamic_cast<TKVEvElementFunction*>(sum.get()), nullptr);
    EXPECT_TRUE(sum->AggregateMark());
    const auto upper = FunctionLibrary->GetFunction(QStringLiteral("UPPER"));
    ASSERT_NE(dynamic_cast<TKVEvElementFunction*>(upper.get()), nullptr);
    EXPECT_FALSE(upper->AggregateMark());
    EXPECT_NE(FunctionLibrary->GetFunction(QStringLiteral("UPPER")).get(), upper.get());
    const auto missing = FunctionLibrary->GetFunction(QStringLiteral("NOSUCH"));
    EXPECT_NE(dynamic_cast<TKVEvElementError*>(missing.get()), nullptr);
}

} // namespace
