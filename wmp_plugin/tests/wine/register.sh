#!/usr/bin/env bash
# Registers and unregisters a copy of tl_plugin.dll with Wine's regsvr32, reads the registry back with
# "wine reg query", and checks through addremove_listener that each run broadcast "WMPlayer_PluginAddRemove".
# Usage: register.sh <addremove_listener.exe> <tl_plugin.dll>
set -euo pipefail
listener=$1 dll=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$listener" "$work/listener.exe"
cp "$dll" "$work/tl_plugin.dll"
cd "$work"

clsid='{3E613981-B55A-41E4-878B-27EB936EA401}'
class_key="HKCR\\CLSID\\$clsid"
plugins="HKLM\\SOFTWARE\\Microsoft\\MediaPlayer\\UIPlugins"
dll_path=$(winepath -w "$work/tl_plugin.dll" 2>/dev/null | tr -d '\r')
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
exists() { wine reg query "$1" >/dev/null 2>&1; }
# expect_value <key> <value name or (Default)> <type> <data>
expect_value() {
  local line
  line=$(query "$1" | grep -F -- "    $2    " || true)
  [ "$line" = "    $2    $3    $4" ] || fail "$1 [$2]: expected '$3 $4', got '${line# }'"
}
run_listened() {
  local out
  out=$(wine ./listener.exe "$@" | tr -d '\r')
  [ "$out" = "broadcasts=1 exit=0" ] || fail "'$*': expected one broadcast and success, got '$out'"
}

# Leftovers of an older registration, which ForceRemove must clear.
wine reg add "$class_key\\Stale" /f >/dev/null 2>&1
wine reg add "$plugins\\$clsid" /v Old /d x /f >/dev/null 2>&1

run_listened regsvr32 /s "$dll_path"
expect_value "$class_key" "(Default)" REG_SZ "Tl_plugin Class"
expect_value "$class_key\\InprocServer32" "(Default)" REG_SZ "$dll_path"
expect_value "$class_key\\InprocServer32" ThreadingModel REG_SZ Apartment
expect_value "$plugins\\$clsid" FriendlyName REG_SZ "res://tl_plugin.dll/RT_STRING/#102"
expect_value "$plugins\\$clsid" Description REG_SZ "res://tl_plugin.dll/RT_STRING/#103"
expect_value "$plugins\\$clsid" Capabilities REG_DWORD 0xc0000001
exists "$class_key\\Stale" && fail "the old subkey of the class key survived registration"
query "$plugins\\$clsid" | grep -q "    Old    " && fail "the old value of the plugin key survived registration"
[ "$(query "$class_key" /s | grep -c '^HKEY')" = 2 ] || fail "the class key holds more than InprocServer32"

# Registering again over the existing entries gives the same result.
run_listened regsvr32 /s "$dll_path"
expect_value "$plugins\\$clsid" Capabilities REG_DWORD 0xc0000001

run_listened regsvr32 /u /s "$dll_path"
exists "$class_key" && fail "the class key survived unregistration"
exists "$plugins\\$clsid" && fail "the plugin key survived unregistration"
for key in "HKCR\\CLSID" "$plugins" "HKLM\\SOFTWARE\\Microsoft\\MediaPlayer" "HKLM\\SOFTWARE\\Microsoft"; do
  exists "$key" || fail "$key was removed"
done

# Unregistering what is not registered still succeeds and broadcasts.
run_listened regsvr32 /u /s "$dll_path"

[ "$failures" = 0 ] || exit 1
echo "registration checks passed"
