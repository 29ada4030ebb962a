#pragma once
// The merge memo: lines of fixed text with expressions between braces ("Prezado {NOME},"), each
// replaced by its value just before the memo prints; lines left empty go. TKVMerger finds the
// placeholders once per run and keeps one prepared evaluator for each; TMemoEvaluator remembers
// where its placeholder stood. After the run the memo holds its designed text again.

#include "engine/printables/KVCustomLabel.h"
#include "engine/expressions/KVEvaluator.h"

#include <memory>
#include <vector>

namespace tessiv {

class TDataSet;

class TMemoEvaluator : public TKVEvaluator {
public:
    TMemoEvaluator() = default;
    // The line of the placeholder, from 0, and the character position, from 1, where it began
    // once the placeholders before it on the line were taken out.
    int LineIndex = 0;
    int Position = 0;
};

class TKVMerger {
public:
    TKVMerger();
    ~TKVMerger();
    TKVMerger(const TKVMerger&) = delete;
    TKVMerger& operator=(const TKVMerger&) = delete;

    // The source lines; the owner fills them before Prepare.
    TStrings* GetLines() const { return FLines.get(); }
    // Finds the placeholders and prepares their evaluators. A "{" that opens no placeholder (no
    // text before the first "}", or no "}" after it) makes the rest of its line plain text.
    void Prepare();
    // The lines with the current values in place of the placeholders.
    void Merge();
    // The result of the last merge; nil before the first.
    TStrings* GetMergedLines() const { return FMerged ? FMergedLines.get() : nullptr; }
    void Unprepare();
    bool Prepared() const { return FPrepared; }
    bool Merged() const { return FMerged; }
    const std::vector<std::unique_ptr<TMemoEvaluator>>& Evaluators() const { return FEvaluators; }
    // The datasets every evaluator sees: the merger's own empty list, or one its owner supplies
    // (not owned; it must outlive the preparation). Nil gives the merger's own again.
    const std::vector<TDataSet*>* DataSets() const { return FDataSets; }
    void SetDataSets(const std::vector<TDataSet*>* dataSets);

private:
    std::unique_ptr<TStringList> FLines;
    std::unique_ptr<TStringList> FPreparedLines;
    std::unique_ptr<TStringList> FMergedLines;
    bool FMerged = false;
    bool FPrepared = false;
    std::vector<std::unique_ptr<TMemoEvaluator>> FEvaluators;
    std::vector<TDataSet*> FOwnDataSets;
    const std::vector<TDataSet*>* FDataSets = &FOwnDataSets;
};

class TKVExprMemo : public TKVCustomLabel {
    TESSIV_CLASS(TKVExprMemo, TKVCustomLabel)
public:
    // AutoSize, AutoStretch, 21 by 21 pixels, the single line "(NADA)".
    explicit TKVExprMemo(TComponent* owner);
    ~TKVExprMemo() override;

    bool RemoveBlankLines() const { return FRemoveBlankLines; }
    void SetRemoveBlankLines(bool value) { FRemoveBlankLines = value; }
    TKVMerger* Merger() const { return FMerger.get(); }

    void Prepare() override;
    // Merges the current values, drops the empty lines and prints the rest; the Caption is the
    // name again afterwards.
    void Print(int ofsX, int ofsY) override;
    // The designed lines, placeholders and all, come back.
    void Unprepare() override;
    // With Lines present the Caption is dropped before painting: the placeholders show.
    void Paint(TCanvas& canvas) override;
    void CopyFrom(const TKVPrintable* source) override;

protected:
    bool IsMergeMemo() const override { return true; }

private:
    std::unique_ptr<TKVMerger> FMerger;
    bool FRemoveBlankLines = false;
};

} // namespace tessiv
