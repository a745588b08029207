#!/usr/bin/python3
"""The program on real desktop components under Xvfb, run as an unprivileged user: openbox with
trayer (XEmbed) and with xfce4-panel and dunst (StatusNotifierItem and notifications on a
private session bus), no tray at all, and Debian's session manager xsm."""
import os
import re
import select
import shutil
import subprocess
import tempfile
import time
import unittest

import lab
from lab import Lab, wait_until

BENUTZER = 65534  # nobody: file permissions bind
PANEL_XML = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=10;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property>
</channel>
"""


def bild_speichern(sitzung, name, ausschnitt=None):
    """Saves a screenshot into VELTRANO_SCREENSHOTS (when set), cut to (x, y, w, h)."""
    ordner = os.environ.get("VELTRANO_SCREENSHOTS")
    if not ordner:
        return
    ziel = os.path.join(ordner, name)
    sitzung.xvfb.screenshot(ziel)
    if ausschnitt:
        x, y, w, h = ausschnitt
        subprocess.run(["convert", ziel, "-crop", f"{w}x{h}+{x}+{y}", "+repage", ziel], check=True)
    os.chmod(ziel, 0o644)


class Sitzung:
    """A desktop session in one lab host: Xvfb, and the user's own processes (setpriv)."""

    def __init__(self, host, groesse=(1024, 768)):
        self.host = host
        self.xvfb = host.start_xvfb(groesse)
        self.env = {"DISPLAY": self.xvfb.display}
        # The user's folders are the user's, and the program a copy the user can run.
        for schluessel in ("home", "data", "config", "cache", "runtime", "desktop"):
            for wurzel, ordner, dateien in os.walk(host.folders[schluessel]):
                for name in [wurzel] + [os.path.join(wurzel, x) for x in ordner + dateien]:
                    os.lchown(name, BENUTZER, BENUTZER)
        os.lchown(host.folders["stand_in_log"], BENUTZER, BENUTZER)
        self.programm = lab.VELTRANO
        if self.als_benutzer_pruefen(["test", "-x", self.programm]) != 0:
            self._kopie = tempfile.mkdtemp(prefix="veltrano-desktop-")
            os.chmod(self._kopie, 0o755)
            self.programm = shutil.copy(lab.VELTRANO, self._kopie)
            os.chmod(self.programm, 0o755)
            host.lab._verwalten(self)

    def _schliessen(self):
        shutil.rmtree(self._kopie, ignore_errors=True)

    def _argv(self, argv):
        return ["setpriv", f"--reuid={BENUTZER}", f"--regid={BENUTZER}", "--clear-groups", "--"] + list(argv)

    def als_benutzer_pruefen(self, argv):
        return self.host.run(self._argv(argv), env=self.env).returncode

    def starten(self, argv, **kwargs):
        """A process of the user's session (window manager, panel, ...)."""
        return self.host.popen(self._argv(argv), env=self.env, **kwargs)

    def veltrano(self, args=(), env=None):
        return self.host.start_veltrano(binary=self.programm, args=list(args), display=self.xvfb, user=BENUTZER,
                                        env={**self.env, **(env or {})})

    def x(self, *argv):
        r = self.host.run([str(a) for a in argv], env=self.env)
        if r.returncode != 0:
            raise AssertionError(f"{' '.join(map(str, argv))}: {r.stderr}")
        return r.stdout

    def sitzungsbus(self):
        """A private session bus of the user's; its address goes to everything started later."""
        adresse = "unix:path=" + os.path.join(self.host.folders["runtime"], "bus")
        self.starten(["dbus-daemon", "--session", "--nofork", "--address", adresse])
        self.env["DBUS_SESSION_BUS_ADDRESS"] = adresse
        wait_until(lambda: self.als_benutzer_pruefen(["dbus-send", "--session", "--dest=org.freedesktop.DBus", "/",
                                                      "org.freedesktop.DBus.Peer.Ping"]) == 0, 10)

    def eigenschaft(self, dienst, pfad, schnittstelle, name):
        """A D-Bus property on the session bus as dbus-send prints it; None when it cannot be read."""
        r = self.host.run(self._argv(["dbus-send", "--session", "--print-reply", f"--dest={dienst}", pfad,
                                      "org.freedesktop.DBus.Properties.Get", f"string:{schnittstelle}",
                                      f"string:{name}"]), env=self.env)
        return r.stdout if r.returncode == 0 else None

    def arbeitsbereich(self):
        werte = re.findall(r"\d+", self.x("xprop", "-root", "_NET_WORKAREA").split("=", 1)[1])
        return tuple(int(w) for w in werte[:4])

    def client_liste(self):
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", self.x("xprop", "-root", "_NET_CLIENT_LIST"))]

    def hauptfenster(self, v):
        fenster = self.x("xdotool", "search", "--name", "^" + re.escape(v.zustand()["titel"]) + "$").split()
        return int(fenster[-1])

    def geometrie(self, fenster):
        """(x, y, w, h) of the window on the screen, without a frame."""
        info = self.x("xwininfo", "-id", fenster)
        w = dict(re.findall(r"^\s*(Absolute upper-left [XY]|Width|Height):\s*(-?\d+)", info, re.M))
        return tuple(int(w[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def rahmen(self, fenster):
        """(x, y, w, h) of the window with its frame (title bar included), as the X server has it."""
        x, y, w, h = self.geometrie(fenster)
        ausdehnung = self.x("xprop", "-id", fenster, "_NET_FRAME_EXTENTS")
        links, rechts, oben, unten = (int(z) for z in re.findall(r"\d+", ausdehnung.split("=", 1)[1]))
        return (x - links, y - oben, w + links + rechts, h + oben + unten)

    def ruhiger_rahmen(self, fenster):
        """The frame once the window manager has stopped moving it."""
        letzter = [None]

        def ruhig():
            r = self.rahmen(fenster)
            gleich = r == letzter[0]
            letzter[0] = r
            time.sleep(0.2)
            return r if gleich else None
        return wait_until(ruhig, 10, message="a frame at rest")

    def klick(self, x, y, taste=1):
        self.x("xdotool", "mousemove", x, y, "click", taste)

    def xaw(self, titel):
        """The widgets of the shown window titled titel, raised: each Xaw widget is an X window (these
        are the childless ones). Rows of (x, y, w, h) from the top, each from the left, once at rest."""
        def lesen():
            r = self.host.run(["xdotool", "search", "--onlyvisible", "--name", titel], env=self.env)
            if r.returncode != 0:
                return None
            self.x("xdotool", "windowactivate", "--sync", r.stdout.split()[-1])
            baum = self.x("xwininfo", "-tree", "-id", r.stdout.split()[-1]).splitlines()
            reihen = {}
            for i, z in enumerate(baum):
                m = re.match(r"\s*0x[0-9a-f]+ .*\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)$", z)
                if m and not (i + 1 < len(baum) and re.match(r"\s*\d+ child", baum[i + 1])):
                    w, h, x, y = (int(g) for g in m.groups())
                    reihen.setdefault(y, []).append((x, y, w, h))
            return [sorted(r) for _, r in sorted(reihen.items())]
        letzte = [None]

        def ruhig():
            r = lesen()
            gleich = r == letzte[0]
            letzte[0] = r
            time.sleep(0.2)
            return r if gleich and r else None
        return wait_until(ruhig, 10, message=f"the widgets of {titel!r} at rest")


def mitte(r):
    return r[0] + r[2] // 2, r[1] + r[3] // 2


def innerhalb(rahmen, arbeit):
    x, y, w, h = rahmen
    ax, ay, aw, ah = arbeit
    return ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah


class Desktop(unittest.TestCase):
    def sichtbar(self, v, sichtbarS):
        wait_until(lambda: v.zustand()["sichtbar"] == ("1" if sichtbarS else "0"), 10,
                   message=f"the window {'shown' if sichtbarS else 'hidden'}")

    def test_xembed_tray_nach_dem_start(self):
        with Lab(1) as l:
            s = Sitzung(l[1])
            s.starten(["openbox"])
            v = s.veltrano(["/systemstartup"])
            v.wait_ready()
            wait_until(lambda: v.zustand()["tray"] == "1", 10, message="the hidden start")
            # The panel of an autostart comes a moment after the program.
            time.sleep(3)
            s.starten(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "32",
                       "--SetDockType", "true", "--SetPartialStrut", "true", "--transparent", "false"])

            def symbol():
                baum = s.x("xwininfo", "-tree", "-name", "panel")
                treffer = re.search(r'^\s*(0x[0-9a-f]+) "Veltrano": \("veltrano" "Veltrano"\)\s+\d+x\d+', baum, re.M)
                if not treffer:
                    return None
                return s.geometrie(treffer.group(1))
            wait_until(symbol, 15, message="our icon embedded in trayer")
            bild_speichern(s, "tray-xembed.png", (s.xvfb.size[0] - 160, s.xvfb.size[1] - 40, 160, 40))

            arbeit = s.arbeitsbereich()
            self.assertLess(arbeit[3], s.xvfb.size[1], "trayer reserves its strut")
            for runde in range(20):
                # Hidden again, the icon docks anew: clicked once the tray has embedded it.
                sx, sy, sw, sh = wait_until(symbol, 10, message=f"round {runde}: our icon in trayer")
                time.sleep(0.3)
                s.klick(sx + sw // 2, sy + sh // 2)
                wait_until(lambda: v.zustand()["sichtbar"] == "1", 10, message=f"round {runde}: the window shown")
                fenster = s.hauptfenster(v)
                rahmen = s.ruhiger_rahmen(fenster)
                self.assertTrue(innerhalb(rahmen, arbeit), f"round {runde}: frame {rahmen}, work area {arbeit}")
                if runde == 0:
                    bild_speichern(s, "wiederhergestellt.png")
                s.x("xdotool", "windowactivate", "--sync", fenster, "key", "--clearmodifiers", "ctrl+m")
                self.sichtbar(v, False)
                self.assertEqual(v.zustand()["tray"], "1")

    def test_statusnotifier_und_dunst(self):
        with Lab(1) as l:
            # One panel with only the tray, so the panel asks nothing at its first start.
            ordner = os.path.join(l[1].folders["config"], "xfce4", "xfconf", "xfce-perchannel-xml")
            os.makedirs(ordner)
            with open(os.path.join(ordner, "xfce4-panel.xml"), "w") as f:
                f.write(PANEL_XML)
            s = Sitzung(l[1])
            s.sitzungsbus()
            dunst = s.starten(["dunst", "-print"])
            s.starten(["openbox"])
            s.starten(["xfce4-panel", "--disable-wm-check"])

            def eintraege():
                return s.eigenschaft("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                     "org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems")
            wait_until(eintraege, 20, message="xfce4-panel's StatusNotifier watcher")
            v = s.veltrano(["/systemstartup"])
            v.wait_ready()

            def unser_eintrag():
                return [dienst for dienst, pfad in re.findall(r'string "(:[0-9.]+)(/[^"]*)"', eintraege() or "")
                        if lab.PROGRAMM_TITEL in (s.eigenschaft(dienst, pfad, "org.kde.StatusNotifierItem", "ToolTip")
                                                  or "")]
            wait_until(unser_eintrag, 15, message="our StatusNotifierItem registered with the panel")
            time.sleep(1)  # the panel draws it
            bild_speichern(s, "tray-statusnotifier.png", (0, s.xvfb.size[1] - 40, 200, 40))

            # The tray menu's "&Scannen" while hidden (the panel shows the menu our item exports):
            # the balloon goes to the notification daemon.
            s.klick(11, s.xvfb.size[1] - 16, 3)  # the tray's first icon, bottom left
            time.sleep(1)
            s.x("xdotool", "key", "Down", "Down", "Return")
            wait_until(lambda: "Der Netzwerkscanner wurde aktiviert!" in dunst.log(), 10,
                       message="the balloon through dunst")
            self.assertIn("Veltrano V1.01", dunst.log())
            time.sleep(0.5)
            bild_speichern(s, "ballon-dunst.png", (s.xvfb.size[0] - 340, 40, 340, 120))

    def test_ohne_tray(self):
        with Lab(1) as l:
            s = Sitzung(l[1])
            s.starten(["openbox"])
            # The agent's start runs hidden even so; a second start brings the window.
            v = s.veltrano(["/systemstartup"])
            v.wait_ready()
            wait_until(lambda: v.zustand()["tray"] == "1", 10, message="the hidden start")
            self.assertEqual(v.zustand()["sichtbar"], "0")
            self.assertEqual(s.host.run(s._argv([s.programm]), env={**s.env, "QT_QPA_PLATFORM": "offscreen"}
                                        ).returncode, 0)
            self.sichtbar(v, True)
            fenster = s.hauptfenster(v)
            for name, weg in (("Strg+M", ["key", "--clearmodifiers", "ctrl+m"]),
                              ("Minimieren", ["key", "--clearmodifiers", "alt+m"]),
                              ("Fenstermanager", ["windowminimize", fenster])):
                with self.subTest(weg=name):
                    s.x("xdotool", "windowactivate", "--sync", fenster, *weg)
                    wait_until(lambda: "_NET_WM_STATE_HIDDEN" in s.x("xprop", "-id", fenster, "_NET_WM_STATE"), 10,
                               message="the window minimised")
                    time.sleep(0.3)
                    self.assertIn(fenster, s.client_liste())
                    self.assertEqual(v.zustand()["tray"], "0")
                    s.x("xdotool", "windowactivate", "--sync", fenster)
                    wait_until(lambda: "_NET_WM_STATE_HIDDEN" not in s.x("xprop", "-id", fenster, "_NET_WM_STATE"),
                               10, message="the window back")


    def test_sitzungsmanager(self):
        with Lab(2) as l:
            s = Sitzung(l[1])
            praesenz = l[2].start_udp_listener(lab.PRAESENZ_PORT)
            s.starten(["openbox"])
            # xsm's first session starts the clients of ~/.xsmstartup (else twm, smproxy, xterm): none here.
            with open(os.path.join(l[1].folders["home"], ".xsmstartup"), "w") as f:
                f.write("! the test starts the program itself\n")
            # -verbose: xsm prints its address and every message to and from its clients.
            sm = s.starten(["stdbuf", "-oL", "xsm", "-verbose"], stdout_pipe=True)
            ausgabe, rest = [], [b""]

            def zeile(erwartet, frist=15):
                # Raw reads: a buffered readline could hold lines back that select() no longer sees.
                ende = time.monotonic() + frist
                while True:
                    while b"\n" in rest[0]:
                        z, rest[0] = rest[0].split(b"\n", 1)
                        ausgabe.append(z.decode())
                        if erwartet in ausgabe[-1]:
                            return ausgabe[-1]
                    frei = select.select([sm.proc.stdout], [], [], max(0, ende - time.monotonic()))[0]
                    daten = os.read(sm.proc.stdout.fileno(), 4096) if frei else b""
                    if not daten:
                        raise AssertionError(f"xsm did not report {erwartet!r}:\n" + "\n".join(ausgabe) + sm.log())
                    rest[0] += daten

            adresse = zeile("setenv SESSION_MANAGER ").split()[2]
            v = s.veltrano(env={"SESSION_MANAGER": adresse})
            v.wait_ready()
            zeile("REGISTER CLIENT")
            praesenz.wait_for(lambda d: d.text.startswith(f"VTR1|1|{l[1].name}|"), timeout=10)

            # "Checkpoint" (xsm's window above the program's), the session named, save type "Both"
            # chosen after "Local", then the dialog's "Checkpoint": saved, still running.
            s.klick(*mitte(s.xaw("^xsm: ")[1][0]))
            reihen = s.xaw("^Checkpoint$")
            s.x("xdotool", "type", "lab")
            for knopf in (reihen[1][1], reihen[1][3], reihen[3][0]):
                s.klick(*mitte(knopf))
            zeile("sent SAVE YOURSELF [Save Type = Both, Shutdown = False")
            self.assertIn("Success = True", zeile("received SAVE YOURSELF DONE"))
            zeile("sent SAVE COMPLETE")
            time.sleep(1)
            self.assertTrue(v.running())
            self.assertEqual(v.zustand()["sichtbar"], "1")
            self.assertFalse([d for d in praesenz.datagrams if d.text.startswith("VTR1|0|")])

            # "Shutdown", its menu's "With Checkpoint", then the dialog's "Shutdown" (save type Both
            # again): saved, then "Die" ends the program, and its peers see it leave; xsm ends with
            # its last client.
            knopf = s.xaw("^xsm: ")[1][1]
            vorher = set(re.findall(r"0x[0-9a-f]+", s.x("xwininfo", "-root", "-children")))
            s.x("xdotool", "mousemove", *mitte(knopf), "mousedown", 1)

            def menue():
                for fenster in set(re.findall(r"0x[0-9a-f]+", s.x("xwininfo", "-root", "-children"))) - vorher:
                    if "IsViewable" in s.x("xwininfo", "-id", fenster):
                        return s.geometrie(fenster)
            x, y, w, h = wait_until(menue, 10, message="xsm's shutdown menu")
            s.x("xdotool", "mousemove", x + w // 2, y + h // 4, "mouseup", 1)  # the first of its two entries
            s.klick(*mitte(s.xaw("^Shutdown$")[3][0]))
            zeile("sent SAVE YOURSELF [Save Type = Both, Shutdown = True")
            self.assertIn("Success = True", zeile("received SAVE YOURSELF DONE"))
            zeile("sent DIE")
            self.assertEqual(v.wait(10), 0)
            praesenz.wait_for(lambda d: d.text.startswith(f"VTR1|0|{l[1].name}|"), timeout=5)
            self.assertEqual(sm.wait(10), 0)


if __name__ == "__main__":
    lab.e2e_main()
