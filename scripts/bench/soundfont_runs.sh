#!/usr/bin/env bash
# The runs of figure 7 for one SoundFont, inside a mount namespace where it is the only one
# (tests/e2e/soundfonts_only.sh); started by soundfonts.sh, which reads what they append.
# usage: soundfont_runs.sh PREFIX SOUNDFONT   (SOUND_READY, TASTIVA, BARE, IDLE_CLIENT, SOUND_RUNS,
#        IDLE_RUNS, IDLE_SECONDS, BENCH_FAKETIME from the environment; FluidSynth alone plays SOUNDFONT)
set -euo pipefail
prefix=$1
font=$2
# No notice: the days ahead scripts/bench/lib.sh chose.
fake=(-e 'LD_PRELOAD=/usr/$LIB/faketime/libfaketime.so.1' -e "FAKETIME=$BENCH_FAKETIME"
  -e FAKETIME_DONT_FAKE_MONOTONIC=1)
# FluidSynth alone with the program's settings, its outputs connected to the system's playback
# ports; it plays the lines sound_ready writes to its stdin.
fluid=("$IDLE_CLIENT" fluidsynth bench-fluid "$font")
# The key Z (note 60); entry 2 of the instrument list (Bright Acoustic Piano) is at 450,36.
for _ in $(seq "$SOUND_RUNS"); do
  "$SOUND_READY" "${fake[@]}" --hold 3 -- "$BARE" >>"$prefix.bare"
  "$SOUND_READY" "${fake[@]}" --ports '^Tastiva(-[0-9]+)?:(left|right)$' --key 52 --hold 3 \
    --switch 450,36 -- "$TASTIVA" >>"$prefix.tastiva"
  # The key held from the moment the window maps, as an eager player would.
  "$SOUND_READY" "${fake[@]}" --ports '^Tastiva(-[0-9]+)?:(left|right)$' --key 52 --at-map \
    -- "$TASTIVA" >>"$prefix.held"
  "$SOUND_READY" --no-window --ports '^bench-fluid(-[0-9]+)?:(left|right)$' \
    --say 'noteon 0 60 127' --unsay 'noteoff 0 60' --hold 3 -- "${fluid[@]}" >>"$prefix.fluid"
done
# Idle: side by side, each process's own CPU time, once its start-up work is long done. The
# two take turns starting first: of two FluidSynths alike, the one started first used 0.3 to 1.5 %
# of a core more.
idle_tastiva() { "$SOUND_READY" "${fake[@]}" --hold 8 --cpu "$IDLE_SECONDS" -- "$TASTIVA" >>"$prefix.idle-tastiva"; }
idle_fluid() { "$SOUND_READY" --no-window --hold 8 --cpu "$IDLE_SECONDS" -- "${fluid[@]}" >>"$prefix.idle-fluid"; }
for i in $(seq "$IDLE_RUNS"); do
  if [ $((i % 2)) -eq 1 ]; then
    idle_tastiva &
    idle_fluid
  else
    idle_fluid &
    idle_tastiva
  fi
  wait
done
