#include "UiSupportFixtures.h"

#include "uisupport/WndHook.h"

#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tessiv;
using namespace uisupporttest;

namespace {

constexpr QEvent::Type Ping = QEvent::Type(QEvent::User + 7);

// A widget that writes down the events it handles.
class TLogWidget : public QWidget {
public:
    explicit TLogWidget(std::vector<std::string>* log) : Log(log) {}
    bool event(QEvent* e) override
    {
        if (e->type() == Ping)
            Log->push_back("widget");
        return QWidget::event(e);
    }
    std::vector<std::string>* Log;
};

using HookPtr = std::unique_ptr<TWndHook, TComponentDeleter>;

HookPtr MakeHook(QWidget* w, std::vector<std::string>* log, const std::string& name, bool handleBefore = false)
{
    HookPtr h(new TWndHook(nullptr));
    h->BeforeMessage = [log, name, handleBefore](TObject*, QEvent* e, bool& handled) {
        if (e->type() != Ping)
            return;
        log->push_back(name + " before");
        handled = handleBefore;
    };
    h->AfterMessage = [log, name](TObject*, QEvent* e, bool&) {
        if (e->type() == Ping)
            log->push_back(name + " after");
    };
    h->SetWinControl(w);
    return h;
}

void SendPing(QWidget* w)
{
    QEvent e(Ping);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST(WndHook, TheLaterHookSeesAnEventFirstAndTheAfterHooksFollowTheWidget)
{
    App();
    std::vector<std::string> log;
    TLogWidget w(&log);
    HookPtr first = MakeHook(&w, &log, "first");
    HookPtr second = MakeHook(&w, &log, "second");
    EXPECT_EQ(first->ControlHook(), second->ControlHook());
    ASSERT_NE(first->ControlHook(), nullptr);
    EXPECT_EQ(first->ControlHook()->HookCount(), 2);
    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"second before", "first before", "widget", "second after", "first after"}));
}

TEST(WndHook, HandledStopsTheEarlierHooksAndTheWidget)
{
    App();
    std::vector<std::string> log;
    TLogWidget w(&log);
    HookPtr first = MakeHook(&w, &log, "first");
    HookPtr second = MakeHook(&w, &log, "second", true);
    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"second before"}));

    // Switched off, the hook lets everything through.
    log.clear();
    second->SetActive(false);
    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"first before", "widget", "first after"}));
    EXPECT_EQ(second->WinControl(), &w);
    second->SetActive(true);
    log.clear();
    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"second before"}));
}

TEST(WndHook, TheRecordOfAControlGoesLaterOnceItsLastHookLeaves)
{
    App();
    std::vector<std::string> log;
    TLogWidget w(&log);
    HookPtr hook = MakeHook(&w, &log, "h");
    TControlHook* record = GetHookList().FindControlHook(&w);
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->Hooked());

    hook->SetWinControl(nullptr);
    EXPECT_EQ(hook->WinControl(), nullptr);
    EXPECT_FALSE(record->Hooked());
    // Still there until the events waiting are handled: it may be inside its own filter.
    EXPECT_TRUE(GetHookList().Contains(record));
    Pump();
    EXPECT_FALSE(GetHookList().Contains(record));
    EXPECT_EQ(GetHookList().FindControlHook(&w), nullptr);

    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"widget"}));
}

TEST(WndHook, AHookMayLeaveWhileItsEventIsBeingHandled)
{
    App();
    std::vector<std::string> log;
    TLogWidget w(&log);
    HookPtr hook(new TWndHook(nullptr));
    TWndHook* raw = hook.get();
    hook->BeforeMessage = [raw, &log](TObject*, QEvent* e, bool&) {
        if (e->type() == Ping) {
            log.push_back("leaving");
            raw->SetWinControl(nullptr);
        }
    };
    hook->SetWinControl(&w);
    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"leaving", "widget"}));
    Pump();
    EXPECT_EQ(GetHookList().FindControlHook(&w), nullptr);
}

TEST(WndHook, AGoneWidgetLeavesItsHooksWatchingNothing)
{
    App();
    std::vector<std::string> log;
    auto* w = new TLogWidget(&log);
    HookPtr hook = MakeHook(w, &log, "h");
    const int before = GetHookList().Count();
    delete w;
    EXPECT_EQ(hook->WinControl(), nullptr);
    EXPECT_EQ(hook->ControlHook(), nullptr);
    Pump();
    EXPECT_EQ(GetHookList().Count(), before - 1);
    EXPECT_TRUE(hook->Active());
}

TEST(WndHook, AHookInDesignStateInstallsNothing)
{
    App();
    std::vector<std::string> log;
    TLogWidget w(&log);
    HookPtr hook(new TWndHook(nullptr));
    hook->SetDesigning(true);
    hook->BeforeMessage = [&log](TObject*, QEvent* e, bool& handled) {
        if (e->type() == Ping)
            handled = true;
    };
    hook->SetWinControl(&w);
    EXPECT_EQ(hook->ControlHook(), nullptr);
    EXPECT_EQ(GetHookList().FindControlHook(&w), nullptr);
    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"widget"}));
}

TEST(WndHook, AfterHooksRunEvenWhenTheWidgetThrows)
{
    App();
    class TThrowing : public QWidget {
    public:
        bool event(QEvent* e) override
        {
            if (e->type() == Ping)
                throw std::runtime_error("boom");
            return QWidget::event(e);
        }
    } w;
    std::vector<std::string> log;
    HookPtr hook = MakeHook(&w, &log, "h");
    QEvent e(Ping);
    // Straight to the filter: Qt's own delivery does not carry exceptions through.
    EXPECT_THROW(hook->ControlHook()->eventFilter(&w, &e), std::runtime_error);
    EXPECT_EQ(log, (std::vector<std::string>{"h before", "h after"}));
}

TEST(WndHook, TheHookKeepsWorkingWhenTheWindowIsMadeAgain)
{
    App();
    std::vector<std::string> log;
    TLogWidget w(&log);
    w.resize(100, 80);
    w.show();
    Pump();
    HookPtr hook = MakeHook(&w, &log, "h");
    const WId before = w.winId();
    // Put inside another widget and out again, it loses its native window and gets a new one.
    {
        QWidget holder;
        w.setParent(&holder);
        w.setParent(nullptr, Qt::Window);
    }
    w.show();
    Pump();
    EXPECT_NE(w.winId(), before);
    SendPing(&w);
    EXPECT_EQ(log, (std::vector<std::string>{"h before", "widget", "h after"}));
}
