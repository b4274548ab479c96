#!/usr/bin/python3
"""The board on PostgreSQL as an administrator runs it: real velquadro-server
processes on a cluster of the test's own (tests/server/pg_cluster.sh).

- A board moves from SQLite to PostgreSQL and back with --export and --import,
  nothing lost: the same list, the same replays, the same leaderboards; an
  edited list entry is refused and told, and an import again adds nothing.
- A server finding tables newer than it knows refuses to start, in one line.
- Two servers take a stream of submissions while PostgreSQL restarts and while
  one of them is killed: no answer but 201, 200 or 503 (the dead one's clients
  send to the other), and every game answered 201 is on the board.

Usage: test_postgresql.py VELQUADRO_SERVER VELQUADRO_BENCH PG_CLUSTER_SH
"""
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.error
import urllib.request

SERVER, BENCH, CLUSTER = sys.argv[1:4]
GAMES = 120  # 60 a fault, sent over some 1.5 s: the fault falls within the stream
checks = {"passed": 0, "failed": 0}


def check(what, good):
    checks["passed" if good else "failed"] += 1
    print(("ok: " if good else "FAILED: ") + what, flush=True)


def start(store, *options):
    log = tempfile.TemporaryFile()  # its log, which a pipe left unread would block once full
    server = subprocess.Popen([SERVER, *store, "--listen", "127.0.0.1:0", "--rate", "0", *options],
                              stdout=subprocess.PIPE, stderr=log, text=True)
    line = server.stdout.readline()
    port = re.search(r"127\.0\.0\.1:(\d+)/", line)
    assert port, "the server said: " + line + (log.seek(0) or log.read().decode())
    return server, int(port.group(1))


def stop(server):
    if server.poll() is None:
        server.kill()
    server.wait()


def request(port, path, body=None):
    try:
        with urllib.request.urlopen(urllib.request.Request(f"http://127.0.0.1:{port}{path}", data=body),
                                    timeout=20) as answer:
            return answer.status, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.read()


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
    server, port = start(sqlite(1))
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
    server, port = start(sqlite(2))
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


def newer_tables(database, url):
    subprocess.run(["psql", "-qX", url, "-c", "UPDATE board_schema SET version = version + 1"], check=True)
    done = run(*database, "--listen", "127.0.0.1:0")
    subprocess.run(["psql", "-qX", url, "-c", "UPDATE board_schema SET version = version - 1"], check=True)
    check(f"tables newer than the server knows: it refuses, in one line: {done.stderr.strip()}",
          done.returncode == 1 and done.stderr.count("\n") == 1 and "newer" in done.stderr and not done.stdout)


def stream(ports, replays, fault):
    """Four senders, two to each server, each sending a game every 0.1 s until
    it is answered 201 or 200; a 503 is sent again after a while, and a sender
    whose server is gone turns to the other. fault() runs once eight are
    answered. Returns the answered games, the count of each status, and the
    times a sender turned to the other server."""
    answered, statuses, lock = {}, {}, threading.Lock()
    turned = []
    position = iter(range(len(replays)))

    def sender(k):
        port = ports[k % 2]
        while True:
            with lock:
                n = next(position, None)
            if n is None:
                return
            for _ in range(400):
                try:
                    status, body = request(port, f"/api/games?name=s{n}", replays[n])
                except OSError:
                    port = ports[1 - ports.index(port)]
                    turned.append(n)
                    continue
                with lock:
                    statuses[status] = statuses.get(status, 0) + 1
                if status in (200, 201):
                    with lock:
                        answered[n] = (status, json.loads(body)["id"])
                    break
                statuses["said"] = json.loads(body)["error"]
                time.sleep(0.05)
            time.sleep(0.1)

    threads = [threading.Thread(target=sender, args=(k,)) for k in range(4)]
    for thread in threads:
        thread.start()
    while len(answered) < 8:
        time.sleep(0.005)
    fault()
    for thread in threads:
        thread.join()
    return answered, statuses, len(turned)


def faults(work, database, url, folder, replays):
    servers = [start(database), start(database)]
    ports = [port for _, port in servers]
    try:
        restart = lambda: subprocess.run(["bash", CLUSTER, "restart", folder, "1"], check=True)
        answered, statuses, _ = stream(ports, replays[:GAMES // 2], restart)
        said = statuses.pop("said", "")
        check(f"PostgreSQL restarted under a stream to two servers: answers {statuses}, all {len(answered)} games "
              "answered in the end", set(statuses) <= {200, 201, 503} and 503 in statuses and
              len(answered) == GAMES // 2)
        check(f"a 503 says to send again, naming no host of the board's: {said}", "again" in said and "127." not in said)
        check("... both servers reconnected and serve", all(request(p, "/api/modes")[0] == 200 for p in ports))
        kill = lambda: servers[0][0].send_signal(signal.SIGKILL)
        later, statuses, turned = stream(ports, replays[GAMES // 2:], kill)
        answered.update({GAMES // 2 + n: result for n, result in later.items()})
        check(f"one server killed under the stream: answers {statuses}, {turned} sent again to the other, which "
              "took the rest", set(statuses) <= {200, 201} and turned > 0 and len(answered) == GAMES)
        lost = [n for n, (status, game_id) in answered.items()
                if request(ports[1], f"/api/games/{game_id}") != (200, replays[n])]
        check(f"every game answered 201 or 200 is on the board: {len(answered)}, lost {lost}", not lost)
    finally:
        for server, _ in servers:
            stop(server)


def main():
    started = subprocess.run(["bash", CLUSTER, "start"], capture_output=True, text=True, check=True).stdout.split()
    folder, url = started[0], started[1]
    try:
        with tempfile.TemporaryDirectory(prefix="vq_server_pg_") as work:
            games = os.path.join(work, "games")
            os.mkdir(games)
            subprocess.run([BENCH, "games", games, str(GAMES + 30), "100"], check=True, capture_output=True)
            replays = [open(os.path.join(games, f"game-{n}.vqreplay"), "rb").read() for n in range(GAMES + 30)]
            golden_dir = os.path.join(os.path.dirname(__file__), "..", "replays")
            goldens = [open(os.path.join(golden_dir, name), "rb").read()
                       for name in sorted(os.listdir(golden_dir)) if name.endswith(".vqreplay")]
            database = ["--database", url]
            moving_a_board(work, database, replays[GAMES:], goldens)
            newer_tables(database, url)
            faults(work, database, url, folder, replays[:GAMES])
    finally:
        subprocess.run(["bash", CLUSTER, "stop", folder])
    print(f"server on PostgreSQL: {checks['passed']} passed, {checks['failed']} failed")
    sys.exit(1 if checks["failed"] else 0)


if __name__ == "__main__":
    main()
