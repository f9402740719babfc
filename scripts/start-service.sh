#!/usr/bin/env bash
# Starts the local karvola-service on the sample content in the background,
# unless something answers on its address already or KARVOLA_SERVICE_HOST names
# another service. The sample's upcoming matches are past ones, shifted so that
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

if listening; then
  echo "Something answers on $host:$port already (a karvola-service started earlier?); using it"
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
