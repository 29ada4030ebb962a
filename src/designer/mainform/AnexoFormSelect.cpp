// The main form's selection core: one control selected by the report designer or several by the
// multi-selection designer, never both; the cursor button and the insert commands that hand the
// designer a class to insert; and what the main form does each time a control is selected.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFont>
#include <QScrollBar>

namespace tessiv {

namespace {

// The insert button's highlight: a mark shows the class of the selected control, apart from
// which button is down.
const char* const kMarked = "Marked";

void SetMarked(QAction* action, bool marked)
{
    if (!action || action->property(kMarked).toBool() == marked)
        return;
    action->setProperty(kMarked, marked);
    QFont font = action->font();
    font.setBold(marked);
    action->setFont(font);
}

} // namespace

// ---- the two designers -----------------------------------------------------------------------

void TfmAnexo::SetInsertMode(bool value)
{
    InsertMode = value;
    if (!value)
        return;
    if (MultiDesigner)
        MultiDesigner->Clear();
    if (Designer && Report && !Designer->Attached())
        Designer->Attach(Report);
}

void TfmAnexo::SelectSingle(TControl* control)
{
    if (!Designer || Designer->Attached() || !Report)
        return;
    if (MultiDesigner)
        MultiDesigner->Clear();
    Designer->Attach(Report);
    Designer->SetSelected(control);
}

void TfmAnexo::ReleaseDesigner()
{
    if (Designer && Designer->Attached())
        Designer->Detach();
}

int TfmAnexo::SelectedCount() const { return MultiDesigner ? MultiDesigner->Count() : 0; }

void TfmAnexo::PlaceSelectionMarks()
{
    if (SelectedCount() > 0) {
        for (TEtiqCantos* marks : MultiDesigner->CornerMarks())
            if (marks)
                marks->UpdatePosition();
    } else if (Designer && Designer->Attached() && Designer->Selected()) {
        Designer->RefreshHandles();
    }
}

void TfmAnexo::ResetToCursor()
{
    BotaoCursorTag = 0;
    if (BotaoCursor)
        BotaoCursor->setChecked(true);
    if (MultiDesigner)
        MultiDesigner->Clear();
    ReleaseDesigner();
    HidePropertyToolbars();
    if (Designer && Report && !Designer->Attached())
        Designer->Attach(Report);
    UpdateStatusBar(nullptr, QStringLiteral("LPT"), 0, 0);
}

void TfmAnexo::BotaoCursorExecute()
{
    ResetToCursor();
    if (!Designer || Designer->Selected())
        return;
    if (TKVCustomBand* band = FirstBand(); band && Designer->Attached()) {
        Designer->SetSelected(band);
        SetCurrentBand(band);
    }
    if (Designer->Selected())
        Designer->RefreshHandles();
}

// ---- the selection notification -------------------------------------------------------------

// Step 4 of the selection: the window's selected control and the insertion's undo step.
void TfmAnexo::RecordSelection(TControl* control)
{
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (control != Report && active)
        active->SelectedControl = Designer->Attached() ? control : nullptr;
    // Only a control the designer has just made is recorded as inserted: it has no name yet (the
    // undo step names it). An existing control selected while an insert button is down is
    // never taken for a new one.
    auto* printable = dynamic_cast<TKVPrintable*>(control);
    const bool inserted = printable && printable->Name().isEmpty();
    if (BotaoCursorTag == 1 && inserted) {
        SaveUndoStep(0, control);
        Designer->SetPendingClass(&control->ClassType());
        SetModified(true);
    } else if (BotaoCursor && !BotaoCursor->isChecked()) {
        if (inserted) {
            SaveUndoStep(0, control);
            SetModified(true);
        }
        BotaoCursorTag = 0;
        BotaoCursor->setChecked(true);
    }
}

void TfmAnexo::ComponentSelected(TControl* control)
{
    if (!control || InsertMode || !Designer || !Designer->IsFormActive(control))
        return;
    SelectionBusy = true;
    struct TBusy {
        TfmAnexo* Form;
        ~TBusy() { Form->SelectionBusy = false; }
    } busy{this};

    MarkInsertButton(control);
    // A control made after its window opened (inserted, pasted, restored) gets its design
    // events the first time it is selected.
    WireControlInput(control);
    if (!Designer->InsertPending())
        RecordSelection(control);
    ShowSelectionToolbars(control);
}

void TfmAnexo::MarkInsertButton(TControl* control)
{
    QAction* mark = nullptr;
    if (!control)
        mark = nullptr;
    else if (dynamic_cast<TKVSysData*>(control))
        mark = InserirDadosSistema;
    else if (dynamic_cast<TKVShape*>(control))
        mark = InserirFormaGeometrica;
    else if (dynamic_cast<TKVExpr*>(control))
        mark = InserirCampoExpressao;
    else if (dynamic_cast<TKVBarcode*>(control))
        mark = InserirCodigoBarras;
    else if (dynamic_cast<TKVImage*>(control))
        mark = InserirFigura;
    else if (dynamic_cast<TKVDBText*>(control))
        mark = InserirCampoTabela;
    else if (dynamic_cast<TKVLabel*>(control))
        mark = InserirLegenda;
    else if (dynamic_cast<TKVExprMemo*>(control))
        mark = InserirTextoExpressao;
    else if (dynamic_cast<TKVDBImage*>(control))
        mark = InserirFiguraTabela;
    for (QAction* action : {InserirCampoTabela, InserirFiguraTabela, InserirCodigoBarras, InserirLegenda,
                            InserirCampoExpressao, InserirTextoExpressao, InserirFigura, InserirFormaGeometrica,
                            InserirDadosSistema})
        SetMarked(action, action == mark);
}

// ---- the multi-selection designer's events ---------------------------------------------------

void TfmAnexo::MultiSelectionChanged(TObject* sender)
{
    if (!MultiDesigner || sender != MultiDesigner)
        return;
    if (const int count = MultiDesigner->Count(); count > 1)
        SetStatusText(3, QStringLiteral("Objetos Selecionados: ") + QString::number(count));
    ShowMultiSelectionToolbar();
}

void TfmAnexo::MultiSelectionCleared(TObject*)
{
    MarkInsertButton(nullptr);
    SetCurrentBand(CurrentBand);
    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (!Report || !active || !active->Host() || active->Host()->FocusedControl() != Report)
        return;
    const QWidget* focus = QApplication::focusWidget();
    if (focus && Window()->isAncestorOf(focus) && !active->Window()->isAncestorOf(focus))
        return; // a control of the tool area keeps its focus
    // The report takes the focus without the surface scrolling to it.
    TControlHost* host = active->Host();
    const int h = host->horizontalScrollBar()->value(), v = host->verticalScrollBar()->value();
    host->SetFocusedControl(Report);
    host->horizontalScrollBar()->setValue(h);
    host->verticalScrollBar()->setValue(v);
}

void TfmAnexo::MultiControlDeleted(TObject*, TControl* control)
{
    if (Report && dynamic_cast<TKVDBText*>(control) && Report->CampoQuantidadeObjeto() == control)
        Report->SetCampoQuantidadeObjeto(nullptr);
}

// ---- the cursor button and the insert commands -----------------------------------------------

void TfmAnexo::SpeedButtonMouseDown(TShiftState shift) { BotaoCursorTag = shift.Contains(ssShift) ? 1 : 0; }

void TfmAnexo::InsertCommand(const TClassInfo& cls)
{
    if (!Designer || !Report)
        return;
    SetInsertMode(true);
    struct TInsertModeGuard {
        TfmAnexo* Form;
        ~TInsertModeGuard() { Form->SetInsertMode(false); }
    } guard{this};
    Designer->SetPendingClass(&cls);
}

void TfmAnexo::InserirCampoTabelaExecute() { InsertCommand(TKVDBText::StaticClass()); }
void TfmAnexo::InserirFiguraTabelaExecute() { InsertCommand(TKVDBImage::StaticClass()); }
void TfmAnexo::InserirCodigoBarrasExecute() { InsertCommand(TKVBarcode::StaticClass()); }
void TfmAnexo::InserirLegendaExecute() { InsertCommand(TKVLabel::StaticClass()); }
void TfmAnexo::InserirCampoExpressaoExecute() { InsertCommand(TKVExpr::StaticClass()); }
void TfmAnexo::InserirTextoExpressaoExecute() { InsertCommand(TKVExprMemo::StaticClass()); }
void TfmAnexo::InserirFiguraExecute() { InsertCommand(TKVImage::StaticClass()); }
void TfmAnexo::InserirFormaGeometricaExecute() { InsertCommand(TKVShape::StaticClass()); }
void TfmAnexo::InserirDadosSistemaExecute() { InsertCommand(TKVSysData::StaticClass()); }

} // namespace tessiv
