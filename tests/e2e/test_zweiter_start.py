#!/usr/bin/python3
"""A second start in the same user environment hands over to the running instance and ends."""
import os
import time
import unittest

import lab
from lab import Lab, wait_until


def sichtbar(v):
    return v.zustand()["sichtbar"] == "1"


class ZweiterStart(unittest.TestCase):
    def zweiter_start(self, host):
        anfang = time.monotonic()
        zweite = host.start_veltrano()
        rc = zweite.wait(20)
        return rc, time.monotonic() - anfang, zweite

    def test_zweiter_start_zeigt_versteckte_erste_instanz(self):
        with Lab(2) as l:
            erste = l[1].start_veltrano(args=["/systemstartup"])
            erste.wait_ready()
            wait_until(lambda: erste.zustand()["tray"] == "1", 10, message="the hidden start")
            self.assertEqual(erste.zustand()["sichtbar"], "0")

            rc, dauer, zweite = self.zweiter_start(l[1])
            self.assertEqual(rc, 0, zweite.log())
            self.assertLess(dauer, 5.0)
            wait_until(lambda: sichtbar(erste), 10, message="the first instance to show itself")
            self.assertEqual(erste.zustand()["tray"], "0")
            self.assertTrue(erste.running())

            # Once more while it is shown: the second still ends, the first keeps its socket
            # (a second start must not take it over or remove it).
            rc, dauer, zweite = self.zweiter_start(l[1])
            self.assertEqual(rc, 0, zweite.log())
            self.assertLess(dauer, 5.0)
            self.assertTrue(erste.running())
            self.assertEqual(erste.wait_ready(5), f"{l[1].name} - {lab.PROGRAMM_TITEL}")
            self.assertTrue(sichtbar(erste))

    def test_andere_benutzerumgebung_ist_eigene_instanz(self):
        with Lab(2) as l:
            erste = l[1].start_veltrano()
            self.assertEqual(erste.wait_ready(), f"pc1 - {lab.PROGRAMM_TITEL}")
            andere = l[2].start_veltrano()
            self.assertEqual(andere.wait_ready(), f"pc2 - {lab.PROGRAMM_TITEL}")
            wait_until(lambda: sichtbar(andere), 10)
            time.sleep(1.0)
            self.assertTrue(erste.running() and andere.running())
            self.assertTrue(sichtbar(erste))

    def test_veraltete_sperre_blockiert_nicht(self):
        with Lab(1) as l:
            h = l[1]
            erste = h.start_veltrano()
            erste.wait_ready()
            erste.kill()
            # Both files stay behind after SIGKILL; otherwise this test would prove nothing.
            self.assertTrue(os.path.exists(h.socket_path + ".lock"))
            self.assertTrue(os.path.exists(h.socket_path))

            neu = h.start_veltrano()
            self.assertEqual(neu.wait_ready(), f"pc1 - {lab.PROGRAMM_TITEL}")
            wait_until(lambda: sichtbar(neu), 10)
            time.sleep(0.5)
            self.assertTrue(neu.running(), neu.log())

            # The new instance is the one a further start hands over to.
            rc, _, zweite = self.zweiter_start(h)
            self.assertEqual(rc, 0, zweite.log())
            self.assertTrue(neu.running())


if __name__ == "__main__":
    lab.e2e_main()
