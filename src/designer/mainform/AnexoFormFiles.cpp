// Documents in windows: opening a file (or finding its window), showing a document, saving with
// the selection kept, the question before a modified document closes, the file commands and the
// command line.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/MRUManager.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <vector>

namespace tessiv {

void TfmAnexo::OpenFile(const QString& fileName)
{
    // ActivateIfOpen: the window that already shows the file comes to the front with its own
    // report; the file is not read again.
    const QString key = FileKey(fileName);
    for (TfmAnexo_MDIChild* child : MDIChildren()) {
        if (child->Document && FileKey(child->Document->FileName()) == key) {
            ActivateChild(child);
            if (child->Report)
                child->Host()->SetFocusedControl(child->Report);
            if (child->SubWindow())
                child->SubWindow()->raise();
            return;
        }
    }
    OpenDocumentWindow(OpenReportDocument(this, fileName), fileName);
}

void TfmAnexo::OpenDocumentWindow(TAnexoRelatorio* document, const QString& fileName)
{
    if (!document)
        return;
    Document = document;
    TVardoRep* report = document->Report();
    if (!report)
        return;
    auto* child = new TfmAnexo_MDIChild(nullptr, this);
    child->SetCaption(QFileInfo(document->FileName()).fileName());
    child->Document = document;
    child->Report = report;
    report->SetParent(child->Client());
    SetCurrentReport(report);
    report->SetName(QStringLiteral("KelvoraRelatorio"));
    WireDocumentInput(report);
    report->SetBounds(0, 0, report->Width(), report->Height());
    child->FitClientToReport();
    child->Host()->SetFocusedControl(report);
    QMdiSubWindow* sub = FMdiArea->addSubWindow(child->Window());
    // The window frees itself (and its frame) once its close is accepted; the frame must not
    // free the form's window behind its back.
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    child->SetSubWindow(sub);
    sub->resize(527, 349);
    sub->show();
    ActivateChild(child);
    if (Visible()) {
        Designer->Attach(report);
        if (TKVCustomBand* first = FirstBand())
            Designer->SetSelected(first);
        SetCurrentBand(dynamic_cast<TKVCustomBand*>(Designer->Selected()));
        if (Designer->Selected())
            Designer->RefreshHandles();
    }
    if (!fileName.isEmpty())
        AddRecentFile(document->FileName());
    UpdateCaptions();
    UpdateActions(true);
}

void TfmAnexo::SaveDocument(const QString& fileName) { SaveWindowDocument(ActiveMDIChild(), fileName); }

void TfmAnexo::SaveWindowDocument(TfmAnexo_MDIChild* child, const QString& fileName)
{
    if (!child || !child->Document)
        return;
    TAnexoRelatorio* document = child->Document;
    TVardoRep* report = child->Report;
    SetBusy(true);
    struct TBusyGuard {
        TfmAnexo* Form;
        ~TBusyGuard() { Form->SetBusy(false); }
    } busy{this};
    const bool keepSelection = UserSave && Visible();
    TControl* selected = child->SelectedControl;
    TKVCustomBand* band = child->CurrentBand;
    // The designers let go of the report while it is written, and a save from the commands takes
    // back the selection it had: the group, or the designer's control. So does a save offered by a
    // close that failed: the window stays, and shows its report as it was.
    const bool designerHere = Designer && Designer->Attached() && Designer->Report() == report;
    const bool groupHere = MultiDesigner && MultiDesigner->Count() > 0 && MultiDesigner->Surface() == report;
    std::vector<TControl*> group;
    TControl* designerSelection = nullptr;
    if (groupHere)
        group = MultiDesigner->SelectedControls();
    if (designerHere)
        designerSelection = Designer->Selected();
    if (groupHere)
        MultiDesigner->Clear();
    if (designerHere)
        Designer->Detach();
    bool saved = false;
    const auto putBack = [&](bool failed) {
        if (!(keepSelection || failed) || !report)
            return;
        // The document parented the report to its root while it wrote.
        report->SetParent(child->Client());
        if (TDataSet* ds = report->DataSet(); ds && !ds->Active()) {
            try {
                ds->Open();
            } catch (...) {
            }
        }
        report->SetBounds(0, 0, report->Width(), report->Height());
        child->FitClientToReport();
        child->SelectedControl = selected;
        child->CurrentBand = band;
        if (child == ActiveMDIChild() && band)
            SetCurrentBand(band);
        if (IsReportActive() && report->CanFocus())
            child->Host()->SetFocusedControl(report);
        if (child != ActiveMDIChild() || !Visible())
            return;
        if (group.empty() && Designer) {
            Designer->Attach(report);
            TControl* again = designerSelection ? designerSelection : band ? static_cast<TControl*>(band) : report;
            Designer->SetSelected(again);
            Designer->RefreshHandles();
        } else if (!group.empty() && MultiDesigner) {
            MultiDesigner->SetSurface(report);
            const TMultiSelectionBatch batch(MultiDesigner);
            for (TControl* c : group)
                MultiDesigner->Toggle(c);
        }
    };
    try {
        saved = document->SaveToFile(fileName);
        if (saved) {
            if (child == ActiveMDIChild())
                UpdateCaptions();
            else
                child->SetCaption(QFileInfo(document->FileName()).fileName());
            child->Modified = false;
            if (child == ActiveMDIChild())
                SetModified(false);
        }
    } catch (...) {
        putBack(true);
        throw;
    }
    putBack(!saved);
    // A cancelled name or a refused overwrite saved nothing: the document stays modified and the
    // list as it was.
    if (saved)
        AddRecentFile(document->FileName());
}

int TfmAnexo::QuerySave() { return QuerySaveWindow(ActiveMDIChild()); }

int TfmAnexo::QuerySaveWindow(TfmAnexo_MDIChild* child)
{
    if (!child || !child->Modified || !child->Document)
        return mrYes;
    if (!Visible())
        return mrNo;
    const QString text = QStringLiteral("O arquivo ") + QFileInfo(child->Document->FileName()).fileName() +
                         QStringLiteral(" foi alterado, deseja salvá-lo?");
    const int answer = Application().MessageBox(text, Application().Title(), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == mrYes) {
        SaveWindowDocument(child, child->Document->FileName());
        // A save that did not happen (a refused overwrite) keeps the window open.
        if (child->Modified)
            return mrCancel;
    }
    return answer;
}

void TfmAnexo::CloseWindowDocument(TfmAnexo_MDIChild* child)
{
    if (!child)
        return;
    if (child->Document && child->Document == Document) {
        CloseDocument();
        return;
    }
    TAnexoRelatorio* doc = child->Document;
    child->Document = nullptr;
    child->Report = nullptr;
    child->SelectedControl = nullptr;
    child->CurrentBand = nullptr;
    try {
        delete doc;
    } catch (...) {
    }
}

// ---- the file commands -----------------------------------------------------------------------

void TfmAnexo::ArquivoNovoExecute() { OpenDocumentWindow(NewReportDocument(this), QString()); }

void TfmAnexo::ArquivoAbrirExecute()
{
    TOpenDialog dialog(nullptr);
    dialog.Filter = QStringLiteral("Kelvora Relatório (*.KVR)|*.KVR");
    dialog.InitialDir = LastDirectory;
    if (!Visible())
        BringApplicationToFront();
    if (dialog.Execute()) {
        LastDirectory = QFileInfo(dialog.FileName).path();
        OpenFile(dialog.FileName);
    }
}

void TfmAnexo::ArquivoSalvarExecute()
{
    UserSave = true;
    if (Document)
        SaveDocument(Document->FileName());
}

void TfmAnexo::ArquivoSalvarComoExecute()
{
    UserSave = true;
    SaveDocument(QString());
}

void TfmAnexo::ArquivoSairExecute() { Close(); }

void TfmAnexo::RecentListClick(const QString& fileName) { OpenFile(fileName); }

void TfmAnexo::AddRecentFile(const QString& fileName) { FRecentList->AddRecent(FileKey(fileName)); }

// ---- the command line ------------------------------------------------------------------------

void TfmAnexo::HandleCommandLine()
{
    if (!CommandLinePending)
        return;
    if (FParameters.isEmpty()) {
        CommandLinePending = false;
        if (FSettings && FSettings->ReadBool(QStringLiteral("fmAnexo"), QStringLiteral("Reabre"), false)) {
            const auto items = FRecentList->Items();
            if (!items.empty() && items.front())
                items.front()->trigger();
        }
        return;
    }
    // A parameter that starts with "-" is an option (left for the first paint); anything else
    // names a file, slashes and hyphens inside a path included.
    const QString first = FParameters.first();
    if (!first.trimmed().startsWith(QLatin1Char('-'))) {
        CommandLinePending = false;
        OpenFile(first);
    }
}

} // namespace tessiv
