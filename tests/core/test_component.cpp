// Owner and owned lists, names, notifications and destruction.
#include "StreamFixtures.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;
using namespace fixtures;

namespace {
std::unique_ptr<TTestRoot, TComponentDeleter> NewRoot()
{
    return std::unique_ptr<TTestRoot, TComponentDeleter>(new TTestRoot(nullptr));
}
} // namespace

TEST(Component, NamesAreUniqueAmongSiblingsIgnoringCase)
{
    auto root = NewRoot();
    auto* a = new TTestPanel(root.get());
    auto* b = new TTestPanel(root.get());
    a->SetName(QStringLiteral("Band1"));
    try {
        b->SetName(QStringLiteral("BAND1"));
        FAIL() << "duplicate name accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("A component named BAND1 already exists"));
    }
    EXPECT_EQ(b->Name(), QString());
    a->SetName(QStringLiteral("BAND1")); // renaming itself in another case is fine
    EXPECT_EQ(root->FindComponent(QStringLiteral("band1")), a);
    EXPECT_EQ(root->FindComponent(QString()), nullptr);

    for (const char* bad : {"1abc", "a b", "a-b", "ção"}) {
        EXPECT_THROW(b->SetName(QString::fromUtf8(bad)), EComponentError) << bad;
    }
    try {
        b->SetName(QStringLiteral("a b"));
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'a b' is not a valid component name"));
    }
    // A sibling in another owner may share the name.
    auto other = NewRoot();
    auto* c = new TTestPanel(other.get());
    EXPECT_NO_THROW(c->SetName(QStringLiteral("Band1")));
}

TEST(Component, DestructionFreesOwnedAndTellsWhoAsked)
{
    auto root = NewRoot();
    auto* target = new TTestPanel(root.get());
    auto* holder = new TTestPanel(root.get());
    holder->SetLink(target);
    auto otherRoot = NewRoot();
    auto* source = new TTestSource(otherRoot.get()); // another owner: only FreeNotification reaches it
    source->SetTarget(target);

    target->Free();
    EXPECT_EQ(holder->Link, nullptr);
    EXPECT_EQ(source->Target, nullptr);
    EXPECT_EQ(root->ComponentCount(), 1);

    // The holder going first must not leave the target pointing at it.
    auto* t2 = new TTestPanel(root.get());
    source->SetTarget(t2);
    source->Free();
    t2->Free(); // would touch freed memory if the link had survived (the sanitizer build sees it)
    EXPECT_EQ(root->ComponentCount(), 1);
}

TEST(Component, DeletingTheOwnerFreesEverythingItOwns)
{
    // The sanitizer build reports a leak or a double free if this goes wrong.
    auto* root = new TTestRoot(nullptr);
    auto* p = new TTestPanel(root);
    auto* q = new TTestPanel(root);
    q->SetParentPanel(p);
    q->SetLink(p);
    auto* s = new TTestSource(root);
    s->SetTarget(q);
    delete root;
    SUCCEED();
}

TEST(Component, InsertionsTellTheOwnerAndRemovalsTellEverythingItOwns)
{
    struct Watcher : TComponent {
        using TComponent::TComponent;
        int inserts = 0, removes = 0;
        void Notification(TComponent* c, TOperation op) override
        {
            TComponent::Notification(c, op);
            (op == TOperation::opInsert ? inserts : removes)++;
        }
    };
    std::unique_ptr<Watcher, TComponentDeleter> owner(new Watcher(nullptr));
    auto* sibling = new Watcher(owner.get());
    EXPECT_EQ(owner->inserts, 1);
    auto* p = new TTestPanel(owner.get());
    EXPECT_EQ(owner->inserts, 2);
    EXPECT_EQ(sibling->inserts, 0);
    p->Free(); // siblings may hold references to it: they hear of its going
    EXPECT_EQ(owner->removes, 1);
    EXPECT_EQ(sibling->removes, 1);

    owner->SetDesigning(true);
    EXPECT_TRUE(sibling->ComponentState().Contains(csDesigning));
    EXPECT_FALSE(sibling->ComponentState().Contains(csLoading));
}

TEST(Component, AHandlerThatThrowsCannotStopADestruction)
{
    struct Listener : TComponent {
        using TComponent::TComponent;
        bool throws = false;
        int removes = 0;
        void Notification(TComponent* c, TOperation op) override
        {
            TComponent::Notification(c, op);
            if (op != TOperation::opRemove)
                return;
            ++removes;
            if (throws)
                throw EInvalidOperation(QStringLiteral("not now"));
        }
    };
    auto root = NewRoot();
    auto* quiet = new Listener(root.get());
    auto* target = new TTestPanel(root.get());
    auto* grumpy = new Listener(root.get()); // the newest: told first
    grumpy->throws = true;
    auto* outsider = new Listener(nullptr);
    outsider->throws = true;
    target->FreeNotification(outsider);
    target->Free(); // no exception escapes, and the quiet sibling still hears of it
    EXPECT_EQ(grumpy->removes, 1);
    EXPECT_EQ(quiet->removes, 1);
    EXPECT_EQ(outsider->removes, 1);
    EXPECT_EQ(root->ComponentCount(), 2);

    // Outside a destruction the error still reaches the caller, after everyone has been told,
    // and the removal does not happen.
    auto* other = new TTestPanel(root.get());
    EXPECT_THROW(root->RemoveComponent(other), EInvalidOperation);
    EXPECT_EQ(quiet->removes, 2);
    EXPECT_EQ(other->Owner(), root.get());
    other->Free();
    EXPECT_EQ(quiet->removes, 3);
    delete outsider;
}

TEST(ClassRegistry, FindsRegisteredClassesByNameIgnoringCase)
{
    RegisterFixtureClasses();
    EXPECT_EQ(&FindClass(QStringLiteral("ttestpanel")), &TTestPanel::StaticClass());
    EXPECT_EQ(GetClass(QStringLiteral("TNothing")), nullptr);
    try {
        FindClass(QStringLiteral("TNothing"));
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Class TNothing not found"));
    }
    EXPECT_TRUE(TTestPanel::StaticClass().InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TTestFont::StaticClass().InheritsFrom(TComponent::StaticClass()));
}

TEST(Persistent, AssignOfAnUnrelatedClassIsRefused)
{
    TTestFont font;
    auto root = NewRoot();
    try {
        font.Assign(root.get());
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a TTestRoot to a TTestFont"));
    }
}
