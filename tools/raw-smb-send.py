#!/usr/bin/env python3
"""What a messenger send to smbd costs smbd alone: one process sends COUNT
messages to RECIPIENT at ADDRESS, each over a session of its own as start,
text and end (what smbd takes), with no name query and no process start, and
prints the mean time per message. The floor under any one-process-per-message
sender; tools/bench-send-vs-smbclient.sh runs it beside the two senders.
  tools/raw-smb-send.py ADDRESS RECIPIENT COUNT TEXT"""

import socket
import struct
import sys
import time

SESSION_PORT = 139
SMB_SEND_START, SMB_SEND_END, SMB_SEND_TEXT = 0xD5, 0xD6, 0xD7


def encoded_name(name, suffix):
    """The first-level encoding of a NetBIOS name (RFC 1001, 14.1)."""
    raw = name.upper().ljust(15)[:15].encode("ascii") + bytes([suffix])
    halves = bytes(0x41 + half for byte in raw for half in (byte >> 4, byte & 0x0F))
    return bytes([32]) + halves + b"\0"


def smb(command, words, data):
    header = b"\xffSMB" + bytes([command]) + bytes(27)
    return header + bytes([len(words) // 2]) + words + struct.pack("<H", len(data)) + data


def send_packet(sock, kind, payload):
    sock.sendall(struct.pack(">BBH", kind, 0, len(payload)) + payload)


def receive_exactly(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionError("the peer closed the session")
        data += chunk
    return data


def receive_packet(sock):
    kind, flags, length = struct.unpack(">BBH", receive_exactly(sock, 4))
    return kind, receive_exactly(sock, length + ((flags & 1) << 16))


def exchange(sock, command, words, data):
    send_packet(sock, 0x00, smb(command, words, data))
    _, reply = receive_packet(sock)
    if reply[5:9] != bytes(4):
        raise RuntimeError(f"command {command:#x} failed: status {reply[5:9].hex()}")
    return reply


def send_one(address, recipient, text):
    with socket.create_connection((address, SESSION_PORT)) as sock:
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        send_packet(sock, 0x81, encoded_name(recipient, 0x03) + encoded_name("RAWSENDER", 0x00))
        kind, _ = receive_packet(sock)
        if kind != 0x82:
            raise RuntimeError(f"session refused (packet type {kind:#x})")
        reply = exchange(sock, SMB_SEND_START, b"", b"\x04RAW\0\x04" + recipient.encode("ascii") + b"\0")
        group = reply[33:35]
        body = text.encode("ascii")
        exchange(sock, SMB_SEND_TEXT, group, b"\x01" + struct.pack("<H", len(body)) + body)
        exchange(sock, SMB_SEND_END, group, b"")


def main():
    address, recipient, count, text = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    start = time.perf_counter()
    for i in range(count):
        send_one(address, recipient, f"{text} {i + 1}")
    print(f"{(time.perf_counter() - start) * 1000 / count:.1f}")


if __name__ == "__main__":
    main()
