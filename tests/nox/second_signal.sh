#!/usr/bin/env bash
# A second stop signal ends terravane-nox at once, while the logout of the first is still going.
# Usage: second_signal.sh PATH-TO-terravane-nox
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$1" --dir "$dir" >"$dir/out.txt" 2>&1 &
pid=$!
for _ in $(seq 100); do
  grep -q "Terrain editor online" "$dir/out.txt" && break
  sleep 0.1
done
sleep 0.5              # the handlers are in place once the login is done
kill -TERM "$pid"
sleep 0.3              # the logout now waits a second before it sends anything
kill -INT "$pid"
wait "$pid"
status=$?
cat "$dir/out.txt"
[ "$status" -eq 130 ] && ! grep -q "Terrain editor offline" "$dir/out.txt"
