#pragma once
// The progress form of a print or an export run: a gauge that moves in steps of 5 %, the percent
// done in words, and a Cancel button that reaches the printer object. The report makes it for one
// run and makes it the printer object's client, so the run's progress messages come here; the
// form pumps messages at each step so that a click on Cancel is seen while the run goes on.

#include "platform/controls/Controls.h"

#include <QDialog>
#include <QProgressBar>

#include <memory>

class QLabel;
class QPushButton;

namespace tessiv {

class TKVPrinter;

// A progress bar from 0 to 100.
class TKVGauge : public QProgressBar {
public:
    explicit TKVGauge(QWidget* parent = nullptr);
};

class TKVProgressForm : public QDialog {
public:
    explicit TKVProgressForm(QWidget* parent = nullptr);
    // Leaves the printer object alone: the report frees it before the form. One that lives on
    // must be given another client (SetPrinter(nullptr) first); until then messages for the form
    // are dropped.
    ~TKVProgressForm() override;

    TKVPrinter* Printer() const { return FPrinter; }
    // Also makes the form the printer object's client (nil: no longer).
    void SetPrinter(TKVPrinter* printer);
    // The windowless control that receives the printer object's messages.
    TWinControl* Client() const { return FClient.get(); }

    QLabel* Info() const { return FInfo; }
    QPushButton* CancelButton() const { return FCancelButton; }
    TKVGauge* Gauge() const { return FGauge; }

    // The printer object's progress message: only whole steps of 5 % move the form.
    void ProgressMessage();
    void CancelButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    class TClient;
    TKVPrinter* FPrinter = nullptr;
    std::unique_ptr<TWinControl, TComponentDeleter> FClient;
    QLabel* FInfo;
    QPushButton* FCancelButton;
    TKVGauge* FGauge;
};

} // namespace tessiv
