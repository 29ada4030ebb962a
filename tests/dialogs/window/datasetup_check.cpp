// The data source setup dialog on a real X server, over a real SQLite file: switched to
// "Sem Dados" with the mouse and cancelled with Escape (the table comes back open), its corner kept
// in the settings file and restored, OK clicked; a screenshot in the build folder for a person to
// look at.
#include "DataCheck.h"
#include "PageDialogsCheck.h"

#include "designer/dialogs/MyZTDataSetup.h"
#include "platform/ui/Application.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace tessiv;
using namespace dialogcheck;

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    datacheck::UseFolder(dir);
    TQtApplication app(argc, argv);
    datacheck::TShop shop(dir);
    auto& [settings, host, file, doc] = shop;

    {
        std::unique_ptr<TfmMyZTDataSetup, TComponentDeleter> form(new TfmMyZTDataSetup(nullptr));
        form->SetSettings(&settings);
        form->SetAnexo(doc.get());
        QTimer::singleShot(0, [&] {
            Settle(800);
            ExpectNothingClipped(*form);
            Expect(form->cbDataBaseName()->currentText() == QStringLiteral("LOJA"), "the alias is not shown");
            Expect(Screenshot(*form, "dialogs_datasetup"), "the screenshot shows no painted dialog");
            form->SetBounds(140, 110, form->Width(), form->Height());
            Settle(300);
            form->Window()->activateWindow();
            QTest::mouseClick(form->DataTypeButton(0), Qt::LeftButton);
            Settle(200);
            Expect(doc->Report()->DataSet() == nullptr, "Sem Dados left the table");
            QTest::keyClick(form->Window(), Qt::Key_Escape);
        });
        Expect(form->ShowModal() == mrCancel, "Escape did not cancel");
    }
    Expect(doc->Report()->DataSet() != nullptr && doc->Report()->DataSet()->Active(), "Cancel did not bring the table back open");
    ExpectPlacementWritten(settings, QStringLiteral("DataSetup"), 140, 110);
    {
        std::unique_ptr<TfmMyZTDataSetup, TComponentDeleter> form(new TfmMyZTDataSetup(nullptr));
        form->SetSettings(&settings);
        form->SetAnexo(doc.get());
        QTimer::singleShot(0, [&] {
            Settle(500);
            ExpectPlacedAt(*form, 140, 110);
            QTest::mouseClick(form->bbOk(), Qt::LeftButton);
        });
        Expect(form->ShowModal() == mrOk, "OK did not close the dialog");
    }

    return Finish();
}
