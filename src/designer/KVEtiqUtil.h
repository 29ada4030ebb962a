#pragma once
// The design-surface tools the label and report designers share: the multi-selection with its
// corner marks and group drag, the auto-scroll of a drag that leaves the scroll box, and the small
// routines of coordinates and units every designer part uses.

#include "engine/KVUnits.h"
#include "platform/controls/Controls.h"
#include "platform/graphics/Types.h"

namespace tessiv {

class TKVCustomBand;

// r with Left/Right and Top/Bottom swapped where they are the wrong way round.
TRect NormalizeRect(const TRect& r);
TRect NormalizeRect(int left, int top, int right, int bottom);

// Millimetres and characters snap to whole units, the other units to fortieths; halves go to even.
long double RoundToUnit(TKVUnit units, long double value);

// What takes a rectangle in c's parent coordinates into the coordinates of the report's window:
// the Left/Top of every ancestor below the report (nothing for a band lying on the report).
TPoint ReportOffset(const TControl* c);
// What takes a rectangle in the band's own client coordinates into the report's window.
TPoint RubberOffset(const TKVCustomBand* band);

// A pair of values in the report's unit, X then Y.
struct TUnitPair {
    long double X = 0;
    long double Y = 0;
};
TUnitPair SetUnitPair(long double x, long double y);

// Left first, then Top (each is a move of its own, as the designer keys expect).
void SetControlPos(TControl* control, int left, int top);

} // namespace tessiv
