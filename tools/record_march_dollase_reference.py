#!/usr/bin/python3
"""Records March–Dollase reference factors for the texture tests.

For one family of a tetragonal phase (rutile, P 42/m n m) and families of a
hexagonal-axes phase (corundum, R -3 c in its hexagonal setting), the members
of the family are generated with cctbx's space-group tables (the rotation
parts of the group, applied to h as a row vector, h' = h·R, distinct results
kept), the angle α between each member's plane normal and the texture
direction comes from the reciprocal metric tensor (numpy's inverse of the
direct metric), and the factor is the mean over the members of
(r² cos²α + sin²α / r)^(−3/2) (Dollase 1986, J. Appl. Cryst. 19, 267).

Run with Debian's interpreter:  /usr/bin/python3 tools/record_march_dollase_reference.py
It rewrites tests/profile/fixtures/march_dollase.csv.
"""
import math
import os

import numpy as np
from cctbx import sgtbx

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "profile", "fixtures", "march_dollase.csv")

# (example file, space-group symbol for cctbx, cell a b c alpha beta gamma)
CRYSTALS = {
    "rutile.cry": ("P 42/m n m", (4.5937, 4.5937, 2.9587, 90, 90, 90)),
    "corundum.cry": ("R -3 c :H", (4.7589, 4.7589, 12.9910, 90, 90, 120)),
}

# (crystal, family hkl, direction hkl, ratio r)
CASES = [
    ("rutile.cry", (1, 0, 1), (0, 0, 1), 0.7),
    ("rutile.cry", (1, 0, 1), (1, 1, 0), 1.4),
    ("rutile.cry", (2, 1, 1), (1, 1, 0), 0.8),
    ("rutile.cry", (1, 1, 0), (1, 1, 0), 0.6),
    ("corundum.cry", (1, 0, 4), (0, 0, 1), 0.8),
    ("corundum.cry", (1, 1, 3), (0, 0, 1), 1.25),
    ("corundum.cry", (1, 1, 3), (1, 1, 0), 0.75),
    ("corundum.cry", (0, 1, 2), (1, 0, 4), 0.9),
]


def reciprocal_metric(cell):
    a, b, c, alpha, beta, gamma = cell
    ca, cb, cg = (math.cos(math.radians(x)) for x in (alpha, beta, gamma))
    g = np.array([[a * a, a * b * cg, a * c * cb],
                  [a * b * cg, b * b, b * c * ca],
                  [a * c * cb, b * c * ca, c * c]])
    return np.linalg.inv(g)


def members(symbol, hkl):
    group = sgtbx.space_group_info(symbol).group()
    found = set()
    for op in group:
        r = np.array(op.r().as_double()).reshape(3, 3)
        found.add(tuple(int(round(v)) for v in np.array(hkl) @ r))
    return sorted(found)


def factor(metric, family, direction, ratio):
    d = np.array(direction, dtype=float)
    total = 0.0
    for m in family:
        h = np.array(m, dtype=float)
        cosine = (h @ metric @ d) / math.sqrt((h @ metric @ h) * (d @ metric @ d))
        cos2 = min(1.0, cosine * cosine)
        total += (ratio * ratio * cos2 + (1 - cos2) / ratio) ** -1.5
    return total / len(family)


def main():
    lines = ["crystal,h,k,l,dir_h,dir_k,dir_l,ratio,members,factor"]
    for crystal, hkl, direction, ratio in CASES:
        symbol, cell = CRYSTALS[crystal]
        family = members(symbol, hkl)
        value = factor(reciprocal_metric(cell), family, direction, ratio)
        lines.append(",".join([crystal, *map(str, hkl), *map(str, direction), repr(ratio), str(len(family)),
                               "%.12f" % value]))
    with open(OUT, "w", encoding="ascii") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
