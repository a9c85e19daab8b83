// The type records of the framework's published enumerations and sets, which the class
// tables name so that a property can be read and written by its members' names.
#pragma once

#include "RtRTTI.h"

const TTypeInfo* AlignTypeInfo();         // TAlign
const TTypeInfo* FontStyleTypeInfo();     // TFontStyle: fsBold, fsItalic, fsUnderline, fsStrikeOut
const TTypeInfo* FontStylesTypeInfo();    // TFontStyles: a set of TFontStyle
const TTypeInfo* CheckBoxStateTypeInfo(); // TCheckBoxState
