#include "RtSysInfo.h"
#include "SysUtils.h"

#include <unistd.h>

namespace {
const TOSVersionFacts& ThisSystem() {
    static const TOSVersionFacts facts{};
    return facts;
}
int Online() {
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(n) : 1;
}
int Page() {
    long n = sysconf(_SC_PAGESIZE);
    return n > 0 ? static_cast<int>(n) : 4096;
}
} // namespace

TWindowsVersion GetWindowsVersionOf(const TOSVersionFacts& f) {
    const std::string sp = Trim(f.ServicePack ? f.ServicePack : "");
    if (f.PlatformId == 1) {
        if (f.Minor < 10)
            return sp == "B" || sp == "C" ? wvWin95OSR2 : wvWin95;
        if (f.Minor < 90) {
            if (f.KernelProductVersion == 0x4005A)
                return wvWinME;
            return sp == "A" ? wvWin98SE : wvWin98;
        }
        if (f.Minor == 90)
            return wvWinME;
        return wvUnknown;
    }
    if (f.PlatformId == 2) {
        if (f.Major == 3)
            return f.Minor == 1    ? wvWinNT31
                   : f.Minor == 5  ? wvWinNT35
                   : f.Minor == 51 ? wvWinNT351
                                   : wvUnknown;
        if (f.Major == 4)
            return wvWinNT4;
        if (f.Major == 5)
            return f.Minor == 0   ? wvWin2000
                   : f.Minor == 1 ? wvWinXP
                   : f.Minor == 2 ? wvWin2003
                                  : wvUnknown;
    }
    return wvUnknown;
}

TWindowsVersion GetWindowsVersion() {
    return GetWindowsVersionOf(ThisSystem());
}

const int ProcessorCount = Online();
// Windows reserves address space in 64 KiB steps; here the page is the unit.
const int AllocationGranularity = Page();
const int PageSize = Page();
const bool IsWinNT = true;
const bool IsWin2000 = GetWindowsVersion() == wvWin2000;
const bool IsWinXP = GetWindowsVersion() == wvWinXP;
