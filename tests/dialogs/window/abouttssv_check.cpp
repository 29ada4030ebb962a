// The about form on a real X server: centred, the program's name in its caption and on it, closed
// by Enter; a screenshot in the build folder. It keeps no placement.
#include "PageDialogsCheck.h"

#include "designer/mainform/AboutTSSV.h"
#include "platform/ui/Application.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tessiv;
using namespace dialogcheck;

int main(int argc, char** argv)
{
    TQtApplication app(argc, argv);
    std::unique_ptr<TfmAboutTSSV, TComponentDeleter> form(new TfmAboutTSSV(nullptr));
    form->SetProduct(QStringLiteral("Tessiv"), QStringLiteral("2.5.3"));
    QTimer::singleShot(0, [&] {
        Settle(800);
        ExpectCentred(*form);
        ExpectNothingClipped(*form);
        Expect(form->Window()->windowTitle() == QStringLiteral("Sobre Tessiv"), "the caption is wrong");
        Expect(form->ProductLabel()->isVisible() && form->VersionLabel()->isVisible(), "the labels are not shown");
        Expect(Screenshot(*form, "dialogs_abouttssv"), "the screenshot shows no painted form");
        QTest::keyClick(form->Window(), Qt::Key_Return);
    });
    Expect(form->ShowModal() == mrOk, "Enter did not close it with OK");
    return Finish();
}
