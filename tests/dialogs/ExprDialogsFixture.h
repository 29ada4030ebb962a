#pragma once
// What the tests of the expression builder, the text editor and the SQL editor share: a scratch
// folder with the session's alias file and the settings file, a real SQLite database behind an
// alias, a document root with a report reading one of its tables, message boxes answered and
// noted, and the user's part in each modal form played by a queue of steps.

#include "ScratchSession.h"
#include "platform/core/IniFiles.h"
#include "platform/ui/Application.h"
#include "platform/core/Component.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace tessiv {
class TModalForm;
class TQuery;
class TVardoRep;
class TfmHidden;
} // namespace tessiv

namespace exprdialogstest {

using testsession::TNotedBox;

class ExprDialogsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString& name) const { return FDir.filePath(name); }
    // An SQLite file made by the statements with an alias of that name over it.
    void MakeSqliteAlias(const QString& alias, const QStringList& statements);
    // Runs a statement on the alias's file from a connection of its own.
    void Exec(const QString& alias, const QString& statement);
    // A root with a report whose data set is a query over the alias, open.
    void MakeReport(const QString& alias, const QString& sql);
    static void WriteText(const QString& file, const QByteArray& bytes);
    static QByteArray ReadText(const QString& file);

    QTemporaryDir FDir;
    std::unique_ptr<tessiv::TIniFile> Settings;
    std::unique_ptr<tessiv::TfmHidden, tessiv::TComponentDeleter> Root;
    tessiv::TVardoRep* Report = nullptr;
    tessiv::TQuery* Data = nullptr;

    // Message boxes: each noted, answered from the queue, else with Answer.
    std::vector<TNotedBox> Boxes;
    std::deque<int> Answers;
    int Answer = tessiv::IDOK;
    QStringList BoxTexts() const { return testsession::BoxTexts(Boxes); }

    // Each modal form shown takes the next step; a form shown with none left is cancelled.
    std::deque<std::function<void(tessiv::TModalForm&)>> Steps;
    int Shown = 0;
};

} // namespace exprdialogstest
