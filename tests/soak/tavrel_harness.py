"""Shared pieces of the fault and soak tests: a home made from the sample workspace, the
transmission-server simulator and a small web server, all real processes on 127.0.0.1."""

import os
import re
import shutil
import signal
import subprocess
import time

PYTHON = "/usr/bin/python3"


def source_dir():
    return os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def wait_for(predicate, timeout, step=0.05):
    """Polls predicate until it holds or timeout seconds pass; answers its last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(step)


def rewrite_settings(path, values):
    """Sets keys of the [Settings] section, keeping every other line and the line ends."""
    data = read_bytes(path).decode("cp1252")
    newline = "\r\n" if "\r\n" in data else "\n"
    out, seen, section = [], set(), None
    for line in data.splitlines():
        header = re.match(r"\s*\[(.*)\]\s*$", line)
        if header:
            if section == "settings":
                out.extend("%s=%s" % (k, v) for k, v in values.items() if k not in seen)
            section = header.group(1).strip().lower()
        elif section == "settings" and "=" in line:
            key = line.split("=", 1)[0].strip()
            if key in values:
                line = "%s=%s" % (key, values[key])
                seen.add(key)
        out.append(line)
    if section == "settings":
        out.extend("%s=%s" % (k, v) for k, v in values.items() if k not in seen)
    write_bytes(path, (newline.join(out) + newline).encode("cp1252"))


def make_home(folder, port, user="tavrel", password="secret", extra=None):
    """Copies the sample workspace into folder and points its settings at the simulator."""
    shutil.copytree(os.path.join(source_dir(), "data", "sample"), folder)
    values = {"FTPHost": "127.0.0.1", "FTPPort": str(port), "FTPUser": user,
              "FTPPassword": password}
    values.update(extra or {})
    rewrite_settings(os.path.join(folder, "tavrel.ini"), values)
    return folder


TITLE = re.compile(rb"(<title>)([^<]*)(</title>)")


def item_titles(feed_bytes):
    """The titles of the feed's items (the first title is the channel's)."""
    return [m.group(2) for m in TITLE.finditer(feed_bytes)][1:]


def replace_title(path, index, new_title):
    """Rewrites the title of item index in the feed file, through a rename so that the
    scan never reads half a file."""
    data = read_bytes(path)
    matches = list(TITLE.finditer(data))[1:]
    match = matches[index]
    data = data[:match.start(2)] + new_title + data[match.end(2):]
    temporary = path + ".new"
    write_bytes(temporary, data)
    os.replace(temporary, path)


class Simulator:
    """The transmission-server simulator as a child process. Switches are fixed at start, so
    a test changes them by stopping it and starting it again on the same port and folder."""

    def __init__(self, folder, user="tavrel", password="secret"):
        self.folder = folder
        self.user = user
        self.password = password
        self.port = 0
        self.process = None
        self.switches = []
        os.makedirs(folder, exist_ok=True)

    def start(self, switches=(), delay=0.2):
        self.switches = list(switches)
        port_file = os.path.join(self.folder, "port")
        if os.path.exists(port_file):
            os.remove(port_file)
        command = [PYTHON, os.path.join(source_dir(), "tools", "varnex-sim", "varnex_sim.py"),
                   "--dir", self.folder, "--port", str(self.port), "--port-file", port_file,
                   "--user", self.user, "--password", self.password, "--delay", str(delay)]
        command += self.switches
        output = open(os.path.join(self.folder, "output.txt"), "ab")
        # The old port may still be held for a moment after a restart; try again briefly.
        for _ in range(50):
            self.process = subprocess.Popen(command, stdout=output, stderr=subprocess.STDOUT)
            if wait_for(lambda: os.path.exists(port_file) and os.path.getsize(port_file) > 0
                        or self.process.poll() is not None, 10):
                if self.process.poll() is None:
                    break
            time.sleep(0.1)
        output.close()
        if self.process.poll() is not None:
            raise RuntimeError("the simulator did not start: see " + self.folder)
        self.port = int(read_bytes(port_file).strip())

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None

    def transfer_dir(self):
        return os.path.join(self.folder, "root", "Varnex", "Transfer", self.user)

    def finish_pending_update(self):
        """What a busy server eventually does: takes away the semaphore and the archive."""
        for name in os.listdir(self.transfer_dir()):
            if name.lower() in ("update.sem", "update.zip"):
                os.remove(os.path.join(self.transfer_dir(), name))

    def report_lines(self):
        path = os.path.join(self.folder, "report.txt")
        if not os.path.exists(path):
            return []
        return [line.split("\t") for line in read_bytes(path).decode("utf-8").splitlines()]

    def onair(self):
        return os.path.join(self.folder, "onair")

    def received(self):
        path = os.path.join(self.folder, "session.log")
        if not os.path.exists(path):
            return []
        return [line.split(" ", 2)[2] for line in read_bytes(path).decode("utf-8").splitlines()
                if line.split(" ", 2)[1] == "RECEIVED"]


# The time of generation in Control.dat, which two runs of the same feed cannot share.
GENERATED_AT = re.compile(rb"^DateTime=[^\r\n]*", re.MULTILINE)


def page_files(folder):
    """Page files and Control.dat of a folder by lower-case name, with their bytes; the
    generation times in Control.dat are blanked."""
    files = {}
    for name in os.listdir(folder):
        lower = name.lower()
        if lower.endswith(".pag") or lower == "control.dat":
            files[lower] = read_bytes(os.path.join(folder, name))
    if "control.dat" in files:
        files["control.dat"] = GENERATED_AT.sub(b"DateTime=", files["control.dat"])
    return files


def generate(program, home):
    """Pages of the home's feed as a fresh generate run makes them, from a copy of the home."""
    result = subprocess.run([program, "--home", home, "generate"], capture_output=True)
    if result.returncode != 0:
        raise RuntimeError("generate failed: %r" % result.stderr)
    return page_files(os.path.join(home, "Export"))


def status_texts(output):
    """Status line texts without their time stamps."""
    texts = []
    for line in output.splitlines():
        match = re.match(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d (.*)$", line)
        texts.append(match.group(1) if match else "UNSTAMPED " + line)
    return texts

