// JPEG files from our encoder (colour and grey, several qualities), read, drawn, saved and read again.
#include "FuzzPictures.h"

namespace {

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    std::vector<QByteArray> seeds;
    for (int quality : {10, 75, 100}) {
        seeds.push_back(EncodeJpeg(fuzz::SeedImage(24, 16), quality));
        seeds.push_back(EncodeJpeg(fuzz::SeedImage(17, 9).convertToFormat(QImage::Format_Grayscale8), quality));
    }
    return seeds;
}

} // namespace

TESSIV_FUZZ_TARGET(jpeg, Seeds)
{
    return fuzz::LoadPaintSaveLoad<tessiv::TJPEGImage>(data, size);
}
