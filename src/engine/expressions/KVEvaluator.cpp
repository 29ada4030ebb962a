#include "engine/expressions/KVEvaluator.h"

#include "engine/expressions/KVFunctionLibrary.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"

#include <cmath>

namespace tessiv {

namespace {

// The operator and separator scans look at the first 255 characters of a text.
constexpr qsizetype ScanLimit = 255;

constexpr std::uint8_t ExchangeSigns = 1;    // "+" and "-"
constexpr std::uint8_t ExchangeProducts = 2; // "*" and "/"

// A character as read at depth 0 outside strings, with the span's exchanges.
QChar Exchanged(QChar c, std::uint8_t exchanges)
{
    if (exchanges & ExchangeSigns) {
        if (c == u'+')
            return u'-';
        if (c == u'-')
            return u'+';
    }
    if (exchanges & ExchangeProducts) {
        if (c == u'*')
            return u'/';
        if (c == u'/')
            return u'*';
    }
    return c;
}

// Walks a text keeping the nesting depth and whether it is inside a quoted string, as every scan
// of the parser does: a single quote toggles strings, "(" and ")" outside them count the depth.
class TTopLevelWalk {
public:
    // Steps over the character at i and tells whether it stands at depth 0 outside strings.
    bool AtTopLevel(QChar c)
    {
        if (c == u'\'') {
            FInString = !FInString;
            return false;
        }
        if (FInString)
            return false;
        if (c == u'(') {
            ++FDepth;
            return false;
        }
        if (c == u')') {
            --FDepth;
            return false;
        }
        return FDepth == 0;
    }

private:
    bool FInString = false;
    int FDepth = 0;
};

// The first index at or after `from` where `match` holds for the character as read, looking only
// at depth 0 outside quoted strings; the last character is never looked at. -1 when there is none.
template <class Match>
qsizetype ScanTopLevel(QStringView text, std::uint8_t exchanges, qsizetype from, Match match)
{
    const qsizetype end = std::min(text.size() - 1, ScanLimit);
    TTopLevelWalk walk;
    for (qsizetype i = 0; i < end; ++i)
        if (walk.AtTopLevel(text[i]) && i >= from && match(i, Exchanged(text[i], exchanges)))
            return i;
    return -1;
}

// A blank followed by the word and a blank, in any letter case ("or", "and").
bool IsWordOperator(QStringView text, qsizetype i, QStringView word)
{
    return text[i] == u' ' && text.size() > i + word.size() + 1 &&
           text.mid(i + 1, word.size()).compare(word, Qt::CaseInsensitive) == 0 && text[i + word.size() + 1] == u' ';
}

// Leading and trailing blanks removed; a text of blanks only keeps one.
QStringView TrimBlanks(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    if (first == last && !text.isEmpty())
        return text.left(1);
    return text.mid(first, last - first);
}

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Raised inside the parser when the text nests too deeply; Prepare turns it into ERROR.
struct TTooDeeplyNested {};

} // namespace

// One level of parentheses while it is parsed.
class TKVEvNestingLevel {
public:
    explicit TKVEvNestingLevel(TKVEvaluator& evaluator) : FEvaluator(evaluator)
    {
        if (++FEvaluator.FNesting > KVMaxNesting) {
            --FEvaluator.FNesting;
            throw TTooDeeplyNested();
        }
    }
    ~TKVEvNestingLevel() { --FEvaluator.FNesting; }
    TKVEvNestingLevel(const TKVEvNestingLevel&) = delete;
    TKVEvNestingLevel& operator=(const TKVEvNestingLevel&) = delete;

private:
    TKVEvaluator& FEvaluator;
};

TKVEvaluator::TKVEvaluator() = default;

TKVEvaluator::~TKVEvaluator() { Unprepare(); }

void TKVEvaluator::Prepare(const QString& expression)
{
    Unprepare();
    const QString text = expression.isEmpty() ? QStringLiteral("' '") : expression;
    FFiFo = std::make_unique<TKVFiFo>();
    FNesting = 0;
    try {
        EvalExpression(TSpan{text, 0});
    } catch (const TTooDeeplyNested&) {
        // Nothing of a text nested beyond the limit is kept: it has no value at all.
        FFiFo = std::make_unique<TKVFiFo>();
        AddError();
    } catch (...) {
        FExchangedTexts.clear();
        Unprepare();
        throw;
    }
    FExchangedTexts.clear();
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

QStringView TKVEvaluator::Inner(TSpan span, qsizetype from, qsizetype to)
{
    if (span.Exchanges == 0)
        return span.Text.mid(from, to - from);
    // Only characters at the span's own depth 0 are read exchanged; inside a pair of parentheses
    // there are none unless the pair closes early ("(1)-(2)" seen whole past the scan limit).
    QString copy;
    TTopLevelWalk walk;
    for (qsizetype i = 0; i < to; ++i) {
        const QChar c = span.Text[i];
        const bool top = walk.AtTopLevel(c);
        if (i < from)
            continue;
        const QChar read = top ? Exchanged(c, span.Exchanges) : c;
        if (read != c && copy.isNull())
            copy = span.Text.mid(from, to - from).toString();
        if (!copy.isNull())
            copy[i - from] = read;
    }
    if (copy.isNull())
        return span.Text.mid(from, to - from);
    FExchangedTexts.push_back(std::move(copy));
    return FExchangedTexts.back();
}

void TKVEvaluator::EvalExpression(QStringView text) { EvalExpression(TSpan{text, 0}); }

void TKVEvaluator::EvalExpression(TSpan span)
{
    const QStringView text = span.Text;
    const qsizetype i = ScanTopLevel(text, span.Exchanges, 1, [](qsizetype, QChar c) {
        return c == u'<' || c == u'=' || c == u'>';
    });
    if (i < 0) {
        EvalSimpleExpression(span);
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
    EvalSimpleExpression(TSpan{text.left(i), span.Exchanges});
    EvalSimpleExpression(TSpan{text.mid(i + length), span.Exchanges});
}

void TKVEvaluator::EvalSimpleExpression(TSpan span)
{
    // a + b + c is a + (b + c): the right side is split again, in this loop rather than by
    // recursion, so a long chain needs no deeper stack.
    for (;;) {
        const QStringView text = span.Text;
        TKVEvOperator op = opPlus;
        const qsizetype i = ScanTopLevel(text, span.Exchanges, 1, [&](qsizetype k, QChar c) {
            op = c == u'+' ? opPlus : c == u'-' ? opMinus : opOr;
            return c == u'+' || c == u'-' || IsWordOperator(text, k, u"or");
        });
        if (i < 0) {
            EvalTerm(span);
            return;
        }
        Add(std::make_unique<TKVEvElementOperator>(op));
        EvalTerm(TSpan{text.left(i), span.Exchanges});
        // a - b + c is a - (b - c): the right side's signs turn so the result is the usual one.
        span = TSpan{text.mid(op == opOr ? i + 4 : i + 1),
                     static_cast<std::uint8_t>(op == opMinus ? span.Exchanges ^ ExchangeSigns : span.Exchanges)};
    }
}

void TKVEvaluator::EvalTerm(TSpan span)
{
    for (;;) {
        const QStringView text = span.Text;
        TKVEvOperator op = opMultiply;
        const qsizetype i = ScanTopLevel(text, span.Exchanges, 1, [&](qsizetype k, QChar c) {
            op = c == u'*' ? opMultiply : c == u'/' ? opDivide : opAnd;
            return c == u'*' || c == u'/' || IsWordOperator(text, k, u"and");
        });
        if (i < 0) {
            EvalFactor(span);
            return;
        }
        Add(std::make_unique<TKVEvElementOperator>(op));
        EvalFactor(TSpan{text.left(i), span.Exchanges});
        // a / b * c is a / (b / c), for the same reason as the signs.
        span = TSpan{text.mid(op == opAnd ? i + 5 : i + 1),
                     static_cast<std::uint8_t>(op == opDivide ? span.Exchanges ^ ExchangeProducts : span.Exchanges)};
    }
}

void TKVEvaluator::EvalFactor(TSpan span)
{
    // Signs and "not" in front of a factor, however many, in a loop.
    QStringView text;
    for (;;) {
        text = TrimBlanks(span.Text);
        // An empty operand (an empty pair of parentheses, a sign with nothing after it) has no value.
        if (text.isEmpty()) {
            AddError();
            return;
        }
        const QChar first = Exchanged(text[0], span.Exchanges);
        if (text.left(3).compare(u"not", Qt::CaseInsensitive) == 0) {
            Add(std::make_unique<TKVEvElementNegation>());
            span.Text = text.mid(3);
        } else if (first == u'+') {
            span.Text = text.mid(1);
        } else if (first == u'-') {
            Add(std::make_unique<TKVEvElementNegation>());
            span.Text = text.mid(1);
        } else {
            break;
        }
    }
    span.Text = text;
    const qsizetype n = text.size();
    const QChar first = text[0];
    const QChar last = text[n - 1];
    if (IsDigit(first)) {
        EvalNumber(Inner(span, 0, n).toString());
    } else if (IsLetter(first)) {
        const qsizetype open = text.indexOf(u'(');
        if (open < 0) {
            EvalFunction(Inner(span, 0, n).toString(), QStringView());
        } else if (last != u')') {
            AddError();
        } else {
            const TKVEvNestingLevel level(*this);
            EvalFunction(Inner(span, 0, open).toString(), Inner(span, open + 1, n - 1));
        }
    } else if (first == u'[') {
        if (n >= 2 && last == u']')
            EvalVariable(Inner(span, 1, n - 1).toString());
        else
            AddError();
    } else if (first == u'\'') {
        // Taken literally: there is no escape, so a string cannot hold a quote.
        if (n >= 2 && last == u'\'')
            Add(std::make_unique<TKVEvElementString>(Inner(span, 1, n - 1).toString()));
        else
            AddError();
    } else if (first == u'(') {
        if (n >= 2 && last == u')') {
            const TKVEvNestingLevel level(*this);
            EvalExpression(TSpan{Inner(span, 1, n - 1), 0});
        } else {
            AddError();
        }
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

void TKVEvaluator::EvalFunction(const QString& name, QStringView argumentText)
{
    const QString upper = AnsiUpperCase(name);
    if (FunctionLibrary && FunctionLibrary->Entries()->IndexOf(upper) >= 0) {
        Add(FunctionLibrary->GetFunction(upper));
        qsizetype start = 0;
        for (;;) {
            const qsizetype sep = ScanTopLevel(argumentText, 0, start,
                                               [](qsizetype, QChar c) { return c == ArgSeparator; });
            const QStringView piece = argumentText.mid(start, sep < 0 ? argumentText.size() - start : sep - start);
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
