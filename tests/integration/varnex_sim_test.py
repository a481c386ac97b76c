#!/usr/bin/python3
"""Checks that the transmission-server simulator takes good updates and rejects bad ones.

The client side is Python's own ftplib, so these checks do not depend on
Tavrel's FTP code. Page headers are written out byte for byte from the
published Hamming 8/4 table, not computed with the simulator's own coder.
"""

import ftplib
import io
import os
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

SIMULATOR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                         "tools", "varnex-sim", "varnex_sim.py")
USER = "tavrel"
PASSWORD = "secret"
REMOTE_FOLDER = "Varnex\\Transfer\\tavrel\\"

# Header packet of page 100, sub-page 0000, character set 8: H(1), seven times
# H(0), H(2), H(9), then "100" with odd parity and 29 spaces.
HEADER_100 = bytes([0x02, 0x15, 0x15, 0x15, 0x15, 0x15, 0x15, 0x15, 0x49, 0xC7,
                    0x31, 0xB0, 0xB0]) + b"\x20" * 29
# The same for page 101: the units digit is H(1) = 0x02, the text "101".
HEADER_101 = bytes([0x02, 0x15, 0x02, 0x15, 0x15, 0x15, 0x15, 0x15, 0x49, 0xC7,
                    0x31, 0xB0, 0x31]) + b"\x20" * 29
BODY = b"\x00" * (23 * 42)

CONTROL = (b"[101.*]\r\n[100.*]\r\n"
           b"[100.0000]\r\nFilename=100-0000.pag\r\nLevel=0\r\n"
           b"DateTime=01/02/2024 10:00:00\r\nCharSet=8\r\nnotrans=0\r\n"
           b"[101.0000]\r\nFilename=101-0000.pag\r\nLevel=0\r\n"
           b"DateTime=01/02/2024 10:00:00\r\nCharSet=8\r\nnotrans=0\r\n")


def make_zip(members):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in members.items():
            archive.writestr(name, data)
    return buffer.getvalue()


def good_members():
    return {"Control.dat": CONTROL, "100-0000.pag": HEADER_100 + BODY,
            "101-0000.pag": HEADER_101 + BODY}


def with_changes(**changes):
    members = good_members()
    for name, data in changes.items():
        name = name.replace("_", "-") + ".pag"
        if data is None:
            del members[name]
        else:
            members[name] = data
    return make_zip(members)


def flip_header_byte(header, index, value):
    changed = bytearray(header)
    changed[index] = value
    return bytes(changed)


class Simulator:
    def __init__(self, *switches, folder=None, delay="0.3"):
        self.dir = folder or tempfile.mkdtemp(prefix="varnex-sim-test-")
        port_file = os.path.join(self.dir, "port")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.process = subprocess.Popen(
            [sys.executable, SIMULATOR, "--dir", self.dir, "--port", "0",
             "--port-file", port_file, "--delay", delay, *switches],
            stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while not os.path.exists(port_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("simulator did not start")
            time.sleep(0.05)
        with open(port_file, encoding="ascii") as text:
            self.port = int(text.read())

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=20)

    def transfer_dir(self):
        return os.path.join(self.dir, "root", "Varnex", "Transfer", USER)

    def onair(self):
        return sorted(os.listdir(os.path.join(self.dir, "onair")))

    def report_lines(self):
        try:
            with open(os.path.join(self.dir, "report.txt"), encoding="utf-8") as text:
                return text.read().splitlines()
        except FileNotFoundError:
            return []

    def upload(self, files):
        with ftplib.FTP() as ftp:
            ftp.connect("127.0.0.1", self.port, timeout=20)
            ftp.login(USER, PASSWORD)
            ftp.cwd(REMOTE_FOLDER)
            for name, data in files:
                ftp.storbinary("STOR " + name, io.BytesIO(data))

    def wait_for_report(self, count):
        deadline = time.monotonic() + 20
        while len(self.report_lines()) < count:
            if time.monotonic() > deadline:
                raise AssertionError("no report line from the simulator")
            time.sleep(0.05)
        return self.report_lines()[count - 1].split("\t")

    def wait_until_removed(self):
        deadline = time.monotonic() + 20
        while os.listdir(self.transfer_dir()):
            if time.monotonic() > deadline:
                raise AssertionError("semaphore and archive were not removed")
            time.sleep(0.05)


class UpdateCheckTest(unittest.TestCase):
    # Each case: name, the files stored in order, the verdict, the detail, and
    # the on-air folder afterwards.
    CASES = [
        ("good update", [("update.zip", make_zip(good_members())),
                         ("update.sem", b"Update\r\n")],
         "published", "2 pages",
         ["100-0000.pag", "101-0000.pag", "Control.dat"]),
        ("semaphore in other letter case", [("UPDATE.ZIP", make_zip(good_members())),
                                            ("Update.Sem", b"Update\r\n")],
         "published", "2 pages",
         ["100-0000.pag", "101-0000.pag", "Control.dat"]),
        ("truncated archive", [("update.zip", make_zip(good_members())[:300]),
                               ("update.sem", b"Update\r\n")],
         "rejected", "update.zip is not a valid zip archive: File is not a zip file", []),
        ("missing page file", [("update.zip", with_changes(**{"101_0000": None})),
                               ("update.sem", b"Update\r\n")],
         "rejected", "Control.dat names 101-0000.pag in section [101.0000], "
         "which update.zip does not hold", []),
        ("short page file", [("update.zip", with_changes(
            **{"100_0000": (HEADER_100 + BODY)[:1000]})), ("update.sem", b"Update\r\n")],
         "rejected", "page file 100-0000.pag is 1000 bytes, expected 1008", []),
        ("long page file", [("update.zip", with_changes(
            **{"101_0000": HEADER_101 + BODY + b"\x20"})), ("update.sem", b"Update\r\n")],
         "rejected", "page file 101-0000.pag is 1009 bytes, expected 1008", []),
        ("header byte not a code word", [("update.zip", with_changes(
            **{"100_0000": flip_header_byte(HEADER_100, 3, 0x14) + BODY})),
            ("update.sem", b"Update\r\n")],
         "rejected", "page file 100-0000.pag: header byte 3 (0x14) is not a "
         "Hamming 8/4 code word", []),
        ("header text with even parity", [("update.zip", with_changes(
            **{"100_0000": flip_header_byte(HEADER_100, 11, 0x30) + BODY})),
            ("update.sem", b"Update\r\n")],
         "rejected", "page file 100-0000.pag: header byte 11 (0x30) fails the "
         "odd parity check", []),
        ("display row instead of header", [("update.zip", with_changes(
            **{"100_0000": flip_header_byte(HEADER_100, 1, 0x02) + BODY})),
            ("update.sem", b"Update\r\n")],
         "rejected", "page file 100-0000.pag: the first packet is not a page "
         "header (row number is not 0)", []),
        ("header of another page", [("update.zip", with_changes(
            **{"101_0000": HEADER_100 + BODY})), ("update.sem", b"Update\r\n")],
         "rejected", "page file 101-0000.pag: header carries magazine 1 page 00, "
         "Control.dat gives page 101", []),
        ("no control file", [("update.zip", make_zip({"100-0000.pag": HEADER_100 + BODY})),
                             ("update.sem", b"Update\r\n")],
         "rejected", "update.zip holds no Control.dat", []),
        ("semaphore alone", [("update.sem", b"Update\r\n")],
         "rejected", "semaphore arrived without update.zip", []),
    ]

    def test_updates(self):
        for name, files, verdict, detail, onair in self.CASES:
            with self.subTest(name):
                sim = Simulator()
                try:
                    sim.upload(files)
                    fields = sim.wait_for_report(1)
                    self.assertEqual(fields[1:], [USER, verdict, detail])
                    self.assertEqual(sim.onair(), onair)
                    sim.wait_until_removed()
                    self.assertEqual(len(sim.report_lines()), 1)
                finally:
                    sim.stop()

    def test_published_pages_are_the_uploaded_bytes(self):
        sim = Simulator()
        try:
            sim.upload([("update.zip", make_zip(good_members())),
                        ("update.sem", b"Update\r\n")])
            sim.wait_for_report(1)
            for member, data in good_members().items():
                with open(os.path.join(sim.dir, "onair", member), "rb") as page:
                    self.assertEqual(page.read(), data, member)
        finally:
            sim.stop()

    def test_busy_server_keeps_the_semaphore(self):
        sim = Simulator("--busy")
        try:
            sim.upload([("update.zip", make_zip(good_members())),
                        ("update.sem", b"Update\r\n")])
            self.assertEqual(sim.wait_for_report(1)[2], "published")
            time.sleep(1.0)  # three times the removal delay
            self.assertEqual(sorted(os.listdir(sim.transfer_dir())),
                             ["update.sem", "update.zip"])
        finally:
            sim.stop()

    def test_restart_finishes_a_taken_update_once(self):
        # Stopped before its removal delay ran out, the server still holds the update it
        # took; started again it removes it without publishing it a second time, except
        # when it is told to stay busy.
        for switches, left in [((), []), (("--busy",), ["update.sem", "update.zip"])]:
            with self.subTest(switches=switches):
                sim = Simulator(delay="60")
                try:
                    sim.upload([("update.zip", make_zip(good_members())),
                                ("update.sem", b"Update\r\n")])
                    self.assertEqual(sim.wait_for_report(1)[2], "published")
                finally:
                    sim.stop()
                sim = Simulator(*switches, folder=sim.dir)
                try:
                    deadline = time.monotonic() + 10
                    while (sorted(os.listdir(sim.transfer_dir())) != left
                           and time.monotonic() < deadline):
                        time.sleep(0.05)
                    time.sleep(0.5)
                    self.assertEqual(sorted(os.listdir(sim.transfer_dir())), left)
                    self.assertEqual(len(sim.report_lines()), 1)
                finally:
                    sim.stop()

    def test_refused_login(self):
        sim = Simulator("--refuse-logins")
        try:
            with self.assertRaises(ftplib.error_perm) as caught:
                sim.upload([])
            self.assertTrue(str(caught.exception).startswith("530"))
        finally:
            sim.stop()


if __name__ == "__main__":
    unittest.main()
