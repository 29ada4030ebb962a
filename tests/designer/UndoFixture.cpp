#include "UndoFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/document/DesignerClasses.h"
#include "designer/document/Hidden.h"
#include "designer/document/Transf.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/core/ObjectText.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ControlHost.h"
#include "platform/ui/Dialogs.h"

namespace designertest {

using namespace tessiv;

void UndoFixture::SetUp()
{
    DesignerTest::SetUp();
    RegisterDesignerClasses();
    Application().Presenter = [this](const TMessageBoxRequest& r) {
        Boxes.push_back({r.Text, r.Caption, r.Type, r.Buttons});
        return Answer;
    };
    Form.reset(new TfmAnexo(nullptr, {}));
    Form->Show();
}

void UndoFixture::TearDown()
{
    if (Form)
        Form->AskOnClose = false;
    Form.reset();
    FreeTransferForm();
    Clipboard().Clear();
    SetDialogPresenter(nullptr);
    DesignerTest::TearDown();
}

TfmAnexo_MDIChild* UndoFixture::OpenDocument()
{
    TAnexoRelatorio* doc = NewReportDocument(Form.get());
    doc->SetFileName(Path(QStringLiteral("Doc%1.KVR").arg(++Documents)));
    Form->OpenDocumentWindow(doc, doc->FileName());
    TfmAnexo_MDIChild* child = nullptr;
    for (TfmAnexo_MDIChild* c : Form->MDIChildren())
        if (c->Document == doc)
            child = c;
    EXPECT_NE(child, nullptr);
    if (!child)
        return nullptr;
    Form->ActivateChild(child);
    // The report is the design target: no control of the main form holds the focus.
    if (QWidget* focus = Form->Window()->focusWidget())
        focus->clearFocus();
    child->Host()->SetFocusedControl(child->Report);
    Form->SetCurrentBand(Detail());
    return child;
}

void UndoFixture::CloseDocument()
{
    Form->AskOnClose = false;
    delete Form->ActiveMDIChild();
    Form->AskOnClose = true;
}

TfmHidden* UndoFixture::Root() const
{
    return Form->Document ? Form->Document->Root() : nullptr;
}

TKVCustomBand* UndoFixture::Detail() const
{
    if (!Form->Report)
        return nullptr;
    for (TKVCustomBand* band : Form->Report->BandList())
        if (band->BandType() == rbDetail)
            return band;
    return nullptr;
}

QByteArray UndoFixture::DocumentText() const
{
    // The report is written with its root, as the file is: parented there while it is written.
    TVardoRep* report = Form->Report;
    TWinControl* shownOn = report->Parent();
    report->SetParent(Root());
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteRootComponent(Root());
    }
    report->SetParent(shownOn);
    return ObjectBinaryToText(stream.Bytes());
}

} // namespace designertest
