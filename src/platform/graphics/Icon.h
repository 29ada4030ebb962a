#pragma once
// Icons (ICO files): the largest, deepest image of the file is shown; the file's bytes are kept
// and saved unchanged.

#include "platform/graphics/Graphic.h"

#include <QByteArray>
#include <QImage>

namespace tessiv {

class TIcon : public TGraphic {
    TESSIV_CLASS(TIcon, TGraphic)
public:
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FData.isEmpty(); }
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }

    // EInvalidImage "Icon image is not valid" for anything that is not a sound icon file.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    QImage ToImage() const override { return FImage; }
    const QByteArray& Data() const { return FData; }

protected:
    void Draw(TCanvas& canvas, const TRect& r) const override;

private:
    QByteArray FData;
    QImage FImage;
};

// The best image of an ICO file; a null image and the reason when it is damaged.
QImage DecodeIco(const QByteArray& bytes, QString* error = nullptr);

} // namespace tessiv
