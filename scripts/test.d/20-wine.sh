#!/usr/bin/env bash
# The Windows build: the Windows libraries (scripts/windows-deps, cached outside the source tree), then the
# cross build with MinGW-w64 (cantrel.exe, the plugin, the tests) and cantrel-windows.zip, and the tests run
# under Wine in a fresh prefix on a private Xvfb display (Wine cannot create windows without one). The
# display and the prefix come first because the build itself runs the font maker under Wine. Prints how long
# each part took. Leaves nothing running.
set -euo pipefail
cd "$(dirname "$0")/../.."

step_start=$SECONDS
took() {
  echo "== wine step: $1 took $((SECONDS - step_start)) s"
  step_start=$SECONDS
}

deps=$(scripts/windows-deps | tail -n1)
took "Windows libraries"

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  # Every Wine process of our prefix (the tests' players included), then the display.
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$work/prefix" wineserver -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="${HOME:-$work}"
unset WAYLAND_DISPLAY
timeout 600 wineboot -i >/dev/null 2>&1
took "Wine prefix"

cmake -S . -B build-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DCANTREL_WINDOWS_DEPS="$deps"
cmake --build build-mingw
cmake --build build-mingw --target package
took "cross build and cantrel-windows.zip"

ctest --test-dir build-mingw -L wine --output-on-failure --timeout 300
took "tests under Wine"
