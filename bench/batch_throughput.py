#!/usr/bin/python3
"""Files per second of `calvane-sim --batch` over 1 000 crystal files.

    /usr/bin/python3 bench/batch_throughput.py [--build build] [--files 1000] [--jobs 2]

The four example crystals are written as CIF files (so that other programs
can read the same files) and copied under 1 000 names into a scratch folder.
The batch computes them at Cu Ka1 from 10 to 90 degrees 2theta, once with the
reflection tables only and once with the profiles (--profile-xy), and the
best of three runs is reported. When Debian's python3-pymatgen is installed,
pymatgen.analysis.diffraction.xrd.XRDCalculator computes the same files over
the same range on the same number of processes; without it the benchmark says
so. Only the speed is compared: each program applies its own conventions.
"""
import argparse
import math
import multiprocessing
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE = pathlib.Path(__file__).resolve().parents[1]


def cif_of_cry(path):
    """A CIF of a native crystal file: title, system, symbol, cell, then atoms (element, label, x, y, z, B, occupancy)."""
    lines = path.read_text().splitlines()
    title, symbol = lines[0].strip(), lines[2].strip()
    a, b, c, alpha, beta, gamma = lines[3].split()[:6]
    text = [f"data_{path.stem}", f"_chemical_name_common '{title}'", f"_cell_length_a {a}", f"_cell_length_b {b}",
            f"_cell_length_c {c}", f"_cell_angle_alpha {alpha}", f"_cell_angle_beta {beta}",
            f"_cell_angle_gamma {gamma}", f"_symmetry_space_group_name_H-M '{symbol}'", "loop_",
            "_atom_site_label", "_atom_site_type_symbol", "_atom_site_fract_x", "_atom_site_fract_y",
            "_atom_site_fract_z", "_atom_site_U_iso_or_equiv", "_atom_site_occupancy"]
    for number, line in enumerate(lines[4:], 1):
        fields = line.split()
        if len(fields) < 7:
            continue
        element, x, y, z, b_iso, occupancy = fields[0], fields[2], fields[3], fields[4], fields[5], fields[6]
        u_iso = float(b_iso) / (8 * math.pi ** 2)
        text.append(f"{element}{number} {element} {x} {y} {z} {u_iso:.5f} {occupancy}")
    return "\n".join(text) + "\n"


def make_inputs(folder, count):
    examples = sorted((SOURCE / "examples").glob("*.cry"))
    cifs = [cif_of_cry(example) for example in examples]
    for i in range(count):
        (folder / f"crystal_{i:05d}_{examples[i % len(examples)].stem}.cif").write_text(cifs[i % len(cifs)])


def best_of(runs, work):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return min(times)


def pymatgen_files(paths):
    import warnings
    warnings.simplefilter("ignore")  # pymatgen notes every CIF that gives a symbol without operators
    from pymatgen.analysis.diffraction.xrd import XRDCalculator
    from pymatgen.core import Structure
    calculator = XRDCalculator(wavelength="CuKa1")
    for path in paths:
        calculator.get_pattern(Structure.from_file(path), two_theta_range=(10, 90))
    return len(paths)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=str(SOURCE / "build"))
    parser.add_argument("--files", type=int, default=1000)
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    sim = pathlib.Path(args.build) / "program" / "calvane-sim"
    with tempfile.TemporaryDirectory() as scratch:
        inputs = pathlib.Path(scratch) / "in"
        inputs.mkdir()
        make_inputs(inputs, args.files)
        out = pathlib.Path(scratch) / "out"

        def batch(*extra):
            shutil.rmtree(out, ignore_errors=True)
            subprocess.run([sim, "--batch", inputs, "--out", out, "--jobs", str(args.jobs), "--line", "CuKa1",
                            "--range", "10", "90", *extra], check=True)

        tables = best_of(3, batch)
        profiles = best_of(3, lambda: batch("--profile-xy"))
        print(f"calvane-sim --batch, {args.files} files, {args.jobs} jobs: {args.files / tables:.0f} files/s "
              f"({tables:.2f} s); with --profile-xy {args.files / profiles:.0f} files/s ({profiles:.2f} s)")
        try:
            import pymatgen.analysis.diffraction.xrd  # noqa: F401
        except ImportError:
            print("pymatgen comparison: python3-pymatgen is not installed (apt-get install python3-pymatgen)")
            return 0
        paths = sorted(str(p) for p in inputs.glob("*.cif"))
        chunks = [paths[i::args.jobs] for i in range(args.jobs)]
        with multiprocessing.Pool(args.jobs) as pool:
            pool.map(pymatgen_files, [chunks[0][:4]] * args.jobs)  # imports done before the clock starts
            seconds = best_of(1, lambda: pool.map(pymatgen_files, chunks))
        print(f"pymatgen XRDCalculator, same files, {args.jobs} processes: {args.files / seconds:.1f} files/s "
              f"({seconds:.2f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
