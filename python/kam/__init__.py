"""KAM from Python: radiation gains and contour angles of earth- and
space-station antennas over numpy arrays, the pattern catalogue as data, and
plots. A thin layer over the KAM C library (libkam.so, kam.dll), loaded with
ctypes from, in this order: the environment variable KAM_LIBRARY, the
installed layout, the build tree (build/default/bin).

    import kam
    r = kam.earth_gain("FSREF_001_V1", [0, 1, 2, 10], gain_max=45, diameter=2,
                       frequency=12000)
    r.gain, r.gain_x, r.status
"""

from ._errors import KamError, KamWarning
from ._catalogue import (Element, Library, Pattern, describe, input_validation,
                         legacy_name, libraries, load_library, patterns)
from ._compute import (Contour, EarthAntenna, Result, SpaceAntenna, earth_gain, space_contour,
                       space_gain)
from ._native import NOVALUE

__all__ = [
    "Contour", "EarthAntenna", "Element", "KamError", "KamWarning", "Library", "NOVALUE",
    "Pattern", "Result", "SpaceAntenna", "describe", "earth_gain", "input_validation",
    "legacy_name", "libraries", "load_library", "patterns", "plot_contours", "plot_pattern",
    "space_contour", "space_gain",
]


def plot_pattern(name, *, ax=None, phi=None, relative=False, log=True, **parameters):
    """Draws the co-polar (and cross-polar) gain of a pattern against the
    off-axis angle and returns the Axes; see kam.plot.plot_pattern."""
    from . import plot
    return plot.plot_pattern(name, ax=ax, phi=phi, relative=relative, log=log, **parameters)


def plot_contours(name, levels, **parameters):
    """Draws the contours of a space pattern for relative levels [dB] and
    returns the Axes; see kam.plot.plot_contours."""
    from . import plot
    return plot.plot_contours(name, levels, **parameters)


def __getattr__(name):
    # kam.dask is imported when first used, so dask is needed only then.
    if name == "dask":
        import importlib
        return importlib.import_module(".dask", __name__)
    raise AttributeError(f"module 'kam' has no attribute {name!r}")
