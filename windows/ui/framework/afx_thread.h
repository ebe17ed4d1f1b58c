// Worker threads for jobs.
#pragma once

#include <windows.h>

using AFX_THREADPROC = UINT (*)(LPVOID param);

// Starts proc(param) on a new thread. Returns the thread's handle, which the caller owns and
// closes, or null when the thread could not be started.
[[nodiscard]] HANDLE AfxBeginThread(AFX_THREADPROC proc, LPVOID param,
                                    int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                                    DWORD createFlags = 0,
                                    LPSECURITY_ATTRIBUTES security = nullptr);
