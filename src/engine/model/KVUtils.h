#pragma once
// Small routines of the printer unit used throughout the engine and the designer.

#include "engine/model/KVTypes.h"

#include <QString>

namespace tessiv {

// 1-based position of the first occurrence of subString in text; 0 when absent or empty.
int KVPos(const QString& subString, const QString& text);

QString PaperSizeName(TKVPaperSize paperSize);
// The name a band shows on the design surface.
QString BandTypeName(TKVBandType bandType);
// The base of a new band's component name ("Detalhe" for Detalhe1).
QString BandTypeComponentName(TKVBandType bandType);

} // namespace tessiv
