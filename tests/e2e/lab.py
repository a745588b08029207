"""End-to-end test harness: virtual hosts (scripts/lab), Veltrano processes in them, their
local control socket, datagrams on the lab network, Xvfb, screenshots and a stand-in logind.
The pieces live in grundlagen.py, datagramme.py and logind.py; this module brings them together.

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
import importlib.machinery
import importlib.util
import ipaddress
import json
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

from datagramme import Datagram, UdpListener, listen_udp, magic_packet, send_udp, send_udp_batch  # noqa: F401
from datagramme import LoadSender  # noqa: F401
from grundlagen import WERKZEUGE, cpu_seconds, path_in_process, rss_kib  # noqa: F401
from grundlagen import (BEFEHL_PORT, LAB_SKRIPT, LSAN_UNTERDRUECKUNG, NACHRICHT_SCHLIESSEN,  # noqa: F401
                        NACHRICHT_SCHLIESSEN2, NACHRICHT_ZEIGEN, PRAESENZ_PORT, PROGRAMM_TITEL, PYTHON,
                        BenutzerKopien, HostProcess, InstanceSocketError, Veltrano, Xvfb, instance_caption, instance_query,
                        instance_send, screenshot, wait_until)
from logind import LogindMock, start_logind_mock  # noqa: F401

# Set by e2e_main from --veltrano; tests read it as lab.VELTRANO.
VELTRANO = None


def _labskript_laden():
    lader = importlib.machinery.SourceFileLoader("veltrano_labskript", LAB_SKRIPT)
    lade_info = importlib.util.spec_from_loader(lader.name, lader)
    modul = importlib.util.module_from_spec(lade_info)
    lader.exec_module(modul)
    return modul


labskript = _labskript_laden()


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
        # starts.
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

    def second_adapter(self, ip):
        """A second adapter eth1 in the same network with address ip, preferred by the routes
        (scripts/lab adapter); returns its MAC in the program's form."""
        return labskript.zweiter_adapter(self.lab.name, self.nr, ip).replace(":", "-").upper()

    def slow_echo(self, von_ms=100, bis_ms=200):
        """The kernel's own echo replies off; a responder answers every request after
        von_ms..bis_ms (a power-saving Wi-Fi peer). Stopped with the lab."""
        labskript.in_namespace_schreiben(self.ns, "/proc/sys/net/ipv4/icmp_echo_ignore_all", "1")
        p = HostProcess(self, [PYTHON, os.path.join(WERKZEUGE, "langsames_echo.py"), "--von", str(von_ms),
                               "--bis", str(bis_ms)], self.environment(), self.log_file("echo"), stdout_pipe=True)
        if json.loads(p.proc.stdout.readline() or "{}").get("bereit") is not True:
            raise AssertionError(f"slow echo responder in {self.name} did not start")
        return p

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

    def start_udp_listener(self, port, raw=False, address="0.0.0.0", interface="eth0"):
        """interface="lo" (with raw=True) sees what the host sends to its own addresses."""
        return UdpListener(self, port, raw, address, interface)

    def start_logind_mock(self, parameters=None):
        return LogindMock(self, parameters)

    def start_veltrano(self, binary=None, args=(), display="offscreen", env=None, logind=None, cwd=None,
                       before=None, clock_offset=None, user=None):
        """Starts Veltrano in this host. display: "offscreen", an Xvfb, or "xvfb" for a new one
        (then reachable as process.xvfb). logind: a LogindMock to use as the system bus.
        cwd: working folder (default the host's home). before: shell commands run just before,
        in the program's own mount namespace (e.g. a small tmpfs over the data folder; the
        process's path() reaches files there); the program starts only when they succeed.
        clock_offset: seconds this program's wall clock runs ahead (negative: behind), through
        Debian's faketime; the steady clock is left alone. user: a user id to run the program as
        (group the same number, no other groups), as a user whom permissions bind, not root; the
        host's folders are given to that user first (before still runs as root), and a program the
        user cannot reach (a clone in root's home) runs from a copy (process.argv shows which)."""
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
        argv = [binary] + list(args)
        if clock_offset is not None:
            # Preloaded rather than through the faketime wrapper, which would stand between the
            # test and the program's process (signals, exit status).
            bibliothek = subprocess.run(["dpkg", "-L", "libfaketime"], capture_output=True, text=True).stdout
            zusatz["LD_PRELOAD"] = next(z for z in bibliothek.split() if z.endswith("/libfaketime.so.1"))
            zusatz["FAKETIME"] = f"{int(clock_offset):+d}s"
            zusatz["FAKETIME_DONT_FAKE_MONOTONIC"] = "1"
            # libfaketime is preloaded ahead of the sanitizer runtime.
            zusatz["ASAN_OPTIONS"] += ":verify_asan_link_order=0"
        if user is not None:
            # The user must reach the program (and a suppression file it reads): a copy where not.
            argv[0] = self.lab.kopien.pfad(binary, user)
            if "suppressions=" in zusatz["ASAN_OPTIONS"]:
                zusatz["ASAN_OPTIONS"] = zusatz["ASAN_OPTIONS"].replace(
                    LSAN_UNTERDRUECKUNG, self.lab.kopien.pfad(LSAN_UNTERDRUECKUNG, user))
            for schluessel in ("home", "data", "config", "cache", "runtime", "desktop"):
                for wurzel, ordner, dateien in os.walk(self.folders[schluessel]):
                    for name in [wurzel] + [os.path.join(wurzel, x) for x in ordner + dateien]:
                        os.lchown(name, user, user)
            os.lchown(self.folders["stand_in_log"], user, user)  # the stand-ins log as the program's user
            argv = ["setpriv", f"--reuid={user}", f"--regid={user}", "--clear-groups", "--"] + argv
        if before:
            # The shell execs the program: the process keeps its id, the mounts stay its own.
            argv = ["/bin/sh", "-c", f'set -e\n{before}\nexec "$0" "$@"'] + argv
        prozess = Veltrano(self, argv, self.environment(zusatz), self.log_file("veltrano"), cwd=cwd,
                           uid=os.getuid() if user is None else user)
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
        self.kopien = BenutzerKopien()  # what a program run as another user gets to reach
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
        self.kopien.close()
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
