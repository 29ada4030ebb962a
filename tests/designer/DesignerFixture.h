#pragma once
// What the document tests share: a scratch folder that is also the documents folder and the
// session's alias file, message boxes answered and noted, SQLite tables made by statements, and a
// document host that lists window captions.

#include "ScratchSession.h"
#include "designer/AnexoRelatorio.h"
#include "platform/ui/Application.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace designertest {

using testsession::TNotedBox;

class THost : public tessiv::TDocumentHost {
public:
    QStringList DocumentWindowCaptions() const override { return Captions; }
    QStringList Captions;
};

class DesignerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString& name) const { return FDir.filePath(name); }
    // Makes the SQLite file with the statements and an alias of that name over it.
    void MakeSqlite(const QString& alias, const QStringList& statements);
    static QByteArray ReadFile(const QString& name);
    static void WriteFile(const QString& name, const QByteArray& bytes);
    // A report file from its text form.
    static QByteArray ResourceFromText(const QByteArray& text);
    static QByteArray TextFromResource(const QByteArray& resource);

    QTemporaryDir FDir;
    std::vector<TNotedBox> Boxes;
    int Answer = tessiv::IDOK; // the button the user "presses"
    THost Host;
};

} // namespace designertest
