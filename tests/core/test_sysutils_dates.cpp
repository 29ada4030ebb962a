// Date-times as day counts from 30/12/1899, and their text in the Brazilian formats.
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>

using namespace tessiv;

namespace {

std::string S(const QString& s)
{
    return s.toStdString();
}

// Julian day of 30/12/1899, day 0 of TDateTime.
constexpr qint64 kJulianDayZero = 2415019;

class SysUtilsDates : public ::testing::Test {
protected:
    void SetUp() override { FormatSettings() = BrazilianFormatSettings(); }
    void TearDown() override { FormatSettings() = BrazilianFormatSettings(); }
};

} // namespace

TEST_F(SysUtilsDates, EncodeDateKnownDays)
{
    const struct {
        int y, m, d;
        double expected;
    } cases[] = {
        {1899, 12, 30, 0}, {1899, 12, 31, 1}, {1900, 1, 1, 2},      {1899, 12, 29, -1},
        {2000, 1, 1, 36526}, {2000, 2, 29, 36585}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.expected) << c.y << "-" << c.m << "-" << c.d;
}

TEST_F(SysUtilsDates, CalendarAgreesWithQDate)
{
    // Every 13th day over the whole range: the day count, the decoded fields and the weekday.
    for (qint64 jd = QDate(1, 1, 1).toJulianDay(); jd <= QDate(9999, 12, 31).toJulianDay(); jd += 13) {
        const QDate q = QDate::fromJulianDay(jd);
        const TDateTime d = EncodeDate(q.year(), q.month(), q.day());
        ASSERT_EQ(d, static_cast<double>(jd - kJulianDayZero)) << S(q.toString(Qt::ISODate));
        int y, m, day;
        DecodeDate(d, y, m, day);
        ASSERT_EQ(QDate(y, m, day), q);
        ASSERT_EQ(DayOfWeek(d), q.dayOfWeek() % 7 + 1) << S(q.toString(Qt::ISODate));
    }
}

TEST_F(SysUtilsDates, LeapYearsAndInvalidDates)
{
    const struct {
        int year;
        bool leap;
    } years[] = {{1900, false}, {2000, true}, {2023, false}, {2024, true}, {2100, false}, {2400, true}, {4, true}};
    for (const auto& c : years)
        EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;

    TDateTime d = 0;
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
    const int bad[][3] = {{1900, 2, 29}, {2023, 2, 29}, {0, 1, 1},     {10000, 1, 1}, {2026, 13, 1},
                          {2026, 0, 1},  {2026, 4, 31}, {2026, 1, 0}, {2026, 1, 32}, {-1, 1, 1}};
    for (const auto& b : bad) {
        d = 123;
        EXPECT_FALSE(TryEncodeDate(b[0], b[1], b[2], d)) << b[0] << "-" << b[1] << "-" << b[2];
        EXPECT_EQ(d, 123);
    }
    try {
        EncodeDate(2023, 2, 29);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(S(e.Message()), "Invalid argument to date encode");
    }
}

TEST_F(SysUtilsDates, EncodeAndDecodeTime)
{
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    const int times[][4] = {{0, 0, 0, 0}, {13, 5, 7, 42}, {23, 59, 59, 999}, {0, 0, 0, 1}, {11, 59, 59, 500}};
    for (const auto& t : times) {
        int h, m, s, ms;
        DecodeTime(EncodeTime(t[0], t[1], t[2], t[3]), h, m, s, ms);
        EXPECT_EQ((std::array<int, 4>{h, m, s, ms}), (std::array<int, 4>{t[0], t[1], t[2], t[3]}));
    }
    const int bad[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
    for (const auto& t : bad) {
        TDateTime v = 7;
        EXPECT_FALSE(TryEncodeTime(t[0], t[1], t[2], t[3], v));
        EXPECT_EQ(v, 7);
        EXPECT_THROW(EncodeTime(t[0], t[1], t[2], t[3]), EConvertError);
    }
}

TEST_F(SysUtilsDates, NegativeValuesAndMillisecondRounding)
{
    const struct {
        double value;
        int y, m, d, h, n, s, ms;
    } cases[] = {
        // a negative value's fraction, taken as positive, is the time
        {-1.25, 1899, 12, 29, 6, 0, 0, 0},
        {-0.5, 1899, 12, 30, 12, 0, 0, 0},
        {-2.75, 1899, 12, 28, 18, 0, 0, 0},
        {0.25, 1899, 12, 30, 6, 0, 0, 0},
        // rounded to the millisecond as a whole, so it may roll into the next day
        {36526.99999999999, 2000, 1, 2, 0, 0, 0, 0},
        {36526.0 + 1.0 / 86400000 * 0.4, 2000, 1, 1, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int y, m, d, h, n, s, ms;
        DecodeDate(c.value, y, m, d);
        DecodeTime(c.value, h, n, s, ms);
        EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, ms}), (std::array<int, 7>{c.y, c.m, c.d, c.h, c.n, c.s, c.ms}))
            << c.value;
    }
    // Before 01/01/0001 the fields decode as zero.
    int y, m, d;
    DecodeDate(-700000, y, m, d);
    EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(DayOfWeek(0), 7);  // 30/12/1899 was a Saturday
    EXPECT_EQ(DayOfWeek(-1.25), 6);
}

TEST_F(SysUtilsDates, FormatDateTimeTable)
{
    const TDateTime afternoon = EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 7, 42);
    const TDateTime morning = EncodeDate(2026, 1, 5) + EncodeTime(0, 30, 0, 0);
    const TDateTime midnight = EncodeDate(2026, 12, 10);
    const struct {
        const char* format;
        TDateTime value;
        const char* expected;
    } cases[] = {
        {"c", afternoon, "10/12/2026 13:05:07"},
        {"c", midnight, "10/12/2026"},
        {"c", midnight + EncodeTime(0, 0, 0, 500), "10/12/2026"}, // milliseconds alone do not count
        {"C", 0.5, "30/12/1899 12:00:00"},
        {"", afternoon, "10/12/2026 13:05:07"},
        {"d/m/yy", morning, "5/1/26"},
        {"dd/mm/yyyy", morning, "05/01/2026"},
        {"ddd", afternoon, "qui"},
        {"dddd", afternoon, "quinta-feira"},
        {"DDDD", EncodeDate(2026, 12, 12), "sábado"},
        {"ddddd", afternoon, "10/12/2026"},
        {"dddddd", afternoon, "quinta-feira, 10 de dezembro de 2026"},
        {"m", morning, "1"},
        {"mm", morning, "01"},
        {"mmm", afternoon, "dez"},
        {"mmmm", EncodeDate(2026, 3, 1), "março"},
        {"mmmmmm", afternoon, "dezembro"},
        {"y", afternoon, "26"},
        {"yy", EncodeDate(2005, 1, 1), "05"},
        {"yyy", afternoon, "2026"},
        {"yyyy", EncodeDate(999, 1, 1), "0999"},
        {"h:m:s", afternoon, "13:5:7"},
        {"hh:mm:ss", afternoon, "13:05:07"}, // m right after an hour is minutes
        {"hh:nn:ss.zzz", afternoon, "13:05:07.042"},
        {"mm:hh", afternoon, "12:13"},       // before the hour it is still the month
        {"h 'h' mm", afternoon, "13 h 05"},
        {"z", afternoon, "42"},
        {"zzzz", afternoon, "042"},
        {"hhh", afternoon, "13"},
        {"t", afternoon, "13:05"},
        {"tt", afternoon, "13:05:07"},
        {"h am/pm", afternoon, "1 pm"},
        {"hh:nn AM/PM", afternoon, "01:05 PM"},
        {"h:nn am/pm", morning, "12:30 am"},
        {"h a/p", afternoon, "1 p"},
        {"h A/P", morning, "12 A"},
        {"hh ampm", afternoon, "01 PM"},
        {"ampm", morning, "AM"},
        {"hh 'ampm'", afternoon, "13 ampm"}, // a quoted marker does not switch to 12 hours
        {"hh \"x\" am/pm", afternoon, "01 x pm"},
        {"'hoje é' dddd", afternoon, "hoje é quinta-feira"},
        {"\"ano\" yyyy", afternoon, "ano 2026"},
        {"yyyy-mm-dd", afternoon, "2026-12-10"},
        {"[xqw]", afternoon, "[xqw]"},
        {"abc", afternoon, "ab10/12/2026 13:05:07"}, // c is a format letter
        {"'unterminated", afternoon, "unterminated"},
        {"dd/mm/yyyy hh:nn", -1.25, "29/12/1899 06:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(FormatDateTime(QString::fromUtf8(c.format), c.value)), c.expected) << "format \"" << c.format << "\"";
}

TEST_F(SysUtilsDates, FormatDateTimeSeparatorsAndNamedFormatsComeFromTheSettings)
{
    TFormatSettings fs = BrazilianFormatSettings();
    fs.DateSeparator = QLatin1Char('-');
    fs.TimeSeparator = QLatin1Char('.');
    const TDateTime v = EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 0, 0);
    EXPECT_EQ(S(FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn"), v, fs)), "10-12-2026 13.05");
    EXPECT_EQ(S(FormatDateTime(QStringLiteral("c"), v, fs)), "10-12-2026 13.05.00");
    fs.LongTimeFormat = QStringLiteral("h:nn am/pm");
    EXPECT_EQ(S(FormatDateTime(QStringLiteral("tt"), v, fs)), "1.05 pm");
    // A named format that names itself expands only once instead of looping.
    fs.ShortDateFormat = QStringLiteral("ddddd|yyyy");
    EXPECT_EQ(S(FormatDateTime(QStringLiteral("ddddd"), v, fs)), "|2026");
}

TEST_F(SysUtilsDates, DateAndTimeToStr)
{
    EXPECT_EQ(S(DateToStr(36526.0)), "01/01/2000");
    const TDateTime v = EncodeDate(2026, 12, 10) + EncodeTime(9, 5, 7, 0);
    EXPECT_EQ(S(DateToStr(v)), "10/12/2026");
    EXPECT_EQ(S(TimeToStr(v)), "09:05:07");
    EXPECT_EQ(S(DateTimeToStr(v)), "10/12/2026 09:05:07");
    EXPECT_EQ(S(DateTimeToStr(EncodeDate(2026, 12, 10))), "10/12/2026");
}

TEST_F(SysUtilsDates, StrToDateReadsDayMonthYear)
{
    const int thisYear = QDate::currentDate().year();
    const struct {
        const char* text;
        int y, m, d;
    } cases[] = {
        {"10/12/2026", 2026, 12, 10},
        {" 1/2/2026 ", 2026, 2, 1},
        {"01 / 02 / 2026", 2026, 2, 1},
        {"29/02/2000", 2000, 2, 29},
        {"1/1/0001", 1, 1, 1},
        {"10/12", thisYear, 12, 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToDate(QString::fromUtf8(c.text)), EncodeDate(c.y, c.m, c.d)) << c.text;

    const char* bad[] = {"",           "abc",        "10-12-2026", "29/02/2001", "32/01/2026", "0/1/2026",
                         "10/13/2026", "10//2026",   "10/12/",     "10/12/2026 x", "10/12/20261", "10",
                         "10/12/2026 13:00"};
    for (const char* text : bad) {
        TDateTime v = 5;
        EXPECT_FALSE(TryStrToDate(QString::fromUtf8(text), v)) << text;
        EXPECT_EQ(v, 5);
    }
    try {
        StrToDate(QStringLiteral("abc"));
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(S(e.Message()), "'abc' is not a valid date");
    }
}

TEST_F(SysUtilsDates, TwoDigitYearsGoThroughTheCenturyWindow)
{
    const int thisYear = QDate::currentDate().year();
    auto yearOf = [](const QString& text, const TFormatSettings& fs) {
        int y, m, d;
        DecodeDate(StrToDate(text, fs), y, m, d);
        return y;
    };
    auto text = [](int twoDigits) { return QStringLiteral("1/1/%1").arg(twoDigits, 2, 10, QLatin1Char('0')); };
    TFormatSettings fs = BrazilianFormatSettings();
    // Window 50: the year is within the 50 years before this one, or later.
    const int oldest = thisYear - 50;
    EXPECT_EQ(yearOf(text(oldest % 100), fs), oldest);
    EXPECT_EQ(yearOf(text((oldest - 1) % 100), fs), oldest - 1 + 100);
    // Window 0: always this century.
    fs.TwoDigitYearCenturyWindow = 0;
    EXPECT_EQ(yearOf(text(99), fs), thisYear / 100 * 100 + 99);
    EXPECT_EQ(yearOf(text(0), fs), thisYear / 100 * 100);
    // Three digits are a year as written.
    EXPECT_EQ(yearOf(QStringLiteral("1/1/026"), fs), 26);
}

TEST_F(SysUtilsDates, StrToDateFollowsTheShortDateOrder)
{
    TFormatSettings fs = BrazilianFormatSettings();
    fs.ShortDateFormat = QStringLiteral("m/d/yyyy");
    EXPECT_EQ(StrToDate(QStringLiteral("12/10/2026"), fs), EncodeDate(2026, 12, 10));
    fs.ShortDateFormat = QStringLiteral("yyyy-mm-dd");
    fs.DateSeparator = QLatin1Char('-');
    EXPECT_EQ(StrToDate(QStringLiteral("2026-12-10"), fs), EncodeDate(2026, 12, 10));
    EXPECT_EQ(DateToStr(EncodeDate(2026, 12, 10), fs), QStringLiteral("2026-12-10"));
}

TEST_F(SysUtilsDates, StrToTime)
{
    const struct {
        const char* text;
        int h, n, s, ms;
    } cases[] = {
        {"13:05", 13, 5, 0, 0},
        {"13:05:07", 13, 5, 7, 0},
        {" 13 : 05 ", 13, 5, 0, 0},
        {"13", 13, 0, 0, 0},
        {"1:05 PM", 13, 5, 0, 0},
        {"1:05pm", 13, 5, 0, 0},
        {"PM 1:05", 13, 5, 0, 0},
        {"12:00 AM", 0, 0, 0, 0},
        {"12:30 pm", 12, 30, 0, 0},
        // the digits after the decimal separator are read as a count of milliseconds
        {"13:05:07,5", 13, 5, 7, 5},
        {"13:05:07,250", 13, 5, 7, 250},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToTime(QString::fromUtf8(c.text)), EncodeTime(c.h, c.n, c.s, c.ms)) << c.text;

    const char* bad[] = {"", "abc", "13:00 PM", "0:30 AM", "24:00", "13:60", "13:05:60", "13:", "13:05 x",
                         "13.05", "13:05:07,"};
    for (const char* text : bad) {
        TDateTime v = 5;
        EXPECT_FALSE(TryStrToTime(QString::fromUtf8(text), v)) << text;
        EXPECT_EQ(v, 5);
    }
    try {
        StrToTime(QStringLiteral("25:00"));
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(S(e.Message()), "'25:00' is not a valid time");
    }
}

TEST_F(SysUtilsDates, StrToDateTime)
{
    EXPECT_EQ(StrToDateTime(QStringLiteral("10/12/2026 13:05:07")), EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 7, 0));
    EXPECT_EQ(StrToDateTime(QStringLiteral("10/12/2026")), EncodeDate(2026, 12, 10));
    EXPECT_EQ(StrToDateTime(QStringLiteral("13:05")), EncodeTime(13, 5, 0, 0));
    // Before day 0 the time is subtracted, as a negative value holds it.
    EXPECT_EQ(StrToDateTime(QStringLiteral("29/12/1899 06:00")), -1.25);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(-2.75)), -2.75);

    const char* bad[] = {"", "10/12/2026 25:00", "10/12/2026 13:05 x", "x 13:05", "32/12/2026 13:05"};
    for (const char* text : bad)
        EXPECT_THROW(StrToDateTime(QString::fromUtf8(text)), EConvertError) << text;
    try {
        StrToDateTime(QStringLiteral("amanhã"));
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(S(e.Message()), "'amanhã' is not a valid date and time");
    }
}

TEST_F(SysUtilsDates, QDateTimeConversions)
{
    const QDateTime q(QDate(2026, 12, 10), QTime(13, 5, 7, 42));
    const TDateTime v = EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 7, 42);
    EXPECT_EQ(DateTimeToQDateTime(v), q);
    EXPECT_EQ(QDateTimeToDateTime(q), v);
    EXPECT_EQ(DateTimeToQDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ(QDateTimeToDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_FALSE(DateTimeToQDateTime(-700000).isValid());
    EXPECT_THROW(QDateTimeToDateTime(QDateTime()), EConvertError);
    EXPECT_THROW(QDateTimeToDateTime(QDateTime(QDate(10000, 1, 1), QTime(0, 0))), EConvertError);
}

TEST_F(SysUtilsDates, NowIsTodayInLocalTime)
{
    const QDate before = QDate::currentDate();
    const TDateTime now = Now();
    const QDate after = QDate::currentDate();
    const QDate got = DateTimeToQDateTime(now).date();
    EXPECT_TRUE(got == before || got == after);
    EXPECT_GE(now - static_cast<double>(Trunc(now)), 0.0);
    EXPECT_LT(Time(), 1.0);
    EXPECT_EQ(Date(), std::floor(Date()));
}
