#!/usr/bin/env bash
# The reader in a real X window on a virtual screen: pages turned by real key presses, then Ctrl+Q
# quits cleanly (the window is closed from inside its own key event) and the place is saved.
#   x_window_test.sh READER BOOK
set -u
reader=$1 book=$2
command -v Xvfb >/dev/null && command -v xdotool >/dev/null ||
    { echo "skipped: Xvfb or xdotool is not installed"; exit 0; }
work=$(mktemp -d)
trap 'kill $xpid 2>/dev/null; kill -9 $rpid 2>/dev/null; rm -rf "$work"' EXIT
mkdir -m 0700 "$work/runtime" "$work/home"
cp "$book" "$work/book.fb2"
display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xpid=$!
for _ in $(seq 50); do xdotool getdisplaygeometry --display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display XDG_RUNTIME_DIR=$work/runtime LECTRA_HOME=$work/home LECTRA_TRACE=1
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
"$reader" "$work/book.fb2" 2> "$work/stderr" & rpid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$rpid" 2>/dev/null | head -1)
[ -n "$window" ] || { echo "no window"; cat "$work/stderr"; exit 1; }
for _ in $(seq 300); do grep -q first-page-ms "$work/stderr" && break; sleep 0.1; done
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key --delay 200 Next Next
for _ in $(seq 100); do [ "$(grep -c '^key 0x22' "$work/stderr")" -ge 2 ] && break; sleep 0.1; done
xdotool key ctrl+q
for _ in $(seq 300); do kill -0 "$rpid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$rpid" 2>/dev/null; then echo "Ctrl+Q did not end the reader"; exit 1; fi
wait "$rpid"; status=$?
cat "$work/stderr"
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
[ "$(grep -c '^key 0x22' "$work/stderr")" -eq 2 ] || { echo "two Page Down presses expected"; exit 1; }
position=$(sed -n 's/^FILE_POS_0=\([0-9]*\).*/\1/p' "$work/home/_recent.files.ini")
[ "${position:-0}" -gt 0 ] || { echo "the place was not saved"; cat "$work/home/_recent.files.ini"; exit 1; }
echo "ok: two pages on, quit, place $position saved"
