#pragma once
// Windows-1252, the code page of strings in report files and of the settings file.

#include <QByteArray>
#include <QString>

namespace tessiv {

QString FromCp1252(const char* data, qsizetype length);
inline QString FromCp1252(const QByteArray& bytes) { return FromCp1252(bytes.constData(), bytes.size()); }

// Characters outside the code page become '?'; *lossless (when given) tells whether none did.
QByteArray ToCp1252(const QString& text, bool* lossless = nullptr);
bool IsCp1252(const QString& text);

} // namespace tessiv
