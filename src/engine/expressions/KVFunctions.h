#pragma once
// The built-in functions of expressions: one element class per function, registered in the
// function library at start-up. Each checks the number and kinds of its arguments and gives ERROR
// for anything else; none raises. SUM, AVERAGE, MAX, MIN and COUNT accumulate across records.

#include "engine/expressions/KVEvElement.h"

namespace tessiv {

#define TESSIV_KV_FUNCTION(Name)                          \
    class Name : public TKVEvElementFunction {            \
    public:                                               \
        void Calculate(TKVEvResult& result) override;     \
    }

TESSIV_KV_FUNCTION(TKVFunctionIf);
TESSIV_KV_FUNCTION(TKVFunctionStr);
TESSIV_KV_FUNCTION(TKVFunctionUpper);
TESSIV_KV_FUNCTION(TKVFunctionLower);
TESSIV_KV_FUNCTION(TKVFunctionPretty);
TESSIV_KV_FUNCTION(TKVFunctionTime);
TESSIV_KV_FUNCTION(TKVFunctionDate);
TESSIV_KV_FUNCTION(TKVFunctionCopy);
TESSIV_KV_FUNCTION(TKVFunctionTrue);
TESSIV_KV_FUNCTION(TKVFunctionFalse);
// INT and ROUND: an INTEGER unchanged, a FLOAT truncated toward zero.
TESSIV_KV_FUNCTION(TKVFunctionInt);
TESSIV_KV_FUNCTION(TKVFunctionFrac);
TESSIV_KV_FUNCTION(TKVFunctionSqrt);
TESSIV_KV_FUNCTION(TKVFunctionDiv);
TESSIV_KV_FUNCTION(TKVFunctionTypeOf);
TESSIV_KV_FUNCTION(TKVFunctionFormatNumeric);
TESSIV_KV_FUNCTION(TKVFunctionFormatDateTime);
TESSIV_KV_FUNCTION(TKVFunctionTrim);
TESSIV_KV_FUNCTION(TKVFunctionTrimLeft);
TESSIV_KV_FUNCTION(TKVFunctionTrimRight);
TESSIV_KV_FUNCTION(TKVFunctionStrToDate);
TESSIV_KV_FUNCTION(TKVFunctionDateToStr);
TESSIV_KV_FUNCTION(TKVFunctionStrToTime);
TESSIV_KV_FUNCTION(TKVFunctionTimeToStr);
TESSIV_KV_FUNCTION(TKVFunctionDateTimeToStr);
TESSIV_KV_FUNCTION(TKVFunctionStrToDateTime);
TESSIV_KV_FUNCTION(TKVFunctionNum);

#undef TESSIV_KV_FUNCTION

// The running sum: numbers only; a FLOAT turns an INTEGER sum into a FLOAT one, and so does an
// INTEGER sum that leaves the 32-bit range.
class TKVFunctionSum : public TKVEvElementFunction {
public:
    TKVFunctionSum() { FAggregateMark = true; }
    void Reset() override;
    void Aggregate() override;
    void Calculate(TKVEvResult& result) override;

protected:
    TKVEvResult FSum;
    bool FHasValue = false;
};

class TKVFunctionAverage : public TKVFunctionSum {
public:
    void Reset() override;
    void Aggregate() override;
    void Calculate(TKVEvResult& result) override;

private:
    std::int32_t FCount = 0;
    TKVEvResult FAverage;
};

// The greatest value so far, compared in the kind of the running value.
class TKVFunctionMax : public TKVEvElementFunction {
public:
    TKVFunctionMax() { FAggregateMark = true; }
    void Reset() override;
    void Aggregate() override;
    void Calculate(TKVEvResult& result) override;

protected:
    // Whether a value that compares so (-1, 0, 1) with the running value replaces it.
    virtual bool Replaces(int comparison) const { return comparison > 0; }

private:
    TKVEvResult FValue;
    bool FHasValue = false;
};

class TKVFunctionMin : public TKVFunctionMax {
protected:
    bool Replaces(int comparison) const override { return comparison < 0; }
};

// Counts the record advances it is evaluated on while aggregating.
class TKVFunctionCount : public TKVEvElementFunction {
public:
    TKVFunctionCount() { FAggregateMark = true; }
    void Value(TKVFiFo& list, TKVEvResult& result) override;
    void Reset() override { FCount = 0; }

private:
    std::int32_t FCount = 0;
};

} // namespace tessiv
