#include "designer/KVEtiqUtil.h"

#include "engine/KVBands.h"
#include "engine/VardoRep.h"

#include <cmath>

namespace tessiv {

TRect NormalizeRect(const TRect& r)
{
    return NormalizeRect(r.Left, r.Top, r.Right, r.Bottom);
}

TRect NormalizeRect(int left, int top, int right, int bottom)
{
    TRect r{left, top, right, bottom};
    if (r.Right < r.Left)
        std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top)
        std::swap(r.Top, r.Bottom);
    return r;
}

namespace {

// Nearest whole number, halves to even, whatever rounding mode someone left set.
long double RoundHalfEven(long double v)
{
    if (!std::isfinite(v))
        return v;
    const long double down = std::floor(v);
    const long double diff = v - down;
    if (diff < 0.5L)
        return down;
    if (diff > 0.5L)
        return down + 1;
    return std::fmod(down, 2.0L) == 0 ? down : down + 1;
}

} // namespace

long double RoundToUnit(TKVUnit units, long double value)
{
    switch (units) {
    case kvunMM:
    case kvunCharacters:
        return RoundHalfEven(value);
    default:
        return RoundHalfEven(value * 40) / 40;
    }
}

TPoint ReportOffset(const TControl* c)
{
    // Summing every ancestor up to the report covers a printable on a band (the band), one on a
    // nested band (that band and the band it lies in) and a band on the report (nothing), and also
    // keeps a printable lying straight on the report at its own place rather than shifting it by
    // the report's position in the scroll box.
    TPoint offset;
    if (!c)
        return offset;
    for (const TWinControl* p = c->Parent(); p && !dynamic_cast<const TVardoRep*>(p); p = p->Parent()) {
        offset.X = OffsetClamped(offset.X, p->Left());
        offset.Y = OffsetClamped(offset.Y, p->Top());
    }
    return offset;
}

TPoint RubberOffset(const TKVCustomBand* band)
{
    if (!band)
        return {};
    const TPoint parent = ReportOffset(band);
    return {OffsetClamped(parent.X, band->Left()), OffsetClamped(parent.Y, band->Top())};
}

TUnitPair SetUnitPair(long double x, long double y)
{
    return {x, y};
}

void SetControlPos(TControl* control, int left, int top)
{
    if (!control)
        return;
    control->SetLeft(left);
    control->SetTop(top);
}

} // namespace tessiv
