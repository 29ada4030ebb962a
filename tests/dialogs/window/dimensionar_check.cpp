// The size dialog on a real X server: centred the first time with the unit in its caption, its
// corner kept in the settings file and restored, a width typed with real keys (which chooses
// "&Largura" by itself), and a screenshot in the build folder.
#include "PageDialogsCheck.h"

#include "designer/document/DesignerClasses.h"
#include "designer/dialogs/Dimensionar.h"
#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"
#include "uisupport/ValEdit.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

using namespace tessiv;
using namespace dialogcheck;

int main(int argc, char** argv)
{
    QTemporaryDir config;
    TQtApplication app(argc, argv);
    const TBandReport doc = MakeBandReport([](TVardoRep& report) { report.SetUnits(kvunMM); });
    TIniFile settings(config.filePath(QStringLiteral("Tessiv.INI")));
    TDesignSelection selection = SelectedShapes(doc, {10, 80}, 30);
    selection.UnitsName = QStringLiteral("Milímetros");

    {
        std::unique_ptr<TfmDimensionar, TComponentDeleter> form(new TfmDimensionar(nullptr));
        form->SetSettings(&settings);
        form->SetSelection(selection);
        QTimer::singleShot(0, [&] {
            Settle(800);
            ExpectCentred(*form);
            ExpectNothingClipped(*form);
            Expect(form->Caption() == QStringLiteral("Dimensionar ( Milímetros )"), "the caption has no unit");
            form->SetBounds(260, 170, form->Width(), form->Height());
            Settle(300);
            form->Window()->activateWindow();
            form->veLargura()->setFocus();
            form->veLargura()->selectAll();
            QTest::keyClicks(form->veLargura(), QStringLiteral("25,5"));
            Settle(100);
            Expect(form->WidthChoice() == TfmDimensionar::dmValue, "typing did not choose Largura");
            Expect(Screenshot(*form, "dialogs_dimensionar"), "the screenshot shows no painted dialog");
            QTest::keyClick(form->Window(), Qt::Key_Return);
        });
        Expect(form->ShowModal() == mrOk, "Enter did not press Ok");
    }
    for (TControl* c : selection.Controls)
        Expect(std::fabs(static_cast<double>(static_cast<TKVPrintable*>(c)->Size()->Width()) - 25.5) < 1e-9,
               "a width is not 25,5 mm");
    ExpectPlacementWritten(settings, QStringLiteral("Dimensao"), 260, 170);
    {
        std::unique_ptr<TfmDimensionar, TComponentDeleter> form(new TfmDimensionar(nullptr));
        form->SetSettings(&settings);
        QTimer::singleShot(0, [&] {
            Settle(500);
            ExpectPlacedAt(*form, 260, 170);
            QTest::keyClick(form->Window(), Qt::Key_Escape);
        });
        Expect(form->ShowModal() == mrCancel, "Escape did not cancel");
    }
    return Finish();
}
