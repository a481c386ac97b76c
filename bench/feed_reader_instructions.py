#!/usr/bin/env python3
"""Instructions per call of the XML parser's own parse and of TPRSS::ReadMessages, counted by
callgrind in one build of feed_reader_bench. Unlike times, the ratio does not depend on what
else the machine is doing.

Usage: bench/feed_reader_instructions.py build/release/bench/feed_reader_bench [output-folder]
"""
import os
import re
import subprocess
import sys
import tempfile


def count(binary, folder, name, benchmark, toggles):
    out = os.path.join(folder, name + ".callgrind")
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] +
                   ["--toggle-collect=" + t for t in toggles] +
                   [binary, "--benchmark_filter=^" + benchmark + "$", "--benchmark_min_time=0.5"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    total = int(re.search(r"^totals: (\d+)", open(out).read(), re.M).group(1))
    tree = subprocess.run(["callgrind_annotate", "--tree=caller", out],
                          capture_output=True, text=True, check=True).stdout
    return total, tree


def main():
    binary = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp()
    total, tree = count(binary, folder, "parse", "BM_PugixmlParse",
                        ["pugi::xml_document::load_buffer*", "pugi::xml_document::~xml_document*"])
    parses = int(re.search(r"< .*load_buffer.*\((\d+)x\)", tree).group(1))
    parse = total / parses
    total, tree = count(binary, folder, "read", "BM_FeedReaderReadMessages",
                        ["tavrel::TPRSS::ReadMessages()"])
    reads = int(re.search(r"< .*BM_FeedReaderReadMessages.*\((\d+)x\)", tree).group(1))
    read = total / reads
    print(f"parse {parse / 1e6:.2f} M instructions, ReadMessages {read / 1e6:.2f} M, "
          f"ratio {read / parse:.2f} (callgrind files in {folder})")


if __name__ == "__main__":
    main()
