// Floating-point text: decimal digits of an 80-bit value, FloatToStrF, FormatFloat, StrToFloat.
#include "platform/core/SysUtils.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtilsDetail.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace tessiv {

using namespace sysutils_detail;

// ---- floating point -------------------------------------------------------------------------

namespace {

constexpr int kInfExponent = 0x7FFF;
constexpr int kNanExponent = -0x8000;
constexpr int kMaxDigits = 18;
// Passed as `decimals` when only the number of significant digits limits the result.
constexpr int kAnyDecimals = 9999;

bool isSpecial(const TFloatRec& r)
{
    return r.Exponent == kInfExponent || r.Exponent == kNanExponent;
}

QString specialText(const TFloatRec& r)
{
    if (r.Exponent == kNanExponent)
        return QStringLiteral("NAN");
    return r.Negative ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// "E" and the exponent as the general and exponent formats write it.
QString exponentText(int exponent, int minDigits, bool alwaysSign)
{
    QString s = QStringLiteral("E");
    if (exponent < 0)
        s += QLatin1Char('-');
    else if (alwaysSign)
        s += QLatin1Char('+');
    s += zeroPadded(std::abs(exponent), std::max(minDigits, 1));
    return s;
}

// The digits of the value shown with its decimal point and `expDigits` as the least number of
// exponent digits; the fixed form while the integer part has at most `precision` digits and the
// value is at least 0.00001 (its exponent is -3 or more).
QString formatGeneral(const TFloatRec& r, int precision, int expDigits, QChar decimal)
{
    if (r.Digits.empty())
        return QStringLiteral("0");
    QString s;
    if (r.Negative)
        s += QLatin1Char('-');
    const int len = static_cast<int>(r.Digits.size());
    const int e = r.Exponent;
    if (e > precision || e < -3) {
        s += QLatin1Char(r.Digits[0]);
        if (len > 1) {
            appendSeparator(s, decimal);
            s += QLatin1String(r.Digits.data() + 1, len - 1);
        }
        s += exponentText(e - 1, expDigits, false);
        return s;
    }
    if (e <= 0) {
        s += QLatin1Char('0');
        appendSeparator(s, decimal);
        s += QString(-e, QLatin1Char('0'));
        s += QLatin1String(r.Digits.data(), len);
        return s;
    }
    for (int i = 0; i < e; ++i)
        s += QLatin1Char(i < len ? r.Digits[i] : '0');
    if (len > e) {
        appendSeparator(s, decimal);
        s += QLatin1String(r.Digits.data() + e, len - e);
    }
    return s;
}

// The digits before the decimal point, grouped in thousands when a separator is given.
QString integerPart(const TFloatRec& r, QChar thousands)
{
    const int len = static_cast<int>(r.Digits.size());
    if (r.Exponent <= 0)
        return QStringLiteral("0");
    QString s;
    for (int i = 0; i < r.Exponent; ++i) {
        s += QLatin1Char(i < len ? r.Digits[i] : '0');
        const int place = r.Exponent - 1 - i;
        if (place > 0 && place % 3 == 0)
            appendSeparator(s, thousands);
    }
    return s;
}

QString fractionPart(const TFloatRec& r, int digits, QChar decimal)
{
    QString s;
    if (digits <= 0)
        return s;
    appendSeparator(s, decimal);
    const int len = static_cast<int>(r.Digits.size());
    for (int i = 0; i < digits; ++i) {
        const int index = r.Exponent + i;
        s += QLatin1Char(index >= 0 && index < len ? r.Digits[index] : '0');
    }
    return s;
}

// The Windows currency patterns; `n` is the amount without sign, `c` the currency symbol.
QString applyCurrency(const QString& n, const QString& c, bool negative, const TFormatSettings& fs)
{
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1: return n + c;
        case 2: return c + QLatin1Char(' ') + n;
        case 3: return n + QLatin1Char(' ') + c;
        default: return c + n;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1: return QLatin1Char('-') + c + n;
    case 2: return c + QLatin1Char('-') + n;
    case 3: return c + n + QLatin1Char('-');
    case 4: return QLatin1Char('(') + n + c + QLatin1Char(')');
    case 5: return QLatin1Char('-') + n + c;
    case 6: return n + QLatin1Char('-') + c;
    case 7: return n + c + QLatin1Char('-');
    case 8: return QLatin1Char('-') + n + QLatin1Char(' ') + c;
    case 9: return QLatin1Char('-') + c + QLatin1Char(' ') + n;
    case 10: return n + QLatin1Char(' ') + c + QLatin1Char('-');
    case 11: return c + QLatin1Char(' ') + n + QLatin1Char('-');
    case 12: return c + QLatin1String(" -") + n;
    case 13: return n + QLatin1String("- ") + c;
    case 14: return QLatin1Char('(') + c + QLatin1Char(' ') + n + QLatin1Char(')');
    case 15: return QLatin1Char('(') + n + QLatin1Char(' ') + c + QLatin1Char(')');
    default: return QLatin1Char('(') + c + n + QLatin1Char(')');
    }
}

} // namespace

TFloatRec FloatToDecimal(long double value, int precision, int decimals)
{
    TFloatRec r;
    r.Negative = std::signbit(value);
    if (std::isnan(value)) {
        r.Exponent = kNanExponent;
        return r;
    }
    if (std::isinf(value)) {
        r.Exponent = kInfExponent;
        return r;
    }
    if (value == 0)
        return r;

    // 18 significant digits, correctly rounded from the exact binary value; the rounding to the
    // asked precision below then works on these decimal digits, halves away from zero.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific,
                                   kMaxDigits - 1);
    *res.ptr = '\0';
    std::string digits;
    digits.reserve(kMaxDigits + 1);
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    int exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;

    precision = std::clamp(precision, 1, kMaxDigits);
    decimals = std::clamp(decimals, -kAnyDecimals, kAnyDecimals);
    const int cut = std::min(precision, exponent + decimals);
    if (cut < 0)
        return r; // rounds to zero
    if (cut < static_cast<int>(digits.size())) {
        const bool up = digits[cut] >= '5';
        digits.resize(cut);
        if (up) {
            int i = cut - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                ++exponent;
            } else {
                ++digits[i];
            }
        }
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty())
        return r;
    r.Digits = std::move(digits);
    r.Exponent = exponent;
    return r;
}

QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                    const TFormatSettings& settings)
{
    precision = std::clamp(precision, 1, kMaxDigits);
    const bool exponentFormat = format == ffGeneral || format == ffExponent;
    digits = std::clamp(digits, 0, exponentFormat ? 4 : kMaxDigits);

    const TFloatRec r = FloatToDecimal(value, precision, exponentFormat ? kAnyDecimals : digits);
    if (isSpecial(r))
        return specialText(r);
    const QChar decimal = settings.DecimalSeparator;
    const bool negative = r.Negative && !r.Digits.empty();

    switch (format) {
    case ffExponent: {
        QString s;
        if (negative)
            s += QLatin1Char('-');
        const int len = static_cast<int>(r.Digits.size());
        s += QLatin1Char(len > 0 ? r.Digits[0] : '0');
        if (precision > 1) {
            appendSeparator(s, decimal);
            for (int i = 1; i < precision; ++i)
                s += QLatin1Char(i < len ? r.Digits[i] : '0');
        }
        s += exponentText(r.Digits.empty() ? 0 : r.Exponent - 1, digits, true);
        return s;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        // An integer part longer than the precision cannot be shown in fixed point.
        if (r.Exponent > precision)
            return formatGeneral(r, precision, std::min(digits, 4), decimal);
        const QChar thousands = format == ffFixed ? QChar() : settings.ThousandSeparator;
        const QString amount = integerPart(r, thousands) + fractionPart(r, digits, decimal);
        if (format == ffCurrency)
            return applyCurrency(amount, settings.CurrencyString, negative, settings);
        return negative ? QLatin1Char('-') + amount : amount;
    }
    case ffGeneral:
    default:
        return formatGeneral(r, precision, digits, decimal);
    }
}

QString FloatToStrF(long double value, TFloatFormat format, int precision, int digits)
{
    return FloatToStrF(value, format, precision, digits, FormatSettings());
}

QString FloatToStr(long double value, const TFormatSettings& settings)
{
    return FloatToStrF(value, ffGeneral, 15, 0, settings);
}

QString FloatToStr(long double value)
{
    return FloatToStr(value, FormatSettings());
}

// ---- FormatFloat ----------------------------------------------------------------------------

namespace {

// Index just after the literal that starts with the quote at `i` (the end when unterminated).
int skipQuoted(const QString& f, int i, int end)
{
    const QChar quote = f[i];
    ++i;
    while (i < end && f[i] != quote)
        ++i;
    return i < end ? i + 1 : end;
}

struct Section {
    int begin = 0;
    int end = 0;
    bool exists = false;
    bool empty() const { return !exists || begin == end; }
};

// Positive; negative; zero. Semicolons inside quotes belong to the text; a fourth section and
// anything after it is ignored.
std::array<Section, 3> splitSections(const QString& f)
{
    std::array<Section, 3> sections;
    int index = 0;
    int start = 0;
    int i = 0;
    const int n = f.size();
    while (i < n && index < 3) {
        if (isQuote(f[i])) {
            i = skipQuoted(f, i, n);
        } else if (f[i] == QLatin1Char(';')) {
            sections[index] = {start, i, true};
            ++index;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (index < 3)
        sections[index] = {start, n, true};
    return sections;
}

bool isExponentMark(const QString& f, int i, int end)
{
    return (f[i] == QLatin1Char('E') || f[i] == QLatin1Char('e')) && i + 1 < end &&
           (f[i + 1] == QLatin1Char('+') || f[i + 1] == QLatin1Char('-'));
}

struct SectionLayout {
    int digitCount = 0;          // '0' and '#' placeholders
    int decimalIndex = -1;       // placeholders before the first '.'
    int firstZero = INT_MAX;     // index of the first '0' placeholder
    int afterLastZero = 0;       // index after the last '0' placeholder
    bool thousands = false;      // a ',' anywhere
    bool scientific = false;     // an E+, E-, e+ or e-
};

SectionLayout scanSection(const QString& f, const Section& s)
{
    SectionLayout l;
    int i = s.begin;
    while (i < s.end) {
        const QChar c = f[i];
        if (c == QLatin1Char('#')) {
            ++l.digitCount;
        } else if (c == QLatin1Char('0')) {
            l.firstZero = std::min(l.firstZero, l.digitCount);
            ++l.digitCount;
            l.afterLastZero = l.digitCount;
        } else if (c == QLatin1Char('.')) {
            if (l.decimalIndex < 0)
                l.decimalIndex = l.digitCount;
        } else if (c == QLatin1Char(',')) {
            l.thousands = true;
        } else if (isQuote(c)) {
            i = skipQuoted(f, i, s.end);
            continue;
        } else if (isExponentMark(f, i, s.end)) {
            l.scientific = true;
            i += 2;
            while (i < s.end && f[i] == QLatin1Char('0'))
                ++i; // exponent digits, not placeholders
            continue;
        }
        ++i;
    }
    if (l.decimalIndex < 0)
        l.decimalIndex = l.digitCount;
    return l;
}

// Walks the section and writes the digits of `r` into its placeholders. In scientific layout the
// integer placeholders take the leading digits and `exponent` is what the E+ part shows.
QString applySection(const QString& f, const Section& s, const SectionLayout& l, const TFloatRec& r,
                     int exponent, bool minus, const TFormatSettings& fs)
{
    const std::string& ds = r.Digits;
    const int len = static_cast<int>(ds.size());
    // Digits are 0.ds x 10^e; in scientific layout the mantissa fills the integer placeholders.
    const int e = l.scientific ? (len > 0 ? l.decimalIndex : 0) : r.Exponent;
    const int intDigits = std::max(e, 0);
    const int d = l.decimalIndex;
    const bool fractionShows = l.afterLastZero > d || (len > 0 && e < len);

    auto digitAtPlace = [&](int place) {
        const int index = e - 1 - place;
        return QLatin1Char(index >= 0 && index < len ? ds[index] : '0');
    };

    QString out;
    if (minus)
        out += QLatin1Char('-');
    auto group = [&](int place) {
        if (l.thousands && place > 0 && place % 3 == 0)
            appendSeparator(out, fs.ThousandSeparator);
    };

    int k = 0; // placeholder index
    int i = s.begin;
    while (i < s.end) {
        const QChar c = f[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('0')) {
            if (k == 0) {
                // Integer digits beyond the placeholders go before the first one.
                for (int place = intDigits - 1; place >= d; --place) {
                    out += digitAtPlace(place);
                    group(place);
                }
                if (d == 0 && fractionShows)
                    appendSeparator(out, fs.DecimalSeparator);
            }
            if (k < d) {
                const int place = d - 1 - k;
                bool written = true;
                if (place < intDigits)
                    out += digitAtPlace(place);
                else if (k >= l.firstZero)
                    out += QLatin1Char('0');
                else
                    written = false;
                if (written)
                    group(place);
                if (place == 0 && fractionShows)
                    appendSeparator(out, fs.DecimalSeparator);
            } else {
                const int index = e + (k - d); // the digit at 10^-(k-d+1)
                if (k < l.afterLastZero || index < len)
                    out += QLatin1Char(index >= 0 && index < len ? ds[index] : '0');
            }
            ++k;
            ++i;
        } else if (c == QLatin1Char('.') || c == QLatin1Char(',')) {
            ++i;
        } else if (isQuote(c)) {
            int j = i + 1;
            while (j < s.end && f[j] != c)
                ++j;
            out += f.mid(i + 1, j - i - 1);
            i = j < s.end ? j + 1 : s.end;
        } else if (isExponentMark(f, i, s.end)) {
            out += c;
            const bool plus = f[i + 1] == QLatin1Char('+');
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (plus)
                out += QLatin1Char('+');
            i += 2;
            int zeros = 0;
            while (i < s.end && f[i] == QLatin1Char('0')) {
                ++zeros;
                ++i;
            }
            out += zeroPadded(std::abs(exponent), std::clamp(zeros, 1, 4));
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace

QString FormatFloat(const QString& format, long double value, const TFormatSettings& settings)
{
    if (std::isnan(value) || std::isinf(value) || format.isEmpty())
        return FloatToStr(value, settings);

    const auto sections = splitSections(format);
    int chosen = value > 0 ? 0 : (value < 0 ? 1 : 2);
    if (sections[chosen].empty())
        chosen = 0;
    if (sections[0].empty() && chosen == 0)
        return FloatToStr(value, settings);

    SectionLayout layout = scanSection(format, sections[chosen]);
    TFloatRec r;
    if (layout.scientific)
        r = FloatToDecimal(value, layout.digitCount, kAnyDecimals);
    else
        r = FloatToDecimal(value, kMaxDigits, layout.digitCount - layout.decimalIndex);
    if (!layout.scientific && r.Exponent > kMaxDigits)
        return FloatToStr(value, settings);

    // A value that shows as zero takes the zero section when there is one.
    if (r.Digits.empty() && chosen != 2 && !sections[2].empty()) {
        chosen = 2;
        layout = scanSection(format, sections[2]);
        r = TFloatRec{};
    }
    const int exponent = r.Digits.empty() ? 0 : r.Exponent - layout.decimalIndex;
    // Only the positive section gets a minus sign of its own; a negative section writes its own.
    const bool minus = chosen == 0 && r.Negative && !r.Digits.empty();
    return applySection(format, sections[chosen], layout, r, exponent, minus, settings);
}

QString FormatFloat(const QString& format, long double value)
{
    return FormatFloat(format, value, FormatSettings());
}

// ---- StrToFloat -----------------------------------------------------------------------------

namespace {

locale_t cLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

} // namespace

bool TryStrToFloat(const QString& text, long double& value, const TFormatSettings& settings)
{
    const int n = text.size();
    int i = 0;
    auto isDigit = [&](int at) { return at < n && text[at] >= QLatin1Char('0') && text[at] <= QLatin1Char('9'); };
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    // Rebuilt in C syntax so the conversion does not depend on the process locale.
    std::string c;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        if (text[i] == QLatin1Char('-'))
            c += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (isDigit(i)) {
        c += static_cast<char>(text[i++].unicode());
        ++mantissaDigits;
    }
    if (i < n && !settings.DecimalSeparator.isNull() && text[i] == settings.DecimalSeparator) {
        c += '.';
        ++i;
        while (isDigit(i)) {
            c += static_cast<char>(text[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text[i] == QLatin1Char('E') || text[i] == QLatin1Char('e'))) {
        c += 'e';
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            c += static_cast<char>(text[i++].unicode());
        if (!isDigit(i))
            return false;
        while (isDigit(i))
            c += static_cast<char>(text[i++].unicode());
    }
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    if (i != n)
        return false;
    char* end = nullptr;
    const long double v = strtold_l(c.c_str(), &end, cLocale());
    if (end != c.c_str() + c.size() || std::isinf(v))
        return false; // beyond the extended range
    value = v;
    return true;
}

bool TryStrToFloat(const QString& text, long double& value)
{
    return TryStrToFloat(text, value, FormatSettings());
}

long double StrToFloat(const QString& text, const TFormatSettings& settings)
{
    long double v = 0;
    if (!TryStrToFloat(text, v, settings))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}

long double StrToFloat(const QString& text)
{
    return StrToFloat(text, FormatSettings());
}

long double StrToFloatDef(const QString& text, long double defaultValue, const TFormatSettings& settings)
{
    long double v = 0;
    return TryStrToFloat(text, v, settings) ? v : defaultValue;
}

long double StrToFloatDef(const QString& text, long double defaultValue)
{
    return StrToFloatDef(text, defaultValue, FormatSettings());
}

} // namespace tessiv
