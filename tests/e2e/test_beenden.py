#!/usr/bin/python3
"""The end of the session (signals) and the close messages end the program without a question."""
import os
import signal
import time
import unittest

import lab
from lab import Lab, wait_until


class Beenden(unittest.TestCase):
    def gestartet(self, host, args=()):
        v = host.start_veltrano(args=list(args))
        v.wait_ready()
        # Shown window: a close that asked would wait for an answer that never comes.
        wait_until(lambda: v.zustand()["statusbar"] != "", 10, message="the first tick")
        return v

    def pruefe_ende(self, v, frist=5.0):
        anfang = time.monotonic()
        rc = v.wait(frist + 5)
        self.assertLess(time.monotonic() - anfang, frist, "the program took too long to end")
        self.assertEqual(rc, 0, v.log())

    def test_signale_beenden_ohne_frage(self):
        with Lab(1) as l:
            for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
                for args in ((), ("/systemstartup",)):
                    with self.subTest(signal=sig.name, args=args):
                        v = self.gestartet(l[1], args)
                        v.signal(sig)
                        self.pruefe_ende(v)

    def test_schliessnachrichten_beenden_ohne_frage(self):
        with Lab(1) as l:
            for nachricht in (lab.NACHRICHT_SCHLIESSEN, lab.NACHRICHT_SCHLIESSEN2):
                with self.subTest(nachricht=nachricht):
                    v = self.gestartet(l[1])
                    self.assertTrue(v.send_message(nachricht))
                    self.pruefe_ende(v)

    def test_ordentliches_ende_gibt_sperre_frei(self):
        with Lab(1) as l:
            v = self.gestartet(l[1])
            self.assertEqual(v.stop(), 0)
            self.assertFalse(os.path.exists(l[1].socket_path + ".lock"))
            self.assertFalse(os.path.exists(l[1].socket_path))

    def test_neustart_nach_ende(self):
        with Lab(1) as l:
            v = self.gestartet(l[1])
            v.stop()
            neu = self.gestartet(l[1])
            self.assertTrue(neu.running())


if __name__ == "__main__":
    lab.e2e_main()
