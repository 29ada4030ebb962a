#include "platform/graphics/Picture.h"

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"

#include <QFileInfo>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TPicture, TPersistent, )

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> graphic)
{
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TGraphic*) { Changed(); };
    Changed();
}

namespace {
std::unique_ptr<TGraphic> CopyOf(const TGraphic& g)
{
    std::unique_ptr<TGraphic> copy = CreateGraphic(g.ClassName());
    if (!copy)
        throw EConvertError(QStringLiteral("Cannot assign a %1 to a TPicture").arg(g.ClassName()));
    copy->Assign(&g);
    return copy;
}
} // namespace

void TPicture::SetGraphic(const TGraphic* graphic)
{
    Take(graphic ? CopyOf(*graphic) : nullptr);
}

void TPicture::Assign(const TPersistent* source)
{
    if (!source) {
        Take(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(source)) {
        SetGraphic(p->FGraphic.get());
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(source);
}

TBitmap* TPicture::Bitmap()
{
    if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get()))
        return b;
    Take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix();
    std::unique_ptr<TGraphic> g = CreateGraphicForExtension(ext);
    if (!g)
        throw EInvalidImage(QStringLiteral("Unknown picture file extension (.%1)").arg(ext));
    g->LoadFromFile(fileName);
    Take(std::move(g));
}

void TPicture::SaveToFile(const QString& fileName) const
{
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream& stream)
{
    const std::int64_t start = stream.Position();
    unsigned char sig[44] = {0};
    const std::int64_t got = stream.Read(sig, sizeof sig);
    stream.SetPosition(start);
    QString kind;
    if (got >= 2 && sig[0] == 'B' && sig[1] == 'M')
        kind = QStringLiteral("TBitmap");
    else if (got >= 3 && sig[0] == 0xFF && sig[1] == 0xD8 && sig[2] == 0xFF)
        kind = QStringLiteral("TJPEGImage");
    else if (got >= 4 && sig[0] == 0 && sig[1] == 0 && (sig[2] == 1 || sig[2] == 2) && sig[3] == 0)
        kind = QStringLiteral("TIcon");
    else if (got >= 44 && sig[0] == 1 && sig[40] == ' ' && sig[41] == 'E' && sig[42] == 'M' && sig[43] == 'F')
        kind = QStringLiteral("TMetafile");
    else if (got >= 4 && ((sig[0] == 0xD7 && sig[1] == 0xCD && sig[2] == 0xC6 && sig[3] == 0x9A) ||
                          ((sig[0] == 1 || sig[0] == 2) && sig[1] == 0 && sig[2] == 9 && sig[3] == 0)))
        kind = QStringLiteral("TMetafile");
    if (kind.isEmpty())
        throw EInvalidImage(QStringLiteral("Unknown picture format"));
    std::unique_ptr<TGraphic> g = CreateGraphic(kind);
    g->LoadFromStream(stream);
    Take(std::move(g));
}

void TPicture::ReadData(TStream& stream)
{
    unsigned char length = 0;
    stream.ReadBuffer(&length, 1);
    const QByteArray name = stream.ReadBytes(length);
    const QString className = QString::fromLatin1(name);
    if (className.isEmpty()) {
        Take(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> g = CreateGraphic(className);
    if (!g)
        throw EInvalidImage(QStringLiteral("Unknown picture format %1").arg(className));
    g->ReadData(stream);
    Take(std::move(g));
}

void TPicture::WriteData(TStream& stream) const
{
    const QByteArray name = FGraphic ? FGraphic->ClassName().toLatin1().left(255) : QByteArray();
    const unsigned char length = static_cast<unsigned char>(name.size());
    stream.WriteBuffer(&length, 1);
    stream.WriteBytes(name);
    if (FGraphic)
        FGraphic->WriteData(stream);
}

void TPicture::DefineProperties(TFiler& filer)
{
    filer.DefineBinaryProperty(
        QStringLiteral("Data"), [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
        FGraphic != nullptr);
}

} // namespace tessiv
