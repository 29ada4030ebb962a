// The observation SQL editor on a real X server: an SQL typed and tried with the report's current
// record as master, its state, place and size kept in the settings file and restored the next
// time, and a screenshot in the build folder.
#include "ExprDialogsCheck.h"
#include "PageDialogsCheck.h"

#include "designer/document/Hidden.h"
#include "designer/dialogs/ObsSql.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/model/VardoRep.h"
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
    const TQueryReport doc =
        MakeQueryReport(QStringLiteral("Pedidos"), QStringLiteral("PEDIDOS"), QStringLiteral("SELECT * FROM PED ORDER BY ID"));
    TVardoRep* report = doc.Report;
    doc.Data->Next();
    report->SetDataSet(doc.Data);
    auto* area = new TKVItensObs(doc.Root.get());
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
    ExpectPlacementWritten(settings, QStringLiteral("ItensObs"), 200, 120);
    {
        std::unique_ptr<TfmObs_Sql, TComponentDeleter> e(new TfmObs_Sql(nullptr));
        e->Settings = &settings;
        e->SetItensObs(area);
        QTimer::singleShot(0, [&] {
            Settle(600);
            ExpectPlacedAt(*e, 200, 120, 560, 320);
            QTest::mouseClick(e->buCancela, Qt::LeftButton);
        });
        Expect(e->ShowModal() == mrCancel, "Cancela did not cancel");
    }
    Application().Presenter = nullptr;
    return Finish();
}
