#include "platform/graphics/Metafile.h"

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/graphics/EmfRecords.h"
#include "platform/graphics/MetafilePlayer.h"

#include <climits>
#include <cmath>
#include <optional>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TMetafile, TGraphic, )

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::Assign(const TPersistent* source)
{
    if (!source) {
        Clear();
        return;
    }
    if (auto* m = dynamic_cast<const TMetafile*>(source)) {
        FData = m->FData;
        FWmf = m->FWmf;
        FWidth = m->FWidth;
        FHeight = m->FHeight;
        FMMWidth = m->FMMWidth;
        FMMHeight = m->FMMHeight;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TMetafile::Clear()
{
    FData.clear();
    FWmf = false;
    FWidth = FHeight = FMMWidth = FMMHeight = 0;
    Changed();
}

int TMetafile::MMWidth() const
{
    return FMMWidth ? FMMWidth : int(std::lround(FWidth * 2540.0 / ScreenPixelsPerInch()));
}

int TMetafile::MMHeight() const
{
    return FMMHeight ? FMMHeight : int(std::lround(FHeight * 2540.0 / ScreenPixelsPerInch()));
}

int TMetafile::Width() const
{
    return FWidth;
}

int TMetafile::Height() const
{
    return FHeight;
}

void TMetafile::SetWidth(int pixels)
{
    FWidth = std::max(0, pixels);
    FMMWidth = 0;
    Changed();
}

void TMetafile::SetHeight(int pixels)
{
    FHeight = std::max(0, pixels);
    FMMHeight = 0;
    Changed();
}

void TMetafile::SetMMWidth(int value)
{
    FMMWidth = std::max(0, value);
    FWidth = int(std::lround(double(FMMWidth) * ScreenPixelsPerInch() / 2540.0));
    Changed();
}

void TMetafile::SetMMHeight(int value)
{
    FMMHeight = std::max(0, value);
    FHeight = int(std::lround(double(FMMHeight) * ScreenPixelsPerInch() / 2540.0));
    Changed();
}

namespace {
// The frame's extent in hundredths of a millimetre, or nothing when it does not fit the size a
// picture reports (the frame of a damaged file can span the whole 32-bit range).
std::optional<int> FrameExtent(std::int32_t from, std::int32_t to)
{
    const std::int64_t extent = std::int64_t(to) - from;
    // Its size in screen pixels must fit too: 2540 hundredths of a millimetre per inch.
    if (extent < INT_MIN / 4 || extent > INT_MAX / 4)
        return std::nullopt;
    return int(extent);
}
} // namespace

void TMetafile::SetData(const QByteArray& bytes)
{
    QString error;
    TEmfGeometry g;
    if (ValidateEmf(bytes, &error) && ReadEmfGeometry(bytes, g)) {
        const std::optional<int> mmWidth = FrameExtent(g.FrameMM[0], g.FrameMM[2]);
        const std::optional<int> mmHeight = FrameExtent(g.FrameMM[1], g.FrameMM[3]);
        if (!mmWidth || !mmHeight)
            throw EInvalidImage(QStringLiteral("Invalid metafile: frame too large"));
        FData = bytes;
        FWmf = false;
        FMMWidth = *mmWidth;
        FMMHeight = *mmHeight;
        FWidth = int(std::lround(double(FMMWidth) * ScreenPixelsPerInch() / 2540.0));
        FHeight = int(std::lround(double(FMMHeight) * ScreenPixelsPerInch() / 2540.0));
        Changed();
        return;
    }
    TWmfGeometry w;
    QString wmfError;
    if (ReadWmfGeometry(bytes, w, &wmfError)) {
        FData = bytes;
        FWmf = true;
        if (w.Placeable && w.Inch > 0) {
            FMMWidth = int(std::lround(double(w.Right - w.Left) * 2540 / w.Inch));
            FMMHeight = int(std::lround(double(w.Bottom - w.Top) * 2540 / w.Inch));
        } else {
            FMMWidth = FMMHeight = 0;
        }
        FWidth = int(std::lround(double(FMMWidth) * ScreenPixelsPerInch() / 2540.0));
        FHeight = int(std::lround(double(FMMHeight) * ScreenPixelsPerInch() / 2540.0));
        Changed();
        return;
    }
    const bool looksEmf = bytes.size() >= 44 && emf::U32(reinterpret_cast<const unsigned char*>(bytes.constData()) + 40) == emf::kEmfSignature;
    throw EInvalidImage(QStringLiteral("Invalid metafile: %1").arg(looksEmf ? error : wmfError));
}

void TMetafile::LoadFromStream(TStream& stream)
{
    const std::int64_t remaining = stream.Remaining();
    if (remaining <= 0)
        throw EInvalidImage(QStringLiteral("Invalid metafile: empty"));
    if (remaining > (std::int64_t(1) << 31))
        throw EInvalidImage(QStringLiteral("Invalid metafile: too large"));
    const QByteArray bytes = stream.ReadBytes(remaining);
    SetData(bytes);
}

void TMetafile::SaveToStream(TStream& stream) const
{
    stream.WriteBytes(FData);
}

void TMetafile::ReadData(TStream& stream)
{
    std::uint32_t size = 0;
    stream.ReadBuffer(&size, 4);
    if (size == 0) {
        Clear();
        return;
    }
    if (std::int64_t(size) > stream.Remaining())
        throw EInvalidImage(QStringLiteral("Invalid metafile: data is shorter than its length"));
    SetData(stream.ReadBytes(size));
}

void TMetafile::WriteData(TStream& stream) const
{
    const std::uint32_t size = std::uint32_t(FData.size());
    stream.WriteBuffer(&size, 4);
    stream.WriteBytes(FData);
}

TEmfHeader TMetafile::Header() const
{
    TEmfHeader h;
    if (FWmf || FData.size() < 88)
        return h;
    const auto* p = reinterpret_cast<const unsigned char*>(FData.constData());
    using namespace emf;
    h.Bounds = {I32(p + 8), I32(p + 12), I32(p + 16), I32(p + 20)};
    h.Frame = {I32(p + 24), I32(p + 28), I32(p + 32), I32(p + 36)};
    h.Bytes = U32(p + 48);
    h.Records = U32(p + 52);
    h.Handles = U16(p + 56);
    h.Device = {I32(p + 72), I32(p + 76)};
    h.Millimeters = {I32(p + 80), I32(p + 84)};
    return h;
}

void TMetafile::TakeRecording(QByteArray bytes)
{
    FData = std::move(bytes);
    FWmf = false;
    TEmfGeometry g;
    if (ReadEmfGeometry(FData, g)) {
        FMMWidth = FrameExtent(g.FrameMM[0], g.FrameMM[2]).value_or(0);
        FMMHeight = FrameExtent(g.FrameMM[1], g.FrameMM[3]).value_or(0);
    }
    // The size asked for stays the size reported, free of millimetre rounding.
    if (FWidth <= 0)
        FWidth = int(std::lround(double(FMMWidth) * ScreenPixelsPerInch() / 2540.0));
    if (FHeight <= 0)
        FHeight = int(std::lround(double(FMMHeight) * ScreenPixelsPerInch() / 2540.0));
    Changed();
}

void TMetafile::Play(TCanvas& canvas, const TRect& r) const
{
    if (FData.isEmpty())
        return;
    if (FWmf)
        PlayWmf(FData, canvas, r);
    else
        PlayEmf(FData, canvas, r);
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) const
{
    Play(canvas, r);
}

QImage TMetafile::ToImage() const
{
    const int w = Width(), h = Height();
    if (FData.isEmpty() || w <= 0 || h <= 0 || std::int64_t(w) * h > 64 * 1024 * 1024)
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        TImageCanvas canvas(img);
        Play(canvas, {0, 0, w, h});
    }
    return img;
}

} // namespace tessiv
