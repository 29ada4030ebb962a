#pragma once
// Helpers of the drawing tests: a canvas that records what reaches the device, images with the
// barcode drawn on them, and the external readers.

#include "barcode/LLBarcode.h"
#include "platform/graphics/Canvas.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace bartest {

// A canvas that records the fills and texts a drawing sends to the device.
class TRecordingCanvas : public tessiv::TCanvas {
public:
    struct TText {
        int X, Y;
        QString Text;
        int Escapement;
        int Height; // cell height when positive
        QString Face;
        unsigned Align;
    };
    explicit TRecordingCanvas(int DpiX = 96, int DpiY = -1);
    tessiv::TDeviceCaps DeviceCaps() const override { return FCaps; }

    std::vector<tessiv::TRect> Fills;
    std::vector<TText> Texts;

protected:
    void DevPolyline(const QPolygon&, const tessiv::TDcState&) override {}
    void DevPolygon(const QPolygon&, const tessiv::TDcState&) override {}
    void DevRectangle(const tessiv::TRect&, const tessiv::TDcState&) override {}
    void DevEllipse(const tessiv::TRect&, const tessiv::TDcState&) override {}
    void DevRoundRect(const tessiv::TRect&, int, int, const tessiv::TDcState&) override {}
    void DevFillRect(const tessiv::TRect& R, const tessiv::TDcState&) override { Fills.push_back(R); }
    void DevTextOut(int X, int Y, unsigned, const tessiv::TRect*, const QString& Text, const std::vector<int>&,
                    const tessiv::TDcState& St) override
    {
        Texts.push_back({X, Y, Text, St.Font.Escapement, St.Font.Height, St.Font.FaceName, St.TextAlign});
    }
    void DevStretchDIBits(const tessiv::TRect&, const tessiv::TRect&, const QImage&, const tessiv::TDcState&) override {}

private:
    tessiv::TDeviceCaps FCaps;
};

// The barcode drawn on a white image at Dpi, Margin pixels from every edge; Size is what the
// drawing reported.
QImage DrawOnImage(tessiv::TLLBarcode& Barcode, int Dpi, int Margin, tessiv::TSize* Size = nullptr);

// Pixels darker than light grey inside or outside a rectangle.
int InkInside(const QImage& Image, const QRect& Area);
int InkOutside(const QImage& Image, const QRect& Area);

bool HaveProgram(const QString& Program);
// Runs a program and returns its standard output (empty when it could not run).
QByteArray Run(const QString& Program, const QStringList& Args, int TimeoutMs = 120000);

} // namespace bartest
