#pragma once
// The base of everything that can be assigned and streamed.

#include "platform/core/TypInfo.h"

#include <QString>

namespace tessiv {

class TFiler;

class TPersistent {
public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent() = default;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const { return StaticClass(); }
    QString ClassName() const { return ClassType().ClassName; }
    bool InheritsFrom(const TClassInfo& cls) const { return ClassType().InheritsFrom(cls); }

    // Copies the contents of Source; a class that does not know Source's class lets Source try
    // (AssignTo) and otherwise raises EConvertError "Cannot assign a %s to a %s".
    virtual void Assign(const TPersistent* source);
    // Properties stored beside the published ones ("Values", "Data", old names read and dropped).
    virtual void DefineProperties(TFiler& filer) {}
    // "Owner.Name.Property" style path, for messages.
    virtual QString GetNamePath() const;

protected:
    virtual void AssignTo(TPersistent* dest) const;
    virtual TPersistent* GetOwner() const { return nullptr; }
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

// What event handlers receive as their sender.
using TObject = TPersistent;
using TNotifyEvent = TEvent<void(TObject* sender)>;

} // namespace tessiv
