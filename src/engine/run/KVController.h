#pragma once
// One data level of a report: its dataset, its header, detail and footer bands, its groups and
// the nested levels that print before or after its detail. The report has one for its main level
// and every sub-detail band one for its own. The record loop that runs a level lives with the
// report's run; this holds the level and the tree that orders the report's bands.

#include "platform/core/Component.h"

#include <vector>

namespace tessiv {

class TDataSet;
class TKVCustomBand;
class TKVGroup;
class TKVItemAreaRun;
class TKVPrintableHooks;
class TVardoRep;

using TKVOnNeedDataEvent = TEvent<void(TObject* sender, bool& moreData)>;

class TKVController : public TComponent {
    TESSIV_CLASS(TKVController, TComponent)
public:
    // ownerObject: the report or the controller band this controller belongs to.
    TKVController(TComponent* owner, TComponent* ownerObject);
    ~TKVController() override;

    TComponent* OwnerObject() const { return FOwnerObject; }
    TComponent* Master() const { return FMaster; }
    // A report, a controller, a controller band or nil; anything else is ignored.
    void SetMaster(TComponent* value);
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* value);
    TKVCustomBand* Detail() const { return FDetail; }
    void SetDetail(TKVCustomBand* value) { SetBand(FDetail, value); }
    TKVCustomBand* Header() const { return FHeader; }
    void SetHeader(TKVCustomBand* value) { SetBand(FHeader, value); }
    TKVCustomBand* Footer() const { return FFooter; }
    void SetFooter(TKVCustomBand* value) { SetBand(FFooter, value); }
    TVardoRep* ParentReport() const { return FParentReport; }
    void SetParentReport(TVardoRep* value) { FParentReport = value; }
    bool PrintBefore() const { return FPrintBefore; }
    virtual void SetPrintBefore(bool value) { FPrintBefore = value; }
    bool PrintIfEmpty() const { return FPrintIfEmpty; }
    void SetPrintIfEmpty(bool value) { FPrintIfEmpty = value; }
    int DetailNumber() const { return FDetailNumber; }
    // The handler that steers this level's loop: the one its owner object publishes.
    const TKVOnNeedDataEvent* NeedDataEvent() const;

    const std::vector<TKVGroup*>& Groups() const { return FGroups; }
    const std::vector<TKVController*>& ChildrenBefore() const { return FChildrenBefore; }
    const std::vector<TKVController*>& ChildrenAfter() const { return FChildrenAfter; }

    // Collects, from the components of the form that owns the owner object, the groups and the
    // nested levels that hang from this level, recursively.
    void BuildTree();
    // The bands in the order they print: header, groups, levels before, detail, levels after,
    // group footers from the last group to the first, footer.
    void AppendBands(const std::function<void(TKVCustomBand*)>& add) const;

    // ---- the run ----
    // Before a run: the tree again, no notify clients, the level's active dataset among the
    // run's datasets, the nested levels and the groups prepared.
    void Prepare();
    // After a run: the groups let go of the datasets.
    void Unprepare();
    // The record loop of the level.
    void Execute();
    // Checks the groups in order; the groups after the first that changed start again too.
    // True when any changed.
    bool CheckGroups();
    void AddNotifyClient(TKVPrintableHooks* printable);
    void NotifyClients(int code);
    // Pieces of the loop that an item area repeats when it closes a page of its block.
    void PrintChangedHeaders();
    void PrintChangedFooters();
    void RunChildrenBefore();
    void RunChildrenAfter();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void SetBand(TKVCustomBand*& field, TKVCustomBand* value);
    void Follow(TComponent* component);
    void BuildTree(std::vector<const TKVController*>& path);
    void AppendBands(const std::function<void(TKVCustomBand*)>& add,
                     std::vector<const TKVController*>& path) const;
    void PrepareLevel(std::vector<const TKVController*>& path);
    void PrintEmptyLevel();
    void PrintBandWithSpace(TKVCustomBand* band);
    bool Cancelled() const;
    void PumpMessages() const;

    TComponent* FOwnerObject;
    TComponent* FMaster = nullptr;
    TDataSet* FDataSet = nullptr;
    TKVCustomBand* FDetail = nullptr;
    TKVCustomBand* FHeader = nullptr;
    TKVCustomBand* FFooter = nullptr;
    TVardoRep* FParentReport = nullptr;
    bool FPrintBefore = false;
    bool FPrintIfEmpty = false;
    int FDetailNumber = 0;
    std::vector<TKVGroup*> FGroups;
    std::vector<TKVController*> FChildrenBefore;
    std::vector<TKVController*> FChildrenAfter;
    struct TNotifyClient {
        TKVPrintableHooks* Printable;
        TComponent* Component;
    };
    std::vector<TNotifyClient> FNotifyClients;
};

} // namespace tessiv
