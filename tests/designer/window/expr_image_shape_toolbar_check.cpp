// The expression, image and shape tool bars on a real X server over a bundled product label: an
// expression, a label, a picture, an expression memo and a shape, selected in turn, each bring up
// their bars with their own buttons, and a screenshot of each bar is left in the build folder for a
// person to look at. An expression typed into the box with real keys is applied by Enter and by
// leaving the box, and Escape shows the stored one again.
#include "WindowCheck.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <vector>

using namespace tessiv;
using namespace windowcheck;

namespace {

struct TBarShot {
    const char* Name;
    TAnexoToolBar* Bar;
};

struct TExpect {
    const char* Name;
    TControl* Control;
    std::vector<TBarShot> Bars;                    // shown, each with the control
    std::vector<std::pair<QWidget*, bool>> Shows;  // widget, shown or not
};

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    TQtApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString copy = CopyProductLabel(scratch);

    {
        const auto form = ShowMainForm({copy});
        OpenCommandLine(*form);
        TfmAnexo_MDIChild* child = SizedDocumentWindow(*form);
        if (!child) {
            std::fprintf(stderr, "the example opened no window\n");
            return 1;
        }
        TVardoRep* report = child->Report;
        TComponent* root = report->Owner();
        auto* nome = dynamic_cast<TControl*>(root->FindComponent(QStringLiteral("Nome")));
        if (!nome || !nome->Parent()) {
            std::fprintf(stderr, "the example has no Nome text\n");
            return 1;
        }
        TWinControl* band = nome->Parent();
        const auto place = [&](TControl* control, int left, int top) {
            control->SetParent(band);
            form->EnsureComponentName(control);
            control->SetBounds(left, top, 40, 26);
        };
        auto* expr = new TKVExpr(root);
        place(expr, 4, 4);
        expr->SetExpression(QStringLiteral("PRECO * 2"));
        auto* label = new TKVLabel(root);
        place(label, 48, 4);
        label->SetCaption(QStringLiteral("Oferta"));
        auto* image = new TKVImage(root);
        place(image, 92, 4);
        {
            QImage picture(30, 20, QImage::Format_RGB32);
            picture.fill(QColor(40, 100, 200));
            const QString file = scratch.filePath(QStringLiteral("logo.bmp"));
            picture.save(file, "BMP");
            image->Picture()->LoadFromFile(file);
            image->SetHint(file);
            image->SetProporcional(true);
            image->Frame()->SetDrawTop(true);
        }
        auto* memo = new TKVExprMemo(root);
        place(memo, 136, 4);
        memo->SetHint(QStringLiteral("/textos/carta.txt"));
        auto* shape = new TKVShape(root);
        place(shape, 180, 4);
        shape->SetShape(kvsCircle);
        form->WireDocumentInput(report);
        Settle(300);

        const TExpect cases[] = {
            {"expression", expr, {{"expr", form->ExprToolbar}},
             {{form->OKButton, true}, {form->WizardButton, true}, {form->EditExpr, true}}},
            {"label", label, {{"expr", form->ExprToolbar}},
             {{form->OKButton, false}, {form->WizardButton, false}, {form->EditExpr, true}}},
            {"picture", image, {{"image", form->ImageToolBar}, {"shape", form->ShapeToolbar}},
             {{form->sbProporcionalPicture, true}, {form->sbEditarArq, false}, {form->sbColorBand, true},
              {form->Rectangle, false}}},
            {"memo", memo, {{"image", form->ImageToolBar}},
             {{form->sbEditarArq, true}, {form->CenterPicture, false}}},
            {"shape", shape, {{"shape", form->ShapeToolbar}},
             {{form->Circle, true}, {form->PenColor, true}, {form->BandFrameTop, false}}},
        };
        for (const TExpect& c : cases) {
            const QString name = QString::fromLatin1(c.Name);
            form->Designer->Attach(report);
            form->Designer->SetSelected(c.Control);
            form->Designer->RefreshHandles();
            Settle(500);
            for (const TBarShot& shot : c.Bars) {
                const QString barName = QString::fromLatin1(shot.Name);
                if (shot.Bar->Component() != c.Control || !shot.Bar->isVisible()) {
                    Fail(name + QStringLiteral(": the ") + barName + QStringLiteral(" bar does not show the control"));
                    continue;
                }
                const QImage bar = shot.Bar->grab().toImage();
                bar.save(QStringLiteral(TESSIV_SHOT_DIR "/expr_image_shape_") + barName + QStringLiteral("_") + name +
                         QStringLiteral(".png"));
                if (Ink(bar, 110) < 20)
                    Fail(name + QStringLiteral(": the ") + barName + QStringLiteral(" bar looks unpainted"));
            }
            for (const auto& [widget, shown] : c.Shows)
                if (widget->isVisible() != shown)
                    Fail(name + QStringLiteral(": ") + widget->objectName() +
                         (shown ? QStringLiteral(" is not shown") : QStringLiteral(" is shown")));
        }
        if (form->FilePicture->text() != QStringLiteral("carta.txt"))
            Fail(QStringLiteral("the memo's file shows as '%1'").arg(form->FilePicture->text()));
        form->Window()->grab().save(QStringLiteral(TESSIV_SHOT_DIR "/expr_image_shape_window.png"));

        // Real keys in the expression box: Enter applies, Escape shows the stored text again.
        form->Designer->Attach(report);
        form->Designer->SetSelected(expr);
        Settle(300);
        form->SetModified(false);
        // Keys go to the focus of the active window: the main window is made the active one.
        form->Window()->activateWindow();
        for (int i = 0; i < 50 && QApplication::activeWindow() != form->Window(); ++i)
            Settle(20);
        if (QApplication::activeWindow() != form->Window())
            Fail(QStringLiteral("the main window did not become the active one"));
        form->EditExpr->setFocus(Qt::MouseFocusReason);
        Settle(200);
        form->EditExpr->selectAll();
        QTest::keyClicks(form->EditExpr, QStringLiteral("QTD + 1"));
        QTest::keyClick(form->EditExpr, Qt::Key_Return);
        Settle(200);
        if (expr->Expression() != QStringLiteral("QTD + 1"))
            Fail(QStringLiteral("Enter did not apply the typed expression: '%1'").arg(expr->Expression()));
        if (!form->IsModified())
            Fail(QStringLiteral("the applied expression left the document unmodified"));
        QTest::keyClicks(form->EditExpr, QStringLiteral(" * 9"));
        QTest::keyClick(form->EditExpr, Qt::Key_Escape);
        Settle(200);
        if (form->EditExpr->text() != QStringLiteral("QTD + 1") || expr->Expression() != QStringLiteral("QTD + 1"))
            Fail(QStringLiteral("Escape left '%1' in the box and '%2' stored")
                     .arg(form->EditExpr->text(), expr->Expression()));
        form->ExprToolbar->grab().save(QStringLiteral(TESSIV_SHOT_DIR "/expr_image_shape_expr_typed.png"));
        // Leaving the box applies what it holds.
        form->EditExpr->setFocus(Qt::MouseFocusReason);
        Settle(200);
        if (!form->EditExpr->hasFocus())
            Fail(QStringLiteral("the expression box did not take the focus"));
        form->EditExpr->selectAll();
        QTest::keyClicks(form->EditExpr, QStringLiteral("QTD - 1"));
        QTest::keyClick(form->EditExpr, Qt::Key_Tab);
        Settle(300);
        if (form->EditExpr->hasFocus())
            Fail(QStringLiteral("Tab did not leave the expression box"));
        else if (expr->Expression() != QStringLiteral("QTD - 1"))
            Fail(QStringLiteral("leaving the box did not apply it: '%1'").arg(expr->Expression()));

        form->AskOnClose = false;
        form->Close();
    }
    return Finish();
}
