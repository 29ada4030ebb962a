// The main form's Configurar and Ajuda commands: the data source, page, alignment and size
// dialogs, the report's printer setup, help (contents, the shortcut keys, F1 by context) and the
// about form.
#include "designer/mainform/AboutTSSV.h"
#include "designer/dialogs/Alinhamento.h"
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/dialogs/CfgPagina.h"
#include "designer/surface/DesignSelection.h"
#include "designer/dialogs/Dimensionar.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/dialogs/MyZTDataSetup.h"
#include "designer/surface/WaitCursor.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"
#include "platform/ui/Help.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMdiArea>

namespace tessiv {

namespace {

// F1 anywhere in the main form's window (document windows included) asks for help by context;
// dialogs and the preview window are windows of their own and keep their keys.
class THelpKeyFilter : public QObject {
public:
    explicit THelpKeyFilter(TfmAnexo* form) : FForm(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !FForm->Window() || widget->window() != FForm->Window())
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            // Nothing else takes F1 from us.
            event->accept();
            return true;
        }
        Application().Guard([this] { FForm->ContextHelpClick(); });
        return true;
    }

private:
    TfmAnexo* FForm;
};

} // namespace

void TfmAnexo::FormCreateHelp()
{
    HelpSystem().SetHelpFile(HelpFileName());
    FHelpKey = std::make_unique<THelpKeyFilter>(this);
    QCoreApplication::instance()->installEventFilter(FHelpKey.get());
}

void TfmAnexo::ConfigurarImpressoraExecute()
{
    if (Report)
        Report->PrinterSetup();
}

void TfmAnexo::Tabela1Click()
{
    if (!Document)
        return;
    TAnexoRelatorio* document = Document;
    // The field bar's field box lists the data set's fields again however the dialog ended.
    struct TRebind {
        TfmAnexo& Form;
        TAnexoRelatorio* Document;
        ~TRebind()
        {
            try {
                if (Form.Document != Document)
                    return;
                auto* box = Form.Window() ? Form.Window()->findChild<QComboBox*>(QStringLiteral("cbCampo")) : nullptr;
                if (!box) {
                    Document->BindDataFields(nullptr);
                    return;
                }
                QStringList names;
                Document->BindDataFields(&names);
                const QString current = box->currentText();
                const QSignalBlocker quiet(box);
                box->clear();
                box->addItems(names);
                box->setCurrentIndex(box->findText(current));
                if (box->isEditable())
                    box->setEditText(current);
            } catch (...) {
                Application().HandleException(std::current_exception());
            }
        }
    } rebind{*this, document};
    if (!TfmMyZTDataSetup::Execute(document, Settings()))
        return;
    SetModified(true);
    UpdateActions(true);
    if (!Visible() || !Report)
        return;
    // The report's own window comes back to the front, its current container selected.
    for (TfmAnexo_MDIChild* child : MDIChildren())
        if (child->Report == Report && child != ActiveMDIChild())
            ActivateChild(child);
    if (MultiDesigner)
        MultiDesigner->Clear();
    if (Designer) {
        if (!Designer->Attached() || Designer->Report() != Report)
            Designer->Attach(Report);
        Designer->SetSelected(CurrentContainer());
        Designer->RefreshHandles();
    }
    QCoreApplication::processEvents();
}

void TfmAnexo::Pagina1Click()
{
    if (!Report)
        return;
    TCfgPaginaHooks hooks;
    hooks.Preview = [this] { ArquivoVisualizarExecute(); };
    hooks.Modified = [this] { SetModified(true); };
    hooks.RefreshHandles = [this] {
        if (Designer && Designer->Attached() && Designer->Selected())
            Designer->RefreshHandles();
    };
    TfmCfgPagina::Execute(Settings(), Report, hooks);
}

void TfmAnexo::Alinhar2Click()
{
    TWaitCursor wait;
    TfmAlinhamento::Execute(Settings(), MakeDesignSelection(MultiDesigner, Designer, CurrentBand, GetUnitsName(),
                                                            [this] { SetModified(true); }));
}

void TfmAnexo::Dimensionar2Click()
{
    TWaitCursor wait;
    TfmDimensionar::Execute(Settings(), MakeDesignSelection(MultiDesigner, Designer, CurrentBand, GetUnitsName(),
                                                            [this] { SetModified(true); }));
}

void TfmAnexo::TpicosdeAjudaClick() { HelpSystem().Contents(); }

void TfmAnexo::Teclasdeatalho1Click() { HelpSystem().Topic(QStringLiteral("Teclas_de_atalho")); }

void TfmAnexo::ContextHelpClick()
{
    int context = 0;
    if (QWidget* focus = ToolAreaFocus())
        context = HelpContextOf(focus);
    else if (IsDesignTarget())
        context = Report->HelpContext();
    if (context != 0)
        HelpSystem().Context(context);
    else
        HelpSystem().Contents();
}

void TfmAnexo::Sobre1Click() { TfmAboutTSSV::Execute(ProductName, ProductVersion); }

} // namespace tessiv
