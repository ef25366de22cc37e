#!/usr/bin/env python3
"""A stand-in EPCIS repository for the tests, on a free port of 127.0.0.1 (printed first).
Usage: epcis_capture_server.py MODE FOLDER. Every POST is kept in FOLDER as request.json
(path and headers) and body; then MODE answers: accept (202 with a Location), refuse (400
with a two-line body) or silent (no answer at all)."""
import http.server
import json
import sys
import time

mode, folder = sys.argv[1:3]


class Repository(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with open(f"{folder}/body", "wb") as f:
            f.write(body)
        with open(f"{folder}/request.json", "w", encoding="utf-8") as f:
            json.dump({"path": self.path, "headers": dict(self.headers)}, f)
        if mode == "silent":
            time.sleep(60)
            return
        if mode == "accept":
            self.send_response(202)
            self.send_header("Location", "/capture/job-17")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        text = b'{"type":"epcisException:ValidationException","title":"eventTime missing"}\nsecond line\n'
        self.send_response(400)
        self.send_header("Content-Type", "application/problem+json")
        self.send_header("Content-Length", str(len(text)))
        self.end_headers()
        self.wfile.write(text)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Repository)
print(server.server_address[1], flush=True)
server.serve_forever()
