// What another process holds of the system: its GDI objects, its window-system objects and its
// kernel handles. Windows counts them itself; Wine answers those questions with zero, so there
// they are counted from what Wine does keep: the process's own GDI handle table (its PEB's
// GdiSharedHandleTable) and the system's handle list. USER objects stay zero under Wine.
#pragma once

#include <windows.h>

struct ProcessResources {
    long gdi = -1;  // -1: could not be counted
    long user = 0;
    long handles = -1;
};

// process: opened with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
ProcessResources CountResources(HANDLE process, DWORD processId);
