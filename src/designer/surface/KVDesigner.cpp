#include "designer/surface/KVDesigner.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVCustomLabel.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/ControlHostBase.h"
#include "platform/controls/ScrollBox.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"
#include "uisupport/Form.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdlib>

namespace tessiv {

namespace {

bool IsBandOrPrintable(const TControl* c)
{
    return dynamic_cast<const TKVCustomBand*>(c) || dynamic_cast<const TKVPrintable*>(c);
}

TRect Shifted(const TRect& r, TPoint by)
{
    return {r.Left + by.X, r.Top + by.Y, r.Right + by.X, r.Bottom + by.Y};
}

void ProcessMessages()
{
    Application().ProcessMessages();
}

} // namespace

TCursor HandleCursor(int index)
{
    switch (index) {
    case 1:
    case 8:
        return crSizeNWSE;
    case 2:
    case 7:
        return crSizeNS;
    case 3:
    case 6:
        return crSizeNESW;
    case 4:
    case 5:
        return crSizeWE;
    default:
        return crDefault;
    }
}

long double RoundDesignPosition(TKVUnit units, long double value)
{
    return RoundToUnit(units, value);
}

// ---- TKVControlHandle -------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVControlHandle, TCustomControl, )

TKVControlHandle::TKVControlHandle(TKVDesigner* designer, int index) : TCustomControl(designer), FDesigner(designer)
{
    SetVisible(false);
    SetBounds(0, 0, 4, 4);
    SetIndex(index);
}

void TKVControlHandle::SetIndex(int index)
{
    if (index == FIndex)
        return;
    FIndex = index;
    SetCursor(HandleCursor(index));
}

void TKVControlHandle::SetPos(int left, int top)
{
    SetBounds(left, top, Width(), Height());
}

void TKVControlHandle::HideHandle()
{
    if (Visible() && Parent() && !ComponentState().Contains(csDestroying))
        Hide();
}

void TKVControlHandle::ShowHandle()
{
    if (!Parent())
        return;
    BringToFront();
    Show();
}

void TKVControlHandle::Paint(TCanvas& canvas)
{
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect(ClientRect());
}

void TKVControlHandle::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    // Another button pressed during a resize ends it where it began.
    if (button != mbLeft && Pressed && FDesigner->Resizing())
        FDesigner->CancelDrag(this);
    Pressed = false;
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || FDesigner->Resizing())
        return;
    DownPoint = {x, y};
    FDesigner->StartHandleDrag(x, y, FIndex);
    // Hidden for the drag, the handle still takes the mouse until the release.
    SetMouseCapture(true);
    Pressed = true;
    if (PressState == 2) {
        FDesigner->EndPressAtOnce(this, x, y);
        return;
    }
    PressState = 1;
    if (FDesigner->OnHandleMouseDown)
        FDesigner->OnHandleMouseDown(FDesigner, this, button, shift, x, y);
}

void TKVControlHandle::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!Pressed || PressState != 1 || (x == DownPoint.X && y == DownPoint.Y))
        return;
    if (FDesigner->OnHandleMouseMove)
        FDesigner->OnHandleMouseMove(FDesigner, this, shift, x, y);
    if (FDesigner->Resizing())
        FDesigner->TrackHandle(x, y);
}

void TKVControlHandle::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (!Pressed) {
        if (FDesigner->SwallowEndedRelease(this, button)) {
            if (button == mbLeft)
                SetMouseCapture(false);
        } else if (PressState != 1) {
            PressState = 2;
        }
        return;
    }
    if (button == mbLeft && FDesigner->Resizing()) {
        Pressed = false;
        SetMouseCapture(false);
        FDesigner->EndHandleDrag(x, y);
        PressState = 0;
    }
    if (FDesigner->OnHandleMouseUp)
        FDesigner->OnHandleMouseUp(FDesigner, this, button, shift, x, y);
}

// ---- TKVDesigner: attaching -------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVDesigner, TControl, )

TKVDesigner::TKVDesigner(TComponent* owner) : TControl(owner) {}

TKVDesigner::~TKVDesigner()
{
    // The report must not keep a designer that is gone.
    try {
        Detach();
    } catch (...) {
    }
}

TKVControlHandle* TKVDesigner::Handles(int index) const
{
    return index >= 1 && index <= 8 ? FHandles[index - 1] : nullptr;
}

void TKVDesigner::Attach(TVardoRep* report)
{
    Detach();
    // Nothing to attach to: the designer stays detached.
    if (!report)
        return;
    UpdateHandles(0);
    FReport = report;
    report->FreeNotification(this);
    report->LinkDesigner(this);
    SetSelected(report);
    FAttached = true;
}

void TKVDesigner::Detach()
{
    FInsertPending = false;
    if (!FAttached && !FReport)
        return;
    // A drag cut short leaves nothing on the surface and no timer running.
    EndDragTraces();
    FResizing = false;
    if (FReport) {
        FReport->LinkDesigner(nullptr);
        FReport->RemoveFreeNotification(this);
    }
    UpdateHandles(2);
    FReport = nullptr;
    FSelected = nullptr;
    FEndedPress = nullptr;
    FAttached = false;
}

void TKVDesigner::SetPendingClass(const TClassInfo* cls)
{
    FPendingClass = cls;
    FInsertPending = true;
}

void TKVDesigner::Notification(TComponent* component, TOperation operation)
{
    TControl::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FReport) {
        // The report's destructor detaches first; this covers a report freed some other way.
        FReport = nullptr;
        FSelected = nullptr;
        FAttached = false;
        FRubberBand = nullptr;
        FOutlining = false;
        FTimer.reset();
        for (TKVControlHandle*& h : FHandles)
            h = nullptr;
        return;
    }
    if (component == FSelected) {
        if (FOutlining)
            GetDragRect();
        FTimer.reset();
        // No handles stay around a control that is gone.
        for (TKVControlHandle* h : FHandles)
            if (h)
                h->HideHandle();
        FSelected = nullptr;
    }
    if (component == FRubberBand) {
        DrawOutline(FRubberBand->RubberRect);
        FRubberBand = nullptr;
    }
    if (component == FEndedPress)
        FEndedPress = nullptr;
    for (TKVControlHandle*& h : FHandles)
        if (h == component)
            h = nullptr;
}

// ---- selection and handles --------------------------------------------------------------------

void TKVDesigner::SetSelectedDirect(TControl* control)
{
    if (control == FSelected)
        return;
    // The notification stays asked for on the previous selection: it may still be the band of a
    // rubber rectangle or of a press ended at once.
    FSelected = control;
    if (control && control != FReport)
        control->FreeNotification(this);
}

void TKVDesigner::SetSelected(TControl* control)
{
    if (control != FSelected)
        UpdateHandles(5);
    if (control && OnSelect)
        OnSelect(control);
    SetSelectedDirect(control);
    UpdateHandles(1);
    if (!FReport || !FReport->Visible() || FReport->Focused() || !FReport->CanFocus())
        return;
    // Focusing the report must not move the view of a page scrolled to elsewhere.
    auto* box = dynamic_cast<TScrollingWinControl*>(FReport->Parent());
    const int horz = box ? box->HorzScrollBar()->Position() : 0;
    const int vert = box ? box->VertScrollBar()->Position() : 0;
    FReport->SetFocus();
    if (box && box->HorzScrollBar()->Position() != horz)
        box->HorzScrollBar()->SetPosition(horz);
    if (box && box->VertScrollBar()->Position() != vert)
        box->VertScrollBar()->SetPosition(vert);
}

void TKVDesigner::RefreshHandles()
{
    PlaceHandles(FSelected);
    UpdateHandles(4);
}

void TKVDesigner::UpdateHandles(int operation)
{
    switch (operation) {
    case 0:
        for (int i = 0; i < 8; ++i)
            FHandles[i] = new TKVControlHandle(this, i + 1);
        break;
    case 1:
        for (TKVControlHandle* h : FHandles)
            if (h && h->Parent() != FReport)
                h->SetParent(FReport);
        break;
    case 2:
        for (TKVControlHandle*& h : FHandles) {
            if (!h)
                continue;
            TKVControlHandle* gone = h;
            h = nullptr;
            gone->SetParent(nullptr);
            gone->Free();
        }
        break;
    case 4:
    case 5:
        if (!FSelected)
            break;
        if (operation == 4) {
            PlaceHandles(FSelected);
            // The report itself has no handles: nothing could be sized or moved through them.
            if (IsBandOrPrintable(FSelected))
                for (TKVControlHandle* h : FHandles)
                    if (h)
                        h->ShowHandle();
        } else {
            for (TKVControlHandle* h : FHandles)
                if (h)
                    h->HideHandle();
        }
        // The handles are shown or hidden together: the report paints once.
        if (FReport)
            FReport->Update();
        break;
    default:
        break;
    }
}

void TKVDesigner::PlaceHandles(TControl* control)
{
    if (!control)
        return;
    const TPoint offset = ReportOffset(control);
    const int l = control->Left() + offset.X;
    const int t = control->Top() + offset.Y;
    const int w = control->Width();
    const int h = control->Height();
    const TPoint places[8] = {
        {l - 2, t - 2},         {l + w / 2 - 2, t - 2},         {l + w - 2, t - 2},
        {l - 2, t + h / 2 - 2}, {l + w - 2, t + h / 2 - 2},     {l - 2, t + h - 2},
        {l + w / 2 - 2, t + h - 2}, {l + w - 2, t + h - 2},
    };
    for (int i = 0; i < 8; ++i)
        if (FHandles[i])
            FHandles[i]->SetPos(places[i].X, places[i].Y);
}

// ---- insertion --------------------------------------------------------------------------------

TControl* TKVDesigner::InsertPending(TKVCustomBand* band, int left, int top)
{
    if (!FInsertPending || !FPendingClass || !FPendingClass->Create || !FReport || !band)
        return nullptr;
    TComponent* made = FPendingClass->Create(FReport->Owner());
    auto* control = dynamic_cast<TControl*>(made);
    if (!control) {
        made->Free();
        return nullptr;
    }
    try {
        control->SetParent(band);
        control->SetTop(top);
        control->SetLeft(left);
    } catch (...) {
        control->Free();
        throw;
    }
    FInsertPending = false;
    control->Invalidate();
    ProcessMessages();
    SetSelected(control);
    return control;
}

// ---- the outline ------------------------------------------------------------------------------

void TKVDesigner::DrawOutline(const TRect& r) const
{
    TControlHostBase* host = FReport ? FReport->Host() : nullptr;
    if (!host)
        return;
    host->DrawFocusRect(Shifted(r, host->SurfaceOrigin(FReport)));
}

void TKVDesigner::BeginOutline()
{
    // One outline at a time: one left over goes first.
    if (FOutlining)
        GetDragRect();
    FTimer.reset();
    if (!IsBandOrPrintable(FSelected))
        return;
    FOutlineOffset = ReportOffset(FSelected);
    FOutlineRect = Shifted(FSelected->BoundsRect(), FOutlineOffset);
    DrawOutline(FOutlineRect);
    FOutlining = true;
    FTimer = std::make_unique<TScrollBoxTimer>(FSelected);
    FTimer->Resizing = FResizing;
    FTimer->SetDragRect(FOutlineRect);
}

void TKVDesigner::MoveOutline(const TRect& r)
{
    if (!FTimer || !FOutlining)
        return;
    if (FTimer->Scrolled) {
        // A tick moved and redrew the outline since the last move.
        FTimer->Scrolled = false;
        return;
    }
    FOutlineRect = FTimer->GetDragRect();
    DrawOutline(FOutlineRect);
    FOutlineRect = Shifted(r, FOutlineOffset);
    DrawOutline(FOutlineRect);
    FTimer->SetDragRect(FOutlineRect);
}

TRect TKVDesigner::GetDragRect()
{
    if (!FOutlining) {
        // No outline: nothing to take off, the selection keeps its bounds.
        FTimer.reset();
        return FSelected ? FSelected->BoundsRect() : TRect{};
    }
    if (FTimer)
        FOutlineRect = FTimer->GetDragRect();
    DrawOutline(FOutlineRect);
    FOutlining = false;
    FTimer.reset();
    return Shifted(FOutlineRect, {-FOutlineOffset.X, -FOutlineOffset.Y});
}

// ---- handle drags -----------------------------------------------------------------------------

void TKVDesigner::StartHandleDrag(int x, int y, int index)
{
    FResizing = true;
    FGrabPoint = {x, y};
    FHandleIndex = index;
    UpdateHandles(5);
    ProcessMessages();
    BeginOutline();
    ProcessMessages();
}

void TKVDesigner::TrackHandle(int x, int y)
{
    if (!IsBandOrPrintable(FSelected))
        return;
    const int dx = x - FGrabPoint.X;
    const int dy = y - FGrabPoint.Y;
    const int l = FSelected->Left();
    const int t = FSelected->Top();
    const int r = l + FSelected->Width();
    const int b = t + FSelected->Height();
    TRect n{l, t, r, b};
    switch (FHandleIndex) {
    case 1: n = {l + dx, t + dy, r, b}; break;
    case 2: n = {l, t + dy, r, b}; break;
    case 3: n = {l, t + dy, r + dx, b}; break;
    case 4: n = {l + dx, t, r, b}; break;
    case 5: n = {l, t, r + dx, b}; break;
    case 6: n = {l + dx, t, r, b + dy}; break;
    case 7: n = {l, t, r, b + dy}; break;
    case 8: n = {l, t, r + dx, b + dy}; break;
    default: break;
    }
    MoveOutline(NormalizeRect(n));
}

void TKVDesigner::EndHandleDrag(int x, int y)
{
    TrackHandle(x, y);
    if (auto* printable = dynamic_cast<TKVPrintable*>(FSelected))
        printable->FitToDesignerRect();
    else if (auto* band = dynamic_cast<TKVCustomBand*>(FSelected))
        band->FitToDesignerRect();
    // A drag on the report's handles changes nothing; its outline still ends here.
    if (FOutlining)
        GetDragRect();
    FResizing = false;
    UpdateHandles(4);
}

// ---- presses ended at once --------------------------------------------------------------------

bool TKVDesigner::IsFormActive(const TControl* control) const
{
    if (FormActive)
        return FormActive(control);
    // The form a report lies on owns the control at the root of its tree (a document window's
    // client); a report on no form counts as active.
    const TControl* root = control;
    while (root && root->Parent())
        root = root->Parent();
    auto* form = root ? dynamic_cast<TForm*>(root->Owner()) : nullptr;
    if (!form || !form->Window())
        return true;
    // The main form that owns the designer knows which document window is the active one.
    if (auto* window = dynamic_cast<TfmAnexo_MDIChild*>(form))
        if (auto* main = dynamic_cast<TfmAnexo*>(Owner()))
            return main->ActiveMDIChild() == window;
    // A document window is active when its area says so; any other form when its window is.
    for (QWidget* w = form->Window(); w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w); sub && sub->mdiArea())
            return sub->mdiArea()->activeSubWindow() == sub;
    return form->Window()->isActiveWindow();
}

void TKVDesigner::EndPressAtOnce(TWinControl* control, int x, int y)
{
    FEndedPress = control;
    control->FreeNotification(this);
    PostMessage(control, WM_LBUTTONUP, MK_LBUTTON, MakeLParam(x, y));
    ProcessMessages();
}

template <class Pressed>
void TKVDesigner::TakeLeftPress(Pressed* control, int x, int y)
{
    control->DesignPressed = true;
    if (control->PressState == 2 || control->ActivationClick) {
        control->ActivationClick = false;
        EndPressAtOnce(control, x, y);
    } else {
        control->PressState = 1;
    }
}

void TKVDesigner::EndDragTraces()
{
    if (FOutlining)
        GetDragRect();
    if (FRubberBand) {
        DrawOutline(FRubberBand->RubberRect);
        FRubberBand = nullptr;
    }
    FTimer.reset();
}

void TKVDesigner::CancelDrag(TWinControl* control)
{
    EndDragTraces();
    FBandMoved = false;
    FPrintableMoved = false;
    if (auto* band = dynamic_cast<TKVCustomBand*>(control)) {
        band->DesignPressed = false;
        band->PressState = 0;
    } else if (auto* printable = dynamic_cast<TKVPrintable*>(control)) {
        printable->DesignPressed = false;
        printable->PressState = 0;
    } else if (auto* handle = dynamic_cast<TKVControlHandle*>(control)) {
        // The handle keeps the mouse until the left button goes up.
        handle->Pressed = false;
        handle->PressState = 0;
        FResizing = false;
        UpdateHandles(4);
    }
    // The left release still to come belongs to the press ended here.
    FEndedPress = control;
    control->FreeNotification(this);
}

bool TKVDesigner::SwallowEndedRelease(const TControl* control, TMouseButton button)
{
    if (!control || control != FEndedPress)
        return false;
    // Other buttons going up meanwhile are part of the same press; the left one ends it.
    if (button == mbLeft)
        FEndedPress = nullptr;
    return true;
}

void TKVDesigner::ActivateReport()
{
    if (!FReport || !FReport->CanFocus())
        return;
    if (!FReport->Focused())
        FReport->SetFocus();
    // The keyboard leaves whatever widget of the main form had it for the design surface.
    if (auto* host = dynamic_cast<TControlHost*>(FReport->Host()); host && host->Surface() &&
                                                                   !host->Surface()->hasFocus())
        host->Surface()->setFocus();
}

// ---- the report's press -----------------------------------------------------------------------

void TKVDesigner::ReportMouseDown(TVardoRep* report, TMouseButton button, TShiftState, int, int)
{
    if (button != mbLeft || report != FReport)
        return;
    UpdateHandles(5);
    ProcessMessages();
    SetSelected(report);
    ProcessMessages();
}

// ---- bands ------------------------------------------------------------------------------------

void TKVDesigner::BandMouseDown(TKVCustomBand* band, TMouseButton button, TShiftState, int x, int y)
{
    if (band->ParentReport() != FReport)
        return;
    if (button != mbLeft) {
        // The band's press forgot its left press: the drag or insertion it began ends here.
        if (band->PressState == 1 && (FRubberBand == band || (FOutlining && FSelected == band)))
            CancelDrag(band);
        return;
    }
    band->DownPoint = {x, y};
    FBandMoved = false;
    if (FInsertPending) {
        // The rubber rectangle starts empty at the press point.
        if (FRubberBand)
            DrawOutline(FRubberBand->RubberRect);
        const TPoint offset = RubberOffset(band);
        band->RubberRect = {x + offset.X, y + offset.Y, x + offset.X, y + offset.Y};
        DrawOutline(band->RubberRect);
        FRubberBand = band;
        band->FreeNotification(this);
    } else {
        SetSelectedDirect(band);
        if (IsFormActive(band))
            BeginOutline();
    }
    TakeLeftPress(band, x, y);
}

void TKVDesigner::BandMouseMove(TKVCustomBand* band, TShiftState, int x, int y)
{
    // At the press point nothing starts; a drag under way follows the mouse back to it.
    const bool atDown = x == band->DownPoint.X && y == band->DownPoint.Y;
    if (!band->DesignPressed || (atDown && !FBandMoved && FRubberBand != band))
        return;
    if (FRubberBand == band) {
        DrawOutline(band->RubberRect);
        band->RubberRect = Shifted(NormalizeRect(band->DownPoint.X, band->DownPoint.Y, x, y), RubberOffset(band));
        DrawOutline(band->RubberRect);
        return;
    }
    if (band->PressState != 1)
        return;
    if (!FOutlining)
        return;
    const int dx = x - band->DownPoint.X;
    const int dy = y - band->DownPoint.Y;
    MoveOutline(Shifted(band->BoundsRect(), {dx, dy}));
    FBandMoved = true;
}

void TKVDesigner::BandMouseUp(TKVCustomBand* band, TMouseButton button, TShiftState, int x, int y)
{
    if (band->DesignPressed && button == mbLeft) {
        band->DesignPressed = false;
        if (FRubberBand == band) {
            DrawOutline(band->RubberRect);
            FRubberBand = nullptr;
            if (band->PressState == 1) {
                const TRect r = NormalizeRect(band->DownPoint.X, band->DownPoint.Y, x, y);
                if (TControl* made = InsertPending(band, r.Left, r.Top)) {
                    made->SetLeft(r.Left);
                    made->SetTop(r.Top);
                    // A barcode keeps the size its symbology gives it.
                    if (!dynamic_cast<TKVBarcode*>(made)) {
                        auto* label = dynamic_cast<TKVCustomLabel*>(made);
                        if (std::abs(band->DownPoint.X - x) > 6) {
                            if (label)
                                label->SetAutoSize(false);
                            made->SetWidth(r.Right - r.Left);
                        }
                        if (std::abs(band->DownPoint.Y - y) > 6) {
                            if (label)
                                label->SetAutoSize(false);
                            made->SetHeight(r.Bottom - r.Top);
                        }
                    }
                }
            }
        } else {
            if (IsFormActive(band))
                band->FitToDesignerRect();
            // Whatever the window's state now, the drag's outline ends with its release.
            if (FOutlining)
                GetDragRect();
            SetSelected(band);
        }
        RefreshHandles();
        band->PressState = 0;
        FBandMoved = false;
    } else if (!SwallowEndedRelease(band, button) && button == mbLeft && band->PressState != 1) {
        band->PressState = 2;
    }
    if (!IsFormActive(band))
        band->ActivationClick = true;
}

// ---- printables -------------------------------------------------------------------------------

void TKVDesigner::PrintableMouseDown(TKVPrintable* printable, TMouseButton button, TShiftState, int x, int y)
{
    if (printable->ParentReport() != FReport)
        return;
    if (button != mbLeft) {
        if (printable->PressState == 1 && FOutlining && FSelected == printable)
            CancelDrag(printable);
        return;
    }
    SetSelectedDirect(printable);
    if (IsFormActive(printable))
        BeginOutline();
    printable->DownPoint = {x, y};
    FPrintableMoved = false;
    TakeLeftPress(printable, x, y);
}

void TKVDesigner::PrintableMouseMove(TKVPrintable* printable, TShiftState, int x, int y)
{
    // At the press point nothing starts; a drag under way follows the mouse back to it.
    const bool atDown = x == printable->DownPoint.X && y == printable->DownPoint.Y;
    if (printable->PressState != 1 || !printable->DesignPressed || (atDown && !FPrintableMoved))
        return;
    // Without an outline (the press only activated the window) nothing moves, and nothing snaps.
    if (!FOutlining)
        return;
    const int dx = x - printable->DownPoint.X;
    const int dy = y - printable->DownPoint.Y;
    MoveOutline(NormalizeRect(Shifted(printable->BoundsRect(), {dx, dy})));
    FPrintableMoved = true;
}

void TKVDesigner::PrintableMouseUp(TKVPrintable* printable, TMouseButton button, TShiftState, int x, int y)
{
    (void)x;
    (void)y;
    if (printable->DesignPressed && button == mbLeft) {
        printable->DesignPressed = false;
        const bool active = IsFormActive(printable);
        const TRect before = printable->BoundsRect();
        if (active)
            printable->FitToDesignerRect();
        if (FOutlining)
            GetDragRect();
        // Dropped where it was, the control keeps its exact place: only a move snaps.
        if (FPrintableMoved && printable->BoundsRect() != before && FReport && FReport->SnapToGrid()) {
            TKVPrintableSize* size = printable->Size();
            size->SetTop(RoundDesignPosition(size->GetUnits(), size->Top()));
            size->SetLeft(RoundDesignPosition(size->GetUnits(), size->Left()));
        }
        ActivateReport();
        if (active) {
            SetSelected(printable);
            RefreshHandles();
            ProcessMessages();
        }
        printable->PressState = 0;
        FPrintableMoved = false;
    } else if (!SwallowEndedRelease(printable, button) && button == mbLeft && printable->PressState != 1) {
        printable->PressState = 2;
    }
    if (!IsFormActive(printable))
        printable->ActivationClick = true;
}

} // namespace tessiv
