// Date-times: the day-count calendar, FormatDateTime and the date and time parsers.
#include "platform/core/SysUtils.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtilsDetail.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace tessiv {

using namespace sysutils_detail;

// ---- dates and times ------------------------------------------------------------------------

namespace {

constexpr long long kMSecsPerDay = 86400000;
// Day number (01/01/0001 = 1) of 30/12/1899, the day TDateTime counts from.
constexpr long long kDateDelta = 693594;

constexpr std::array<std::array<int, 12>, 2> kMonthDays = {{
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
}};

struct TimeStamp {
    long long date = 0; // day number, 01/01/0001 = 1
    int time = 0;       // milliseconds since midnight
};

// The whole value rounded once to the millisecond, so 23:59:59.9996 decodes as the next day's
// midnight. A negative value's time is the absolute value of its fraction.
TimeStamp toTimeStamp(TDateTime value)
{
    long long ms = Round(static_cast<long double>(value) * kMSecsPerDay);
    TimeStamp ts;
    if (ms < 0) {
        ms = -ms;
        ts.date = -(ms / kMSecsPerDay);
    } else {
        ts.date = ms / kMSecsPerDay;
    }
    ts.time = static_cast<int>(ms % kMSecsPerDay);
    ts.date += kDateDelta;
    return ts;
}

void decodeDayNumber(long long dayNumber, int& year, int& month, int& day)
{
    if (dayNumber <= 0 || dayNumber > INT_MAX) {
        year = month = day = 0;
        return;
    }
    long long t = dayNumber - 1;
    long long y = 1 + 400 * (t / 146097);
    t %= 146097;
    long long c = t / 36524;
    if (c == 4)
        c = 3;
    t -= c * 36524;
    y += 100 * c;
    y += 4 * (t / 1461);
    t %= 1461;
    long long y1 = t / 365;
    if (y1 == 4)
        y1 = 3;
    t -= y1 * 365;
    y += y1;
    const auto& days = kMonthDays[IsLeapYear(static_cast<int>(y)) ? 1 : 0];
    int m = 0;
    while (t >= days[m]) {
        t -= days[m];
        ++m;
    }
    year = static_cast<int>(y);
    month = m + 1;
    day = static_cast<int>(t) + 1;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    const auto& days = kMonthDays[IsLeapYear(year) ? 1 : 0];
    long long dayOfYear = day;
    for (int m = 0; m < month - 1; ++m)
        dayOfYear += days[m];
    const long long y = year - 1;
    date = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - kDateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime d = 0;
    if (!TryEncodeDate(year, month, day, d))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return d;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time)
{
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    const long long ms = hour * 3600000LL + min * 60000LL + sec * 1000LL + msec;
    // Divided in extended precision and then stored, as the original did.
    time = static_cast<double>(static_cast<long double>(ms) / kMSecsPerDay);
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime t = 0;
    if (!TryEncodeTime(hour, min, sec, msec, t))
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return t;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day)
{
    // A whole day (every value of a date column) is its own day number: nothing to round.
    if (date == std::trunc(date) && std::fabs(date) < 1e8) {
        decodeDayNumber(static_cast<long long>(date) + kDateDelta, year, month, day);
        return;
    }
    decodeDayNumber(toTimeStamp(date).date, year, month, day);
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec)
{
    const int t = toTimeStamp(time).time;
    hour = t / 3600000;
    min = t / 60000 % 60;
    sec = t / 1000 % 60;
    msec = t % 1000;
}

int DayOfWeek(TDateTime date)
{
    // Day 1 (01/01/0001) was a Monday.
    return static_cast<int>(((toTimeStamp(date).date % 7) + 7) % 7) + 1;
}

namespace {

TDateTime combine(TDateTime date, TDateTime time)
{
    return date >= 0 ? date + time : date - time;
}

TDateTime fromQDate(const QDate& d)
{
    return EncodeDate(d.year(), d.month(), d.day());
}

TDateTime fromQTime(const QTime& t)
{
    return EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

} // namespace

TDateTime Date()
{
    return fromQDate(QDate::currentDate());
}

TDateTime Time()
{
    return fromQTime(QTime::currentTime());
}

TDateTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    return combine(fromQDate(now.date()), fromQTime(now.time()));
}

QDateTime DateTimeToQDateTime(TDateTime value)
{
    int y, m, d, h, n, s, ms;
    DecodeDate(value, y, m, d);
    if (y == 0)
        return QDateTime();
    DecodeTime(value, h, n, s, ms);
    return QDateTime(QDate(y, m, d), QTime(h, n, s, ms));
}

TDateTime QDateTimeToDateTime(const QDateTime& value)
{
    if (!value.isValid())
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return combine(fromQDate(value.date()), fromQTime(value.time()));
}

// ---- FormatDateTime -------------------------------------------------------------------------

namespace {

bool startsWithNoCase(const QString& s, int at, QLatin1String what)
{
    return QStringView(s).mid(at).startsWith(what, Qt::CaseInsensitive);
}

class DateTimeWriter {
public:
    DateTimeWriter(TDateTime value, const TFormatSettings& fs) : FValue(value), FSettings(fs) {}

    // Named formats (ddddd, c, t ...) expand inside a format, but only one level deep, so a
    // format that names itself cannot recurse.
    void append(const QString& format, int level = 0)
    {
        if (level >= 2)
            return;
        char16_t lastToken = u' ';
        bool dateDecoded = false;
        bool timeDecoded = false;
        bool use12Hour = false;
        int year = 0, month = 0, day = 0, hour = 0, min = 0, sec = 0, msec = 0;
        auto getDate = [&] {
            if (!dateDecoded) {
                DecodeDate(FValue, year, month, day);
                dateDecoded = true;
            }
        };
        auto getTime = [&] {
            if (!timeDecoded) {
                DecodeTime(FValue, hour, min, sec, msec);
                timeDecoded = true;
            }
        };

        const int n = format.size();
        int i = 0;
        while (i < n) {
            const QChar starter = format[i];
            ++i;
            // How many times the token's character repeats (case-sensitive, as written).
            auto getCount = [&] {
                int count = 1;
                while (i < n && format[i] == starter) {
                    ++i;
                    ++count;
                }
                return count;
            };
            char16_t token = asciiUpper(starter.unicode());
            if (isAsciiLetter(token)) {
                if (token == u'M' && lastToken == u'H')
                    token = u'N'; // m right after an hour means minutes
                lastToken = token;
            }
            switch (token) {
            case u'Y': {
                const int count = getCount();
                getDate();
                if (count <= 2)
                    FOut += zeroPadded(year % 100, 2);
                else
                    FOut += zeroPadded(year, 4);
                break;
            }
            case u'M': {
                const int count = getCount();
                getDate();
                if (count <= 2)
                    FOut += zeroPadded(month, count);
                else if (month >= 1 && month <= 12)
                    FOut += count == 3 ? FSettings.ShortMonthNames[month - 1] : FSettings.LongMonthNames[month - 1];
                break;
            }
            case u'D': {
                const int count = getCount();
                if (count <= 2) {
                    getDate();
                    FOut += zeroPadded(day, count);
                } else if (count <= 4) {
                    const int dow = DayOfWeek(FValue);
                    FOut += count == 3 ? FSettings.ShortDayNames[dow - 1] : FSettings.LongDayNames[dow - 1];
                } else {
                    append(count == 5 ? FSettings.ShortDateFormat : FSettings.LongDateFormat, level + 1);
                }
                break;
            }
            case u'H': {
                const int count = getCount();
                getTime();
                // A later am/pm marker (before the next hour) switches to the 12-hour clock.
                bool betweenQuotes = false;
                for (int p = i; p < n; ++p) {
                    const QChar c = format[p];
                    if ((c == QLatin1Char('a') || c == QLatin1Char('A')) && !betweenQuotes) {
                        if (startsWithNoCase(format, p, QLatin1String("am/pm")) ||
                            startsWithNoCase(format, p, QLatin1String("a/p")) ||
                            startsWithNoCase(format, p, QLatin1String("ampm")))
                            use12Hour = true;
                        break;
                    }
                    if (c == QLatin1Char('h') || c == QLatin1Char('H'))
                        break;
                    if (isQuote(c))
                        betweenQuotes = !betweenQuotes;
                }
                int h = hour;
                if (use12Hour) {
                    if (h == 0)
                        h = 12;
                    else if (h > 12)
                        h -= 12;
                }
                FOut += zeroPadded(h, std::min(count, 2));
                break;
            }
            case u'N': {
                const int count = getCount();
                getTime();
                FOut += zeroPadded(min, std::min(count, 2));
                break;
            }
            case u'S': {
                const int count = getCount();
                getTime();
                FOut += zeroPadded(sec, std::min(count, 2));
                break;
            }
            case u'Z': {
                const int count = getCount();
                getTime();
                FOut += zeroPadded(msec, std::min(count, 3));
                break;
            }
            case u'T': {
                const int count = getCount();
                append(count == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, level + 1);
                break;
            }
            case u'A': {
                getTime();
                const int p = i - 1;
                if (startsWithNoCase(format, p, QLatin1String("am/pm"))) {
                    // The marker prints as written in the format: am/pm gives "pm", AM/PM "PM".
                    FOut += format.mid(hour >= 12 ? p + 3 : p, 2);
                    i += 4;
                    use12Hour = true;
                } else if (startsWithNoCase(format, p, QLatin1String("a/p"))) {
                    FOut += format[hour >= 12 ? p + 2 : p];
                    i += 2;
                    use12Hour = true;
                } else if (startsWithNoCase(format, p, QLatin1String("ampm"))) {
                    FOut += hour < 12 ? FSettings.TimeAMString : FSettings.TimePMString;
                    i += 3;
                    use12Hour = true;
                } else {
                    FOut += starter;
                }
                break;
            }
            case u'C': {
                getCount();
                append(FSettings.ShortDateFormat, level + 1);
                getTime();
                if (hour != 0 || min != 0 || sec != 0) {
                    FOut += QLatin1Char(' ');
                    append(FSettings.LongTimeFormat, level + 1);
                }
                break;
            }
            case u'/':
                appendSeparator(FOut, FSettings.DateSeparator);
                break;
            case u':':
                appendSeparator(FOut, FSettings.TimeSeparator);
                break;
            case u'\'':
            case u'"': {
                const int start = i;
                while (i < n && format[i] != starter)
                    ++i;
                FOut += format.mid(start, i - start);
                if (i < n)
                    ++i;
                break;
            }
            default:
                FOut += starter;
                break;
            }
        }
    }

    const QString& result() const { return FOut; }

private:
    TDateTime FValue;
    const TFormatSettings& FSettings;
    QString FOut;
};

} // namespace

QString FormatDateTime(const QString& format, TDateTime value, const TFormatSettings& settings)
{
    DateTimeWriter w(value, settings);
    w.append(format.isEmpty() ? QStringLiteral("c") : format);
    return w.result();
}

QString FormatDateTime(const QString& format, TDateTime value)
{
    return FormatDateTime(format, value, FormatSettings());
}

QString DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.ShortDateFormat, value, settings);
}

QString DateToStr(TDateTime value)
{
    return DateToStr(value, FormatSettings());
}

QString TimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.LongTimeFormat, value, settings);
}

QString TimeToStr(TDateTime value)
{
    return TimeToStr(value, FormatSettings());
}

QString DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(QStringLiteral("c"), value, settings);
}

QString DateTimeToStr(TDateTime value)
{
    return DateTimeToStr(value, FormatSettings());
}

// ---- StrToDate / StrToTime ------------------------------------------------------------------

namespace {

class DateTimeScanner {
public:
    DateTimeScanner(const QString& text, const TFormatSettings& fs) : S(text), FS(fs) {}

    bool atEnd() const { return Pos >= S.size(); }
    void restart() { Pos = 0; }

    void skipBlanks()
    {
        while (Pos < S.size() && S[Pos] == QLatin1Char(' '))
            ++Pos;
    }

    // Up to the point where the number reaches four digits' worth (so a year has at most four).
    bool number(int& value, int& length)
    {
        skipBlanks();
        int i = Pos;
        int v = 0;
        while (i < S.size() && S[i] >= QLatin1Char('0') && S[i] <= QLatin1Char('9') && v < 1000) {
            v = v * 10 + (S[i].unicode() - u'0');
            ++i;
        }
        if (i == Pos)
            return false;
        length = i - Pos;
        value = v;
        Pos = i;
        return true;
    }

    bool character(QChar c)
    {
        skipBlanks();
        if (!c.isNull() && Pos < S.size() && S[Pos] == c) {
            ++Pos;
            return true;
        }
        return false;
    }

    bool symbol(const QString& word)
    {
        if (word.isEmpty())
            return false;
        skipBlanks();
        if (QStringView(S).mid(Pos).startsWith(word, Qt::CaseInsensitive)) {
            Pos += word.size();
            return true;
        }
        return false;
    }

    bool date(TDateTime& result)
    {
        enum Order { MDY, DMY, YMD };
        Order order = MDY;
        for (const QChar c : FS.ShortDateFormat) {
            const char16_t u = asciiUpper(c.unicode());
            if (u == u'Y' || u == u'E') {
                order = YMD;
                break;
            }
            if (u == u'M') {
                order = MDY;
                break;
            }
            if (u == u'D') {
                order = DMY;
                break;
            }
        }
        int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
        if (!(number(n1, l1) && character(FS.DateSeparator) && number(n2, l2)))
            return false;
        int y = 0, m = 0, d = 0;
        if (character(FS.DateSeparator)) {
            if (!number(n3, l3))
                return false;
            int yearLength = l3;
            switch (order) {
            case MDY: y = n3; m = n1; d = n2; break;
            case DMY: y = n3; m = n2; d = n1; break;
            case YMD: y = n1; m = n2; d = n3; yearLength = l1; break;
            }
            if (yearLength <= 2) {
                const int window = FS.TwoDigitYearCenturyWindow;
                const int centuryBase = QDate::currentDate().year() - window;
                y += centuryBase / 100 * 100;
                if (window > 0 && y < centuryBase)
                    y += 100;
            }
        } else {
            y = QDate::currentDate().year();
            if (order == DMY) {
                d = n1;
                m = n2;
            } else {
                m = n1;
                d = n2;
            }
        }
        skipBlanks();
        return TryEncodeDate(y, m, d, result);
    }

    bool time(TDateTime& result)
    {
        int baseHour = -1;
        if (symbol(FS.TimeAMString) || symbol(QStringLiteral("AM")))
            baseHour = 0;
        else if (symbol(FS.TimePMString) || symbol(QStringLiteral("PM")))
            baseHour = 12;
        if (baseHour >= 0)
            skipBlanks();
        int hour = 0, min = 0, sec = 0, msec = 0, junk = 0;
        if (!number(hour, junk))
            return false;
        if (character(FS.TimeSeparator)) {
            if (!number(min, junk))
                return false;
            if (character(FS.TimeSeparator)) {
                if (!number(sec, junk))
                    return false;
                if (character(FS.DecimalSeparator) && !number(msec, junk))
                    return false;
            }
        }
        if (baseHour < 0) {
            if (symbol(FS.TimeAMString) || symbol(QStringLiteral("AM")))
                baseHour = 0;
            else if (symbol(FS.TimePMString) || symbol(QStringLiteral("PM")))
                baseHour = 12;
        }
        if (baseHour >= 0) {
            if (hour == 0 || hour > 12)
                return false;
            if (hour == 12)
                hour = 0;
            hour += baseHour;
        }
        skipBlanks();
        return TryEncodeTime(hour, min, sec, msec, result);
    }

private:
    const QString& S;
    const TFormatSettings& FS;
    int Pos = 0;
};

} // namespace

bool TryStrToDate(const QString& text, TDateTime& value, const TFormatSettings& settings)
{
    DateTimeScanner sc(text, settings);
    TDateTime d = 0;
    if (!sc.date(d) || !sc.atEnd())
        return false;
    value = d;
    return true;
}

bool TryStrToDate(const QString& text, TDateTime& value)
{
    return TryStrToDate(text, value, FormatSettings());
}

TDateTime StrToDate(const QString& text, const TFormatSettings& settings)
{
    TDateTime d = 0;
    if (!TryStrToDate(text, d, settings))
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
    return d;
}

TDateTime StrToDate(const QString& text)
{
    return StrToDate(text, FormatSettings());
}

bool TryStrToTime(const QString& text, TDateTime& value, const TFormatSettings& settings)
{
    DateTimeScanner sc(text, settings);
    TDateTime t = 0;
    if (!sc.time(t) || !sc.atEnd())
        return false;
    value = t;
    return true;
}

bool TryStrToTime(const QString& text, TDateTime& value)
{
    return TryStrToTime(text, value, FormatSettings());
}

TDateTime StrToTime(const QString& text, const TFormatSettings& settings)
{
    TDateTime t = 0;
    if (!TryStrToTime(text, t, settings))
        throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text));
    return t;
}

TDateTime StrToTime(const QString& text)
{
    return StrToTime(text, FormatSettings());
}

bool TryStrToDateTime(const QString& text, TDateTime& value, const TFormatSettings& settings)
{
    DateTimeScanner sc(text, settings);
    TDateTime d = 0;
    TDateTime t = 0;
    // Anything left after the time makes the text invalid, rather than being ignored.
    if (sc.date(d) && (sc.atEnd() || (sc.time(t) && sc.atEnd()))) {
        value = combine(d, t);
        return true;
    }
    // Not a date (with a time): maybe a time alone.
    return TryStrToTime(text, value, settings);
}

bool TryStrToDateTime(const QString& text, TDateTime& value)
{
    return TryStrToDateTime(text, value, FormatSettings());
}

TDateTime StrToDateTime(const QString& text, const TFormatSettings& settings)
{
    TDateTime v = 0;
    if (!TryStrToDateTime(text, v, settings))
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    return v;
}

TDateTime StrToDateTime(const QString& text)
{
    return StrToDateTime(text, FormatSettings());
}

} // namespace tessiv
