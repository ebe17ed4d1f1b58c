// Shows ZQ61CFG after a Read Config of a simulated chip, for a screenshot on a display nobody
// looks at: starts the exe, reads the selected chip, says so in ready-file, and closes the
// dialog once done-file appears (or after a minute).
// Usage: demo_snapshot <ZQ61CFG.exe> <ready-file> <done-file>
#include <windows.h>

#include <cstdio>

#include "app_session.h"
#include "remote_controls.h"
#include "resource.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <ZQ61CFG.exe> <ready-file> <done-file>\n", argv[0]);
        return 2;
    }
    SetAppPath(argv[1]);
    AppSession app;
    if (!app.Start()) {
        std::fprintf(stderr, "ZQ61CFG did not start\n");
        return 1;
    }
    Click(app.Control(IDC_READ_CONFIG));
    if (!WaitUntil([&] { return !TextOf(app.Control(IDC_STATUS)).empty(); }, 10000)) {
        std::fprintf(stderr, "no outcome in the status line\n");
        return 1;
    }
    // Let the form's new texts paint before anyone looks.
    WaitUntil([&] { return IsWindowEnabled(app.Control(IDC_READ_CONFIG)) != FALSE; }, 5000);
    Sleep(300);
    if (FILE* ready = std::fopen(argv[2], "w")) {
        std::fclose(ready);
    }
    WaitUntil([&] { return GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES; }, 60000);
    PostMessageA(app.Dialog(), WM_COMMAND, IDCANCEL, 0);
    return app.WaitForExit(10000) == 0 ? 0 : 1;
}
