#pragma once
// What the undo and clipboard tests share: a main form with new documents in windows, the
// detail band of the active one, and the text form of a whole document.

#include "DesignerFixture.h"

#include "designer/mainform/AnexoForm.h"
#include "designer/document/Hidden.h"
#include "platform/core/Component.h"

#include <QByteArray>

#include <memory>

namespace tessiv {
class TfmHidden;
class TKVCustomBand;
} // namespace tessiv

namespace designertest {

class UndoFixture : public DesignerTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new document in a window of its own, made the active one, its detail band current and
    // its report holding the focus of the window.
    tessiv::TfmAnexo_MDIChild* OpenDocument();
    // Closes the active window without a question.
    void CloseDocument();
    tessiv::TfmHidden* Root() const;
    tessiv::TKVCustomBand* Detail() const;
    // The document as its text form: every component, property and child in order.
    QByteArray DocumentText() const;

    std::unique_ptr<tessiv::TfmAnexo, tessiv::TComponentDeleter> Form;
    int Documents = 0;
};

} // namespace designertest
