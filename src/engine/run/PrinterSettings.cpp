#include "engine/run/PrinterSettings.h"

#include "engine/model/KVUnits.h"
#include "platform/core/SysUtils.h"

#include <QFileInfo>

#include <iterator>

namespace tessiv {

namespace {

// Device-mode codes of the bins, in the enumeration's order (First .. Last); First and Upper
// share a code, as do Cassette and Last.
constexpr int BinCodes[] = {
    DMBIN_ONLYONE,  DMBIN_UPPER,    DMBIN_LOWER,     DMBIN_MIDDLE,     DMBIN_MANUAL,
    DMBIN_ENVELOPE, DMBIN_ENVMANUAL, DMBIN_AUTO,     DMBIN_TRACTOR,    DMBIN_SMALLFMT,
    DMBIN_LARGEFMT, DMBIN_LARGECAPACITY, DMBIN_CASSETTE, DMBIN_CASSETTE,
};
static_assert(std::size(BinCodes) == static_cast<std::size_t>(TKVBin::Last) + 1);

// Drivers name themselves by a file path; the name is its file part, as long as a driver name
// may be.
constexpr int MaxDriverName = 63;

int TablePaperTenths(long double millimetres)
{
    return static_cast<int>(Round(millimetres * 10));
}

} // namespace

int BinCode(TKVBin bin)
{
    return BinCodes[static_cast<std::size_t>(bin)];
}

TKVBin BinOfCode(int code)
{
    for (std::size_t i = 0; i < std::size(BinCodes); ++i)
        if (BinCodes[i] == code)
            return static_cast<TKVBin>(i);
    return TKVBin::First;
}

int PaperCode(TKVPaperSize size)
{
    return size == TKVPaperSize::Custom ? DMPAPER_USER : static_cast<int>(size);
}

int DeviceToTenthsMM(int pixels, int pixelsPerInch)
{
    if (pixelsPerInch <= 0)
        return 0;
    return static_cast<int>(Round(static_cast<long double>(pixels) / pixelsPerInch * 254));
}

TPrinterSettings::TPrinterSettings() = default;

void TPrinterSettings::SetPrinter(TPrinter* printer)
{
    FPrinter = printer;
    if (FPrinter && FPrinter->Printers()->Count() > 0)
        Refresh();
}

bool TPrinterSettings::FieldSupported(unsigned flag) const
{
    return FModeRead && (FFields & flag) == flag;
}

bool TPrinterSettings::PaperSupported(TKVPaperSize size) const
{
    return FSupportedPapers[static_cast<std::size_t>(size)];
}

void TPrinterSettings::Refresh()
{
    if (!FPrinter)
        return;
    QString driverPath;
    FPrinter->GetPrinter(FDevice, driverPath, FPort);
    FDriver = QFileInfo(driverPath).fileName().left(MaxDriverName);

    FPixelsPerInchX = FPrinter->GetDeviceCaps(LOGPIXELSX);
    FPixelsPerInchY = FPrinter->GetDeviceCaps(LOGPIXELSY);
    ReadDeviceMode(FPrinter->DeviceMode());

    if (FPrinter->EscapeSupported(GETPRINTINGOFFSET)) {
        const TPoint offset = FPrinter->PrintingOffset();
        FLeftOffset = DeviceToTenthsMM(offset.X, FPixelsPerInchX);
        FTopOffset = DeviceToTenthsMM(offset.Y, FPixelsPerInchY);
    } else {
        FLeftOffset = FTopOffset = 0;
    }
    if (FPrinter->EscapeSupported(GETPHYSPAGESIZE)) {
        const TSize page = FPrinter->PhysicalPageSize();
        FPaperWidth = DeviceToTenthsMM(page.cx, FPixelsPerInchX);
        FPaperLength = DeviceToTenthsMM(page.cy, FPixelsPerInchY);
    } else {
        FPaperWidth = FPaperLength = 0;
    }
    ReadPaperList(FPrinter->Papers());
}

void TPrinterSettings::ReadDeviceMode(const TDeviceMode& mode)
{
    FModeRead = true;
    FFields = mode.Fields;
    FCopies = FieldSupported(DM_COPIES) ? mode.Copies : 1;
    FOutputBin = FieldSupported(DM_DEFAULTSOURCE) ? BinOfCode(mode.DefaultSource) : TKVBin::First;
    FDuplex = FieldSupported(DM_DUPLEX) && mode.Duplex != DMDUP_SIMPLEX;
    FDuplexCode = FDuplex ? mode.Duplex : DMDUP_SIMPLEX;
    FPaperSize = FieldSupported(DM_PAPERSIZE) ? PaperSizeOfCode(mode.PaperSize) : TKVPaperSize::Default;
}

void TPrinterSettings::ReadPaperList(const std::vector<TPaperInfo>& papers)
{
    FSupportedPapers.fill(false);
    for (const TPaperInfo& paper : papers) {
        const TKVPaperSize size = PaperSizeOfCode(paper.Number);
        // Codes no size stands for read as Default, which is no paper of the list.
        if (size != TKVPaperSize::Default)
            FSupportedPapers[static_cast<std::size_t>(size)] = true;
    }
}

void TPrinterSettings::ApplySettings()
{
    if (!FPrinter)
        return;
    FPrinter->GetPrinter(FDevice, FDriver, FPort);
    FDriver = QFileInfo(FDriver).fileName().left(MaxDriverName);
    TDeviceMode mode = FPrinter->DeviceMode();
    WriteDeviceMode(mode);
    FPrinter->SetDeviceMode(mode);
}

void TPrinterSettings::WriteDeviceMode(TDeviceMode& mode) const
{
    // Only what is written here is flagged, so the printer takes exactly these fields.
    mode.Fields = 0;
    if (FPaperSize == TKVPaperSize::Custom) {
        mode.Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
        mode.PaperLength = FPaperLength;
        mode.PaperWidth = FPaperWidth;
    }
    if (FieldSupported(DM_DUPLEX) && FDuplex) {
        mode.Fields |= DM_DUPLEX;
        mode.Duplex = FDuplexCode;
    }
    if (FieldSupported(DM_PAPERSIZE) && FPaperSize != TKVPaperSize::Default) {
        mode.Fields |= DM_PAPERSIZE;
        mode.PaperSize = PaperCode(FPaperSize);
    }
    if (FieldSupported(DM_COPIES)) {
        mode.Fields |= DM_COPIES;
        mode.Copies = FCopies;
    }
    if (FieldSupported(DM_DEFAULTSOURCE)) {
        mode.Fields |= DM_DEFAULTSOURCE;
        mode.DefaultSource = BinCode(FOutputBin);
    }
    if (FieldSupported(DM_ORIENTATION)) {
        mode.Fields |= DM_ORIENTATION;
        mode.Orientation = FOrientation == TPrinterOrientation::poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    }
}

void TPrinterSettings::SetCopies(int value)
{
    if (FieldSupported(DM_COPIES))
        FCopies = value;
}

void TPrinterSettings::SetOrientation(TPrinterOrientation value)
{
    if (FieldSupported(DM_ORIENTATION))
        FOrientation = value;
}

void TPrinterSettings::SetOutputBin(TKVBin value)
{
    if (FieldSupported(DM_DEFAULTSOURCE))
        FOutputBin = value;
}

void TPrinterSettings::SetPaperSize(TKVPaperSize value)
{
    if (value == TKVPaperSize::Default || PaperSupported(value))
        FPaperSize = value;
}

int TPrinterSettings::PaperWidth() const
{
    if (FPaperSize == TKVPaperSize::Default || FPaperSize == TKVPaperSize::Custom)
        return FPaperWidth;
    return TablePaperTenths(PaperWidthMM(FPaperSize));
}

int TPrinterSettings::PaperLength() const
{
    if (FPaperSize == TKVPaperSize::Default || FPaperSize == TKVPaperSize::Custom)
        return FPaperLength;
    return TablePaperTenths(PaperLengthMM(FPaperSize));
}

void TPrinterSettings::SetPaperWidth(int value)
{
    if (FPaperSize == TKVPaperSize::Custom)
        FPaperWidth = value;
}

void TPrinterSettings::SetPaperLength(int value)
{
    if (FPaperSize == TKVPaperSize::Custom)
        FPaperLength = value;
}

} // namespace tessiv
