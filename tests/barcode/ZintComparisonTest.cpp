// Module patterns against the zint reference encoder, over fixed cases and generated ones.
//
// zint draws Code 39, MSI and Codabar with wide elements of 2 modules and interleaved 2 of 5 with 3;
// the other ratio is compared by widening or narrowing zint's wide elements. Its symbols end with
// their last bar, where ours count the space after it for Code 39, Codabar, MSI and the add-ons.

#include "ZintReference.h"
#include "barcode/LLBarcode.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace tessiv;
using zintref::ModuleString;

namespace {

#define REQUIRE_ZINT()                                  \
    do {                                                \
        if (!zintref::Available())                      \
            GTEST_SKIP() << "zint is not on the PATH"; \
    } while (0)

struct Input {
    std::string Text;
    std::string Addon;
};

using ZintData = std::function<std::string(const Input&)>;

std::string AsIs(const Input& In) { return In.Text; }

std::string Upper(const Input& In)
{
    std::string S = In.Text;
    for (char& C : S)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return S;
}

std::string WithAddon(const Input& In) { return In.Addon.empty() ? In.Text : In.Text + "+" + In.Addon; }

std::string Random(std::mt19937& Rng, std::string_view Alphabet, int MinLength, int MaxLength)
{
    std::uniform_int_distribution<int> Length(MinLength, MaxLength);
    std::uniform_int_distribution<std::size_t> Pick(0, Alphabet.size() - 1);
    std::string S;
    for (int I = Length(Rng); I > 0; --I)
        S += Alphabet[Pick(Rng)];
    return S;
}

constexpr std::string_view Digits = "0123456789";

// Compares every input's layout at Ratio with zint's symbol for ZintData(input). ZintWide is the
// width of zint's wide elements (0: the symbology has no ratio); Trailing the spaces our layout
// counts after the last bar.
void Compare(btCodeTypes Type, btCodeRatio Ratio, int ZintWide, int Trailing, const QStringList& Options,
             const std::vector<Input>& Inputs, const ZintData& Data)
{
    std::vector<std::string> Lines;
    for (const Input& In : Inputs)
        Lines.push_back(Data(In));
    std::string Error;
    const auto Symbols = zintref::DumpBatch(Options, Lines, 1, &Error);
    ASSERT_EQ(Symbols.size(), Inputs.size()) << "zint: " << Error;

    const int OurWide = Ratio == Ratio_2 ? 2 : 3;
    for (std::size_t I = 0; I < Inputs.size(); ++I) {
        TLLBarcode B;
        B.Params().CodeType = Type;
        B.Params().Ratio = Ratio;
        B.Params().SetText(Inputs[I].Text);
        B.Params().SetAddon(Inputs[I].Addon);
        B.MakeModules();
        std::string Reference = zintref::TrimTrailingSpaces(Symbols[I][0]);
        if (ZintWide != 0 && ZintWide != OurWide)
            Reference = zintref::Rescale(Reference, ZintWide, OurWide);
        EXPECT_EQ(ModuleString(B), Reference + std::string(static_cast<std::size_t>(Trailing), '0'))
            << btCodeTypesNames[Type] << " \"" << Inputs[I].Text << "\" add-on \"" << Inputs[I].Addon
            << "\", zint data \"" << Lines[I] << "\"";
    }
}

std::string RandomAddon(std::mt19937& Rng)
{
    switch (std::uniform_int_distribution<int>(0, 2)(Rng)) {
    case 0:
        return {};
    case 1:
        return Random(Rng, Digits, 2, 2);
    default:
        return Random(Rng, Digits, 5, 5);
    }
}

TEST(ZintComparison, EAN13WithAddons)
{
    REQUIRE_ZINT();
    std::vector<Input> Inputs{{"123456789012", ""},    {"400638133393", "12"}, {"000000000000", "00000"},
                              {"978014300723", "51234"}, {"590123412345", "99"}, {"999999999999", "90000"}};
    std::mt19937 Rng(1301);
    for (int I = 0; I < 300; ++I)
        Inputs.push_back({Random(Rng, Digits, 12, 12), RandomAddon(Rng)});
    std::vector<Input> Plain, Addon;
    for (const Input& In : Inputs)
        (In.Addon.empty() ? Plain : Addon).push_back(In);
    const QStringList Options{"--barcode=EANX", "--addongap=9"};
    Compare(EAN_13, Ratio_3, 0, 0, Options, Plain, WithAddon);
    Compare(EAN_13, Ratio_3, 0, 1, Options, Addon, WithAddon);
}

TEST(ZintComparison, UPCAWithAddons)
{
    REQUIRE_ZINT();
    std::vector<Input> Inputs{{"03600029145", ""}, {"01234567890", "12345"}, {"72527273070", "03"}};
    std::mt19937 Rng(1302);
    for (int I = 0; I < 200; ++I)
        Inputs.push_back({Random(Rng, Digits, 11, 11), RandomAddon(Rng)});
    std::vector<Input> Plain, Addon;
    for (const Input& In : Inputs)
        (In.Addon.empty() ? Plain : Addon).push_back(In);
    const QStringList Options{"--barcode=UPCA", "--addongap=9"};
    Compare(UPC_A, Ratio_3, 0, 0, Options, Plain, WithAddon);
    Compare(UPC_A, Ratio_3, 0, 1, Options, Addon, WithAddon);
}

TEST(ZintComparison, EAN8)
{
    REQUIRE_ZINT();
    std::vector<Input> Inputs{{"4711000", ""}, {"9638507", ""}, {"0000000", ""}};
    std::mt19937 Rng(1303);
    for (int I = 0; I < 200; ++I)
        Inputs.push_back({Random(Rng, Digits, 7, 7), ""});
    Compare(EAN_8, Ratio_3, 0, 0, {"--barcode=EANX"}, Inputs, AsIs);
}

TEST(ZintComparison, UPCE)
{
    REQUIRE_ZINT();
    // zint refuses six-digit numbers that are no zero suppression of a UPC-A number, so these run
    // one by one and the refused ones are left out.
    std::vector<std::string> Texts{"123456", "654321", "000000", "123453", "123454", "425261"};
    std::mt19937 Rng(1304);
    for (int I = 0; I < 150; ++I)
        Texts.push_back(Random(Rng, Digits, 6, 6));
    int Compared = 0;
    for (const std::string& Text : Texts) {
        const auto Symbol = zintref::Dump({"--barcode=UPCE"}, Text);
        if (!Symbol)
            continue;
        ++Compared;
        TLLBarcode B;
        B.Params().CodeType = UPC_E;
        B.Params().SetText(Text);
        B.MakeModules();
        EXPECT_EQ(ModuleString(B), zintref::TrimTrailingSpaces((*Symbol)[0])) << Text;
    }
    EXPECT_GT(Compared, 100);
}

std::vector<Input> Code39Inputs()
{
    std::vector<Input> Inputs{{"ab-1", ""}, {"TESSIV", ""}, {"$1.00+5%", ""}, {"a/b", ""}, {"X", ""}};
    std::mt19937 Rng(1305);
    for (int I = 0; I < 300; ++I)
        Inputs.push_back({Random(Rng, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcxyz-.$/+%", 1, 52), ""});
    return Inputs;
}

TEST(ZintComparison, Code39)
{
    REQUIRE_ZINT();
    const auto Inputs = Code39Inputs();
    Compare(CODE39, Ratio_2, 2, 1, {"--barcode=CODE39"}, Inputs, Upper);
    // At Ratio_3 only up to the 52 characters the module row holds.
    std::vector<Input> Fitting;
    for (const Input& In : Inputs)
        if (In.Text.size() <= 50)
            Fitting.push_back(In);
    Compare(CODE39, Ratio_3, 2, 1, {"--barcode=CODE39"}, Fitting, Upper);
}

TEST(ZintComparison, Interleaved2of5)
{
    REQUIRE_ZINT();
    std::vector<Input> Odd{{"123", ""}, {"1", ""}, {"98765", ""}}, Even{{"1234", ""}, {"00", ""}};
    std::mt19937 Rng(1306);
    for (int I = 0; I < 300; ++I) {
        std::string Text = Random(Rng, Digits, 1, 52);
        (Text.size() % 2 ? Odd : Even).push_back({Text, ""});
    }
    // zint adds the standard check digit on request; ours comes only with an odd count.
    for (const btCodeRatio Ratio : {Ratio_3, Ratio_2}) {
        Compare(CODE25i, Ratio, 3, 0, {"--barcode=C25INTER", "--vers=1"}, Odd, AsIs);
        Compare(CODE25i, Ratio, 3, 0, {"--barcode=C25INTER"}, Even, AsIs);
    }
}

TEST(ZintComparison, Interleaved2of5WithWeights4And9)
{
    REQUIRE_ZINT();
    // The Deutsche Post identification and routing codes are interleaved 2 of 5 with weights 4-9.
    std::vector<Input> Ident{{"12345678901", ""}, {"56310243031", ""}}, Leit{{"1234567890123", ""}};
    std::mt19937 Rng(1307);
    for (int I = 0; I < 150; ++I) {
        Ident.push_back({Random(Rng, Digits, 11, 11), ""});
        Leit.push_back({Random(Rng, Digits, 13, 13), ""});
    }
    for (const btCodeRatio Ratio : {Ratio_3, Ratio_2}) {
        Compare(CODE25iP, Ratio, 3, 0, {"--barcode=DPIDENT"}, Ident, AsIs);
        Compare(CODE25iP, Ratio, 3, 0, {"--barcode=DPLEIT"}, Leit, AsIs);
    }
}

TEST(ZintComparison, MSIPlessey)
{
    REQUIRE_ZINT();
    std::vector<Input> Inputs{{"1234", ""}, {"80523", ""}, {std::string(48, '9'), ""}, {"0", ""}};
    std::mt19937 Rng(1308);
    for (int I = 0; I < 300; ++I)
        Inputs.push_back({Random(Rng, Digits, 1, 48), ""});
    // --vers=1: one modulo-10 check digit. Our layout ends with the wide space of its stop bits.
    Compare(MSI_Plessey, Ratio_2, 2, 2, {"--barcode=MSI_PLESSEY", "--vers=1"}, Inputs, AsIs);
    Compare(MSI_Plessey, Ratio_3, 2, 3, {"--barcode=MSI_PLESSEY", "--vers=1"}, Inputs, AsIs);
}

TEST(ZintComparison, Codabar)
{
    REQUIRE_ZINT();
    std::vector<Input> Inputs{{"A123A", ""}, {"b45a", ""}, {"C-$:/.+D", ""}, {"D0123456789B", ""}};
    std::mt19937 Rng(1309);
    std::uniform_int_distribution<int> Coin(0, 1);
    for (int I = 0; I < 300; ++I) {
        std::string Text = Random(Rng, "0123456789-$:/.+", 1, 48);
        if (Coin(Rng))
            Text = Random(Rng, "ABCDabcd", 1, 1) + Text + Random(Rng, "ABCDabcd", 1, 1);
        Inputs.push_back({Text, ""});
    }
    // Without start and stop letters the symbol gets an A at each end.
    const ZintData Data = [](const Input& In) {
        const std::string U = Upper(In);
        return U.front() >= 'A' && U.front() <= 'D' ? U : "A" + U + "A";
    };
    Compare(Codabar, Ratio_2, 2, 1, {"--barcode=CODABAR"}, Inputs, Data);
    Compare(Codabar, Ratio_3, 2, 1, {"--barcode=CODABAR"}, Inputs, Data);
}

// zint draws Postnet and FIM with a space column between bars; Postnet as two rows, the upper
// one holding only the full bars.
TEST(ZintComparison, Postnet)
{
    REQUIRE_ZINT();
    std::vector<std::string> Texts{"12345", "123456789", "12345678901", "00000", "99999999999"};
    std::mt19937 Rng(1310);
    const int Lengths[] = {5, 9, 11}; // ZIP, ZIP+4, delivery point
    for (int I = 0; I < 200; ++I) {
        const int Length = Lengths[std::uniform_int_distribution<int>(0, 2)(Rng)];
        Texts.push_back(Random(Rng, Digits, Length, Length));
    }

    std::string Error;
    const auto Symbols = zintref::DumpBatch({"--barcode=POSTNET"}, Texts, 2, &Error);
    ASSERT_EQ(Symbols.size(), Texts.size()) << "zint: " << Error;
    for (std::size_t I = 0; I < Texts.size(); ++I) {
        const std::string Full = Symbols[I][0];
        const std::string All = zintref::TrimTrailingSpaces(Symbols[I][1]);
        std::string Reference;
        for (std::size_t Col = 0; Col < All.size(); Col += 2) {
            ASSERT_EQ(All[Col], '1') << Texts[I];
            Reference += Full[Col];
        }
        TLLBarcode B;
        B.Params().CodeType = Postnet;
        B.Params().SetText(Texts[I]);
        B.MakeModules();
        EXPECT_EQ(ModuleString(B), Reference) << Texts[I];
    }
}

TEST(ZintComparison, FacingIdentificationMarks)
{
    REQUIRE_ZINT();
    for (const char* Mark : {"A", "B", "C"}) {
        const auto Symbol = zintref::Dump({"--barcode=FIM"}, Mark);
        ASSERT_TRUE(Symbol.has_value()) << Mark;
        const std::string Row = zintref::TrimTrailingSpaces((*Symbol)[0]);
        std::string Reference;
        for (std::size_t Col = 0; Col < Row.size(); Col += 2)
            Reference += Row[Col];
        TLLBarcode B;
        B.Params().CodeType = Postnet_FIM;
        B.Params().SetText(std::string(1, static_cast<char>(Mark[0] - 'A' + 'a')));
        B.MakeModules();
        EXPECT_EQ(ModuleString(B), Reference) << Mark;
        EXPECT_EQ(B.Prepared(), std::string("FIM-") + Mark);
    }
}

} // namespace
