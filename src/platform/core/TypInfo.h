#pragma once
// Run-time class and property information: one table of published properties per class. Streaming,
// the clipboard, undo copies and CopyFrom all work from these tables.

#include "platform/core/Sets.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace tessiv {

class TPersistent;
class TComponent;
struct TClassInfo;

enum class TTypeKind {
    tkInteger,     // 32-bit integer; may have names for some values (colours, charsets)
    tkInt64,
    tkEnumeration, // stored by value name; Boolean is an enumeration False, True
    tkSet,         // stored as the names of its elements
    tkFloat,
    tkString,
    tkClass,       // an object the instance owns: written as "Prop.Sub" paths, a collection or a list
    tkComponent,   // a reference to another component, stored by name
    tkMethod,      // an event handler, stored by method name
};

enum class TFloatType { ftSingle, ftDouble, ftExtended, ftCurr, ftDateTime };

// Names of an enumeration's values, in ordinal order from Offset.
struct TEnumInfo {
    QString TypeName;
    QStringList Names;
    int Offset = 0;

    QString NameOf(std::int64_t value) const;
    std::optional<std::int64_t> ValueOf(const QString& name) const; // case-insensitive
    bool IsBoolean() const;
};

const TEnumInfo& BooleanInfo();

// Integer values that have names ("clBlack", "DEFAULT_CHARSET"): written by name when they have one.
struct TIdentMapEntry {
    std::int64_t Value;
    QString Name;
};
struct TIdentMap {
    std::vector<TIdentMapEntry> Entries;
    std::optional<QString> IntToIdent(std::int64_t value) const;
    std::optional<std::int64_t> IdentToInt(const QString& name) const; // case-insensitive
};

struct TPropInfo {
    QString Name;
    TTypeKind Kind = TTypeKind::tkInteger;
    TFloatType FloatType = TFloatType::ftExtended;
    const TEnumInfo* Enum = nullptr;     // enumerations, and the element type of sets
    const TIdentMap* Idents = nullptr;   // integers with names
    // tkClass, tkComponent: the declared class (a function: a class may refer to itself)
    const TClassInfo& (*ClassRef)() = nullptr;
    std::optional<std::int64_t> Default;  // ordinals: the default that is not written

    std::function<std::int64_t(const TPersistent*)> GetOrd;
    std::function<void(TPersistent*, std::int64_t)> SetOrd;
    std::function<long double(const TPersistent*)> GetFloat;
    std::function<void(TPersistent*, long double)> SetFloat;
    std::function<QString(const TPersistent*)> GetStr;     // strings, and method names of events
    std::function<void(TPersistent*, const QString&)> SetStr;
    std::function<TPersistent*(const TPersistent*)> GetObject;     // tkClass, tkComponent
    std::function<void(TPersistent*, TPersistent*)> SetObject;     // tkComponent (and settable tkClass)
    std::function<bool(const TPersistent*)> Stored;        // empty: always stored

    bool IsStored(const TPersistent* instance) const { return !Stored || Stored(instance); }
    // True when the value equals the declared default and need not be written.
    bool IsDefaultValue(const TPersistent* instance) const;
    // Builder helpers, chainable.
    TPropInfo& WithDefault(std::int64_t value) { Default = value; return *this; }
    TPropInfo& NoDefault() { Default.reset(); return *this; }
    TPropInfo& WithStored(std::function<bool(const TPersistent*)> stored) { Stored = std::move(stored); return *this; }
};

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

struct TClassInfo {
    QString ClassName;
    const TClassInfo* Parent = nullptr;
    TComponentFactory Create; // empty for abstract classes and plain persistents

    TClassInfo(QString name, const TClassInfo* parent, TComponentFactory factory,
               std::function<void(std::vector<TPropInfo>&)> declare);

    bool InheritsFrom(const TClassInfo& other) const;
    // Published properties, the ancestors' first, each class's in declaration order.
    const std::vector<const TPropInfo*>& Properties() const;
    const TPropInfo* FindProperty(const QString& name) const; // case-insensitive

private:
    std::vector<TPropInfo> FOwn;
    std::vector<const TPropInfo*> FAll;
};

// ---- the property table builder ----------------------------------------------------------------

namespace detail {

template <class T>
concept SetLike = requires(T t) { { t.ToInt() } -> std::convertible_to<std::uint32_t>; };

template <class T>
std::int64_t ToOrd(const T& v)
{
    if constexpr (SetLike<T>)
        return static_cast<std::int64_t>(v.ToInt());
    else
        return static_cast<std::int64_t>(v);
}

template <class T>
T FromOrd(std::int64_t v)
{
    if constexpr (SetLike<T>)
        return T::FromInt(static_cast<std::uint32_t>(v));
    else
        return static_cast<T>(v);
}

template <class M>
struct SetterArg;
template <class C, class T>
struct SetterArg<void (C::*)(T)> {
    using type = std::remove_cvref_t<T>;
};

// Getter: data member pointer, const member function or callable(const C&).
template <class C, class G>
auto Get(const TPersistent* p, const G& g)
{
    const C& c = *static_cast<const C*>(p);
    if constexpr (std::is_member_object_pointer_v<G>)
        return c.*g;
    else if constexpr (std::is_member_function_pointer_v<G>)
        return (c.*g)();
    else
        return g(c);
}

// Setter: data member pointer, member function or callable(C&, value).
template <class C, class S, class FromFn>
void Set(TPersistent* p, const S& s, const FromFn& convert)
{
    C& c = *static_cast<C*>(p);
    if constexpr (std::is_member_object_pointer_v<S>) {
        using T = std::remove_cvref_t<decltype(c.*s)>;
        c.*s = convert(static_cast<T*>(nullptr));
    } else if constexpr (std::is_member_function_pointer_v<S>) {
        using T = typename SetterArg<S>::type;
        (c.*s)(convert(static_cast<T*>(nullptr)));
    } else {
        s(c, convert(static_cast<void*>(nullptr)));
    }
}

} // namespace detail

template <class C>
class TPropertyTable {
public:
    explicit TPropertyTable(std::vector<TPropInfo>& props) : FProps(props) {}

    template <class G, class S>
    TPropInfo& Integer(const QString& name, G get, S set, std::optional<std::int64_t> def = std::nullopt,
                       const TIdentMap* idents = nullptr)
    {
        TPropInfo& p = Ordinal(TTypeKind::tkInteger, name, get, set);
        p.Default = def;
        p.Idents = idents;
        return p;
    }
    template <class G, class S>
    TPropInfo& Int64(const QString& name, G get, S set)
    {
        return Ordinal(TTypeKind::tkInt64, name, get, set);
    }
    template <class G, class S>
    TPropInfo& Enum(const QString& name, const TEnumInfo& info, G get, S set,
                    std::optional<std::int64_t> def = std::nullopt)
    {
        TPropInfo& p = Ordinal(TTypeKind::tkEnumeration, name, get, set);
        p.Enum = &info;
        p.Default = def;
        return p;
    }
    template <class G, class S>
    TPropInfo& Boolean(const QString& name, G get, S set, std::optional<bool> def = std::nullopt)
    {
        TPropInfo& p = Ordinal(TTypeKind::tkEnumeration, name, get, set);
        p.Enum = &BooleanInfo();
        if (def)
            p.Default = *def ? 1 : 0;
        return p;
    }
    template <class G, class S>
    TPropInfo& Set(const QString& name, const TEnumInfo& element, G get, S set,
                   std::optional<std::int64_t> def = std::nullopt)
    {
        TPropInfo& p = Ordinal(TTypeKind::tkSet, name, get, set);
        p.Enum = &element;
        p.Default = def;
        return p;
    }
    template <class G, class S>
    TPropInfo& Float(const QString& name, G get, S set, TFloatType type = TFloatType::ftExtended)
    {
        TPropInfo& p = Add(TTypeKind::tkFloat, name);
        p.FloatType = type;
        p.GetFloat = [get](const TPersistent* o) { return static_cast<long double>(detail::Get<C>(o, get)); };
        p.SetFloat = [set](TPersistent* o, long double v) {
            detail::Set<C>(o, set, [v](auto* tag) {
                using T = std::remove_pointer_t<decltype(tag)>;
                if constexpr (std::is_void_v<T>)
                    return v;
                else
                    return static_cast<T>(v);
            });
        };
        return p;
    }
    template <class G, class S>
    TPropInfo& String(const QString& name, G get, S set)
    {
        TPropInfo& p = Add(TTypeKind::tkString, name);
        p.GetStr = [get](const TPersistent* o) { return QString(detail::Get<C>(o, get)); };
        p.SetStr = [set](TPersistent* o, const QString& v) {
            detail::Set<C>(o, set, [&v](auto*) { return v; });
        };
        return p;
    }
    // An owned sub-object (font, frame, string list, collection); the getter returns a pointer.
    template <class T, class G>
    TPropInfo& Object(const QString& name, G get)
    {
        TPropInfo& p = Add(TTypeKind::tkClass, name);
        p.ClassRef = &T::StaticClass;
        p.GetObject = [get](const TPersistent* o) {
            return static_cast<TPersistent*>(const_cast<std::remove_const_t<std::remove_pointer_t<decltype(detail::Get<C>(o, get))>>*>(detail::Get<C>(o, get)));
        };
        return p;
    }
    // A reference to another component; the setter takes the class declared.
    template <class T, class G, class S>
    TPropInfo& Reference(const QString& name, G get, S set)
    {
        TPropInfo& p = Add(TTypeKind::tkComponent, name);
        p.ClassRef = &T::StaticClass;
        p.GetObject = [get](const TPersistent* o) {
            return static_cast<TPersistent*>(const_cast<std::remove_const_t<std::remove_pointer_t<decltype(detail::Get<C>(o, get))>>*>(detail::Get<C>(o, get)));
        };
        p.SetObject = [set](TPersistent* o, TPersistent* v) {
            T* typed = v ? dynamic_cast<T*>(v) : nullptr;
            detail::Set<C>(o, set, [typed](auto*) { return typed; });
        };
        return p;
    }
    // An event handler, kept by its method name; `member` is a TEvent member.
    template <class E>
    TPropInfo& Event(const QString& name, E C::*member)
    {
        TPropInfo& p = Add(TTypeKind::tkMethod, name);
        p.GetStr = [member](const TPersistent* o) { return (static_cast<const C*>(o)->*member).MethodName; };
        p.SetStr = [member](TPersistent* o, const QString& v) { (static_cast<C*>(o)->*member).MethodName = v; };
        return p;
    }

private:
    TPropInfo& Add(TTypeKind kind, const QString& name)
    {
        // Publishing again a name the table already has (in this class) replaces it in place.
        for (TPropInfo& p : FProps)
            if (p.Name.compare(name, Qt::CaseInsensitive) == 0) {
                p = TPropInfo{};
                p.Name = name;
                p.Kind = kind;
                return p;
            }
        FProps.push_back(TPropInfo{});
        FProps.back().Name = name;
        FProps.back().Kind = kind;
        return FProps.back();
    }
    template <class G, class S>
    TPropInfo& Ordinal(TTypeKind kind, const QString& name, G get, S set)
    {
        TPropInfo& p = Add(kind, name);
        p.GetOrd = [get](const TPersistent* o) { return detail::ToOrd(detail::Get<C>(o, get)); };
        p.SetOrd = [set](TPersistent* o, std::int64_t v) {
            detail::Set<C>(o, set, [v](auto* tag) {
                using T = std::remove_pointer_t<decltype(tag)>;
                if constexpr (std::is_void_v<T>)
                    return v;
                else
                    return detail::FromOrd<T>(v);
            });
        };
        return p;
    }

    std::vector<TPropInfo>& FProps;
};

// An event: the handler to call and the name of the method a stream gave it.
template <class Sig>
struct TEvent {
    std::function<Sig> Handler;
    QString MethodName;

    explicit operator bool() const { return static_cast<bool>(Handler); }
    template <class... A>
    decltype(auto) operator()(A&&... args) const { return Handler(std::forward<A>(args)...); }
    TEvent& operator=(std::function<Sig> f)
    {
        Handler = std::move(f);
        return *this;
    }
    TEvent& operator=(std::nullptr_t)
    {
        Handler = nullptr;
        MethodName.clear();
        return *this;
    }
};

} // namespace tessiv

// Declares a class's run-time information inside its body.
#define TESSIV_CLASS(Class, Base)                                                \
public:                                                                          \
    using Inherited = Base;                                                      \
    static const ::tessiv::TClassInfo& StaticClass();                            \
    const ::tessiv::TClassInfo& ClassType() const override { return StaticClass(); } \
                                                                                 \
private:

// Defines it in a .cpp: the class name, its parent, how to create one, and its published properties
// as a function of (TPropertyTable<Class>& t).
#define TESSIV_IMPLEMENT_CLASS(Class, Base, ...)                                  \
    const ::tessiv::TClassInfo& Class::StaticClass()                              \
    {                                                                             \
        static const ::tessiv::TClassInfo info(                                   \
            QStringLiteral(#Class), &Base::StaticClass(),                         \
            ::tessiv::detail::FactoryFor<Class>(),                                \
            [](std::vector<::tessiv::TPropInfo>& props) {                         \
                ::tessiv::TPropertyTable<Class> t(props);                         \
                (void)t;                                                          \
                __VA_ARGS__                                                       \
            });                                                                   \
        return info;                                                              \
    }
