#pragma once
// Bitmaps: BMP files of 1, 4, 8, 16, 24 and 32 bits per pixel (uncompressed, bit fields, RLE) are
// read; 1, 4, 8, 24 and 32 bits are written. A bitmap that was loaded and not changed saves the
// very bytes it was loaded from.

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

#include <QByteArray>
#include <QImage>

#include <memory>

namespace tessiv {

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

class TBitmap : public TGraphic {
    TESSIV_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;

    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FImage.isNull() || FImage.width() == 0 || FImage.height() == 0; }
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    void SetWidth(int width);
    void SetHeight(int height);
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat format);

    // Drawing on the bitmap; the canvas lives as long as the bitmap and marks it changed.
    TCanvas* Canvas();

    // EInvalidImage "Bitmap image is not valid" for anything that is not a sound BMP file.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // A 32-bit length, then the BMP file.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;

    QImage ToImage() const override { return FImage; }
    // Takes a copy of the pixels (the bitmap becomes 24 bits, or 32 with transparency).
    void SetImage(const QImage& image);
    // The BMP file for these pixels at the current pixel format.
    QByteArray EncodeBmp() const;

protected:
    void Draw(TCanvas& canvas, const TRect& r) const override;

private:
    class TBitmapCanvas;
    void Modified();
    void EndCanvas() const;
    QImage FImage;
    TPixelFormat FPixelFormat = pf24bit;
    QByteArray FOriginal; // the file as loaded, while the pixels are unchanged
    std::unique_ptr<TBitmapCanvas> FCanvas;
};

// Parses a BMP file; a null image and the reason when it is damaged.
QImage DecodeBmp(const QByteArray& bytes, int* bitCount = nullptr, QString* error = nullptr);

} // namespace tessiv
