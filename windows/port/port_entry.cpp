#include "port_entry.h"

#include <cstring>

int GetEntryName(PortList& list, int index, char (&name)[PORT_NAME_MAX + 1]) {
    std::memset(name, 0, sizeof(name));
    int length = list.TextLength(index);
    if (length < 0 || length > PORT_NAME_MAX) {
        return 0;
    }
    list.Text(index, name, sizeof(name));
    return 1;
}
