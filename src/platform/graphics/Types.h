#pragma once
// Points, sizes and rectangles in the class library's form: integer coordinates, a rectangle's right
// and bottom edges lie just outside it.

#include <QPoint>
#include <QRect>

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

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    // The pixels it covers, for Qt (QRect's right and bottom are inclusive).
    QRect ToQRect() const { return QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)); }
    static TRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// Left <= Right and Top <= Bottom.
TRect NormalizedRect(const TRect& r);
// The common part; an empty rectangle (all zero) when they do not meet.
TRect IntersectRect(const TRect& a, const TRect& b);
TRect UnionRect(const TRect& a, const TRect& b);
bool PtInRect(const TRect& r, const TPoint& p);

} // namespace tessiv
