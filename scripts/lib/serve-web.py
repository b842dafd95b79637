#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Serves the built web page on this machine only, as a static host would:

    serve-web.py <site directory> [--port N]

Binds 127.0.0.1 (port 0, the default, takes any free port) and prints one line,
http://127.0.0.1:<port>/, once it accepts connections. Every answer carries the
page's own Content-Security-Policy (read from the meta tag of its index.html),
Cache-Control: no-cache and an ETag, so a file the browser holds is confirmed
rather than sent again; text and the engine are sent gzipped to clients that
accept it, so transfer sizes are those of a real host. Ctrl+C stops it.
"""

import argparse
import gzip
import hashlib
import html
import re
import signal
import sys
import threading
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path
from urllib.parse import unquote, urlsplit

TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".mjs": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".json": "application/json",
    ".webmanifest": "application/manifest+json",
    ".wasm": "application/wasm",
    ".png": "image/png",
    ".svg": "image/svg+xml",
    ".ico": "image/x-icon",
    ".txt": "text/plain; charset=utf-8",
}
# PNG is compressed already.
COMPRESSED = {".html", ".js", ".mjs", ".css", ".json", ".webmanifest", ".wasm", ".svg", ".txt"}

CSP_META = re.compile(
    r'<meta\s+http-equiv="Content-Security-Policy"\s+content="([^"]*)"', re.IGNORECASE)


def page_policy(site):
    """The Content-Security-Policy the page declares, or None."""
    index = site / "index.html"
    if not index.is_file():
        return None
    match = CSP_META.search(index.read_text(encoding="utf-8"))
    return html.unescape(match.group(1)) if match else None


def accepts_gzip(header):
    for part in (header or "").split(","):
        name, _, params = part.strip().partition(";")
        if name.strip().lower() in ("gzip", "*"):
            return not re.search(r"q\s*=\s*0(\.0*)?\s*$", params.strip())
    return False


class Files:
    """Each file's bytes, gzipped bytes and tag, made once per version of it,
    as a static host keeps them: the page's first load waits on no compressor."""

    def __init__(self):
        self.known = {}
        self.lock = threading.Lock()

    def get(self, target, compress):
        stat = target.stat()
        key = (target, stat.st_mtime_ns, stat.st_size)
        with self.lock:
            entry = self.known.get(key)
        if entry is None:
            body = target.read_bytes()
            entry = (body, gzip.compress(body, mtime=0) if compress else None,
                     f'W/"{hashlib.sha256(body).hexdigest()[:20]}"')
            with self.lock:
                self.known[key] = entry
        return entry


def make_handler(site, policy):
    files = Files()

    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"  # keep-alive, as a real host
        # Headers and body go out in separate writes: with Nagle's algorithm a
        # kept-alive connection waits for the browser's delayed ACK between them.
        disable_nagle_algorithm = True

        def version_string(self):
            return "psifonomoi-serve"

        def resolve(self):
            """The file a request names inside the site, or None."""
            path = unquote(urlsplit(self.path).path, errors="strict")
            if "\0" in path:
                return None
            if path.endswith("/"):
                path += "index.html"
            target = (site / path.lstrip("/")).resolve()
            if site != target and site not in target.parents:
                return None
            return target if target.is_file() else None

        def answer(self, with_body):
            try:
                target = self.resolve()
            except UnicodeDecodeError:
                target = None
            if target is None:
                self.send_error(HTTPStatus.NOT_FOUND)
                return
            suffix = target.suffix.lower()
            body, gzipped, tag = files.get(target, suffix in COMPRESSED)
            # A copy the browser already has is confirmed, not sent again.
            if tag in (self.headers.get("If-None-Match") or ""):
                self.send_response(HTTPStatus.NOT_MODIFIED)
                self.send_header("ETag", tag)
                self.send_header("Cache-Control", "no-cache")
                self.end_headers()
                return
            self.send_response(HTTPStatus.OK)
            self.send_header("Content-Type", TYPES.get(suffix, "application/octet-stream"))
            self.send_header("Cache-Control", "no-cache")
            self.send_header("ETag", tag)
            self.send_header("X-Content-Type-Options", "nosniff")
            if policy:
                self.send_header("Content-Security-Policy", policy)
            if suffix in COMPRESSED:
                self.send_header("Vary", "Accept-Encoding")
                if accepts_gzip(self.headers.get("Accept-Encoding")):
                    body = gzipped
                    self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if with_body:
                self.wfile.write(body)

        def handle(self):
            try:
                super().handle()
            except ConnectionError:
                pass  # the browser went away mid-answer (a closed tab): nothing to tell

        def do_GET(self):
            self.answer(True)

        def do_HEAD(self):
            self.answer(False)

        def log_message(self, format, *args):
            pass  # the browser suite and the bench read stdout; keep it to the address

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("site", type=Path)
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    site = args.site.resolve()
    if not (site / "index.html").is_file():
        sys.exit(f"serve-web: {site} has no index.html; build the web preset first")
    server = ThreadingHTTPServer(("127.0.0.1", args.port), make_handler(site, page_policy(site)))
    server.daemon_threads = True
    # Ctrl+C stops it even when started from a script that runs it in the
    # background (where SIGINT starts out ignored); so does a plain kill.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
