#include "platform/graphics/JPEGImage.h"

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Dib.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace tessiv {

namespace {

// libjpeg reports fatal errors through a callback that must not return; we jump back out of the
// C code. Only plain C objects live between setjmp and the jump.
struct TJpegError {
    jpeg_error_mgr Mgr;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    bool Truncated; // the data ended before the picture did
};

void OnError(j_common_ptr info)
{
    auto* err = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, err->Message);
    std::longjmp(err->Jump, 1);
}

// Warnings are passed over, except the ones saying the data ran out: libjpeg then paints the rest
// grey and goes on, which would show a damaged file as a sound one.
void OnMessage(j_common_ptr info, int level)
{
    auto* err = reinterpret_cast<TJpegError*>(info->err);
    if (level == -1 && (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_HIT_MARKER) &&
        !err->Truncated) {
        err->Truncated = true;
        (*info->err->format_message)(info, err->Message);
    }
}

// The decoder's own working memory (the coefficients of a progressive picture) is held to this;
// together with the picture itself (at most kMaxDibPixels) decoding stays well under 500 MB.
constexpr long kJpegWorkingMemory = 96L * 1024 * 1024;
// Every 8 x 8 block of a coded picture takes at least one bit: a file claiming more pixels than
// that allows for its size is damaged or hostile, and is refused before anything is allocated.
constexpr std::int64_t kJpegPixelsPerByte = 8 * 64;

struct TDecodeResult {
    bool Ok = false;
    int Width = 0, Height = 0, Components = 0;
    bool Cmyk = false;
};

// The decoded rows go to a sink the caller gives: `begin` learns the size and returns a buffer for
// one row (nullptr: refused), `row` takes each row as it is decoded.
struct TJpegSinkCalls {
    unsigned char* (*Begin)(void* ctx, int w, int h, int components, bool cmyk);
    void (*Row)(void* ctx, int y, const unsigned char* data);
};

// Reads the header and, when it is acceptable, the pixels row by row into the sink. Kept free of
// C++ objects with destructors.
TDecodeResult DecodeInto(const unsigned char* data, unsigned long size, char* message, TJpegSinkCalls calls, void* ctx)
{
    TDecodeResult result;
    jpeg_decompress_struct cinfo;
    TJpegError err;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.Mgr);
    err.Mgr.error_exit = OnError;
    err.Mgr.emit_message = OnMessage;
    err.Message[0] = 0;
    err.Truncated = false;
    if (setjmp(err.Jump)) {
        std::strncpy(message, err.Message, JMSG_LENGTH_MAX - 1);
        message[JMSG_LENGTH_MAX - 1] = 0;
        jpeg_destroy_decompress(&cinfo);
        result.Ok = false;
        return result;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kJpegWorkingMemory;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cinfo.out_color_space = JCS_CMYK;
        result.Cmyk = true;
    } else if (cinfo.num_components == 1) {
        cinfo.out_color_space = JCS_GRAYSCALE;
    } else {
        cinfo.out_color_space = JCS_RGB;
    }
    const std::int64_t pixels = std::int64_t(cinfo.image_width) * cinfo.image_height;
    if (pixels > kMaxDibPixels || cinfo.image_width == 0 || cinfo.image_height == 0) {
        std::strcpy(message, "JPEG image is too large");
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    if (pixels > std::int64_t(size) * kJpegPixelsPerByte) {
        std::strcpy(message, "JPEG image is larger than its data can hold");
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    jpeg_start_decompress(&cinfo);
    result.Width = int(cinfo.output_width);
    result.Height = int(cinfo.output_height);
    result.Components = cinfo.output_components;
    unsigned char* row = calls.Begin(ctx, result.Width, result.Height, result.Components, result.Cmyk);
    if (!row) {
        std::strcpy(message, "Out of memory for the JPEG image");
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    while (cinfo.output_scanline < cinfo.output_height && !err.Truncated) {
        const int y = int(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        calls.Row(ctx, y, row);
    }
    if (err.Truncated || cinfo.output_scanline < cinfo.output_height) {
        std::strncpy(message, err.Truncated ? err.Message : "Premature end of JPEG file", JMSG_LENGTH_MAX - 1);
        message[JMSG_LENGTH_MAX - 1] = 0;
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (err.Truncated) {
        std::strncpy(message, err.Message, JMSG_LENGTH_MAX - 1);
        message[JMSG_LENGTH_MAX - 1] = 0;
        return result;
    }
    result.Ok = true;
    return result;
}

// Rows go straight into the picture: no second copy of the pixels is ever held.
struct TImageSink {
    QImage Image;
    std::vector<unsigned char> Row;
    int Components = 3;
    bool Cmyk = false;

    static unsigned char* Begin(void* ctx, int w, int h, int components, bool cmyk)
    {
        auto* sink = static_cast<TImageSink*>(ctx);
        if (w <= 0 || h <= 0 || components < 1 || components > 4)
            return nullptr;
        sink->Image = QImage(w, h, QImage::Format_RGB32);
        if (sink->Image.isNull())
            return nullptr;
        sink->Row.assign(std::size_t(w) * std::size_t(components), 0);
        sink->Components = components;
        sink->Cmyk = cmyk;
        return sink->Row.data();
    }
    static void PutRow(void* ctx, int y, const unsigned char* s)
    {
        auto* sink = static_cast<TImageSink*>(ctx);
        QRgb* line = reinterpret_cast<QRgb*>(sink->Image.scanLine(y));
        const int w = sink->Image.width();
        for (int x = 0; x < w; ++x) {
            if (sink->Components == 1) {
                line[x] = qRgb(s[x], s[x], s[x]);
            } else if (sink->Components == 4) {
                // Adobe writes CMYK inverted; libjpeg hands it on as stored.
                const int c = s[4 * x], m = s[4 * x + 1], yy = s[4 * x + 2], k = s[4 * x + 3];
                line[x] = qRgb(c * k / 255, m * k / 255, yy * k / 255);
            } else {
                line[x] = qRgb(s[3 * x], s[3 * x + 1], s[3 * x + 2]);
            }
        }
    }
};

bool EncodeFrom(const unsigned char* rgb, int w, int h, int quality, unsigned char** out, unsigned long* outSize,
                char* message)
{
    jpeg_compress_struct cinfo;
    TJpegError err;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.Mgr);
    err.Mgr.error_exit = OnError;
    err.Mgr.emit_message = OnMessage;
    if (setjmp(err.Jump)) {
        std::strncpy(message, err.Message, JMSG_LENGTH_MAX - 1);
        message[JMSG_LENGTH_MAX - 1] = 0;
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb + std::size_t(cinfo.next_scanline) * w * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& bytes, QString* error, bool* grayscale)
{
    if (bytes.size() < 4 || uchar(bytes[0]) != 0xFF || uchar(bytes[1]) != 0xD8) {
        if (error)
            *error = QStringLiteral("Not a JPEG file");
        return {};
    }
    TImageSink sink;
    char message[JMSG_LENGTH_MAX] = {0};
    const TDecodeResult r = DecodeInto(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                       static_cast<unsigned long>(bytes.size()), message,
                                       TJpegSinkCalls{&TImageSink::Begin, &TImageSink::PutRow}, &sink);
    if (!r.Ok) {
        if (error)
            *error = QString::fromLocal8Bit(message);
        return {};
    }
    if (grayscale)
        *grayscale = r.Components == 1;
    return sink.Image;
}

QByteArray EncodeJpeg(const QImage& image, int quality, QString* error)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB888);
    if (img.isNull()) {
        if (error)
            *error = QStringLiteral("Empty image");
        return {};
    }
    QByteArray rgb(qsizetype(img.width()) * img.height() * 3, '\0');
    for (int y = 0; y < img.height(); ++y)
        std::memcpy(rgb.data() + qsizetype(y) * img.width() * 3, img.constScanLine(y), std::size_t(img.width()) * 3);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    char message[JMSG_LENGTH_MAX] = {0};
    const bool ok = EncodeFrom(reinterpret_cast<const unsigned char*>(rgb.constData()), img.width(), img.height(),
                               quality, &out, &outSize, message);
    QByteArray result;
    if (ok && out)
        result = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    else if (error)
        *error = QString::fromLocal8Bit(message);
    std::free(out);
    return result;
}

TESSIV_IMPLEMENT_CLASS(TJPEGImage, TGraphic, )

void TJPEGImage::Assign(const TPersistent* source)
{
    if (!source) {
        FData.clear();
        FImage = QImage();
        Changed();
        return;
    }
    if (auto* j = dynamic_cast<const TJPEGImage*>(source)) {
        FData = j->FData;
        FImage = j->FImage;
        FGrayscale = j->FGrayscale;
        FQuality = j->FQuality;
        Changed();
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        SetImage(g->ToImage());
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::SetCompressionQuality(int quality)
{
    FQuality = std::clamp(quality, 1, 100);
}

void TJPEGImage::SetImage(const QImage& image)
{
    if (image.isNull()) {
        Assign(nullptr);
        return;
    }
    QImage flat = image;
    if (image.hasAlphaChannel()) {
        flat = QImage(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                const int a = qAlpha(p);
                flat.setPixel(x, y, qRgb((qRed(p) * a + 255 * (255 - a)) / 255, (qGreen(p) * a + 255 * (255 - a)) / 255,
                                         (qBlue(p) * a + 255 * (255 - a)) / 255));
            }
    }
    QString error;
    const QByteArray bytes = EncodeJpeg(flat, FQuality, &error);
    if (bytes.isEmpty())
        throw EInvalidImage(QStringLiteral("JPEG error: %1").arg(error));
    bool gray = false;
    FImage = DecodeJpeg(bytes, nullptr, &gray);
    FData = bytes;
    FGrayscale = gray;
    Changed();
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    const std::int64_t remaining = stream.Remaining();
    if (remaining <= 0 || remaining > (std::int64_t(1) << 30))
        throw EInvalidImage(QStringLiteral("JPEG error: empty or too large"));
    const QByteArray bytes = stream.ReadBytes(remaining);
    QString error;
    bool gray = false;
    const QImage img = DecodeJpeg(bytes, &error, &gray);
    if (img.isNull())
        throw EInvalidImage(QStringLiteral("JPEG error: %1").arg(error));
    FData = bytes;
    FImage = img;
    FGrayscale = gray;
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) const
{
    stream.WriteBytes(FData);
}

void TJPEGImage::ReadData(TStream& stream)
{
    std::uint32_t size = 0;
    stream.ReadBuffer(&size, 4);
    if (size == 0) {
        Assign(nullptr);
        return;
    }
    if (std::int64_t(size) > stream.Remaining())
        throw EInvalidImage(QStringLiteral("JPEG error: data is shorter than its length"));
    TMemoryStream part(stream.ReadBytes(size));
    LoadFromStream(part);
}

void TJPEGImage::WriteData(TStream& stream) const
{
    const std::uint32_t size = std::uint32_t(FData.size());
    stream.WriteBuffer(&size, 4);
    stream.WriteBytes(FData);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r) const
{
    if (!FImage.isNull())
        canvas.StretchDIBits(r, {0, 0, FImage.width(), FImage.height()}, FImage);
}

} // namespace tessiv
