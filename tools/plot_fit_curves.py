#!/usr/bin/python3
"""Draws the curves calvane-sim's --fit-curves writes: the measured counts,
the fitted pattern with its background, and the difference below them.

    /usr/bin/python3 tools/plot_fit_curves.py curves.csv picture.png [title]
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402


def main():
    source, target = sys.argv[1], sys.argv[2]
    title = sys.argv[3] if len(sys.argv) > 3 else ""
    data = np.genfromtxt(source, delimiter=",", names=True)
    x = data["two_theta"]
    figure, axes = plt.subplots(figsize=(10, 4.2), dpi=100)
    axes.plot(x, data["observed"], ".", markersize=2, color="#d04020", label="measured")
    axes.plot(x, data["calculated"], "-", linewidth=0.8, color="#1040a0", label="fitted")
    axes.plot(x, data["background"], "-", linewidth=0.8, color="#40a040", label="background")
    offset = -0.08 * data["observed"].max()
    axes.plot(x, data["difference"] + offset, "-", linewidth=0.6, color="#606060", label="difference")
    axes.axhline(offset, color="#c0c0c0", linewidth=0.5)
    axes.set_xlabel("2θ (degrees)")
    axes.set_ylabel("counts")
    axes.set_xlim(x.min(), x.max())
    axes.legend(loc="upper right", frameon=False)
    if title:
        axes.set_title(title, fontsize=10)
    figure.tight_layout()
    figure.savefig(target)


if __name__ == "__main__":
    main()
