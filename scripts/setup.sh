#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then configures and
# builds into build/. Safe to run again: nothing is installed or rebuilt twice.
set -euo pipefail
cd "$(dirname "$0")/.."

# libsqlite3-dev: the terrain journal. Qt: qt6-base-dev (Widgets, Test), libqt6gui6 carries the
# offscreen platform the UI tests and screenshots use, qt6-qpa-plugins the desktop (xcb) one;
# fonts-dejavu-core gives them a font.
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
          libsqlite3-dev qt6-base-dev libqt6gui6 qt6-qpa-plugins fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
