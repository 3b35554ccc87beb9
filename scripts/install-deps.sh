#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running kelvane need.
# Only missing packages are installed. Usage: scripts/install-deps.sh [build|fuzz|screenshot|bench|fonts|deb|size|all]
set -euo pipefail

build_pkgs=(g++ cmake ninja-build make pkg-config libgtest-dev libgmock-dev
  qt6-base-dev libgl-dev libcli11-dev libicu-dev zlib1g-dev libpng-dev fonts-ipafont-gothic
  libfreetype-dev xfonts-utils python3-fonttools)
fuzz_pkgs=(clang libclang-rt-14-dev)
screenshot_pkgs=(xvfb x11-apps x11-utils imagemagick xauth xdotool)
bench_pkgs=(xfonts-utils time strace otf2bdf pcf2bdf fonts-unifont fonts-misaki xfonts-shinonome
  nodejs linux-perf valgrind)
fonts_pkgs=(pcf2bdf xfonts-base xfonts-75dpi xfonts-100dpi xfonts-shinonome xfonts-intl-japanese
  xfonts-efont-unicode xfonts-unifont fonts-unifont fonts-misaki fonts-terminus-otb otf2bdf
  fonts-wqy-zenhei psf-unifont console-setup-linux unifont)
deb_pkgs=(help2man lintian dpkg-dev fakeroot file man-db)
size_pkgs=(gcc-arm-none-eabi libnewlib-arm-none-eabi binutils-arm-none-eabi)

case "${1:-build}" in
  build) wanted=("${build_pkgs[@]}") ;;
  fuzz) wanted=("${build_pkgs[@]}" "${fuzz_pkgs[@]}") ;;
  screenshot) wanted=("${build_pkgs[@]}" "${screenshot_pkgs[@]}") ;;
  bench) wanted=("${build_pkgs[@]}" "${bench_pkgs[@]}") ;;
  fonts) wanted=("${build_pkgs[@]}" "${fonts_pkgs[@]}") ;;
  deb) wanted=("${build_pkgs[@]}" "${deb_pkgs[@]}") ;;
  size) wanted=("${build_pkgs[@]}" "${size_pkgs[@]}") ;;
  all) wanted=("${build_pkgs[@]}" "${fuzz_pkgs[@]}" "${screenshot_pkgs[@]}" "${bench_pkgs[@]}"
    "${fonts_pkgs[@]}" "${deb_pkgs[@]}" "${size_pkgs[@]}") ;;
  *) echo "usage: $0 [build|fuzz|screenshot|bench|fonts|deb|size|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
elif command -v sudo >/dev/null 2>&1; then
  apt_get=(sudo apt-get)
else
  echo "Missing packages; please run as root:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -qq
"${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
