#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: the menu entry, its icons, the AppStream data, the
# manual page and the Debian doc files are in place, valid, and agree with each other, the
# program and the version.
# usage: install_tree_test.sh BUILD_DIR DEB_VERSION
set -euo pipefail
build=$1
deb_version=$2
version=${deb_version%-*}
tmp=$(mktemp -d /tmp/tastiva-install.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

timeout 60 cmake --install "$build" --prefix "$tmp/usr" >"$tmp/install.log" 2>&1 ||
  fail "cmake --install: $(cat "$tmp/install.log")"
share=$tmp/usr/share
[ -x "$tmp/usr/bin/tastiva" ] || fail "no bin/tastiva"
# The program loads the synthesizer and the system's ports from beside its own folder.
for name in synth ports; do
  module=$(find "$tmp/usr/lib" -path "*/tastiva/libtastiva-$name.so")
  [ -f "$module" ] || fail "no $name module in $tmp/usr/lib"
  ! ldd "$module" | grep "not found" || fail "$module lacks libraries"
done

entries=("$share"/applications/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || fail "not one desktop entry: ${entries[*]}"
desktop=${entries[0]}
app_id=$(basename "$desktop" .desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
key() { sed -n "s/^$1=//p" "$desktop"; }
program=$(key Exec | cut -d' ' -f1)
[ -x "$tmp/usr/bin/$program" ] || fail "Exec=$program is not an installed program"
icon=$(key Icon)
for size in 16 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/$icon.png
  [ -f "$png" ] || fail "no icon $png"
  [ "$(identify -format %wx%h "$png")" = "${size}x$size" ] || fail "$png is not ${size}x$size"
done
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon"

metainfo=$share/metainfo/$app_id.metainfo.xml
[ -f "$metainfo" ] || fail "no $metainfo"
# validate-tree also checks the metainfo against the installed desktop entry. Any info,
# warning or error fails; of the pedantic hints only the capital in the ID is let pass: the ID
# also names the desktop entry and the icons.
report=$(cd "$tmp" && appstreamcli validate-tree --pedantic --strict --no-net --format yaml "$tmp/usr") ||
  fail "appstreamcli validate-tree: $report"
hints=$(sed -n 's/^- tag: //p' <<<"$report" | grep -vx cid-contains-uppercase-letter || true)
[ -z "$hints" ] || fail "AppStream hints: $hints"
grep -q "<id>$app_id</id>" "$metainfo" || fail "AppStream id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "AppStream launchable is not $app_id.desktop"
grep -q "<binary>$program</binary>" "$metainfo" || fail "AppStream does not provide $program"
# The screenshot is the README's, at the homepage's raw address, with its real size.
homepage=$(sed -n 's|.*<url type="homepage">\(.*\)</url>.*|\1|p' "$metainfo")
repo=${homepage#https://github.com/}
[ -n "$repo" ] && [ "$repo" != "$homepage" ] || fail "AppStream homepage '$homepage' is no GitHub project"
image=$(grep -o '<image type="source"[^<]*</image>' "$metainfo") || fail "no AppStream screenshot"
url=$(sed 's|.*>\(.*\)</image>|\1|' <<<"$image")
path=${url#"https://raw.githubusercontent.com/$repo/main/"}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
[ "$path" != "$url" ] && [ -f "$source_dir/$path" ] || fail "screenshot $url is not a file of the tree"
grep -q "($path)" "$source_dir/README.md" || fail "the README does not show $path"
size=$(sed 's|.*width="\([0-9]*\)" height="\([0-9]*\)".*|\1x\2|' <<<"$image")
[ "$(identify -format %wx%h "$source_dir/$path")" = "$size" ] || fail "$path is not $size"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "newest AppStream release is $newest, the project is $version"

doc=$share/doc/tastiva
[ -s "$doc/copyright" ] || fail "no copyright file"
top=$(gzip -dc "$doc/changelog.Debian.gz" | head -1)
[ "$top" = "tastiva ($deb_version) unstable; urgency=medium" ] ||
  fail "changelog.Debian starts '$top', the package is $deb_version"
gzip -dc "$share/man/man1/$program.1.gz" | grep -q "^\.TH TASTIVA 1 .*\"Tastiva $version\"" ||
  fail "no manual page for $version"
echo PASS
