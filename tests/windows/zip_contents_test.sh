#!/usr/bin/env bash
# The Windows zip holds the program with exactly the DLLs it loads: every DLL a file in it
# imports is in it or is one of Windows' own (Wine's builtin DLLs stand for those), every DLL
# beside the program is imported by something, the plugins are the two Qt loads, and every
# file is stripped (stripping it again saves nothing).
# usage: zip_contents_test.sh ZIP OBJDUMP STRIP
set -euo pipefail
zip=$1
objdump=$2
strip=$3
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unzip -q "$zip" -d "$tmp"
cd "$tmp"/*/

expected="bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/libgcc_s_seh-1.dll
bin/libstdc++-6.dll bin/libwinpthread-1.dll bin/platforms/qwindows.dll
bin/styles/qwindowsvistastyle.dll bin/tastiva.exe"
actual=$(find . -type f -printf '%P\n' | LC_ALL=C sort)
[ "$actual" = "$(tr ' ' '\n' <<<"$expected" | LC_ALL=C sort)" ] || fail "the zip holds:
$actual"

system_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
imported=""
for pe in $actual; do
  "$strip" --strip-unneeded -o "$tmp/stripped" "$pe"
  [ "$(stat -c %s "$pe")" -eq "$(stat -c %s "$tmp/stripped")" ] || fail "$pe is not stripped"
  for dll in $("$objdump" -p "$pe" | awk '/DLL Name:/{print $3}'); do
    imported+=" $(tr 'A-Z' 'a-z' <<<"$dll")"
    [ -f "bin/$dll" ] || [ -f "$system_dlls/$(tr 'A-Z' 'a-z' <<<"$dll")" ] ||
      [[ $dll == api-ms-win-* ]] || # Windows' API sets, which Wine resolves inside ntdll
      fail "$pe imports $dll, which is neither in the zip nor a Windows DLL"
  done
done
for dll in bin/*.dll; do
  name=$(basename "$dll" | tr 'A-Z' 'a-z')
  grep -qwF -- "$name" <<<"$imported" || fail "nothing imports $dll"
done
echo "PASS: $(wc -w <<<"$actual") files, $(du -sh . | cut -f1) unpacked"
