#!/usr/bin/env bash
# Help files: what each maps, and each program's own help window showing one topic.
set -euo pipefail

for name in FIOSETUP WNT43SUP WNTDLD42; do
  file="$SUITE_BIN/$name.HLP"
  echo "$name.HLP, $(stat -c %s "$file") bytes, built beside the programs:"
  "$SUITE_ROOT/build/host/bin/hlpdump" "$file" --titles | sed 's/^/  /'
done

# The programs run from a folder without help files: they read theirs from beside the .EXE.
work="$SUITE_WIN/demo-help"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# id HEADER NAME: a control or command id as the program's resource header defines it.
id() { awk -v name="$2" '$1 == "#define" && $2 == name { print $3 }' "$SUITE_ROOT/$1"; }
# The help window's title: the title of the help file, from its source.
help_title() { sed -n 's/^@file //p' "$SUITE_ROOT/help/$1.topics"; }

# shoot NAME: runs the uidrive script on standard input (tools/uidrive.cpp), which takes the
# screenshot $png, in a Wine virtual desktop of its own, so the windows have their title bars.
# The desktop does not pass on uidrive's exit status: its error line or a missing picture is
# the failure.
shoot() {
  rm -f "$png"
  cat >"$work/$1.txt"
  wine explorer.exe "/desktop=HELP-$1-$$,800x600" "$(winpath "$SUITE_BIN/uidrive.exe")" \
    "$(winpath "$work/$1.txt")" >"$work/$1.log" 2>&1 || true
  if grep -q '^uidrive:' "$work/$1.log" || [ ! -s "$png" ]; then
    tr -d '\r' <"$work/$1.log" >&2
    echo "no screenshot $png" >&2
    return 1
  fi
  echo "  picture $png"
}

# Each earlier part leaves no device configuration behind (45-fiosetup-window removes the
# key), so WNT43SUP and WNTDLD42 ask for the port first.
echo "WNT43SUP: HELP in \"Load Device Serial Number\"; the dialog stays open with what was typed:"
h=wnt43sup/WNT43SUP.h png=$SUITE_DOCS/help-wnt43sup-ldsn.png
shoot wnt43sup <<SCRIPT
start "WNT43SUP.exe"
wait "Enter Communication Port Number"
click $(id $h IDC_COMMPORT_CANCEL)
wait "QRT 8343 Support Program"
command $(id $h IDM_LDSN)
wait "Load Device Serial Number"
type $(id $h IDC_LDSN_DIGITS) "00017"
click $(id $h IDC_LDSN_HELP)
wait "$(help_title wnt43sup)"
shot "$(winpath "$png")"
wait "Load Device Serial Number"
expect $(id $h IDC_LDSN_DIGITS) "00017"
click $(id $h IDC_LDSN_CANCEL)
wait "QRT 8343 Support Program"
key F3
exit 0
SCRIPT

echo "WNTDLD42: HELP in its port prompt, which stays open; Cancel then ends the program:"
h=wntdld42/WNTDLD42.h png=$SUITE_DOCS/help-wntdld42-commport.png
shoot wntdld42 <<SCRIPT
start "WNTDLD42.exe"
wait "Enter Communication Port Number"
click $(id $h IDC_COMMPORT_HELP)
wait "$(help_title wntdld42)"
shot "$(winpath "$png")"
wait "Enter Communication Port Number"
click $(id $h IDC_COMMPORT_CANCEL)
exit 0
SCRIPT

echo "FIOSETUP: Help > Device:"
h=fiosetup/FIOSETUP.h png=$SUITE_DOCS/help-fiosetup-device.png
shoot fiosetup <<SCRIPT
start "FIOSETUP.exe"
wait "QRT 8300 FIO Devices Installation Program"
command $(id $h IDM_HELP_DEVICE)
wait "$(help_title fiosetup)"
shot "$(winpath "$png")"
wait "QRT 8300 FIO Devices Installation Program"
key F3
exit 0
SCRIPT
cd "$SUITE_ROOT"
rm -rf "$work"
