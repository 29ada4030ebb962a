// The 10-byte extended float of report files, byte for byte.
#include "platform/core/Extended.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

using namespace tessiv;

namespace {
TExtendedBytes Bytes(std::initializer_list<int> b)
{
    TExtendedBytes out{};
    int i = 0;
    for (int v : b)
        out[i++] = static_cast<std::uint8_t>(v);
    return out;
}
} // namespace

TEST(Extended, KnownEncodings)
{
    struct Case {
        long double value;
        TExtendedBytes bytes;
    } cases[] = {
        {100.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0xC8, 0x05, 0x40})},
        {1.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})},
        {-2.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0})},
        {2100.0L, Bytes({0, 0, 0, 0, 0, 0, 0x40, 0x83, 0x0A, 0x40})},
        {0.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {-0.0L, Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80})},
        {HUGE_VALL, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})},
        {-HUGE_VALL, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF})},
        {LDBL_TRUE_MIN, Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {LDBL_MIN, Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00})},
        {LDBL_MAX, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeExtended(c.value), c.bytes) << static_cast<double>(c.value);
        const long double back = DecodeExtended(c.bytes);
        EXPECT_EQ(std::memcmp(&back, &c.value, 10), 0) << static_cast<double>(c.value);
    }
}

// Any canonical bit pattern survives decode and encode: normals with every mantissa bit in use,
// denormals and NaN payloads.
TEST(Extended, RandomPatternsRoundTrip)
{
    std::mt19937_64 rng(20261210);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t m = rng();
        unsigned se = static_cast<unsigned>(rng() & 0xFFFF);
        const unsigned e = se & 0x7FFF;
        // Canonical form: the integer bit is set exactly when the exponent is not zero.
        if (e == 0)
            m &= ~(std::uint64_t(1) << 63);
        else
            m |= std::uint64_t(1) << 63;
        TExtendedBytes bytes{};
        for (int k = 0; k < 8; ++k)
            bytes[k] = static_cast<std::uint8_t>(m >> (8 * k));
        bytes[8] = static_cast<std::uint8_t>(se);
        bytes[9] = static_cast<std::uint8_t>(se >> 8);
        ASSERT_EQ(EncodeExtended(DecodeExtended(bytes)), bytes) << "pattern " << i;
    }
}

TEST(Extended, NonCanonicalPatternsReadAsTheirValue)
{
    // An "unnormal" 1.0 (exponent of 1.0, integer bit clear, top fraction bit set) is 0.5 x 2^0.
    const auto unnormal = Bytes({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F});
    EXPECT_EQ(DecodeExtended(unnormal), 0.5L);
    // A pseudo-denormal reads as the smallest normal.
    const auto pseudoDenormal = Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x00});
    EXPECT_EQ(DecodeExtended(pseudoDenormal), LDBL_MIN);
    // Pseudo-infinity and pseudo-NaN.
    EXPECT_TRUE(std::isinf(DecodeExtended(Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x7F}))));
    EXPECT_TRUE(std::isnan(DecodeExtended(Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x7F}))));
}
