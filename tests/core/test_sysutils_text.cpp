// Format and the string helpers.
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <gtest/gtest.h>

using namespace tessiv;

namespace {

std::string S(const QString& s)
{
    return s.toStdString();
}

class SysUtilsText : public ::testing::Test {
protected:
    void SetUp() override { FormatSettings() = BrazilianFormatSettings(); }
    void TearDown() override { FormatSettings() = BrazilianFormatSettings(); }
};

std::string formatError(const char* format, std::initializer_list<TVarRec> args)
{
    try {
        Format(QString::fromUtf8(format), args);
    } catch (const EConvertError& e) {
        return S(e.Message());
    }
    return "no error";
}

} // namespace

TEST_F(SysUtilsText, FormatConversions)
{
    const struct {
        const char* format;
        std::initializer_list<TVarRec> args;
        const char* expected;
    } cases[] = {
        {"%d", {42}, "42"},
        {"%D", {7}, "7"},
        {"%d", {-2147483647 - 1}, "-2147483648"},
        {"%d", {-9223372036854775807LL}, "-9223372036854775807"},
        {"%5d|", {42}, "   42|"},
        {"%-5d|", {42}, "42   |"},
        {"%1d", {123}, "123"},
        {"%.4d", {-42}, "-0042"},
        {"%6.4d", {42}, "  0042"},
        {"%u", {-1}, "4294967295"},
        {"%u", {-1LL}, "18446744073709551615"},
        {"%x", {255}, "FF"},
        {"%.4x", {255}, "00FF"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%X", {-1LL}, "FFFFFFFFFFFFFFFF"},
        {"%s", {"abc"}, "abc"},
        {"%s", {QStringLiteral("ação")}, "ação"},
        {"%.2s", {"abc"}, "ab"},
        {"%5s|%-5s|", {"ab", "cd"}, "   ab|cd   |"},
        {"%s", {QChar(u'ç')}, "ç"},
        {"%s%s", {'a', "b"}, "ab"},
        {"%f", {1.5}, "1,50"},
        {"%.3f", {2.0L / 3}, "0,667"},
        {"%.0f", {2.5}, "3"},
        {"%8.2f|", {-1.5}, "   -1,50|"},
        {"%e", {1234.5}, "1,23450000000000E+003"},
        {"%.3e", {1234.5}, "1,23E+003"},
        {"%g", {1234.5}, "1234,5"},
        {"%g", {1e20}, "1E020"},
        {"%.3g", {1234.5}, "1,23E003"},
        {"%n", {1234567.891}, "1.234.567,89"},
        {"%.0n", {1234567.891}, "1.234.568"},
        {"%m", {-1234.5}, "-R$ 1.234,50"},
        {"%.0m", {5.0}, "R$ 5"},
        {"100%%", {}, "100%"},
        {"%s%%", {"50"}, "50%"},
        // argument indexes: later specifiers go on from the last index used
        {"%1:s %0:s", {"a", "b"}, "b a"},
        {"%1:s %s", {"a", "b", "c"}, "b c"},
        {"%0:s-%0:s", {"a"}, "a-a"},
        {"%0:5s|", {"a"}, "    a|"},
        {"%0:-5s|", {"a"}, "a    |"},
        // "*" takes the value from the next argument
        {"%*d", {5, 42}, "   42"},
        {"%-*d|", {5, 42}, "42   |"},
        {"%*d|", {-5, 42}, "42   |"},
        {"%.*f", {1, 2.25}, "2,3"},
        {"%*.*f", {7, 3, 3.14159}, "  3,142"},
        {"%*:s", {1, "a", "b"}, "a"},
        {"sem argumentos", {}, "sem argumentos"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(Format(QString::fromUtf8(c.format), c.args)), c.expected) << "format \"" << c.format << "\"";
}

TEST_F(SysUtilsText, FormatErrors)
{
    const std::string invalid = "invalid or incompatible with argument";
    const struct {
        const char* format;
        std::initializer_list<TVarRec> args;
    } mismatches[] = {
        {"%d", {1.5}},  {"%x", {"a"}}, {"%s", {5}},   {"%s", {2.5}}, {"%f", {5}},
        {"%q", {1}},    {"abc%", {}},  {"%5", {1}},   {"%*d", {"x", 1}}, {"%.*f", {1.0, 1.0}},
    };
    for (const auto& c : mismatches)
        EXPECT_EQ(formatError(c.format, c.args), "Format '" + std::string(c.format) + "' " + invalid) << c.format;

    EXPECT_EQ(formatError("%d", {}), "No argument for format '%d'");
    EXPECT_EQ(formatError("%d %d", {1}), "No argument for format '%d %d'");
    EXPECT_EQ(formatError("%2:d", {1}), "No argument for format '%2:d'");
    EXPECT_EQ(formatError("%*d", {}), "No argument for format '%*d'");
}

TEST_F(SysUtilsText, FormatUsesTheGivenSettings)
{
    TFormatSettings fs = BrazilianFormatSettings();
    fs.DecimalSeparator = QLatin1Char('.');
    fs.ThousandSeparator = QLatin1Char(',');
    fs.CurrencyString = QStringLiteral("$");
    fs.CurrencyFormat = 0;
    fs.CurrencyDecimals = 1;
    EXPECT_EQ(S(Format(QStringLiteral("%n %m"), {1234.5, 1234.5}, fs)), "1,234.50 $1,234.5");
}

TEST_F(SysUtilsText, Trimming)
{
    const struct {
        QString text, both, left, right;
    } cases[] = {
        {QStringLiteral("  a b \t\r\n"), QStringLiteral("a b"), QStringLiteral("a b \t\r\n"), QStringLiteral("  a b")},
        {QString::fromUtf8("\x01" "a\x1f"), QStringLiteral("a"), QString::fromUtf8("a\x1f"), QString::fromUtf8("\x01" "a")},
        {QString(), QString(), QString(), QString()},
        {QStringLiteral("   "), QString(), QString(), QString()},
        // a no-break space is above 32, so it stays
        {QStringLiteral("\u00A0a\u00A0"), QStringLiteral("\u00A0a\u00A0"), QStringLiteral("\u00A0a\u00A0"),
         QStringLiteral("\u00A0a\u00A0")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Trim(c.text), c.both) << S(c.text);
        EXPECT_EQ(TrimLeft(c.text), c.left) << S(c.text);
        EXPECT_EQ(TrimRight(c.text), c.right) << S(c.text);
    }
}

TEST_F(SysUtilsText, CaseConversionAndComparison)
{
    EXPECT_EQ(S(AnsiUpperCase(QStringLiteral("ação é"))), "AÇÃO É");
    EXPECT_EQ(S(AnsiLowerCase(QStringLiteral("ÉTICA Ç"))), "ética ç");
    EXPECT_EQ(S(UpperCase(QStringLiteral("ação"))), "AçãO");
    EXPECT_EQ(S(LowerCase(QStringLiteral("ÁBC"))), "Ábc");

    EXPECT_EQ(AnsiCompareText(QStringLiteral("ação"), QStringLiteral("AÇÃO")), 0);
    EXPECT_EQ(AnsiCompareText(QStringLiteral("a"), QStringLiteral("B")), -1);
    EXPECT_EQ(AnsiCompareText(QStringLiteral("b"), QStringLiteral("A")), 1);
    EXPECT_NE(AnsiCompareText(QStringLiteral("ação"), QStringLiteral("acao")), 0);
    // Linguistic order: an accented e sorts with e, before f (its code is above f's).
    EXPECT_EQ(AnsiCompareText(QStringLiteral("é"), QStringLiteral("f")), -1);
    EXPECT_TRUE(AnsiSameText(QStringLiteral("Ação"), QStringLiteral("aÇÃO")));

    EXPECT_TRUE(SameText(QStringLiteral("Report1"), QStringLiteral("REPORT1")));
    EXPECT_FALSE(SameText(QStringLiteral("ação"), QStringLiteral("AÇÃO"))); // ASCII letters only
    EXPECT_FALSE(SameText(QStringLiteral("ab"), QStringLiteral("abc")));
    EXPECT_LT(CompareText(QStringLiteral("a"), QStringLiteral("B")), 0);
    EXPECT_GT(CompareText(QStringLiteral("abc"), QStringLiteral("AB")), 0);
    EXPECT_EQ(CompareText(QStringLiteral("[x]"), QStringLiteral("[X]")), 0);
    // '_' lies between the upper- and lower-case letters: compared upper-cased it follows 'Z'.
    EXPECT_GT(CompareText(QStringLiteral("_"), QStringLiteral("z")), 0);
}

TEST_F(SysUtilsText, QuotedStr)
{
    EXPECT_EQ(S(QuotedStr(QStringLiteral("it's"))), "'it''s'");
    EXPECT_EQ(S(QuotedStr(QString())), "''");
    EXPECT_EQ(S(QuotedStr(QStringLiteral("''"))), "''''''");
}

TEST_F(SysUtilsText, BrazilianDefaults)
{
    const TFormatSettings fs = BrazilianFormatSettings();
    // A sample through the routines rather than field by field.
    const TDateTime v = EncodeDate(2026, 2, 7) + EncodeTime(8, 9, 0, 0);
    EXPECT_EQ(S(FormatDateTime(QStringLiteral("ddd dddddd mmm t"), v, fs)), "sáb sábado, 7 de fevereiro de 2026 fev 08:09");
    EXPECT_EQ(S(FloatToStrF(-1234.5L, ffCurrency, 15, fs.CurrencyDecimals, fs)), "-R$ 1.234,50");
    EXPECT_EQ(S(FormatFloat(QStringLiteral("#,##0.00"), 1234.5L, fs)), "1.234,50");
    // Changing the process settings and building the defaults again puts them back.
    FormatSettings().ShortDateFormat = QStringLiteral("yyyy");
    EXPECT_EQ(S(DateToStr(v)), "2026");
    FormatSettings() = BrazilianFormatSettings();
    EXPECT_EQ(S(DateToStr(v)), "07/02/2026");
}
