#!/usr/bin/python3
"""How long a new local feed takes to go on air through the watching scan service.

Starts the transmission-server simulator and `tavrel scan --interval 3600` on a copy of the
sample workspace, then rewrites the feed ROUNDS times and measures from the write to the
simulator's "published" report line. Prints every figure and the median.

    bench/watch_latency.py build/release/tavrel [ROUNDS]

With --folder the scan publishes to a page folder (Target=Folder) instead, and each figure runs
from the write to the first page file in the folder that holds the new message.

    bench/watch_latency.py --folder build/release/tavrel [ROUNDS]
"""

import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def main():
    arguments = sys.argv[1:]
    if "--folder" in arguments:
        arguments.remove("--folder")
        folder_latency(os.path.abspath(arguments[0]),
                       int(arguments[1]) if len(arguments) > 1 else 10)
        return
    program = os.path.abspath(arguments[0])
    rounds = int(arguments[1]) if len(arguments) > 1 else 10
    work = tempfile.mkdtemp(prefix="tavrel-watch-")
    try:
        sim_dir = os.path.join(work, "sim")
        os.makedirs(sim_dir)
        port_file = os.path.join(work, "port")
        simulator = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "tools/varnex-sim/varnex_sim.py"),
             "--dir", sim_dir, "--port", "0", "--port-file", port_file,
             "--password", "teletext", "--delay", "0.05"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while not (os.path.exists(port_file) and open(port_file).read().strip()):
            if simulator.poll() is not None:
                raise SystemExit("the simulator did not start (it needs pyftpdlib: "
                                 "run this script with the python that has it)")
            time.sleep(0.05)
        port = open(port_file).read().strip()
        home = os.path.join(work, "home")
        shutil.copytree(os.path.join(SOURCE, "data/sample"), home)
        ini = os.path.join(home, "tavrel.ini")
        with open(ini, "rb") as f:
            settings = f.read().replace(b"FTPPort=2121", b"FTPPort=" + port.encode())
        with open(ini, "wb") as f:
            f.write(settings)
        scan = subprocess.Popen([program, "--home", home, "scan", "--interval", "3600"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        feed = os.path.join(home, "Feed", "news.xml")
        report = os.path.join(sim_dir, "report.txt")
        original = open(feed, "rb").read()
        figures = []
        for version in range(1, rounds + 1):
            published = report_lines(report)
            body = original.replace(b"<item>", b"<item><title>Update %d</title>"
                                    b"<category>News</category><description>Version %d."
                                    b"</description></item><item>" % (version, version), 1)
            start = time.monotonic()
            with open(feed, "wb") as f:
                f.write(body)
            while report_lines(report) <= published:
                if time.monotonic() - start > 30:
                    raise SystemExit("no update published within 30 s")
                time.sleep(0.005)
            figures.append(time.monotonic() - start)
            time.sleep(0.3)  # the simulator takes the update away after its delay
        scan.terminate()
        scan.wait()
        simulator.terminate()
        simulator.wait()
        print("write to published, s: " + " ".join("%.3f" % f for f in figures))
        print("median of %d: %.3f s" % (len(figures), statistics.median(figures)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def folder_latency(program, rounds):
    work = tempfile.mkdtemp(prefix="tavrel-watch-folder-")
    try:
        home = os.path.join(work, "home")
        shutil.copytree(os.path.join(SOURCE, "data/sample"), home)
        pages = os.path.join(work, "pages")
        os.makedirs(pages)
        ini = os.path.join(home, "tavrel.ini")
        with open(ini, "rb") as f:
            settings = re.sub(rb"\[Settings\]\r?\n", b"[Settings]\r\nTarget=Folder\r\n"
                              b"TargetFolder=" + pages.encode() + b"\r\n", f.read(), count=1)
        with open(ini, "wb") as f:
            f.write(settings)
        scan = subprocess.Popen([program, "--home", home, "scan", "--interval", "3600"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        feed = os.path.join(home, "Feed", "news.xml")
        original = open(feed, "rb").read()
        figures = []
        for version in range(1, rounds + 1):
            marker = b"Version %d." % version
            body = original.replace(b"<item>", b"<item><title>Update %d here</title>"
                                    b"<category>News</category><description>Version %d."
                                    b"</description></item><item>" % (version, version), 1)
            start = time.monotonic()
            with open(feed, "wb") as f:
                f.write(body)
            while not folder_holds(pages, marker):
                if time.monotonic() - start > 30:
                    raise SystemExit("no page with the new message within 30 s")
                time.sleep(0.005)
            figures.append(time.monotonic() - start)
            time.sleep(0.3)
        scan.terminate()
        scan.wait()
        print("write to page in the folder, s: " + " ".join("%.3f" % f for f in figures))
        print("median of %d: %.3f s" % (len(figures), statistics.median(figures)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def folder_holds(folder, marker):
    for name in os.listdir(folder):
        if name.endswith(".tti"):
            try:
                with open(os.path.join(folder, name), "rb") as f:
                    if marker in f.read():
                        return True
            except FileNotFoundError:
                pass
    return False


def report_lines(path):
    try:
        with open(path) as f:
            return sum(1 for line in f if "\tpublished\t" in line)
    except FileNotFoundError:
        return 0


if __name__ == "__main__":
    main()
