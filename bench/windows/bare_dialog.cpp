// The start-up yardstick: what any dialog program costs to come up under the same Wine. With
// "cjk" on its command line it shows the template with the tool's font instead. Built with
// BARE_TOOL_TEMPLATE, it shows the tool's own main dialog template, with none of its code.
#include <windows.h>

#ifdef BARE_TOOL_TEMPLATE
#include "resource.h"
#else
#include "bare_dialog.h"
#endif

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
#ifdef BARE_TOOL_TEMPLATE
    int dialog = BARE_TOOL_TEMPLATE;
    (void)commandLine;
#else
    int dialog = lstrcmpiA(commandLine, "cjk") == 0 ? IDD_BARE_CJK : IDD_BARE;
#endif
    return static_cast<int>(
        DialogBoxParamW(instance, MAKEINTRESOURCEW(dialog), nullptr, BareDialogProc, 0));
}
