#include "platform/printing/DeviceMode.h"

#include "platform/core/SysUtils.h"

namespace tessiv {

std::optional<QPageSize> PageSizeOfPaper(int number)
{
    if (number <= 0 || number == DMPAPER_USER)
        return std::nullopt;
    const QPageSize::PageSizeId id = QPageSize::id(number);
    if (id == QPageSize::Custom)
        return std::nullopt;
    return QPageSize(id);
}

int PaperWidthOf(const QPageSize& size)
{
    return static_cast<int>(Round(static_cast<long double>(size.size(QPageSize::Millimeter).width()) * 10));
}

int PaperLengthOf(const QPageSize& size)
{
    return static_cast<int>(Round(static_cast<long double>(size.size(QPageSize::Millimeter).height()) * 10));
}

std::optional<QPrinter::DuplexMode> DuplexModeOfCode(int code)
{
    switch (code) {
    case DMDUP_SIMPLEX: return QPrinter::DuplexNone;
    case DMDUP_VERTICAL: return QPrinter::DuplexLongSide;
    case DMDUP_HORIZONTAL: return QPrinter::DuplexShortSide;
    default: return std::nullopt;
    }
}

int DuplexCodeOf(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexNone: return DMDUP_SIMPLEX;
    case QPrinter::DuplexShortSide: return DMDUP_HORIZONTAL;
    // A printer that duplexes on its own binds on the long edge, as most do.
    case QPrinter::DuplexAuto:
    case QPrinter::DuplexLongSide: return DMDUP_VERTICAL;
    }
    return DMDUP_SIMPLEX;
}

std::optional<QPrinter::PaperSource> PaperSourceOfBin(int code)
{
    // Qt numbers the sources as Windows does, one lower, up to LargeCapacity; Windows leaves 12
    // and 13 out before the cassette.
    if (code >= DMBIN_ONLYONE && code <= DMBIN_LARGECAPACITY)
        return static_cast<QPrinter::PaperSource>(code - 1);
    if (code == DMBIN_CASSETTE)
        return QPrinter::Cassette;
    if (code == DMBIN_FORMSOURCE)
        return QPrinter::FormSource;
    return std::nullopt;
}

int BinOfPaperSource(QPrinter::PaperSource source)
{
    if (source >= QPrinter::OnlyOne && source <= QPrinter::LargeCapacity)
        return static_cast<int>(source) + 1;
    if (source == QPrinter::Cassette)
        return DMBIN_CASSETTE;
    if (source == QPrinter::FormSource)
        return DMBIN_FORMSOURCE;
    return DMBIN_AUTO;
}

} // namespace tessiv
