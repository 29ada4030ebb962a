#pragma once
// Horizontal alignment of a text: of a panel's caption, a field's display text, a printable's lines.

#include "platform/core/TypInfo.h"

namespace tessiv {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
const TEnumInfo& AlignmentInfo();

} // namespace tessiv
