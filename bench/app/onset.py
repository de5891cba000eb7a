#!/usr/bin/python3
"""Time from a request to play to the first audible sample, for two players in turn.

Usage: onset.py ROUNDS ZOVALIS_PLAY ZOVALIS_STOP MPV_SOCKET URL

Reads the null sink's monitor (parec on rec.monitor, 44.1 kHz stereo s16) all along and
time-stamps each block on arrival. A trial does the request, then waits for the first
block holding a sample louder than the threshold; the onset is that block's arrival
time less the samples that followed the loud one in it. Both players are measured the
same way, on the same capture, in alternating trials (A B A B ...):
  zovalis  ZOVALIS_PLAY / ZOVALIS_STOP are shell commands (xdotool clicks on Play/Stop);
  mpv      a running `mpv --idle` told to `loadfile URL` / `stop` through its IPC socket.
Prints one line per trial, then the median of each in milliseconds.
"""
import json
import socket
import statistics
import subprocess
import sys
import threading
import time

ROUNDS = int(sys.argv[1])
Z_PLAY, Z_STOP, MPV_SOCKET, URL = sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
RATE = 44100
FRAME = 4  # two channels of 16 bits
THRESHOLD = 300  # about -40 dBFS: above the null sink's silence, far below the music

lock = threading.Lock()
loud_at = None   # monotonic time of the first loud sample since the last arm()
last_loud = 0.0  # monotonic time of the last loud sample seen


def reader():
    global loud_at, last_loud
    rec = subprocess.Popen(['parec', '-d', 'rec.monitor', '--raw', '--format=s16le', '--rate=44100',
                            '--channels=2', '--latency-msec=5'], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0)
    while True:
        block = rec.stdout.read(256 * FRAME)
        now = time.monotonic()
        if not block:
            return
        samples = memoryview(block)[: len(block) // 2 * 2].cast('h')
        first = next((i for i, s in enumerate(samples) if abs(s) > THRESHOLD), None)
        if first is None:
            continue
        with lock:
            last_loud = now
            if loud_at is None:
                loud_at = now - (len(samples) - first) / 2 / RATE


def arm():
    global loud_at
    with lock:
        loud_at = None


def wait_onset(start, limit=20.0):
    while time.monotonic() - start < limit:
        with lock:
            if loud_at is not None:
                return loud_at - start
        time.sleep(0.002)
    return None


def wait_silence(quiet=1.0, limit=10.0):
    t0 = time.monotonic()
    while time.monotonic() - t0 < limit:
        with lock:
            if time.monotonic() - last_loud > quiet:
                return
        time.sleep(0.05)


def mpv(command):
    s = socket.socket(socket.AF_UNIX)
    s.connect(MPV_SOCKET)
    s.sendall((json.dumps({'command': command}) + '\n').encode())
    s.close()


def trial_zovalis():
    wait_silence()
    arm()
    start = time.monotonic()
    subprocess.run(Z_PLAY, shell=True, check=True)
    onset = wait_onset(start)
    time.sleep(1)
    subprocess.run(Z_STOP, shell=True, check=True)
    return onset


def trial_mpv():
    wait_silence()
    arm()
    start = time.monotonic()
    mpv(['loadfile', URL])
    onset = wait_onset(start)
    time.sleep(1)
    mpv(['stop'])
    return onset


threading.Thread(target=reader, daemon=True).start()
time.sleep(1)
results = {'zovalis': [], 'mpv': []}
for i in range(ROUNDS):
    for name, trial in (('zovalis', trial_zovalis), ('mpv', trial_mpv)):
        onset = trial()
        if onset is None:
            print('%-8s round %d: no sound within 20 s' % (name, i + 1))
            continue
        results[name].append(onset * 1000)
        print('%-8s round %d: %6.0f ms' % (name, i + 1, onset * 1000))
        sys.stdout.flush()
for name, values in results.items():
    if values:
        print('median %-8s %6.0f ms' % (name, statistics.median(values)))
    else:
        print('median %-8s none' % name)
