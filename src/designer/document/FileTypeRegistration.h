#pragma once
// Report files opened by this program from the desktop. A user or a package prepares the entries
// (the default application of the report files' MIME type in mimeapps.list, the desktop entry
// KelvoraRelatorio.desktop); the program only fills in values left blank and creates nothing, so
// a user's own choice is never overwritten.

#include <QString>

namespace tessiv {

// The MIME type of report files.
extern const QString ReportMimeType;

// Fills in, each only when its entry exists with a blank value:
//  - "<ReportMimeType>" of [Default Applications] in <XDG config>/mimeapps.list: "KelvoraRelatorio.desktop";
//  - Name of [Desktop Entry] in <XDG data>/applications/KelvoraRelatorio.desktop: "Relatório Kelvora",
//    and, only in a start that filled that name, Exec: the program's file name and "%f", and Icon:
//    the program's icon file (ProgramIconFile).
// A missing file or entry is skipped; a file that cannot be written raises EInOutError and stops
// the registration there.
void RegisterReportFileType(const QString& programFile);
// The program's icon, the file that lies beside the program: Tessiv.svg in its folder.
QString ProgramIconFile(const QString& programFile);

} // namespace tessiv
