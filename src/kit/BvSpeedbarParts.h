// What the speed bar's source files share. Included by the BvSpeedbar*.cpp files only.
#pragma once

#include "Controls.h"

// Whether the bar stands along one side of its parent.
inline bool IsSideAlign(TAlign a) {
    return a == TAlign::alTop || a == TAlign::alBottom || a == TAlign::alLeft ||
           a == TAlign::alRight;
}
