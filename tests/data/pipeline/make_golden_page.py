#!/usr/bin/python3
"""Writes golden_page.cells (960 cell bytes, rows 0..23) and golden_page.pag, the broadcast
record the encoder must produce for it as page 899, sub-page 0012, character set 4.

The record is computed here straight from the coding rules of the teletext standard (Hamming 8/4
parity checks, odd parity), independently of the C++ tables, so the golden file is an oracle.
"""


def hamming84(nibble):
    d1, d2, d3, d4 = [(nibble >> i) & 1 for i in range(4)]
    p1 = 1 ^ d1 ^ d3 ^ d4
    p2 = 1 ^ d1 ^ d2 ^ d4
    p3 = 1 ^ d1 ^ d2 ^ d3
    bits = [p1, d1, p2, d2, p3, d3, 0, d4]
    bits[6] = 1 ^ (sum(bits) & 1)  # the whole byte has odd parity
    return sum(b << i for i, b in enumerate(bits))


def odd_parity(c):
    c &= 0x7F
    return c if bin(c).count("1") % 2 else c | 0x80


def cells():
    page = bytearray(b"\xff" * 40)  # row 0 is never sent
    rows = [
        b"\x01\x0dTAVREL NEWS 899/0012" + b"\x07" + b"Bl\xe4ttern",
        bytes([0x83, 0xC1, 0xA0]) + b" top bit set" * 3,
        b" " * 40,
        bytes(range(0x00, 0x20)) + b"\x20" * 8,
        b"\xa0" * 40,  # spaces with bit 7 set
    ]
    for row in rows:
        page += row[:40].ljust(40, b" ")
    r = len(rows) + 1
    while r < 24:
        page += bytes(((r * 40 + c) * 7) & 0xFF for c in range(40))
        r += 1
    assert len(page) == 960
    return bytes(page)


def encode(page, page_text="899", sub_text="0012", charset=4):
    m = int(page_text[0]) & 7
    t, u = int(page_text[1]), int(page_text[2])
    s4, s3, s2, s1 = [int(d, 16) for d in sub_text]
    c4 = c5 = c6 = c7 = c9 = c10 = 0
    c8 = c11 = 1
    c12, c13, c14 = (charset >> 1) & 1, (charset >> 2) & 1, (charset >> 3) & 1
    header = [hamming84(n) for n in (
        m, 0, u, t, s1, (s2 & 7) | c4 << 3, s3, (s4 & 3) | c5 << 2 | c6 << 3,
        c7 | c8 << 1 | c9 << 2 | c10 << 3, c11 | c12 << 1 | c13 << 2 | c14 << 3)]
    header += [odd_parity(ord(ch)) for ch in page_text]
    header += [odd_parity(0x20)] * 29
    out = bytes(header)
    for r in range(1, 24):
        row = page[r * 40:(r + 1) * 40]
        out += bytes([hamming84(m | (r & 1) << 3), hamming84(r >> 1)])
        out += bytes(odd_parity(c) for c in row)
    assert len(out) == 1008
    return out


if __name__ == "__main__":
    page = cells()
    with open("golden_page.cells", "wb") as f:
        f.write(page)
    with open("golden_page.pag", "wb") as f:
        f.write(encode(page))
