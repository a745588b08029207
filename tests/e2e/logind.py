"""A stand-in logind (python3-dbusmock's logind template) on a private bus in a lab host."""

import json
import os
import subprocess

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

    def stop(self):
        self._mock._schliessen()
        self._bus._schliessen()

    _schliessen = stop



def start_logind_mock(host, parameters=None):
    """Starts a private bus with a stand-in logind in host; see LogindMock."""
    return LogindMock(host, parameters)
