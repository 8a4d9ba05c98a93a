"""Plots drawn headless, compared with the computed gains, and the command
line."""

import io

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
import pytest  # noqa: E402

import kam  # noqa: E402
from kam.__main__ import main  # noqa: E402


def test_plot_lines_are_the_gains():
    phi = np.geomspace(0.1, 180, 300)
    fig, ax = plt.subplots()
    try:
        assert kam.plot_pattern("BSSRX_012_V1", ax=ax, phi=phi, diameter=0.6,
                                frequency=12000) is ax
        kam.plot_pattern("FSREF_001_V1", ax=ax, phi=phi, gain_max=40, diameter=0.6,
                         frequency=12000)
        r12 = kam.earth_gain("BSSRX_012_V1", phi, diameter=0.6, frequency=12000)
        r1 = kam.earth_gain("FSREF_001_V1", phi, gain_max=40, diameter=0.6, frequency=12000)
        lines = ax.get_lines()
        assert [line.get_label() for line in lines] == [
            "BSSRX_012_V1", "BSSRX_012_V1 cross-polar", "FSREF_001_V1"]
        for line, want in zip(lines, (r12.gain, r12.gain_x, r1.gain)):
            np.testing.assert_array_equal(line.get_xdata(), phi)
            np.testing.assert_array_equal(line.get_ydata(), want)
        assert ax.get_xscale() == "log"
    finally:
        plt.close(fig)


def test_plot_relative_and_contours():
    ax = kam.plot_pattern("GSOSS_101_V1", relative=True, log=False, gain_max=40, phi0=0.8)
    y = ax.get_lines()[0].get_ydata()
    assert np.nanmax(y) == 0 and ax.get_xscale() == "linear"
    plt.close(ax.figure)
    levels = [-3, -10, -20]
    ax = kam.plot_contours("GSOSS_101_V1", levels, phi0=0.8)
    radii = [np.hypot(l.get_xdata(), l.get_ydata()).max() for l in ax.get_lines()]
    np.testing.assert_allclose(radii, kam.space_contour("GSOSS_101_V1", levels, phi0=0.8).phi)
    plt.close(ax.figure)


def test_command_line(tmp_path):
    png = tmp_path / "p.png"
    out = io.StringIO()
    assert main(["plot", "PARAB_014_V1", "--gain-max", "30", "--phi0", "2", "--specific",
                 "floor=-20", "-o", str(png)], out) == 0
    assert png.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert main(["plot", "PARAB_014_V1", "--beamlet", "1", "-o", str(png)], out) == 2
    assert main(["plot", "NOSUCH", "-o", str(png)], out) == 1
    out = io.StringIO()
    assert main(["describe", "CSEC2_021_V1"], out) == 0
    assert "thetaEnd" in out.getvalue() and "required" in out.getvalue()
    out = io.StringIO()
    assert main(["patterns", "--kind", "space"], out) == 0
    assert len(out.getvalue().splitlines()) == 16
    with pytest.raises(SystemExit):
        main(["plot", "PARAB_014_V1"], io.StringIO())  # -o missing
