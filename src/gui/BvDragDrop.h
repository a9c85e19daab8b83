// Files dropped from other programs onto a window: the component hooks its drop target
// and hands the dropped names, in the program's drive-letter form, to OnDrop.
#pragma once

#include "BvWndProcHook.h"
#include "Classes.h"

#include <functional>
#include <memory>

using TBvDropEvent = std::function<void(TObject* sender, TPoint& pos, TStrings* value)>;

class TBvDragDrop : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvDragDrop(TComponent* owner);
    ~TBvDragDrop() override;
    bool AcceptDrag() const { return acceptDrag_; }
    void SetAcceptDrag(bool value);
    TWinControl* DropTarget() const { return dropTarget_; }
    void SetDropTarget(TWinControl* target);
    TStrings* Files() const { return files_.get(); }
    TBvDropEvent OnDrop;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    bool WndProcHook(TMessage& msg);

private:
    void ApplyAccept(bool value);
    bool acceptDrag_ = true;
    bool accepting_ = false;
    bool hooked_ = false;
    TWinControl* dropTarget_ = nullptr;
    std::unique_ptr<TStringList> files_;
};
