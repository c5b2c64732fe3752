#!/usr/bin/env bash
# Runs the plugin's test host under Wine as "wmplayer.exe", in a fresh folder beside a copy of
# tl_plugin.dll, so that the plugin's player folder is that folder. The user name Wine reports is made
# longer than the plugin's 50-character buffer. Usage: run-host.sh <host.exe> <tl_plugin.dll> [gtest args]
set -euo pipefail
host=$1 dll=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$host" "$work/wmplayer.exe"
cp "$dll" "$work/tl_plugin.dll"
cd "$work"
USER=listener_with_a_user_name_that_is_much_longer_than_fifty_chars wine ./wmplayer.exe "$@"
