#include "platform/core/Component.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Reader.h"
#include "platform/core/Writer.h"

#include <algorithm>
#include <exception>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TComponent, TPersistent,
    t.String(QStringLiteral("Name"), &TComponent::Name,
             [](TComponent& c, const QString& v) { c.SetName(v); })
        .WithStored([](const TPersistent*) { return false; });
    t.Integer(QStringLiteral("Tag"), &TComponent::Tag, &TComponent::SetTag, 0);
)

bool IsValidIdent(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!(alpha || (i > 0 && digit)))
            return false;
    }
    return true;
}

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    BeforeDestruction();
    DestroyComponents();
}

void TComponent::Free()
{
    BeforeDestruction();
    delete this;
}

void TComponent::BeforeDestruction()
{
    if (FNotified)
        return;
    FNotified = true;
    Destroying();
    // Everyone who asked to be told drops its reference.
    // A component on its way out cannot be held back: an error in a handler is dropped so that
    // everyone else still hears of it, and destruction never throws.
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& theirs = c->FFreeNotifies;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        try {
            c->Notification(this, TOperation::opRemove);
        } catch (...) {
        }
    }
    if (FOwner) {
        try {
            FOwner->Notification(this, TOperation::opRemove);
        } catch (...) {
        }
        FOwner->Remove(this);
    }
}

void TComponent::Destroying()
{
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState += csDestroying;
    for (TComponent* c : FComponents)
        c->Destroying();
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        // Taken out first, so that its own destruction does not look for us.
        FComponents.pop_back();
        if (!c->FName.isEmpty())
            FNameIndex.remove(c->FName.toCaseFolded());
        c->FOwner = nullptr;
        c->Free();
    }
}

void TComponent::SetName(const QString& name)
{
    if (FName == name)
        return;
    if (!name.isEmpty() && !IsValidIdent(name))
        throw EComponentError(QStringLiteral("'%1' is not a valid component name").arg(name));
    if (FOwner)
        FOwner->ValidateRename(this, FName, name);
    else
        ValidateRename(nullptr, FName, name);
    ChangeName(name);
}

void TComponent::ValidateRename(TComponent* component, const QString& curName, const QString& newName)
{
    if (!component || newName.isEmpty() || curName.compare(newName, Qt::CaseInsensitive) == 0)
        return;
    TComponent* other = FindComponent(newName);
    if (other && other != component)
        throw EComponentError(QStringLiteral("A component named %1 already exists").arg(newName));
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return FComponents[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!FOwner)
        return -1;
    const auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int index)
{
    if (!FOwner)
        return;
    auto& list = FOwner->FComponents;
    const int current = ComponentIndex();
    if (current < 0)
        return;
    index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
    list.erase(list.begin() + current);
    list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    return FNameIndex.value(name.toCaseFolded(), nullptr);
}

void TComponent::ChangeName(const QString& name)
{
    if (FOwner) {
        if (!FName.isEmpty())
            FOwner->FNameIndex.remove(FName.toCaseFolded());
        if (!name.isEmpty())
            FOwner->FNameIndex.insert(name.toCaseFolded(), this);
    }
    FName = name;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->FOwner == this)
        return;
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    ValidateRename(component, QString(), component->FName);
    Insert(component);
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->FOwner != this)
        return;
    Notification(component, TOperation::opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    FComponents.push_back(component);
    component->FOwner = this;
    if (!component->FName.isEmpty())
        FNameIndex.insert(component->FName.toCaseFolded(), component);
}

void TComponent::Remove(TComponent* component)
{
    // The newest component is the likeliest to go (freeing in reverse, undoing a read).
    auto it = std::find(FComponents.rbegin(), FComponents.rend(), component);
    if (it != FComponents.rend())
        FComponents.erase(std::next(it).base());
    component->FOwner = nullptr;
    if (!component->FName.isEmpty())
        FNameIndex.remove(component->FName.toCaseFolded());
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    // Both sides keep the link: whichever goes first tells the other.
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    auto& theirs = component->FFreeNotifies;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
        theirs.push_back(this);
    FComponentState += csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component), FFreeNotifies.end());
    auto& theirs = component->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation != TOperation::opRemove)
        return;
    if (component)
        RemoveFreeNotification(component);
    // A removal concerns everything the owner holds (references between siblings); an insertion
    // only the owner, which keeps reading a stream of n components linear.
    // Newest first, by index: a handler may free components, and the list may shrink under us.
    // One that fails does not keep the others from hearing; its error comes out afterwards.
    std::exception_ptr error;
    for (size_t i = FComponents.size(); i-- > 0;) {
        if (i >= FComponents.size())
            continue;
        try {
            FComponents[i]->Notification(component, operation);
        } catch (...) {
            if (!error)
                error = std::current_exception();
        }
    }
    if (error)
        std::rethrow_exception(error);
}

void TComponent::SetDesigning(bool value, bool setChildren)
{
    if (value)
        FComponentState += csDesigning;
    else
        FComponentState -= csDesigning;
    if (setChildren)
        for (TComponent* c : FComponents)
            c->SetDesigning(value, true);
}

void TComponent::SetLoadingState(bool reading)
{
    FComponentState += csLoading;
    if (reading)
        FComponentState += csReading;
}

void TComponent::Loaded()
{
    FComponentState -= csLoading;
}

void TComponent::ReadState(TReader& reader)
{
    reader.ReadData(this);
}

void TComponent::WriteState(TWriter& writer)
{
    writer.WriteData(this);
}

} // namespace tessiv
