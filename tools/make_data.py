#!/usr/bin/python3
"""Writes the space-group data files of the installation into data/.

Run with Debian's interpreter and its python3-gemmi package:

    /usr/bin/python3 tools/make_data.py

Every symbol, Hall symbol and operator comes from gemmi's space-group table
(gemmi.spacegroup_table()), which follows the International Tables for
Crystallography, Vol. A, and the Hall symbols of Hall (1981), Acta Cryst. A37,
517, as tabulated by Grosse-Kunstleve (1999), Acta Cryst. A55, 383.
"""

import os
import sys
from fractions import Fraction

import gemmi

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "data")

# The catalogue's fixed line ranges (first, last), 1-based; line 557 belongs to no system.
RANGES = [
    ("TRIC", 1, 18),
    ("MONO", 19, 178),
    ("ORTH", 179, 370),
    ("TETR", 371, 480),
    ("HEXA", 481, 547),
    ("RHOM", 548, 556),
    ("CUBI", 558, 637),
]
TOTAL_LINES = 637

# Files of standard symbols, one per system.
POS_FILES = [
    ("CUBI", "C.pos"),
    ("TETR", "Q.POS"),
    ("ORTH", "O.pos"),
    ("HEXA", "H.pos"),
    ("RHOM", "R.pos"),
    ("MONO", "M.pos"),
    ("TRIC", "T.pos"),
]

# Orthorhombic alternative settings by how often they are met: the axis
# permutations of the International Tables, Vol. A, Table 4.3.2.1, in the order
# ba-c (a and b exchanged, the most frequent: P b n 21, P b c 21), then the cyclic
# cab and bca, then -cba and a-cb.
ORTHO_QUALIFIER_RANK = {"ba-c": 0, "cab": 1, "bca": 2, "-cba": 3, "a-cb": 4}

ROTATION_TEXTS = {
    (1, 0, 0): "X", (0, 1, 0): "Y", (0, 0, 1): "Z",
    (-1, 0, 0): "-X", (0, -1, 0): "-Y", (0, 0, -1): "-Z",
    (1, -1, 0): "X-Y", (-1, 1, 0): "-X+Y",
}
TRANSLATION_TEXTS = {
    Fraction(0): "", Fraction(1, 2): "+1/2", Fraction(1, 3): "+1/3",
    Fraction(2, 3): "+2/3", Fraction(1, 4): "+1/4", Fraction(3, 4): "+3/4",
    Fraction(1, 6): "+1/6", Fraction(5, 6): "+5/6",
}
CENTRING = {
    "P": [], "I": [(12, 12, 12)], "A": [(0, 12, 12)], "B": [(12, 0, 12)], "C": [(12, 12, 0)],
    "F": [(0, 12, 12), (12, 0, 12), (12, 12, 0)],
}
RHOMBOHEDRAL = [(8, 16, 16), (16, 8, 8)]  # (1/3, 2/3, 2/3), (2/3, 1/3, 1/3) in 24ths


def system_code(sg):
    """The program's system code of a table entry; trigonal groups are hexagonal
    except the rhombohedral-axes settings."""
    if sg.ext == "R":
        return "RHOM"
    return {
        "triclinic": "TRIC", "monoclinic": "MONO", "orthorhombic": "ORTH",
        "tetragonal": "TETR", "trigonal": "HEXA", "hexagonal": "HEXA", "cubic": "CUBI",
    }[sg.crystal_system_str()]


def is_standard(sg):
    """The standard setting, with both origin choices where the Tables give two,
    and the rhombohedral axes of the R groups."""
    if sg.is_reference_setting():
        return True
    reference = gemmi.find_spacegroup_by_number(sg.number)
    return sg.ext in ("1", "R") and sg.hm == reference.hm


def centring_of(symbol, code):
    """Centring translations as the program derives them from the symbol's first letter."""
    letter = symbol.lstrip("-")[0].upper()
    if code == "HEXA":
        return RHOMBOHEDRAL if letter == "R" else []
    return CENTRING.get(letter, [])


def check_centring(sg, code):
    expected = sorted(tuple(t % 24 for t in c) for c in sg.operations().cen_ops if any(c))
    derived = sorted(centring_of(sg.xhm(), code))
    if expected != derived:
        sys.exit(f"centring of {sg.xhm()} cannot be told from its first letter")


def catalogue_entries():
    """spgr2.dat's settings, grouped by system in the table's order."""
    by_system = {code: [] for code, _, _ in RANGES}
    for sg in gemmi.spacegroup_table():
        by_system[system_code(sg)].append(sg)
    ortho = by_system["ORTH"]
    standard = [sg for sg in ortho if is_standard(sg)]
    others = [sg for sg in ortho if not is_standard(sg)]
    others.sort(key=lambda sg: (sg.ccp4 == 0, ORTHO_QUALIFIER_RANK.get(sg.qualifier, 9), sg.number))
    by_system["ORTH"] = standard + others
    return by_system


def write_catalogue(by_system):
    lines = [""] * TOTAL_LINES
    seen = set()
    for code, first, last in RANGES:
        room = last - first + 1
        for i, sg in enumerate(by_system[code][:room]):
            hm, hall = sg.xhm(), sg.hall.strip()
            assert len(hm) <= 12 and len(hall) <= 20 and hm not in seen, hm
            seen.add(hm)
            check_centring(sg, code)
            lines[first - 1 + i] = f"{'':5}{hm:<12}{'':9}{hall:<20}{sg.number:>3}"
    write("spgr2.dat", lines)
    return seen


def proper(op):
    r = op.rot
    det = (r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1])
           - r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0])
           + r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]))
    return det > 0


def inversion_at_origin(ops):
    return any(op.triplet() == "-x,-y,-z" for op in ops.sym_ops)


def component_text(row, tran):
    rotation = tuple(v // 24 for v in row)
    return ROTATION_TEXTS[rotation] + TRANSLATION_TEXTS[Fraction(tran % 24, 24)]


def position_text(op):
    return ",".join(component_text(op.rot[i], op.tran[i]) for i in range(3))


def write_pos_files(by_system):
    standard = []
    for code, name in POS_FILES:
        lines = []
        for sg in by_system[code]:
            if not is_standard(sg):
                continue
            ops = sg.operations()
            centric = inversion_at_origin(ops)
            listed = [op for op in ops.sym_ops if proper(op)] if centric else list(ops.sym_ops)
            lines += ["", sg.xhm(), "1" if centric else "0", str(len(listed))]
            lines += [position_text(op) for op in listed]
            lines += ["2", f"Hall symbol {sg.hall.strip()}", f"Space group number {sg.number}"]
            standard.append((code, sg))
        write(name, lines)
    return standard


def compact_symbol(sg):
    """The symbol as usually typed: no blanks, monoclinic unique axis b shortened (P21/c)."""
    hm = sg.hm
    parts = hm.split(" ")
    if len(parts) == 4 and parts[1] == "1" and parts[3] == "1":
        hm = parts[0] + parts[2]
    return hm.replace(" ", "")


def write_number_list():
    lines = []
    for number in range(1, 231):
        sg = gemmi.find_spacegroup_by_number(number)
        symbol = compact_symbol(sg).upper()
        assert len(symbol) <= 9
        lines.append(f"{number:3d} {symbol}")
    write("csp.lst", lines)


def number_text(value):
    if value == int(value):
        return f"{int(value):3d}"
    return f" {float(value):.10f}"


def write_operator_catalogue(by_system, standard):
    lines = []
    for code, _, _ in RANGES:
        lines.append(code)
        entries = [sg for c, sg in standard if c == code]
        entries += [sg for sg in by_system[code] if not is_standard(sg)]
        for sg in entries:
            ops = list(sg.operations().sym_ops)
            lines.append(f" {sg.xhm():<12}{len(ops):>4}")
            for op in ops:
                numbers = []
                for i in range(3):
                    numbers += [v // 24 for v in op.rot[i]] + [Fraction(op.tran[i] % 24, 24)]
                lines.append(" " + "".join(number_text(v) for v in numbers))
    write("spgr.peq", lines)


def write(name, lines):
    with open(os.path.join(DATA, name), "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


def main():
    by_system = catalogue_entries()
    write_catalogue(by_system)
    standard = write_pos_files(by_system)
    write_number_list()
    write_operator_catalogue(by_system, standard)
    # The anomalous-dispersion and absorption tables and the built-in
    # scattering tables come from their own generator (cctbx and xraylib).
    import subprocess
    import sys
    from pathlib import Path
    subprocess.run([sys.executable, str(Path(__file__).with_name("make_scattering_data.py"))], check=True)


if __name__ == "__main__":
    main()
