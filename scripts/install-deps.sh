#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent; run as root on Debian 12.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang-format
  # libraries
  qt6-base-dev qt6-qpa-plugins libqt6test6 libgl-dev libx11-dev libxcb-xkb-dev librtmidi-dev libfluidsynth-dev libjack-jackd2-dev
  libasound2-dev libxkbcommon-dev libxkbcommon-x11-dev libwayland-dev libfontconfig-dev
  # sound out of the box
  timgm6mb-soundfont fonts-liberation
  # the other SoundFonts the synthesizer is tested and measured with (FluidR3: 120 MB to
  # download, MuseScore General .sf3: 34 MB), and FluidSynth's command line as the reference
  fluid-soundfont-gm musescore-general-soundfont-small fluidsynth
  # tests and benchmarks
  googletest libgtest-dev libbenchmark-dev
  jackd2 xvfb xdotool x11-utils imagemagick faketime procps libxtst-dev
  # looking at the window under a dark theme
  qt6ct
  # key captions under other layouts, read through the accessibility bus
  x11-xkb-utils dbus at-spi2-core python3-pyatspi
  # the program on Wayland: Qt's platform and a compositor that runs without a display
  qt6-wayland weston
  # Windows build, tested under Wine; its zip and installer
  g++-mingw-w64-x86-64-posix wine wine64 nsis unzip xclip icoutils
  # Qt for Windows, built from Debian's qt6-base source (scripts/build-qt-windows.sh)
  gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools patch xz-utils
  # packaging: building and checking the .deb
  dpkg-dev file lintian desktop-file-utils appstream
)

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
  echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi
