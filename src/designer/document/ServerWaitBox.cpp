#include "designer/document/ServerWaitBox.h"

#include "platform/data/ServerWait.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace tessiv {

namespace {

// Short waits go unseen; a box that flashed on each would be worse than none.
constexpr std::chrono::milliseconds kShowAfter{1000};

// Modal while it shows: the windows repaint, but nothing else can be started in the middle of what
// is waiting.
class TServerWaitBox : public QDialog {
public:
    TServerWaitBox()
    {
        setObjectName(QStringLiteral("ServerWaitBox"));
        setWindowTitle(Application().Title());
        setWindowModality(Qt::ApplicationModal);
        auto* text = new QLabel(QStringLiteral("Aguardando a resposta do servidor de banco de dados..."), this);
        auto* cancel = new QPushButton(QStringLiteral("Cancelar"), this);
        cancel->setObjectName(QStringLiteral("CancelButton"));
        connect(cancel, &QPushButton::clicked, this, [this] { FCancelled = true; });
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(cancel);
        buttons->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addLayout(buttons);
        // Hidden once the waits have ended and the program is back in its own loop.
        FHide.setSingleShot(true);
        FHide.setInterval(300);
        connect(&FHide, &QTimer::timeout, this, [this] {
            hide();
            FCancelled = false;
        });
    }
    bool Waiting(std::chrono::milliseconds waited)
    {
        if (!isVisible() && waited < kShowAfter)
            return true;
        if (!isVisible()) {
            show();
            raise();
            activateWindow();
        }
        FHide.start();
        QCoreApplication::processEvents();
        return !FCancelled;
    }
    // Escape and the window's close button cancel as the button does.
    void reject() override { FCancelled = true; }

private:
    bool FCancelled = false;
    QTimer FHide;
};

QPointer<TServerWaitBox>& Box()
{
    static QPointer<TServerWaitBox> box;
    return box;
}

} // namespace

void InstallServerWaitBox()
{
    static const TServerWaitScope scope([](std::chrono::milliseconds waited) {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return true;
        if (!Box()) {
            Box() = new TServerWaitBox;
            // Goes with the application, before its fonts and screens do.
            qAddPostRoutine([] { delete Box().data(); });
        }
        return Box()->Waiting(waited);
    });
}

} // namespace tessiv
