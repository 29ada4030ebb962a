// The main form's side of a preview run: the document's preview handler asks for the window.
#include "designer/AnexoForm.h"
#include "designer/MyZtPreview.h"

#include "engine/KVPrinter.h"

namespace tessiv {

void TfmAnexo::ShowPreview(TAnexoRelatorio* document, TKVPrinter* printer)
{
    if (!printer)
        return;
    TMyZtPreview* preview = TMyZtPreview::CreatePreview(Window(), document, *printer);
    preview->ShowPreview();
}

} // namespace tessiv
