#pragma once
// The symbology tables shared by every barcode. They are constant data, so they exist before any
// code runs and are never freed.

#include <array>
#include <string_view>

namespace tessiv {

// Code 39: per character its 9 elements (bar, space, bar, ..., bar), '1' wide and '0' narrow.
class TBarCode39 {
public:
    static constexpr std::string_view CharSet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";

    // Position of C in the character set, -1 when it has none.
    int IndexOf(char C) const
    {
        const auto Pos = CharSet.find(C);
        return Pos == std::string_view::npos ? -1 : static_cast<int>(Pos);
    }
    std::string_view Pattern(int Index) const { return Patterns[static_cast<std::size_t>(Index)]; }

private:
    static const std::array<std::string_view, 44> Patterns;
};

// Symbol characters of Code 128: a symbol of value v (0 to 106) is the character 32 + v.
namespace code128 {
inline constexpr unsigned char FNC3 = 128;
inline constexpr unsigned char FNC2 = 129;
inline constexpr unsigned char Shift = 130;
inline constexpr unsigned char CodeC = 131;
inline constexpr unsigned char CodeB = 132; // FNC4 in set B
inline constexpr unsigned char CodeA = 133; // FNC4 in set A
inline constexpr unsigned char FNC1 = 134;
inline constexpr unsigned char StartA = 135;
inline constexpr unsigned char StartB = 136;
inline constexpr unsigned char StartC = 137;
inline constexpr unsigned char Stop = 138;
// Ends a text early, wherever it stands.
inline constexpr unsigned char EndMark = 255;
} // namespace code128

// Code 128: the value map (#32 to #138) and each value's 11-module pattern. STOP holds the first 11
// of its 13 modules; the encoder adds the closing bar.
class TBarCode128 {
public:
    static constexpr int ValueCount = 107;
    static constexpr int StartAValue = 103;
    static constexpr int StopValue = 106;

    // Value of a symbol character, -1 when the character is not in the map.
    int ValueOf(char C) const
    {
        const int Code = static_cast<unsigned char>(C);
        return Code >= 32 && Code < 32 + ValueCount ? Code - 32 : -1;
    }
    char CharOf(int Value) const { return static_cast<char>(32 + Value); }
    std::string_view Pattern(int Value) const { return Patterns[static_cast<std::size_t>(Value)]; }

private:
    static const std::array<std::string_view, ValueCount> Patterns;
};

// Codabar: per character its 7 elements, bar first, '1' wide and '0' narrow.
class TBarCodabar {
public:
    static constexpr std::string_view CharSet = "0123456789-$:/.+ABCD";

    int IndexOf(char C) const
    {
        const auto Pos = CharSet.find(C);
        return Pos == std::string_view::npos ? -1 : static_cast<int>(Pos);
    }
    std::string_view Pattern(int Index) const { return Patterns[static_cast<std::size_t>(Index)]; }

private:
    static const std::array<std::string_view, 20> Patterns;
};

// Postnet digits as five bar positions ('1' full bar, '0' half bar) and the three facing
// identification marks as nine positions ('1' bar, '0' none).
class TBarPostnet {
public:
    static constexpr std::string_view CharSet = "0123456789";
    static constexpr std::string_view FIMA = "110010011";
    static constexpr std::string_view FIMB = "101101101";
    static constexpr std::string_view FIMC = "110101011";

    std::string_view Pattern(int Digit) const { return Patterns[static_cast<std::size_t>(Digit)]; }

private:
    static const std::array<std::string_view, 10> Patterns;
};

extern const TBarCode39 BarCode39;
extern const TBarCode128 BarCode128;
extern const TBarCodabar BarCodabar;
extern const TBarPostnet BarPostnet;

} // namespace tessiv
