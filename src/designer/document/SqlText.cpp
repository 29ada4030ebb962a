#include "designer/document/SqlText.h"

#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Application.h"

#include <QRegularExpression>

#include <array>
#include <vector>

namespace tessiv {

namespace {

const std::array<QString, 8>& Keywords()
{
    static const std::array<QString, 8> list{QStringLiteral("SELECT"), QStringLiteral("FROM"),
                                             QStringLiteral("WHERE"),  QStringLiteral("GROUP BY"),
                                             QStringLiteral("HAVING"), QStringLiteral("UNION"),
                                             QStringLiteral("PLAN"),   QStringLiteral("ORDER BY")};
    return list;
}

const QRegularExpression& KeywordPattern(int index)
{
    static const std::vector<QRegularExpression> patterns = [] {
        std::vector<QRegularExpression> p;
        for (const QString& k : Keywords()) {
            QString words = QRegularExpression::escape(k);
            words.replace(QStringLiteral("\\ "), QStringLiteral("\\s+"));
            p.emplace_back(QStringLiteral("(?<![\\w$#@])") + words + QStringLiteral("(?![\\w$#@])"),
                           QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
        }
        return p;
    }();
    return patterns[std::size_t(index)];
}

// Which characters of each line lie inside a quoted text or a quoted name; a quote may run on
// over line ends.
std::vector<std::vector<bool>> QuotedMasks(const QStringList& lines)
{
    std::vector<std::vector<bool>> masks;
    QChar open;
    for (const QString& line : lines) {
        std::vector<bool> mask(std::size_t(line.size()), false);
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (!open.isNull()) {
                mask[std::size_t(i)] = true;
                if (c == open)
                    open = QChar();
            } else if (c == u'\'' || c == u'"') {
                open = c;
                mask[std::size_t(i)] = true;
            }
        }
        masks.push_back(std::move(mask));
    }
    return masks;
}

struct TMatch {
    qsizetype Start = -1;
    qsizetype End = -1;
};

TMatch FindKeyword(int index, const QString& line, const std::vector<bool>& quoted, qsizetype from)
{
    auto it = KeywordPattern(index).globalMatch(line, from);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (!quoted[std::size_t(m.capturedStart())])
            return {m.capturedStart(), m.capturedEnd()};
    }
    return {};
}

} // namespace

void ExtractSqlClause(TStrings& lines, const QString& keyword, const TStrings& sqlLines)
{
    lines.Clear();
    const QString wanted = keyword.trimmed().toUpper().simplified();
    if (wanted.isEmpty())
        return;
    int found = -1;
    for (int k = 0; k < int(Keywords().size()); ++k)
        if (Keywords()[std::size_t(k)] == wanted)
            found = k;
    if (found < 0)
        return;

    QStringList sql;
    for (int i = 0; i < sqlLines.Count(); ++i)
        sql << sqlLines.Strings(i);
    const auto quoted = QuotedMasks(sql);

    bool started = false;
    for (int i = 0; i < sql.size(); ++i) {
        const QString& line = sql[i];
        qsizetype from = 0;
        if (!started) {
            const TMatch start = FindKeyword(found, line, quoted[std::size_t(i)], 0);
            if (start.Start < 0)
                continue;
            started = true;
            from = start.End;
        }
        // The nearest later keyword on this line ends the clause.
        qsizetype end = -1;
        for (int k = found + 1; k < int(Keywords().size()); ++k) {
            const TMatch m = FindKeyword(k, line, quoted[std::size_t(i)], from);
            if (m.Start >= 0 && (end < 0 || m.Start < end))
                end = m.Start;
        }
        if (end < 0) {
            lines.Add(line.mid(from));
            continue;
        }
        if (end > 0 || from > 0)
            lines.Add(line.mid(from, end - from));
        return;
    }
}

void ExtractSqlClause(TStrings& lines, const QString& keyword, TDataSource* dataSource)
{
    lines.Clear();
    if (keyword.trimmed().isEmpty() || !dataSource)
        return;
    auto* query = dynamic_cast<TQuery*>(dataSource->DataSet());
    if (!query)
        return;
    TStringList sql;
    sql.Assign(query->SQL());
    ExtractSqlClause(lines, keyword, sql);
}

QString GetSqlClause(const QString& keyword, TDataSource* dataSource)
{
    TStringList lines;
    ExtractSqlClause(lines, keyword, dataSource);
    QStringList parts;
    for (int i = 0; i < lines.Count(); ++i)
        parts << lines.Strings(i);
    return parts.join(QLatin1Char('\n')).trimmed();
}

int TrocaStrTStrings(const QString& search, const QString& replacement, TStrings& lines)
{
    if (replacement.contains(search, Qt::CaseInsensitive)) {
        Application().MessageBox(QStringLiteral("URGENTE: Contacte o Suporte e informe o erro: TrocaStrTStrings"),
                                 QStringLiteral(" Prevenção de Travamento do Sistema"), MB_OK | MB_ICONSTOP);
        return -1;
    }
    int count = 0;
    for (int i = 0; i < lines.Count(); ++i) {
        QString line = lines.Strings(i);
        qsizetype from = 0;
        bool changed = false;
        // The search resumes after each replacement, so text the replacement made is never
        // taken for another occurrence.
        for (;;) {
            const qsizetype at = line.indexOf(search, from, Qt::CaseInsensitive);
            if (at < 0)
                break;
            line.replace(at, search.size(), replacement);
            from = at + replacement.size();
            ++count;
            changed = true;
        }
        if (changed)
            lines.Put(i, line);
    }
    return count;
}

} // namespace tessiv
