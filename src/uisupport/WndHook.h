#pragma once
// Hooks on a window's events without deriving from it: a TWndHook sees each event of the widget
// it watches before the widget does (BeforeMessage, which may mark it handled so that neither the
// earlier hooks nor the widget see it) and after (AfterMessage). The hooks on one widget share one
// record, an event filter on that widget; the records live in one global list, which frees a
// record that lost its last hook once the event being handled is over.
//
// The record stands in for the widget's own handling: it runs the widget's event() itself so the
// after-hooks see the result. Event filters installed on the widget before its first hook are
// therefore passed over while it is hooked.

#include "platform/core/Component.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace tessiv {

class TControlHook;
class TWndHook;

using THookMessageEvent = std::function<void(TObject* sender, QEvent* event, bool& handled)>;

class TWndHook : public TComponent {
    TESSIV_CLASS(TWndHook, TComponent)
public:
    explicit TWndHook(TComponent* owner);
    ~TWndHook() override;

    // Installed while Active and a widget is set.
    bool Active() const { return FActive; }
    void SetActive(bool value);
    // The widget watched: its record's while installed, else the one set.
    QWidget* WinControl() const;
    void SetWinControl(QWidget* value);
    TControlHook* ControlHook() const { return FControlHook; }

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

private:
    friend class TControlHook;
    void HookControl();
    void UnhookControl();

    bool FActive = true;
    QPointer<QWidget> FControl;
    TControlHook* FControlHook = nullptr;
    // Hears that the widget went, and ends that connection when the hook goes.
    std::unique_ptr<QObject> FWatcher;
};

// The record of one hooked widget: the hooks registered on it, in registration order.
class TControlHook : public QObject {
public:
    TControlHook();
    ~TControlHook() override;

    QWidget* Control() const { return FControl.data(); }
    void SetControl(QWidget* control);
    void AddHook(TWndHook* hook);
    void RemoveHook(TWndHook* hook);
    int HookCount() const { return static_cast<int>(FHooks.size()); }
    // The event filter is on the widget.
    bool Hooked() const { return FHooked; }

    // Before-hooks, the widget's own handling, after-hooks.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class THookList;
    void HookControl();
    void UnhookControl();
    void NotifyHooks(QEvent* event, bool& handled, bool before);

    QPointer<QWidget> FControl;
    std::vector<TWndHook*> FHooks;
    bool FHooked = false;
    bool FDestroying = false;
};

class THookList : public QObject {
public:
    THookList();
    ~THookList() override;

    // The record of the widget, made and bound to it when there is none.
    TControlHook* GetControlHook(QWidget* control);
    TControlHook* FindControlHook(const QWidget* control) const;
    int Count() const { return static_cast<int>(FItems.size()); }
    bool Contains(const TControlHook* record) const;
    // Frees the record once the current event is over, when it still has no hooks then.
    void PostFree(TControlHook* record);

protected:
    void customEvent(QEvent* event) override;

private:
    void Free(TControlHook* record);
    std::vector<std::unique_ptr<TControlHook>> FItems;
};

// The global list, made when first asked for.
THookList& GetHookList();

} // namespace tessiv
