#!/usr/bin/python3
"""Records cctbx reference reflection lists for the crystal files of the reader tests.

Each crystal file under tests/crystal_io/fixtures listed below is read by cctbx's
own readers where cctbx has one (iotbx.cif for CIF, iotbx.shelx for SHELXL
.res); the PowderCell files, which cctbx does not read, and the CIF with a
syntax defect, which its strict parser refuses, are given by hand from the
same numbers. Anisotropic atoms count with U_eq (one third of the trace of
U in Cartesian axes); an atom without a displacement takes B = 1.0 A^2, the
program's default. For each structure: the reflections between two 2-theta
limits (systematic absences removed, Friedel mates merged), their
multiplicities, d, |F| by direct summation with the International Tables 1992
form factors (cctbx "it1992", no anomalous terms), and the X-ray tube powder
intensity m |F|^2 Lp scaled so that the strongest line is 100.

Run with Debian's interpreter:  /usr/bin/python3 tools/record_crystal_file_references.py
It rewrites tests/crystal_io/fixtures/reference_*.txt.
"""
import math
import os

from cctbx import adptbx, crystal, miller, sgtbx, xray
from cctbx.array_family import flex
from cctbx.eltbx import xray_scattering
import iotbx.cif
import iotbx.shelx

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "tests", "crystal_io", "fixtures")
WAVELENGTH = 1.5406
LIMITS = (10.0, 100.0)
MARGIN_DEG = 0.02
DEFAULT_U = adptbx.b_as_u(1.0)


def from_cif(name, replace=None):
    text = open(os.path.join(FIXTURES, name)).read()
    if replace:
        text = text.replace(*replace)
    structures = iotbx.cif.reader(input_string=text).build_crystal_structures()
    assert len(structures) == 1, (name, list(structures))
    return list(structures.values())[0]


def from_shelx(name):
    return iotbx.shelx._cctbx_xray_structure_from(file=open(os.path.join(FIXTURES, name)))


def by_hand(hall, cell, atoms):
    symmetry = crystal.symmetry(unit_cell=cell, space_group_info=sgtbx.space_group_info(symbol="Hall: " + hall))
    scatterers = flex.xray_scatterer()
    for label, element, site, occupancy, b in atoms:
        scatterers.append(xray.scatterer(label=label, site=site, u=adptbx.b_as_u(b), occupancy=occupancy,
                                         scattering_type=element))
    return xray.structure(crystal_symmetry=symmetry, scatterers=scatterers)


def isotropic(structure):
    """The same structure with every atom at U_eq; atoms given no U take B = 1."""
    unit_cell = structure.unit_cell()
    scatterers = flex.xray_scatterer()
    for s in structure.scatterers():
        u = s.u_iso_or_equiv(unit_cell)
        if not s.flags.use_u_aniso() and u == 0:
            u = DEFAULT_U
        element = s.scattering_type.rstrip("+-0123456789")
        scatterers.append(xray.scatterer(label=s.label, site=s.site, u=u, occupancy=s.occupancy,
                                         scattering_type=element))
    return xray.structure(crystal_symmetry=structure.crystal_symmetry(), scatterers=scatterers)


RUTILE_CELL = (4.5937, 4.5937, 2.9587, 90, 90, 90)
CASES = [
    ("amcsd_quartz", lambda: from_cif("amcsd_quartz.cif")),
    ("operators_only_calcite", lambda: from_cif("operators_only_calcite.cif")),
    # cctbx drops a U column holding "?"; the atom it leaves without U gets B = 1 here.
    ("hall_only_corundum", lambda: from_cif("hall_only_corundum.cif", ("0.25 ?", "0.25 %.8f" % DEFAULT_U))),
    ("blank_value_diamond", lambda: from_cif("blank_value_diamond.cif",
                                             ("Diamond cubic", "'Diamond cubic'"))),
    ("brucite_shelxl", lambda: from_shelx("brucite_shelxl.res")),
    ("rutile_z_xyz", lambda: by_hand("-P 4n 2n", RUTILE_CELL, [
        ("Ti1", "Ti", (0, 0, 0), 1.0, 1.0), ("O1", "O", (0.30478, 0.30478, 0), 1.0, 1.0)])),
    ("rutile_sof", lambda: by_hand("-P 4n 2n", RUTILE_CELL, [
        ("Ti1", "Ti", (0, 0, 0), 1.0, 1.0), ("O1", "O", (0.30478, 0.30478, 0), 0.9, 1.0)])),
    ("rutile_sof_b", lambda: by_hand("-P 4n 2n", RUTILE_CELL, [
        ("Ti1", "Ti", (0, 0, 0), 1.0, 0.42), ("O1", "O", (0.30478, 0.30478, 0), 0.9, 0.58)])),
]


def two_theta(d):
    return 2 * math.degrees(math.asin(WAVELENGTH / (2 * d)))


def record(name, structure):
    structure = isotropic(structure)
    structure.scattering_type_registry(table="it1992")
    symmetry = structure.crystal_symmetry()
    d_min = WAVELENGTH / (2 * math.sin(math.radians(LIMITS[1] / 2)))
    d_max = WAVELENGTH / (2 * math.sin(math.radians(LIMITS[0] / 2)))
    indices = miller.build_set(symmetry, anomalous_flag=False, d_min=d_min).remove_systematic_absences()
    indices = indices.select(indices.d_spacings().data() <= d_max)
    f_calc = indices.structure_factors_from_scatterers(structure, algorithm="direct").f_calc()
    rows = []
    for hkl, f, m, d in zip(f_calc.indices(), f_calc.data(), indices.multiplicities().data(),
                            indices.d_spacings().data()):
        tt = two_theta(d)
        assert tt - LIMITS[0] > MARGIN_DEG and LIMITS[1] - tt > MARGIN_DEG, (name, hkl, tt)
        theta = math.radians(tt / 2)
        lp = (1 + math.cos(2 * theta) ** 2) * 0.5 / (math.cos(theta) * math.sin(theta) ** 2)
        rows.append((hkl, m, abs(f), m * abs(f) ** 2 * lp, d))
    largest = max(r[3] for r in rows)
    unit_cell = structure.unit_cell()
    with open(os.path.join(FIXTURES, "reference_%s.txt" % name), "w") as out:
        out.write("# cctbx reference (tools/record_crystal_file_references.py): the structure as cctbx reads it,\n")
        out.write("# U_eq for anisotropic atoms, direct |F| with it1992 form factors, no anomalous terms;\n")
        out.write("# intensity = m |F|^2 Lp (X-ray tube) scaled to 100.\n")
        out.write("hall %s\n" % symmetry.space_group_info().type().hall_symbol())
        out.write("cell %s\n" % " ".join(repr(float(v)) for v in unit_cell.parameters()))
        out.write("wavelength %r\nrange %r %r\n" % (WAVELENGTH, LIMITS[0], LIMITS[1]))
        elements = []
        for s in structure.scatterers():
            if s.scattering_type not in elements:
                elements.append(s.scattering_type)
        for element in elements:
            g = xray_scattering.it1992(element).fetch()
            out.write("type %s %s %s %r\n" % (element.upper(), " ".join(repr(v) for v in g.array_of_a()),
                                              " ".join(repr(v) for v in g.array_of_b()), g.c()))
        for s in structure.scatterers():
            out.write("atom %s %.6f %.6f %.6f %.6f %.6f\n" % ((s.scattering_type.upper(),) + tuple(s.site) +
                                                           (adptbx.u_as_b(s.u_iso), s.occupancy)))
        for hkl, m, f, intensity, d in rows:
            out.write("reflection %d %d %d %d %.6f %.6f %.6f\n" % (hkl + (m, f, 100 * intensity / largest, d)))
    print(name, len(rows), "reflections")


if __name__ == "__main__":
    for case_name, build in CASES:
        record(case_name, build())
