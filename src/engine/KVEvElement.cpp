#include "engine/KVEvElement.h"

#include "platform/data/DataSet.h"
#include "platform/data/Field.h"

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
    r.StringResult = value.size() > KVMaxStringLength ? value.left(KVMaxStringLength) : value;
    return r;
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
        // Code units compared one by one, a prefix below the longer text; case counts.
        if (IsComparison(op))
            return Compare(op, left.StringResult, right.StringResult);
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
    TKVEvResult left = NextOperand(list);
    TKVEvResult right = NextOperand(list);
    result = Apply(FOperator, std::move(left), std::move(right));
}

void TKVEvElementNegation::Value(TKVFiFo& list, TKVEvResult& result)
{
    const TKVEvResult operand = NextOperand(list);
    switch (operand.Kind) {
    case TKVEvResultType::INTEGER: result = TKVEvResult::Integer(Wrap(-static_cast<std::int64_t>(operand.IntResult))); break;
    case TKVEvResultType::FLOAT: result = TKVEvResult::Float(-operand.FloatResult); break;
    case TKVEvResultType::BOOLEAN: result = TKVEvResult::Boolean(!operand.BoolResult); break;
    default: result = TKVEvResult::Error(); break;
    }
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
    const bool empty = field->IsNull();
    if (field->InheritsFrom(TStringField::StaticClass()))
        return TKVEvResult::String(empty ? QString() : field->AsString());
    if (field->InheritsFrom(TIntegerField::StaticClass()))
        return TKVEvResult::Integer(empty ? 0 : field->AsInteger());
    if (field->InheritsFrom(TFloatField::StaticClass()) || field->InheritsFrom(TBCDField::StaticClass()))
        return TKVEvResult::Float(empty ? 0.0 : static_cast<double>(field->AsFloat()));
    if (field->InheritsFrom(TBooleanField::StaticClass()))
        return TKVEvResult::Boolean(empty ? false : field->AsBoolean());
    if (field->InheritsFrom(TDateTimeField::StaticClass())) // dates and times with them
        return TKVEvResult::String(empty ? QString() : field->AsString());
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
