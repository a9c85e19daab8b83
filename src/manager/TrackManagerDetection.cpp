// Card detection: the detection library's two calls over the drive table, and the
// timer tick that sets the phone drive and reads the card once per insertion.
#include "TrackManagerUpdateState.h"

#include "Drives.h"
#include "RtFileUtils.h"
#include "ScopeExit.h"

#include <algorithm>

namespace {

bool HoldsPhoneFolders(char letter) {
    const std::string root = std::string(1, letter) + ":";
    return DirectoryExists(root + "\\iTunes\\iTunes_Control") || DirectoryExists(root + "\\mobile");
}

// The drive whose folder is the file system's root.
bool IsSystemDrive(char letter) {
    for (const TDriveEntry& d : GetDriveTable())
        if (d.Letter == letter)
            return d.Root == "/";
    return false;
}

} // namespace

void RegisterDetectionMessages(TManagerMessages& m) {
    m.Register(
        "card_system_drive",
        "The card was reported on the system drive %s:, which is never used as the phone drive.");
    m.Register("card_not_listed", "The card's drive %s: could not be chosen as the phone drive.");
}

char DetectCardDrive() {
    std::vector<char> removable;
    for (const TDriveEntry& d : GetDriveTable())
        if (d.Type == DRIVE_REMOVABLE && d.Letter != 'A' && d.Letter != 'B' &&
            DirectoryExists(std::string(1, d.Letter) + ":\\"))
            removable.push_back(d.Letter);
    for (char letter : removable)
        if (HoldsPhoneFolders(letter))
            return letter;
    return removable.size() == 1 ? removable[0] : 0;
}

uint8_t InitTFCConnect(uint8_t) {
    RefreshDriveTable();
    return DetectCardDrive() != 0 ? 1 : 0;
}

char InitTFCDisk(char) {
    const char letter = DetectCardDrive();
    return letter ? letter : '0';
}

void TTrackManager::TransFlashTimerTimer() {
    BV_ASSERT_GUI_THREAD();
    auto& st = UpdateStateOf(*this);
    // Ticks go on arriving while a read or a message box pumps; none runs inside another.
    if (st.InTick)
        return;
    st.InTick = true;
    TScopeExit scope([&flag = st.InTick] { flag = false; });

    if (!Options.cbAutoDetect)
        return;
    // The last valid interval, kept within sensible bounds.
    const int32_t interval = std::clamp(Applied.TransFlashDetectInterval, DetectIntervalRange.Min,
                                        DetectIntervalRange.Max);
    try {
        const auto connect = st.DetectConnect ? st.DetectConnect : InitTFCConnect;
        const auto disk = st.DetectDisk ? st.DetectDisk : InitTFCDisk;
        if (connect(0) == 1) {
            const char letter =
                static_cast<char>(std::toupper(static_cast<unsigned char>(disk('0'))));
            // The system drive is never taken for the phone's; a letter the selector
            // cannot list is said, not replaced by whatever drive it shows.
            if (letter >= 'A' && letter <= 'Z' && letter != Model.PhoneDrive) {
                if (IsSystemDrive(letter)) {
                    if (st.RefusedDetected != letter)
                        Log.AddLog(Messages.Fmt("card_system_drive", {std::string(1, letter)}));
                    st.RefusedDetected = letter;
                } else if (ui_.SelectPhoneDrive(letter)) {
                    Model.PhoneDrive = letter;
                    st.RefusedDetected = 0;
                } else {
                    if (st.RefusedDetected != letter)
                        Log.AddLog(Messages.Fmt("card_not_listed", {std::string(1, letter)}));
                    st.RefusedDetected = letter;
                }
            }
            TransFlashTimer.Interval = 3 * interval;
            if (Options.cbAutoReadDB && Model.TransFlashHandled == 0 &&
                Model.PhoneDrive == letter && !IsBusy()) {
                Model.TransFlashHandled = 1;
                btnScanClick();
            }
        }
        if (connect(0) == 0) {
            TransFlashTimer.Interval = interval;
            Model.TransFlashHandled = 0;
        }
    } catch (const Exception& e) {
        // Shown once: further ticks are held off while the box is open.
        ui_.ShowWarning(e.Message());
    }
}
