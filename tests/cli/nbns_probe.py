#!/usr/bin/env python3
"""Asks a lab LAN by NBNS broadcast who holds NAME<SUFFIX>, ten times a second.

    nbns_probe.py SOURCE BROADCAST NAME SUFFIX (--until ADDRESS | --gone) LIMIT_S

--until waits for an answer that names ADDRESS; --gone waits until nobody
answers any longer (a full second of silence). Prints the milliseconds it
waited and exits 0, or exits 1 when LIMIT_S passed first. Runs inside a lab
namespace; SOURCE is the address it sends from, port 137 of BROADCAST the
destination.
"""
import random
import socket
import struct
import sys
import time


def encoded(name, suffix):
    raw = name.upper().encode("ascii").ljust(15, b" ")[:15] + bytes([suffix])
    half = b"".join(bytes([0x41 + (b >> 4), 0x41 + (b & 0x0F)]) for b in raw)
    return bytes([32]) + half + b"\x00"


def owners(reply):
    # answer RR right after the 12-byte header: name (34), type, class, TTL, RDLENGTH
    if len(reply) < 12 + 34 + 10 or not reply[2] & 0x80 or reply[3] & 0x0F:
        return []
    length = struct.unpack_from(">H", reply, 12 + 34 + 8)[0]
    data = reply[12 + 34 + 10:12 + 34 + 10 + length]
    return [socket.inet_ntoa(data[i + 2:i + 6]) for i in range(0, len(data) - 5, 6)]


def main():
    source, broadcast, name, suffix, mode = sys.argv[1:6]
    wanted = sys.argv[6] if mode == "--until" else None
    limit = float(sys.argv[-1])
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    sock.bind((source, 0))
    sock.settimeout(0.1)
    start = time.monotonic()
    last_answer = start
    while time.monotonic() - start < limit:
        query_id = random.randrange(65536)
        sock.sendto(struct.pack(">HHHHHH", query_id, 0x0110, 1, 0, 0, 0) + encoded(name, int(suffix, 16)) +
                    struct.pack(">HH", 0x20, 1), (broadcast, 137))
        deadline = time.monotonic() + 0.1
        while time.monotonic() < deadline:
            try:
                reply, _ = sock.recvfrom(1024)
            except socket.timeout:
                break
            if struct.unpack_from(">H", reply)[0] != query_id:
                continue
            found = owners(reply)
            if found:
                last_answer = time.monotonic()
            if wanted is not None and wanted in found:
                print(int((time.monotonic() - start) * 1000))
                return 0
        if wanted is None and time.monotonic() - last_answer >= 1.0:
            print(int((last_answer - start) * 1000))
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
