#!/usr/bin/env bash
# vexa.exe is one file a player can run anywhere: it imports only Windows' own libraries, and
# carries its icon at every size the game has and its version for Properties.
# Usage: exe_file.sh VEXA_EXE SOURCE_DIR VERSION
set -euo pipefail
exe=$1 src=$2 version=$3
status=0
while read -r dll; do
  case ${dll,,} in
    kernel32.dll | user32.dll | gdi32.dll | winmm.dll | msvcrt.dll | shell32.dll | ole32.dll | advapi32.dll) ;;
    *) echo "FAIL: vexa.exe needs $dll, which Windows does not bring"; status=1 ;;
  esac
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p')
# Each icon picture is inside, whole.
for png in "$src"/dat/icons/vexa-*.png; do
  if ! grep -qF -f <(head -c 64 "$png" | od -An -tx1 | tr -d ' \n') <(od -An -tx1 -v "$exe" | tr -d ' \n'); then
    echo "FAIL: the icon $(basename "$png") is not in vexa.exe"; status=1
  fi
done
# The version string, as Windows stores it (UTF-16).
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n'; }
if ! od -An -tx1 -v "$exe" | tr -d ' \n' | grep -qF "$(utf16 "$version")"; then
  echo "FAIL: vexa.exe does not carry its version $version"; status=1
fi
[ $status = 0 ] && echo "vexa.exe: $(stat -c %s "$exe") bytes, system libraries only, icon and version inside"
exit $status
