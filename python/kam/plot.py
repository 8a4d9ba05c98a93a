"""Plots of patterns with matplotlib, which is imported only here: gain
against the off-axis angle, and contour circles of space patterns."""

import numpy as np

from ._catalogue import describe
from ._compute import earth_gain, space_contour, space_gain

# Default angles: from 0.01 degrees on a log axis, from 0 on a linear one.
LOG_ANGLES = (0.01, 180.0, 1500)
LINEAR_ANGLES = (0.0, 180.0, 1801)


def _axes(ax):
    if ax is not None:
        return ax
    import matplotlib.pyplot as plt
    return plt.subplots()[1]


def plot_pattern(name, *, ax=None, phi=None, relative=False, log=True, library=None,
                 **parameters):
    """Draws the co-polar gain of pattern `name` (and its cross-polar gain
    where the pattern has one) against the off-axis angle phi [deg], on `ax`
    or on new Axes, and returns the Axes. `parameters` are those of
    kam.earth_gain or kam.space_gain, as the pattern's kind asks. relative:
    gains relative to the curve's peak; log: a logarithmic angle axis."""
    pattern = describe(name, library)
    if phi is None:
        phi = np.geomspace(*LOG_ANGLES) if log else np.linspace(*LINEAR_ANGLES)
    phi = np.asarray(phi, dtype=float)
    compute = earth_gain if pattern.kind == "earth" else space_gain
    result = compute(name, phi, library=library, **parameters)
    gain, gain_x = result.gain, result.gain_x
    if relative and np.isfinite(gain).any():
        peak = np.nanmax(gain)
        gain, gain_x = gain - peak, gain_x - peak
    ax = _axes(ax)
    (line,) = ax.plot(phi, gain, label=name)
    if np.isfinite(gain_x).any():
        ax.plot(phi, gain_x, linestyle="--", color=line.get_color(), label=f"{name} cross-polar")
    if log:
        ax.set_xscale("log")
    ax.set_xlabel("off-axis angle [deg]")
    ax.set_ylabel("relative gain [dB]" if relative else "gain [dBi]")
    ax.grid(True, which="both", alpha=0.3)
    ax.legend(fontsize="small")
    return ax


def plot_contours(name, levels, *, ax=None, library=None, **parameters):
    """Draws, for each relative level [dB] of the space pattern `name`, the
    circle of angles [deg] where the gain falls to it (dashed: cross-polar),
    on `ax` or on new Axes, and returns the Axes. `parameters` are those of
    kam.space_contour."""
    levels = np.atleast_1d(np.asarray(levels, dtype=float))
    contour = space_contour(name, levels, library=library, **parameters)
    ax = _axes(ax)
    turn = np.linspace(0.0, 2.0 * np.pi, 361)
    for level, phi, phi_x in zip(levels, contour.phi, contour.phi_x):
        if not np.isfinite(phi):
            continue
        (line,) = ax.plot(phi * np.cos(turn), phi * np.sin(turn), label=f"{level:g} dB")
        if np.isfinite(phi_x):
            ax.plot(phi_x * np.cos(turn), phi_x * np.sin(turn), linestyle="--",
                    color=line.get_color())
    ax.set_aspect("equal", adjustable="datalim")
    ax.set_xlabel("angle [deg]")
    ax.set_ylabel("angle [deg]")
    ax.set_title(name)
    ax.grid(True, alpha=0.3)
    ax.legend(fontsize="small")
    return ax
