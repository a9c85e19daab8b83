// Every interface of the data-provider family: what a consumer (a list-like control's link to a
// provider) calls on a provider, its items and its contexts, and what they call back.
#pragma once

#include "BvInterfaces.h"
#include "StdCtrls.h"
#include "Types.h"

#include <cstdint>
#include <string>
#include <vector>

class TComponent;
class TCanvas;
class TCustomImageList;
class TBvDataConsumer;
class TBvDataConsumerAggregatedObject;
class TBvDataConsumerClass;

using TBvDataItemID = std::string;
using TBvDataContextID = std::string;

// Why the consumer tells its owner of a change.
enum class TBvConsumerChangeReason : uint8_t {
    crProvider,
    crProviderData,
    crView,
    crContext,
    crOption
};

// What a provider reports to its consumers.
enum class TBvProviderChangeReason : uint8_t {
    prItemAdded = 0,
    prItemDeleting = 1,
    prItemChanged = 2,
    prListChanged = 3,
    prDestroying = 4,
    prContextAdded = 5,
    prContextDeleted = 6,
    prRefresh = 8
};

// The provider's draw state: selected, grayed, disabled, checked, focused, default, hot-light,
// inactive, one bit each in that order.
using TProviderDrawStates = uint8_t;

// Attributes a consumer's owner declares about itself.
constexpr int attrGrayDisabled = 1;
constexpr int attrDisplaysList = 3;

class IBvDataProvider;
class IBvDataItem;
class IBvDataItems;
class IBvDataContext;
class IBvDataContexts;

class IBvDataConsumer : public virtual IInterface {
public:
    BV_INTERFACE("{AECE9507-C5EC-475C-AB7B-4F050B0DF88A}");
    virtual TComponent* OwnerComponent() = 0;
    virtual bool HasAttribute(int attr) = 0;
};

class IBvDataProviderChangeSink : public virtual IInterface {
public:
    BV_INTERFACE("{AED4D02C-49C3-4BC0-9AA5-63C52AA2F2C8}");
    virtual void ProviderChanging(IBvDataProvider* provider, TBvProviderChangeReason reason,
                                  IInterface* source) = 0;
    virtual void ProviderChanged(IBvDataProvider* provider, TBvProviderChangeReason reason,
                                 IInterface* source) = 0;
    virtual TIntf<IBvDataConsumer> Consumer() = 0;
};

class IBvDataConsumerProviderLink : public virtual IInterface {
public:
    BV_INTERFACE("{EC9BB87E-398F-4775-982B-DCDB5272660B}");
    virtual TIntf<IBvDataProvider> ProviderIntf() = 0;
};

class IBvDataConsumerLinkServer : public virtual IInterface {
public:
    BV_INTERFACE("{B9BD9262-1D05-4771-8351-C73B8180991C}");
    virtual void LinkNotify(IInterface* a, IInterface* b) = 0;
    virtual void AddClient(IInterface* client) = 0;
    virtual void RemoveClient(IInterface* client) = 0;
};

// A client linked to a consumer hears of every provider the consumer links.
class IBvDataConsumerClient : public virtual IInterface {
public:
    BV_INTERFACE("{1B0E2E5C-3F8A-4C55-9C1E-7D2E6B4F0A31}");
    virtual void ConsumerProviderChanged(IBvDataConsumerLinkServer* server) = 0;
};

class IBvDataConsumerItemSelect : public virtual IInterface {
public:
    BV_INTERFACE("{93D2FEDD-0918-4821-87A6-A67DDFDA4D58}");
    virtual TIntf<IBvDataItem> GetItem() = 0;
    virtual void SetItem(IBvDataItem* value) = 0;
};

// Offered by an item that does something when the user picks it.
class IBvDataItemAction : public virtual IInterface {
public:
    BV_INTERFACE("{D26A295C-8F91-46ED-9444-39A1C4B3BAE2}");
    virtual void Execute(TComponent* sender) = 0;
};

class IBvDataProvider : public virtual IInterface {
public:
    BV_INTERFACE("{26268F5A-C443-42BF-BC50-C52EE86C365E}");
    virtual void RegisterChangeNotify(IBvDataProviderChangeSink* sink) = 0;
    virtual void UnregisterChangeNotify(IBvDataProviderChangeSink* sink) = 0;
    virtual TIntf<IBvDataItems> GetItems() = 0;
    // Item lists and contexts announce their changes through these; the provider passes them
    // on to every registered sink.
    virtual void Changing(TBvProviderChangeReason reason, IInterface* source) = 0;
    virtual void Changed(TBvProviderChangeReason reason, IInterface* source) = 0;
    // The sub-service classes this provider wants each consumer to have.
    virtual std::vector<const TBvDataConsumerClass*> ConsumerClasses() = 0;
    virtual void SelectConsumer(IBvDataConsumer* consumer) = 0;
    virtual TIntf<IBvDataConsumer> SelectedConsumer() = 0;
    virtual void ReleaseConsumer() = 0;
    virtual void SelectContext(IBvDataContext* context) = 0;
    virtual TIntf<IBvDataContext> SelectedContext() = 0;
    virtual void ReleaseContext() = 0;
};

class IBvDataContexts : public virtual IInterface {
public:
    BV_INTERFACE("{8EA10588-FC88-4D81-8C10-50B518BD56AB}");
    virtual TIntf<IBvDataProvider> Provider() = 0;
    virtual TIntf<IBvDataContext> ParentContext() = 0;
    virtual int Count() = 0;
    virtual TIntf<IBvDataContext> GetContext(int index) = 0;
    // Null when the name (a path of names separated by "\" or "/") names no context.
    virtual TIntf<IBvDataContext> GetContextByName(const std::string& name) = 0;
    virtual int IndexOf(IBvDataContext* context) = 0;
};

class IBvDataContext : public virtual IInterface {
public:
    BV_INTERFACE("{8EDBFC8C-E502-4393-A414-E49374E0E9DF}");
    virtual void* ImplementingObject() = 0;
    virtual TIntf<IBvDataContexts> Contexts() = 0;
    virtual std::string Name() = 0;
    virtual bool CanDelete() = 0;
};

class IBvManagedDataContext : public virtual IInterface {
public:
    BV_INTERFACE("{C7B9ECB9-853D-4D7A-A230-03C899AEABE9}");
    virtual void SetName(const std::string& value) = 0;
};

class IBvDataItem : public virtual IInterface {
public:
    BV_INTERFACE("{3A35FD4F-52F4-4403-B047-4E1CED243981}");
    virtual TIntf<IBvDataItems> Items() = 0;
    virtual int GetIndex() = 0;
    virtual void* ImplementingObject() = 0;
    virtual TBvDataItemID GetID() = 0;
    virtual void ContextGoing(IBvDataContext* context) = 0;
    virtual bool IsParentOf(IBvDataItem* item, bool directParentOnly) = 0;
    virtual bool CanDelete() = 0;
};

class IBvDataItems : public virtual IInterface {
public:
    BV_INTERFACE("{93125260-B2DB-4141-BC02-C5A2A5DCA670}");
    virtual int Count() = 0;
    virtual TIntf<IBvDataItem> GetItem(int index) = 0;
    virtual TIntf<IBvDataItem> ItemAtPath(const std::string& path) = 0;
    virtual TIntf<IBvDataItem> ItemAtIndexPath(const std::vector<int>& indexes) = 0;
    virtual TIntf<IBvDataItem> Parent() = 0;
    virtual TIntf<IBvDataProvider> Provider() = 0;
    virtual void* ImplementingObject() = 0;
    // True when the items are counted objects; False when the list owns them outright.
    virtual bool ItemsCounted() = 0;
    virtual void ContextGoing(IBvDataContext* context) = 0;
};

class IBvDataItemsIDSearch : public virtual IInterface {
public:
    BV_INTERFACE("{13171252-64DA-4AFC-954A-E5861A455B8F}");
    virtual TIntf<IBvDataItem> FindByID(const TBvDataItemID& id, bool recursive) = 0;
};

class IBvDataItemText : public virtual IInterface {
public:
    BV_INTERFACE("{1EB3BA95-9719-4ACC-9CEC-F678FEDCB162}");
    virtual std::string Caption() = 0;
    virtual void SetCaption(const std::string& value) = 0;
    virtual bool Editable() = 0;
};

class IBvDataItemImage : public virtual IInterface {
public:
    BV_INTERFACE("{8CA0C773-D058-44DF-8694-38499787FFC8}");
    virtual TAlignment Alignment() = 0;
    virtual void SetAlignment(TAlignment value) = 0;
    virtual int ImageIndex() = 0;
    virtual void SetImageIndex(int value) = 0;
    virtual int SelectedIndex() = 0;
    virtual void SetSelectedIndex(int value) = 0;
};

class IBvDataItemsManagement : public virtual IInterface {
public:
    BV_INTERFACE("{3A510395-768F-4FA8-940C-60C610101B46}");
    virtual TIntf<IBvDataItem> Add(IBvDataItem* item) = 0;
    virtual TIntf<IBvDataItem> New() = 0;
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    // Drops the caller's reference; the item goes when nothing else holds it.
    virtual void Remove(TIntf<IBvDataItem>& item) = 0;
};

class IBvDataItemsImages : public virtual IInterface {
public:
    BV_INTERFACE("{0A5A45DB-DB65-48E3-8FAE-2893540FC8B5}");
    virtual TCustomImageList* DisabledImages() = 0;
    virtual void SetDisabledImages(TCustomImageList* value) = 0;
    virtual TCustomImageList* HotImages() = 0;
    virtual void SetHotImages(TCustomImageList* value) = 0;
    virtual TCustomImageList* Images() = 0;
    virtual void SetImages(TCustomImageList* value) = 0;
};

class IBvDataItemsRenderer : public virtual IInterface {
public:
    BV_INTERFACE("{E90BEA85-CE4C-4CEB-AA9F-1EEA7E3637F5}");
    virtual void DrawAt(TCanvas* canvas, TRect& rect, int index, TProviderDrawStates state) = 0;
    virtual TPoint MeasureAt(TCanvas* canvas, int index) = 0;
    virtual void DrawItem(TCanvas* canvas, TRect& rect, IBvDataItem* item,
                          TProviderDrawStates state) = 0;
    virtual TPoint MeasureItem(TCanvas* canvas, IBvDataItem* item) = 0;
    virtual TPoint TypicalItemSize(TCanvas* canvas) = 0;
};

class IBvDataItemRenderer : public virtual IInterface {
public:
    BV_INTERFACE("{E91D6575-3786-4AF5-9087-510FF5095892}");
    virtual void Draw(TCanvas* canvas, TRect& rect, TProviderDrawStates state) = 0;
    virtual TPoint Measure(TCanvas* canvas) = 0;
};

// What an item asks of its extensions and never passes on to the item itself.
class IBvDataItemExtensionHooks : public virtual IInterface {
public:
    BV_INTERFACE("{B4681B52-B094-4382-A92F-02865FD87413}");
    virtual void ContextGoing(IBvDataContext* context) = 0;
    virtual bool CanDeleteItem() = 0;
};

// Item visibility: 0 hidden, anything else shown. A consumer may filter the items; an item may
// hide itself.
class IBvDataConsumerItemFilter : public virtual IInterface {
public:
    BV_INTERFACE("{7F14F9F1-716A-4774-87A1-7E1EDDA3CF3F}");
    virtual int ItemVisibility(IBvDataItem* item) = 0;
};

class IBvDataItemVisibility : public virtual IInterface {
public:
    BV_INTERFACE("{E4CB0931-A9EC-47F5-9C10-1555B121F9CF}");
    virtual int Visibility() = 0;
};

// The flat rows a list box or combo box shows of a provider's tree.
class IBvDataConsumerViewList : public virtual IInterface {
public:
    BV_INTERFACE("{438ECADE-2FB4-41CE-A2B4-DD93EDA4DDE5}");
    virtual int AutoExpandLevel() = 0;
    virtual void SetAutoExpandLevel(int value) = 0;
    virtual bool ExpandOnNewItem() = 0;
    virtual void SetExpandOnNewItem(bool value) = 0;
    virtual int LevelIndent() = 0;
    virtual void SetLevelIndent(int value) = 0;
    virtual void RebuildView() = 0;
    virtual void ExpandTreeTo(IBvDataItem* item) = 0;
    virtual void ToggleItem(int index) = 0;
    virtual int IndexOfItem(IBvDataItem* item) = 0;
    virtual int IndexOfID(const TBvDataItemID& id) = 0;
    virtual int ChildIndexOfItem(IBvDataItem* item) = 0;
    virtual int ChildIndexOfID(const TBvDataItemID& id) = 0;
    virtual TIntf<IBvDataItem> Item(int index) = 0;
    virtual int ItemLevel(int index) = 0;
    virtual bool ItemIsExpanded(int index) = 0;
    virtual bool ItemHasChildren(int index) = 0;
    virtual TIntf<IBvDataItem> ItemParent(int index) = 0;
    virtual int ItemParentIndex(int index) = 0;
    virtual TIntf<IBvDataItem> ItemSibling(int index) = 0;
    virtual int ItemSiblingIndex(int index) = 0;
    virtual TIntf<IBvDataItem> SubItem(IBvDataItem* parent, int index) = 0;
    virtual TIntf<IBvDataItem> SubItemAt(int parentIndex, int index) = 0;
    virtual int SubItemIndex(IBvDataItem* parent, int index) = 0;
    virtual int SubItemIndexAt(int parentIndex, int index) = 0;
    virtual std::vector<uint32_t> ItemGroupInfo(int index) = 0;
    virtual int Count() = 0;
};
