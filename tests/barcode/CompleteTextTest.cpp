// Filtering and completion: what text each symbology lays out for a given input, and the texts it
// refuses because it cannot hold one of their characters.

#include "barcode/LLBarcode.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace tessiv;

namespace {

struct CompletionCase {
    btCodeTypes Type;
    std::string Input;
    std::string Expected;
};

std::ostream& operator<<(std::ostream& Os, const CompletionCase& C)
{
    return Os << btCodeTypesNames[C.Type] << " \"" << C.Input << "\"";
}

class CompleteTextTest : public testing::TestWithParam<CompletionCase> {};

TEST_P(CompleteTextTest, GivesTheLaidOutText)
{
    const CompletionCase& C = GetParam();
    EXPECT_EQ(TLLBarcode::CompleteText(C.Input, C.Type), C.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Symbologies, CompleteTextTest,
    testing::Values(
        // EAN and UPC: cut or padded with '0' on the right, then the check digit.
        CompletionCase{EAN_8, "4711", "47110007"},
        CompletionCase{EAN_8, "9638507", "96385074"},
        CompletionCase{EAN_8, "96385074999", "96385074"},
        CompletionCase{EAN_13, "", "0000000000000"},
        CompletionCase{EAN_13, "123456789012", "1234567890128"},
        CompletionCase{EAN_13, "4006381333931", "4006381333931"},
        CompletionCase{UPC_A, "03600029145", "036000291452"},
        CompletionCase{UPC_A, "036000291459999", "036000291452"},
        CompletionCase{UPC_E, "123456", "1234565"},
        CompletionCase{UPC_E, "0", "0000000"},
        CompletionCase{UPC_E, "654321", "6543217"},
        // Code 39: upper-cased, between the '*' start and stop characters.
        CompletionCase{CODE39, "ab-1", "*AB-1*"},
        CompletionCase{CODE39, "", "**"},
        CompletionCase{CODE39, "x y.$/+%", "*X Y.$/+%*"},
        // Interleaved 2 of 5: a check digit only to make the count even.
        CompletionCase{CODE25i, "1234", "1234"},
        CompletionCase{CODE25i, "123", "1236"},
        CompletionCase{CODE25i, "", ""},
        CompletionCase{CODE25iP, "12345678901", "123456789016"},
        CompletionCase{CODE25iP, "1234567890123", "12345678901236"},
        CompletionCase{CODE25iP, "1234567890", "1234567890"},
        // MSI: the modulo-10 check digit for any length.
        CompletionCase{MSI_Plessey, "1234", "12344"},
        CompletionCase{MSI_Plessey, "80523", "805234"},
        CompletionCase{MSI_Plessey, "", "0"},
        // Codabar: start and stop letters, A when missing.
        CompletionCase{Codabar, "b45", "B45A"},
        CompletionCase{Codabar, "123", "A123A"},
        CompletionCase{Codabar, "", "AA"},
        CompletionCase{Codabar, "A", "AA"},
        CompletionCase{Codabar, "12b", "A12B"},
        CompletionCase{Codabar, "a-$:/.+d", "A-$:/.+D"},
        // Postnet: ZIP, ZIP+4 or delivery point, and the check digit.
        CompletionCase{Postnet, "12345678", "123455"},
        CompletionCase{Postnet, "1234567890", "1234567895"},
        CompletionCase{Postnet, "123456789", "1234567895"},
        CompletionCase{Postnet, "12345678901", "123456789014"},
        CompletionCase{Postnet, "123456789012345", "123456789014"},
        CompletionCase{Postnet, "123", "123004"},
        CompletionCase{Postnet, "", "000000"},
        // FIM: only the letters that choose a mark stay; any text chooses one.
        CompletionCase{Postnet_FIM, "xAb", "0Ab"},
        CompletionCase{Postnet_FIM, "cD", "c0"}));

TEST(CompleteText, RefusesACharacterItsSymbologyCannotHold)
{
    // Put in as '0', or left out, the character would make a valid code of another value.
    const std::tuple<btCodeTypes, std::string, const char*> Cases[] = {
        {EAN_8, "12-4", "BarcoLL: EAN8 error"},
        {EAN_13, "12a4", "BarcoLL: EAN13 error"},
        {EAN_13, "ABCDEFGHIJKLMNOP", "BarcoLL: EAN13 error"},
        {EAN_13, "1234 5678", "BarcoLL: EAN13 error"},
        {UPC_A, "0360002914x", "BarcoLL: UPCA error"},
        {UPC_E, "12345?", "BarcoLL: UPCE error"},
        // A '*' of the data would read as Code 39's stop character.
        {CODE39, "a#b", "BarcoLL: Code39 error"},
        {CODE39, "A*B", "BarcoLL: Code39 error"},
        {CODE39, "\xE9t\xE9", "BarcoLL: Code39 error"},
        {CODE25i, "12a", "BarcoLL: Code25 error"},
        {CODE25iP, "1.5", "BarcoLL: Code25 error"},
        {MSI_Plessey, "12x4", "BarcoLL: MSI error"},
        // Codabar's letters A to D are its start and stop characters only.
        {Codabar, "A1B2C", "BarcoLL: Codabar error"},
        {Codabar, "x", "BarcoLL: Codabar error"},
        {Codabar, "c12;", "BarcoLL: Codabar error"},
        {Codabar, "1 2 3", "BarcoLL: Codabar error"},
        {Postnet, "1234a", "BarcoLL: Postnet error"},
        // Set C holds digit pairs.
        {CODE128_C, "12ab", "BarcoLL: Code128 error"},
    };
    for (const auto& [Type, Text, Message] : Cases) {
        try {
            const std::string Out = TLLBarcode::CompleteText(Text, Type);
            ADD_FAILURE() << btCodeTypesNames[Type] << " \"" << Text << "\" gave " << Out;
        } catch (const EOverflow& E) {
            EXPECT_EQ(E.Message(), Message) << btCodeTypesNames[Type] << " \"" << Text << "\"";
        }
    }
}

TEST(CompleteText, RefusesACodeTypeOutsideTheEnumeration)
{
    try {
        TLLBarcode::CompleteText("123", static_cast<btCodeTypes>(14));
        FAIL() << "no exception";
    } catch (const EOverflow& E) {
        EXPECT_EQ(E.Message(), "Barcode: Unknown Type of Barcode");
    }
}

TEST(ExpandUPCE, FollowsTheZeroSuppressionOfEachLastDigit)
{
    const std::pair<const char*, const char*> Cases[] = {
        {"123450", "01200000345"}, {"123451", "01210000345"}, {"123452", "01220000345"},
        {"123453", "01230000045"}, {"123454", "01234000005"}, {"123455", "01234500005"},
        {"123456", "01234500006"}, {"123457", "01234500007"}, {"123458", "01234500008"},
        {"123459", "01234500009"}};
    for (const auto& [UPCE, UPCA] : Cases)
        EXPECT_EQ(ExpandUPCE(UPCE), UPCA) << UPCE;
}

TEST(AddMSIProofchar, HoldsForNumbersLongerThanAMachineWord)
{
    // 40 digits: the number formed by every other digit has 20 digits, past 64-bit integers.
    // Worked by hand: the odd-position digits (from the right) are twenty 9s, 2 x N = 1999...98
    // with digit sum 1 + 19 x 9 + 8 = 180; the even-position digits are twenty 1s: s = 200.
    std::string Text;
    for (int I = 0; I < 20; ++I)
        Text += "19";
    AddMSIProofchar(Text);
    EXPECT_EQ(Text.back(), '0');

    std::string Shifted = "1" + std::string(39, '0');
    AddMSIProofchar(Shifted); // one even-position 1: s = 1
    EXPECT_EQ(Shifted.back(), '9');
}

TEST(AddCheckDigit, LeavesTypesWithoutAModulo10DigitAlone)
{
    std::string Text = "ABC";
    AddCheckDigit(Text, CODE39);
    EXPECT_EQ(Text, "ABC");
}

TEST(FilterCodabarText, RefusesMoreThanASymbolHolds)
{
    // 50 data characters with their start and stop letters fill a symbol.
    const std::string Fifty(50, '7');
    EXPECT_EQ(FilterCodabarText(Fifty).size(), 52u);
    EXPECT_EQ(FilterCodabarText("B" + Fifty + "D"), "B" + Fifty + "D");
    try {
        FilterCodabarText(Fifty + "7");
        FAIL() << "no exception";
    } catch (const EOverflow& E) {
        EXPECT_EQ(E.Message(), "String exceeds maximum length");
    }
}

} // namespace
