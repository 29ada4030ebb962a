#include "platform/core/TypInfo.h"

#include "platform/core/Persistent.h"

namespace tessiv {

QString TEnumInfo::NameOf(std::int64_t value) const
{
    const std::int64_t i = value - Offset;
    return i >= 0 && i < Names.size() ? Names[i] : QString();
}

std::optional<std::int64_t> TEnumInfo::ValueOf(const QString& name) const
{
    for (qsizetype i = 0; i < Names.size(); ++i)
        if (Names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i + Offset;
    return std::nullopt;
}

bool TEnumInfo::IsBoolean() const
{
    return this == &BooleanInfo();
}

const TEnumInfo& BooleanInfo()
{
    static const TEnumInfo info{QStringLiteral("Boolean"), {QStringLiteral("False"), QStringLiteral("True")}, 0};
    return info;
}

std::optional<QString> TIdentMap::IntToIdent(std::int64_t value) const
{
    for (const auto& e : Entries)
        if (e.Value == value)
            return e.Name;
    return std::nullopt;
}

std::optional<std::int64_t> TIdentMap::IdentToInt(const QString& name) const
{
    for (const auto& e : Entries)
        if (e.Name.compare(name, Qt::CaseInsensitive) == 0)
            return e.Value;
    return std::nullopt;
}

bool TPropInfo::IsDefaultValue(const TPersistent* instance) const
{
    switch (Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
        return Default && GetOrd(instance) == *Default;
    case TTypeKind::tkInt64:
        return GetOrd(instance) == 0;
    case TTypeKind::tkFloat:
        return GetFloat(instance) == 0;
    case TTypeKind::tkString:
    case TTypeKind::tkMethod:
        return GetStr(instance).isEmpty();
    case TTypeKind::tkComponent:
        return GetObject(instance) == nullptr;
    case TTypeKind::tkClass:
        return GetObject(instance) == nullptr;
    }
    return false;
}

TClassInfo::TClassInfo(QString name, const TClassInfo* parent, TComponentFactory factory,
                       std::function<void(std::vector<TPropInfo>&)> declare)
    : ClassName(std::move(name)), Parent(parent), Create(std::move(factory))
{
    if (declare)
        declare(FOwn);
    if (Parent)
        FAll = Parent->Properties();
    for (const TPropInfo& p : FOwn) {
        bool replaced = false;
        // A class that publishes an ancestor's property again (with another default, say)
        // keeps the ancestor's place in the order.
        for (const TPropInfo*& q : FAll)
            if (q->Name.compare(p.Name, Qt::CaseInsensitive) == 0) {
                q = &p;
                replaced = true;
                break;
            }
        if (!replaced)
            FAll.push_back(&p);
    }
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == &other)
            return true;
    return false;
}

const std::vector<const TPropInfo*>& TClassInfo::Properties() const
{
    return FAll;
}

const TPropInfo* TClassInfo::FindProperty(const QString& name) const
{
    for (const TPropInfo* p : FAll)
        if (p->Name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    return nullptr;
}

} // namespace tessiv
