// Data items, item lists and their management, data contexts and the class registration.
#include "FakeProvider.h"

#include <regex>
#include <set>

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

IBvDataItems* ItemsOf(TBvBaseDataItems* list) {
    return static_cast<IBvDataItems*>(list);
}

TEST(DataItems, IDsAre32HexDigitsAndUnique) {
    std::set<std::string> seen;
    static const std::regex form("[0-9A-F]{32}");
    for (int i = 0; i < 2000; ++i) {
        std::string id = NewDataItemID();
        ASSERT_TRUE(std::regex_match(id, form)) << id;
        ASSERT_TRUE(seen.insert(id).second) << id;
    }
    auto p = MakeProvider();
    EXPECT_NE(p->AddItem("a")->ID(), p->AddItem("b")->ID());
}

// Root: X (Y (Z (Deep))), Twin, Other (Twin)
struct Tree {
    TIntf<TFakeProvider> p = MakeProvider();
    TBvBaseDataItem *x, *y, *z, *deep, *twinTop, *other, *twinLow;
    Tree() {
        x = p->AddItem("x", nullptr, "X");
        y = p->AddItem("y", p->SubList(x), "Y");
        z = p->AddItem("z", p->SubList(y), "Z");
        deep = p->AddItem("deep", p->SubList(z), "Deep");
        twinTop = p->AddItem("twin top", nullptr, "Twin");
        other = p->AddItem("other", nullptr, "Other");
        twinLow = p->AddItem("twin low", p->SubList(other), "Twin");
    }
};

std::string IdOf(const TIntf<IBvDataItem>& item) {
    return item ? item->GetID() + "@" + std::to_string(item->GetIndex()) : "none";
}

TEST(DataItems, FindByIDSeesSubItemsOnlyWhenRecursive) {
    Tree t;
    auto search = Supports<IBvDataItemsIDSearch>(ItemsOf(t.p->Root()));
    EXPECT_EQ(search->FindByID("deep", false), nullptr);
    EXPECT_EQ(search->FindByID("deep", true).Get(), static_cast<IBvDataItem*>(t.deep));
    EXPECT_EQ(search->FindByID("twin", true).Get(), static_cast<IBvDataItem*>(t.twinTop));
    EXPECT_EQ(search->FindByID("nothing", true), nullptr);
}

TEST(DataItems, PathsWithEitherSeparatorAndParentSteps) {
    Tree t;
    IBvDataItems* root = ItemsOf(t.p->Root());
    IBvDataItems* underY = ItemsOf(t.p->SubList(t.y));
    IBvDataItems* underOther = ItemsOf(t.p->SubList(t.other));
    struct Case {
        IBvDataItems* from;
        const char* path;
        TBvBaseDataItem* expected;
    } cases[] = {
        {root, "X/Y/Z/Deep", t.deep},
        {root, "X\\Y\\Z\\Deep", t.deep},
        {root, "x/y\\z", t.z},
        {root, "Twin", t.twinTop},
        {root, "Other/Twin", t.twinLow},
        {underY, "Z", t.z},
        {underY, "../Y", t.y},
        {underY, "../../Other/Twin", t.twinLow},
        {underY, "/Twin", t.twinTop},
        {underOther, "\\X\\Y", t.y},
        {root, "../X", nullptr},
        {root, "", nullptr},
        // A component that is not there is no item, never a namesake further up the path.
        {root, "Missing/Twin", nullptr},
        {root, "X/Missing/Deep", nullptr},
        {root, "Other/Missing", nullptr},
        {root, "X/", nullptr},
        {underOther, "Twin/Deep", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto found = c.from->ItemAtPath(c.path);
        EXPECT_EQ(found.Get(), c.expected ? static_cast<IBvDataItem*>(c.expected) : nullptr)
            << IdOf(found);
    }
}

TEST(DataItems, IndexPathsOutOfRangeFindNothing) {
    Tree t;
    IBvDataItems* root = ItemsOf(t.p->Root());
    struct Case {
        std::vector<int> path;
        TBvBaseDataItem* expected;
    } cases[] = {
        {{0, 0, 0, 0}, t.deep}, {{2, 0}, t.twinLow}, {{1}, t.twinTop},  {{}, nullptr},
        {{3}, nullptr},         {{-1}, nullptr},     {{0, 1}, nullptr}, {{1, 0}, nullptr},
    };
    for (const Case& c : cases) {
        auto found = root->ItemAtIndexPath(c.path);
        EXPECT_EQ(found.Get(), c.expected ? static_cast<IBvDataItem*>(c.expected) : nullptr)
            << IdOf(found);
    }
}

TEST(DataItems, ParentsAndIndexes) {
    Tree t;
    EXPECT_TRUE(t.x->IsParentOf(t.y, true));
    EXPECT_FALSE(t.x->IsParentOf(t.deep, true));
    EXPECT_TRUE(t.x->IsParentOf(t.deep, false));
    EXPECT_FALSE(t.other->IsParentOf(t.deep, false));
    EXPECT_EQ(t.other->GetIndex(), 2);
    EXPECT_EQ(t.deep->GetIndex(), 0);
    EXPECT_EQ(ItemsOf(t.p->SubList(t.z))->Parent().Get(), static_cast<IBvDataItem*>(t.z));
    EXPECT_EQ(ItemsOf(t.p->Root())->Parent(), nullptr);
}

TEST(DataItems, ManagementAndCaptionsNotifyTheProvider) {
    auto p = MakeProvider();
    auto manage = Supports<IBvDataItemsManagement>(ItemsOf(p->Root()));
    ASSERT_TRUE(manage);
    p->Log.clear();
    auto item = manage->New();
    EXPECT_EQ(p->Log, (Strings{"Changing 0", "Changed 0"}));

    auto text = Supports<IBvDataItemText>(item);
    p->Log.clear();
    text->SetCaption("named");
    text->SetCaption("named");
    EXPECT_EQ(p->Log, (Strings{"Changing 2", "Changed 2"}));

    auto image = Supports<IBvDataItemImage>(item);
    EXPECT_FALSE(image); // only when the extension is there
    auto* object = static_cast<TBvBaseDataItem*>(item->ImplementingObject());
    BvCreate<TBvDataItemImageImpl>(object);
    image = Supports<IBvDataItemImage>(item);
    p->Log.clear();
    image->SetImageIndex(3);
    image->SetImageIndex(3);
    image->SetAlignment(TAlignment::taCenter);
    EXPECT_EQ(p->Log, (Strings{"Changing 2", "Changed 2", "Changing 2", "Changed 2"}));
    // The list owns its items: references to one must go before the item does.
    text = nullptr;
    image = nullptr;
    item = nullptr;

    p->AddItem("second");
    p->Log.clear();
    manage->Delete(0);
    EXPECT_EQ(p->Log, (Strings{"Changing 1", "Changed 1"}));
    EXPECT_EQ(p->Root()->Count(), 1);

    // Remove in a list that owns its items deletes the item.
    auto second = p->Root()->GetItem(0);
    p->Log.clear();
    manage->Remove(second);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(p->Root()->Count(), 0);
    EXPECT_EQ(p->Log, (Strings{"Changing 1", "Changed 1"}));

    p->AddItem("a");
    p->AddItem("b");
    p->Log.clear();
    manage->Clear();
    EXPECT_EQ(p->Log, (Strings{"Changing 3", "Changed 3"}));
    EXPECT_EQ(p->Root()->Count(), 0);
    EXPECT_THROW(manage->Delete(0), EBvDataItems);
}

TEST(DataItems, AnItemThatRefusesDeletionStaysAndNothingIsAnnounced) {
    struct TKeep : TBvDataItemAggregatedObject, IBvDataItemExtensionHooks {
        using TBvDataItemAggregatedObject::TBvDataItemAggregatedObject;
        const TClassInfo& ClassInfo() const override {
            static const TClassInfo info("TKeep", &TBvDataItemAggregatedObject::StaticClassInfo());
            return info;
        }
        void ContextGoing(IBvDataContext*) override { ++going; }
        bool CanDeleteItem() override { return false; }
        bool GetOwnInterface(const TGUID& iid, void** obj) override {
            return BvOffer<IBvDataItemExtensionHooks>(this, iid, obj);
        }
        int going = 0;
    };
    auto p = MakeProvider();
    auto* item = p->AddItem("kept");
    auto* keep = BvCreate<TKeep>(item);
    // Asked through another extension, the hooks are not passed on to the item, whose own
    // lookup would find them.
    auto text = Supports<IBvDataItemText>(static_cast<IBvDataItem*>(item));
    ASSERT_TRUE(text);
    EXPECT_FALSE(Supports<IBvDataItemExtensionHooks>(text));
    EXPECT_TRUE(Supports<IBvDataItem>(text));
    EXPECT_TRUE(Supports<IBvDataItemExtensionHooks>(static_cast<IBvDataItem*>(item)));
    text = nullptr;
    auto manage = Supports<IBvDataItemsManagement>(ItemsOf(p->Root()));
    p->Log.clear();
    try {
        manage->Delete(0);
        ADD_FAILURE();
    } catch (const EBvDataItems& e) {
        EXPECT_EQ(e.Message(), "Item cannot be deleted");
    }
    EXPECT_TRUE(p->Log.empty());
    EXPECT_EQ(p->Root()->Count(), 1);
    ItemsOf(p->Root())->ContextGoing(nullptr);
    EXPECT_EQ(keep->going, 1);
}

TEST(DataItems, TextRendererDrawsCaptionsAndChecksItsIndex) {
    auto p = MakeProvider();
    p->AddItem("caption");
    auto renderer = Supports<IBvDataItemsRenderer>(ItemsOf(p->Root()));
    ASSERT_TRUE(renderer);
    EXPECT_THROW(renderer->MeasureAt(nullptr, 1), EBvDataItems);
    TRect r{};
    EXPECT_THROW(renderer->DrawAt(nullptr, r, -2, 0), EBvDataItems);
    EXPECT_EQ(FindItemsRenderer(p->Root()->ItemObject(0)).Get(), renderer.Get());
    // A sub-item list without a renderer of its own borrows its parent list's.
    auto* child = p->AddItem("child", p->SubList(p->Root()->ItemObject(0)));
    EXPECT_EQ(FindItemsRenderer(child).Get(), renderer.Get());
    EXPECT_EQ(ItemCaptionText(child), "child");
}

// ---- contexts ----

TEST(DataContexts, NamesAndPaths) {
    auto p = MakeProvider(true);
    auto* music = p->AddContext("Music");
    p->AddContext("Video");
    auto* sub = BvCreate<TBvDataContexts>(static_cast<IBvDataProvider*>(p.Get()), music);
    TIntf<IBvDataContexts> subHold(sub);
    auto* rock = BvCreate<TBvDataContext>(sub, "Rock");
    sub->Add(rock);
    auto* jazz = BvCreate<TBvDataContext>(sub, "");
    sub->Add(jazz);
    IBvDataContexts* top = p->ContextList();
    struct Case {
        IBvDataContexts* from;
        const char* name;
        IBvDataContext* expected;
    } cases[] = {
        {top, "music", music},  {top, "VIDEO", p->ContextList()->GetContext(1).Get()},
        {sub, "Rock", rock},    {sub, "../Video", p->ContextList()->GetContext(1).Get()},
        {sub, "/Music", music}, {sub, "\\Video", p->ContextList()->GetContext(1).Get()},
        {top, "..", nullptr},   {top, "Nothing", nullptr},
        {sub, "", jazz},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.from->GetContextByName(c.name).Get(), c.expected);
    }
    EXPECT_EQ(top->IndexOf(music), 0);
    EXPECT_EQ(sub->ParentContext().Get(), static_cast<IBvDataContext*>(music));
}

TEST(DataContexts, AddDeleteAndRenameRules) {
    auto p = MakeProvider(true);
    TBvDataContexts* list = p->ContextList();
    p->Log.clear();
    auto* all = p->AddContext("All");
    EXPECT_EQ(p->Log, (Strings{"Changing 5", "Changed 5"}));
    // The same context again is no change; another of that name in any case is refused.
    list->Add(all);
    auto* twin = BvCreate<TBvDataContext>(list, "ALL");
    TIntf<IBvDataContext> twinHold(twin);
    try {
        list->Add(twin);
        ADD_FAILURE();
    } catch (const EBvDataContexts& e) {
        EXPECT_EQ(e.Message(), "A context with that name already exists");
    }
    EXPECT_THROW(BvCreate<TBvDataContext>(list, "a/b"), EBvDataContexts);
    EXPECT_THROW(BvCreate<TBvDataContext>(list, "a\\b"), EBvDataContexts);
    try {
        BvCreate<TBvDataContext>(nullptr, "lost");
        ADD_FAILURE();
    } catch (const EBvDataContexts& e) {
        EXPECT_EQ(e.Message(), "Cannot create a context without a context list owner");
    }

    auto* recent = p->AddContext("Recent");
    auto managed = Supports<IBvManagedDataContext>(static_cast<IBvDataContext*>(recent));
    ASSERT_TRUE(managed);
    managed->SetName("Recent");
    EXPECT_THROW(managed->SetName("all"), EBvDataContexts);
    EXPECT_THROW(managed->SetName("new/old"), EBvDataContexts);
    managed->SetName("Latest");
    EXPECT_EQ(recent->Name(), "Latest");
    managed = nullptr;

    auto* fixed = p->AddContext("Fixed", true);
    p->Log.clear();
    list->Remove(fixed);
    EXPECT_TRUE(p->Log.empty());
    EXPECT_EQ(list->Count(), 3);
    list->Delete(7);
    list->Remove(recent);
    EXPECT_EQ(p->Log, (Strings{"Changing 6", "Changed 6"}));
    EXPECT_EQ(list->Count(), 2);
}

TEST(DataRegistration, ClassesAreRegisteredInTheirFixedOrder) {
    RegisterDataProviderClasses();
    RegisterDataProviderClasses();
    Strings names;
    for (const TClassInfo* c : RegisteredBvClasses())
        names.push_back(c->Name());
    EXPECT_EQ(names, (Strings{"TBvDataItemsList", "TBvCustomDataItemsImages",
                              "TBvCustomDataItemsTextRenderer", "TBvBaseDataItemsListManagement",
                              "TBvBaseDataItem", "TBvDataItemTextImpl", "TBvDataItemImageImpl",
                              "TBvDataConsumer", "TBvDataConsumerItemSelect", "TBvDataContexts",
                              "TBvDataContext", "TBvManagedDataContext", "TBvFixedDataContext"}));
    EXPECT_EQ(GetBvClass("tbvdataconsumer"), &TBvDataConsumer::StaticClassInfo());
    // The view list is not registered, so it is never written with a form.
    EXPECT_EQ(GetBvClass("TBvDataConsumerViewList"), nullptr);
    auto p = MakeProvider();
    auto* item = p->AddItem("streamed");
    EXPECT_TRUE(p->Root()->ItemIsStreamed(item));
    EXPECT_TRUE(item->ExtensionIsStreamed(item->Extension(0)));
}

} // namespace
