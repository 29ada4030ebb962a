#include "engine/expressions/KVEvElement.h"

#include "platform/core/Exceptions.h"

#include "platform/core/Cp1252.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tessiv {

TKVEvResult TKVEvResult::Integer(std::int32_t value)
{
    TKVEvResult r;
    r.Kind = TKVEvResultType::INTEGER;
    r.IntResult = value;
    return r;
}

TKVEvResult TKVEvResult::Float(double value)
{
    TKVEvResult r;
    r.Kind = TKVEvResultType::FLOAT;
    r.FloatResult = value;
    return r;
}

TKVEvResult TKVEvResult::String(const QString& value)
{
    TKVEvResult r;
    r.Kind = TKVEvResultType::STRING;
    if (value.size() > KVMaxStringLength) {
        qsizetype n = KVMaxStringLength;
        // Half a surrogate pair is no character at all.
        if (value[n - 1].isHighSurrogate())
            --n;
        r.StringResult = value.left(n);
    } else {
        r.StringResult = value;
    }
    return r;
}

namespace {

// A character's place in the code page's order: its Windows-1252 byte, or past every byte.
int CodePageOrder(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    // The bytes 0x80 to 0x9F hold the characters that differ from Latin-1; the table is the
    // converter's own.
    static const std::array<char16_t, 32> high = [] {
        std::array<char16_t, 32> t{};
        for (int b = 0; b < 32; ++b) {
            const char byte = static_cast<char>(0x80 + b);
            t[static_cast<std::size_t>(b)] = FromCp1252(&byte, 1).at(0).unicode();
        }
        return t;
    }();
    for (std::size_t i = 0; i < high.size(); ++i)
        if (high[i] == c)
            return 0x80 + static_cast<int>(i);
    return 0x100 + c;
}

} // namespace

int KVCompareStrings(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int x = CodePageOrder(a[i].unicode());
        const int y = CodePageOrder(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

TKVEvResult TKVEvResult::Boolean(bool value)
{
    TKVEvResult r;
    r.Kind = TKVEvResultType::BOOLEAN;
    r.BoolResult = value;
    return r;
}

QString KVEvResultTypeName(TKVEvResultType kind)
{
    switch (kind) {
    case TKVEvResultType::INTEGER: return QStringLiteral("INTEGER");
    case TKVEvResultType::FLOAT: return QStringLiteral("FLOAT");
    case TKVEvResultType::STRING: return QStringLiteral("STRING");
    case TKVEvResultType::BOOLEAN: return QStringLiteral("BOOLEAN");
    case TKVEvResultType::ERROR: break;
    }
    return QStringLiteral("ERROR");
}

namespace {

// The operand that the list gives next; ERROR when the list has run out.
TKVEvResult NextOperand(TKVFiFo& list)
{
    TKVEvResult value;
    if (TKVEvElement* e = list.Next())
        e->Value(list, value);
    else
        value = TKVEvResult::Error();
    return value;
}

// 32-bit two's complement arithmetic, as the integer operators wrap.
std::int32_t Wrap(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

template <class T>
TKVEvResult Compare(TKVEvOperator op, const T& a, const T& b)
{
    switch (op) {
    case opLess: return TKVEvResult::Boolean(a < b);
    case opLessOrEqual: return TKVEvResult::Boolean(a <= b);
    case opGreater: return TKVEvResult::Boolean(a > b);
    case opGreaterOrEqual: return TKVEvResult::Boolean(a >= b);
    case opEqual: return TKVEvResult::Boolean(a == b);
    case opNotEqual: return TKVEvResult::Boolean(!(a == b));
    default: return TKVEvResult::Error();
    }
}

bool IsComparison(TKVEvOperator op) { return op <= opNotEqual; }

} // namespace

TKVEvResult TKVEvElementOperator::Apply(TKVEvOperator op, TKVEvResult left, TKVEvResult right)
{
    using K = TKVEvResultType;
    if (left.Kind != right.Kind) {
        if (left.Kind == K::INTEGER && right.Kind == K::FLOAT)
            left = TKVEvResult::Float(left.IntResult);
        else if (left.Kind == K::FLOAT && right.Kind == K::INTEGER)
            right = TKVEvResult::Float(right.IntResult);
        else
            return TKVEvResult::Error();
    }
    switch (left.Kind) {
    case K::INTEGER: {
        const std::int64_t a = left.IntResult;
        const std::int64_t b = right.IntResult;
        if (IsComparison(op))
            return Compare(op, a, b);
        switch (op) {
        case opPlus: return TKVEvResult::Integer(Wrap(a + b));
        case opMinus: return TKVEvResult::Integer(Wrap(a - b));
        case opMultiply: return TKVEvResult::Integer(Wrap(a * b));
        case opDivide:
            if (b == 0)
                return TKVEvResult::Error();
            return TKVEvResult::Float(static_cast<double>(a) / static_cast<double>(b));
        case opOr: return TKVEvResult::Integer(left.IntResult | right.IntResult);
        case opAnd: return TKVEvResult::Integer(left.IntResult & right.IntResult);
        default: return TKVEvResult::Error();
        }
    }
    case K::FLOAT: {
        const double a = left.FloatResult;
        const double b = right.FloatResult;
        if (IsComparison(op))
            return Compare(op, a, b);
        switch (op) {
        case opPlus: return TKVEvResult::Float(a + b);
        case opMinus: return TKVEvResult::Float(a - b);
        case opMultiply: return TKVEvResult::Float(a * b);
        case opDivide:
            if (b == 0.0)
                return TKVEvResult::Error();
            return TKVEvResult::Float(a / b);
        default: return TKVEvResult::Error();
        }
    }
    case K::STRING:
        // Characters compared one by one in the code page's order, a prefix below the longer
        // text; case counts.
        if (IsComparison(op))
            return Compare(op, KVCompareStrings(left.StringResult, right.StringResult), 0);
        if (op == opPlus)
            return TKVEvResult::String(left.StringResult + right.StringResult);
        return TKVEvResult::Error();
    case K::BOOLEAN:
        switch (op) {
        case opEqual: return TKVEvResult::Boolean(left.BoolResult == right.BoolResult);
        case opNotEqual: return TKVEvResult::Boolean(left.BoolResult != right.BoolResult);
        case opOr: return TKVEvResult::Boolean(left.BoolResult || right.BoolResult);
        case opAnd: return TKVEvResult::Boolean(left.BoolResult && right.BoolResult);
        default: return TKVEvResult::Error();
        }
    case K::ERROR: break;
    }
    return TKVEvResult::Error();
}

void TKVEvElementOperator::Value(TKVFiFo& list, TKVEvResult& result)
{
    // a + b + c is held as a + (b + c): the right operand of an operator is often the next
    // operator of a chain. Walking that chain in a loop, and applying the operators from its end
    // back, gives what recursion would give, in the same order, with a stack that stays flat
    // however long the chain.
    std::vector<std::pair<TKVEvOperator, TKVEvResult>> pending;
    TKVEvOperator op = FOperator;
    for (;;) {
        TKVEvResult left = NextOperand(list);
        TKVEvElement* next = list.Next();
        if (auto* chained = dynamic_cast<TKVEvElementOperator*>(next)) {
            pending.emplace_back(op, std::move(left));
            op = chained->FOperator;
            continue;
        }
        TKVEvResult right;
        if (next)
            next->Value(list, right);
        result = Apply(op, std::move(left), std::move(right));
        break;
    }
    while (!pending.empty()) {
        result = Apply(pending.back().first, std::move(pending.back().second), std::move(result));
        pending.pop_back();
    }
}

void TKVEvElementNegation::Value(TKVFiFo& list, TKVEvResult& result)
{
    // "not not - x": a run of negations is counted, not recursed into.
    int negations = 1;
    TKVEvElement* next = list.Next();
    while (dynamic_cast<TKVEvElementNegation*>(next)) {
        ++negations;
        next = list.Next();
    }
    TKVEvResult operand;
    if (next)
        next->Value(list, operand);
    for (int i = 0; i < negations; ++i) {
        switch (operand.Kind) {
        case TKVEvResultType::INTEGER: operand = TKVEvResult::Integer(Wrap(-static_cast<std::int64_t>(operand.IntResult))); break;
        case TKVEvResultType::FLOAT: operand = TKVEvResult::Float(-operand.FloatResult); break;
        case TKVEvResultType::BOOLEAN: operand = TKVEvResult::Boolean(!operand.BoolResult); break;
        default: operand = TKVEvResult::Error(); break;
        }
    }
    result = std::move(operand);
}

void TKVEvElementConstant::Value(TKVFiFo&, TKVEvResult& result) { result = FValue; }

void TKVEvElementString::Value(TKVFiFo&, TKVEvResult& result) { result = FValue; }

TKVEvElementDataField::TKVEvElementDataField(TField* field)
    : FDataSet(field->DataSet()), FIndex(field->Index()), FField(field)
{
}

void TKVEvElementDataField::Value(TKVFiFo&, TKVEvResult& result)
{
    // Fields made by the dataset itself are freed and made anew at every open: the one we saw at
    // preparation may be gone, the one at its index is the same column.
    if (FDataSet && FDataSet->DefaultFields())
        FField = FDataSet->Fields(FIndex);
    result = FieldValue(FField);
}

TKVEvResult TKVEvElementDataField::FieldValue(const TField* field)
{
    // A column may hold a value its type cannot give ("abc" in an INTEGER column, a date outside
    // the calendar): that is an error value of the expression, never an error of the run.
    try {
        const bool empty = field->IsNull();
        if (field->InheritsFrom(TStringField::StaticClass()))
            return TKVEvResult::String(empty ? QString() : field->AsString());
        if (field->InheritsFrom(TIntegerField::StaticClass())) {
            // A 64-bit column may hold what 32 bits cannot: such a value is a FLOAT, as a number of
            // ten digits is in an expression, rather than a failure of the run.
            const std::int64_t v = empty ? 0 : field->AsLargeInt();
            if (v < INT32_MIN || v > INT32_MAX)
                return TKVEvResult::Float(static_cast<double>(v));
            return TKVEvResult::Integer(static_cast<std::int32_t>(v));
        }
        if (field->InheritsFrom(TFloatField::StaticClass()) || field->InheritsFrom(TBCDField::StaticClass()))
            return TKVEvResult::Float(empty ? 0.0 : static_cast<double>(field->AsFloat()));
        if (field->InheritsFrom(TBooleanField::StaticClass()))
            return TKVEvResult::Boolean(empty ? false : field->AsBoolean());
        if (field->InheritsFrom(TDateTimeField::StaticClass())) // dates and times with them
            return TKVEvResult::String(empty ? QString() : field->AsString());
    } catch (const Exception&) {
    }
    return TKVEvResult::Error();
}

void TKVEvElementError::Value(TKVFiFo&, TKVEvResult& result) { result = TKVEvResult::Error(); }

void TKVEvElementArgumentEnd::Value(TKVFiFo&, TKVEvResult& result) { result = TKVEvResult::Error(); }

void TKVEvElementFunction::CollectArguments(TKVFiFo& list)
{
    FArguments.clear();
    while (TKVEvElement* e = list.Next()) {
        if (dynamic_cast<TKVEvElementArgumentEnd*>(e))
            break;
        TKVEvResult value;
        e->Value(list, value);
        FArguments.push_back(std::make_unique<TKVEvResultClass>(value));
    }
}

void TKVEvElementFunction::Value(TKVFiFo& list, TKVEvResult& result)
{
    CollectArguments(list);
    if (list.Aggregate())
        Aggregate();
    Calculate(result);
    FreeArguments();
}

void TKVEvElementFunction::Argument(int index, TKVEvResult& value) const
{
    if (index < 0 || index >= ArgumentCount())
        value = TKVEvResult::Error();
    else
        value = Arg(index);
}

TKVEvElement* TKVFiFo::Next()
{
    if (FCursor >= FElements.size())
        return nullptr;
    return FElements[FCursor++].get();
}

} // namespace tessiv
