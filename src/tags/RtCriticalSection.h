// A re-entrant lock, held while the Unicode data tables load on first use.
#pragma once

#include "SysUtils.h"

#include <mutex>

class TRtCriticalSection : public TObject {
public:
    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }

private:
    std::recursive_mutex mutex_;
};
