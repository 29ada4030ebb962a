#include "platform/core/IniFiles.h"

#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <time.h>

namespace tessiv {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'));
}

QString TrimBlanks(const QString& s)
{
    qsizetype start = 0;
    qsizetype end = s.size();
    while (start < end && IsBlank(s[start]))
        ++start;
    while (end > start && IsBlank(s[end - 1]))
        --end;
    return s.mid(start, end - start);
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The value part of a key line as the profile functions return it.
QString ValueOf(const QString& raw)
{
    QString value = TrimBlanks(raw);
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

std::int64_t Nanoseconds(const struct timespec& t)
{
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::int64_t NowNs()
{
    struct timespec t {};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return Nanoseconds(t);
}

// File times advance in coarse steps, and a replaced file may get the inode number of the one
// before it: a file changed this shortly before it was read could change again without its stamp
// showing it, so it is read again until it is older than this.
constexpr std::int64_t kRacyNs = 2'000'000'000;

bool IsHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// Decimal or "0x" hexadecimal with an optional sign; digits past 32 bits wrap around.
bool ParseProfileInt(const QString& text, int& value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    int base = 10;
    if (i + 2 < n && text[i] == QLatin1Char('0') &&
        (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X')) &&
        IsHexDigit(text[i + 2])) {
        base = 16;
        i += 2;
    }
    std::uint32_t result = 0;
    qsizetype digits = 0;
    for (; i < n; ++i, ++digits) {
        const char16_t c = text[i].unicode();
        std::uint32_t d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        result = result * static_cast<std::uint32_t>(base) + d;
    }
    if (digits == 0)
        return false;
    if (negative)
        result = 0u - result;
    value = static_cast<std::int32_t>(result);
    return true;
}

} // namespace

TIniFile::TIniFile(const QString& fileName)
    : FFileName(fileName), FPath(QFileInfo(fileName).absoluteFilePath())
{
}

TIniFile::~TIniFile() = default;

// ---- the file -----------------------------------------------------------------------------

TIniFile::TLine TIniFile::ParseLine(const QString& text)
{
    TLine line;
    line.Text = text;
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('[')) {
        qsizetype close = text.indexOf(QLatin1Char(']'), i + 1);
        if (close < 0)
            close = text.size();
        line.Kind = TLineKind::Section;
        line.Name = TrimBlanks(text.mid(i + 1, close - i - 1));
    } else if (i < text.size() && text[i] == QLatin1Char(';')) {
        line.Kind = TLineKind::Other;
    } else if (const qsizetype eq = text.indexOf(QLatin1Char('=')); eq >= 0) {
        line.Kind = TLineKind::Key;
        line.Name = TrimBlanks(text.left(eq));
        line.ValueStart = eq + 1;
    }
    return line;
}

TIniFile::TFileStamp TIniFile::StampOf(const QString& path)
{
    TFileStamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.Exists = true;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.ModifiedNs = Nanoseconds(st.st_mtim);
    stamp.ChangedNs = Nanoseconds(st.st_ctim);
    return stamp;
}

void TIniFile::SetText(const QString& text) const
{
    FLines.clear();
    for (const QString& line : SplitLines(text))
        FLines.push_back(ParseLine(line));
}

void TIniFile::Refresh() const
{
    const TFileStamp stamp = StampOf(FPath);
    if (FLoaded && stamp == FStamp && (!stamp.Exists || stamp.ModifiedNs < FReadAtNs - kRacyNs))
        return;
    FReadAtNs = NowNs();
    FLoaded = true;
    FStamp = stamp;
    FUtf8 = false;
    FUnreadable = false;
    FLines.clear();
    if (!stamp.Exists)
        return;
    QFile file(FPath);
    if (!file.open(QIODevice::ReadOnly)) {
        FUnreadable = true;
        return;
    }
    // The stamp of what is actually read, in case the file was replaced since the check above.
    struct stat st {};
    if (::fstat(file.handle(), &st) == 0) {
        FStamp.Device = st.st_dev;
        FStamp.Inode = st.st_ino;
        FStamp.Size = st.st_size;
        FStamp.ModifiedNs = Nanoseconds(st.st_mtim);
        FStamp.ChangedNs = Nanoseconds(st.st_ctim);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        FUnreadable = true;
        return;
    }
    if (bytes.startsWith(kUtf8Bom)) {
        FUtf8 = true;
        SetText(QString::fromUtf8(bytes.constData() + kUtf8Bom.size(), bytes.size() - kUtf8Bom.size()));
    } else {
        SetText(FromCp1252(bytes));
    }
}

void TIniFile::CheckWritable() const
{
    // Replacing a file we could not read would lose what it holds.
    if (FUnreadable)
        throw EInOutError(QStringLiteral("Unable to write to %1").arg(FFileName));
}

std::vector<QString> TIniFile::LineTexts() const
{
    std::vector<QString> lines;
    lines.reserve(FLines.size());
    for (const TLine& line : FLines)
        lines.push_back(line.Text);
    return lines;
}

void TIniFile::Save(const std::vector<QString>& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    // Text the code page cannot hold (a file name in another script) is kept by writing UTF-8
    // with a byte order mark instead of turning it into question marks.
    bool lossless = true;
    QByteArray bytes;
    if (!FUtf8)
        bytes = ToCp1252(text, &lossless);
    const bool utf8 = FUtf8 || !lossless;
    if (utf8)
        bytes = kUtf8Bom + text.toUtf8();

    const QString folder = QFileInfo(FPath).absolutePath();
    QSaveFile file(FPath);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(QStringLiteral("Unable to write to %1").arg(FFileName));

    // What is kept is what a fresh read would give: a value with a line break in it has become
    // two lines on disk, and must be two lines here too.
    SetText(text);
    FUtf8 = utf8;
    FReadAtNs = NowNs();
    FStamp = StampOf(FPath);
    FLoaded = true;
}

// ---- finding things -----------------------------------------------------------------------

int TIniFile::FindSection(const QString& name) const
{
    for (int i = 0; i < static_cast<int>(FLines.size()); ++i)
        if (FLines[i].Kind == TLineKind::Section && SameName(FLines[i].Name, name))
            return i;
    return -1;
}

int TIniFile::SectionEnd(int header) const
{
    int i = header + 1;
    while (i < static_cast<int>(FLines.size()) && FLines[i].Kind != TLineKind::Section)
        ++i;
    return i;
}

int TIniFile::FindKey(int header, const QString& name) const
{
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (FLines[i].Kind == TLineKind::Key && SameName(FLines[i].Name, name))
            return i;
    return -1;
}

const TIniFile::TLine* TIniFile::FindValue(const QString& section, const QString& ident) const
{
    Refresh();
    const int header = FindSection(TrimBlanks(section));
    if (header < 0)
        return nullptr;
    const int key = FindKey(header, TrimBlanks(ident));
    return key < 0 ? nullptr : &FLines[key];
}

// ---- strings ------------------------------------------------------------------------------

QString TIniFile::ReadString(const QString& section, const QString& ident, const QString& defaultValue) const
{
    const TLine* line = FindValue(section, ident);
    return line ? ValueOf(line->Text.mid(line->ValueStart)) : defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value)
{
    Refresh();
    CheckWritable();
    const QString sectionName = TrimBlanks(section);
    const QString keyName = TrimBlanks(ident);
    std::vector<QString> lines = LineTexts();
    const int header = FindSection(sectionName);
    if (header < 0) {
        // A new section goes at the end, set off by a blank line.
        if (!lines.empty() && !TrimBlanks(lines.back()).isEmpty())
            lines.emplace_back();
        lines.push_back(QLatin1Char('[') + sectionName + QLatin1Char(']'));
        lines.push_back(keyName + QLatin1Char('=') + value);
    } else if (const int key = FindKey(header, keyName); key >= 0) {
        // The name keeps the spelling the file has.
        lines[key] = FLines[key].Name + QLatin1Char('=') + value;
    } else {
        // After the section's last line that is not blank, so the blank line that sets off the
        // next section stays where it is.
        int last = header;
        for (int i = header + 1; i < SectionEnd(header); ++i)
            if (!TrimBlanks(FLines[i].Text).isEmpty())
                last = i;
        lines.insert(lines.begin() + last + 1, keyName + QLatin1Char('=') + value);
    }
    if (lines == LineTexts() && FStamp.Exists)
        return;
    Save(lines);
}

// ---- numbers, truth values, dates ---------------------------------------------------------

int TIniFile::ReadInteger(const QString& section, const QString& ident, int defaultValue) const
{
    int value = defaultValue;
    return ParseProfileInt(ReadString(section, ident, QString()), value) ? value : defaultValue;
}

void TIniFile::WriteInteger(const QString& section, const QString& ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

bool TIniFile::ReadBool(const QString& section, const QString& ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString& section, const QString& ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TIniFile::ReadFloat(const QString& section, const QString& ident, double defaultValue) const
{
    const QString text = ReadString(section, ident, QString());
    long double value = 0;
    if (text.isEmpty() || !TryStrToFloat(text, value))
        return defaultValue;
    return static_cast<double>(value);
}

void TIniFile::WriteFloat(const QString& section, const QString& ident, double value)
{
    WriteString(section, ident, FloatToStr(value));
}

TDateTime TIniFile::ReadDate(const QString& section, const QString& ident, TDateTime defaultValue) const
{
    const QString text = ReadString(section, ident, QString());
    TDateTime value = 0;
    return !text.isEmpty() && TryStrToDate(text, value) ? value : defaultValue;
}

TDateTime TIniFile::ReadDateTime(const QString& section, const QString& ident, TDateTime defaultValue) const
{
    const QString text = ReadString(section, ident, QString());
    TDateTime value = 0;
    return !text.isEmpty() && TryStrToDateTime(text, value) ? value : defaultValue;
}

TDateTime TIniFile::ReadTime(const QString& section, const QString& ident, TDateTime defaultValue) const
{
    const QString text = ReadString(section, ident, QString());
    TDateTime value = 0;
    return !text.isEmpty() && TryStrToTime(text, value) ? value : defaultValue;
}

void TIniFile::WriteDate(const QString& section, const QString& ident, TDateTime value)
{
    WriteString(section, ident, DateToStr(value));
}

void TIniFile::WriteDateTime(const QString& section, const QString& ident, TDateTime value)
{
    WriteString(section, ident, DateTimeToStr(value));
}

void TIniFile::WriteTime(const QString& section, const QString& ident, TDateTime value)
{
    WriteString(section, ident, TimeToStr(value));
}

// ---- sections -----------------------------------------------------------------------------

void TIniFile::ReadSection(const QString& section, TStrings* strings) const
{
    if (!strings)
        return;
    Refresh();
    TUpdateScope update(*strings);
    strings->Clear();
    const int header = FindSection(TrimBlanks(section));
    if (header >= 0) {
        // A key that appears twice is listed once: reads only ever see its first line.
        const int end = SectionEnd(header);
        for (int i = header + 1; i < end; ++i)
            if (FLines[i].Kind == TLineKind::Key && FindKey(header, FLines[i].Name) == i)
                strings->Add(FLines[i].Name);
    }
}

void TIniFile::ReadSections(TStrings* strings) const
{
    if (!strings)
        return;
    Refresh();
    TUpdateScope update(*strings);
    strings->Clear();
    for (int i = 0; i < static_cast<int>(FLines.size()); ++i)
        if (FLines[i].Kind == TLineKind::Section && FindSection(FLines[i].Name) == i)
            strings->Add(FLines[i].Name);
}

void TIniFile::ReadSectionValues(const QString& section, TStrings* strings) const
{
    if (!strings)
        return;
    TStringList keys;
    ReadSection(section, &keys);
    TUpdateScope update(*strings);
    strings->Clear();
    for (int i = 0; i < keys.Count(); ++i)
        strings->Add(keys[i] + QLatin1Char('=') + ReadString(section, keys[i], QString()));
}

bool TIniFile::SectionExists(const QString& section) const
{
    Refresh();
    const int header = FindSection(TrimBlanks(section));
    if (header < 0)
        return false;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (FLines[i].Kind == TLineKind::Key)
            return true;
    return false;
}

bool TIniFile::ValueExists(const QString& section, const QString& ident) const
{
    return FindValue(section, ident) != nullptr;
}

void TIniFile::EraseSection(const QString& section)
{
    Refresh();
    const QString name = TrimBlanks(section);
    if (FindSection(name) < 0)
        return;
    CheckWritable();
    std::vector<QString> lines;
    for (int i = 0; i < static_cast<int>(FLines.size());) {
        if (FLines[i].Kind == TLineKind::Section && SameName(FLines[i].Name, name)) {
            i = SectionEnd(i);
            continue;
        }
        lines.push_back(FLines[i].Text);
        ++i;
    }
    Save(lines);
}

void TIniFile::DeleteKey(const QString& section, const QString& ident)
{
    Refresh();
    const int header = FindSection(TrimBlanks(section));
    if (header < 0)
        return;
    const QString name = TrimBlanks(ident);
    if (FindKey(header, name) < 0)
        return;
    CheckWritable();
    // Every line of the key goes, so that a second one does not surface as its value.
    const int end = SectionEnd(header);
    std::vector<QString> lines;
    for (int i = 0; i < static_cast<int>(FLines.size()); ++i)
        if (i <= header || i >= end || FLines[i].Kind != TLineKind::Key || !SameName(FLines[i].Name, name))
            lines.push_back(FLines[i].Text);
    Save(lines);
}

void TIniFile::UpdateFile()
{
    FLoaded = false;
    FLines.clear();
}

} // namespace tessiv
