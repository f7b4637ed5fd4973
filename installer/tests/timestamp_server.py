#!/usr/bin/env python3
"""A loopback RFC 3161 time-stamping service for the signing tests: `openssl ts -reply` behind
a small HTTP server, with a throw-away time-stamping certificate.

  timestamp_server.py <folder>

Makes <folder>/tsa.pem (the certificate that verifies its answers) and its key, listens on a free
loopback port, writes its address to <folder>/url and answers POSTed time-stamp queries until it
is ended.
"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = """[tsa]
default_tsa = tsa_config
[tsa_config]
serial = {folder}/serial
signer_cert = {folder}/tsa.pem
signer_key = {folder}/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
"""


def make_authority(folder):
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Stashly test time stamps", "-addext",
                    "extendedKeyUsage=critical,timeStamping", "-addext",
                    "keyUsage=critical,digitalSignature", "-keyout", f"{folder}/tsa.key",
                    "-out", f"{folder}/tsa.pem"], check=True, capture_output=True)
    with open(f"{folder}/serial", "w") as f:
        f.write("01\n")
    with open(f"{folder}/tsa.cnf", "w") as f:
        f.write(CONFIG.format(folder=folder))


def handler(folder):
    class TimeStamps(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
            with tempfile.TemporaryDirectory(dir=folder) as tmp:
                with open(f"{tmp}/query", "wb") as f:
                    f.write(query)
                made = subprocess.run(["openssl", "ts", "-reply", "-config", f"{folder}/tsa.cnf",
                                       "-queryfile", f"{tmp}/query", "-out", f"{tmp}/reply"],
                                      capture_output=True)
                reply = open(f"{tmp}/reply", "rb").read() if made.returncode == 0 else None
            if reply is None:
                self.send_error(400, "not a time-stamp query")
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def log_message(self, *args):
            pass

    return TimeStamps


def main():
    folder = os.path.abspath(sys.argv[1])
    os.makedirs(folder, exist_ok=True)
    make_authority(folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler(folder))
    with open(f"{folder}/url.tmp", "w") as f:
        f.write(f"http://127.0.0.1:{server.server_address[1]}/\n")
    os.replace(f"{folder}/url.tmp", f"{folder}/url")
    server.serve_forever()


if __name__ == "__main__":
    main()
