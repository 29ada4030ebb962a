#pragma once
// The colours and pen styles of the design surface: grid lines, ruler numbers, margin and column
// guides, band outlines. One scheme is chosen when the program starts, by how many colours the
// display shows (a grey one for 256 colours or fewer, where near-white would dither), and every
// paint reads it.

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsObjects.h"

#include <QString>

namespace tessiv {

struct TDesignColours {
    TPenStyle MinorLineStyle = psSolid;
    TPenStyle MajorLineStyle = psSolid;
    TColor MinorLineColour = 0;
    TColor MajorLineColour = 0;
    QString RulerFontName;
    TColor RulerFontColour = 0;
    int RulerFontSize = 6; // points
    TPenStyle GuideStyle = psSolid;
    TColor GuideColour = 0;
    TPenStyle BandOutlineStyle = psSolid;
    TColor BandOutlineColour = 0;
};

// The scheme in use; the light one until a choice is made.
TDesignColours& DesignColours();
void SetLightDesignColours();
void SetGreyDesignColours();
// Grey for a colour count from 0 to 256, light otherwise (-1 stands for more than 8 bits per
// pixel).
void SelectDesignColoursFor(int numColors);
// Asks the screen for its colour count (as NUMCOLORS reports it) and chooses by it. Called once
// at start-up, when the display is known.
void SelectDesignColours();
// The screen's colour count: 2^depth up to 8 bits per pixel, -1 beyond; -1 without a screen.
int ScreenColourCount();

} // namespace tessiv
