#!/usr/bin/env bash
# Runs a Windows program of the build under Wine with the recording MIDI driver as its MIDI
# mapper and numbered devices, in a prefix of its own.
# usage: with_recorder.sh DRIVER PREFIX_TEMPLATE WINE_RUN PROGRAM [ARGS...]
source "$(dirname "$0")/wine_lib.sh"
wine_init wine-recorder "$2"
mkdir "$RUN_TMP/bin"
cp "$4" "$RUN_TMP/bin/"
use_recorder "$1" "$RUN_TMP/bin"
timeout 100 "$3" "$RUN_TMP/bin/$(basename "$4")" "${@:5}"
