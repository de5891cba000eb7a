#!/usr/bin/python3
"""A small update server for the catalogue tests, on 127.0.0.1.

Usage: updateserver.py ROOT PORTFILE

Serves the files of ROOT with their Last-Modified dates (HEAD and GET), and a few
misbehaving paths:
  /nodate/<path>   the file without a Last-Modified header
  /status/<code>   answers with that status code
  /stall/<path>    accepts the request and never answers
  /half/<path>     announces the whole file (fresh Last-Modified) but sends half, then closes
  /slow/<path>     sends the file in 16 small blocks, 50 ms apart
The chosen port is written to PORTFILE once the server listens.
"""
import email.utils
import http.server
import os
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def _file(self, rel):
        return os.path.join(self.server.root, rel.lstrip("/"))

    def _send_special(self, head):
        path = self.path.split("?")[0]
        if path.startswith("/status/"):
            code = int(path.split("/")[2])
            self.send_response(code)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return True
        if path.startswith("/stall/"):
            time.sleep(60)
            return True
        for prefix in ("/nodate/", "/half/", "/slow/"):
            if path.startswith(prefix):
                name = self._file(path[len(prefix):])
                if not os.path.isfile(name):
                    self.send_error(404)
                    return True
                data = open(name, "rb").read()
                self.send_response(200)
                self.send_header("Content-Type", "application/xml")
                self.send_header("Content-Length", str(len(data)))
                if prefix != "/nodate/":
                    self.send_header("Last-Modified", email.utils.formatdate(time.time() + 3600, usegmt=True))
                self.end_headers()
                if head:
                    return True
                if prefix == "/half/":
                    self.wfile.write(data[: len(data) // 2])
                    self.wfile.flush()
                    self.close_connection = True
                elif prefix == "/slow/":
                    step = max(1, len(data) // 16)
                    for i in range(0, len(data), step):
                        self.wfile.write(data[i:i + step])
                        self.wfile.flush()
                        time.sleep(0.05)
                else:
                    self.wfile.write(data)
                return True
        return False

    def do_HEAD(self):
        if not self._send_special(True):
            super().do_HEAD()

    def do_GET(self):
        if not self._send_special(False):
            super().do_GET()

    def translate_path(self, path):
        return self._file(path.split("?")[0])


def main():
    root, portfile = sys.argv[1], sys.argv[2]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.root = root
    with open(portfile + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(portfile + ".tmp", portfile)
    server.serve_forever()


if __name__ == "__main__":
    main()
