#!/usr/bin/env bash
# Gives a first run something to work on: copies the sample data base into the
# default application directory and names it as the default base, and the
# sample data source where the database creation wizard looks first. A data
# file that is there is never touched, nor a configuration that names a base
# that exists. The user guide the build made goes to Documents/, where
# Help > Read the User Guide opens it.
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
data_home=${XDG_DATA_HOME:-}
case "$data_home" in /*) ;; *) data_home="${HOME:-/tmp}/.local/share" ;; esac
home="$data_home/karvola"

mkdir -p "$home/DataBase" "$home/DataSource" "$home/WorkSpace" "$home/Documents"
for file in sample.txt sample.desc; do
  [ -e "$home/DataBase/$file" ] || cp "$project/data/$file" "$home/DataBase/$file"
done
for extension in txt desc; do
  [ -e "$home/DataSource/datasource.$extension" ] ||
    cp "$project/data/datasource/sample.$extension" "$home/DataSource/datasource.$extension"
done
# The user guide the build made, for Help > Read the User Guide; a newer build's
# guide replaces an older copy (it is the program's own file, not the user's).
guide="$project/build/release/Documents/UserGuide.pdf"
[ ! -f "$guide" ] || cp -u "$guide" "$home/Documents/UserGuide.pdf"
config="$home/karvola_config.xml"
base="$home/DataBase/sample.txt"
# The configuration's own escaping, for a home path holding & < or >.
escaped=${base//&/&amp;}; escaped=${escaped//</&lt;}; escaped=${escaped//>/&gt;}
if [ ! -e "$config" ]; then
  printf '<?xml version="1.0" encoding="iso-8859-1" ?>\r\n<KarvolaConfiguration>\r\n\t<DefaultBase>%s</DefaultBase>\r\n</KarvolaConfiguration>\r\n' \
    "$escaped" > "$config"
  exit 0
fi
# A configuration that names no base that exists (one written by a start before
# this seeding, or naming a base since removed) gets the sample named; its
# other settings stay. A relative name is read from the application directory.
named=$(sed -n 's:.*<DefaultBase>\(.*\)</DefaultBase>.*:\1:p' "$config" | head -n 1 | tr -d '\r' |
  sed 's/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g')
case "$named" in "" | /*) ;; *) named="$home/$named" ;; esac
if [ -z "$named" ] || [ ! -e "$named" ]; then
  perl -0pi -e 'BEGIN { $base = shift @ARGV }
    s{<DefaultBase>.*?</DefaultBase>}{<DefaultBase>$base</DefaultBase>}s
      or s{(<KarvolaConfiguration>\r?\n)}{$1\t<DefaultBase>$base</DefaultBase>\r\n};' "$escaped" "$config"
  echo "Named the sample base as the default in $config"
fi
