#!/usr/bin/env bash
# The reader in a Wayland session: a headless compositor, the reader on Qt's Wayland platform,
# its first page painted and shown (the compositor's screenshot holds the page), then it is ended.
#   wayland_window_test.sh READER BOOK [SCREENSHOT.png]
set -u
reader=$1 book=$2 keep=${3:-}
command -v weston >/dev/null && command -v weston-screenshooter >/dev/null ||
    { echo "skipped: weston or weston-screenshooter is not installed"; exit 0; }
work=$(mktemp -d)
trap 'kill $wpid $rpid 2>/dev/null; rm -rf "$work"' EXIT
mkdir -m 0700 "$work/runtime" "$work/home"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home LECTRA_HOME=$work/home LECTRA_TRACE=1
socket=lectra-test-$$
weston --backend=headless-backend.so --use-pixman --width=800 --height=900 --socket="$socket" \
    --debug --idle-time=0 > "$work/weston.log" 2>&1 & wpid=$!
for _ in $(seq 100); do [ -S "$work/runtime/$socket" ] && break; sleep 0.1; done
[ -S "$work/runtime/$socket" ] || { echo "the compositor did not start"; cat "$work/weston.log"; exit 1; }
unset DISPLAY DBUS_SESSION_BUS_ADDRESS
export WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland
(cd "$work" && weston-screenshooter >/dev/null 2>&1)
empty=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | head -1)
[ -n "$empty" ] || { echo "the compositor takes no screenshot"; cat "$work/weston.log"; exit 1; }
mv "$empty" "$work/empty.png"
"$reader" "$book" 2> "$work/stderr" & rpid=$!
for _ in $(seq 600); do grep -q first-page-ms "$work/stderr" && break; sleep 0.1; done
grep -q first-page-ms "$work/stderr" || { echo "no page was painted"; cat "$work/stderr"; exit 1; }
sleep 1
kill -0 "$rpid" 2>/dev/null || { echo "the reader ended"; cat "$work/stderr"; exit 1; }
(cd "$work" && weston-screenshooter >/dev/null 2>&1)
shot=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | head -1)
[ -n "$shot" ] || { echo "no screenshot"; exit 1; }
# The desktop with the window holds far more than the empty desktop: the page's text.
before=$(stat -c %s "$work/empty.png") after=$(stat -c %s "$shot")
[ "$after" -gt $((before + 20000)) ] || { echo "the window does not show ($before → $after bytes)"; exit 1; }
[ -n "$keep" ] && cp "$shot" "$keep"
echo "ok: the first page painted in $(sed -n 's/.*first-page-ms \([0-9]*\).*/\1/p' "$work/stderr" | head -1) ms and shown under Wayland"
