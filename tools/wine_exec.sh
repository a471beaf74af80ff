#!/usr/bin/env bash
# Runs a Windows executable under Wine (ctest's emulator for the cross builds).
# Inside tools/test.sh (QUORLIN_WINE_READY=1) it uses that run's display and prefix; run on its
# own (e.g. `ctest --preset win32`) it starts a virtual display and uses the build tree's prefix,
# and ends both when the program has ended.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [[ ${QUORLIN_WINE_READY:-} == 1 && -n ${WINEPREFIX:-} && -n ${DISPLAY:-} ]]; then
  if [[ ${WINEARCH:-} == win64 ]]; then exec /usr/lib/wine/wine64 "$@"; fi
  exec wine "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
arch=win32
# A PE32+ optional header (magic 0x20b) marks a 64-bit program.
if [[ -f $1 ]] && [[ $(od -An -tx1 -j "$(($(od -An -tu4 -j60 -N4 "$1") + 24))" -N2 "$1" | tr -d ' \n') == 0b02 ]]; then
  arch=win64
fi
wine_env_setup "$arch" || exit 1
wine_run "$@"
