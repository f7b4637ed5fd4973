#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the Wine tests: the maker's web server stands here.

  loopback_server.py start <state-dir> <port>   start it in the background (pid in the folder)
  loopback_server.py stop <state-dir>           stop it

Every request is appended to <state-dir>/requests.log as one line: the path with its query, a
tab, the User-Agent header ("-" when there is none). The answer depends on the path:
  /slow/<ms>/rest   waits <ms> milliseconds, then answers as for /rest
  /status/<code>/.. answers with that status and a short body
  anything else     the file of that name under <state-dir>/files when there is one, else 200 "ok"
"""
import http.server
import os
import signal
import sys
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    state = "."
    lock = threading.Lock()

    def log_message(self, *args):
        pass

    def do_GET(self):
        agent = self.headers.get("User-Agent") or "-"
        with Handler.lock:
            with open(os.path.join(Handler.state, "requests.log"), "a", encoding="utf-8") as log:
                log.write(self.path + "\t" + agent + "\n")
        path = self.path
        status = 200
        while True:
            parts = path.split("/", 3)
            if len(parts) >= 3 and parts[1] == "slow" and parts[2].isdigit():
                time.sleep(int(parts[2]) / 1000.0)
                path = "/" + (parts[3] if len(parts) > 3 else "")
            elif len(parts) >= 3 and parts[1] == "status" and parts[2].isdigit():
                status = int(parts[2])
                path = "/" + (parts[3] if len(parts) > 3 else "")
            else:
                break
        name = os.path.normpath(path.split("?", 1)[0].lstrip("/"))
        file = os.path.join(Handler.state, "files", name)
        body = b"ok"
        if not name.startswith("..") and os.path.isfile(file):
            with open(file, "rb") as f:
                body = f.read()
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass


def start(state, port):
    os.makedirs(os.path.join(state, "files"), exist_ok=True)
    stop(state)
    Handler.state = state
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    if os.fork():
        return 0
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    with open(os.path.join(state, "server.pid"), "w") as f:
        f.write(str(os.getpid()))
    server.serve_forever()
    return 0


def stop(state):
    pidfile = os.path.join(state, "server.pid")
    try:
        with open(pidfile) as f:
            pid = int(f.read().strip())
        os.kill(pid, signal.SIGTERM)
    except (OSError, ValueError):
        pass
    try:
        os.remove(pidfile)
    except OSError:
        pass
    return 0


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == "start":
        return start(os.path.abspath(sys.argv[2]), int(sys.argv[3]))
    if len(sys.argv) >= 3 and sys.argv[1] == "stop":
        return stop(os.path.abspath(sys.argv[2]))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
