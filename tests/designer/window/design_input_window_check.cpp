// A label dragged with real mouse events on a real X server: pressed, moved and released on the
// document window's surface through the window system, it lands on the millimetre grid where the
// snap rule puts it, its sizing handles are on the screen around it there, and its old place is
// empty. The window is saved as a PNG beside the test binary for a person to look at. Then keys on
// the real window: a held Ctrl+Right with the window system's repeats is one undo step, and the
// zoom box applies what is typed into it.
#include "WindowCheck.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/surface/Voltar.h"
#include "engine/design/DesignColours.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <memory>

using namespace tessiv;
using namespace windowcheck;

namespace {
int InkIn(const QImage& image, int left, int top, int right, int bottom)
{
    int ink = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
        for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x)
            ink += QColor(image.pixel(x, y)).lightness() < 100;
    return ink;
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    TQtApplication app(argc, argv);

    {
        const auto form = ShowMainForm({});
        form->ArquivoNovoExecute();
        Settle(800);
        TfmAnexo_MDIChild* child = form->ActiveMDIChild();
        if (!child || !child->Report || child->Report->BandList().empty()) {
            std::fprintf(stderr, "the new document opened no window\n");
            return 1;
        }
        child->SubWindow()->resize(760, 520);
        TVardoRep* report = child->Report;
        report->SetUnits(kvunMM);
        report->SetSnapToGrid(true);
        TKVCustomBand* band = report->BandList().front();
        band->SetHeight(200);
        child->FitClientToReport();

        auto* label = new TKVLabel(report->Owner());
        label->SetParent(band);
        form->EnsureComponentName(label);
        label->SetCaption(QStringLiteral("ARRASTE"));
        label->SetAutoSize(false);
        label->Size()->SetLeft(12);
        label->Size()->SetTop(4);
        label->Size()->SetWidth(30);
        form->WireDocumentInput(report);
        Settle(600);

        QWidget* surface = child->Host()->Surface();
        const TPoint oldCorner = label->ClientToScreen({0, 0}); // on the surface
        const QRect oldRect(oldCorner.X, oldCorner.Y, label->Width(), label->Height());
        // Pressed inside, dragged across in steps with the button held, released.
        const QPoint start(oldCorner.X + 10, oldCorner.Y + 6);
        const QPoint delta(137, 63);
        QTest::mouseMove(surface, start);
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, start);
        Settle(100);
        for (int i = 1; i <= 8; ++i) {
            QTest::mouseMove(surface, start + delta * i / 8);
            Settle(30);
        }
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, start + delta);
        Settle(600);

        // Where the snap rule puts it: the outline's place in millimetres, rounded to whole ones.
        const double px = 25.4 / report->BandList().front()->Size()->PPI();
        const double wantLeft = std::nearbyint((oldRect.left() - band->Left() + delta.x()) * px);
        const double wantTop = std::nearbyint((oldRect.top() - band->Top() + delta.y()) * px);
        const double left = static_cast<double>(label->Size()->Left());
        const double top = static_cast<double>(label->Size()->Top());
        if (std::fabs(left - wantLeft) > 1e-9 || std::fabs(top - wantTop) > 1e-9)
            Fail(QStringLiteral("the label is at %1 / %2 mm, the snap table says %3 / %4")
                     .arg(left).arg(top).arg(wantLeft).arg(wantTop));
        if (form->Designer->Selected() != label)
            Fail(QStringLiteral("the dragged label is not the selection"));
        if (!form->IsModified())
            Fail(QStringLiteral("the drag left the document unmodified"));

        const QImage window = form->Window()->grab().toImage();
        window.save(QStringLiteral(TESSIV_SHOT_DIR "/design_input_drag.png"));
        const QImage shot = surface->grab().toImage();
        shot.save(QStringLiteral(TESSIV_SHOT_DIR "/design_input_drag_surface.png"));
        const TPoint corner = label->ClientToScreen({0, 0});
        const QRect newRect(corner.X, corner.Y, label->Width(), label->Height());
        // The handles are black squares centred on the corners and edges of the new place.
        const QPoint handles[] = {newRect.topLeft(), {newRect.left() + newRect.width() / 2, newRect.top()},
                                  {newRect.left() + newRect.width(), newRect.top()},
                                  {newRect.left(), newRect.top() + newRect.height()},
                                  {newRect.left() + newRect.width(), newRect.top() + newRect.height()}};
        for (const QPoint& h : handles)
            if (InkIn(shot, h.x() - 2, h.y() - 2, h.x() + 2, h.y() + 2) < 12)
                Fail(QStringLiteral("no sizing handle on the screen at %1, %2").arg(h.x()).arg(h.y()));
        if (InkIn(shot, newRect.left() + 2, newRect.top() + 2, newRect.right() - 2, newRect.bottom() - 2) < 20)
            Fail(QStringLiteral("no caption ink inside the label's new place"));
        if (!newRect.intersects(oldRect) &&
            InkIn(shot, oldRect.left() - 2, oldRect.top() - 2, oldRect.right() + 3, oldRect.bottom() + 3) > 0)
            Fail(QStringLiteral("ink left where the label was"));
        if (!child->Host()->FocusRects().empty())
            Fail(QStringLiteral("an outline was left on the surface"));

        // A held Ctrl+Right: the window system repeats it as a release and a press, both marked
        // as repeats, for every repeat. The whole hold moves the label a millimetre a repeat and
        // is one undo step.
        form->Window()->activateWindow();
        Settle(200);
        QWidget* keys = QApplication::focusWidget();
        if (keys != surface)
            Fail(QStringLiteral("the design surface does not have the keyboard after the drag"));
        const auto steps = [&form] { return form->CurrentUndoForm() ? form->CurrentUndoForm()->StepIndex + 1 : 0; };
        const int stepsBefore = steps();
        const double leftBefore = static_cast<double>(label->Size()->Left());
        if (keys) {
            QTest::simulateEvent(keys, true, Qt::Key_Right, Qt::ControlModifier, QString(), false);
            for (int i = 0; i < 9; ++i) {
                QTest::simulateEvent(keys, false, Qt::Key_Right, Qt::ControlModifier, QString(), true);
                QTest::simulateEvent(keys, true, Qt::Key_Right, Qt::ControlModifier, QString(), true);
            }
            QTest::simulateEvent(keys, false, Qt::Key_Right, Qt::ControlModifier, QString(), false);
        }
        if (std::fabs(static_cast<double>(label->Size()->Left()) - (leftBefore + 10)) > 1e-9)
            Fail(QStringLiteral("ten key steps moved the label from %1 to %2 mm")
                     .arg(leftBefore).arg(static_cast<double>(label->Size()->Left())));
        if (steps() != stepsBefore + 1)
            Fail(QStringLiteral("a held key recorded %1 undo steps").arg(steps() - stepsBefore));
        form->EditarVoltarExecute();
        if (std::fabs(static_cast<double>(label->Size()->Left()) - leftBefore) > 1e-9)
            Fail(QStringLiteral("one undo took the label to %1 mm, not back to %2")
                     .arg(static_cast<double>(label->Size()->Left())).arg(leftBefore));

        // The zoom box, typed into as the user types: "30" and Enter is zoom 30 (not a completed
        // "300"), a letter other than L, A or P is refused, 140 and Tab is zoom 140, "L" fits the
        // page's width into the window.
        form->cbZoom->setFocus(Qt::TabFocusReason);
        Settle(100);
        QWidget* zoomKeys = QApplication::focusWidget();
        if (zoomKeys != form->cbZoom)
            Fail(QStringLiteral("the zoom box does not have the keyboard"));
        if (zoomKeys) {
            form->cbZoom->lineEdit()->selectAll();
            QTest::keyClicks(zoomKeys, QStringLiteral("3x0"));
            if (form->cbZoom->currentText() != QStringLiteral("30"))
                Fail(QStringLiteral("the zoom box shows \"%1\" after 3, x, 0").arg(form->cbZoom->currentText()));
            QTest::keyClick(zoomKeys, Qt::Key_Return);
            if (report->Zoom() != 30)
                Fail(QStringLiteral("30 and Enter gave zoom %1").arg(report->Zoom()));
            form->cbZoom->lineEdit()->selectAll();
            QTest::keyClicks(zoomKeys, QStringLiteral("140"));
            QTest::keyClick(zoomKeys, Qt::Key_Tab);
            Settle(100);
            if (report->Zoom() != 140)
                Fail(QStringLiteral("140 and Tab gave zoom %1").arg(report->Zoom()));
            form->cbZoom->setFocus(Qt::TabFocusReason);
            Settle(100);
            const QWidget* outer = child->SubWindow();
            const int fitWidth = static_cast<int>(
                std::nearbyint(outer->width() / (100.0 / report->Zoom() * report->Width()) * 95));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_L);
            if (report->Zoom() != fitWidth)
                Fail(QStringLiteral("L gave zoom %1, the width fits at %2").arg(report->Zoom()).arg(fitWidth));
            if (form->cbZoom->currentText() != QStringLiteral("Largura"))
                Fail(QStringLiteral("L shows \"%1\" in the zoom box").arg(form->cbZoom->currentText()));
        }
        form->AskOnClose = false;
        form->Close();
    }
    return Finish();
}
