#include "uisupport/StringUtils.h"

namespace tessiv {

void CompletaStr(const QString& side, const QString& text, const QString& fill, QString& result, int length)
{
    result = text;
    const qsizetype n = length - text.size();
    if (n <= 0)
        return;
    const QString padding = fill.repeated(n);
    if (side.toUpper() == QLatin1String("I"))
        result.prepend(padding);
    else
        result.append(padding);
}

} // namespace tessiv
