// SQL clauses and the line replacement.

#include "DesignerFixture.h"

#include "designer/document/SqlText.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"

namespace designertest {

using namespace tessiv;

class SqlTextTest : public DesignerTest {};

TEST_F(SqlTextTest, ClausesOfAQuery)
{
    struct TCase {
        QStringList Sql;
        QString Keyword;
        QString Clause;
    };
    const std::vector<TCase> cases = {
        {{"SELECT A, B FROM CLIENTES WHERE UF = 'SP' ORDER BY A"}, "FROM", "CLIENTES"},
        {{"SELECT A, B FROM CLIENTES WHERE UF = 'SP' ORDER BY A"}, "WHERE", "UF = 'SP'"},
        {{"SELECT A, B FROM CLIENTES WHERE UF = 'SP' ORDER BY A"}, "order by", "A"},
        {{"SELECT A FROM CLIENTES"}, "WHERE", ""},
        {{"select *", "from clientes c", "  join uf u on u.sigla = c.uf", "where c.qtd > 0", "order by 1"}, "FROM",
         "clientes c\n  join uf u on u.sigla = c.uf"},
        {{"SELECT *", "FROM T", "WHERE X = 1 AND", "  Y = 2", "GROUP BY Z"}, "WHERE", "X = 1 AND\n  Y = 2"},
        // Whole words: PLANO is a table, not the PLAN clause; FROMAGE no FROM.
        {{"SELECT * FROM PLANO WHERE FROMAGE = 1"}, "FROM", "PLANO"},
        {{"SELECT * FROM PLANO WHERE FROMAGE = 1"}, "WHERE", "FROMAGE = 1"},
        {{"SELECT * FROM T", "PLAN SORT (T NATURAL)", "  X"}, "PLAN", "SORT (T NATURAL)\n  X"},
        // Keywords inside quoted texts start and end nothing.
        {{"SELECT * FROM T WHERE NOME = 'ORDER BY FROM' ORDER BY 1"}, "WHERE", "NOME = 'ORDER BY FROM'"},
        {{"SELECT * FROM T GROUP   BY A HAVING COUNT(*) > 1"}, "GROUP BY", "A"},
        {{"SELECT * FROM T"}, "  ", ""},
        {{"SELECT * FROM T"}, "LIMIT", ""},
    };
    for (const TCase& c : cases) {
        TQuery query(nullptr);
        TStringList sql;
        sql.AddStrings(c.Sql);
        query.SetSQL(&sql);
        TDataSource source(nullptr);
        source.SetDataSet(&query);
        EXPECT_EQ(GetSqlClause(c.Keyword, &source), c.Clause) << c.Sql.join(" | ").toStdString() << " / "
                                                               << c.Keyword.toStdString();
    }
    EXPECT_EQ(GetSqlClause(QStringLiteral("FROM"), nullptr), QString());
}

TEST_F(SqlTextTest, ReplacingInLines)
{
    TStringList lines;
    lines.Add(QStringLiteral("bar_caption = 'X'"));
    EXPECT_EQ(TrocaStrTStrings(QStringLiteral("Bar_Caption"), QStringLiteral("Bar_Text"), lines), 1);
    EXPECT_EQ(lines.Strings(0), QStringLiteral("Bar_Text = 'X'"));
    EXPECT_TRUE(Boxes.empty());

    lines.Clear();
    lines.Add(QStringLiteral("Active = True; ACTIVE = TRUE"));
    lines.Add(QStringLiteral("nada"));
    EXPECT_EQ(TrocaStrTStrings(QStringLiteral("Active = True"), QString(), lines), 2);
    EXPECT_EQ(lines.Strings(0), QStringLiteral("; "));
    // The replacement is never searched again: "aab" with "ab" -> "a" gives "aa", not "a".
    lines.Clear();
    lines.Add(QStringLiteral("aabb"));
    EXPECT_EQ(TrocaStrTStrings(QStringLiteral("ab"), QStringLiteral("a"), lines), 1);
    EXPECT_EQ(lines.Strings(0), QStringLiteral("aab"));

    EXPECT_EQ(TrocaStrTStrings(QStringLiteral("abc"), QStringLiteral("xABCx"), lines), -1);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("URGENTE: Contacte o Suporte e informe o erro: TrocaStrTStrings"));
    EXPECT_EQ(Boxes[0].Caption, QStringLiteral(" Prevenção de Travamento do Sistema"));
    EXPECT_EQ(Boxes[0].Type, mtError);
    EXPECT_EQ(lines.Strings(0), QStringLiteral("aab"));
    EXPECT_EQ(TrocaStrTStrings(QString(), QStringLiteral("x"), lines), -1);
}

} // namespace designertest
