"""Soak: 'tavrel scan --interval 0' against the simulator for TAVREL_SOAK_SECONDS (default 45),
the feed changing at random moments and the simulator's faults switched on and off at random
(the simulator takes its switches at start, so each phase restarts it on the same port).
When changes and faults stop and the scan has sent the last feed, the pages on air equal a
fresh generate of that feed, every update the simulator took was published whole, and the scan
holds as many file descriptors and about as much memory as after its first steps.

    TAVREL_PROGRAM=build/asan/tavrel /usr/bin/python3 tests/soak/soak_test.py
TAVREL_SOAK_SEED fixes the random choices; the seed in use is printed."""

import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tavrel_harness as harness  # noqa: E402

PROGRAM = os.environ.get("TAVREL_PROGRAM", "")
SECONDS = float(os.environ.get("TAVREL_SOAK_SECONDS", "45"))
# Growth of resident memory from the first steps to the end that counts as the same: heap
# pages touched once and kept by the allocator, not a leak per step.
RSS_BOUND_KB = 8 * 1024
STEPS_BEFORE_BASELINE = 5

# Simulator switches of the phases; None is a well-behaved server. Drops fall on either side
# of the archive's first block, so some uploads break off early and some late.
PHASES = [[], [], ["--busy"], ["--refuse-logins"], ["--drop-after", "1500"],
          ["--drop-after", "20000"]]


def open_descriptors(pid):
    return len(os.listdir("/proc/%d/fd" % pid))


def resident_kb(pid):
    for line in harness.read_bytes("/proc/%d/status" % pid).decode().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    raise RuntimeError("no VmRSS for %d" % pid)


class SoakTest(unittest.TestCase):
    def test_scan_survives_changes_and_faults(self):
        self.assertTrue(os.access(PROGRAM, os.X_OK), "set TAVREL_PROGRAM to the tavrel binary")
        seed = int(os.environ.get("TAVREL_SOAK_SEED", str(int(time.time()))))
        print("soak seed %d, %.0f s" % (seed, SECONDS), flush=True)
        rng = random.Random(seed)
        with tempfile.TemporaryDirectory() as temp:
            simulator = harness.Simulator(os.path.join(temp, "varnex"))
            scan = None
            try:
                simulator.start()
                home = harness.make_home(os.path.join(temp, "home"), simulator.port)
                feed = os.path.join(home, "Feed", "news.xml")
                item_count = len(harness.item_titles(harness.read_bytes(feed)))
                output_path = os.path.join(temp, "scan.out")
                output = open(output_path, "wb")
                env = dict(os.environ)
                # A small quarantine under AddressSanitizer, so that freed memory it holds
                # back does not read as growth.
                env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=4"
                scan = subprocess.Popen([PROGRAM, "--home", home, "scan", "--interval", "0"],
                                        stdout=output, stderr=subprocess.DEVNULL, env=env)
                output.close()

                def texts():
                    return harness.status_texts(harness.read_bytes(output_path).decode("cp1252"))

                def steps():
                    return texts().count("Idle")

                self.assertTrue(harness.wait_for(lambda: steps() >= STEPS_BEFORE_BASELINE, 30),
                                texts())
                fds_start = open_descriptors(scan.pid)
                rss_start = resident_kb(scan.pid)

                deadline = time.monotonic() + SECONDS
                changes = 0
                phases = 0
                while time.monotonic() < deadline:
                    switches = rng.choice(PHASES)
                    simulator.stop()
                    if "--busy" in simulator.switches:
                        simulator.finish_pending_update()
                    simulator.start(switches)
                    phases += 1
                    phase_end = min(deadline, time.monotonic() + rng.uniform(1.0, 5.0))
                    while time.monotonic() < phase_end:
                        time.sleep(rng.uniform(0.05, 1.5))
                        if rng.random() < 0.6:
                            changes += 1
                            harness.replace_title(feed, rng.randrange(item_count),
                                                  b"Change %d of the soak" % changes)
                    self.assertIsNone(scan.poll(), texts()[-20:])

                # Changes and faults stop: a well-behaved server and one more change, which the
                # scan must send with one of its next steps.
                simulator.stop()
                if "--busy" in simulator.switches:
                    simulator.finish_pending_update()
                simulator.start()
                changes += 1
                harness.replace_title(feed, 0, b"The last change of the soak")
                mark = len(texts())
                # "No changes" from a step that began after the change: the feed as last sent
                # is the last feed.
                def sent_last_feed():
                    later = texts()[mark:]
                    return "Checking" in later and "No changes" in later[later.index("Checking"):]

                self.assertTrue(harness.wait_for(sent_last_feed, 30), texts()[mark:])
                published = lambda: [r for r in simulator.report_lines() if r[2] == "published"]
                self.assertTrue(harness.wait_for(
                    lambda: not os.path.exists(os.path.join(simulator.transfer_dir(),
                                                            "update.sem")), 10))
                fds_end = open_descriptors(scan.pid)
                rss_end = resident_kb(scan.pid)
                all_texts = texts()
                print("soak: %d steps, %d changes, %d phases, %d published, %d busy, "
                      "%d connection failed, %d errors; fds %d -> %d, VmRSS %d -> %d kB" % (
                          all_texts.count("Idle"), changes, phases, len(published()),
                          all_texts.count("Server Busy"), all_texts.count("Connection failed"),
                          len([t for t in all_texts if t.startswith("Error: ")]), fds_start,
                          fds_end, rss_start, rss_end), flush=True)

                scan.send_signal(signal.SIGTERM)
                self.assertEqual(scan.wait(30), 0)
                scan = None

                # Every update the simulator took was complete and published.
                self.assertEqual([r for r in simulator.report_lines() if r[2] != "published"],
                                 [])
                self.assertGreater(len(published()), 1)
                self.assertNotIn("UNSTAMPED", " ".join(all_texts))
                # On air is the last feed, page for page and byte for byte.
                fresh = os.path.join(temp, "fresh")
                shutil.copytree(home, fresh, ignore=shutil.ignore_patterns("Export", "Handled"))
                self.assertEqual(harness.page_files(simulator.onair()),
                                 harness.generate(PROGRAM, fresh))
                self.assertEqual(fds_end, fds_start)
                self.assertLessEqual(rss_end - rss_start, RSS_BOUND_KB)
            finally:
                if scan is not None:
                    scan.kill()
                    scan.wait()
                simulator.stop()


if __name__ == "__main__":
    unittest.main()
