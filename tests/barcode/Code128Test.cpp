// Code 128: code-set handling, the check character, refused texts, and symbols read back by a
// decoder of their bar widths.

#include "Code128Decoder.h"
#include "ZintReference.h"
#include "barcode/LLBarcode.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <random>

using namespace tessiv;
using zintref::ModuleString;

namespace {

// Texts mixing symbol characters and plain ones: C(code128::StartC) + "12".
std::string C(unsigned char Code) { return std::string(1, static_cast<char>(Code)); }

// Symbol characters written as their values, for readable expectations.
std::string V(std::initializer_list<int> Values)
{
    std::string S;
    for (const int Value : Values)
        S += static_cast<char>(32 + Value);
    return S;
}

const std::string StartA = C(code128::StartA), StartB = C(code128::StartB), StartC = C(code128::StartC);
const std::string CodeA = C(code128::CodeA), CodeB = C(code128::CodeB), CodeC = C(code128::CodeC);
const std::string FNC1 = C(code128::FNC1), Stop = C(code128::Stop);

struct ConversionCase {
    const char* Name;
    std::string Text;
    std::string Code;
    std::string Display;
};

TEST(ConvertCode128Text, CodeAndDisplayMode)
{
    const ConversionCase Cases[] = {
        {"pairs and a last odd digit in set A", StartC + "12345", StartC + V({12, 34}) + CodeA + "5" + Stop,
         "12345"},
        {"even digits", StartC + "1234", StartC + V({12, 34}) + Stop, "1234"},
        {"FNC1 between pairs", StartC + FNC1 + "12", StartC + FNC1 + V({12}) + Stop, " 12"},
        {"set switches", StartB + "ab" + CodeC + "1234" + CodeA + "X",
         StartB + "ab" + CodeC + V({12, 34}) + CodeA + "X" + Stop, "ab1234X"},
        {"a held digit follows a switch", StartC + "1" + CodeB + "x", StartC + CodeB + "1x" + Stop, "1x"},
        {"CODE B in set B is FNC4", StartB + CodeB + "a", StartB + CodeB + "a" + Stop, " a"},
        {"CODE A in set A is FNC4", StartA + CodeA + "A", StartA + CodeA + "A" + Stop, " A"},
        // In set C the symbol of CODE C is the pair 99: it would hide data, so it encodes nothing.
        {"CODE C in set C", StartC + CodeC + "12", StartC + V({12}) + Stop, "12"},
        {"CODE C between the digits of a pair", StartC + "1" + CodeC + "2", StartC + V({12}) + Stop, "12"},
        {"CODE C with no set", CodeC + "A", CodeC + "A" + Stop, "  "},
        {"lower case in set A", StartA + "Ab", StartA + "Ab" + Stop, "A "},
        {"set A shows up to _", StartA + "_`", StartA + "_`" + Stop, "_ "},
        {"set B shows up to ~", StartB + "~\x7f", StartB + "~\x7f" + Stop, "~ "},
        {"#255 ends the text", StartB + "12\xff" + "34", StartB + "12" + Stop, "12"},
        {"no start character", "AB", "AB" + Stop, "  "},
        {"empty", StartB, StartB + Stop, ""},
    };
    for (const ConversionCase& Case : Cases) {
        EXPECT_EQ(ConvertCode128Text(Case.Text, false), Case.Code) << Case.Name;
        EXPECT_EQ(ConvertCode128Text(Case.Text, true), Case.Display) << Case.Name;
    }
}

TEST(AddCode128CheckChar, WeighsEachSymbolByItsPosition)
{
    // START B (104) + A (33) x 1 + B (34) x 2 + C (35) x 3 = 310 = 3 x 103 + 1.
    std::string Text = StartB + "ABC" + Stop;
    AddCode128CheckChar(Text);
    EXPECT_EQ(Text, StartB + "ABC" + V({1}) + Stop);

    // 12345 in set C: 105 + 12 + 34 x 2 + 101 x 3 + 21 x 4 = 572 = 5 x 103 + 57.
    EXPECT_EQ(TLLBarcode::CompleteText("12345", CODE128_C), StartC + V({12, 34}) + CodeA + "5" + V({57}) + Stop);
}

TEST(Code128, RefusedTexts)
{
    const std::pair<btCodeTypes, std::string> Cases[] = {
        {CODE128_A, "AB\rC"},                 // control characters have no symbol character
        {CODE128_B, "caf\xE9"},               // nor accented letters
        {CODE128_B, std::string("\x1f")},
        {CODE128_B, "AB\x8b"},                // #139, past STOP
        {CODE128_B, "AB" + Stop + "CD"},      // a STOP would end the symbol there
        {CODE128_A, "AB" + Stop},
        {CODE128_B, "AB" + StartA + "CD"},    // a start character inside the data reads as nothing
        {CODE128_C, "12" + StartB + "AB"},
        {CODE128_C, "12ab"},                  // set C holds digit pairs only
        {CODE128_C, "a"},
        {CODE128_C, "1" + FNC1},              // FNC1 is no second digit of a pair
        {CODE128_C, "1" + Stop},              // nor is #138
    };
    for (const auto& [Type, Text] : Cases) {
        TLLBarcode B;
        B.Params().CodeType = Type;
        B.Params().SetText(Text);
        try {
            B.MakeModules();
            ADD_FAILURE() << "accepted: " << Text;
        } catch (const EOverflow& E) {
            EXPECT_EQ(E.Message(), "BarcoLL: Code128 error") << Text;
        }
        EXPECT_EQ(B.ModuleCount(), 0);
    }
}

struct ReadCase {
    btCodeTypes Type;
    std::string Text;
    std::string Read; // what a reader passes on
};

TEST(Code128, SymbolsReadBack)
{
    const ReadCase Cases[] = {
        {CODE128_B, "Tessiv 2024!", "Tessiv 2024!"},
        {CODE128_B, "", ""},
        {CODE128_C, "12345", "12345"},
        {CODE128_C, "0000", "0000"},
        {CODE128_A, "ABC", "ABC"},
        {CODE128_A, "a", "\x01"},                 // set A values 64 to 95: control characters
        {CODE128_A, "`\x7f", std::string("\x00\x1f", 2)},
        {CODE128_B, "x" + FNC1 + "y", "x{F1}y"},
        {CODE128_C, FNC1 + "0112345678901231", "{F1}0112345678901231"},
        {CODE128_B, "AB" + C(code128::Shift) + "a", "AB\x01"}, // SHIFT reads the next one in set A
        {CODE128_B, "A" + CodeB + "B", "A{F4}B"},
        {CODE128_A, "A" + CodeB + "b" + CodeC + "99" + CodeA + "Z", "Ab99Z"},
        // 'ƒ' is #131, CODE C: in set C it adds nothing a reader would see.
        {CODE128_C, "12" + CodeC + "34", "1234"},
        {CODE128_C, CodeC + CodeC, ""},
    };
    for (const ReadCase& Case : Cases) {
        TLLBarcode B;
        B.Params().CodeType = Case.Type;
        B.Params().SetText(Case.Text);
        B.MakeModules();
        EXPECT_EQ(B.ModuleCount(), 11 * static_cast<int>(B.Prepared().size()) + 2);
        const code128dec::Result R = code128dec::Decode(ModuleString(B));
        ASSERT_TRUE(R.Ok) << R.Error << " for " << Case.Text;
        EXPECT_EQ(R.Text, Case.Read) << btCodeTypesNames[Case.Type] << " " << Case.Text;
        EXPECT_EQ(R.Values.front(), Case.Type == CODE128_A ? 103 : Case.Type == CODE128_B ? 104 : 105);
    }
}

// Texts built of segments in the three sets, joined by set characters: a reader gets back the
// segments, and the display text shows them.
TEST(Code128, GeneratedTextsReadBack)
{
    std::mt19937 Rng(12801);
    const auto Pick = [&](int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(Rng); };
    for (int N = 0; N < 400; ++N) {
        int Set = Pick(0, 2); // 0 A, 1 B, 2 C
        const btCodeTypes Type = Set == 0 ? CODE128_A : Set == 1 ? CODE128_B : CODE128_C;
        std::string Text, Read, Display;
        for (int Segment = Pick(1, 4); Segment > 0; --Segment) {
            for (int Length = Pick(0, 10); Length > 0; --Length) {
                if (Set == 2) {
                    const char D = static_cast<char>('0' + Pick(0, 9));
                    Text += D;
                    Read += D;
                    Display += D;
                } else if (Set == 0) {
                    const char Ch = static_cast<char>(Pick(32, 127));
                    Text += Ch;
                    Read += Ch < 96 ? Ch : static_cast<char>(Ch - 96);
                    Display += Ch < 96 ? Ch : ' ';
                } else {
                    const char Ch = static_cast<char>(Pick(32, 126));
                    Text += Ch;
                    Read += Ch;
                    Display += Ch;
                }
            }
            const int Next = (Set + Pick(1, 2)) % 3;
            if (Segment > 1) {
                Text += Next == 0 ? CodeA : Next == 1 ? CodeB : CodeC;
                Set = Next;
            }
        }

        TLLBarcode B;
        B.Params().CodeType = Type;
        B.Params().SetText(Text);
        ASSERT_EQ(B.Params().Text(), Text);
        B.MakeModules();
        const code128dec::Result R = code128dec::Decode(ModuleString(B));
        ASSERT_TRUE(R.Ok) << R.Error << " for case " << N;
        EXPECT_EQ(R.Text, Read) << "case " << N;
        const std::string Start = Type == CODE128_A ? StartA : Type == CODE128_B ? StartB : StartC;
        EXPECT_EQ(ConvertCode128Text(Start + Text, true), Display) << "case " << N;
    }
}

// The test decoder itself, on symbols of the reference encoder.
TEST(Code128, DecoderReadsTheReferenceEncoder)
{
    if (!zintref::Available())
        GTEST_SKIP() << "zint is not on the PATH";
    const std::tuple<QStringList, std::string, std::string> Cases[] = {
        {{"--barcode=CODE128"}, "Hello World!", "Hello World!"},
        {{"--barcode=CODE128"}, "1234567890", "1234567890"},
        {{"--barcode=CODE128"}, "aB12345678x", "aB12345678x"},
        {{"--barcode=CODE128", "--esc"}, "\\x01\\x02ABC", "\x01\x02" "ABC"},
        {{"--barcode=CODE128", "--esc"}, "\\tabc\\x7f", "\tabc\x7f"},
        {{"--barcode=CODE128", "--esc"}, "\\x1f`_~{}|", "\x1f`_~{}|"},
        {{"--barcode=GS1_128"}, "[01]12345678901231", "{F1}0112345678901231"},
    };
    for (const auto& [Options, Data, Read] : Cases) {
        std::string Error;
        const auto Symbol = zintref::Dump(Options, Data, &Error);
        ASSERT_TRUE(Symbol.has_value()) << Data << ": " << Error;
        const code128dec::Result R = code128dec::Decode(zintref::TrimTrailingSpaces((*Symbol)[0]));
        ASSERT_TRUE(R.Ok) << R.Error << " for " << Data;
        EXPECT_EQ(R.Text, Read) << Data;
    }
}

} // namespace
