#pragma once
// Tool bars that carry a current component: the property tool bars of the main window show the
// properties of the control they were last given. Every assignment is announced, also of the same
// component again and of nil.

#include "platform/controls/CustomPanel.h"

#include <QToolBar>

#include <functional>
#include <memory>

namespace tessiv {

using TNotifyMyToolBar = std::function<void(TComponent* value)>;
using TNotifyAnexoToolBar = std::function<void(TComponent* value)>;

class TMyToolBar : public TCustomPanel {
    TESSIV_CLASS(TMyToolBar, TCustomPanel)
public:
    explicit TMyToolBar(TComponent* owner);
    TComponent* Component() const { return FComponent; }
    // Component := Value, then OnSetComponent(Value).
    virtual void SetComponent(TComponent* value);
    TNotifyMyToolBar OnSetComponent;

protected:
    // A component that goes is no longer shown.
    void Notification(TComponent* component, TOperation operation) override;

private:
    TComponent* FComponent = nullptr;
};

// A Qt tool bar with the same current component.
class TAnexoToolBar : public QToolBar {
public:
    explicit TAnexoToolBar(QWidget* parent = nullptr);
    ~TAnexoToolBar() override;
    TComponent* Component() const;
    virtual void SetComponent(TComponent* value);
    TNotifyAnexoToolBar OnSetComponent;

private:
    class TWatch;
    std::unique_ptr<TWatch, TComponentDeleter> FWatch;
};

} // namespace tessiv
