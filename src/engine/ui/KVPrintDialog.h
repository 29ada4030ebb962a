#pragma once
// The print dialog of a report's printer setup. It works on the platform printer object it is
// given, not on the program's, so a report keeps its own printer choice. What goes in and comes
// out is a print-dialog record, and the translation both ways is made of plain functions, so
// every rule of it is checked without a window. The window is our own (TKVPrintDialogForm): it
// lists the printer "PDF" with its file beside the machine's queues. A presenter can stand in
// for the window (tests answer for the user there).

#include "engine/run/KVRunWindows.h"
#include "platform/core/Component.h"
#include "platform/graphics/Types.h"
#include "platform/printing/DeviceMode.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace tessiv {

class TPrinter;

// Flags of the print-dialog record.
constexpr unsigned PD_ALLPAGES = 0x0, PD_SELECTION = 0x1, PD_PAGENUMS = 0x2, PD_NOSELECTION = 0x4,
                   PD_NOPAGENUMS = 0x8, PD_COLLATE = 0x10, PD_PRINTTOFILE = 0x20, PD_NOWARNING = 0x80,
                   PD_SHOWHELP = 0x800, PD_ENABLEPRINTHOOK = 0x1000, PD_ENABLESETUPHOOK = 0x2000,
                   PD_DISABLEPRINTTOFILE = 0x80000, PD_HIDEPRINTTOFILE = 0x100000;

// What the platform dialog shows and gives back.
struct TKVPrintDlgRecord {
    unsigned Flags = 0;
    int FromPage = 0;
    int ToPage = 0;
    int MinPage = 0;
    int MaxPage = 0;
    int Copies = 1;
    // The device-names block: device, driver and port (the PDF printer's port is its file).
    bool HasDevNames = false;
    QString Device;
    QString Driver;
    QString Port;
    // The printers to choose from, as the printer lists them: "PDF" and the machine's queues.
    QStringList Printers;
    // The PDF printer's file: its own, else the one offered; what the user leaves there is the
    // file when "PDF" is chosen (empty: a print asks for one).
    QString PdfFile;
    // A copy of the printer's device mode; none when the printer has none.
    std::optional<TDeviceMode> DevMode;
};

// ---- the rules, as plain functions ----

// The record's flags for the dialog's properties.
unsigned KVPrintDialogFlags(TKVPrintRange range, bool collate, bool printToFile, TKVPrintDialogOptions options);
// What a confirmed record means: the range, the pages, collation, print to file and the copies
// (the dialog's, or the printer's own when the dialog says 1: the driver may keep copies in its
// device mode).
struct TKVPrintDialogChoice {
    TKVPrintRange PrintRange = kvprAllPages;
    int FromPage = 0;
    int ToPage = 0;
    bool Collate = false;
    bool PrintToFile = false;
    int Copies = 1;
};
TKVPrintDialogChoice KVPrintDialogChoice(const TKVPrintDlgRecord& record, int printerCopies);
// The dialog centred across and a third down the screen.
TPoint KVCenterDialog(TSize screen, TSize window);
// The printer's list, device, settings and PDF file into the record, and back out of it.
void KVGetPrinterExchange(const TPrinter& printer, TKVPrintDlgRecord& record);
void KVSetPrinterExchange(TPrinter& printer, const TKVPrintDlgRecord& record);

// Asks for the PDF printer's file in a save dialog (through the dialog presenter), starting at
// the name given; true with the chosen name in it, false when the user cancelled.
bool KVAskPdfFileName(QString& fileName, QWidget* parent = nullptr);

// Stands in for the platform dialog; answers whether the user confirmed.
using TKVPrintDialogPresenter = std::function<bool(TKVPrintDlgRecord& record)>;
void SetPrintDialogPresenter(TKVPrintDialogPresenter presenter);

// ---- the components ----

class TKVCommonDialog : public TComponent {
    TESSIV_CLASS(TKVCommonDialog, TComponent)
public:
    explicit TKVCommonDialog(TComponent* owner);

    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value) { FCtl3D = value; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    TNotifyEvent OnClose;
    TNotifyEvent OnShow;

protected:
    // Runs the dialog modally with the program's other windows disabled: OnShow as it opens,
    // OnClose as it goes; the window that was active is active again afterwards.
    bool TaskModalDialog(const std::function<bool()>& dialog);

private:
    bool FCtl3D = true;
    int FHelpContext = 0;
};

class TKVBasePrintDialog : public TKVCommonDialog {
    TESSIV_CLASS(TKVBasePrintDialog, TKVCommonDialog)
public:
    // Works on the program's printer until given another.
    explicit TKVBasePrintDialog(TComponent* owner);
    TPrinter* Printer() const { return FPrinter; }
    void SetPrinter(TPrinter* printer) { FPrinter = printer; }

private:
    TPrinter* FPrinter;
};

class TKVPrintDialog : public TKVBasePrintDialog {
    TESSIV_CLASS(TKVPrintDialog, TKVBasePrintDialog)
public:
    explicit TKVPrintDialog(TComponent* owner);

    int FromPage() const { return FFromPage; }
    void SetFromPage(int v) { FFromPage = v; }
    int ToPage() const { return FToPage; }
    void SetToPage(int v) { FToPage = v; }
    bool Collate() const { return FCollate; }
    void SetCollate(bool v) { FCollate = v; }
    TKVPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TKVPrintDialogOptions v) { FOptions = v; }
    bool PrintToFile() const { return FPrintToFile; }
    void SetPrintToFile(bool v) { FPrintToFile = v; }
    TKVPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TKVPrintRange v) { FPrintRange = v; }
    int MinPage() const { return FMinPage; }
    void SetMinPage(int v) { FMinPage = v; }
    int MaxPage() const { return FMaxPage; }
    void SetMaxPage(int v) { FMaxPage = v; }
    int Copies() const { return FCopies; }
    // Also the printer's number of copies.
    void SetCopies(int value);
    // The file shown for the PDF printer while it has none of its own.
    const QString& PdfFileOffer() const { return FPdfFileOffer; }
    void SetPdfFileOffer(const QString& fileName) { FPdfFileOffer = fileName; }

    // True when the user confirmed: the printer takes the chosen device and settings, the
    // properties the choice. Cancelled, both stay as they were. Without any printer installed
    // (and poWarning) the user is told so and the result is false.
    bool Execute(QWidget* parent = nullptr);

private:
    int FFromPage = 0;
    int FToPage = 0;
    bool FCollate = false;
    TKVPrintDialogOptions FOptions;
    bool FPrintToFile = false;
    TKVPrintRange FPrintRange = kvprAllPages;
    int FMinPage = 0;
    int FMaxPage = 0;
    int FCopies = 0;
    QString FPdfFileOffer;
};

// The dialog of a report's printer setup, as the report asks for it.
bool KVRunPrintDialog(TPrinter& printer, TKVPrintDialogValues& values);

} // namespace tessiv
