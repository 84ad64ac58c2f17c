"""The Python module against calvane-sim on the same files, its errors and its threads.

Run by CTest with /usr/bin/python3: PYTHONPATH holds the build's python/
folder and CALVANE_SIM names calvane-sim.
"""
import concurrent.futures
import csv
import os
import pathlib
import subprocess
import tempfile
import unittest

import numpy as np

import calvane

SOURCE = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = sorted((SOURCE / "examples").glob("*.cry"))
SIM = os.environ["CALVANE_SIM"]

# Each case: keyword arguments of simulate and the calvane-sim options that mean the same.
CASES = [
    ({}, ["--lambda", "1.5406", "--range", "10", "90"]),
    ({"wavelength": "MoKa1", "two_theta": (5, 60), "uvw": (0.01, -0.01, 0.05), "size": 300, "strain": 2},
     ["--line", "MoKa1", "--range", "5", "60", "--uvw", "0.01", "-0.01", "0.05", "--size", "300",
      "--strain", "2"]),
    ({"wavelength": [(1.54056, 100), (1.54439, 50)], "anomalous": False, "points": 800},
     ["--spectrum", "1.54056:100,1.54439:50", "--range", "10", "90", "--no-anomalous", "--points", "800"]),
    ({"radiation": "neutron", "wavelength": 1.594}, ["--neutrons", "--lambda", "1.594", "--range", "10", "90"]),
    ({"radiation": "synchrotron", "polarisation": 0.95, "wavelength": 0.8},
     ["--synchrotron", "0.95", "--lambda", "0.8", "--range", "10", "90"]),
]


def sim(*arguments):
    return subprocess.run([SIM, *map(str, arguments)], capture_output=True, text=True, check=True)


class AgreesWithTheCommandLine(unittest.TestCase):
    def test_reflections_and_profile_of_every_example_under_every_case(self):
        with tempfile.TemporaryDirectory() as scratch:
            for number, (keywords, options) in enumerate(CASES):
                out = pathlib.Path(scratch) / str(number)
                sim("--batch", SOURCE / "examples", "--out", out, "--profile-xy", *options)
                for example in EXAMPLES:
                    with self.subTest(case=number, file=example.name):
                        self.assert_same(calvane.simulate(example, **keywords), out / (example.stem + ".csv"),
                                         out / (example.stem + ".xy"))

    def assert_same(self, result, table, profile):
        with open(table, newline="") as f:
            rows = list(csv.DictReader(f))
        self.assertEqual(len(rows), len(result["h"]))
        for name, key in [("h", "h"), ("k", "k"), ("l", "l"), ("multiplicity", "mult")]:
            np.testing.assert_array_equal(result[name], [int(r[key]) for r in rows], err_msg=name)
        for name, key, decimals in [("d", "d", 5), ("two_theta", "two_theta", 4), ("intensity", "intensity", 6),
                                    ("wavelength", "lambda", 5), ("k_intensity", "k_intensity", 4)]:
            np.testing.assert_allclose(result[name], [float(r[key]) for r in rows], rtol=0,
                                       atol=0.6 * 10 ** -decimals, err_msg=name)
        x, y = np.loadtxt(profile, unpack=True)
        np.testing.assert_allclose(result["x"], x, atol=0.6e-4)
        np.testing.assert_allclose(result["y"], y, atol=0.6e-4)


class RaisesTheProgramsMessage(unittest.TestCase):
    def test_each_refusal(self):
        with tempfile.TemporaryDirectory() as scratch:
            bad_cell = pathlib.Path(scratch) / "bad.cry"
            bad_cell.write_text("Bad\nCUBI\nF m -3 m\n   0.0  5.6  5.6  90.0  90.0  90.0\nNa  1  0 0 0  1.0  1.0\n")
            cases = [
                (lambda: calvane.read_crystal(pathlib.Path(scratch) / "none.cry"), "Cannot open the file"),
                (lambda: calvane.simulate(bad_cell), "cell"),
                (lambda: calvane.simulate(EXAMPLES[0], wavelength="CuKa9"), 'wavelength: unknown line "CuKa9"'),
                (lambda: calvane.simulate(EXAMPLES[0], radiation="electron"), '"electron" is none of'),
                (lambda: calvane.simulate(EXAMPLES[0], two_theta=(50, 10)), "two_theta: HIGH must exceed LOW"),
                (lambda: calvane.simulate(EXAMPLES[0], points=5000), "points must be a whole number"),
            ]
            for call, message in cases:
                with self.subTest(message=message):
                    with self.assertRaises(calvane.CalvaneError) as raised:
                        call()
                    self.assertIn(message, str(raised.exception))


class ReadsCrystals(unittest.TestCase):
    CIF = ("data_{0}\n_cell_length_a {1}\n_cell_length_b {1}\n_cell_length_c {1}\n_cell_angle_alpha 90\n"
           "_cell_angle_beta 90\n_cell_angle_gamma 90\n_symmetry_space_group_name_H-M 'F m -3 m'\nloop_\n"
           "_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n_atom_site_fract_z\n"
           "Na1 Na 0 0 0\nCl1 Cl 0.5 0.5 0.5\n")

    def test_structure_and_blocks_by_number_or_name(self):
        with tempfile.TemporaryDirectory() as scratch:
            cif = pathlib.Path(scratch) / "two.cif"
            cif.write_text(self.CIF.format("small", 5.0) + self.CIF.format("large", 6.0))
            with self.assertRaises(calvane.CalvaneError) as raised:
                calvane.read_crystal(cif)
            self.assertIn("2 data blocks", str(raised.exception))
            self.assertEqual(calvane.read_crystal(cif, block=2).cell, (6.0, 6.0, 6.0, 90.0, 90.0, 90.0))
            crystal = calvane.read_crystal(cif, block="small")
            self.assertEqual(crystal.cell[0], 5.0)
            self.assertEqual((crystal.space_group, crystal.symmetry["lattice"]), ("F m -3 m", "F"))
            self.assertEqual([a["name"] for a in crystal.atoms], ["Na1", "Cl1"])
            self.assertTrue(any("B = 1.0 A^2 assumed" in w for w in crystal.warnings))
            with self.assertRaises(calvane.CalvaneError):
                calvane.read_crystal(cif, block="medium")


class Conventions(unittest.TestCase):
    def test_match_the_command_lines_file(self):
        with tempfile.TemporaryDirectory() as scratch:
            json_file = pathlib.Path(scratch) / "c.json"
            sim(EXAMPLES[0], "--neutrons", "--range", "10", "90", "--conventions", json_file)
            import json
            from_cli = json.loads(json_file.read_text())
        from_python = calvane.simulate(EXAMPLES[0], radiation="neutron")["conventions"]
        self.assertEqual(from_python, from_cli)
        self.assertIn("Sears", from_python["neutron_scattering_lengths"])


class Threads(unittest.TestCase):
    def test_calls_at_once_give_the_results_of_calls_in_turn(self):
        work = [(example, keywords) for example in EXAMPLES for keywords, _ in CASES] * 3
        alone = [calvane.simulate(e, **k)["k_intensity"] for e, k in work]
        with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
            together = list(pool.map(lambda item: calvane.simulate(item[0], **item[1])["k_intensity"], work))
        for a, b in zip(alone, together):
            np.testing.assert_array_equal(a, b)


if __name__ == "__main__":
    unittest.main()
