#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, runs the installed programs (lectra-tool on
# an installed sample, the reader in a window under Xvfb), validates the desktop entry and the
# metainfo, then purges the package and checks that none of its files is left. Changes the
# machine: run it as root on a machine you may change; not part of ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends dpkg-dev file desktop-file-utils appstream xvfb xdotool >/dev/null
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF >/dev/null
cmake --build build/package >/dev/null
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls build/package/lectra_*.deb | head -1)
echo "== package: $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Depends
echo "== validators"
desktop-file-validate resources/org.lectra.Reader.desktop && echo "desktop-file-validate: ok"
appstreamcli validate --no-net resources/org.lectra.Reader.metainfo.xml
echo "== install"
apt-get install -y -qq "./$deb" >/dev/null
# Its files, and the folders that are its alone; folders shared with the system stay.
dpkg -L lectra | while read -r f; do [ -f "$f" ] && echo "$f"; done | sort > /tmp/lectra-files
echo /usr/share/lectra >> /tmp/lectra-files
cat /tmp/lectra-files
echo "== installed lectra-tool"
lectra-tool info /usr/share/lectra/samples/ru-story.fb2
lectra-tool hyphenate --language de Freundschaft
out=$(mktemp -d)
lectra-tool render /usr/share/lectra/samples/ru-story.fb2 --out "$out/page.png"
file "$out/page.png"
echo "== installed reader in a window"
Xvfb :93 -screen 0 1024x768x24 >/dev/null 2>&1 & xpid=$!
trap 'kill $xpid 2>/dev/null; rm -rf "$out"' EXIT
sleep 1
mkdir -m 0700 "$out/runtime"
DISPLAY=:93 XDG_RUNTIME_DIR=$out/runtime XDG_CONFIG_HOME=$out/config lectra /usr/share/lectra/samples/ru-story.fb2 & rpid=$!
if window=$(DISPLAY=:93 timeout 20 xdotool search --sync --onlyvisible --pid "$rpid" | head -1); then
    echo "window $window: $(DISPLAY=:93 xdotool getwindowname "$window"), $(DISPLAY=:93 xdotool getwindowgeometry "$window" | tail -1 | xargs)"
else
    echo "no window"; exit 1
fi
kill -TERM "$rpid"; wait "$rpid" || true
echo "settings written to the user's folder: $(ls "$out/config/lectra" | xargs)"
echo "== purge"
apt-get purge -y -qq lectra >/dev/null
left=0
while read -r f; do [ -e "$f" ] && { echo "left: $f"; left=1; }; done < /tmp/lectra-files
[ "$left" -eq 0 ] && echo "nothing of the package is left ($(wc -l < /tmp/lectra-files) files removed)"
exit "$left"
