#include "ManagerLog.h"

#include "SysUtils.h"

#include <ctime>

std::string FormatLogLine(int hour, int minute, const std::string& message) {
    return Format("(%d:%.2d) %s", {hour, minute, message});
}

void TManagerLog::AddLog(const std::string& message) const {
    if (!sink_)
        return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    sink_(FormatLogLine(local.tm_hour, local.tm_min, message));
}
