// Controls belong to the GUI thread: a worker posts its progress and refreshes (Queue) and
// never changes a control itself. Debug builds stop at once when one does.
#pragma once

#include "Dispatcher.h"

#include <cassert>

#define BV_ASSERT_GUI_THREAD()                                                                     \
    assert(IsMainThread() && "controls are changed on the GUI thread only")
