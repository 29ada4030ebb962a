// The main form's side of a run: the preview and print commands, which keep the tool area and the
// menus off while the document runs and give the focus back afterwards, and the window the
// document's preview handler asks for.
#include "designer/AnexoChild.h"
#include "designer/AnexoForm.h"
#include "designer/KVDesigner.h"
#include "designer/MyZtPreview.h"

#include "engine/KVPrinter.h"
#include "engine/VardoRep.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QPointer>

#include <algorithm>

namespace tessiv {

void TfmAnexo::ShowPreview(TAnexoRelatorio* document, TKVPrinter* printer)
{
    if (!printer)
        return;
    TMyZtPreview* preview = TMyZtPreview::CreatePreview(Window(), document, *printer);
    preview->ShowPreview();
}

void TfmAnexo::ArquivoVisualizarExecute() { RunDocument(false); }

void TfmAnexo::ArquivoImprimirExecute() { RunDocument(true); }

void TfmAnexo::RunDocument(bool print)
{
    TAnexoRelatorio* document = Document;
    if (!document)
        return;
    // Where the focus goes back to: a widget of the tool area, or the report of the active window.
    struct TRestore {
        TfmAnexo& Form;
        bool Print;
        bool Remembered = false;
        QPointer<QWidget> Widget;
        TfmAnexo_MDIChild* Child = nullptr;
        TVardoRep* Report = nullptr;

        ~TRestore()
        {
            try {
                Form.EnableMainMenus(true);
                Form.FTopPanel->setEnabled(!Form.Busy);
                if (Remembered && Form.Visible())
                    Give();
            } catch (...) {
                Application().HandleException(std::current_exception());
            }
        }
        void Give()
        {
            if (!Report) {
                if (Widget && Widget->isVisible() && Widget->isEnabled() && Widget->focusPolicy() != Qt::NoFocus)
                    Widget->setFocus(Qt::OtherFocusReason);
                return;
            }
            // The window or its report may have gone while the run pumped messages.
            const auto& children = Form.FChildren;
            if (std::find(children.begin(), children.end(), Child) == children.end() || Child->Report != Report ||
                !Report->CanFocus() || !Child->Host())
                return;
            Child->Host()->SetFocusedControl(nullptr);
            Child->Host()->setFocus(Qt::OtherFocusReason);
            Child->Host()->SetFocusedControl(Report);
            TKVDesigner* designer = Form.Designer;
            if (Child->SelectedControl && designer && designer->Attached() && designer->Report() == Report) {
                designer->SetSelected(Child->SelectedControl);
                designer->RefreshHandles();
            } else if (Print && !(designer && designer->Attached())) {
                Report->SetFocus();
            }
        }
    } restore{*this, print, false, {}, nullptr, nullptr};

    TfmAnexo_MDIChild* active = ActiveMDIChild();
    if (Visible() && Report && Report->CanFocus()) {
        if (QWidget* tool = ToolAreaFocus()) {
            restore.Remembered = true;
            restore.Widget = tool;
        } else if (active && active->Host() && active->Host()->FocusedControl() == Report) {
            restore.Remembered = true;
            restore.Child = active;
            restore.Report = Report;
        }
        if (active && active->Host())
            active->Host()->setFocus(Qt::OtherFocusReason);
        Report->SetFocus();
    }
    FTopPanel->setEnabled(false);
    EnableMainMenus(false);
    if (print)
        document->Print();
    else
        document->Preview();
}

} // namespace tessiv
