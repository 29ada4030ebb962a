#pragma once
// Small text helpers shared by the SysUtils sources; not part of the public interface.

#include <QChar>
#include <QString>

namespace tessiv::sysutils_detail {

// A null separator character means "write none".
inline void appendSeparator(QString& out, QChar separator)
{
    if (!separator.isNull())
        out += separator;
}

inline QString zeroPadded(long long value, int minDigits)
{
    QString s = QString::number(value);
    if (s.size() < minDigits)
        s.prepend(QString(minDigits - s.size(), QLatin1Char('0')));
    return s;
}

// Format strings quote literal text with either quote character.
inline bool isQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

inline char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

inline bool isAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace tessiv::sysutils_detail
