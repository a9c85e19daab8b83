// Actions: one command (caption, hint, enabled and checked state, group, picture, what it runs)
// that several controls share. A control links to an action through an action link; a change
// of the action reaches every linked control, and a click on a control runs the action.
#pragma once

#include "Controls.h"

#include <functional>
#include <string>
#include <vector>

class TBasicActionLink;
class TCustomActionList;

class TBasicAction : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBasicAction(TComponent* owner);
    ~TBasicAction() override;

    // Runs OnExecute; true when there was a handler.
    virtual bool Execute();
    // The control that runs the action now (set by its link for the time of Execute).
    TComponent* ActionComponent() const { return actionComponent_; }
    void SetActionComponent(TComponent* value);

    void RegisterChanges(TBasicActionLink* link);
    void UnRegisterChanges(TBasicActionLink* link);
    int ClientCount() const { return static_cast<int>(clients_.size()); }

    TNotifyEvent OnExecute;
    TNotifyEvent OnChange;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // Fires OnChange (a property of the action changed; the links heard of it already).
    virtual void Change();
    // Every linked control takes all the action's properties again (the pictures' source
    // changed).
    void ChangeClients();
    const std::vector<TBasicActionLink*>& Clients() const { return clients_; }

private:
    std::vector<TBasicActionLink*> clients_;
    TComponent* actionComponent_ = nullptr;
};

// An action with the properties that controls show. Each setter first hands the new value to
// the links (which pass it on to their control only while the control still shows the old
// value), then stores it.
class TCustomAction : public TBasicAction {
    BV_CLASS_INFO()
public:
    explicit TCustomAction(TComponent* owner);
    ~TCustomAction() override;

    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    std::string Hint() const { return hint_; }
    void SetHint(const std::string& value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Checking an action of a group (GroupIndex > 0) unchecks the others of its list.
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Running the action toggles Checked first.
    bool AutoCheck = false;

    TCustomActionList* ActionList() const { return actionList_; }
    void SetActionList(TCustomActionList* value);
    int Index() const;

    // A disabled action runs nothing; an enabled one runs OnExecute.
    bool Execute() override;

private:
    friend class TCustomActionList;
    std::string caption_;
    std::string hint_;
    bool enabled_ = true;
    bool checked_ = false;
    bool checking_ = false;
    int groupIndex_ = 0;
    int imageIndex_ = -1;
    int helpContext_ = 0;
    bool visible_ = true;
    TCustomActionList* actionList_ = nullptr;
};

class TAction : public TCustomAction {
    BV_CLASS_INFO()
public:
    using TCustomAction::TCustomAction;
};

// A list of actions that share one image list for their ImageIndex.
class TCustomActionList : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TCustomActionList(TComponent* owner);
    ~TCustomActionList() override;

    int ActionCount() const { return static_cast<int>(actions_.size()); }
    TCustomAction* Actions(int index) const;
    int IndexOf(const TCustomAction* action) const;
    TCustomImageList* Images() const { return images_; }
    // Every action's links hear of the new list (their controls take its pictures).
    void SetImages(TCustomImageList* value);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomAction;
    void AddAction(TCustomAction* action);
    void RemoveAction(TCustomAction* action);
    std::vector<TCustomAction*> actions_;
    TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
    BV_CLASS_INFO()
public:
    using TCustomActionList::TCustomActionList;
};

// What ties a client to an action. The action calls the Set... steps before it stores a new
// value; OnChange runs when the client should take all the action's properties again.
class TBasicActionLink : public TObject {
public:
    TBasicActionLink() = default;
    ~TBasicActionLink() override;
    TBasicActionLink(const TBasicActionLink&) = delete;
    TBasicActionLink& operator=(const TBasicActionLink&) = delete;

    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* value);
    // Runs the action with component as its ActionComponent; false when it ran nothing.
    virtual bool Execute(TComponent* component = nullptr);

    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    friend class TCustomAction;
    virtual void Change();
    virtual void SetCaption(const std::string&) {}
    virtual void SetHint(const std::string&) {}
    virtual void SetEnabled(bool) {}
    virtual void SetChecked(bool) {}
    virtual void SetGroupIndex(int) {}
    virtual void SetImageIndex(int) {}
    virtual void SetHelpContext(int) {}
    virtual void SetVisible(bool) {}

private:
    TBasicAction* action_ = nullptr;
};

// A link to a TCustomAction; each Is...Linked says whether the client follows that property.
class TActionLink : public TBasicActionLink {
public:
    TCustomAction* CustomAction() const;
    virtual bool IsCaptionLinked() const { return CustomAction() != nullptr; }
    virtual bool IsHintLinked() const { return CustomAction() != nullptr; }
    virtual bool IsEnabledLinked() const { return CustomAction() != nullptr; }
    virtual bool IsCheckedLinked() const { return CustomAction() != nullptr; }
    virtual bool IsGroupIndexLinked() const { return CustomAction() != nullptr; }
    virtual bool IsImageIndexLinked() const { return CustomAction() != nullptr; }
    virtual bool IsHelpContextLinked() const { return CustomAction() != nullptr; }
    virtual bool IsVisibleLinked() const { return CustomAction() != nullptr; }
};

// A control's link: caption, hint, enabled state, visibility and help context follow the
// action while the control still shows the action's value.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl* client) : client_(client) {}
    TControl* Client() const { return client_; }

    bool IsCaptionLinked() const override;
    bool IsHintLinked() const override;
    bool IsEnabledLinked() const override;
    bool IsHelpContextLinked() const override;
    bool IsVisibleLinked() const override;

protected:
    void SetCaption(const std::string& value) override;
    void SetHint(const std::string& value) override;
    void SetEnabled(bool value) override;
    void SetHelpContext(int value) override;
    void SetVisible(bool value) override;

private:
    TControl* client_;
};
