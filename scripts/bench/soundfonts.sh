# 7: the built-in synthesizer with TimGM6mb, FluidR3_GM and MuseScore_General (.sf3), each
# shown to the program as the only SoundFont (as Debian's default-GM link), and the three as a
# desktop with all of them installed has them (default-GM.sf2 -> FluidR3, default-GM.sf3 ->
# MuseScore General, FluidSynth's own default), side by side with floors taken in the same
# namespace: the bare window, and FluidSynth alone on JACK with the same SoundFont and
# settings (its default, the .sf3, for the desktop). Runs scripts/bench/soundfont_runs.sh once
# for each.
log "SoundFonts: $SOUND_RUNS start-ups each of the program, the bare window and FluidSynth; $IDLE_RUNS idle runs"
export SOUND_READY TASTIVA BARE IDLE_CLIENT SOUND_RUNS IDLE_RUNS IDLE_SECONDS
sf=/usr/share/sounds
tim=$sf/sf2/TimGM6mb.sf2 fluidr3=$sf/sf2/FluidR3_GM.sf2 muse=$sf/sf3/MuseScore_General_Lite.sf3
for font in "$tim" "$fluidr3" "$muse" desktop; do
  if [ "$font" = desktop ]; then
    name=desktop
    shown=("$tim=$tim" "$fluidr3=$fluidr3" "$muse=$muse" "$sf/sf2/default-GM.sf2->$fluidr3"
      "$sf/sf3/default-GM.sf3->$muse")
    font=$muse
  else
    [ -f "$font" ] || fail "$font is not installed"
    name=$(basename "${font%.*}")
    shown=("$font=$font" "$(dirname "$font")/default-GM.${font##*.}->$font")
  fi
  "$ROOT/tests/e2e/soundfonts_only.sh" "${shown[@]}" -- \
    bash "$FIGURES/soundfont_runs.sh" "$RUN_TMP/sf-$name" "$font"
  log "  $name: $(field ready_ms "$RUN_TMP/sf-$name.tastiva" | tr '\n' ' ')ms to sound"

  p=$RUN_TMP/sf-$name
  map_t=$(field map_ms "$p.tastiva" | stats)
  map_b=$(field map_ms "$p.bare" | stats)
  ready_t=$(field ready_ms "$p.tastiva" | stats)
  ready_f=$(field ready_ms "$p.fluid" | stats)
  own() { paste -d' ' <(field rss_kb "$1") <(field shmem_kb "$1") | awk '{ print $1 - $2 }'; }
  own_t=$(own "$p.tastiva" | stats)
  own_b=$(own "$p.bare" | stats)
  own_f=$(own "$p.fluid" | stats)
  idle_t=$(field cpu_ms "$p.idle-tastiva" | stats)
  idle_f=$(field cpu_ms "$p.idle-fluid" | stats)
  key_t=$(field key_ms "$p.tastiva" | stats)
  held_t=$(field ready_ms "$p.held" | stats)
  switch_t=$(field switch_ms "$p.tastiva" | stats)
  mt=$(median_of "$map_t")
  mb=$(median_of "$map_b")
  floor=$(awk -v a="$mb" -v b="$(median_of "$ready_f")" 'BEGIN { print a + b }')
  rt=$(median_of "$ready_t")
  row 7 "| 7. $name: exec → main window mapped | $(cell "$map_t" ms 1 1 minmax) | bare window: $(cell "$map_b" ms 1 1 minmax) | ≤ 1.5× floor (now $(awk -v a="$mt" -v b="$mb" 'BEGIN { printf "%.2f", a / b }')×) | $(yes_if "$mt <= 1.5 * $mb") |"
  row 7 "| 7. $name: exec → synthesizer can sound (key held from its ports' appearance) | $(cell "$ready_t" ms 1 1 minmax) | FluidSynth alone: $(cell "$ready_f" ms 1 1 minmax); with the bare window: $(printf %.1f "$floor") ms | ≤ 1.2× (now $(awk -v a="$rt" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')×) | $(yes_if "$rt <= 1.2 * $floor") |"
  case $name in
    TimGM6mb) budget=25000 ;;
    FluidR3_GM) budget=45000 ;;
    *) budget="" ;;
  esac
  goal="—" met="—"
  if [ -n "$budget" ]; then
    goal="≤ bare window + $((budget / 1000)) MB (now +$(awk -v a="$(median_of "$own_t")" -v b="$(median_of "$own_b")" 'BEGIN { printf "%.1f", (a - b) / 1000 }') MB)"
    met=$(yes_if "$(median_of "$own_t") <= $(median_of "$own_b") + $budget")
  fi
  row 7 "| 7. $name: VmRSS − RssShmem 3 s after exec | $(cell "$own_t" MB 0.001 1 minmax) | bare window: $(cell "$own_b" MB 0.001 1 minmax); FluidSynth alone: $(cell "$own_f" MB 0.001 1 minmax) | $goal | $met |"
  # cpu_ms over IDLE_SECONDS -> % of a core
  pct=$(awk -v s="$IDLE_SECONDS" 'BEGIN { print 0.1 / s }')
  it=$(median_of "$idle_t")
  itf=$(median_of "$idle_f")
  row 7 "| 7. $name: idle CPU over ${IDLE_SECONDS} s, from 8 s after exec | $(cell "$idle_t" "% of a core" "$pct" 3 minmax) | FluidSynth alone: $(cell "$idle_f" "% of a core" "$pct" 3 minmax) | ≤ 0.25× FluidSynth alone (now $(awk -v a="$it" -v b="$itf" 'BEGIN { printf "%.2f", a / b }')×) | $(yes_if "$it <= 0.25 * $itf") |"
  row 7 "| 7. $name: exec → first sound of a key held from the window's map | $(cell "$held_t" ms 1 1 minmax) | FluidSynth alone, key from its ports: $(cell "$ready_f" ms 1 1 minmax) | ≤ 250 ms | $(yes_if "$(median_of "$held_t") <= 250") |"
  row 7 "| 7. $name: instrument 2 chosen by a click, key pressed at once → first sound | $(cell "$switch_t" ms 1 1 minmax) | the key alone: $(cell "$key_t" ms 1 1 minmax) | ≤ 50 ms | $(yes_if "$(median_of "$switch_t") <= 50") |"
done
