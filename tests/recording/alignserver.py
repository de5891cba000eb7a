#!/usr/bin/python3
"""An old-style ICY server for the recording alignment test.

Usage: alignserver.py PORTFILE A.mp3 B.mp3 [titles]
Listens on 127.0.0.1 (a free port written to PORTFILE) and serves one stream to each
client: the bytes of A.mp3, then those of B.mp3 in a loop, at about real time
(128 kbit/s after a 16 KB burst). The metadata interval is half of A's length (A is
padded with one zero byte when odd), so the first metadata block, "StreamTitle='A';",
falls in the middle of A, and the second, "StreamTitle='B';", exactly where B begins.
Later blocks are empty (length byte 0); with "titles", every later block carries a new
title ("T3", "T4"...), for runs of cuts in a row.
"""
import socket
import sys
import threading
import time

PORTFILE, A_FILE, B_FILE = sys.argv[1], sys.argv[2], sys.argv[3]
EVERY_BLOCK = len(sys.argv) > 4 and sys.argv[4] == 'titles'
with open(A_FILE, 'rb') as f:
    A = f.read()
with open(B_FILE, 'rb') as f:
    B = f.read()
if len(A) % 2:
    A += b'\0'
METAINT = len(A) // 2
RATE = 16000  # bytes per second


def block(text):
    raw = text.encode('utf-8')
    n = (len(raw) + 15) // 16
    return bytes([n]) + raw + b'\0' * (n * 16 - len(raw))


def audio():
    yield from A
    while True:
        yield from B


def serve(conn):
    try:
        request = b''
        while b'\r\n\r\n' not in request:
            data = conn.recv(4096)
            if not data:
                return
            request += data
        conn.sendall(b'ICY 200 OK\r\nicy-name:Align\r\nicy-br:128\r\ncontent-type:audio/mpeg\r\n'
                     b'icy-metaint:' + str(METAINT).encode() + b'\r\n\r\n')
        source = audio()
        start = time.time()
        sent = 0
        count = 0
        while True:
            chunk = bytes(next(source) for _ in range(METAINT))
            count += 1
            if count == 1:
                meta = block("StreamTitle='A';")
            elif count == 2:
                meta = block("StreamTitle='B';")
            else:
                meta = block("StreamTitle='T%d';" % count) if EVERY_BLOCK else b'\0'
            # In pieces, so the pace holds within a metadata interval.
            for i in range(0, len(chunk), 1600):
                piece = chunk[i:i + 1600]
                conn.sendall(piece)
                sent += len(piece)
                ahead = sent - 16384 - (time.time() - start) * RATE
                if ahead > 0:
                    time.sleep(ahead / RATE)
            conn.sendall(meta)
    except OSError:
        pass
    finally:
        conn.close()


def main():
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(('127.0.0.1', 0))
    server.listen(4)
    with open(PORTFILE + '.tmp', 'w') as f:
        f.write(str(server.getsockname()[1]))
    import os
    os.rename(PORTFILE + '.tmp', PORTFILE)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


main()
