#pragma once
// What the designer's and the dialogs' test fixtures share: one application object for the whole
// program, a scratch folder standing in for the user's folders and the session's files, message
// boxes noted and answered, and SQLite files made by statements.

#include "platform/ui/Application.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace testsession {

struct TNotedBox {
    QString Text;
    QString Caption;
    tessiv::TMsgDlgType Type;
    std::vector<int> Buttons;
};

// The user's home, settings and documents folders, the session's alias file and its data folder,
// all inside the scratch folder.
void UseScratchFolder(const QTemporaryDir& dir);
// Every message box is noted in boxes and answered by answer.
void NoteMessageBoxes(std::vector<TNotedBox>& boxes, std::function<int(const tessiv::TMessageBoxRequest&)> answer);
QStringList BoxTexts(const std::vector<TNotedBox>& boxes);

// Runs the statements on the SQLite file from a connection of its own; a failing one fails the test.
void RunSqlite(const QString& file, const QStringList& statements);
// The first column of every row the query gives on the SQLite file.
QStringList SqliteColumn(const QString& file, const QString& sql);
// An SQLITE alias over the file.
void AddSqliteAlias(const QString& alias, const QString& file);

} // namespace testsession
