#include "RtDateEx.h"

#include "SysUtils.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double DaysPerYear = 365.2422454;
constexpr double DaysPerMonth = 30.436853783333333;

} // namespace

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
