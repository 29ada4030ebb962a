#include "platform/core/Reader.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Collection.h"
#include "platform/core/Component.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Extended.h"
#include "platform/core/Streams.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace tessiv {

namespace {

// Deep enough for any real report (root, report, band, child band, control, list of values), and
// far from what would exhaust the stack on a crafted file.
constexpr int kMaxNesting = 256;

const QString kInvalidValue = QStringLiteral("Invalid property value");

} // namespace

struct TReader::Fixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    QString Name;
    QString Path;
};

TReader::TReader(TStream& stream) : TFiler(stream) {}
TReader::~TReader() = default;

std::int64_t TReader::Position() const
{
    return FStream.Position();
}

void TReader::ReadError(const QString& message) const
{
    throw EReadError(message);
}

// ---- primitives ------------------------------------------------------------------------------

void TReader::Read(void* buffer, std::int64_t count)
{
    if (count > FStream.Remaining())
        ReadError(QStringLiteral("Stream read error"));
    FStream.ReadBuffer(buffer, count);
}

std::uint8_t TReader::ReadByte()
{
    std::uint8_t b = 0;
    Read(&b, 1);
    return b;
}

namespace {
template <class T>
T LittleEndian(const std::uint8_t* p)
{
    std::make_unsigned_t<T> v = 0;
    for (int i = int(sizeof(T)) - 1; i >= 0; --i)
        v = static_cast<std::make_unsigned_t<T>>((v << 8) | p[i]);
    return static_cast<T>(v);
}
} // namespace

std::uint32_t TReader::ReadLength(std::int64_t unit)
{
    std::uint8_t b[4];
    Read(b, 4);
    const std::uint32_t length = LittleEndian<std::uint32_t>(b);
    // Checked before anything is allocated: a damaged length must not cost memory.
    if (length > static_cast<std::uint64_t>(FStream.Remaining()) / static_cast<std::uint64_t>(unit))
        ReadError(QStringLiteral("Value of %1 bytes runs past the end of the stream").arg(std::uint64_t(length) * unit));
    return length;
}

void TReader::EnterNesting()
{
    if (++FDepth > kMaxNesting)
        ReadError(QStringLiteral("Stream nesting too deep"));
}

void TReader::ReadSignature()
{
    char sig[4];
    if (FStream.Remaining() < 4)
        throw EInvalidImage(QStringLiteral("Invalid stream format"));
    FStream.ReadBuffer(sig, 4);
    if (sig[0] != 'T' || sig[1] != 'P' || sig[2] != 'F' || sig[3] != '0')
        throw EInvalidImage(QStringLiteral("Invalid stream format"));
}

TValueType TReader::ReadValue()
{
    const std::uint8_t b = ReadByte();
    if (b > kLastValueType) {
        FStream.Seek(-1, soCurrent);
        ReadError(QStringLiteral("Invalid value type %1").arg(b));
    }
    return static_cast<TValueType>(b);
}

TValueType TReader::NextValue()
{
    const TValueType v = ReadValue();
    FStream.Seek(-1, soCurrent);
    return v;
}

void TReader::CheckValue(TValueType expected)
{
    if (ReadValue() != expected) {
        FStream.Seek(-1, soCurrent);
        ReadError(kInvalidValue);
    }
}

bool TReader::EndOfList()
{
    // A raw look at the next byte: a component record may start with its prefix byte (0xFn).
    const std::uint8_t b = ReadByte();
    FStream.Seek(-1, soCurrent);
    return b == vaNull;
}

void TReader::ReadListBegin()
{
    CheckValue(vaList);
}

void TReader::ReadListEnd()
{
    CheckValue(vaNull);
}

std::int32_t TReader::ReadInteger()
{
    std::uint8_t b[8];
    switch (ReadValue()) {
    case vaInt8:
        Read(b, 1);
        return static_cast<std::int8_t>(b[0]);
    case vaInt16:
        Read(b, 2);
        return LittleEndian<std::int16_t>(b);
    case vaInt32:
        Read(b, 4);
        return LittleEndian<std::int32_t>(b);
    case vaInt64: {
        Read(b, 8);
        const std::int64_t v = LittleEndian<std::int64_t>(b);
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            ReadError(kInvalidValue);
        return static_cast<std::int32_t>(v);
    }
    default:
        FStream.Seek(-1, soCurrent);
        ReadError(kInvalidValue);
    }
}

std::int64_t TReader::ReadInt64()
{
    if (NextValue() == vaInt64) {
        ReadValue();
        std::uint8_t b[8];
        Read(b, 8);
        return LittleEndian<std::int64_t>(b);
    }
    return ReadInteger();
}

long double TReader::ReadFloat()
{
    std::uint8_t b[10];
    switch (NextValue()) {
    case vaExtended:
        ReadValue();
        Read(b, 10);
        return DecodeExtended(b);
    case vaSingle:
        return ReadSingle();
    case vaDate:
        return ReadDate();
    case vaCurrency:
        return static_cast<long double>(ReadCurrency()) / 10000.0L;
    default:
        return static_cast<long double>(ReadInt64());
    }
}

float TReader::ReadSingle()
{
    if (NextValue() == vaSingle) {
        ReadValue();
        std::uint8_t b[4];
        Read(b, 4);
        return std::bit_cast<float>(LittleEndian<std::uint32_t>(b));
    }
    if (NextValue() == vaExtended)
        return static_cast<float>(ReadFloat());
    return static_cast<float>(ReadInt64());
}

std::int64_t TReader::ReadCurrency()
{
    if (NextValue() == vaCurrency) {
        ReadValue();
        std::uint8_t b[8];
        Read(b, 8);
        return LittleEndian<std::int64_t>(b);
    }
    const long double v = ReadFloat() * 10000.0L;
    if (!(std::fabs(v) < 9.2e18L))
        ReadError(kInvalidValue);
    return std::llround(v);
}

double TReader::ReadDate()
{
    if (NextValue() == vaDate) {
        ReadValue();
        std::uint8_t b[8];
        Read(b, 8);
        return std::bit_cast<double>(LittleEndian<std::uint64_t>(b));
    }
    if (NextValue() == vaExtended)
        return static_cast<double>(ReadFloat());
    return static_cast<double>(ReadInt64());
}

QString TReader::ReadStr()
{
    const std::uint8_t length = ReadByte();
    char buffer[256];
    Read(buffer, length);
    return FromCp1252(buffer, length);
}

QString TReader::ReadString()
{
    switch (ReadValue()) {
    case vaString:
        return ReadStr();
    case vaLString: {
        const std::uint32_t length = ReadLength(1);
        QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
        Read(bytes.data(), length);
        return FromCp1252(bytes);
    }
    case vaWString: {
        const std::uint32_t length = ReadLength(2);
        QByteArray bytes(static_cast<qsizetype>(length) * 2, Qt::Uninitialized);
        Read(bytes.data(), bytes.size());
        QString s(static_cast<qsizetype>(length), Qt::Uninitialized);
        const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        for (std::uint32_t i = 0; i < length; ++i)
            s[i] = QChar(char16_t(p[2 * i] | (p[2 * i + 1] << 8)));
        return s;
    }
    default:
        FStream.Seek(-1, soCurrent);
        ReadError(kInvalidValue);
    }
}

QString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return QStringLiteral("False");
    case vaTrue:
        return QStringLiteral("True");
    case vaNil:
        return QStringLiteral("nil");
    case vaNull:
        return QStringLiteral("Null");
    default:
        FStream.Seek(-1, soCurrent);
        ReadError(kInvalidValue);
    }
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case vaTrue:
        return true;
    case vaFalse:
        return false;
    default:
        FStream.Seek(-1, soCurrent);
        ReadError(kInvalidValue);
    }
}

QStringList TReader::ReadSet()
{
    CheckValue(vaSet);
    QStringList names;
    for (;;) {
        QString name = ReadStr();
        if (name.isEmpty())
            break;
        names.push_back(name);
    }
    return names;
}

QByteArray TReader::ReadBinary()
{
    CheckValue(vaBinary);
    const std::uint32_t length = ReadLength(1);
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    Read(bytes.data(), length);
    return bytes;
}

void TReader::ReadPrefix(std::uint8_t& flags, std::int32_t& childPos)
{
    flags = 0;
    childPos = 0;
    const std::uint8_t b = ReadByte();
    if ((b & 0xF0) != 0xF0) {
        FStream.Seek(-1, soCurrent);
        return;
    }
    flags = b & 0x0F;
    if (flags & ffChildPos)
        childPos = ReadInteger();
}

void TReader::SkipValue()
{
    EnterNesting();
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    case vaList:
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        break;
    case vaInt8:
        FStream.Seek(-1, soCurrent), ReadInteger();
        break;
    case vaInt16:
    case vaInt32:
    case vaInt64:
        FStream.Seek(-1, soCurrent), ReadInt64();
        break;
    case vaExtended:
    case vaSingle:
    case vaCurrency:
    case vaDate:
        FStream.Seek(-1, soCurrent), ReadFloat();
        break;
    case vaString:
    case vaLString:
    case vaWString:
        FStream.Seek(-1, soCurrent), ReadString();
        break;
    case vaIdent:
        ReadStr();
        break;
    case vaBinary:
        FStream.Seek(-1, soCurrent), ReadBinary();
        break;
    case vaSet:
        FStream.Seek(-1, soCurrent), ReadSet();
        break;
    case vaCollection:
        while (!EndOfList()) {
            if (NextValue() == vaInt8 || NextValue() == vaInt16 || NextValue() == vaInt32)
                ReadInteger();
            ReadListBegin();
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    }
    --FDepth;
}

// ---- components and properties ----------------------------------------------------------------

void TReader::DefineProperty(const QString& name, const TReaderProc& readData, const TWriterProc&, bool)
{
    if (!FPropName.isEmpty() && name.compare(FPropName, Qt::CaseInsensitive) == 0 && readData) {
        FPropName.clear();
        readData(*this);
    }
}

void TReader::DefineBinaryProperty(const QString& name, const TStreamProc& readData, const TStreamProc&, bool)
{
    if (!FPropName.isEmpty() && name.compare(FPropName, Qt::CaseInsensitive) == 0 && readData) {
        FPropName.clear();
        TMemoryStream data(ReadBinary());
        readData(data);
    }
}

QString TReader::CurrentPath() const
{
    QString owner;
    if (FCurrent)
        owner = FCurrent->Name().isEmpty() ? FCurrent->ClassName() : FCurrent->Name();
    return owner.isEmpty() ? FPropPath : owner + QLatin1Char('.') + FPropPath;
}

void TReader::PropertyError(const QString& message) const
{
    ReadError(message);
}

void TReader::ReadProperty(TPersistent* instance)
{
    const QString savedPath = FPropPath;
    FPropPath = ReadStr();
    try {
        const QStringList parts = FPropPath.split(QLatin1Char('.'));
        TPersistent* target = instance;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            const TPropInfo* prop = target->ClassType().FindProperty(parts[i]);
            TPersistent* sub = prop && prop->Kind == TTypeKind::tkClass ? prop->GetObject(target) : nullptr;
            if (!sub)
                PropertyError(QStringLiteral("Invalid property path"));
            target = sub;
        }
        const QString& name = parts.back();
        const TPropInfo* prop = name.isEmpty() ? nullptr : target->ClassType().FindProperty(name);
        if (prop) {
            ReadPropValue(target, *prop);
        } else {
            FPropName = name;
            target->DefineProperties(*this);
            if (!FPropName.isEmpty()) {
                FPropName.clear();
                PropertyError(QStringLiteral("Property %1 does not exist").arg(name));
            }
        }
    } catch (Exception& e) {
        if (!FPathReported) {
            FPathReported = true;
            e.SetMessage(QStringLiteral("Error reading %1: %2").arg(CurrentPath(), e.Message()));
        }
        FPropPath = savedPath;
        throw;
    }
    FPropPath = savedPath;
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop)
{
    switch (prop.Kind) {
    case TTypeKind::tkInteger: {
        std::int64_t v;
        if (NextValue() == vaIdent) {
            const QString ident = ReadIdent();
            const auto value = prop.Idents ? prop.Idents->IdentToInt(ident) : std::nullopt;
            if (!value)
                PropertyError(kInvalidValue);
            v = *value;
        } else {
            v = ReadInteger();
        }
        prop.SetOrd(instance, v);
        break;
    }
    case TTypeKind::tkInt64:
        prop.SetOrd(instance, ReadInt64());
        break;
    case TTypeKind::tkEnumeration: {
        const auto value = prop.Enum->ValueOf(ReadIdent());
        if (!value)
            PropertyError(kInvalidValue);
        prop.SetOrd(instance, *value);
        break;
    }
    case TTypeKind::tkSet: {
        std::int64_t bits = 0;
        for (const QString& name : ReadSet()) {
            const auto value = prop.Enum->ValueOf(name);
            if (!value || *value - prop.Enum->Offset >= 32)
                PropertyError(kInvalidValue);
            bits |= std::int64_t(1) << (*value - prop.Enum->Offset);
        }
        prop.SetOrd(instance, bits);
        break;
    }
    case TTypeKind::tkFloat:
        switch (prop.FloatType) {
        case TFloatType::ftSingle:
            prop.SetFloat(instance, ReadSingle());
            break;
        case TFloatType::ftCurr:
            prop.SetFloat(instance, static_cast<long double>(ReadCurrency()) / 10000.0L);
            break;
        case TFloatType::ftDateTime:
            prop.SetFloat(instance, ReadDate());
            break;
        default:
            prop.SetFloat(instance, ReadFloat());
        }
        break;
    case TTypeKind::tkString:
        prop.SetStr(instance, ReadString());
        break;
    case TTypeKind::tkClass: {
        TPersistent* object = prop.GetObject(instance);
        auto* collection = dynamic_cast<TCollection*>(object);
        if (collection && NextValue() == vaCollection) {
            ReadValue();
            ReadCollection(*collection);
        } else if (NextValue() == vaNil && !object) {
            ReadValue();
        } else {
            PropertyError(kInvalidValue);
        }
        break;
    }
    case TTypeKind::tkComponent:
        if (NextValue() == vaNil) {
            ReadValue();
            prop.SetObject(instance, nullptr);
        } else {
            if (NextValue() != vaIdent)
                PropertyError(kInvalidValue);
            FFixups.push_back(Fixup{instance, &prop, ReadIdent(), CurrentPath()});
        }
        break;
    case TTypeKind::tkMethod:
        if (NextValue() == vaNil) {
            ReadValue();
            prop.SetStr(instance, QString());
        } else {
            if (NextValue() != vaIdent)
                PropertyError(kInvalidValue);
            prop.SetStr(instance, ReadIdent());
        }
        break;
    }
}

void TReader::ReadCollection(TCollection& collection)
{
    EnterNesting();
    collection.BeginUpdate();
    try {
        if (!EndOfList())
            collection.Clear();
        while (!EndOfList()) {
            const TValueType v = NextValue();
            if (v == vaInt8 || v == vaInt16 || v == vaInt32)
                ReadInteger(); // the item's index; items are read in order anyway
            TCollectionItem* item = collection.Add();
            ReadListBegin();
            while (!EndOfList())
                ReadProperty(item);
            ReadListEnd();
        }
        ReadListEnd();
    } catch (...) {
        collection.EndUpdate();
        throw;
    }
    collection.EndUpdate();
    --FDepth;
}

void TReader::ReadData(TComponent* instance)
{
    TComponent* const savedCurrent = FCurrent;
    FCurrent = instance;
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();

    TComponent* const savedParent = FParent;
    TComponent* const savedOwner = FOwner;
    FParent = instance;
    if (instance->ComponentState().Contains(csInline))
        FOwner = instance;
    while (!EndOfList())
        ReadComponent(nullptr);
    ReadListEnd();
    FParent = savedParent;
    FOwner = savedOwner;
    FCurrent = savedCurrent;
}

TComponent* TReader::ReadComponent(TComponent* existing)
{
    EnterNesting();
    std::uint8_t flags = 0;
    std::int32_t childPos = 0;
    ReadPrefix(flags, childPos);
    const QString className = ReadStr();
    QString name = ReadStr();

    if (!existing && !(flags & ffInherited) && IsTransientClassName(className)) {
        SkipComponentData();
        --FDepth;
        return nullptr;
    }
    TComponent* component = existing;
    if (!component) {
        if (flags & ffInherited) {
            component = FOwner ? FOwner->FindComponent(name) : nullptr;
            if (!component)
                ReadError(QStringLiteral("Ancestor for '%1' not found").arg(name));
        } else {
            const TClassInfo& cls = FindClass(className);
            if (!cls.Create)
                ReadError(QStringLiteral("Class %1 cannot be created").arg(className));
            component = cls.Create(FOwner);
            FCreated.push_back(component);
        }
    }
    component->SetLoadingState(true);
    if (component != FRoot) {
        if (OnSetName)
            OnSetName(*this, component, name);
        component->SetName(name);
    }
    if (FParent && FParent != component)
        component->SetParentComponent(FParent);
    if (!existing || std::find(FLoaded.begin(), FLoaded.end(), component) == FLoaded.end())
        FLoaded.push_back(component);
    ReadData(component);
    if ((flags & ffChildPos) && FParent)
        FParent->SetChildOrder(component, childPos);
    component->ClearReading();
    --FDepth;
    return component;
}

void TReader::SkipComponentData()
{
    while (!EndOfList()) {
        ReadStr();
        SkipValue();
    }
    ReadListEnd();
    while (!EndOfList()) {
        EnterNesting();
        std::uint8_t flags = 0;
        std::int32_t childPos = 0;
        ReadPrefix(flags, childPos);
        ReadStr();
        ReadStr();
        SkipComponentData();
        --FDepth;
    }
    ReadListEnd();
}

TComponent* TReader::FindReference(const QString& name) const
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        if (TComponent* c = FRoot->FindComponent(name))
            return c;
        if (name.compare(FRoot->Name(), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("Owner"), Qt::CaseInsensitive) == 0)
            return FRoot;
        return nullptr;
    }
    const QString rootName = name.left(dot);
    const QString rest = name.mid(dot + 1);
    TComponent* root = rootName.compare(FRoot->Name(), Qt::CaseInsensitive) == 0 ? FRoot
                                                                                 : FindGlobalComponent(rootName);
    return root ? root->FindComponent(rest) : nullptr;
}

void TReader::DoFixupReferences()
{
    std::vector<Fixup> fixups;
    fixups.swap(FFixups);
    for (const Fixup& f : fixups) {
        TComponent* target = FindReference(f.Name);
        if (!target && IgnoreUnresolvedReferences)
            continue;
        try {
            if (!target)
                ReadError(QStringLiteral("Unresolved reference to component %1").arg(f.Name));
            f.Prop->SetObject(f.Instance, target);
        } catch (Exception& e) {
            e.SetMessage(QStringLiteral("Error reading %1: %2").arg(f.Path, e.Message()));
            FPathReported = true;
            throw;
        }
    }
}

// ---- the whole read, and what a failure undoes ------------------------------------------------

template <class F>
void TReader::Guarded(TComponent* givenRoot, F&& body)
{
    try {
        body();
    } catch (Exception& e) {
        e.SetMessage(QStringLiteral("%1 at offset %2").arg(e.Message()).arg(FStream.Position()));
        Abandon(givenRoot);
        throw;
    } catch (...) {
        Abandon(givenRoot);
        throw;
    }
}

void TReader::Abandon(TComponent* givenRoot)
{
    // Newest first: children go before the parents that own them.
    while (!FCreated.empty()) {
        TComponent* c = FCreated.back();
        FCreated.pop_back();
        c->Free();
    }
    if (givenRoot)
        givenRoot->ClearLoading();
    FLoaded.clear();
    FFixups.clear();
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    TComponent* const givenRoot = root;
    Guarded(givenRoot, [&] {
        ReadSignature();
        std::uint8_t flags = 0;
        std::int32_t childPos = 0;
        ReadPrefix(flags, childPos);
        const QString className = ReadStr();
        if (!root) {
            const TClassInfo& cls = FindClass(className);
            if (!cls.Create)
                ReadError(QStringLiteral("Class %1 cannot be created").arg(className));
            root = cls.Create(nullptr);
            FCreated.push_back(root);
        }
        QString name = ReadStr();
        // Several documents read from files with the same root name live side by side.
        if (TComponent* owner = root->Owner(); owner && !name.isEmpty()) {
            QString candidate = name;
            for (int i = 1;; ++i) {
                TComponent* clash = owner->FindComponent(candidate);
                if (!clash || clash == root)
                    break;
                candidate = QStringLiteral("%1_%2").arg(name).arg(i);
            }
            name = candidate;
        }
        FRoot = root;
        FOwner = root;
        FParent = root;
        root->SetLoadingState(true);
        root->SetName(name);
        FLoaded.push_back(root);
        ReadData(root);
        root->ClearReading();
        DoFixupReferences();
        for (TComponent* c : FLoaded)
            c->Loaded();
    });
    FCreated.clear();
    FLoaded.clear();
    return root;
}

void TReader::ReadComponents(TComponent* owner, TComponent* parent, const std::function<void(TComponent*)>& proc)
{
    FRoot = owner;
    FOwner = owner;
    FParent = parent;
    Guarded(nullptr, [&] {
        std::vector<TComponent*> read;
        while (FStream.Remaining() > 0 && !EndOfList()) {
            ReadSignature();
            if (TComponent* c = ReadComponent(nullptr))
                read.push_back(c);
        }
        if (FStream.Remaining() > 0)
            ReadListEnd();
        DoFixupReferences();
        for (TComponent* c : FLoaded)
            c->Loaded();
        if (proc)
            for (TComponent* c : read)
                proc(c);
    });
    FCreated.clear();
    FLoaded.clear();
}

} // namespace tessiv
