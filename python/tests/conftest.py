"""The per-point exports of the same library, called through ctypes
directly: the independent reference the package is compared with."""

import ctypes
import os
import sys

import numpy as np
import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from kam import _native  # noqa: E402

NOVALUE = sys.float_info.max
NVS = ctypes.c_void_p(1)  # the structure NoValue
_d, _id, _s = ctypes.c_double, ctypes.c_ssize_t, ctypes.c_char_p
# Each export's arguments before its two double outputs.
SINGLE = {
    "KAM_EarthPatternGain": [_id, _s, _d, _d, _d, _d, ctypes.c_void_p, _d, _d],
    "KAM_SpacePatternGain": [_id, _s, _d, _d, ctypes.c_void_p, _d, _d],
    "KAM_SpacePatternContour": [_id, _s, _d, _d, ctypes.c_void_p, _d],
    "KAM_AntennaGain": [_id, _d, _d],
    "KAM_AntennaContour": [_id, _d, _d],
}


class Single:
    def __init__(self, path):
        self.lib = ctypes.CDLL(path)
        for name, args in SINGLE.items():
            getattr(self.lib, name).argtypes = args + [ctypes.POINTER(_d)] * 2

    def __call__(self, export, *args):
        """(status, out1, out2) of one call, None as NoValue and NoValue
        outputs as nan."""
        a, b = _d(), _d()
        args = [NOVALUE if v is None else v for v in args]
        status = getattr(self.lib, export)(*args, ctypes.byref(a), ctypes.byref(b))
        return (status, *(np.nan if v.value == NOVALUE else v.value for v in (a, b)))

    def earth(self, name, g=None, d=None, f=None, e=None, specific=NVS):
        return lambda phi, phi0=None: self("KAM_EarthPatternGain", -1, name.encode(), g, d, f,
                                           e, specific, phi, phi0)

    def space(self, name, g=None, b=None, specific=NVS):
        return lambda phi, phi0=None: self("KAM_SpacePatternGain", -1, name.encode(), g, b,
                                           specific, phi, phi0)

    def events(self):
        """(code, text, rendered line) of every queued event."""
        record, line, out = _native.EventRecord(), ctypes.create_string_buffer(256), []
        while self.lib.KAM_GetNextEvent(ctypes.byref(record)) == 0:
            self.lib.KAM_ConvertEventToString(ctypes.byref(record), line)
            out.append((record.code, record.text.decode(), line.value.decode()))
        return out


@pytest.fixture(scope="session")
def single():
    return Single(_native.path)


def reference(call, *arrays):
    """Element-wise single calls over broadcast arrays; failed elements are
    nan, as the package gives them."""
    b = np.broadcast_arrays(*[np.asarray(a, dtype=object) for a in arrays])
    out = np.empty(b[0].shape), np.empty(b[0].shape), np.empty(b[0].shape, dtype=np.int32)
    for index in np.ndindex(b[0].shape):
        s, g, gx = call(*[a[index] for a in b])
        out[0][index], out[1][index], out[2][index] = (np.nan, np.nan, s) if s < 0 else (g, gx, s)
    return out


# A finite value of an array call may differ from the single call's by this
# much, where the library's array loop computes it by other arithmetic.
ARRAY_ALLOWANCE = 1e-12


def assert_same(result, expected):
    for got, want in zip(result, expected):
        if np.asarray(want).dtype.kind == "f":
            np.testing.assert_allclose(got, want, rtol=0, atol=ARRAY_ALLOWANCE)
        else:
            np.testing.assert_array_equal(got, want)


def double_struct(*values):
    """A specific structure of doubles, field k at byte 8k."""
    return ctypes.cast((ctypes.c_double * len(values))(*values), ctypes.c_void_p)
