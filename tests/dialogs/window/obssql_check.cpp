// The observation SQL editor on a real X server: an SQL typed and tried with the report's current
// record as master, its state, place and size kept in the settings file and restored the next
// time, and a screenshot in the build folder.
#include "ExprDialogsCheck.h"
#include "PageDialogsCheck.h"

#include "designer/Hidden.h"
#include "designer/ObsSql.h"
#include "engine/KVItemsObs.h"
#include "engine/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/ui/Application.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tessiv;
using namespace dialogcheck;

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    TQtApplication app(argc, argv);
    Expect(MakeSqliteAlias(dir.path(), QStringLiteral("PEDIDOS"),
                           {QStringLiteral("CREATE TABLE PED (ID INTEGER)"),
                            QStringLiteral("INSERT INTO PED VALUES (1), (2)"),
                            QStringLiteral("CREATE TABLE OBS (PEDIDO INTEGER, TEXTO VARCHAR(30))"),
                            QStringLiteral("INSERT INTO OBS VALUES (2, 'Fragil')")}),
           "the database was not made");
    TIniFile settings(dir.filePath(QStringLiteral("Tessiv.INI")));
    std::unique_ptr<TfmHidden, TComponentDeleter> root(new TfmHidden(nullptr));
    auto* report = new TVardoRep(root.get());
    report->SetParent(root.get());
    auto* data = new TQuery(root.get());
    data->SetName(QStringLiteral("Pedidos"));
    data->SetDatabaseName(QStringLiteral("PEDIDOS"));
    data->SQL()->SetText(QStringLiteral("SELECT * FROM PED ORDER BY ID"));
    data->Open();
    data->Next();
    report->SetDataSet(data);
    auto* area = new TKVItensObs(root.get());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(report);
    int boxes = 0;
    Application().Presenter = [&boxes](const TMessageBoxRequest&) {
        ++boxes;
        return IDOK;
    };

    {
        std::unique_ptr<TfmObs_Sql, TComponentDeleter> e(new TfmObs_Sql(nullptr));
        e->Settings = &settings;
        e->SetItensObs(area);
        QTimer::singleShot(0, [&] {
            Settle(800);
            ExpectCentred(*e);
            e->mmEditorSql->setFocus();
            QTest::keyClicks(e->mmEditorSql, QStringLiteral("SELECT TEXTO FROM OBS WHERE PEDIDO = :ID"));
            QTest::mouseClick(e->buAbre, Qt::LeftButton);
            Settle(300);
            Expect(e->Query() && e->Query()->Active() && e->Query()->RecordCount() == 1, "Abre did not open the query");
            Expect(boxes == 0, "Abre reported an error");
            Expect(Screenshot(*e, "dialogs_obssql"), "the screenshot shows no painted editor");
            e->SetBounds(200, 120, 560, 320);
            Settle(400);
            QTest::keyClick(e->mmEditorSql, Qt::Key_Escape);
        });
        Expect(e->ShowModal() == mrCancel, "Escape did not cancel");
    }
    Expect(area->Obs_SQL()->Text().trimmed().isEmpty(), "Cancel stored the SQL");
    const QString s = QStringLiteral("ItensObs");
    Expect(settings.ReadInteger(s, QStringLiteral("Left"), -1) == 200, "Left not written", settings.ReadInteger(s, QStringLiteral("Left"), -1), 200);
    Expect(settings.ReadInteger(s, QStringLiteral("Top"), -1) == 120, "Top not written", settings.ReadInteger(s, QStringLiteral("Top"), -1), 120);
    {
        std::unique_ptr<TfmObs_Sql, TComponentDeleter> e(new TfmObs_Sql(nullptr));
        e->Settings = &settings;
        e->SetItensObs(area);
        QTimer::singleShot(0, [&] {
            Settle(600);
            Expect(e->Left() == 200, "Left not restored", e->Left(), 200);
            Expect(e->Top() == 120, "Top not restored", e->Top(), 120);
            Expect(e->Width() == 560, "Width not restored", e->Width(), 560);
            Expect(e->Height() == 320, "Height not restored", e->Height(), 320);
            QTest::mouseClick(e->buCancela, Qt::LeftButton);
        });
        Expect(e->ShowModal() == mrCancel, "Cancela did not cancel");
    }
    Application().Presenter = nullptr;
    if (Failures)
        std::fprintf(stderr, "%d checks failed\n", Failures);
    return Failures ? 1 : 0;
}
