#include "engine/printables/KVExpr.h"

#include "engine/model/KVBands.h"
#include "engine/printables/KVTextProps.h"
#include "engine/model/StringTable.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TKVExpr, TKVCustomLabel,
    PublishAlignment(t);
    PublishAlignToBand(t);
    PublishAutoSize(t);
    PublishAutoStretch(t);
    PublishFont(t);
    PublishColor(t);
    t.Reference<TComponent>(QStringLiteral("Master"), &TKVExpr::Master, &TKVExpr::SetMaster);
    PublishOnPrint(t);
    PublishParentFont(t);
    t.Boolean(QStringLiteral("ResetAfterPrint"), &TKVExpr::ResetAfterPrint, &TKVExpr::SetResetAfterPrint);
    PublishTransparent(t);
    PublishWordWrap(t);
    t.String(QStringLiteral("Expression"), &TKVExpr::Expression, &TKVExpr::SetExpression);
    t.String(QStringLiteral("Mask"), &TKVExpr::Mask, &TKVExpr::SetMask);
)

TKVExpr::TKVExpr(TComponent* owner) : TKVCustomLabel(owner), FEvaluator(std::make_unique<TKVEvaluator>())
{
    SetKeepHeight(true);
}

TKVExpr::~TKVExpr() = default;

void TKVExpr::SetExpression(const QString& value)
{
    FExpression = value;
    SetText(value.isEmpty() ? QStringLiteral("(") + LoadStr(SKVNada) + QStringLiteral(")") : value);
    Invalidate();
}

void TKVExpr::SetMask(const QString& value)
{
    FMask = value;
    SetExpression(FExpression);
}

void TKVExpr::SetMaster(TComponent* value)
{
    if (value == FMaster)
        return;
    if (FMaster)
        FMaster->RemoveFreeNotification(this);
    FMaster = value;
    if (value)
        value->FreeNotification(this);
}

void TKVExpr::Notification(TComponent* component, TOperation operation)
{
    TKVCustomLabel::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == FMaster)
        FMaster = nullptr;
}

void TKVExpr::CopyFrom(const TKVPrintable* source)
{
    TKVCustomLabel::CopyFrom(source);
    const auto* expr = dynamic_cast<const TKVExpr*>(source);
    if (!expr || expr == this)
        return;
    SetMaster(expr->FMaster);
    FResetAfterPrint = expr->FResetAfterPrint;
    SetExpression(expr->FExpression);
    SetMask(expr->FMask);
}

void TKVExpr::Loaded()
{
    TKVCustomLabel::Loaded();
    SetExpression(FExpression);
}

bool TKVExpr::IsNothing() const
{
    const QString text = FExpression.trimmed();
    return text.isEmpty() || text.compare(QLatin1String("(NADA)"), Qt::CaseInsensitive) == 0;
}

void TKVExpr::Reset()
{
    FEvaluator->Reset();
}

void TKVExpr::Prepare()
{
    TKVCustomLabel::Prepare();
    TVardoRep* const report = ParentReport();
    FEvaluator->SetDataSets(report ? &report->RunDataSets() : nullptr);
    FEvaluator->Prepare(FExpression);
    TKVController* controller = nullptr;
    if (auto* masterReport = dynamic_cast<TVardoRep*>(FMaster))
        controller = masterReport->Controller();
    else if (auto* sub = dynamic_cast<TKVSubDetail*>(FMaster))
        controller = sub->Controller();
    else if (!FMaster && report && FEvaluator->IsAggreg())
        controller = report->Controller();
    if (controller) {
        controller->AddNotifyClient(this);
        // The controller keeps its clients after the run: it must hear when this text goes.
        controller->FreeNotification(this);
    }
    Reset();
}

void TKVExpr::Notify(TComponent* sender, int code)
{
    TKVCustomLabel::Notify(sender, code);
    if (code != 0)
        return;
    FEvaluator->SetDoAggregate(true);
    try {
        FEvaluator->Value();
    } catch (const Exception&) {
        // A record whose field cannot be read adds nothing.
    }
    FEvaluator->SetDoAggregate(false);
}

void TKVExpr::Print(int ofsX, int ofsY)
{
    if (!Enabled())
        return;
    QString caption;
    if (!IsNothing()) {
        TKVEvResult v;
        try {
            v = FEvaluator->Value();
        } catch (const Exception&) {
            v = TKVEvResult::Error();
        }
        switch (v.Kind) {
        case TKVEvResultType::INTEGER: caption = FormatFloat(FMask, v.IntResult); break;
        case TKVEvResultType::FLOAT: caption = FormatFloat(FMask, v.FloatResult); break;
        case TKVEvResultType::STRING: caption = v.StringResult; break;
        case TKVEvResultType::BOOLEAN: caption = v.BoolResult ? QStringLiteral("True") : QStringLiteral("False"); break;
        case TKVEvResultType::ERROR: caption = FExpression; break;
        }
    }
    SetText(caption);
    TKVCustomLabel::Print(ofsX, ofsY);
    if (FResetAfterPrint)
        Reset();
}

void TKVExpr::Unprepare()
{
    FEvaluator->SetDataSets(nullptr);
    FEvaluator->Unprepare();
    TKVCustomLabel::Unprepare();
}

void TKVExpr::RestoreDesignText()
{
    SetExpression(FExpression);
}

} // namespace tessiv
