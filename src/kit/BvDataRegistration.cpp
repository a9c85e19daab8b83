#include "BvDataContexts.h"
#include "BvDataItems.h"
#include "BvDataRenderers.h"

void RegisterDataProviderClasses() {
    // The order is fixed: a class registered later never shadows one registered before it.
    for (const TClassInfo* cls : {
             &TBvDataItemsList::StaticClassInfo(),
             &TBvCustomDataItemsImages::StaticClassInfo(),
             &TBvCustomDataItemsTextRenderer::StaticClassInfo(),
             &TBvBaseDataItemsListManagement::StaticClassInfo(),
             &TBvBaseDataItem::StaticClassInfo(),
             &TBvDataItemTextImpl::StaticClassInfo(),
             &TBvDataItemImageImpl::StaticClassInfo(),
             &TBvDataConsumer::StaticClassInfo(),
             &TBvDataConsumerItemSelect::StaticClassInfo(),
             &TBvDataContexts::StaticClassInfo(),
             &TBvDataContext::StaticClassInfo(),
             &TBvManagedDataContext::StaticClassInfo(),
             &TBvFixedDataContext::StaticClassInfo(),
         })
        RegisterBvClass(*cls);
}
