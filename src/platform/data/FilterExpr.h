#pragma once
// The engine's filter expressions, evaluated by us against a record: comparisons (= <> < > <= >=)
// of field names, numbers, 'strings' and NULL, with AND, OR, NOT, parentheses and + - * /.
// 'abc*' compared with = matches a prefix unless partial comparison is switched off.

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace tessiv {

class TFilterExpression {
public:
    struct Node;
    // Resolves a field name to a column; -1 for an unknown name (EDatabaseError at parse time).
    using TResolver = std::function<int(const QString& name)>;
    // The name of a column, for errors.
    using TNamer = std::function<QString(int column)>;
    // A filter nested deeper than a few hundred levels is refused ("expression too deeply nested").
    TFilterExpression(const QString& text, const TResolver& resolve, bool caseInsensitive, bool noPartial,
                      TNamer namer = nullptr);
    ~TFilterExpression();
    // Values of the record by column; true when the record passes.
    bool Matches(const std::function<QVariant(int column)>& value) const;

private:
    std::unique_ptr<Node> FRoot;
    bool FCaseInsensitive;
    bool FNoPartial;
    TNamer FNamer;
};

} // namespace tessiv
