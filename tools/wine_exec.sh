#!/usr/bin/env bash
# Runs a Windows executable under Wine for ctest; tools/test.sh sets WINEPREFIX and DISPLAY.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
