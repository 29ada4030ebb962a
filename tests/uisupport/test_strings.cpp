#include "uisupport/StringUtils.h"

#include <gtest/gtest.h>

using namespace tessiv;

TEST(CompletaStr, FillsOnTheChosenSideWithoutCutting)
{
    struct Case {
        const char* side;
        const char* text;
        const char* fill;
        int length;
        const char* expected;
    };
    const Case cases[] = {
        {"I", "7", "0", 3, "007"},   {"F", "7", "0", 3, "700"},  {"I", "7", "0", 1, "7"},
        {"i", "7", "0", 3, "007"},   {"", "7", "0", 3, "700"},   {"I", "12345", "0", 3, "12345"},
        {"I", "7", "ab", 3, "abab7"}, {"X", "", "*", 2, "**"},   {"I", "7", "0", -4, "7"},
    };
    for (const Case& c : cases) {
        QString result = QStringLiteral("old");
        CompletaStr(QString::fromUtf8(c.side), QString::fromUtf8(c.text), QString::fromUtf8(c.fill), result, c.length);
        EXPECT_EQ(result, QString::fromUtf8(c.expected)) << c.side << " " << c.text << " " << c.length;
    }
}
