#!/usr/bin/python3
"""Nothing answered is lost: the real velquadro-server, killed with SIGKILL in
the middle of a stream of submissions and started again, lists every game it
answered 201; stopped with SIGTERM while submissions are in hand, it answers
each of them first, and keeps them.

Usage: test_kill.py VELQUADRO_SERVER VELQUADRO_BENCH
"""
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

from server_process import request, start

SERVER, BENCH = sys.argv[1], sys.argv[2]
GAMES = 90  # within the 100 a leaderboard lists, each under its own name


def submit(port, name, replay):
    """The answer's status and id, or None when no answer came."""
    try:
        status, body = request(port, "/api/games?name=" + name, replay, timeout=10)
        return status, json.loads(body).get("id")
    except (OSError, ValueError):
        return None


def kill_midstream(port, server, replays):
    answered = {}  # game number: id, for every 201
    lock = threading.Lock()
    position = iter(range(GAMES))

    def sender():
        while True:
            with lock:
                n = next(position, None)
            if n is None:
                return
            result = submit(port, f"p{n}", replays[n])
            if result is None:
                return  # the server is gone
            status, game_id = result
            assert status == 201, f"game {n}: {status}"
            with lock:
                answered[n] = game_id

    threads = [threading.Thread(target=sender) for _ in range(4)]
    for thread in threads:
        thread.start()
    while len(answered) < GAMES // 3:
        time.sleep(0.005)
    server.send_signal(signal.SIGKILL)
    server.wait()
    for thread in threads:
        thread.join()
    return answered


def main():
    with tempfile.TemporaryDirectory(prefix="vq_server_kill_") as work:
        games, data = os.path.join(work, "games"), os.path.join(work, "data")
        os.mkdir(games)
        subprocess.run([BENCH, "games", games, str(GAMES), "150"], check=True)
        replays = [open(os.path.join(games, f"game-{n}.vqreplay"), "rb").read() for n in range(GAMES)]

        server, port = start(SERVER, "--data", data)
        answered = kill_midstream(port, server, replays)
        assert len(answered) < GAMES, "the server was killed after the stream"

        server, port = start(SERVER, "--data", data)
        try:
            for n, game_id in answered.items():
                status, body = request(port, f"/api/games/{game_id}")
                assert status == 200 and body == replays[n], f"game {n} (id {game_id}) was lost"
            status, body = request(port, "/api/leaderboard?mode=0&limit=100")
            listed = {game["name"] for game in json.loads(body)["games"]}
            missing = {f"p{n}" for n in answered} - listed
            assert not missing, f"answered 201 but not on the board: {sorted(missing)}"
            print(f"killed after {len(answered)} answers of {GAMES}: every one of them is on the board")

            # A clean stop: eight submissions whose bodies are half sent when
            # SIGTERM comes are each answered, then the server ends.
            # (The last games: the stream never reached them.)
            rest = range(GAMES - 8, GAMES)
            sockets = []
            for n in rest:
                connection = socket.create_connection(("127.0.0.1", port))
                connection.sendall(f"POST /api/games?name=t{n} HTTP/1.1\r\nHost: x\r\n"
                                   f"Content-Length: {len(replays[n])}\r\n\r\n".encode() + replays[n][:20])
                sockets.append(connection)
            time.sleep(0.3)
            server.send_signal(signal.SIGTERM)
            time.sleep(0.3)
            for n, connection in zip(rest, sockets):
                connection.sendall(replays[n][20:])
                connection.settimeout(10)
                answer = connection.recv(4096).decode(errors="replace")
                assert answer.startswith("HTTP/1.1 201"), f"game {n} in hand at SIGTERM: {answer!r}"
                connection.close()
            assert server.wait(timeout=10) == 0, "the server did not end cleanly"
        finally:
            if server.poll() is None:
                server.kill()
                server.wait()

        server, port = start(SERVER, "--data", data)
        try:
            status, body = request(port, "/api/leaderboard?mode=0&limit=100")
            listed = {game["name"] for game in json.loads(body)["games"]}
            assert {f"t{n}" for n in rest} <= listed, "a game answered at the clean stop was lost"
        finally:
            server.kill()
            server.wait()
    print("server kill: 2 passed, 0 failed")


if __name__ == "__main__":
    main()
