#pragma once
// Plays enhanced and Windows metafile records onto a canvas.

#include "platform/graphics/Canvas.h"

#include <QByteArray>

namespace tessiv {

// The frame of an EMF in reference-device pixels, and its reference resolution; false when the
// bytes are not an EMF with a sound header.
struct TEmfGeometry {
    double FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0; // device pixels
    double PixelsPerMMX = 96 / 25.4, PixelsPerMMY = 96 / 25.4;
    int FrameMM[4] = {0, 0, 0, 0}; // 0.01 mm
};
bool ReadEmfGeometry(const QByteArray& bytes, TEmfGeometry& out, QString* error = nullptr);
// Checks the record chain of an EMF (every length inside the data, a header first).
bool ValidateEmf(const QByteArray& bytes, QString* error = nullptr);

// A WMF's extent: the placeable header's box and units per inch, or none (0).
struct TWmfGeometry {
    bool Placeable = false;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Inch = 0;
    int HeaderSize = 18; // where the records begin after the standard header
    int Objects = 0;
};
bool ReadWmfGeometry(const QByteArray& bytes, TWmfGeometry& out, QString* error = nullptr);

void PlayEmf(const QByteArray& bytes, TCanvas& canvas, const TRect& r);
void PlayWmf(const QByteArray& bytes, TCanvas& canvas, const TRect& r);

} // namespace tessiv
