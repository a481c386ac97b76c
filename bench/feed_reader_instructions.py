#!/usr/bin/env python3
"""Instructions per call of the XML parser's own parse and of TPRSS::ReadMessages, counted by
callgrind in one build of feed_reader_bench. Unlike times, the counts do not depend on what
else the machine is doing.

Callgrind writes the counts of every call to a file of its own, so that one kind of call can
be told from another: the first read of a reader allocates the texts of its messages, the reads
after it fill the same messages again. The figures are the median call of:
  parse       the parser's parse of the feed, with the freeing of its tree;
  again       ReadMessages on a reader that has read the feed before (the benchmark's loop);
  new reader  ReadMessages on a reader made for the read, as the pipeline reads a feed; given
              once more with the making of the reader and the freeing of it and its messages.
The mean over all calls of ReadMessages in the benchmark's loop, which mixes the first read
with the later ones, is given as well.

Usage: bench/feed_reader_instructions.py build/release/bench/feed_reader_bench [output-folder]
"""
import glob
import os
import re
import statistics
import subprocess
import sys
import tempfile


def per_call(binary, folder, name, benchmark, toggles, triggers):
    """The counts callgrind wrote at each of the `triggers` (--dump-before or --dump-after
    options), by the option that wrote them, in the order written."""
    base = os.path.join(folder, name + ".callgrind")
    for old in glob.glob(base + "*"):
        os.remove(old)
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + base] +
                   ["--toggle-collect=" + t for t in toggles] + triggers +
                   [binary, "--benchmark_filter=^" + benchmark + "$", "--benchmark_min_time=0.5"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    counts = {}
    parts = glob.glob(base + ".*")
    for part in sorted(parts, key=lambda path: int(path.rsplit(".", 1)[1])):
        with open(part) as profile:
            text = profile.read()
        trigger = re.search(r"^desc: Trigger: (--dump-\w+)", text, re.M)
        if trigger:
            count = int(re.search(r"^summary: (\d+)", text, re.M).group(1))
            counts.setdefault(trigger.group(1), []).append(count)
    return counts


def median(counts):
    if not counts:
        sys.exit("callgrind counted no call")
    return statistics.median(counts) / 1e6


def main():
    binary = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp()
    os.makedirs(folder, exist_ok=True)
    read_messages = "tavrel::TPRSS::ReadMessages()"
    parse = per_call(binary, folder, "parse", "BM_PugixmlParse",
                     ["pugi::xml_document::load_buffer*", "pugi::xml_document::~xml_document*"],
                     ["--dump-after=pugi::xml_document::~xml_document*"])["--dump-after"]
    again = per_call(binary, folder, "read", "BM_FeedReaderReadMessages", [read_messages],
                     ["--dump-after=" + read_messages])["--dump-after"]
    # Counted over the whole loop: the part written after a read is the read, the part written
    # before the next read holds the freeing of the reader and the making of the next one.
    fresh = per_call(binary, folder, "new_reader", "BM_FeedReaderNewReader",
                     ["*BM_FeedReaderNewReader*"],
                     ["--dump-before=" + read_messages, "--dump-after=" + read_messages])
    p, a = median(parse), median(again)
    f = median(fresh.get("--dump-after", []))
    around = median(fresh.get("--dump-before", [])[1:])  # the first holds no freeing
    print(f"parse {p:.2f} M instructions a call; ReadMessages again {a:.2f} M, "
          f"ratio {a / p:.2f}; on a new reader {f:.2f} M, ratio {f / p:.2f}, "
          f"with making and freeing the reader {f + around:.2f} M, ratio {(f + around) / p:.2f}")
    mean_parse = statistics.mean(parse) / 1e6
    mean_read = statistics.mean(again) / 1e6
    print(f"means over all {len(again)} calls of the benchmark loop: parse {mean_parse:.2f} M, "
          f"ReadMessages {mean_read:.2f} M, ratio {mean_read / mean_parse:.2f} "
          f"(callgrind files in {folder})")


if __name__ == "__main__":
    main()
