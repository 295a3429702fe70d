#!/usr/bin/env python3
"""Writes a copy of an FLV recording whose video timestamps jump by just
under 10 s from one frame to the next, at uneven steps, with a frame rate of
1000 in its metadata: an ffmpeg that fills each gap with copies of the last
frame turns its few thousand frames into millions.

Usage: stretch_flv.py GENUINE.flv STRETCHED.flv
"""
import struct
import sys

FRAMERATE = b"\x00\x09framerate\x00"  # the AMF0 key, then a type byte 0: a double


def tags(data):
    """The tags of an FLV file as (type, whole tag with its back pointer)."""
    pos = struct.unpack(">I", data[5:9])[0] + 4
    while pos + 11 <= len(data):
        size = int.from_bytes(data[pos + 1 : pos + 4], "big")
        yield data[pos] & 0x1F, bytearray(data[pos : pos + 11 + size + 4])
        pos += 11 + size + 4


def main(source, target):
    with open(source, "rb") as f:
        data = f.read()
    if data[:3] != b"FLV":
        sys.exit(f"{source} is not an FLV file")
    out = bytearray(data[: struct.unpack(">I", data[5:9])[0] + 4])
    frames = 0
    milliseconds = 0
    for kind, tag in tags(data):
        if kind == 18:  # metadata
            at = tag.find(FRAMERATE)
            if at >= 0:
                at += len(FRAMERATE)
                tag[at : at + 8] = struct.pack(">d", 1000.0)
        elif kind == 9:  # video: 24 bits of milliseconds, then the high 8
            tag[4:7] = (milliseconds & 0xFFFFFF).to_bytes(3, "big")
            tag[7] = milliseconds >> 24
            milliseconds += 9999 - (frames * 7919) % 1000
            frames += 1
        else:
            continue
        out += tag
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
