// The format settings taken from a locale: masks, currency, dates and times printed under a
// Brazilian, a US English and the C locale, and dates read back; a Brazilian locale prints what
// the fixed Brazilian settings print.
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace tessiv;

namespace {

std::string S(const QString& s)
{
    return s.toStdString();
}

struct Printed {
    std::string Mask;      // FormatFloat "#,##0.00" of 1234.5
    std::string Plain;     // FormatFloat "0.00" of 854.29
    std::string General;   // FloatToStr of 12.5
    std::string Money;     // FloatToStrF ffCurrency of 1234.5
    std::string Negative;  // FloatToStrF ffCurrency of -7
    std::string Date;      // DateToStr of 11 December 2026
    std::string DateMask;  // FormatDateTime "dd/mm/yyyy"
    std::string LongDate;  // FormatDateTime "dddddd"
    std::string Names;     // FormatDateTime "ddd mmm"
    std::string Time;      // TimeToStr of 14:05:09
};

Printed Print(const TFormatSettings& fs)
{
    const TDateTime day = EncodeDate(2026, 12, 11);
    const TDateTime time = EncodeTime(14, 5, 9, 0);
    return {S(FormatFloat(QStringLiteral("#,##0.00"), 1234.5L, fs)),
            S(FormatFloat(QStringLiteral("0.00"), 854.29L, fs)),
            S(FloatToStr(12.5L, fs)),
            S(FloatToStrF(1234.5L, ffCurrency, 15, 2, fs)),
            S(FloatToStrF(-7.0L, ffCurrency, 15, 2, fs)),
            S(DateToStr(day, fs)),
            S(FormatDateTime(QStringLiteral("dd/mm/yyyy"), day, fs)),
            S(FormatDateTime(QStringLiteral("dddddd"), day, fs)),
            S(FormatDateTime(QStringLiteral("ddd mmm"), day, fs)),
            S(TimeToStr(time, fs))};
}

} // namespace

TEST(LocaleSettings, MasksDatesAndMoneyFollowTheLocale)
{
    const struct {
        const char* Locale;
        Printed Expected;
    } cases[] = {
        {"pt_BR",
         {"1.234,50", "854,29", "12,5", "R$ 1.234,50", "-R$ 7,00", "11/12/2026", "11/12/2026",
          "sexta-feira, 11 de dezembro de 2026", "sex dez", "14:05:09"}},
        {"en_US",
         {"1,234.50", "854.29", "12.5", "$1,234.50", "($7.00)", "12/11/26", "11/12/2026",
          "Friday, December 11, 2026", "Fri Dec", "2:05:09 PM"}},
        {"C",
         {"1,234.50", "854.29", "12.5", "1,234.50", "-7.00", "11/12/2026", "11/12/2026",
          "Friday, 11 December 2026", "Fri Dec", "14:05:09"}},
    };
    const TDateTime day = EncodeDate(2026, 12, 11);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Locale);
        const TFormatSettings fs = LocaleFormatSettings(QLocale(QString::fromLatin1(c.Locale)));
        const Printed p = Print(fs);
        const Printed& e = c.Expected;
        EXPECT_EQ(p.Mask, e.Mask);
        EXPECT_EQ(p.Plain, e.Plain);
        EXPECT_EQ(p.General, e.General);
        EXPECT_EQ(p.Money, e.Money);
        EXPECT_EQ(p.Negative, e.Negative);
        EXPECT_EQ(p.Date, e.Date);
        EXPECT_EQ(p.DateMask, e.DateMask);
        EXPECT_EQ(p.LongDate, e.LongDate);
        EXPECT_EQ(p.Names, e.Names);
        EXPECT_EQ(p.Time, e.Time);
        // What a date prints as, it reads back as; a number reads back through the separators.
        TDateTime read = 0;
        EXPECT_TRUE(TryStrToDate(DateToStr(day, fs), read, fs));
        EXPECT_EQ(read, day);
        EXPECT_EQ(StrToFloat(QString::fromStdString(e.Plain), fs), 854.29L);
    }
}

TEST(LocaleSettings, ABrazilianLocalePrintsAsTheBrazilianSettings)
{
    const TFormatSettings fromLocale = LocaleFormatSettings(QLocale(QStringLiteral("pt_BR")));
    const TFormatSettings fixed = BrazilianFormatSettings();
    const Printed a = Print(fromLocale);
    const Printed b = Print(fixed);
    EXPECT_EQ(a.Mask, b.Mask);
    EXPECT_EQ(a.Money, b.Money);
    EXPECT_EQ(a.Negative, b.Negative);
    EXPECT_EQ(a.Date, b.Date);
    EXPECT_EQ(a.LongDate, b.LongDate);
    EXPECT_EQ(a.Time, b.Time);
    const TDateTime stamp = EncodeDate(2026, 3, 1) + EncodeTime(9, 7, 0, 0);
    EXPECT_EQ(S(FormatDateTime(QStringLiteral("c"), stamp, fromLocale)),
              S(FormatDateTime(QStringLiteral("c"), stamp, fixed)));
    EXPECT_EQ(S(FormatDateTime(QStringLiteral("t"), stamp, fromLocale)),
              S(FormatDateTime(QStringLiteral("t"), stamp, fixed)));
    EXPECT_EQ(fromLocale.ShortMonthNames, fixed.ShortMonthNames);
    EXPECT_EQ(fromLocale.LongMonthNames, fixed.LongMonthNames);
    EXPECT_EQ(fromLocale.ShortDayNames, fixed.ShortDayNames);
    EXPECT_EQ(fromLocale.LongDayNames, fixed.LongDayNames);
    EXPECT_EQ(fromLocale.CurrencyFormat, fixed.CurrencyFormat);
    EXPECT_EQ(fromLocale.NegCurrFormat, fixed.NegCurrFormat);
    EXPECT_EQ(fromLocale.ThousandSeparator, fixed.ThousandSeparator);
    EXPECT_EQ(fromLocale.DecimalSeparator, fixed.DecimalSeparator);
    EXPECT_EQ(fromLocale.DateSeparator, fixed.DateSeparator);
    EXPECT_EQ(fromLocale.TimeSeparator, fixed.TimeSeparator);
}
