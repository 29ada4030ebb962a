#include "engine/printables/KVExprMemo.h"

#include "engine/printables/KVTextProps.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace tessiv {

// ---- the merger -------------------------------------------------------------------------------

TKVMerger::TKVMerger() : FLines(std::make_unique<TStringList>()) {}

TKVMerger::~TKVMerger()
{
    if (FPrepared)
        Unprepare();
}

void TKVMerger::SetDataSets(const std::vector<TDataSet*>* dataSets)
{
    FDataSets = dataSets ? dataSets : &FOwnDataSets;
}

void TKVMerger::Prepare()
{
    if (FPrepared)
        Unprepare();
    FEvaluators.clear();
    FMergedLines = std::make_unique<TStringList>();
    if (FLines->Count() == 0)
        return;
    FPreparedLines = std::make_unique<TStringList>();
    for (int i = 0; i < FLines->Count(); ++i) {
        QString s = FLines->Strings(i);
        qsizetype open = s.indexOf(QLatin1Char('{'));
        while (open >= 0) {
            const qsizetype close = s.indexOf(QLatin1Char('}'));
            const qsizetype n = close - open - 1;
            // "{}", a "}" before the "{" or none at all: no placeholder, and from this "{" on
            // the line is plain text (looking again would find the same "{" for ever).
            if (close < 0 || n <= 0)
                break;
            const QString expression = s.mid(open + 1, n);
            s.remove(open, n + 2);
            auto evaluator = std::make_unique<TMemoEvaluator>();
            evaluator->SetDataSets(FDataSets);
            evaluator->Prepare(expression);
            evaluator->LineIndex = i;
            evaluator->Position = static_cast<int>(open) + 1;
            FEvaluators.push_back(std::move(evaluator));
            open = s.indexOf(QLatin1Char('{'));
        }
        FPreparedLines->Add(s);
    }
    FPrepared = true;
}

void TKVMerger::Merge()
{
    if (!FMergedLines)
        FMergedLines = std::make_unique<TStringList>();
    if (!FEvaluators.empty()) {
        FMergedLines->Clear();
        FMergedLines->Assign(FPreparedLines.get());
        // From the last placeholder back: the positions of those before it on a line stay right.
        for (auto it = FEvaluators.rbegin(); it != FEvaluators.rend(); ++it) {
            TMemoEvaluator& e = **it;
            TKVEvResult v;
            try {
                v = e.Value();
            } catch (const Exception&) {
                v = TKVEvResult::Error();
            }
            QString text;
            switch (v.Kind) {
            case TKVEvResultType::INTEGER: text = QString::number(v.IntResult); break;
            case TKVEvResultType::FLOAT: text = FloatToStr(v.FloatResult); break;
            case TKVEvResultType::STRING: text = v.StringResult; break;
            case TKVEvResultType::BOOLEAN: text = v.BoolResult ? QStringLiteral("True") : QStringLiteral("False"); break;
            case TKVEvResultType::ERROR: break;
            }
            if (e.LineIndex < FMergedLines->Count()) {
                QString line = FMergedLines->Strings(e.LineIndex);
                line.insert(std::min<qsizetype>(e.Position - 1, line.size()), text);
                FMergedLines->Put(e.LineIndex, line);
            }
        }
    } else if (!FMerged) {
        FMergedLines->Assign(FLines.get());
    }
    FMerged = true;
}

void TKVMerger::Unprepare()
{
    if (FPrepared) {
        FEvaluators.clear();
        FPreparedLines.reset();
        FPrepared = false;
        FMerged = false;
    }
    FMergedLines.reset();
    FEvaluators.clear();
}

// ---- the memo ---------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVExprMemo, TKVCustomLabel,
    t.Boolean(QStringLiteral("RemoveBlankLines"), &TKVExprMemo::RemoveBlankLines, &TKVExprMemo::SetRemoveBlankLines);
    t.template Object<TStrings>(QStringLiteral("Lines"), &TKVExprMemo::Lines);
    PublishAlignment(t);
    PublishAlignToBand(t);
    PublishAutoSize(t);
    PublishAutoStretch(t);
    PublishColor(t);
    PublishFont(t);
    PublishParentFont(t);
    PublishTransparent(t);
    PublishWordWrap(t);
)

TKVExprMemo::TKVExprMemo(TComponent* owner) : TKVCustomLabel(owner)
{
    SetKeepHeight(true);
    SetAutoSize(true);
    SetAutoStretch(true);
    SetBounds(Left(), Top(), 21, 21);
    Lines()->Add(QStringLiteral("(NADA)"));
}

TKVExprMemo::~TKVExprMemo() = default;

void TKVExprMemo::Prepare()
{
    FMerger = std::make_unique<TKVMerger>();
    FMerger->GetLines()->Assign(Lines());
    if (TVardoRep* report = ParentReport())
        FMerger->SetDataSets(&report->RunDataSets());
    FMerger->Prepare();
    TKVCustomLabel::Prepare();
}

void TKVExprMemo::Print(int ofsX, int ofsY)
{
    SetText(QString());
    if (FMerger) {
        FMerger->Merge();
        if (FMerger->Prepared()) {
            TStringList merged;
            merged.Assign(FMerger->GetMergedLines());
            // "(NADA)" alone is a memo without content.
            const bool nothing = FMerger->GetLines()->Count() == 1 &&
                                 FMerger->GetLines()->Strings(0).trimmed().compare(QLatin1String("(NADA)"),
                                                                                  Qt::CaseInsensitive) == 0;
            for (int i = merged.Count() - 1; i >= 0; --i)
                if (nothing || merged.Strings(i).isEmpty())
                    merged.Delete(i);
            SetLines(&merged);
            if (Lines()->Count() > 0 && !Caption().isEmpty())
                SetText(QString());
        }
    }
    try {
        TKVCustomLabel::Print(ofsX, ofsY);
    } catch (...) {
        SetText(Name());
        throw;
    }
    SetText(Name());
}

void TKVExprMemo::Unprepare()
{
    if (FMerger) {
        SetLines(FMerger->GetLines());
        FMerger->SetDataSets(nullptr);
        FMerger->Unprepare();
        FMerger.reset();
    }
    TKVCustomLabel::Unprepare();
}

void TKVExprMemo::Paint(TCanvas& canvas)
{
    if (Lines()->Count() > 0 && !Caption().isEmpty())
        SetText(QString());
    TKVCustomLabel::Paint(canvas);
}

void TKVExprMemo::CopyFrom(const TKVPrintable* source)
{
    TKVCustomLabel::CopyFrom(source);
    if (const auto* memo = dynamic_cast<const TKVExprMemo*>(source); memo && memo != this)
        FRemoveBlankLines = memo->FRemoveBlankLines;
}

} // namespace tessiv
