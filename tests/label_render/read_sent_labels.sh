#!/bin/bash
# The labels zq61prog sent to the test's printer, drawn by a real ZPL renderer (zpl-renderer-js)
# and read back with zbarimg: each barcode must read exactly what its .barcode file says (the
# serial the record names, or the product). The labels are used up, so a later run never passes
# on an earlier run's labels. Exit 77 (skipped) when the renderer is not installed.
#   read_sent_labels.sh FOLDER
set -u
folder=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ ! -d "$here/node_modules/zpl-renderer-js" ] || ! command -v zbarimg >/dev/null ||
    ! command -v node >/dev/null; then
    echo "the renderer or zbarimg is not installed: run scripts/install-deps.sh"
    exit 77
fi
shopt -s nullglob
labels=("$folder"/*.zpl)
if [ ${#labels[@]} -lt 3 ]; then
    echo "FAIL: ${#labels[@]} labels in $folder, 3 expected from the batch's tests"
    exit 1
fi
pairs=()
for zpl in "${labels[@]}"; do
    pairs+=("$zpl" "${zpl%.zpl}.png")
done
node "$here/render.mjs" "${pairs[@]}" || exit 1
failed=0
for zpl in "${labels[@]}"; do
    expected=$(cat "${zpl%.zpl}.barcode")
    read=$(zbarimg --raw -q "${zpl%.zpl}.png" 2>/dev/null)
    if [ "$read" == "$expected" ]; then
        echo "ok: $(basename "$zpl") reads $read"
    else
        echo "FAIL: $(basename "$zpl") reads \"$read\", its record says \"$expected\""
        failed=1
    fi
    # The drawing stays for a person to look at; the label and its expectation are used up.
    rm -f "$zpl" "${zpl%.zpl}.barcode"
done
exit $failed
