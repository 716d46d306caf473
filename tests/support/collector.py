#!/usr/bin/env python3
"""Report collector: a small real HTTP server on 127.0.0.1 that records every
request it receives and answers with a status the test chooses.

Command line
    collector.py --port-file FILE --log FILE [--status CODE] [--status-file FILE]
                 [--port N]

    --port-file FILE    written once the server listens: the port number and a
                        newline. Written atomically (temporary file, then rename),
                        so a test can poll for the file to exist and read it.
    --log FILE          every request is appended here as one JSON object per line
                        (JSON lines), flushed as soon as the request has been read
                        completely and before any answer is sent.
    --status CODE       how to answer: an HTTP status code (200, 404, 500, ...) or
                        "never" (read the request, record it, keep the connection
                        open and send nothing until the client gives up).
                        Default 200.
    --status-file FILE  optional; read again for every request. When the file
                        exists and holds a code or "never", that wins over
                        --status, so a test can change the answer while the
                        collector runs (write a temporary file and rename it).
    --port N            port to listen on; default 0 (the system picks one).

    The server binds 127.0.0.1 only, serves each connection on its own thread
    and runs until it receives SIGTERM or SIGINT.

Log line (one per request, keys in this order)
    {"seq": 1,                       # 1, 2, 3 ... in order of arrival
     "method": "POST",
     "path": "/api/uninstallFeedback/save",   # the request target as sent
     "version": "HTTP/1.1",
     "headers": [["Host", "127.0.0.1:4711"], ["Content-Type", "application/json"], ...],
     "raw_headers": ["Host: 127.0.0.1:4711", "Content-Type:application/json", ...],
     "body": "{...}",                # the body decoded as UTF-8 (invalid bytes replaced)
     "body_hex": "7b2e2e2e7d",       # the body's exact bytes, lower-case hex
     "status": 200}                  # the answer chosen, or "never"

    "headers" holds each header as sent, in order, name and value split at the
    first colon with the blanks around the value removed; "raw_headers" holds
    the header lines exactly as they arrived, without the line end.

Answer
    A status line with the chosen code, "Content-Type: application/json",
    "Content-Length" and "Connection: close", and the body {"code":0}. A request
    with "Expect: 100-continue" first gets "HTTP/1.1 100 Continue". Bodies are
    read by "Content-Length" or by chunked transfer coding.

Example (bash)
    python3 tests/support/collector.py --port-file "$d/port" --log "$d/log.jsonl" \
        --status-file "$d/status" & pid=$!
    while [ ! -s "$d/port" ]; do sleep 0.1; done
    url="http://127.0.0.1:$(cat "$d/port")/"
    echo 500 >"$d/status.tmp" && mv "$d/status.tmp" "$d/status"
    ...
    kill "$pid"
"""

import argparse
import json
import os
import signal
import socket
import socketserver
import sys
import threading

MAX_BODY = 64 * 1024 * 1024

REASONS = {200: "OK", 201: "Created", 204: "No Content", 400: "Bad Request",
           403: "Forbidden", 404: "Not Found", 500: "Internal Server Error",
           502: "Bad Gateway", 503: "Service Unavailable"}


def parse_status(text):
    text = text.strip().lower()
    if text == "never":
        return "never"
    code = int(text)
    if not 100 <= code <= 999:
        raise ValueError("status out of range: %d" % code)
    return code


class Collector:
    def __init__(self, log_path, status, status_file):
        self.log_path = log_path
        self.status = status
        self.status_file = status_file
        self.lock = threading.Lock()
        self.seq = 0
        self.held = []  # connections that are never answered
        # Start with an empty log, so a reader never sees an earlier run's lines.
        open(log_path, "wb").close()

    def current_status(self):
        if self.status_file:
            try:
                with open(self.status_file, "r", encoding="ascii") as f:
                    text = f.read()
                if text.strip():
                    return parse_status(text)
            except (OSError, ValueError):
                pass
        return self.status

    def record(self, entry):
        with self.lock:
            self.seq += 1
            line = dict(seq=self.seq)
            line.update(entry)
            with open(self.log_path, "a", encoding="utf-8") as f:
                f.write(json.dumps(line, ensure_ascii=False) + "\n")
                f.flush()
                os.fsync(f.fileno())


class Handler(socketserver.StreamRequestHandler):
    def read_line(self):
        line = self.rfile.readline(65537)
        if not line:
            return None
        return line.rstrip(b"\r\n")

    def read_body(self, headers):
        lower = {k.lower(): v for k, v in headers}
        if "chunked" in lower.get("transfer-encoding", "").lower():
            body = b""
            while True:
                size_line = self.read_line()
                if size_line is None:
                    return body
                size = int(size_line.split(b";")[0], 16)
                if size == 0:
                    while self.read_line():  # trailers up to the blank line
                        pass
                    return body
                body += self.rfile.read(size)
                self.rfile.readline()
        length = int(lower.get("content-length", "0") or 0)
        if length < 0 or length > MAX_BODY:
            raise ValueError("bad Content-Length")
        return self.rfile.read(length) if length else b""

    def handle(self):
        collector = self.server.collector
        request_line = self.read_line()
        if not request_line:
            return
        parts = request_line.decode("latin-1").split(" ")
        method = parts[0] if parts else ""
        target = parts[1] if len(parts) > 1 else ""
        version = parts[2] if len(parts) > 2 else ""
        raw_headers, headers = [], []
        while True:
            line = self.read_line()
            if not line:
                break
            text = line.decode("latin-1")
            raw_headers.append(text)
            name, _, value = text.partition(":")
            headers.append([name.strip(), value.strip()])

        status = collector.current_status()
        expect = [v for k, v in headers if k.lower() == "expect"]
        if expect and expect[0].lower() == "100-continue" and status != "never":
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
            self.wfile.flush()
        try:
            body = self.read_body(headers)
        except ValueError:
            body = b""
        collector.record(dict(method=method, path=target, version=version,
                              headers=headers, raw_headers=raw_headers,
                              body=body.decode("utf-8", errors="replace"),
                              body_hex=body.hex(), status=status))

        if status == "never":
            # Keep the connection open and silent until the client closes it.
            with collector.lock:
                collector.held.append(self.connection)
            try:
                while self.connection.recv(4096):
                    pass
            except OSError:
                pass
            return
        answer = b'{"code":0}'
        head = ("HTTP/1.1 %d %s\r\nContent-Type: application/json\r\n"
                "Content-Length: %d\r\nConnection: close\r\n\r\n"
                % (status, REASONS.get(status, "Status"), len(answer)))
        try:
            self.wfile.write(head.encode("ascii") + answer)
            self.wfile.flush()
        except OSError:
            pass


class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    ap = argparse.ArgumentParser(description="Records HTTP requests; answers with a chosen status.")
    ap.add_argument("--port-file", required=True)
    ap.add_argument("--log", required=True)
    ap.add_argument("--status", default="200", type=parse_status)
    ap.add_argument("--status-file")
    ap.add_argument("--port", default=0, type=int)
    args = ap.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    server.collector = Collector(args.log, args.status, args.status_file)
    port = server.server_address[1]
    tmp = args.port_file + ".tmp"
    with open(tmp, "w", encoding="ascii") as f:
        f.write("%d\n" % port)
    os.replace(tmp, args.port_file)

    def stop(signum, frame):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        for conn in server.collector.held:
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
