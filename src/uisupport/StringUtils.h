#pragma once
// Small string routines the designer's dialogs share.

#include <QString>

namespace tessiv {

// Result := Text, then Fill put Length - length(Text) times in front of it when Side is "I" (any
// case), otherwise after it; nothing is added when the text is long enough and nothing is cut.
void CompletaStr(const QString& side, const QString& text, const QString& fill, QString& result, int length);

} // namespace tessiv
