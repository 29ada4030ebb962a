#include "uisupport/MyToolBar.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TMyToolBar, TCustomPanel)

TMyToolBar::TMyToolBar(TComponent* owner) : TCustomPanel(owner) { TMyToolBar::SetComponent(nullptr); }

void TMyToolBar::SetComponent(TComponent* value)
{
    if (FComponent != value) {
        if (FComponent)
            RemoveFreeNotification(FComponent);
        FComponent = value;
        if (FComponent)
            FreeNotification(FComponent);
    }
    if (OnSetComponent)
        OnSetComponent(value);
}

void TMyToolBar::Notification(TComponent* component, TOperation operation)
{
    TCustomPanel::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FComponent)
        FComponent = nullptr;
}

// Holds the tool bar's component and lets it go when the component is freed.
class TAnexoToolBar::TWatch : public TComponent {
public:
    TWatch() : TComponent(nullptr) {}
    void Watch(TComponent* value)
    {
        if (Component == value)
            return;
        if (Component)
            RemoveFreeNotification(Component);
        Component = value;
        if (Component)
            FreeNotification(Component);
    }
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == Component)
            Component = nullptr;
    }
    TComponent* Component = nullptr;
};

TAnexoToolBar::TAnexoToolBar(QWidget* parent) : QToolBar(parent), FWatch(new TWatch)
{
    TAnexoToolBar::SetComponent(nullptr);
}

TAnexoToolBar::~TAnexoToolBar() = default;

TComponent* TAnexoToolBar::Component() const { return FWatch->Component; }

void TAnexoToolBar::SetComponent(TComponent* value)
{
    FWatch->Watch(value);
    if (OnSetComponent)
        OnSetComponent(value);
}

} // namespace tessiv
