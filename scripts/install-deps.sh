#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, only when missing.
# Usage: scripts/install-deps.sh play|test
set -euo pipefail

packages=(build-essential cmake pkg-config libsdl2-dev libpng-dev zlib1g-dev)
if [ "${1:-play}" = test ]; then
  packages+=(googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
             xvfb xdotool imagemagick x11-utils openbox python3)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
# A release may not carry every name (some ship the fuzzing runtime inside
# clang's own packages): install what it has, and say what it has not.
available=()
for p in "${missing[@]}"; do
  if apt-cache policy "$p" 2>/dev/null | grep -q 'Candidate: [^(]'; then
    available+=("$p")
  else
    echo "Not available here, skipped: $p" >&2
  fi
done
[ ${#available[@]} -eq 0 ] && exit 0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${available[@]}"
