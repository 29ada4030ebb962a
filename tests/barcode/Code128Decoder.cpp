#include "Code128Decoder.h"

#include <array>
#include <map>

namespace code128dec {

namespace {

// Bar and space widths of values 0 to 105, bar first.
constexpr std::array<const char*, 106> Widths{
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr const char* StopWidths = "2331112";

Result Fail(Result R, std::string Why)
{
    R.Ok = false;
    R.Error = std::move(Why);
    return R;
}

} // namespace

Result Decode(const std::string& Modules)
{
    Result R;
    std::string Runs;
    for (std::size_t I = 0; I < Modules.size();) {
        std::size_t J = I;
        while (J < Modules.size() && Modules[J] == Modules[I])
            ++J;
        if (J - I > 4)
            return Fail(R, "element wider than 4 modules");
        Runs += static_cast<char>('0' + (J - I));
        I = J;
    }
    if (Modules.empty() || Modules[0] != '1')
        return Fail(R, "does not start with a bar");
    if (Runs.size() < 7 || (Runs.size() - 7) % 6 != 0)
        return Fail(R, "element count is not that of whole symbols and a stop");
    if (Runs.substr(Runs.size() - 7) != StopWidths)
        return Fail(R, "no stop pattern at the end");

    std::map<std::string, int> ByWidths;
    for (int V = 0; V < 106; ++V)
        ByWidths[Widths[static_cast<std::size_t>(V)]] = V;
    for (std::size_t I = 0; I + 7 < Runs.size(); I += 6) {
        const auto It = ByWidths.find(Runs.substr(I, 6));
        if (It == ByWidths.end())
            return Fail(R, "unknown symbol pattern " + Runs.substr(I, 6));
        R.Values.push_back(It->second);
    }
    R.Values.push_back(106);

    if (R.Values.size() < 3)
        return Fail(R, "no room for a check character");
    if (R.Values[0] < 103)
        return Fail(R, "no start character");
    int Sum = R.Values[0];
    const std::size_t CheckAt = R.Values.size() - 2;
    for (std::size_t I = 1; I < CheckAt; ++I)
        Sum += R.Values[I] * static_cast<int>(I);
    if (Sum % 103 != R.Values[CheckAt])
        return Fail(R, "check character does not match");

    enum { A, B, C } Set = R.Values[0] == 103 ? A : R.Values[0] == 104 ? B : C;
    bool Shifted = false;
    for (std::size_t I = 1; I < CheckAt; ++I) {
        const int V = R.Values[I];
        if (V >= 103)
            return Fail(R, "start or stop character inside the data");
        const auto Current = Shifted ? (Set == A ? B : A) : Set;
        Shifted = false;
        if (Current == C) {
            if (V < 100) {
                R.Text += static_cast<char>('0' + V / 10);
                R.Text += static_cast<char>('0' + V % 10);
            } else if (V == 100) {
                Set = B;
            } else if (V == 101) {
                Set = A;
            } else {
                R.Text += "{F1}";
            }
            continue;
        }
        if (V < 64 || (Current == B && V < 96)) {
            R.Text += static_cast<char>(32 + V);
        } else if (V < 96) {
            R.Text += static_cast<char>(V - 64); // set A control characters
        } else if (V == 96) {
            R.Text += "{F3}";
        } else if (V == 97) {
            R.Text += "{F2}";
        } else if (V == 98) {
            Shifted = true;
        } else if (V == 99) {
            Set = C;
        } else if (V == 102) {
            R.Text += "{F1}";
        } else if ((V == 100 && Current == B) || (V == 101 && Current == A)) {
            R.Text += "{F4}";
        } else {
            Set = V == 100 ? B : A;
        }
    }
    R.Ok = true;
    return R;
}

} // namespace code128dec
