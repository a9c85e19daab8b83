// The framework's random numbers and clock.
#pragma once

#include "SysUtils.h"

#include <atomic>
#include <cstdint>

// The generator's state; set it to repeat a sequence.
extern std::atomic<int32_t> RandSeed;
// Seeds the generator from the clock.
void Randomize();
// The framework's linear congruential generator: RandSeed := RandSeed * 0x08088405 + 1,
// the result the high 32 bits of the new seed (unsigned) times range. 0 for range <= 0.
int32_t Random(int32_t range);
// A number in [0, 1): the new seed (unsigned) / 2^32.
double Random();

// The local date and time as days since 1899-12-30.
TDateTime Now();
TDateTime Date();
TDateTime Time();
// Milliseconds of a monotonic clock; the 32-bit one wraps after 49.7 days.
uint32_t GetTickCount();
uint64_t GetTickCount64();

// Raise EConvertError for a date or time that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime dateTime, int& year, int& month, int& day);
void DecodeTime(TDateTime dateTime, int& hour, int& min, int& sec, int& msec);
bool IsLeapYear(int year);
// Seconds since 1970-01-01 (taken as the same zone) and back.
int64_t DateTimeToUnix(TDateTime dateTime);
TDateTime UnixToDateTime(int64_t seconds);
