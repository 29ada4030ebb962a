#pragma once
// The printer object of the class library, over Qt's printing: the machine's printers (CUPS) and a
// printer named "PDF" that writes a PDF file, so that every machine can print; the selected
// printer's device mode, paper list and device capabilities; and a print job drawn on a canvas at
// the device's resolution. The canvas's origin is the top-left corner of the printable area, as on
// a Windows printer; the physical page and the printable area's offset on it are reported in
// device pixels.

#include "platform/core/Strings.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Types.h"
#include "platform/printing/DeviceMode.h"

#include <QPageSize>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace tessiv {

enum class TPrinterOrientation { poPortrait, poLandscape };

// Escapes that ask the driver about the page.
constexpr int QUERYESCSUPPORT = 8;
constexpr int GETPHYSPAGESIZE = 12;
constexpr int GETPRINTINGOFFSET = 13;

class TPrinter {
public:
    // The name of the printer that writes PDF files.
    static const QString PdfPrinterName;
    // Its fixed resolution, dots per inch.
    static constexpr int PdfResolution = 600;

    // Lists the printers and selects the default one: the CUPS default when there is one, else
    // "PDF". The list and each printer's description are asked of the print system once and
    // shared by every printer object, so making one costs no round trip to the print system
    // while the list is fresh (see RefreshPrinterList); the Qt printer behind the device's
    // measures and jobs is made when they are first needed.
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // ---- the printer list ----
    // The printers as the list stood when this object was made: "PDF" first, then the queues.
    const TStrings* Printers() const { return &FPrinters; }
    // The next printer object asks the print system for the list again, and for the printers'
    // descriptions: for a dialog about to show the printers. The list is also asked again once
    // it is some seconds old, or when a printer of it turns out to be gone.
    static void RefreshPrinterList();
    int PrinterIndex() const { return FPrinterIndex; }
    // -1 selects the default printer. Another printer starts from its own default settings;
    // selecting the current one keeps its settings. EPrinter "Printer index out of range",
    // "Printing in progress".
    void SetPrinterIndex(int index);
    int DefaultPrinterIndex() const { return FDefaultIndex; }
    bool IsPdfPrinter() const;
    // The device, driver and port of the selected printer ("PDF" writes to PdfFileName).
    void GetPrinter(QString& device, QString& driver, QString& port) const;
    // Selects the printer by device name and, when given, sets its device mode.
    // EPrinter "Printer selected is not valid" for a name not in the list.
    void SetPrinter(const QString& device, const TDeviceMode* mode = nullptr);

    // The file the PDF printer writes; a relative name is taken from the current folder when the
    // job begins. The file is saved as every file of the program is: it takes its name whole at
    // EndDoc, a link is followed to its target, an older file keeps its mode, a file the user may
    // not write is refused.
    const QString& PdfFileName() const { return FPdfFileName; }
    void SetPdfFileName(const QString& fileName);

    // ---- device mode ----
    // The selected printer's settings; Fields tells what it honours.
    TDeviceMode DeviceMode() const { return FDevMode; }
    // Takes the fields that are both flagged in mode.Fields and honoured by the printer; checks
    // all of them first and changes nothing when one is wrong (EPrinter). "Printing in progress"
    // while a job runs.
    void SetDeviceMode(const TDeviceMode& mode);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation value);
    int Copies() const { return FDevMode.Copies; }
    void SetCopies(int value);

    // The driver's paper list: Windows numbers, names and sizes (0.1 mm, portrait), in the
    // driver's order; DMPAPER_USER when the printer takes any size within its limits.
    const std::vector<TPaperInfo>& Papers() const { return FPapers; }

    // ---- device capabilities (device pixels unless said) ----
    int GetDeviceCaps(int index) const;
    // Whether Escape would answer the escape (QUERYESCSUPPORT).
    bool EscapeSupported(int escape) const;
    TSize PhysicalPageSize() const;   // GETPHYSPAGESIZE
    TPoint PrintingOffset() const;    // GETPRINTINGOFFSET
    int PageWidth() const;            // the printable area
    int PageHeight() const;

    // ---- the print job ----
    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& title) { FTitle = title; }
    // Starts a job with its first page. "Printing in progress" when one runs; a job that cannot
    // start (the PDF printer: no file name, a file or folder it may not write) raises EPrinter and
    // leaves the printer, and any older file, as they were.
    void BeginDoc();
    // "Printer is not currently printing" outside a job.
    void NewPage();
    // Ends the job; the PDF printer's file appears (replacing an older one) only now.
    void EndDoc();
    // Stops the job; the PDF printer leaves any older file as it was, and nothing beside it.
    void Abort();
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }

    // ---- one document from several jobs ----
    // From BeginGather to EndGather the jobs on the PDF printer make one document: the first job
    // begins it, each later one goes on with a new page of it, and only EndGather writes the
    // file. A print made of several jobs (thermal rows, a copy being a repeated job) so leaves one
    // file holding them all, in order. A queue keeps a job of its own per BeginDoc. Abort drops
    // the whole document, and the later jobs of the gathering are refused; another printer cannot
    // be selected while the document is open.
    void BeginGather();
    // Ends the gathering. With keep, and no job running, the gathered document's file appears
    // (replacing an older one; the errors of EndDoc); otherwise the document is dropped and an
    // older file stays as it was.
    void EndGather(bool keep);
    bool Gathering() const { return FGathering; }
    int PageNumber() const { return FPageNumber; }
    // The canvas of the current page; "Printer is not currently printing" outside a job.
    TCanvas* Canvas() const;

private:
    void LoadPrinters();
    void SelectPrinter(int index);
    // The Qt printer of the selected printer, made on first use with the current device mode.
    // EPrinter "Printer selected is not valid" when the printer is gone or refuses its settings.
    QPrinter& QtPrinter() const;
    void ApplyDeviceMode(const TDeviceMode& mode);
    QPageSize PageSizeOf(const TDeviceMode& mode) const;
    int PaperIndex(int number) const;
    void CheckNotPrinting() const;
    void CheckPrinting() const;
    void EndJob();
    // Writes the document's file, or hands the job to the queue.
    void FinishDocument();
    // Drops the document: nothing reaches the queue, an older file stays.
    void DropDocument();
    TDeviceCaps Caps() const;

    TStringList FPrinters;
    int FPdfIndex = 0;
    int FDefaultIndex = 0;
    int FPrinterIndex = -1;
    QString FPdfFileName;
    mutable std::unique_ptr<QPrinter> FQPrinter; // made by QtPrinter
    QString FMakeAndModel;
    TDeviceMode FDevMode;
    std::vector<TPaperInfo> FPapers;
    std::vector<QPageSize> FPageSizes; // beside FPapers; invalid for DMPAPER_USER
    QPageSize FMinCustom, FMaxCustom;  // the CUPS printer's limits for any size

    QString FTitle;
    bool FPrinting = false;
    bool FAborted = false;
    bool FGathering = false;
    // The open document gathers the jobs until EndGather; an abort stopped the gathering.
    bool FGathered = false;
    bool FGatherStopped = false;
    int FPageNumber = 0;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TCanvas> FCanvas;
    // The PDF printer's job: the file being saved and the writer on it (which goes first).
    std::unique_ptr<QSaveFile> FPdfFile;
    std::unique_ptr<QPdfWriter> FPdfWriter;
};

// The program's printer, made on first use.
TPrinter* Printer();

} // namespace tessiv
