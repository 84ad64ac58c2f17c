#!/usr/bin/python3
"""Writes the measured two-phase pattern the command-line fit test reads.

calvane-sim computes rutile (40 wt %) and corundum (60 wt %) from the
examples at Cu Kα1 over 15–90° 2θ in steps of 0.05°, with a zero shift of
0.03°, a sample displacement of 60 µm and a March–Dollase texture of rutile
along (1 1 0) with r = 0.85 (its --pattern output, highest point 10 000).
This script puts it over a sloping background of 250 to 150 counts and
draws Poisson counts with a fixed seed, so the file never changes.

Run from the repository after a build:
    /usr/bin/python3 tools/make_fit_fixture.py [path/to/calvane-sim]
It rewrites tests/cli/fixtures/rutile_corundum.xy.
"""
import os
import subprocess
import sys
import tempfile

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..")
OUT = os.path.join(ROOT, "tests", "cli", "fixtures", "rutile_corundum.xy")


def main():
    sim = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "program", "calvane-sim")
    with tempfile.TemporaryDirectory() as scratch:
        pattern = os.path.join(scratch, "pattern.csv")
        subprocess.run([sim, os.path.join(ROOT, "examples", "rutile.cry"), os.path.join(ROOT, "examples", "corundum.cry"),
                        "--percent", "40,60", "--range", "15", "90", "--points", "1501", "--uvw", "0.01", "0", "0.03",
                        "--zero", "0.03", "--displacement", "60", "--po", "1:1:1:0:0.85", "--pattern", pattern],
                       check=True)
        data = np.loadtxt(pattern, delimiter=",", skiprows=1)
    two_theta, intensity = data[:, 0], data[:, 1]
    background = 250 - 100 * (two_theta - 15) / 75
    counts = np.random.default_rng(20261207).poisson(intensity + background)
    with open(OUT, "w", encoding="ascii") as out:
        out.write("# rutile 40 wt% + corundum 60 wt%, Cu Ka1, zero 0.03 deg, displacement 60 um, rutile r(110) 0.85\n")
        for x, y in zip(two_theta, counts):
            out.write("%.4f %d\n" % (x, y))


if __name__ == "__main__":
    main()
