#include "engine/KVController.h"

#include "engine/KVBands.h"
#include "engine/VardoRep.h"
#include "engine/KVDataAccess.h"

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

} // namespace tessiv
