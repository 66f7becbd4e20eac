#!/bin/sh
# The real window on an X display, started under another name as a link may
# start it: its class (WM_CLASS) is the one the desktop entry's
# StartupWMClass names, and it carries an icon for the taskbar.
#   window_identity.sh KOVOFLASH DESKTOP_ENTRY    (under xvfb-run)
set -eu
program=$1
entry=$2
folder=$(mktemp -d)
pid=
finish() {
  [ -z "$pid" ] || { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
  rm -rf "$folder"
}
trap finish EXIT
ln -s "$program" "$folder/other-name"
(cd "$folder" && exec ./other-name) &
pid=$!

window=
attempts=0
while [ -z "$window" ]; do
  attempts=$((attempts + 1))
  if [ "$attempts" -gt 300 ]; then echo "no window titled PC-KovoFlash within 30 s" >&2; exit 1; fi
  sleep 0.1
  window=$(xwininfo -root -children | awk '/"PC-KovoFlash/ { print $1; exit }')
done

class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = ".*", "\(.*\)"$/\1/p')
expected=$(sed -n 's/^StartupWMClass=//p' "$entry")
echo "WM_CLASS class: '$class'; StartupWMClass: '$expected'"
status=0
if [ -z "$expected" ] || [ "$class" != "$expected" ]; then
  echo "the window's class does not match the desktop entry's StartupWMClass" >&2
  status=1
fi
if ! xprop -id "$window" _NET_WM_ICON | head -c 100 | grep -q '^_NET_WM_ICON(CARDINAL)'; then
  echo "the window carries no icon (_NET_WM_ICON)" >&2
  status=1
fi
exit "$status"
