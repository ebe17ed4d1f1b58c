#include "combo_port_list.h"

void ComboPortList::Text(int index, char* buffer, int bufferSize) {
    if (bufferSize <= 0) {
        return;
    }
    buffer[0] = '\0';
    // CB_GETLBTEXT has no size argument: refuse rather than overrun a short buffer.
    int length = combo.GetLBTextLen(index);
    if (length < 0 || length >= bufferSize) {
        return;
    }
    combo.GetLBText(index, buffer);
}
