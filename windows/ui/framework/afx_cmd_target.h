// The root of everything that has a message map: windows and the application.
#pragma once

#include "afx_message_map.h"

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // The root map is empty, so every derived map's chain ends here.
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

    const MessageMapEntry* FindEntry(UINT message, UINT code, UINT id) const {
        return FindMessageEntry(GetMessageMap(), message, code, id);
    }
};
