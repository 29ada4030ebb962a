#include "engine/expressions/KVFunctions.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace tessiv {

namespace {

using K = TKVEvResultType;

bool Fits32(std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// A float truncated toward zero, when the result is a 32-bit integer.
std::optional<std::int32_t> Truncated(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double t = std::trunc(v);
    if (t < INT32_MIN || t > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(t);
}

// A float rounded to the nearest integer, halves to the even neighbour, when it is a 32-bit integer.
std::optional<std::int32_t> Rounded(double v)
{
    if (!std::isfinite(v) || std::fabs(v) > 4.0e9)
        return std::nullopt;
    const std::int64_t r = Round(static_cast<long double>(v));
    if (!Fits32(r))
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

// The one STRING argument of a text function, or nothing.
const QString* StringArgument(const TKVEvElementFunction& f)
{
    if (f.ArgumentCount() != 1 || f.Arg(0).Kind != K::STRING)
        return nullptr;
    return &f.Arg(0).StringResult;
}

// Only a..z and A..Z change; other characters stay as they are.
QChar AsciiUpper(QChar c) { return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c; }
QChar AsciiLower(QChar c) { return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c; }

// The dates the platform's conversions handle: 01/01/0001 to 31/12/9999.
bool IsDateTimeInRange(double v) { return std::isfinite(v) && v >= -693593.0 && v < 2958466.0; }

// The one STRING argument read as a date-time FLOAT; ERROR when it does not convert.
template <class Convert>
TKVEvResult DateTimeValue(const TKVEvElementFunction& f, Convert convert)
{
    const QString* s = StringArgument(f);
    TDateTime value = 0;
    if (!s || !convert(*s, value) || !std::isfinite(value))
        return TKVEvResult::Error();
    return TKVEvResult::Float(value);
}

// A text made from the one FLOAT date-time argument; ERROR for any other argument or a value the
// conversion cannot show.
template <class Convert>
void DateTimeText(const TKVEvElementFunction& f, TKVEvResult& result, Convert convert)
{
    result = TKVEvResult::Error();
    if (f.ArgumentCount() != 1 || f.Arg(0).Kind != K::FLOAT || !IsDateTimeInRange(f.Arg(0).FloatResult))
        return;
    try {
        result = TKVEvResult::String(convert(f.Arg(0).FloatResult));
    } catch (const Exception&) {
        result = TKVEvResult::Error();
    }
}

// -1, 0 or 1 for a value against the running value of MAX and MIN; nothing for kinds that do not
// compare (numbers compare with numbers, texts with texts, booleans with booleans).
std::optional<int> CompareValues(const TKVEvResult& value, const TKVEvResult& running)
{
    if (value.IsNumber() && running.IsNumber()) {
        if (value.Kind == K::INTEGER && running.Kind == K::INTEGER)
            return (value.IntResult > running.IntResult) - (value.IntResult < running.IntResult);
        const double a = value.AsFloat();
        const double b = running.AsFloat();
        return (a > b) - (a < b);
    }
    if (value.Kind != running.Kind)
        return std::nullopt;
    if (value.Kind == K::STRING) {
        return KVCompareStrings(value.StringResult, running.StringResult);
    }
    if (value.Kind == K::BOOLEAN)
        return int(value.BoolResult) - int(running.BoolResult);
    return std::nullopt;
}

} // namespace

void TKVFunctionIf::Calculate(TKVEvResult& result)
{
    if (ArgumentCount() != 3 || Arg(0).Kind != K::BOOLEAN)
        result = TKVEvResult::Error();
    else
        result = Arg(0).BoolResult ? Arg(1) : Arg(2);
}

void TKVFunctionStr::Calculate(TKVEvResult& result)
{
    result = TKVEvResult::Error();
    if (ArgumentCount() != 1)
        return;
    const TKVEvResult& a = Arg(0);
    switch (a.Kind) {
    case K::INTEGER: result = TKVEvResult::String(IntToStr(a.IntResult)); break;
    case K::FLOAT: result = TKVEvResult::String(FloatToStr(a.FloatResult)); break;
    case K::BOOLEAN: result = TKVEvResult::String(a.BoolResult ? QStringLiteral("True") : QStringLiteral("False")); break;
    default: break;
    }
}

namespace {
// The single string argument with each character mapped by map(index, character); ERROR when the
// argument is missing or not a string.
template <class Map>
TKVEvResult MapString(const TKVEvElementFunction& f, Map map)
{
    const QString* s = StringArgument(f);
    if (!s)
        return TKVEvResult::Error();
    QString t = *s;
    for (qsizetype i = 0; i < t.size(); ++i)
        t[i] = map(i, t[i]);
    return TKVEvResult::String(t);
}
} // namespace

void TKVFunctionUpper::Calculate(TKVEvResult& result)
{
    result = MapString(*this, [](qsizetype, QChar c) { return AsciiUpper(c); });
}

void TKVFunctionLower::Calculate(TKVEvResult& result)
{
    result = MapString(*this, [](qsizetype, QChar c) { return AsciiLower(c); });
}

void TKVFunctionPretty::Calculate(TKVEvResult& result)
{
    result = MapString(*this, [](qsizetype i, QChar c) { return i == 0 ? AsciiUpper(c) : AsciiLower(c); });
}

void TKVFunctionTime::Calculate(TKVEvResult& result)
{
    result = ArgumentCount() == 0 ? TKVEvResult::String(TimeToStr(Time())) : TKVEvResult::Error();
}

void TKVFunctionDate::Calculate(TKVEvResult& result)
{
    result = ArgumentCount() == 0 ? TKVEvResult::String(DateToStr(Date())) : TKVEvResult::Error();
}

void TKVFunctionCopy::Calculate(TKVEvResult& result)
{
    if (ArgumentCount() != 3 || Arg(0).Kind != K::STRING || Arg(1).Kind != K::INTEGER || Arg(2).Kind != K::INTEGER) {
        result = TKVEvResult::Error();
        return;
    }
    const QString& s = Arg(0).StringResult;
    const std::int64_t start = std::max<std::int64_t>(Arg(1).IntResult, 1);
    const std::int64_t length = Arg(2).IntResult;
    if (start > s.size() || length < 1) {
        result = TKVEvResult::String(QString());
        return;
    }
    const std::int64_t count = std::min<std::int64_t>(length, s.size() - start + 1);
    result = TKVEvResult::String(s.mid(static_cast<qsizetype>(start - 1), static_cast<qsizetype>(count)));
}

void TKVFunctionTrue::Calculate(TKVEvResult& result)
{
    result = ArgumentCount() == 0 ? TKVEvResult::Boolean(true) : TKVEvResult::Error();
}

void TKVFunctionFalse::Calculate(TKVEvResult& result)
{
    result = ArgumentCount() == 0 ? TKVEvResult::Boolean(false) : TKVEvResult::Error();
}

void TKVFunctionInt::Calculate(TKVEvResult& result)
{
    result = TKVEvResult::Error();
    if (ArgumentCount() != 1)
        return;
    const TKVEvResult& a = Arg(0);
    if (a.Kind == K::INTEGER)
        result = a;
    else if (a.Kind == K::FLOAT) {
        // Beyond the 32-bit range there is no INTEGER to give.
        if (const auto t = Truncated(a.FloatResult))
            result = TKVEvResult::Integer(*t);
    }
}

void TKVFunctionFrac::Calculate(TKVEvResult& result)
{
    result = TKVEvResult::Error();
    if (ArgumentCount() != 1)
        return;
    const TKVEvResult& a = Arg(0);
    if (a.Kind == K::INTEGER)
        result = TKVEvResult::Float(0.0);
    else if (a.Kind == K::FLOAT) {
        double whole;
        result = TKVEvResult::Float(std::modf(a.FloatResult, &whole));
    }
}

void TKVFunctionSqrt::Calculate(TKVEvResult& result)
{
    // A negative number has no square root among the values.
    if (ArgumentCount() != 1 || !Arg(0).IsNumber() || Arg(0).AsFloat() < 0.0 || std::isnan(Arg(0).AsFloat()))
        result = TKVEvResult::Error();
    else
        result = TKVEvResult::Float(std::sqrt(Arg(0).AsFloat()));
}

void TKVFunctionDiv::Calculate(TKVEvResult& result)
{
    result = TKVEvResult::Error();
    if (ArgumentCount() != 2 || !Arg(0).IsNumber() || !Arg(1).IsNumber())
        return;
    std::int32_t operand[2];
    for (int i = 0; i < 2; ++i) {
        const TKVEvResult& a = Arg(i);
        if (a.Kind == K::INTEGER)
            operand[i] = a.IntResult;
        else if (const auto r = Rounded(a.FloatResult))
            operand[i] = *r;
        else
            return;
    }
    if (operand[1] == 0)
        return;
    const std::int64_t q = static_cast<std::int64_t>(operand[0]) / operand[1];
    if (Fits32(q)) // -2147483648 div -1 does not
        result = TKVEvResult::Integer(static_cast<std::int32_t>(q));
}

void TKVFunctionTypeOf::Calculate(TKVEvResult& result)
{
    result = ArgumentCount() == 1 ? TKVEvResult::String(KVEvResultTypeName(Arg(0).Kind)) : TKVEvResult::Error();
}

void TKVFunctionFormatNumeric::Calculate(TKVEvResult& result)
{
    result = TKVEvResult::Error();
    if (ArgumentCount() != 2 || Arg(0).Kind != K::STRING || !Arg(1).IsNumber())
        return;
    try {
        result = TKVEvResult::String(FormatFloat(Arg(0).StringResult, Arg(1).AsFloat()));
    } catch (const Exception&) {
        result = TKVEvResult::Error();
    }
}

void TKVFunctionFormatDateTime::Calculate(TKVEvResult& result)
{
    result = TKVEvResult::Error();
    if (ArgumentCount() != 2 || Arg(0).Kind != K::STRING)
        return;
    const TKVEvResult& d = Arg(1);
    TDateTime value = 0;
    if (d.Kind == K::STRING) {
        if (!TryStrToDateTime(d.StringResult, value) && !TryStrToTime(d.StringResult, value))
            return;
    } else if (d.IsNumber()) {
        value = d.AsFloat();
    } else {
        return;
    }
    if (!IsDateTimeInRange(value))
        return;
    try {
        result = TKVEvResult::String(FormatDateTime(Arg(0).StringResult, value));
    } catch (const Exception&) {
        result = TKVEvResult::Error();
    }
}

void TKVFunctionTrim::Calculate(TKVEvResult& result)
{
    const QString* s = StringArgument(*this);
    result = s ? TKVEvResult::String(Trim(*s)) : TKVEvResult::Error();
}

void TKVFunctionTrimLeft::Calculate(TKVEvResult& result)
{
    const QString* s = StringArgument(*this);
    result = s ? TKVEvResult::String(TrimLeft(*s)) : TKVEvResult::Error();
}

void TKVFunctionTrimRight::Calculate(TKVEvResult& result)
{
    const QString* s = StringArgument(*this);
    result = s ? TKVEvResult::String(TrimRight(*s)) : TKVEvResult::Error();
}

void TKVFunctionStrToDate::Calculate(TKVEvResult& result)
{
    result = DateTimeValue(*this, [](const QString& s, TDateTime& v) { return TryStrToDate(s, v); });
}

void TKVFunctionStrToTime::Calculate(TKVEvResult& result)
{
    result = DateTimeValue(*this, [](const QString& s, TDateTime& v) { return TryStrToTime(s, v); });
}

void TKVFunctionStrToDateTime::Calculate(TKVEvResult& result)
{
    result = DateTimeValue(*this, [](const QString& s, TDateTime& v) { return TryStrToDateTime(s, v); });
}

void TKVFunctionDateToStr::Calculate(TKVEvResult& result)
{
    DateTimeText(*this, result, [](TDateTime v) { return DateToStr(v); });
}

void TKVFunctionTimeToStr::Calculate(TKVEvResult& result)
{
    DateTimeText(*this, result, [](TDateTime v) { return TimeToStr(v); });
}

void TKVFunctionDateTimeToStr::Calculate(TKVEvResult& result)
{
    DateTimeText(*this, result, [](TDateTime v) { return DateTimeToStr(v); });
}

void TKVFunctionNum::Calculate(TKVEvResult& result)
{
    const QString* s = StringArgument(*this);
    long double value = 0;
    // A value beyond the range of a FLOAT does not convert either.
    if (s && TryStrToFloat(*s, value) && std::isfinite(static_cast<double>(value)))
        result = TKVEvResult::Float(static_cast<double>(value));
    else
        result = TKVEvResult::Error();
}

// ---- aggregates ------------------------------------------------------------------------------

void TKVFunctionSum::Reset()
{
    FSum = TKVEvResult::Error();
    FHasValue = false;
}

void TKVFunctionSum::Aggregate()
{
    if (ArgumentCount() != 1) {
        FSum = TKVEvResult::Error();
        FHasValue = true;
        return;
    }
    const TKVEvResult& v = Arg(0);
    if (!FHasValue) {
        FHasValue = true;
        FSum = v.IsNumber() ? v : TKVEvResult::Error();
        return;
    }
    if (FSum.Kind == K::ERROR)
        return;
    switch (v.Kind) {
    case K::STRING: FSum = TKVEvResult::Error(); break;
    case K::INTEGER:
        if (FSum.Kind == K::INTEGER) {
            const std::int64_t s = static_cast<std::int64_t>(FSum.IntResult) + v.IntResult;
            FSum = Fits32(s) ? TKVEvResult::Integer(static_cast<std::int32_t>(s))
                             : TKVEvResult::Float(static_cast<double>(s));
        } else {
            FSum = TKVEvResult::Float(FSum.FloatResult + v.IntResult);
        }
        break;
    case K::FLOAT: FSum = TKVEvResult::Float(FSum.AsFloat() + v.FloatResult); break;
    default: break; // a BOOLEAN or an ERROR is no number to add
    }
}

void TKVFunctionSum::Calculate(TKVEvResult& result) { result = FHasValue ? FSum : TKVEvResult::Error(); }

void TKVFunctionAverage::Reset()
{
    TKVFunctionSum::Reset();
    FAverage = TKVEvResult::Error();
    FCount = 0;
}

void TKVFunctionAverage::Aggregate()
{
    TKVFunctionSum::Aggregate();
    ++FCount;
    FAverage = FSum.IsNumber() ? TKVEvResult::Float(FSum.AsFloat() / FCount) : TKVEvResult::Error();
}

void TKVFunctionAverage::Calculate(TKVEvResult& result) { result = FAverage; }

void TKVFunctionMax::Reset()
{
    FValue = TKVEvResult::Error();
    FHasValue = false;
}

void TKVFunctionMax::Aggregate()
{
    if (ArgumentCount() != 1) {
        FValue = TKVEvResult::Error();
        FHasValue = true;
        return;
    }
    const TKVEvResult& v = Arg(0);
    if (!FHasValue) {
        FHasValue = true;
        FValue = v;
        return;
    }
    if (FValue.Kind == K::ERROR)
        return;
    // A value that does not compare with the running one leaves no answer to give.
    const auto c = CompareValues(v, FValue);
    if (!c)
        FValue = TKVEvResult::Error();
    else if (Replaces(*c))
        FValue = v;
}

void TKVFunctionMax::Calculate(TKVEvResult& result) { result = FHasValue ? FValue : TKVEvResult::Error(); }

void TKVFunctionCount::Value(TKVFiFo& list, TKVEvResult& result)
{
    CollectArguments(list);
    if (ArgumentCount() == 0) {
        if (list.Aggregate())
            ++FCount;
        result = TKVEvResult::Integer(FCount);
    } else {
        result = TKVEvResult::Error();
    }
    FreeArguments();
}

} // namespace tessiv
