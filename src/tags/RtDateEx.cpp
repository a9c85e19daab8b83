#include "RtDateEx.h"

#include "SysUtils.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double DaysPerYear = 365.2422454;
constexpr double DaysPerMonth = 30.436853783333333;
constexpr int64_t DateDelta = 693594; // days from 0001-01-01 to 1899-12-30, plus one

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// Days since 0001-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 719162; // 719162: 1970-01-01 minus 0001-01-01
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
    int64_t z = days - 719162 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

} // namespace

TDateTime EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        throw EConvertError("Invalid argument to date encode");
    return double(DaysFromCivil(year, month, day) - DateDelta + 1);
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
    CivilFromDays(int64_t(std::floor(date)) + DateDelta - 1, year, month, day);
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999)
        throw EConvertError("Invalid argument to time encode");
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
}

void DecodeTime(TDateTime date, int& hour, int& minute, int& second) {
    const double frac = std::fabs(date - std::trunc(date));
    int64_t ms = int64_t(std::llround(frac * 86400000.0));
    if (ms >= 86400000)
        ms = 86399999;
    hour = int(ms / 3600000);
    minute = int(ms / 60000 % 60);
    second = int(ms / 1000 % 60);
}

TDateTime EncodeDateEx(int32_t year, uint16_t month, uint16_t day) {
    if (year > 0 && year < 10000)
        return EncodeDate(year, month, day);
    double t =
        year <= 0 ? year * DaysPerYear - 693593 : (year - 1.0) * DaysPerYear - 693593 + 1.7882454;
    return double(Trunc(t) + Round((month - 1) * DaysPerMonth) + (day - 1));
}

void DecodeDateEx(TDateTime date, int32_t& year, uint16_t& month, uint16_t& day) {
    if (date >= -693593 && date < 2958466) {
        int y, m, d;
        DecodeDate(date, y, m, d);
        year = y;
        month = uint16_t(m);
        day = uint16_t(d);
        return;
    }
    if (!std::isfinite(date)) {
        year = 0;
        month = day = 1;
        return;
    }
    double rest;
    if (date > 0) {
        const double shifted = date - 1.7882454 + 693593;
        year = int32_t(std::clamp(std::trunc(shifted / DaysPerYear), -2e9, 2e9)) + 1;
        rest = shifted - (year - 1.0) * DaysPerYear;
    } else {
        const double shifted = date + 693593;
        year = int32_t(std::clamp(std::trunc(shifted / DaysPerYear), -2e9, 2e9)) - 1;
        rest = shifted - year * DaysPerYear;
    }
    if (rest < 0)
        rest = 0;
    const int m = std::min(11, int(rest / DaysPerMonth));
    month = uint16_t(m + 1);
    day = uint16_t(std::min(31, int(rest - Round(m * DaysPerMonth)) + 1));
    if (day < 1)
        day = 1;
}

int32_t YearOfDateEx(TDateTime date) {
    int32_t y;
    uint16_t m, d;
    DecodeDateEx(date, y, m, d);
    return y;
}
