#include "engine/ui/KVProgressForm.h"

#include "engine/run/KVPrinter.h"
#include "engine/model/StringTable.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace tessiv {

TKVGauge::TKVGauge(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
    resize(100, 40);
}

class TKVProgressForm::TClient : public TWinControl {
public:
    explicit TClient(TKVProgressForm* form) : TWinControl(nullptr), FForm(form) {}
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_USER)
            FForm->ProgressMessage();
        else
            TWinControl::WndProc(message);
    }

private:
    TKVProgressForm* FForm;
};

TKVProgressForm::TKVProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      FClient(new TClient(this)), FInfo(new QLabel(this)), FCancelButton(new QPushButton(this)),
      FGauge(new TKVGauge(this))
{
    setObjectName(QStringLiteral("KVProgressForm"));
    setWindowTitle(QStringLiteral("Printing progress"));
    setFixedSize(147, 84);
    FGauge->setGeometry(10, 10, width() - 20, 15);
    FInfo->setObjectName(QStringLiteral("Info"));
    FInfo->setAlignment(Qt::AlignCenter);
    FInfo->setGeometry(0, 30, width(), 18);
    FCancelButton->setObjectName(QStringLiteral("CancelButton"));
    FCancelButton->setText(QStringLiteral("Cancel"));
    FCancelButton->setGeometry((width() - 75) / 2, 52, 75, 25);
    connect(FCancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

TKVProgressForm::~TKVProgressForm() = default;

void TKVProgressForm::SetPrinter(TKVPrinter* printer)
{
    if (FPrinter && FPrinter->Client() == FClient.get())
        FPrinter->SetClient(nullptr);
    FPrinter = printer;
    if (printer)
        printer->SetClient(FClient.get());
}

void TKVProgressForm::ProgressMessage()
{
    if (!FPrinter)
        return;
    const int progress = FPrinter->Progress();
    if (progress % 5 != 0)
        return;
    FGauge->setValue(progress);
    FInfo->setText(QString::number(progress) + QStringLiteral("% ") + LoadStr(SKVProgressDone));
    Application().ProcessMessages();
}

void TKVProgressForm::CancelButtonClick()
{
    if (FPrinter)
        FPrinter->Cancel();
}

void TKVProgressForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The run was started from the program: bring it forward with the form.
    raise();
    activateWindow();
}

} // namespace tessiv
