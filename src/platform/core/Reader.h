#pragma once
// Reads the binary component stream ("TPF0"): creates registered classes by name, sets their
// published properties, nests children under their parents, resolves references by name once the
// whole stream is read, then calls Loaded in read order. On any error everything the read created
// is freed and the error names the property and the stream offset.

#include "platform/core/Filer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace tessiv {

class TPersistent;
class TCollection;
struct TPropInfo;

class TReader : public TFiler {
public:
    explicit TReader(TStream& stream);
    ~TReader() override;

    // Reads the root component of a stream (signature first). With a Root, the stream's root
    // properties and children go into it; otherwise a root of the stream's class is created.
    TComponent* ReadRootComponent(TComponent* root);
    // Reads one component record into Owner/Parent (the caller sets them): the clipboard and undo
    // copies use it, each component after its own signature. The record of a transient class is
    // skipped and gives nil.
    TComponent* ReadComponent(TComponent* existing);
    // Reads signatures and components until the end of the stream.
    void ReadComponents(TComponent* owner, TComponent* parent,
                        const std::function<void(TComponent*)>& proc);

    void DefineProperty(const QString& name, const TReaderProc& readData,
                        const TWriterProc& writeData, bool hasData) override;
    void DefineBinaryProperty(const QString& name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

    // Where created components go: their owner, and the component whose record holds them.
    TComponent* Owner() const { return FOwner; }
    void SetOwner(TComponent* owner) { FOwner = owner; }
    TComponent* Parent() const { return FParent; }
    void SetParent(TComponent* parent) { FParent = parent; }

    // May change the name a component gets (pasting beside components of the same name).
    std::function<void(TReader&, TComponent*, QString&)> OnSetName;
    // References to components the stream's root does not hold are an error unless this is set,
    // in which case they stay nil (pasting controls that pointed outside the copy).
    bool IgnoreUnresolvedReferences = false;

    // ---- values ----
    void ReadSignature();
    TValueType NextValue();
    TValueType ReadValue();
    void CheckValue(TValueType expected);
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    std::int32_t ReadInteger();
    std::int64_t ReadInt64();
    long double ReadFloat();
    float ReadSingle();
    std::int64_t ReadCurrency(); // the stored 64-bit value, ten-thousandths
    double ReadDate();
    QString ReadString();
    QString ReadIdent();
    bool ReadBoolean();
    QString ReadStr(); // a short string: length byte and cp1252 characters
    QStringList ReadSet();
    QByteArray ReadBinary();
    void ReadPrefix(std::uint8_t& flags, std::int32_t& childPos);
    void SkipValue();
    void ReadCollection(TCollection& collection);
    // Reads "Name value" pairs into instance until the end-of-list byte.
    void ReadProperty(TPersistent* instance);

    std::int64_t Position() const;

    [[noreturn]] void ReadError(const QString& message) const;

    // Properties and children of a component whose class and name have been read.
    void ReadData(TComponent* instance);

private:
    struct Fixup;
    // The rest of a record whose class and name have been read, and its children, passed over.
    void SkipComponentData();
    void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
    void DoFixupReferences();
    TComponent* FindReference(const QString& name) const;
    void Read(void* buffer, std::int64_t count);
    std::uint8_t ReadByte();
    std::uint32_t ReadLength(std::int64_t unit);
    void EnterNesting();
    [[noreturn]] void PropertyError(const QString& message) const;
    QString CurrentPath() const;
    template <class F>
    void Guarded(TComponent* givenRoot, F&& body);
    void Abandon(TComponent* givenRoot);

    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    std::vector<TComponent*> FLoaded;   // read order, for Loaded
    std::vector<TComponent*> FCreated;  // freed again when the read fails
    std::vector<Fixup> FFixups;
    QString FPropName;                  // the defined property being looked for
    QString FPropPath;                  // dotted path of the property being read, for messages
    TComponent* FCurrent = nullptr;     // component whose properties are being read
    int FDepth = 0;
    bool FPathReported = false;         // the error message already names the property
};

} // namespace tessiv
