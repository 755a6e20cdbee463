#!/usr/bin/env python3
"""Writes the K650DEMO sample program file set (hbx, rev, hex) into this folder.

The data is a text banner and a byte pattern, not a program any board can run. The revision
file's checksum is the low byte of the sum of all data bytes.
"""
from pathlib import Path

HERE = Path(__file__).resolve().parent


def record(address, data, rtype=0):
    body = bytes([len(data), address >> 8, address & 0xFF, rtype]) + bytes(data)
    return ":" + (body + bytes([(-sum(body)) & 0xFF])).hex().upper()


def regions():
    banner = b"QUELBY K650 DEMO - sample made by the QUELBY project. Not a program."
    banner = banner.ljust(80, b" ")
    pattern = bytes((i * 7 + 3) & 0xFF for i in range(176))
    yield 0x4000, banner + pattern                                   # 256 bytes
    yield 0xBFC0, bytes((0xA5 ^ i) & 0xFF for i in range(64))       # the range's last bytes


def main():
    lines, total = [], 0
    for start, data in regions():
        total += sum(data)
        for offset in range(0, len(data), 16):
            lines.append(record(start + offset, data[offset:offset + 16]))
    lines.append(":00000001FF")
    markhex = {c: m for c, m in zip("ABCDEF", ":;<=>?")}
    checksum = "".join(markhex.get(c, c) for c in f"{total & 0xFF:02X}")
    (HERE / "K650DEMO.hex").write_bytes(("\r\n".join(lines) + "\r\n").encode())
    (HERE / "K650DEMO.rev").write_bytes(f"QLBYDEMO{checksum}01\r\n".encode())
    (HERE / "K650DEMO.hbx").write_bytes(
        b"D QUELBY sample program file set for the simulated K650(PLC) board\r\n")


if __name__ == "__main__":
    main()
