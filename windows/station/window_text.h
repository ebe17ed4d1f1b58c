// The station keeps its texts in UTF-8, as the production core does, and meets the window system
// in UTF-16 at its edges: these are those edges.
#pragma once

#include <windows.h>

#include <string>

#include "wide_text.h"

// A window's text, whatever its length.
std::wstring WindowText(HWND window);

// Sets a window's text (UTF-8) only when it differs: each setting repaints the control, and a
// board's turn must not wait on a screen busy repainting what did not change.
void SetText(HWND control, const std::string& text);
