#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

# The tests start their own proxy and message bus, so only the programs are
# installed, not the services that would start at every boot (tinyproxy, dbus).
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    libsqlite3-dev zlib1g-dev libcurl4-openssl-dev libssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    openssl tinyproxy-bin dbus-daemon desktop-file-utils fonts-dejavu-core ca-certificates
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

echo "setup: installing ${missing[*]}"
as_root=(env DEBIAN_FRONTEND=noninteractive)
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "setup: installing packages needs root, and sudo is not installed." >&2
        echo "setup: run as root: apt-get install ${missing[*]}" >&2
        exit 1
    fi
    as_root=(sudo "${as_root[@]}")
fi
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
