#include "uisupport/WndHook.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

namespace tessiv {

namespace {

// The list's own event: free a record that has lost its hooks.
constexpr QEvent::Type FreeRecordEvent = QEvent::Type(QEvent::User + 0x53);

class TFreeRecordEvent : public QEvent {
public:
    explicit TFreeRecordEvent(TControlHook* record) : QEvent(FreeRecordEvent), Record(record) {}
    TControlHook* Record;
};

std::unique_ptr<THookList>& HookListInstance()
{
    static std::unique_ptr<THookList> list;
    return list;
}

} // namespace

THookList& GetHookList()
{
    auto& list = HookListInstance();
    if (!list)
        list = std::make_unique<THookList>();
    return *list;
}

// ---- TWndHook ---------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TWndHook, TComponent)

TWndHook::TWndHook(TComponent* owner) : TComponent(owner), FWatcher(std::make_unique<QObject>()) {}

TWndHook::~TWndHook()
{
    SetActive(false);
    SetWinControl(nullptr);
}

QWidget* TWndHook::WinControl() const
{
    return FControlHook ? FControlHook->Control() : FControl.data();
}

void TWndHook::SetActive(bool value)
{
    if (value == FActive)
        return;
    if (value) {
        FActive = true;
        HookControl();
    } else {
        UnhookControl();
        FActive = false;
    }
}

void TWndHook::HookControl()
{
    if (!FActive || !FControl || ComponentState().Contains(csDestroying) || ComponentState().Contains(csDesigning))
        return;
    GetHookList().GetControlHook(FControl)->AddHook(this);
}

void TWndHook::UnhookControl()
{
    if (FControlHook)
        FControlHook->RemoveHook(this);
}

void TWndHook::SetWinControl(QWidget* value)
{
    TControlHook* left = FControlHook;
    if (value == FControl.data() && (left ? left->Control() == value : true))
        return;
    const bool wasActive = FActive;
    UnhookControl();
    QObject::disconnect(FWatcher.get(), nullptr, nullptr, nullptr);
    if (FControl)
        QObject::disconnect(FControl, nullptr, FWatcher.get(), nullptr);
    FControl = value;
    if (value) {
        QObject::connect(value, &QObject::destroyed, FWatcher.get(), [this] {
            // The widget is gone: its record is freed later, and the hook watches nothing.
            TControlHook* record = FControlHook;
            if (record)
                record->RemoveHook(this);
            FControl = nullptr;
            if (record && record->HookCount() == 0)
                GetHookList().PostFree(record);
        });
    }
    // The record is freed outside the event being handled: this may run inside its filter.
    if (left && left->HookCount() == 0)
        GetHookList().PostFree(left);
    if (wasActive)
        HookControl();
}

// ---- TControlHook -----------------------------------------------------------------------------

TControlHook::TControlHook() = default;

TControlHook::~TControlHook()
{
    FDestroying = true;
    while (!FHooks.empty())
        RemoveHook(FHooks.back());
    UnhookControl();
}

void TControlHook::SetControl(QWidget* control)
{
    if (control == FControl.data())
        return;
    UnhookControl();
    FControl = control;
    if (!FHooks.empty())
        HookControl();
}

void TControlHook::AddHook(TWndHook* hook)
{
    if (std::find(FHooks.begin(), FHooks.end(), hook) == FHooks.end())
        FHooks.push_back(hook);
    hook->FControlHook = this;
    SetControl(hook->FControl);
    HookControl();
}

void TControlHook::RemoveHook(TWndHook* hook)
{
    hook->FControlHook = nullptr;
    FHooks.erase(std::remove(FHooks.begin(), FHooks.end(), hook), FHooks.end());
    if (FHooks.empty())
        UnhookControl();
}

void TControlHook::HookControl()
{
    if (!FControl || FDestroying || FHooked)
        return;
    FControl->installEventFilter(this);
    FHooked = true;
}

void TControlHook::UnhookControl()
{
    if (FHooked && FControl)
        FControl->removeEventFilter(this);
    FHooked = false;
}

void TControlHook::NotifyHooks(QEvent* event, bool& handled, bool before)
{
    if (FHooks.empty() || !FControl || FDestroying)
        return;
    // Newest first; a hook may remove itself or others while it runs.
    const std::vector<TWndHook*> hooks = FHooks;
    for (auto it = hooks.rbegin(); it != hooks.rend() && !handled; ++it) {
        if (std::find(FHooks.begin(), FHooks.end(), *it) == FHooks.end())
            continue;
        const THookMessageEvent& handler = before ? (*it)->BeforeMessage : (*it)->AfterMessage;
        if (handler)
            handler(*it, event, handled);
        if (!FControl || FDestroying)
            return;
    }
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FControl.data() || FDestroying)
        return false;
    bool handled = false;
    NotifyHooks(event, handled, true);
    if (handled)
        return true;
    // The widget handles it here, so that the after-hooks come after it; the event is then not
    // delivered a second time.
    QPointer<QObject> target = watched;
    try {
        static_cast<QObject*>(watched)->event(event);
    } catch (...) {
        if (target)
            NotifyHooks(event, handled, false);
        throw;
    }
    if (target)
        NotifyHooks(event, handled, false);
    return true;
}

// ---- THookList --------------------------------------------------------------------------------

THookList::THookList() = default;

THookList::~THookList()
{
    while (!FItems.empty())
        FItems.pop_back();
}

TControlHook* THookList::FindControlHook(const QWidget* control) const
{
    for (const auto& r : FItems)
        if (r->Control() == control)
            return r.get();
    return nullptr;
}

TControlHook* THookList::GetControlHook(QWidget* control)
{
    if (TControlHook* r = FindControlHook(control))
        return r;
    auto record = std::make_unique<TControlHook>();
    record->SetControl(control);
    FItems.push_back(std::move(record));
    return FItems.back().get();
}

bool THookList::Contains(const TControlHook* record) const
{
    return std::any_of(FItems.begin(), FItems.end(), [record](const auto& r) { return r.get() == record; });
}

void THookList::PostFree(TControlHook* record)
{
    if (QCoreApplication::instance())
        QCoreApplication::postEvent(this, new TFreeRecordEvent(record));
    else
        Free(record);
}

void THookList::customEvent(QEvent* event)
{
    if (event->type() != FreeRecordEvent)
        return;
    TControlHook* record = static_cast<TFreeRecordEvent*>(event)->Record;
    if (Contains(record) && record->HookCount() == 0)
        Free(record);
}

void THookList::Free(TControlHook* record)
{
    auto it = std::find_if(FItems.begin(), FItems.end(), [record](const auto& r) { return r.get() == record; });
    if (it == FItems.end())
        return;
    // Out of the list first, so nothing finds it while it goes.
    std::unique_ptr<TControlHook> gone = std::move(*it);
    FItems.erase(it);
}

} // namespace tessiv
