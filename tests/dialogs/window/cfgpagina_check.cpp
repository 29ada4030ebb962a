// The page setup dialog on a real X server: centred the first time, its corner kept in the
// settings file and restored the next time, a margin typed with real keys and Enter pressing OK,
// and a screenshot in the build folder for a person to look at.
#include "PageDialogsCheck.h"

#include "designer/dialogs/CfgPagina.h"
#include "designer/document/DesignerClasses.h"
#include "designer/document/Hidden.h"
#include "engine/model/VardoRep.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
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
    const TBandReport doc = MakeBandReport([](TVardoRep& report) {
        report.SetUnits(kvunMM);
        report.Page()->SetPaperSize(TKVPaperSize::A4);
        report.Page()->SetTopMargin(10);
    });
    TVardoRep* report = doc.Report;
    TIniFile settings(config.filePath(QStringLiteral("Tessiv.INI")));

    int modified = 0;
    {
        std::unique_ptr<TfmCfgPagina, TComponentDeleter> form(new TfmCfgPagina(nullptr));
        form->SetSettings(&settings);
        form->SetHooks({nullptr, [&modified] { ++modified; }, nullptr});
        form->SetHeaderOptionsEnabled(false);
        form->SetReport(report);
        QTimer::singleShot(0, [&] {
            Settle(800);
            ExpectCentred(*form);
            Expect(QApplication::focusWidget() == form->PaperSize, "the paper size box does not have the focus");
            ExpectNothingClipped(*form);
            Expect(Screenshot(*form, "dialogs_cfgpagina"), "the screenshot shows no painted dialog");
            form->SetBounds(150, 120, form->Width(), form->Height());
            Settle(300);
            // Real keys: the margin box takes digits and the comma, Enter presses OK.
            form->Window()->activateWindow();
            form->Topmargin->setFocus();
            form->Topmargin->selectAll();
            QTest::keyClicks(form->Topmargin, QStringLiteral("12,5"));
            QTest::keyClick(form->Topmargin, Qt::Key_Return);
        });
        Expect(form->ShowModal() == mrOk, "Enter did not press OK");
    }
    Expect(std::fabs(static_cast<double>(report->Page()->TopMargin()) - 12.5) < 1e-9, "the typed margin was not taken");
    Expect(modified == 1, "the document was not marked modified", modified, 1);
    ExpectPlacementWritten(settings, QStringLiteral("PageSetup"), 150, 120);
    {
        std::unique_ptr<TfmCfgPagina, TComponentDeleter> form(new TfmCfgPagina(nullptr));
        form->SetSettings(&settings);
        form->SetReport(report);
        QTimer::singleShot(0, [&] {
            Settle(500);
            ExpectPlacedAt(*form, 150, 120);
            Expect(form->Topmargin->text() == QStringLiteral("12,50"), "the margin box does not show 12,50");
            QTest::keyClick(form->Window(), Qt::Key_Escape);
        });
        Expect(form->ShowModal() == mrCancel, "Escape did not cancel");
    }
    return Finish();
}
