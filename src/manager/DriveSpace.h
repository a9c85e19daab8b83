// Free and total bytes of a drive of the drive table, 64-bit so that cards and disks
// of 2 GiB and more are measured right.
#pragma once

#include <cstdint>

// -1 when the drive is not ready (no such letter, nothing mounted, or not A to Z).
int64_t DriveFreeSpace(char driveLetter);
int64_t DriveTotalSpace(char driveLetter);
