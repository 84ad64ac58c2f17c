#!/usr/bin/python3
"""Records structure-factor reference values computed by cctbx for the engine tests.

For each structure below: the reflections between two 2θ limits (systematic
absences removed, Friedel mates merged), their multiplicities, |F| from a
direct summation with the International Tables 1992 form factors
(the four-Gaussian "it1992" table of cctbx, International Tables Vol. C, 1992) and no anomalous
terms, and the powder intensity m·|F|²·Lp of an X-ray tube scaled so that the
strongest line is 100.

Three further cases leave the tube: a synchrotron beam of polarisation p at a
wavelength of no characteristic line, Lp = (1 − p + p·cos²2θ)/(cos θ·sin²θ);
neutrons, with the bound coherent scattering lengths of cctbx's Neutron News
1992 table (Sears) and Lp = 1/(cos θ·sin²θ); and a non-centrosymmetric
structure with the anomalous terms f′, f″ of cctbx's Sasaki table at Cu Kα1,
where |F(h)| and |F(−h)| differ and a merged line carries the mean of
|F(h)|² and |F(−h)|².

Run with Debian's interpreter:  /usr/bin/python3 tools/record_structure_factor_reference.py
It rewrites tests/crystallography/fixtures/sf_*.txt.
"""
import math
import os

import gemmi
from cctbx import adptbx, crystal, miller, sgtbx, xray
from cctbx.array_family import flex
from cctbx.eltbx import neutron, sasaki, xray_scattering

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "crystallography", "fixtures")

# name, Hermann-Mauguin name (gemmi), system code, cell, wavelength, 2θ range, atoms (element, x, y, z, B, occupancy)
STRUCTURES = [
    ("nacl", "F m -3 m", "CUBI", (5.6402, 5.6402, 5.6402, 90, 90, 90), 1.5406, (20, 140),
     [("Na", 0, 0, 0, 1.0, 1), ("Cl", 0.5, 0.5, 0.5, 1.2, 1)]),
    ("pyrite", "P a -3", "CUBI", (5.417, 5.417, 5.417, 90, 90, 90), 1.5406, (20, 120),
     [("Fe", 0, 0, 0, 0.3, 1), ("S", 0.385, 0.385, 0.385, 0.4, 1)]),
    ("rutile", "P 42/m n m", "TETR", (4.594, 4.594, 2.959, 90, 90, 90), 1.5406, (20, 130),
     [("Ti", 0, 0, 0, 0.4, 1), ("O", 0.3048, 0.3048, 0, 0.6, 1)]),
    ("body_centred_tetragonal", "I 4/m m m", "TETR", (3.9, 3.9, 12.7, 90, 90, 90), 1.5406, (10, 110),
     [("Ba", 0, 0, 0.354, 0.5, 1), ("Fe", 0, 0.5, 0.25, 0.4, 1), ("As", 0, 0, 0, 0.5, 0.8)]),
    ("scheelite", "I 41/a:2", "TETR", (5.243, 5.243, 11.376, 90, 90, 90), 1.5406, (15, 100),
     [("W", 0, 0.25, 0.125, 0.2, 1), ("Ca", 0, 0.25, 0.625, 0.5, 1), ("O", 0.1507, 0.0086, 0.2106, 0.7, 1)]),
    ("magnesium", "P 63/m m c", "HEXA", (3.209, 3.209, 5.211, 90, 90, 120), 1.5406, (20, 140),
     [("Mg", 1 / 3, 2 / 3, 0.25, 0.8, 1)]),
    ("wurtzite", "P 63 m c", "HEXA", (3.2498, 3.2498, 5.2066, 90, 90, 120), 1.5406, (20, 140),
     [("Zn", 1 / 3, 2 / 3, 0, 0.5, 1), ("O", 1 / 3, 2 / 3, 0.382, 0.6, 1)]),
    ("apatite", "P 63/m", "HEXA", (9.3973, 9.3973, 6.8782, 90, 90, 120), 1.5406, (10, 60),
     [("Ca", 1 / 3, 2 / 3, 0.0011, 0.6, 1), ("Ca", 0.2416, 0.9928, 0.25, 0.6, 1), ("P", 0.3981, 0.3688, 0.25, 0.4, 1),
      ("O", 0.3264, 0.4850, 0.25, 0.9, 1), ("O", 0.5880, 0.4668, 0.25, 0.9, 1), ("O", 0.3418, 0.2576, 0.0704, 1.0, 1),
      ("F", 0, 0, 0.25, 1.5, 1)]),
    ("trigonal_primitive", "P -3", "HEXA", (5.0, 5.0, 6.0, 90, 90, 120), 1.5406, (10, 80),
     [("Si", 1 / 3, 2 / 3, 0.1, 0.5, 1), ("O", 0.21, 0.07, 0.31, 0.8, 1), ("C", 0, 0, 0.4, 1.0, 1)]),
    ("corundum", "R -3 c:H", "HEXA", (4.759, 4.759, 12.99, 90, 90, 120), 1.5406, (20, 120),
     [("Al", 0, 0, 0.35216, 0.3, 1), ("O", 0.30624, 0, 0.25, 0.4, 1)]),
    ("ilmenite", "R -3:H", "HEXA", (5.088, 5.088, 14.083, 90, 90, 120), 1.5406, (15, 90),
     [("Fe", 0, 0, 0.3553, 0.4, 1), ("Ti", 0, 0, 0.1461, 0.4, 1), ("O", 0.317, 0.020, 0.2463, 0.6, 1)]),
    ("bismuth", "R -3 m:R", "RHOM", (4.7236, 4.7236, 4.7236, 57.35, 57.35, 57.35), 1.5406, (20, 120),
     [("Bi", 0.2339, 0.2339, 0.2339, 1.0, 1)]),
    ("forsterite", "P n m a", "ORTH", (10.207, 5.980, 4.756, 90, 90, 90), 1.5406, (15, 70),
     [("Mg", 0, 0, 0, 0.5, 1), ("Mg", 0.2774, 0.25, 0.9915, 0.5, 1), ("Si", 0.0940, 0.25, 0.4262, 0.3, 1),
      ("O", 0.0913, 0.25, 0.7657, 0.5, 1), ("O", 0.4474, 0.25, 0.2215, 0.5, 1), ("O", 0.1628, 0.0331, 0.2777, 0.5, 1)]),
    ("alpha_uranium", "C m c m", "ORTH", (2.854, 5.869, 4.955, 90, 90, 90), 1.5406, (20, 140),
     [("U", 0, 0.1025, 0.25, 0.5, 1)]),
    ("monoclinic_b", "P 1 21/c 1", "MONO", (5.1, 6.3, 7.2, 90, 104.5, 90), 1.5406, (10, 60),
     [("Fe", 0.12, 0.23, 0.34, 0.6, 1), ("O", 0.41, 0.07, 0.18, 0.9, 1), ("O", 0.5, 0, 0.5, 0.9, 1)]),
    ("monoclinic_b_centred", "C 1 2/c 1", "MONO", (9.7, 8.9, 5.3, 90, 105.6, 90), 1.5406, (10, 60),
     [("Si", 0.29, 0.09, 0.23, 0.5, 1), ("Mg", 0, 0.9, 0.25, 0.6, 1), ("O", 0.12, 0.08, 0.14, 0.8, 1)]),
    ("monoclinic_c", "P 1 1 21/b", "MONO", (5.1, 6.3, 7.2, 90, 90, 104.5), 1.5406, (10, 60),
     [("Fe", 0.12, 0.23, 0.34, 0.6, 1), ("O", 0.41, 0.07, 0.18, 0.9, 1)]),
    ("monoclinic_a", "P 21/b 1 1", "MONO", (7.2, 5.1, 6.3, 104.5, 90, 90), 1.5406, (10, 60),
     [("Fe", 0.12, 0.23, 0.34, 0.6, 1), ("O", 0.41, 0.07, 0.18, 0.9, 1)]),
    ("triclinic", "P -1", "TRIC", (5.3, 6.1, 7.4, 83.1, 101.7, 95.4), 1.5406, (10, 55),
     [("Cu", 0.11, 0.27, 0.38, 0.7, 1), ("O", 0.63, 0.14, 0.22, 1.0, 1), ("O", 0.31, 0.52, 0.91, 1.0, 0.5)]),
    ("rutile_synchrotron", "P 42/m n m", "TETR", (4.594, 4.594, 2.959, 90, 90, 90), 0.7, (5, 62),
     [("Ti", 0, 0, 0, 0.4, 1), ("O", 0.3048, 0.3048, 0, 0.6, 1)], {"source": ("synchrotron", 0.9)}),
    ("ilmenite_neutron", "R -3:H", "HEXA", (5.088, 5.088, 14.083, 90, 90, 120), 1.5, (15, 110),
     [("Fe", 0, 0, 0.3553, 0.4, 1), ("Ti", 0, 0, 0.1461, 0.4, 1), ("O", 0.317, 0.020, 0.2463, 0.6, 1)],
     {"source": ("neutron",)}),
    ("gaas_anomalous", "F -4 3 m", "CUBI", (5.6533, 5.6533, 5.6533, 90, 90, 90), 1.5406, (20, 140),
     [("Ga", 0, 0, 0, 0.6, 1), ("As", 0.25, 0.25, 0.25, 0.5, 1)], {"anomalous": True}),
]

MARGIN_DEG = 0.02  # no reflection this close to a 2θ limit (the program's angle factor differs from π/180 at 1e-6)


def two_theta(wavelength, d):
    return 2 * math.degrees(math.asin(wavelength / (2 * d)))


def lorentz_polarisation(theta, source):
    denominator = math.cos(theta) * math.sin(theta) ** 2
    if source[0] == "neutron":
        return 1 / denominator
    p = source[1] if source[0] == "synchrotron" else 0.5
    return (1 - p + p * math.cos(2 * theta) ** 2) / denominator


def record(name, hm, system, cell, wavelength, limits, atoms, options=None):
    options = options or {}
    source = options.get("source", ("tube",))
    neutrons = source[0] == "neutron"
    anomalous = options.get("anomalous", False)
    sg = gemmi.find_spacegroup_by_name(hm)
    info = sgtbx.space_group_info(symbol="Hall: " + sg.hall)
    symmetry = crystal.symmetry(unit_cell=cell, space_group_info=info)
    elements = sorted(set(a[0] for a in atoms), key=[a[0] for a in atoms].index)
    dispersion = {e: sasaki.table(e).at_angstrom(wavelength) for e in elements} if anomalous else {}
    scatterers = flex.xray_scatterer()
    for i, (element, x, y, z, b, occupancy) in enumerate(atoms):
        scatterer = xray.scatterer(label="%s%d" % (element, i + 1), site=(x, y, z), u=adptbx.b_as_u(b),
                                   occupancy=occupancy, scattering_type=element)
        if anomalous:
            scatterer.fp = dispersion[element].fp()
            scatterer.fdp = dispersion[element].fdp()
        scatterers.append(scatterer)
    structure = xray.structure(crystal_symmetry=symmetry, scatterers=scatterers)
    structure.scattering_type_registry(table="neutron" if neutrons else "it1992")
    d_min = wavelength / (2 * math.sin(math.radians(limits[1] / 2)))
    d_max = wavelength / (2 * math.sin(math.radians(limits[0] / 2)))
    indices = miller.build_set(symmetry, anomalous_flag=False, d_min=d_min).remove_systematic_absences()
    indices = indices.select(indices.d_spacings().data() <= d_max)
    f_calc = indices.structure_factors_from_scatterers(structure, algorithm="direct").f_calc()
    # F(−h) of every merged index, for the anomalous case.
    mates = miller.set(symmetry, -indices.indices(), anomalous_flag=True)
    f_mate = mates.structure_factors_from_scatterers(structure, algorithm="direct").f_calc().data()
    multiplicities = indices.multiplicities().data()
    # Neutron lengths in the program's unit, 1e-12 cm (cctbx gives fm).
    unit = 0.1 if neutrons else 1.0
    rows = []
    for hkl, f, f_minus, m, d in zip(f_calc.indices(), f_calc.data(), f_mate, multiplicities,
                                     indices.d_spacings().data()):
        tt = two_theta(wavelength, d)
        assert tt - limits[0] > MARGIN_DEG and limits[1] - tt > MARGIN_DEG, (name, hkl, tt)
        lp = lorentz_polarisation(math.radians(tt / 2), source)
        plus, minus = abs(f) * unit, abs(f_minus) * unit
        rows.append((hkl, m, 0.5 * (plus + minus), m * 0.5 * (plus ** 2 + minus ** 2) * lp, d, plus, minus))
    largest = max(r[3] for r in rows)
    site_table = structure.site_symmetry_table()
    with open(os.path.join(OUT, "sf_%s.txt" % name), "w") as out:
        if neutrons:
            out.write("# cctbx reference (tools/record_structure_factor_reference.py): direct |F| (1e-12 cm),\n")
            out.write("# Neutron News 1992 scattering lengths; intensity = m |F|^2 Lp (neutrons) scaled to 100.\n")
        elif anomalous:
            out.write("# cctbx reference (tools/record_structure_factor_reference.py): direct |F|, it1992 form factors,\n")
            out.write("# Sasaki f' f''; mean of |F(h)| and |F(-h)|, intensity = m (|F(h)|^2 + |F(-h)|^2)/2 Lp\n")
            out.write("# (X-ray tube) scaled to 100, then |F(h)| and |F(-h)|.\n")
        else:
            beam = "X-ray tube" if source[0] == "tube" else "synchrotron, p = %r" % source[1]
            out.write("# cctbx reference (tools/record_structure_factor_reference.py): direct |F|, it1992 form factors,\n")
            out.write("# no anomalous terms; intensity = m |F|^2 Lp (%s) scaled to 100.\n" % beam)
        out.write("symbol %s\nhall %s\nsystem %s\n" % (sg.hm.replace(" ", ""), sg.hall, system))
        out.write("cell %s\nwavelength %r\nrange %r %r\n" % (" ".join(repr(float(v)) for v in cell), wavelength,
                                                            float(limits[0]), float(limits[1])))
        if source[0] != "tube":
            out.write("source %s\n" % " ".join(str(v) for v in source))
        for element in elements:
            g = xray_scattering.it1992(element).fetch()
            out.write("type %s %s %s %r\n" % (element.upper(), " ".join(repr(v) for v in g.array_of_a()),
                                              " ".join(repr(v) for v in g.array_of_b()), g.c()))
            if anomalous:
                out.write("anomalous %s %r %r\n" % (element.upper(), dispersion[element].fp(),
                                                    dispersion[element].fdp()))
            if neutrons:
                length = neutron.neutron_news_1992_table(element).bound_coh_scatt_length().real
                out.write("fermi %s %r\n" % (element.upper(), length * unit))
        for i, (element, x, y, z, b, occupancy) in enumerate(atoms):
            out.write("atom %s %r %r %r %r %r %d\n" % (element.upper(), float(x), float(y), float(z), float(b),
                                                      float(occupancy), site_table.get(i).multiplicity()))
        for hkl, m, f, intensity, d, plus, minus in rows:
            out.write("reflection %d %d %d %d %.6f %.6f %.6f" % (hkl + (m, f, 100 * intensity / largest, d)))
            out.write(" %.6f %.6f\n" % (plus, minus) if anomalous else "\n")
    print(name, len(rows), "reflections")


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for entry in STRUCTURES:
        record(*entry)
