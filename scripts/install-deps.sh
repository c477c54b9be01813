#!/usr/bin/env bash
# Installs the Debian packages the project needs, one list per purpose:
#
#   ./scripts/install-deps.sh run              building and running the program (run.sh)
#   ./scripts/install-deps.sh run test         ... and its tests and benchmarks
#   ./scripts/install-deps.sh                  everything (test.sh)
#
# Purposes: run, test, windows, package, all. Idempotent; run as root on Debian 12.
set -euo pipefail

# Building the program and its synthesizer module, and what they need at run time.
run=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libxcb-xkb-dev libxkbcommon-dev libxkbcommon-x11-dev libwayland-dev
  libfontconfig-dev librtmidi-dev libfluidsynth-dev libjack-jackd2-dev libasound2-dev libpulse-dev
  # Qt's X11 platform, sound out of the box, and Arial's metrics for the window and its pictures
  qt6-qpa-plugins timgm6mb-soundfont fonts-liberation
)

# The tests and benchmarks: their libraries, the servers and instruments they start, and
# the code style.
test=(
  clang-format libqt6test6 libx11-dev libxtst-dev googletest libgtest-dev libbenchmark-dev
  jackd2 xvfb xdotool x11-utils imagemagick faketime procps
  # a window manager that weighs a program's request to come to the front
  openbox
  # the other SoundFonts the synthesizer is tested and measured with (FluidR3: 120 MB to
  # download, MuseScore General .sf3: 34 MB), and FluidSynth's command line as the reference
  fluid-soundfont-gm musescore-general-soundfont-small fluidsynth
  # looking at the window under a dark theme
  qt6ct
  # key captions under other layouts, read through the accessibility bus
  x11-xkb-utils dbus at-spi2-core python3-pyatspi
  # the program on Wayland: Qt's platform and a compositor that runs without a display
  qt6-wayland weston
  # the stream's name in the mixers of PulseAudio and PipeWire
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber
  # a newcomer's first run measured in a fresh minimal system (scripts/first-run.sh)
  debootstrap
)

# The Windows build, tested under Wine; its zip and installer; Qt for Windows, built from
# Debian's qt6-base source (scripts/build-qt-windows.sh).
windows=(
  g++-mingw-w64-x86-64-posix wine wine64 nsis unzip xclip icoutils
  gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools patch xz-utils
)

# Building and checking the .deb.
package=(dpkg-dev file lintian desktop-file-utils appstream)

[ $# -gt 0 ] || set -- all
packages=()
for purpose in "$@"; do
  case "$purpose" in
    run | test | windows | package)
      declare -n list=$purpose
      packages+=("${list[@]}")
      unset -n list
      ;;
    all) packages+=("${run[@]}" "${test[@]}" "${windows[@]}" "${package[@]}") ;;
    *)
      echo "install-deps: unknown purpose '$purpose' (run, test, windows, package, all)" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  # Two runs at once on a fresh machine: apt takes one at a time, the other waits its turn.
  exec 8>/tmp/tastiva-install-deps.lock
  flock -w 1800 8 || { echo "install-deps: another install held the lock for 30 minutes" >&2; exit 1; }
  # jackd2 asks about realtime priority; answer once, non-interactively.
  if [[ " ${missing[*]} " == *" jackd2 "* ]]; then
    echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
  fi
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi
