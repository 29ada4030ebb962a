#pragma once
// The output device of one report run. The run lays its pages out in tenths of a millimetre from
// the physical page's top-left corner; the printer object turns those into device units and
// either draws each page straight on the platform printer or records it as an enhanced metafile
// in its page list, for the preview, for export and for the saved-preview file. It tells a client
// window about progress and finished pages with posted messages.

#include "engine/run/KVError.h"
#include "engine/run/KVPageList.h"
#include "engine/model/KVTypes.h"
#include "engine/run/PrinterSettings.h"
#include "platform/core/Persistent.h"
#include "platform/graphics/Metafile.h"
#include "platform/printing/Printer.h"

#include <QString>

#include <functional>
#include <exception>
#include <memory>
#include <optional>

namespace tessiv {

class TWinControl;
class TKVExportFilter;

enum TKVPrinterDestination { kvpdMetafile, kvpdPrinter };
enum TKVPrinterStatus { kvpsReady, kvpsBusy, kvpsFinished };

using TKVAfterPrintEvent = TNotifyEvent;
using TKVAfterPreviewEvent = TNotifyEvent;
using TKVPrintEvent = TEvent<void()>;
using TKVPrintSetupEvent = TEvent<void()>;
using TKVExportToFilterEvent = TEvent<void(TKVExportFilter* filter)>;

// A page length in 0.1 mm, measured from origin (0.1 mm), in device units of factor per 0.1 mm:
// the nearest whole unit, halves to even.
int KVDeviceUnits(long double value, long double origin, long double factor);

// The paper a recorded page was made for, from its size in 0.1 mm: the standard paper nearest in
// both directions, portrait or turned, among those the printer lists, as long as it lies within
// a pixel's rounding of the page; where several are as near (A4 and A4Small), the later in the
// table wins, the turned reading after the upright one. Nothing when no listed paper fits.
struct TKVPaperGuess {
    TKVPaperSize Size;
    TPrinterOrientation Orientation;
};
std::optional<TKVPaperGuess> KVGuessPaper(long double width, long double length,
                                          const std::function<bool(TKVPaperSize)>& listed);

class TKVPrinter;
// Shows the standard preview window for a printer object; the preview layer, which needs the
// widgets, installs it at start-up.
using TKVStandardPreviewProc = std::function<void(TKVPrinter& printer)>;
void SetStandardPreviewProc(TKVStandardPreviewProc proc);

class TKVPrinter : public TPersistent {
    TESSIV_CLASS(TKVPrinter, TPersistent)
public:
    // printer: the platform printer to use (not owned); the program's printer when none.
    explicit TKVPrinter(TPrinter* printer = nullptr);
    // Drops the pages; a print job still running is aborted.
    ~TKVPrinter() override;

    // ---- a run ----
    // Starts a run on the destination. EKVError "ZTPrinter not ready" unless ready, changing
    // nothing. No page is open afterwards.
    void BeginDoc();
    // Closes the open page and opens the next. EKVError "Illegal call to NewPage" outside a run.
    void NewPage();
    // Closes the last page and finishes the run.
    void EndDoc();
    // Stops the run, keeping the pages made so far.
    void Abort();
    // The run stops at its next check.
    void Cancel() { FCancelled = true; }
    // Drops the pages, back to ready.
    void Cleanup();
    // The run that made the pages failed (after it was stopped): they stay, marked incomplete
    // with its error, and the client window is told at once (message WM_USER + 2, sent, not
    // posted). True when the client showed the error.
    bool Fail(std::exception_ptr error);
    // The error of the failed run the pages come from; none for whole pages.
    std::exception_ptr RunError() const { return FRunError; }
    bool Incomplete() const { return static_cast<bool>(FRunError); }

    // ---- coordinates: 0.1 mm of the page to device units, halves to even ----
    int XPos(long double x) const;
    int YPos(long double y) const;
    int XSize(long double width) const;
    int YSize(long double height) const;
    // 0.1 mm, by paper size and orientation.
    int PaperWidth() const;
    int PaperLength() const;
    // A custom size, 0.1 mm; taken only while the paper size is Custom.
    void SetPaperWidth(int value);
    void SetPaperLength(int value);

    // ---- recorded pages ----
    // Page n (from 1) as a new metafile; none outside a run's pages or when it is not recorded
    // yet (the page being drawn).
    std::unique_ptr<TMetafile> GetPage(int n);
    // Prints the recorded pages (or has the report run again on the printer, through OnPrint).
    void Print();
    void Preview();
    void PrintSetup();
    void ExportToFilter(TKVExportFilter* filter);
    // Writes the saved-preview file once the run is finished; refused while pages are recorded
    // and when they are incomplete.
    void Save(const QString& fileName);
    // Reads a saved-preview file as finished pages. A file that cannot be read leaves the pages
    // as they were; refused while pages are recorded. The paper and orientation become those the
    // first page was made for (KVGuessPaper), both or neither.
    void Load(const QString& fileName);

    // ---- client messages: WM_USER with the percentage done, WM_USER + 1 with the pages finished,
    // WM_USER + 2 when the run failed (Fail) ----
    int Progress() const { return FProgress; }
    void SetProgress(int percent);
    int AvailablePages() const { return FAvailablePages; }
    void SetAvailablePages(int count);

    // ---- settings ----
    TPrinter* Printer() const { return FPrinter; }
    TPrinterSettings& PrinterSettings() { return *FPrinterSettings; }
    TKVPageList& PageList() { return *FPageList; }
    // The recorded or loaded pages' stream; none before a run on the metafile.
    TKVStream* PageStream() const { return FPageList->Stream(); }
    bool PrintersAvailable() const { return FPrintersAvailable; }
    void SetPrinterIndex(int index);
    TKVPrinterDestination Destination() const { return FDestination; }
    void SetDestination(TKVPrinterDestination value) { FDestination = value; }
    void SetCompression(bool value);
    TPrinterOrientation Orientation() const { return FPrinterSettings->Orientation(); }
    void SetOrientation(TPrinterOrientation value) { FPrinterSettings->SetOrientation(value); }
    TKVPaperSize PaperSize() const { return FPrinterSettings->PaperSize(); }
    void SetPaperSize(TKVPaperSize value) { FPrinterSettings->SetPaperSize(value); }
    TKVBin OutputBin() const { return FPrinterSettings->OutputBin(); }
    void SetOutputBin(TKVBin value) { FPrinterSettings->SetOutputBin(value); }
    int Copies() const { return FPrinterSettings->Copies(); }
    void SetCopies(int value) { FPrinterSettings->SetCopies(value); }

    // ---- state ----
    TKVPrinterStatus Status() const { return FStatus; }
    TCanvas* Canvas() const { return FCanvas; }
    int PageCount() const { return FPageCount; }
    int PageNumber() const { return FPageNumber; }
    // 0: no limit.
    int FirstPage() const { return FFirstPage; }
    void SetFirstPage(int value) { FFirstPage = value; }
    int LastPage() const { return FLastPage; }
    void SetLastPage(int value) { FLastPage = value; }
    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& value) { FTitle = value; }
    TWinControl* Client() const { return FClient; }
    void SetClient(TWinControl* value) { FClient = value; }
    bool Cancelled() const { return FCancelled; }
    void SetCancelled(bool value) { FCancelled = value; }
    bool ShowingPreview() const { return FShowingPreview; }
    // Closing the preview cancels a run still recording and calls AfterPreview.
    void SetShowingPreview(bool value);
    long double XFactor() const { return FXFactor; }
    long double YFactor() const { return FYFactor; }
    int LeftOffset() const { return FLeftOffset; }
    int TopOffset() const { return FTopOffset; }

    TKVAfterPrintEvent AfterPrint;
    TKVAfterPreviewEvent AfterPreview;
    TKVPrintEvent OnPrint;
    TKVExportToFilterEvent OnExportToFilter;
    TNotifyEvent OnPreview;
    TKVPrintSetupEvent OnPrintSetup;

private:
    bool InRange(int page) const;
    void OpenPage();
    // Ends the run on its device, finished or abandoned, whatever fails on the way; the error.
    std::exception_ptr EndRun(bool abandon);
    void ClosePage();
    void DropPage();
    void EndPrinterJob(bool abort);
    // Device units per 0.1 mm on the screen, where recorded pages are laid out.
    static long double ScreenFactor();

    TPrinter* FPrinter;
    std::unique_ptr<TPrinterSettings> FPrinterSettings;
    int FAvailablePages = 0;
    bool FCancelled = false;
    TCanvas* FCanvas = nullptr;
    TKVPrinterDestination FDestination = kvpdMetafile;
    int FFirstPage = 0;
    int FLastPage = 0;
    int FLeftOffset = 0;
    TWinControl* FClient = nullptr;
    // The open page when it is recorded (or drawn to be thrown away), with its canvas.
    std::unique_ptr<TMetafile> FPageMetafile;
    std::unique_ptr<TMetafileCanvas> FPageCanvas;
    // The job this object began on the platform printer runs.
    bool FJobRunning = false;
    int FPageCount = 0;
    int FPageNumber = 0;
    bool FPrintersAvailable = false;
    int FProgress = 0;
    QString FTitle;
    int FTopOffset = 0;
    bool FShowingPreview = false;
    TKVPrinterStatus FStatus = kvpsReady;
    long double FXFactor = 1.0L;
    long double FYFactor = 1.0L;
    std::unique_ptr<TKVPageList> FPageList;
    std::exception_ptr FRunError;
};

} // namespace tessiv
