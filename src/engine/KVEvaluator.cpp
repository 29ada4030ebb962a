#include "engine/KVEvaluator.h"

#include "engine/KVFunctionLibrary.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"

#include <cmath>

namespace tessiv {

namespace {

// The operator and separator scans look at the first 255 characters of a text.
constexpr qsizetype ScanLimit = 255;

// The first index at or after `from` where `match` holds, looking only at depth 0 outside
// quoted strings; the last character is never looked at. -1 when there is none.
template <class Match>
qsizetype ScanTopLevel(const QString& text, qsizetype from, Match match)
{
    const qsizetype end = std::min(text.size() - 1, ScanLimit);
    bool inString = false;
    int depth = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text[i];
        if (c == u'\'') {
            inString = !inString;
        } else if (!inString) {
            if (c == u'(')
                ++depth;
            else if (c == u')')
                --depth;
            else if (depth == 0 && i >= from && match(i))
                return i;
        }
    }
    return -1;
}

// A blank followed by the word and a blank, in any letter case ("or", "and").
bool IsWordOperator(const QString& text, qsizetype i, QStringView word)
{
    return text[i] == u' ' && text.size() > i + word.size() + 1 &&
           QStringView(text).mid(i + 1, word.size()).compare(word, Qt::CaseInsensitive) == 0 &&
           text[i + word.size() + 1] == u' ';
}

// Exchanges the two characters everywhere at depth 0 outside strings, so the right side of a
// "-" or a "/" can again be split from the left.
QString Exchanged(QString text, QChar a, QChar b)
{
    bool inString = false;
    int depth = 0;
    for (QChar& c : text) {
        if (c == u'\'')
            inString = !inString;
        else if (inString)
            continue;
        else if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (depth == 0 && c == a)
            c = b;
        else if (depth == 0 && c == b)
            c = a;
    }
    return text;
}

// Leading and trailing blanks removed; a text of blanks only keeps one.
QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    if (first == last && !text.isEmpty())
        return QStringLiteral(" ");
    return text.mid(first, last - first);
}

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

} // namespace

TKVEvaluator::TKVEvaluator() = default;

TKVEvaluator::~TKVEvaluator() { Unprepare(); }

void TKVEvaluator::Prepare(const QString& expression)
{
    Unprepare();
    FFiFo = std::make_unique<TKVFiFo>();
    try {
        EvalExpression(expression.isEmpty() ? QStringLiteral("' '") : expression);
    } catch (...) {
        Unprepare();
        throw;
    }
    FPrepared = true;
}

void TKVEvaluator::Unprepare()
{
    FFiFo.reset();
    FPrepared = false;
}

TKVEvResult TKVEvaluator::Value()
{
    TKVEvResult result;
    if (!FFiFo)
        return result;
    FFiFo->Start();
    if (TKVEvElement* first = FFiFo->Next())
        first->Value(*FFiFo, result);
    return result;
}

void TKVEvaluator::Reset()
{
    if (!FFiFo)
        return;
    for (int i = 0; i < FFiFo->Count(); ++i)
        FFiFo->Items(i)->Reset();
}

bool TKVEvaluator::IsAggreg() const
{
    if (!FFiFo)
        return false;
    for (int i = 0; i < FFiFo->Count(); ++i)
        if (FFiFo->Items(i)->AggregateMark())
            return true;
    return false;
}

void TKVEvaluator::SetDoAggregate(bool value)
{
    if (FFiFo)
        FFiFo->DoAggregate(value);
}

void TKVEvaluator::Add(std::unique_ptr<TKVEvElement> element) { FFiFo->Add(std::move(element)); }

void TKVEvaluator::AddError() { Add(std::make_unique<TKVEvElementError>()); }

void TKVEvaluator::EvalExpression(const QString& text)
{
    const qsizetype i = ScanTopLevel(text, 1, [&](qsizetype k) {
        const QChar c = text[k];
        return c == u'<' || c == u'=' || c == u'>';
    });
    if (i < 0) {
        EvalSimpleExpression(text);
        return;
    }
    const QChar c = text[i];
    const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
    TKVEvOperator op = opEqual;
    qsizetype length = 1;
    if (c == u'<') {
        if (next == u'>')
            op = opNotEqual, length = 2;
        else if (next == u'=')
            op = opLessOrEqual, length = 2;
        else
            op = opLess;
    } else if (c == u'>') {
        if (next == u'=')
            op = opGreaterOrEqual, length = 2;
        else
            op = opGreater;
    }
    Add(std::make_unique<TKVEvElementOperator>(op));
    EvalSimpleExpression(text.left(i));
    EvalSimpleExpression(text.mid(i + length));
}

void TKVEvaluator::EvalSimpleExpression(const QString& text)
{
    const qsizetype i = ScanTopLevel(text, 1, [&](qsizetype k) {
        return text[k] == u'+' || text[k] == u'-' || IsWordOperator(text, k, u"or");
    });
    if (i < 0) {
        EvalTerm(text);
        return;
    }
    const QChar c = text[i];
    const TKVEvOperator op = c == u'+' ? opPlus : c == u'-' ? opMinus : opOr;
    Add(std::make_unique<TKVEvElementOperator>(op));
    EvalTerm(text.left(i));
    const QString right = text.mid(op == opOr ? i + 4 : i + 1);
    // a - b + c is a - (b - c): the right side's signs turn so the result is the usual one.
    EvalSimpleExpression(op == opMinus ? Exchanged(right, u'+', u'-') : right);
}

void TKVEvaluator::EvalTerm(const QString& text)
{
    const qsizetype i = ScanTopLevel(text, 1, [&](qsizetype k) {
        return text[k] == u'*' || text[k] == u'/' || IsWordOperator(text, k, u"and");
    });
    if (i < 0) {
        EvalFactor(text);
        return;
    }
    const QChar c = text[i];
    const TKVEvOperator op = c == u'*' ? opMultiply : c == u'/' ? opDivide : opAnd;
    Add(std::make_unique<TKVEvElementOperator>(op));
    EvalFactor(text.left(i));
    const QString right = text.mid(op == opAnd ? i + 5 : i + 1);
    // a / b * c is a / (b / c), for the same reason as the signs.
    EvalTerm(op == opDivide ? Exchanged(right, u'*', u'/') : right);
}

void TKVEvaluator::EvalFactor(const QString& source)
{
    const QString text = TrimBlanks(source);
    // An empty operand (an empty pair of parentheses, a sign with nothing after it) has no value.
    if (text.isEmpty()) {
        AddError();
        return;
    }
    const qsizetype n = text.size();
    const QChar first = text[0];
    const QChar last = text[n - 1];
    if (QStringView(text).left(3).compare(u"not", Qt::CaseInsensitive) == 0) {
        Add(std::make_unique<TKVEvElementNegation>());
        EvalFactor(text.mid(3));
    } else if (IsDigit(first)) {
        EvalNumber(text);
    } else if (IsLetter(first)) {
        const qsizetype open = text.indexOf(u'(');
        if (open < 0)
            EvalFunction(text, QString());
        else if (last != u')')
            AddError();
        else
            EvalFunction(text.left(open), text.mid(open + 1, n - open - 2));
    } else if (first == u'[') {
        if (n >= 2 && last == u']')
            EvalVariable(text.mid(1, n - 2));
        else
            AddError();
    } else if (first == u'\'') {
        // Taken literally: there is no escape, so a string cannot hold a quote.
        if (n >= 2 && last == u'\'')
            Add(std::make_unique<TKVEvElementString>(text.mid(1, n - 2)));
        else
            AddError();
    } else if (first == u'(') {
        if (n >= 2 && last == u')')
            EvalExpression(text.mid(1, n - 2));
        else
            AddError();
    } else if (first == u'+') {
        EvalFactor(text.mid(1));
    } else if (first == u'-') {
        Add(std::make_unique<TKVEvElementNegation>());
        EvalFactor(text.mid(1));
    } else {
        AddError();
    }
}

void TKVEvaluator::EvalNumber(const QString& text)
{
    qsizetype digits = 0;
    while (digits < text.size() && IsDigit(text[digits]))
        ++digits;
    if (digits == text.size() && digits <= 9) {
        Add(std::make_unique<TKVEvElementConstant>(TKVEvResult::Integer(text.toInt())));
        return;
    }
    for (qsizetype i = digits; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!IsDigit(c) && c != u'.' && c != u'+' && c != u'-' && c != u'E' && c != u'e') {
            AddError();
            return;
        }
    }
    QString number = text;
    number.replace(u'.', FormatSettings().DecimalSeparator);
    long double value = 0;
    // A malformed number ("1.2.3", or "1e" left of an exponent's sign) is an expression error
    // like any other: a value of kind ERROR, not a failure of the run.
    if (TryStrToFloat(number, value) && std::isfinite(static_cast<double>(value)))
        Add(std::make_unique<TKVEvElementConstant>(TKVEvResult::Float(static_cast<double>(value))));
    else
        AddError();
}

void TKVEvaluator::EvalFunction(const QString& name, const QString& argumentText)
{
    const QString upper = AnsiUpperCase(name);
    if (FunctionLibrary && FunctionLibrary->Entries()->IndexOf(upper) >= 0) {
        Add(FunctionLibrary->GetFunction(upper));
        qsizetype start = 0;
        for (;;) {
            const qsizetype sep = ScanTopLevel(argumentText, start, [&](qsizetype k) { return argumentText[k] == ArgSeparator; });
            const QString piece = argumentText.mid(start, sep < 0 ? -1 : sep - start);
            if (!piece.isEmpty())
                EvalExpression(piece);
            if (sep < 0)
                break;
            start = sep + 1;
        }
        Add(std::make_unique<TKVEvElementArgumentEnd>());
    } else if (argumentText.isEmpty()) {
        EvalVariable(upper);
    } else {
        AddError();
    }
}

void TKVEvaluator::EvalVariable(const QString& fieldName)
{
    if (!FDataSets) {
        AddError();
        return;
    }
    const qsizetype dot = fieldName.indexOf(u'.');
    const QString setName = dot < 0 ? QString() : AnsiUpperCase(fieldName.left(dot));
    const QString name = AnsiUpperCase(dot < 0 ? fieldName : fieldName.mid(dot + 1));
    TField* field = nullptr;
    for (TDataSet* dataSet : *FDataSets) {
        if (!dataSet)
            continue;
        if (dot < 0) {
            field = dataSet->FindField(name);
            if (field)
                break;
        } else if (dataSet->Name().compare(setName, Qt::CaseInsensitive) == 0) {
            field = dataSet->FindField(name);
            break;
        }
    }
    if (field)
        Add(std::make_unique<TKVEvElementDataField>(field));
    else
        AddError();
}

} // namespace tessiv
