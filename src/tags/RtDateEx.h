// Dates as the framework keeps them (days since 30 December 1899, the time of
// day as the fraction), with an extension that also encodes years outside 1-9999.
#pragma once

#include "SysUtils.h"
#include "System.h"

#include <cstdint>

TDateTime EncodeDateEx(int32_t year, uint16_t month, uint16_t day);
void DecodeDateEx(TDateTime date, int32_t& year, uint16_t& month, uint16_t& day);
int32_t YearOfDateEx(TDateTime date);
