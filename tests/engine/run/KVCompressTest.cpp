#include "EmfBuilder.h"

#include "engine/run/KVCompress.h"
#include "platform/core/Streams.h"

#include <gtest/gtest.h>

#include <random>

using namespace tessiv;

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray Encode(const QByteArray& plain)
{
    TMemoryStream out;
    {
        TKVCompress coder(out, true);
        for (const char ch : plain)
            coder.Compress(static_cast<std::uint8_t>(ch));
    }
    return out.Bytes();
}

QByteArray RandomBytes(int size, unsigned seed)
{
    std::mt19937 gen(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& ch : bytes)
        ch = static_cast<char>(gen() & 0xFF);
    return bytes;
}

} // namespace

TEST(KVCompress, GoldenBytes)
{
    const struct {
        QByteArray Plain;
        QByteArray Coded;
    } cases[] = {
        {"abc", Hex("463d01")},
        {"aaaa", Hex("4645")},
        {"", QByteArray()},
        // One byte is eight bits on the fresh tree: 'a' is path 01100010 from the root.
        {"a", Hex("46")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(c.Plain).toHex(), c.Coded.toHex()) << c.Plain.constData();
        EXPECT_EQ(TKVCompress::CompressBytes(c.Plain).toHex(), c.Coded.toHex()) << c.Plain.constData();
    }
}

TEST(KVCompress, DecodesGoldenBytesThroughAStream)
{
    TMemoryStream in(Hex("463d01"));
    TKVCompress decoder(in, false);
    EXPECT_EQ(decoder.Expand(), 'a');
    EXPECT_EQ(decoder.Expand(), 'b');
    EXPECT_EQ(decoder.Expand(), 'c');
    EXPECT_FALSE(decoder.Damaged());
}

TEST(KVCompress, RoundTrips)
{
    QByteArray allValues;
    for (int i = 0; i < 256; ++i)
        allValues.append(static_cast<char>(i));
    const QByteArray cases[] = {
        QByteArray(1, '\0'),
        QByteArray(1, '\xff'),
        allValues,
        allValues.repeated(40),
        QByteArray(100000, '\x07'),
        RandomBytes(50000, 1),
        fixtures::MakePage(7),
        fixtures::MakePage(50),
    };
    for (const auto& plain : cases) {
        const QByteArray coded = TKVCompress::CompressBytes(plain);
        QByteArray back;
        ASSERT_TRUE(TKVCompress::ExpandBytes(coded.constData(), coded.size(), plain.size(), back));
        EXPECT_EQ(back, plain);
    }
    // The coder adapts: a run of one value shrinks towards a bit per byte.
    EXPECT_LT(TKVCompress::CompressBytes(QByteArray(100000, '\x07')).size(), 100000 / 7);
    const QByteArray page = fixtures::MakePage(50);
    EXPECT_LT(TKVCompress::CompressBytes(page).size(), page.size());
}

TEST(KVCompress, ReadingPastTheEndGivesZeroAndSaysSo)
{
    TMemoryStream empty;
    TKVCompress decoder(empty, false);
    // A missing byte reads as 0; nine zero bits lead from the fresh root down its left edge to
    // the leaf of byte 255.
    EXPECT_EQ(decoder.Expand(), 255);
    EXPECT_TRUE(decoder.Damaged());
}

TEST(KVCompress, DamagedInputIsRefusedWithinItsBounds)
{
    const QByteArray plain = fixtures::MakePage(3);
    const QByteArray coded = TKVCompress::CompressBytes(plain);
    QByteArray out;
    // Too short: the last bits are missing.
    EXPECT_FALSE(TKVCompress::ExpandBytes(coded.constData(), coded.size() - 1, plain.size(), out));
    // Bytes left over: not the coding of this many bytes.
    EXPECT_FALSE(TKVCompress::ExpandBytes(coded.constData(), coded.size(), plain.size() - 200, out));
    // A length no coding of this size can hold is refused before anything is allocated.
    EXPECT_FALSE(TKVCompress::ExpandBytes(coded.constData(), coded.size(), coded.size() * 8 + 1, out));
    EXPECT_FALSE(TKVCompress::ExpandBytes(coded.constData(), coded.size(), std::int64_t(1) << 40, out));
    EXPECT_FALSE(TKVCompress::ExpandBytes(coded.constData(), coded.size(), -1, out));
    EXPECT_TRUE(out.isEmpty());
}

TEST(KVCompress, GarbageNeverReadsOrWritesOutOfBounds)
{
    // Random coded data with lengths up to the most it could hold: the decoder either gives that
    // many bytes or refuses, and the sanitizers watch every access.
    for (unsigned seed = 0; seed < 200; ++seed) {
        const QByteArray garbage = RandomBytes(1 + static_cast<int>(seed % 64), seed);
        for (const std::int64_t length : {std::int64_t(0), std::int64_t(1), std::int64_t(garbage.size()),
                                          std::int64_t(garbage.size()) * 8}) {
            QByteArray out;
            if (TKVCompress::ExpandBytes(garbage.constData(), garbage.size(), length, out)) {
                EXPECT_EQ(out.size(), length);
            }
        }
    }
}
