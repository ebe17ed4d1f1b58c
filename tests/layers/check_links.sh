#!/bin/bash
# A host test executable loads none of the libraries its layers must not link (ODBC, libcrypto):
# reads ldd of the binary, which is linked without --as-needed, so every library its link line
# names is there, whether or not a symbol of it was used.
# Usage: check_links.sh BINARY NAME...   (NAME: a library's name as ldd shows it, e.g. libodbc)
set -euo pipefail
binary=$1
shift
loaded=$(ldd "$binary")
if ! grep -q 'libc\.so' <<<"$loaded"; then
    echo "ldd read nothing from $binary" >&2
    exit 1
fi
status=0
for name in "$@"; do
    if found=$(grep -F -- "$name" <<<"$loaded"); then
        echo "$(basename "$binary") links what its layers must not: ${found#"${found%%[![:space:]]*}"}" >&2
        status=1
    fi
done
exit $status
