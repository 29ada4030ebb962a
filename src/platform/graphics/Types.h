#pragma once
// Points, sizes and rectangles in the class library's form: integer coordinates, a rectangle's right
// and bottom edges lie just outside it.

#include <QPoint>
#include <QRect>

#include <climits>

namespace tessiv {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    // Saturated: a rectangle over the whole coordinate range (from a damaged file) reports the
    // largest width rather than wrapping round to a negative one.
    int Width() const { return Span(Left, Right); }
    int Height() const { return Span(Top, Bottom); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    // The pixels it covers, for Qt (QRect's right and bottom are inclusive).
    QRect ToQRect() const { return QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)); }
    static TRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }
    friend bool operator==(const TRect&, const TRect&) = default;

private:
    static int Span(int from, int to)
    {
        const long long d = static_cast<long long>(to) - from;
        return d > INT_MAX ? INT_MAX : d < INT_MIN ? INT_MIN : static_cast<int>(d);
    }
};

// v moved by `by`, held at the ends of the int range (coordinates from files reach them).
inline int OffsetClamped(int v, long long by)
{
    const long long r = static_cast<long long>(v) + by;
    return r > INT_MAX ? INT_MAX : r < INT_MIN ? INT_MIN : static_cast<int>(r);
}

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height)
{
    return {left, top, OffsetClamped(left, width), OffsetClamped(top, height)};
}

// Left <= Right and Top <= Bottom.
TRect NormalizedRect(const TRect& r);
// The common part; an empty rectangle (all zero) when they do not meet.
TRect IntersectRect(const TRect& a, const TRect& b);
TRect UnionRect(const TRect& a, const TRect& b);
bool PtInRect(const TRect& r, const TPoint& p);

} // namespace tessiv
