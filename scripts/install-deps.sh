#!/usr/bin/env bash
# Installs what Field Console needs to build, run and test on Debian 12 (run as root).
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
packages=(build-essential cmake qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev
          fonts-dejavu-core)
if [ "${FC_WITH_FUZZ:-0}" = 1 ]; then packages+=(clang libclang-rt-14-dev); fi
# The package checks (scripts/package.sh): dpkg-shlibdeps, lintian, the desktop entry and AppStream
# validators, strace to see which icon files the installed program opens.
if [ "${FC_WITH_PACKAGE:-0}" = 1 ]; then
  packages+=(dpkg-dev lintian desktop-file-utils appstream strace man-db)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
