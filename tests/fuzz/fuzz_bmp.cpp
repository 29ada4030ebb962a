// BMP files: every pixel format and coding our writer makes, read, drawn, saved and read again.
#include "FuzzPictures.h"

namespace {

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    std::vector<QByteArray> seeds;
    const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit};
    for (TPixelFormat f : formats) {
        TBitmap b;
        b.SetImage(fuzz::SeedImage(13, 7, f == pf32bit));
        b.SetPixelFormat(f);
        seeds.push_back(b.EncodeBmp());
    }
    return seeds;
}

} // namespace

TESSIV_FUZZ_TARGET(bmp, Seeds)
{
    return fuzz::LoadPaintSaveLoad<tessiv::TBitmap>(data, size);
}
