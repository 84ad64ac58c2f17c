#!/usr/bin/python3
"""Powder patterns of a folder of crystal files on a Dask cluster.

    dask_batch.py FOLDER OUT [--scheduler ADDRESS] [--workers N] [--partitions N]
                  [--wavelength CuKa1] [--radiation xray] [--two-theta 10 90]

Every crystal file under FOLDER (searched recursively) is computed by the
Python module calvane, one task per file, on the cluster whose scheduler is at
ADDRESS (tcp://host:8786), or on a local cluster of N workers (default: one
per core). The files are split into partitions; each partition's reflections
go into OUT/part-NNNN.csv (the file, then the columns of calvane-sim's
reflections table), and OUT/summary.csv lists every file with its status
(ok, refused or error), message, phase, space group, reflection count and
seconds. A file that fails is recorded and skipped.

The workers import calvane themselves: on a cluster, install it on every node
(make install) or set PYTHONPATH to a shared build's python/ folder.
"""
import argparse
import contextlib
import csv
import os
import pathlib
import sys
import time

CRYSTAL_EXTENSIONS = {".cry", ".cif", ".ins", ".inp", ".res", ".cel", ".lzy", ".ics"}
TABLE_COLUMNS = ["file", "h", "k", "l", "mult", "lambda", "d", "two_theta", "intensity", "k_intensity"]
SUMMARY_COLUMNS = ["file", "status", "message", "phase", "space_group", "reflections", "seconds"]


def crystal_files(folder):
    return sorted(str(p) for p in pathlib.Path(folder).rglob("*")
                  if p.is_file() and p.suffix.lower() in CRYSTAL_EXTENSIONS)


def compute_partition(files, options):
    """Runs on a worker: the rows of the partition's table and of the summary."""
    import calvane
    rows, summary = [], []
    for path in files:
        start = time.perf_counter()
        try:
            result = calvane.simulate(path, **options)
        except calvane.CalvaneError as error:
            summary.append([path, "refused", str(error), "", "", 0, time.perf_counter() - start])
            continue
        except Exception as error:  # noqa: BLE001 - one file never stops the batch
            summary.append([path, "error", repr(error), "", "", 0, time.perf_counter() - start])
            continue
        columns = zip(result["h"], result["k"], result["l"], result["multiplicity"], result["wavelength"],
                      result["d"], result["two_theta"], result["intensity"], result["k_intensity"])
        for h, k, l, m, lam, d, tth, i, ki in columns:
            rows.append([path, int(h), int(k), int(l), int(m), f"{lam:.5f}", f"{d:.5f}", f"{tth:.4f}",
                         f"{i:.6f}", f"{ki:.4f}"])
        summary.append([path, "ok", "", result["phase"], result["space_group"], len(result["h"]),
                        time.perf_counter() - start])
    return rows, summary


def write_csv(path, header, rows):
    with open(path, "w", newline="", encoding="utf-8") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(header)
        writer.writerows(rows)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder")
    parser.add_argument("out")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: a local cluster)")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1, help="local cluster: worker count")
    parser.add_argument("--partitions", type=int, help="default: four per worker")
    parser.add_argument("--wavelength", default="1.5406", help="in angstrom or a line name such as CuKa1")
    parser.add_argument("--radiation", default="xray", choices=["xray", "neutron", "synchrotron"])
    parser.add_argument("--two-theta", type=float, nargs=2, default=(10.0, 90.0))
    return parser.parse_args(argv)


def main(argv=None):
    args = parse_arguments(argv)
    from dask.distributed import Client, LocalCluster

    files = crystal_files(args.folder)
    if not files:
        print(f"dask_batch: no crystal file under {args.folder}", file=sys.stderr)
        return 2
    try:
        wavelength = float(args.wavelength)
    except ValueError:
        wavelength = args.wavelength
    options = {"wavelength": wavelength, "radiation": args.radiation, "two_theta": tuple(args.two_theta)}
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)

    with contextlib.ExitStack() as stack:
        if args.scheduler:
            client = stack.enter_context(Client(args.scheduler))
            workers = max(1, len(client.scheduler_info()["workers"]))
        else:
            cluster = stack.enter_context(LocalCluster(n_workers=args.workers, threads_per_worker=1,
                                                       processes=True, dashboard_address=None))
            client = stack.enter_context(Client(cluster))
            workers = args.workers
        count = min(len(files), args.partitions or 4 * workers)
        partitions = [files[i::count] for i in range(count)]
        futures = client.map(compute_partition, partitions, options=options, pure=False)
        summary = []
        for number, (rows, partition_summary) in enumerate(client.gather(futures)):
            write_csv(out / f"part-{number:04d}.csv", TABLE_COLUMNS, rows)
            summary.extend(partition_summary)
    summary.sort(key=lambda row: row[0])
    write_csv(out / "summary.csv", SUMMARY_COLUMNS,
              [row[:6] + [f"{row[6]:.4f}"] for row in summary])
    failed = sum(1 for row in summary if row[1] != "ok")
    print(f"dask_batch: {len(summary)} files, {failed} refused or failed, tables in {out}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
