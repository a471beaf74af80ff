#!/usr/bin/env bash
# Installs everything Quorlin's build and tests need on a Debian 12 machine.
# Idempotent: when every package and the zh_CN.UTF-8 locale are present it only checks (no apt-get update)
# and returns within a second. Runs as root, or through sudo when not root.
set -euo pipefail

PACKAGES=(
  # cross compilers (32-bit is the tool's primary target) and the native tier
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 g++ cmake make googletest
  # Wine: the 32- and 64-bit loaders
  wine wine64 wine32:i386
  # the virtual display and the tools that drive and read it
  xvfb xdotool x11-utils x11-xserver-utils imagemagick python3 python3-pil
  # fonts: the replacement for the tool's "微软雅黑"
  fonts-wqy-microhei fontconfig
  # the fuzz tier: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # zh_CN.UTF-8 (code page 936 under Wine), flock, iconv
  locales util-linux libc-bin
)
LOCALE_LINE="zh_CN.UTF-8 UTF-8"

die() { echo "setup.sh: ERROR: $*" >&2; exit 1; }
say() { echo "setup.sh: $*" >&2; }

SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null 2>&1 || die "not root and sudo is not installed; run this script as root"
  SUDO=(sudo)
fi
[[ -r /etc/debian_version ]] || die "this script expects Debian (12); /etc/debian_version not found"

# Packages not installed yet. One dpkg-query call for all of them keeps the warm path fast.
missing_packages() {
  local p status
  for p in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || echo "$p"
  done
}

locale_present() {
  local all
  all=$(locale -a 2>/dev/null || true)
  grep -qix 'zh_CN.utf8' <<<"$all"
}

need_update=0
if ! grep -qx i386 <<<"$(dpkg --print-foreign-architectures)"; then
  say "adding the i386 architecture (for wine32)"
  "${SUDO[@]}" dpkg --add-architecture i386 || die "dpkg --add-architecture i386 failed"
  need_update=1
fi

mapfile -t missing < <(missing_packages)
if ((${#missing[@]} > 0)); then
  say "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ((need_update)) || ! "${SUDO[@]}" apt-get install -y -q "${missing[@]}" >/tmp/quorlin-setup-apt.log 2>&1; then
    "${SUDO[@]}" apt-get update -q >/tmp/quorlin-setup-apt.log 2>&1 ||
      { tail -20 /tmp/quorlin-setup-apt.log >&2; die "apt-get update failed (log: /tmp/quorlin-setup-apt.log)"; }
    "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" \
      >>/tmp/quorlin-setup-apt.log 2>&1 ||
      { tail -30 /tmp/quorlin-setup-apt.log >&2; die "apt-get install failed (log: /tmp/quorlin-setup-apt.log)"; }
  fi
  mapfile -t still < <(missing_packages)
  ((${#still[@]} == 0)) || die "packages still missing after install: ${still[*]}"
fi

if ! locale_present; then
  say "generating the $LOCALE_LINE locale"
  if ! grep -qx "$LOCALE_LINE" /etc/locale.gen 2>/dev/null; then
    if grep -qx "# *$LOCALE_LINE" /etc/locale.gen 2>/dev/null; then
      "${SUDO[@]}" sed -i "s/^# *$LOCALE_LINE\$/$LOCALE_LINE/" /etc/locale.gen
    else
      echo "$LOCALE_LINE" | "${SUDO[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  fi
  "${SUDO[@]}" locale-gen >/tmp/quorlin-setup-locale.log 2>&1 ||
    { cat /tmp/quorlin-setup-locale.log >&2; die "locale-gen failed"; }
  locale_present || die "locale zh_CN.UTF-8 is still missing after locale-gen"
fi

# The commands the scripts call by name, and the pieces they use by path.
for cmd in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix i686-w64-mingw32-windres cmake ctest g++ \
           wine wineserver Xvfb xdpyinfo xwininfo xdotool flock iconv; do
  command -v "$cmd" >/dev/null 2>&1 || die "command '$cmd' not found after installation"
done
for f in /usr/bin/import /usr/bin/convert /usr/bin/python3 /usr/src/googletest/CMakeLists.txt \
         /usr/lib/wine/wine /usr/lib/wine/wine64; do
  [[ -e $f ]] || die "$f not found after installation"
done
/usr/bin/python3 -c 'import PIL.Image' 2>/dev/null || die "/usr/bin/python3 cannot import PIL (python3-pil)"
grep -qi 'WenQuanYi Micro Hei' <<<"$(fc-list 2>/dev/null)" || die "font 'WenQuanYi Micro Hei' not known to fontconfig"
exit 0
