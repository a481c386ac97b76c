#!/usr/bin/env python3
"""Draws the sample service's page templates and writes them as .tpg files.

A template is 23 body rows of 40 cell bytes. Each cell is stored OR 0x80 so that no byte of a row
line falls below 0x80; the text block rectangle is stored as "blocktext1" (left, top, right,
bottom, two digits each).
"""
import os
import sys

ALPHA = {'black': 0x00, 'red': 0x01, 'green': 0x02, 'yellow': 0x03, 'blue': 0x04,
         'magenta': 0x05, 'cyan': 0x06, 'white': 0x07}
MOSAIC = {name: code + 0x10 for name, code in ALPHA.items()}
DOUBLE_HEIGHT = 0x0D
NEW_BACKGROUND = 0x1D
SEPARATED = 0x1A

# The text block every sample template uses: columns 1..39, rows 5..21.
BLOCK = (1, 5, 39, 21)

# The service's emblem: three blocks in the colours of the service, each two cells wide and
# cut diagonally, shown in double height beside the heading.
EMBLEM = [
    ('red', [0x7F, 0x37]),
    ('yellow', [0x7F, 0x37]),
    ('cyan', [0x7F, 0x37]),
]


class Template:
    def __init__(self):
        self.rows = [[0x20] * 40 for _ in range(24)]

    def put(self, row, col, data):
        for offset, value in enumerate(data):
            if col + offset < 40:
                self.rows[row][col + offset] = value if isinstance(value, int) else ord(value)

    def text(self, row, col, text):
        self.put(row, col, [ord(c) for c in text])

    def write(self, path, charset=8):
        left, top, right, bottom = BLOCK
        lines = [b"[PAGE]", b"title=", b"charset=%d" % charset,
                 b"blocktext1=%02d%02d%02d%02d" % (left, top, right, bottom)]
        for row in range(1, 24):
            lines.append(b"row%02d=" % row + bytes(c | 0x80 for c in self.rows[row]))
        with open(path, 'wb') as out:
            out.write(b"\r\n".join(lines) + b"\r\n")


def banner(template, heading, subtitle, bar, ink, sub_ink):
    """Rows 1..3: the emblem and the heading in double height on a coloured bar, then a subtitle.

    The row below a double-height row only carries the lower halves of the row above, so row 2
    holds nothing of its own; the bar of row 3 continues the band under the heading.
    """
    cells = [DOUBLE_HEIGHT]
    for colour, blocks in EMBLEM:
        cells += [MOSAIC[colour]] + blocks
    template.put(1, 0, cells)
    template.put(1, 10, [ALPHA[bar], NEW_BACKGROUND, ALPHA[ink]])
    template.text(1, 13, heading)
    template.put(3, 10, [ALPHA[bar], NEW_BACKGROUND, ALPHA[sub_ink]])
    template.text(3, 13, subtitle)


def footer(template, text, bar='blue', ink='yellow'):
    template.put(23, 0, [ALPHA[bar], NEW_BACKGROUND, ALPHA[ink]])
    template.text(23, 3, text[:37])


def separator(template, row, colour):
    """A thin separated-mosaic rule across the page."""
    template.put(row, 0, [MOSAIC[colour], SEPARATED])
    template.put(row, 2, [0x2C] * 38)


def index_template(category):
    t = Template()
    banner(t, category['heading'], category['index_subtitle'], category['bar'], category['ink'],
           category['sub_ink'])
    separator(t, 4, category['rule'])
    for row in range(BLOCK[1], BLOCK[3] + 1):
        t.put(row, 0, [ALPHA['white']])
    separator(t, 22, category['rule'])
    footer(t, category['footer'])
    return t


def message_template(category):
    t = Template()
    banner(t, category['heading'], category['message_subtitle'], category['bar'], category['ink'],
           category['sub_ink'])
    separator(t, 4, category['rule'])
    # The first block row takes the title: give it its own colour. The last block row takes the
    # sub-page counter.
    t.put(BLOCK[1], 0, [ALPHA[category['title_ink']]])
    for row in range(BLOCK[1] + 1, BLOCK[3]):
        t.put(row, 0, [ALPHA['white']])
    t.put(BLOCK[3], 0, [ALPHA['cyan']])
    separator(t, 22, category['rule'])
    footer(t, category['footer'])
    return t


FOOTER = "Tavrel Teletext   News 100  Sport 200"

CATEGORIES = [
    dict(name='news', heading='NEWS', index_subtitle='Headlines', message_subtitle='News',
         bar='red', ink='yellow', sub_ink='white', rule='red', title_ink='yellow'),
    dict(name='sport', heading='SPORT', index_subtitle='Results and reports',
         message_subtitle='Sport', bar='green', ink='blue', sub_ink='blue', rule='green',
         title_ink='green'),
    dict(name='business', heading='MONEY', index_subtitle='Business and markets',
         message_subtitle='Business', bar='blue', ink='white', sub_ink='cyan', rule='blue',
         title_ink='cyan'),
    dict(name='weather', heading='WEATHER', index_subtitle='Forecasts',
         message_subtitle='Weather', bar='cyan', ink='blue', sub_ink='blue', rule='cyan',
         title_ink='cyan'),
    dict(name='culture', heading='CULTURE', index_subtitle='Arts and entertainment',
         message_subtitle='Culture', bar='magenta', ink='white', sub_ink='yellow',
         rule='magenta', title_ink='magenta'),
    dict(name='europe', heading='EUROPE', index_subtitle='Nachrichten Nyheter Infos',
         message_subtitle='Europe', bar='blue', ink='yellow', sub_ink='white', rule='yellow',
         title_ink='yellow'),
    dict(name='technology', heading='TECHNOLOGY', index_subtitle='Science and gadgets',
         message_subtitle='Technology', bar='yellow', ink='blue', sub_ink='blue', rule='yellow',
         title_ink='yellow'),
]


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for category in CATEGORIES:
        category['footer'] = FOOTER
        index_template(category).write(os.path.join(folder, f"{category['name']}_index.tpg"))
        message_template(category).write(os.path.join(folder, f"{category['name']}_message.tpg"))


if __name__ == '__main__':
    main(sys.argv[1])
