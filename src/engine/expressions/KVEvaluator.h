#pragma once
// The expression evaluator: an expression text is parsed once into a list of elements (Prepare)
// and evaluated as often as needed (Value), each time over the current records of the run's
// datasets. An expression that cannot be computed gives an ERROR value; nothing is raised for it.
//
// Owners set DataSets, Prepare, then per record call Value, or, for an expression that
// aggregates, on each record advance SetDoAggregate(true), Value, SetDoAggregate(false); Reset
// starts the aggregates afresh.
//
// Texts nested deeper than KVMaxNesting parentheses (groups and function calls) prepare as ERROR,
// whatever their depth, so no expression can exhaust the stack, in preparing or in evaluating.

#include "engine/expressions/KVEvElement.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace tessiv {

class TDataSet;

constexpr int KVMaxNesting = 256;

class TKVEvaluator {
public:
    TKVEvaluator();
    TKVEvaluator(const TKVEvaluator&) = delete;
    TKVEvaluator& operator=(const TKVEvaluator&) = delete;
    virtual ~TKVEvaluator();

    // Parses the text into a new element list; an empty text is the string of one blank.
    void Prepare(const QString& expression);
    void Unprepare();
    bool Prepared() const { return FPrepared; }
    // The expression's value; ERROR when nothing is prepared. An error that a dataset raises while
    // a field is read passes to the caller.
    TKVEvResult Value();
    // Starts the aggregates afresh.
    void Reset();
    // True when the expression holds an aggregate function.
    bool IsAggreg() const;
    // While true, every evaluation of an aggregate function adds its current argument.
    void SetDoAggregate(bool value);

    // The datasets whose fields the expression may name, searched in order; not owned. Set before
    // Prepare.
    const std::vector<TDataSet*>* DataSets() const { return FDataSets; }
    void SetDataSets(const std::vector<TDataSet*>* dataSets) { FDataSets = dataSets; }

protected:
    // A name with its argument text: a function of the library, or else (with no arguments) a field.
    // The argument text is a view into the expression being prepared, valid during the call.
    virtual void EvalFunction(const QString& name, QStringView argumentText);
    // A field reference "FIELD" or "DATASET.FIELD".
    virtual void EvalVariable(const QString& fieldName);

    // Parses a text at the relational level: what a function's argument is.
    void EvalExpression(QStringView text);
    void Add(std::unique_ptr<TKVEvElement> element);
    void AddError();

private:
    // A piece of the text being prepared, read with the operator exchanges that the splits to its
    // left imply: after "a - " the right side's signs are read exchanged, after "a / " its stars
    // and slashes, so that the right side can again be split from the left. The exchanges are
    // kept as flags rather than made on a copy, so preparing costs memory in proportion to the
    // text, however many operators it chains.
    struct TSpan {
        QStringView Text;
        std::uint8_t Exchanges = 0; // ExchangeSigns | ExchangeProducts
    };

    void EvalExpression(TSpan text);
    void EvalSimpleExpression(TSpan text);
    void EvalTerm(TSpan text);
    void EvalFactor(TSpan text);
    void EvalNumber(const QString& text);
    // The part [from, to) of a span as the unexchanged text would hold it: a view into the span
    // when no exchange touches it, else a copy kept until the preparation ends.
    QStringView Inner(TSpan span, qsizetype from, qsizetype to);
    friend class TKVEvNestingLevel;

    const std::vector<TDataSet*>* FDataSets = nullptr;
    std::unique_ptr<TKVFiFo> FFiFo;
    bool FPrepared = false;
    int FNesting = 0;
    std::deque<QString> FExchangedTexts; // only while preparing
};

} // namespace tessiv
