#include "barcode/BarcodeText.h"

#include "barcode/BarcodeTables.h"
#include "platform/core/Exceptions.h"

namespace tessiv {

namespace {

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

int DigitValue(char C) { return IsDigit(C) ? C - '0' : 0; }

char AsciiUpper(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }

bool IsCodabarStartStop(char C) { return C >= 'A' && C <= 'D'; }

[[noreturn]] void Code128Error() { throw EOverflow(QStringLiteral("BarcoLL: Code128 error")); }

// A character the symbology has no symbol for: the text is refused. Put in as another character,
// or left out, it would make a valid code of something nobody typed.
[[noreturn]] void InvalidCharacter(btCodeTypes CodeType)
{
    const char* Name = "Code128";
    switch (CodeType) {
    case EAN_8: Name = "EAN8"; break;
    case EAN_13: Name = "EAN13"; break;
    case UPC_A: Name = "UPCA"; break;
    case UPC_E: Name = "UPCE"; break;
    case CODE39: Name = "Code39"; break;
    case CODE25i:
    case CODE25iP: Name = "Code25"; break;
    case MSI_Plessey: Name = "MSI"; break;
    case Codabar: Name = "Codabar"; break;
    case Postnet: Name = "Postnet"; break;
    default: break;
    }
    throw EOverflow(QStringLiteral("BarcoLL: %1 error").arg(QLatin1String(Name)));
}

char Ch(unsigned char Code) { return static_cast<char>(Code); }

} // namespace

std::string TransfervalidChars(std::string_view Text, btCodeTypes CodeType)
{
    std::string Out;
    Out.reserve(Text.size() + 2);
    switch (CodeType) {
    case CODE39:
        Out += '*';
        for (const char C : Text) {
            // Letters are the same in either case; a '*' inside the data would read as the stop
            // character.
            const char U = AsciiUpper(C);
            if (U == '*' || BarCode39.IndexOf(U) < 0)
                InvalidCharacter(CodeType);
            Out += U;
        }
        Out += '*';
        return Out;
    case CODE128_A:
    case CODE128_B:
    case CODE128_C: {
        const unsigned char Start = CodeType == CODE128_A   ? code128::StartA
                                    : CodeType == CODE128_B ? code128::StartB
                                                            : code128::StartC;
        std::string WithStart(1, Ch(Start));
        WithStart += Text;
        return ConvertCode128Text(WithStart, false);
    }
    case Codabar:
        return FilterCodabarText(Text);
    case Postnet_FIM:
        // The text only chooses the mark: any text chooses one.
        for (const char C : Text)
            Out += std::string_view("ABCabc").find(C) != std::string_view::npos ? C : '0';
        return Out;
    default:
        for (const char C : Text) {
            if (!IsDigit(C))
                InvalidCharacter(CodeType);
            Out += C;
        }
        return Out;
    }
}

std::string FilterCodabarText(std::string_view Text)
{
    std::string Upper(Text);
    for (char& C : Upper)
        C = AsciiUpper(C);

    // Every character has a symbol, and the letters A to D stand only first or last, where they
    // are the start and stop characters.
    for (std::size_t I = 0; I < Upper.size(); ++I)
        if (BarCodabar.IndexOf(Upper[I]) < 0 || (IsCodabarStartStop(Upper[I]) && I > 0 && I + 1 < Upper.size()))
            InvalidCharacter(Codabar);
    std::string Out;
    if (!Upper.empty() && !IsCodabarStartStop(Upper.front()))
        Out += 'A';
    Out += Upper;
    if (!Upper.empty() && !IsCodabarStartStop(Upper.back()))
        Out += 'A';
    while (Out.size() < 2)
        Out += 'A';

    // Start, stop and 50 data characters is what a symbol holds.
    if (Out.size() > TBarcodeParams::MaxTextLength)
        throw EOverflow(QStringLiteral("String exceeds maximum length"));
    return Out;
}

std::string ConvertCode128Text(std::string_view Text, bool DisplayMode)
{
    enum class TSet { None, A, B, C };
    TSet Set = TSet::None;
    char Held = 0; // the first digit of a set C pair, 0 when none is held

    std::string Out;
    const auto Emit = [&](char C) {
        if (!DisplayMode)
            Out += C;
    };
    const auto Show = [&](char C) {
        if (DisplayMode)
            Out += C;
    };
    const auto ReleaseHeld = [&] {
        if (Held != 0) {
            Out += Held; // a digit is the same character in sets A and B
            Held = 0;
        }
    };

    for (const char C : Text) {
        const auto Code = static_cast<unsigned char>(C);
        if (Code == code128::EndMark)
            break;
        if (Code == code128::StartA || Code == code128::StartB || Code == code128::StartC) {
            Set = Code == code128::StartA ? TSet::A : Code == code128::StartB ? TSet::B : TSet::C;
            Emit(C);
        } else if (Code == code128::CodeC) {
            if (Set == TSet::A || Set == TSet::B) {
                Emit(C);
                Set = TSet::C;
            } else if (Set == TSet::None) {
                Emit(C);
                Show(' ');
            }
            // In set C the symbol of CODE C is the digit pair 99: written there it would be data
            // that nobody typed and the text does not show, so it stands for nothing.
        } else if (Code == code128::CodeB) {
            Emit(C);
            if (Set == TSet::A || Set == TSet::C) {
                Set = TSet::B;
                ReleaseHeld();
            } else {
                Show(' ');
            }
        } else if (Code == code128::CodeA) {
            Emit(C);
            if (Set == TSet::B || Set == TSet::C) {
                Set = TSet::A;
                ReleaseHeld();
            } else {
                Show(' ');
            }
        } else if (Set == TSet::C) {
            if (Held == 0 && Code == code128::FNC1) {
                Emit(C);
                Show(' ');
            } else if (!IsDigit(C)) {
                // Set C holds digit pairs only: anything else would go in as a 0.
                Code128Error();
            } else if (Held == 0) {
                Held = C;
            } else {
                Emit(Ch(static_cast<unsigned char>(32 + 10 * DigitValue(Held) + DigitValue(C))));
                Show(Held);
                Show(C);
                Held = 0;
            }
        } else if (Set == TSet::A) {
            Emit(C);
            Show(Code <= 95 ? C : ' ');
        } else if (Set == TSet::B) {
            Emit(C);
            Show(Code <= 126 ? C : ' ');
        } else {
            Emit(C);
            Show(' ');
        }
    }

    if (Set == TSet::C && Held != 0) {
        // A last odd digit goes out in set A.
        Emit(Ch(code128::CodeA));
        Out += Held;
    }
    Emit(Ch(code128::Stop));
    return Out;
}

void AddCode128CheckChar(std::string& Text)
{
    const std::size_t N = Text.size();
    if (N < 2)
        Code128Error();

    int Sum = 0;
    for (std::size_t I = 0; I < N; ++I) {
        const int Value = BarCode128.ValueOf(Text[I]);
        if (Value < 0)
            Code128Error();
        // A start or stop symbol anywhere else would end the symbol for a reader.
        const bool IsStart = Value >= TBarCode128::StartAValue && Value < TBarCode128::StopValue;
        const bool IsStop = Value == TBarCode128::StopValue;
        if (I == 0 ? !IsStart : I == N - 1 ? !IsStop : IsStart || IsStop)
            Code128Error();
        if (I == 0)
            Sum = Value;
        else if (I < N - 1)
            Sum = (Sum + Value * static_cast<int>(I)) % 103;
    }
    Text.insert(N - 1, 1, BarCode128.CharOf(Sum % 103));
}

void AddCheckDigit(std::string& Text, btCodeTypes CodeType)
{
    // Each symbology weighs its digits from the left with an alternating pair of weights; the
    // interleaved 2 of 5 texts may run past the fifty weights of their tables, and go on alternating.
    std::string_view Weights;
    switch (CodeType) {
    case EAN_8:
    case UPC_A:
    case UPC_E:
    case CODE25i:
        Weights = "31";
        break;
    case EAN_13:
        Weights = "13";
        break;
    case CODE25iP:
        Weights = "49";
        break;
    case Postnet:
        Weights = "11";
        break;
    default:
        return;
    }

    const std::string Digits = CodeType == UPC_E ? ExpandUPCE(Text) : Text;
    int Sum = 0;
    for (std::size_t I = 0; I < Digits.size(); ++I)
        Sum = (Sum + DigitValue(Digits[I]) * DigitValue(Weights[I % 2])) % 10;
    Text += static_cast<char>('0' + (10 - Sum) % 10);
}

void AddMSIProofchar(std::string& Text, btCodeTypes /*CodeType*/)
{
    // The rule doubles the number formed by every other digit from the right and adds the digits of
    // the product. Doubling digit by digit gives the same digit sum, because a carry out of 2 x d + 1
    // never causes another carry, and it works for texts of any length.
    int Sum = 0;
    bool Doubled = true;
    for (auto It = Text.rbegin(); It != Text.rend(); ++It) {
        const int D = DigitValue(*It);
        Sum += Doubled ? (D < 5 ? 2 * D : 2 * D - 9) : D;
        Doubled = !Doubled;
    }
    Text += static_cast<char>('0' + (10 - Sum % 10) % 10);
}

std::string ExpandUPCE(std::string_view Text)
{
    std::string D(Text.substr(0, 6));
    D.resize(6, '0');
    const std::string_view X(D);
    std::string Number = "0";
    switch (D[5]) {
    case '0':
    case '1':
    case '2':
        Number += X.substr(0, 2);
        Number += D[5];
        Number += "0000";
        Number += X.substr(2, 3);
        break;
    case '3':
        Number += X.substr(0, 3);
        Number += "00000";
        Number += X.substr(3, 2);
        break;
    case '4':
        Number += X.substr(0, 4);
        Number += "00000";
        Number += X[4];
        break;
    default:
        Number += X.substr(0, 5);
        Number += "0000";
        Number += IsDigit(D[5]) ? D[5] : '0';
        break;
    }
    return Number;
}

} // namespace tessiv
