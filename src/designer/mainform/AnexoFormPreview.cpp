// The main form's side of a run: the preview and print commands, which keep the tool area and the
// menus off while the document runs and give the focus back afterwards, and the window the
// document's preview handler asks for.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/mainform/MyZtPreview.h"

#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QApplication>
#include <QEvent>
#include <QMdiSubWindow>
#include <QPointer>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace tessiv {

namespace {

// While a document runs, neither its window nor the main window may close: the run works on the
// document's report until it returns, and a preview keeps it running until its window closes.
class TKeepOpen : public QObject {
public:
    explicit TKeepOpen(std::initializer_list<QWidget*> windows)
    {
        for (QWidget* w : windows)
            if (w) {
                w->installEventFilter(this);
                FWindows.emplace_back(w);
            }
    }
    ~TKeepOpen() override
    {
        for (const QPointer<QWidget>& w : FWindows)
            if (w)
                w->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        event->ignore();
        return true;
    }

private:
    std::vector<QPointer<QWidget>> FWindows;
};

} // namespace

void TfmAnexo::ShowPreview(TAnexoRelatorio* document, TKVPrinter* printer)
{
    if (!printer)
        return;
    // A preview asked for from inside a modal dialog (the page setup's) belongs to that dialog:
    // owned by the main window it would be blocked with it, and the run would wait forever for a
    // window nobody can close.
    QWidget* owner = QApplication::activeModalWidget();
    TMyZtPreview* preview = TMyZtPreview::CreatePreview(owner ? owner : Window(), document, *printer);
    preview->ShowPreview();
}

void TfmAnexo::ArquivoVisualizarExecute() { RunDocument(false); }

void TfmAnexo::ArquivoImprimirExecute() { RunDocument(true); }

void TfmAnexo::RunDocument(bool print)
{
    TAnexoRelatorio* document = Document;
    // One run at a time: a command key pressed during a run (the menus are off, their keys are
    // not) must not start the document again over the pages it is making.
    if (!document || FRunning)
        return;
    FRunning = true;
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
            Form.FRunning = false;
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
    TfmAnexo_MDIChild* running = nullptr;
    for (TfmAnexo_MDIChild* child : FChildren)
        if (child->Document == document)
            running = child;
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
    QWidget* childWindow = running ? running->Window() : nullptr;
    QWidget* subWindow = running ? running->SubWindow() : nullptr;
    const TKeepOpen keepOpen{Window(), childWindow, subWindow};
    if (print)
        document->Print();
    else
        document->Preview();
}

} // namespace tessiv
