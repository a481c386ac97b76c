#!/usr/bin/env python3
"""Writes the sample feed (an RSS 2.0 document in UTF-8) from feed_messages.py."""
import sys
from email.utils import format_datetime
from datetime import datetime, timedelta, timezone
from xml.sax.saxutils import escape

from feed_messages import MESSAGES


def main(path):
    start = datetime(2026, 12, 9, 6, 0, tzinfo=timezone.utc)
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<rss version="2.0">',
           '  <channel>',
           '    <title>Tavrel sample news service</title>',
           '    <link>http://127.0.0.1/</link>',
           '    <description>Sample feed bundled with Tavrel</description>']
    for number, (category, title, text) in enumerate(MESSAGES):
        when = format_datetime(start + timedelta(minutes=7 * number))
        out += ['    <item>',
                f'      <title>{escape(title)}</title>',
                f'      <category>{escape(category)}</category>',
                f'      <pubDate>{when}</pubDate>',
                f'      <description>{escape(text)}</description>',
                '    </item>']
    out += ['  </channel>', '</rss>', '']
    with open(path, 'w', encoding='utf-8', newline='\n') as feed:
        feed.write('\n'.join(out))


if __name__ == '__main__':
    main(sys.argv[1])
