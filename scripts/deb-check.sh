#!/usr/bin/env bash
# Checks the Debian package `make deb` built, on this machine (as root): its
# files are root's with 0644/0755 modes and its programs stripped; it installs
# with apt-get; each program answers --version (the windows without a
# display) and has a manual page; examples/firmware builds against the
# installed package alone and prints what it should; a purge leaves none of
# its files behind; and lintian finds no error in it.
# Usage: scripts/deb-check.sh [PACKAGE.deb]   (default: build-deb/kelvane_*.deb)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -gt 0 ]; then
  deb=$1
else
  shopt -s nullglob
  built=("$root"/build-deb/kelvane_*.deb)
  [ ${#built[@]} -le 1 ] || { echo "deb-check: several packages in build-deb; name one" >&2; exit 2; }
  deb=${built[0]:-}
fi
[ -f "$deb" ] || { echo "deb-check: no package; run make deb first" >&2; exit 2; }
deb=$(realpath "$deb")
[ "$(id -u)" -eq 0 ] || { echo "deb-check: installs a package: run as root" >&2; exit 2; }
"$root"/scripts/install-deps.sh deb

package=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
programs=(bdf2kvn kvn kelvane kelvane-preview)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== $deb: $package $version, $(stat -c %s "$deb") bytes"
while read -r mode owner _ _ _ path; do
  [ "$owner" = root/root ] || fail "$path is owned by $owner"
  case "$mode" in -rw-r--r-- | -rwxr-xr-x | drwxr-xr-x) ;; *) fail "$path has mode $mode" ;; esac
done < <(dpkg-deb -c "$deb")

echo "== apt-get install"
apt-get install -y -qq "$deb" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
dpkg -L "$package" | sort >"$work/files"

echo "== programs, manual pages"
for program in "${programs[@]}"; do
  path=/usr/bin/$program
  file -b "$path" | grep -q ', stripped' || fail "$path is not stripped: $(file -b "$path")"
  printed=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$path" --version 2>&1) ||
    fail "$program --version failed: $printed"
  [ "$printed" = "$program $version" ] || fail "$program --version printed '$printed'"
  page=$(man -w "$program" 2>&1) || fail "no manual page $program(1): $page"
  echo "$printed  $page"
done

echo "== examples/firmware against /usr"
if [ -f "$root/examples/firmware/CMakeLists.txt" ]; then
  if ! { cmake -S "$root/examples/firmware" -B "$work/firmware" -G Ninja \
    -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON && cmake --build "$work/firmware"; } \
    >"$work/firmware.log" 2>&1; then
    cat "$work/firmware.log"
    fail "examples/firmware does not build against /usr"
  fi
  found=$(sed -n 's/^kelvane_DIR:PATH=//p' "$work/firmware/CMakeCache.txt" 2>/dev/null || true)
  case "$found" in /usr/lib/*) echo "found $found" ;; *) fail "kelvane found in '$found'" ;; esac
  if [ -x "$work/firmware/menu" ]; then
    "$work/firmware/menu" >"$work/menu.txt" || fail "the firmware example failed"
    if diff -u "$root/examples/firmware/expected.txt" "$work/menu.txt"; then
      echo "menu printed examples/firmware/expected.txt"
    else
      fail "the firmware example printed something else"
    fi
  fi
else
  echo "(no examples/firmware: skipped)"
fi

echo "== apt-get remove --purge"
apt-get remove -y -qq --purge "$package" >"$work/remove.log" || { cat "$work/remove.log"; exit 1; }
while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || continue
  # A directory stays when another package holds it too.
  if [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
  fail "$path is left after the purge"
done <"$work/files"
echo "$(wc -l <"$work/files") paths checked"

echo "== lintian"
chmod 755 "$work" && cp "$deb" "$work/"  # lintian runs as nobody, not as root
runuser -u nobody -- lintian --tag-display-limit 0 "$work/$(basename "$deb")" |
  tee "$work/lintian" || true
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors"

if [ "$failures" -gt 0 ]; then
  echo "deb-check: $failures failures" >&2
  exit 1
fi
echo "deb-check: $package $version passed"
