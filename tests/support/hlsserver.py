#!/usr/bin/python3
"""A live HLS server for tests, on 127.0.0.1.

Usage: hlsserver.py FOLDER PORTFILE [--stall-after SECONDS] [--missing INDEX[:TIMES]]...
                   [--tls CERTFILE KEYFILE] [--map NAME]

FOLDER holds the segments and segments.txt (one "NAME DURATION" line per segment, in
order). The server writes its port to PORTFILE and publishes the segments as a live
stream: three segments at the first playlist request, one more each segment duration, the playlist showing
the last five (no end tag: after the last segment the playlist stops moving).

  /live.m3u8     the media playlist
  /master.m3u8   a master playlist with three variants: a low one (64 kbit/s), the
                 live one (140 kbit/s) and a video one (2.5 Mbit/s); only the live one
                 exists, so a player that picks another fails
  /seg/NAME      a segment

--stall-after S: the playlist stops moving S seconds after the first request.
--missing I[:T]: segment I answers 404 (T times, then normally; always without T).
--tls CERT KEY: HTTPS instead of HTTP.
--map NAME: the segments are fragmented MP4 whose initialisation section is NAME.
Every request is appended to FOLDER/requests.log.
"""
import http.server
import math
import os
import sys
import threading
import time

FOLDER, PORTFILE = sys.argv[1], sys.argv[2]
STALL_AFTER = None
MISSING = {}
TLS = None
MAP = None
args = sys.argv[3:]
while args:
    if args[0] == '--map':
        MAP = args[1]
    elif args[0] == '--tls':
        TLS = (args[1], args[2])
        args = args[1:]
    elif args[0] == '--stall-after':
        STALL_AFTER = float(args[1])
    elif args[0] == '--missing':
        index, _, times = args[1].partition(':')
        MISSING[int(index)] = int(times) if times else -1
    args = args[2:]

SEGMENTS = []
with open(os.path.join(FOLDER, 'segments.txt')) as f:
    for line in f:
        name, duration = line.split()
        SEGMENTS.append((name, float(duration)))
TARGET = max(1, round(max(d for _, d in SEGMENTS)))
START = None  # the stream's clock starts with the first playlist request
LOCK = threading.Lock()
WINDOW = 5


def published():
    global START
    with LOCK:
        if START is None:
            START = time.monotonic()
    elapsed = time.monotonic() - START
    if STALL_AFTER is not None:
        elapsed = min(elapsed, STALL_AFTER)
    # Three at start, then one more each time a segment's duration has passed.
    count, t = 3, 0.0
    while count < len(SEGMENTS) and t + SEGMENTS[count - 3][1] <= elapsed:
        t += SEGMENTS[count - 3][1]
        count += 1
    return min(count, len(SEGMENTS))


def media_playlist():
    end = published()
    first = max(0, end - WINDOW)
    lines = ['#EXTM3U', '#EXT-X-VERSION:%d' % (6 if MAP else 3), '#EXT-X-TARGETDURATION:%d' % TARGET,
             '#EXT-X-MEDIA-SEQUENCE:%d' % first]
    if MAP:
        lines.append('#EXT-X-MAP:URI="seg/%s"' % MAP)
    for name, duration in SEGMENTS[first:end]:
        lines.append('#EXTINF:%.5f,' % duration)
        lines.append('seg/' + name)
    return '\n'.join(lines) + '\n'


MASTER = '\n'.join([
    '#EXTM3U',
    '#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS="mp4a.40.2"',
    'low.m3u8',
    '#EXT-X-STREAM-INF:BANDWIDTH=2500000,CODECS="avc1.4d401f,mp4a.40.2",RESOLUTION=1280x720',
    'video.m3u8',
    '#EXT-X-STREAM-INF:BANDWIDTH=140000,CODECS="mp4a.40.2"',
    'live.m3u8',
]) + '\n'


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, status, body=b'', ctype='text/plain'):
        self.send_response(status)
        self.send_header('Content-Type', ctype)
        self.send_header('Content-Length', str(len(body)))
        self.send_header('Cache-Control', 'no-cache')
        self.end_headers()
        if self.command != 'HEAD':
            self.wfile.write(body)

    def do_GET(self):
        path = self.path.split('?')[0]
        with LOCK:
            with open(os.path.join(FOLDER, 'requests.log'), 'a') as log:
                log.write(path + '\n')
        if path == '/live.m3u8':
            return self.answer(200, media_playlist().encode(), 'application/vnd.apple.mpegurl')
        if path == '/master.m3u8':
            return self.answer(200, MASTER.encode(), 'application/vnd.apple.mpegurl')
        if path.startswith('/seg/'):
            name = path[5:]
            index = next((i for i, (n, _) in enumerate(SEGMENTS) if n == name), None)
            if name == MAP:
                with open(os.path.join(FOLDER, name), 'rb') as f:
                    return self.answer(200, f.read(), 'video/mp4')
            if index is None or index >= published():
                return self.answer(404)
            with LOCK:
                left = MISSING.get(index, 0)
                if left != 0:
                    MISSING[index] = left - 1 if left > 0 else -1
                    return self.answer(404)
            with open(os.path.join(FOLDER, name), 'rb') as f:
                body = f.read()
            ctype = 'video/mp2t' if name.endswith('.ts') else 'video/iso.segment' if name.endswith('.m4s') else 'audio/aac' if name.endswith('.aac') else \
                'audio/mpeg' if name.endswith('.mp3') else 'application/octet-stream'
            return self.answer(200, body, ctype)
        return self.answer(404)

    do_HEAD = do_GET


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
if TLS:
    import ssl
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(TLS[0], TLS[1])
    server.socket = context.wrap_socket(server.socket, server_side=True)
tmp = PORTFILE + '.tmp'
with open(tmp, 'w') as f:
    f.write(str(server.server_address[1]))
os.rename(tmp, PORTFILE)
server.serve_forever()
