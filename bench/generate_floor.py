#!/usr/bin/python3
"""`tavrel generate` of about 1,000 pages against its floor, both as whole programs.

Makes a home with a feed of MESSAGES messages over 10 categories (one page each, every fourth
two sub-pages, plus an index page per category: about 1,000 page files), runs `tavrel generate` (empty Export/, read, lay out, encode,
write) and bench/plain_export_floor.c (empty the folder with readdir and unlink, write as many
1008-byte files with open, write and close) alternately ROUNDS times on a full folder, and
prints the medians and their ratio.

    bench/generate_floor.py build/release/tavrel [ROUNDS] [MESSAGES]
"""

import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CATEGORIES = 10


def main():
    program = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    messages = int(sys.argv[3]) if len(sys.argv) > 3 else 790
    work = tempfile.mkdtemp(prefix="tavrel-floor-")
    try:
        floor = os.path.join(work, "plain_export_floor")
        subprocess.check_call(["cc", "-O2", "-o", floor,
                               os.path.join(SOURCE, "bench/plain_export_floor.c")])
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, "Templates"))
        for name in ("news_index.tpg", "news_message.tpg"):
            shutil.copy(os.path.join(SOURCE, "data/sample/Templates", name),
                        os.path.join(home, "Templates", name))
        settings = ["[Settings]", "XMLFilePath=feed.xml", "UseFastext=1", "MessageElement=item",
                    "TextElement=description", "RootElement=rss", "UseChannelElement=1"]
        for c in range(CATEGORIES):
            settings += ["[XMLItem%03d]" % (c + 1), "Category=C%d" % c,
                         "IndexNumber=%d" % (100 + 80 * c), "FirstNumber=%d" % (101 + 80 * c),
                         "IndexTemplateFileName=Templates/news_index.tpg",
                         "MessageTemplateFileName=Templates/news_message.tpg"]
        with open(os.path.join(home, "tavrel.ini"), "w") as f:
            f.write("\r\n".join(settings) + "\r\n")
        rng = random.Random(7)
        words = ["harbour", "council", "minister", "rates", "storm", "rail", "vote", "market",
                 "school", "bridge", "north", "budget", "plan", "week", "city", "talks"]
        items = []
        for m in range(messages):
            # Every fourth message runs to a second sub-page.
            count = 140 if m % 4 == 0 else 30
            text = " ".join(rng.choice(words) for _ in range(count)) + "."
            items.append("<item><title>Message %d</title><category>C%d</category>"
                         "<description>%s</description></item>" % (m, m % CATEGORIES, text))
        with open(os.path.join(home, "feed.xml"), "w") as f:
            f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss><channel>\n" +
                    "\n".join(items) + "\n</channel></rss>\n")
        export = os.path.join(home, "Export")
        subprocess.check_call([program, "--home", home, "generate"], stdout=subprocess.DEVNULL)
        pages = len([n for n in os.listdir(export) if n.endswith(".pag")])
        generate_times, floor_times = [], []
        for _ in range(rounds):
            start = time.perf_counter()
            subprocess.check_call([program, "--home", home, "generate"],
                                  stdout=subprocess.DEVNULL)
            generate_times.append(time.perf_counter() - start)
            start = time.perf_counter()
            subprocess.check_call([floor, export, str(pages + 1)])  # pages and Control.dat
            floor_times.append(time.perf_counter() - start)
        g = statistics.median(generate_times)
        p = statistics.median(floor_times)
        print("%d page files; median of %d runs" % (pages, rounds))
        print("tavrel generate:    %.1f ms" % (1000 * g))
        print("plain_export_floor: %.1f ms" % (1000 * p))
        print("ratio: %.2f" % (g / p))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
