// The expression builder on a real X server: an expression typed and clicked together with the
// mouse and keyboard, its corner kept in the settings file and restored the next time, and a
// screenshot in the build folder.
#include "ExprDialogsCheck.h"
#include "PageDialogsCheck.h"

#include "designer/document/Hidden.h"
#include "designer/dialogs/MyZTExprBuilder.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/ui/Application.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    Expect(MakeSqliteAlias(dir.path(), QStringLiteral("LOJA"),
                           {QStringLiteral("CREATE TABLE CLI (NOME VARCHAR(20), VALOR FLOAT, \"Valor Unit\" FLOAT)"),
                            QStringLiteral("INSERT INTO CLI VALUES ('Ana', 12.5, 3.25)")}),
           "the database was not made");
    TIniFile settings(dir.filePath(QStringLiteral("Tessiv.INI")));
    const TQueryReport doc = MakeQueryReport(QStringLiteral("Clientes"), QStringLiteral("LOJA"), QStringLiteral("SELECT * FROM CLI"));
    TVardoRep* report = doc.Report;
    report->SetDataSet(doc.Data);

    {
        std::unique_ptr<TMyZTExprBuilder, TComponentDeleter> b(new TMyZTExprBuilder(nullptr));
        b->Report = report;
        b->DataSetOwner = doc.Root.get();
        b->Settings = &settings;
        b->SetPrompt(QStringLiteral("Expressão do texto"));
        QTimer::singleShot(0, [&] {
            Settle(800);
            // Whatever the window manager did with the maximized state, a normal window is centred.
            if (b->WindowState() == wsNormal)
                ExpectCentred(*b);
            b->SetWindowState(wsNormal);
            b->SetBounds(120, 90, 560, 430);
            Settle(400);
            // "Valor Unit" chosen and added, " * " clicked, 2 typed and added with Enter.
            const QList<QListWidgetItem*> items = b->DataField->findItems(QStringLiteral("Valor Unit"), Qt::MatchExactly);
            Expect(items.size() == 1, "the field list does not show the report's fields");
            if (items.size() == 1) {
                const QRect r = b->DataField->visualItemRect(items.front());
                QTest::mouseClick(b->DataField->viewport(), Qt::LeftButton, {}, r.center());
            }
            QTest::mouseClick(b->AddDatafield, Qt::LeftButton);
            QTest::mouseClick(b->OperatorButton(QStringLiteral("*")), Qt::LeftButton);
            b->aConstant->setFocus();
            QTest::keyClicks(b->aConstant, QStringLiteral("2"));
            QTest::keyClick(b->aConstant, Qt::Key_Return);
            Settle(300);
            Expect(b->Expression() == QStringLiteral("[Valor Unit] * 2"), "the clicks did not compose the expression");
            std::fprintf(stderr, "expression: %s\n", qPrintable(b->Expression()));
            Expect(Screenshot(*b, "dialogs_exprbuilder"), "the screenshot shows no painted builder");
            QTest::mouseClick(b->OK, Qt::LeftButton);
        });
        Expect(b->ShowModal() == mrOk, "OK did not close it with OK");
    }
    ExpectPlacementWritten(settings, QStringLiteral("ExpressBld"), 120, 90);
    {
        std::unique_ptr<TMyZTExprBuilder, TComponentDeleter> b(new TMyZTExprBuilder(nullptr));
        b->Settings = &settings;
        QTimer::singleShot(0, [&] {
            Settle(600);
            b->SetWindowState(wsNormal);
            Settle(300);
            const TRect r = b->GetWindowPlacement().NormalPosition;
            Expect(r.Left == 120, "Left not restored", r.Left, 120);
            Expect(r.Top == 90, "Top not restored", r.Top, 90);
            QTest::keyClick(b->Window(), Qt::Key_Escape);
        });
        Expect(b->ShowModal() == mrCancel, "Escape did not cancel");
    }
    return Finish();
}
