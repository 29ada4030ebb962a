#include "ZintReference.h"

#include "barcode/LLBarcode.h"

#include <QProcess>
#include <QStandardPaths>

#include <sstream>

namespace zintref {

bool Available()
{
    static const bool Found = !QStandardPaths::findExecutable(QStringLiteral("zint")).isEmpty();
    return Found;
}

namespace {

bool Run(const QStringList& Args, const QByteArray& Input, QByteArray& Out, std::string* Error)
{
    QProcess Process;
    Process.start(QStringLiteral("zint"), Args);
    if (!Process.waitForStarted()) {
        if (Error)
            *Error = "zint did not start";
        return false;
    }
    if (!Input.isEmpty())
        Process.write(Input);
    Process.closeWriteChannel();
    Process.waitForFinished(-1);
    Out = Process.readAllStandardOutput();
    const QByteArray Err = Process.readAllStandardError();
    if (Error)
        *Error = Err.toStdString();
    return Process.exitStatus() == QProcess::NormalExit && Process.exitCode() == 0;
}

std::vector<std::string> Lines(const QByteArray& Out)
{
    std::vector<std::string> Result;
    std::istringstream In(Out.toStdString());
    std::string Line;
    while (std::getline(In, Line))
        if (!Line.empty())
            Result.push_back(HexRowToModules(Line));
    return Result;
}

} // namespace

std::vector<std::vector<std::string>> DumpBatch(const QStringList& Options, const std::vector<std::string>& Data,
                                                int RowsPerSymbol, std::string* Error)
{
    QByteArray Input;
    for (const std::string& D : Data) {
        Input += QByteArray::fromStdString(D);
        Input += '\n';
    }
    QStringList Args = Options;
    Args << QStringLiteral("--dump") << QStringLiteral("--batch") << QStringLiteral("--input=-");
    QByteArray Out;
    std::string Err;
    const bool Ok = Run(Args, Input, Out, &Err);
    if (Error)
        *Error = Err;
    const std::vector<std::string> Rows = Lines(Out);
    if (!Ok || Rows.size() != Data.size() * static_cast<std::size_t>(RowsPerSymbol))
        return {};
    std::vector<std::vector<std::string>> Symbols;
    for (std::size_t I = 0; I < Rows.size(); I += static_cast<std::size_t>(RowsPerSymbol))
        Symbols.emplace_back(Rows.begin() + static_cast<std::ptrdiff_t>(I),
                             Rows.begin() + static_cast<std::ptrdiff_t>(I) + RowsPerSymbol);
    return Symbols;
}

std::optional<std::vector<std::string>> Dump(const QStringList& Options, const std::string& Data,
                                             std::string* Error)
{
    QStringList Args = Options;
    Args << QStringLiteral("--dump") << QStringLiteral("--data=") + QString::fromStdString(Data);
    QByteArray Out;
    if (!Run(Args, {}, Out, Error))
        return std::nullopt;
    return Lines(Out);
}

std::string HexRowToModules(const std::string& Line)
{
    std::string Modules;
    std::istringstream In(Line);
    std::string Group;
    while (In >> Group) {
        const int Value = std::stoi(Group, nullptr, 16);
        const int Bits = static_cast<int>(Group.size()) * 4;
        for (int B = Bits - 1; B >= 0; --B)
            Modules += (Value >> B) & 1 ? '1' : '0';
    }
    return Modules;
}

std::string TrimTrailingSpaces(std::string Modules)
{
    while (!Modules.empty() && Modules.back() == '0')
        Modules.pop_back();
    return Modules;
}

std::string Rescale(const std::string& Modules, int From, int To)
{
    std::string Result;
    for (std::size_t I = 0; I < Modules.size();) {
        std::size_t J = I;
        while (J < Modules.size() && Modules[J] == Modules[I])
            ++J;
        const int Run = static_cast<int>(J - I);
        Result.append(static_cast<std::size_t>(Run == From ? To : Run), Modules[I]);
        I = J;
    }
    return Result;
}

std::string ModuleString(const tessiv::TLLBarcode& Barcode)
{
    std::string S;
    for (const std::uint8_t M : Barcode.Modules())
        S += M ? '1' : '0';
    return S;
}

} // namespace zintref
