#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks need, when missing.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev zlib1g-dev
          libsqlite3-dev python3 time w3m libxml2-utils antiword catdoc unrtf gzip zip unzip txt2pdbdoc
          qt6-base-dev libqt6svg6 fonts-dejavu-core fonts-dejavu-extra hyphen-en-us hyphen-ru hyphen-uk
          hyphen-be hyphen-de hyphen-fr hyphen-es hyphen-it hyphen-pl hyphen-pt-pt python3-pyphen xvfb xdotool
          weston qt6-wayland)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
