// Message maps: a static table per class mapping a message (and, for WM_COMMAND, a notification
// code and control ID) to a member handler. Each entry's handler is a captureless lambda that
// casts the target back to the class that declared the map and cracks the message parameters,
// so the table stays type-checked without casts between member-pointer types.
#pragma once

#include <windows.h>

class CCmdTarget;

using MessageHandler = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;
    UINT code;  // WM_COMMAND only: the notification code (0 for menus and BN_CLICKED)
    UINT id;    // WM_COMMAND only: the control or command ID
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;  // ends with an entry whose handler is null
};

// Finds the first entry for the message in the map or one of its bases, the derived class first.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, UINT code, UINT id);

// clang-format off
#define DECLARE_MESSAGE_MAP()                                                   \
public:                                                                         \
    static const MessageMap* GetThisMessageMap();                               \
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); } \
                                                                                \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const MessageMap* theClass::GetThisMessageMap() {                           \
        using ThisClass = theClass;                                             \
        using TheBaseClass = baseClass;                                         \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                       \
            {0, 0, 0, nullptr}};                                                \
        static const MessageMap map = {TheBaseClass::GetThisMessageMap(), entries}; \
        return &map;                                                            \
    }
// clang-format on

#define AFX_TARGET static_cast<ThisClass&>(target)

#define ON_COMMAND(id, memberFn)                                            \
    {WM_COMMAND, 0, id, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT { \
         (AFX_TARGET.*memberFn)();                                          \
         return 0;                                                          \
     }},

#define ON_BN_CLICKED(id, memberFn) ON_COMMAND(id, memberFn)

#define ON_MESSAGE(message, memberFn)                                                 \
    {message, 0, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         return (AFX_TARGET.*memberFn)(wParam, lParam);                               \
     }},

#define ON_WM_SYSCOMMAND()                                                                  \
    {WM_SYSCOMMAND, 0, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         AFX_TARGET.OnSysCommand(static_cast<UINT>(wParam), lParam);                        \
         return 0;                                                                          \
     }},

#define ON_WM_PAINT()                                                    \
    {WM_PAINT, 0, 0, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT { \
         AFX_TARGET.OnPaint();                                           \
         return 0;                                                       \
     }},

#define ON_WM_QUERYDRAGICON()                                                    \
    {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget& target, WPARAM, LPARAM) -> LRESULT { \
         return reinterpret_cast<LRESULT>(AFX_TARGET.OnQueryDragIcon());         \
     }},

#define ON_WM_DEVICECHANGE()                                                                  \
    {WM_DEVICECHANGE, 0, 0, [](CCmdTarget& target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         return AFX_TARGET.OnDeviceChange(static_cast<UINT>(wParam),                          \
                                          static_cast<DWORD_PTR>(lParam));                    \
     }},
