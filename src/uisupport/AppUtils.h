#pragma once
// Storage routines for the settings file: the default file and section names, reading and
// writing with the file's quoting rule, and a form's window placement written as named keys (each
// position twice, with and without the screen's resolution as a suffix, and read with it first).

#include "platform/core/Component.h"
#include "platform/core/IniFiles.h"

#include <QSet>
#include <QString>

namespace tessiv {

class TForm;

// "" for nil; a form's class name; a control's name after the class name of the form holding
// it (or its parent's name); another component's name, as "%s.%s" after its owner's class name
// when a form owns it.
QString ComponentIniSection(const TComponent* component);
// The settings file: Tessiv.INI in the program's folder of the user's configuration
// (XDG_CONFIG_HOME, else ~/.config).
QString DefaultIniFileName();

// Each does nothing (reads give the default) without a settings object.
QString IniReadString(TIniFile* ini, const QString& section, const QString& ident, const QString& defaultValue);
int IniReadInteger(TIniFile* ini, const QString& section, const QString& ident, int defaultValue);
bool IniReadBool(TIniFile* ini, const QString& section, const QString& ident, bool defaultValue);
// A value that starts and ends with the same quote (both ' or both ") goes into the file inside
// double quotes, so that reading takes those away and gives the value back with its own quotes.
void IniWriteString(TIniFile* ini, const QString& section, const QString& ident, const QString& value);
void IniWriteInteger(TIniFile* ini, const QString& section, const QString& ident, int value);
void IniWriteBool(TIniFile* ini, const QString& section, const QString& ident, bool value);
void IniEraseSection(TIniFile* ini, const QString& section);
void IniDeleteKey(TIniFile* ini, const QString& section, const QString& ident);

// "(%dx%d)": the primary screen's width and height in pixels.
QString ScreenResolutionSuffix();
// The screen's pixels per inch, as the placement stores it.
int ScreenPixelsPerInchNow();
// Ident with the suffix first, then without it.
QString ReadPosStr(TIniFile* ini, const QString& section, const QString& ident);
// Both keys.
void WritePosStr(TIniFile* ini, const QString& section, const QString& ident, const QString& value);

void SaveWindowPlacement(TForm* form, TIniFile* ini, const QString& section);
void LoadWindowPlacement(TForm* form, TIniFile* ini, const QString& section, bool loadState, bool loadPosition);

// Words are runs of characters not in delims. The 1-based position of the N-th word, or 0.
int WordPosition(int n, const QString& s, const QSet<QChar>& delims);
// The N-th word, or "".
QString ExtractWord(int n, const QString& s, const QSet<QChar>& delims);

} // namespace tessiv
