#include "designer/surface/Voltar.h"

#include "platform/core/Strings.h"
#include "platform/ui/ControlHost.h"

#include <QMainWindow>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TPanelControl, TCustomPanel)

TPanelControl::TPanelControl(TComponent* owner)
    : TCustomPanel(owner), ObjectNames(new TStringList), ParentNames(new TStringList), Copies(new TStringList),
      Kinds(new TStringList), Orders(new TStringList)
{
    SetAlign(alTop);
    SetHeight(200);
}

TPanelControl::~TPanelControl()
{
    delete ObjectNames;
    delete ParentNames;
    delete Copies;
    delete Kinds;
    delete Orders;
}

int TPanelControl::EntryCount() const
{
    return Kinds->Count();
}

int TPanelControl::Kind(int index) const
{
    return Kinds->Strings(index).toInt();
}

TComponent* TPanelControl::CopyOf(int index) const
{
    return dynamic_cast<TComponent*>(Copies->Objects(index));
}

void TPanelControl::AddEntry(int kind, const QString& parentName, const QString& objectName, const QString& copyText,
                             TComponent* copy, int order)
{
    Kinds->Add(QString::number(kind));
    ParentNames->Add(parentName);
    ObjectNames->Add(objectName);
    Copies->AddObject(copyText, copy);
    Orders->Add(QString::number(order));
    if (copy)
        copy->FreeNotification(this);
}

int TPanelControl::Order(int index) const
{
    return index >= 0 && index < Orders->Count() ? Orders->Strings(index).toInt() : -1;
}

void TPanelControl::SetCopy(int index, TComponent* copy)
{
    Copies->PutObject(index, copy);
    if (copy)
        copy->FreeNotification(this);
}

void TPanelControl::Notification(TComponent* component, TOperation operation)
{
    TCustomPanel::Notification(component, operation);
    // A copy that goes (with its step, or with the form at the end) leaves no dangling entry.
    if (operation == TOperation::opRemove) {
        if (component == StepObject)
            StepObject = nullptr;
        for (int i = 0; i < Copies->Count(); ++i)
            if (Copies->Objects(i) == component)
                Copies->PutObject(i, nullptr);
        CopyNames.remove(component);
    }
}

TESSIV_IMPLEMENT_CLASS(TfmVoltar, TForm)

TfmVoltar::TfmVoltar(TComponent* owner) : TForm(owner)
{
    SetCaption(QStringLiteral("Voltar"));
    FClient = new TWinControl(this);
    FClient->SetBounds(0, 0, 400, 0);
    FHost = new TControlHost(Window());
    FHost->setObjectName(QStringLiteral("UndoSteps"));
    FHost->SetRoot(FClient);
    Window()->setCentralWidget(FHost);
    Window()->resize(420, 480);
}

TfmVoltar::~TfmVoltar()
{
    while (StepCount() > 0)
        FreeStep(Steps(StepCount() - 1));
    if (FHost)
        FHost->SetRoot(nullptr);
    FClient = nullptr;
}

int TfmVoltar::StepCount() const
{
    return FClient ? FClient->ControlCount() : 0;
}

TPanelControl* TfmVoltar::Steps(int index) const
{
    return static_cast<TPanelControl*>(FClient->Controls(index));
}

TPanelControl* TfmVoltar::AddStep(const TControl* fontSource)
{
    auto* step = new TPanelControl(this);
    if (fontSource)
        step->SetFont(fontSource->Font());
    step->SetWidth(FClient->Width());
    // Below the last step: alTop stacks them in the order they came.
    step->SetTop(StepCount() * step->Height() + 1);
    step->SetParent(FClient);
    FClient->SetHeight(StepCount() * step->Height());
    return step;
}

void TfmVoltar::FreeStep(TPanelControl* step)
{
    if (!step)
        return;
    // The copies are owned by the form, so freeing them is the step's own duty.
    for (int i = 0; i < step->Copies->Count(); ++i)
        if (TComponent* copy = step->CopyOf(i)) {
            step->Copies->PutObject(i, nullptr);
            copy->Free();
        }
    step->Free();
    if (FClient)
        FClient->SetHeight(StepCount() * 200);
}

void TfmVoltar::ShowSteps()
{
    if (FHost)
        FHost->UpdateSurfaceSize();
    Show();
}

} // namespace tessiv
