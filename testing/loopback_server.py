#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the Wine tests: the maker's web server stands here.

  loopback_server.py start <state-dir> <port>   start it in the background (pid in the folder)
  loopback_server.py stop <state-dir>           stop it

The same answers come over https on a port the system picks, written to <state-dir>/tls.port;
its certificate (for 127.0.0.1, made with openssl when there is none or it is about to expire)
is <state-dir>/tls/cert.der, for the tests to trust.

Every request is appended to <state-dir>/requests.log as one line: the path with its query, a
tab, the User-Agent header, a tab, the Cookie header ("-" for a header that is not there). Every
answer sets the cookie "loopback=1". Files are served from <state-dir>/files; a file that is not
there is a 404. Path prefixes change the answer and can be combined:
  /slow/<ms>/...     wait <ms> milliseconds before answering
  /status/<code>/... answer with that status (and the file's body, or a short text)
  /short/...         announce the whole length but send only half the body, then hang up
  /nolength/...      send no Content-Length; the end of the body is the end of the connection
  /drip/<ms>/...     send the body in 4096-byte pieces, <ms> milliseconds apart
  /trickle/<ms>/...  send the body one byte at a time, <ms> milliseconds apart
  /loop/...          redirect to the same address, for ever
  /moved/...         redirect to the rest of the path
  /hops/<n>/...      redirect n times before answering for the rest
  /tofile/...        redirect to a file: address
  /tohttp/...        redirect to the rest of the path on the plain http port
  /tohttps/...       redirect to the rest of the path on the https port
Beside a served file, a file of the same name ending in ".delay" holds milliseconds to wait
before answering for it.
"""
import http.server
import os
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    state = "."
    lock = threading.Lock()
    ports = {"http": 0, "https": 0}

    def log_message(self, *args):
        pass

    def end_headers(self):
        self.send_header("Set-Cookie", "loopback=1; Path=/; Max-Age=3600")
        super().end_headers()

    def redirect(self, location):
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_GET(self):
        agent = self.headers.get("User-Agent") or "-"
        cookie = self.headers.get("Cookie") or "-"
        with Handler.lock:
            with open(os.path.join(Handler.state, "requests.log"), "a", encoding="utf-8") as log:
                log.write(self.path + "\t" + agent + "\t" + cookie + "\n")
        hops = self.path.split("/", 3)
        if len(hops) == 4 and hops[1] == "hops" and hops[2].isdigit() and int(hops[2]) > 0:
            self.redirect("/hops/%d/%s" % (int(hops[2]) - 1, hops[3]))
            return
        if len(hops) == 4 and hops[1] == "hops" and hops[2].isdigit():
            self.path = "/" + hops[3]
        if self.path.startswith("/tofile/"):
            self.redirect("file:///C:/windows/notepad.exe")
            return
        for scheme in ("http", "https"):
            if self.path.startswith("/to%s/" % scheme):
                rest = self.path[len("/to%s" % scheme):]
                self.redirect("%s://127.0.0.1:%d%s" % (scheme, Handler.ports[scheme], rest))
                return
        if self.path.startswith(("/loop/", "/moved/")):
            moved = self.path.startswith("/moved/")
            self.redirect(self.path[len("/moved"):] if moved else self.path)
            return
        path, status, short, nolength, drip, piece = self.path, None, False, False, 0, 4096
        while True:
            parts = path.split("/", 3)
            head = parts[1] if len(parts) > 1 else ""
            number = parts[2] if len(parts) > 2 and parts[2].isdigit() else None
            rest = "/" + (parts[3] if len(parts) > 3 else "")
            if head == "slow" and number:
                time.sleep(int(number) / 1000.0)
                path = rest
            elif head == "status" and number:
                status, path = int(number), rest
            elif head in ("drip", "trickle") and number:
                drip, path = int(number), rest
                piece = 4096 if head == "drip" else 1
            elif head in ("short", "nolength"):
                short, nolength = short or head == "short", nolength or head == "nolength"
                path = "/" + "/".join(parts[2:])
            else:
                break
        name = os.path.normpath(path.split("?", 1)[0].split("#", 1)[0].lstrip("/"))
        file = os.path.join(Handler.state, "files", name)
        body = None
        if not name.startswith("..") and os.path.isfile(file):
            with open(file, "rb") as f:
                body = f.read()
            try:
                with open(file + ".delay") as f:
                    time.sleep(int(f.read().strip() or 0) / 1000.0)
            except (OSError, ValueError):
                pass
        if status is None:
            status = 200 if body is not None else 404
        if body is None:
            body = b"no such file" if status == 404 else b"ok"
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if nolength:
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if short:
            body = body[: len(body) // 2]
            self.close_connection = True
        try:
            if drip:
                for i in range(0, len(body), piece):
                    self.wfile.write(body[i : i + piece])
                    self.wfile.flush()
                    time.sleep(drip / 1000.0)
            else:
                self.wfile.write(body)
            self.wfile.flush()
            if short:
                self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            self.close_connection = True


def tls_context(state):
    """The https side's certificate, kept while it is good for another day."""
    folder = os.path.join(state, "tls")
    os.makedirs(folder, exist_ok=True)
    cert, key, der = (os.path.join(folder, name) for name in ("cert.pem", "key.pem", "cert.der"))
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    if subprocess.call(["openssl", "x509", "-checkend", "86400", "-noout", "-in", cert], **quiet):
        subprocess.check_call(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days",
                               "30", "-subj", "/CN=127.0.0.1", "-addext",
                               "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1", "-keyout", key,
                               "-out", cert], **quiet)
        subprocess.check_call(["openssl", "x509", "-in", cert, "-outform", "der", "-out", der],
                              **quiet)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def start(state, port):
    os.makedirs(os.path.join(state, "files"), exist_ok=True)
    stop(state)
    Handler.state = state
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    secure = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    secure.daemon_threads = True
    secure.socket = tls_context(state).wrap_socket(secure.socket, server_side=True)
    Handler.ports = {"http": server.server_address[1], "https": secure.server_address[1]}
    with open(os.path.join(state, "tls.port"), "w") as f:
        f.write(str(Handler.ports["https"]))
    child = os.fork()
    if child:
        # Written before start returns, so that a stop right after it finds the server.
        with open(os.path.join(state, "server.pid"), "w") as f:
            f.write(str(child))
        return 0
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    threading.Thread(target=secure.serve_forever, daemon=True).start()
    server.serve_forever()
    return 0


def stop(state):
    pidfile = os.path.join(state, "server.pid")
    try:
        with open(pidfile) as f:
            pid = int(f.read().strip())
        # Only our own server: the number may belong to another program by now.
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            if b"loopback_server.py" in f.read():
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
