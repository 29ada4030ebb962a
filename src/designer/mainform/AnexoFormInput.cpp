// The main form's mouse handlers of the design surface and their wiring: presses, moves and
// releases on bands, printables and sizing handles select, build the multi-selection, record undo
// steps and fill the status bar; the application's message hook keeps the unit panel and clears
// the position panels off the controls. The designers themselves draw the outlines and change the
// bounds: these handlers run first and decide about the selection. The keys are AnexoFormKeys.cpp.
#include "designer/mainform/AnexoForm.h"

#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/ControlHostBase.h"
#include "platform/ui/Application.h"

#include <QMdiArea>
#include <QWidget>


namespace tessiv {

namespace {

constexpr unsigned short VK_F12 = VK_F1 + 11;

// The cursor: the host's mouse position, its surface standing for the screen.
TPoint CursorOf(const TControl* control)
{
    if (control)
        if (TControlHostBase* host = control->Host())
            return host->MousePos();
    return {};
}

} // namespace

// ---- wiring ----

void TfmAnexo::FormCreateInput()
{
    MultiDesigner = new TMultiDesigner;
    // Controls put on the surface later (insertion, paste, undo) are wired as they are selected.
    MultiDesigner->OnChange = [this](TObject* sender) {
        WireDocumentInput(Report);
        MultiSelectionChanged(sender);
    };
    MultiDesigner->OnClear = [this](TObject* sender) { MultiSelectionCleared(sender); };
    MultiDesigner->OnDeleteControl = [this](TObject* sender, TControl* control) { MultiControlDeleted(sender, control); };

    Designer = new TKVDesigner(this);
    Designer->SetName(QStringLiteral("Designer"));
    Designer->SetOnSelect([this](TControl* control) {
        WireDocumentInput(Report);
        ComponentSelected(control);
    });
    Designer->OnHandleMouseDown = [this](TObject* s, TKVControlHandle* h, TMouseButton b, TShiftState sh, int x, int y) {
        DesignerMouseDown(s, h, b, sh, x, y);
    };
    Designer->OnHandleMouseMove = [this](TObject* s, TKVControlHandle* h, TShiftState sh, int x, int y) {
        DesignerMouseMove(s, h, sh, x, y);
    };
    Designer->OnHandleMouseUp = [this](TObject* s, TKVControlHandle* h, TMouseButton b, TShiftState sh, int x, int y) {
        DesignerMouseUp(s, h, b, sh, x, y);
    };
    Application().OnMessage = [this](TMsg& msg, bool& handled) { AppMsg(msg, handled); };
    FMessageHookInstalled = true;
    InstallKeyPreview();
}

void TfmAnexo::FormDestroyInput()
{
    if (FMessageHookInstalled) {
        Application().OnMessage = nullptr;
        FMessageHookInstalled = false;
    }
    if (MultiDesigner) {
        // The form is going: its handlers hear nothing more.
        MultiDesigner->OnChange = nullptr;
        MultiDesigner->OnClear = nullptr;
        MultiDesigner->OnDeleteControl = nullptr;
        MultiDesigner->Clear();
        delete MultiDesigner;
        MultiDesigner = nullptr;
    }
    if (Designer) {
        Designer->SetOnSelect(nullptr);
        Designer->OnHandleMouseDown = nullptr;
        Designer->OnHandleMouseMove = nullptr;
        Designer->OnHandleMouseUp = nullptr;
        Designer->Detach();
    }
}

void TfmAnexo::ReleaseDesignSurface()
{
    if (MultiDesigner)
        MultiDesigner->Clear();
    if (Designer)
        Designer->Detach();
    StepPending = true;
}

void TfmAnexo::WireDocumentInput(TVardoRep* report)
{
    if (!report)
        return;
    report->OnKeyDown = [this](TObject* s, unsigned short& key, TShiftState shift) { ReportKeyDown(s, key, shift); };
    report->OnKeyUp = [this](TObject* s, unsigned short& key, TShiftState shift) { ReportKeyUp(s, key, shift); };
    if (TComponent* root = report->Owner())
        for (int i = 0; i < root->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TControl*>(root->Components(i)))
                WireControlInput(c);
}

void TfmAnexo::WireControlInput(TControl* control)
{
    const auto up = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { DesignMouseUp(s, b, sh, x, y); };
    if (dynamic_cast<TKVCustomBand*>(control)) {
        control->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { BandMouseDown(s, b, sh, x, y); };
        control->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { BandMouseMove(s, sh, x, y); };
        control->OnMouseUp = up;
    } else if (dynamic_cast<TKVPrintable*>(control)) {
        control->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { PrintableMouseDown(s, b, sh, x, y); };
        control->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { PrintableMouseMove(s, sh, x, y); };
        control->OnMouseUp = up;
    }
}

void TfmAnexo::RestoreWindowSelection(TfmAnexo_MDIChild* child)
{
    if (!child || !child->Report || !Designer || !MultiDesigner)
        return;
    TVardoRep* report = child->Report;
    try {
        if (MultiDesigner->Count() > 0 && MultiDesigner->Surface() == report)
            return;
        MultiDesigner->Clear();
        // The window's control only while it is still one of the document's.
        TControl* selected = child->SelectedControl;
        bool alive = false;
        if (TComponent* root = report->Owner())
            for (int i = 0; i < root->ComponentCount() && !alive; ++i)
                alive = root->Components(i) == selected;
        if (!alive)
            selected = child->SelectedControl = nullptr;
        if (selected && Designer->Attached() && Designer->Report() == report && Designer->Selected() == selected)
            return;
        TControl* again = selected;
        if (!again)
            again = child->CurrentBand;
        if (!again && !report->BandList().empty())
            again = report->BandList().front();
        if (!again)
            again = report;
        if (!Designer->Attached() || Designer->Report() != report)
            Designer->Attach(report);
        Designer->SetSelected(again);
        Designer->RefreshHandles();
        Application().ProcessMessages();
    } catch (...) {
    }
}

// ---- small helpers ----

QWidget* TfmAnexo::ToolAreaFocus() const
{
    QWidget* w = Window() ? Window()->focusWidget() : nullptr;
    if (!w || (MdiArea() && MdiArea()->isAncestorOf(w)))
        return nullptr;
    return w;
}

QWidget* TfmAnexo::ZoomBox() const
{
    return Window() ? Window()->findChild<QWidget*>(QStringLiteral("cbZoom")) : nullptr;
}

bool TfmAnexo::IsActiveDocumentControl(const TControl* control) const
{
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (!active || !active->Report || !control)
        return false;
    for (const TControl* c = control; c; c = c->Parent())
        if (c == active->Report)
            return true;
    return false;
}

// ---- bands ----

void TfmAnexo::BandMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int, int)
{
    auto* band = dynamic_cast<TKVCustomBand*>(sender);
    if (SelectionBusy || !band || !Designer || !MultiDesigner || !IsActiveDocumentControl(band))
        return;
    SetCurrentBand(band);
    if (button == mbLeft) {
        PressScreenPoint = CursorOf(band);
        MultiDesigner->Clear();
        if (!Designer->InsertPending()) {
            UpdateStatusBar(band, QStringLiteral("LP"), 0, 0);
            UpdateStatusBar(band, QStringLiteral("T"), 0, 0);
            if (band != Designer->Selected())
                SelectSingle(band);
        }
    } else if (shift.Contains(ssRight) && !shift.Contains(ssShift)) {
        SelectByRightButton(band);
    }
}

void TfmAnexo::SelectByRightButton(TControl* control)
{
    if (!Designer->Attached()) {
        MultiDesigner->Clear();
        Designer->Attach(Report);
    }
    Designer->SetSelected(control);
    Designer->RefreshHandles();
    UpdateStatusBar(control, QStringLiteral("PT"), 0, 0);
}

void TfmAnexo::BandMouseMove(TObject* sender, TShiftState shift, int, int)
{
    auto* band = dynamic_cast<TKVCustomBand*>(sender);
    if (SelectionBusy || !band || !Designer || !IsActiveDocumentControl(band))
        return;
    const TPoint p = CursorOf(band);
    if (shift.Contains(ssLeft) && Designer->InsertPending()) {
        if (p != PressScreenPoint) {
            const TRect r = NormalizeRect(PressScreenPoint.X, PressScreenPoint.Y, p.X, p.Y);
            // The rubber rectangle: its corner on the band, its own size.
            UpdateStatusBar(band, QStringLiteral("XYP"), r.Left, r.Top);
            UpdateStatusBar(nullptr, QStringLiteral("XYT"), r.Width(), r.Height());
        }
    } else if (!shift.Contains(ssLeft) && !shift.Contains(ssShift) && !shift.Contains(ssCtrl)) {
        if (p != LastBandMovePoint) {
            UpdateStatusBar(band, QStringLiteral("XYP"), p.X, p.Y);
            UpdateStatusBar(band, QStringLiteral("LT"), 0, 0);
            if (band->PressState == 2 && !Designer->InsertPending())
                band->PressState = 0;
        }
    }
    LastBandMovePoint = p;
}

// ---- printables ----

void TfmAnexo::PrintableMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int, int)
{
    auto* printable = dynamic_cast<TKVPrintable*>(sender);
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (SelectionBusy || !printable || !active || !Designer || !MultiDesigner || printable->PressState != 0)
        return;
    if (!ToolAreaFocus() && Report && active->Host() && active->Host()->FocusedControl() == Report &&
        Report->Visible() && !Report->Focused())
        Report->SetFocus();
    const TPoint p = CursorOf(printable);

    if (shift.Contains(ssShift)) {
        TControl* sel = Designer->Selected();
        if (Designer->Attached() && sel && !dynamic_cast<TKVPrintable*>(sel))
            return;
        if (MultiDesigner->Count() == 0) {
            if (printable == sel)
                return;
            active->SelectedControl = nullptr;
            SavedActiveControl = ToolAreaFocus();
            UpdateStatusBar(nullptr, QStringLiteral("LPT"), 0, 0);
            MultiDesigner->SetSurface(Report);
            if (dynamic_cast<TKVPrintable*>(sel))
                MultiDesigner->Toggle(sel);
            ReleaseDesigner();
        }
        GroupPressPoint = p;
        MultiDesigner->Toggle(printable);
        return;
    }

    if (button == mbLeft) {
        if (MultiDesigner->IsSelected(printable)) {
            GroupPressPoint = p;
            MultiDesigner->MoveSelection(QStringLiteral("S"));
        } else {
            MultiDesigner->Clear();
            SelectSingle(printable);
            UpdateStatusBar(printable, QStringLiteral("PT"), 0, 0);
            PressScreenPoint = p;
            const TPoint inParent = printable->Parent() ? printable->Parent()->ScreenToClient(p) : p;
            GrabOffset = {inParent.X - printable->Left(), inParent.Y - printable->Top()};
        }
    } else if (shift.Contains(ssRight)) {
        if (IsActiveDocumentControl(printable)) {
            if (MultiDesigner->IsSelected(printable))
                ReleaseDesigner();
            else
                SelectByRightButton(printable);
        }
    } else {
        return;
    }
    if (auto* band = dynamic_cast<TKVCustomBand*>(printable->Parent()))
        SetCurrentBand(band);
}

void TfmAnexo::PrintableMouseMove(TObject* sender, TShiftState shift, int, int)
{
    auto* printable = dynamic_cast<TKVPrintable*>(sender);
    if (SelectionBusy || !printable || !Designer || !MultiDesigner)
        return;
    const TPoint p = CursorOf(printable);
    if (p == LastPrintableMovePoint)
        return;
    if (shift.Contains(ssLeft)) {
        if (MultiDesigner->Count() > 0) {
            // Only a group drag that was started records its step: a Shift press followed by a
            // move drags nothing.
            if (p != GroupPressPoint && MultiDesigner->Count() >= 2 && MultiDesigner->Dragging()) {
                UpdateStatusBar(printable, QStringLiteral("XYP"), p.X, p.Y);
                MultiDesigner->MoveSelection(QStringLiteral("M"));
                if (!DragStepSaved) {
                    SaveUndoStep(1, nullptr);
                    DragStepSaved = true;
                }
            }
        } else if (p != PressScreenPoint && printable->DesignPressed && printable->PressState == 1) {
            if (!DragStepSaved) {
                SaveUndoStep(1, printable);
                DragStepSaved = true;
            }
            UpdateStatusBar(printable, QStringLiteral("XYP"), p.X - GrabOffset.X, p.Y - GrabOffset.Y);
            UpdateStatusBar(printable, QStringLiteral("T"), 0, 0);
        }
    } else if (printable == Designer->Selected()) {
        UpdateStatusBar(printable, QStringLiteral("PT"), 0, 0);
    } else if (!shift.Contains(ssShift) && !shift.Contains(ssCtrl)) {
        UpdateStatusBar(printable, QStringLiteral("XYP"), p.X, p.Y);
        UpdateStatusBar(printable, QStringLiteral("LT"), 0, 0);
        if (printable->PressState == 2)
            printable->PressState = 0;
    }
    LastPrintableMovePoint = p;
}

void TfmAnexo::DesignMouseUp(TObject* sender, TMouseButton, TShiftState shift, int, int)
{
    auto* control = dynamic_cast<TControl*>(sender);
    auto* printable = dynamic_cast<TKVPrintable*>(sender);
    if (SelectionBusy || !control || (!printable && !dynamic_cast<TKVCustomBand*>(sender)) || !Designer ||
        !MultiDesigner)
        return;
    if (!shift.Contains(ssShift) && MultiDesigner->Count() > 0)
        MultiDesigner->MoveSelection(QStringLiteral("R"));
    if (printable) {
        const int count = MultiDesigner->Count();
        if (count == 1) {
            TControl* only = MultiDesigner->SelectedControls().front();
            MultiDesigner->Clear();
            if (!Designer->Attached())
                Designer->Attach(Report);
            Designer->SetSelected(only);
            Designer->RefreshHandles();
            UpdateStatusBar(only, QStringLiteral("PT"), 0, 0);
        } else if (count >= 2) {
            if (!ToolAreaFocus() && count == 2 && SavedActiveControl)
                SavedActiveControl->setFocus(Qt::OtherFocusReason);
            unsigned short f12 = VK_F12;
            FormKeyDown(nullptr, f12, {});
        } else if (QWidget* focus = ToolAreaFocus(); focus && focus != ZoomBox()) {
            SavedActiveControl = focus;
            if (QWidget* zoom = ZoomBox())
                zoom->setFocus(Qt::OtherFocusReason);
        }
    }
    if (Designer->Attached())
        if (auto* memo = dynamic_cast<TKVExprMemo*>(Designer->Selected()); memo && memo->Font()->Color() == clWindowText)
            memo->Font()->SetColor(clBlack);
    const TPoint p = CursorOf(control);
    LastBandMovePoint = p;
    LastPrintableMovePoint = p;
    if (DragStepSaved) {
        SetModified(true);
        DragStepSaved = false;
    }
}

// ---- sizing handles ----

void TfmAnexo::DesignerMouseDown(TObject* sender, TKVControlHandle*, TMouseButton button, TShiftState, int x, int y)
{
    if (SelectionBusy || sender != Designer || !Designer || !IsActiveDocumentControl(Designer->Report()))
        return;
    TControl* sel = Designer->Selected();
    if (button == mbLeft) {
        TfmAnexo_MDIChild* active = ActiveMDIChild();
        if (!ToolAreaFocus() && Report && active->Host() && active->Host()->FocusedControl() == Report)
            Report->SetFocus();
        PressScreenPoint = CursorOf(Designer->Report());
        HandlePressPoint = {x, y};
        UpdateStatusBar(sel, QStringLiteral("XYT"), 0, 0);
    } else {
        UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
    }
}

void TfmAnexo::DesignerMouseMove(TObject* sender, TKVControlHandle* handle, TShiftState shift, int x, int y)
{
    if (SelectionBusy || sender != Designer || !Designer || !handle || !IsActiveDocumentControl(Designer->Report()))
        return;
    TControl* sel = Designer->Selected();
    if (!shift.Contains(ssLeft)) {
        UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
        return;
    }
    const TPoint p = CursorOf(Designer->Report());
    if (p == PressScreenPoint)
        return;
    if (!DragStepSaved) {
        // A barcode's resize records no step; the release still marks the document modified.
        if (!dynamic_cast<TKVBarcode*>(sel))
            SaveUndoStep(1, sel);
        DragStepSaved = true;
    }
    const int dx = x - HandlePressPoint.X, dy = y - HandlePressPoint.Y;
    TPoint change;
    switch (handle->Index()) {
    case 1: change = {-dx, -dy}; break;
    case 2: change = {0, -dy}; break;
    case 3: change = {dx, -dy}; break;
    case 4: change = {-dx, 0}; break;
    case 5: change = {dx, 0}; break;
    case 6: change = {-dx, dy}; break;
    case 7: change = {0, dy}; break;
    default: change = {dx, dy}; break;
    }
    UpdateStatusBar(sel, QStringLiteral("XYT"), change.X, change.Y);
    if (dynamic_cast<TKVPrintable*>(sel)) {
        const TPoint corner = sel->Parent() ? sel->Parent()->ClientToScreen({sel->Left(), sel->Top()})
                                            : TPoint{sel->Left(), sel->Top()};
        TPoint shown;
        switch (handle->Index()) {
        case 1:
        case 3:
        case 6: shown = p; break;
        case 2: shown = {corner.X, p.Y}; break;
        case 4: shown = {p.X, corner.Y}; break;
        default: shown = corner; break;
        }
        UpdateStatusBar(sel, QStringLiteral("XYP"), shown.X, shown.Y);
    } else if (dynamic_cast<TKVCustomBand*>(sel)) {
        UpdateStatusBar(sel, QStringLiteral("P"), 0, 0);
    }
}

void TfmAnexo::DesignerMouseUp(TObject* sender, TKVControlHandle*, TMouseButton, TShiftState, int, int)
{
    if (SelectionBusy || sender != Designer || !Designer || !IsActiveDocumentControl(Designer->Report()))
        return;
    if (DragStepSaved) {
        SetModified(true);
        DragStepSaved = false;
    }
    TControl* sel = Designer->Selected();
    TVardoRep* report = Designer->Report();
    if (report->Options().Contains(kvoAlinharTamanho)) {
        const TKVUnit units = report->Units();
        if (auto* p = dynamic_cast<TKVPrintable*>(sel)) {
            p->Size()->SetWidth(RoundToUnit(units, p->Size()->Width()));
            p->Size()->SetHeight(RoundToUnit(units, p->Size()->Height()));
        } else if (auto* b = dynamic_cast<TKVCustomBand*>(sel)) {
            b->Size()->SetWidth(RoundToUnit(units, b->Size()->Width()));
            b->Size()->SetHeight(RoundToUnit(units, b->Size()->Height()));
        } else {
            return;
        }
        Designer->RefreshHandles();
    }
    // The size the control took, which a barcode chooses itself, not the one dragged.
    UpdateStatusBar(sel, QStringLiteral("PT"), 0, 0);
}

void TfmAnexo::EndSurfacePress()
{
    if (TfmAnexo_MDIChild* active = ActiveMDIChild(); active && active->Report)
        if (TControlHostBase* host = active->Report->Host())
            host->EndPress();
}

// ---- the message hook ----

void TfmAnexo::AppMsg(TMsg& msg, bool&)
{
    // A control that came onto the surface without a selection (undo, redo) is wired before its
    // first mouse message reaches it.
    if (msg.Message.Msg >= WM_MOUSEMOVE && msg.Message.Msg <= WM_MBUTTONDBLCLK && msg.Target &&
        !msg.Target->OnMouseDown && IsActiveDocumentControl(msg.Target))
        WireControlInput(msg.Target);
    if (SelectionBusy || msg.Message.Msg != WM_MOUSEMOVE || !Report || !IsActiveDocumentControl(Report))
        return;
    UpdateStatusBar(nullptr, QStringLiteral("U"), 0, 0);
    TControl* under = FindDeepControlAt(Report, msg.Pt, false);
    if (!dynamic_cast<TKVCustomBand*>(under) && !dynamic_cast<TKVPrintable*>(under) &&
        !dynamic_cast<TKVControlHandle*>(under) && msg.Pt != LastHookPoint)
        UpdateStatusBar(nullptr, QStringLiteral("LPT"), 0, 0);
    LastHookPoint = msg.Pt;
}

} // namespace tessiv
