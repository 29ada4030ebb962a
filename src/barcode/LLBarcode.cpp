#include "barcode/LLBarcode.h"

#include "platform/core/Exceptions.h"

#include <stdexcept>

namespace tessiv {

namespace {

// EAN number sets A (L) and B (G); set C (R) is L with bars and spaces exchanged.
constexpr std::array<std::string_view, 10> EANSetL{"0001101", "0011001", "0010011", "0111101", "0100011",
                                                    "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<std::string_view, 10> EANSetG{"0100111", "0110011", "0011011", "0100001", "0011101",
                                                    "0111001", "0000101", "0010001", "0001001", "0010111"};

// Number sets of EAN-13 digits 2 to 7, by the first digit.
constexpr std::array<std::string_view, 10> EAN13Parity{"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                                        "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
// Number sets of the six UPC-E digits of number system 0, by the check digit.
constexpr std::array<std::string_view, 10> UPCEParity{"GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG", "GLGGLL",
                                                       "GLLGGL", "GLLLGG", "GLGLGL", "GLGLLG", "GLLGLG"};
// Number sets of the add-on digits: two digits by their value modulo 4, five by their checksum.
constexpr std::array<std::string_view, 4> Addon2Parity{"LL", "LG", "GL", "GG"};
constexpr std::array<std::string_view, 10> Addon5Parity{"GGLLL", "GLGLL", "GLLGL", "GLLLG", "LGGLL",
                                                         "LLGGL", "LLLGG", "LGLGL", "LGLLG", "LLGLG"};

// Interleaved 2 of 5: the five elements of each digit, '1' wide.
constexpr std::array<std::string_view, 10> Code25Patterns{"00110", "10001", "01001", "11000", "00101",
                                                           "10100", "01100", "00011", "10010", "01010"};

// Modules 96 to 104 separate an add-on from its EAN-13 or UPC-A symbol.
constexpr int AddonStart = 105;

int DigitOf(char C) { return C >= '0' && C <= '9' ? C - '0' : 0; }

[[noreturn]] void TooLong() { throw EOverflow(QStringLiteral("String exceeds maximum length")); }

[[noreturn]] void UnknownType() { throw EOverflow(QStringLiteral("Barcode: Unknown Type of Barcode")); }

} // namespace

TLLBarcode::TLLBarcode() : FParams(std::make_unique<TBarcodeParams>()) {}

TLLBarcode::~TLLBarcode() = default;

std::uint8_t TLLBarcode::Module(int Index) const
{
    if (Index < 1 || Index > ModuleCapacity)
        throw std::out_of_range("barcode module index out of range");
    return FModules[static_cast<std::size_t>(Index - 1)];
}

void TLLBarcode::Clear()
{
    FModules.fill(0);
    FModuleCount = 0;
    FPrepared.clear();
}

void TLLBarcode::MakeModules()
{
    Clear();
    const btCodeTypes CodeType = Params().CodeType;
    try {
        // A character the code page lacks is no symbol character either; as '?' it would be
        // encoded as something the text does not hold.
        if ((CodeType == CODE128_A || CodeType == CODE128_B || CodeType == CODE128_C) && !Params().TextInCodePage())
            throw EOverflow(QStringLiteral("BarcoLL: Code128 error"));
        FPrepared = CompleteText(Params().Text(), CodeType);
        switch (CodeType) {
        case EAN_8:
            EncodeEAN8();
            break;
        case EAN_13:
            EncodeEAN13();
            break;
        case UPC_A:
            EncodeUPCA();
            break;
        case UPC_E:
            EncodeUPCE();
            break;
        case CODE39:
            EncodeCode39();
            break;
        case CODE25i:
        case CODE25iP:
            Encode2of5();
            break;
        case CODE128_A:
        case CODE128_B:
        case CODE128_C:
            EncodeCode128();
            break;
        case MSI_Plessey:
            EncodeMSI();
            break;
        case Codabar:
            EncodeCodabar();
            break;
        case Postnet:
            EncodePostnet();
            break;
        case Postnet_FIM:
            EncodeFIM();
            break;
        default:
            UnknownType();
        }
        if (CodeType == EAN_13 || CodeType == UPC_A) {
            switch (Params().Addon().size()) {
            case 0:
                break;
            case 2:
                EncodeAddon2();
                break;
            case 5:
                EncodeAddon5();
                break;
            default:
                throw EOverflow(QStringLiteral("BarLL: Wrong Addoncode"));
            }
        }
    } catch (...) {
        Clear();
        throw;
    }
}

std::string TLLBarcode::CompleteText(std::string_view Text, btCodeTypes CodeType)
{
    if (CodeType > Postnet_FIM)
        UnknownType();

    std::string Out = TransfervalidChars(Text, CodeType);
    const auto Fit = [&Out](std::size_t Length) { Out.resize(Length, '0'); };
    switch (CodeType) {
    case EAN_8:
        Fit(7);
        AddCheckDigit(Out, CodeType);
        break;
    case EAN_13:
        Fit(12);
        AddCheckDigit(Out, CodeType);
        break;
    case UPC_A:
        Fit(11);
        AddCheckDigit(Out, CodeType);
        break;
    case UPC_E:
        Fit(6);
        AddCheckDigit(Out, CodeType);
        break;
    case CODE25i:
    case CODE25iP:
        // Digits go in pairs: an odd count is made even by the check digit.
        if (Out.size() % 2 != 0)
            AddCheckDigit(Out, CodeType);
        break;
    case CODE128_A:
    case CODE128_B:
    case CODE128_C:
        AddCode128CheckChar(Out);
        break;
    case MSI_Plessey:
        AddMSIProofchar(Out, CodeType);
        break;
    case Postnet:
        // The ZIP, ZIP+4 and delivery-point forms.
        Fit(Out.size() >= 11 ? 11 : Out.size() >= 9 ? 9 : 5);
        AddCheckDigit(Out, CodeType);
        break;
    default: // CODE39, Codabar, Postnet_FIM
        break;
    }
    return Out;
}

void TLLBarcode::PutModules(std::string_view Bits)
{
    if (FModuleCount + static_cast<int>(Bits.size()) > ModuleCapacity)
        TooLong();
    for (const char B : Bits)
        FModules[static_cast<std::size_t>(FModuleCount++)] = B == '1' ? 1 : 0;
}

void TLLBarcode::PutElements()
{
    int Total = 0;
    for (const char W : FElements)
        Total += W - '0';
    if (FModuleCount + Total > ModuleCapacity)
        TooLong();
    std::uint8_t Bar = 1;
    for (const char W : FElements) {
        for (int I = 0; I < W - '0'; ++I)
            FModules[static_cast<std::size_t>(FModuleCount++)] = Bar;
        Bar ^= 1;
    }
}

char TLLBarcode::WideElement() const { return Params().Ratio == Ratio_2 ? '2' : '3'; }

void TLLBarcode::PutEANDigit(char Digit, char Set)
{
    const std::string_view L = EANSetL[static_cast<std::size_t>(DigitOf(Digit))];
    if (Set == 'L') {
        PutModules(L);
    } else if (Set == 'G') {
        PutModules(EANSetG[static_cast<std::size_t>(DigitOf(Digit))]);
    } else {
        char R[7];
        for (std::size_t I = 0; I < 7; ++I)
            R[I] = L[I] == '1' ? '0' : '1';
        PutModules(std::string_view(R, 7));
    }
}

void TLLBarcode::EncodeEAN8()
{
    PutModules("101");
    for (std::size_t I = 0; I < 4; ++I)
        PutEANDigit(FPrepared[I], 'L');
    PutModules("01010");
    for (std::size_t I = 4; I < 8; ++I)
        PutEANDigit(FPrepared[I], 'R');
    PutModules("101");
}

void TLLBarcode::EncodeEAN13()
{
    // The first digit is not drawn as bars: it selects the number sets of the next six.
    const std::string_view Parity = EAN13Parity[static_cast<std::size_t>(DigitOf(FPrepared[0]))];
    PutModules("101");
    for (std::size_t I = 1; I < 7; ++I)
        PutEANDigit(FPrepared[I], Parity[I - 1]);
    PutModules("01010");
    for (std::size_t I = 7; I < 13; ++I)
        PutEANDigit(FPrepared[I], 'R');
    PutModules("101");
}

void TLLBarcode::EncodeUPCA()
{
    PutModules("101");
    for (std::size_t I = 0; I < 6; ++I)
        PutEANDigit(FPrepared[I], 'L');
    PutModules("01010");
    for (std::size_t I = 6; I < 12; ++I)
        PutEANDigit(FPrepared[I], 'R');
    PutModules("101");
}

void TLLBarcode::EncodeUPCE()
{
    // The check digit is not drawn as bars: it selects the number sets of the six digits.
    const std::string_view Parity = UPCEParity[static_cast<std::size_t>(DigitOf(FPrepared[6]))];
    PutModules("101");
    for (std::size_t I = 0; I < 6; ++I)
        PutEANDigit(FPrepared[I], Parity[I]);
    PutModules("010101");
}

void TLLBarcode::EncodeCode39()
{
    const char Wide = WideElement();
    FElements.clear();
    for (const char C : FPrepared) {
        const int Index = BarCode39.IndexOf(C);
        for (const char E : BarCode39.Pattern(Index < 0 ? 0 : Index))
            FElements += E == '1' ? Wide : '1';
        FElements += '1'; // gap between characters
    }
    PutElements();
}

void TLLBarcode::Encode2of5()
{
    const char Wide = WideElement();
    FElements = "1111";
    for (std::size_t I = 0; I + 1 < FPrepared.size(); I += 2) {
        // The first digit of a pair is told by the bars, the second by the spaces between them.
        const std::string_view Bars = Code25Patterns[static_cast<std::size_t>(DigitOf(FPrepared[I]))];
        const std::string_view Spaces = Code25Patterns[static_cast<std::size_t>(DigitOf(FPrepared[I + 1]))];
        for (std::size_t K = 0; K < 5; ++K) {
            FElements += Bars[K] == '1' ? Wide : '1';
            FElements += Spaces[K] == '1' ? Wide : '1';
        }
    }
    FElements += Wide;
    FElements += "11";
    PutElements();
}

void TLLBarcode::EncodeCode128()
{
    for (const char C : FPrepared)
        PutModules(BarCode128.Pattern(BarCode128.ValueOf(C)));
    PutModules("11"); // the end of the STOP pattern
}

void TLLBarcode::EncodeMSI()
{
    std::string Bits = "1";
    for (const char C : FPrepared) {
        const int D = DigitOf(C);
        for (int Bit = 3; Bit >= 0; --Bit)
            Bits += (D >> Bit) & 1 ? '1' : '0';
    }
    Bits += "00";
    // Dropping bits would leave a symbol no reader accepts.
    if (Bits.size() > static_cast<std::size_t>(MSIBitCapacity))
        TooLong();

    const char Wide = WideElement();
    FElements.clear();
    for (const char B : Bits) {
        FElements += B == '1' ? Wide : '1';
        FElements += B == '1' ? '1' : Wide;
    }
    PutElements();
}

void TLLBarcode::EncodeCodabar()
{
    const char Wide = WideElement();
    FElements.clear();
    for (const char C : FPrepared) {
        const int Index = BarCodabar.IndexOf(C);
        for (const char E : BarCodabar.Pattern(Index < 0 ? 0 : Index))
            FElements += E == '1' ? Wide : '1';
        FElements += '1'; // gap between characters
    }
    PutElements();
}

void TLLBarcode::EncodePostnet()
{
    PutModules("1");
    for (const char C : FPrepared)
        PutModules(BarPostnet.Pattern(DigitOf(C)));
    PutModules("1");
}

void TLLBarcode::EncodeFIM()
{
    const char First = FPrepared.empty() ? '\0' : FPrepared[0];
    if (First == 'A' || First == 'a') {
        PutModules(TBarPostnet::FIMA);
        FPrepared = "FIM-A";
    } else if (First == 'B' || First == 'b') {
        PutModules(TBarPostnet::FIMB);
        FPrepared = "FIM-B";
    } else {
        PutModules(TBarPostnet::FIMC);
        FPrepared = "FIM-C";
    }
}

void TLLBarcode::EncodeAddon2()
{
    const std::string& Addon = Params().Addon();
    const int Value = 10 * DigitOf(Addon[0]) + DigitOf(Addon[1]);
    const std::string_view Parity = Addon2Parity[static_cast<std::size_t>(Value % 4)];
    FModuleCount = AddonStart - 1;
    PutModules("1011");
    PutEANDigit(Addon[0], Parity[0]);
    PutModules("01");
    PutEANDigit(Addon[1], Parity[1]);
    PutModules("0");
}

void TLLBarcode::EncodeAddon5()
{
    const std::string& Addon = Params().Addon();
    int D[5];
    for (std::size_t I = 0; I < 5; ++I)
        D[I] = DigitOf(Addon[I]);
    const int Checksum = (3 * (D[0] + D[2] + D[4]) + 9 * (D[1] + D[3])) % 10;
    const std::string_view Parity = Addon5Parity[static_cast<std::size_t>(Checksum)];
    FModuleCount = AddonStart - 1;
    PutModules("1011");
    for (std::size_t I = 0; I < 5; ++I) {
        if (I > 0)
            PutModules("01");
        PutEANDigit(Addon[I], Parity[I]);
    }
    PutModules("0");
}

} // namespace tessiv
