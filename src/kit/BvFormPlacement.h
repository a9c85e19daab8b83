// The form placement: saves a form's position, size, state and active control into an
// application storage when it closes and restores them when it shows; it can hold the form
// within fixed sizes or keep it from being resized, and serves other components' layouts
// (through layout links) at the same moments.
#pragma once

#include "BvAppStorage.h"
#include "BvWindowPlacement.h"
#include "BvWndProcHook.h"
#include "Forms.h"

#include <functional>
#include <string>
#include <vector>

class TBvFormPlacement;

class TBvWinMinMaxInfo : public TPersistent {
    BV_CLASS_INFO()
public:
    explicit TBvWinMinMaxInfo(TBvFormPlacement* owner) : owner_(owner) {}
    void Assign(const TPersistent& source) override;
    // All eight values 0.
    bool DefaultMinMaxInfo() const;

    int MaxPosLeft() const { return v_[0]; }
    int MaxPosTop() const { return v_[1]; }
    int MaxSizeHeight() const { return v_[2]; }
    int MaxSizeWidth() const { return v_[3]; }
    int MaxTrackHeight() const { return v_[4]; }
    int MaxTrackWidth() const { return v_[5]; }
    int MinTrackHeight() const { return v_[6]; }
    int MinTrackWidth() const { return v_[7]; }
    void SetMaxPosLeft(int v) { Set(0, v); }
    void SetMaxPosTop(int v) { Set(1, v); }
    void SetMaxSizeHeight(int v) { Set(2, v); }
    void SetMaxSizeWidth(int v) { Set(3, v); }
    void SetMaxTrackHeight(int v) { Set(4, v); }
    void SetMaxTrackWidth(int v) { Set(5, v); }
    void SetMinTrackHeight(int v) { Set(6, v); }
    void SetMinTrackWidth(int v) { Set(7, v); }

private:
    void Set(int index, int value);
    TBvFormPlacement* owner_;
    int v_[8] = {};
};

// A link by which another component saves and restores its own layout with a placement.
class TBvIniLink : public TPersistent {
    BV_CLASS_INFO()
public:
    TBvIniLink() = default;
    ~TBvIniLink() override;
    TBvFormPlacement* Storage() const { return storage_; }
    void SetStorage(TBvFormPlacement* value);
    virtual void SaveSettings();
    virtual void LoadSettings();
    TNotifyEvent OnSave;
    TNotifyEvent OnLoad;

private:
    friend class TBvFormPlacement;
    TBvFormPlacement* storage_ = nullptr;
};

enum class TBvFormPlacementVersionCheck { fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual };

class TBvFormPlacement : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvFormPlacement(TComponent* owner);
    ~TBvFormPlacement() override;

    bool Active = true;
    TBvCustomAppStorage* AppStorage() const { return storage_; }
    void SetAppStorage(TBvCustomAppStorage* value);
    // The folder as assigned; "%FORM_NAME%" and the closing "\" are resolved where it is used.
    std::string AppStoragePath() const { return path_; }
    void SetAppStoragePath(const std::string& value) { path_ = value; }
    // The folder the values go under: with a closing "\" and the first "%FORM_NAME%" (in any
    // case) replaced by the form's name.
    std::string ResolvedStoragePath() const;
    TBvWinMinMaxInfo& MinMaxInfo() { return minMax_; }
    TPlacementOptions Options = 0;
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool value);
    int Version = 0;
    TBvFormPlacementVersionCheck VersionCheck = TBvFormPlacementVersionCheck::fpvcCheckGreaterEqual;
    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    TCustomForm* Form() const { return dynamic_cast<TCustomForm*>(Owner()); }
    void SaveFormPlacement();
    void RestoreFormPlacement();
    // The whole save and restore, as the form's handlers run them.
    void SavePlacement();
    void RestorePlacement();
    bool Saved() const { return saved_; }
    bool HookAttached() const { return hooked_; }
    int LinkCount() const { return static_cast<int>(links_.size()); }

    // Puts the placement's handlers in front of the form's own; a built form calls it once
    // its handlers are set (loading a stored form calls it through Loaded).
    void ChainFormHandlers();
    void MinMaxInfoChanged();

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void DoSavePlacement();
    virtual void DoRestorePlacement();

private:
    friend class TBvIniLink;
    struct TChain; // the handlers put in front of the form's
    void Show(TObject* sender);
    void CloseQuery(TObject* sender, bool& canClose);
    void Destroy(TObject* sender);
    bool HookAfter(TMessage& message);
    void UpdateHook();
    void UpdatePlacement();
    std::string Section() const;
    bool OwnsHandlers(TCustomForm* form) const;
    void Unchain();

    TBvCustomAppStorage* storage_ = nullptr;
    std::string path_ = "%FORM_NAME%";
    TBvWinMinMaxInfo minMax_{this};
    bool preventResize_ = false;
    bool saved_ = false;
    bool shownOrRestored_ = false;
    bool chained_ = false;
    bool hooked_ = false;
    bool defMaximize_ = false;
    TPoint maxPosition_{};
    std::vector<TBvIniLink*> links_;
    TNotifyEvent prevShow_;
    TCloseQueryEvent prevCloseQuery_;
    TNotifyEvent prevDestroy_;
};
