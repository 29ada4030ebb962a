#include "designer/surface/AnexoChild.h"

#include "designer/mainform/AnexoForm.h"
#include "designer/document/AnexoRelatorio.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/ScrollBox.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QMdiSubWindow>
#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmAnexo_MDIChild, TForm, )

TfmAnexo_MDIChild::TfmAnexo_MDIChild(TComponent* owner, TfmAnexo* mainForm) : TForm(owner), FMainForm(mainForm)
{
    SetFormStyle(fsMDIChild);
    SetPosition(poDefault);
    FClient = new TScrollBox(this);
    FClient->SetName(QStringLiteral("Client"));
    FClient->SetColor(clInactiveCaption);
    FHost = new TControlHost(Window());
    FHost->setObjectName(QStringLiteral("DesignSurface"));
    FHost->SetRoot(FClient);
    FHost->SetMargin(0);
    FHost->setFrameShape(QFrame::NoFrame);
    // The area around the page, as the window's own colour.
    QPalette pal = FHost->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    FHost->setPalette(pal);
    Window()->setCentralWidget(FHost);
    Window()->resize(527, 349);
    UndoForm = new TfmVoltar(this);
    if (FMainForm)
        FMainForm->ChildCreated(this);
}

TfmAnexo_MDIChild::~TfmAnexo_MDIChild()
{
    if (FMainForm)
        FMainForm->ChildGone(this);
    // The history goes first: its copies still point at the document's components.
    if (UndoForm) {
        if (FMainForm && FMainForm->UndoForm == UndoForm)
            FMainForm->UndoForm = nullptr;
        TComponent* undo = UndoForm;
        UndoForm = nullptr;
        undo->Free();
    }
    // A window freed without its close question (the program going) still frees its document.
    if (Document) {
        if (FMainForm && FMainForm->Document == Document) {
            FMainForm->Document = nullptr;
            FMainForm->Report = nullptr;
            FMainForm->CurrentBand = nullptr;
        }
        TAnexoRelatorio* doc = Document;
        Document = nullptr;
        Report = nullptr;
        try {
            delete doc;
        } catch (...) {
        }
    }
    if (FHost)
        FHost->SetRoot(nullptr);
    // The form's window leaves the document area before the form frees it.
    if (QMdiSubWindow* sub = FSubWindow.data()) {
        sub->setWidget(nullptr);
        sub->deleteLater();
        sub->hide();
    }
}

void TfmAnexo_MDIChild::FitClientToReport()
{
    if (Report)
        FClient->SetBounds(0, 0, std::max(Report->Left() + Report->Width(), 1),
                           std::max(Report->Top() + Report->Height(), 1));
    FHost->UpdateSurfaceSize();
}

void TfmAnexo_MDIChild::FormActivate()
{
    if (!FMainForm)
        return;
    if (Document) {
        FMainForm->Document = Document;
        FMainForm->SetModified(Modified);
        if (Report != FMainForm->Report)
            FMainForm->SetCurrentReport(Report);
        if (Report && Report->Parent() != FClient)
            Report->SetParent(FClient);
        FMainForm->SetCurrentBand(CurrentBand);
        FMainForm->RestoreWindowSelection(this);
    }
    FMainForm->UndoForm = UndoForm;
    // Undo and redo follow the history of the window that is active now.
    FMainForm->UpdateUndoRedoActions();
    if (Document) {
        FMainForm->UpdateCaptions();
        FMainForm->UpdateActions(true);
    }
}

void TfmAnexo_MDIChild::FormCloseQuery(bool& canClose)
{
    if (!FMainForm || !FMainForm->AskOnClose)
        return;
    FMainForm->UserSave = false;
    if (FMainForm->QuerySaveWindow(this) == mrCancel) {
        canClose = false;
        throw EAbort();
    }
    FMainForm->CloseWindowDocument(this);
    FMainForm->UpdateActions(false);
    CurrentBand = nullptr;
    if (FMainForm->ActiveMDIChild() == this)
        FMainForm->SetCurrentBand(nullptr);
}

bool TfmAnexo_MDIChild::CloseQuery()
{
    bool canClose = true;
    try {
        FormCloseQuery(canClose);
    } catch (const EAbort&) {
        return false;
    }
    if (canClose && TForm::CloseQuery()) {
        // Freed once the close event has been handled: the window is still on the stack now.
        QPointer<TFormWindow> window = Window();
        QTimer::singleShot(0, qApp, [window, this] {
            if (window)
                delete this;
        });
        return true;
    }
    return false;
}

} // namespace tessiv
