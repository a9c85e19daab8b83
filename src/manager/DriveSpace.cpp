#include "DriveSpace.h"

#include "Drives.h"

namespace {

// The framework's drive number: 1 for "A" to 26 for "Z"; 0 (not a drive) otherwise.
int DriveNumber(char driveLetter) {
    if (driveLetter >= 'a' && driveLetter <= 'z')
        driveLetter = static_cast<char>(driveLetter - 'a' + 'A');
    if (driveLetter < 'A' || driveLetter > 'Z')
        return 0;
    return driveLetter - 'A' + 1;
}

} // namespace

int64_t DriveFreeSpace(char driveLetter) {
    int drive = DriveNumber(driveLetter);
    return drive == 0 ? -1 : DiskFree(drive);
}

int64_t DriveTotalSpace(char driveLetter) {
    int drive = DriveNumber(driveLetter);
    return drive == 0 ? -1 : DiskSize(drive);
}
