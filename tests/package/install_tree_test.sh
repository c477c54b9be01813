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

entries=("$share"/applications/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || fail "not one desktop entry: ${entries[*]}"
desktop=${entries[0]}
app_id=$(basename "$desktop" .desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
key() { sed -n "s/^$1=//p" "$desktop"; }
program=$(key Exec | cut -d' ' -f1)
[ -x "$tmp/usr/bin/$program" ] || fail "Exec=$program is not an installed program"
icon=$(key Icon)
for size in 48 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/$icon.png
  [ -f "$png" ] || fail "no icon $png"
  [ "$(identify -format %wx%h "$png")" = "${size}x$size" ] || fail "$png is not ${size}x$size"
done
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon"

metainfo=$share/metainfo/$app_id.metainfo.xml
[ -f "$metainfo" ] || fail "no $metainfo"
# validate-tree also checks the metainfo against the installed desktop entry.
(cd "$tmp" && appstreamcli validate-tree --no-net "$tmp/usr") || fail "appstreamcli validate-tree"
grep -q "<id>$app_id</id>" "$metainfo" || fail "AppStream id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "AppStream launchable is not $app_id.desktop"
grep -q "<binary>$program</binary>" "$metainfo" || fail "AppStream does not provide $program"
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
