// The message-layer member over the edit, with the clipboard commands it obeys.
#pragma once

#include "BvExControls.h"
#include "Mask.h"

enum TBvClipboardCommand : uint8_t {
    caCopy = 1,
    caCut = 2,
    caPaste = 4,
    caClear = 8,
    caUndo = 16,
};
using TBvClipboardCommands = uint8_t;

class TBvExCustomMaskEdit : public TBvExLayer<TCustomMaskEdit, true> {
    BV_CLASS_INFO()
public:
    explicit TBvExCustomMaskEdit(TComponent* owner) : TBvExLayer(owner) {}
    TBvClipboardCommands ClipboardCommands() const { return clipboardCommands_; }
    virtual void SetClipboardCommands(TBvClipboardCommands commands) {
        clipboardCommands_ = commands;
    }
    bool BeepOnError() const { return beepOnError_; }
    virtual void SetBeepOnError(bool value) { beepOnError_ = value; }

protected:
    virtual void ErrorBeep();
    bool MemberMessage(TMessage& m) override;

private:
    TBvClipboardCommands clipboardCommands_ = caCopy | caCut | caPaste | caClear | caUndo;
    bool beepOnError_ = true;
};
