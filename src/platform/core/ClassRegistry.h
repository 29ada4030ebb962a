#pragma once
// Classes registered by name, so that streams can create them; and the roots that references
// qualified as "Root.Name" may point into.

#include <QString>

#include <functional>
#include <initializer_list>

namespace tessiv {

struct TClassInfo;
class TComponent;

void RegisterClass(const TClassInfo& cls);
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
void UnRegisterClass(const TClassInfo& cls);
const TClassInfo* GetClass(const QString& className); // nil when not registered
const TClassInfo& FindClass(const QString& className); // EClassNotFound "Class %s not found"

// Classes that live only on the screen (selection marks): a writer never writes one, and a reader
// skips one that a stream holds (with whatever it holds) instead of creating it. A class counts as
// transient when it or an ancestor was registered so.
void RegisterTransientClass(const TClassInfo& cls);
bool IsTransientClass(const TClassInfo& cls);
bool IsTransientClassName(const QString& className);

// Looks up a root component by name for qualified references; the application installs it.
// Setting one gives back the one it replaces.
std::function<TComponent*(const QString&)> SetFindGlobalComponent(std::function<TComponent*(const QString&)> finder);
TComponent* FindGlobalComponent(const QString& name);

// A finder for the life of the scope (a paste, an undo copy read back); the one before comes back
// at its end.
class TFindGlobalScope {
public:
    explicit TFindGlobalScope(std::function<TComponent*(const QString&)> finder)
        : FPrevious(SetFindGlobalComponent(std::move(finder)))
    {
    }
    ~TFindGlobalScope() { SetFindGlobalComponent(std::move(FPrevious)); }
    TFindGlobalScope(const TFindGlobalScope&) = delete;
    TFindGlobalScope& operator=(const TFindGlobalScope&) = delete;

private:
    std::function<TComponent*(const QString&)> FPrevious;
};

} // namespace tessiv
