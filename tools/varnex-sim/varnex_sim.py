#!/usr/bin/python3
"""Simulator of the teletext transmission server, the FTP peer of Tavrel's uploads.

It serves one account over FTP on 127.0.0.1 with a Windows-like file system:
a backslash separates folders like a slash does, and names match without
regard to letter case. The transfer folder "Varnex\\Transfer\\<user>\\" exists
from the start.

It takes an update as the real server does: when "update.sem" has been stored
in a folder that already holds "update.zip", it checks the archive (a valid
zip holding "Control.dat" and every page file that Control.dat names, each
page file 1008 bytes with a valid teletext page header), publishes a good
update into the on-air folder, writes one line per update to the report file,
and after a delay removes the semaphore and the archive. An update it had
taken but not yet removed when it was stopped is removed after the same delay
when it starts again (unless --busy), so a restart never leaves it busy.

Everything lives under one working folder (--dir):
    DIR/root/     what the FTP account sees (its login folder is the root "/"
                  unless --login-folder names another)
    DIR/onair/    published pages and Control.dat
    DIR/report.txt  one line per update: time, user, "published" or
                    "rejected", detail; fields separated by a tab
    DIR/session.log one line per event: session number, event, detail
                    (CONNECT, USER, LOGIN, LOGIN-FAILED, COMMAND, RECEIVED,
                    INCOMPLETE, DISCONNECT); passwords are never written

Switches that make the server misbehave for tests:
    --busy            never remove the semaphore (the server stays busy)
    --refuse-logins   answer every login with 530
    --drop-after N    close the connection after N bytes of a store
    --stall-after N   after N bytes of a store stop reading and never answer

With --tls-cert (and --tls-key) it speaks explicit FTP over TLS and requires
it on the control and data connections: a client that does not start with
AUTH TLS cannot log in.

The chosen port is written to --port-file (when given) and printed on stdout
as "listening on 127.0.0.1:<port>" once the server accepts connections.
Pass --port 0 to let the system choose a free port.
"""

import argparse
import datetime
import fnmatch
import os
import signal
import sys
import zipfile

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

PAGE_FILE_SIZE = 1008
PACKET_SIZE = 42
CONTROL_FILE_NAME = "control.dat"
ARCHIVE_NAME = "update.zip"
SEMAPHORE_NAME = "update.sem"
# Control.dat is a few lines per page; anything bigger is not a control file.
CONTROL_FILE_LIMIT = 1 << 20


def hamming_8_4_encode(nibble):
    """The teletext Hamming 8/4 code word of a 4-bit value, from its parity equations.

    Data bits D1..D4 sit at bit positions 1, 3, 5, 7; protection bits P1..P4 at
    positions 0, 2, 4, 6, each chosen so that its check comes out odd.
    """
    d1, d2, d3, d4 = [(nibble >> i) & 1 for i in range(4)]
    p1 = 1 ^ d1 ^ d3 ^ d4
    p2 = 1 ^ d1 ^ d2 ^ d4
    p3 = 1 ^ d1 ^ d2 ^ d3
    p4 = 1 ^ p1 ^ d1 ^ p2 ^ d2 ^ p3 ^ d3 ^ d4
    return (p1 | d1 << 1 | p2 << 2 | d2 << 3 | p3 << 4 | d3 << 5 | p4 << 6
            | d4 << 7)


# Maps each valid Hamming 8/4 code word to the 4-bit value it carries.
HAMMING_DECODE = {hamming_8_4_encode(n): n for n in range(16)}


def has_odd_parity(byte):
    return bin(byte).count("1") % 2 == 1


class UpdateRejected(Exception):
    """An update that the server does not put on air; the text says why."""


def check_page_header(name, record, section_page):
    """Checks the page header packet of one page file; raises UpdateRejected."""
    for index in range(10):
        if record[index] not in HAMMING_DECODE:
            raise UpdateRejected(
                "page file %s: header byte %d (0x%02X) is not a Hamming 8/4 "
                "code word" % (name, index, record[index]))
    magazine_and_row = HAMMING_DECODE[record[0]]
    if magazine_and_row & 8 or HAMMING_DECODE[record[1]] != 0:
        raise UpdateRejected("page file %s: the first packet is not a page "
                             "header (row number is not 0)" % name)
    for index in range(10, PACKET_SIZE):
        if not has_odd_parity(record[index]):
            raise UpdateRejected(
                "page file %s: header byte %d (0x%02X) fails the odd parity "
                "check" % (name, index, record[index]))
    if section_page is not None:
        tens = HAMMING_DECODE[record[3]]
        units = HAMMING_DECODE[record[2]]
        expected = (int(section_page[0]) & 7, int(section_page[1]),
                    int(section_page[2]))
        if (magazine_and_row & 7, tens, units) != expected:
            raise UpdateRejected(
                "page file %s: header carries magazine %d page %X%X, "
                "Control.dat gives page %s" %
                (name, magazine_and_row & 7, tens, units, section_page))


def parse_control_file(data):
    """Returns (clearing page numbers, [(section, page number, file name)])."""
    text = data.decode("cp1252", "replace")
    clearing = []
    entries = []
    section = None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
            if section.endswith(".*"):
                clearing.append(section[:-2])
            else:
                entries.append([section, None])
            continue
        key, sep, value = line.partition("=")
        if (sep and section is not None and entries
                and entries[-1][0] == section
                and key.strip().lower() == "filename"):
            entries[-1][1] = value.strip()
    result = []
    for section, file_name in entries:
        if not file_name:
            raise UpdateRejected(
                "Control.dat: section [%s] has no Filename" % section)
        page = section.split(".", 1)[0]
        if not (len(page) == 3 and page.isdigit()):
            page = None
        result.append((section, page, file_name))
    return clearing, result


def check_archive(zip_path):
    """Reads and checks update.zip; returns (clearing, {name: bytes}).

    Raises UpdateRejected naming what is wrong. Sizes are checked from the
    directory before any member is read, so a hostile archive cannot make the
    server unpack more than the pages it claims.
    """
    try:
        with zipfile.ZipFile(zip_path) as archive:
            members = {}
            for info in archive.infolist():
                name = info.filename
                if "/" in name or "\\" in name or name in ("", ".", ".."):
                    raise UpdateRejected(
                        "update.zip: member %r is not a bare file name" % name)
                members[name.lower()] = info
            control_info = members.get(CONTROL_FILE_NAME)
            if control_info is None:
                raise UpdateRejected("update.zip holds no Control.dat")
            if control_info.file_size > CONTROL_FILE_LIMIT:
                raise UpdateRejected("update.zip: Control.dat is %d bytes, "
                                     "more than a control file can be" %
                                     control_info.file_size)
            control = archive.read(control_info)
            clearing, entries = parse_control_file(control)
            files = {control_info.filename: control}
            for section, page, file_name in entries:
                info = members.get(file_name.lower())
                if info is None:
                    raise UpdateRejected(
                        "Control.dat names %s in section [%s], which "
                        "update.zip does not hold" % (file_name, section))
                if info.file_size != PAGE_FILE_SIZE:
                    raise UpdateRejected(
                        "page file %s is %d bytes, expected %d" %
                        (info.filename, info.file_size, PAGE_FILE_SIZE))
                record = archive.read(info)
                if len(record) != PAGE_FILE_SIZE:
                    raise UpdateRejected(
                        "page file %s is %d bytes, expected %d" %
                        (info.filename, len(record), PAGE_FILE_SIZE))
                check_page_header(info.filename, record, page)
                files[info.filename] = record
            return clearing, files
    except UpdateRejected:
        raise
    except (zipfile.BadZipFile, zipfile.LargeZipFile, EOFError, OSError,
            ValueError, NotImplementedError) as err:
        raise UpdateRejected("update.zip is not a valid zip archive: %s" % err)


def publish(onair_dir, clearing, files):
    """Puts a checked update on air: clears the listed pages, then writes the files."""
    for page in clearing:
        for entry in os.listdir(onair_dir):
            if fnmatch.fnmatch(entry.lower(), "%s-*.pag" % page.lower()):
                os.remove(os.path.join(onair_dir, entry))
    for name, data in files.items():
        target = os.path.join(onair_dir, name)
        temporary = target + ".part"
        with open(temporary, "wb") as out:
            out.write(data)
        os.replace(temporary, target)


def find_entry(folder, name):
    """The entry of folder whose name equals name without regard to case, or None."""
    try:
        entries = os.listdir(folder)
    except OSError:
        return None
    for entry in entries:
        if entry.lower() == name.lower():
            return os.path.join(folder, entry)
    return None


class WindowsLikeFS(AbstractedFS):
    """A file system view in which "\\" separates folders and names ignore case."""

    def ftpnorm(self, ftppath):
        return super().ftpnorm(ftppath.replace("\\", "/"))

    def ftp2fs(self, ftppath):
        virtual = self.ftpnorm(ftppath)
        real = os.path.normpath(self.root)
        parts = [part for part in virtual.split("/") if part]
        for position, part in enumerate(parts):
            match = find_entry(real, part)
            if match is None:
                # A name that does not exist yet (a file being stored): keep
                # the rest as given.
                return os.path.join(real, *parts[position:])
            real = match
        return real


class Simulator:
    """Settings and shared state of one simulator process."""

    def __init__(self, options):
        self.options = options
        self.root = os.path.join(options.dir, "root")
        self.onair = options.onair or os.path.join(options.dir, "onair")
        self.report_path = options.report or os.path.join(options.dir, "report.txt")
        self.log_path = options.log or os.path.join(options.dir, "session.log")
        self.transfer_dir = os.path.join(self.root, "Varnex", "Transfer", options.user)
        os.makedirs(self.transfer_dir, exist_ok=True)
        os.makedirs(self.onair, exist_ok=True)
        if options.login_folder:
            parts = [p for p in options.login_folder.replace("\\", "/").split("/") if p]
            if any(part in (".", "..") for part in parts):
                raise SystemExit("--login-folder must stay inside the root")
            os.makedirs(os.path.join(self.root, *parts), exist_ok=True)
        self.next_session = 1
        self.stalled = []

    def log(self, session, event, detail=""):
        with open(self.log_path, "a", encoding="utf-8") as out:
            out.write("%d %s %s\n" % (session, event, detail))

    def report(self, user, verdict, detail):
        stamp = datetime.datetime.now().isoformat(timespec="seconds")
        with open(self.report_path, "a", encoding="utf-8") as out:
            out.write("%s\t%s\t%s\t%s\n" % (stamp, user, verdict, detail))

    def take_update(self, ioloop, folder, user):
        archive = find_entry(folder, ARCHIVE_NAME)
        try:
            if archive is None or not os.path.isfile(archive):
                raise UpdateRejected("semaphore arrived without update.zip")
            clearing, files = check_archive(archive)
            publish(self.onair, clearing, files)
            pages = len(files) - 1
            self.report(user, "published", "%d page%s" % (pages, "" if pages == 1 else "s"))
        except UpdateRejected as err:
            self.report(user, "rejected", str(err))
        if not self.options.busy:
            ioloop.call_later(self.options.delay, self.remove_update, folder)

    def finish_taken_update(self, ioloop):
        """Removes, after the delay, an update that an earlier run took and was stopped
        before it removed; the update is not checked or published a second time."""
        if self.options.busy or find_entry(self.transfer_dir, SEMAPHORE_NAME) is None:
            return
        ioloop.call_later(self.options.delay, self.remove_update, self.transfer_dir)

    @staticmethod
    def remove_update(folder):
        for name in (SEMAPHORE_NAME, ARCHIVE_NAME):
            path = find_entry(folder, name)
            if path is not None:
                try:
                    os.remove(path)
                except OSError:
                    pass


def make_handler(sim):
    options = sim.options

    class SimDTPHandler(DTPHandler):
        """Data connection that can drop or stall a store part way."""

        def handle_read(self):
            limit = None
            if self.receive:
                if options.stall_after is not None:
                    limit = options.stall_after
                elif options.drop_after is not None:
                    limit = options.drop_after
            if limit is None:
                return super().handle_read()
            remaining = limit - self.tot_bytes_received
            if remaining <= 0:
                if options.stall_after is not None:
                    # Stop reading and never answer: the peer sees a hung server.
                    # Keep both channels referenced so their sockets stay open.
                    sim.stalled.append((self, self.cmd_channel))
                    self.del_channel()
                    self.cmd_channel.del_channel()
                    return
                sim.log(self.cmd_channel.session, "DROP",
                        "after %d bytes" % self.tot_bytes_received)
                self.cmd_channel.close()
                return
            chunk = self.recv(min(self.ac_in_buffer_size, remaining))
            self.tot_bytes_received += len(chunk)
            if not chunk:
                self.transfer_finished = True
                return
            self.file_obj.write(chunk)

        # The base class binds its own reader to this name; ours must take its place.
        handle_read_event = handle_read

    control_base = FTPHandler
    if options.tls_cert:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class SimTLSDTPHandler(TLS_DTPHandler):
            """Data connection over TLS."""

            def readable(self):
                # The handshake must be read on while it is under way, or libcurl's
                # transfers never get past it.
                return self._ssl_accepting or super().readable()

        SimDTPHandler = SimTLSDTPHandler
        control_base = TLS_FTPHandler

    class SimHandler(control_base):
        abstracted_fs = WindowsLikeFS
        dtp_handler = SimDTPHandler
        if options.tls_cert:
            # Explicit TLS only: a login or a transfer before AUTH TLS / PROT P is refused,
            # so the password never crosses in clear.
            certfile = options.tls_cert
            keyfile = options.tls_key
            tls_control_required = True
            tls_data_required = True
        # Refused logins answer at once, so tests of them stay quick.
        auth_failed_timeout = 0.05
        banner = "Varnex transfer service ready."

        def decode(self, data):
            # The client sends 8-bit Windows text; keep every byte.
            return data.decode("cp1252", "replace")

        def on_connect(self):
            self.session = sim.next_session
            sim.next_session += 1
            sim.log(self.session, "CONNECT", "%s:%s" % (self.remote_ip, self.remote_port))

        def on_disconnect(self):
            sim.log(self.session, "DISCONNECT")

        def on_login(self, username):
            sim.log(self.session, "LOGIN", username)
            if options.login_folder:
                self.fs.cwd = self.fs.fs2ftp(self.fs.ftp2fs(options.login_folder))

        def on_login_failed(self, username, password):
            sim.log(self.session, "LOGIN-FAILED", username)

        def pre_process_command(self, line, cmd, arg):
            if cmd == "PASS":
                sim.log(self.session, "COMMAND", "PASS ******")
            elif cmd == "USER":
                sim.log(self.session, "USER", arg)
            else:
                sim.log(self.session, "COMMAND", line)
            return super().pre_process_command(line, cmd, arg)

        def ftp_NLST(self, path):
            # A name list of a mask: names of the folder that match it without
            # regard to case. A plain name that does not exist is refused, a
            # mask that matches nothing gives an empty list.
            folder, mask = os.path.split(path)
            if self.fs.isdir(path) or not any(c in mask for c in "*?["):
                return super().ftp_NLST(path)
            try:
                entries = os.listdir(folder)
            except OSError as err:
                self.respond("550 %s." % err.strerror)
                return None
            names = sorted(e for e in entries
                           if fnmatch.fnmatch(e.lower(), mask.lower()))
            data = "".join(name + "\r\n" for name in names)
            self.push_dtp_data(data.encode("cp1252", "replace"), cmd="NLST")
            return path

        def on_file_received(self, file):
            sim.log(self.session, "RECEIVED", "%s %d" % (
                self.fs.fs2ftp(file), os.path.getsize(file)))
            if os.path.basename(file).lower() == SEMAPHORE_NAME:
                sim.take_update(self.ioloop, os.path.dirname(file), self.username)

        def on_incomplete_file_received(self, file):
            sim.log(self.session, "INCOMPLETE", self.fs.fs2ftp(file))

    return SimHandler


class SimAuthorizer(DummyAuthorizer):
    def __init__(self, refuse):
        super().__init__()
        self.refuse = refuse

    def validate_authentication(self, username, password, handler):
        if self.refuse:
            from pyftpdlib.authorizers import AuthenticationFailed
            raise AuthenticationFailed("Logins are refused.")
        return super().validate_authentication(username, password, handler)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="varnex_sim.py",
        description=__doc__,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--dir", required=True,
                        help="working folder; root/, onair/, report.txt and "
                        "session.log are made in it")
    parser.add_argument("--host", default="127.0.0.1",
                        help="address to listen on (default 127.0.0.1)")
    parser.add_argument("--port", type=int, default=2121,
                        help="port to listen on; 0 lets the system choose "
                        "(default 2121)")
    parser.add_argument("--port-file",
                        help="write the chosen port to this file once listening")
    parser.add_argument("--user", default="tavrel", help="account name (default tavrel)")
    parser.add_argument("--password", default="secret",
                        help="account password (default secret)")
    parser.add_argument("--proxy",
                        help="also accept the login name <user>,<PROXY>, as a "
                        "proxy in front of the server would pass it on")
    parser.add_argument("--login-folder",
                        help="folder that is current after login, such as "
                        "Varnex\\Transfer (default: the root)")
    parser.add_argument("--onair", help="on-air folder (default DIR/onair)")
    parser.add_argument("--report", help="report file (default DIR/report.txt)")
    parser.add_argument("--log", help="session log (default DIR/session.log)")
    parser.add_argument("--delay", type=float, default=1.0,
                        help="seconds from taking an update to removing the "
                        "semaphore and the archive (default 1.0)")
    parser.add_argument("--busy", action="store_true",
                        help="never remove the semaphore: the server stays busy")
    parser.add_argument("--refuse-logins", action="store_true",
                        help="answer every login with 530")
    parser.add_argument("--drop-after", type=int, metavar="N",
                        help="close the connection after N bytes of a store")
    parser.add_argument("--stall-after", type=int, metavar="N",
                        help="after N bytes of a store stop reading and never "
                        "answer again on that connection")
    parser.add_argument("--tls-cert", metavar="PEM",
                        help="serve explicit FTP over TLS (AUTH TLS) with this "
                        "certificate (chain); logins and transfers without TLS "
                        "are refused")
    parser.add_argument("--tls-key", metavar="PEM",
                        help="the certificate's private key (default: in --tls-cert)")
    options = parser.parse_args(argv)
    if options.tls_key and not options.tls_cert:
        parser.error("--tls-key needs --tls-cert")
    if options.tls_cert and (options.drop_after is not None or options.stall_after is not None):
        parser.error("--drop-after and --stall-after are for plain FTP only")
    if options.delay < 0:
        parser.error("--delay must not be negative")
    for name in ("drop_after", "stall_after"):
        value = getattr(options, name)
        if value is not None and value < 0:
            parser.error("--%s must not be negative" % name.replace("_", "-"))
    return options


def main(argv):
    options = parse_arguments(argv)
    sim = Simulator(options)
    authorizer = SimAuthorizer(options.refuse_logins)
    authorizer.add_user(options.user, options.password, sim.root, perm="elradfmw")
    if options.proxy is not None:
        authorizer.add_user("%s,%s" % (options.user, options.proxy), options.password,
                            sim.root, perm="elradfmw")
    handler = make_handler(sim)
    handler.authorizer = authorizer
    server = FTPServer((options.host, options.port), handler)
    port = server.socket.getsockname()[1]
    sim.finish_taken_update(server.ioloop)
    if options.port_file:
        temporary = options.port_file + ".part"
        with open(temporary, "w", encoding="ascii") as out:
            out.write("%d\n" % port)
        os.replace(temporary, options.port_file)
    print("listening on %s:%d" % (options.host, port), flush=True)

    def stop(signum, frame):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    try:
        # A poll timeout, so that timers run even while no client is connected (the
        # removal of an update taken before a restart).
        server.serve_forever(timeout=0.05, handle_exit=False)
    except (SystemExit, KeyboardInterrupt):
        pass
    finally:
        server.close_all()
    return 0


if __name__ == "__main__":
    import logging
    logging.basicConfig(level=logging.WARNING)
    sys.exit(main(sys.argv[1:]))
