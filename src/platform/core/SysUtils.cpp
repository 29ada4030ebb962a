// Format settings, integers and rounding, Format and the string helpers.
#include "platform/core/SysUtils.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtilsDetail.h"

#include <QCollator>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>

namespace tessiv {

using namespace sysutils_detail;

// ---- settings -------------------------------------------------------------------------------

TFormatSettings BrazilianFormatSettings()
{
    TFormatSettings s;
    s.CurrencyString = QStringLiteral("R$");
    s.CurrencyFormat = 2; // "R$ 1,00"
    s.NegCurrFormat = 9;  // "-R$ 1,00"
    s.ThousandSeparator = QLatin1Char('.');
    s.DecimalSeparator = QLatin1Char(',');
    s.CurrencyDecimals = 2;
    s.DateSeparator = QLatin1Char('/');
    s.TimeSeparator = QLatin1Char(':');
    s.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    s.LongDateFormat = QStringLiteral("dddd, d' de 'mmmm' de 'yyyy");
    // Brazil keeps a 24-hour clock, but "ampm" in a format still needs words to print.
    s.TimeAMString = QStringLiteral("AM");
    s.TimePMString = QStringLiteral("PM");
    s.ShortTimeFormat = QStringLiteral("hh:nn");
    s.LongTimeFormat = QStringLiteral("hh:nn:ss");
    s.ShortMonthNames = {QStringLiteral("jan"), QStringLiteral("fev"), QStringLiteral("mar"),
                         QStringLiteral("abr"), QStringLiteral("mai"), QStringLiteral("jun"),
                         QStringLiteral("jul"), QStringLiteral("ago"), QStringLiteral("set"),
                         QStringLiteral("out"), QStringLiteral("nov"), QStringLiteral("dez")};
    s.LongMonthNames = {QStringLiteral("janeiro"),  QStringLiteral("fevereiro"), QStringLiteral("março"),
                        QStringLiteral("abril"),    QStringLiteral("maio"),      QStringLiteral("junho"),
                        QStringLiteral("julho"),    QStringLiteral("agosto"),    QStringLiteral("setembro"),
                        QStringLiteral("outubro"),  QStringLiteral("novembro"),  QStringLiteral("dezembro")};
    s.ShortDayNames = {QStringLiteral("dom"), QStringLiteral("seg"), QStringLiteral("ter"),
                       QStringLiteral("qua"), QStringLiteral("qui"), QStringLiteral("sex"),
                       QStringLiteral("sáb")};
    s.LongDayNames = {QStringLiteral("domingo"),      QStringLiteral("segunda-feira"),
                      QStringLiteral("terça-feira"),  QStringLiteral("quarta-feira"),
                      QStringLiteral("quinta-feira"), QStringLiteral("sexta-feira"),
                      QStringLiteral("sábado")};
    s.TwoDigitYearCenturyWindow = 50;
    return s;
}

namespace {

// One literal character of a format, quoted when the class library would read it as a field.
void appendLiteral(QString& out, QChar c)
{
    if (c == QLatin1Char('"'))
        out += QStringLiteral("'\"'");
    else if (c.isLetterOrNumber() || c == QLatin1Char('\'') || c == QLatin1Char('/') || c == QLatin1Char(':'))
        out += QLatin1Char('"') + c + QLatin1Char('"');
    else
        out += c;
}

// A date or time format in the locale's notation rewritten in the class library's: the same
// fields, literal text quoted, the locale's date and time separators written as "/" and ":"
// (which print them), the time zone left out since a date-time value carries none.
QString convertFormat(const QString& format, QChar dateSeparator, QChar timeSeparator)
{
    QString out;
    const int n = format.size();
    int i = 0;
    while (i < n) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            ++i;
            if (i < n && format[i] == QLatin1Char('\'')) {
                appendLiteral(out, c);
                ++i;
                continue;
            }
            while (i < n) {
                if (format[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && format[i + 1] == QLatin1Char('\'')) {
                        appendLiteral(out, format[i]);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                appendLiteral(out, format[i]);
                ++i;
            }
            continue;
        }
        int count = 1;
        while (i + count < n && format[i + count] == c)
            ++count;
        i += count;
        switch (c.unicode()) {
        case u'd': out += QString(std::min(count, 4), QLatin1Char('d')); break;
        case u'M': out += QString(std::min(count, 4), QLatin1Char('m')); break;
        case u'y': out += count == 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"); break;
        case u'h':
        case u'H': out += QString(std::min(count, 2), QLatin1Char('h')); break;
        case u'm': out += QString(std::min(count, 2), QLatin1Char('n')); break;
        case u's': out += QString(std::min(count, 2), QLatin1Char('s')); break;
        case u'z': out += count >= 3 ? QStringLiteral("zzz") : QStringLiteral("z"); break;
        case u't': break;
        case u'A':
        case u'a':
            out += QStringLiteral("ampm");
            if (i < n && (format[i] == QLatin1Char('P') || format[i] == QLatin1Char('p')))
                ++i;
            break;
        default:
            for (int k = 0; k < count; ++k) {
                if (c == dateSeparator)
                    out += QLatin1Char('/');
                else if (c == timeSeparator)
                    out += QLatin1Char(':');
                else
                    appendLiteral(out, c);
            }
        }
    }
    return out.simplified();
}

// The first character between the fields of a format: its separator.
QChar formatSeparator(const QString& format, QChar fallback)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

// A short date is numbers only, as the date readers need; a locale whose short date spells the
// month out gets its fields in the same order, numeric and separated by "/".
QString numericShortDate(const QString& format)
{
    QStringList fields;
    bool quoted = false;
    for (int i = 0; i < format.size();) {
        const QChar c = format[i];
        int count = 1;
        while (i + count < format.size() && format[i + count] == c)
            ++count;
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('d') && count <= 2)
            fields << QString(count, QLatin1Char('d'));
        else if (!quoted && c == QLatin1Char('M'))
            fields << QStringLiteral("MM");
        else if (!quoted && c == QLatin1Char('y'))
            fields << QString(count == 2 ? 2 : 4, QLatin1Char('y'));
        i += count;
    }
    return fields.size() == 3 ? fields.join(QLatin1Char('/')) : QStringLiteral("dd/MM/yyyy");
}

QString withoutPeriod(QString name)
{
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

} // namespace

TFormatSettings LocaleFormatSettings(const QLocale& locale)
{
    TFormatSettings s;
    s.DecimalSeparator = locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0);
    if (!locale.groupSeparator().isEmpty())
        s.ThousandSeparator = locale.groupSeparator().at(0);

    // The currency patterns are read off the locale's own amounts: where the symbol stands and
    // whether a blank parts it from the number; a negative amount is the positive one behind a
    // minus, or in brackets where the locale brackets it.
    s.CurrencyString = locale.currencySymbol(QLocale::CurrencySymbol);
    const QString amount = locale.toCurrencyString(1.0);
    const qsizetype at = s.CurrencyString.isEmpty() ? -1 : amount.indexOf(s.CurrencyString);
    bool suffix = false;
    bool blank = false;
    if (at >= 0) {
        const qsizetype after = at + s.CurrencyString.size();
        suffix = at > 0 && amount.at(0).isDigit();
        blank = suffix ? amount.at(at - 1).isSpace() : after < amount.size() && amount.at(after).isSpace();
    }
    s.CurrencyFormat = static_cast<quint8>(suffix ? (blank ? 3 : 1) : (blank ? 2 : 0));
    const bool brackets = locale.toCurrencyString(-1.0).contains(QLatin1Char('('));
    static constexpr quint8 kMinus[4] = {1, 5, 9, 8};
    static constexpr quint8 kBrackets[4] = {0, 4, 14, 15};
    s.NegCurrFormat = brackets ? kBrackets[s.CurrencyFormat] : kMinus[s.CurrencyFormat];
    const qsizetype point = amount.indexOf(locale.decimalPoint());
    int decimals = 0;
    for (qsizetype i = point + 1; point >= 0 && i < amount.size() && amount.at(i).isDigit(); ++i)
        ++decimals;
    s.CurrencyDecimals = static_cast<quint8>(decimals);

    QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    if (shortDate.contains(QStringLiteral("MMM")))
        shortDate = numericShortDate(shortDate);
    s.DateSeparator = formatSeparator(shortDate, QLatin1Char('/'));
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    s.TimeSeparator = formatSeparator(shortTime, QLatin1Char(':'));
    s.ShortDateFormat = convertFormat(shortDate, s.DateSeparator, s.TimeSeparator);
    s.LongDateFormat = convertFormat(locale.dateFormat(QLocale::LongFormat), s.DateSeparator, s.TimeSeparator);
    s.ShortTimeFormat = convertFormat(shortTime, s.DateSeparator, s.TimeSeparator);
    s.LongTimeFormat = convertFormat(locale.timeFormat(QLocale::LongFormat), s.DateSeparator, s.TimeSeparator);
    s.TimeAMString = locale.amText();
    s.TimePMString = locale.pmText();
    for (int m = 0; m < 12; ++m) {
        s.ShortMonthNames[m] = withoutPeriod(locale.monthName(m + 1, QLocale::ShortFormat));
        s.LongMonthNames[m] = locale.monthName(m + 1, QLocale::LongFormat);
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d; // the locale counts from Monday, the class library from Sunday
        s.ShortDayNames[d] = withoutPeriod(locale.dayName(qtDay, QLocale::ShortFormat));
        s.LongDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat);
    }
    s.TwoDigitYearCenturyWindow = 50;
    return s;
}

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings = LocaleFormatSettings(QLocale::system());
    return settings;
}

// ---- integers and rounding ------------------------------------------------------------------

namespace {

constexpr long double kTwoTo63 = 9223372036854775808.0L;

[[noreturn]] void invalidFloatOperation()
{
    throw EOverflow(QStringLiteral("Invalid floating point operation"));
}

std::int64_t toInt64Checked(long double integral)
{
    if (!(integral >= -kTwoTo63 && integral < kTwoTo63))
        invalidFloatOperation();
    return static_cast<std::int64_t>(integral);
}

} // namespace

std::int64_t Round(long double value)
{
    if (!std::isfinite(value))
        invalidFloatOperation();
    long double t = std::truncl(value);
    const long double diff = value - t; // exact: the fraction bits of value
    if (diff > 0.5L)
        t += 1;
    else if (diff < -0.5L)
        t -= 1;
    else if ((diff == 0.5L || diff == -0.5L) && std::fmod(t, 2.0L) != 0) // a half: to the even
        t += diff > 0 ? 1 : -1;
    return toInt64Checked(t);
}

std::int64_t Trunc(long double value)
{
    if (!std::isfinite(value))
        invalidFloatOperation();
    return toInt64Checked(std::truncl(value));
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    long long product = static_cast<long long>(a) * b;
    long long divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const bool negative = product < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(product) : static_cast<unsigned long long>(product);
    unsigned long long q = magnitude / static_cast<unsigned long long>(divisor);
    const unsigned long long r = magnitude % static_cast<unsigned long long>(divisor);
    if (2 * r >= static_cast<unsigned long long>(divisor))
        ++q; // halves away from zero
    const long long result = negative ? -static_cast<long long>(q) : static_cast<long long>(q);
    if (result > INT_MAX || result < INT_MIN)
        return -1;
    return static_cast<int>(result);
}

QString IntToStr(long long value)
{
    return QString::number(value);
}

QString IntToHex(long long value, int digits)
{
    QString s = QString::number(static_cast<unsigned long long>(value), 16).toUpper();
    if (s.size() < digits)
        s = QString(digits - s.size(), QLatin1Char('0')) + s;
    return s;
}

namespace {

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

// Leading blanks, a sign, then decimal digits or "$" and hexadecimal digits, and nothing after.
// Hexadecimal may use the whole unsigned range of the type (so "$FFFFFFFF" is -1 as an int).
bool parseInteger(const QString& text, int bits, long long& out)
{
    const int n = text.size();
    int i = 0;
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    const unsigned long long signedMax = bits == 32 ? 0x7FFFFFFFULL : 0x7FFFFFFFFFFFFFFFULL;
    const unsigned long long unsignedMax = bits == 32 ? 0xFFFFFFFFULL : 0xFFFFFFFFFFFFFFFFULL;
    unsigned long long acc = 0;
    int digits = 0;
    if (i < n && text[i] == QLatin1Char('$')) {
        ++i;
        for (; i < n; ++i, ++digits) {
            const int d = hexDigit(text[i].unicode());
            if (d < 0)
                return false;
            if (acc > (unsignedMax >> 4))
                return false;
            acc = (acc << 4) | static_cast<unsigned>(d);
        }
        if (digits == 0)
            return false;
        unsigned long long v = negative ? 0ULL - acc : acc;
        if (bits == 32)
            out = static_cast<int>(static_cast<unsigned>(v));
        else
            out = static_cast<long long>(v);
        return true;
    }
    const unsigned long long limit = negative ? signedMax + 1 : signedMax;
    for (; i < n; ++i, ++digits) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        const unsigned d = c - u'0';
        if (acc > (limit - d) / 10)
            return false;
        acc = acc * 10 + d;
    }
    if (digits == 0)
        return false;
    out = negative ? static_cast<long long>(0ULL - acc) : static_cast<long long>(acc);
    return true;
}

[[noreturn]] void invalidInteger(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

} // namespace

bool TryStrToInt(const QString& text, int& value)
{
    long long v = 0;
    if (!parseInteger(text, 32, v))
        return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const QString& text)
{
    int v = 0;
    if (!TryStrToInt(text, v))
        invalidInteger(text);
    return v;
}

int StrToIntDef(const QString& text, int defaultValue)
{
    int v = 0;
    return TryStrToInt(text, v) ? v : defaultValue;
}

bool TryStrToInt64(const QString& text, long long& value)
{
    long long v = 0;
    if (!parseInteger(text, 64, v))
        return false;
    value = v;
    return true;
}

long long StrToInt64(const QString& text)
{
    long long v = 0;
    if (!TryStrToInt64(text, v))
        invalidInteger(text);
    return v;
}

long long StrToInt64Def(const QString& text, long long defaultValue)
{
    long long v = 0;
    return TryStrToInt64(text, v) ? v : defaultValue;
}
// ---- Format ---------------------------------------------------------------------------------

namespace {

class Formatter {
public:
    Formatter(const QString& format, std::initializer_list<TVarRec> args, const TFormatSettings& fs)
        : F(format), Args(args.begin()), Count(static_cast<int>(args.size())), FS(fs)
    {
    }

    QString run()
    {
        QString out;
        const int n = F.size();
        while (I < n) {
            if (F[I] != QLatin1Char('%')) {
                out += F[I++];
                continue;
            }
            ++I;
            if (I < n && F[I] == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++I;
                continue;
            }
            out += specifier();
        }
        return out;
    }

private:
    [[noreturn]] void invalid() const
    {
        throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(F));
    }

    const TVarRec& nextArg()
    {
        if (ArgIndex < 0 || ArgIndex >= Count)
            throw EConvertError(QStringLiteral("No argument for format '%1'").arg(F));
        return Args[ArgIndex++];
    }

    static bool isInteger(const TVarRec& a)
    {
        return a.kind() == TVarRec::Kind::Integer || a.kind() == TVarRec::Kind::Int64;
    }

    // Digits or "*" (the next argument, an integer). False when neither is there.
    bool number(int& value)
    {
        const int n = F.size();
        if (I < n && F[I] == QLatin1Char('*')) {
            ++I;
            const TVarRec& a = nextArg();
            if (!isInteger(a) || a.asInteger() < INT_MIN || a.asInteger() > INT_MAX)
                invalid();
            value = static_cast<int>(a.asInteger());
            return true;
        }
        if (I >= n || F[I] < QLatin1Char('0') || F[I] > QLatin1Char('9'))
            return false;
        long long v = 0;
        while (I < n && F[I] >= QLatin1Char('0') && F[I] <= QLatin1Char('9')) {
            v = v * 10 + (F[I++].unicode() - u'0');
            if (v > INT_MAX)
                invalid();
        }
        value = static_cast<int>(v);
        return true;
    }

    QString specifier()
    {
        const int n = F.size();
        bool left = false;
        int width = 0;
        int precision = -1;
        int first = 0;
        bool haveWidth = false;
        if (number(first)) {
            if (I < n && F[I] == QLatin1Char(':')) {
                ++I;
                ArgIndex = first;
            } else {
                width = first;
                haveWidth = true;
            }
        }
        if (!haveWidth) {
            if (I < n && F[I] == QLatin1Char('-')) {
                left = true;
                ++I;
            }
            if (!number(width))
                width = 0;
        }
        if (I < n && F[I] == QLatin1Char('.')) {
            ++I;
            if (!number(precision))
                precision = 0;
        }
        if (I >= n)
            invalid();
        const char16_t type = asciiUpper(F[I++].unicode());
        QString text = convert(type, precision);
        // A negative width from "*" justifies to the left.
        if (width < 0) {
            left = true;
            if (width == INT_MIN)
                invalid();
            width = -width;
        }
        if (width > text.size()) {
            const QString pad(width - text.size(), QLatin1Char(' '));
            text = left ? text + pad : pad + text;
        }
        return text;
    }

    QString convert(char16_t type, int precision)
    {
        switch (type) {
        case u'D':
        case u'U':
        case u'X': {
            const TVarRec& a = nextArg();
            if (!isInteger(a))
                invalid();
            const bool is32 = a.kind() == TVarRec::Kind::Integer;
            const long long v = a.asInteger();
            QString digits;
            bool negative = false;
            if (type == u'D') {
                negative = v < 0;
                digits = QString::number(negative ? 0ULL - static_cast<unsigned long long>(v)
                                                  : static_cast<unsigned long long>(v));
            } else {
                // An integer's bits read as unsigned, 32 or 64 of them as the argument has.
                const unsigned long long u = is32 ? static_cast<unsigned long long>(static_cast<unsigned>(v))
                                                  : static_cast<unsigned long long>(v);
                digits = type == u'U' ? QString::number(u) : QString::number(u, 16).toUpper();
            }
            if (precision > digits.size())
                digits.prepend(QString(precision - digits.size(), QLatin1Char('0')));
            return negative ? QLatin1Char('-') + digits : digits;
        }
        case u'E':
        case u'F':
        case u'G':
        case u'N':
        case u'M': {
            const TVarRec& a = nextArg();
            if (a.kind() != TVarRec::Kind::Extended)
                invalid();
            const long double v = a.asExtended();
            switch (type) {
            case u'E': return FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3, FS);
            case u'G': return FloatToStrF(v, ffGeneral, precision < 0 ? 15 : precision, 3, FS);
            case u'F': return FloatToStrF(v, ffFixed, 18, precision < 0 ? 2 : precision, FS);
            case u'N': return FloatToStrF(v, ffNumber, 18, precision < 0 ? 2 : precision, FS);
            default: return FloatToStrF(v, ffCurrency, 18, precision < 0 ? FS.CurrencyDecimals : precision, FS);
            }
        }
        case u'S': {
            const TVarRec& a = nextArg();
            if (a.kind() != TVarRec::Kind::String && a.kind() != TVarRec::Kind::Char)
                invalid();
            return precision >= 0 ? a.asString().left(precision) : a.asString();
        }
        default:
            invalid();
        }
    }

    const QString& F;
    const TVarRec* Args;
    int Count;
    const TFormatSettings& FS;
    int I = 0;
    int ArgIndex = 0;
};

} // namespace

QString Format(const QString& format, std::initializer_list<TVarRec> args, const TFormatSettings& settings)
{
    return Formatter(format, args, settings).run();
}

QString Format(const QString& format, std::initializer_list<TVarRec> args)
{
    return Format(format, args, FormatSettings());
}

// ---- strings --------------------------------------------------------------------------------

QString Trim(const QString& s)
{
    int b = 0;
    int e = s.size();
    while (b < e && s[b].unicode() <= u' ')
        ++b;
    while (e > b && s[e - 1].unicode() <= u' ')
        --e;
    return s.mid(b, e - b);
}

QString TrimLeft(const QString& s)
{
    int b = 0;
    while (b < s.size() && s[b].unicode() <= u' ')
        ++b;
    return s.mid(b);
}

QString TrimRight(const QString& s)
{
    int e = s.size();
    while (e > 0 && s[e - 1].unicode() <= u' ')
        --e;
    return s.left(e);
}

QString AnsiUpperCase(const QString& s)
{
    return s.toUpper();
}

QString AnsiLowerCase(const QString& s)
{
    return s.toLower();
}

int AnsiCompareText(const QString& a, const QString& b)
{
    thread_local QCollator collator = [] {
        QCollator c(QLocale(QLocale::Portuguese, QLocale::Brazil));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int r = collator.compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool AnsiSameText(const QString& a, const QString& b)
{
    return AnsiCompareText(a, b) == 0;
}

QString UpperCase(const QString& s)
{
    QString r = s;
    for (QChar& c : r)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    return r;
}

QString LowerCase(const QString& s)
{
    QString r = s;
    for (QChar& c : r)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return r;
}

int CompareText(const QString& a, const QString& b)
{
    const int n = static_cast<int>(std::min(a.size(), b.size()));
    for (int i = 0; i < n; ++i) {
        const int ca = asciiUpper(a[i].unicode());
        const int cb = asciiUpper(b[i].unicode());
        if (ca != cb)
            return ca - cb;
    }
    return static_cast<int>(a.size() - b.size());
}

bool SameText(const QString& a, const QString& b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

QString QuotedStr(const QString& s)
{
    QString r = s;
    r.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + r + QLatin1Char('\'');
}

} // namespace tessiv
