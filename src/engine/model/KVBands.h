#pragma once
// The bands of a report: horizontal strips on the report panel that carry printable controls.
// TKVBand has a kind of its own; a child band prints right after its parent band; a group starts
// a new group when its expression changes; a sub-detail is a nested data level. Links between
// bands are component references stored by name, and a chain of links never closes on itself.

#include "engine/model/KVBasePanel.h"
#include "engine/run/KVController.h"
#include "engine/expressions/KVEvaluator.h"
#include "engine/run/KVRunHooks.h"
#include "engine/model/KVTypes.h"
#include "engine/model/KVUnits.h"

#include <memory>
#include <vector>

namespace tessiv {

class TDataSet;
class TKVChildBand;
class TKVGroup;
class TKVSubDetail;
class TVardoRep;
class TKVCustomBand;

using TKVBandAfterPrintEvent = TEvent<void(TKVCustomBand* sender, bool bandPrinted)>;
using TKVBandBeforePrintEvent = TEvent<void(TKVCustomBand* sender, bool& printBand)>;

class TKVCustomBand : public TKVBasePanel {
    TESSIV_CLASS(TKVCustomBand, TKVBasePanel)
public:
    explicit TKVCustomBand(TComponent* owner);
    ~TKVCustomBand() override;

    TKVBandType BandType() const { return FBandType; }
    void SetBandType(TKVBandType value);
    TKVBandSize* Size() const { return FSize.get(); }
    // The report the band was placed on.
    TVardoRep* ParentReport() const { return FParentReport; }
    // That report while the band is registered with it and both have the same owner: the
    // condition under which links by name take effect.
    TVardoRep* LinkedReport() const;

    bool AlignToBottom() const { return FAlignToBottom; }
    void SetAlignToBottom(bool v) { FAlignToBottom = v; }
    bool ForceNewColumn() const { return FForceNewColumn; }
    void SetForceNewColumn(bool v) { FForceNewColumn = v; }
    bool ForceNewPage() const { return FForceNewPage; }
    void SetForceNewPage(bool v) { FForceNewPage = v; }

    // The first child band of the report's band list whose parent band is this one.
    TKVChildBand* ChildBand() const;
    bool HasChild() const { return ChildBand() != nullptr; }
    void SetHasChild(bool value);

    TKVUnit Units() const { return FSize ? FSize->GetUnits() : kvunNative; }
    virtual void SetUnits(TKVUnit value);

    // Set by the report while it lays this band out.
    bool LayingOut() const { return FLayingOut; }
    void SetLayingOut(bool value) { FLayingOut = value; }

    // Bands that an area of their own places (items, observations, column cells) take their
    // width here and are neither moved by the report nor resized through their size object.
    virtual bool PlaceInLayout(int columnWidth) { return false; }
    virtual bool TakesBoundsAsGiven() const { return false; }
    // Told when a band leaves the report's band list.
    virtual void BandRemoved(TKVCustomBand* band) {}

    // ---- printing (during a run; every length in whole 0.1 mm) ----
    // Prints the band at the report's current position: its events, forced breaks, background,
    // printables and nested bands, frame, then its child band.
    virtual void Print();
    // Moves to the next column or page when the band does not fit where it would print.
    void MakeSpace();
    // The band, grown by extra, fits in the space left on the page.
    bool Fits(long double extra) const;
    // Grows the band by amount while a text of it stretches. When the band no longer fits it
    // goes on in the next column or page: the result is true, newTop is where the new part
    // starts and shift how far it moved across.
    bool Expand(int& newTop, int& shift, int amount);
    // True when the band cannot go on in another column or page while it prints: page headers and
    // footers, column headers and whatever prints while a page starts or ends. Such a band grows
    // where it is.
    bool GrowsInPlace() const;
    // The band's area on the page being printed, in device units.
    const TRect& PrintRect() const { return FPrintRect; }
    // The band's height in the report's unit; while it prints, with what stretching added.
    long double PrintHeight() const;
    // The kind the band prints as: a page footer's child prints as a page footer.
    TKVBandType PrintKind() const;
    // The item area an items band belongs to; nil for other bands.
    virtual TKVItemAreaRun* ItemArea() { return nullptr; }
    // The column grid of a cell band; nil for other bands.
    virtual TKVColumnGridRun* CellGrid() { return nullptr; }
    // The band itself when it is a column grid; nil otherwise.
    virtual TKVColumnGridRun* AsColumnGrid() { return nullptr; }

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetZoom(int value) override;
    void CopyFrom(TKVBasePanel* source) override;
    void Loaded() override;
    void DefineProperties(TFiler& filer) override;
    // The design surface: background, the report's grid without numbers, the outline, the frame
    // and the caption of the band's kind.
    void Paint(TCanvas& canvas) override;
    void PaintRuler(TCanvas& canvas, TKVUnit units) override;
    // The caption the design surface writes in the band: the name of its kind (the item, column
    // and observation bands name themselves).
    virtual QString DesignCaption() const;

    TKVBandAfterPrintEvent AfterPrint;
    TKVBandBeforePrintEvent BeforePrint;

    // ---- design time ----
    // The press state the report's designer keeps on the band: a left press taken (DesignPressed,
    // PressState 1 when it starts a drag or an insertion, 2 after a left release that ended no
    // press), the press point in band coordinates, the rubber rectangle in the report's window
    // and a press that only activated the window (ActivationClick).
    bool DesignPressed = false;
    bool ActivationClick = false;
    TPoint DownPoint;
    TRect RubberRect;
    int PressState = 0;
    // Takes the outline the designer's drag ended with: the band keeps its place and width (the
    // report lays bands out) and takes its height. Nothing without an outline in progress.
    void FitToDesignerRect();
    // Binds every data printable inside the band, nested bands included, to its dataset again.
    void RefreshDataControls();

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // The band's events run, then the report's designer does its design work.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // The band has just been registered with a report.
    virtual void PlacedOnReport(TVardoRep* report) {}
    // Bands of an item area or a column grid lie on that band, not on the report, yet the report
    // the area lies on registers them: they take its size, zoom and band list.
    void SetNestedParent(TWinControl* parent);
    // Rebuilds and lays out the bands of the linked report, if any.
    void RelayoutReport() const;
    // A link that would close a chain: refused silently when set by a caller, and an error while
    // a file is read, where it can only come from a damaged or crafted file.
    void RefuseLoop(const TComponent* target) const;

private:
    std::unique_ptr<TKVBandSize> FSize;
    TVardoRep* FParentReport = nullptr;
    TKVBandType FBandType = rbTitle;
    bool FAlignToBottom = false;
    bool FForceNewColumn = false;
    bool FForceNewPage = false;
    bool FLayingOut = false;
    int FSavedHeight = 40;
    TRect FPrintRect{};
    // The height while the band prints (stretching texts grow it for that print); -1 otherwise.
    long double FPrintHeight = -1;
    // A page footer's child band prints as part of the footer.
    bool FPrintAsFooter = false;

    void PrintGridChild(TKVCustomBand* grid);
    TRect RectAt(int x, int y, long double height) const;
};

class TKVBand : public TKVCustomBand {
    TESSIV_CLASS(TKVBand, TKVCustomBand)
public:
    explicit TKVBand(TComponent* owner);
};

class TKVChildBand : public TKVCustomBand {
    TESSIV_CLASS(TKVChildBand, TKVCustomBand)
public:
    explicit TKVChildBand(TComponent* owner);

    TKVCustomBand* ParentBand() const { return FParentBand; }
    void SetParentBand(TKVCustomBand* value);
    const QString& ParentBandName() const { return FParentBandName; }
    void SetParentBandName(const QString& value);

    void CopyFrom(TKVBasePanel* source) override;
    void Loaded() override;
    // The first group met going up the chain of parent bands; nil when there is none.
    TKVGroup* GroupAbove() const;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // The parent band changed (item areas and column grids find their group from it).
    virtual void ParentBandChanged() {}

private:
    bool WouldLoop(const TKVCustomBand* parent) const;
    void Link(TKVCustomBand* value);

    TKVCustomBand* FParentBand = nullptr;
    QString FParentBandName;
};

// A band that drives a data level of its own.
class TKVControllerBand : public TKVCustomBand {
    TESSIV_CLASS(TKVControllerBand, TKVCustomBand)
public:
    explicit TKVControllerBand(TComponent* owner);
    ~TKVControllerBand() override;

    TKVController* Controller() const { return FController.get(); }
    TComponent* Master() const { return FController->Master(); }
    virtual void SetMaster(TComponent* value);

protected:
    void PlacedOnReport(TVardoRep* report) override;

private:
    std::unique_ptr<TKVController> FController;
};

// The header and footer flags of a sub-detail (not stored).
class TKVSubDetailGroupBands : public TPersistent {
    TESSIV_CLASS(TKVSubDetailGroupBands, TPersistent)
public:
    explicit TKVSubDetailGroupBands(TKVSubDetail* subDetail) : FSubDetail(subDetail) {}
    bool HasHeader() const;
    void SetHasHeader(bool value);
    bool HasFooter() const;
    void SetHasFooter(bool value);

private:
    TKVSubDetail* FSubDetail;
};

class TKVSubDetail : public TKVControllerBand {
    TESSIV_CLASS(TKVSubDetail, TKVControllerBand)
public:
    explicit TKVSubDetail(TComponent* owner);
    ~TKVSubDetail() override;

    TKVSubDetailGroupBands* Bands() const { return FBands.get(); }
    TDataSet* DataSet() const { return Controller()->DataSet(); }
    void SetDataSet(TDataSet* value) { Controller()->SetDataSet(value); }
    TKVCustomBand* HeaderBand() const { return Controller()->Header(); }
    void SetHeaderBand(TKVCustomBand* value);
    TKVCustomBand* FooterBand() const { return Controller()->Footer(); }
    void SetFooterBand(TKVCustomBand* value);
    bool PrintBefore() const { return Controller()->PrintBefore(); }
    void SetPrintBefore(bool value);
    bool PrintIfEmpty() const { return Controller()->PrintIfEmpty(); }
    void SetPrintIfEmpty(bool value) { Controller()->SetPrintIfEmpty(value); }

    TKVOnNeedDataEvent OnNeedData;

private:
    std::unique_ptr<TKVSubDetailGroupBands> FBands;
};

class TKVGroup : public TKVCustomBand {
    TESSIV_CLASS(TKVGroup, TKVCustomBand)
public:
    explicit TKVGroup(TComponent* owner);

    const QString& Expression() const { return FExpression; }
    void SetExpression(const QString& value) { FExpression = value; }
    TKVBand* FooterBand() const { return FFooterBand; }
    void SetFooterBand(TKVBand* value);
    const QString& FooterBandName() const { return FFooterBandName; }
    void SetFooterBandName(const QString& value);
    TComponent* Master() const { return FMaster; }
    // Only a report or a controller band; anything else, nil included, is ignored.
    void SetMaster(TComponent* value);
    // Whether the last check opened a new group.
    bool Changed() const { return FChanged; }
    // The record loop marks groups changed and unchanged at the end of the data and when an
    // item area closes a page of its block.
    void SetChanged(bool value) { FChanged = value; }
    // Takes the expression's present value as the group's and counts as changed: the groups
    // inside a group that changed start again too.
    void TakeNewValue();

    // Before a run: the expression is prepared over the run's datasets (not owned; they must
    // outlive the preparation) and the last value is forgotten, so the first check opens a group.
    void Prepare(const std::vector<TDataSet*>* dataSets);
    // Forgets the last value: the next check opens a group. A nested level starts its groups
    // afresh at each of its runs, whatever value they closed the previous master record with.
    void Restart();
    // After a run: the prepared expression lets go of the datasets' fields.
    void Unprepare();
    // Once per record: evaluates the expression and tells whether its value opened a new group.
    // A value of another kind is a change; two error values are never one.
    bool CheckGroup();
    bool HasLastValue() const { return FHasLastValue; }
    const TKVEvResult& LastValue() const { return FLastValue; }

    void CopyFrom(TKVBasePanel* source) override;
    void DefineProperties(TFiler& filer) override;
    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void PlacedOnReport(TVardoRep* report) override;

private:
    QString FExpression;
    TKVBand* FFooterBand = nullptr;
    QString FFooterBandName;
    TComponent* FMaster = nullptr;
    std::unique_ptr<TKVEvaluator> FEvaluator;
    TKVEvResult FLastValue;
    bool FHasLastValue = false;
    bool FChanged = false;
};

} // namespace tessiv
