#include "System.h"

#include <chrono>
#include <cmath>
#include <ctime>

std::atomic<int32_t> RandSeed{0};

namespace {
uint32_t NextSeed() {
    int32_t old = RandSeed.load(std::memory_order_relaxed);
    int32_t next;
    do {
        next = static_cast<int32_t>(static_cast<uint32_t>(old) * 0x08088405u + 1u);
    } while (!RandSeed.compare_exchange_weak(old, next, std::memory_order_relaxed));
    return static_cast<uint32_t>(next);
}

constexpr int daysBefore[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                   {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
constexpr double msPerDay = 86400000.0;
} // namespace

void Randomize() {
    auto ns = std::chrono::steady_clock::now().time_since_epoch().count() ^
              std::chrono::system_clock::now().time_since_epoch().count();
    RandSeed = static_cast<int32_t>(static_cast<uint64_t>(ns) ^ (static_cast<uint64_t>(ns) >> 32));
}

int32_t Random(int32_t range) {
    uint32_t seed = NextSeed();
    if (range <= 0)
        return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint32_t>(range)) >> 32);
}

double Random() {
    return static_cast<double>(NextSeed()) / 4294967296.0;
}

TDateTime Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    time_t secs = static_cast<time_t>(ms / 1000);
    struct tm lt;
    localtime_r(&secs, &lt);
    return (static_cast<double>(ms) + static_cast<double>(lt.tm_gmtoff) * 1000.0) / msPerDay +
           25569.0;
}

TDateTime Date() {
    return std::floor(Now());
}
TDateTime Time() {
    TDateTime n = Now();
    return n - std::floor(n);
}

uint32_t GetTickCount() {
    return static_cast<uint32_t>(GetTickCount64());
}

uint64_t GetTickCount64() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool IsLeapYear(int y) {
    return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

TDateTime EncodeDate(int year, int month, int day) {
    int leap = IsLeapYear(year) ? 1 : 0;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysBefore[leap][month] - daysBefore[leap][month - 1])
        throw EConvertError("Invalid argument to date encode");
    int y = year - 1;
    int days = y * 365 + y / 4 - y / 100 + y / 400 + daysBefore[leap][month - 1] + day;
    return static_cast<double>(days - 693594);
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
        msec > 999)
        throw EConvertError("Invalid argument to time encode");
    return (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / msPerDay;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    // Days since 0001-01-01 (day 1), by the 400/100/4/1-year cycles.
    int64_t t = static_cast<int64_t>(std::floor(dt)) + 693593;
    if (t < 0) {
        year = month = day = 0;
        return;
    }
    int64_t y = 1;
    y += 400 * (t / 146097);
    t %= 146097;
    int64_t c = t / 36524;
    if (c == 4)
        c = 3;
    y += 100 * c;
    t -= c * 36524;
    y += 4 * (t / 1461);
    t %= 1461;
    int64_t i = t / 365;
    if (i == 4)
        i = 3;
    y += i;
    t -= i * 365;
    year = static_cast<int>(y);
    int leap = IsLeapYear(year) ? 1 : 0;
    month = 1;
    while (month < 12 && t >= daysBefore[leap][month])
        ++month;
    day = static_cast<int>(t - daysBefore[leap][month - 1]) + 1;
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
    auto ms = static_cast<int64_t>(std::llround((dt - std::floor(dt)) * msPerDay));
    if (ms >= 86400000)
        ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int64_t DateTimeToUnix(TDateTime dt) {
    return std::llround((dt - 25569.0) * 86400.0);
}

TDateTime UnixToDateTime(int64_t seconds) {
    return static_cast<double>(seconds) / 86400.0 + 25569.0;
}
