#!/usr/bin/python3
"""A station directory server for the tests, on 127.0.0.1, in the directory API's form.

Usage: directoryserver.py ROOT PORTFILE

  /json/servers           ROOT/servers.json
  /json/stations?...      ROOT/stations.json, gzip-compressed when the client accepts it
  /json/url/<uuid>        counts a play: appends "<uuid>" to ROOT/clicks.log
  anything else           the file under ROOT (favicons)

Every request is appended to ROOT/requests.log as "path<TAB>user agent<TAB>accept-encoding".
The station list misbehaves as ROOT/mode says (read at each request):
  ok (or no file)  the list;   html  a web page with status 200;   damaged  broken JSON;
  truncated        half of the compressed list, then the connection closes;
  stall            accepts the request and never answers;   status500  an error status;
  huge             200 MB of stations, sent as fast as the client reads.
The chosen port is written to PORTFILE once the server listens.
"""
import gzip
import http.server
import json
import os
import sys
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def _root(self, name):
        return os.path.join(self.server.root, name)

    def _log(self):
        with open(self._root("requests.log"), "a") as log:
            log.write("%s\t%s\t%s\n" % (self.path, self.headers.get("User-Agent", ""),
                                        self.headers.get("Accept-Encoding", "")))

    def _send(self, body, ctype="application/json", encoding=None, status=200):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def _mode(self):
        try:
            with open(self._root("mode")) as f:
                return f.read().strip()
        except OSError:
            return "ok"

    def _stations(self):
        mode = self._mode()
        gz = "gzip" in self.headers.get("Accept-Encoding", "")
        if mode == "stall":
            time.sleep(60)
            return
        if mode == "status500":
            self._send(b"{}", status=500)
            return
        if mode == "html":
            self._send(b"<html><body>Maintenance</body></html>", ctype="text/html")
            return
        if mode == "damaged":
            self._send(b'[{"name": "A", "url": "http://x/"}, {"name": tru')
            return
        if mode == "huge":
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.end_headers()
            entry = json.dumps({"name": "N" * 10000, "url": "http://127.0.0.1/x"}).encode() + b","
            self.wfile.write(b"[")
            try:
                for _ in range(200 * 1024 * 1024 // len(entry)):
                    self.wfile.write(entry)
            except OSError:
                pass
            self.close_connection = True
            return
        with open(self._root("stations.json"), "rb") as f:
            data = f.read()
        body = gzip.compress(data) if gz else data
        if mode == "truncated":
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            if gz:
                self.send_header("Content-Encoding", "gzip")
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        self._send(body, encoding="gzip" if gz else None)

    def do_GET(self):
        self._log()
        path = self.path.split("?")[0]
        if path == "/json/servers":
            with open(self._root("servers.json"), "rb") as f:
                self._send(f.read())
        elif path == "/json/stations":
            self._stations()
        elif path.startswith("/json/url/"):
            uuid = path[len("/json/url/"):]
            with open(self._root("clicks.log"), "a") as log:
                log.write(uuid + "\n")
            self._send(json.dumps({"ok": True, "message": "retrieved station url",
                                   "stationuuid": uuid, "name": "", "url": ""}).encode())
        else:
            name = os.path.realpath(self._root(path.lstrip("/")))
            if not name.startswith(os.path.realpath(self.server.root)) or not os.path.isfile(name):
                self._send(b"not found", ctype="text/plain", status=404)
                return
            with open(name, "rb") as f:
                self._send(f.read(), ctype="application/octet-stream")


def main():
    root, port_file = sys.argv[1], sys.argv[2]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.root = root
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
