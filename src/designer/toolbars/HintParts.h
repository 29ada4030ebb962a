#pragma once
// A hint holds its short part (the tool tip) and its long part (the status line) split by a bar;
// a hint without a bar is both.

#include <QString>

namespace tessiv {

inline QString ShortHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

inline QString LongHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace tessiv
