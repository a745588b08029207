#!/usr/bin/python3
"""The command line for scripts, in a three-host lab, driven only through `veltrano --...` in
host 1: the list as JSON, shutdown and restart reaching the right host's stand-in once, the
magic packets, a schedule set and read back, and the exit statuses of wrong calls."""
import json
import time
import unittest

import lab
from lab import Lab, wait_until


def aufrufe(host):
    return [[c["programm"]] + c["argv"] for c in host.stand_in_calls()]


def veltrano(host, *args, timeout=30):
    return host.run([lab.VELTRANO] + list(args), timeout=timeout,
                    env={"ASAN_OPTIONS": lab.asan_optionen(), "UBSAN_OPTIONS": "halt_on_error=1"})


class Befehlszeile(unittest.TestCase):
    def test_drei_hosts_nur_ueber_die_befehlszeile(self):
        with Lab(3) as l:
            laeufe = [h.start_veltrano() for h in l]
            for v in laeufe:
                v.wait_ready()

            def liste():
                r = veltrano(l[1], "--liste", "--json")
                self.assertEqual(r.returncode, 0, r.stderr)
                return json.loads(r.stdout)

            wait_until(lambda: sorted((e["geraet"], e["status"], e["sender"]) for e in liste()) ==
                       sorted((h.name, "Online", "Aktiv") for h in l), 20, message="three peers Online and Aktiv")
            eintrag = next(e for e in liste() if e["geraet"] == l[2].name)
            self.assertEqual(set(eintrag), {"geraet", "benutzer", "status", "sender", "ip", "mac"})
            self.assertEqual((eintrag["ip"], eintrag["mac"]), (l[2].ip, l[2].mac))

            # By name in another case, and by address: each reaches its host once, nothing else.
            r = veltrano(l[1], "--herunterfahren", l[2].name.upper())
            self.assertEqual(r.returncode, 0, r.stderr)
            r = veltrano(l[1], "--neustart", l[3].ip)
            self.assertEqual(r.returncode, 0, r.stderr)
            wait_until(lambda: aufrufe(l[2]) and aufrufe(l[3]), 5, message="the stand-ins")
            time.sleep(1.0)
            self.assertEqual(aufrufe(l[2]), [["shutdown", "-P"]])
            self.assertEqual(aufrufe(l[3]), [["shutdown", "-r"]])
            self.assertEqual(aufrufe(l[1]), [])

            # Wake-on-LAN by a MAC in colon spelling: five packets on the one usable adapter.
            roh = l[1].start_udp_listener(lab.BEFEHL_PORT, raw=True)
            r = veltrano(l[1], "--wecken", l[3].mac_colon)
            self.assertEqual(r.returncode, 0, r.stderr)
            magic = lab.magic_packet(l[3].mac)
            roh.wait_for(lambda d: d.payload == magic and d.outgoing, count=5, timeout=5)
            time.sleep(0.5)
            self.assertEqual(len([d for d in roh.datagrams if d.payload == magic and d.outgoing]), 5)

            # A schedule set on host 2 and read back.
            r = veltrano(l[1], "--zeitsteuerung", l[2].name, "--setzen", "2|1|24.12.2030|22:15")
            self.assertEqual(r.returncode, 0, r.stderr)
            r = veltrano(l[1], "--zeitsteuerung", l[2].name)
            self.assertEqual((r.returncode, r.stdout.strip()), (0, "2|1|24.12.2030|22:15"), r.stderr)

            # Wrong calls: an unknown target 1, a wrong option 2; messages on standard error.
            r = veltrano(l[1], "--neustart", "niemand")
            self.assertEqual((r.returncode, r.stdout), (1, ""))
            self.assertIn('"niemand"', r.stderr)
            r = veltrano(l[1], "--abschalten", l[2].name)
            self.assertEqual((r.returncode, r.stdout), (2, ""))
            self.assertIn("--abschalten", r.stderr)
            time.sleep(0.5)
            self.assertEqual(aufrufe(l[3]), [["shutdown", "-r"]], "nothing more reached host 3")

            # Without a running instance: the file's list, status and sender unknown, and the
            # command line sends the command itself.
            self.assertTrue(laeufe[0].send_message(1124))
            laeufe[0].proc.wait(timeout=10)
            r = veltrano(l[1], "--liste")
            zeilen = [z.split("\t") for z in r.stdout.splitlines()]
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertIn([l[2].name, "unbekannt", "unbekannt"], [[z[0], z[2], z[3]] for z in zeilen])
            r = veltrano(l[1], "--neustart", l[3].name)
            self.assertEqual(r.returncode, 0, r.stderr)
            wait_until(lambda: len(aufrufe(l[3])) == 2, 5, message="the second restart")


if __name__ == "__main__":
    lab.e2e_main()
