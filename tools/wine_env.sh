# shellcheck shell=bash
# Wine and virtual-display environment for running Quorlin's Windows programs on Linux.
# Source it; nothing starts until a function is called.
#
#   source tools/wine_env.sh
#   wine_env_setup [win32|win64]   # all of the below, or nothing when a parent run already did it
#   wine_env_init                  # EXIT trap that ends what we start; WINEDEBUG, WINEDLLOVERRIDES
#   wine_env_display               # Xvfb 1280x800x24 on a free display; exports DISPLAY
#   wine_env_prefix win32          # creates/reuses build/wine/prefix32 (win64: prefix64);
#                                  # exports WINEPREFIX, WINEARCH
#   wine_run prog.exe args...      # the loader that fits the prefix (wine / wine64)
#   wine_fresh_prefix DIR [win32]  # a private copy with a wineserver (a session) of its own
#
# The EXIT trap ends the wineservers of every prefix used here and the Xvfb servers started here.
# Child scripts see QUORLIN_WINE_READY=1 and reuse the parent's display and prefix.
# QUORLIN_BUILD selects another build tree (default: <repo>/build).

QUORLIN_ROOT=${QUORLIN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
QUORLIN_BUILD=${QUORLIN_BUILD:-$QUORLIN_ROOT/build}
WINE_ENV_DIR=$QUORLIN_BUILD/wine
WINE_ENV_SCREEN=${WINE_ENV_SCREEN:-1280x800x24}
# Bump when the prefix settings below change: existing prefixes are rebuilt on next use.
WINE_ENV_PREFIX_VERSION=2

# What this shell started or used; kept when the file is sourced a second time.
[[ -v _wine_env_xvfb_pids ]] || _wine_env_xvfb_pids=()
[[ -v _wine_env_prefixes ]] || _wine_env_prefixes=()
[[ -v _wine_env_tmp_prefixes ]] || _wine_env_tmp_prefixes=()
# Functions run first by wine_env_cleanup (e.g. ending a tool that a test started).
[[ -v WINE_ENV_CLEANUP_HOOKS ]] || WINE_ENV_CLEANUP_HOOKS=()

_wine_env_log() { echo "wine_env: $*" >&2; }
_wine_env_die() {
  echo "wine_env: ERROR: $*" >&2
  return 1
}

# Runs a command without the lock descriptors of this run, so that long-lived children
# (wineserver, Xvfb, the tool) never keep a prefix lock after the run has ended.
_wine_env_nolocks() {
  (
    _wine_env_close_locks
    exec "$@"
  )
}
_wine_env_close_locks() {
  local fd
  for fd in ${QUORLIN_WINE_LOCK_FDS:-}; do eval "exec $fd>&-"; done
}

wine_env_init() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  trap wine_env_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

# The whole environment for ARCH in one call. A child of a run that already set it up (a test script
# started by tools/test.sh) reuses that display and prefix and leaves their cleanup to the parent.
wine_env_setup() {
  local arch=${1:-win32}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ${QUORLIN_WINE_READY:-} == 1 ]] && wine_env_display_alive; then
    [[ ${WINEARCH:-} == "$arch" && -n ${WINEPREFIX:-} ]] && return 0
    wine_env_init # same display, a prefix of the other kind
    wine_env_prefix "$arch"
    return
  fi
  wine_env_init
  wine_env_display || return 1
  wine_env_prefix "$arch" || return 1
  export QUORLIN_WINE_READY=1
}

# True when an X server answers on $1 (default: $DISPLAY).
wine_env_display_alive() {
  local d=${1:-${DISPLAY:-}}
  [[ -n $d ]] && xdpyinfo -display "$d" >/dev/null 2>&1
}

# Starts Xvfb on the first free display from :90 on, waits until it answers, exports DISPLAY.
wine_env_display() {
  mkdir -p "$WINE_ENV_DIR"
  local n pid i log=
  for ((n = 90; n < 400; n++)); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    log=$WINE_ENV_DIR/xvfb-$n.log
    (
      _wine_env_close_locks
      exec Xvfb ":$n" -screen 0 "$WINE_ENV_SCREEN" -nolisten tcp -noreset
    ) >"$log" 2>&1 &
    pid=$!
    for ((i = 0; i < 100; i++)); do
      if ! kill -0 "$pid" 2>/dev/null; then # lost the display to another run: try the next one
        pid=
        break
      fi
      if wine_env_display_alive ":$n"; then
        _wine_env_xvfb_pids+=("$pid")
        export DISPLAY=:$n
        return 0
      fi
      sleep 0.1
    done
    if [[ -n $pid ]]; then
      kill "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
  _wine_env_die "could not start Xvfb on any display :90..:399 (last log: ${log:-none})"
}

# The loader for the current prefix: a 64-bit prefix needs wine64 (which runs 32-bit programs too).
wine_run() {
  if [[ ${WINEARCH:-win32} == win64 ]]; then
    _wine_env_nolocks /usr/lib/wine/wine64 "$@"
  else
    _wine_env_nolocks wine "$@"
  fi
}

# Starts a program of the current prefix in the background; WINE_PID is the process that becomes
# the Windows program (wait "$WINE_PID" gives its exit code, modulo 256).
wine_start() {
  local loader=wine
  [[ ${WINEARCH:-win32} == win64 ]] && loader=/usr/lib/wine/wine64
  (
    _wine_env_close_locks
    exec "$loader" "$@"
  ) &
  # shellcheck disable=SC2034 # read by the caller
  WINE_PID=$!
}

# wineserver of the current prefix (-w waits for its programs, -k ends them).
wine_server() { _wine_env_nolocks wineserver "$@"; }

# Unix path -> the same file on Wine's Z: drive (needs no Wine process).
winepath_unix_to_z() {
  local p
  p=$(realpath -m "$1")
  echo "Z:${p//\//\\}"
}

# Imports registry lines (one argument each, after the "Windows Registry Editor" header) into the
# current prefix: written as a UTF-16LE .reg file (names may not be ASCII, and command-line arguments
# would depend on the Unix locale) and imported with regedit. `"name"=-` deletes a value.
wine_reg_import() {
  local utf8=$WINEPREFIX/../${WINEPREFIX##*/}-import.utf8.reg
  local reg=$WINEPREFIX/../${WINEPREFIX##*/}-import.reg
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' "$@" '' >"$utf8"
  { printf '\xff\xfe' && iconv -f UTF-8 -t UTF-16LE "$utf8"; } >"$reg" || return 1
  wine_run regedit /S "$(winepath_unix_to_z "$reg")" >>"$WINEPREFIX.log" 2>&1
}

# Writes the prefix settings, imports them and checks the result.
_wine_env_apply_settings() {
  wine_reg_import \
    '[HKEY_CURRENT_USER\Software\Wine]' '"Version"="win8"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' '"微软雅黑"="WenQuanYi Micro Hei"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Control Panel\Mouse]' '"MouseHoverTime"="100"' '' \
    '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"FontSmoothing"="2"' '"FontSmoothingType"=dword:00000002' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' || return 1
  wine_server -w
  # Non-ASCII value names are stored as \x escapes in the registry files.
  local f=$WINEPREFIX/user.reg
  grep -qF '"\x5fae\x8f6f\x96c5\x9ed1"="WenQuanYi Micro Hei"' "$f" &&
    grep -qF '"Managed"="N"' "$f" && grep -qF '"MouseHoverTime"="100"' "$f" &&
    grep -qF '"FontSmoothing"="2"' "$f" && grep -qF '"FontSmoothingType"=dword:00000002' "$f" &&
    grep -qF '"Version"="win8"' "$f" && grep -qF '"ShowCrashDialog"=dword:00000000' "$f" ||
    _wine_env_die "prefix settings missing from $f after regedit"
}

_wine_env_stamp_text() {
  echo "quorlin-prefix v$WINE_ENV_PREFIX_VERSION $1 $(wine --version 2>/dev/null)"
}

_wine_env_base_dir() {
  case $1 in
    win32) echo "$WINE_ENV_DIR/prefix32" ;;
    win64) echo "$WINE_ENV_DIR/prefix64" ;;
    *) _wine_env_die "unknown prefix kind '$1' (win32|win64)" ;;
  esac
}

# Makes sure the shared prefix of ARCH exists with the current settings (a stamp file tells),
# building it under an exclusive lock so that two runs never build it at once.
_wine_env_ensure_base() {
  local arch=$1 base want fd rc=0
  base=$(_wine_env_base_dir "$arch") || return 1
  want=$(_wine_env_stamp_text "$arch")
  [[ -f $base/.quorlin-stamp && $(<"$base/.quorlin-stamp") == "$want" ]] && return 0
  [[ -n ${DISPLAY:-} ]] || { _wine_env_die "no DISPLAY for creating $base: call wine_env_display first"; return 1; }
  mkdir -p "$WINE_ENV_DIR"
  exec {fd}>"$base.create.lock"
  flock -x "$fd"
  if [[ ! -f $base/.quorlin-stamp || $(<"$base/.quorlin-stamp") != "$want" ]]; then
    _wine_env_log "creating Wine prefix $base ($arch; 15-30 s)"
    (
      export WINEPREFIX=$base WINEARCH=$arch QUORLIN_WINE_LOCK_FDS="${QUORLIN_WINE_LOCK_FDS:-} $fd"
      wine_server -k >/dev/null 2>&1
      rm -rf "$base"
      wine_run wineboot -i >"$base.log" 2>&1 || { tail -20 "$base.log" >&2; _wine_env_die "wineboot failed for $base"; exit 1; }
      wine_server -w
      _wine_env_apply_settings || exit 1
      echo "$want" >"$base/.quorlin-stamp"
    ) || rc=1
  fi
  exec {fd}>&-
  return $rc
}

_wine_env_track_prefix() {
  local p
  for p in "${_wine_env_prefixes[@]}"; do [[ $p == "$1" ]] && return 0; done
  _wine_env_prefixes+=("$1")
}

# Uses the shared prefix of ARCH (build/wine/prefix32 or prefix64), creating it when needed, and
# exports WINEPREFIX and WINEARCH. The prefix is held with a lock for the rest of this run; when
# another run holds it, this run works in a private copy, so neither ends the other's programs.
wine_env_prefix() {
  local arch=${1:-win32} base fd
  _wine_env_ensure_base "$arch" || return 1
  base=$(_wine_env_base_dir "$arch")
  exec {fd}>"$base.use.lock"
  if flock -n -x "$fd"; then
    export QUORLIN_WINE_LOCK_FDS="${QUORLIN_WINE_LOCK_FDS:-} $fd"
    _wine_env_track_prefix "$base"
    export WINEPREFIX=$base WINEARCH=$arch
  else
    exec {fd}>&-
    _wine_env_log "$base is in use by another run; using a private copy"
    wine_fresh_prefix "$WINE_ENV_DIR/tmp/${base##*/}-$$" "$arch"
  fi
}

# A private copy of the shared ARCH prefix at DIR, with a wineserver (a session) of its own, for
# tests that must not share one (log-off ends every program of the session). Exports WINEPREFIX and
# WINEARCH for it. Files are hard links (Wine replaces files rather than rewriting them; the prefix
# keeps the Wine version it was built with), the registry files are real copies. Its wineserver is
# ended at cleanup; DIR itself is removed then when it lies under build/wine/tmp.
wine_fresh_prefix() {
  local dir=$1 arch=${2:-win32} base f
  [[ -n $dir ]] || { _wine_env_die "wine_fresh_prefix needs a directory"; return 1; }
  _wine_env_ensure_base "$arch" || return 1
  base=$(_wine_env_base_dir "$arch")
  [[ -d $dir ]] && WINEPREFIX=$dir wine_server -k >/dev/null 2>&1
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  cp -al "$base" "$dir" || { _wine_env_die "cannot copy $base to $dir"; return 1; }
  for f in "$base"/*.reg "$base"/.update-timestamp "$base"/.quorlin-stamp; do
    [[ -f $f ]] && cp --remove-destination "$f" "$dir/${f##*/}"
  done
  _wine_env_track_prefix "$dir"
  [[ $dir == "$WINE_ENV_DIR"/tmp/* ]] && _wine_env_tmp_prefixes+=("$dir")
  export WINEPREFIX=$dir WINEARCH=$arch
}

# Ends every Wine program of the prefixes used here, stops the Xvfb servers started here and
# removes the temporary prefixes. Runs from the EXIT trap; safe to call twice.
wine_env_cleanup() {
  local p pid
  for p in "${WINE_ENV_CLEANUP_HOOKS[@]}"; do "$p" || true; done
  WINE_ENV_CLEANUP_HOOKS=()
  for p in "${_wine_env_prefixes[@]}"; do
    [[ -d $p ]] && WINEPREFIX=$p wine_server -k >/dev/null 2>&1
  done
  for pid in "${_wine_env_xvfb_pids[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  for p in "${_wine_env_tmp_prefixes[@]}"; do rm -rf "$p"; done
  _wine_env_prefixes=() _wine_env_xvfb_pids=() _wine_env_tmp_prefixes=()
  return 0
}
