// The Edit menu's clipboard and arrangement commands: copy, cut and paste of printables (one
// control through the system clipboard, a multi-selection through the transfer form), select all,
// drawing order and snapping to the grid. A text box of the main form that has the focus takes
// cut, copy and paste as text instead.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/Hidden.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/document/Transf.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ControlHost.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>

#include <functional>

namespace tessiv {

namespace {

// The wait cursor for the length of a command, removed also when the command fails.
struct TWaitCursor {
    TWaitCursor() { Screen().SetCursor(crHourGlass); }
    ~TWaitCursor() { Screen().SetCursor(crDefault); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The edit box of the main form's tool bars that has the focus (a combo box's own line), if any.
QLineEdit* FocusedTextBox(const TfmAnexo& form)
{
    QWidget* focus = form.Window() ? form.Window()->focusWidget() : nullptr;
    if (!focus || !focus->isVisible())
        return nullptr;
    if (form.ActiveMDIChild() && form.ActiveMDIChild()->Window() &&
        form.ActiveMDIChild()->Window()->isAncestorOf(focus))
        return nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(focus))
        return combo->lineEdit();
    return nullptr;
}

// The report designer's selected control when it is attached; the window's selection while the
// form runs without a designer.
TControl* DesignerSelection(const TfmAnexo& form)
{
    if (form.Designer)
        return form.Designer->Attached() ? form.Designer->Selected() : nullptr;
    TfmAnexo_MDIChild* active = form.ActiveMDIChild();
    return active ? active->SelectedControl : nullptr;
}

TKVPrintable* SelectedPrintable(const TfmAnexo& form)
{
    return dynamic_cast<TKVPrintable*>(DesignerSelection(form));
}

void SelectInDesigner(TfmAnexo& form, TControl* control)
{
    if (form.Designer) {
        if (!form.Designer->Attached() && form.Report)
            form.Designer->Attach(form.Report);
        form.Designer->SetSelected(control);
    }
    if (TfmAnexo_MDIChild* active = form.ActiveMDIChild())
        active->SelectedControl = control;
}

// The controls an arrangement command works on: the multi-selection in its order, else the
// designer's selected printable.
void ForEachArranged(TfmAnexo& form, const std::function<void(TControl*)>& apply)
{
    if (form.MultiDesigner && form.MultiDesigner->Count() > 0) {
        const std::vector<TControl*> selected = form.MultiDesigner->SelectedControls();
        for (TControl* c : selected)
            apply(c);
    } else if (TKVPrintable* control = SelectedPrintable(form)) {
        apply(control);
    }
}

} // namespace

bool TfmAnexo::IsDesignTarget() const
{
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (!active || !Report || !active->Host())
        return false;
    QWidget* focus = Window() ? Window()->focusWidget() : nullptr;
    if (focus && !(active->Window() && active->Window()->isAncestorOf(focus)))
        return false;
    return active->Host()->FocusedControl() == Report;
}

void TfmAnexo::ApplyPasteOffset(TControl* control, TWinControl* band)
{
    if (!control || !band)
        return;
    // Each move goes down or right by 5 pixels and the look starts again; a control that meets a
    // sibling at its own place and can move neither way stays there (the look would never end).
    for (;;) {
        bool met = false;
        for (int i = 0; i < band->ControlCount(); ++i) {
            TControl* other = band->Controls(i);
            if (other != control && other->Left() == control->Left() && other->Top() == control->Top()) {
                met = true;
                break;
            }
        }
        if (!met)
            return;
        const bool down = control->Top() + control->Height() < band->Height();
        const bool right = control->Left() + control->Width() < band->Width();
        if (!down && !right)
            return;
        control->SetBounds(control->Left() + (right ? 5 : 0), control->Top() + (down ? 5 : 0), control->Width(),
                           control->Height());
    }
}

void TfmAnexo::CopiarClick()
{
    const TWaitCursor wait;
    if (!CurrentBand)
        return;
    fmTransf()->Clear();
    const std::vector<TControl*> multi = MultiSelectionForUndo();
    if (multi.empty()) {
        if (QLineEdit* edit = FocusedTextBox(*this)) {
            edit->copy();
        } else if (IsDesignTarget()) {
            if (TKVPrintable* control = SelectedPrintable(*this)) {
                // On the clipboard without its name: every paste names its control anew.
                const QString name = control->Name();
                const QString caption = control->Caption();
                try {
                    control->SetName(QString());
                    if (control->Caption() != caption)
                        control->SetCaption(caption);
                    Clipboard().SetComponent(control);
                } catch (...) {
                    control->SetName(name);
                    if (control->Caption() != caption)
                        control->SetCaption(caption);
                    throw;
                }
                control->SetName(name);
                if (control->Caption() != caption)
                    control->SetCaption(caption);
            }
        }
    } else if (IsDesignTarget()) {
        CopyMultiSelection();
    }
    BringApplicationToFront();
}

void TfmAnexo::Recortar1Click()
{
    const TWaitCursor wait;
    EndSurfacePress();
    const std::vector<TControl*> multi = MultiSelectionForUndo();
    if (multi.empty()) {
        if (QLineEdit* edit = FocusedTextBox(*this)) {
            edit->cut();
            SetModified(true);
        } else if (IsDesignTarget()) {
            TKVPrintable* control = SelectedPrintable(*this);
            // An observation label belongs to its band and is never cut away from it.
            if (control && !dynamic_cast<TKVObsLabel*>(control)) {
                CopiarClick();
                SaveUndoStep(2, control);
                SelectInDesigner(*this, nullptr);
                control->Free();
                SetModified(true);
            }
        }
    } else {
        CopiarClick();
        DeleteMultiSelection();
        SetModified(true);
    }
    if (IsDesignTarget()) {
        SelectInDesigner(*this, CurrentBand ? static_cast<TControl*>(CurrentBand) : Report);
        if (Designer)
            Designer->RefreshHandles();
        Application().ProcessMessages();
    }
}

void TfmAnexo::ColarClick()
{
    const TWaitCursor wait;
    if (!CurrentBand || !Document)
        return;
    TfmTransf* transfer = fmTransf();
    if (!transfer->HasCopies()) {
        if (QLineEdit* edit = FocusedTextBox(*this)) {
            edit->paste();
            SetModified(true);
            return;
        }
        if (!IsDesignTarget() || !Clipboard().HasComponent())
            return;
        TComponent* read = Clipboard().GetComponent(Document->Root(), CurrentBand);
        auto* control = dynamic_cast<TControl*>(read);
        if (!control) {
            if (read)
                read->Free();
            return;
        }
        if (control->Parent() != CurrentBand)
            control->SetParent(CurrentBand);
        ApplyPasteOffset(control, CurrentBand);
        if (Designer && !Designer->Attached() && Report)
            Designer->Attach(Report);
        SaveUndoStep(0, control);
        SelectInDesigner(*this, control);
        Application().ProcessMessages();
        if (Designer)
            Designer->RefreshHandles();
        SetModified(true);
        return;
    }
    if (!IsDesignTarget())
        return;
    PasteMultiSelection(transfer->Copies());
    SetModified(true);
}

void TfmAnexo::Selecionartudo1Click()
{
    const TWaitCursor wait;
    if (!CurrentBand)
        return;
    UpdateStatusBar(QStringLiteral("LPT"));
    // The band's printables: the sizing squares lying on it are no part of its content.
    std::vector<TControl*> all;
    for (int i = 0; i < CurrentBand->ControlCount(); ++i)
        if (dynamic_cast<TKVPrintable*>(CurrentBand->Controls(i)))
            all.push_back(CurrentBand->Controls(i));
    SelectMultiple(all);
}

void TfmAnexo::TrazerParaFrente2Click()
{
    const TWaitCursor wait;
    ForEachArranged(*this, [](TControl* c) { c->BringToFront(); });
    SetModified(true);
}

void TfmAnexo::EnviarParaFundo2Click()
{
    const TWaitCursor wait;
    ForEachArranged(*this, [](TControl* c) { c->SendToBack(); });
    SetModified(true);
}

void TfmAnexo::AlinharaoGrid1Click()
{
    const TWaitCursor wait;
    ForEachArranged(*this, [this](TControl* c) { SnapControlToGrid(c); });
    if (SelectedCount() == 0 && Designer && Designer->Selected())
        Designer->RefreshHandles();
    SetModified(true);
}

void TfmAnexo::CopyMultiSelection()
{
    if (!MultiDesigner)
        return;
    TfmTransf* transfer = fmTransf();
    // Only the controls of the current band travel; the others leave the selection.
    const TMultiSelectionBatch batch(MultiDesigner);
    std::size_t i = 0;
    while (i < MultiDesigner->SelectedControls().size()) {
        TControl* control = MultiDesigner->SelectedControls()[i];
        if (control->Parent() != CurrentBand) {
            MultiDesigner->Toggle(control);
            continue;
        }
        Clipboard().SetComponent(control);
        TComponent* copy = Clipboard().GetComponent(transfer, transfer->Client());
        if (copy)
            copy->SetName(QString());
        ++i;
    }
}

void TfmAnexo::DeleteMultiSelection()
{
    if (!MultiDesigner)
        return;
    SaveUndoStep(2, nullptr);
    MultiDesigner->DeleteSelected();
}

void TfmAnexo::PasteMultiSelection(const std::vector<TControl*>& copies)
{
    if (!MultiDesigner || !Document || !CurrentBand)
        return;
    MultiDesigner->Clear();
    MultiDesigner->SetSurface(Report);
    {
        const TMultiSelectionBatch batch(MultiDesigner);
        for (TControl* copy : copies) {
            Clipboard().SetComponent(copy);
            auto* control = dynamic_cast<TControl*>(Clipboard().GetComponent(Document->Root(), CurrentBand));
            if (!control)
                continue;
            if (control->Parent() != CurrentBand)
                control->SetParent(CurrentBand);
            ApplyPasteOffset(control, CurrentBand);
            ReleaseDesigner();
            if (TfmAnexo_MDIChild* active = ActiveMDIChild())
                active->SelectedControl = nullptr;
            MultiDesigner->Toggle(control);
        }
    }
    SaveUndoStep(0, nullptr);
}

void TfmAnexo::SelectMultiple(const std::vector<TControl*>& controls)
{
    if (!MultiDesigner)
        return;
    MultiDesigner->Clear();
    ReleaseDesigner();
    if (TfmAnexo_MDIChild* active = ActiveMDIChild())
        active->SelectedControl = nullptr;
    MultiDesigner->SetSurface(Report);
    // One change of the selection, however many controls join it.
    const TMultiSelectionBatch batch(MultiDesigner);
    for (TControl* control : controls)
        MultiDesigner->Toggle(control);
}

void TfmAnexo::SnapControlToGrid(TControl* control)
{
    SnapToGrid(control, true);
    if (MultiDesigner)
        for (TEtiqCantos* mark : MultiDesigner->CornerMarks())
            if (mark->Control() == control)
                mark->UpdatePosition();
}

} // namespace tessiv
