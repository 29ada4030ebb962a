#include "engine/run/KVController.h"

#include "engine/model/KVBands.h"
#include "engine/run/KVDataAccess.h"
#include "engine/model/KVPrintableHooks.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DataSet.h"

#include <QCoreApplication>

#include <algorithm>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TKVController, TComponent)

TKVController::TKVController(TComponent* owner, TComponent* ownerObject) : TComponent(owner), FOwnerObject(ownerObject)
{
}

TKVController::~TKVController() = default;

void TKVController::Follow(TComponent* component)
{
    if (component)
        component->FreeNotification(this);
}

void TKVController::SetBand(TKVCustomBand*& field, TKVCustomBand* value)
{
    field = value;
    if (value && value != FOwnerObject)
        Follow(value);
}

void TKVController::SetMaster(TComponent* value)
{
    if (value && !dynamic_cast<TVardoRep*>(value) && !dynamic_cast<TKVController*>(value) &&
        !dynamic_cast<TKVControllerBand*>(value))
        return;
    FMaster = value;
    Follow(value);
}

void TKVController::SetDataSet(TDataSet* value)
{
    FDataSet = value;
    Follow(kvdata::AsComponent(value));
}

const TKVOnNeedDataEvent* TKVController::NeedDataEvent() const
{
    if (auto* report = dynamic_cast<TVardoRep*>(FOwnerObject))
        return &report->OnNeedData;
    if (auto* sub = dynamic_cast<TKVSubDetail*>(FOwnerObject))
        return &sub->OnNeedData;
    return nullptr;
}

void TKVController::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FHeader)
        FHeader = nullptr;
    if (component == FDetail)
        FDetail = nullptr;
    if (component == FFooter)
        FFooter = nullptr;
    if (component == kvdata::AsComponent(FDataSet))
        FDataSet = nullptr;
    if (component == FMaster)
        FMaster = nullptr;
    std::erase(FGroups, component);
    std::erase(FChildrenBefore, component);
    std::erase(FChildrenAfter, component);
    // Compared by the component each client was registered as: a client may be half destroyed.
    std::erase_if(FNotifyClients, [component](const TNotifyClient& c) { return c.Component == component; });
}

void TKVController::BuildTree()
{
    std::vector<const TKVController*> path;
    BuildTree(path);
}

void TKVController::BuildTree(std::vector<const TKVController*>& path)
{
    FGroups.clear();
    FChildrenBefore.clear();
    FChildrenAfter.clear();
    // Masters cannot form a loop through their setters; the path keeps a damaged tree finite.
    if (std::find(path.begin(), path.end(), this) != path.end())
        return;
    path.push_back(this);
    TComponent* const form = FOwnerObject ? FOwnerObject->Owner() : nullptr;
    if (form) {
        for (int i = 0; i < form->ComponentCount(); ++i) {
            TComponent* c = form->Components(i);
            TKVController* child = nullptr;
            if (auto* band = dynamic_cast<TKVControllerBand*>(c)) {
                if (!band->ComponentState().Contains(csDestroying) && band->Controller()->Master() == FOwnerObject)
                    child = band->Controller();
            } else if (auto* ctrl = dynamic_cast<TKVController*>(c)) {
                if (ctrl->Master() == FOwnerObject)
                    child = ctrl;
            } else if (auto* group = dynamic_cast<TKVGroup*>(c)) {
                if (!group->ComponentState().Contains(csDestroying) && group->Master() == FOwnerObject) {
                    FGroups.push_back(group);
                    Follow(group);
                }
                continue;
            }
            if (!child || std::find(path.begin(), path.end(), child) != path.end())
                continue;
            child->SetParentReport(FParentReport);
            (child->PrintBefore() ? FChildrenBefore : FChildrenAfter).push_back(child);
            Follow(child);
            child->BuildTree(path);
        }
    }
    path.pop_back();
}

void TKVController::AppendBands(const std::function<void(TKVCustomBand*)>& add) const
{
    std::vector<const TKVController*> path;
    AppendBands(add, path);
}

void TKVController::AppendBands(const std::function<void(TKVCustomBand*)>& add,
                                std::vector<const TKVController*>& path) const
{
    if (std::find(path.begin(), path.end(), this) != path.end())
        return;
    path.push_back(this);
    if (FHeader)
        add(FHeader);
    for (TKVGroup* g : FGroups)
        add(g);
    for (const TKVController* c : FChildrenBefore)
        c->AppendBands(add, path);
    if (FDetail)
        add(FDetail);
    for (const TKVController* c : FChildrenAfter)
        c->AppendBands(add, path);
    for (auto it = FGroups.rbegin(); it != FGroups.rend(); ++it)
        if ((*it)->FooterBand())
            add((*it)->FooterBand());
    if (FFooter)
        add(FFooter);
    path.pop_back();
}

// ---- the run ----------------------------------------------------------------------------------

void TKVController::Prepare()
{
    std::vector<const TKVController*> path;
    PrepareLevel(path);
}

void TKVController::PrepareLevel(std::vector<const TKVController*>& path)
{
    if (std::find(path.begin(), path.end(), this) != path.end())
        return;
    path.push_back(this);
    BuildTree();
    FNotifyClients.clear();
    FDetailNumber = 0;
    if (FParentReport && IsDataSetActive(FDataSet))
        FParentReport->AddRunDataSet(FDataSet);
    for (TKVController* c : FChildrenBefore)
        c->PrepareLevel(path);
    for (TKVController* c : FChildrenAfter)
        c->PrepareLevel(path);
    if (FParentReport)
        for (TKVGroup* g : FGroups)
            g->Prepare(&FParentReport->RunDataSets());
    path.pop_back();
}

void TKVController::Unprepare()
{
    // The clients register again at the next run's preparation.
    FNotifyClients.clear();
    for (TKVGroup* g : FGroups)
        g->Unprepare();
    for (TKVController* c : FChildrenBefore)
        c->Unprepare();
    for (TKVController* c : FChildrenAfter)
        c->Unprepare();
}

void TKVController::AddNotifyClient(TKVPrintableHooks* printable)
{
    // A printable listed once hears of each record once, however often it registers (a grid's
    // cells are prepared at each print of the grid).
    if (!printable || std::any_of(FNotifyClients.begin(), FNotifyClients.end(),
                                  [printable](const TNotifyClient& c) { return c.Printable == printable; }))
        return;
    auto* component = dynamic_cast<TComponent*>(printable);
    // A client freed while it is listed leaves the list at once.
    Follow(component);
    FNotifyClients.push_back({printable, component});
}

void TKVController::NotifyClients(int code)
{
    const std::vector<TNotifyClient> clients = FNotifyClients;
    for (const TNotifyClient& c : clients)
        if (std::find_if(FNotifyClients.begin(), FNotifyClients.end(),
                         [&c](const TNotifyClient& listed) { return listed.Printable == c.Printable; }) != FNotifyClients.end())
            c.Printable->Notify(this, code);
}

bool TKVController::CheckGroups()
{
    size_t i = 0;
    for (; i < FGroups.size(); ++i)
        if (FGroups[i]->CheckGroup())
            break;
    if (i == FGroups.size())
        return false;
    for (size_t j = i + 1; j < FGroups.size(); ++j)
        FGroups[j]->TakeNewValue();
    return true;
}

void TKVController::PrintBandWithSpace(TKVCustomBand* band)
{
    if (!band || !FParentReport)
        return;
    band->MakeSpace();
    FParentReport->PrintBand(band);
}

void TKVController::PrintChangedHeaders()
{
    const std::vector<TKVGroup*> groups = FGroups;
    for (TKVGroup* g : groups)
        if (g->Changed())
            PrintBandWithSpace(g);
}

void TKVController::PrintChangedFooters()
{
    const std::vector<TKVGroup*> groups = FGroups;
    for (auto it = groups.rbegin(); it != groups.rend(); ++it)
        if ((*it)->Changed() && (*it)->FooterBand())
            PrintBandWithSpace((*it)->FooterBand());
}

void TKVController::RunChildrenBefore()
{
    const std::vector<TKVController*> children = FChildrenBefore;
    for (TKVController* c : children)
        c->Execute();
}

void TKVController::RunChildrenAfter()
{
    const std::vector<TKVController*> children = FChildrenAfter;
    for (TKVController* c : children)
        c->Execute();
}

bool TKVController::Cancelled() const
{
    const TKVPrinter* printer = FParentReport ? FParentReport->RunPrinter() : nullptr;
    return printer && printer->Cancelled();
}

void TKVController::PumpMessages() const
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void TKVController::PrintEmptyLevel()
{
    PrintBandWithSpace(FHeader);
    RunChildrenBefore();
    PrintBandWithSpace(FDetail);
    RunChildrenAfter();
    PrintBandWithSpace(FFooter);
}

void TKVController::Execute()
{
    TVardoRep* const report = FParentReport;
    // A level outside a report has nowhere to print.
    if (!report)
        return;
    const TKVOnNeedDataEvent* needData = NeedDataEvent();
    const bool hasHandler = needData && *needData;
    const bool active = IsDataSetActive(FDataSet);
    const int quantity = report->Quantidade();
    int count = 1;
    bool moreData = true;
    // A level that runs once per master record opens its groups again each time: a value left
    // from the previous master record must not hide the first header.
    for (TKVGroup* g : FGroups)
        g->Restart();

    if (!active && quantity <= 0 && !hasHandler) {
        if (FPrintIfEmpty)
            PrintEmptyLevel();
        return;
    }
    if (hasHandler) {
        if (active) {
            // A thermal run goes on from where the document left the dataset.
            if (!report->Options().Contains(kvoImpressoraTermica))
                FDataSet->First();
            count = 0;
        } else if (quantity > 0) {
            count = quantity;
        }
        (*needData)(FOwnerObject, moreData);
    } else if (active) {
        FDataSet->First();
        moreData = !FDataSet->Eof();
        if (FDataSet == report->DataSet())
            count = report->DetailCount();
        if (!moreData && FPrintIfEmpty)
            PrintEmptyLevel();
    } else {
        count = quantity;
    }

    FDetailNumber = 0;
    CheckGroups();
    if (!moreData)
        return;
    PumpMessages();
    if (Cancelled()) {
        PumpMessages();
        return;
    }

    PrintBandWithSpace(FHeader);
    const bool mainLevel = FOwnerObject == report;
    if (mainLevel && report->PageCount() == 1)
        report->PrintBand(report->FirstBandOfKind(rbColumnHeader));

    TKVItemAreaRun* const area = FDetail ? FDetail->ItemArea() : nullptr;
    if (area)
        area->ResetRunCounters();

    while (moreData) {
        PumpMessages();
        if (Cancelled()) {
            PumpMessages();
            return;
        }
        ++FDetailNumber;
        if (area && area->HasParentBand()) {
            area->AddPrintedLines(1);
            area->CountIfDue();
            area->ItemAreaBreak(report->CurrentY());
            PrintChangedHeaders();
            RunChildrenBefore();
            // No room is made for the line below the report's position: it prints inside the
            // area, above it, and a new page there would leave every line of the block behind.
            NotifyClients(0);
            // The line goes at the block's cursor; a line that would start at or below where the
            // report has reached lies outside the area and is dropped.
            const int saved = report->CurrentY();
            report->SetCurrentY(area->LineCursor());
            if (saved > area->LineCursor()) {
                FDetail->SetEnabled(true);
                try {
                    FDetail->Print();
                } catch (...) {
                    FDetail->SetEnabled(false);
                    report->SetCurrentY(saved);
                    throw;
                }
                FDetail->SetEnabled(false);
                area->SetLineCursor(report->CurrentY());
            }
            report->SetCurrentY(saved);
        } else {
            PrintChangedHeaders();
            RunChildrenBefore();
            if (FDetail)
                FDetail->MakeSpace();
            NotifyClients(0);
            report->PrintBand(FDetail);
        }
        RunChildrenAfter();
        // A cancel seen while the record printed ends the run here: no footers follow.
        if (Cancelled())
            return;

        moreData = false;
        if (hasHandler)
            (*needData)(FOwnerObject, moreData);
        else if (active) {
            FDataSet->Next();
            moreData = !FDataSet->Eof();
        } else {
            moreData = quantity - FDetailNumber > 0;
        }

        if (CheckGroups()) {
            // The footers see the last record of the group that ended.
            if (active && !FDataSet->Bof())
                FDataSet->Prior();
            if (area)
                area->PrintObservations();
            PrintChangedFooters();
            if (active && !FDataSet->Bof())
                FDataSet->Next();
            if (area)
                area->ResetRunCounters();
        }

        if (mainLevel && ((active && FDataSet == report->DataSet()) || quantity > 0) && count > 0)
            if (TKVPrinter* printer = report->RunPrinter())
                printer->SetProgress(std::clamp(static_cast<int>(static_cast<long long>(FDetailNumber) * 100 / count), 0, 100));
    }

    if (area) {
        area->PrintObservations();
        area->AddPrintedLines(1);
        area->ItemAreaBreak(report->CurrentY());
    }
    // The groups that did not change at the last record close now; those whose footers just
    // printed do not print them again.
    for (TKVGroup* g : FGroups)
        g->SetChanged(!g->Changed());
    PrintChangedFooters();
    PrintBandWithSpace(FFooter);
}

} // namespace tessiv
