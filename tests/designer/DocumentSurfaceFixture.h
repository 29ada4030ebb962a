#pragma once
// What the key, mouse and selection tests of the main form share: a new document in the main
// form, shown headless, its first band tall enough for what a test places, driven through the
// document window's own surface.

#include "DesignerFixture.h"
#include "SurfaceDriver.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/DesignerClasses.h"
#include "designer/surface/KVDesigner.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/ControlHost.h"

#include <memory>

namespace designertest {

class DocumentSurfaceTest : public DesignerTest {
protected:
    // From SetUp, under ASSERT_NO_FATAL_FAILURE.
    void OpenNewDocument(int bandHeight)
    {
        tessiv::RegisterDesignerClasses();
        Form.reset(new tessiv::TfmAnexo(nullptr, {}));
        Form->Show();
        Form->ArquivoNovoExecute();
        Child = Form->ActiveMDIChild();
        ASSERT_NE(Child, nullptr);
        Report = Form->Report;
        ASSERT_NE(Report, nullptr);
        ASSERT_NE(Form->Designer, nullptr);
        ASSERT_FALSE(Report->BandList().empty());
        Band = Report->BandList().front();
        Band->SetHeight(bandHeight);
        Child->FitClientToReport();
        Driver = std::make_unique<TSurfaceDriver>(Child->Host(), Report);
    }
    void TearDown() override
    {
        Driver.reset();
        if (Form)
            Form->AskOnClose = false;
        Form.reset();
        DesignerTest::TearDown();
    }

    std::unique_ptr<tessiv::TfmAnexo, tessiv::TComponentDeleter> Form;
    tessiv::TfmAnexo_MDIChild* Child = nullptr;
    tessiv::TVardoRep* Report = nullptr;
    tessiv::TKVCustomBand* Band = nullptr;
    std::unique_ptr<TSurfaceDriver> Driver;
};

} // namespace designertest
