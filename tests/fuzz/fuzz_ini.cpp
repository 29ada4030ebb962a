// Settings files with Windows INI rules: sections, keys and values read in every type, then a
// value written and the file read again.
#include "FuzzTarget.h"

#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"

#include <QFile>

namespace {

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    fuzz::InitOnce();
    const QString path = fuzz::ScratchPath(QStringLiteral("seed.ini"));
    QFile::remove(path);
    {
        TIniFile ini(path);
        ini.WriteString(QStringLiteral("Geral"), QStringLiteral("Impressora"), QStringLiteral("PDF"));
        ini.WriteInteger(QStringLiteral("Geral"), QStringLiteral("Copias"), 3);
        ini.WriteBool(QStringLiteral("Geral"), QStringLiteral("Visualizar"), true);
        ini.WriteFloat(QStringLiteral("Margens"), QStringLiteral("Esquerda"), 12.5);
        ini.WriteDateTime(QStringLiteral("Margens"), QStringLiteral("Alterado"), 45000.5);
        ini.WriteString(QStringLiteral("Arquivos recentes"), QStringLiteral("1"), QStringLiteral("\"C:\\Relatórios\\vendas.kvr\""));
    }
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray written = f.readAll();
    return {written, written + "; comentário\r\ntexto sem igual\r\n[Vazio]\r\n"};
}

} // namespace

TESSIV_FUZZ_TARGET(ini, Seeds)
{
    using namespace tessiv;
    fuzz::InitOnce();
    const QString path = fuzz::ScratchPath(QStringLiteral("input.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        TIniFile ini(path);
        TStringList sections, keys;
        ini.ReadSections(&sections);
        for (int i = 0; i < sections.Count() && i < 64; ++i) {
            const QString section = sections[i];
            ini.ReadSection(section, &keys);
            TStringList values;
            ini.ReadSectionValues(section, &values);
            for (int k = 0; k < keys.Count() && k < 64; ++k) {
                ini.ReadString(section, keys[k], QString());
                ini.ReadInteger(section, keys[k], 0);
                ini.ReadBool(section, keys[k], false);
                ini.ReadFloat(section, keys[k], 0);
                ini.ReadDateTime(section, keys[k], 0);
            }
        }
        ini.WriteString(QStringLiteral("Fuzz"), QStringLiteral("Chave"), QStringLiteral("valor"));
        if (ini.ReadString(QStringLiteral("Fuzz"), QStringLiteral("Chave"), QString()) != QStringLiteral("valor"))
            fuzz::Broken("a value written cannot be read back");
    } catch (const Exception&) {
        return false;
    }
    return true;
}
