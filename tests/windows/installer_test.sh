#!/usr/bin/env bash
# The Windows installer under Wine: a silent install puts the program with its icon (every
# size) into Program Files, with a Start-menu entry, an uninstaller and an uninstall record;
# started from its entry the program shows its window; a silent uninstall takes all of it away
# again.
# usage: installer_test.sh INSTALLER PREFIX_TEMPLATE
source "$(dirname "$0")/wine_lib.sh"
wine_init wine-installer "$2"
dir="$WINEPREFIX/drive_c/Program Files/Tastiva"
record='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tastiva'
entries() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Tastiva*' 2>/dev/null || true; }
has_record() { wine reg query "$record" /v UninstallString >/dev/null 2>&1; }

timeout 120 wine "$1" /S || fail "the installer ended with status $?"
[ -f "$dir/bin/tastiva.exe" ] || fail "no bin/tastiva.exe in $dir: $(ls -R "$dir" 2>&1)"
[ -f "$dir/Uninstall.exe" ] || fail "no uninstaller in $dir"
# Its icon in every size Explorer and the Start menu ask for.
wrestool -x --type=14 "$dir/bin/tastiva.exe" >"$RUN_TMP/exe.ico" 2>/dev/null || true
sizes=$(icotool -l "$RUN_TMP/exe.ico" 2>/dev/null | sed -n 's/.*--width=\([0-9]*\).*/\1/p' |
  sort -n | paste -sd' ')
[ "$sizes" = "16 24 32 48 64 128 256" ] || fail "tastiva.exe's icon has the sizes '$sizes'"
entry=$(entries | grep '/Tastiva\.lnk$' || true)
[ -n "$entry" ] || fail "no Start-menu entry Tastiva: $(entries)"
has_record || fail "no uninstall record"
echo "installed: $(du -sh "$dir" | cut -f1), entry ${entry#"$WINEPREFIX/drive_c/"}"

# Started from its Start-menu entry, the installed program shows its window.
timeout 30 wine start /unix "$entry" >"$RUN_TMP/start.log" 2>&1 || fail "start: $(cat "$RUN_TMP/start.log")"
wait_until 30 has_main_window || fail "the installed program showed no $MAIN_SIZE window"
close_boxes 2
key_to_main key alt+F4
wait_until 20 eval '[ -z "$(program_windows)" ]' || fail "the program did not end after Alt+F4"
echo "the installed program started from its entry"

# The uninstaller runs on as a copy of itself in the temp folder.
timeout 60 wine "$dir/Uninstall.exe" /S || fail "the uninstaller ended with status $?"
wait_until 60 eval '[ ! -e "$dir" ] && [ -z "$(entries)" ]' ||
  fail "left behind: $(find "$dir" 2>&1) $(entries)"
! has_record || fail "the uninstall record stayed"
echo "PASS"
