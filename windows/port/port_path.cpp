#include "port_path.h"

#include <cstring>

int BuildPortPath(const char* name, char (&path)[PORT_PATH_SIZE]) {
    std::memset(path, 0, sizeof(path));
    std::memcpy(path, "\\\\.\\", 4);
    if (name == nullptr) {
        return 0;
    }
    size_t length = strnlen(name, PORT_NAME_MAX + 1);
    if (length > PORT_NAME_MAX) {
        return 0;
    }
    std::memcpy(path + 4, name, length);
    return 1;
}
