// A Win32 or Winsock error code in the system's own words, UTF-8, on one line.
#pragma once

#include <windows.h>

#include <string>

std::string WindowsErrorText(DWORD code);
