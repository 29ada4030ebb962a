#include "platform/ui/Clipboard.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tessiv {

const QString TClipboard::ComponentFormat = QStringLiteral("application/x-tessiv-component");

namespace {
QClipboard* System()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw EInvalidOperation(QStringLiteral("The clipboard needs the application to run"));
    return QGuiApplication::clipboard();
}
} // namespace

TClipboard& Clipboard()
{
    static TClipboard clipboard;
    return clipboard;
}

QString TClipboard::AsText() const
{
    return System()->text();
}

void TClipboard::SetAsText(const QString& text)
{
    System()->setText(text);
}

bool TClipboard::HasComponent() const
{
    const QMimeData* data = System()->mimeData();
    return data && data->hasFormat(ComponentFormat);
}

void TClipboard::SetComponent(TComponent* component)
{
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteDescendent(component);
    }
    auto* data = new QMimeData;
    data->setData(ComponentFormat, stream.Bytes());
    System()->setMimeData(data);
}

TComponent* TClipboard::GetComponent(TComponent* owner, TComponent* parent) const
{
    const QMimeData* data = System()->mimeData();
    if (!data || !data->hasFormat(ComponentFormat))
        return nullptr;
    TMemoryStream stream(data->data(ComponentFormat));
    // References resolve against the owner (the document pasted into) and nothing else: a control
    // copied from another document must never point into it. What the owner lacks stays empty.
    const TFindGlobalScope ownerOnly([](const QString&) -> TComponent* { return nullptr; });
    TReader reader(stream);
    reader.IgnoreUnresolvedReferences = true;
    TComponent* result = nullptr;
    reader.ReadComponents(owner, parent, [&](TComponent* c) {
        if (!result)
            result = c;
    });
    return result;
}

void TClipboard::Clear()
{
    System()->clear();
}

} // namespace tessiv
