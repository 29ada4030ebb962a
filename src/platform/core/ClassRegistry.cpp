#include "platform/core/ClassRegistry.h"

#include "platform/core/Exceptions.h"
#include "platform/core/TypInfo.h"

#include <QHash>
#include <QSet>
#include <mutex>

namespace tessiv {

namespace {

struct Registry {
    std::mutex Lock;
    QHash<QString, const TClassInfo*> Classes; // keyed upper-case: names are case-insensitive
    std::function<TComponent*(const QString&)> FindGlobal;
    QHash<QString, const TClassInfo*> Transient; // keyed upper-case, as Classes
    QSet<const TClassInfo*> TransientInfos;       // the same classes, for the writer's test
};

Registry& TheRegistry()
{
    static Registry r;
    return r;
}

} // namespace

void RegisterClass(const TClassInfo& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    r.Classes.insert(cls.ClassName.toUpper(), &cls);
}

void RegisterClasses(std::initializer_list<const TClassInfo*> classes)
{
    for (const TClassInfo* c : classes)
        RegisterClass(*c);
}

void UnRegisterClass(const TClassInfo& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    auto it = r.Classes.find(cls.ClassName.toUpper());
    if (it != r.Classes.end() && it.value() == &cls)
        r.Classes.erase(it);
}

const TClassInfo* GetClass(const QString& className)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    return r.Classes.value(className.toUpper(), nullptr);
}

const TClassInfo& FindClass(const QString& className)
{
    const TClassInfo* cls = GetClass(className);
    if (!cls)
        throw EClassNotFound(QStringLiteral("Class %1 not found").arg(className));
    return *cls;
}

void RegisterTransientClass(const TClassInfo& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    r.Transient.insert(cls.ClassName.toUpper(), &cls);
    r.TransientInfos.insert(&cls);
}

bool IsTransientClass(const TClassInfo& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    if (r.TransientInfos.isEmpty())
        return false;
    for (const TClassInfo* c = &cls; c; c = c->Parent)
        if (r.TransientInfos.contains(c))
            return true;
    return false;
}

bool IsTransientClassName(const QString& className)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    return r.Transient.contains(className.toUpper());
}

std::function<TComponent*(const QString&)> SetFindGlobalComponent(std::function<TComponent*(const QString&)> finder)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    std::swap(r.FindGlobal, finder);
    return finder;
}

TComponent* FindGlobalComponent(const QString& name)
{
    std::function<TComponent*(const QString&)> finder;
    {
        Registry& r = TheRegistry();
        std::lock_guard guard(r.Lock);
        finder = r.FindGlobal;
    }
    return finder ? finder(name) : nullptr;
}

} // namespace tessiv
