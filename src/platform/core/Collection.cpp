#include "platform/core/Collection.h"

#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"

#include <algorithm>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TCollectionItem, TPersistent)
TESSIV_IMPLEMENT_CLASS(TCollection, TPersistent)

TCollectionItem::TCollectionItem(TCollection* collection)
{
    if (collection)
        collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem()
{
    if (FCollection)
        FCollection->RemoveItem(this);
}

int TCollectionItem::Index() const
{
    if (!FCollection)
        return -1;
    const auto& items = FCollection->FItems;
    auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || index == current)
        return;
    auto& items = FCollection->FItems;
    index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

QString TCollectionItem::GetNamePath() const
{
    return FCollection ? QStringLiteral("%1[%2]").arg(FCollection->GetNamePath()).arg(Index()) : ClassName();
}

TPersistent* TCollectionItem::GetOwner() const
{
    return FCollection;
}

void TCollectionItem::Changed(bool allItems)
{
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(allItems ? nullptr : this);
}

TCollection::TCollection(const TClassInfo& itemClass, TItemFactory itemFactory, TPersistent* owner)
    : FItemClass(itemClass), FItemFactory(std::move(itemFactory)), FOwner(owner)
{
}

TCollection::~TCollection()
{
    FUpdateCount = 1;
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* item = FItemFactory(this);
    if (item->FCollection != this)
        InsertItem(item);
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    delete Items(index);
    Changed();
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : FItems)
        if (item->FID == id)
            return item;
    return nullptr;
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Assign(const TPersistent* source)
{
    auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : other->FItems)
            Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

QString TCollection::GetNamePath() const
{
    return FOwner ? FOwner->GetNamePath() : ClassName();
}

void TCollection::Update(TCollectionItem* item)
{
    if (OnUpdate)
        OnUpdate(item);
}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    FItems.push_back(item);
    item->FCollection = this;
    item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end());
    item->FCollection = nullptr;
    Changed();
}

} // namespace tessiv
