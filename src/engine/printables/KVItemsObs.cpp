#include "engine/printables/KVItemsObs.h"

#include "engine/expressions/KVEvaluator.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"
#include "platform/data/Field.h"

#include <algorithm>

namespace tessiv {

namespace {

const QString& SelfParentMessage()
{
    static const QString text = QStringLiteral("A propriedade \"parent\" não pode ser igual ao abjeto.");
    return text;
}

TKVAreaMessageProc& MessageProc()
{
    static TKVAreaMessageProc proc;
    return proc;
}

// A group value compared in the kind of the group's first value.
bool SameGroupValue(const TKVEvResult& first, const TKVEvResult& value)
{
    switch (first.Kind) {
    case TKVEvResultType::INTEGER:
    case TKVEvResultType::FLOAT:
        return value.IsNumber() && value.AsFloat() == first.AsFloat();
    case TKVEvResultType::STRING:
        return value.Kind == TKVEvResultType::STRING && value.StringResult == first.StringResult;
    case TKVEvResultType::BOOLEAN:
        return value.Kind == TKVEvResultType::BOOLEAN && value.BoolResult == first.BoolResult;
    case TKVEvResultType::ERROR:
        break;
    }
    return false;
}

bool OwnedByReportOwner(const TComponent* c, const TVardoRep* report)
{
    return report && report->Owner() == c->Owner();
}

} // namespace

bool MayDestroyAlone(const TComponent* component)
{
    const auto* part = dynamic_cast<const TKVAreaPart*>(component);
    return !part || part->MayBeDestroyedAlone();
}

void CheckDestroyAlone(const TComponent* component)
{
    if (!MayDestroyAlone(component))
        throw EAbort();
}

void SetAreaMessageProc(TKVAreaMessageProc proc)
{
    MessageProc() = std::move(proc);
}

void ShowAreaMessage(const QString& text)
{
    if (MessageProc())
        MessageProc()(text);
}

// ---- TKVItensObs ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVItensObs, TKVChildBand,
    t.Boolean(QStringLiteral("ForceNewColumn"), &TKVItensObs::ForceNewColumn, &TKVItensObs::SetNoForcedBreak);
    t.Boolean(QStringLiteral("ForceNewPage"), &TKVItensObs::ForceNewPage, &TKVItensObs::SetNoForcedBreak);
    t.Integer(QStringLiteral("Linhas"), &TKVItensObs::Linhas, &TKVItensObs::SetLinhas);
    t.Reference<TKVGroup>(QStringLiteral("ParentGroup"), &TKVItensObs::ParentGroup, &TKVItensObs::SetParentGroup);
    t.Reference<TKVItens>(QStringLiteral("Obs_TKVItens"), &TKVItensObs::Obs_TKVItens, &TKVItensObs::SetObs_TKVItens);
    t.String(QStringLiteral("Obs_TKVItensName"), &TKVItensObs::Obs_TKVItensName, &TKVItensObs::SetObs_TKVItensName);
    t.Reference<TKVObs>(QStringLiteral("Obs_TKVObs"), &TKVItensObs::Obs_TKVObs, &TKVItensObs::SetObs_TKVObs);
    t.String(QStringLiteral("Obs_TKVObsName"), &TKVItensObs::Obs_TKVObsName, &TKVItensObs::SetObs_TKVObsName);
    t.Object<TStrings>(QStringLiteral("Obs_SQL"), &TKVItensObs::Obs_SQL);
    t.Reference<TQuery>(QStringLiteral("Obs_DataSet"), &TKVItensObs::Obs_DataSet, &TKVItensObs::SetObs_DataSet);
    t.String(QStringLiteral("Obs_DataSetName"), &TKVItensObs::Obs_DataSetName, &TKVItensObs::SetObs_DataSetName);
    t.Reference<TDataSource>(QStringLiteral("Obs_DataSource"), &TKVItensObs::Obs_DataSource,
                             &TKVItensObs::SetObs_DataSource);
    t.String(QStringLiteral("Obs_DataSourceName"), &TKVItensObs::Obs_DataSourceName,
             &TKVItensObs::SetObs_DataSourceName);
    t.String(QStringLiteral("Obs_ListField"), &TKVItensObs::Obs_ListField, &TKVItensObs::SetObs_ListField);
)

TKVItensObs::TKVItensObs(TComponent* owner)
    : TKVChildBand(owner), FQuery(this, QStringLiteral("quObs"), QStringLiteral("dsObsReport"))
{
    TKVBasePanel::SetBounds(Left(), Top(), Width(), 100);
}

TKVItensObs::~TKVItensObs()
{
    FDestroying = true;
    FQuery.Release();
    // The parts go with the area: marked first, so that they may.
    std::vector<TKVAreaBand*> parts;
    for (TKVObsVariavel* c : FConditions)
        parts.push_back(c);
    FConditions.clear();
    if (FItens)
        parts.push_back(FItens);
    if (FObs) {
        if (TKVObsLabel* label = FObs->Obs_Label())
            label->AllowDestroy();
        parts.push_back(FObs);
    }
    FItens = nullptr;
    FObs = nullptr;
    for (TKVAreaBand* part : parts) {
        part->AllowDestroy();
        if (!part->ComponentState().Contains(csDestroying))
            part->Free();
    }
}

void TKVItensObs::FollowPart(TComponent* part)
{
    if (part)
        part->FreeNotification(this);
}

void TKVItensObs::SetNoForcedBreak(bool)
{
    SetForceNewColumn(false);
    SetForceNewPage(false);
}

void TKVItensObs::SetLinhas(int value)
{
    FLinhas = std::max(value, 2);
    if (FAdjusting || ComponentState().Contains(csLoading))
        return;
    // The items band's adjusting may set Linhas; the heights set here do not adjust again.
    FAdjusting = true;
    try {
        const int line = std::max(Height() / FLinhas, 1);
        if (FItens)
            FItens->SetPixelSize(Width(), line);
        if (FObs)
            FObs->SetPixelSize(Width(), line);
        ArrangeParts();
    } catch (...) {
        FAdjusting = false;
        throw;
    }
    FAdjusting = false;
}

void TKVItensObs::SetParentGroup(TKVGroup* value)
{
    FParentGroup = value;
    FollowPart(value);
}

void TKVItensObs::SetObs_TKVItens(TKVItens* value)
{
    FItens = value;
    FollowPart(value);
}

void TKVItensObs::SetObs_TKVItensName(const QString& value)
{
    FItensName = value;
    if (OwnReport() && Owner())
        SetObs_TKVItens(dynamic_cast<TKVItens*>(Owner()->FindComponent(value)));
}

void TKVItensObs::SetObs_TKVObs(TKVObs* value)
{
    FObs = value;
    FollowPart(value);
}

void TKVItensObs::SetObs_TKVObsName(const QString& value)
{
    FObsName = value;
    if (OwnReport() && Owner())
        SetObs_TKVObs(dynamic_cast<TKVObs*>(Owner()->FindComponent(value)));
}

void TKVItensObs::SetObs_SQL(const TStrings* value)
{
    FQuery.SetSQL(value, FReady);
}

void TKVItensObs::SetCounters(int printed, int items, int conditions, int observations)
{
    FPrintedLines = printed;
    FItemCount = items;
    FConditionCount = conditions;
    FObservationCount = observations;
}

// ---- page arithmetic --------------------------------------------------------------------------

int TKVItensObs::TotalLines() const
{
    return FItemCount + FConditionCount + FObservationCount;
}

int TKVItensObs::PageCount() const
{
    const int total = TotalLines();
    if (total < 1 || FLinhas < 1)
        return 0;
    return (total - 1) / FLinhas + 1;
}

int TKVItensObs::CurrentPage() const
{
    if (FPrintedLines < 1 || FLinhas < 1)
        return 0;
    return (FPrintedLines - 1) / FLinhas + 1;
}

bool TKVItensObs::IsLastPage() const
{
    return CurrentPage() == PageCount();
}

int TKVItensObs::LinesOnPage() const
{
    return FPrintedLines - (CurrentPage() - 1) * FLinhas;
}

// ---- the run ----------------------------------------------------------------------------------

void TKVItensObs::ResetRunCounters()
{
    FPrintedLines = 0;
    FConditionCount = 0;
    FObservationCount = 0;
    FCountDue = true;
}

void TKVItensObs::CountIfDue()
{
    if (!FCountDue)
        return;
    FCountDue = false;
    CountItemArea();
}

TKVController* TKVItensObs::LevelController() const
{
    TVardoRep* report = ParentReport();
    return report ? report->Controller() : nullptr;
}

void TKVItensObs::CountItemArea()
{
    TVardoRep* const report = ParentReport();
    FObservationCount = 0;
    if (TQuery* query = FQuery.Query()) {
        try {
            if (!query->Active())
                query->Open();
            FObservationCount = query->RecordCount();
        } catch (const Exception&) {
            FObservationCount = 0;
        }
    }
    if (!report)
        return;
    try {
        FConditionCount = 0;
        for (TKVObsVariavel* c : std::vector<TKVObsVariavel*>(FConditions))
            if (c->Evaluate())
                ++FConditionCount;
        FItemCount = 0;
        TDataSet* const data = report->DataSet();
        if (!FParentGroup) {
            FItemCount = report->DetailCount();
            return;
        }
        if (!IsDataSetActive(data))
            return;
        // The group's records are counted on the report's dataset itself, with its followers kept
        // still: the observation query does not run again for every record passed.
        data->DisableControls();
        const TBookmark mark = data->GetBookmark();
        try {
            TKVEvaluator evaluator;
            evaluator.SetDataSets(&report->RunDataSets());
            evaluator.Prepare(FParentGroup->Expression());
            const TKVEvResult first = evaluator.Value();
            if (first.Kind != TKVEvResultType::ERROR) {
                for (;;) {
                    ++FItemCount;
                    data->Next();
                    if (data->Eof() || !SameGroupValue(first, evaluator.Value()))
                        break;
                }
            }
            evaluator.Unprepare();
        } catch (const Exception&) {
            // The count reached so far stays.
        }
        try {
            if (data->BookmarkValid(mark))
                data->GotoBookmark(mark);
        } catch (const Exception&) {
        }
        data->EnableControls();
    } catch (const Exception&) {
        // Conditions that cannot be evaluated count as far as they got.
    }
}

bool TKVItensObs::ItemAreaBreak(int y)
{
    TVardoRep* const report = ParentReport();
    TKVController* const controller = LevelController();
    if (!FParentGroup || !report || !controller)
        return false;
    if (!((LinesOnPage() == 1 && CurrentPage() > 1) || TotalLines() < FPrintedLines))
        return false;
    report->SetCurrentY(y);
    // The footer sees the page that closes, not the next one.
    --FPrintedLines;
    try {
        FParentGroup->SetChanged(true);
        controller->RunChildrenAfter();
        controller->PrintChangedFooters();
    } catch (const Exception&) {
        ++FPrintedLines;
        return false;
    }
    ++FPrintedLines;
    return true;
}

void TKVItensObs::ReheadAfterBreak()
{
    TKVController* const controller = LevelController();
    if (!controller)
        return;
    controller->PrintChangedHeaders();
    controller->RunChildrenBefore();
    if (FItens)
        FItens->MakeSpace();
    controller->NotifyClients(0);
}

void TKVItensObs::PrintObservationLine(TKVCustomBand* band, int& saved)
{
    TVardoRep* const report = ParentReport();
    report->SetCurrentY(FLineCursor);
    ++FPrintedLines;
    if (ItemAreaBreak(saved)) {
        ReheadAfterBreak();
        saved = report->CurrentY();
        report->SetCurrentY(FLineCursor);
    }
    band->SetEnabled(true);
    try {
        band->Print();
    } catch (...) {
        band->SetEnabled(false);
        report->SetCurrentY(saved);
        throw;
    }
    FLineCursor = report->CurrentY();
    report->SetCurrentY(saved);
    band->SetEnabled(false);
}

void TKVItensObs::PrintObservations()
{
    TVardoRep* const report = ParentReport();
    if (!report || FConditionCount + FObservationCount <= 0)
        return;
    int saved = report->CurrentY();
    try {
        for (TKVObsVariavel* c : std::vector<TKVObsVariavel*>(FConditions))
            if (c->Checked())
                PrintObservationLine(c, saved);
        TQuery* const query = FQuery.Query();
        if (!FListField.isEmpty() && query && FObs) {
            if (!query->Active())
                query->Open();
            if (TField* field = query->FindField(FListField)) {
                query->First();
                while (!query->Eof()) {
                    if (TKVObsLabel* label = FObs->Obs_Label())
                        label->SetText(field->AsString());
                    PrintObservationLine(FObs, saved);
                    query->Next();
                }
            }
            query->Close();
        }
    } catch (const Exception&) {
        // An observation that cannot be read or printed leaves the rest of the group as it is.
        report->SetCurrentY(saved);
    }
}

TKVCustomBand* TKVItensObs::ParentGroupFooter() const
{
    return FParentGroup ? FParentGroup->FooterBand() : nullptr;
}

TKVCustomBand* TKVItensObs::ObservationBand() const
{
    return FObs;
}

TDataSet* TKVItensObs::ObsDataSet() const
{
    return FQuery.Query();
}

// ---- placement --------------------------------------------------------------------------------

void TKVItensObs::SetParent(TWinControl* parent)
{
    TKVChildBand::SetParent(parent);
    if (ComponentState().Contains(csLoading))
        return;
    // Parts placed while the area lay elsewhere join the report the area lies on now.
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* part = dynamic_cast<TKVAreaBand*>(Controls(i)); part && part->ParentReport() != ParentReport())
            part->Reattach();
    if (!FReady && OwnReport()) {
        CreateParts();
        FReady = true;
    }
}

void TKVItensObs::CreateParts()
{
    TComponent* const owner = Owner();
    if (!owner)
        return;
    const auto place = [this, owner](TKVAreaBand* band, const QString& base) {
        try {
            band->SetEnabled(false);
            band->SetName(MakeUniqueComponentName(owner, base));
            band->SetParent(this);
            band->SetPixelSize(Width(), 20);
        } catch (...) {
            band->AllowDestroy();
            band->Free();
            throw;
        }
    };
    auto* items = new TKVItens(owner);
    place(items, QStringLiteral("Itens"));
    FItensName = items->Name();
    auto* obs = new TKVObs(owner);
    place(obs, QStringLiteral("ObsBand"));
    FObsName = obs->Name();
    auto* label = new TKVObsLabel(owner);
    try {
        label->SetName(MakeUniqueComponentName(owner, QStringLiteral("ObsLabel")));
        label->SetText(QStringLiteral("Observação"));
        label->SetParent(obs);
        label->SetAutoSize(false);
    } catch (...) {
        label->AllowDestroy();
        label->Free();
        throw;
    }
    // The lines follow from the heights: 100 div 20 gives 5 for a new area.
    FReady = true;
    items->Adjust();
    ArrangeParts();
}

void TKVItensObs::ArrangeParts()
{
    const int width = Width();
    int y = 0;
    if (FItens) {
        FItens->TKVBasePanel::SetBounds(0, 0, width, FItens->Height());
        y = FItens->Height();
    }
    for (TKVObsVariavel* c : FConditions) {
        c->TKVBasePanel::SetBounds(0, y, width, c->Height());
        y += c->Height();
    }
    if (FObs)
        FObs->TKVBasePanel::SetBounds(0, Height() - FObs->Height(), width, FObs->Height());
}

void TKVItensObs::ItemsResized(TKVItens* band)
{
    if (!FReady || FAdjusting || band != FItens)
        return;
    const int bandHeight = std::max(band->Height(), 1);
    const int n = Height() / bandHeight;
    if (n == FLinhas) {
        FAdjusting = true;
        try {
            band->SetPixelSize(Width(), std::max(Height() / std::max(n, 1), 1));
        } catch (...) {
            FAdjusting = false;
            throw;
        }
        FAdjusting = false;
    } else {
        SetLinhas(n);
    }
}

void TKVItensObs::RegisterItens(TKVItens* band)
{
    SetObs_TKVItens(band);
    FItensName = band->Name();
}

void TKVItensObs::RegisterObs(TKVObs* band)
{
    SetObs_TKVObs(band);
    FObsName = band->Name();
}

void TKVItensObs::RegisterCondition(TKVObsVariavel* band, bool firstPlacement)
{
    if (std::find(FConditions.begin(), FConditions.end(), band) != FConditions.end())
        return;
    if (firstPlacement) {
        band->SetEnabled(false);
        band->SetColor(clWhite);
        band->SetExpression(QString());
    }
    FConditions.push_back(band);
    band->StorePosicao(static_cast<int>(FConditions.size()) - 1);
    FollowPart(band);
    ArrangeParts();
}

void TKVItensObs::ConditionLoaded(TKVObsVariavel* band)
{
    if (std::find(FConditions.begin(), FConditions.end(), band) != FConditions.end())
        return;
    const int at = std::clamp(band->Posicao(), 0, static_cast<int>(FConditions.size()));
    FConditions.insert(FConditions.begin() + at, band);
    FollowPart(band);
    ArrangeParts();
}

void TKVItensObs::ConditionGone(TKVObsVariavel* band)
{
    const auto it = std::find(FConditions.begin(), FConditions.end(), band);
    if (it == FConditions.end())
        return;
    FConditions.erase(it);
    if (FDestroying)
        return;
    for (size_t i = 0; i < FConditions.size(); ++i)
        FConditions[i]->StorePosicao(static_cast<int>(i));
    ArrangeParts();
}

bool TKVItensObs::MoveCondition(TKVObsVariavel* band, int index)
{
    const auto it = std::find(FConditions.begin(), FConditions.end(), band);
    if (it == FConditions.end() || index < 0 || index >= static_cast<int>(FConditions.size()))
        return false;
    if (it - FConditions.begin() != index) {
        FConditions.erase(it);
        FConditions.insert(FConditions.begin() + index, band);
    }
    for (size_t i = 0; i < FConditions.size(); ++i)
        FConditions[i]->StorePosicao(static_cast<int>(i));
    ArrangeParts();
    return true;
}

void TKVItensObs::CopyFrom(TKVBasePanel* source)
{
    TKVChildBand::CopyFrom(source);
    auto* src = dynamic_cast<TKVItensObs*>(source);
    if (!src)
        return;
    SetObs_TKVItensName(src->FItensName);
    SetObs_TKVObsName(src->FObsName);
    SetObs_DataSetName(src->Obs_DataSetName());
    SetObs_DataSourceName(src->Obs_DataSourceName());
    Obs_SQL()->Assign(src->Obs_SQL());
    FListField = src->FListField;
    SetLinhas(src->FLinhas);
    SetNoForcedBreak(false);
}

void TKVItensObs::Loaded()
{
    TKVChildBand::Loaded();
    FReady = true;
}

void TKVItensObs::BandRemoved(TKVCustomBand* band)
{
    if (band && band == ParentBand() && band->Parent() != nullptr && !band->ComponentState().Contains(csDestroying))
        SetParentBand(nullptr);
}

void TKVItensObs::ParentBandChanged()
{
    // The first group met going up the chain of parent bands makes the block.
    SetParentGroup(GroupAbove());
}

void TKVItensObs::Notification(TComponent* component, TOperation operation)
{
    TKVChildBand::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    FQuery.Forget(component);
    if (component == FItens)
        FItens = nullptr;
    if (component == FObs)
        FObs = nullptr;
    if (component == FParentGroup)
        FParentGroup = nullptr;
    if (auto* c = dynamic_cast<TKVObsVariavel*>(component))
        ConditionGone(c);
}

// ---- TKVAreaBand ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVAreaBand, TKVCustomBand)

TKVAreaBand::TKVAreaBand(TComponent* owner) : TKVCustomBand(owner) {}

TKVAreaBand::~TKVAreaBand() = default;

bool TKVAreaBand::MayBeDestroyedAlone() const
{
    return FMayDestroy || !OwnedByReportOwner(this, ParentReport());
}

void TKVAreaBand::SetParent(TWinControl* parent)
{
    if (parent == this)
        throw EInvalidOperation(SelfParentMessage());
    auto* oldArea = Area();
    auto* area = dynamic_cast<TKVItensObs*>(parent);
    if (oldArea && oldArea != area)
        if (auto* self = dynamic_cast<TKVObsVariavel*>(this))
            oldArea->ConditionGone(self);
    // Taken off (nil) or placed on a band, the band leaves the report's list as a nested band.
    if (!dynamic_cast<TVardoRep*>(parent))
        SetNestedParent(parent);
    else
        TKVCustomBand::SetParent(parent);
    if (!area || ComponentState().Contains(csLoading))
        return;
    JoinArea(area, FMayDestroy);
    FMayDestroy = false;
    Adjust();
}

void TKVAreaBand::SetPixelSize(int width, int height)
{
    TKVBandSize* size = Size();
    size->PushPixelUnits();
    const bool was = FAdjustingSelf;
    FAdjustingSelf = true;
    try {
        if (Round(size->Width()) != std::max(width, 1))
            size->SetWidth(std::max(width, 1));
        if (Round(size->Height()) != std::max(height, 1))
            size->SetHeight(std::max(height, 1));
        else
            size->Update();
    } catch (...) {
        FAdjustingSelf = was;
        size->PopUnits();
        throw;
    }
    FAdjustingSelf = was;
    size->PopUnits();
}

bool TKVAreaBand::PlaceInLayout(int columnWidth)
{
    if (!dynamic_cast<TKVItensObs*>(Parent()))
        return false;
    SetPixelSize(columnWidth, Height());
    return true;
}

void TKVAreaBand::Adjust()
{
    if (TKVItensObs* area = Area(); area && !FAdjustingSelf) {
        SetPixelSize(area->Width(), Height());
        area->ArrangeParts();
    }
}

void TKVAreaBand::Loaded()
{
    TKVCustomBand::Loaded();
    FMayDestroy = false;
    if (TKVItensObs* area = Area())
        JoinArea(area, false);
    Adjust();
}

// ---- TKVItens ---------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVItens, TKVAreaBand)

TKVItens::TKVItens(TComponent* owner) : TKVAreaBand(owner)
{
    SetBandType(rbDetail);
}

void TKVItens::JoinArea(TKVItensObs* area, bool)
{
    if (!area->Obs_TKVItens() || area->Obs_TKVItens() == this || ComponentState().Contains(csLoading) ||
        area->Obs_TKVItens()->ComponentState().Contains(csDestroying))
        area->RegisterItens(this);
}

void TKVItens::Adjust()
{
    TKVItensObs* area = Area();
    if (!area || FAdjustingSelf)
        return;
    SetPixelSize(area->Width(), Height());
    area->ItemsResized(this);
    area->ArrangeParts();
}

void TKVItens::SetBounds(int left, int top, int width, int height)
{
    TKVItensObs* area = Area();
    if (!area || FAdjustingSelf || Size()->Updating() || ComponentState().Contains(csLoading)) {
        TKVBasePanel::SetBounds(left, top, width, height);
        return;
    }
    // A resize on the design surface: the height is the band's; the width stays the area's.
    SetPixelSize(area->Width(), height);
    TKVBasePanel::SetBounds(left, top, Width(), Height());
    Adjust();
}

// ---- TKVObs -----------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVObs, TKVAreaBand,
    t.Reference<TKVObsLabel>(QStringLiteral("Obs_Label"), &TKVObs::Obs_Label, &TKVObs::SetObs_Label);
)

TKVObs::TKVObs(TComponent* owner) : TKVAreaBand(owner)
{
    SetBandType(rbPageFooter);
}

void TKVObs::SetObs_Label(TKVObsLabel* value)
{
    FLabel = value;
    if (value)
        value->FreeNotification(this);
}

void TKVObs::JoinArea(TKVItensObs* area, bool)
{
    if (!area->Obs_TKVObs() || area->Obs_TKVObs() == this || area->Obs_TKVObs()->ComponentState().Contains(csDestroying))
        area->RegisterObs(this);
}

void TKVObs::SetBounds(int left, int top, int width, int height)
{
    TKVItensObs* area = Area();
    if (!area || FAdjustingSelf || Size()->Updating() || ComponentState().Contains(csLoading)) {
        TKVBasePanel::SetBounds(left, top, width, height);
        return;
    }
    SetPixelSize(area->Width(), height);
    TKVBasePanel::SetBounds(left, top, Width(), Height());
    Adjust();
}

void TKVObs::Notification(TComponent* component, TOperation operation)
{
    TKVAreaBand::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FLabel)
        FLabel = nullptr;
}

// ---- TKVObsVariavel ---------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVObsVariavel, TKVAreaBand,
    t.Integer(QStringLiteral("Posicao"), &TKVObsVariavel::Posicao, &TKVObsVariavel::SetPosicao);
    t.String(QStringLiteral("Expression"), &TKVObsVariavel::Expression, &TKVObsVariavel::SetExpression);
    t.Boolean(QStringLiteral("Checked"), &TKVObsVariavel::Checked, &TKVObsVariavel::SetChecked);
)

TKVObsVariavel::TKVObsVariavel(TComponent* owner) : TKVAreaBand(owner)
{
    SetBandType(rbPageFooter);
}

TKVObsVariavel::~TKVObsVariavel() = default;

void TKVObsVariavel::SetPosicao(int value)
{
    TKVItensObs* area = Area();
    if (!area || ComponentState().Contains(csLoading) ||
        std::find(area->Conditions().begin(), area->Conditions().end(), this) == area->Conditions().end()) {
        FPosicao = value;
        return;
    }
    area->MoveCondition(this, value);
}

bool TKVObsVariavel::Evaluate()
{
    FChecked = false;
    TVardoRep* report = ParentReport();
    if (!OwnedByReportOwner(this, report))
        return false;
    TKVEvaluator evaluator;
    evaluator.SetDataSets(&report->RunDataSets());
    evaluator.Prepare(FExpression);
    const TKVEvResult value = evaluator.Value();
    evaluator.Unprepare();
    FChecked = value.Kind == TKVEvResultType::BOOLEAN && value.BoolResult;
    return FChecked;
}

void TKVObsVariavel::JoinArea(TKVItensObs* area, bool firstPlacement)
{
    if (firstPlacement)
        SetTop(area->Height());
    area->RegisterCondition(this, firstPlacement);
}

void TKVObsVariavel::CopyFrom(TKVBasePanel* source)
{
    TKVAreaBand::CopyFrom(source);
    auto* src = dynamic_cast<TKVObsVariavel*>(source);
    if (!src)
        return;
    SetPosicao(src->FPosicao);
    FExpression = src->FExpression;
    FChecked = false;
}

void TKVObsVariavel::Loaded()
{
    TKVCustomBand::Loaded();
    FMayDestroy = false;
    if (TKVItensObs* area = Area())
        area->ConditionLoaded(this);
    Adjust();
}

void TKVObsVariavel::SetBounds(int left, int top, int width, int height)
{
    TKVItensObs* area = Area();
    if (!area || FAdjustingSelf || Size()->Updating() || ComponentState().Contains(csLoading)) {
        TKVBasePanel::SetBounds(left, top, width, height);
        return;
    }
    SetPixelSize(area->Width(), height);
    Adjust();
}

// ---- TKVObsLabel ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVObsLabel, TKVLabel)

TKVObsLabel::TKVObsLabel(TComponent* owner) : TKVLabel(owner) {}

TKVObsLabel::~TKVObsLabel() = default;

bool TKVObsLabel::MayBeDestroyedAlone() const
{
    return FMayDestroy || !OwnedByReportOwner(this, ParentReport());
}

void TKVObsLabel::SetName(const QString& name)
{
    TKVLabel::SetName(name);
    if (auto* band = dynamic_cast<TKVObs*>(Parent()))
        band->SetObs_Label(this);
}

void TKVObsLabel::SetParent(TWinControl* parent)
{
    TKVLabel::SetParent(parent);
    if (auto* band = dynamic_cast<TKVObs*>(parent)) {
        band->SetObs_Label(this);
        if (!ComponentState().Contains(csLoading))
            FMayDestroy = false;
    }
}

void TKVObsLabel::Loaded()
{
    TKVLabel::Loaded();
    if (dynamic_cast<TKVObs*>(Parent()))
        FMayDestroy = false;
}

void TKVObsLabel::Print(int ofsX, int ofsY)
{
    try {
        TKVLabel::Print(ofsX, ofsY);
    } catch (...) {
        SetText(QStringLiteral("Observação dos Itens"));
        throw;
    }
    SetText(QStringLiteral("Observação dos Itens"));
}

} // namespace tessiv
