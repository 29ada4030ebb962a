#pragma once
// The design-surface tools the label and report designers share: the multi-selection with its
// corner marks and group drag, the auto-scroll of a drag that leaves the scroll box, and the small
// routines of coordinates and units every designer part uses.
//
// Outlines are exclusive-or rectangles in the host's set (drawing one twice removes it), put in
// the coordinates of the report's window and drawn there. The host's surface stands for the
// screen; a scroll moves the host's view over the surface and the mouse with it.

#include "engine/model/KVUnits.h"
#include "platform/controls/Controls.h"
#include "platform/controls/ScrollBox.h"
#include "platform/graphics/Types.h"

#include <QString>

#include <exception>
#include <memory>
#include <vector>

class QTimer;

namespace tessiv {

class TKVCustomBand;
class TMultiDesigner;

// r with Left/Right and Top/Bottom swapped where they are the wrong way round.
TRect NormalizeRect(const TRect& r);
TRect NormalizeRect(int left, int top, int right, int bottom);

// Millimetres and characters snap to whole units, the other units to fortieths; halves go to even.
long double RoundToUnit(TKVUnit units, long double value);

// What takes a rectangle in c's parent coordinates into the coordinates of the report's window:
// the Left/Top of every ancestor below the report (nothing for a band lying on the report).
TPoint ReportOffset(const TControl* c);
// What takes a rectangle in the band's own client coordinates into the report's window.
TPoint RubberOffset(const TKVCustomBand* band);

// A pair of values in the report's unit, X then Y.
struct TUnitPair {
    long double X = 0;
    long double Y = 0;
};
TUnitPair SetUnitPair(long double x, long double y);

// Left first, then Top (each is a move of its own, as the designer keys expect).
void SetControlPos(TControl* control, int left, int top);

// A printable's stored Top, then Left, rounded to its report's unit grid; only when forced or when
// the report snaps to the grid. Anything but a printable is left alone.
void SnapToGrid(TControl* control, bool force);

// The scrolling control that scrolls obj: obj itself when it scrolls, a multi-selection's surface's,
// a windowed control's parent's; nil for anything else.
TScrollingWinControl* FindScrollBox(TObject* obj);

// For a band or a printable: the focus rectangle of r's size at topLeft (both in the control's
// parent coordinates), taken into the report's window and drawn there. Nothing for a control on no
// report or of another kind.
void DrawDragOutline(TControl* control, const TRect& r, TPoint topLeft);

// One square of a corner mark: 4 by 4, black, on the marked control's parent, owned by the control.
class TEtiqControlHandle : public TCustomControl {
    TESSIV_CLASS(TEtiqControlHandle, TCustomControl)
public:
    explicit TEtiqControlHandle(TComponent* owner, int corner = 1);

    int Corner() const { return FCorner; }
    void SetCorner(int corner);
    // The marked control (the owner).
    TControl* Control() const;
    void ShowHandle();
    void HideHandle();
    void SetParent(TWinControl* parent) override;
    void Paint(TCanvas& canvas) override;

private:
    int FCorner = 1;
};

// The corner marks of one selected control: four squares 1 top-left, 2 top-right, 3 bottom-left,
// 4 bottom-right centred on its corners, and the control's outline while the group is dragged.
// Owned by and parented to the marked control; it paints nothing itself.
class TEtiqCantos : public TControl {
    TESSIV_CLASS(TEtiqCantos, TControl)
public:
    TEtiqCantos(TControl* control, TWinControl* surface);
    ~TEtiqCantos() override;

    TControl* Control() const { return FControl; }
    bool HasHandles() const { return FHasHandles; }
    bool Shown() const { return FShown; }
    TWinControl* Surface() const;
    TEtiqControlHandle* Corners(int corner) const; // 1..4
    TRect StartRect() const { return FStartRect; }
    TRect DragRect() const { return FDragRect; }
    // The group outline is on the surface now.
    bool OutlineShown() const { return FOutlineShown; }

    virtual void SetControl(TControl* control);
    void UpdatePosition();
    void AlignToControl(TControl* control) { PlaceHandles(control); }
    void PlaceHandles(TControl* control);
    // 0 create, 1 parent, 2 free, 3 nothing, 4 place and show, 5 hide.
    void DoHandles(int operation);
    void RemoveHandles();

    // The group outline, in the coordinates of the surface (the report's window).
    void StartDrag();
    void DragTo(int dx, int dy);
    void OffsetDrag(int dx, int dy);
    // Takes the outline off and gives it in the control's parent coordinates.
    void EndDrag(TRect& r);
    // Takes the outline off, when it is shown, without ending anything else.
    void RemoveOutline();

private:
    friend class TMultiDesigner;
    void DrawOutline(const TRect& r);

    TControl* FControl = nullptr;
    TWinControl* FSurface = nullptr;
    TEtiqControlHandle* FCorners[4] = {};
    bool FHasHandles = false;
    bool FShown = false;
    bool FOutlineShown = false;
    TRect FStartRect;
    TRect FDragRect;
    TMultiDesigner* FDesigner = nullptr; // told when the mark goes with its control
};

// Scrolls the scroll box of a drag while the cursor is outside it: every 100 ms while it lives,
// which is as long as the drag. Tick is public so that a test can run it at will.
class TScrollBoxTimer {
public:
    explicit TScrollBoxTimer(TObject* dragged);
    ~TScrollBoxTimer();
    TScrollBoxTimer(const TScrollBoxTimer&) = delete;
    TScrollBoxTimer& operator=(const TScrollBoxTimer&) = delete;

    void SetControl(TObject* obj);
    TObject* Dragged() const { return FDragged; }
    TScrollingWinControl* ScrollBox() const { return FScrollBox; }
    TPoint GrabOffset() const { return FGrabOffset; }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    int Interval() const { return FInterval; }

    // The single control's outline: given and taken in report coordinates, kept in the dragged
    // control's parent coordinates.
    void SetDragRect(const TRect& r);
    TRect GetDragRect() const;
    TRect DragRect() const { return FDragRect; }

    // Set by every tick that scrolled; the designer reads and clears it.
    bool Scrolled = false;
    // A handle drag rather than a move: told by the report's designer.
    bool Resizing = false;

    void Tick();

private:
    TObject* FDragged = nullptr;
    TControl* FDraggedControl = nullptr;
    TMultiDesigner* FDraggedDesigner = nullptr;
    TScrollingWinControl* FScrollBox = nullptr;
    TPoint FGrabOffset;
    TRect FDragRect;
    int FInterval = 100;
    std::unique_ptr<QTimer> FTimer;
};

// The auto-scroll timer of the group drag in progress, or nil.
TScrollBoxTimer* GroupDragTimer();

// Several printables selected at once, each with its corner marks; the common kind of the
// selection chooses the property tool bar; the group is dragged with one outline per control.
class TMultiDesigner : public TPersistent {
    TESSIV_CLASS(TMultiDesigner, TPersistent)
public:
    TMultiDesigner();
    ~TMultiDesigner() override;
    TMultiDesigner(const TMultiDesigner&) = delete;
    TMultiDesigner& operator=(const TMultiDesigner&) = delete;

    void Reset();
    void SetSurface(TWinControl* surface) { FSurface = surface; }
    TWinControl* Surface() const;
    int Count() const { return static_cast<int>(FSelected.size()); }
    const std::vector<TControl*>& SelectedControls() const { return FSelected; }
    const std::vector<TEtiqCantos*>& CornerMarks() const { return FMarks; }
    bool IsSelected(const TControl* control) const;
    const QString& Kind() const { return FKind; }
    bool Dragging() const { return FDragging; }
    TPoint GroupStart() const { return FGroupStart; }

    // Raises OnChange after the toggle, or once at the end of the batch it is part of.
    void Toggle(TControl* control);
    void Clear();
    bool DeleteSelected();
    // Several toggles as one change of the selection: OnChange is raised once, by the EndUpdate
    // that closes the outermost batch, when something was toggled in it. Pair every BeginUpdate
    // with an EndUpdate (TMultiSelectionBatch does).
    void BeginUpdate() { ++FUpdating; }
    void EndUpdate();
    // "S" starts, "M" follows and "R" ends a group drag at the host's cursor.
    void MoveSelection(const QString& command);

    TNotifyEvent OnChange;
    TNotifyEvent OnClear;
    TEvent<void(TObject* sender, TControl* control)> OnDeleteControl;

private:
    friend class TEtiqCantos;
    friend class TScrollBoxTimer;
    void UpdateKind(TControl* control);
    void Append(TControl* control, TEtiqCantos* mark);
    void FreeMark(TEtiqCantos* mark);
    // A selected control went away (its mark with it): its entry goes too.
    void MarkGone(TEtiqCantos* mark);
    // Ends a drag without moving anything: the outlines come off and the timer stops.
    void CancelDrag();
    TPoint Cursor() const;
    // The program's group-drag timer when it is this designer's drag that runs it.
    TScrollBoxTimer* OwnTimer() const;
    // After a scroll: every outline put back under the cursor.
    void FollowCursor();

    TWinControl* FSurface = nullptr;
    QString FKind;
    bool FDragging = false;
    TPoint FGroupStart;
    std::vector<TControl*> FSelected;
    std::vector<TEtiqCantos*> FMarks;
    int FUpdating = 0;
    bool FChangedInUpdate = false;
};

// A batch of toggles for a scope: the selection raises its change once, when the scope ends.
class TMultiSelectionBatch {
public:
    explicit TMultiSelectionBatch(TMultiDesigner* designer)
        : FDesigner(designer), FExceptions(std::uncaught_exceptions())
    {
        if (FDesigner)
            FDesigner->BeginUpdate();
    }
    // The change is raised also when the batch is left by an exception; a failure of its handlers
    // then gives way to the exception already on its way.
    ~TMultiSelectionBatch() noexcept(false)
    {
        if (!FDesigner)
            return;
        if (std::uncaught_exceptions() == FExceptions) {
            FDesigner->EndUpdate();
            return;
        }
        try {
            FDesigner->EndUpdate();
        } catch (...) {
        }
    }
    TMultiSelectionBatch(const TMultiSelectionBatch&) = delete;
    TMultiSelectionBatch& operator=(const TMultiSelectionBatch&) = delete;

private:
    TMultiDesigner* FDesigner;
    int FExceptions;
};

} // namespace tessiv
