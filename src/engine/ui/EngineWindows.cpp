#include "engine/ui/EngineWindows.h"

#include "engine/run/KVPrinter.h"
#include "engine/run/KVRunHooks.h"
#include "engine/run/KVRunWindows.h"
#include "engine/ui/KVPrintDialog.h"
#include "engine/ui/KVProgressForm.h"
#include "engine/ui/KVStandardPreview.h"
#include "platform/core/Component.h"
#include "platform/ui/Application.h"

#include <memory>

namespace tessiv {

namespace {

// What the report holds for one run: the progress form, freed with it.
class TKVProgressFormRun : public TPersistent {
    TESSIV_CLASS(TKVProgressFormRun, TPersistent)
public:
    TKVProgressFormRun() = default;
    explicit TKVProgressFormRun(TKVPrinter& printer, bool show) : FForm(std::make_unique<TKVProgressForm>())
    {
        FForm->SetPrinter(&printer);
        if (show)
            FForm->show();
    }

private:
    std::unique_ptr<TKVProgressForm> FForm;
};

TESSIV_IMPLEMENT_CLASS(TKVProgressFormRun, TPersistent)

} // namespace

void InstallEngineWindows()
{
    SetStandardPreviewProc([](TKVPrinter& printer) {
        TKVStandardPreview* window = TKVStandardPreview::CreatePreview(nullptr, printer);
        window->showMaximized();
        window->UpdateStatus();
    });
    SetProgressFormProc([](TKVPrinter& printer, bool show) -> std::unique_ptr<TObject> {
        return std::make_unique<TKVProgressFormRun>(printer, show);
    });
    SetPrintDialogProc([](TPrinter& printer, TKVPrintDialogValues& values) { return KVRunPrintDialog(printer, values); });
    // An item area or a column grid that cannot take its SQL says why.
    SetAreaMessageProc([](const QString& text) { Application().MessageBox(text, QString(), MB_OK | MB_ICONWARNING); });
}

} // namespace tessiv
