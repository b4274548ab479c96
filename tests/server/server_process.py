"""The real velquadro-server as the Python tests start, ask and stop it."""
import re
import subprocess
import tempfile
import urllib.error
import urllib.request


def start(program, *options):
    """The server with options on a free port of 127.0.0.1: its process and port."""
    log = tempfile.TemporaryFile()  # its standard error, which a pipe left unread would block once full
    server = subprocess.Popen([program, *options, "--listen", "127.0.0.1:0", "--rate", "0"],
                              stdout=subprocess.PIPE, stderr=log, text=True)
    line = server.stdout.readline()
    port = re.search(r"127\.0\.0\.1:(\d+)/", line)
    assert port, "the server said: " + line + (log.seek(0) or log.read().decode())
    return server, int(port.group(1))


def stop(server):
    if server.poll() is None:
        server.kill()
    server.wait()


def request(port, path, body=None, timeout=20):
    """The status and body of a request to the server; a connection cut raises OSError."""
    try:
        with urllib.request.urlopen(urllib.request.Request(f"http://127.0.0.1:{port}{path}", data=body),
                                    timeout=timeout) as answer:
            return answer.status, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.read()
