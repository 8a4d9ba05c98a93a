"""Plots drawn headless and compared with the computed gains; the command
line."""

import io

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import kam  # noqa: E402
from kam.__main__ import main  # noqa: E402

FSS = dict(diameter=0.6, frequency=12000)


def test_plot_lines_are_the_gains():
    phi = np.geomspace(0.1, 180, 300)
    ax = kam.plot_pattern("BSSRX_012_V1", phi=phi, **FSS)
    assert kam.plot_pattern("FSREF_001_V1", ax=ax, phi=phi, gain_max=40, **FSS) is ax
    r12, r1 = kam.earth_gain("BSSRX_012_V1", phi, **FSS), kam.earth_gain(
        "FSREF_001_V1", phi, gain_max=40, **FSS)
    lines = ax.get_lines()
    assert [line.get_label() for line in lines] == [
        "BSSRX_012_V1", "BSSRX_012_V1 cross-polar", "FSREF_001_V1"]
    for line, want in zip(lines, (r12.gain, r12.gain_x, r1.gain)):
        np.testing.assert_array_equal(line.get_xydata(), np.column_stack([phi, want]))
    plt.close(ax.figure)
    ax = kam.plot_pattern("GSOSS_101_V1", relative=True, log=False, gain_max=40, phi0=0.8)
    assert np.nanmax(ax.get_lines()[0].get_ydata()) == 0 and ax.get_xscale() == "linear"
    plt.close(ax.figure)
    ax = kam.plot_contours("GSOSS_101_V1", [-3, -10, -20], phi0=0.8)
    radii = [np.hypot(*line.get_xydata().T).max() for line in ax.get_lines()]
    np.testing.assert_allclose(radii, kam.space_contour("GSOSS_101_V1", [-3, -10, -20],
                                                        phi0=0.8).phi)
    plt.close(ax.figure)


def test_command_line(tmp_path):
    png, out = tmp_path / "p.png", io.StringIO()
    plot = ["plot", "PARAB_014_V1", "-o", str(png)]
    assert main(plot + ["--gain-max", "30", "--phi0", "2", "--specific", "floor=-20"], out) == 0
    assert png.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert main(plot + ["--beamlet", "1"], out) == 2  # not an earth pattern's parameter
    assert main(["plot", "NOSUCH", "-o", str(png)], out) == 1
    assert main(["describe", "CSEC2_021_V1"], out) == 0 and "thetaEnd" in out.getvalue()
    out = io.StringIO()
    assert main(["patterns", "--kind", "space"], out) == 0
    assert len(out.getvalue().splitlines()) == 16
