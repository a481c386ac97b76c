#!/usr/bin/python3
"""The browser preview (`tavrel serve`) on loopback, over a home of about 1,000 pages.

Makes the home of bench/generate_floor.py (10 categories, MESSAGES messages, every fourth with
two sub-pages), generates it with the program, starts `tavrel serve --listen 127.0.0.1:0` and
measures with one keep-alive connection each:

- a page request served from the cache: the same page document REQUESTS times (median, p90);
- the first drawing of a page: the 1x picture of every sub-page, each asked for the first time
  (median, p90, maximum; the time includes the request);
- 100 clients at once, each fetching 50 page documents: errors and wall time;
- the server's resident memory at the start, and after every page document and both pictures
  of every sub-page were asked for (all of them then held in the cache).

    bench/serve_bench.py build/release/tavrel [MESSAGES] [REQUESTS]
"""

import http.client
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generate_floor import make_home  # noqa: E402


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def timed_get(connection, path):
    start = time.perf_counter()
    connection.request("GET", path)
    response = connection.getresponse()
    body = response.read()
    return time.perf_counter() - start, response.status, body


def milliseconds(values):
    values = sorted(values)
    return "median %.3f ms, p90 %.3f ms, max %.3f ms" % (
        statistics.median(values) * 1e3, values[int(len(values) * 0.9)] * 1e3, values[-1] * 1e3)


def main():
    program = os.path.abspath(sys.argv[1])
    messages = int(sys.argv[2]) if len(sys.argv) > 2 else 990
    requests = int(sys.argv[3]) if len(sys.argv) > 3 else 5000
    work = tempfile.mkdtemp(prefix="tavrel-serve-bench-")
    serve = None
    try:
        home = os.path.join(work, "home")
        make_home(home, messages)
        subprocess.run([program, "--home", home, "generate"], check=True, stdout=subprocess.DEVNULL)
        serve = subprocess.Popen([program, "--home", home, "serve", "--listen", "127.0.0.1:0"],
                                 stdout=subprocess.PIPE, text=True)
        line = serve.stdout.readline()
        port = int(re.search(r":(\d+)/", line).group(1))
        print(line.strip())
        start_kib = resident_kib(serve.pid)

        connection = http.client.HTTPConnection("127.0.0.1", port)
        _, status, document = timed_get(connection, "/100")
        assert status == 200, status
        times = []
        for _ in range(requests):
            elapsed, status, _ = timed_get(connection, "/100")
            assert status == 200
            times.append(elapsed)
        print("page document from the cache, %d requests: %s" % (requests, milliseconds(times)))

        # Every sub-page of the generation, from the document of each page.
        numbers = sorted(set(re.findall(r"^\[(\d{3})\.\d{4}\]", open(
            os.path.join(home, "Export", "Control.dat")).read(), re.M)))
        pictures = []
        for number in numbers:
            _, status, body = timed_get(connection, "/" + number)
            assert status == 200, number
            for sub in re.findall(r'data-subs="([^"]*)"', body.decode())[0].split():
                pictures.append((number, sub))
        generation = re.search(r'data-generation="(\d+)"', document.decode()).group(1)
        first = []
        for number, sub in pictures:
            elapsed, status, _ = timed_get(
                connection, "/image/%s/%s/%s.png" % (generation, number, sub))
            assert status == 200
            first.append(elapsed)
        print("first drawing of a picture (1x), %d sub-pages: %s" % (len(first), milliseconds(first)))
        again = [timed_get(connection, "/image/%s/%s/%s.png" % (generation, n, s))[0]
                 for n, s in pictures]
        print("the same pictures again from the cache: %s" % milliseconds(again))
        for number, sub in pictures:
            timed_get(connection, "/image/%s/%s/%s@2x.png" % (generation, number, sub))
        shown_kib = resident_kib(serve.pid)

        errors = []
        def client(index):
            mine = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
            for i in range(50):
                try:
                    _, status, _ = timed_get(mine, "/" + numbers[(index * 7 + i) % len(numbers)])
                    if status != 200:
                        errors.append(status)
                except Exception as error:  # noqa: BLE001 - every failure counts
                    errors.append(repr(error))
                    mine = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
        threads = [threading.Thread(target=client, args=(i,)) for i in range(100)]
        started = time.perf_counter()
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        wall = time.perf_counter() - started
        print("100 clients x 50 page documents: %d errors, %.2f s, %.0f requests/s" % (
            len(errors), wall, 5000 / wall))
        print("server memory: %d KiB at the start, %d KiB with %d pages (%d sub-pages) shown, "
              "every picture at 1x and 2x cached" % (start_kib, shown_kib, len(numbers),
                                                     len(pictures)))
    finally:
        if serve:
            serve.terminate()
            serve.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
