// Rounding, integers and floating-point text as the original program wrote and read them, with
// the Brazilian defaults (decimal comma, thousands dot, "R$").
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

using namespace tessiv;

namespace {

std::string S(const QString& s)
{
    return s.toStdString();
}

class SysUtilsNumbers : public ::testing::Test {
protected:
    void SetUp() override { FormatSettings() = BrazilianFormatSettings(); }
    void TearDown() override { FormatSettings() = BrazilianFormatSettings(); }
};

} // namespace

// ---- Round, Trunc, MulDiv -------------------------------------------------------------------

TEST_F(SysUtilsNumbers, RoundTakesHalvesToEven)
{
    const struct {
        long double value;
        std::int64_t expected;
    } cases[] = {
        {0.5L, 0},
        {1.5L, 2},
        {2.5L, 2},
        {3.5L, 4},
        {-0.5L, 0},
        {-1.5L, -2},
        {-2.5L, -2},
        {2.4999999999999999L, 2},
        {2.5000000000000001L, 3},
        {-2.6L, -3},
        {0.0L, 0},
        {1e18L, 1000000000000000000LL},
        // 2^63 - 1 and -2^63 are exact in 80 bits and are the ends of the range.
        {9223372036854775807.0L, INT64_MAX},
        {-9223372036854775808.0L, INT64_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Round(c.value), c.expected) << static_cast<double>(c.value);
}

TEST_F(SysUtilsNumbers, RoundAndTruncRefuseWhatNoInt64Holds)
{
    const long double bad[] = {9223372036854775808.0L, -9223372036854775810.0L, 1e30L,
                               std::numeric_limits<long double>::infinity(),
                               std::numeric_limits<long double>::quiet_NaN()};
    for (long double v : bad) {
        EXPECT_THROW(Round(v), EOverflow) << static_cast<double>(v);
        EXPECT_THROW(Trunc(v), EOverflow) << static_cast<double>(v);
    }
}

TEST_F(SysUtilsNumbers, TruncGoesTowardZero)
{
    EXPECT_EQ(Trunc(2.9L), 2);
    EXPECT_EQ(Trunc(-2.9L), -2);
    EXPECT_EQ(Trunc(-0.1L), 0);
}

TEST_F(SysUtilsNumbers, MulDivRoundsHalvesAwayFromZero)
{
    const struct {
        int a, b, c, expected;
    } cases[] = {
        {10, 3, 2, 15},
        {5, 3, 2, 8},     // 7.5
        {-5, 3, 2, -8},   // -7.5
        {5, -3, 2, -8},
        {5, 3, -2, -8},
        {-5, -3, -2, -8},
        {-5, -3, 2, 8},
        {1, 1, 3, 0},     // 0.33
        {2, 1, 3, 1},     // 0.67
        {-2, 1, 3, -1},
        {12, 96, 72, 16}, // a 12-point font at 96 dpi
        {10, 96, 72, 13}, // 13.33
        {11, 96, 72, 15}, // 14.67
        // the product needs 64 bits
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MAX, 2, 2, INT_MAX},
        {INT_MIN, 1, 1, INT_MIN},
        {0, 5, 7, 0},
        // a zero divisor or a result beyond 32 bits gives -1
        {7, 1, 0, -1},
        {INT_MAX, 2, 1, -1},
        {INT_MIN, -1, 1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

// ---- integers -------------------------------------------------------------------------------

TEST_F(SysUtilsNumbers, IntToStrAndIntToHex)
{
    EXPECT_EQ(S(IntToStr(0)), "0");
    EXPECT_EQ(S(IntToStr(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(S(IntToStr(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(S(IntToHex(255, 4)), "00FF");
    EXPECT_EQ(S(IntToHex(0x12345, 2)), "12345");
    EXPECT_EQ(S(IntToHex(-1, 1)), "FFFFFFFFFFFFFFFF");
}

TEST_F(SysUtilsNumbers, StrToIntReadsDecimalAndDollarHex)
{
    const struct {
        const char* text;
        int expected;
    } good[] = {
        {"123", 123},
        {"   42", 42},
        {"-17", -17},
        {"+5", 5},
        {"007", 7},
        {"$FF", 255},
        {"$ff", 255},
        {"-$10", -16},
        {"$FFFFFFFF", -1}, // hexadecimal spans the unsigned range
        {"$80000000", INT_MIN},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
    };
    for (const auto& c : good) {
        int v = 0;
        EXPECT_TRUE(TryStrToInt(QString::fromUtf8(c.text), v)) << c.text;
        EXPECT_EQ(v, c.expected) << c.text;
        EXPECT_EQ(StrToInt(QString::fromUtf8(c.text)), c.expected) << c.text;
    }
    const char* bad[] = {"", " ", "12 ", "1.5", "1,5", "abc", "$", "$G", "$100000000", "2147483648",
                         "-2147483649", "- 5", "0x10", "\t5", "5-", "--5"};
    for (const char* text : bad) {
        int v = 99;
        EXPECT_FALSE(TryStrToInt(QString::fromUtf8(text), v)) << text;
        EXPECT_EQ(v, 99) << "a failed conversion leaves the variable alone: " << text;
        EXPECT_EQ(StrToIntDef(QString::fromUtf8(text), -3), -3) << text;
    }
}

TEST_F(SysUtilsNumbers, StrToIntErrorNamesTheText)
{
    try {
        StrToInt(QStringLiteral("12a"));
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(S(e.Message()), "'12a' is not a valid integer value");
    }
}

TEST_F(SysUtilsNumbers, StrToInt64Range)
{
    EXPECT_EQ(StrToInt64(QStringLiteral("9223372036854775807")), INT64_MAX);
    EXPECT_EQ(StrToInt64(QStringLiteral("-9223372036854775808")), INT64_MIN);
    EXPECT_EQ(StrToInt64(QStringLiteral("$FFFFFFFFFFFFFFFF")), -1);
    EXPECT_EQ(StrToInt64(QStringLiteral("4294967296")), 4294967296LL);
    EXPECT_THROW(StrToInt64(QStringLiteral("9223372036854775808")), EConvertError);
    EXPECT_THROW(StrToInt64(QStringLiteral("$10000000000000000")), EConvertError);
    EXPECT_EQ(StrToInt64Def(QStringLiteral("x"), 5), 5);
}

// ---- FloatToStr / FloatToStrF ---------------------------------------------------------------

TEST_F(SysUtilsNumbers, FloatToStrGeneralFormat)
{
    const struct {
        long double value;
        const char* expected;
    } cases[] = {
        {0.0L, "0"},
        {-0.0L, "0"},
        {1.0L, "1"},
        {-1.5L, "-1,5"},
        {100.0L, "100"},
        {12345.678L, "12345,678"},
        {1.0L / 3, "0,333333333333333"},
        {2.0L / 3, "0,666666666666667"},
        {123456789012345.0L, "123456789012345"},
        // 16 integer digits no longer fit 15 significant digits: scientific
        {1e15L, "1E15"},
        {1234567890123456.0L, "1,23456789012346E15"},
        {999999999999999.9L, "1E15"}, // rounds up into a 16th digit
        {1.5e20L, "1,5E20"},
        {-123456789012345678.0L, "-1,23456789012346E17"},
        {0.0001L, "0,0001"},
        {0.000123L, "0,000123"},
        {0.00001L, "1E-5"},
        {0.0000123L, "1,23E-5"},
        {1e-100L, "1E-100"},
        {1e4000L, "1E4000"},
        {DBL_MAX, "1,79769313486232E308"},
        // A double's binary error stays below the 15th digit.
        {0.1, "0,1"},
        {0.1 + 0.2, "0,3"},
        {std::numeric_limits<long double>::infinity(), "INF"},
        {-std::numeric_limits<long double>::infinity(), "-INF"},
        {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(FloatToStr(c.value)), c.expected) << static_cast<double>(c.value);
}

TEST_F(SysUtilsNumbers, FloatToStrUsesTheGivenSettings)
{
    TFormatSettings fs = BrazilianFormatSettings();
    fs.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(S(FloatToStr(-2.25L, fs)), "-2.25");
    EXPECT_EQ(S(FloatToStr(2.5e-7L, fs)), "2.5E-7");
    // The global settings are what the short overloads use.
    FormatSettings().DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(S(FloatToStr(1.5L)), "1.5");
}

TEST_F(SysUtilsNumbers, FloatToStrFFormats)
{
    const struct {
        long double value;
        TFloatFormat format;
        int precision, digits;
        const char* expected;
    } cases[] = {
        {1234567.891L, ffNumber, 15, 2, "1.234.567,89"},
        {1234567.891L, ffFixed, 15, 2, "1234567,89"},
        {-1234567.891L, ffNumber, 15, 0, "-1.234.568"},
        {999.999L, ffNumber, 15, 2, "1.000,00"},
        {0.5L, ffFixed, 15, 0, "1"}, // decimal rounding: halves away from zero
        {1.5L, ffFixed, 15, 0, "2"},
        {2.5L, ffFixed, 15, 0, "3"},
        {-2.5L, ffFixed, 15, 0, "-3"},
        {0.0L, ffFixed, 15, 3, "0,000"},
        {-0.001L, ffFixed, 15, 2, "0,00"}, // shows as zero, so no sign
        {0.05L, ffFixed, 15, 1, "0,1"},
        {1.0L / 3, ffFixed, 15, 25, "0,333333333333333000"}, // digits clamp to 18
        {123456789.0L, ffFixed, 4, 2, "1,235E08"}, // more integer digits than the precision: general form
        {1e20L, ffFixed, 15, 2, "1E20"},
        {1.5e16L, ffNumber, 15, 2, "1,5E16"},
        {123.456L, ffExponent, 4, 2, "1,235E+02"},
        {123.456L, ffExponent, 4, 0, "1,235E+2"},
        {-0.00123L, ffExponent, 15, 3, "-1,23000000000000E-003"},
        {0.0L, ffExponent, 3, 0, "0,00E+0"},
        {5.0L, ffExponent, 1, 9, "5E+0000"}, // exponent digits clamp to 4
        {1234.5L, ffGeneral, 3, 0, "1,23E3"},
        {1234.5L, ffGeneral, 2, 2, "1,2E03"},
        {1234.5L, ffGeneral, 4, 0, "1235"},
        {1.0L / 3, ffGeneral, 30, 0, "0,333333333333333333"}, // precision clamps to 18
        // A double carries its binary error into the 18th digit; Extended shows it.
        {0.1, ffGeneral, 18, 0, "0,100000000000000006"},
        {0.1L, ffGeneral, 18, 0, "0,1"},
        {1234.5L, ffCurrency, 15, 2, "R$ 1.234,50"},
        {-1234.5L, ffCurrency, 15, 2, "-R$ 1.234,50"},
        {-0.001L, ffCurrency, 15, 2, "R$ 0,00"},
        {std::numeric_limits<long double>::infinity(), ffCurrency, 15, 2, "INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(FloatToStrF(c.value, c.format, c.precision, c.digits)), c.expected)
            << static_cast<double>(c.value) << " format " << c.format << " " << c.precision << "/" << c.digits;
}

TEST_F(SysUtilsNumbers, CurrencyPatterns)
{
    TFormatSettings fs = BrazilianFormatSettings();
    const char* positive[] = {"R$1,00", "1,00R$", "R$ 1,00", "1,00 R$"};
    for (int f = 0; f < 4; ++f) {
        fs.CurrencyFormat = static_cast<quint8>(f);
        EXPECT_EQ(S(FloatToStrF(1.0L, ffCurrency, 15, 2, fs)), positive[f]) << "CurrencyFormat " << f;
    }
    const char* negative[] = {"(R$1,00)", "-R$1,00", "R$-1,00", "R$1,00-", "(1,00R$)", "-1,00R$",
                              "1,00-R$",  "1,00R$-", "-1,00 R$", "-R$ 1,00", "1,00 R$-", "R$ 1,00-",
                              "R$ -1,00", "1,00- R$", "(R$ 1,00)", "(1,00 R$)"};
    for (int f = 0; f < 16; ++f) {
        fs.NegCurrFormat = static_cast<quint8>(f);
        EXPECT_EQ(S(FloatToStrF(-1.0L, ffCurrency, 15, 2, fs)), negative[f]) << "NegCurrFormat " << f;
    }
}

TEST_F(SysUtilsNumbers, FloatToDecimalDigits)
{
    TFloatRec r = FloatToDecimal(-1234.5L, 18, 9999);
    EXPECT_TRUE(r.Negative);
    EXPECT_EQ(r.Exponent, 4);
    EXPECT_EQ(r.Digits, "12345");
    r = FloatToDecimal(0.0096L, 18, 2); // 0.01
    EXPECT_EQ(r.Exponent, -1);
    EXPECT_EQ(r.Digits, "1");
    r = FloatToDecimal(0.0049L, 18, 2); // rounds away entirely
    EXPECT_TRUE(r.Digits.empty());
    r = FloatToDecimal(99.96L, 3, 9999);
    EXPECT_EQ(r.Exponent, 3);
    EXPECT_EQ(r.Digits, "1");
}

// ---- FormatFloat ----------------------------------------------------------------------------

// Why 2.675L and not 2.675: the double nearest to 2.675 is 2.67499999999999982236..., whose 18
// significant digits are 2.67499999999999982, so "0.00" gives 2,67. The original passed the
// literal as an 80-bit Extended, nearest 2.675 within 2^-63 (about 1.1e-19); its 18 digits are
// 2.67500000000000000 and the half rounds up to 2,68. 1.005 behaves the same way.
TEST_F(SysUtilsNumbers, FormatFloatTable)
{
    const struct {
        const char* format;
        long double value;
        const char* expected;
    } cases[] = {
        // placeholders and rounding
        {"#,##0.00", 1234567.891L, "1.234.567,89"},
        {"#,##0.00", -1234.5L, "-1.234,50"},
        {"#,##0.00", 0.5L, "0,50"},
        {"000", 7, "007"},
        {"#.##", 0, ""},
        {"#", 0.4L, ""},
        {"0", 0.4L, "0"},
        {"0.00", 0.125L, "0,13"},
        {"0.00", 2.675L, "2,68"},
        {"0.00", 2.675, "2,67"},
        {"00.00", 1.005L, "01,01"},
        {"00.00", 1.005, "01,00"},
        {"0.00", 9.995L, "10,00"},
        {"0", 0.5L, "1"},
        {"0", 1.5L, "2"},
        {"0", 2.5L, "3"},
        {"0", -2.5L, "-3"},
        {"0.00", 1e-20L, "0,00"},
        // a negative value that shows as zero has no sign
        {"0.00", -0.001L, "0,00"},
        {"0", -0.4L, "0"},
        {"0.0", -0.04L, "0,0"},
        {"0.00", -0.005L, "-0,01"},
        // grouping: any ',' turns it on; zeros from '0' placeholders are grouped too
        {"#,##0", 1234, "1.234"},
        {"#,##0", 123, "123"},
        {"#,##0", 0, "0"},
        {"#,##0", 1234567890123.0L, "1.234.567.890.123"},
        {"#,#", 1234567, "1.234.567"},
        {"0,000", 5, "0.005"},
        {"0.00,", 1234.5L, "1.234,50"},
        // integer digits beyond the placeholders go in front of the first one
        {"0", 123456, "123456"},
        {"x0x", 123, "x123x"},
        {"#0#", 5, "05"},
        // the decimal point
        {".00", 0.5L, ",50"},
        {".00", 12.5L, "12,50"},
        {"#.00", 0.5L, ",50"},
        {"0.##", 1.5L, "1,5"},
        {"0.##", 1, "1"},
        {"0.##", 1.006L, "1,01"},
        {"0.#0", 1.5L, "1,50"},
        {"0.0.0", 1.25L, "1,25"}, // only the first '.' counts
        {"0.", 2.5L, "3"},
        // scientific
        {"0.00E+00", 1234.5L, "1,23E+03"},
        {"0.00E+00", 0.00012345L, "1,23E-04"},
        {"0.00E-00", 1234.5L, "1,23E03"},
        {"0.00e-0", 0.00012345L, "1,23e-4"},
        {"00.0E+0", 1234.5L, "12,3E+2"},
        {"0.00E+00", 0, "0,00E+00"},
        {"0.00E+0000", 1e100L, "1,00E+0100"},
        {"0.00E+000000", 1e100L, "1,00E+0100"}, // at most four exponent digits are asked for
        {"0.0E+00", -1234.5L, "-1,2E+03"},
        {"0.0E+00", 9.96L, "1,0E+01"},
        {"#.##E+00", 1234.5L, "1,23E+03"},
        // literals
        {"'R$ '#,##0.00", 1234.5L, "R$ 1.234,50"},
        {"\"Total: \"0", 42, "Total: 42"},
        {"0' un.'", 3, "3 un."},
        {"0 'a;b'", 3, "3 a;b"},
        {"0%", 50, "50%"},
        {"0 E", 2, "2 E"},
        {"'#0'0", 5, "#05"},
        // sections
        {"0.00;(0.00)", -5, "(5,00)"},
        {"0.00;(0.00)", 5, "5,00"},
        {"0.00;(0.00)", 0, "0,00"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"0.00;(0.00);'zero'", 0.001L, "zero"},  // shows as zero: the zero section
        {"0.00;(0.00);'zero'", -0.001L, "zero"},
        {"0.00;(0.00)", -0.001L, "(0,00)"},
        {"0.00;;'zero'", -5, "-5,00"},           // empty negative section: the positive one with a sign
        {"0.00;(0.00);", 0, "0,00"},             // empty zero section: the positive one
        {"0;-0;'z';'ignored'", 0, "z"},
        {"'+'0;'-'0", 5, "+5"},
        {"'+'0;'-'0", -5, "-5"},
        // general format: an empty positive section, an empty format, more than 18 integer digits
        {";(0)", 5, "5"},
        {";(0)", -5, "(5)"},
        {"", 1.5L, "1,5"},
        {"", -1e20L, "-1E20"},
        {"0", 1e25L, "1E25"},
        {"0", 123456789012345678.0L, "123456789012345678"},
        {"0.00", std::numeric_limits<long double>::quiet_NaN(), "NAN"},
        {"0.00", -std::numeric_limits<long double>::infinity(), "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(FormatFloat(QString::fromUtf8(c.format), c.value)), c.expected)
            << "format \"" << c.format << "\" value " << static_cast<double>(c.value);
}

TEST_F(SysUtilsNumbers, FormatFloatWithOtherSeparators)
{
    TFormatSettings fs = BrazilianFormatSettings();
    fs.DecimalSeparator = QLatin1Char('.');
    fs.ThousandSeparator = QLatin1Char(',');
    EXPECT_EQ(S(FormatFloat(QStringLiteral("#,##0.00"), 1234.5L, fs)), "1,234.50");
    fs.ThousandSeparator = QChar();
    EXPECT_EQ(S(FormatFloat(QStringLiteral("#,##0.00"), 1234.5L, fs)), "1234.50");
}

// ---- StrToFloat -----------------------------------------------------------------------------

TEST_F(SysUtilsNumbers, StrToFloatAccepts)
{
    const struct {
        const char* text;
        long double expected;
    } cases[] = {
        {"1,5", 1.5L},
        {" -2,5E3 ", -2500.0L},
        {"0", 0.0L},
        {",5", 0.5L},
        {"5,", 5.0L},
        {"+1e+2", 100.0L},
        {"1E-2", 0.01L},
        {"  7  ", 7.0L},
        {"007,50", 7.5L},
        {"1e4000", 1e4000L},
        {"1e-5000", 0.0L}, // below the smallest extended: zero
        // correctly rounded to 80 bits, not through a double
        {"0,1", 0.1L},
        {"2,675", 2.675L},
        {"123456789012345678901234567890", 123456789012345678901234567890.0L},
    };
    for (const auto& c : cases) {
        long double v = -1;
        EXPECT_TRUE(TryStrToFloat(QString::fromUtf8(c.text), v)) << c.text;
        EXPECT_EQ(v, c.expected) << c.text;
    }
    EXPECT_NE(StrToFloat(QStringLiteral("0,1")), static_cast<long double>(0.1));
    EXPECT_TRUE(std::signbit(StrToFloat(QStringLiteral("-0"))));
}

TEST_F(SysUtilsNumbers, StrToFloatRejects)
{
    const char* bad[] = {"1.5", "1,2,3", "", " ", "abc", "1E", "1E+", "e5", ",", "-", "+", "1 5", "1,5x",
                         "1.000,5", "INF", "NAN", "1E99999", "\t1", "0x10", "--1", "1,5 E3", "$10"};
    for (const char* text : bad) {
        long double v = 42;
        EXPECT_FALSE(TryStrToFloat(QString::fromUtf8(text), v)) << text;
        EXPECT_EQ(v, 42) << text;
        EXPECT_EQ(StrToFloatDef(QString::fromUtf8(text), -1), -1) << text;
    }
    try {
        StrToFloat(QStringLiteral("1.5"));
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(S(e.Message()), "'1.5' is not a valid floating point value");
    }
}

TEST_F(SysUtilsNumbers, StrToFloatFollowsTheDecimalSeparator)
{
    TFormatSettings fs = BrazilianFormatSettings();
    fs.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(StrToFloat(QStringLiteral("1.5"), fs), 1.5L);
    EXPECT_THROW(StrToFloat(QStringLiteral("1,5"), fs), EConvertError);
}

TEST_F(SysUtilsNumbers, FloatTextRoundTrips)
{
    const long double values[] = {0.1L, -2.5e-7L, 123456.789L, 1e300L, 1.0L / 7};
    for (long double v : values) {
        const QString text = FloatToStrF(v, ffGeneral, 18, 0);
        // 18 significant digits bring an 80-bit value back closely, but not always bit for bit.
        EXPECT_NEAR(static_cast<double>(StrToFloat(text) / v), 1.0, 1e-17) << S(text);
        EXPECT_EQ(S(FloatToStr(StrToFloat(FloatToStr(v)))), S(FloatToStr(v)));
    }
}
