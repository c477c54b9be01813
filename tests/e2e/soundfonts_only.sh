#!/usr/bin/env bash
# Runs a command that sees only the SoundFonts given in /usr/share/sounds/sf2 and sf3 (where
# Debian keeps them, and where FluidSynth's own default points), in a mount namespace of its
# own: the machine's files stay as they are. Needs root (or CAP_SYS_ADMIN).
# usage: soundfonts_only.sh [PLACE=FILE | PLACE->TARGET]... -- COMMAND...
#   PLACE=FILE     the file FILE appears at PLACE (a path under /usr/share/sounds/sf2 or sf3)
#   PLACE->TARGET  PLACE is a symbolic link to TARGET, which may be missing
# The command replaces the script's process.
set -euo pipefail
entries=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  entries+=("$1")
  shift
done
[ $# -gt 1 ] || { echo "usage: soundfonts_only.sh [PLACE=FILE | PLACE->TARGET]... -- COMMAND..." >&2; exit 2; }
shift
stash=$(mktemp -d "${TMPDIR:-/tmp}/tastiva-soundfonts.XXXXXX")

exec unshare -m -- bash -c '
  set -euo pipefail
  stash=$1 n=$2
  entries=("${@:3:$n}")
  shift $((2 + n))
  # The files are bound to a stash first: once the folders are hidden they are out of reach.
  mount -t tmpfs tastiva-stash "$stash"
  for i in "${!entries[@]}"; do
    case "${entries[$i]}" in
      *"->"*) ;;
      *=*) touch "$stash/$i" && mount --bind "${entries[$i]#*=}" "$stash/$i" ;;
    esac
  done
  for dir in /usr/share/sounds/sf2 /usr/share/sounds/sf3; do
    mount -t tmpfs -o mode=755 tastiva-soundfonts "$dir"
  done
  for i in "${!entries[@]}"; do
    place=${entries[$i]%%=*}
    case "${entries[$i]}" in
      *"->"*) ln -s "${entries[$i]#*->}" "${entries[$i]%%->*}" ;;
      *=*) touch "$place" && mount --bind "$stash/$i" "$place" ;;
    esac
  done
  umount -l "$stash"
  rmdir "$stash"
  exec "$@"
' soundfonts_only "$stash" "${#entries[@]}" "${entries[@]}" "$@"
