#include "platform/core/Persistent.h"

#include "platform/core/Exceptions.h"

namespace tessiv {

const TClassInfo& TPersistent::StaticClass()
{
    static const TClassInfo info(QStringLiteral("TPersistent"), nullptr, {}, {});
    return info;
}

void TPersistent::Assign(const TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const QString sourceName = source ? source->ClassName() : QStringLiteral("nil");
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceName, ClassName()));
}

QString TPersistent::GetNamePath() const
{
    const TPersistent* owner = GetOwner();
    const QString ownerPath = owner ? owner->GetNamePath() : QString();
    return ownerPath.isEmpty() ? ClassName() : ownerPath + QLatin1Char('.') + ClassName();
}

} // namespace tessiv
