#!/usr/bin/env python3
"""Writes the seed inputs of login_fuzz into the folder beside this script.

Each seed is the input that FuzzedDataProvider, as login_fuzz reads it, turns into a probe reply,
a settings reply and a disk status: a login that gets through (fixed address and DHCP), one whose
password the box refuses, and one whose reply comes in pieces. Without them the short run in CI
would not reach a successful login, which takes 1 KB of well-formed replies. Run it again after
a change of the order in which login_fuzz (or TcpScript::From) reads its input.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
DISK_STATUSES = ["NODISK NULL", "NODISK_STD EXT3", "STD_NODISK EXT2_NULL", "NULL_NODISK NULL", "NULL NULL",
                 "RAID1 EXT3", "STD_STD EXT2", "NULL_STD NULL_EXT2", "STD_NULL EXT3_NULL"]


class Input:
    """FuzzedDataProvider in reverse: bytes it takes from the front, numbers from the back."""

    def __init__(self):
        self.front = b""
        self.back = []  # in the order they are taken

    def integral(self, value, low, high):
        span = high - low
        value -= low
        count = 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        # The first byte taken is the most significant one.
        for k in reversed(range(count)):
            self.back.append((value >> (8 * k)) & 0xFF)

    def boolean(self, value):
        self.integral(1 if value else 0, 0, 255)

    def take(self, data):
        self.front += data

    def bytes(self):
        return self.front + bytes(reversed(self.back))


def script(data, reply, pieces, answer_header=True):
    """TcpScript::From: the reply in `pieces` (sizes), all at once, then a close."""
    data.boolean(answer_header)
    data.integral(len(pieces), 0, 16)
    offset = 0
    for size in pieces:
        data.integral(0, 0, 20000)
        data.integral(size, 1, 600)
        data.take(reply[offset:offset + size])
        offset += size
    data.integral(0, 0, 2)
    data.integral(0, 0, 20000)


def reply(payload, error_class=0):
    """A reply with its header left for the script to answer; the error class as given."""
    packet = bytearray(512)
    packet[3] = error_class
    packet[14:14 + len(payload)] = payload
    return bytes(packet)


def probe(not_default, dhcp):
    record = bytearray(229)
    record[0] = not_default
    record[3] = dhcp
    record[8:15] = b"NAS-220"
    record[40:43] = b"1.0"
    return record


def settings(host, address, mask, gateway, dns1):
    record = bytearray(437)
    record[229:241] = b"001132ABCDEF"
    record[241:241 + len(host)] = host
    for offset, octets in ((305, address), (309, mask), (313, gateway), (317, dns1)):
        record[offset:offset + 4] = bytes(octets)
    record[325:326] = b"1"
    record[341:346] = b"admin"
    return record


def seed(name, probe_reply, settings_reply, disk, probe_pieces=(512,), settings_pieces=(512,)):
    data = Input()
    script(data, probe_reply, probe_pieces)
    script(data, settings_reply, settings_pieces)
    data.boolean(True)
    data.integral(DISK_STATUSES.index(disk), 0, len(DISK_STATUSES) - 1)
    # The password: nothing is left for it, so it is empty.
    folder = os.path.join(HERE, "login_fuzz")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data.bytes())


fixed = settings(b"NAS-220", (192, 168, 1, 20), (255, 255, 255, 0), (192, 168, 1, 1), (192, 168, 1, 1))
seed("fixed-address-raid1", reply(probe(1, 0)), reply(fixed), "RAID1 EXT3")
seed("dhcp-no-disk", reply(probe(0, 1)), reply(settings(b"NAS-120", (0,) * 4, (0,) * 4, (0,) * 4, (0,) * 4)),
     "NODISK NULL")
seed("wrong-password", reply(probe(1, 0), error_class=1), reply(fixed), "STD_STD EXT2")
seed("in-pieces", reply(probe(1, 0)), reply(fixed), "STD_NULL EXT3_NULL", (100, 412), (14, 300, 198))
