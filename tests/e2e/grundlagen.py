"""Building blocks of the end-to-end harness: waiting, the instance's local socket, and
processes started in a lab host (Veltrano, Xvfb). lab.py puts them together; tests import lab."""

import contextlib
import os
import re
import select
import shutil
import signal
import socket
import stat
import subprocess
import tempfile
import time

HIER = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HIER))
LAB_SKRIPT = os.path.join(REPO, "scripts", "lab")
WERKZEUGE = os.path.join(HIER, "werkzeuge")
LSAN_UNTERDRUECKUNG = os.path.join(REPO, "tests", "support", "lsan.supp")
PYTHON = "/usr/bin/python3"

PROGRAMM_TITEL = "Veltrano V1.01"
BEFEHL_PORT = 17170
PRAESENZ_PORT = 17171
NACHRICHT_ZEIGEN = 1224
NACHRICHT_SCHLIESSEN = 1124
NACHRICHT_SCHLIESSEN2 = 1125

SANITIZER_MUSTER = re.compile(r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:")


# --- Waiting ------------------------------------------------------------------------------------


def wait_until(pred, timeout=10.0, interval=0.05, message=None):
    """Calls pred until it returns a true value and returns that value; fails after timeout.

    Exceptions of pred count as "not yet" (the last one is reported on time-out)."""
    ende = time.monotonic() + timeout
    letzter = None
    while True:
        try:
            wert = pred()
            if wert:
                return wert
        except Exception as e:  # noqa: BLE001 - a not-yet-ready resource raises
            letzter = e
        if time.monotonic() >= ende:
            text = message or getattr(pred, "__name__", "condition")
            if letzter is not None:
                text += f" (last error: {letzter!r})"
            raise AssertionError(f"timed out after {timeout:.1f} s waiting for {text}")
        time.sleep(interval)


# --- Local control socket of a running instance -------------------------------------------------


class InstanceSocketError(Exception):
    pass


def _socket_gespraech(pfad, zeile, ende_marke, timeout):
    """Connects, reads the caption line, sends one line, reads up to ende_marke."""
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(timeout)
    try:
        s.connect(pfad)
        puffer = b""
        while b"\n" not in puffer:
            teil = s.recv(4096)
            if not teil:
                raise InstanceSocketError("connection closed before the caption line")
            puffer += teil
        titel, _, rest = puffer.partition(b"\n")
        if zeile is None:
            return titel.decode("utf-8", "replace"), ""
        s.sendall(zeile.encode() + b"\n")
        antwort = rest
        while not antwort.endswith(ende_marke) and not (ende_marke == b"\n.\n" and antwort == b".\n"):
            teil = s.recv(65536)
            if not teil:
                raise InstanceSocketError(f"connection closed before the end of the answer: {antwort!r}")
            antwort += teil
        return titel.decode("utf-8", "replace"), antwort.decode("utf-8", "replace")
    except OSError as e:
        raise InstanceSocketError(f"{pfad}: {e}") from e
    finally:
        s.close()


def instance_caption(socket_path, timeout=2.0):
    """The caption the running instance sends on connect."""
    return _socket_gespraech(socket_path, None, b"", timeout)[0]


def instance_send(socket_path, number, timeout=2.0):
    """Sends a window-message number (1224 show, 1124/1125 close); True when acknowledged."""
    _, antwort = _socket_gespraech(socket_path, str(int(number)), b"\n", timeout)
    return antwort.strip() == "ok"


def instance_query(socket_path, word, timeout=5.0):
    """'zustand' -> dict of key=value lines; 'ansicht' -> list of rows (lists of cells)."""
    _, antwort = _socket_gespraech(socket_path, word, b"\n.\n", timeout)
    text = antwort[:-3] if antwort.endswith("\n.\n") else antwort[:-2]
    zeilen = text.split("\n") if text else []
    if word == "zustand":
        return dict((k, _entschluesseln(v)) for k, v in (z.split("=", 1) if "=" in z else (z, "") for z in zeilen))
    if word == "ansicht":
        return [[_entschluesseln(zelle) for zelle in z.split("\t")] for z in zeilen]
    return zeilen


def _entschluesseln(text):
    """The answer writes backslash, line breaks and tabs inside values as \\, \\n, \\r, \\t."""
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(1), m.group(1)), text)


# --- Files another user must reach ---------------------------------------------------------------


def fuer_benutzer_erreichbar(pfad, uid):
    """Whether user uid (its group the same number, no other groups) may pass every folder
    above pfad and read and run pfad, as the kernel decides it (permission bits; no ACLs)."""
    def darf(st, bits):
        if st.st_uid == uid:
            return st.st_mode & bits[0]
        if st.st_gid == uid:
            return st.st_mode & bits[1]
        return st.st_mode & bits[2]
    suchen = (stat.S_IXUSR, stat.S_IXGRP, stat.S_IXOTH)
    pfad = os.path.realpath(pfad)
    teile = pfad.split("/")
    for i in range(1, len(teile)):
        if not darf(os.stat("/".join(teile[:i]) or "/"), suchen):
            return False
    st = os.stat(pfad)
    return bool(darf(st, suchen) and darf(st, (stat.S_IRUSR, stat.S_IRGRP, stat.S_IROTH)))


class BenutzerKopien:
    """Files for another user: the file itself where that user reaches it, else a copy in a
    temporary folder anyone may read (a clone in root's home, mode 0700 on Debian, is out of
    reach). The copies go with close()."""

    def __init__(self):
        self._ordner = None
        self._kopien = {}

    def pfad(self, quelle, uid):
        quelle = os.path.realpath(quelle)
        if fuer_benutzer_erreichbar(quelle, uid):
            return quelle
        if quelle not in self._kopien:
            if self._ordner is None:
                self._ordner = tempfile.mkdtemp(prefix="veltrano-fuer-benutzer-")
                os.chmod(self._ordner, 0o755)
            # A folder per copy: the file keeps its name (the program names its entries after it).
            unter = os.path.join(self._ordner, str(len(self._kopien)))
            os.mkdir(unter, 0o755)
            ziel = os.path.join(unter, os.path.basename(quelle))
            shutil.copy2(quelle, ziel)
            os.chmod(ziel, 0o755)
            self._kopien[quelle] = ziel
        return self._kopien[quelle]

    def close(self):
        if self._ordner is not None:
            shutil.rmtree(self._ordner, ignore_errors=True)
        self._ordner, self._kopien = None, {}

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()


# --- Processes started in a host ----------------------------------------------------------------


class HostProcess:
    """A process started in a lab host, with its output in a log file."""

    def __init__(self, host, argv, env, log_path, pass_fds=(), stdin=None, stdout_pipe=False, cwd=None):
        self.host = host
        self.argv = list(argv)
        self.log_path = log_path
        self._log = open(log_path, "ab") if log_path else subprocess.DEVNULL
        self.proc = subprocess.Popen(
            host.exec_argv(argv), env=env, cwd=cwd or (host.folders["home"] if host.folders else None),
            stdin=stdin if stdin is not None else subprocess.DEVNULL,
            stdout=subprocess.PIPE if stdout_pipe else self._log,
            stderr=self._log, pass_fds=pass_fds)
        self.pid = self.proc.pid
        host.lab._verwalten(self)

    @property
    def returncode(self):
        return self.proc.poll()

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=None):
        """Exit code; raises subprocess.TimeoutExpired when it is still running."""
        return self.proc.wait(timeout)

    def signal(self, sig):
        if self.running():
            with contextlib.suppress(ProcessLookupError):
                os.kill(self.pid, sig)

    def stop(self, timeout=5.0):
        """SIGTERM, wait; SIGKILL when it does not end in time. Returns the exit code."""
        self.signal(signal.SIGTERM)
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            return self.proc.returncode

    def kill(self):
        self.signal(signal.SIGKILL)
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.proc.wait(5)
        return self.proc.returncode

    def log(self):
        if not self.log_path:
            return ""
        try:
            with open(self.log_path, "rb") as f:
                return f.read().decode("utf-8", "replace")
        except OSError:
            return ""

    def cpu_seconds(self):
        """User plus system CPU time so far, in seconds."""
        return cpu_seconds(self.pid)

    def rss_kib(self):
        """Resident memory (VmRSS) in KiB."""
        return rss_kib(self.pid)

    def path(self, path):
        """path as this process sees it, through its own mount namespace."""
        return path_in_process(self.pid, path)

    def _schliessen(self):
        if self.running():
            self.stop(3)
        if self._log is not subprocess.DEVNULL:
            self._log.close()
        if self.proc.stdout:
            self.proc.stdout.close()


class Veltrano(HostProcess):
    """A Veltrano process in a lab host; uid is the user it runs as (its socket's name has it)."""

    def __init__(self, host, argv, env, log_path, uid=None, **kwargs):
        self.uid = os.getuid() if uid is None else uid
        super().__init__(host, argv, env, log_path, **kwargs)

    @property
    def socket_path(self):
        return os.path.join(self.host.folders["runtime"], f"{PROGRAMM_TITEL}-{self.uid}")

    def wait_ready(self, timeout=30.0):
        """Waits until the instance answers on its local socket; returns its caption."""
        ende = time.monotonic() + timeout
        while True:
            if not self.running():
                raise AssertionError(f"Veltrano in {self.host.name} ended with {self.returncode} before "
                                     f"it answered:\n{self.log()[-3000:]}")
            try:
                return instance_caption(self.socket_path)
            except InstanceSocketError as e:
                if time.monotonic() >= ende:
                    raise AssertionError(f"Veltrano in {self.host.name} did not answer on its local socket "
                                         f"within {timeout} s ({e}):\n{self.log()[-3000:]}")
            time.sleep(0.05)

    def query(self, word, timeout=5.0):
        return instance_query(self.socket_path, word, timeout)

    def zustand(self):
        return self.query("zustand")

    def ansicht(self):
        return self.query("ansicht")

    def send_message(self, number):
        return instance_send(self.socket_path, number)

    def sanitizer_errors(self):
        """Lines of the log that report an AddressSanitizer or UB error."""
        return [z for z in self.log().splitlines() if SANITIZER_MUSTER.search(z)]


class Xvfb(HostProcess):
    """An X server of its own (display number chosen by Xvfb) started in a lab host."""

    def __init__(self, host, size=(1280, 800), depth=24):
        lesen, schreiben = os.pipe()
        try:
            super().__init__(host, ["Xvfb", "-displayfd", str(schreiben), "-screen", "0",
                                    f"{size[0]}x{size[1]}x{depth}", "-nolisten", "tcp", "-noreset"],
                             host.environment(), host.log_file("xvfb"), pass_fds=(schreiben,))
        finally:
            os.close(schreiben)
        try:
            nummer = b""
            ende = time.monotonic() + 20
            while not nummer.endswith(b"\n"):
                rest = ende - time.monotonic()
                if rest <= 0 or not select.select([lesen], [], [], rest)[0]:
                    raise AssertionError(f"Xvfb did not report its display:\n{self.log()}")
                teil = os.read(lesen, 16)
                if not teil:
                    raise AssertionError(f"Xvfb ended:\n{self.log()}")
                nummer += teil
        finally:
            os.close(lesen)
        self.size = tuple(size)
        self.display = ":" + nummer.decode().strip()

    def screenshot(self, path):
        screenshot(self.display, path, self.host)


def screenshot(display, path, host=None):
    """Saves the whole screen of an X display as PNG (ImageMagick's import)."""
    argv = ["import", "-display", display, "-window", "root", os.path.abspath(path)]
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    r = host.run(argv, timeout=30) if host else subprocess.run(argv, capture_output=True, text=True, timeout=30)
    if r.returncode != 0:
        raise AssertionError(f"screenshot failed: {r.stderr}")


# --- What a running process costs, and what it sees -----------------------------------------------

_TAKT = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User plus system CPU time of a process so far, in seconds (/proc/<pid>/stat)."""
    with open(f"/proc/{pid}/stat") as f:
        felder = f.read().rsplit(")", 1)[1].split()
    # After the command name: state is field 3, utime field 14, stime field 15.
    return (int(felder[11]) + int(felder[12])) / _TAKT


def rss_kib(pid):
    """Resident memory of a process (VmRSS) in KiB."""
    with open(f"/proc/{pid}/status") as f:
        for zeile in f:
            if zeile.startswith("VmRSS:"):
                return int(zeile.split()[1])
    raise AssertionError(f"no VmRSS for {pid}")


def path_in_process(pid, path):
    """A path as the process sees it, through its own mount namespace (/proc/<pid>/root):
    files on a mount made only for that process (Host.start_veltrano(before=...))."""
    return f"/proc/{pid}/root{os.path.abspath(path)}"

