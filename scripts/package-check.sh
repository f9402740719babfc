#!/usr/bin/env bash
# Checks the .deb that make package built in BUILD (default build/package):
# lintian as an archive runs it, every tag shown, with no error and no warning
# allowed; its AppStream metainfo; its control fields and contents, then the
# programs unpacked from it, run on the
# sample data from a fresh home. As root with a working dpkg it also installs the
# package, runs the programs from /usr and removes it again, checking that
# nothing of it is left. Prints a line per check; exits 1 when any failed.
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$project/build/package}
build=$(cd "$build" && pwd)

shopt -s nullglob
debs=("$build"/karvola_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "package-check: expected one karvola_*.deb in $build, found ${#debs[@]} (make package builds it)" >&2
  exit 1
fi
deb=${debs[0]}
version=$(sed -n 's/^project(Karvola VERSION \([0-9.]*\).*/\1/p' "$project/CMakeLists.txt")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/karvola-package-check.XXXXXX")
installed_here=
cleanup() {
  if [ -n "$installed_here" ]; then
    echo "package-check: removing the package installed by this check" >&2
    dpkg --purge karvola >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1))
    echo "ok    $what"
  else
    failed=$((failed + 1))
    echo "FAIL  $what"
  fi
}
contains() { grep -qF -- "$2" "$1"; }
lacks() { ! grep -qE -- "$2" "$1"; }

echo "package-check: $deb"

# What a distribution asks of a package. The overrides shipped in the package
# cover only the spelling notes on the program's own texts.
lintian -I -E --pedantic "$deb" >"$scratch/lintian" 2>&1 || true
check "lintian ran" grep -q . <(lintian --version)
check "lintian: no error and no warning" lacks "$scratch/lintian" '^[EW]: '
if grep -qE '^[EW]: ' "$scratch/lintian"; then sed 's/^/      /' "$scratch/lintian"; fi

# The control fields: the dependencies come from dpkg-shlibdeps, so the runtime
# libraries of every program must be named.
dpkg-deb -I "$deb" >"$scratch/info"
check "package name karvola" contains "$scratch/info" " Package: karvola"
check "version $version-1" grep -qx " Version: $version-1" "$scratch/info"
check "a real homepage" grep -q '^ Homepage: https://' "$scratch/info"
for field in Maintainer Section Description Homepage; do
  check "field $field" grep -q "^ $field: ." "$scratch/info"
done
depends=", $(sed -n 's/^ Depends: //p' "$scratch/info"),"
depends_on() { [[ $depends == *", $1 "* || $depends == *", $1,"* ]]; }
for library in libqt6widgets6 libqt6charts6 libqt6gui6 libqt6core6 libcurl4 libpugixml1v5 libedit2 libstdc++6 libc6 tzdata; do
  check "depends on $library" depends_on "$library"
done

# The contents: the programs, the data, the desktop files and the manual pages
# in their FHS places, and nothing from the build.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | sort >"$scratch/contents"
expected=(
  /usr/bin/karvola /usr/bin/karvola-cli /usr/bin/karvola-service
  /usr/share/karvola/DataBase/sample.txt /usr/share/karvola/DataBase/sample.desc
  /usr/share/karvola/DataSource/datasource.txt /usr/share/karvola/DataSource/datasource.desc
  /usr/share/karvola/service/referals.txt /usr/share/karvola/service/advert.txt /usr/share/karvola/service/keys.txt
  /usr/share/applications/karvola.desktop /usr/share/icons/hicolor/scalable/apps/karvola.svg
  /usr/share/man/man1/karvola.1.gz /usr/share/man/man1/karvola-cli.1.gz /usr/share/man/man1/karvola-service.1.gz
  /usr/share/doc/karvola/copyright /usr/share/doc/karvola/changelog.Debian.gz
  /usr/share/metainfo/example.karvola.karvola.metainfo.xml
  /usr/share/lintian/overrides/karvola
)
for size in 16 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/karvola.png"); done
for file in "$project"/data/service/upcoming/*; do expected+=("/usr/share/karvola/service/upcoming/${file##*/}"); done
if [ -f "$build/Documents/UserGuide.pdf" ]; then
  expected+=(/usr/share/karvola/Documents/UserGuide.pdf /usr/share/doc/karvola/UserGuide.pdf)
else
  echo "note  no user guide in $build/Documents: the package has none"
fi
for path in "${expected[@]}"; do check "holds $path" grep -qxF "$path" "$scratch/contents"; done
check "everything under /usr" lacks "$scratch/contents" '^/[^u]|^/u[^s]'
check "no libraries, headers or helper programs" lacks "$scratch/contents" '\.(a|h|so)$|karvola-(screenshot|guide)'

# The unpacked files, run as a user would run them from a fresh home.
root=$scratch/root
dpkg -x "$deb" "$root"
check "desktop file valid" desktop-file-validate "$root/usr/share/applications/karvola.desktop"
metainfo=$root/usr/share/metainfo/example.karvola.karvola.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$scratch/appstream" 2>&1 && appstream_valid=1 || appstream_valid=
check "appstreamcli validate: the metainfo" test -n "$appstream_valid"
[ -n "$appstream_valid" ] || sed 's/^/      /' "$scratch/appstream"
check "the metainfo launches the desktop file" contains "$metainfo" '<launchable type="desktop-id">karvola.desktop</launchable>'
check "copyright: machine-readable" grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$root/usr/share/doc/karvola/copyright"
for licence in GPL-3+ SIL-OFL-1.1 football-data-terms; do
  check "copyright: licence $licence" grep -q "^License: $licence$" "$root/usr/share/doc/karvola/copyright"
done
check "changelog names version $version-1" grep -q "^karvola ($version-1) " <(gzip -dc "$root/usr/share/doc/karvola/changelog.Debian.gz")
for page in karvola karvola-cli karvola-service; do
  check "manual page $page.1 readable" gzip -t "$root/usr/share/man/man1/$page.1.gz"
done

# run_programs PREFIX WHAT: the programs under PREFIX/bin on the sample data.
run_programs() {
  local prefix=$1 what=$2 home=$scratch/home-$2
  mkdir -p "$home"
  for program in karvola karvola-cli karvola-service; do
    check "$what: $program --version" grep -qx "$program $version (.*)" \
      <(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/$program" --version 2>&1)
  done
  # A first start: the sample base, data source and guide are copied into the
  # XDG folder and the base is loaded.
  env HOME="$home" XDG_DATA_HOME= KARVOLA_SERVICE_HOST=127.0.0.1:9 \
    "$prefix/bin/karvola-cli" -e 'result [1.5 2.5 1]' </dev/null >"$scratch/first-$what" 2>&1 || true
  local folder=$home/.local/share/karvola
  check "$what: first start seeds the sample base" cmp "$prefix/share/karvola/DataBase/sample.txt" \
    "$folder/DataBase/sample.txt"
  check "$what: first start seeds the data source" cmp "$prefix/share/karvola/DataSource/datasource.txt" \
    "$folder/DataSource/datasource.txt"
  if [ -f "$prefix/share/karvola/Documents/UserGuide.pdf" ]; then
    check "$what: first start seeds the user guide" cmp "$prefix/share/karvola/Documents/UserGuide.pdf" \
      "$folder/Documents/UserGuide.pdf"
  fi
  check "$what: first start loads the sample base" contains "$scratch/first-$what" "DBMS : 760 items loaded."
  check "$what: nothing written beside the programs" lacks <(ls -A "$prefix/bin") 'karvola_config|DataBase'
  # The sample base loaded by name in a --home folder of its own.
  printf ':load %s\nstruct *\nresult [1.5 2.5 1]\n' "$prefix/share/karvola/DataBase/sample.txt" |
    env HOME="$home" KARVOLA_SERVICE_HOST=127.0.0.1:9 "$prefix/bin/karvola-cli" -q --home "$home/chosen" \
      >"$scratch/script-$what" 2>&1 || true
  check "$what: :load the sample base" contains "$scratch/script-$what" "DBMS : 760 items loaded."
  check "$what: result [1.5 2.5 1] bets" grep -qE '^  Total number of bets: +467$' "$scratch/script-$what"
  check "$what: result [1.5 2.5 1] wins" grep -qE '^  Winning bets: +236$' "$scratch/script-$what"
  check "$what: the service finds its sample content" grep -q "content from $prefix/share/karvola/service" \
    <(timeout 5 "$prefix/bin/karvola-service" --listen 127.0.0.1:0 2>&1 | head -1)
}
run_programs "$root/usr" unpacked

# The real installation, where this user may install packages.
if [ "$(id -u)" -ne 0 ] || ! dpkg --version >/dev/null 2>&1 || [ ! -w /var/lib/dpkg ]; then
  echo "note  not root or no usable dpkg: the package is not installed"
elif dpkg-query -W -f='${Status}' karvola 2>/dev/null | grep -q 'install ok installed'; then
  echo "note  karvola is installed already: left as it is, not installed again"
else
  export DEBIAN_FRONTEND=noninteractive
  installed_here=1
  if apt-get install -y -q "$deb" </dev/null >"$scratch/apt-install" 2>&1; then
    check "apt-get install" true
    run_programs /usr installed
    apt-get remove -y -q karvola </dev/null >"$scratch/apt-remove" 2>&1
    check "apt-get remove" true
    installed_here=
    left=()
    while read -r path; do
      if [ -f "$path" ] || [ -L "$path" ]; then left+=("$path"); fi
    done <"$scratch/contents"
    check "nothing of the package left after removal" test ${#left[@]} -eq 0
    [ ${#left[@]} -eq 0 ] || printf '      left: %s\n' "${left[@]}"
    check "dpkg knows it no more" lacks <(dpkg-query -W -f='${Status}\n' karvola 2>/dev/null) ' (installed|config-files)$'
  else
    check "apt-get install" false
    cat "$scratch/apt-install" >&2
  fi
fi

echo "package-check: $passed checks passed, $failed failed"
[ "$failed" -eq 0 ]
