// Windows-1252, the code page of strings in report files.
#include "platform/core/Cp1252.h"

#include <gtest/gtest.h>

using namespace tessiv;

TEST(Cp1252, EveryByteSurvivesARoundTrip)
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    const QString text = FromCp1252(all);
    bool lossless = false;
    EXPECT_EQ(ToCp1252(text, &lossless), all);
    EXPECT_TRUE(lossless);
    EXPECT_TRUE(IsCp1252(text));
}

TEST(Cp1252, TheCharactersThatDifferFromLatin1)
{
    struct Case {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {{0x80, u'€'}, {0x8A, u'Š'}, {0x93, u'“'}, {0x96, u'–'}, {0x99, u'™'}, {0x9F, u'Ÿ'},
                 {0x81, 0x0081}, {0xE9, u'é'}, {0xF3, u'ó'}};
    for (const Case& c : cases) {
        EXPECT_EQ(FromCp1252(QByteArray(1, static_cast<char>(c.byte))), QString(QChar(c.unicode))) << int(c.byte);
        EXPECT_EQ(ToCp1252(QString(QChar(c.unicode))), QByteArray(1, static_cast<char>(c.byte))) << int(c.byte);
    }
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeAQuestionMark)
{
    bool lossless = true;
    EXPECT_EQ(ToCp1252(QStringLiteral("Ω=1"), &lossless), QByteArray("?=1"));
    EXPECT_FALSE(lossless);
    // A character beyond the 16-bit range is one character, one question mark.
    EXPECT_EQ(ToCp1252(QString::fromUtf8("a\xF0\x9F\x98\x80" "b"), &lossless), QByteArray("a?b"));
    EXPECT_FALSE(IsCp1252(QStringLiteral("€ e Ω")));
}
