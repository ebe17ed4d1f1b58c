// A DLL of Windows' own loaded when a feature first needs it, instead of imported at start: a
// program then pays for it (the spooler costs tens of milliseconds to load under Wine) only in the
// commands that use it, and a missing or broken one fails those commands with a reason, not the
// program's start. Each entry point is resolved once, when the library is loaded, and checked.
#pragma once

#include <windows.h>

#include "scoped_win.h"

namespace win32 {

// From the system folder only, never a copy planted beside the program or in the current folder.
inline ScopedModule LoadSystemLibrary(const wchar_t* name) {
    return ScopedModule(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

// `name`'s address as `function`'s type; false, and `function` null, when the library lacks it.
template <typename F>
bool ResolveFunction(HMODULE module, const char* name, F& function) {
    // Through void (*)(): the one function type GCC casts any other from without a warning.
    function = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}

}  // namespace win32
