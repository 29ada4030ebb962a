#pragma once
// Settings files with the rules of Windows' profile functions: "[Section]" headers and "Key=Value"
// lines, names compared without regard to case and taken as plain text, cp1252 with "\r\n" line
// ends. Every write goes to the file at once, replacing it whole; reads see what other TIniFile
// objects (or programs) wrote, because the file is read again whenever it changed on disk. Lines
// the rules do not understand (comments, text without '=') stay where they are.

#include "platform/core/SysUtils.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace tessiv {

class TStrings;

class TIniFile {
public:
    explicit TIniFile(const QString& fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const QString& FileName() const { return FFileName; }

    // The value with blanks around it removed, and one pair of matching quotes (double or single)
    // around it removed; Default when the section has no such key. An empty value is a value.
    QString ReadString(const QString& section, const QString& ident, const QString& defaultValue) const;
    // The file (and its folder) is created by the first write. Writes raise EInOutError
    // "Unable to write to %s" when the file cannot be written; the file then stays as it was.
    void WriteString(const QString& section, const QString& ident, const QString& value);
    // Decimal, or hexadecimal after "0x", with an optional sign; what follows the digits is
    // ignored; Default when there are no digits.
    int ReadInteger(const QString& section, const QString& ident, int defaultValue) const;
    void WriteInteger(const QString& section, const QString& ident, int value);
    // An integer other than 0; written "1" or "0".
    bool ReadBool(const QString& section, const QString& ident, bool defaultValue) const;
    void WriteBool(const QString& section, const QString& ident, bool value);
    // Through FloatToStr/StrToFloat with the process FormatSettings; Default when the text is not
    // a number.
    double ReadFloat(const QString& section, const QString& ident, double defaultValue) const;
    void WriteFloat(const QString& section, const QString& ident, double value);
    // Through DateToStr/StrToDate and friends; Default when the text is not a date or time.
    TDateTime ReadDate(const QString& section, const QString& ident, TDateTime defaultValue) const;
    TDateTime ReadDateTime(const QString& section, const QString& ident, TDateTime defaultValue) const;
    TDateTime ReadTime(const QString& section, const QString& ident, TDateTime defaultValue) const;
    void WriteDate(const QString& section, const QString& ident, TDateTime value);
    void WriteDateTime(const QString& section, const QString& ident, TDateTime value);
    void WriteTime(const QString& section, const QString& ident, TDateTime value);

    // Each fills Strings after clearing it (nothing happens for nullptr). Key names of a section,
    // in file order; a key that appears twice is listed once.
    void ReadSection(const QString& section, TStrings* strings) const;
    // Section names, in file order.
    void ReadSections(TStrings* strings) const;
    // "Key=Value" lines, values as ReadString gives them.
    void ReadSectionValues(const QString& section, TStrings* strings) const;
    // True when the section has at least one key.
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& ident) const;
    // Removes the section with its keys and the other lines under it.
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& ident);
    // Writes are on disk already; this drops what was read so the next read takes the file anew.
    void UpdateFile();

private:
    enum class TLineKind { Other, Section, Key };
    struct TLine {
        QString Text;
        TLineKind Kind = TLineKind::Other;
        QString Name;              // section or key name, blanks removed
        qsizetype ValueStart = 0;  // keys: where the text after '=' starts
    };
    // What identifies the file's contents on disk without reading it.
    struct TFileStamp {
        bool Exists = false;
        std::uint64_t Device = 0;
        std::uint64_t Inode = 0;
        std::int64_t Size = 0;
        std::int64_t ModifiedNs = 0;
        std::int64_t ChangedNs = 0;
        bool operator==(const TFileStamp&) const = default;
    };

    static TLine ParseLine(const QString& text);
    static TFileStamp StampOf(const QString& path);
    void Refresh() const;
    void SetText(const QString& text) const;
    // Writes Lines as the new contents of the file and keeps them as read back.
    void Save(const std::vector<QString>& lines);
    std::vector<QString> LineTexts() const;
    int FindSection(const QString& name) const;
    int SectionEnd(int header) const;
    int FindKey(int header, const QString& name) const;
    const TLine* FindValue(const QString& section, const QString& ident) const;
    void CheckWritable() const;

    QString FFileName;
    QString FPath; // absolute, fixed when constructed
    mutable std::vector<TLine> FLines;
    mutable TFileStamp FStamp;
    mutable std::int64_t FReadAtNs = 0; // wall clock when FLines were taken from the file
    mutable bool FLoaded = false;
    mutable bool FUtf8 = false;       // the file was read with a UTF-8 byte order mark
    mutable bool FUnreadable = false; // there is a file, but it could not be read
};

} // namespace tessiv
