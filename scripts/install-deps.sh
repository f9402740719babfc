#!/usr/bin/env bash
# Installs what Karvola needs on Debian, only what is missing: by default what
# the programs and the user guide need to build and run (make run). Safe to run
# again; never reads standard input. Without root and without password-free sudo
# it names what is missing and stops.
#   --stamp FILE   skip the check when FILE holds this script's hash from an earlier
#                  complete check (make keeps one in the build folder); an edited
#                  package list changes the hash, and the check runs again.
#   --tests        also the test and benchmark libraries, clang-format and the
#                  Polish locale the number tests run under (make test, make packages)
#   --fuzzing      also Clang with its libFuzzer runtime, for make fuzz
#   --packaging    also what make package and make package-check use: dpkg-shlibdeps
#                  (dpkg-dev), file, desktop-file-validate, lintian and appstreamcli
#   --tidy         also clang-tidy 14 and its parallel runner, for make tidy and make check
set -euo pipefail

stamp=
tests=
fuzzing=
packaging=
tidy=
while [ $# -gt 0 ]; do
  case "$1" in
    --stamp) stamp=${2:?--stamp needs a file}; shift 2 ;;
    --tests) tests=1; shift ;;
    --fuzzing) fuzzing=1; shift ;;
    --packaging) packaging=1; shift ;;
    --tidy) tidy=1; shift ;;
    *) echo "usage: $0 [--stamp FILE] [--tests] [--fuzzing] [--packaging] [--tidy]" >&2; exit 2 ;;
  esac
done

packages=(
  g++ cmake ninja-build pkg-config make ccache
  libedit-dev libpugixml-dev libcli11-dev
  libcurl4-openssl-dev libcpp-httplib-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev fonts-liberation2 librsvg2-bin
  ghostscript  # the user guide's outline and contents links
  tzdata  # football-data's UK times are read with Europe/London
)
if [ -n "$tests" ]; then
  packages+=(googletest libgtest-dev libgmock-dev libbenchmark-dev locales)
  packages+=(poppler-utils qpdf)  # the user guide PDF's check
  packages+=(clang-format-14)  # the only major the Makefile's format targets accept
fi
if [ -n "$fuzzing" ]; then
  packages+=(clang libclang-rt-dev)
fi
if [ -n "$packaging" ]; then
  packages+=(dpkg-dev file desktop-file-utils lintian appstream)
fi
if [ -n "$tidy" ]; then
  packages+=(clang-tidy-14)  # .clang-tidy names checks of this major
fi

checked=$({ cat "${BASH_SOURCE[0]}"; echo "$tests$fuzzing$packaging$tidy"; } | sha256sum)
checked=${checked%% *}
if [ -n "$stamp" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$checked" ]; then
  exit 0
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ] && [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
  echo "These Debian packages are missing: ${missing[*]}" >&2
  echo "Install them as root (apt-get install ${missing[*]}) and run make again." >&2
  exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -q </dev/null
  as_root apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi

# The number-text tests run under a locale with a decimal comma.
if [ -n "$tests" ] && ! locale -a 2>/dev/null | grep -qiE '^pl_PL\.utf-?8$'; then
  if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
    echo "The tests need the locale pl_PL.UTF-8: make it as root (localedef -i pl_PL -f UTF-8 pl_PL.UTF-8)." >&2
    exit 1
  fi
  echo "Generating the locale pl_PL.UTF-8" >&2
  as_root localedef -i pl_PL -f UTF-8 pl_PL.UTF-8 </dev/null
fi

if [ -n "$stamp" ]; then
  mkdir -p "$(dirname "$stamp")"
  echo "$checked" >"$stamp"
fi
