#!/usr/bin/env bash
# Gives a first run something to work on: copies the sample data base into the
# default application directory and names it as the default base, and the
# sample data source where the database creation wizard looks first. Only on
# first use: an existing configuration or data file is never touched. The user
# guide the build made goes to Documents/, where Help > Read the User Guide opens it.
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
if [ ! -e "$config" ]; then
  base="$home/DataBase/sample.txt"
  # The configuration's own escaping, for a home path holding & < or >.
  base=${base//&/&amp;}; base=${base//</&lt;}; base=${base//>/&gt;}
  printf '<?xml version="1.0" encoding="iso-8859-1" ?>\r\n<KarvolaConfiguration>\r\n\t<DefaultBase>%s</DefaultBase>\r\n</KarvolaConfiguration>\r\n' \
    "$base" > "$config"
fi
