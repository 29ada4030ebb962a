#pragma once
// The enumerations that name symbologies, module sizes, rotations and wide-to-narrow ratios, and the
// parameter record every low-level barcode owns.
//
// Barcode texts are single-byte characters (Windows-1252 where they meet the rest of the program).
// The characters #128 to #138 double as the Code 128 function, code-set, start and stop symbols.

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessiv {

// The ordinals are stored in report files by value name, so neither the order nor the names may change.
enum btCodeTypes : std::uint8_t {
    EAN_8,
    EAN_13,
    UPC_A,
    UPC_E,
    CODE39,
    CODE25i,  // interleaved 2 of 5, check weights 3-1
    CODE25iP, // interleaved 2 of 5, check weights 4-9
    CODE128_A,
    CODE128_B,
    CODE128_C,
    MSI_Plessey,
    Codabar,
    Postnet,
    Postnet_FIM
};

enum btCodeSizes : std::uint8_t { SC0, SC1, SC2, SC3, SC4, SC5, SC6, SC7, SC8, SC9 };

enum btCodeRotate : std::uint8_t { rotate_000, rotate_090, rotate_180, rotate_270 };

enum btCodeRatio : std::uint8_t {
    Ratio_3, // a wide element is 3 modules
    Ratio_2  // a wide element is 2 modules
};

inline constexpr std::array<std::string_view, 14> btCodeTypesNames{
    "EAN_8",     "EAN_13",    "UPC_A",     "UPC_E",       "CODE39",  "CODE25i", "CODE25iP",
    "CODE128_A", "CODE128_B", "CODE128_C", "MSI_Plessey", "Codabar", "Postnet", "Postnet_FIM"};
inline constexpr std::array<std::string_view, 10> btCodeSizesNames{"SC0", "SC1", "SC2", "SC3", "SC4",
                                                                   "SC5", "SC6", "SC7", "SC8", "SC9"};
inline constexpr std::array<std::string_view, 4> btCodeRotateNames{"rotate_000", "rotate_090",
                                                                   "rotate_180", "rotate_270"};
inline constexpr std::array<std::string_view, 2> btCodeRatioNames{"Ratio_3", "Ratio_2"};

// What one barcode encodes and how it is drawn. The text fields keep the capacity of the
// zero-terminated 53- and 6-byte fields they have always been: a value is stored up to its first
// #0 and cut to 52 (text) or 5 (add-on) characters.
class TBarcodeParams {
public:
    static constexpr std::size_t MaxTextLength = 52;
    static constexpr std::size_t MaxAddonLength = 5;

    const std::string& Text() const { return FText; }
    // InCodePage false: the text came from characters some of which Windows-1252 cannot hold
    // (they stand as '?'); Code 128 refuses such a text rather than encode the '?'.
    void SetText(std::string_view Value, bool InCodePage = true)
    {
        FText = Bounded(Value, MaxTextLength);
        FTextInCodePage = InCodePage;
    }
    bool TextInCodePage() const { return FTextInCodePage; }

    // EAN/UPC add-on digits: 0, 2 or 5 of them.
    const std::string& Addon() const { return FAddon; }
    void SetAddon(std::string_view Value) { FAddon = Bounded(Value, MaxAddonLength); }

    btCodeTypes CodeType = EAN_8;
    btCodeSizes ModuleWidth = SC2;
    btCodeRatio Ratio = Ratio_3;
    std::int32_t HeightPercent = 100;
    QString FontName = QStringLiteral("Arial");
    std::int32_t FontScaling = 100;
    bool WidthReduce = false;
    bool HighDensity = false;
    bool ZoomSize = false;
    btCodeRotate Rotation = rotate_000;
    bool HumanReadable = true;
    // Where a 12-digit CODE25iP text is split when shown; nothing changes it.
    std::int32_t IdentSplit = 7;

    bool operator==(const TBarcodeParams&) const = default;

private:
    static std::string Bounded(std::string_view Value, std::size_t Capacity)
    {
        Value = Value.substr(0, Value.find('\0'));
        return std::string(Value.substr(0, Capacity));
    }

    std::string FText = "4711";
    bool FTextInCodePage = true;
    std::string FAddon;
};

} // namespace tessiv
