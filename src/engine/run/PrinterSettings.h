#pragma once
// The platform printer's device mode as the printer object sees it: paper, bin, copies, duplex,
// orientation, the printable area's offsets, the physical page and the papers the printer
// lists, all in 0.1 mm where they are lengths. Read from the printer by Refresh and written back
// before a print job by ApplySettings.

#include "engine/run/KVPrinterSettings.h"
#include "engine/model/KVTypes.h"
#include "platform/printing/Printer.h"

#include <QString>

#include <array>

namespace tessiv {

// The device-mode bin code of a bin, and the bin a code stands for (the first that carries it;
// First for a code that is no bin's).
int BinCode(TKVBin bin);
TKVBin BinOfCode(int code);
// The device-mode paper code of a paper size (Custom: DMPAPER_USER).
int PaperCode(TKVPaperSize size);
// Device pixels at a resolution to 0.1 mm, halves to even; 0 for a device without a resolution.
int DeviceToTenthsMM(int pixels, int pixelsPerInch);

class TPrinterSettings {
public:
    // A4, no printer.
    TPrinterSettings();
    TPrinterSettings(const TPrinterSettings&) = delete;
    TPrinterSettings& operator=(const TPrinterSettings&) = delete;

    // Attaches a printer (not owned) and reads its settings when it has any printer to offer.
    void SetPrinter(TPrinter* printer);
    TPrinter* Printer() const { return FPrinter; }
    // Reads the attached printer's device mode, resolution, offsets, physical page and paper list.
    void Refresh();
    // Writes the chosen values into the attached printer's device mode.
    void ApplySettings();

    // The settings taken from a device-mode record, and written into one: what Refresh and
    // ApplySettings do with the printer's record.
    void ReadDeviceMode(const TDeviceMode& mode);
    void WriteDeviceMode(TDeviceMode& mode) const;
    // The driver's paper list. A paper size is supported when the printer has a paper of the size
    // the report lays out: its paper of the same number when that one has the size, else another
    // of that size, else, on a printer that takes any size, that size as a custom one. A listed
    // paper without a size is taken by its number.
    void ReadPaperList(const std::vector<TPaperInfo>& papers);

    // A device-mode field (DM_COPIES ...) the printer honours, as last read.
    bool FieldSupported(unsigned flag) const;
    bool PaperSupported(TKVPaperSize size) const;
    // The device-mode paper code that gives the size on this printer (DMPAPER_USER: made as a
    // custom size); the size's own code until a paper list is read.
    int PrinterPaperCode(TKVPaperSize size) const;

    const QString& Device() const { return FDevice; }
    const QString& Driver() const { return FDriver; }
    const QString& Port() const { return FPort; }

    int Copies() const { return FCopies; }
    void SetCopies(int value);
    bool Duplex() const { return FDuplex; }
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation value);
    TKVBin OutputBin() const { return FOutputBin; }
    void SetOutputBin(TKVBin value);
    TKVPaperSize PaperSize() const { return FPaperSize; }
    // Taken when the printer lists the size; Default always.
    void SetPaperSize(TKVPaperSize value);
    // 0.1 mm: the stored value for Default and Custom, the paper table's otherwise.
    int PaperWidth() const;
    int PaperLength() const;
    // Taken only while the paper size is Custom.
    void SetPaperWidth(int value);
    void SetPaperLength(int value);

    int PixelsPerInchX() const { return FPixelsPerInchX; }
    int PixelsPerInchY() const { return FPixelsPerInchY; }
    // 0.1 mm: the printable area's distance from the physical page's left and top edge.
    int LeftOffset() const { return FLeftOffset; }
    int TopOffset() const { return FTopOffset; }

private:
    QString FDevice;
    QString FDriver;
    QString FPort;
    bool FModeRead = false;
    unsigned FFields = 0;
    // The duplex code as read, so writing back keeps the binding edge that was chosen.
    int FDuplexCode = DMDUP_SIMPLEX;
    int FCopies = 1;
    bool FDuplex = false;
    TPrinterOrientation FOrientation = TPrinterOrientation::poPortrait;
    TKVBin FOutputBin = TKVBin::First;
    TKVPaperSize FPaperSize = TKVPaperSize::A4;
    // One flag per size Letter .. Custom; Default is always available.
    std::array<bool, static_cast<int>(TKVPaperSize::Custom) + 1> FSupportedPapers{};
    // Beside it: the printer's paper code for each size; 0 for the size's own code.
    std::array<int, static_cast<int>(TKVPaperSize::Custom) + 1> FPaperCodes{};
    int FPaperWidth = 0;
    int FPaperLength = 0;
    int FPixelsPerInchX = 0;
    int FPixelsPerInchY = 0;
    int FTopOffset = 0;
    int FLeftOffset = 0;
    TPrinter* FPrinter = nullptr;
};

} // namespace tessiv
