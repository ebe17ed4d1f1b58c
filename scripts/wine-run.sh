#!/bin/bash
# Runs a Windows program in the project's Wine prefix: the emulator CTest runs the Windows tests
# through. The prefix is decided when the test runs (ZQ_WINEPREFIX, default build/wine-prefix),
# never baked into the build, and never ~/.wine.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$@"
