#!/usr/bin/env bash
# Foundation: the distribution folder and the UI automation of the end-to-end tests.
set -euo pipefail

echo "Distribution folder (the installer's source directory): $SUITE_DIST"
cmake -P "$SUITE_WIN/dist-check.cmake" 2>&1 | sed 's/^-- /  /'

echo "Driving the generic dialog host like a person would (tests/e2e/dlghost):"
drive <<SCRIPT | sed 's/^/  /'
start "dlghost.exe"
wait "Entry Dialog"
type 101 "ABCDEFG"
clear 102
type 102 "17"
shot "Z:$SUITE_DOCS/dialog-host-entry.png"
click 110
wait "Confirm Dialog"
click 301
wait "Result Dialog"
expect 201 "ABCDE"
expect 202 "17"
shot "Z:$SUITE_DOCS/dialog-host-result.png"
click 203
msgbox
answer 7
exit 65537
SCRIPT
