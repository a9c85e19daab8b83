// Module handles and GUID texts.
#pragma once

#include <cstdint>
#include <string>

// Closes a module opened with dlopen when the handle is not 0, then sets it to 0.
void UnloadModule(uintptr_t& module);

struct TGUID {
    uint32_t D1;
    uint16_t D2;
    uint16_t D3;
    uint8_t D4[8];
};
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hexadecimal digits.
std::string GUIDToString(const TGUID& guid);
