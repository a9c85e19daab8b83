// Carries the recording date across versions: ID3v2.2/2.3 keep it in year,
// "DDMM" date and "HHMM" time frames, ID3v2.4 in one timestamp frame.
#pragma once

#include "BvID3Types.h"

class TBvID3Controller;

// Adds a "TDRC" frame built from the year, date and time frames, unless one exists.
void MakeRecordingTime(TBvID3Controller& controller);
// Adds the year, date and time frames a timestamp frame stands for, where missing.
void SplitTimestamp(TBvID3Controller& controller, TBvID3FrameID id, double value);
