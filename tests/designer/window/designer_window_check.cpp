// The program's main form on a real X server with a bundled example open: the screen is read back
// and checked where a user would look: the ruler's centimetre line and number, the margin guide of
// the page and a band's caption. TESSIV_SCREENSHOT names a PNG to keep for a person to look at.
#include "WindowCheck.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "engine/design/DesignColours.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QMdiSubWindow>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace tessiv;
using namespace windowcheck;

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    TQtApplication app(argc, argv);
    const QString example = QStringLiteral(TESSIV_SOURCE_DIR "/examples/lista.KVR");

    {
        const auto form = ShowMainForm({example});
        form->HandleCommandLine();
        form->FormPaint();
        Settle(1500);
        TfmAnexo_MDIChild* child = form->ActiveMDIChild();
        if (!child || !child->Report) {
            std::fprintf(stderr, "the example opened no window\n");
            return 1;
        }
        child->SubWindow()->resize(700, 500);
        Settle(800);
        QWidget* surface = child->Host()->Surface();
        const QPoint origin = surface->mapToGlobal(QPoint(0, 0));
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        if (const QByteArray path = qgetenv("TESSIV_SCREENSHOT"); !path.isEmpty())
            shot.save(QString::fromLocal8Bit(path));
        if (const QByteArray path = qgetenv("TESSIV_SURFACE_SHOT"); !path.isEmpty())
            surface->grab().save(QString::fromLocal8Bit(path));
        const auto at = [&](int x, int y) { return QColor(shot.pixel(origin.x() + x, origin.y() + y)); };
        const auto rgb = [](TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); };
        const TDesignColours& dc = DesignColours();

        // The ruler: the first centimetre line, at 38 pixels, above the top margin, and its "1".
        if (at(38, 30) != rgb(dc.MajorLineColour))
            Fail("no centimetre line at x 38");
        int numberInk = 0;
        for (int y = 2; y < 12; ++y)
            for (int x = 40; x < 46; ++x)
                numberInk += at(x, y).lightness() < 200;
        if (numberInk == 0)
            Fail("no ruler number beside the centimetre line");

        // The page: the margin guide runs down the left margin below the bands.
        // (The last band of the layout: the report's last child may be a sizing handle.)
        int bottom = 0;
        for (TKVCustomBand* band : child->Report->BandList())
            bottom = std::max(bottom, band->Top() + band->Height());
        const int below = bottom + 100;
        int guide = 0;
        for (int y = below; y < below + 8; ++y)
            guide += at(38, y) == rgb(dc.GuideColour);
        if (guide == 0)
            Fail("no margin guide along the left margin");

        // A band's caption: ink in the lower left of a band, left of its controls (their corner
        // marks are ink too).
        int captionInk = 0;
        for (TKVCustomBand* band : child->Report->BandList()) {
            int free = band->Width();
            for (int i = 0; i < band->ControlCount(); ++i)
                free = std::min(free, band->Controls(i)->Left());
            if (free < 20)
                continue;
            for (int y = band->Top() + band->Height() - 16; y < band->Top() + band->Height() - 2; ++y)
                for (int x = band->Left() + 2; x < band->Left() + free - 1; ++x)
                    captionInk += at(x, y).lightness() < 180;
        }
        if (captionInk < 5)
            Fail("no band caption on the screen");
        form->Close();
    }
    return Finish();
}
