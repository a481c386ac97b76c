#!/usr/bin/python3
"""`tavrel generate` of about 1,000 pages against its floor, on disk and on tmpfs.

Makes a home with a feed of MESSAGES messages over 10 categories (one page each, every fourth
two sub-pages, plus an index page per category: about 1,000 page files). In each folder it runs,
alternately ROUNDS times on a full export folder:

- `tavrel generate` (empty Export/, read, lay out, encode, write),
- `tavrel --version`, the program's start-up alone, timed the same way,
- bench/plain_export_floor.c (empty the folder with readdir and unlink, write as many 1008-byte
  files with open, write and close).

It prints the minimum and median of each and two ratios to the floor: the raw one (whole
programs) and the one with the start-up subtracted ((generate - version) / floor), which is the
generator's own work. A disk folder hides much of that work behind the file system's cost; a
tmpfs folder (/dev/shm, or TMPFS_DIR) is where the floor is fastest and the ratio tells most.

    bench/generate_floor.py build/release/tavrel [ROUNDS] [MESSAGES] [DISK_DIR] [TMPFS_DIR]
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


def make_home(home, messages):
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


def timed(command):
    start = time.perf_counter()
    subprocess.check_call(command, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def measure(program, floor, parent, rounds, messages):
    work = tempfile.mkdtemp(prefix="tavrel-floor-", dir=parent)
    try:
        home = os.path.join(work, "home")
        make_home(home, messages)
        export = os.path.join(home, "Export")
        generate = [program, "--home", home, "generate"]
        subprocess.check_call(generate, stdout=subprocess.DEVNULL)
        pages = len([n for n in os.listdir(export) if n.endswith(".pag")])
        times = {"generate": [], "version": [], "floor": []}
        for _ in range(rounds):
            times["generate"].append(timed(generate))
            times["version"].append(timed([program, "--version"]))
            times["floor"].append(timed([floor, export, str(pages + 1)]))  # pages + Control.dat
        return pages, times
    finally:
        shutil.rmtree(work, ignore_errors=True)


def report(label, parent, pages, times, rounds):
    print("%s (%s): %d page files, %d alternating rounds" % (label, parent, pages, rounds))
    for statistic, pick in (("min", min), ("median", statistics.median)):
        g, v, p = (pick(times[k]) for k in ("generate", "version", "floor"))
        print("  %-6s generate %6.1f ms  --version %5.1f ms  floor %5.1f ms  "
              "ratio raw %.2f  start-up subtracted %.2f"
              % (statistic, 1000 * g, 1000 * v, 1000 * p, g / p, (g - v) / p))


def main():
    program = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    messages = int(sys.argv[3]) if len(sys.argv) > 3 else 790
    disk = sys.argv[4] if len(sys.argv) > 4 else tempfile.gettempdir()
    tmpfs = sys.argv[5] if len(sys.argv) > 5 else "/dev/shm"
    build = tempfile.mkdtemp(prefix="tavrel-floor-build-")
    try:
        floor = os.path.join(build, "plain_export_floor")
        subprocess.check_call(["cc", "-O2", "-o", floor,
                               os.path.join(SOURCE, "bench/plain_export_floor.c")])
        for label, parent in (("disk", disk), ("tmpfs", tmpfs)):
            if not os.path.isdir(parent):
                print("%s: no folder %s, not measured" % (label, parent))
                continue
            pages, times = measure(program, floor, parent, rounds, messages)
            report(label, parent, pages, times, rounds)
    finally:
        shutil.rmtree(build, ignore_errors=True)


if __name__ == "__main__":
    main()
