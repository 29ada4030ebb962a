#pragma once
// A document window: one open document shown on the main form's design surface. The report of
// its document is placed in the window's client control at the origin; the window asks about
// unsaved changes before it closes and frees itself (and through the main form its document) when
// it does.

#include "platform/ui/ControlHost.h"
#include "uisupport/Form.h"

#include <QMdiSubWindow>
#include <QPointer>

namespace tessiv {

class TAnexoRelatorio;
class TControl;
class TKVCustomBand;
class TVardoRep;
class TWinControl;
class TfmAnexo;

class TfmAnexo_MDIChild : public TForm {
    TESSIV_CLASS(TfmAnexo_MDIChild, TForm)
public:
    // Made by the main form (OpenDocumentWindow), which places the window in its document area.
    TfmAnexo_MDIChild(TComponent* owner, TfmAnexo* mainForm);
    ~TfmAnexo_MDIChild() override;

    TControl* SelectedControl = nullptr;
    bool Modified = false;
    TAnexoRelatorio* Document = nullptr;
    TKVCustomBand* CurrentBand = nullptr;
    TVardoRep* Report = nullptr;
    // The window's undo history (a TfmVoltar), made with the window and freed with it.
    TComponent* UndoForm = nullptr;

    // The control the report is parented to: the window's client area on the design surface.
    TWinControl* Client() const { return FClient; }
    TControlHost* Host() const { return FHost.data(); }
    QMdiSubWindow* SubWindow() const { return FSubWindow.data(); }
    void SetSubWindow(QMdiSubWindow* sub) { FSubWindow = sub; }
    // The client grows with the report so that the whole page can be scrolled to.
    void FitClientToReport();

    // The window became the active one: it hands its document, report, band and selection to
    // the main form.
    void FormActivate();
    // The main form's question about unsaved changes; Cancel ends the operation with EAbort.
    void FormCloseQuery(bool& canClose);

protected:
    // Asks; a window that may close is freed once its close event is over.
    bool CloseQuery() override;

private:
    TfmAnexo* FMainForm;
    TWinControl* FClient = nullptr;
    QPointer<TControlHost> FHost;
    QPointer<QMdiSubWindow> FSubWindow;
};

} // namespace tessiv
