#pragma once
// What the picture targets share: a small picture with every kind of pixel to make seeds from,
// and the round trip every picture kind promises (what loads saves as something that loads).

#include "FuzzTarget.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Graphics.h"

#include <QImage>

#include <memory>

namespace fuzz {

// Gradients, a few flat colours and a diagonal: something for every pixel format to code.
inline QImage SeedImage(int w, int h, bool alpha = false)
{
    QImage img(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb c = qRgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), (x * y) & 0xFF);
            if (x == y)
                c = qRgb(0, 0, 0);
            if (x < w / 4 && y < h / 4)
                c = qRgb(255, 0, 0);
            img.setPixel(x, y, alpha ? qRgba(qRed(c), qGreen(c), qBlue(c), (x * 17) & 0xFF) : c);
        }
    return img;
}

// Loads the bytes as a picture of kind G; when they are accepted, draws it, saves it and loads
// the saved form again, which must be accepted and show the same size.
template <class G>
bool LoadPaintSaveLoad(const std::uint8_t* data, std::size_t size)
{
    using namespace tessiv;
    G graphic;
    try {
        TMemoryStream in(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        graphic.LoadFromStream(in);
    } catch (const Exception&) {
        return false; // refused: the reader's answer to a damaged file
    }
    Paint(graphic);
    TMemoryStream saved;
    graphic.SaveToStream(saved);
    saved.SetPosition(0);
    G again;
    try {
        again.LoadFromStream(saved);
    } catch (const Exception& e) {
        Broken("a picture that loaded saved as something that does not load");
    }
    if (again.Width() != graphic.Width() || again.Height() != graphic.Height())
        Broken("a picture that loaded saved as a picture of another size");
    return true;
}

} // namespace fuzz
