// Dates as the framework keeps them (days since 30 December 1899, the time of
// day as the fraction), with an extension that also encodes years outside 1-9999.
#pragma once

#include <cstdint>

using TDateTime = double;

// Raises EConvertError for an invalid date.
TDateTime EncodeDate(int year, int month, int day);
void DecodeDate(TDateTime date, int& year, int& month, int& day);
// Raises EConvertError for an hour above 23 or a minute or second above 59.
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeTime(TDateTime date, int& hour, int& minute, int& second);

TDateTime EncodeDateEx(int32_t year, uint16_t month, uint16_t day);
void DecodeDateEx(TDateTime date, int32_t& year, uint16_t& month, uint16_t& day);
int32_t YearOfDateEx(TDateTime date);
