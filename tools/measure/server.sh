#!/usr/bin/env bash
# The leaderboard server's figures (docs/performance.md), all on 127.0.0.1:
#  - verified submissions a second from 8 clients (wrk), each a new game,
#    against velquadro-verify of the same files in one loop (one process),
#    and against one such process a core, the machine's whole;
#  - leaderboard requests a second from 8 clients, against nginx serving the
#    very same JSON as a static file;
#  - the p99 latency of both at 32 clients; the server's peak memory;
#  - two servers on one PostgreSQL (a cluster of its own, tools/pg-cluster)
#    under 32 clients for PG_SECONDS (30): steady, with one server killed
#    (SIGKILL) and started again 5 s later as its systemd unit would, and with
#    PostgreSQL restarted; the games a second, the p99, every answer other
#    than 201, and whether every game answered 201 is on the board.
# Usage: tools/measure/server.sh [seconds per run, default 8]
# PARTS=sqlite or PARTS=postgresql runs one part alone.
# Builds in build/. Installs wrk, nginx and curl with apt-get when missing (with
# sudo when not root): no test needs them. Where an init system runs, Debian's
# nginx package also starts its own service on port 80 (`systemctl disable --now
# nginx` stops it); this script runs an nginx of its own on 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/../.."
missing=()
for tool in wrk:wrk nginx:nginx-light curl:curl; do
  command -v "${tool%%:*}" >/dev/null || [[ -x /usr/sbin/${tool%%:*} ]] || missing+=("${tool#*:}")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
export PATH=$PATH:/usr/sbin
seconds=${1:-8}
games=${GAMES:-80000}  # two runs of 8 s, each on games of its own
parts=${PARTS:-sqlite,postgresql}
pg_seconds=${PG_SECONDS:-30}

cmake -S . -B build >/dev/null
cmake --build build -j2 --target velquadro-verify velquadro-server velquadro-bench >/dev/null

work=$(mktemp -d /tmp/vq_measure_server_XXXXXX)
server_pid=""
nginx_conf=""
cluster=""
pg_pids=()
cleanup() {
  [[ -n "$server_pid" ]] && { kill -9 "$server_pid"; wait "$server_pid"; } 2>/dev/null
  [[ -n "$nginx_conf" ]] && nginx -c "$nginx_conf" -s stop 2>/dev/null
  for pid in "${pg_pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  [[ -n "$cluster" ]] && tools/pg-cluster stop "$cluster"
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
cores=$(nproc)

echo "Making $games games..."
mkdir "$work/games"
build/velquadro-bench games "$work/games" "$games" 3000
frames=$(build/velquadro-verify "$work"/games/game-{0..99}.vqreplay |
  awk '{ sum += $(NF-3) } END { printf "%d", sum / NR }')
bytes=$(du -b "$work/games" | awk -v n="$games" '{ printf "%d", $1 / n }')
echo "a game: $frames frames, some $bytes bytes"

cat >"$work/submit.lua" <<'LUA'
-- Each request a game not sent before: thread k of n sends games k, k+n, ...
local threads = {}
function setup(thread)
  thread:set("id", #threads)
  table.insert(threads, thread)
end
function init(args)
  n = id + tonumber(os.getenv("VQ_FIRST"))
  step = #threads > 0 and #threads or tonumber(os.getenv("VQ_THREADS"))
  not_created = 0
  statuses = {}
  ids = {}
end
function request()
  local file = io.open(string.format("%s/game-%d.vqreplay", os.getenv("VQ_GAMES"), n), "rb")
  n = n + step
  if not file then file = io.open(os.getenv("VQ_GAMES") .. "/game-0.vqreplay", "rb") end
  local body = file:read("*a")
  file:close()
  return wrk.format("POST", "/api/games?name=player" .. (n % 97), {}, body)
end
function response(status, headers, body)
  statuses[status] = (statuses[status] or 0) + 1
  if status ~= 201 then
    not_created = not_created + 1
  else
    ids[#ids + 1] = string.match(body, '"id":(%d+)')
  end
end
function done(summary, latency, requests)
  local bad, counts = 0, {}
  local out = os.getenv("VQ_IDS") and io.open(os.getenv("VQ_IDS"), "a")
  for _, thread in ipairs(threads) do
    bad = bad + thread:get("not_created")
    for status, count in pairs(thread:get("statuses")) do counts[status] = (counts[status] or 0) + count end
    if out then
      for _, id in ipairs(thread:get("ids")) do out:write(id, "\n") end
    end
  end
  if out then out:close() end
  io.write(string.format("answers other than 201: %d\n", bad))
  local list = {}
  for status, count in pairs(counts) do list[#list + 1] = status .. ":" .. count end
  table.sort(list)
  io.write("statuses: " .. table.concat(list, " ") .. "\n")
  local e = summary.errors
  io.write(string.format("socket errors: %d\n", e.connect + e.read + e.write + e.timeout))
end
LUA

# wrk: two threads, as many as the machine's cores; the rates and p99 lines.
run_wrk() {  # clients, then wrk's other arguments
  local clients=$1
  shift
  wrk -t2 -c"$clients" -d"${seconds}s" --latency "$@" >"$work/wrk.log"
  local rate p99 other
  # Of submissions, only the 201s count: a game sent again is no new work.
  rate=$(awk '/ requests in / { n = $1; t = $4 + 0; if ($4 ~ /ms,?$/) t /= 1000 }
              /answers other than 201/ { bad = $NF }
              END { printf "%.1f", (n - bad) / t }' "$work/wrk.log")
  p99=$(awk '$1 == "99%" { print $2 }' "$work/wrk.log")
  other=$(awk '/answers other than 201|Non-2xx/ { print }' "$work/wrk.log")
  echo "$rate $p99 ${other:-}"
}
export VQ_GAMES=$work/games

if [[ $parts == *sqlite* ]]; then
# The limits: velquadro-verify of the first files the server will be sent,
# in one loop, then one process a core, each on its share of the files.
limit_files=20000  # some 3 to 5 s: a shorter run moves by a fifth
verify_rate() {  # verify_rate <processes>: games a second
  local start end
  start=$(date +%s.%N)
  for ((c = 0; c < $1; c++)); do
    ls "$work/games" | sort -V | head -n $limit_files | awk -v c=$c -v n="$1" -v d="$work/games" 'NR % n == c { print d "/" $0 }' |
      xargs build/velquadro-verify >/dev/null &
  done
  wait
  end=$(date +%s.%N)
  awk -v n=$limit_files -v s="$start" -v e="$end" 'BEGIN { print n / (e - s) }'
}
limit=$(verify_rate 1)
printf 'velquadro-verify, one loop: %.0f games a second\n' "$limit"
limit_all=$(verify_rate "$cores")
printf 'velquadro-verify, %d processes: %.0f games a second\n' "$cores" "$limit_all"

port=$(free_port)
build/velquadro-server --data "$work/data" --listen "127.0.0.1:$port" --rate 0 --queue 1024 >"$work/server.log" &
server_pid=$!
sleep 0.5

export VQ_THREADS=2
export VQ_FIRST=0
read -r submit8 submit8_p99 submit8_other < <(run_wrk 8 -s "$work/submit.lua" "http://127.0.0.1:$port/")
printf 'submissions, 8 clients: %.0f a second (%s), p99 %s\n' "$submit8" "$submit8_other" "$submit8_p99"
export VQ_FIRST=$((games / 2))
read -r submit32 submit32_p99 submit32_other < <(run_wrk 32 -s "$work/submit.lua" "http://127.0.0.1:$port/")
printf 'submissions, 32 clients: %.0f a second (%s), p99 %s\n' "$submit32" "$submit32_other" "$submit32_p99"

board="/api/leaderboard?mode=0&limit=10"
curl -fsS "http://127.0.0.1:$port$board" >"$work/leaderboard.json"
echo "the leaderboard: $(wc -c <"$work/leaderboard.json") bytes"
read -r board8 board8_p99 _ < <(run_wrk 8 "http://127.0.0.1:$port$board")
read -r board32 board32_p99 _ < <(run_wrk 32 "http://127.0.0.1:$port$board")
peak=$(awk '/^VmHWM/ { print $2 }' "/proc/$server_pid/status")

# nginx serving the same JSON, with as many workers as cores.
nginx_port=$(free_port)
mkdir -p "$work/nginx/logs"
nginx_conf=$work/nginx/nginx.conf
cat >"$nginx_conf" <<EOF
worker_processes $cores;
pid $work/nginx/nginx.pid;
error_log $work/nginx/logs/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  server {
    listen 127.0.0.1:$nginx_port;
    location = /leaderboard.json { root $work; default_type application/json; }
  }
}
EOF
nginx -c "$nginx_conf" -p "$work/nginx"
sleep 0.3
read -r nginx8 nginx8_p99 _ < <(run_wrk 8 "http://127.0.0.1:$nginx_port/leaderboard.json")
read -r nginx32 nginx32_p99 _ < <(run_wrk 32 "http://127.0.0.1:$nginx_port/leaderboard.json")

share() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", 100 * a / b }'; }
echo
echo "| What | velquadro-server | beside it | share |"
echo "|---|---|---|---|"
printf '| verified submissions a second, 8 clients | %.0f | %.0f (velquadro-verify, one loop) | %s %% |\n' \
  "$submit8" "$limit" "$(share "$submit8" "$limit")"
printf '| the same, against every core verifying | %.0f | %.0f (velquadro-verify, %d processes) | %s %% |\n' \
  "$submit8" "$limit_all" "$cores" "$(share "$submit8" "$limit_all")"
printf '| leaderboard requests a second, 8 clients | %.0f | %.0f (nginx, the same JSON) | %s %% |\n' \
  "$board8" "$nginx8" "$(share "$board8" "$nginx8")"
printf '| p99 latency of a submission, 32 clients | %s | | |\n' "$submit32_p99"
printf '| p99 latency of the leaderboard, 32 clients | %s | %s (nginx) | |\n' "$board32_p99" "$nginx32_p99"
printf '| leaderboard requests a second, 32 clients | %.0f | %.0f (nginx) | %s %% |\n' \
  "$board32" "$nginx32" "$(share "$board32" "$nginx32")"
printf '| the server'"'"'s peak memory (VmHWM) | %d KiB | | |\n' "$peak"
kill -9 "$server_pid" && { wait "$server_pid" 2>/dev/null || true; }
server_pid=""
fi


[[ $parts == *postgresql* ]] || exit 0

# Two servers on one PostgreSQL cluster, 16 clients each (one wrk apiece, the
# games of the one interleaved with the other's), on a new board each run.
read -r cluster url < <(tools/pg-cluster start)
pg_ports=("$(free_port)" "$(free_port)")
start_pg_server() {  # start_pg_server <k>: server k on its port
  build/velquadro-server --database "$url" --listen "127.0.0.1:${pg_ports[$1]}" --rate 0 --queue 1024 \
    >>"$work/pg-server-$1.log" 2>&1 &
  pg_pids[$1]=$!
  for _ in $(seq 100); do curl -fs "http://127.0.0.1:${pg_ports[$1]}/healthz" >/dev/null && return; sleep 0.05; done
  echo "server $1 did not start" >&2 && cat "$work/pg-server-$1.log" >&2 && exit 1
}
stop_pg_servers() {
  for pid in "${pg_pids[@]}"; do kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
  pg_pids=()
}
pg_run() {  # pg_run <name> <fault command, run a third of the way in>: one row of the table
  local name=$1 fault=$2
  stop_pg_servers
  psql -qX "$url" -c "DROP TABLE IF EXISTS bests, games, board_schema" 2>/dev/null
  start_pg_server 0
  start_pg_server 1
  rm -f "$work/ids" "$work/wrk-1-again.log"
  local wrks=()
  for k in 0 1; do
    VQ_FIRST=$k VQ_THREADS=2 VQ_IDS=$work/ids wrk -t1 -c16 -d"${pg_seconds}s" --latency -s "$work/submit.lua" \
      "http://127.0.0.1:${pg_ports[$k]}/" >"$work/wrk-$k.log" &
    wrks+=($!)
  done
  if [[ -n $fault ]]; then
    sleep $((pg_seconds / 3))
    eval "$fault"
  fi
  wait "${wrks[@]}"
  local stored answered missing
  answered=$(wc -l <"$work/ids")
  stored=$(psql -qXAt "$url" -c "SELECT COUNT(*) FROM games")
  missing=$(psql -qXAt "$url" <<SQL
CREATE TEMP TABLE answered (id BIGINT);
\\copy answered FROM '$work/ids'
SELECT COUNT(*) FROM answered a LEFT JOIN games g ON g.id = a.id WHERE g.id IS NULL;
SQL
)
  # A field of server k's wrk logs: of the one after a restart too, after a "then".
  field() { sed -n "$2" "$work/wrk-$1.log" "$work"/wrk-$1-again.log 2>/dev/null | paste -sd '|' | sed 's/|/ then /'; }
  printf '| %s | %.0f | %s; %s | %s; %s | %s; %s | %s of %s answered 201 (%s stored) |\n' "$name" \
    "$(awk -v n="$answered" -v s="$pg_seconds" 'BEGIN { print n / s }')" \
    "$(field 0 's/^ *99% *//p')" "$(field 1 's/^ *99% *//p')" \
    "$(field 0 's/^statuses: //p')" "$(field 1 's/^statuses: //p')" \
    "$(field 0 's/^socket errors: //p')" "$(field 1 's/^socket errors: //p')" \
    "$missing" "$answered" "$stored"
}
echo
echo "Two servers on PostgreSQL $(psql -qXAt "$url" -c 'SHOW server_version'), 32 clients, ${pg_seconds} s a run:"
echo
echo "| Run | games stored a second (201) | p99, server 1; 2 | answers, server 1; 2 | socket errors, server 1; 2 | games answered 201 missing from the board |"
echo "|---|---|---|---|---|---|"
pg_run "steady" ""
# Server 2 killed, and started again 5 s later as its unit would; its clients
# stop at the kill (wrk, stopped by SIGINT, still counts what they had) and
# new ones take later games once it serves again.
pg_run "server 2 killed a third of the way in (SIGKILL), started again 5 s later" \
  'kill -9 "${pg_pids[1]}"; wait "${pg_pids[1]}" 2>/dev/null || true; kill -INT "${wrks[1]}"; wait "${wrks[1]}" || true
   sleep 5 && start_pg_server 1
   VQ_FIRST=$((1 + games / 2)) VQ_THREADS=2 VQ_IDS=$work/ids wrk -t1 -c16 -d"$((pg_seconds - pg_seconds / 3 - 5))s" \
     --latency -s "$work/submit.lua" "http://127.0.0.1:${pg_ports[1]}/" >"$work/wrk-1-again.log" &
   wrks[1]=$!'
pg_run "PostgreSQL restarted a third of the way in, down 2 s" 'tools/pg-cluster restart "$cluster" 2'
