// Device paths for port names.
#pragma once

#include "port_name.h"  // PORT_PATH_SIZE, PORT_NAME_MAX

// Writes "\\.\" + name into path (PORT_PATH_SIZE bytes, zero-filled). Every port gets the prefix:
// only the device namespace reaches COM10 and above, and names a driver made up itself. Returns
// 0, with path holding only the prefix, for a null name or one too long to fit.
int BuildPortPath(const char* name, char (&path)[PORT_PATH_SIZE]);
