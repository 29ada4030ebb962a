#pragma once
// The 10-byte extended float of report files: 64-bit mantissa with an explicit integer bit,
// 15-bit exponent biased by 16383, sign bit; little-endian. Encoded and decoded byte by byte so a
// file reads the same on every processor.

#include <array>
#include <cstdint>

namespace tessiv {

using Extended = long double;
using TExtendedBytes = std::array<std::uint8_t, 10>;

TExtendedBytes EncodeExtended(Extended value);
void EncodeExtended(Extended value, std::uint8_t* out10);
Extended DecodeExtended(const std::uint8_t* in10);
inline Extended DecodeExtended(const TExtendedBytes& bytes) { return DecodeExtended(bytes.data()); }

} // namespace tessiv
