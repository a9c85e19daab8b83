// Message-layer members over the combo box, the button and the list box.
#pragma once

#include "BvExControls.h"

class TBvExCustomComboBox : public TBvExLayer<TCustomComboBox, true> {
    BV_CLASS_INFO()
public:
    explicit TBvExCustomComboBox(TComponent* owner) : TBvExLayer(owner) {}
};

class TBvExButton : public TBvExLayer<TButton, true> {
    BV_CLASS_INFO()
public:
    explicit TBvExButton(TComponent* owner) : TBvExLayer(owner) {}
};

class TBvExCustomListBox : public TBvExLayer<TCustomListBox, true> {
    BV_CLASS_INFO()
public:
    explicit TBvExCustomListBox(TComponent* owner) : TBvExLayer(owner) {}
};
