// The drive selector: an owner-drawn drop-down list of the drive table's drives,
// each line with its icon and display name. It keeps the chosen drive as a letter
// and rebuilds itself whenever a volume is mounted or unmounted.
#pragma once

#include "BvComboBox.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TBvDriveType : uint8_t { dtUnknown, dtRemovable, dtFixed, dtRemote, dtCDROM, dtRamDisk };
using TBvDriveTypes = uint8_t; // bit n: TBvDriveType n

constexpr TBvDriveTypes DriveTypeBit(TBvDriveType t) {
    return static_cast<TBvDriveTypes>(1u << static_cast<unsigned>(t));
}
template <typename... T> constexpr TBvDriveTypes DriveTypeSet(T... t) {
    return static_cast<TBvDriveTypes>((0u | ... | DriveTypeBit(t)));
}

enum class TBvImageSize { isSmall, isLarge };

class TBvDriveCombo : public TBvCustomComboBox {
    BV_CLASS_INFO()
public:
    explicit TBvDriveCombo(TComponent* owner);
    ~TBvDriveCombo() override;

    // The chosen drive while it is listed, else #0. A drive that leaves the list is
    // remembered and comes back chosen when the same volume is listed again; another
    // volume under its letter is never taken for it.
    char Drive() const;
    // Chooses the drive when it is listed; a letter not listed makes the list read
    // the drive table again first. Returns whether the drive is now chosen; when not,
    // nothing changed. Case does not matter.
    bool SetDrive(char letter);
    TBvDriveTypes DriveTypes() const { return driveTypes_; }
    // An empty set becomes [dtFixed].
    void SetDriveTypes(TBvDriveTypes types);
    int Offset() const { return offset_; }
    void SetOffset(int offset);
    TBvImageSize ImageSize() const { return imageSize_; }
    void SetImageSize(TBvImageSize size);
    // The shown name of the selected line; empty while none is selected.
    std::string DisplayName() const;
    // The listed letters in line order.
    const std::vector<char>& Letters() const { return letters_; }
    int ImageWidth() const;

    virtual void BuildList();
    virtual void RefreshDrives();

    // The display name and the theme icon name of a drive of the table.
    static std::string DriveDisplayName(char letter, const std::string& root);
    static std::string DriveIconName(unsigned driveType);

protected:
    void CreateWnd() override;
    void DrawItem(int index, TRect rect, TOwnerDrawState state) override;
    void MeasureItem(int index, int& height) override;
    void Change() override;
    // Lines as high as the new font's text or the icons, in a new window.
    void FontChanged() override;

private:
    int LineOf(char letter) const;
    // The line of the remembered drive while its own volume is listed, else -1.
    int ChosenLine() const;
    void Choose(int line);
    void ResetItemHeight();

    std::vector<char> letters_;
    std::vector<unsigned> types_;    // the drive type of each line, for its icon
    std::vector<std::string> roots_; // the folder of each line's volume
    char drive_ = 0;                 // remembered; reported only while listed
    std::string driveRoot_;          // the folder of the remembered drive's volume
    int lineIndex_ = 0;
    TBvDriveTypes driveTypes_ = 0;
    TBvImageSize imageSize_ = TBvImageSize::isSmall;
    int offset_ = 4;
    int smallIcon_ = 16;
    int largeIcon_ = 32;
    int changeHandler_ = 0;
};
