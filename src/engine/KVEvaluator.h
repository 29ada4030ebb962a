#pragma once
// The expression evaluator: an expression text is parsed once into a list of elements (Prepare)
// and evaluated as often as needed (Value), each time over the current records of the run's
// datasets. An expression that cannot be computed gives an ERROR value; nothing is raised for it.
//
// Owners set DataSets, Prepare, then per record call Value, or, for an expression that
// aggregates, on each record advance SetDoAggregate(true), Value, SetDoAggregate(false); Reset
// starts the aggregates afresh.

#include "engine/KVEvElement.h"

#include <QString>

#include <memory>
#include <vector>

namespace tessiv {

class TDataSet;

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
    virtual void EvalFunction(const QString& name, const QString& argumentText);
    // A field reference "FIELD" or "DATASET.FIELD".
    virtual void EvalVariable(const QString& fieldName);

    void EvalExpression(const QString& text);
    void EvalSimpleExpression(const QString& text);
    void EvalTerm(const QString& text);
    void EvalFactor(const QString& text);
    void Add(std::unique_ptr<TKVEvElement> element);
    void AddError();

private:
    void EvalNumber(const QString& text);

    const std::vector<TDataSet*>* FDataSets = nullptr;
    std::unique_ptr<TKVFiFo> FFiFo;
    bool FPrepared = false;
};

} // namespace tessiv
