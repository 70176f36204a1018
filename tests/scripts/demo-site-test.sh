#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/demo-site as a user runs it: start brings the demo site up, and stop
# ends every process that start started, the workers that php -S forks when
# PHP_CLI_SERVER_WORKERS is set among them.
#
#   tests/scripts/demo-site-test.sh <source dir> <build dir>
set -uo pipefail
ROOT=$1
BUILD=$2

for program in php curl; do
  command -v "$program" >/dev/null || { echo "SKIP: needs $program, which scripts/test installs"; exit 77; }
done
PATH=$PATH:/usr/sbin:/sbin command -v mariadbd >/dev/null ||
  { echo "SKIP: needs mariadb-server, which scripts/test installs"; exit 77; }

WORK=$(mktemp -d "$BUILD/demo-site-test-XXXXXX")
export CORVANTA_BUILD=$WORK
cleanup() {
  "$ROOT/scripts/demo-site" stop >/dev/null 2>&1
  rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# The live processes (zombies aside) of a process group.
members() {
  local proc stat state pgrp
  for proc in /proc/[0-9]*; do
    read -r stat 2>/dev/null <"$proc/stat" || continue
    read -r state _ pgrp _ <<<"${stat##*) }"
    [ "$pgrp" = "$1" ] && [ "$state" != Z ] && echo "${proc#/proc/}"
  done
}

if ! PHP_CLI_SERVER_WORKERS=3 "$ROOT/scripts/demo-site" start; then
  echo "FAILED: scripts/demo-site start"
  exit 1
fi
RUN=$WORK/demo-site/run
web=$(cat "$RUN/php.pid")
db=$(cat "$RUN/mysqld.pid")
read -r _ webport <"$WORK/demo-site/ports"
script="http://127.0.0.1:$webport/couponsactions.php"

count=$(members "$web" | wc -l)
[ "$count" -ge 4 ] || fail "the web server and its 3 workers: $count processes in its group"
reply=$(curl -s -m 60 -F action=1 -F end= "$script")
[ "$reply" = OK ] || fail "the demo site answers \"$reply\" instead of OK"

PHP_CLI_SERVER_WORKERS=3 "$ROOT/scripts/demo-site" stop || fail "scripts/demo-site stop"
left=$(members "$web"; members "$db")
[ -z "$left" ] || fail "left running after stop: $(echo $left)"
curl -s -m 10 -o /dev/null "$script" && fail "the web port still answers after stop"

# Started again on the data of the first run, and stopped again.
"$ROOT/scripts/demo-site" start >/dev/null || fail "scripts/demo-site start after a stop"
reply=$(. "$WORK/demo-site/site.env" && curl -s -m 60 -F action=5 -F end= "$DEMO_URL/couponsactions.php")
[[ $reply == *'"SPRING"'*OK ]] || fail "the demo coupons after a restart: \"$reply\""
"$ROOT/scripts/demo-site" stop || fail "the second stop"

if [ "$failures" -eq 0 ]; then
  echo "1 passed, 0 failed"
else
  echo "0 passed, 1 failed"
  exit 1
fi
