// The module row as a whole: sizes, add-ons, capacities, errors, and the parameter record.

#include "ZintReference.h"
#include "barcode/LLBarcode.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tessiv;
using zintref::ModuleString;

namespace {

void Configure(TLLBarcode& B, btCodeTypes Type, const std::string& Text, const std::string& Addon = {},
           btCodeRatio Ratio = Ratio_3)
{
    B.Params().CodeType = Type;
    B.Params().SetText(Text);
    B.Params().SetAddon(Addon);
    B.Params().Ratio = Ratio;
}

std::string MessageOf(TLLBarcode& B)
{
    try {
        B.MakeModules();
    } catch (const EOverflow& E) {
        return E.Message().toStdString();
    }
    return "no exception";
}

struct SizeCase {
    btCodeTypes Type;
    std::string Text;
    std::string Addon;
    btCodeRatio Ratio;
    int ModuleCount;
};

TEST(ModuleLayout, ModuleCounts)
{
    const SizeCase Cases[] = {
        {EAN_8, "4711", "", Ratio_3, 67},
        {EAN_13, "123456789012", "", Ratio_3, 95},
        {EAN_13, "123456789012", "12", Ratio_3, 125},
        {EAN_13, "123456789012", "12345", Ratio_3, 152},
        {UPC_A, "03600029145", "12", Ratio_3, 125},
        {UPC_A, "03600029145", "54321", Ratio_3, 152},
        {UPC_E, "123456", "", Ratio_3, 51},
        {EAN_8, "4711", "123", Ratio_3, 67}, // an add-on only belongs to EAN-13 and UPC-A
        {UPC_E, "123456", "7", Ratio_3, 51},
        {CODE39, "ab-1", "", Ratio_3, 96},
        {CODE39, "ab-1", "", Ratio_2, 78},
        {CODE25i, "1234", "", Ratio_3, 4 + 2 * 18 + 5},
        {CODE25i, "1234", "", Ratio_2, 4 + 2 * 14 + 4},
        {CODE128_B, "Hello", "", Ratio_3, 11 * 8 + 2},
        {CODE128_C, "12345", "", Ratio_3, 11 * 7 + 2},
        {MSI_Plessey, "1234", "", Ratio_3, 4 * (1 + 5 * 4 + 2)},
        {MSI_Plessey, "1234", "", Ratio_2, 3 * (1 + 5 * 4 + 2)},
        {Codabar, "123", "", Ratio_2, 10 + 9 + 9 + 9 + 10 + 5}, // A123A and a gap after each
        {Postnet, "12345", "", Ratio_3, 32},
        {Postnet, "123456789", "", Ratio_3, 52},
        {Postnet, "12345678901", "", Ratio_3, 62},
        {Postnet_FIM, "a", "", Ratio_3, 9},
    };
    for (const SizeCase& C : Cases) {
        TLLBarcode B;
        Configure(B, C.Type, C.Text, C.Addon, C.Ratio);
        B.MakeModules();
        EXPECT_EQ(B.ModuleCount(), C.ModuleCount) << btCodeTypesNames[C.Type] << " " << C.Text;
    }
}

TEST(ModuleLayout, AddonFollowsANineModuleGapAndEndsInASpace)
{
    for (const char* Addon : {"12", "12345"}) {
        TLLBarcode B;
        Configure(B, EAN_13, "123456789012", Addon);
        B.MakeModules();
        const std::string M = ModuleString(B);
        EXPECT_EQ(M.substr(92, 3), "101") << "end guard";
        EXPECT_EQ(M.substr(95, 9), "000000000") << "modules 96 to 104";
        EXPECT_EQ(M.substr(104, 4), "1011") << "add-on guard at module 105";
        EXPECT_EQ(M.back(), '0');
    }
}

TEST(ModuleLayout, WrongAddonLengthIsRefusedAndLeavesNothing)
{
    for (const char* Addon : {"1", "123", "1234"}) {
        for (const btCodeTypes Type : {EAN_13, UPC_A}) {
            TLLBarcode B;
            Configure(B, Type, "123456789012", "12");
            B.MakeModules();
            B.Params().SetAddon(Addon);
            EXPECT_EQ(MessageOf(B), "BarLL: Wrong Addoncode") << Addon;
            EXPECT_EQ(B.ModuleCount(), 0);
            EXPECT_EQ(B.Prepared(), "");
            EXPECT_EQ(B.Module(1), 0);
        }
    }
}

TEST(ModuleLayout, UnknownCodeTypeIsRefused)
{
    TLLBarcode B;
    B.Params().CodeType = static_cast<btCodeTypes>(200);
    EXPECT_EQ(MessageOf(B), "Barcode: Unknown Type of Barcode");
    EXPECT_EQ(B.ModuleCount(), 0);
}

TEST(ModuleLayout, EveryDrawingStartsFromClearedModules)
{
    TLLBarcode B;
    Configure(B, EAN_13, "123456789012", "12345");
    B.MakeModules();
    Configure(B, Postnet_FIM, "b");
    B.MakeModules();
    EXPECT_EQ(B.ModuleCount(), 9);
    for (int I = 10; I <= TLLBarcode::ModuleCapacity; ++I)
        ASSERT_EQ(B.Module(I), 0) << I;
}

TEST(ModuleLayout, ModulesAreNumberedFromOne)
{
    TLLBarcode B;
    B.MakeModules(); // EAN-8 4711 starts with the guard 101
    EXPECT_EQ(B.Module(1), 1);
    EXPECT_EQ(B.Module(2), 0);
    EXPECT_EQ(B.Module(3), 1);
    EXPECT_EQ(B.Modules().size(), 67u);
    EXPECT_EQ(B.Module(TLLBarcode::ModuleCapacity), 0);
    EXPECT_THROW(B.Module(0), std::out_of_range);
    EXPECT_THROW(B.Module(TLLBarcode::ModuleCapacity + 1), std::out_of_range);
}

TEST(ModuleLayout, FacingIdentificationMarks)
{
    const std::tuple<const char*, const char*, const char*> Cases[] = {
        {"A", "FIM-A", "110010011"}, {"a", "FIM-A", "110010011"}, {"b", "FIM-B", "101101101"},
        {"Bx", "FIM-B", "101101101"}, {"C", "FIM-C", "110101011"}, {"", "FIM-C", "110101011"},
        {"xa", "FIM-C", "110101011"}, {"7", "FIM-C", "110101011"}};
    for (const auto& [Text, Shown, Pattern] : Cases) {
        TLLBarcode B;
        Configure(B, Postnet_FIM, Text);
        B.MakeModules();
        EXPECT_EQ(B.Prepared(), Shown) << Text;
        EXPECT_EQ(ModuleString(B), Pattern) << Text;
    }
}

TEST(ModuleLayout, PostnetFramesTheDigitsWithFullBars)
{
    // USPS table: 1 = 00011, 2 = 00101, 3 = 00110, 4 = 01001, 5 = 01010; check digit 5.
    TLLBarcode B;
    Configure(B, Postnet, "12345");
    B.MakeModules();
    EXPECT_EQ(B.Prepared(), "123455");
    EXPECT_EQ(ModuleString(B), "1" "00011" "00101" "00110" "01001" "01010" "01010" "1");
}

// A symbol that does not fit its encoder's room is refused rather than cut short.
TEST(ModuleLayout, Capacities)
{
    struct CapacityCase {
        btCodeTypes Type;
        std::string Text;
        btCodeRatio Ratio;
        bool Fits;
    };
    const CapacityCase Cases[] = {
        {CODE39, std::string(50, 'X'), Ratio_3, true},   // 52 characters, 832 modules
        {CODE39, std::string(51, 'X'), Ratio_3, false},  // 848 modules
        {CODE39, std::string(52, 'X'), Ratio_2, true},   // 702 modules
        {MSI_Plessey, std::string(48, '9'), Ratio_3, true},  // 199 bits
        {MSI_Plessey, std::string(49, '9'), Ratio_3, false}, // 203 bits
        {MSI_Plessey, std::string(49, '9'), Ratio_2, false},
        {Codabar, std::string(50, '1'), Ratio_3, true},
        {Codabar, "A" + std::string(50, '1') + "B", Ratio_3, true},
        {Codabar, std::string(51, '1'), Ratio_3, false},
        {CODE25i, std::string(51, '1'), Ratio_3, true},
        {CODE25iP, std::string(52, '1'), Ratio_3, true},
        {CODE128_C, std::string(51, '1'), Ratio_3, true},
        {CODE128_B, std::string(52, '~'), Ratio_3, true},
    };
    for (const CapacityCase& C : Cases) {
        TLLBarcode B;
        Configure(B, C.Type, C.Text, {}, C.Ratio);
        if (C.Fits) {
            EXPECT_NO_THROW(B.MakeModules()) << btCodeTypesNames[C.Type] << " " << C.Text.size();
            EXPECT_LE(B.ModuleCount(), TLLBarcode::ModuleCapacity);
        } else {
            EXPECT_EQ(MessageOf(B), "String exceeds maximum length")
                << btCodeTypesNames[C.Type] << " " << C.Text.size();
            EXPECT_EQ(B.ModuleCount(), 0);
        }
    }
}

TEST(ModuleLayout, InterleavedCheckWeightsGoOnAlternatingPastFifty)
{
    // 51 digits: fifty weights of the table and one more in the same rhythm (3 for an odd place).
    const std::string Text = std::string(50, '0') + "1";
    EXPECT_EQ(TLLBarcode::CompleteText(Text, CODE25i), Text + "7");
    EXPECT_EQ(TLLBarcode::CompleteText(Text, CODE25iP), Text + "6");
}

TEST(BarcodeParams, NewRecord)
{
    const TBarcodeParams P;
    EXPECT_EQ(P.Text(), "4711");
    EXPECT_EQ(P.Addon(), "");
    EXPECT_EQ(P.CodeType, EAN_8);
    EXPECT_EQ(P.ModuleWidth, SC2);
    EXPECT_EQ(P.Ratio, Ratio_3);
    EXPECT_EQ(P.HeightPercent, 100);
    EXPECT_EQ(P.FontName, "Arial");
    EXPECT_EQ(P.FontScaling, 100);
    EXPECT_FALSE(P.WidthReduce);
    EXPECT_FALSE(P.HighDensity);
    EXPECT_FALSE(P.ZoomSize);
    EXPECT_EQ(P.Rotation, rotate_000);
    EXPECT_TRUE(P.HumanReadable);
    EXPECT_EQ(P.IdentSplit, 7);
}

TEST(BarcodeParams, TextFieldsKeepTheirCapacity)
{
    TBarcodeParams P;
    P.SetText(std::string(60, '1'));
    EXPECT_EQ(P.Text(), std::string(52, '1'));
    P.SetText(std::string("12\0" "34", 5));
    EXPECT_EQ(P.Text(), "12");
    P.SetAddon("1234567");
    EXPECT_EQ(P.Addon(), "12345");
    P.SetAddon("");
    EXPECT_EQ(P.Addon(), "");
}

TEST(BarcodeParams, EnumerationsKeepTheirStoredOrdinals)
{
    EXPECT_EQ(btCodeTypesNames[CODE25iP], "CODE25iP");
    EXPECT_EQ(btCodeTypesNames[Postnet_FIM], "Postnet_FIM");
    EXPECT_EQ(static_cast<int>(Postnet_FIM), 13);
    EXPECT_EQ(btCodeSizesNames[SC9], "SC9");
    EXPECT_EQ(btCodeRotateNames[rotate_270], "rotate_270");
    EXPECT_EQ(btCodeRatioNames[Ratio_2], "Ratio_2");
}

} // namespace
