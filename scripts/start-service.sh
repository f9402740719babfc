#!/usr/bin/env bash
# Starts the local karvola-service on the sample content in the background,
# unless something answers on its address already (it says whether that is a
# karvola-service of this build with upcoming matches) or KARVOLA_SERVICE_HOST
# names another service. The sample's upcoming matches are past ones, shifted so that
# the first kicks off a day after the start. The log goes to
# $XDG_STATE_HOME/karvola/service.log.
#   scripts/start-service.sh PATH/TO/karvola-service
set -euo pipefail

service=${1:?usage: $0 PATH/TO/karvola-service}
host=127.0.0.1
port=8470

if [ -n "${KARVOLA_SERVICE_HOST:-}" ]; then
  echo "KARVOLA_SERVICE_HOST is $KARVOLA_SERVICE_HOST: the local karvola-service is not started"
  exit 0
fi

listening() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }

# ask REQUEST: the whole answer of whatever listens, within 5 s; nothing when
# it closes the connection or stays silent.
ask() {
  { timeout 5 bash -c 'exec 3<>"/dev/tcp/$1/$2" && printf "%s" "$3" >&3 && cat <&3' ask "$host" "$port" "$1" ||
    true; } 2>/dev/null | tr -d '\r'
}

# What answers already is used only when it is this build's karvola-service and
# offers upcoming matches to the sample key; anything else is named and left alone.
if listening; then
  version=$("$service" --version | sed -n 's/^karvola-service \([^ ]*\) .*/\1/p')
  body='request=download&uid=demo'
  reply=$(ask "$(printf 'POST /download_upcomings_service.php HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: %d\r\n\r\n%s' "${#body}" "$body")")
  server=$(printf '%s\n' "$reply" | awk '/^Server: / && !found { sub(/^Server: /, ""); print; found = 1 }')
  document=$(printf '%s' "$reply" | sed -n 's/.*\[DATA\]\(.*\)\[\/DATA\].*/\1/p' | tr -- '-_' '+/')
  matches=$(printf '%s' "$document" | base64 -d 2>/dev/null | grep -c '<SPORT_EVENT>' || true)
  if [ "$server" != "karvola-service/$version" ]; then
    echo "Something else answers on $host:$port (${server:-not a karvola-service}): Karvola will ask it for the" >&2
    echo "bookmaker directory and upcoming matches; stop it, or set KARVOLA_SERVICE_HOST to another service" >&2
  elif [ "${matches:-0}" -eq 0 ]; then
    echo "The karvola-service on $host:$port offers no upcoming matches: one started earlier without" >&2
    echo "--shift-to-now, or whose matches have kicked off; stop it and make run starts a fresh one" >&2
  else
    echo "karvola-service $version answers on $host:$port already with $matches upcoming matches; using it"
  fi
  exit 0
fi

state=${XDG_STATE_HOME:-$HOME/.local/state}/karvola
mkdir -p "$state"
nohup "$service" --listen "$host:$port" --shift-to-now --log "$state/service.log" >"$state/service.out" 2>&1 </dev/null &
pid=$!
for _ in $(seq 50); do
  if listening; then
    echo "Started karvola-service on $host:$port with the sample content, its upcoming matches from tomorrow on"
    echo "(pid $pid, log $state/service.log);"
    echo "it keeps running after Karvola ends: stop it with kill $pid"
    exit 0
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
echo "karvola-service did not start; see $state/service.out" >&2
exit 1
