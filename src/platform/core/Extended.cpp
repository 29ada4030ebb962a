#include "platform/core/Extended.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace tessiv {

namespace {

constexpr int kBias = 16383;
constexpr int kMaxExponent = 0x7FFF;
// Value of the least significant mantissa bit of a denormal: 2^(1 - 16383 - 63).
constexpr int kDenormalShift = 1 - kBias - 63;

// Where long double is the x87 format itself, NaN payloads are kept by copying their bytes; no
// arithmetic can carry them.
constexpr bool kNativeX87 = LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;

void Put(std::uint8_t* out, std::uint64_t mantissa, unsigned signExponent)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    out[8] = static_cast<std::uint8_t>(signExponent);
    out[9] = static_cast<std::uint8_t>(signExponent >> 8);
}

// Rounds a non-negative value below 2^64 to the nearest integer, halves to even.
std::uint64_t RoundMantissa(long double x)
{
    long double r = std::nearbyint(x); // default rounding mode: nearest, ties to even
    if (r >= 18446744073709551616.0L)
        return UINT64_MAX; // only reachable on wider formats; caller renormalises
    return static_cast<std::uint64_t>(r);
}

} // namespace

void EncodeExtended(Extended value, std::uint8_t* out)
{
    const unsigned sign = std::signbit(value) ? 0x8000u : 0u;
    if (std::isnan(value)) {
        if constexpr (kNativeX87) {
            std::memcpy(out, &value, 10);
        } else {
            Put(out, 0xC000000000000000ull, sign | kMaxExponent);
        }
        return;
    }
    if (std::isinf(value)) {
        Put(out, 0x8000000000000000ull, sign | kMaxExponent);
        return;
    }
    if (value == 0) {
        Put(out, 0, sign);
        return;
    }
    long double a = std::fabs(value);
    int exp2 = 0;
    long double frac = std::frexp(a, &exp2); // a = frac * 2^exp2, frac in [0.5, 1)
    int biased = exp2 - 1 + kBias;
    if (biased >= 1) {
        std::uint64_t m = RoundMantissa(std::ldexp(frac, 64));
        if (m == UINT64_MAX && std::ldexp(frac, 64) > 18446744073709551615.0L) {
            m = 0x8000000000000000ull; // rounding carried into the next power of two
            ++biased;
        }
        if (biased >= kMaxExponent) {
            Put(out, 0x8000000000000000ull, sign | kMaxExponent);
            return;
        }
        Put(out, m, sign | static_cast<unsigned>(biased));
        return;
    }
    std::uint64_t m = RoundMantissa(std::ldexp(a, -kDenormalShift));
    // A denormal that rounds up to the smallest normal carries its integer bit with exponent 1.
    Put(out, m, sign | ((m >> 63) ? 1u : 0u));
}

TExtendedBytes EncodeExtended(Extended value)
{
    TExtendedBytes bytes{};
    EncodeExtended(value, bytes.data());
    return bytes;
}

Extended DecodeExtended(const std::uint8_t* in)
{
    std::uint64_t m = 0;
    for (int i = 7; i >= 0; --i)
        m = (m << 8) | in[i];
    const unsigned se = in[8] | (unsigned(in[9]) << 8);
    const bool negative = (se & 0x8000u) != 0;
    const int e = static_cast<int>(se & 0x7FFFu);

    long double v;
    if (e == kMaxExponent) {
        if ((m << 1) == 0) {
            v = HUGE_VALL; // infinity, also the integer-bit-less "pseudo" form
        } else {
            if constexpr (kNativeX87) {
                if (m >> 63) { // a real NaN keeps its payload
                    long double nan = 0;
                    std::memcpy(&nan, in, 10);
                    return nan;
                }
            }
            v = std::nanl("");
        }
    } else {
        // Normal, denormal, and the non-canonical forms (integer bit inconsistent with the
        // exponent) all read as the number their bits say: mantissa * 2^(exponent - bias - 63).
        v = std::ldexp(static_cast<long double>(m), (e == 0 ? 1 : e) - kBias - 63);
    }
    return negative ? -v : v;
}

} // namespace tessiv
