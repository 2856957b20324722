#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Zamo need, when they
# are missing. Uses sudo when not run as root. Safe to run again: with everything in place
# it only checks.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-svg-dev libqcustomplot-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libboost-dev
  libceres-dev libeigen3-dev nlohmann-json3-dev
  clang libclang-rt-14-dev clang-format clang-tidy
  xvfb xauth poppler-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "install-deps: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
