// The station keeps its texts in UTF-8, as the production core does, and meets the window system
// in UTF-16 at its edges: these are those edges.
#pragma once

#include <windows.h>

#include <string>

// A UTF-8 text as UTF-16 ("?" when it is not valid UTF-8); UTF-16 as UTF-8 ("" when not valid).
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);

// A window's text, whatever its length.
std::wstring WindowText(HWND window);

// Sets a window's text (UTF-8) only when it differs: each setting repaints the control, and a
// board's turn must not wait on a screen busy repainting what did not change.
void SetText(HWND control, const std::string& text);
