#!/usr/bin/env python3
"""Hostile NetBIOS peers for the robustness test: sessions that stay silent,
a message started and never finished, and a flood of connections.

    hostile_peer.py silent ADDRESS NAME COUNT SECONDS
        opens COUNT sessions to NAME<03> and keeps them silent for SECONDS
    hostile_peer.py started ADDRESS NAME SECONDS
        opens a session, sends an SMB "start of message" and stops there
    hostile_peer.py flood ADDRESS NAME COUNT SECONDS
        opens COUNT connections at once, each asking for a session, holds them
        for SECONDS, then closes them all
Each mode prints one line about what it did.
"""
import socket
import struct
import sys
import time


def encode_name(name, suffix):
    raw = name.upper().encode("ascii")[:15].ljust(15, b" ") + bytes([suffix])
    half = bytes(ch for b in raw for ch in (ord("A") + (b >> 4), ord("A") + (b & 0x0F)))
    return b"\x20" + half + b"\x00"


def session_request(called, calling):
    body = encode_name(called, 0x03) + encode_name(calling, 0x03)
    return struct.pack(">BBH", 0x81, 0, len(body)) + body


def open_session(address, called, calling, timeout=5.0, tries=40):
    """A session to called<03>; a busy listener (negative response) is asked
    again a little later, as a NetBIOS caller does."""
    for _ in range(tries):
        sock = socket.create_connection((address, 139), timeout=timeout)
        sock.sendall(session_request(called, calling))
        reply = sock.recv(5)
        if len(reply) >= 1 and reply[0] == 0x82:
            return sock
        sock.close()
        time.sleep(0.05)
    return None


def smb(command, words, data):
    header = b"\xffSMB" + bytes([command]) + bytes(27)
    body = header + bytes([len(words) // 2]) + words + struct.pack("<H", len(data)) + data
    return struct.pack(">BBH", 0, 0, len(body)) + body


def silent(address, name, count, seconds):
    sessions = [s for s in (open_session(address, name, "MUTE%d" % i) for i in range(count)) if s]
    print("silent: %d sessions open" % len(sessions), flush=True)
    time.sleep(seconds)
    for s in sessions:
        s.close()


def started(address, name, seconds):
    sock = open_session(address, name, "HALFWAY")
    if sock is None:
        print("started: refused", flush=True)
        return
    sock.sendall(smb(0xD5, b"", b"\x04HALFWAY\x00\x04" + name.encode() + b"\x00"))
    reply = sock.recv(1024)
    print("started: start answered with %d bytes, then silence" % len(reply), flush=True)
    time.sleep(seconds)
    sock.close()


def flood(address, name, count, seconds):
    socks = []
    for i in range(count):
        try:
            s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            s.setblocking(False)
            s.connect_ex((address, 139))
            socks.append(s)
        except OSError:
            break
    time.sleep(0.5)
    sent = 0
    for i, s in enumerate(socks):
        try:
            s.send(session_request(name, "FLOOD%d" % i))
            sent += 1
        except OSError:
            pass
    print("flood: %d connections, %d session requests" % (len(socks), sent), flush=True)
    time.sleep(seconds)
    for s in socks:
        s.close()


if __name__ == "__main__":
    mode, args = sys.argv[1], sys.argv[2:]
    if mode == "silent":
        silent(args[0], args[1], int(args[2]), float(args[3]))
    elif mode == "started":
        started(args[0], args[1], float(args[2]))
    elif mode == "flood":
        flood(args[0], args[1], int(args[2]), float(args[3]))
    else:
        sys.exit("unknown mode " + mode)
