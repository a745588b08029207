"""End-to-end test harness: virtual hosts (scripts/lab), Veltrano processes in them, their
local control socket, datagrams on the lab network, Xvfb, screenshots and a stand-in logind.

Only the standard library; run with /usr/bin/python3. Typical use:

    from lab import Lab, e2e_main, wait_until

    class T(unittest.TestCase):
        def test_x(self):
            with Lab(2) as lab:
                v = lab[1].start_veltrano(VELTRANO)
                v.wait_ready()
                self.assertEqual(v.query("zustand")["sichtbar"], "1")

    if __name__ == "__main__":
        e2e_main()

tests/e2e/README.md describes the rest.
"""

import contextlib
import ipaddress
import importlib.machinery
import importlib.util
import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time
import unittest

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

# Set by e2e_main from --veltrano; tests read it as lab.VELTRANO.
VELTRANO = None

SANITIZER_MUSTER = re.compile(r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:")


def _labskript_laden():
    lader = importlib.machinery.SourceFileLoader("veltrano_labskript", LAB_SKRIPT)
    spec = importlib.util.spec_from_loader(lader.name, lader)
    modul = importlib.util.module_from_spec(spec)
    lader.exec_module(modul)
    return modul


labskript = _labskript_laden()


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
        return dict(z.split("=", 1) if "=" in z else (z, "") for z in zeilen)
    if word == "ansicht":
        return [z.split("\t") for z in zeilen]
    return zeilen


# --- Processes started in a host ----------------------------------------------------------------


class HostProcess:
    """A process started in a lab host, with its output in a log file."""

    def __init__(self, host, argv, env, log_path, pass_fds=(), stdin=None, stdout_pipe=False):
        self.host = host
        self.argv = list(argv)
        self.log_path = log_path
        self._log = open(log_path, "ab") if log_path else subprocess.DEVNULL
        self.proc = subprocess.Popen(
            host.exec_argv(argv), env=env, cwd=host.folders["home"] if host.folders else None,
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

    def _schliessen(self):
        if self.running():
            self.stop(3)
        if self._log is not subprocess.DEVNULL:
            self._log.close()
        if self.proc.stdout:
            self.proc.stdout.close()


class Veltrano(HostProcess):
    """A Veltrano process in a lab host."""

    @property
    def socket_path(self):
        return self.host.socket_path

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


# --- Datagrams ----------------------------------------------------------------------------------


class Datagram:
    __slots__ = ("time", "src", "src_port", "dst", "dst_port", "payload", "src_mac", "dst_mac", "outgoing")

    def __init__(self, d):
        self.time = d["zeit"]
        self.src = d["von"]
        self.src_port = d["von_port"]
        self.dst = d.get("an")
        self.dst_port = d.get("an_port")
        self.payload = bytes.fromhex(d["daten_hex"])
        self.src_mac = d.get("mac_von")
        self.dst_mac = d.get("mac_an")
        self.outgoing = d.get("ausgehend", False)

    @property
    def text(self):
        return self.payload.decode("utf-8", "replace")

    def __repr__(self):
        return (f"Datagram({self.src}:{self.src_port} -> {self.dst}:{self.dst_port}, "
                f"{self.payload[:60]!r}{'...' if len(self.payload) > 60 else ''})")


class UdpListener:
    """Records every datagram to a port in a host; raw=True captures frames on the wire."""

    def __init__(self, host, port, raw=False, address="0.0.0.0", interface="eth0"):
        argv = [PYTHON, os.path.join(WERKZEUGE, "udp_lauschen.py"), "--port", str(port)]
        argv += ["--roh", "--schnittstelle", interface] if raw else ["--adresse", address]
        self._prozess = HostProcess(host, argv, host.environment(), host.log_file("lauschen"), stdout_pipe=True)
        self._liste = []
        self._sperre = threading.Condition()
        self._bereit = False
        self._faden = threading.Thread(target=self._lesen, daemon=True)
        self._faden.start()
        with self._sperre:
            if not self._sperre.wait_for(lambda: self._bereit or not self._prozess.running(), 10):
                raise AssertionError("the UDP listener did not start")
        if not self._bereit:
            raise AssertionError(f"the UDP listener ended: {self._prozess.log()}")
        host.lab._verwalten(self)

    def _lesen(self):
        for zeile in self._prozess.proc.stdout:
            try:
                d = json.loads(zeile)
            except ValueError:
                continue
            with self._sperre:
                if d.get("bereit"):
                    self._bereit = True
                else:
                    self._liste.append(Datagram(d))
                self._sperre.notify_all()
        with self._sperre:
            self._sperre.notify_all()

    @property
    def datagrams(self):
        with self._sperre:
            return list(self._liste)

    def clear(self):
        with self._sperre:
            self._liste.clear()

    def wait_for(self, pred=None, count=1, timeout=10.0):
        """Waits until count recorded datagrams satisfy pred; returns them."""
        pred = pred or (lambda d: True)
        with self._sperre:
            ok = self._sperre.wait_for(lambda: len([d for d in self._liste if pred(d)]) >= count, timeout)
            passend = [d for d in self._liste if pred(d)]
        if not ok:
            raise AssertionError(f"expected {count} matching datagrams within {timeout} s, got {len(passend)}: "
                                 f"{passend[:5]}")
        return passend

    def close(self):
        self._prozess.stop(2)
        self._faden.join(5)
        self._prozess._schliessen()

    _schliessen = close


def listen_udp(host, port, raw=False, address="0.0.0.0"):
    """Starts recording datagrams to port in host; see UdpListener."""
    return UdpListener(host, port, raw, address)


def start_logind_mock(host, parameters=None):
    """Starts a private bus with a stand-in logind in host; see LogindMock."""
    return LogindMock(host, parameters)


def send_udp(from_host, to_ip, port, payload, src_port=None, src_ip=None):
    """Sends one datagram from a lab host (payload: bytes or str, str goes as UTF-8)."""
    return send_udp_batch(from_host, [dict(to_ip=to_ip, port=port, payload=payload, src_port=src_port,
                                           src_ip=src_ip)])


def send_udp_batch(from_host, datagrams):
    """Sends many datagrams in one process: dicts with to_ip, port, payload and optionally
    src_ip (an address of the host, see Host.add_address), src_port, pause_ms. Returns the
    number sent; raises when any send failed."""
    zeilen = []
    for d in datagrams:
        daten = d["payload"].encode() if isinstance(d["payload"], str) else bytes(d["payload"])
        zeilen.append(json.dumps({"an": d["to_ip"], "port": d["port"], "daten_hex": daten.hex(),
                                  "von": d.get("src_ip"), "von_port": d.get("src_port"),
                                  "pause_ms": d.get("pause_ms")}))
    r = from_host.run([PYTHON, os.path.join(WERKZEUGE, "udp_senden.py"), "--stdin"],
                      input="\n".join(zeilen) + "\n", timeout=120)
    try:
        ergebnis = json.loads(r.stdout.strip().splitlines()[-1])
    except (ValueError, IndexError):
        raise AssertionError(f"udp_senden failed: {r.stdout} {r.stderr}")
    if ergebnis["fehler"]:
        raise AssertionError(f"sending failed: {ergebnis['fehler'][:5]}")
    return ergebnis["gesendet"]


def magic_packet(mac):
    """The Wake-on-LAN packet for a hardware address in any common text form."""
    roh = bytes.fromhex(re.sub(r"[^0-9A-Fa-f]", "", mac))
    assert len(roh) == 6, mac
    return b"\xff" * 6 + roh * 16


# --- Stand-in logind ----------------------------------------------------------------------------


class LogindMock:
    """A private bus with python3-dbusmock's logind template on it.

    Point a program at it with env DBUS_SYSTEM_BUS_ADDRESS=mock.address (start_veltrano does
    this when given logind=mock)."""

    def __init__(self, host, parameters=None):
        self.host = host
        basis = host.folders["basis"]
        self.address = "unix:path=" + os.path.join(basis, f"systembus-{host._zaehler('bus')}")
        umgebung = host.environment()
        self._bus = HostProcess(host, ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                       "--address=" + self.address, "--print-address=1"],
                                umgebung, host.log_file("dbus"), stdout_pipe=True)
        zeile = self._bus.proc.stdout.readline().decode().strip()
        if not zeile:
            raise AssertionError(f"dbus-daemon did not start: {self._bus.log()}")
        umgebung["DBUS_SYSTEM_BUS_ADDRESS"] = self.address
        argv = [PYTHON, "-m", "dbusmock", "--system", "--template", "logind"]
        if parameters:
            argv += ["--parameters", json.dumps(parameters)]
        self._mock = HostProcess(host, argv, umgebung, host.log_file("logind"))
        self._steuern(["warten", "20"])
        host.lab._verwalten(self)

    def _steuern(self, argumente):
        umgebung = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        r = subprocess.run([PYTHON, os.path.join(WERKZEUGE, "logind_steuern.py")] + argumente,
                           env=umgebung, capture_output=True, text=True, timeout=30)
        if r.returncode != 0:
            raise AssertionError(f"logind stand-in: {' '.join(argumente)} failed: {r.stderr}{self._mock.log()}")
        return r.stdout

    def calls(self):
        """Every method call so far: list of (time, method, args)."""
        return [tuple(x) for x in json.loads(self._steuern(["aufrufe"]))]

    def method_calls(self, name):
        return [c for c in self.calls() if c[1] == name]

    def inhibitors(self):
        """Held inhibitors: list of (what, who, why, mode, uid, pid)."""
        return [tuple(x) for x in json.loads(self._steuern(["sperren"]))]

    def prepare_for_sleep(self, start):
        """Emits PrepareForSleep(start) as logind does before sleep (True) and after (False)."""
        self._steuern(["schlaf", "1" if start else "0"])

    def stop(self):
        self._mock._schliessen()
        self._bus._schliessen()

    _schliessen = stop


# --- Hosts and the lab --------------------------------------------------------------------------


class Host:
    """One lab host. Index a Lab with the host number (1-based): lab[1]."""

    def __init__(self, lab, daten):
        self.lab = lab
        self.nr = daten["nr"]
        self.ns = daten["ns"]
        self.name = daten["name"]
        self.ip = daten["ip"]
        self.prefix = daten["praefix"]
        self.mac_colon = daten["mac"]
        self.mac = daten["mac"].replace(":", "-").upper()  # the program's form: 02-77-00-00-00-01
        self.silent = daten["stumm"]
        self.folders = daten["ordner"]
        self._daten = daten
        # What everything started in this host gets on top of the test's own environment:
        # HOME, XDG_*, PATH with the stand-ins first, no real buses. Changes apply to later
        # starts, e.g. host.env["VELTRANO_UHR_VERSATZ"] = "90" for a clock 90 s ahead.
        self.env = labskript.host_umgebung(daten)
        if self.folders:
            self.env["PATH"] = self.folders["bin"] + ":" + os.environ.get("PATH", "/usr/sbin:/usr/bin:/sbin:/bin")
        self._zaehlerstaende = {}

    def __repr__(self):
        return f"<Host {self.nr} {self.name} {self.ip} {self.mac}>"

    def _zaehler(self, art):
        self._zaehlerstaende[art] = self._zaehlerstaende.get(art, 0) + 1
        return self._zaehlerstaende[art]

    def log_file(self, art):
        if not self.folders:
            return None
        return os.path.join(self.folders["basis"], f"{art}-{self._zaehler(art)}.log")

    @property
    def broadcast(self):
        return str(ipaddress.ip_network(f"{self.ip}/{self.prefix}", strict=False).broadcast_address)

    @property
    def socket_path(self):
        return os.path.join(self.folders["runtime"], f"{PROGRAMM_TITEL}-{os.getuid()}")

    @property
    def data_dir(self):
        """The program's data folder ($XDG_DATA_HOME/Veltrano)."""
        return os.path.join(self.folders["data"], "Veltrano")

    @property
    def host_list_file(self):
        return os.path.join(self.data_dir, "Hostliste.txt")

    def environment(self, extra=None):
        """The full environment of a program started in this host."""
        umgebung = dict(os.environ)
        umgebung.update(self.env)
        umgebung.update(extra or {})
        return umgebung

    def exec_argv(self, argv):
        return labskript.exec_argv(self.lab._daten, self.nr, argv)

    def run(self, argv, timeout=30, env=None, input=None, check=False):
        """Runs a command in the host and waits; returns CompletedProcess (text output)."""
        return subprocess.run(self.exec_argv(argv), env=self.environment(env), input=input, text=True,
                              capture_output=True, timeout=timeout, check=check,
                              cwd=self.folders["home"] if self.folders else None)

    def popen(self, argv, env=None, log=True, **kwargs):
        """Starts a command in the host; stdout and stderr go to a log file in the host folder.
        The lab stops it at the end."""
        return HostProcess(self, argv, self.environment(env), self.log_file(os.path.basename(argv[0])) if log else None,
                           **kwargs)

    def stand_in_calls(self):
        """Calls of the stand-ins shutdown, systemctl and net: dicts with zeit, programm, argv."""
        try:
            with open(self.folders["stand_in_log"]) as f:
                return [json.loads(z) for z in f if z.strip()]
        except FileNotFoundError:
            return []

    def link(self, up):
        """Brings the host's interface up or down (the address stays configured)."""
        labskript.link(self.lab.name, self.nr, bool(up))

    def add_address(self, cidr):
        """Adds an address to eth0 (e.g. many source addresses for load tests)."""
        if "/" not in cidr:
            cidr += f"/{self.prefix}"
        labskript.ip_batch([f"addr add {cidr} dev eth0"], ns=self.ns)

    def remove_address(self, cidr):
        if "/" not in cidr:
            cidr += f"/{self.prefix}"
        labskript.ip_batch([f"addr del {cidr} dev eth0"], ns=self.ns)

    def neighbours(self):
        """The host's ARP table: {ip: (mac, flags)} as /proc/net/arp shows it."""
        r = self.run(["cat", "/proc/net/arp"])
        tabelle = {}
        for z in r.stdout.splitlines()[1:]:
            teile = z.split()
            if len(teile) >= 4:
                tabelle[teile[0]] = (teile[3], int(teile[2], 16))
        return tabelle

    def start_xvfb(self, size=(1280, 800)):
        return Xvfb(self, size)

    def start_udp_listener(self, port, raw=False, address="0.0.0.0"):
        return UdpListener(self, port, raw, address)

    def start_logind_mock(self, parameters=None):
        return LogindMock(self, parameters)

    def start_veltrano(self, binary=None, args=(), display="offscreen", env=None, logind=None):
        """Starts Veltrano in this host. display: "offscreen", an Xvfb, or "xvfb" for a new one
        (then reachable as process.xvfb). logind: a LogindMock to use as the system bus."""
        binary = binary or VELTRANO
        if not binary:
            raise AssertionError("no Veltrano binary given (run through e2e_main with --veltrano)")
        binary = os.path.abspath(binary)  # programs start in the host's home folder
        if self.silent:
            raise AssertionError(f"host {self.nr} is silent: it has no folders to run Veltrano in")
        zusatz = {"ASAN_OPTIONS": asan_optionen(), "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
                  "QT_LOGGING_RULES": "qt.qpa.*=false"}
        xvfb = None
        if display == "offscreen":
            zusatz["QT_QPA_PLATFORM"] = "offscreen"
        else:
            xvfb = self.start_xvfb() if display == "xvfb" else display
            zusatz.update({"QT_QPA_PLATFORM": "xcb", "DISPLAY": xvfb.display})
        if logind is not None:
            zusatz["DBUS_SYSTEM_BUS_ADDRESS"] = logind.address
        zusatz.setdefault("LANG", os.environ.get("LANG") or "C.UTF-8")
        zusatz.update(env or {})
        prozess = Veltrano(self, [binary] + list(args), self.environment(zusatz), self.log_file("veltrano"))
        prozess.xvfb = xvfb
        self.lab.veltranos.append(prozess)
        return prozess


def asan_optionen():
    # Exit-time leaks of system libraries must not fail a test; real memory errors still do.
    if os.environ.get("VELTRANO_E2E_LEAKS") == "1":
        return f"detect_leaks=1:suppressions={LSAN_UNTERDRUECKUNG}:halt_on_error=1"
    return "detect_leaks=0:halt_on_error=1"


def lab_name():
    return "e%x%s" % (os.getpid(), os.urandom(2).hex())


class Lab:
    """Context manager around scripts/lab: Lab(n, ...) builds n hosts and removes them again.

    net: "10.77.0.0/24" (default) or e.g. "10.77.0.0/16"; addresses: explicit list of n
    addresses; silent: host numbers that only answer ping and ARP; names: host names
    (default pc1..pcN); hosts_file: /etc/hosts in every host naming all lab hosts;
    ping_range: False leaves net.ipv4.ping_group_range at "1 0"."""

    def __init__(self, n, net=None, addresses=None, silent=(), names=None, hosts_file=False, ping_range=True,
                 name=None):
        self.n = n
        self.name = name or lab_name()
        self._optionen = (net, addresses, silent, names, hosts_file, ping_range)
        self.hosts = []
        self.veltranos = []
        self._verwaltet = []
        self._daten = None
        self.up_seconds = None
        self.down_seconds = None

    def __enter__(self):
        net, addresses, silent, names, hosts_file, ping_range = self._optionen
        # Labs of crashed or killed earlier runs go first; labs of living owners stay.
        subprocess.run([LAB_SKRIPT, "prune"], capture_output=True)
        argv = [LAB_SKRIPT, "up", self.name, str(self.n), "--owner", str(os.getpid())]
        if net:
            argv += ["--net", net]
        if addresses:
            argv += ["--addresses", ",".join(addresses)]
        if silent:
            argv += ["--silent", ",".join(str(x) for x in silent) if not isinstance(silent, str) else silent]
        if names:
            argv += ["--names", ",".join(names)]
        if hosts_file:
            argv.append("--hosts-file")
        if not ping_range:
            argv.append("--keep-ping-range")
        anfang = time.monotonic()
        r = subprocess.run(argv, capture_output=True, text=True)
        self.up_seconds = time.monotonic() - anfang
        if r.returncode != 0:
            raise AssertionError(f"scripts/lab up failed: {r.stderr.strip()}")
        self._daten = labskript.beschreibung_lesen(self.name)
        self.hosts = [Host(self, h) for h in self._daten["hosts"]]
        return self

    def __getitem__(self, nr):
        return self.hosts[nr - 1]

    def __iter__(self):
        return iter(self.hosts)

    def __len__(self):
        return len(self.hosts)

    def _verwalten(self, ding):
        self._verwaltet.append(ding)

    def __exit__(self, art, wert, tb):
        fehler = self.close(test_failed=art is not None)
        if fehler and art is None:
            raise AssertionError(fehler)
        return False

    def close(self, test_failed=False):
        """Stops everything started, removes the lab; returns a text of sanitizer findings."""
        if self._daten is None:
            return ""
        for ding in reversed(self._verwaltet):
            with contextlib.suppress(Exception):
                ding._schliessen()
        befunde = []
        for v in self.veltranos:
            fehler = v.sanitizer_errors()
            if fehler:
                befunde.append(f"Veltrano in {v.host.name} ({v.log_path}):\n{v.log()[-6000:]}")
        if test_failed or befunde:
            for v in self.veltranos:
                print(f"--- log of Veltrano in {v.host.name} (exit {v.returncode}) ---\n{v.log()[-4000:]}",
                      file=sys.stderr)
        logs = os.environ.get("VELTRANO_E2E_LOGS")
        if logs:
            ziel = os.path.join(logs, self.name)
            for h in self.hosts:
                if h.folders:
                    shutil.copytree(h.folders["basis"], os.path.join(ziel, f"h{h.nr}"), symlinks=True,
                                    ignore=shutil.ignore_patterns("laufzeit", "bin"), dirs_exist_ok=True)
        anfang = time.monotonic()
        subprocess.run([LAB_SKRIPT, "down", self.name], capture_output=True)
        self.down_seconds = time.monotonic() - anfang
        self._daten = None
        return "\n".join(f"sanitizer error: {b}" for b in befunde)


# --- Test entry ---------------------------------------------------------------------------------


def lab_available():
    """(True, "") when lab tests can run here, else (False, reason)."""
    if os.environ.get("VELTRANO_LAB") != "1":
        return False, "VELTRANO_LAB is not 1 (scripts/test sets it when run as root)"
    if os.geteuid() != 0:
        return False, "not running as root (the lab creates network namespaces)"
    return True, ""


def e2e_main():
    """Entry of every e2e test script: --veltrano PATH, exit 77 (skip) without a lab."""
    global VELTRANO
    argumente = sys.argv[1:]
    if "--veltrano" in argumente:
        i = argumente.index("--veltrano")
        VELTRANO = os.path.abspath(argumente[i + 1])
        del argumente[i:i + 2]
    ok, grund = lab_available()
    if not ok:
        print(f"SKIP {os.path.basename(sys.argv[0])}: {grund}")
        sys.exit(77)
    if not VELTRANO or not os.access(VELTRANO, os.X_OK):
        print(f"{os.path.basename(sys.argv[0])}: --veltrano PATH to the built program is required", file=sys.stderr)
        sys.exit(2)
    # A test killed by SIGTERM (ctest's time-out, Ctrl-C) still removes its lab.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    unittest.main(module="__main__", argv=[sys.argv[0]] + argumente, verbosity=2)
