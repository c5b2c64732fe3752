#!/usr/bin/env bash
# Runs a test program (under Wine) and takes X screenshots for it on the build machine's side:
#   screenshot-service.sh <command...>
# The program drops "<name>.request" files holding a crop geometry (WxH+X+Y of the screen) into
# $CANTREL_SHOT_DIR; each is answered with "<name>.ppm" (8-bit binary PPM), or "<name>.failed". The
# service ends with the command and removes its folder.
set -uo pipefail

dir=$(mktemp -d)
export CANTREL_SHOT_DIR="$dir"

serve() {
  while :; do
    for request in "$dir"/*.request; do
      [ -e "$request" ] || continue
      local name=${request%.request} geometry
      geometry=$(cat "$request")
      rm -f "$request"
      if [[ "$geometry" =~ ^[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+$ ]] &&
        import -silent -window root -depth 8 -crop "$geometry" +repage "ppm:$name.part" 2>/dev/null; then
        mv "$name.part" "$name.ppm"
      else
        rm -f "$name.part"
        touch "$name.failed"
      fi
    done
    sleep 0.05
  done
}

serve &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT

"$@"
