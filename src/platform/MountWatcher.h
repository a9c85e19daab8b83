// Watches the mount table. The kernel marks /proc/self/mountinfo with POLLPRI and
// POLLERR whenever a volume is mounted or unmounted in this process's namespace, and
// a poll() of the open file clears the mark again, so one change is seen once.
#pragma once

#include <string>

class TMountWatcher {
public:
    explicit TMountWatcher(const std::string& path = "/proc/self/mountinfo");
    ~TMountWatcher();
    TMountWatcher(const TMountWatcher&) = delete;
    TMountWatcher& operator=(const TMountWatcher&) = delete;

    // The descriptor an event loop watches for POLLPRI; -1 when the file could not be opened.
    int Fd() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Waits up to timeoutMs (0: only looks) and says whether the table changed since
    // the last look.
    bool CheckChanged(int timeoutMs = 0);

private:
    int fd_ = -1;
};
