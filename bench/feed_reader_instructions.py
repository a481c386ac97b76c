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


def calls(profile, caller, callee):
    """How often `caller` called `callee`, summed over the call records of a callgrind file.

    Read from the file itself: callgrind_annotate leaves out callers below its threshold and
    names files relative to the working folder, so its report is no steady thing to match."""
    names = {}  # callgrind writes a function's name once, then only its number
    current = callee_id = None
    total = 0
    with open(profile) as lines:
        for line in lines:
            named = re.match(r"^(c?fn)=\((\d+)\)(?: (.*))?$", line.rstrip("\n"))
            if named:
                kind, number, name = named.groups()
                if name:
                    names[number] = name
                if kind == "fn":
                    current = number
                else:
                    callee_id = number
                continue
            counted = re.match(r"^calls=(\d+)", line)
            if (counted and caller in names.get(current, "")
                    and names.get(callee_id, "").startswith(callee)):
                total += int(counted.group(1))
    return total


def count(binary, folder, name, benchmark, toggles, callee):
    out = os.path.join(folder, name + ".callgrind")
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] +
                   ["--toggle-collect=" + t for t in toggles] +
                   [binary, "--benchmark_filter=^" + benchmark + "$", "--benchmark_min_time=0.5"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    with open(out) as profile:
        total = int(re.search(r"^totals: (\d+)", profile.read(), re.M).group(1))
    return total / calls(out, benchmark, callee)


def main():
    binary = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp()
    os.makedirs(folder, exist_ok=True)
    parse = count(binary, folder, "parse", "BM_PugixmlParse",
                  ["pugi::xml_document::load_buffer*", "pugi::xml_document::~xml_document*"],
                  "pugi::xml_document::load_buffer(")
    read = count(binary, folder, "read", "BM_FeedReaderReadMessages",
                 ["tavrel::TPRSS::ReadMessages()"], "tavrel::TPRSS::ReadMessages()")
    print(f"parse {parse / 1e6:.2f} M instructions, ReadMessages {read / 1e6:.2f} M, "
          f"ratio {read / parse:.2f} (callgrind files in {folder})")


if __name__ == "__main__":
    main()
