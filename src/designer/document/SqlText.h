#pragma once
// Text helpers of the document: clauses of a query's SQL (to count labels over the same records)
// and replacing a text in every line of a list.

#include <QString>

namespace tessiv {

class TStrings;
class TDataSource;

// The lines of the clause that Keyword starts in the SQL of the query DataSource shows: "SELECT",
// "FROM", "WHERE", "GROUP BY", "HAVING", "UNION", "PLAN" or "ORDER BY", up to the next keyword of
// that list. Keywords are whole words outside quoted texts, so a table PLANO or a value 'FROM'
// starts or ends nothing.
void ExtractSqlClause(TStrings& lines, const QString& keyword, TDataSource* dataSource);
QString GetSqlClause(const QString& keyword, TDataSource* dataSource);
// The same over SQL lines given directly.
void ExtractSqlClause(TStrings& lines, const QString& keyword, const TStrings& sql);

// Replaces Search (letter case ignored) by Replacement in every line; the number of replacements.
// A replacement that holds the search text is refused with a message (-1): replacing would never end.
int TrocaStrTStrings(const QString& search, const QString& replacement, TStrings& lines);

} // namespace tessiv
