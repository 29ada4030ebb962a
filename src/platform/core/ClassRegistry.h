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

// Looks up a root component by name for qualified references; the application installs it.
void SetFindGlobalComponent(std::function<TComponent*(const QString&)> finder);
TComponent* FindGlobalComponent(const QString& name);

} // namespace tessiv
