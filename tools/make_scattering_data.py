#!/usr/bin/python3
"""Generates the scattering data of Calvane from Debian's python3-cctbx,
python3-gemmi and python3-xraylib.

Writes, relative to the repository root:
  data/Brcow.an    anomalous scattering factors f', f'' (xraylib Fi, Fii)
  data/Sasaki.an   anomalous scattering factors f', f'' (cctbx Sasaki tables)
  data/muro.dat    mass absorption coefficients mu/rho in cm^2/g (xraylib CS_Total)
  src/crystallography/tables/scattering_tables.hpp
  src/crystallography/tables/form_factor_table.cpp
  src/crystallography/tables/atomic_weight_table.cpp
  src/crystallography/tables/neutron_length_table.cpp

Run with /usr/bin/python3 from anywhere: python3 tools/make_scattering_data.py [repository root]
The output is deterministic, so a rerun leaves git clean.
"""

import math
import os
import struct
import sys

import gemmi
import xraylib
from cctbx.eltbx import neutron, sasaki, tiny_pse, xray_scattering

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))

# hc in eV*Angstrom (CODATA 2018), used to turn wavelengths into energies.
HC_EV_ANGSTROM = 12398.419843

# ---------------------------------------------------------------------------
# Form factors: the 213 species of the International Tables, Vol. C (1992),
# Table 6.1.1.4, as cctbx's "it1992" table holds them, in that table's order.
# A few of cctbx's labels are spelled differently in the program.
# ---------------------------------------------------------------------------
FORM_FACTOR_RENAMES = {"Hiso": "H.", "Cval": "C.", "Sival": "Si.", "O2-": "O2-.", "Ru4+": "Ru+4"}

# The program's reference coefficients for these two species (a1..a4, c, b1..b4);
# they agree with cctbx to the printed digits and are kept exactly.
FORM_FACTOR_REFERENCE = {
    "H": (0.493, 0.32291, 0.14019, 0.04081, 0.00304, 10.5109, 26.1257, 3.14236, 57.7997),
    "Fe": (11.7695, 7.3573, 3.5222, 2.3045, 1.0369, 4.7611, 0.3072, 15.3535, 76.8805),
}


def six_digits(value):
    """A float literal with at most six significant digits."""
    text = "%.6g" % value
    if "e" in text or "E" in text:
        text = "%.6e" % float(text)
    elif "." not in text:
        text += ".0"
    return text


def form_factor_rows():
    rows = []
    for entry in xray_scattering.it1992_iterator():
        label = entry.label()
        gaussians = entry.fetch()
        coefficients = list(gaussians.array_of_a()) + [gaussians.c()] + list(gaussians.array_of_b())
        name = FORM_FACTOR_RENAMES.get(label, label)
        if name in FORM_FACTOR_REFERENCE:
            reference = FORM_FACTOR_REFERENCE[name]
            for mine, theirs in zip(reference, coefficients):
                assert abs(mine - theirs) <= 2e-3 * abs(theirs) + 1e-5, (name, mine, theirs)
            coefficients = reference
        rows.append((name, coefficients))
    assert len(rows) == 213, len(rows)
    return rows


# ---------------------------------------------------------------------------
# Atomic weights: 103 elements in the program's order.
# ---------------------------------------------------------------------------
WEIGHT_ORDER = (
    "H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc Ti V Cr Mn Fe Co Ni Cu Zn Ga Ge As Se Br Kr "
    "Rb Sr Y Zr Nb Mo Tc Ru Rh Pd Ag Cd In Sn Sb Te I Xe Cs Ba La Hf Ta W Re Os Ir Pt Au Hg Tl Pb Bi Po "
    "At Rn Fr Ra Ac Ce Pr Nd Pm Sm Eu Gd Tb Dy Ho Er Tm Yb Lu Th Pa U Np Pu Am Cm Bk Cf Es Fm Md No Lr"
).split()
WEIGHT_REFERENCE = {"H": 1.00794, "C": 12.011, "O": 15.9994, "Si": 28.0855, "Fe": 55.847,
                    "Cu": 63.546, "U": 238.0289, "Lr": 260.0}


def atomic_weight_rows():
    rows = []
    for symbol in WEIGHT_ORDER:
        if symbol in WEIGHT_REFERENCE:
            rows.append((symbol, WEIGHT_REFERENCE[symbol]))
            continue
        else:
            try:
                weight = tiny_pse.table(symbol, True).weight()
            except (RuntimeError, ValueError):
                weight = gemmi.Element(symbol).weight
        # cctbx holds 32-bit floats: six digits drop the float noise.
        rows.append((symbol, float("%.6g" % weight)))
    assert len(rows) == 103, len(rows)
    return rows


# ---------------------------------------------------------------------------
# Neutron coherent scattering lengths, Sears (1992), Neutron News 3(3), 26-37,
# in units of 1e-12 cm (the tables give fm = 1e-13 cm).
# ---------------------------------------------------------------------------
NEUTRON_ORDER = (
    "LI BE B C N O F NE NA MG AL SI P S CL AR K CA SC TI V CR MN FE CO NI CU ZN GA GE AS SE BR KR RB SR "
    "Y ZR NB MO TC RU RH PD AG CD IN SN SB TE I XE CS BA LA CE PR ND PM SM EU GD TB DY HO ER TM YB LU HF "
    "TA W RE OS IR PT AU HG TL PB BI PO AT RN FR RA AC TH PA U NP PU AM CM BK CF H D. LI. NI. NI.. CU."
).split()
# The program's reference values (1e-12 cm).
NEUTRON_REFERENCE = {"LI": -0.203, "BE": 0.78, "C": 0.665, "O": 0.58, "NI": 1.03, "H": -0.374, "D.": 0.667}
# Isotopes, Sears (1992) in fm: 7Li, 58Ni, 62Ni (the negative isotope used for
# null-scattering alloys) and 63Cu.
NEUTRON_ISOTOPES_FM = {"LI.": -2.22, "NI.": 14.4, "NI..": -8.7, "CU.": 6.43}


def neutron_length_fm(symbol):
    """Real part of the bound coherent length in fm: gemmi's neutron92, then cctbx;
    0 where the table gives none (Po, At, Rn, Fr, Ac, Bk, Cf, and Pu of no fixed isotope mix)."""
    try:
        value = gemmi.Element(symbol).neutron92.get_coefs()[0]
        if value != 0.0:
            return value
    except (RuntimeError, ValueError, AttributeError, IndexError):
        pass
    try:
        return neutron.neutron_news_1992_table(symbol, True).bound_coh_scatt_length().real
    except (RuntimeError, ValueError):
        return 0.0


def neutron_rows():
    rows = []
    for name in NEUTRON_ORDER:
        if name in NEUTRON_REFERENCE:
            value = NEUTRON_REFERENCE[name]
        elif name in NEUTRON_ISOTOPES_FM:
            value = NEUTRON_ISOTOPES_FM[name] / 10.0
        else:
            value = neutron_length_fm(name.capitalize()) / 10.0
        rows.append((name, float("%.5g" % value)))
    assert len(rows) == 102, len(rows)
    return rows


# ---------------------------------------------------------------------------
# Anomalous dispersion: energy grid from 3 to 100 keV, log-spaced, refined
# on both sides of every absorption edge of the element in that range.
# ---------------------------------------------------------------------------
GRID_LOW_EV, GRID_HIGH_EV, GRID_POINTS = 3000.0, 100000.0, 110
EDGE_OFFSETS = (-0.03, -0.01, -0.003, -0.001, -0.0002, 0.0002, 0.001, 0.003, 0.01, 0.03)
EDGE_SHELLS = ("K_SHELL", "L1_SHELL", "L2_SHELL", "L3_SHELL",
               "M1_SHELL", "M2_SHELL", "M3_SHELL", "M4_SHELL", "M5_SHELL")


def energy_grid(z, low=GRID_LOW_EV, high=GRID_HIGH_EV):
    ratio = (high / low) ** (1.0 / (GRID_POINTS - 1))
    energies = {round(low * ratio ** i, 1) for i in range(GRID_POINTS)}
    for shell in EDGE_SHELLS:
        try:
            edge = xraylib.EdgeEnergy(z, getattr(xraylib, shell)) * 1000.0
        except ValueError:
            continue
        if edge <= 0:
            continue
        for offset in EDGE_OFFSETS:
            energy = round(edge * (1.0 + offset), 1)
            if low <= energy <= high:
                energies.add(energy)
    # Distinct and ascending also once rounded to 32-bit floats.
    result = []
    for energy in sorted(energies):
        single = struct.unpack("<f", struct.pack("<f", energy))[0]
        if not result or single > result[-1]:
            result.append(single)
    return result


def block(symbol, points):
    out = bytearray(symbol.ljust(2)[:2].encode("ascii"))
    out += struct.pack("<i", len(points))
    for energy, f1, f2 in points:
        out += struct.pack("<fff", energy, f1, f2)
    return bytes(out)


def brennan_cowan_file():
    out = bytearray()
    for z in range(1, 99):
        symbol = xraylib.AtomicNumberToSymbol(z)
        points = []
        for energy in energy_grid(z):
            kev = energy / 1000.0
            # xraylib's Fii is negative by its sign convention; f'' is positive.
            points.append((energy, xraylib.Fi(z, kev), -xraylib.Fii(z, kev)))
        out += block(symbol, points)
    return bytes(out)


def sasaki_file():
    # cctbx's Sasaki (1989) tables cover 0.1 to 2.89 Angstrom.
    low, high = HC_EV_ANGSTROM / 2.89, HC_EV_ANGSTROM / 0.1
    out = bytearray()
    for table in sasaki.table_iterator():
        symbol = table.label()
        points = []
        for energy in energy_grid(table.atomic_number(), low, min(high, GRID_HIGH_EV)):
            value = table.at_ev(energy)
            if value.is_valid():
                points.append((energy, value.fp(), value.fdp()))
        out += block(symbol, points)
    return bytes(out)


# ---------------------------------------------------------------------------
# Mass absorption: every wavelength of the program's line list and the default
# 1.5406, plus a few synchrotron and Ag wavelengths, at most 30 per element.
# ---------------------------------------------------------------------------
LINE_WAVELENGTHS = (0.7093, 0.71359, 0.7107, 0.63229, 1.54056, 1.54439, 1.5418, 1.39222,
                    1.78897, 1.79285, 1.7902, 1.62079, 1.93604, 1.93339, 1.9373, 1.75661,
                    2.2897, 2.29361, 2.2909, 2.08487)
EXTRA_WAVELENGTHS = (0.2, 0.3, 0.4, 0.5, 0.5594, 1.0, 1.2, 1.5406, 2.5)


def muro_file():
    wavelengths = sorted(set(LINE_WAVELENGTHS + EXTRA_WAVELENGTHS))
    assert len(wavelengths) <= 30
    lines = []
    for z in range(1, 99):
        symbol = xraylib.AtomicNumberToSymbol(z)
        for wavelength in wavelengths:
            mu = xraylib.CS_Total(z, HC_EV_ANGSTROM / wavelength / 1000.0)
            lines.append("%-2s %8.5f %12.5g" % (symbol, wavelength, mu))
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------------------
# C++ sources.
# ---------------------------------------------------------------------------
GENERATED = "// Generated by tools/make_scattering_data.py; do not edit.\n"

HEADER = GENERATED + """// The built-in scattering tables: X-ray form factors, atomic weights and
// neutron scattering lengths.
#pragma once

#include <array>
#include <string_view>

namespace calvane {

/// Nine-coefficient form factor f0(s) = c + sum a_i exp(-b_i s^2), s = sin(theta)/lambda
/// (International Tables for Crystallography, Vol. C, 1992, Table 6.1.1.4).
struct FormFactorCoefficients {
  std::string_view name;  // species, at most 4 characters ("Fe", "Fe3+", "H.")
  std::array<double, 4> a;
  double c;
  std::array<double, 4> b;
};

struct AtomicWeight {
  std::string_view symbol;  // element, 1 or 2 characters
  double weight;            // g/mol
};

struct NeutronLength {
  std::string_view name;  // capitals; names with points are isotopes ("D.", "LI.", "NI.", "NI..", "CU.")
  double length;          // bound coherent scattering length, 1e-12 cm
};

extern const std::array<FormFactorCoefficients, 213> kFormFactorTable;
extern const std::array<AtomicWeight, 103> kAtomicWeightTable;
extern const std::array<NeutronLength, 102> kNeutronLengthTable;

}  // namespace calvane
"""


def cpp_file(comment, declaration, rows):
    return (GENERATED + comment + '#include "crystallography/tables/scattering_tables.hpp"\n\nnamespace calvane {\n\n'
            + "// clang-format off\n" + declaration + " = {{\n" + "".join(rows) + "}};\n// clang-format on\n\n"
            + "}  // namespace calvane\n")


def form_factor_cpp():
    rows = []
    for name, k in form_factor_rows():
        a = ", ".join(six_digits(v) for v in k[0:4])
        b = ", ".join(six_digits(v) for v in k[5:9])
        rows.append('    {"%s", {%s}, %s, {%s}},\n' % (name, a, six_digits(k[4]), b))
    return cpp_file("// International Tables for Crystallography, Vol. C (1992), Table 6.1.1.4, through\n"
                    "// cctbx.eltbx.xray_scattering (it1992), six significant digits.\n\n",
                    "const std::array<FormFactorCoefficients, 213> kFormFactorTable", rows)


def atomic_weight_cpp():
    rows = ['    {"%s", %s},\n' % (s, repr(w)) for s, w in atomic_weight_rows()]
    return cpp_file("// Standard atomic weights (cctbx.eltbx.tiny_pse, gemmi); radioactive elements\n"
                    "// carry the mass number of their longest-lived isotope.\n\n",
                    "const std::array<AtomicWeight, 103> kAtomicWeightTable", rows)


def neutron_length_cpp():
    rows = ['    {"%s", %s},\n' % (n, repr(v)) for n, v in neutron_rows()]
    return cpp_file("// V. F. Sears (1992), Neutron News 3(3), 26-37, through gemmi (neutron92) and\n"
                    "// cctbx.eltbx.neutron; 0 where no value is known.\n\n",
                    "const std::array<NeutronLength, 102> kNeutronLengthTable", rows)


def write(relative, content):
    path = os.path.join(ROOT, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "wb" if isinstance(content, bytes) else "w"
    with open(path, mode) as out:
        out.write(content)
    print("wrote %s (%d bytes)" % (relative, len(content)))


def main():
    write("data/Brcow.an", brennan_cowan_file())
    write("data/Sasaki.an", sasaki_file())
    write("data/muro.dat", muro_file())
    tables = "src/crystallography/tables/"
    write(tables + "scattering_tables.hpp", HEADER)
    write(tables + "form_factor_table.cpp", form_factor_cpp())
    write(tables + "atomic_weight_table.cpp", atomic_weight_cpp())
    write(tables + "neutron_length_table.cpp", neutron_length_cpp())


if __name__ == "__main__":
    main()
