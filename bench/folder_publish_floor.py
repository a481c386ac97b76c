#!/usr/bin/python3
"""Publishing about 1,000 pages to an inserter's page folder against a plain writer.

Makes the home of bench/generate_floor.py (MESSAGES messages over 10 categories: about 1,000
pages, one TTI file per page number, every fourth with two sub-pages), generates it and exports
its TTI files once. Then, ROUNDS times, alternately into a fresh empty folder:

- build/.../folder_publish_bench: PublishToFolder (compare with the file there, hidden temporary
  file, one flush of the file system for all, rename, manifest written before and after);
- bench/plain_folder_floor.c: open, write, close, rename of the same files (no flush), and the
  same with an fsync of every file (what a writer that keeps a page whole after a crash pays);
- folder_publish_bench again on the folder it filled: the same pages republished unchanged.

Prints the median and minimum of each and the ratios the targets name, on disk and on tmpfs.

    bench/folder_publish_floor.py build/release/tavrel build/release/bench/folder_publish_bench \
        [ROUNDS] [MESSAGES] [DISK_DIR] [TMPFS_DIR]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generate_floor import SOURCE, make_home  # noqa: E402


def run(command):
    return subprocess.check_output(command, text=True).split()


def measure(program, bench, floor, parent, rounds, messages):
    work = tempfile.mkdtemp(prefix="tavrel-publish-", dir=parent)
    try:
        home = os.path.join(work, "home")
        make_home(home, messages)
        subprocess.check_call([program, "--home", home, "generate"], stdout=subprocess.DEVNULL)
        source = os.path.join(work, "source")
        subprocess.check_call([program, "--home", home, "export", "--tti", source],
                              stdout=subprocess.DEVNULL)
        files = len(os.listdir(source))
        pages = len([n for n in os.listdir(os.path.join(home, "Export")) if n.endswith(".pag")])
        times = {"publish": [], "unchanged": [], "plain": [], "plain+fsync": []}
        for round_ in range(rounds):
            for kind in ("publish", "plain", "plain+fsync"):
                target = os.path.join(work, "target-%s-%d" % (kind, round_))
                os.mkdir(target)
                if kind == "publish":
                    manifest = os.path.join(work, "manifest-%d" % round_)
                    figures = run([bench, source, target, manifest])
                    assert figures[1] == str(files), figures
                    times["publish"].append(float(figures[0]))
                    again = run([bench, source, target, manifest])
                    assert again[1] == "0", again
                    times["unchanged"].append(float(again[0]))
                else:
                    arguments = [floor, source, target] + (["sync"] if "fsync" in kind else [])
                    times[kind].append(float(run(arguments)[0]))
                shutil.rmtree(target)
        return files, pages, times
    finally:
        shutil.rmtree(work, ignore_errors=True)


def report(label, parent, files, pages, times, rounds):
    print("%s (%s): %d TTI files holding %d pages, %d rounds" % (label, parent, files, pages,
                                                                  rounds))
    for statistic, pick in (("median", statistics.median), ("min", min)):
        p, u, plain, synced = (pick(times[k]) for k in ("publish", "unchanged", "plain",
                                                         "plain+fsync"))
        print("  %-6s publish %7.1f ms  unchanged %6.1f ms  plain %7.1f ms  plain+fsync %7.1f ms"
              % (statistic, 1000 * p, 1000 * u, 1000 * plain, 1000 * synced))
        print("         publish/plain %.2f  publish/plain+fsync %.2f  unchanged/publish %.2f"
              % (p / plain, p / synced, u / p))


def main():
    program = os.path.abspath(sys.argv[1])
    bench = os.path.abspath(sys.argv[2])
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    messages = int(sys.argv[4]) if len(sys.argv) > 4 else 790
    disk = sys.argv[5] if len(sys.argv) > 5 else tempfile.gettempdir()
    tmpfs = sys.argv[6] if len(sys.argv) > 6 else "/dev/shm"
    build = tempfile.mkdtemp(prefix="tavrel-publish-build-")
    try:
        floor = os.path.join(build, "plain_folder_floor")
        subprocess.check_call(["cc", "-O2", "-o", floor,
                               os.path.join(SOURCE, "bench/plain_folder_floor.c")])
        for label, parent in (("disk", disk), ("tmpfs", tmpfs)):
            if not os.path.isdir(parent):
                print("%s: no folder %s, not measured" % (label, parent))
                continue
            files, pages, times = measure(program, bench, floor, parent, rounds, messages)
            report(label, parent, files, pages, times, rounds)
    finally:
        shutil.rmtree(build, ignore_errors=True)


if __name__ == "__main__":
    main()
