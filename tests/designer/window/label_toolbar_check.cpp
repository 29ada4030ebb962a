// The label tool bar on a real X server: a new document, a label put on its detail band and
// selected brings the bar up with the size box; a screenshot of the bar is left in the build folder
// for a person to look at. Real keys and clicks: a letter typed into the size box is dropped, Enter
// applies the typed size, Tab out of the box applies another, a click on the bold button makes the
// label bold. A barcode selected after it shows the font-scale box in the size box's place.
#include "WindowCheck.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "uisupport/FontComboBox.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace tessiv;
using namespace windowcheck;

namespace {

void Expect(bool condition, const QString& what)
{
    if (!condition)
        Fail(what);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("HOME", config.path().toUtf8());
    TQtApplication app(argc, argv);
    {
        const auto form = ShowMainForm({});
        form->FormPaint();
        Settle(800);
        form->ArquivoNovoExecute();
        Settle(800);
        TfmAnexo_MDIChild* child = SizedDocumentWindow(*form);
        if (!child) {
            std::fprintf(stderr, "the new document opened no window\n");
            return 1;
        }
        TVardoRep* report = child->Report;
        TKVCustomBand* detail = nullptr;
        for (TKVCustomBand* band : report->BandList())
            if (band->BandType() == rbDetail)
                detail = band;
        if (!detail) {
            std::fprintf(stderr, "the new document has no detail band\n");
            return 1;
        }
        TComponent* root = report->Owner();
        auto* label = new TKVLabel(root);
        label->SetParent(detail);
        form->EnsureComponentName(label);
        label->SetBounds(20, 10, 120, 18);
        label->SetCaption(QStringLiteral("Etiqueta"));
        label->Font()->SetSize(10);
        // A font the system has, so that the font box can show it.
        const QString fontName = form->FonteNome->count() > 0 ? form->FonteNome->itemText(0) : QString();
        label->Font()->SetName(fontName);
        auto* bar = new TKVBarcode(root);
        bar->SetParent(detail);
        form->EnsureComponentName(bar);
        bar->SetBounds(200, 10, 69, 66);
        form->WireDocumentInput(report);
        Settle(300);

        form->Designer->Attach(report);
        form->Designer->SetSelected(label);
        form->Designer->RefreshHandles();
        Settle(500);
        TAnexoToolBar* toolbar = form->CustomLabelToolbar;
        Expect(toolbar->Component() == label && toolbar->isVisible(), QStringLiteral("the label bar does not show the label"));
        Expect(form->FontSize->isVisible(), QStringLiteral("the size box is not shown for a label"));
        Expect(!form->edEscalaFontBarra->isVisible(), QStringLiteral("the font scale is shown for a label"));
        Expect(!form->edStrPreencheRodape->isVisible(), QStringLiteral("the fill box is shown off a group footer"));
        Expect(form->FontSize->currentText() == QStringLiteral("10"), QStringLiteral("the size box does not show 10"));
        Expect(!fontName.isEmpty() && form->FonteNome->FontName() == fontName,
               QStringLiteral("the font box shows '%1', not '%2'").arg(form->FonteNome->FontName(), fontName));
        const QImage shot = toolbar->grab().toImage();
        shot.save(QStringLiteral(TESSIV_SHOT_DIR "/label_toolbar_label.png"));
        Expect(Ink(shot) >= 200, QStringLiteral("the bar looks unpainted"));

        // Real keys into the size box: the letter is dropped, Enter applies.
        const int stepsBefore = form->CurrentUndoForm()->StepCount();
        QLineEdit* sizeEdit = form->FontSize->lineEdit();
        form->Window()->activateWindow();
        QTest::qWaitForWindowActive(form->Window());
        QTest::mouseClick(sizeEdit, Qt::LeftButton, Qt::NoModifier, sizeEdit->rect().center());
        Settle(200);
        if (QApplication::focusWidget() != form->FontSize) {
            Fail(QStringLiteral("a click into the size box did not give it the focus"));
            return Finish();
        }
        sizeEdit->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1x4"));
        Settle(100);
        Expect(form->FontSize->currentText() == QStringLiteral("14"),
               QStringLiteral("the size box holds '%1' after typing 1x4").arg(form->FontSize->currentText()));
        Expect(label->Font()->Size() == 10, QStringLiteral("typing alone changed the size"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        Settle(200);
        Expect(label->Font()->Size() == 14,
               QStringLiteral("Enter did not apply the size: %1").arg(label->Font()->Size()));
        // Leaving the box with Tab applies what it holds.
        sizeEdit->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("16"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        Settle(200);
        Expect(label->Font()->Size() == 16,
               QStringLiteral("leaving the box did not apply the size: %1").arg(label->Font()->Size()));
        Expect(form->CurrentUndoForm()->StepCount() - stepsBefore == 2,
               QStringLiteral("two edits of the size box made %1 undo steps")
                   .arg(form->CurrentUndoForm()->StepCount() - stepsBefore));

        // A real click on the bold button.
        QTest::mouseClick(form->Bold, Qt::LeftButton, Qt::NoModifier, form->Bold->rect().center());
        Settle(200);
        Expect(form->Bold->Down() && label->Font()->Style().Contains(fsBold),
               QStringLiteral("the bold button did not make the label bold"));
        Expect(form->IsModified(), QStringLiteral("the changes left the document unmodified"));
        toolbar->grab().save(QStringLiteral(TESSIV_SHOT_DIR "/label_toolbar_bold.png"));

        // A barcode: the font scale takes the size box's place.
        form->Designer->SetSelected(bar);
        form->Designer->RefreshHandles();
        Settle(500);
        Expect(toolbar->Component() == bar && toolbar->isVisible(), QStringLiteral("the label bar does not show the barcode"));
        Expect(!form->FontSize->isVisible(), QStringLiteral("the size box is shown for a barcode"));
        Expect(form->edEscalaFontBarra->isVisible() && form->upEscalaFontBarra->isVisible(),
               QStringLiteral("the font scale is not shown for a barcode"));
        Expect(!form->Bold->isEnabled(), QStringLiteral("the bold button is enabled for a barcode"));
        toolbar->grab().save(QStringLiteral(TESSIV_SHOT_DIR "/label_toolbar_barcode.png"));
        form->Window()->grab().save(QStringLiteral(TESSIV_SHOT_DIR "/label_toolbar_window.png"));

        form->AskOnClose = false;
        form->Close();
    }
    return Finish();
}
