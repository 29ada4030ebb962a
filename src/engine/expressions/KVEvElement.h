#pragma once
// The values and the elements of a prepared expression. An expression is kept as a list of
// elements in prefix order; an operator or a function reads its operands from the list as it is
// evaluated, so each element consumes exactly the elements of its operands.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace tessiv {

class TDataSet;
class TField;
class TKVFiFo;

enum class TKVEvResultType : std::uint8_t { INTEGER = 0, FLOAT = 1, STRING = 2, BOOLEAN = 3, ERROR = 4 };

// A STRING value holds at most this many characters; longer texts are cut, never inside a
// character that takes two code units.
constexpr int KVMaxStringLength = 255;

// Texts ordered as the code page orders them: character by character by the Windows-1252 code
// (so "€" and "–" sort below "é"), characters outside the code page after all of it by their
// own code, a prefix below the longer text. 0 only for equal texts.
int KVCompareStrings(const QString& a, const QString& b);

// One value of an expression: its kind and, by kind, the integer, float, text or boolean.
struct TKVEvResult {
    TKVEvResultType Kind = TKVEvResultType::ERROR;
    std::int32_t IntResult = 0;
    double FloatResult = 0.0;
    QString StringResult; // at most KVMaxStringLength characters
    bool BoolResult = false;

    static TKVEvResult Integer(std::int32_t value);
    static TKVEvResult Float(double value);
    // Cut to KVMaxStringLength characters.
    static TKVEvResult String(const QString& value);
    static TKVEvResult Boolean(bool value);
    static TKVEvResult Error() { return {}; }

    bool IsNumber() const { return Kind == TKVEvResultType::INTEGER || Kind == TKVEvResultType::FLOAT; }
    // An INTEGER or FLOAT as a float.
    double AsFloat() const { return Kind == TKVEvResultType::INTEGER ? IntResult : FloatResult; }
};

// The name of a kind as TYPEOF gives it ("INTEGER", "FLOAT", "STRING", "BOOLEAN", "ERROR").
QString KVEvResultTypeName(TKVEvResultType kind);

// An evaluated argument of a function call.
class TKVEvResultClass {
public:
    explicit TKVEvResultClass(const TKVEvResult& value) : EvResult(value) {}
    TKVEvResult EvResult;
};

class TKVEvElement {
public:
    TKVEvElement() = default;
    TKVEvElement(const TKVEvElement&) = delete;
    TKVEvElement& operator=(const TKVEvElement&) = delete;
    virtual ~TKVEvElement() = default;

    // Computes the element's value, reading its operands from the list.
    virtual void Value(TKVFiFo& list, TKVEvResult& result) = 0;
    // Clears accumulated state (aggregates only).
    virtual void Reset() {}
    // Set by the aggregate functions: an expression holding one accumulates across records.
    bool AggregateMark() const { return FAggregateMark; }

protected:
    bool FAggregateMark = false;
};

enum TKVEvOperator : std::uint8_t {
    opLess = 0,         // <
    opLessOrEqual = 1,  // <=
    opGreater = 2,      // >
    opGreaterOrEqual = 3, // >=
    opEqual = 4,        // =
    opNotEqual = 5,     // <>
    opPlus = 6,         // +
    opMinus = 7,        // -
    opOr = 8,           // or
    opMultiply = 9,     // *
    opDivide = 10,      // /
    opAnd = 11,         // and
};

class TKVEvElementOperator : public TKVEvElement {
public:
    explicit TKVEvElementOperator(TKVEvOperator op) : FOperator(op) {}
    void Value(TKVFiFo& list, TKVEvResult& result) override;
    TKVEvOperator Operator() const { return FOperator; }
    // The operator's value for two operands, by the kind rules of expressions.
    static TKVEvResult Apply(TKVEvOperator op, TKVEvResult left, TKVEvResult right);

private:
    TKVEvOperator FOperator;
};

// Negation of the operand that follows: -i, -f, not b; ERROR for any other kind.
class TKVEvElementNegation : public TKVEvElement {
public:
    void Value(TKVFiFo& list, TKVEvResult& result) override;
};

class TKVEvElementConstant : public TKVEvElement {
public:
    explicit TKVEvElementConstant(const TKVEvResult& value) : FValue(value) {}
    void Value(TKVFiFo& list, TKVEvResult& result) override;

private:
    TKVEvResult FValue;
};

class TKVEvElementString : public TKVEvElement {
public:
    explicit TKVEvElementString(const QString& text) : FValue(TKVEvResult::String(text)) {}
    void Value(TKVFiFo& list, TKVEvResult& result) override;

private:
    TKVEvResult FValue;
};

// A field of one of the run's datasets, read from its current record.
class TKVEvElementDataField : public TKVEvElement {
public:
    explicit TKVEvElementDataField(TField* field);
    void Value(TKVFiFo& list, TKVEvResult& result) override;
    // The value of a field by its class; an empty field gives 0, 0.0, false or the empty text.
    static TKVEvResult FieldValue(const TField* field);

private:
    TDataSet* FDataSet;
    int FIndex;
    TField* FField;
};

class TKVEvElementError : public TKVEvElement {
public:
    void Value(TKVFiFo& list, TKVEvResult& result) override;
};

// Ends the arguments of a function call; a function element stops collecting there.
class TKVEvElementArgumentEnd : public TKVEvElement {
public:
    void Value(TKVFiFo& list, TKVEvResult& result) override;
};

// The base of the functions of the function library.
class TKVEvElementFunction : public TKVEvElement {
public:
    // Collects the arguments, aggregates while the list's aggregate flag is set, calculates.
    void Value(TKVFiFo& list, TKVEvResult& result) override;
    // Adds the current arguments to the running state of an aggregate.
    virtual void Aggregate() {}
    virtual void Calculate(TKVEvResult& result) { result = TKVEvResult::Error(); }

    int ArgumentCount() const { return static_cast<int>(FArguments.size()); }
    // Copies the value of an argument (from 0); ERROR for an index out of range.
    void Argument(int index, TKVEvResult& value) const;
    const TKVEvResult& Arg(int index) const { return FArguments[static_cast<std::size_t>(index)]->EvResult; }

protected:
    // Evaluates the elements up to the argument end into the argument list.
    void CollectArguments(TKVFiFo& list);
    void FreeArguments() { FArguments.clear(); }

private:
    std::vector<std::unique_ptr<TKVEvResultClass>> FArguments;
};

// Creates a new element of a function class: the element class the library records.
using TKVEvElementClass = std::unique_ptr<TKVEvElementFunction> (*)();

template <class T>
std::unique_ptr<TKVEvElementFunction> CreateEvElement()
{
    return std::make_unique<T>();
}

// The elements of a prepared expression in prefix order, with a read cursor.
class TKVFiFo {
public:
    void Start() { FCursor = 0; }
    // The element at the cursor, advancing it; nil at the end.
    TKVEvElement* Next();
    void Add(std::unique_ptr<TKVEvElement> element) { FElements.push_back(std::move(element)); }

    int Count() const { return static_cast<int>(FElements.size()); }
    TKVEvElement* Items(int index) const { return FElements[static_cast<std::size_t>(index)].get(); }

    bool Aggregate() const { return FAggregate; }
    void DoAggregate(bool value) { FAggregate = value; }

private:
    std::vector<std::unique_ptr<TKVEvElement>> FElements;
    std::size_t FCursor = 0;
    bool FAggregate = false;
};

} // namespace tessiv
