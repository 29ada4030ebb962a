#include "engine/model/KVBands.h"

#include "engine/model/VardoRep.h"
#include "platform/core/Reader.h"
#include "engine/run/KVDataAccess.h"

namespace tessiv {

// ---- TKVControllerBand ------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVControllerBand, TKVCustomBand,
    t.Reference<TComponent>(QStringLiteral("Master"), &TKVControllerBand::Master, &TKVControllerBand::SetMaster);
)

TKVControllerBand::TKVControllerBand(TComponent* owner)
    : TKVCustomBand(owner), FController(std::make_unique<TKVController>(nullptr, this))
{
    FController->SetDetail(this);
}

TKVControllerBand::~TKVControllerBand() = default;

void TKVControllerBand::SetMaster(TComponent* value)
{
    if (value == this)
        return;
    for (TComponent* m = value; m;) {
        auto* band = dynamic_cast<TKVControllerBand*>(m);
        if (!band)
            break;
        if (band == this) {
            RefuseLoop(value);
            return;
        }
        m = band->Master();
    }
    FController->SetMaster(value);
    RelayoutReport();
}

void TKVControllerBand::PlacedOnReport(TVardoRep* report)
{
    if (!Master())
        SetMaster(report);
}

// ---- TKVSubDetailGroupBands -------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVSubDetailGroupBands, TPersistent,
    t.Boolean(QStringLiteral("HasHeader"), &TKVSubDetailGroupBands::HasHeader, &TKVSubDetailGroupBands::SetHasHeader)
        .WithStored([](const TPersistent*) { return false; });
    t.Boolean(QStringLiteral("HasFooter"), &TKVSubDetailGroupBands::HasFooter, &TKVSubDetailGroupBands::SetHasFooter)
        .WithStored([](const TPersistent*) { return false; });
)

bool TKVSubDetailGroupBands::HasHeader() const
{
    return FSubDetail->HeaderBand() != nullptr;
}

void TKVSubDetailGroupBands::SetHasHeader(bool value)
{
    if (value == HasHeader())
        return;
    if (value) {
        if (TVardoRep* report = FSubDetail->ParentReport())
            FSubDetail->SetHeaderBand(report->CreateBand(rbGroupHeader));
    } else {
        FSubDetail->HeaderBand()->Free();
        FSubDetail->SetHeaderBand(nullptr);
    }
}

bool TKVSubDetailGroupBands::HasFooter() const
{
    return FSubDetail->FooterBand() != nullptr;
}

void TKVSubDetailGroupBands::SetHasFooter(bool value)
{
    if (value == HasFooter())
        return;
    if (value) {
        if (TVardoRep* report = FSubDetail->ParentReport())
            FSubDetail->SetFooterBand(report->CreateBand(rbGroupFooter));
    } else {
        FSubDetail->FooterBand()->Free();
        FSubDetail->SetFooterBand(nullptr);
    }
}

// ---- TKVSubDetail -----------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVSubDetail, TKVControllerBand,
    t.Object<TKVSubDetailGroupBands>(QStringLiteral("Bands"), &TKVSubDetail::Bands);
    t.Reference<TComponent>(QStringLiteral("DataSet"), [](const TKVSubDetail& s) { return kvdata::AsComponent(s.DataSet()); },
                            [](TKVSubDetail& s, TComponent* c) { s.SetDataSet(kvdata::AsDataSet(c)); });
    t.Reference<TKVCustomBand>(QStringLiteral("FooterBand"), &TKVSubDetail::FooterBand, &TKVSubDetail::SetFooterBand);
    t.Reference<TKVCustomBand>(QStringLiteral("HeaderBand"), &TKVSubDetail::HeaderBand, &TKVSubDetail::SetHeaderBand);
    t.Event(QStringLiteral("OnNeedData"), &TKVSubDetail::OnNeedData);
    t.Boolean(QStringLiteral("PrintBefore"), &TKVSubDetail::PrintBefore, &TKVSubDetail::SetPrintBefore);
    t.Boolean(QStringLiteral("PrintIfEmpty"), &TKVSubDetail::PrintIfEmpty, &TKVSubDetail::SetPrintIfEmpty);
)

TKVSubDetail::TKVSubDetail(TComponent* owner)
    : TKVControllerBand(owner), FBands(std::make_unique<TKVSubDetailGroupBands>(this))
{
    SetBandType(rbSubDetail);
}

TKVSubDetail::~TKVSubDetail() = default;

void TKVSubDetail::SetHeaderBand(TKVCustomBand* value)
{
    if (value == this)
        return;
    Controller()->SetHeader(value);
    if (value)
        value->SetBandType(rbGroupHeader);
    else
        RelayoutReport();
}

void TKVSubDetail::SetFooterBand(TKVCustomBand* value)
{
    if (value == this)
        return;
    Controller()->SetFooter(value);
    if (value)
        value->SetBandType(rbGroupFooter);
    else
        RelayoutReport();
}

void TKVSubDetail::SetPrintBefore(bool value)
{
    if (value == PrintBefore())
        return;
    Controller()->SetPrintBefore(value);
    RelayoutReport();
}

// ---- TKVGroup ---------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVGroup, TKVCustomBand,
    t.String(QStringLiteral("Expression"), &TKVGroup::Expression, &TKVGroup::SetExpression);
    t.Reference<TKVBand>(QStringLiteral("FooterBand"), &TKVGroup::FooterBand, &TKVGroup::SetFooterBand);
    t.String(QStringLiteral("FooterBandName"), &TKVGroup::FooterBandName, &TKVGroup::SetFooterBandName);
    t.Reference<TComponent>(QStringLiteral("Master"), &TKVGroup::Master, &TKVGroup::SetMaster);
)

TKVGroup::TKVGroup(TComponent* owner) : TKVCustomBand(owner), FEvaluator(std::make_unique<TKVEvaluator>())
{
    SetBandType(rbGroupHeader);
}

void TKVGroup::Prepare(const std::vector<TDataSet*>* dataSets)
{
    FEvaluator->SetDataSets(dataSets);
    FEvaluator->Prepare(FExpression);
    Restart();
}

void TKVGroup::Restart()
{
    FHasLastValue = false;
    FLastValue = TKVEvResult::Error();
}

void TKVGroup::Unprepare()
{
    FEvaluator->Unprepare();
    FEvaluator->SetDataSets(nullptr);
}

namespace {

bool SameGroupValue(const TKVEvResult& a, const TKVEvResult& b)
{
    if (a.Kind != b.Kind)
        return false;
    switch (a.Kind) {
    case TKVEvResultType::INTEGER: return a.IntResult == b.IntResult;
    case TKVEvResultType::FLOAT: return a.FloatResult == b.FloatResult;
    // Every character and the length: a trailing blank makes another group.
    case TKVEvResultType::STRING: return a.StringResult == b.StringResult;
    case TKVEvResultType::BOOLEAN: return a.BoolResult == b.BoolResult;
    case TKVEvResultType::ERROR: return true;
    }
    return true;
}

} // namespace

bool TKVGroup::CheckGroup()
{
    FChanged = false;
    TKVEvResult value = FEvaluator->Value();
    // A record whose value cannot be computed belongs to the group it is in: an error never
    // counts as a change, so one bad record does not open a group and another behind it.
    if (FHasLastValue && value.Kind == TKVEvResultType::ERROR)
        return FChanged;
    FChanged = !FHasLastValue || !SameGroupValue(value, FLastValue);
    if (FChanged) {
        FLastValue = std::move(value);
        FHasLastValue = true;
    }
    return FChanged;
}

void TKVGroup::SetFooterBand(TKVBand* value)
{
    TVardoRep* const report = LinkedReport();
    if (!report) {
        if (value)
            FFooterBandName = value->Name();
        return;
    }
    if (FFooterBand && FFooterBand != value)
        FFooterBand->RemoveFreeNotification(this);
    FFooterBand = value;
    if (!value) {
        // Cleared with its name, so that the next read does not link the band again.
        FFooterBandName.clear();
        RelayoutReport();
        return;
    }
    value->FreeNotification(this);
    FFooterBandName = value->Name();
    value->SetBandType(rbGroupFooter);
}

void TKVGroup::SetFooterBandName(const QString& value)
{
    FFooterBandName = value;
    if (!LinkedReport())
        return;
    auto* band = dynamic_cast<TKVBand*>(Owner() ? Owner()->FindComponent(value) : nullptr);
    if (FFooterBand && FFooterBand != band)
        FFooterBand->RemoveFreeNotification(this);
    FFooterBand = band;
    if (band)
        band->FreeNotification(this);
    RelayoutReport();
}

void TKVGroup::SetMaster(TComponent* value)
{
    if (!dynamic_cast<TVardoRep*>(value) && !dynamic_cast<TKVControllerBand*>(value))
        return;
    if (FMaster && FMaster != value)
        FMaster->RemoveFreeNotification(this);
    FMaster = value;
    value->FreeNotification(this);
    RelayoutReport();
}

void TKVGroup::PlacedOnReport(TVardoRep* report)
{
    if (!FMaster)
        SetMaster(report);
}

void TKVGroup::CopyFrom(TKVBasePanel* source)
{
    TKVCustomBand::CopyFrom(source);
    if (auto* src = dynamic_cast<TKVGroup*>(source)) {
        FChanged = src->FChanged;
        FExpression = src->FExpression;
        SetFooterBandName(src->FFooterBandName);
        if (src->FMaster)
            SetMaster(src->FMaster);
    }
}

void TKVGroup::DefineProperties(TFiler& filer)
{
    TKVCustomBand::DefineProperties(filer);
    // Older files: the group's level, data source, header band and event are gone; its data
    // field became the expression.
    const auto dropIdent = [](TReader& r) { r.ReadIdent(); };
    filer.DefineProperty(QStringLiteral("Level"), [](TReader& r) { r.ReadInteger(); }, nullptr, false);
    filer.DefineProperty(QStringLiteral("DataSource"), dropIdent, nullptr, false);
    filer.DefineProperty(QStringLiteral("DataField"), [this](TReader& r) { FExpression = r.ReadString(); }, nullptr,
                         false);
    filer.DefineProperty(QStringLiteral("HeaderBand"), dropIdent, nullptr, false);
    filer.DefineProperty(QStringLiteral("OnNeedData"), dropIdent, nullptr, false);
}

void TKVGroup::Loaded()
{
    if (!FFooterBand && !FFooterBandName.isEmpty())
        SetFooterBandName(FFooterBandName);
    TKVCustomBand::Loaded();
}

void TKVGroup::Notification(TComponent* component, TOperation operation)
{
    TKVCustomBand::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FFooterBand) {
        FFooterBand = nullptr;
        FFooterBandName.clear();
    }
    if (component == FMaster)
        FMaster = nullptr;
}

} // namespace tessiv

namespace tessiv {

void TKVGroup::TakeNewValue()
{
    FLastValue = FEvaluator->Value();
    FHasLastValue = true;
    FChanged = true;
}

} // namespace tessiv
