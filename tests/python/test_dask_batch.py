"""examples/dask_batch.py on a local cluster of two workers over the examples.

Run by CTest with /usr/bin/python3; PYTHONPATH holds the build's python/ folder.
"""
import csv
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

import calvane

SOURCE = pathlib.Path(__file__).resolve().parents[2]


class DaskBatch(unittest.TestCase):
    def test_tables_of_every_partition_and_the_summary(self):
        with tempfile.TemporaryDirectory() as scratch:
            inputs = pathlib.Path(scratch) / "in"
            shutil.copytree(SOURCE / "examples", inputs, ignore=shutil.ignore_patterns("*.py"))
            (inputs / "broken.cry").write_text("Broken\nCUBI\nF m -3 m\n 0.0 5.6 5.6 90 90 90\nNa 1 0 0 0 1 1\n")
            out = pathlib.Path(scratch) / "out"
            run = subprocess.run([sys.executable, str(SOURCE / "examples" / "dask_batch.py"), str(inputs), str(out),
                                  "--workers", "2", "--partitions", "2", "--wavelength", "CuKa1"],
                                 capture_output=True, text=True, timeout=120)
            self.assertEqual(run.returncode, 1, run.stderr)  # the broken file is recorded, the rest computed
            with open(out / "summary.csv", newline="") as f:
                summary = {pathlib.Path(row["file"]).name: row for row in csv.DictReader(f)}
            self.assertEqual(sorted(summary), ["broken.cry", "corundum.cry", "nacl.cry", "rutile.cry", "silicon.cry"])
            self.assertEqual(summary["broken.cry"]["status"], "refused")
            self.assertIn("cell", summary["broken.cry"]["message"])
            tables = sorted(out.glob("part-*.csv"))
            self.assertEqual(len(tables), 2)
            rows = []
            for table in tables:
                with open(table, newline="") as f:
                    rows += list(csv.DictReader(f))
            # Every reflection of every file, as the module computes it in this process.
            for name in ["corundum.cry", "nacl.cry", "rutile.cry", "silicon.cry"]:
                expected = calvane.simulate(inputs / name, wavelength="CuKa1")
                got = [r for r in rows if pathlib.Path(r["file"]).name == name]
                self.assertEqual(int(summary[name]["reflections"]), len(expected["h"]))
                self.assertEqual([float(r["two_theta"]) for r in got],
                                 [round(float(t), 4) for t in expected["two_theta"]], name)


if __name__ == "__main__":
    unittest.main()
