#pragma once
// JPEG pictures, decoded with libjpeg. The bytes are kept exactly as they were read and written
// back unchanged; only a picture made from pixels is encoded.

#include "platform/graphics/Graphic.h"

#include <QByteArray>
#include <QImage>

namespace tessiv {

class TJPEGImage : public TGraphic {
    TESSIV_CLASS(TJPEGImage, TGraphic)
public:
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FData.isEmpty(); }
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    bool Grayscale() const { return FGrayscale; }
    // 1..100, used when pixels are encoded (Assign from a bitmap).
    int CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(int quality);

    // EInvalidImage with libjpeg's reason for anything it cannot decode; the picture stays.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // A 32-bit length, then the JPEG bytes.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
    QImage ToImage() const override { return FImage; }
    const QByteArray& Data() const { return FData; }
    // Encodes pixels at CompressionQuality.
    void SetImage(const QImage& image);

protected:
    void Draw(TCanvas& canvas, const TRect& r) const override;

private:
    QByteArray FData;
    QImage FImage;
    bool FGrayscale = false;
    int FQuality = 90;
};

// Decoding and encoding through libjpeg; a null image / empty bytes with the reason on failure.
QImage DecodeJpeg(const QByteArray& bytes, QString* error = nullptr, bool* grayscale = nullptr);
QByteArray EncodeJpeg(const QImage& image, int quality, QString* error = nullptr);

} // namespace tessiv
