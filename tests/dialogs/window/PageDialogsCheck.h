#pragma once
// What the window checks of the page, alignment and size dialogs share (and the other dialogs'
// checks use): the failures counted, a screenshot of a form into the build folder, its placement
// checked in the settings file and on the screen, and a report with a detail band to work on.

#include "WindowCheck.h"

#include "designer/surface/DesignSelection.h"
#include "designer/document/DesignerClasses.h"
#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVShape.h"
#include "engine/model/KVUnits.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "uisupport/Form.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>

namespace dialogcheck {

using windowcheck::Failures;
using windowcheck::Finish;
using windowcheck::Settle;

inline void Fail(const char* what, long long got = 0, long long wanted = 0)
{
    std::fprintf(stderr, "%s (got %lld, wanted %lld)\n", what, got, wanted);
    ++Failures;
}

inline void Expect(bool ok, const char* what, long long got = 0, long long wanted = 0)
{
    if (!ok)
        Fail(what, got, wanted);
}

// The form as the screen shows it, saved as <build>/<name>.png; false when it is blank.
inline bool Screenshot(const tessiv::TForm& form, const char* name)
{
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, form.Left(), form.Top(), form.Width(), form.Height())
                            .toImage();
    const QString path = QStringLiteral(TESSIV_BINARY_DIR "/") + QLatin1String(name) + QStringLiteral(".png");
    if (!shot.save(path))
        return false;
    std::fprintf(stderr, "screenshot: %s\n", qPrintable(path));
    // A painted dialog has text on it: some dark pixels and some light ones.
    int dark = 0, light = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2) {
            const int l = QColor(shot.pixel(x, y)).lightness();
            dark += l < 80;
            light += l > 180;
        }
    return dark > 20 && light > 20;
}

// Every button, box and label shows whole: none got less room than it asks for.
inline void ExpectNothingClipped(const tessiv::TForm& form)
{
    for (const QWidget* w : form.Window()->findChildren<QWidget*>()) {
        if (!w->isVisible() || !(qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
                                 qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w)))
            continue;
        // A size fixed by the dialog, and a combo box's own edit, are meant as they are.
        if (w->minimumSize() == w->maximumSize() || qobject_cast<const QComboBox*>(w->parentWidget()))
            continue;
        const bool inside = !w->parentWidget() || w->parentWidget()->rect().contains(w->geometry());
        if (!inside || w->height() < w->minimumSizeHint().height()) {
            std::fprintf(stderr, "%s \"%s\" is cut: %d of %d pixels high\n", w->metaObject()->className(),
                         qPrintable(w->objectName()), w->height(), w->minimumSizeHint().height());
            ++Failures;
        }
    }
}

// The form is centred on the screen as the dialogs place themselves without settings.
inline void ExpectCentred(const tessiv::TForm& form)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int left = (screen.width() - form.Width()) / 2;
    const int top = (screen.height() - form.Height()) / 2;
    Expect(std::abs(form.Left() - left) <= 1, "not centred across", form.Left(), left);
    Expect(std::abs(form.Top() - top) <= 1, "not centred down", form.Top(), top);
}

// The corner, and the size when given, the form keeps under the section of the settings file.
inline void ExpectPlacementWritten(const tessiv::TIniFile& settings, const QString& section, int left, int top,
                                   int width = -1, int height = -1)
{
    const auto read = [&](const char* ident) { return settings.ReadInteger(section, QLatin1String(ident), -1); };
    Expect(read("Left") == left, "Left not written", read("Left"), left);
    Expect(read("Top") == top, "Top not written", read("Top"), top);
    if (width >= 0)
        Expect(read("Width") == width, "Width not written", read("Width"), width);
    if (height >= 0)
        Expect(read("Height") == height, "Height not written", read("Height"), height);
}

// The form came back at the corner, and the size when given, the settings file keeps.
inline void ExpectPlacedAt(const tessiv::TForm& form, int left, int top, int width = -1, int height = -1)
{
    Expect(form.Left() == left, "Left not restored", form.Left(), left);
    Expect(form.Top() == top, "Top not restored", form.Top(), top);
    if (width >= 0)
        Expect(form.Width() == width, "Width not restored", form.Width(), width);
    if (height >= 0)
        Expect(form.Height() == height, "Height not restored", form.Height(), height);
}

// A document root with a report and its detail band, the designer's classes known and the
// locale in millimetres. prepare sets the report up before the band is made.
struct TBandReport {
    std::unique_ptr<tessiv::TfmHidden, tessiv::TComponentDeleter> Root;
    tessiv::TVardoRep* Report = nullptr;
    tessiv::TKVBand* Band = nullptr;
};

inline TBandReport MakeBandReport(const std::function<void(tessiv::TVardoRep&)>& prepare = {})
{
    using namespace tessiv;
    RegisterDesignerClasses();
    SetLocaleUsesInches(false);
    TBandReport r;
    r.Root.reset(new TfmHidden(nullptr));
    r.Report = new TVardoRep(r.Root.get());
    r.Report->SetParent(r.Root.get());
    if (prepare)
        prepare(*r.Report);
    r.Band = r.Report->CreateBand(rbDetail);
    return r;
}

// Shapes on the band at the lefts, each (width + left / 10) pixels wide, selected together.
inline tessiv::TDesignSelection SelectedShapes(const TBandReport& r, std::initializer_list<int> lefts, int width)
{
    using namespace tessiv;
    TDesignSelection selection;
    selection.Band = r.Band;
    for (const int left : lefts) {
        auto* shape = new TKVShape(r.Root.get());
        shape->SetParent(r.Band);
        shape->SetBounds(left, 5, width + left / 10, 10);
        selection.Controls.push_back(shape);
    }
    return selection;
}

} // namespace dialogcheck
