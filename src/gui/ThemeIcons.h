// Pictures from the desktop's icon theme (freedesktop names such as
// "drive-harddisk"); where the desktop's theme lacks one, Tango's is used.
#pragma once

#include <string>

class TCanvas;

// Whether the theme or its fallback has the icon.
bool HasThemeIcon(const std::string& name);
// Draws the icon, size pixels square, with its top-left corner at (x, y) in the
// canvas's logical coordinates, blended over what is there. Nothing when missing.
void DrawThemeIcon(TCanvas& canvas, const std::string& name, int x, int y, int size);
