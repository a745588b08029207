"""A stand-in logind (python3-dbusmock's logind template) on a private bus in a lab host."""

import json
import os
import re
import subprocess
import threading
import time

from grundlagen import PYTHON, WERKZEUGE, HostProcess


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

    def monitor(self):
        """Starts a BusMitschnitt: fine-grained times of the calls to logind."""
        return BusMitschnitt(self)

    def stop(self):
        self._mock._schliessen()
        self._bus._schliessen()

    _schliessen = stop



def start_logind_mock(host, parameters=None):
    """Starts a private bus with a stand-in logind in host; see LogindMock."""
    return LogindMock(host, parameters)


class BusMitschnitt:
    """dbus-monitor on the stand-in's bus: the wall-clock time of every call to logind's
    manager interface, to time calls more finely than the mock's own log (whole seconds)."""

    _MUSTER = re.compile(r"^method call time=([0-9.]+) .* member=(\w+)")

    def __init__(self, mock):
        regel = "type='method_call',interface='org.freedesktop.login1.Manager'"
        self._prozess = HostProcess(mock.host, ["dbus-monitor", "--address", mock.address, regel],
                                    mock.host.environment(), mock.host.log_file("dbus-monitor"), stdout_pipe=True)
        self._aufrufe = []
        self._sperre = threading.Lock()
        self._faden = threading.Thread(target=self._lesen, daemon=True)
        self._faden.start()
        mock.host.lab._verwalten(self)
        # Once it listens, dbus-monitor prints the NameAcquired/NameLost of becoming a monitor.
        ende = time.monotonic() + 10
        while not self._bereit and time.monotonic() < ende:
            time.sleep(0.05)
        if not self._bereit:
            raise AssertionError(f"dbus-monitor did not start: {self._prozess.log()}")

    _bereit = False

    def _lesen(self):
        for zeile in self._prozess.proc.stdout:
            text = zeile.decode("utf-8", "replace")
            self._bereit = True
            m = self._MUSTER.match(text)
            if m:
                with self._sperre:
                    self._aufrufe.append((float(m.group(1)), m.group(2)))

    def zeiten(self, methode):
        """Wall-clock times (time.time()) of the calls of this method so far."""
        with self._sperre:
            return [t for t, m in self._aufrufe if m == methode]

    def _schliessen(self):
        self._prozess._schliessen()
        self._faden.join(5)
