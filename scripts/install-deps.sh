#!/bin/bash
# Installs the Debian packages the project builds, tests and runs with (as root), and only those
# that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
    cmake make g++ clang libclang-rt-14-dev clang-format  # host build, sanitizers, fuzzers
    googletest libbenchmark-dev                           # test and benchmark libraries
    libcli11-dev nlohmann-json3-dev                       # the console programmer's libraries
    libssl-dev                                            # the host's SHA-256 (job ids)
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64  # the Windows build
    wine wine64 fonts-wine                                # running it
    xvfb imagemagick xdotool x11-utils                    # a display, screenshots, key presses
    zip unzip                                             # the package
    fonts-arphic-uming locales                            # the dialog font and the 936 code page
    fonts-wqy-zenhei                                      # the station's Chinese UI font (a sans)
    postgresql mariadb-server                             # the SQL ledger's test servers
    faketime                                              # a test server on a clock of its own
    unixodbc unixodbc-dev odbc-postgresql odbc-mariadb    # ODBC and its drivers on the host
    zbar-tools                                            # reads the labels' barcodes back
    chromium                                              # opens the HTML report headless
)
# The label tests' renderer runs on Node: Debian's, unless the machine has a Node already.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    packages+=(nodejs npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # The database packages would start the distribution's own servers; the tests start servers
    # of their own (scripts/db-servers.sh), so a policy that refuses every start stands in while
    # they install, unless the machine already has one.
    policy=/usr/sbin/policy-rc.d
    own_policy=""
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' >"$policy"
        chmod 755 "$policy"
        own_policy=yes
        trap 'rm -f "$policy"' EXIT
    fi
    # Another session on the machine may hold the package lock for a while: wait for it.
    apt-get -o DPkg::Lock::Timeout=600 update -qq >/dev/null
    # No recommends: they would bring fonts-droid-fallback, which Wine picks for the dialog font
    # and which draws Latin letters as boxes.
    apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" \
        >/dev/null
    if [ -n "$own_policy" ]; then
        rm -f "$policy"
        trap - EXIT
    fi
fi

# Where services start without asking the policy (systemd units enabled by the packages), the
# distribution's servers may run all the same: stop and disable them, they serve nothing here.
if [ -d /run/systemd/system ]; then
    for unit in postgresql mariadb; do
        if systemctl is-active --quiet "$unit" 2>/dev/null; then
            systemctl disable --now "$unit" >/dev/null 2>&1 || true
        fi
    done
fi

# Wine's ANSI code page is 936 only when the zh_CN.UTF-8 locale exists. It is generated here,
# before any script names it in LC_ALL, so no shell warns that it cannot set it.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf8'; then
    if grep -q '^# *zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
        sed -i 's/^# *zh_CN\.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    elif ! grep -q '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
        echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    fi
    locale-gen >/dev/null
fi

# A real ZPL renderer for the label tests (tests/label_render/): its npm package, at the version
# the lock file names, installed again only when the lock file changed.
render="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/label_render"
if [ ! -f "$render/node_modules/.package-lock.json" ] ||
    [ "$render/package-lock.json" -nt "$render/node_modules/.package-lock.json" ]; then
    echo "installing the label renderer (npm ci in tests/label_render)"
    (cd "$render" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
