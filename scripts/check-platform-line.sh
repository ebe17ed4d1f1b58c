#!/bin/bash
# The platform line: every file that includes a Windows header lives under a windows/ folder, so
# which code is portable shows in the tree. Fails, naming the file and the line, when a file
# anywhere else includes a Windows header, or a header of a windows/ folder that includes one
# (directly or through another). ODBC's own headers need <windows.h> before them on Windows: a
# file that includes <sql.h> or <sqlext.h> may include <windows.h> for them, and nothing else.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

# The system's headers (Win32, Winsock, the spooler, CNG, the shell, setup, the kernel's DDK and
# the resource compiler's), matched by name whatever their case or folder (<ddk/ntddk.h>).
system_headers='windows winsock winsock2 ws2tcpip ws2def mswsock iphlpapi winspool bcrypt ncrypt
wincrypt commctrl commdlg setupapi cfgmgr32 devguid initguid shellapi shlobj shlwapi shobjidl
knownfolders propkey objbase ole2 oleauto combaseapi dbt winioctl winternl ntddk ntddser ntdef
ntstatus ntifs wdm usbiodef usbioctl hidsdi winuser wingdi winbase winreg winnt windef winerror
winnls wincon winsvc winresrc winres afxres psapi tlhelp32 processthreadsapi synchapi fileapi
handleapi errhandlingapi libloaderapi consoleapi sysinfoapi timeapi mmsystem uxtheme dwmapi
richedit windowsx dbghelp imagehlp delayimp versionhelpers sddl aclapi userenv wtsapi32 lmcons
strsafe intsafe'

# Source files, whatever built them last left aside.
mapfile -t files < <(find . \( -path ./build -o -path ./.git -o -name node_modules \) -prune -o \
    -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.rc' \) -print | sort)

# One pass over every file's includes; then the names counted as Windows': the system's headers,
# and every header of a windows/ folder that includes one, until no more are found.
awk -v system_headers="$system_headers" '
    function in_windows(path) { return ("/" path "/") ~ /\/windows\// }
    function base(path) { sub(/.*\//, "", path); return tolower(path) }
    BEGIN {
        split(system_headers, names, /[ \n]+/)
        for (i in names) if (names[i] != "") windows[names[i] ".h"] = 1
    }
    /^[ \t]*#[ \t]*include[ \t]*[<"]/ {
        name = $0
        sub(/^[ \t]*#[ \t]*include[ \t]*[<"]/, "", name)
        sub(/[>"].*/, "", name)
        name = base(name)
        n = ++count[FILENAME]
        included[FILENAME, n] = name
        at[FILENAME, n] = FNR
        if (name == "sql.h" || name == "sqlext.h") odbc[FILENAME] = 1
    }
    END {
        for (grew = 1; grew;) {
            grew = 0
            for (file in count) {
                name = base(file)
                if (!in_windows(file) || name !~ /\.h$/ || (name in windows)) continue
                for (n = 1; n <= count[file]; n++)
                    if (included[file, n] in windows) { windows[name] = 1; grew = 1; break }
            }
        }
        failures = 0
        for (file in count) {
            if (in_windows(file)) continue
            for (n = 1; n <= count[file]; n++) {
                name = included[file, n]
                if (!(name in windows)) continue
                # ODBC'"'"'s headers need <windows.h> before them on Windows.
                if (name == "windows.h" && (file in odbc)) continue
                path = file; sub(/^\.\//, "", path)
                printf "%s:%d: includes %s, a Windows header, outside a windows/ folder\n", \
                    path, at[file, n], name
                failures++
            }
        }
        if (failures) {
            printf "platform line: %d Windows include(s) outside windows/: move the file under " \
                "windows/ (or split its Windows half there, its host half named alike under " \
                "posix/)\n", failures > "/dev/stderr"
            exit 1
        }
        printf "platform line: %d files, every Windows include under windows/\n", ARGC - 1
    }' "${files[@]}"
