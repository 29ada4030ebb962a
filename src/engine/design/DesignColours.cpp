#include "engine/design/DesignColours.h"

#include <QGuiApplication>
#include <QScreen>

namespace tessiv {

namespace {
TDesignColours LightScheme()
{
    TDesignColours s;
    s.MinorLineStyle = psSolid;
    s.MinorLineColour = RGB(249, 249, 249);
    s.MajorLineStyle = psSolid;
    s.MajorLineColour = RGB(240, 240, 240);
    s.RulerFontName = QStringLiteral("Small Fonts");
    s.RulerFontSize = 6;
    s.RulerFontColour = RGB(112, 112, 112);
    s.GuideStyle = psDot;
    s.GuideColour = RGB(128, 128, 255);
    s.BandOutlineStyle = psDot;
    s.BandOutlineColour = RGB(96, 96, 96);
    return s;
}

TDesignColours GreyScheme()
{
    TDesignColours s;
    s.MinorLineStyle = psDot;
    s.MinorLineColour = RGB(192, 192, 192);
    s.MajorLineStyle = psSolid;
    s.MajorLineColour = RGB(192, 192, 192);
    s.RulerFontName = QStringLiteral("Small Fonts");
    s.RulerFontSize = 6;
    s.RulerFontColour = RGB(192, 192, 192);
    s.GuideStyle = psDash;
    s.GuideColour = RGB(128, 128, 128);
    s.BandOutlineStyle = psSolid;
    s.BandOutlineColour = RGB(128, 128, 128);
    return s;
}
} // namespace

TDesignColours& DesignColours()
{
    static TDesignColours scheme = LightScheme();
    return scheme;
}

void SetLightDesignColours() { DesignColours() = LightScheme(); }
void SetGreyDesignColours() { DesignColours() = GreyScheme(); }

void SelectDesignColoursFor(int numColors)
{
    if (numColors >= 0 && numColors <= 256)
        SetGreyDesignColours();
    else
        SetLightDesignColours();
}

int ScreenColourCount()
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    if (!screen)
        return -1;
    const int depth = screen->depth();
    return depth > 8 ? -1 : 1 << depth;
}

void SelectDesignColours() { SelectDesignColoursFor(ScreenColourCount()); }

} // namespace tessiv
