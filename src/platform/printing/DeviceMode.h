#pragma once
// A printer's device settings as Windows programs know them (the device mode record): which
// fields the driver honours, the paper by its Windows paper number, a custom size in 0.1 mm, copies,
// the paper source and duplex. The numbers are Windows' own, so report files and dialogs that
// carry them mean the same paper here. Also the mapping of those numbers to Qt's page sizes,
// duplex modes and paper sources.

#include "platform/core/Exceptions.h"

#include <QPageSize>
#include <QPrinter>
#include <QString>

#include <optional>

namespace tessiv {

// The printer's exception.
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

// dmFields flags.
constexpr unsigned DM_ORIENTATION = 0x1;
constexpr unsigned DM_PAPERSIZE = 0x2;
constexpr unsigned DM_PAPERLENGTH = 0x4;
constexpr unsigned DM_PAPERWIDTH = 0x8;
constexpr unsigned DM_COPIES = 0x100;
constexpr unsigned DM_DEFAULTSOURCE = 0x200;
constexpr unsigned DM_DUPLEX = 0x1000;

constexpr int DMORIENT_PORTRAIT = 1;
constexpr int DMORIENT_LANDSCAPE = 2;

constexpr int DMPAPER_LETTER = 1;
constexpr int DMPAPER_A4 = 9;
constexpr int DMPAPER_USER = 256;

constexpr int DMDUP_SIMPLEX = 1;
constexpr int DMDUP_VERTICAL = 2;   // long-edge binding
constexpr int DMDUP_HORIZONTAL = 3; // short-edge binding

constexpr int DMBIN_ONLYONE = 1;
constexpr int DMBIN_UPPER = 1;
constexpr int DMBIN_LOWER = 2;
constexpr int DMBIN_MIDDLE = 3;
constexpr int DMBIN_MANUAL = 4;
constexpr int DMBIN_ENVELOPE = 5;
constexpr int DMBIN_ENVMANUAL = 6;
constexpr int DMBIN_AUTO = 7;
constexpr int DMBIN_TRACTOR = 8;
constexpr int DMBIN_SMALLFMT = 9;
constexpr int DMBIN_LARGEFMT = 10;
constexpr int DMBIN_LARGECAPACITY = 11;
constexpr int DMBIN_CASSETTE = 14;
constexpr int DMBIN_FORMSOURCE = 15;

struct TDeviceMode {
    // Which of the fields below the printer honours (as read) or the caller sets (as written).
    unsigned Fields = 0;
    int Orientation = DMORIENT_PORTRAIT;
    int PaperSize = DMPAPER_A4;
    // 0.1 mm, portrait. Taken from the caller only for DMPAPER_USER; as read, the current
    // paper's size.
    int PaperLength = 0;
    int PaperWidth = 0;
    int Copies = 1;
    int DefaultSource = DMBIN_AUTO;
    int Duplex = DMDUP_SIMPLEX;

    friend bool operator==(const TDeviceMode&, const TDeviceMode&) = default;
};

// One entry of a driver's paper list.
struct TPaperInfo {
    int Number = 0;  // Windows paper number; DMPAPER_USER for "any size"
    QString Name;
    int Width = 0;   // 0.1 mm, portrait; 0 for DMPAPER_USER
    int Length = 0;

    friend bool operator==(const TPaperInfo&, const TPaperInfo&) = default;
};

// The standard page size a Windows paper number stands for; none for numbers Qt does not know
// (and for DMPAPER_USER, which has no size of its own).
std::optional<QPageSize> PageSizeOfPaper(int number);
// The paper's size in 0.1 mm, portrait, rounded.
int PaperWidthOf(const QPageSize& size);
int PaperLengthOf(const QPageSize& size);

// Duplex codes and Qt's modes; a code outside DMDUP_SIMPLEX..DMDUP_HORIZONTAL gives none.
std::optional<QPrinter::DuplexMode> DuplexModeOfCode(int code);
int DuplexCodeOf(QPrinter::DuplexMode mode);

// Paper source (bin) codes and Qt's sources; a code Windows does not define gives none.
std::optional<QPrinter::PaperSource> PaperSourceOfBin(int code);
int BinOfPaperSource(QPrinter::PaperSource source);

} // namespace tessiv
