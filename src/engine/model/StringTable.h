#pragma once
// The engine's string table: fixed texts looked up by number, as the program's resources hold
// them. Every text that is identified by a number lives here, so each has exactly one spelling.

#include <QString>

namespace tessiv {

// Identifiers. Ranges are a base plus an enumeration value.
constexpr int SKVPaperSizeNameBase = 37096;      // + TKVPaperSize (Default .. Custom)
constexpr int SKVBandTypeNameBase = 37124;       // + TKVBandType: shown in a band at design time
constexpr int SKVBandTypeComponentBase = 37135;  // + TKVBandType: prefix of a new band's name
constexpr int SKVPreviewPage = 37163;
constexpr int SKVPreviewOf = 37164;
constexpr int SKVIllegalNewPage = 37165;
constexpr int SKVPrinterNotReady = 37166;
constexpr int SKVFilterVendor = 37207;
constexpr int SKVFilterDescription = 37208;
constexpr int SKVFilterName = 37209;
constexpr int SKVAsciiFilterDescription = 37210;
constexpr int SKVAsciiFilterName = 37211;
constexpr int SKVAsciiFilterExtension = 37212;
constexpr int SKVNada = 37226;
constexpr int SKVFileDoesNotExist = 37246;
constexpr int SKVProgressDone = 37247;
constexpr int SKVSavedPreviewFileName = 37248;

// The text of an entry; an empty string for an identifier the table does not hold, as the
// platform's resource lookup gives.
QString LoadStr(int ident);

} // namespace tessiv
