// The station keeps its texts in UTF-8, as the production core does, and meets the window system
// in UTF-16 at its edges.
#pragma once

#include <windows.h>

#include <string>

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// A window's text, whatever its length.
std::wstring WindowText(HWND window);
