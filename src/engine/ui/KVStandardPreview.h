#pragma once
// The engine's own preview window: the preview control with a tool bar (zoom, paging, printer
// setup, print, save or export, load), a status line with the page number and a gauge for a run
// still recording. The printer object opens it when nobody set its OnPreview; it frees itself when
// closed, which lets the printer object go. A program's own preview window derives from it and
// changes its texts and what printing, printer setup and the saved-preview entry do.

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace tessiv {

class TKVGauge;
class TKVPreview;
class TKVPrinter;

class TKVStandardPreview : public QWidget {
public:
    // A new window on the printer object (not owned), not shown yet; with an owner it stays above
    // the owner's window (transient for it).
    static TKVStandardPreview* CreatePreview(QWidget* owner, TKVPrinter& printer);
    ~TKVStandardPreview() override;

    TKVPrinter* Printer() const { return FPrinter; }
    TKVPreview* Preview() const { return FPreview; }
    TKVGauge* Gauge() const { return FGauge; }
    QLabel* Status() const { return FStatus; }
    // The tool bar's buttons by name ("ZoomToFit", "NextPage", "Save" ...); nil for another name.
    QToolButton* Button(const QString& name) const;
    QPushButton* ExitButton() const { return FExit; }

    // "Página n de m", marked when the pages are those of a failed run.
    virtual void UpdateStatus();
    // Save, export, load and printer setup only once the pages are finished: a run still recording
    // keeps its pages and its printer, and there is something to save.
    void UpdateButtons();

    // ---- the buttons' actions ----
    void ZoomToFitClick();
    void ZoomTo100Click();
    void ZoomToWidthClick();
    void FirstPageClick();
    void PrevPageClick();
    void NextPageClick();
    void LastPageClick();
    virtual void PrintSetupClick();
    // Refused with a message for the pages of a failed run.
    virtual void PrintClick();
    // Saves or exports; refused with a message for the pages of a failed run.
    void SaveClick();
    void LoadClick();
    // A key of the window: true when it was a paging key.
    virtual bool HandleKey(int qtKey, Qt::KeyboardModifiers modifiers);

protected:
    TKVStandardPreview(QWidget* owner, TKVPrinter& printer);
    // The first entry of the save and load dialogs' filters: description, "|", pattern.
    virtual QString SavedPreviewEntry() const;
    // The save dialog's entries after the first, one per filter of the export-filter library, in
    // its order: description, "|", pattern, and so on.
    virtual QString ExportEntries() const;
    // After the page status while the pages are those of a failed run; empty otherwise.
    QString IncompleteMark() const;
    // True, after a message, when the pages are those of a failed run: they are not to be saved,
    // printed or exported as if they were the report.
    bool RefuseIncompletePages();
    // Load was asked for a file that is not there.
    virtual void ReportMissingFile(const QString& fileName);
    // Whether the pages are still being recorded (the buttons wait, and are checked again while so).
    virtual bool Recording() const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* AddButton(const char* name, const char* hint, const char* glyph, void (TKVStandardPreview::*action)());
    void GoToPage(int n);
    // The run failed: the status says the pages are incomplete, and the error is shown now.
    void RunFailed();

    TKVPrinter* FPrinter;
    QWidget* FToolbar;
    TKVPreview* FPreview;
    QWidget* FStatusPanel;
    QLabel* FStatus;
    TKVGauge* FGauge;
    QPushButton* FExit;
    class QTimer* FBusyTimer;
};

} // namespace tessiv
