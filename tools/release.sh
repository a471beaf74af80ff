#!/usr/bin/env bash
# Builds the release: dist/quorlin-<version>.zip holding quorlin.exe (32-bit), quorlin64.exe
# (64-bit), README.md and SHA256SUMS.
#
#   tools/release.sh
#
# Reproducible: two runs on the same commit give the same zip, byte for byte, wherever the tree
# lies. The programs are built from scratch in build/rel-win32 and build/rel-win64 (Release, no
# tests) with a fixed PE time stamp and no checkout paths in the objects (see CMakeLists.txt);
# the zip has its entries in name order, all dated SOURCE_DATE_EPOCH (default: the commit time of
# HEAD), with fixed permissions and compression.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

die() { echo "release.sh: ERROR: $*" >&2; exit 1; }

VERSION=$(head -n 1 VERSION)
[[ -n $VERSION ]] || die "no version in the file VERSION"
[[ -f README.md ]] || die "README.md is missing (it goes into the zip)"

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null) ||
    die "not a git checkout: set SOURCE_DATE_EPOCH"
fi
export SOURCE_DATE_EPOCH
# The same locale and time zone for every tool on every machine.
export LC_ALL=C TZ=UTC

build() { # PRESET-SUFFIX TOOLCHAIN EXE
  local dir=$ROOT/build/rel-$1
  echo "---- build $3 ($dir)"
  rm -rf "$dir" "$ROOT/dist/$3"
  mkdir -p "$ROOT/build"
  cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$2" -DCMAKE_BUILD_TYPE=Release \
    -DQUORLIN_BUILD_TESTS=OFF >"$dir.log" 2>&1 || { tail -20 "$dir.log"; die "configure $1 failed"; }
  cmake --build "$dir" --target quorlin -j2 >>"$dir.log" 2>&1 || { tail -30 "$dir.log"; die "build $1 failed"; }
  [[ -f $ROOT/dist/$3 ]] || die "the build gave no dist/$3"
  # A PE time stamp of 0 and no path of this checkout: otherwise two checkouts would differ.
  local pe stamp
  pe=$(od -An -tu4 -j60 -N4 "$ROOT/dist/$3" | tr -d ' ')
  stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$ROOT/dist/$3" | tr -d ' ')
  [[ $stamp == 0 ]] || die "dist/$3 has PE time stamp $stamp (want 0: -Wl,--no-insert-timestamp)"
  ! grep -qaF "$ROOT" "$ROOT/dist/$3" || die "dist/$3 contains the checkout path $ROOT"
}

build win32 toolchain-mingw-i686.cmake quorlin.exe
build win64 toolchain-mingw-x86_64.cmake quorlin64.exe

STAGE=$ROOT/build/rel-stage
rm -rf "$STAGE"
mkdir -p "$STAGE"
cp dist/quorlin.exe dist/quorlin64.exe README.md "$STAGE/"
(cd "$STAGE" && sha256sum quorlin.exe quorlin64.exe README.md >SHA256SUMS)

ZIP=$ROOT/dist/quorlin-$VERSION.zip
/usr/bin/python3 - "$STAGE" "$ZIP" "$SOURCE_DATE_EPOCH" <<'PY'
import os, sys, time, zipfile
stage, out, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
# Zip dates are local-time fields without a zone, from 1980 on, in 2-second steps.
stamp = time.gmtime(max(epoch, 315532800))[:6]
tmp = out + ".tmp"
with zipfile.ZipFile(tmp, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in sorted(os.listdir(stage)):
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3  # Unix, so the permissions below are what unzip applies
        info.external_attr = 0o100644 << 16
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(info, f.read(), compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
os.replace(tmp, out)
PY

echo "---- $ZIP"
(cd "$STAGE" && sed 's/^/     /' SHA256SUMS)
sha256sum "$ZIP" | sed "s|$ROOT/||"
