// The alignment dialog on a real X server: centred the first time, its corner kept in the
// settings file and restored, a choice made with the mouse and Ok pressed with Enter, and a
// screenshot in the build folder.
#include "PageDialogsCheck.h"

#include "designer/dialogs/Alinhamento.h"
#include "designer/document/DesignerClasses.h"
#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tessiv;
using namespace dialogcheck;

int main(int argc, char** argv)
{
    QTemporaryDir config;
    TQtApplication app(argc, argv);
    const TBandReport doc = MakeBandReport();
    TIniFile settings(config.filePath(QStringLiteral("Tessiv.INI")));
    TDesignSelection selection = SelectedShapes(doc, {100, 10, 200}, 40);
    int modified = 0;
    selection.Modified = [&modified] { ++modified; };

    {
        std::unique_ptr<TfmAlinhamento, TComponentDeleter> form(new TfmAlinhamento(nullptr));
        form->SetSettings(&settings);
        form->SetSelection(selection);
        QTimer::singleShot(0, [&] {
            Settle(800);
            ExpectCentred(*form);
            ExpectNothingClipped(*form);
            Expect(Screenshot(*form, "dialogs_alinhamento"), "the screenshot shows no painted dialog");
            form->SetBounds(210, 140, form->Width(), form->Height());
            Settle(300);
            // "&Direita" clicked with the mouse, Ok pressed with Enter.
            QAbstractButton* right = form->rgHorizontal()->button(TfmAlinhamento::alRight);
            QTest::mouseClick(right, Qt::LeftButton, {}, QPoint(8, right->height() / 2));
            Settle(100);
            Expect(form->Horizontal() == TfmAlinhamento::alRight, "the click did not choose Direita");
            QTest::keyClick(form->Window(), Qt::Key_Return);
        });
        Expect(form->ShowModal() == mrOk, "Enter did not press Ok");
    }
    const TControl* first = selection.Controls[0];
    for (const TControl* c : selection.Controls)
        Expect(c->Left() + c->Width() == first->Left() + first->Width(), "a right edge is off",
               c->Left() + c->Width(), first->Left() + first->Width());
    Expect(modified == 1, "the document was not marked modified", modified, 1);
    ExpectPlacementWritten(settings, QStringLiteral("Alinha"), 210, 140);
    {
        std::unique_ptr<TfmAlinhamento, TComponentDeleter> form(new TfmAlinhamento(nullptr));
        form->SetSettings(&settings);
        QTimer::singleShot(0, [&] {
            Settle(500);
            ExpectPlacedAt(*form, 210, 140);
            Expect(form->Horizontal() == TfmAlinhamento::alNone, "the choice was kept from the last use");
            form->buCancela()->click();
        });
        Expect(form->ShowModal() == mrCancel, "Cancela did not cancel");
    }
    return Finish();
}
