#pragma once
// The designer's preview window: the pages a document's preview run records, with zoom, paging, a
// page status, the progress gauge, printer setup, printing, saving or exporting, and loading a
// saved preview. It never runs the report itself: printing goes through the document (on a printer
// object of its own, so the pages shown here stay), printer setup through the document's report.
//
// Made by the main form when a document's preview begins (CreatePreview, then ShowPreview); it
// frees itself when closed, which ends the report's preview.

#include "engine/ui/KVStandardPreview.h"

namespace tessiv {

class TAnexoRelatorio;

class TMyZtPreview : public TKVStandardPreview {
public:
    // The owner is the main form's window; the document and the printer object are not owned.
    static TMyZtPreview* CreatePreview(QWidget* owner, TAnexoRelatorio* document, TKVPrinter& printer);
    // Shows the window, maximised and not modal, and the page status; save, load and printer
    // setup stay off until the run has recorded its pages.
    void ShowPreview();

    TAnexoRelatorio* Document() const { return FDocument; }
    int HelpContext() const { return 1720; }

    void UpdateStatus() override;
    // The document's report shows its printer setup; a failure there is dropped.
    void PrintSetupClick() override;
    // The document prints its report again; this window's pages stay as they are. Refused with
    // a message while the pages are those of a failed run.
    void PrintClick() override;
    // Page Up and Page Down page by one, or go to the first or last page when Ctrl alone is held;
    // Home and End go to the first and last page; F1 shows the window's help topic.
    bool HandleKey(int qtKey, Qt::KeyboardModifiers modifiers) override;

protected:
    QString SavedPreviewEntry() const override;
    // The window's own name for the text export, the export-filter library's first entry.
    QString ExportEntries() const override;
    void ReportMissingFile(const QString& fileName) override;
    // The window comes up as its run begins: until the run has been seen recording and has
    // finished, its pages are not there to save, and loading or changing the printer would pull
    // them from under it.
    bool Recording() const override;
    bool event(QEvent* e) override;

private:
    TMyZtPreview(QWidget* owner, TAnexoRelatorio* document, TKVPrinter& printer);
    TAnexoRelatorio* FDocument;
    int FAnnounced = 0;
    mutable bool FRunSeen = false; // the run was seen recording
};

} // namespace tessiv
