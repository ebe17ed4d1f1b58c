// Reading one entry of a port list safely: the entry's text is taken only when it fits a device
// path, so no buffer downstream can be overrun by a long name.
#pragma once

#include "port_list.h"
#include "port_path.h"

// 1 and the entry's name, terminated, when the entry exists and fits; 0 and "" otherwise.
int GetEntryName(PortList& list, int index, char (&name)[PORT_NAME_MAX + 1]);
