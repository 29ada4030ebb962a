#include "engine/run/PrinterSettings.h"

#include "engine/model/KVUnits.h"
#include "platform/core/SysUtils.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
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

// A listed paper is the paper of a size when both sides agree to the tenth of a millimetre: sizes
// kept in whole points or rounded from a table's hundredths land within that.
bool SameSize(const TPaperInfo& paper, TKVPaperSize size)
{
    return std::abs(paper.Width - TablePaperTenths(PaperWidthMM(size))) <= 1 &&
           std::abs(paper.Length - TablePaperTenths(PaperLengthMM(size))) <= 1;
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
    FPaperCodes.fill(0);
    const bool anySize = std::any_of(papers.begin(), papers.end(),
                                     [](const TPaperInfo& paper) { return paper.Number == DMPAPER_USER; });
    for (int s = static_cast<int>(TKVPaperSize::Letter); s <= static_cast<int>(TKVPaperSize::ESheet); ++s) {
        const auto size = static_cast<TKVPaperSize>(s);
        int code = 0;
        for (const TPaperInfo& paper : papers)
            if (!code && paper.Number == PaperCode(size) &&
                (SameSize(paper, size) || paper.Width <= 0 || paper.Length <= 0))
                code = paper.Number;
        for (const TPaperInfo& paper : papers)
            if (!code && paper.Number != DMPAPER_USER && SameSize(paper, size))
                code = paper.Number;
        if (!code && anySize)
            code = DMPAPER_USER;
        FPaperCodes[static_cast<std::size_t>(s)] = code;
        FSupportedPapers[static_cast<std::size_t>(s)] = code != 0;
    }
    FSupportedPapers[static_cast<std::size_t>(TKVPaperSize::Custom)] = anySize;
}

int TPrinterSettings::PrinterPaperCode(TKVPaperSize size) const
{
    const int code = FPaperCodes[static_cast<std::size_t>(size)];
    return code ? code : PaperCode(size);
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
    const int paperCode = PrinterPaperCode(FPaperSize);
    if (paperCode == DMPAPER_USER) {
        // A standard size the printer has no paper of is made at the size the report lays out.
        mode.Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
        mode.PaperLength = PaperLength();
        mode.PaperWidth = PaperWidth();
    }
    if (FieldSupported(DM_DUPLEX) && FDuplex) {
        mode.Fields |= DM_DUPLEX;
        mode.Duplex = FDuplexCode;
    }
    if (FieldSupported(DM_PAPERSIZE) && FPaperSize != TKVPaperSize::Default) {
        mode.Fields |= DM_PAPERSIZE;
        mode.PaperSize = paperCode;
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
