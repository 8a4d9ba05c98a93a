"""Shared fixtures: the single-point exports of the same library, called
through ctypes directly, as the independent reference for the package."""

import ctypes
import os
import sys

import numpy as np
import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

import kam  # noqa: E402
from kam import _native  # noqa: E402

NOVALUE = sys.float_info.max
NOVALUE_STRUCT = ctypes.c_void_p(1)
ALL = -1

_d, _p, _id = ctypes.c_double, ctypes.c_void_p, ctypes.c_ssize_t
_pd = ctypes.POINTER(ctypes.c_double)


class Single:
    """The per-point exports; each returns (status, out1, out2) with NoValue
    as nan, the way the package reports an absent output."""

    def __init__(self, path):
        self.lib = lib = ctypes.CDLL(path)
        lib.KAM_EarthPatternGain.argtypes = [_id, ctypes.c_char_p, _d, _d, _d, _d, _p, _d, _d,
                                             _pd, _pd]
        lib.KAM_SpacePatternGain.argtypes = [_id, ctypes.c_char_p, _d, _d, _p, _d, _d, _pd, _pd]
        lib.KAM_SpacePatternContour.argtypes = [_id, ctypes.c_char_p, _d, _d, _p, _d, _pd, _pd]
        lib.KAM_AntennaGain.argtypes = [_id, _d, _d, _pd, _pd]
        lib.KAM_AntennaContour.argtypes = [_id, _d, _d, _pd, _pd]
        lib.KAM_GetNextEvent.argtypes = [ctypes.POINTER(_native.EventRecord)]
        lib.KAM_ConvertEventToString.argtypes = [ctypes.POINTER(_native.EventRecord),
                                                 ctypes.c_char_p]

    @staticmethod
    def _nv(v):
        return NOVALUE if v is None else float(v)

    @staticmethod
    def _out(status, a, b):
        clean = lambda v: np.nan if v == NOVALUE else v  # noqa: E731
        return status, clean(a.value), clean(b.value)

    def _run(self, fn, *args):
        a, b = _d(), _d()
        status = fn(*args, ctypes.byref(a), ctypes.byref(b))
        return self._out(status, a, b)

    def earth(self, name, phi, gain_max=None, diameter=None, frequency=None, efficiency=None,
              specific=NOVALUE_STRUCT, phi0=None):
        return self._run(self.lib.KAM_EarthPatternGain, ALL, name.encode(), self._nv(gain_max),
                         self._nv(diameter), self._nv(frequency), self._nv(efficiency),
                         specific, self._nv(phi), self._nv(phi0))

    def space(self, name, phi, gain_max=None, beamlet=None, specific=NOVALUE_STRUCT, phi0=None):
        return self._run(self.lib.KAM_SpacePatternGain, ALL, name.encode(), self._nv(gain_max),
                         self._nv(beamlet), specific, self._nv(phi), self._nv(phi0))

    def contour(self, name, level, beamlet=None, specific=NOVALUE_STRUCT, phi0=None):
        return self._run(self.lib.KAM_SpacePatternContour, ALL, name.encode(), self._nv(level),
                         self._nv(beamlet), specific, self._nv(phi0))

    def antenna_gain(self, handle, phi, phi0=None):
        return self._run(self.lib.KAM_AntennaGain, handle, self._nv(phi), self._nv(phi0))

    def antenna_contour(self, handle, level, phi0=None):
        return self._run(self.lib.KAM_AntennaContour, handle, self._nv(level), self._nv(phi0))

    def events(self):
        """(code, text, rendered line) of every event queued."""
        record, line, out = _native.EventRecord(), ctypes.create_string_buffer(256), []
        while self.lib.KAM_GetNextEvent(ctypes.byref(record)) == 0:
            self.lib.KAM_ConvertEventToString(ctypes.byref(record), line)
            out.append((record.code, record.text.decode(), line.value.decode()))
        return out


@pytest.fixture(scope="session")
def single():
    return Single(_native.path)


def reference(call, *arrays):
    """Element-wise single calls over broadcast arrays: call(*scalars) ->
    (status, out1, out2). Failed elements are nan, as the package gives them."""
    b = np.broadcast_arrays(*[np.asarray(a, dtype=object) for a in arrays])
    shape = b[0].shape
    status = np.empty(shape, dtype=np.int32)
    out1, out2 = np.empty(shape), np.empty(shape)
    for index in np.ndindex(shape):
        s, g, gx = call(*[a[index] for a in b])
        status[index] = s
        out1[index], out2[index] = (np.nan, np.nan) if s < 0 else (g, gx)
    return out1, out2, status


def double_struct(*values):
    """A specific structure of doubles, field k at byte 8k."""
    return ctypes.cast((ctypes.c_double * len(values))(*values), ctypes.c_void_p)
