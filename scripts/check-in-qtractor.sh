#!/usr/bin/env bash
# Checks the built Orbitrane.clap in a real host, by hand and never in CI:
# Qtractor (Debian's) on a virtual X display with a dummy JACK server, run
# in a temporary folder of its own (its autosaved sessions stay there). The
# plug-in goes on a MIDI (instrument) track through the track dialog's
# plug-in list, its editor opens, a click lands on it and a screenshot is
# taken. Qtractor, jackd, xdotool and ImageMagick are installed here only.
#
# Notes played through the track need Qtractor's engine, which needs the
# ALSA sequencer (the snd-seq kernel module, /dev/snd/seq): where it is
# missing, as in most containers, Qtractor starts no engine at all and the
# script says that nothing can be heard.
#
# usage: scripts/check-in-qtractor.sh [PLUGIN.clap] [OUT_DIR]
# Writes OUT_DIR/qtractor.png (the whole screen), OUT_DIR/editor.png (the
# plug-in's window), OUT_DIR/qtractor.log and OUT_DIR/windows.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
plugin="$(realpath "${1:-build/plugin_module/Orbitrane.clap}")"
out="$(mkdir -p "${2:-build/qtractor-check}" && realpath "${2:-build/qtractor-check}")"
[ -f "$plugin" ] || { echo "no plug-in at $plugin (build first)" >&2; exit 1; }

source scripts/setup.sh
# jackd2 asks about real-time priority while it installs.
export DEBIAN_FRONTEND=noninteractive
ob_install qtractor jackd2 xdotool imagemagick xvfb

work="$(mktemp -d)"
pids=()
stop() {
  # Only what this script started, newest first.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "${pids[i]}" 2>/dev/null || break; sleep 0.1; done
    kill -9 "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop EXIT

step() { echo "-- $*"; }
fail() {
  echo "check-in-qtractor: $* (the screen is in $out/failed.png)" >&2
  import -window root "$out/failed.png" 2>/dev/null || true
  exit 1
}

# A display number nobody uses.
display=90
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
step "Xvfb on $DISPLAY"
Xvfb "$DISPLAY" -screen 0 1600x1600x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!) && disown
for _ in $(seq 50); do xdotool getmouselocation > /dev/null 2>&1 && break; sleep 0.1; done

# A home of its own: a fresh Qtractor configuration and the plug-in in the
# standard CLAP folder.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" JACK_DEFAULT_SERVER="orbi-check-$$"
mkdir -p "$HOME/.clap" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cp "$plugin" "$HOME/.clap/"
step "jackd with the dummy driver"
jackd -d dummy -r 48000 -p 512 > "$work/jackd.log" 2>&1 &
pids+=($!) && disown
sleep 2
kill -0 "${pids[-1]}" 2>/dev/null || { cat "$work/jackd.log"; fail "jackd did not start"; }

step "Qtractor in $work/session"
mkdir -p "$work/session"
(cd "$work/session" && exec env CLAP_PATH="$HOME/.clap" qtractor) > "$out/qtractor.log" 2>&1 &
pids+=($!) && disown

# The first visible window whose name matches a bash regex, if any. The
# names are matched here, not by xdotool, whose pattern misses Qtractor's
# UTF-8 titles.
findWindow() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    [[ "$(xdotool getwindowname "$id" 2>/dev/null)" =~ $1 ]] && { echo "$id"; return 0; }
  done
  return 1
}
# Waits for one, at most 20 s; prints its id.
window() {
  for _ in $(seq 200); do
    findWindow "$1" && return 0
    sleep 0.1
  done
  fail "no window named like '$1'"
}
# Sets X, Y, WIDTH and HEIGHT of a window.
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }
# A click at (x, y) of a window; there is no window manager, so the
# pointer's window takes the keys.
clickIn() {
  geometry "$1"
  xdotool mousemove $((X + $2)) $((Y + $3)) click 1
  sleep 0.7
}

main="$(window ' — Qtractor$')"
sleep 2
# Without the ALSA sequencer Qtractor reports that its engine did not start.
if [ ! -e /dev/snd/seq ]; then
  step "no ALSA sequencer (/dev/snd/seq): Qtractor's engine does not run, nothing can be heard"
fi
if error="$(findWindow '^Error — Qtractor$')"; then
  step "dismissing: $(grep -m1 -o 'The audio/MIDI engine[^.]*' "$out/qtractor.log" || echo 'an error box')"
  geometry "$error"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return
  sleep 1
fi

step "Track > Add Track..., a MIDI track"
# Qt takes no keys without a window manager's focus: the menu by the pointer.
clickIn "$main" 97 8      # Track
clickIn "$main" 141 29    # Add Track...
track="$(window '^Track — Qtractor$')"
clickIn "$track" 98 150   # Type: MIDI
clickIn "$track" 96 20    # the Plugins tab
geometry "$track"
clickIn "$track" $((WIDTH - 65)) 55  # Add...
plugins="$(window '^Plugins — Qtractor$')"
geometry "$plugins"
clickIn "$plugins" $((WIDTH - 46)) 13  # the plug-in type list
xdotool key C Return                   # CLAP
sleep 2
step "Orbitrane from the CLAP list"
geometry "$plugins"
xdotool mousemove $((X + 36)) $((Y + 55)) click --repeat 2 --delay 80 1
editor="$(window '^Orbitrane')"
step "editor window $editor: $(xdotool getwindowname "$editor")"
sleep 2
child="$(xwininfo -children -id "$editor" | awk '/^ +0x/ { print $1; exit }')"
[ -n "$child" ] || fail "Qtractor's editor window holds no plug-in window"
step "the plug-in's window $child inside it"
step "a click on the bench"
clickIn "$editor" 480 470
sleep 1
# The plug-in takes the keyboard focus on a press: the click reached it.
focus="$(printf '0x%x' "$(xdotool getwindowfocus)")"
if [ "$((focus))" = "$((child))" ]; then step "the click reached the plug-in (it took the focus)"
else step "the focus is on $focus, not on the plug-in's window"; fi

import -window root "$out/qtractor.png"
import -window "$editor" "$out/editor.png"
xwininfo -root -tree > "$out/windows.txt"
grep -n -A3 "Orbitrane" "$out/windows.txt" | head -n 12
grep -i -E "orbi|clap" "$out/qtractor.log" | head -n 20 || true
rm -f "$out/failed.png"
step "pictures in $out"
