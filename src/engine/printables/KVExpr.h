#pragma once
// The value of an expression shown as text: evaluated over the run's datasets when it prints,
// with a display mask for numbers; the expression itself in the designer. An expression with an
// aggregate (SUM, COUNT ...) takes each record as its data level advances; ResetAfterPrint starts
// the total afresh after each print, for a group footer's totals. "(NADA)" and an empty
// expression stand for empty content: they print nothing.

#include "engine/printables/KVCustomLabel.h"
#include "engine/expressions/KVEvaluator.h"

#include <memory>

namespace tessiv {

class TKVExpr : public TKVCustomLabel {
    TESSIV_CLASS(TKVExpr, TKVCustomLabel)
public:
    explicit TKVExpr(TComponent* owner);
    ~TKVExpr() override;

    const QString& Expression() const { return FExpression; }
    // The Caption shows the expression, or "(nada)" for an empty one.
    void SetExpression(const QString& value);
    const QString& Mask() const { return FMask; }
    void SetMask(const QString& value);
    // The data level whose records the aggregates take: a report or a sub-detail; nil for the
    // report the text lies on, when the expression aggregates.
    TComponent* Master() const { return FMaster; }
    void SetMaster(TComponent* value);
    bool ResetAfterPrint() const { return FResetAfterPrint; }
    void SetResetAfterPrint(bool value) { FResetAfterPrint = value; }
    TKVEvaluator* Evaluator() const { return FEvaluator.get(); }
    // The aggregates start afresh.
    void Reset();

    void Prepare() override;
    // Code 0 (a record of the master's level): the aggregates take the record.
    void Notify(TComponent* sender, int code) override;
    void Print(int ofsX, int ofsY) override;
    void Unprepare() override;
    void CopyFrom(const TKVPrintable* source) override;
    // The caption is not stored: it shows the expression again, "(nada)" for none.
    void Loaded() override;

protected:
    // The expression is the caption again.
    void RestoreDesignText() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The expression stands for empty content.
    bool IsNothing() const;

    std::unique_ptr<TKVEvaluator> FEvaluator;
    QString FExpression;
    QString FMask;
    TComponent* FMaster = nullptr;
    bool FResetAfterPrint = false;
};

} // namespace tessiv
