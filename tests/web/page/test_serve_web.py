# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""scripts/lib/serve-web.py, which the browser suite and the bench load the
page from: the address line, the types browsers insist on (a module or the
engine with a wrong type does not run), gzip only where asked for, the page's
own policy as a header, and nothing outside the site.

    SERVE_WEB=<serve-web.py> python3 -m unittest test_serve_web
"""

import gzip
import http.client
import os
import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SERVER = os.environ.get("SERVE_WEB") or str(
    Path(__file__).resolve().parents[3] / "scripts/lib/serve-web.py")
POLICY = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; form-action 'none'"
FILES = {
    "index.html": f'<meta http-equiv="Content-Security-Policy" content="{POLICY}">'.encode(),
    "app.js": b"export const x = 1;\n" * 50,
    "style.css": b"body { margin: 0; }\n" * 50,
    "manifest.webmanifest": b'{"name": "x"}',
    "psifonomoi.wasm": b"\0asm\1\0\0\0" + bytes(2000),
    "icon-192.png": b"\x89PNG\r\n\x1a\n" + bytes(500),
    "sub/index.html": b"<p>sub</p>",
}


class ServeWeb(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        root = Path(cls.dir.name)
        (root / "secret.txt").write_text("outside the site")
        for name, data in FILES.items():
            (root / "site" / name).parent.mkdir(parents=True, exist_ok=True)
            (root / "site" / name).write_bytes(data)
        cls.server = subprocess.Popen([sys.executable, SERVER, str(root / "site")],
                                      stdout=subprocess.PIPE, text=True)
        cls.address = cls.server.stdout.readline().rstrip("\n")
        match = re.fullmatch(r"http://127\.0\.0\.1:(\d+)/", cls.address)
        if not match:
            cls.tearDownClass()
            raise AssertionError(f"first line {cls.address!r} is not the address")
        cls.port = int(match.group(1))

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait(timeout=10)
        cls.server.stdout.close()
        cls.dir.cleanup()

    def fetch(self, path, method="GET", encoding=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        connection.request(method, path, headers={"Accept-Encoding": encoding} if encoding else {})
        response = connection.getresponse()
        body = response.read()
        connection.close()
        return response, body

    def test_types_encoding_and_headers(self):
        rows = [  # path, file, type, sent gzipped to a client that accepts it
            ("/", "index.html", "text/html; charset=utf-8", True),
            ("/app.js", "app.js", "text/javascript; charset=utf-8", True),
            ("/style.css", "style.css", "text/css; charset=utf-8", True),
            ("/manifest.webmanifest", "manifest.webmanifest", "application/manifest+json", True),
            ("/psifonomoi.wasm", "psifonomoi.wasm", "application/wasm", True),
            ("/icon-192.png", "icon-192.png", "image/png", False),
            ("/sub/", "sub/index.html", "text/html; charset=utf-8", True),
            ("/app.js?v=2", "app.js", "text/javascript; charset=utf-8", True),
        ]
        accepted = {None: False, "gzip": True, "deflate, gzip;q=0": False,
                    "br;q=1, gzip;q=0.5": True}
        for path, name, kind, compressed in rows:
            for encoding, accepts in accepted.items():
                with self.subTest(path=path, encoding=encoding):
                    response, body = self.fetch(path, encoding=encoding)
                    self.assertEqual(response.status, 200)
                    self.assertEqual(response.getheader("Content-Type"), kind)
                    self.assertEqual(response.getheader("Cache-Control"), "no-cache")
                    self.assertEqual(response.getheader("Content-Security-Policy"), POLICY)
                    self.assertEqual(int(response.getheader("Content-Length")), len(body))
                    gzipped = compressed and accepts
                    self.assertEqual(response.getheader("Content-Encoding"),
                                     "gzip" if gzipped else None)
                    self.assertEqual(gzip.decompress(body) if gzipped else body, FILES[name])

    def test_a_copy_the_browser_holds_is_confirmed_not_sent(self):
        first, _ = self.fetch("/app.js")
        tag = first.getheader("ETag")
        for sent, status in ((tag, 304), (f'"x", {tag}', 304), ('W/"other"', 200), (None, 200)):
            with self.subTest(sent=sent):
                connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
                connection.request("GET", "/app.js", headers={"If-None-Match": sent} if sent else {})
                response = connection.getresponse()
                body = response.read()
                connection.close()
                self.assertEqual(response.status, status)
                self.assertEqual(body, b"" if status == 304 else FILES["app.js"])
        other, _ = self.fetch("/style.css")
        self.assertNotEqual(other.getheader("ETag"), tag)

    def test_head_answers_without_a_body(self):
        response, body = self.fetch("/app.js", method="HEAD")
        self.assertEqual(response.status, 200)
        self.assertEqual(body, b"")
        self.assertEqual(int(response.getheader("Content-Length")), len(FILES["app.js"]))

    def test_nothing_outside_the_site_or_missing(self):
        for path in ("/../secret.txt", "/%2e%2e/secret.txt", "/sub/../../secret.txt",
                     "/sub/%2E%2E/%2E%2E/secret.txt", "//secret.txt", "/missing.js",
                     "/%00index.html", "/%ff.js", "/sub"):
            with self.subTest(path=path):
                response, body = self.fetch(path)
                self.assertEqual(response.status, 404)
                self.assertNotIn(b"outside the site", body)

    def test_a_folder_without_a_page_is_refused(self):
        with tempfile.TemporaryDirectory() as empty:
            run = subprocess.run([sys.executable, SERVER, empty], capture_output=True,
                                 text=True, timeout=30)
        self.assertNotEqual(run.returncode, 0)
        self.assertEqual(run.stdout, "")
        self.assertIn("no index.html", run.stderr)


if __name__ == "__main__":
    unittest.main()
