#!/usr/bin/env bash
# The install test: builds the Debian package, unpacks it into a temporary root (dpkg -x), checks its layout,
# its desktop entry and AppStream data, then starts the installed program under a private Xvfb and session
# bus with mpv playing a song that has timed lyrics, and looks for the lit current line in a screenshot. A
# second start must bring the first to the front and end.
#
#   check-install.sh BUILD-DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# A sanitizer build's program reports the leaks of the libraries it ends with: not this test's concern.
export ASAN_OPTIONS=detect_leaks=0

# ---- the package ------------------------------------------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/package/cantrel_*.deb)
dpkg-deb -f "$deb" Package | grep -qx cantrel || fail "package name"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6' || fail "no Qt in Depends: $(dpkg-deb -f "$deb" Depends)"
root="$work/root"
dpkg -x "$deb" "$root"

# ---- its layout -------------------------------------------------------------------------------------------
lib=$(dirname "$(find "$root/usr/lib" -path '*/cantrel/cantrel' -type f | head -n1)")
[ -x "$lib/cantrel" ] || fail "no program under usr/lib"
[ -L "$root/usr/bin/cantrel" ] || fail "usr/bin/cantrel is not a link"
[ "$(readlink -f "$root/usr/bin/cantrel")" = "$lib/cantrel" ] || fail "usr/bin/cantrel points elsewhere"
[ "$(ls "$lib"/Cantrel/charset_*.gsf | wc -l)" = 8 ] || fail "font files missing"
if [ -n "$(find "$build" -maxdepth 3 -name CantrelAgent -type f -perm -u+x 2>/dev/null | head -n1)" ]; then
  [ -x "$lib/Cantrel/CantrelAgent" ] || fail "the search agent is missing"
  [ -s "$lib/Cantrel/Filters.ini" ] || fail "the search agent's site list is missing"
fi
desktop="$root/usr/share/applications/org.example.Cantrel.desktop"
metainfo="$root/usr/share/metainfo/org.example.Cantrel.metainfo.xml"
for f in "$desktop" "$metainfo" "$root/usr/share/icons/hicolor/scalable/apps/cantrel.svg" \
  "$root/usr/share/doc/cantrel/copyright"; do
  [ -s "$f" ] || fail "missing $f"
done
for size in 16 24 32 48 64 128 256; do
  [ "$(identify -format '%m %wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/cantrel.png")" = \
    "PNG ${size}x${size}" ] || fail "icon ${size}x${size}"
done
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

# ---- the installed program --------------------------------------------------------------------------------
"$root/usr/bin/cantrel" --version | grep -qx "Cantrel [0-9.]*" || fail "--version"
"$root/usr/bin/cantrel" --help | grep -q -- "--version" || fail "--help"

# As installed by the system: the program's folder cannot be written, so the settings are read from and kept
# under XDG.
chmod -R a-w "$root/usr"
home="$work/home"
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/Cantrel" "$work/lyrics" "$work/music"
chmod 700 "$XDG_RUNTIME_DIR"
artist="Install Test"
title="Lit Lines"
cat >"$XDG_DATA_HOME/Cantrel/Settings.ini" <<INI
[General]
FontSize=22
Charset=charset_english
[Files]
LyricsDir=$work/lyrics
[Lyrics]
SearchInternet=0
INI
# Root may write the program's folder all the same, and the settings then stay there: the same settings go
# there too.
if [ "$(id -u)" = 0 ]; then
  cp "$XDG_DATA_HOME/Cantrel/Settings.ini" "$lib/Cantrel/Settings.ini"
fi
{
  for i in $(seq 0 29); do printf '[%02d:%02d.00]LINE NUMBER %d OF THE INSTALL TEST\n' $((i / 60)) $((i % 60)) "$i"; done
} >"$work/lyrics/$artist - $title.lrc"
sox -r 44100 -c 2 -n --comment "ARTIST=$artist" --add-comment "TITLE=$title" "$work/music/song.ogg" \
  synth 30 sine 440 vol 0.1

cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
bus=$(dbus-daemon --config-file="$work/bus.conf" --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
pids+=("$(sed -n 2p <<<"$bus")")
export NO_AT_BRIDGE=1 QT_ACCESSIBILITY=0

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"

plugin=$(dpkg -L mpv-mpris 2>/dev/null | grep '/mpris\.so$' | head -n1)
[ -n "$plugin" ] || fail "the mpv-mpris plugin is missing"
mpv --no-config --no-terminal --vo=null --ao=null --idle=no --loop-file=inf --script="$plugin" \
  -- "$work/music/song.ogg" >"$work/mpv.log" 2>&1 &
pids+=($!)

"$root/usr/bin/cantrel" >"$work/cantrel.log" 2>&1 &
program=$!
pids+=("$program")

# The lit line: the yellow of the current line, counted in screenshots until it shows.
lit=0
for _ in $(seq 30); do
  sleep 1
  kill -0 "$program" 2>/dev/null || { cat "$work/cantrel.log" >&2; fail "the program ended"; }
  timeout 10 import -display "$DISPLAY" -window root "$work/shot.png" 2>/dev/null || continue
  lit=$(convert "$work/shot.png" -fuzz 20% -fill white -opaque '#ffff00' -fill black +opaque white \
    -format '%[fx:round(mean*w*h)]' info: 2>/dev/null || echo 0)
  [ "$lit" -gt 200 ] && break
done
[ "$lit" -gt 200 ] || { cp "$work/shot.png" "$build/install-test-shot.png" 2>/dev/null || true; fail "no lit lyric line on screen ($lit yellow pixels)"; }
echo "lit lyric pixels: $lit"
cp "$work/shot.png" "$build/install-test-shot.png" 2>/dev/null || true

# The settings went under XDG (the settings given there were read: the lyrics came from their folder). Root
# may write the program's folder all the same, so that part holds for other users only.
if [ "$(id -u)" != 0 ]; then
  [ -d "$XDG_DATA_HOME/Cantrel/lyrics" ] || fail "no settings folder under XDG_DATA_HOME"
  [ ! -e "$lib/Cantrel/lyrics" ] || fail "wrote into the program's folder"
fi

# A second start shows the first and ends; the first runs on.
start=$(date +%s)
timeout 20 "$root/usr/bin/cantrel" >"$work/second.log" 2>&1 || fail "the second start failed ($?)"
[ $(($(date +%s) - start)) -lt 10 ] || fail "the second start took too long"
kill -0 "$program" 2>/dev/null || fail "the first start ended"
echo "install test passed"
