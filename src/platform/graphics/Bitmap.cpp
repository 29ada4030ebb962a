#include "platform/graphics/Bitmap.h"

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Dib.h"

#include <QPainter>

#include <new>

namespace tessiv {

namespace {
const QString& InvalidBitmap()
{
    static const QString text = QStringLiteral("Bitmap image is not valid");
    return text;
}
std::uint32_t U32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
} // namespace

QImage DecodeBmp(const QByteArray& bytes, int* bitCount, QString* error)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::size_t size = std::size_t(bytes.size());
    if (size < 14 + 12 || p[0] != 'B' || p[1] != 'M') {
        if (error)
            *error = QStringLiteral("Not a bitmap file");
        return {};
    }
    const std::uint32_t offBits = U32(p + 10);
    TDibInfo info;
    if (!ParseDibInfo(p + 14, size - 14, info, error))
        return {};
    // Some writers leave the offset at 0: the bits then follow the colour table.
    const std::size_t bitsAt = offBits >= 14u + std::uint32_t(info.InfoSize) && offBits <= size ? offBits : 14u + info.InfoSize;
    if (bitsAt > size) {
        if (error)
            *error = QStringLiteral("Bitmap data is missing");
        return {};
    }
    if (bitCount)
        *bitCount = info.BitCount;
    return DecodeDib(p + 14, std::size_t(info.InfoSize), p + bitsAt, size - bitsAt, error);
}

// The canvas of a bitmap: keeps its painter on the bitmap's image and follows resizes.
class TBitmap::TBitmapCanvas : public TPainterCanvas {
public:
    explicit TBitmapCanvas(TBitmap& owner)
        : TPainterCanvas(nullptr, TDeviceCaps{ScreenPixelsPerInch(), ScreenPixelsPerInch(), 1, 1}), Owner(owner)
    {
        Begin();
    }
    ~TBitmapCanvas() override { End(); }
    void Begin()
    {
        if (Owner.FImage.isNull())
            Owner.FImage = QImage(1, 1, QImage::Format_RGB32), Owner.FImage.fill(Qt::white);
        Painter = std::make_unique<QPainter>(&Owner.FImage);
        Rebind(Painter.get(), TDeviceCaps{ScreenPixelsPerInch(), ScreenPixelsPerInch(), Owner.FImage.width(),
                                          Owner.FImage.height()});
    }
    void End()
    {
        if (Painter && Painter->isActive())
            Painter->end();
        Painter.reset();
        Rebind(nullptr, DeviceCaps());
    }
    bool Active() const { return Painter != nullptr; }
    TBitmap& Owner;
    std::unique_ptr<QPainter> Painter;

protected:
    // Any drawing changes the pixels: the loaded file no longer describes them.
    void DevPolyline(const QPolygon& p, const TDcState& st) override { Touch(); TPainterCanvas::DevPolyline(p, st); }
    void DevPolygon(const QPolygon& p, const TDcState& st) override { Touch(); TPainterCanvas::DevPolygon(p, st); }
    void DevPolyPolygon(const std::vector<QPolygon>& p, const TDcState& st) override { Touch(); TPainterCanvas::DevPolyPolygon(p, st); }
    void DevRectangle(const TRect& r, const TDcState& st) override { Touch(); TPainterCanvas::DevRectangle(r, st); }
    void DevEllipse(const TRect& r, const TDcState& st) override { Touch(); TPainterCanvas::DevEllipse(r, st); }
    void DevRoundRect(const TRect& r, int ew, int eh, const TDcState& st) override { Touch(); TPainterCanvas::DevRoundRect(r, ew, eh, st); }
    void DevFillRect(const TRect& r, const TDcState& st) override { Touch(); TPainterCanvas::DevFillRect(r, st); }
    void DevTextOut(int x, int y, unsigned o, const TRect* rc, const QString& t, const std::vector<int>& dx,
                    const TDcState& st) override
    {
        Touch();
        TPainterCanvas::DevTextOut(x, y, o, rc, t, dx, st);
    }
    void DevStretchDIBits(const TRect& d, const TRect& s, const QImage& img, const TDcState& st) override
    {
        Touch();
        TPainterCanvas::DevStretchDIBits(d, s, img.isDetached() || &img != &Owner.FImage ? img : img.copy(), st);
    }

private:
    void Touch()
    {
        if (!Painter)
            Begin();
        Owner.FOriginal.clear();
    }
};

TESSIV_IMPLEMENT_CLASS(TBitmap, TGraphic, )

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() = default;

void TBitmap::EndCanvas() const
{
    if (FCanvas)
        FCanvas->End();
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TBitmapCanvas>(*this);
    else if (!FCanvas->Active())
        FCanvas->Begin();
    return FCanvas.get();
}

void TBitmap::Modified()
{
    FOriginal.clear();
    Changed();
}

void TBitmap::Assign(const TPersistent* source)
{
    if (!source) {
        EndCanvas();
        FImage = QImage();
        FOriginal.clear();
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        EndCanvas();
        FImage = b->FImage.copy();
        FPixelFormat = b->FPixelFormat;
        FOriginal = b->FOriginal;
        Changed();
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        // Any other picture is drawn into a bitmap of its size.
        SetImage(g->ToImage());
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (std::int64_t(width) * height > kMaxDibPixels)
        throw EInvalidImage(QStringLiteral("Bitmap is too large"));
    if (!FImage.isNull() && width == FImage.width() && height == FImage.height())
        return;
    const bool painting = FCanvas && FCanvas->Active();
    EndCanvas();
    QImage next(width, height, FImage.isNull() ? QImage::Format_RGB32 : FImage.format());
    if (width > 0 && height > 0) {
        next.fill(Qt::white);
        if (!FImage.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, FImage);
        }
    }
    FImage = next;
    if (painting && width > 0 && height > 0)
        FCanvas->Begin();
    Modified();
}

void TBitmap::SetWidth(int width)
{
    SetSize(width, FImage.isNull() ? 0 : FImage.height());
}

void TBitmap::SetHeight(int height)
{
    SetSize(FImage.isNull() ? 0 : FImage.width(), height);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == FPixelFormat)
        return;
    FPixelFormat = format;
    Modified();
}

void TBitmap::SetImage(const QImage& image)
{
    EndCanvas();
    FImage = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                     : image.convertToFormat(QImage::Format_RGB32);
    FPixelFormat = image.hasAlphaChannel() ? pf32bit : pf24bit;
    Modified();
}

void TBitmap::LoadFromStream(TStream& stream)
{
    const std::int64_t remaining = stream.Remaining();
    if (remaining <= 0 || remaining > (std::int64_t(1) << 31))
        throw EInvalidImage(InvalidBitmap());
    const QByteArray bytes = stream.ReadBytes(remaining);
    int bits = 24;
    QString error;
    QImage img;
    try {
        img = DecodeBmp(bytes, &bits, &error);
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("Not enough memory to decode the picture");
    }
    // A picture too large for the memory left says so; it is no damaged file.
    if (img.isNull())
        throw EInvalidImage(error.startsWith(QLatin1String("Not enough memory")) ? error : InvalidBitmap());
    EndCanvas();
    FImage = img;
    switch (bits) {
    case 1: FPixelFormat = pf1bit; break;
    case 4: FPixelFormat = pf4bit; break;
    case 8: FPixelFormat = pf8bit; break;
    case 16: FPixelFormat = pf16bit; break;
    case 32: FPixelFormat = pf32bit; break;
    default: FPixelFormat = pf24bit; break;
    }
    // Keep exactly the file's bytes. A BMP's own size field may be shorter than what was read: the
    // file then ends there only when those bytes hold the whole picture; a size field that cuts
    // the pixels off is wrong, and what was shown is what is saved.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::uint32_t declared = U32(p + 2);
    FOriginal = bytes;
    if (declared >= 26 && declared < std::uint32_t(bytes.size())) {
        const QByteArray prefix = bytes.left(declared);
        try {
            if (DecodeBmp(prefix) == img)
                FOriginal = prefix;
        } catch (const std::bad_alloc&) {
            // kept whole: nothing is lost
        }
    }
    Changed();
}

QByteArray TBitmap::EncodeBmp() const
{
    EndCanvas();
    int bits = 24;
    switch (FPixelFormat) {
    case pf1bit: bits = 1; break;
    case pf4bit: bits = 4; break;
    case pf8bit: bits = 8; break;
    case pf32bit: bits = 32; break;
    default: bits = 24; break;
    }
    QByteArray info, data;
    EncodeDib(FImage, bits, info, data);
    QByteArray file;
    const std::uint32_t off = 14 + std::uint32_t(info.size());
    const std::uint32_t total = off + std::uint32_t(data.size());
    file.append("BM", 2);
    for (std::uint32_t v : {total})
        for (int i = 0; i < 4; ++i)
            file.append(char(v >> (8 * i)));
    file.append(4, '\0');
    for (int i = 0; i < 4; ++i)
        file.append(char(off >> (8 * i)));
    file.append(info);
    file.append(data);
    return file;
}

void TBitmap::SaveToStream(TStream& stream) const
{
    if (Empty())
        return;
    if (!FOriginal.isEmpty())
        stream.WriteBytes(FOriginal);
    else
        stream.WriteBytes(EncodeBmp());
}

void TBitmap::ReadData(TStream& stream)
{
    std::uint32_t size = 0;
    stream.ReadBuffer(&size, 4);
    if (size == 0) {
        Assign(nullptr);
        return;
    }
    if (std::int64_t(size) > stream.Remaining())
        throw EInvalidImage(InvalidBitmap());
    TMemoryStream part(stream.ReadBytes(size));
    LoadFromStream(part);
}

void TBitmap::WriteData(TStream& stream) const
{
    TMemoryStream part;
    SaveToStream(part);
    const std::uint32_t size = std::uint32_t(part.Size());
    stream.WriteBuffer(&size, 4);
    stream.WriteBytes(part.Bytes());
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) const
{
    if (Empty())
        return;
    canvas.StretchDIBits(r, {0, 0, FImage.width(), FImage.height()}, FImage);
}

} // namespace tessiv
