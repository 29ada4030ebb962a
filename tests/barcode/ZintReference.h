#pragma once
// The reference encoder: runs the zint command line with --dump and reads back its module rows.

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

namespace tessiv { class TLLBarcode; }

namespace zintref {

bool Available();

// One symbol per data line, in batch mode; each symbol as its rows of '1'/'0' modules (the last
// row padded with zeros by the dump format). Empty when zint failed or gave fewer rows than asked.
// Error text, if any, goes to *Error.
std::vector<std::vector<std::string>> DumpBatch(const QStringList& Options, const std::vector<std::string>& Data,
                                                int RowsPerSymbol = 1, std::string* Error = nullptr);

// One symbol, nullopt when zint refused the data.
std::optional<std::vector<std::string>> Dump(const QStringList& Options, const std::string& Data,
                                             std::string* Error = nullptr);

// One dump line ("A8 DD 99 ...") as modules.
std::string HexRowToModules(const std::string& Line);

std::string TrimTrailingSpaces(std::string Modules);

// Re-draws a pattern of narrow (1) and wide (From) runs with wide runs of To modules.
std::string Rescale(const std::string& Modules, int From, int To);

// The barcode's modules 1 to ModuleCount as '1'/'0'.
std::string ModuleString(const tessiv::TLLBarcode& Barcode);

} // namespace zintref
