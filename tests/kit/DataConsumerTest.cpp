// The data consumer against a provider that logs every call made on it.
#include "BvDataViewList.h"
#include "FakeProvider.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

std::string ReasonName(TBvConsumerChangeReason r) {
    static const char* names[] = {"provider", "data", "view", "context", "option"};
    return names[static_cast<int>(r)];
}

// A consumer as a control makes one, with its events written into a log.
struct Linked {
    TComponent owner{nullptr};
    TBvDataConsumer* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{1, 3, 1});
    Strings events;
    Linked() {
        consumer->OnChanging = [this](TBvDataConsumer*, TBvConsumerChangeReason r) {
            events.push_back("changing " + ReasonName(r));
        };
        consumer->OnChanged = [this](TBvDataConsumer*, TBvConsumerChangeReason r) {
            events.push_back("changed " + ReasonName(r));
        };
        consumer->OnSubServiceCreated = [this](TBvDataConsumer*,
                                               TBvDataConsumerAggregatedObject* s) {
            events.push_back("created " + s->ClassName());
        };
    }
    ~Linked() {
        if (consumer)
            consumer->Destroy();
    }
};

TEST(DataConsumer, AttributesAreKeptOnceAndAnsweredFromTheOwnerDeclaration) {
    Linked l;
    EXPECT_TRUE(l.consumer->HasAttribute(attrGrayDisabled));
    EXPECT_TRUE(l.consumer->HasAttribute(attrDisplaysList));
    EXPECT_FALSE(l.consumer->HasAttribute(2));
    EXPECT_EQ(l.consumer->OwnerComponent(), &l.owner);
    // Not counted: references neither keep it alive nor free it.
    EXPECT_EQ(static_cast<IBvDataConsumer*>(l.consumer)->_AddRef(), -1);
    EXPECT_EQ(static_cast<IBvDataConsumer*>(l.consumer)->_Release(), -1);
}

TEST(DataConsumer, LinkingAndUnlinkingCallTheProviderAndTellTheOwnerInOrder) {
    Linked l;
    auto p = MakeProvider();
    p->AddItem("one");
    p->AddItem("two");
    p->Log.clear();
    l.consumer->SetProvider(p.Get());
    // Registered first; then every access to provider data inside a select/release pair: the
    // sub-service classes, and the view's rows when it is made, announced and refreshed.
    Strings expected = {"Register",        "SelectConsumer",  "SelectContext -",
                        "ConsumerClasses", "ReleaseConsumer", "ReleaseContext"};
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(),
                        {"SelectConsumer", "SelectContext -", "ReleaseConsumer", "ReleaseContext"});
    EXPECT_EQ(p->Log, expected);
    EXPECT_EQ(l.events, (Strings{"changing provider", "created TBvDataConsumerViewList",
                                 "changed view", "changed view", "changed provider"}));
    ASSERT_NE(l.consumer->ViewList(), nullptr);
    EXPECT_EQ(l.consumer->ViewList()->Count(), 2);
    EXPECT_EQ(p->SinkCount(), 1);
    EXPECT_EQ(p->SelectionDepth(), 0);

    // The same provider again changes nothing.
    p->Log.clear();
    l.events.clear();
    l.consumer->SetProvider(p.Get());
    EXPECT_TRUE(p->Log.empty());
    EXPECT_TRUE(l.events.empty());

    l.consumer->SetProvider(nullptr);
    EXPECT_EQ(p->Log, Strings{"Unregister"});
    EXPECT_EQ(l.events, (Strings{"changing provider", "changed view", "changed provider"}));
    // The view list survives a provider change, with no rows.
    ASSERT_EQ(l.consumer->SubServiceCount(), 0);
    EXPECT_EQ(p->SinkCount(), 0);
}

TEST(DataConsumer, ExactlyOneViewListAndAHandlerMaySuppressASubService) {
    {
        Linked l;
        auto p = MakeProvider();
        p->Classes = {ConsumerClassOf<TBvDataConsumerViewList>(),
                      ConsumerClassOf<TBvDataConsumerItemSelect>()};
        l.consumer->SetProvider(p.Get());
        EXPECT_EQ(l.consumer->SubServiceCount(), 2);
        EXPECT_NE(l.consumer->ViewList(), nullptr);
        EXPECT_NE(l.consumer->FindSubService<TBvDataConsumerItemSelect>(), nullptr);
    }
    {
        Linked l;
        l.consumer->OnCreatingSubService = [](TBvDataConsumer*, const TBvDataConsumerClass*& c) {
            if (&c->Info() == &TBvDataConsumerViewList::StaticClassInfo())
                c = nullptr;
        };
        auto p = MakeProvider();
        l.consumer->SetProvider(p.Get());
        EXPECT_EQ(l.consumer->SubServiceCount(), 0);
        EXPECT_EQ(TBvConsumerStrings(l.consumer).Count(), 0);
    }
}

TEST(DataConsumer, EnterAndLeaveGiveTheSelectionBackWhenTheProviderRaises) {
    Linked l;
    auto p = MakeProvider();
    l.consumer->SetProvider(p.Get());
    p->Log.clear();

    p->RaiseOnSelectContext = true;
    EXPECT_THROW(TBvConsumerScope scope(l.consumer), EBvDataProvider);
    EXPECT_EQ(p->Log, (Strings{"SelectConsumer", "SelectContext -", "ReleaseConsumer"}));
    EXPECT_EQ(p->SelectionDepth(), 0);
    p->RaiseOnSelectContext = false;

    // A raise between the two still releases the selection.
    p->Log.clear();
    try {
        TBvConsumerScope scope(l.consumer);
        throw EConvertError("inside");
    } catch (const EConvertError&) {
    }
    EXPECT_EQ(p->SelectionDepth(), 0);
    EXPECT_EQ(p->ContextDepth(), 0);
    EXPECT_EQ(p->Log,
              (Strings{"SelectConsumer", "SelectContext -", "ReleaseConsumer", "ReleaseContext"}));

    // Leave whose context release raises selects the consumer read before again.
    p->RaiseOnReleaseContext = true;
    EXPECT_THROW({ TBvConsumerScope scope(l.consumer); }, EBvDataProvider);
    EXPECT_EQ(p->SelectionDepth(), 1);
    EXPECT_EQ(p->SelectedConsumer().Get(), static_cast<IBvDataConsumer*>(l.consumer));
    // While unwinding from another raise, the first error is the one that arrives.
    try {
        TBvConsumerScope scope(l.consumer);
        throw EConvertError("first");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "first");
    }
    p->RaiseOnReleaseContext = false;
}

TEST(DataConsumer, AProviderThatGoesUnlinksItsConsumersInsideItsNotification) {
    Linked a, b;
    auto p = MakeProvider();
    a.consumer->SetProvider(p.Get());
    b.consumer->SetProvider(p.Get());
    EXPECT_EQ(p->SinkCount(), 2);
    Strings heard;
    a.consumer->OnProviderDataChanging = [&](IBvDataProvider*, TBvProviderChangeReason r,
                                             IInterface*) {
        heard.push_back("a " + std::to_string(static_cast<int>(r)));
    };
    b.consumer->OnProviderDataChanging = [&](IBvDataProvider*, TBvProviderChangeReason r,
                                             IInterface*) {
        heard.push_back("b " + std::to_string(static_cast<int>(r)));
    };
    p->AnnounceDestroying();
    EXPECT_EQ(heard, (Strings{"a 4", "b 4"}));
    EXPECT_EQ(a.consumer->Provider(), nullptr);
    EXPECT_EQ(b.consumer->Provider(), nullptr);
    EXPECT_EQ(p->SinkCount(), 0);
}

TEST(DataConsumer, ContextsByNameDefaultAndEmpty) {
    Linked l;
    auto p = MakeProvider(true);
    p->AddContext("All");
    p->AddContext("Recent");
    l.consumer->SetProvider(p.Get());
    EXPECT_EQ(l.consumer->Context(), "All");
    EXPECT_FALSE(l.consumer->ContextStored());

    l.events.clear();
    l.consumer->SetContext("Recent");
    EXPECT_EQ(l.consumer->Context(), "Recent");
    EXPECT_TRUE(l.consumer->ContextStored());
    EXPECT_EQ(l.events.front(), "changing context");
    EXPECT_EQ(l.events.back(), "changed context");

    l.events.clear();
    l.consumer->SetContext("");
    EXPECT_EQ(l.consumer->ContextIntf(), nullptr);
    EXPECT_EQ(l.events.front(), "changing context");
    EXPECT_EQ(l.events.back(), "changed context");

    // A provider without contexts leaves none selected, and none is stored.
    Linked m;
    auto bare = MakeProvider(true);
    m.consumer->SetProvider(bare.Get());
    EXPECT_EQ(m.consumer->ContextIntf(), nullptr);
    EXPECT_FALSE(m.consumer->ContextStored());
}

TEST(DataConsumer, EveryErrorText) {
    auto plain = MakeProvider();
    auto withContexts = MakeProvider(true);
    withContexts->AddContext("All");
    auto other = MakeProvider(true);
    auto* foreign = other->AddContext("Elsewhere");
    struct Case {
        const char* what;
        std::function<void(TBvDataConsumer*)> act;
        std::string message;
    } cases[] = {
        {"context without provider", [](TBvDataConsumer* c) { c->SetContext("All"); },
         "You must specify a provider before setting the context"},
        {"provider without contexts",
         [&](TBvDataConsumer* c) {
             c->SetProvider(plain.Get());
             c->SetContext("All");
         },
         "Provider does not support contexts"},
        {"unknown context",
         [&](TBvDataConsumer* c) {
             c->SetProvider(withContexts.Get());
             c->SetContext("Nowhere");
         },
         "Provider has no context named \"Nowhere\""},
        {"context of another provider",
         [&](TBvDataConsumer* c) {
             c->SetProvider(withContexts.Get());
             c->SetContextIntf(foreign);
         },
         "The specified context is not part of the same provider"},
        {"item without provider",
         [](TBvDataConsumer* c) { BvCreate<TBvDataConsumerItemSelect>(c)->SetItemID("X"); },
         "You must specify a provider before setting the item"},
        {"unknown item",
         [&](TBvDataConsumer* c) {
             withContexts->Classes = {ConsumerClassOf<TBvDataConsumerItemSelect>()};
             c->SetProvider(withContexts.Get());
             withContexts->Classes.clear();
             c->FindSubService<TBvDataConsumerItemSelect>()->SetItemID("X");
         },
         "Item not found in the selected context"},
        {"second extension of a class",
         [](TBvDataConsumer* c) {
             BvCreate<TBvDataConsumerItemSelect>(c);
             BvCreate<TBvDataConsumerItemSelect>(c);
         },
         "Implementation of that class already exists"},
        {"string view past its rows",
         [&](TBvDataConsumer* c) {
             c->SetProvider(plain.Get());
             TBvConsumerStrings(c).Get(0);
         },
         "List index out of bounds (0)"},
        {"string view below its rows", [&](TBvDataConsumer* c) { TBvConsumerStrings(c).Get(-1); },
         "List index out of bounds (-1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Linked l;
        try {
            c.act(l.consumer);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(DataConsumer, AContextNameThatCannotBeResolvedRaisesBeforeAnythingChanges) {
    Linked l;
    l.owner.BeginLoading();
    l.consumer->SetContext("Missing");
    EXPECT_EQ(l.consumer->PendingContext(), "Missing");
    l.owner.EndLoading();

    auto p = MakeProvider(true);
    p->AddContext("All");
    p->Log.clear();
    l.events.clear();
    EXPECT_THROW(l.consumer->SetProvider(p.Get()), EBvDataConsumer);
    EXPECT_EQ(l.consumer->Provider(), nullptr);
    EXPECT_TRUE(p->Log.empty());
    EXPECT_TRUE(l.events.empty());
    EXPECT_EQ(l.consumer->PendingContext(), "Missing");
}

TEST(DataConsumer, PendingContextIsAppliedByTheNextLinkOrByFixup) {
    auto p = MakeProvider(true);
    p->AddContext("All");
    p->AddContext("Recent");
    {
        // Linked after loading: the pending name is applied at once.
        Linked l;
        l.owner.BeginLoading();
        l.consumer->SetContext("Recent");
        l.owner.EndLoading();
        l.consumer->SetProvider(p.Get());
        EXPECT_EQ(l.consumer->Context(), "Recent");
        EXPECT_EQ(l.consumer->PendingContext(), "");
    }
    {
        // Linked while loading: the default first, the pending name at Fixup.
        Linked l;
        l.owner.BeginLoading();
        l.consumer->SetContext("Recent");
        l.consumer->SetProvider(p.Get());
        EXPECT_EQ(l.consumer->Context(), "All");
        l.owner.EndLoading();
        l.consumer->Fixup();
        EXPECT_EQ(l.consumer->Context(), "Recent");
        EXPECT_EQ(l.consumer->PendingContext(), "");
    }
    {
        // An item ID set while loading waits for the provider, then is found.
        Linked l;
        auto* item = p->AddItem("picked");
        p->Classes = {ConsumerClassOf<TBvDataConsumerItemSelect>()};
        l.owner.BeginLoading();
        auto* select = BvCreate<TBvDataConsumerItemSelect>(l.consumer);
        select->SetItemID(item->ID());
        EXPECT_TRUE(l.consumer->FixupPending());
        l.owner.EndLoading();
        l.consumer->SetProvider(p.Get());
        EXPECT_FALSE(l.consumer->FixupPending());
        EXPECT_EQ(select->Item(), item->ID());
        p->Classes.clear();
    }
}

TEST(DataConsumer, DeletingOrClearingTheSelectedContextMovesToTheDefault) {
    for (bool clear : {false, true}) {
        SCOPED_TRACE(clear ? "clear" : "delete");
        Linked l;
        auto p = MakeProvider(true);
        p->AddContext("All", true); // fixed: it stays when the list is cleared
        auto* recent = p->AddContext("Recent");
        l.consumer->SetProvider(p.Get());
        l.consumer->SetContext("Recent");
        l.events.clear();
        if (clear)
            p->ContextList()->Clear();
        else
            p->ContextList()->Remove(recent);
        EXPECT_EQ(l.consumer->Context(), "All");
        EXPECT_EQ(l.events, (Strings{"changing context", "changed context", "changed data"}));
    }
}

TEST(DataConsumer, TheSelectedItemGoesWithItsItemOrAParent) {
    Linked l;
    auto p = MakeProvider();
    auto* top = p->AddItem("top");
    auto* child = p->AddItem("child", p->SubList(top));
    p->AddItem("other");
    p->Classes = {ConsumerClassOf<TBvDataConsumerItemSelect>()};
    l.consumer->SetProvider(p.Get());
    auto* select = l.consumer->FindSubService<TBvDataConsumerItemSelect>();
    ASSERT_NE(select, nullptr);
    select->SetItemID(child->ID());
    EXPECT_EQ(select->Item(), child->ID());
    // The view starts at the selected item's sub-items: it has none.
    EXPECT_EQ(l.consumer->ViewList()->Count(), 0);
    auto manage = Supports<IBvDataItemsManagement>(static_cast<IBvDataItems*>(p->Root()));
    manage->Delete(0);
    EXPECT_EQ(select->Item(), "");
    EXPECT_EQ(l.consumer->ViewList()->Count(), 1);
}

TEST(DataConsumer, PickingAnItemTellsTheSubServicesAndRunsItsAction) {
    struct TAction : TBvDataItemAggregatedObject, IBvDataItemAction {
        using TBvDataItemAggregatedObject::TBvDataItemAggregatedObject;
        const TClassInfo& ClassInfo() const override {
            static const TClassInfo info("TAction",
                                         &TBvDataItemAggregatedObject::StaticClassInfo());
            return info;
        }
        TComponent* ranFor = nullptr;
        void Execute(TComponent* sender) override { ranFor = sender; }
        bool GetOwnInterface(const TGUID& iid, void** obj) override {
            return BvOffer<IBvDataItemAction>(this, iid, obj);
        }
    };
    Linked l;
    auto p = MakeProvider();
    auto* item = p->AddItem("run me");
    auto* action = BvCreate<TAction>(item);
    l.consumer->SetProvider(p.Get());
    {
        TBvConsumerScope scope(l.consumer);
        l.consumer->NotifyItemSelected(item);
    }
    EXPECT_EQ(action->ranFor, &l.owner);
}

TEST(DataConsumer, ADestroyedConsumerUnlinksAndTellsItsOwnerNothing) {
    auto p = MakeProvider();
    p->AddItem("one");
    Strings events;
    TComponent owner(nullptr);
    auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
    consumer->OnChanging = [&](TBvDataConsumer*, TBvConsumerChangeReason) {
        events.push_back("changing");
    };
    consumer->OnChanged = [&](TBvDataConsumer*, TBvConsumerChangeReason) {
        events.push_back("changed");
    };
    consumer->SetProvider(p.Get());
    events.clear();
    p->Log.clear();
    consumer->Destroy();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(p->Log.front(), "Unregister");
    EXPECT_EQ(p->SinkCount(), 0);
}

TEST(DataConsumer, AnInterfaceTakenFromAnExtensionKeepsItsOwnerAlive) {
    // An item outside any list is a counted object on its own.
    TIntf<IBvDataItemText> text;
    {
        TIntf<IBvDataItem> item(BvCreate<TBvBaseDataItem>(nullptr));
        BvCreate<TBvDataItemTextImpl>(static_cast<TBvBaseDataItem*>(item->ImplementingObject()))
            ->SetCaption("kept");
        text = Supports<IBvDataItemText>(item);
        ASSERT_TRUE(text);
    }
    // Only the extension's interface is held now; the item must still be there.
    EXPECT_EQ(text->Caption(), "kept");
    auto item = Supports<IBvDataItem>(text);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->GetID().size(), 32u);
    // The identity is the item's, whichever interface it is reached through.
    EXPECT_TRUE(SameObject(text.Get(), item.Get()));
}

TEST(DataConsumer, OwnerDrawStateKeepsItsLowEightBits) {
    EXPECT_EQ(ToProviderDrawState(0x0100), 0);
    EXPECT_EQ(ToProviderDrawState(0x0111), 0x11);
    EXPECT_EQ(ToProviderDrawState(0xFFFF), 0xFF);
}

TEST(DataConsumerDeath, FreeingAnObjectThatIsStillReferencedIsCaught) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto* item = BvCreate<TBvBaseDataItem>(nullptr);
            item->_AddRef();
            item->Destroy();
        },
        "freed while interface references remain");
}

} // namespace

namespace {

// A client linked to a consumer, counting the providers it hears of.
class TCountingClient : public TExtensibleInterfacedPersistent, public IBvDataConsumerClient {
public:
    void ConsumerProviderChanged(IBvDataConsumerLinkServer* server) override {
        heard.push_back(server);
    }
    std::vector<IBvDataConsumerLinkServer*> heard;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override {
        return BvOffer<IBvDataConsumerClient>(this, iid, obj) ||
               TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj);
    }
};

TEST(DataConsumer, LinkedClientsHearOfEveryNewProvider) {
    Linked l;
    TIntf<TCountingClient> client(BvCreate<TCountingClient>());
    auto server = Supports<IBvDataConsumerLinkServer>(static_cast<IBvDataConsumer*>(l.consumer));
    ASSERT_TRUE(server);
    server->AddClient(client.Get());
    auto p = MakeProvider();
    l.consumer->SetProvider(p.Get());
    l.consumer->SetProvider(nullptr);
    ASSERT_EQ(client->heard.size(), 2u);
    EXPECT_EQ(client->heard[0], server.Get());
    server->RemoveClient(client.Get());
    l.consumer->SetProvider(p.Get());
    EXPECT_EQ(client->heard.size(), 2u);
    // The client list held the client counted; it is still there for the test.
    EXPECT_EQ(client->RefCount(), 1);
}

TEST(DataConsumer, AViewThatDisagreesWithItsProviderSaysSo) {
    Linked l;
    auto p = MakeProvider();
    auto* a = p->AddItem("A");
    p->AddItem("A1", p->SubList(a));
    l.consumer->OnSubServiceCreated = [](TBvDataConsumer*, TBvDataConsumerAggregatedObject* s) {
        if (auto* view = dynamic_cast<TBvDataConsumerViewList*>(s))
            view->SetAutoExpandLevel(-1);
    };
    l.consumer->SetProvider(p.Get());
    ASSERT_EQ(l.consumer->ViewList()->Count(), 2);
    // An item slipped into the list without telling the provider has no row under its open
    // parent.
    auto* hidden = BvCreate<TBvBaseDataItem>(static_cast<IBvDataItems*>(p->SubList(a)));
    p->SubList(a)->AppendItem(hidden);
    try {
        l.consumer->ViewList()->ExpandTreeTo(hidden);
        ADD_FAILURE();
    } catch (const EBvDataConsumer& e) {
        EXPECT_EQ(e.Message(), "ViewList out of sync");
    }
}

} // namespace
