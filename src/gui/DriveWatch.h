// The GUI thread's event loop watches the mount table in place of the system's
// device-change broadcast: a volume mounted or unmounted re-reads the drive table
// and runs every handler of AddDriveChangeHandler (Drives.h).
#pragma once

// Starts the watch once; does nothing before the application exists or when the
// mount table cannot be opened (the drive table then changes only on a refresh).
void StartDriveWatch();
// Whether the event loop is watching.
bool DriveWatchActive();
