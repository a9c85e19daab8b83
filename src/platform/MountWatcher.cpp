#include "MountWatcher.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

TMountWatcher::TMountWatcher(const std::string& path) {
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

TMountWatcher::~TMountWatcher() {
    if (fd_ >= 0)
        close(fd_);
}

bool TMountWatcher::CheckChanged(int timeoutMs) {
    if (fd_ < 0)
        return false;
    pollfd p{fd_, POLLPRI, 0};
    int n;
    do
        n = poll(&p, 1, timeoutMs);
    while (n < 0 && errno == EINTR);
    return n > 0 && (p.revents & (POLLPRI | POLLERR)) != 0;
}
