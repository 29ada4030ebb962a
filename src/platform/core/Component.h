#pragma once
// TComponent: the owner/owned tree, names unique among siblings, free notifications, the
// loading states, and the hooks that component streams use.

#include "platform/core/Persistent.h"
#include "platform/core/Sets.h"

#include <QHash>
#include <QString>

#include <functional>
#include <type_traits>
#include <vector>

namespace tessiv {

class TReader;
class TWriter;

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance,
};
using TComponentState = TSet<TComponentStateItem>;

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    TESSIV_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    // Destroys the component after telling everyone who holds it; prefer it to delete, so that
    // notifications still see the component's full class.
    void Free();

    const QString& Name() const { return FName; }
    // EComponentError "'%s' is not a valid component name" / "A component named %s already exists".
    virtual void SetName(const QString& name);
    int Tag() const { return FTag; }
    void SetTag(int tag) { FTag = tag; }

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    void SetComponentIndex(int index);
    TComponent* FindComponent(const QString& name) const; // case-insensitive; nil if none
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    TComponentState ComponentState() const { return FComponentState; }
    void SetDesigning(bool value, bool setChildren = true);
    void Destroying(); // marks this and everything it owns csDestroying

    // Streaming.
    virtual void ReadState(TReader& reader);
    virtual void WriteState(TWriter& writer);
    // The components written as this one's children; Root is the stream's root.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {}
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* parent) {}
    virtual void SetChildOrder(TComponent* child, int order) {}

    QString GetNamePath() const override { return FName; }

    // Reader's bookkeeping.
    void SetLoadingState(bool reading);
    void ClearReading() { FComponentState -= csReading; }
    void ClearLoading() { FComponentState -= TComponentState{csLoading, csReading}; }
    void SetWriting(bool writing)
    {
        if (writing)
            FComponentState += csWriting;
        else
            FComponentState -= csWriting;
    }

    // opInsert when a component is added to this one, opRemove when a component this one owns,
    // or one it asked to be told about, goes away. The default passes a removal on to the owned
    // ones.
    virtual void Notification(TComponent* component, TOperation operation);
    // After a stream has been read and its references resolved; clears csLoading.
    virtual void Loaded();

protected:
    virtual void ValidateRename(TComponent* component, const QString& curName, const QString& newName);
    TPersistent* GetOwner() const override { return FOwner; }
    void ChangeName(const QString& name);

private:
    friend class TReader;
    void BeforeDestruction();
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* FOwner = nullptr;
    QString FName;
    int FTag = 0;
    std::vector<TComponent*> FComponents;
    QHash<QString, TComponent*> FNameIndex; // case-folded names of FComponents
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    bool FNotified = false; // BeforeDestruction ran
};

bool IsValidIdent(const QString& name);

// Deletes a component through Free (works with nullptr).
struct TComponentDeleter {
    void operator()(TComponent* c) const
    {
        if (c)
            c->Free();
    }
};

namespace detail {
template <class C>
TComponentFactory FactoryFor()
{
    if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                  std::is_constructible_v<C, TComponent*>)
        return [](TComponent* owner) -> TComponent* { return new C(owner); };
    else
        return {};
}
} // namespace detail

} // namespace tessiv
