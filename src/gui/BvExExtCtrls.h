// Message-layer members over the panel and the splitter.
#pragma once

#include "BvExControls.h"

class TBvExCustomPanel : public TBvExLayer<TCustomPanel, true> {
    BV_CLASS_INFO()
public:
    explicit TBvExCustomPanel(TComponent* owner) : TBvExLayer(owner) {}
};

class TBvCustomPanel : public TBvExCustomPanel {
    BV_CLASS_INFO()
public:
    using TBvExCustomPanel::TBvExCustomPanel;
};

class TBvExSplitter : public TBvExLayer<TSplitter, false> {
    BV_CLASS_INFO()
public:
    explicit TBvExSplitter(TComponent* owner) : TBvExLayer(owner) {}
    void WndProc(TMessage& m) override;

protected:
    // A neighbour collapsed to nothing may sit after the splitter in the alignment
    // order; it is moved before it, so that the splitter finds it to resize.
    void CorrectCollapsedNeighbour();
};
