#pragma once
// The registry of the functions that expressions call by name. It is made when the report engine
// starts, holds the 33 built-in functions, and lives until the program ends; the expression
// builder lists its entries by category and shows their descriptions.

#include "engine/expressions/KVEvElement.h"
#include "platform/core/Persistent.h"
#include "platform/core/Strings.h"

#include <QChar>
#include <QString>

#include <memory>

namespace tessiv {

class TKVLibraryEntry : public TPersistent {
public:
    // The call pattern, "|" and an explanation.
    QString Description;
    // One category digit (1 date and time, 2 mathematics, 3 statistics, 5 logic, 6 information,
    // 7 other) followed by one letter per argument (B boolean, V any value, N number, S string).
    QString Data;
    TKVEvElementClass ElementClass = nullptr;
    QString Name;
    QString Vendor;
};

class TKVLibrary {
public:
    TKVLibrary();
    TKVLibrary(const TKVLibrary&) = delete;
    TKVLibrary& operator=(const TKVLibrary&) = delete;
    virtual ~TKVLibrary();

    // The names, in registration order, each carrying its entry (owned by the library).
    TStringList* Entries() const { return FEntries.get(); }
    void Add(TKVEvElementClass elementClass, const QString& name, const QString& data, const QString& vendor,
             const QString& description);
    // The entry at the index; nil for an index outside the entries.
    virtual TKVLibraryEntry* GetEntry(int index) const;

private:
    std::unique_ptr<TStringList> FEntries;
};

class TKVFunctionLibrary : public TKVLibrary {
public:
    // A new element of the named function (the name in any letter case); a new error element for
    // a name the library lacks. The caller owns it.
    std::unique_ptr<TKVEvElement> GetFunction(const QString& name) const;
};

// Made at the report engine's start-up with the built-in functions; freed when the program ends.
extern TKVFunctionLibrary* FunctionLibrary;
// Separates the arguments of a function call.
extern QChar ArgSeparator;

void RegisterKVFunction(TKVEvElementClass elementClass, const QString& name, const QString& description,
                        const QString& data, const QString& vendor);

} // namespace tessiv
