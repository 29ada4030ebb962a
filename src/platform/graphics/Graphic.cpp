#include "platform/graphics/Graphic.h"

#include "platform/core/Component.h"
#include "platform/core/Streams.h"

#include <mutex>
#include <vector>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TGraphic, TPersistent, )

void TGraphic::LoadFromFile(const QString& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const QString& fileName) const
{
    // Written to memory first, so a failure leaves no half-written file behind.
    TMemoryStream memory;
    SaveToStream(memory);
    TFileStream stream(fileName, fmCreate);
    stream.WriteBytes(memory.Bytes());
}

void TGraphic::ReadData(TStream& stream)
{
    LoadFromStream(stream);
}

void TGraphic::WriteData(TStream& stream) const
{
    SaveToStream(stream);
}

void TGraphic::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---- the kinds ----------------------------------------------------------------------------------

namespace {

struct TGraphicKind {
    QString ClassName;
    QStringList Extensions;
    TGraphicFactory Factory;
};

std::mutex& KindsMutex()
{
    static std::mutex m;
    return m;
}

std::vector<TGraphicKind>& Kinds()
{
    static std::vector<TGraphicKind> kinds;
    return kinds;
}

} // namespace

// Defined beside the picture classes; registers the built-in kinds once.
void RegisterBuiltinGraphics();

namespace {
void EnsureBuiltins()
{
    static std::once_flag once;
    std::call_once(once, [] { RegisterBuiltinGraphics(); });
}
} // namespace

void RegisterGraphicClass(const QString& className, const QStringList& extensions, TGraphicFactory factory)
{
    std::lock_guard lock(KindsMutex());
    auto& kinds = Kinds();
    for (TGraphicKind& k : kinds)
        if (k.ClassName.compare(className, Qt::CaseInsensitive) == 0) {
            k.Extensions = extensions;
            k.Factory = std::move(factory);
            return;
        }
    kinds.push_back({className, extensions, std::move(factory)});
}

std::unique_ptr<TGraphic> CreateGraphic(const QString& className)
{
    EnsureBuiltins();
    std::lock_guard lock(KindsMutex());
    for (const TGraphicKind& k : Kinds())
        if (k.ClassName.compare(className, Qt::CaseInsensitive) == 0)
            return k.Factory();
    return nullptr;
}

std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString& extension)
{
    EnsureBuiltins();
    QString ext = extension;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    std::lock_guard lock(KindsMutex());
    for (const TGraphicKind& k : Kinds())
        for (const QString& e : k.Extensions)
            if (e.compare(ext, Qt::CaseInsensitive) == 0)
                return k.Factory();
    return nullptr;
}

QStringList GraphicExtensions()
{
    EnsureBuiltins();
    std::lock_guard lock(KindsMutex());
    QStringList result;
    for (const TGraphicKind& k : Kinds())
        result += k.Extensions;
    return result;
}

} // namespace tessiv
