#include "RtSysUtils.h"
#include "SysUtils.h"

#include <dlfcn.h>

void UnloadModule(uintptr_t& module) {
    if (module != 0)
        dlclose(reinterpret_cast<void*>(module));
    module = 0;
}

std::string GUIDToString(const TGUID& g) {
    return Format(
        "{%.8x-%.4x-%.4x-%.2x%.2x-%.2x%.2x%.2x%.2x%.2x%.2x}",
        {g.D1, g.D2, g.D3, g.D4[0], g.D4[1], g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]});
}
