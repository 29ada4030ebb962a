#pragma once
// The report designer: the single-selection design tool of one report at a time. It knows the
// attached report and the selected control (the report, a band or a printable), shows eight black
// sizing handles around a selected band or printable, draws the exclusive-or outline that follows
// the mouse while a control is dragged or resized, and inserts a control of a pending class where
// the user clicks or drags a rectangle on a band. The report, its bands and its printables raise
// their own mouse events and then hand the press, move and release over to it (TKVDesignLink).
//
// Caveats for callers:
// - Every Attach detaches first, so it also brings the selection back to
//   the report and drops a pending class. Destroying the report detaches the designer.
// - SetSelected neither places nor shows the handles: call RefreshHandles after it, and after
//   every change of the selected control's bounds.
// - The designer only works with the report on a host (the document window's surface, or a
//   headless host in tests): outlines go to the host's exclusive-or rectangles.

#include "engine/design/KVDesignLink.h"
#include "engine/model/KVUnits.h"
#include "platform/controls/Controls.h"

#include <functional>
#include <memory>

namespace tessiv {

class TKVCustomBand;
class TKVDesigner;
class TKVPrintable;
class TScrollBoxTimer;
class TVardoRep;
struct TClassInfo;

// One of the eight sizing handles: a 4 by 4 black square on the report, owned by the designer.
class TKVControlHandle : public TCustomControl {
    TESSIV_CLASS(TKVControlHandle, TCustomControl)
public:
    TKVControlHandle(TKVDesigner* designer, int index);

    // 1 top-left, 2 top, 3 top-right, 4 left, 5 right, 6 bottom-left, 7 bottom, 8 bottom-right.
    int Index() const { return FIndex; }
    // Sets the index and, when it changed, the sizing cursor of that place.
    void SetIndex(int index);
    TKVDesigner* Designer() const { return FDesigner; }
    // The top-left corner, in the report's coordinates.
    void SetPos(int left, int top);
    // Hides it when it is visible, on the report and not going away.
    void HideHandle();
    // On the report: in front of everything, and shown.
    void ShowHandle();

    // A left press on this handle started a resize.
    bool Pressed = false;
    // 0 idle, 1 a press was taken, 2 a left release arrived without a press.
    int PressState = 0;
    // The last press point, in the handle's coordinates.
    TPoint DownPoint;

    // The whole square black, whatever the brush.
    void Paint(TCanvas& canvas) override;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TKVDesigner* FDesigner;
    int FIndex = 0;
};

// The cursor of a handle's place; crDefault for index 0 or any other.
TCursor HandleCursor(int index);

// The design grid: whole millimetres and characters, fortieths of an inch, a pixel or a native
// unit; halves go to the even neighbour.
long double RoundDesignPosition(TKVUnit units, long double value);

class TKVDesigner : public TControl, public TKVDesignLink {
    TESSIV_CLASS(TKVDesigner, TControl)
public:
    // Owned by the main form and never given a parent.
    explicit TKVDesigner(TComponent* owner);
    ~TKVDesigner() override;

    // ---- state ----
    // The report, a band or a printable; nil only while detached.
    TControl* Selected() const { return FSelected; }
    bool Attached() const { return FAttached; }
    // A class waits to be inserted at the next press on a band.
    bool InsertPending() const { return FInsertPending; }
    const TClassInfo* PendingClass() const { return FPendingClass; }
    TVardoRep* Report() const { return FReport; }
    // A drag on a sizing handle is in progress.
    bool Resizing() const { return FResizing; }
    // 1..8; nil outside that range or while detached.
    TKVControlHandle* Handles(int index) const;
    // The outline last drawn, in the report's coordinates.
    TRect OutlineRect() const { return FOutlineRect; }
    int HandleIndex() const { return FHandleIndex; }
    TPoint GrabPoint() const { return FGrabPoint; }

    // ---- attaching ----
    // Detaches, makes eight new handles on the report, links the report (DesignState 4) and
    // selects it. Nil only detaches.
    void Attach(TVardoRep* report);
    // Drops a pending class; when attached, lets go of the report (DesignState 0 and no designer
    // reference left on it), the selection and the handles.
    void Detach() override;
    // The class inserted by the next press on a band (an insert command).
    void SetPendingClass(const TClassInfo* cls);

    // ---- selection and handles ----
    // Hides the handles when the selection changes, raises OnSelect (Selected still the previous
    // one then), selects and gives the report the keyboard, keeping the scroll box where it was.
    virtual void SetSelected(TControl* control);
    void SetOnSelect(std::function<void(TControl*)> handler) { OnSelect = std::move(handler); }
    // Places the handles around the selection and shows them.
    void RefreshHandles();
    // 0 make the eight handles, 1 put them on the report, 2 free them, 4 place and show them
    // around a selected band or printable, 5 hide them; 3 does nothing.
    void UpdateHandles(int operation);
    void PlaceHandles(TControl* control);

    // ---- insertion ----
    // Makes a control of the pending class (owned by the report's owner) on the band at (left,
    // top), clears the pending class and selects the control; nil when no class is pending. A
    // control that fails to be set up is freed and the error passes on.
    TControl* InsertPending(TKVCustomBand* band, int left, int top);

    // ---- handle drags (handle coordinates) ----
    void StartHandleDrag(int x, int y, int index);
    void TrackHandle(int x, int y);
    void EndHandleDrag(int x, int y);

    // ---- the outline ----
    // Draws the selection's outline and starts the auto-scroll timer for the drag.
    void BeginOutline();
    // r in the selection's parent coordinates.
    void MoveOutline(const TRect& r);
    // Removes the outline and gives it back in the selection's parent coordinates; ends the timer.
    TRect GetDragRect() override;
    bool Outlining() const override { return FOutlining; }
    // The auto-scroll timer of the drag in progress; nil when no drag runs.
    TScrollBoxTimer* ScrollTimer() const { return FTimer.get(); }

    // ---- events ----
    TEvent<void(TControl*)> OnSelect;
    TEvent<void(TObject* sender, TKVControlHandle* handle, TMouseButton button, TShiftState shift, int x, int y)>
        OnHandleMouseDown;
    TEvent<void(TObject* sender, TKVControlHandle* handle, TShiftState shift, int x, int y)> OnHandleMouseMove;
    TEvent<void(TObject* sender, TKVControlHandle* handle, TMouseButton button, TShiftState shift, int x, int y)>
        OnHandleMouseUp;

    // Whether the form a control lies on is the active window. Unassigned, the designer asks the
    // document window's place in the main form's document area; a report on no window counts as
    // active.
    std::function<bool(const TControl*)> FormActive;
    bool IsFormActive(const TControl* control) const;

    // ---- the link: the report's, bands' and printables' design work ----
    void ReportMouseDown(TVardoRep* report, TMouseButton button, TShiftState shift, int x, int y) override;
    void BandMouseDown(TKVCustomBand* band, TMouseButton button, TShiftState shift, int x, int y) override;
    void BandMouseMove(TKVCustomBand* band, TShiftState shift, int x, int y) override;
    void BandMouseUp(TKVCustomBand* band, TMouseButton button, TShiftState shift, int x, int y) override;
    void PrintableMouseDown(TKVPrintable* printable, TMouseButton button, TShiftState shift, int x, int y) override;
    void PrintableMouseMove(TKVPrintable* printable, TShiftState shift, int x, int y) override;
    void PrintableMouseUp(TKVPrintable* printable, TMouseButton button, TShiftState shift, int x, int y) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TKVControlHandle;
    // One exclusive-or rectangle in the report's coordinates, on the report's host.
    void DrawOutline(const TRect& r) const;
    void SetSelectedDirect(TControl* control);
    // Posts a left release at (x, y) to the control and lets it be handled: the press that posts
    // it is ended at once. The real release of that press is then not an unpaired one.
    void EndPressAtOnce(TWinControl* control, int x, int y);
    // A left press taken on a band or a printable: after a release that ended nothing, or after a
    // press that only activated the window, it ends at once; else it may start a drag.
    template <class Pressed>
    void TakeLeftPress(Pressed* control, int x, int y);
    // A press of another button during a drag: the drag ends where it began, its outline or
    // rubber rectangle goes, and the left release still to come is taken as the end of it.
    void CancelDrag(TWinControl* control);
    // A drag's outline and rubber rectangle leave the surface and its scrolling timer stops.
    void EndDragTraces();
    // A release that ends no press; true when it was the real release of a press ended at once.
    bool SwallowEndedRelease(const TControl* control, TMouseButton button);
    // The keyboard goes to the report (a printable's release).
    void ActivateReport();

    TControl* FSelected = nullptr;
    bool FAttached = false;
    bool FInsertPending = false;
    TVardoRep* FReport = nullptr;
    bool FResizing = false;
    TKVControlHandle* FHandles[8] = {};
    TRect FOutlineRect;
    const TClassInfo* FPendingClass = nullptr;
    int FHandleIndex = 1;
    TPoint FGrabPoint;
    // The drag in progress: its outline, the offset of the dragged control's parent, the timer,
    // the band showing a rubber rectangle and the moved flags.
    bool FOutlining = false;
    TPoint FOutlineOffset;
    std::unique_ptr<TScrollBoxTimer> FTimer;
    TKVCustomBand* FRubberBand = nullptr;
    bool FBandMoved = false;
    bool FPrintableMoved = false;
    const TControl* FEndedPress = nullptr;
};

} // namespace tessiv
