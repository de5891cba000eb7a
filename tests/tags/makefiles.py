#!/usr/bin/python3
"""Makes the tagged audio files of the tag tests and the manifest of what they hold.

Usage: makefiles.py OUTDIR [COUNT]

Audio comes from ffmpeg, tags from mutagen. Each file's expected fields are read back
with mutagen (and duration and sample rate with ffprobe), then put in the form the
program shows them: the first value of a multi-value text, the track number before "/"
with at least two digits, the year as the first 4 characters of a recording time.
With COUNT, makes that many files for the benchmark instead (no manifest checks).
"""
import json
import os
import shutil
import subprocess
import sys

import mutagen
from mutagen.apev2 import APEv2
from mutagen.asf import ASF
from mutagen.id3 import (APIC, COMM, ID3, TALB, TCON, TDRC, TIT2, TPE1, TRCK, TXXX, TYER,
                         Encoding)
from mutagen.oggvorbis import OggVorbis

FFMPEG = ["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-bitexact"]


def make_audio(out, path, codec_args, seconds=1.5, rate=44100, channels=2):
    src = ["-f", "lavfi", "-i", f"sine=frequency=440:sample_rate={rate}:duration={seconds}"]
    subprocess.run(FFMPEG + src + ["-ac", str(channels), "-map_metadata", "-1"] + codec_args +
                   [os.path.join(out, path)], check=True)


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-show_entries",
                          "format=duration:stream=sample_rate,channels,bit_rate", "-of", "json", path],
                         check=True, capture_output=True, text=True).stdout
    info = json.loads(out)
    stream = info["streams"][0]
    return (float(info["format"]["duration"]), int(stream["sample_rate"]), int(stream["channels"]),
            int(stream.get("bit_rate", 0)) // 1000)


def two_digits(text):
    head = (text or "").split("/")[0].strip()
    try:
        return "%02d" % int(head)
    except ValueError:
        return "00"


def jpeg_bytes():
    # The start of a JPEG file (its markers matter to the frame-header search), then filler.
    return b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00" + \
        bytes(range(256)) * 40 + b"\xff\xd9"


def id3_frames(tags, enc, cover):
    tags.add(TIT2(encoding=enc, text=["Titre été n°%d" % enc, "second value"]))
    tags.add(TPE1(encoding=enc, text=["Artiste àéè"]))
    tags.add(TALB(encoding=enc, text=["Album ünï"]))
    tags.add(TRCK(encoding=enc, text=["7/12"]))
    tags.add(TDRC(encoding=enc, text=["2021-03-04"]))
    tags.add(TCON(encoding=enc, text=["Jazz"]))
    tags.add(COMM(encoding=enc, lang="fra", desc="", text=["Un commentaire"]))
    tags.add(TXXX(encoding=enc, desc="Extra", text=["ignored"]))
    if cover:
        tags.add(APIC(encoding=enc, mime="image/jpeg", type=3, desc="Couverture", data=jpeg_bytes()))


def expect_id3(path):
    tags = ID3(path)
    def first(key):
        frame = tags.get(key)
        return str(frame.text[0]) if frame and frame.text else ""
    comms = tags.getall("COMM")
    year = first("TYER") or first("TDRC")[:4]
    return {"Title": first("TIT2"), "Artist": first("TPE1"), "Album": first("TALB"),
            "Track": two_digits(first("TRCK")), "Year": year[:4], "Genre": first("TCON"),
            "Comment": str(comms[-1].text[0]) if comms else ""}


def main():
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    os.makedirs(out, exist_ok=True)
    base = os.path.join(out, "base")
    os.makedirs(base, exist_ok=True)
    make_audio(base, "a.mp3", ["-c:a", "libmp3lame", "-b:a", "128k", "-id3v2_version", "0"])
    make_audio(base, "m.mp3", ["-c:a", "libmp3lame", "-b:a", "64k", "-id3v2_version", "0"], rate=22050,
               channels=1)
    make_audio(base, "a.ogg", ["-c:a", "libvorbis", "-q:a", "3"])
    make_audio(base, "a.wma", ["-c:a", "wmav2", "-b:a", "128k"])
    make_audio(base, "a.wav", ["-c:a", "pcm_s16le"])
    make_audio(base, "a.aac", ["-c:a", "aac", "-b:a", "96k", "-f", "adts"])
    if count:
        return make_bench(out, base, count)

    files = []
    def add(name, src, expect, has_tag=True, reader=""):
        path = os.path.join(out, name)
        duration, rate, channels, kbps = probe(path)
        files.append({"file": name, "expect": expect, "hasTag": has_tag, "duration": duration,
                      "sampleRate": rate, "channels": channels, "bitRate": kbps, "reader": reader})

    def copy(src, name):
        shutil.copy(os.path.join(base, src), os.path.join(out, name))
        return os.path.join(out, name)

    # ID3v2.3 (encodings 0 and 1) and 2.4 (0 to 3), each with a cover picture.
    for version, encodings in ((3, (0, 1)), (4, (0, 1, 2, 3))):
        for enc in encodings:
            name = "id3v2%d-enc%d.mp3" % (version, enc)
            path = copy("a.mp3", name)
            tags = ID3()
            id3_frames(tags, Encoding(enc), cover=True)
            tags.save(path, v2_version=version, v1=0)
            add(name, "a.mp3", expect_id3(path), reader="id3v2")
    # ID3v2 and ID3v1 together: ID3v2 wins, even with an empty album.
    path = copy("m.mp3", "both-tags.MP3")
    tags = ID3()
    tags.add(TIT2(encoding=3, text=["Deux"]))
    tags.add(TPE1(encoding=3, text=["V2"]))
    tags.save(path, v2_version=3, v1=0)
    v1 = ID3()
    v1.add(TIT2(encoding=0, text=["One"]))
    v1.add(TALB(encoding=0, text=["V1 album"]))
    v1.add(TPE1(encoding=0, text=["V1"]))
    v1.save(path + ".v1", v1=2)
    with open(path + ".v1", "rb") as f:
        last = f.read()[-128:]
    os.remove(path + ".v1")
    with open(path, "ab") as f:
        f.write(last)
    add("both-tags.MP3", "m.mp3", dict(expect_id3(path), Album=""), reader="id3v2")
    # ID3v1 only.
    path = copy("a.mp3", "id3v1-only.mp3")
    tags = ID3()
    tags.add(TIT2(encoding=0, text=["Titre v1 é"]))
    tags.add(TPE1(encoding=0, text=["Artiste v1"]))
    tags.add(TALB(encoding=0, text=["Album v1"]))
    tags.add(TRCK(encoding=0, text=["5"]))
    tags.add(TDRC(encoding=0, text=["1999"]))
    tags.add(TCON(encoding=0, text=["Rock"]))
    tags.add(COMM(encoding=0, lang="eng", desc="ID3v1 Comment", text=["Note v1"]))
    tags.save(path, v1=2, v2_version=3)
    mutagen.id3.delete(path, delete_v1=False, delete_v2=True)
    v1 = ID3(path)  # mutagen reads the ID3v1 tag as frames
    add("id3v1-only.mp3", "a.mp3", expect_id3(path), reader="id3v1")
    # APEv2 tags: read for .mpc, .ape, .wv (with an ID3v1 tag after it in the .mpc), never
    # for .mp3.
    for name in ("ape-tag.mpc", "ape-tag.ape", "ape-tag.wv", "ape-tag.mp3"):
        path = copy("a.mp3", name)
        ape = APEv2()
        ape.update({"Artist": "Artiste APE é", "Album": "Album APE", "Title": "Titre APE 🎵",
                    "Track": "3/9", "Genre": "Chanson", "Year": "2011", "Comment": "Remarque"})
        ape.save(path)
        if name.endswith(".mpc"):
            v1 = ID3()
            v1.add(TIT2(encoding=0, text=["v1 title"]))
            v1.save(path + ".v1", v1=2)
            with open(path + ".v1", "rb") as f:
                last = f.read()[-128:]
            os.remove(path + ".v1")
            with open(path, "ab") as f:
                f.write(last)
        got = APEv2(path)
        expect = {k: str(got[k]) for k in ("Artist", "Album", "Title", "Track", "Genre", "Year",
                                            "Comment")}
        if name.endswith(".mp3"):
            add(name, "a.mp3", {k: "" for k in expect}, has_tag=False, reader="none")
        else:
            add(name, "a.mp3", expect, reader="ape")
    # Ogg Vorbis comments, one of them long enough to spread the comment header over pages.
    path = copy("a.ogg", "vorbis.ogg")
    ogg = OggVorbis(path)
    ogg["ARTIST"] = ["Artiste Ogg ç"]
    ogg["ALBUM"] = ["Album Ogg"]
    ogg["TITLE"] = ["Titre Ogg 🎵"]
    ogg["TRACKNUMBER"] = ["4/10"]
    ogg["DATE"] = ["2019-06-01"]
    ogg["GENRE"] = ["Electronic"]
    ogg["COMMENT"] = ["Remarque Ogg"]
    ogg["LYRICS"] = ["la " * 40000]
    ogg.save()
    got = OggVorbis(path)
    add("vorbis.ogg", "a.ogg", {"Title": got["TITLE"][0], "Artist": got["ARTIST"][0],
                                "Album": got["ALBUM"][0], "Track": two_digits(got["TRACKNUMBER"][0]),
                                "Year": got["DATE"][0], "Genre": got["GENRE"][0],
                                "Comment": got["COMMENT"][0]}, reader="ogg")
    # ASF attributes.
    path = copy("a.wma", "asf.wma")
    asf = ASF(path)
    asf["Title"] = ["Titre WMA ß"]
    asf["Author"] = ["Artiste WMA"]
    asf["Description"] = ["Remarque WMA"]
    asf["WM/AlbumTitle"] = ["Album WMA"]
    asf["WM/Genre"] = ["Blues"]
    asf["WM/Year"] = ["2007"]
    asf["WM/Track"] = ["6"]
    asf["WM/TrackNumber"] = [9]
    asf.save()
    got = ASF(path)
    add("asf.wma", "a.wma", {"Title": str(got["Title"][0]), "Artist": str(got["Author"][0]),
                             "Album": str(got["WM/AlbumTitle"][0]), "Track": two_digits(str(got["WM/Track"][0])),
                             "Year": str(got["WM/Year"][0]), "Genre": str(got["WM/Genre"][0]),
                             "Comment": str(got["Description"][0])}, reader="wma")
    # Untagged formats measured by the engine.
    for src in ("a.wav", "a.aac"):
        name = "plain" + os.path.splitext(src)[1]
        copy(src, name)
        add(name, src, {k: "" for k in ("Title", "Artist", "Album", "Track", "Year", "Genre",
                                        "Comment")}, has_tag=False, reader="none")
    with open(os.path.join(out, "manifest.json"), "w", encoding="utf-8") as f:
        json.dump(files, f, ensure_ascii=False, indent=1)


def make_bench(out, base, count):
    """count files in rotation: MP3 with ID3v2 and a cover, Ogg, WMA, WAV, AAC."""
    kinds = ["mp3", "ogg", "wma", "wav", "aac"]
    for i in range(count):
        kind = kinds[i % len(kinds)]
        path = os.path.join(out, "f%04d.%s" % (i, kind))
        shutil.copy(os.path.join(base, "a." + kind), path)
        if kind == "mp3":
            tags = ID3()
            id3_frames(tags, Encoding.UTF16, cover=True)
            tags.save(path, v2_version=3)
        elif kind == "ogg":
            ogg = OggVorbis(path)
            ogg["TITLE"] = ["Titre %d" % i]
            ogg["ARTIST"] = ["Artiste"]
            ogg.save()
        elif kind == "wma":
            asf = ASF(path)
            asf["Title"] = ["Titre %d" % i]
            asf["Author"] = ["Artiste"]
            asf.save()
    shutil.rmtree(base)


if __name__ == "__main__":
    main()
