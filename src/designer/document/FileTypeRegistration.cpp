#include "designer/document/FileTypeRegistration.h"

#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace tessiv {

const QString ReportMimeType = QStringLiteral("application/x-kelvora-relatorio");

namespace {

QString XdgDir(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? QDir::home().filePath(fallback) : value;
}

// A freedesktop key file (UTF-8, "[Group]" and "Key=Value" lines) edited line by line, so that
// comments, order and every other entry stay as the user wrote them.
class TKeyFile {
public:
    explicit TKeyFile(QString fileName) : FFileName(std::move(fileName))
    {
        QFile f(FFileName);
        if (!f.open(QIODevice::ReadOnly))
            return;
        FExists = true;
        FLines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    }
    bool Exists() const { return FExists; }

    // The line of the key in the group, or -1.
    int Find(const QString& group, const QString& key) const
    {
        bool inGroup = false;
        for (int i = 0; i < FLines.size(); ++i) {
            const QString line = FLines[i].trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
                continue;
            }
            if (!inGroup || line.startsWith(QLatin1Char('#')))
                continue;
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq > 0 && line.left(eq).trimmed() == key)
                return i;
        }
        return -1;
    }
    // True when the key was there with a blank value and now holds the value.
    bool FillIfBlank(const QString& group, const QString& key, const QString& value)
    {
        const int i = Find(group, key);
        if (i < 0)
            return false;
        const QString line = FLines[i];
        if (!line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed().isEmpty())
            return false;
        FLines[i] = key + QLatin1Char('=') + value;
        Save();
        return true;
    }

private:
    void Save()
    {
        QSaveFile f(FFileName);
        if (!f.open(QIODevice::WriteOnly) || f.write(FLines.join(QLatin1Char('\n')).toUtf8()) < 0 || !f.commit())
            throw EInOutError(QStringLiteral("Unable to write to %1").arg(FFileName));
    }

    QString FFileName;
    QStringList FLines;
    bool FExists = false;
};

// An Exec argument: quoted when it holds characters the desktop entry rules reserve.
QString ExecArgument(const QString& s)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (QChar c : s)
        quote = quote || reserved.contains(c);
    if (!quote)
        return s;
    QString escaped = s;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\\\""));
    escaped.replace(QLatin1Char('`'), QStringLiteral("\\\\`"));
    escaped.replace(QLatin1Char('$'), QStringLiteral("\\\\$"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

void RegisterReportFileType(const QString& programFile)
{
    TKeyFile mimeApps(QDir(XdgDir("XDG_CONFIG_HOME", QStringLiteral(".config"))).filePath(QStringLiteral("mimeapps.list")));
    if (mimeApps.Exists())
        mimeApps.FillIfBlank(QStringLiteral("Default Applications"), ReportMimeType,
                             QStringLiteral("KelvoraRelatorio.desktop"));

    TKeyFile entry(QDir(XdgDir("XDG_DATA_HOME", QStringLiteral(".local/share")))
                       .filePath(QStringLiteral("applications/KelvoraRelatorio.desktop")));
    if (!entry.Exists())
        return;
    if (entry.FillIfBlank(QStringLiteral("Desktop Entry"), QStringLiteral("Name"),
                          QStringLiteral("Relatório Kelvora"))) {
        entry.FillIfBlank(QStringLiteral("Desktop Entry"), QStringLiteral("Exec"),
                          ExecArgument(programFile) + QStringLiteral(" %f"));
        // A key file's value keeps a backslash only escaped.
        QString icon = ProgramIconFile(programFile);
        icon.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        entry.FillIfBlank(QStringLiteral("Desktop Entry"), QStringLiteral("Icon"), icon);
    }
}

QString ProgramIconFile(const QString& programFile)
{
    return QFileInfo(programFile).absoluteDir().filePath(QStringLiteral("Tessiv.svg"));
}

} // namespace tessiv
