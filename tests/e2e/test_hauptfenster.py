#!/usr/bin/python3
"""The main window under a real X server: caption, size of the work area, status bar clock."""
import datetime
import os
import re
import time
import unittest

import lab
from lab import Lab, wait_until

WOCHENTAGE = ["Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"]
MONATE = ["Jänner", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
          "November", "Dezember"]
STATUSBAR = re.compile(r"^(%s), ([1-9]|[12][0-9]|3[01])\. (%s) (\d{4}), ([01][0-9]|2[0-3]):([0-5][0-9]) Uhr$"
                       % ("|".join(WOCHENTAGE), "|".join(MONATE)))


def statusbar_text(zeit):
    return (f"{WOCHENTAGE[zeit.weekday()]}, {zeit.day}. {MONATE[zeit.month - 1]} {zeit.year}, "
            f"{zeit.hour:02d}:{zeit.minute:02d} Uhr")


def fenster_geometrie(xvfb, titel):
    """Position and size of the top-level window with this name, as the X server knows it."""
    r = xvfb.host.run(["xwininfo", "-display", xvfb.display, "-name", titel])
    if r.returncode != 0:
        return None
    werte = dict(re.findall(r"^\s*(Absolute upper-left [XY]|Width|Height|Map State):\s*(\S+)", r.stdout, re.M))
    return werte


class Hauptfenster(unittest.TestCase):
    def test_hauptfenster_unter_xvfb(self):
        with Lab(1) as l:
            h = l[1]
            xvfb = h.start_xvfb(size=(1024, 768))
            v = h.start_veltrano(display=xvfb)
            v.wait_ready()
            vorher = datetime.datetime.now()
            z = wait_until(lambda: (lambda z: z if z["sichtbar"] == "1" and z["statusbar"] else None)(v.zustand()),
                           15, message="the shown window with its clock")
            nachher = datetime.datetime.now()

            computername = h.run(["uname", "-n"]).stdout.strip()
            self.assertEqual(computername, h.name)
            self.assertEqual(z["titel"], f"{computername} - {lab.PROGRAMM_TITEL}")

            # Without a window manager the work area is the whole screen.
            z = wait_until(lambda: (lambda z: z if (z["breite"], z["hoehe"]) == ("1024", "768") else None)(
                v.zustand()), 10, message="the window at the work area's size")
            geometrie = wait_until(lambda: fenster_geometrie(xvfb, z["titel"]), 10, message="the X window")
            self.assertEqual(geometrie["Map State"], "IsViewable")
            self.assertEqual((geometrie["Width"], geometrie["Height"]), ("1024", "768"))
            self.assertEqual((geometrie["Absolute upper-left X"], geometrie["Absolute upper-left Y"]), ("0", "0"))

            self.assertRegex(z["statusbar"], STATUSBAR)
            self.assertIn(z["statusbar"], {statusbar_text(vorher), statusbar_text(nachher)})

            ordner = os.environ.get("VELTRANO_SCREENSHOTS")
            if ordner:
                time.sleep(0.5)  # let the first paint finish
                xvfb.screenshot(os.path.join(ordner, "hauptfenster.png"))

    def test_hostliste_bedeckt_fensterflaeche(self):
        with Lab(1) as l:
            xvfb = l[1].start_xvfb(size=(1024, 768))
            v = l[1].start_veltrano(display=xvfb)
            v.wait_ready()
            wait_until(lambda: v.zustand()["sichtbar"] == "1", 15)
            time.sleep(1.0)
            bild = os.path.join(l[1].folders["basis"], "fenster.png")
            xvfb.screenshot(bild)
            # Left margin and the list's frame across the middle row: more than one colour when
            # the list is where it belongs.
            r = l[1].run(["convert", bild, "-crop", "40x1+0+384", "+repage", "txt:-"])
            farben = set(re.findall(r"#[0-9A-Fa-f]{6}", r.stdout))
            self.assertGreater(len(farben), 1, r.stdout)

    def test_titel_mit_eigenem_rechnernamen(self):
        with Lab(2, names=["BUERO-PC", "werkstatt"]) as l:
            for h in l:
                with self.subTest(host=h.name):
                    v = h.start_veltrano()
                    self.assertEqual(v.wait_ready(), f"{h.name} - {lab.PROGRAMM_TITEL}")
                    self.assertEqual(v.zustand()["titel"], f"{h.name} - {lab.PROGRAMM_TITEL}")


class Statusbar(unittest.TestCase):
    """The expected text itself, so a wrong table here cannot hide a wrong program."""

    def test_deutsches_datum(self):
        self.assertEqual(statusbar_text(datetime.datetime(2026, 1, 5, 7, 3)), "Montag, 5. Jänner 2026, 07:03 Uhr")
        self.assertEqual(statusbar_text(datetime.datetime(2025, 3, 30, 23, 59)),
                         "Sonntag, 30. März 2025, 23:59 Uhr")
        self.assertRegex(statusbar_text(datetime.datetime(2025, 3, 30, 23, 59)), STATUSBAR)


if __name__ == "__main__":
    lab.e2e_main()
