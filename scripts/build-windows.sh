#!/bin/bash
# Installs whatever is missing and builds the Windows preset, saying only where it failed:
# what the run and package commands start with.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/install-deps.sh
mkdir -p build
echo "building..."
{ cmake --preset windows && cmake --build --preset windows -j"$(nproc)"; } \
    >build/windows-build.log 2>&1 || { tail -n 60 build/windows-build.log; exit 1; }
