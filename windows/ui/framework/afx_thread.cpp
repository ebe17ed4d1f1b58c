#include "afx_thread.h"

#include <process.h>

#include <new>

namespace {

struct ThreadStart {
    AFX_THREADPROC proc;
    LPVOID param;
};

unsigned __stdcall ThreadEntry(void* arg) {
    ThreadStart start = *static_cast<ThreadStart*>(arg);
    delete static_cast<ThreadStart*>(arg);
    return start.proc(start.param);
}

}  // namespace

HANDLE AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                      DWORD createFlags, LPSECURITY_ATTRIBUTES security) {
    auto* start = new (std::nothrow) ThreadStart{proc, param};
    if (start == nullptr) {
        return nullptr;
    }
    // Created suspended so the priority is in place before the first instruction runs.
    uintptr_t thread = _beginthreadex(security, stackSize, ThreadEntry, start,
                                      createFlags | CREATE_SUSPENDED, nullptr);
    if (thread == 0) {
        delete start;
        return nullptr;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(thread);
    SetThreadPriority(handle, priority);
    if ((createFlags & CREATE_SUSPENDED) == 0) {
        ResumeThread(handle);
    }
    return handle;
}
