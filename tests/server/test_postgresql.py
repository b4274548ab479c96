#!/usr/bin/python3
"""The board on PostgreSQL as an administrator runs it: real velquadro-server
processes on a cluster of the test's own (tools/pg-cluster).

- A board moves from SQLite to PostgreSQL and back with --export and --import,
  nothing lost: the same list, the same replays, the same leaderboards; an
  edited list entry is refused and told, and an import again adds nothing.
- Two servers take a stream of submissions while PostgreSQL restarts: no
  answer but 201, 200 or 503, both serve again by themselves, and every game
  answered 201 is on the board.

Usage: tools/pg-cluster run test_postgresql.py VELQUADRO_SERVER VELQUADRO_BENCH tools/pg-cluster
"""
import json
import os
import subprocess
import sys
import tempfile
import threading
import time

from server_process import request, start, stop

SERVER, BENCH, CLUSTER = sys.argv[1:4]
GAMES = 60  # sent over some 1.5 s: PostgreSQL restarts within the stream
checks = {"passed": 0, "failed": 0}


def check(what, good):
    checks["passed" if good else "failed"] += 1
    print(("ok: " if good else "FAILED: ") + what, flush=True)


def run(*arguments):
    return subprocess.run([SERVER, *arguments], capture_output=True, text=True)


def board_of(port):
    """Every mode's leaderboard of 100, without the ids."""
    status, body = request(port, "/api/modes")
    boards = {}
    for mode in json.loads(body)["modes"]:
        games = json.loads(request(port, f"/api/leaderboard?mode={mode['mode']}&limit=100")[1])["games"]
        boards[mode["mode"]] = [{k: v for k, v in game.items() if k != "id"} for game in games]
    return boards


def moving_a_board(work, database, replays, goldens):
    sqlite = lambda k: ["--data", os.path.join(work, f"sqlite-{k}")]
    export = lambda k: os.path.join(work, f"export-{k}")
    server, port = start(SERVER, *sqlite(1))
    try:
        sent = replays[:30] + goldens
        assert all(request(port, f"/api/games?name=p{n % 7}", game)[0] == 201 for n, game in enumerate(sent))
        before = board_of(port)
    finally:
        stop(server)
    for store, action, k in [(sqlite(1), "--export", 0), (database, "--import", 0), (database, "--export", 1),
                             (sqlite(2), "--import", 1), (sqlite(2), "--export", 2)]:
        done = run(*store, action, export(k))
        check(f"{action} on {store[0][2:]}: {done.stdout.strip()}", done.returncode == 0 and not done.stderr)

    def games(k):  # each game of export k: its line but the file's name, and the file's bytes
        with open(os.path.join(export(k), "games.tsv")) as f:
            lines = [line.split("\t", 1) for line in f if not line.startswith("#")]
        return [(line[1], open(os.path.join(export(k), line[0]), "rb").read()) for line in lines]

    check(f"SQLite to PostgreSQL and back: {len(games(0))} games, their names, dates, results and replays the same",
          games(0) == games(2) and len(games(0)) == len(sent))
    server, port = start(SERVER, *sqlite(2))
    try:
        check("... and the leaderboards", board_of(port) == before)
    finally:
        stop(server)
    again = run(*database, "--import", export(0))
    check(f"an import again adds nothing: {again.stdout.strip()}", again.returncode == 0 and
          f"imported 0 games from {export(0)}, {len(sent)} on the board already, 0 refused" in again.stdout)
    # An entry whose score was edited is refused and told; the rest go in.
    with open(os.path.join(export(0), "games.tsv")) as f:
        lines = f.read().splitlines(True)
    fields = lines[3].split("\t")
    lines[3] = "\t".join(fields[:4] + [str(int(fields[4]) + 10)] + fields[5:])
    with open(os.path.join(export(0), "games.tsv"), "w") as f:
        f.writelines(lines)
    edited = run(*sqlite(3), "--import", export(0))
    check(f"an edited entry is refused and told: {edited.stderr.strip()}", edited.returncode == 1 and
          edited.stderr.count("\n") == 1 and "line 4" in edited.stderr and
          f"imported {len(sent) - 1} games" in edited.stdout)
    check("an export into a folder that holds one already is refused", run(*database, "--export", export(1)).returncode == 1)


def restart_under_stream(database, folder, replays):
    """Four senders, two to each of two servers, each sending a game every
    0.1 s until it is answered 201 or 200 (a 503 is sent again after a
    while); PostgreSQL restarts once eight are answered."""
    servers = [start(SERVER, *database), start(SERVER, *database)]
    ports = [port for _, port in servers]
    answered, statuses, lock = {}, {}, threading.Lock()
    position = iter(range(len(replays)))

    def sender(port):
        while (n := next(position, None)) is not None:  # (next on a range's iterator holds the GIL throughout)
            for _ in range(400):
                status, body = request(port, f"/api/games?name=s{n}", replays[n])
                with lock:
                    statuses[status] = statuses.get(status, 0) + 1
                if status in (200, 201):
                    answered[n] = json.loads(body)["id"]
                    break
                statuses["said"] = json.loads(body)["error"]
                time.sleep(0.05)
            time.sleep(0.1)

    try:
        threads = [threading.Thread(target=sender, args=(ports[k % 2],)) for k in range(4)]
        for thread in threads:
            thread.start()
        while len(answered) < 8:
            time.sleep(0.005)
        subprocess.run(["bash", CLUSTER, "restart", folder, "1"], check=True)
        for thread in threads:
            thread.join()
        said = statuses.pop("said", "")
        check(f"PostgreSQL restarted under a stream to two servers: answers {statuses}, all {len(answered)} games "
              "answered in the end", set(statuses) <= {200, 201, 503} and 503 in statuses and
              len(answered) == len(replays))
        check(f"a 503 says to send again, naming no host of the board's: {said}", "again" in said and "127." not in said)
        check("... both servers reconnected and serve", all(request(p, "/api/modes")[0] == 200 for p in ports))
        lost = [n for n, game_id in answered.items() if request(ports[n % 2], f"/api/games/{game_id}") != (200, replays[n])]
        check(f"every game answered 201 or 200 is on the board: {len(answered)}, lost {lost}", not lost)
    finally:
        for server, _ in servers:
            stop(server)


def main():
    database = ["--database", os.environ["PG_CLUSTER_URL"]]
    with tempfile.TemporaryDirectory(prefix="vq_server_pg_") as work:
        games = os.path.join(work, "games")
        os.mkdir(games)
        subprocess.run([BENCH, "games", games, str(GAMES + 30), "100"], check=True, capture_output=True)
        replays = [open(os.path.join(games, f"game-{n}.vqreplay"), "rb").read() for n in range(GAMES + 30)]
        golden_dir = os.path.join(os.path.dirname(__file__), "..", "replays")
        goldens = [open(os.path.join(golden_dir, name), "rb").read()
                   for name in sorted(os.listdir(golden_dir)) if name.endswith(".vqreplay")]
        moving_a_board(work, database, replays[GAMES:], goldens)
        restart_under_stream(database, os.environ["PG_CLUSTER_FOLDER"], replays[:GAMES])
    print(f"server on PostgreSQL: {checks['passed']} passed, {checks['failed']} failed")
    sys.exit(1 if checks["failed"] else 0)


if __name__ == "__main__":
    main()
