// The splitter of the kit: the framework's splitter that corrects a collapsed neighbour
// before each press and paints over a themed parent background.
#pragma once

#include "BvExExtCtrls.h"

class TBvSplitter : public TBvExSplitter {
    BV_CLASS_INFO()
public:
    explicit TBvSplitter(TComponent* owner);

protected:
    void Paint() override;
};
