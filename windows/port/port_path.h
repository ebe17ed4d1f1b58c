// Device paths for port names.
#pragma once

inline constexpr int PORT_PATH_SIZE = 64;
inline constexpr int PORT_NAME_MAX = PORT_PATH_SIZE - 5;  // behind "\\.\" and before the NUL

// Writes "\\.\" + name into path (PORT_PATH_SIZE bytes, zero-filled). Every port gets the prefix:
// only the device namespace reaches COM10 and above, and names a driver made up itself. Returns
// 0, with path holding only the prefix, for a null name or one too long to fit.
int BuildPortPath(const char* name, char (&path)[PORT_PATH_SIZE]);
