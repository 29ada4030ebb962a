#pragma once
// Collections: lists of items of one class, streamed as a whole (vaCollection).

#include "platform/core/Persistent.h"

#include <functional>
#include <vector>

namespace tessiv {

class TCollection;

class TCollectionItem : public TPersistent {
    TESSIV_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    int Index() const;
    void SetIndex(int index);
    int ID() const { return FID; }
    virtual QString DisplayName() const { return ClassName(); }
    QString GetNamePath() const override;

protected:
    TPersistent* GetOwner() const override;
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    TESSIV_CLASS(TCollection, TPersistent)
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    // itemFactory creates an item of the collection's class (which adds itself).
    TCollection(const TClassInfo& itemClass, TItemFactory itemFactory, TPersistent* owner = nullptr);
    ~TCollection() override;

    const TClassInfo& ItemClass() const { return FItemClass; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    void Assign(const TPersistent* source) override;
    QString GetNamePath() const override;

    std::function<void(TCollectionItem*)> OnUpdate;

protected:
    TPersistent* GetOwner() const override { return FOwner; }
    // nil item: the whole collection changed.
    virtual void Update(TCollectionItem* item);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    const TClassInfo& FItemClass;
    TItemFactory FItemFactory;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

} // namespace tessiv
