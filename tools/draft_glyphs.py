#!/usr/bin/env python3
"""Drafts the glyph pictures in data/fonts from compact dot-matrix designs.

The committed sources are the pictures this script writes; it exists only so that a redesign
can start again from the dot matrices. After drafting, pictures may be touched up by hand.

Every character is designed as a 5 x 9 dot matrix: rows 0..6 hold capitals and ascenders (the
baseline is under row 6), rows 7 and 8 hold descenders, lower case runs from row 2. A dot is two
pixels wide; the dot rows get 2, 1, 2, 2, 2, 1, 2, 1, 2 pixel rows under one blank top row, which
fills the 12 x 16 cell. Diagonal steps between dot rows are rounded with half dots, the way the
classic teletext character generator smooths its matrix on screen.

Usage: tools/draft_glyphs.py [DATA_FONTS_DIR]   (default: data/fonts beside this script)
"""

import os
import sys

CELL_WIDTH = 12
CELL_HEIGHT = 16
DOT_ROW_HEIGHTS = [2, 1, 2, 2, 2, 1, 2, 1, 2]
TOP_MARGIN = 1
LEFT_MARGIN = 1


def rows(text):
    """Parses a design: 9 rows of 5 characters separated by whitespace; missing rows are blank."""
    parts = text.split()
    while len(parts) < 9:
        parts.append(".....")
    assert len(parts) == 9, text
    for part in parts:
        assert len(part) == 5, text
    return parts


def at(rows_from):
    """Builds a design from {row: pattern}, the other rows blank."""
    result = ["....."] * 9
    for row, pattern in rows_from.items():
        result[row] = pattern
    return " ".join(result)


# Teletext English set, codes 0x20..0x7F: (code, Unicode, name, design).
ENGLISH = [
    (0x20, 0x0020, "space", at({})),
    (0x21, 0x0021, "exclamation mark", "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#.."),
    (0x22, 0x0022, "quotation mark", ".#.#. .#.#. .#.#."),
    (0x23, 0x00A3, "pound sign", "..##. .#..# .#... ####. .#... .#... #####"),
    (0x24, 0x0024, "dollar sign", "..#.. .#### #.#.. .###. ..#.# ####. ..#.."),
    (0x25, 0x0025, "percent sign", "##... ##..# ...#. ..#.. .#... #..## ...##"),
    (0x26, 0x0026, "ampersand", ".#... #.#.. #.#.. .#... #.#.# #..#. .##.#"),
    (0x27, 0x0027, "apostrophe", "..#.. ..#.. ..#.."),
    (0x28, 0x0028, "left parenthesis", "...#. ..#.. .#... .#... .#... ..#.. ...#."),
    (0x29, 0x0029, "right parenthesis", ".#... ..#.. ...#. ...#. ...#. ..#.. .#..."),
    (0x2A, 0x002A, "asterisk", "..... ..#.. #.#.# .###. #.#.# ..#.."),
    (0x2B, 0x002B, "plus sign", "..... ..#.. ..#.. ##### ..#.. ..#.."),
    (0x2C, 0x002C, "comma", at({5: "..#..", 6: "..#..", 7: ".#..."})),
    (0x2D, 0x002D, "hyphen-minus", at({3: ".###."})),
    (0x2E, 0x002E, "full stop", at({5: "..#..", 6: "..#.."})),
    (0x2F, 0x002F, "solidus", "..... ....# ...#. ..#.. .#... #...."),
    (0x30, 0x0030, "digit zero", ".###. #...# #..## #.#.# ##..# #...# .###."),
    (0x31, 0x0031, "digit one", "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###."),
    (0x32, 0x0032, "digit two", ".###. #...# ....# ..##. .#... #.... #####"),
    (0x33, 0x0033, "digit three", "##### ....# ...#. ..##. ....# #...# .###."),
    (0x34, 0x0034, "digit four", "...#. ..##. .#.#. #..#. ##### ...#. ...#."),
    (0x35, 0x0035, "digit five", "##### #.... ####. ....# ....# #...# .###."),
    (0x36, 0x0036, "digit six", "..##. .#... #.... ####. #...# #...# .###."),
    (0x37, 0x0037, "digit seven", "##### ....# ...#. ..#.. .#... .#... .#..."),
    (0x38, 0x0038, "digit eight", ".###. #...# #...# .###. #...# #...# .###."),
    (0x39, 0x0039, "digit nine", ".###. #...# #...# .#### ....# ...#. .##.."),
    (0x3A, 0x003A, "colon", at({1: "..#..", 2: "..#..", 5: "..#..", 6: "..#.."})),
    (0x3B, 0x003B, "semicolon", at({1: "..#..", 2: "..#..", 5: "..#..", 6: "..#..", 7: ".#..."})),
    (0x3C, 0x003C, "less-than sign", "...#. ..#.. .#... #.... .#... ..#.. ...#."),
    (0x3D, 0x003D, "equals sign", at({2: "#####", 4: "#####"})),
    (0x3E, 0x003E, "greater-than sign", ".#... ..#.. ...#. ....# ...#. ..#.. .#..."),
    (0x3F, 0x003F, "question mark", ".###. #...# ...#. ..#.. ..#.. ..... ..#.."),
    (0x40, 0x0040, "commercial at", ".###. #...# #.### #.#.# #.### #.... .###."),
    (0x41, 0x0041, "A", "..#.. .#.#. #...# #...# ##### #...# #...#"),
    (0x42, 0x0042, "B", "####. #...# #...# ####. #...# #...# ####."),
    (0x43, 0x0043, "C", ".###. #...# #.... #.... #.... #...# .###."),
    (0x44, 0x0044, "D", "###.. #..#. #...# #...# #...# #..#. ###.."),
    (0x45, 0x0045, "E", "##### #.... #.... ####. #.... #.... #####"),
    (0x46, 0x0046, "F", "##### #.... #.... ####. #.... #.... #...."),
    (0x47, 0x0047, "G", ".###. #...# #.... #.### #...# #...# .####"),
    (0x48, 0x0048, "H", "#...# #...# #...# ##### #...# #...# #...#"),
    (0x49, 0x0049, "I", ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###."),
    (0x4A, 0x004A, "J", "..### ...#. ...#. ...#. ...#. #..#. .##.."),
    (0x4B, 0x004B, "K", "#...# #..#. #.#.. ##... #.#.. #..#. #...#"),
    (0x4C, 0x004C, "L", "#.... #.... #.... #.... #.... #.... #####"),
    (0x4D, 0x004D, "M", "#...# ##.## #.#.# #.#.# #...# #...# #...#"),
    (0x4E, 0x004E, "N", "#...# #...# ##..# #.#.# #..## #...# #...#"),
    (0x4F, 0x004F, "O", ".###. #...# #...# #...# #...# #...# .###."),
    (0x50, 0x0050, "P", "####. #...# #...# ####. #.... #.... #...."),
    (0x51, 0x0051, "Q", ".###. #...# #...# #...# #.#.# #..#. .##.#"),
    (0x52, 0x0052, "R", "####. #...# #...# ####. #.#.. #..#. #...#"),
    (0x53, 0x0053, "S", ".###. #...# #.... .###. ....# #...# .###."),
    (0x54, 0x0054, "T", "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."),
    (0x55, 0x0055, "U", "#...# #...# #...# #...# #...# #...# .###."),
    (0x56, 0x0056, "V", "#...# #...# #...# .#.#. .#.#. ..#.. ..#.."),
    (0x57, 0x0057, "W", "#...# #...# #...# #.#.# #.#.# #.#.# .#.#."),
    (0x58, 0x0058, "X", "#...# #...# .#.#. ..#.. .#.#. #...# #...#"),
    (0x59, 0x0059, "Y", "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.."),
    (0x5A, 0x005A, "Z", "##### ....# ...#. ..#.. .#... #.... #####"),
    (0x5B, 0x2190, "leftwards arrow", "..... ..#.. .#... ##### .#... ..#.."),
    (0x5C, 0x00BD, "vulgar fraction one half",
     "#.... #.... #...# ...#. ..#.. .#.## #...# ...#. ..###"),
    (0x5D, 0x2192, "rightwards arrow", "..... ..#.. ...#. ##### ...#. ..#.."),
    (0x5E, 0x2191, "upwards arrow", "..#.. .###. #.#.# ..#.. ..#.. ..#.. ..#.."),
    (0x5F, 0x0023, "number sign", ".#.#. .#.#. ##### .#.#. ##### .#.#. .#.#."),
    (0x60, 0x2014, "em dash", at({3: "#####"})),
    (0x61, 0x0061, "a", at({2: ".###.", 3: "....#", 4: ".####", 5: "#...#", 6: ".####"})),
    (0x62, 0x0062, "b", "#.... #.... ####. #...# #...# #...# ####."),
    (0x63, 0x0063, "c", at({2: ".####", 3: "#....", 4: "#....", 5: "#....", 6: ".####"})),
    (0x64, 0x0064, "d", "....# ....# .#### #...# #...# #...# .####"),
    (0x65, 0x0065, "e", at({2: ".###.", 3: "#...#", 4: "#####", 5: "#....", 6: ".###."})),
    (0x66, 0x0066, "f", "..##. .#... .#... ###.. .#... .#... .#..."),
    (0x67, 0x0067, "g", at({2: ".####", 3: "#...#", 4: "#...#", 5: "#...#", 6: ".####",
                            7: "....#", 8: ".###."})),
    (0x68, 0x0068, "h", "#.... #.... ####. #...# #...# #...# #...#"),
    (0x69, 0x0069, "i", "..#.. ..... .##.. ..#.. ..#.. ..#.. .###."),
    (0x6A, 0x006A, "j", "..#.. ..... ..#.. ..#.. ..#.. ..#.. ..#.. ..#.. ##..."),
    (0x6B, 0x006B, "k", ".#... .#... .#..# .#.#. .##.. .#.#. .#..#"),
    (0x6C, 0x006C, "l", ".##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###."),
    (0x6D, 0x006D, "m", at({2: "##.#.", 3: "#.#.#", 4: "#.#.#", 5: "#.#.#", 6: "#.#.#"})),
    (0x6E, 0x006E, "n", at({2: "####.", 3: "#...#", 4: "#...#", 5: "#...#", 6: "#...#"})),
    (0x6F, 0x006F, "o", at({2: ".###.", 3: "#...#", 4: "#...#", 5: "#...#", 6: ".###."})),
    (0x70, 0x0070, "p", at({2: "####.", 3: "#...#", 4: "#...#", 5: "#...#", 6: "####.",
                            7: "#....", 8: "#...."})),
    (0x71, 0x0071, "q", at({2: ".####", 3: "#...#", 4: "#...#", 5: "#...#", 6: ".####",
                            7: "....#", 8: "....#"})),
    (0x72, 0x0072, "r", at({2: ".#.##", 3: ".##..", 4: ".#...", 5: ".#...", 6: ".#..."})),
    (0x73, 0x0073, "s", at({2: ".####", 3: "#....", 4: ".###.", 5: "....#", 6: "####."})),
    (0x74, 0x0074, "t", ".#... .#... ###.. .#... .#... .#... ..##."),
    (0x75, 0x0075, "u", at({2: "#...#", 3: "#...#", 4: "#...#", 5: "#...#", 6: ".####"})),
    (0x76, 0x0076, "v", at({2: "#...#", 3: "#...#", 4: ".#.#.", 5: ".#.#.", 6: "..#.."})),
    (0x77, 0x0077, "w", at({2: "#...#", 3: "#...#", 4: "#.#.#", 5: "#.#.#", 6: ".#.#."})),
    (0x78, 0x0078, "x", at({2: "#...#", 3: ".#.#.", 4: "..#..", 5: ".#.#.", 6: "#...#"})),
    (0x79, 0x0079, "y", at({2: "#...#", 3: "#...#", 4: "#...#", 5: "#...#", 6: ".####",
                            7: "....#", 8: ".###."})),
    (0x7A, 0x007A, "z", at({2: "#####", 3: "...#.", 4: "..#..", 5: ".#...", 6: "#####"})),
    (0x7B, 0x00BC, "vulgar fraction one quarter",
     "#.... #.... #...# ...#. ..#.. .#..# #..## ..### ....#"),
    (0x7C, 0x2016, "double vertical line", ".#.#. .#.#. .#.#. .#.#. .#.#. .#.#. .#.#."),
    (0x7D, 0x00BE, "vulgar fraction three quarters",
     "##... .#... ##..# .#.#. ###.. .#..# #..## ..### ....#"),
    (0x7E, 0x00F7, "division sign", at({1: "..#..", 3: "#####", 5: "..#.."})),
    (0x7F, 0x25A0, "black square", "##### ##### ##### ##### ##### ##### ##### ##### #####"),
]

# Accents are drawn at pixel level on the top three pixel lines (the blank line above the dot
# matrix and dot row 0), so that one blank line stays between an accent and its letter. The
# first set sits over lower case (body from dot row 2), the capital set over capitals squeezed
# into dot rows 1..6.
ACCENTS = {
    "grave": ("...##.......", "....##......", ".....##....."),
    "acute": ("......##....", ".....##.....", "....##......"),
    "circumflex": (".....##.....", "....####....", "...##..##..."),
    "diaeresis": ("............", "...##..##...", "...##..##..."),
    "ring": (".....##.....", "....#..#....", ".....##....."),
    "tilde": ("............", "...###..##..", "..##..###..."),
}
CAPITAL_ACCENTS = {
    "acute": (".....##.....", "....##......", "............"),
    "diaeresis": (".##......##.", ".##......##.", "............"),
}
LOWER_BODIES = {
    "a": (".###.", "....#", ".####", "#...#", ".####"),
    "e": (".###.", "#...#", "#####", "#....", ".###."),
    "o": (".###.", "#...#", "#...#", "#...#", ".###."),
    "u": ("#...#", "#...#", "#...#", "#...#", ".####"),
    "n": ("####.", "#...#", "#...#", "#...#", "#...#"),
    "i": (".##..", "..#..", "..#..", "..#..", ".###."),  # dotless
}


def accented(accent, body):
    """A lower-case letter (dot rows 2..6) under a pixel-drawn accent."""
    return (at({2 + i: row for i, row in enumerate(LOWER_BODIES[body])}), ACCENTS[accent])


def capital(accent, design_rows):
    """A capital squeezed into dot rows 1..6 under a pixel-drawn accent."""
    return (at({1 + i: row for i, row in enumerate(design_rows.split())}),
            CAPITAL_ACCENTS[accent])


# Every distinct character the national sets show besides the English set: (Unicode, name,
# design). A design is a dot matrix, or a dot matrix with accent pixel lines.
NATIONAL = [
    (0x005E, "circumflex accent", at({0: "..#..", 1: ".#.#.", 2: "#...#"})),
    (0x005F, "low line", at({8: "#####"})),
    (0x00A1, "inverted exclamation mark", "..#.. ..... ..#.. ..#.. ..#.. ..#.. ..#.."),
    (0x00A4, "currency sign", at({1: "#...#", 2: ".###.", 3: ".#.#.", 4: ".###.", 5: "#...#"})),
    (0x00A7, "section sign", ".#### #.... .###. #...# .###. ....# ####."),
    (0x00B0, "degree sign", at({0: ".##..", 1: "#..#.", 2: ".##.."})),
    (0x00BF, "inverted question mark", "..#.. ..... ..#.. ..#.. .#... #...# .###."),
    (0x00C4, "A with diaeresis", capital("diaeresis", "..#.. .#.#. #...# ##### #...# #...#")),
    (0x00C5, "A with ring above", "..#.. .#.#. ..#.. .#.#. #...# ##### #...#"),
    (0x00C9, "E with acute", capital("acute", "##### #.... ####. #.... #.... #####")),
    (0x00D6, "O with diaeresis", capital("diaeresis", ".###. #...# #...# #...# #...# .###.")),
    (0x00DC, "U with diaeresis", capital("diaeresis", "#...# #...# #...# #...# #...# .###.")),
    (0x00DF, "sharp s", ".##.. #..#. #..#. #.#.. #..#. #...# #.##."),
    (0x00E0, "a with grave", accented("grave", "a")),
    (0x00E1, "a with acute", accented("acute", "a")),
    (0x00E2, "a with circumflex", accented("circumflex", "a")),
    (0x00E4, "a with diaeresis", accented("diaeresis", "a")),
    (0x00E5, "a with ring above", accented("ring", "a")),
    (0x00E7, "c with cedilla", at({2: ".####", 3: "#....", 4: "#....", 5: "#....", 6: ".####",
                                   7: "..#..", 8: ".##.."})),
    (0x00E8, "e with grave", accented("grave", "e")),
    (0x00E9, "e with acute", accented("acute", "e")),
    (0x00EA, "e with circumflex", accented("circumflex", "e")),
    (0x00EB, "e with diaeresis", accented("diaeresis", "e")),
    (0x00EC, "i with grave", accented("grave", "i")),
    (0x00ED, "i with acute", accented("acute", "i")),
    (0x00EE, "i with circumflex", accented("circumflex", "i")),
    (0x00EF, "i with diaeresis", accented("diaeresis", "i")),
    (0x00F1, "n with tilde", accented("tilde", "n")),
    (0x00F2, "o with grave", accented("grave", "o")),
    (0x00F3, "o with acute", accented("acute", "o")),
    (0x00F4, "o with circumflex", accented("circumflex", "o")),
    (0x00F6, "o with diaeresis", accented("diaeresis", "o")),
    (0x00F9, "u with grave", accented("grave", "u")),
    (0x00FA, "u with acute", accented("acute", "u")),
    (0x00FB, "u with circumflex", accented("circumflex", "u")),
    (0x00FC, "u with diaeresis", accented("diaeresis", "u")),
]

# A 3 x 5 pixel alphabet for the control-code symbols.
MINI = {
    "A": ".#. #.# ### #.# #.#", "B": "##. #.# ##. #.# ##.", "C": ".## #.. #.. #.. .##",
    "D": "##. #.# #.# #.# ##.", "E": "### #.. ##. #.. ###", "F": "### #.. ##. #.. #..",
    "G": ".## #.. #.# #.# .##", "H": "#.# #.# ### #.# #.#", "I": "### .#. .#. .#. ###",
    "K": "#.# #.# ##. #.# #.#", "L": "#.. #.. #.. #.. ###", "M": "#.# ### ### #.# #.#",
    "N": "##. #.# #.# #.# #.#", "O": ".#. #.# #.# #.# .#.", "P": "##. #.# ##. #.. #..",
    "R": "##. #.# ##. #.# #.#", "S": ".## #.. .#. ..# ##.", "T": "### .#. .#. .#. .#.",
    "U": "#.# #.# #.# #.# ###", "W": "#.# #.# ### ### #.#", "X": "#.# #.# .#. #.# #.#",
    "Y": "#.# #.# .#. .#. .#.", "Z": "### ..# .#. #.. ###", " ": "... ... ... ... ...",
}

# Control codes 0x00..0x1F: (top word, bottom word, name). Shown in show-codes mode.
COLOURS = ["BLK", "RED", "GRN", "YEL", "BLU", "MAG", "CYN", "WHT"]
COLOUR_NAMES = ["black", "red", "green", "yellow", "blue", "magenta", "cyan", "white"]
CONTROLS = [("ALP", COLOURS[i], "alphanumeric " + COLOUR_NAMES[i]) for i in range(8)] + [
    ("FLA", "SH", "flash"),
    ("STE", "ADY", "steady"),
    ("BOX", "END", "end box"),
    ("BOX", "STA", "start box"),
    ("NRM", "SZE", "normal height"),
    ("DBL", "HGT", "double height"),
    ("DBL", "WID", "double width"),
    ("DBL", "SZE", "double size"),
] + [("GFX", COLOURS[i], "mosaic " + COLOUR_NAMES[i]) for i in range(8)] + [
    ("CON", "CEA", "conceal"),
    ("GFX", "CON", "contiguous mosaics"),
    ("GFX", "SEP", "separated mosaics"),
    ("ESC", "", "escape"),
    ("BLK", "BGD", "black background"),
    ("NEW", "BGD", "new background"),
    ("HLD", "ON", "hold mosaics"),
    ("HLD", "OFF", "release mosaics"),
]


def smooth(design):
    """Renders a 5 x 9 design into a 12 x 16 picture with rounded diagonals."""
    accent = None
    if isinstance(design, tuple):
        design, accent = design
    dots = [[ch == "#" for ch in row] for row in rows(design)]
    pixels = [[False] * CELL_WIDTH for _ in range(CELL_HEIGHT)]
    first_line = []
    line = TOP_MARGIN
    for height in DOT_ROW_HEIGHTS:
        first_line.append(line)
        line += height
    assert line == CELL_HEIGHT

    def dot(r, c):
        return 0 <= r < 9 and 0 <= c < 5 and dots[r][c]

    def setpix(y, x):
        if 0 <= y < CELL_HEIGHT and 0 <= x < CELL_WIDTH:
            pixels[y][x] = True

    for r in range(9):
        for c in range(5):
            if dots[r][c]:
                for y in range(first_line[r], first_line[r] + DOT_ROW_HEIGHTS[r]):
                    setpix(y, LEFT_MARGIN + 2 * c)
                    setpix(y, LEFT_MARGIN + 2 * c + 1)
    # Rounding: where two dots touch only at a corner, half a dot is added on each side of the
    # step, on the pixel lines next to it.
    for r in range(8):
        last = first_line[r] + DOT_ROW_HEIGHTS[r] - 1
        below = first_line[r + 1]
        for c in range(4):
            if dot(r, c) and dot(r + 1, c + 1) and not dot(r, c + 1) and not dot(r + 1, c):
                setpix(last, LEFT_MARGIN + 2 * (c + 1))
                setpix(below, LEFT_MARGIN + 2 * c + 1)
            if dot(r, c + 1) and dot(r + 1, c) and not dot(r, c) and not dot(r + 1, c + 1):
                setpix(last, LEFT_MARGIN + 2 * c + 1)
                setpix(below, LEFT_MARGIN + 2 * (c + 1))
    if accent:
        for y, line in enumerate(accent):
            for x, ch in enumerate(line):
                if ch == "#":
                    pixels[y][x] = True
    return ["".join("#" if p else "." for p in line) for line in pixels]


def control_picture(top, bottom):
    """Two words of up to three mini letters, one above the other, in a 12 x 16 cell."""
    pixels = [["."] * CELL_WIDTH for _ in range(CELL_HEIGHT)]
    for word, first_row in ((top, 2), (bottom, 9)):
        width = len(word) * 4 - 1 if word else 0
        left = (CELL_WIDTH - width) // 2
        for i, letter in enumerate(word):
            for y, pattern in enumerate(MINI[letter].split()):
                for x, ch in enumerate(pattern):
                    if ch == "#":
                        pixels[first_row + y][left + 4 * i + x] = "#"
    return ["".join(line) for line in pixels]


def large_rows(design):
    """A design as 9 bytes, bit 7 the leftmost pixel."""
    values = []
    for row in rows(design):
        value = 0
        for c, ch in enumerate(row):
            if ch == "#":
                value |= 0x80 >> c
        values.append(value)
    return values


def left_aligned(values):
    """Shifts a glyph so that its ink starts at bit 7: the editor takes a large glyph's width
    from where its ink ends."""
    union = 0
    for value in values:
        union |= value
    if union:
        while not union & 0x80:
            union <<= 1
            values = [v << 1 for v in values]
    return values


def slant(values, shifts):
    return [(v >> s) & 0xFF for v, s in zip(values, shifts)]


def widen(values):
    """Five columns to eight: the first, middle and last column are doubled."""
    result = []
    for v in values:
        out = 0
        x = 0
        for c in range(5):
            bit = bool(v & (0x80 >> c))
            for _ in range(2 if c in (0, 2, 4) else 1):
                if bit:
                    out |= 0x80 >> x
                x += 1
        result.append(out)
    return result


ITALIC_SHIFTS = [2, 2, 1, 1, 1, 0, 0, 0, 0]
LARGE_STYLES = [
    ("classic", lambda v: v),
    ("bold", lambda v: [(x | (x >> 1)) & 0xFF for x in v]),
    ("italic", lambda v: slant(v, ITALIC_SHIFTS)),
    ("wide", widen),
    ("inverse", lambda v: [0xFE & ~(x >> 1) for x in v]),
    ("bold italic", lambda v: slant([(x | (x >> 1)) & 0xFF for x in v], ITALIC_SHIFTS)),
]


def write_pictures(path, header, width, height, glyphs):
    with open(path, "w", encoding="ascii") as out:
        out.write(header)
        out.write("size %d %d\n" % (width, height))
        for key, name, picture in glyphs:
            assert len(picture) == height and all(len(line) == width for line in picture)
            out.write("\nglyph %s %s\n" % (key, name))
            for line in picture:
                out.write(line + "\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "fonts")
    os.makedirs(os.path.join(target, "large"), exist_ok=True)

    write_pictures(
        os.path.join(target, "english.txt"),
        "; Teletext English character set, codes 0x20..0x7F, one 12 x 16 picture per glyph.\n"
        "; '#' is ink, '.' is paper. Each glyph names its code and the Unicode character it\n"
        "; shows, so the national faces can take any of these glyphs by character.\n",
        CELL_WIDTH, CELL_HEIGHT,
        [("0x%02X U+%04X" % (code, uni), name, smooth(design))
         for code, uni, name, design in ENGLISH])
    write_pictures(
        os.path.join(target, "national.txt"),
        "; The characters the national sets show that the English set does not, one 12 x 16\n"
        "; picture per Unicode character. '#' is ink, '.' is paper.\n",
        CELL_WIDTH, CELL_HEIGHT,
        [("U+%04X" % uni, name, smooth(design)) for uni, name, design in NATIONAL])
    write_pictures(
        os.path.join(target, "controls.txt"),
        "; Symbols of the control codes 0x00..0x1F, shown in place of the codes in show-codes\n"
        "; mode. '#' is ink, '.' is paper.\n",
        CELL_WIDTH, CELL_HEIGHT,
        [("0x%02X" % code, name, control_picture(top, bottom))
         for code, (top, bottom, name) in enumerate(CONTROLS)])
    for number, (style, transform) in enumerate(LARGE_STYLES, start=1):
        glyphs = []
        for code, _uni, name, design in ENGLISH:
            values = left_aligned(transform(left_aligned(large_rows(design))))
            picture = ["".join("#" if v & (0x80 >> x) else "." for x in range(8)) for v in values]
            glyphs.append(("0x%02X" % code, name, picture))
        write_pictures(
            os.path.join(target, "large", "txtfont%d.txt" % number),
            "; Large font %d (%s) for lettering with mosaics: codes 0x20..0x7F, 8 x 9 pixels,\n"
            "; each glyph starting at the left edge, so its width is where its ink ends.\n"
            % (number, style),
            8, 9, glyphs)


if __name__ == "__main__":
    main()
