#include "DesignerFixture.h"

#include "platform/core/ObjectText.h"
#include "platform/core/Streams.h"

#include <QFile>
#include <QProcess>

namespace designertest {

using namespace tessiv;

void DesignerTest::SetUp()
{
    // The user's documents folder is the scratch folder's.
    ASSERT_NO_FATAL_FAILURE(testsession::UseScratchFolder(FDir));
    testsession::NoteMessageBoxes(Boxes, [this](const TMessageBoxRequest&) { return Answer; });
}

void DesignerTest::TearDown()
{
    Application().Presenter = nullptr;
    SetLoginDialog(nullptr);
}

void DesignerTest::MakeSqlite(const QString& alias, const QStringList& statements)
{
    const QString file = Path(alias + QStringLiteral(".db"));
    testsession::RunSqlite(file, statements);
    testsession::AddSqliteAlias(alias, file);
}

QByteArray DesignerTest::ReadFile(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void DesignerTest::WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray DesignerTest::ResourceFromText(const QByteArray& text)
{
    TMemoryStream in(text);
    TMemoryStream out;
    ObjectTextToResource(in, out);
    return out.Bytes();
}

QByteArray DesignerTest::TextFromResource(const QByteArray& resource)
{
    TMemoryStream in(resource);
    TMemoryStream out;
    ObjectResourceToText(in, out);
    return out.Bytes();
}

QStringList DesignerTest::PdfLines(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished())
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines;
}

} // namespace designertest
