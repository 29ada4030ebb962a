#pragma once
// The windows a run shows: the progress form of a print or an export and the print dialog of
// printer setup. They need the widgets, which the engine does not link: the layer that has them
// installs a maker for each at start-up, and the report calls it.

#include "platform/core/Persistent.h"
#include "platform/core/Sets.h"

#include <QString>

#include <functional>
#include <memory>

namespace tessiv {

class TKVPrinter;
class TPrinter;

// The progress form of a print or an export. The preview layer, which has the widgets, installs
// the maker at start-up; it makes the form the printer object's client and shows it when asked.
// Without a maker a run shows no progress.
using TKVProgressFormProc = std::function<std::unique_ptr<TObject>(TKVPrinter& printer, bool show)>;
void SetProgressFormProc(TKVProgressFormProc proc);

enum TKVPrintRange { kvprAllPages, kvprSelection, kvprPageNums };
// What the print dialog offers beyond the printer and the copies.
enum TKVPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TKVPrintDialogOptions = TSet<TKVPrintDialogOption>;

// What the print dialog shows and what it gives back. The options are those of a report's
// printer setup: a page range or the selection, and a warning when no printer is installed.
struct TKVPrintDialogValues {
    int MinPage = 0;
    int MaxPage = 9999;
    int FromPage = 0;
    int ToPage = 0;
    int Copies = 1;
    TKVPrintRange PrintRange = kvprAllPages;
    bool Collate = false;
    bool PrintToFile = false;
    TKVPrintDialogOptions Options{poPageNums, poSelection, poWarning};
    // The PDF printer's file to offer while it has none.
    QString PdfFileOffer;
};
// Runs the print dialog on the given printer; true when the user confirmed. Installed by the
// print dialog's layer; without one, printer setup shows nothing.
using TKVPrintDialogProc = std::function<bool(TPrinter& printer, TKVPrintDialogValues& values)>;
void SetPrintDialogProc(TKVPrintDialogProc proc);

} // namespace tessiv
