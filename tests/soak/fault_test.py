"""Faults of the server, the web feed and the file system against the real program: the exit
code and status the operator sees while the fault lasts, no semaphore on the server without a
complete archive, and the change on air with the next step once the fault is gone.

    TAVREL_PROGRAM=build/asan/tavrel /usr/bin/python3 tests/soak/fault_test.py
TAVREL_SLOW_FAULTS=1 adds the stalled server, which takes the FTP stall limit (30 s)."""

import os
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tavrel_harness as harness  # noqa: E402

PROGRAM = os.environ.get("TAVREL_PROGRAM", "")
# The FTP client gives up after 30 s without progress; a step must end soon after that.
STALL_STEP_LIMIT = 45


def run_step(home, timeout=STALL_STEP_LIMIT + 30):
    started = time.monotonic()
    result = subprocess.run([PROGRAM, "--home", home, "scan", "--once"], capture_output=True,
                            timeout=timeout)
    return (result.returncode, harness.status_texts(result.stdout.decode("cp1252")),
            time.monotonic() - started)


def make_export_a_file(home):
    os.makedirs(home, exist_ok=True)
    with open(os.path.join(home, "Export"), "wb") as f:
        f.write(b"not a folder")


def make_export_usable(home):
    os.remove(os.path.join(home, "Export"))


def make_export_read_only(home):
    os.makedirs(os.path.join(home, "Export"), exist_ok=True)
    os.chmod(os.path.join(home, "Export"), 0o500)


def make_export_writable(home):
    os.chmod(os.path.join(home, "Export"), 0o700)


# One row per fault: how it is set up and taken away, what the step reports while it lasts.
# "switches" start the simulator misbehaving; "web" is the feed server's answer during the
# fault; "break_home"/"mend_home" change the home; "first_upload" sends the feed once before
# the fault (a busy server is only busy with an update it has taken).
CASES = [
    {"name": "refused login", "switches": ["--refuse-logins"], "exit": 4,
     "status": "Connection failed"},
    {"name": "connection dropped inside the archive", "switches": ["--drop-after", "3000"],
     "exit": 6, "status": None},
    {"name": "server busy with the last update", "switches": ["--busy"], "first_upload": True,
     "exit": 5, "status": "Server Busy"},
    {"name": "stalled server", "switches": ["--stall-after", "3000"], "exit": 6, "status": None,
     "slow": True},
    {"name": "export folder is a file", "break_home": make_export_a_file,
     "mend_home": make_export_usable, "exit": 1, "status": "Error: "},
    {"name": "export folder read-only", "break_home": make_export_read_only,
     "mend_home": make_export_writable, "exit": 1, "status": "Error: ", "not_root": True},
    {"name": "web feed answers HTTP 500", "web": "500", "exit": 1,
     "status": "Error: <url>: HTTP status 500"},
    {"name": "web feed redirects", "web": "302", "exit": 1,
     "status": "Error: <url>: redirect (HTTP status 302) not followed"},
]


class FaultTest(unittest.TestCase):
    def test_fault_is_reported_and_the_change_goes_on_air_once_it_is_gone(self):
        self.assertTrue(os.access(PROGRAM, os.X_OK), "set TAVREL_PROGRAM to the tavrel binary")
        for case in CASES:
            with self.subTest(case["name"]):
                if case.get("slow") and not os.environ.get("TAVREL_SLOW_FAULTS"):
                    continue  # the stall limit is fixed at 30 s; opt in to spend that long
                if case.get("not_root") and os.geteuid() == 0:
                    continue  # permissions do not stop root from writing
                with tempfile.TemporaryDirectory() as temp:
                    self.run_case(case, temp)

    def run_case(self, case, temp):
        simulator = harness.Simulator(os.path.join(temp, "varnex"))
        web = None
        try:
            simulator.start()
            extra = {}
            url = ""
            if "web" in case:
                web_dir = os.path.join(temp, "web")
                os.makedirs(web_dir)
                shutil.copy(os.path.join(harness.source_dir(), "data", "sample", "Feed",
                                         "news.xml"), os.path.join(web_dir, "feed.xml"))
                with open(os.path.join(web_dir, "mode"), "w") as f:
                    f.write("ok")
                web = subprocess.Popen([harness.PYTHON, os.path.join(
                    os.path.dirname(os.path.abspath(__file__)), "feed_server.py"), web_dir],
                    stdout=subprocess.PIPE)
                url = "http://127.0.0.1:%s/feed.xml" % web.stdout.readline().decode().strip()
                extra = {"IsXMLWeb": "1", "XmlUrl": url}
            home = os.path.join(temp, "home")
            harness.make_home(home, simulator.port, extra=extra)
            feed = os.path.join(web_dir, "feed.xml") if web else os.path.join(home, "Feed",
                                                                               "news.xml")
            if case.get("first_upload"):
                self.assertEqual(run_step(home)[0], 0)
                harness.replace_title(feed, 0, b"Busy day at the harbour")

            # The fault is on.
            if case.get("switches"):
                simulator.stop()
                simulator.start(case["switches"])
            if "web" in case:
                with open(os.path.join(web_dir, "mode"), "w") as f:
                    f.write(case["web"])
            if "break_home" in case:
                case["break_home"](home)
            received_before = len(simulator.received())
            code, texts, seconds = run_step(home)
            self.assertEqual(code, case["exit"], texts)
            self.assertLess(seconds, STALL_STEP_LIMIT)
            if case["status"] is not None:
                wanted = case["status"].replace("<url>", url)
                if wanted.endswith(": "):
                    self.assertTrue(any(t.startswith(wanted) for t in texts), texts)
                else:
                    self.assertIn(wanted, texts)
            self.assertEqual(texts[-1], "Idle")
            # No semaphore reaches the server in a step that failed.
            self.assertNotIn("update.sem", " ".join(simulator.received()[received_before:]).lower())
            if case.get("switches"):
                harness.wait_for(lambda: False, 0.3)  # let the simulator finish its log lines
                self.assertFalse(any(line[2] == "rejected" for line in simulator.report_lines()))

            # The fault is gone: the next step sends the change.
            if case.get("switches"):
                simulator.stop()
                if "--busy" in case["switches"]:
                    simulator.finish_pending_update()
                simulator.start()
            if "web" in case:
                with open(os.path.join(web_dir, "mode"), "w") as f:
                    f.write("ok")
            if "mend_home" in case:
                case["mend_home"](home)
            code, texts, _ = run_step(home)
            self.assertEqual(code, 0, texts)
            self.assertTrue(harness.wait_for(
                lambda: len([r for r in simulator.report_lines() if r[2] == "published"]) ==
                (2 if case.get("first_upload") else 1), 10), simulator.report_lines())
            fresh = os.path.join(temp, "fresh")
            shutil.copytree(home, fresh, ignore=shutil.ignore_patterns("Export", "Handled"))
            if web:
                shutil.copy(feed, os.path.join(fresh, "Feed", "news.xml"))
                harness.rewrite_settings(os.path.join(fresh, "tavrel.ini"), {"IsXMLWeb": "0"})
            self.assertEqual(harness.page_files(simulator.onair()),
                             harness.generate(PROGRAM, fresh))
            self.assertEqual(run_step(home)[0], 3)  # "No changes"
        finally:
            simulator.stop()
            if web:
                web.kill()
                web.wait()
                web.stdout.close()


if __name__ == "__main__":
    unittest.main()
