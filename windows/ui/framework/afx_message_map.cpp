#include "afx_cmd_target.h"

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, UINT code, UINT id) {
    for (; map != nullptr; map = map->base) {
        for (const MessageMapEntry* entry = map->entries; entry->handler != nullptr; entry++) {
            if (entry->message != message) {
                continue;
            }
            if (message != WM_COMMAND || (entry->code == code && entry->id == id)) {
                return entry;
            }
        }
    }
    return nullptr;
}

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}
