#!/usr/bin/python3
"""A small old-style streaming server for the engine's tests, that can misbehave.

Usage: icyserver.py PORTFILE AUDIOFILE [CERTFILE KEYFILE]
With a certificate and key it speaks HTTPS (TLS) instead of plain HTTP.
Listens on 127.0.0.1 (a free port written to PORTFILE) and serves, by path:
  /ok            "ICY 200 OK", icy-metaint 8192, titles from ?title= (default "Artist - Song")
  /titles        a new title in every metadata block ("Song 1", "Song 2"...)
  /empty-title   a metadata block StreamTitle='';
  /latin1        the title bytes in Latin-1 ("Caf\xe9")
  /junk          StreamTitle='A - B';junk after the quote
  /apostrophe    StreamTitle='Rock'n'Roll - Live';
  /long-length   a length byte larger than the text that follows, then audio again
  /stall-before  accepts, then sends nothing
  /stall-during  headers and 32 KB of audio, then nothing (connection kept open)
  /close-mid     headers and 64 KB of audio, then closes
  /huge-headers  a megabyte of header lines
  /trickle       "ICY 200 OK" (audio/mpeg), then one junk byte every 100 ms
  /html          an HTML page (200, text/html)
  /loop          a redirect to itself
  /redirect      a redirect to /ok
  /404           not found
  /pls           a PLS playlist pointing at /ok
  /m3u           an M3U playlist (text/plain) pointing at /ok
  /plain         "HTTP/1.0 200 OK" and AUDIOFILE once, as it is (audio/ogg for .ogg)
AUDIOFILE is an MP3 file served in a loop at about real time.
"""
import socket
import sys
import threading
import time

PORTFILE, AUDIO = sys.argv[1], sys.argv[2]
with open(AUDIO, 'rb') as f:
    DATA = f.read()
METAINT = 8192


def block(text):
    raw = text if isinstance(text, bytes) else text.encode('utf-8')
    n = (len(raw) + 15) // 16
    return bytes([n]) + raw + b'\0' * (n * 16 - len(raw))


def audio_chunks():
    pos = 0
    while True:
        chunk = DATA[pos:pos + METAINT]
        if len(chunk) < METAINT:
            chunk += DATA[:METAINT - len(chunk)]
        pos = (pos + METAINT) % len(DATA)
        yield chunk


def icy_headers(extra=b''):
    return (b'ICY 200 OK\r\nicy-name:Test Radio\r\nicy-genre:Jazz\r\nicy-br:128\r\n'
            b'content-type:audio/mpeg\r\nicy-metaint:' + str(METAINT).encode() + b'\r\n' +
            extra + b'\r\n')


def serve_stream(conn, first_meta, later_meta=b'\0', limit=None, stall_after=None):
    conn.sendall(icy_headers())
    sent = 0
    chunks = audio_chunks()
    meta = first_meta
    start = time.time()
    count = 1
    while True:
        chunk = next(chunks)
        conn.sendall(chunk + meta)
        count += 1
        meta = later_meta(count) if callable(later_meta) else later_meta
        sent += len(chunk)
        if limit is not None and sent >= limit:
            return
        if stall_after is not None and sent >= stall_after:
            time.sleep(3600)
        # About 16 KB/s (128 kbit/s) after a 64 KB burst.
        ahead = sent - 65536 - (time.time() - start) * 16000
        if ahead > 0:
            time.sleep(ahead / 16000)


def handle(conn):
    try:
        request = b''
        while b'\r\n\r\n' not in request:
            data = conn.recv(4096)
            if not data:
                return
            request += data
        line = request.split(b'\r\n', 1)[0].decode('latin-1')
        path = line.split(' ')[1]
        title = 'Artist - Song'
        if '?title=' in path:
            from urllib.parse import unquote
            path, title = path.split('?title=', 1)
            title = unquote(title)
        if path == '/plain':
            ctype = b'audio/ogg' if sys.argv[2].endswith('.ogg') else b'audio/mpeg'
            conn.sendall(b'HTTP/1.0 200 OK\r\nContent-Type: ' + ctype + b'\r\n\r\n' + DATA)
            return
        if path == '/ok':
            serve_stream(conn, block("StreamTitle='%s';StreamUrl='';" % title))
        elif path == '/titles':
            serve_stream(conn, block("StreamTitle='Song 1';"),
                         later_meta=lambda n: block("StreamTitle='Song %d';" % n))
        elif path == '/empty-title':
            serve_stream(conn, block("StreamTitle='';"))
        elif path == '/latin1':
            serve_stream(conn, block(b"StreamTitle='Caf\xe9 Cr\xe8me';"))
        elif path == '/junk':
            serve_stream(conn, block(b"StreamTitle='A - B';\x01\x02junk"))
        elif path == '/apostrophe':
            serve_stream(conn, block("StreamTitle='Rock'n'Roll - Live';"))
        elif path == '/long-length':
            text = b"StreamTitle='Short';"
            serve_stream(conn, bytes([4]) + text + b'\0' * 4)
        elif path == '/stall-before':
            time.sleep(3600)
        elif path == '/stall-during':
            serve_stream(conn, block("StreamTitle='Stall';"), stall_after=32768)
        elif path == '/close-mid':
            serve_stream(conn, block("StreamTitle='Close';"), limit=65536)
        elif path == '/huge-headers':
            conn.sendall(b'ICY 200 OK\r\n' + b'x-filler: ' + b'y' * 200 + b'\r\n' * 1 +
                         b''.join(b'x-h%d: %s\r\n' % (i, b'z' * 500) for i in range(2000)) +
                         b'content-type: audio/mpeg\r\n\r\n')
            serve_stream(conn, b'\0', limit=65536)
        elif path == '/trickle':
            conn.sendall(icy_headers())
            while True:
                conn.sendall(b'\x00')
                time.sleep(0.1)
        elif path == '/html':
            body = b'<html><head><title>Oops</title></head><body>Not audio</body></html>' * 20
            conn.sendall(b'HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: ' +
                         str(len(body)).encode() + b'\r\n\r\n' + body)
        elif path == '/redirect':
            conn.sendall(b'HTTP/1.1 301 Moved\r\nLocation: /ok\r\nContent-Length: 0\r\n\r\n')
        elif path == '/loop':
            conn.sendall(b'HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n')
        elif path == '/pls':
            port = conn.getsockname()[1]
            body = ('[playlist]\nNumberOfEntries=1\nFile1=http://127.0.0.1:%d/ok\n' % port).encode()
            conn.sendall(b'HTTP/1.1 200 OK\r\nContent-Type: audio/x-scpls\r\nContent-Length: ' +
                         str(len(body)).encode() + b'\r\n\r\n' + body)
        elif path == '/m3u':
            port = conn.getsockname()[1]
            body = ('#EXTM3U\nhttp://127.0.0.1:%d/ok?title=From%%20M3U\n' % port).encode()
            conn.sendall(b'HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: ' +
                         str(len(body)).encode() + b'\r\n\r\n' + body)
        else:
            conn.sendall(b'HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n')
    except (BrokenPipeError, ConnectionResetError, OSError):
        pass
    finally:
        try:
            conn.close()
        except OSError:
            pass


def main():
    srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(('127.0.0.1', 0))
    srv.listen(16)
    with open(PORTFILE + '.tmp', 'w') as f:
        f.write(str(srv.getsockname()[1]))
    import os
    os.rename(PORTFILE + '.tmp', PORTFILE)
    if len(sys.argv) > 4:
        import ssl
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(sys.argv[3], sys.argv[4])
        srv = ctx.wrap_socket(srv, server_side=True)
    while True:
        try:
            conn, _ = srv.accept()
        except (OSError, ValueError):
            continue  # a client that refused our certificate
        threading.Thread(target=handle, args=(conn,), daemon=True).start()


main()
