// The figures of the "Statistics" group: the phone drive, the track count, the
// total playing time and the two size estimates.
#include "TrackManager.h"

#include "DriveSpace.h"

#include <cctype>
#include <cmath>

namespace {

// "00:06:00"; hours keep all their digits.
std::string FormatDuration(int64_t seconds) {
    std::string out;
    auto two = [&out](int64_t v) {
        if (v < 10)
            out += '0';
        out += IntToStr(v);
    };
    two(seconds / 3600);
    out += ':';
    two((seconds / 60) % 60);
    out += ':';
    two(seconds % 60);
    return out;
}

// A whole number rounded half away from zero, with "," between the thousands.
std::string FormatThousands(long double value) {
    const long double rounded = std::round(value);
    if (!std::isfinite(rounded) || std::fabs(rounded) >= 9.2e18L)
        return "0";
    const int64_t whole = static_cast<int64_t>(rounded);
    std::string digits = IntToStr(whole < 0 ? -whole : whole);
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    if (whole < 0)
        out.insert(out.begin(), '-');
    return out;
}

// The duration and the two estimates of the track list.
void RefreshTrackFigures(TTrackManager& m, int rows) {
    TStatistics& s = m.Statistics;
    const TTrackModel& model = m.Model;
    int64_t seconds = 0;
    std::vector<int32_t> rowSeconds(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        std::string time;
        model.GetTrackField(r, TTrackColumn::Time, time);
        rowSeconds[static_cast<size_t>(r)] = TrackTimeSeconds(time);
        seconds += rowSeconds[static_cast<size_t>(r)];
    }
    s.TotalSeconds = seconds;
    s.Label15 = FormatDuration(seconds);

    const int32_t limit = m.EffectiveMaxBitrate();
    long double all = 0;
    long double needed = 0;
    for (int r = 0; r < rows; ++r) {
        long double estimate;
        if (m.TrackWouldBeReencoded(r)) {
            estimate = limit / 8.0L * rowSeconds[static_cast<size_t>(r)] * 1024.0L;
        } else {
            std::string size;
            model.GetTrackField(r, TTrackColumn::Size, size);
            estimate = static_cast<long double>(StrToInt64(Trim(size)));
        }
        all += estimate;
        std::string fileName;
        model.GetTrackField(r, TTrackColumn::FileName, fileName);
        if (!model.IsOnPhone(fileName))
            needed += estimate;
    }
    s.AllBytes = all;
    s.NeededBytes = needed;
    s.Label18 = FormatThousands(all / 1024.0L) + " KB";
    s.Label19 = FormatThousands(needed / 1024.0L) + " KB";
}

} // namespace

void TTrackManager::RefreshStatistics() {
    TStatistics& s = Statistics;
    const char drive =
        static_cast<char>(std::toupper(static_cast<unsigned char>(Model.PhoneDrive)));
    s.Label13 = std::string(1, Model.PhoneDrive) + ":";
    if (drive != 'A' && drive != 'B') {
        const int64_t total = DriveTotalSpace(Model.PhoneDrive);
        const int64_t free = DriveFreeSpace(Model.PhoneDrive);
        s.DriveMeasured = total >= 0 && free >= 0;
        // A drive that is not ready shows nothing free rather than another drive's figures.
        s.TotalKB = s.DriveMeasured ? total / 1024 : 0;
        const int64_t freeKB = s.DriveMeasured ? free / 1024 : 0;
        s.UsedKB = s.TotalKB - freeKB;
        s.Label17 = IntToStr(freeKB) + " kb";
    } else {
        s.DriveMeasured = false;
    }
    const int rows = Model.TrackCount();
    s.Label14 = IntToStr(rows);

    // A bad value in the table ends the refresh with its conversion error; the
    // figures filled before it are shown all the same.
    try {
        RefreshTrackFigures(*this, rows);
    } catch (...) {
        NotifyView(TViewId::Statistics);
        throw;
    }
    NotifyView(TViewId::Statistics);
}

void TTrackManager::btnRefreshStatClick() {
    BV_ASSERT_GUI_THREAD();
    try {
        RefreshStatistics();
    } catch (const Exception& e) {
        ui_.ShowWarning(e.Message());
    }
}

void TTrackManager::BvGroupStatExpanded() {
    BV_ASSERT_GUI_THREAD();
    btnRefreshStatClick();
}
