#pragma once
// What the design surface draws over a report and its bands: the measuring grid in the report's
// unit (numbered along the report's edges), the margins, the report's frame at the margins and the
// column boundaries. The geometry is worked out apart from the drawing so that it can be checked
// line by line; the panels' Paint draws it with the scheme of DesignColours.h.

#include "engine/model/KVUnits.h"
#include "platform/graphics/Types.h"

#include <QString>

#include <vector>

namespace tessiv {

class TVardoRep;

struct TRulerLine {
    enum TKind { Major, Minor, Character };
    bool Vertical = true; // from the top edge down; else from the left edge across
    int Pos = 0;          // x of a vertical line, y of a horizontal one, in pixels
    TKind Kind = Major;
    QString Number;       // written beside the line; empty for none

    friend bool operator==(const TRulerLine&, const TRulerLine&) = default;
};

// The grid of a panel of width x height pixels at the zoom (percent) and the screen's pixels per
// inch: vertical lines left to right, then horizontal ones top to bottom. Numbers only when asked
// (the report numbers its grid, bands do not); charSize is the font size in points whose
// character cell the characters unit measures in.
std::vector<TRulerLine> RulerLines(TKVUnit units, int zoom, int ppi, int width, int height, bool numbers,
                                   int charSize);

// The margin rectangle on the report panel, in pixels at the report's zoom.
TRect DesignMarginRect(TVardoRep& report);
// The ends of the report's frame lines: the margins' corners, the right and bottom ones a pixel
// inside.
TRect DesignFrameRect(TVardoRep& report);
// The x of each column tick, in pairs (where column i ends, where column i + 1 begins), drawn from
// the top edge down to the top margin; none for a single column.
std::vector<int> DesignColumnTicks(TVardoRep& report);
// The y the column ticks end at: the top margin in pixels.
int DesignColumnTickBottom(TVardoRep& report);

} // namespace tessiv
