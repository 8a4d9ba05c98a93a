"""Gains and contours over numpy arrays, through the library's array exports:
broadcasting the inputs, one array call per distinct parameter set, NoValue
turned into nan, and the element statuses turned into KamError or
KamWarning as the caller's `errors` mode asks. Antenna objects live here too.
"""

import ctypes
import typing
import warnings
import weakref

import numpy as np

from . import _catalogue, _native
from ._errors import KamError, KamWarning, call, check_errors, error, text_of

# The array exports count elements in an int32; longer inputs go in pieces.
CHUNK = 1 << 30


class Result(typing.NamedTuple):
    gain: np.ndarray
    gain_x: np.ndarray
    status: np.ndarray


class Contour(typing.NamedTuple):
    phi: np.ndarray
    phi_x: np.ndarray
    status: np.ndarray


def _as_float_array(value, what):
    """A float64 array for a numeric input; None, also inside a sequence, is
    NoValue."""
    if value is None:
        return np.array(_native.NOVALUE)
    array = np.asarray(value)
    if array.dtype == object:
        array = np.array([_native.NOVALUE if v is None else v for v in array.ravel()],
                         dtype=np.float64).reshape(array.shape)
    try:
        return array.astype(np.float64, copy=False)
    except (TypeError, ValueError):
        raise TypeError(f"{what} must be numeric, not {value!r}") from None


def _address(array):
    return None if array is None else array.ctypes.data


class _Collector:
    """The results of one evaluation: element outputs, statuses, the first
    text of each code, and the rendered event lines."""

    def __init__(self, n):
        self.out1 = np.empty(n)
        self.out2 = np.empty(n)
        self.status = np.empty(n, dtype=np.int32)
        self.events = []
        self.any_nonzero = False
        self.any_negative = False

    def run(self, invoke, values, x, phi0, out1, out2, status):
        """Calls invoke(values, count, x, phi0, out1, out2, status) over the
        arrays in pieces the int32 count can hold. The caller holds the lock."""
        n = x.size
        for start in range(0, n, CHUNK) if n else ():
            end = min(n, start + CHUNK)
            part = slice(start, end)
            rc = invoke(values, end - start, _address(x[part]),
                        None if phi0 is None else _address(phi0[part]),
                        _address(out1[part]), _address(out2[part]), _address(status[part]))
            if rc == 0:
                continue
            events = _native.take_events()
            self.events.extend(events)
            if -_native.MAX_ARGUMENT <= rc < 0:  # an argument error writes nothing
                raise error(rc, events)
            self.any_nonzero = True
            self.any_negative = self.any_negative or rc < 0


def _flat(array, shape):
    return np.ascontiguousarray(np.broadcast_to(array, shape)).reshape(-1)


def _novalue_to_nan(out):
    """NoValue (DBL_MAX, the largest double) becomes nan. Two reductions
    settle the common cases, none and all, faster than a masked pass."""
    if not out.size or out.max() < _native.NOVALUE:  # False when a nan is in
        return
    if out.min() == _native.NOVALUE:
        out.fill(np.nan)
    else:
        np.copyto(out, np.nan, where=out == _native.NOVALUE)


def evaluate(invoke, x, phi0, params, errors, stacklevel):
    """Evaluates invoke over x (angles or levels) and phi0, both broadcast
    with the numeric parameters params (float arrays, in invoke's order).
    Returns the two outputs and the statuses in the broadcast shape."""
    check_errors(errors)
    inputs = [x] + list(params) + ([] if phi0 is None else [phi0])
    shape = np.broadcast_shapes(*(a.shape for a in inputs))
    n = int(np.prod(shape, dtype=np.int64))
    xs = _flat(x, shape)
    p0 = None if phi0 is None else _flat(phi0, shape)
    values = [float(p) if p.ndim == 0 else None for p in params]
    varying = [i for i, p in enumerate(params) if p.ndim > 0]
    c = _Collector(n)
    with _native.lock:
        rows = None
        if varying and n:
            table = np.stack([_flat(params[i], shape) for i in varying], axis=1)
            rows, inverse = np.unique(table, axis=0, return_inverse=True)
            inverse = inverse.reshape(-1)
        if rows is None or len(rows) == 1:
            if rows is not None:
                for i, v in zip(varying, rows[0]):
                    values[i] = float(v)
            c.run(invoke, values, xs, p0, c.out1, c.out2, c.status)
        else:
            # One call per distinct parameter set, over the elements that share it.
            order = np.argsort(inverse, kind="stable")
            ends = np.cumsum(np.bincount(inverse, minlength=len(rows)))
            start = 0
            for row, end in zip(rows, ends):
                index = order[start:end]
                start = end
                for i, v in zip(varying, row):
                    values[i] = float(v)
                m = index.size
                o1, o2, st = np.empty(m), np.empty(m), np.empty(m, dtype=np.int32)
                c.run(invoke, values, xs[index], None if p0 is None else p0[index], o1, o2, st)
                c.out1[index], c.out2[index], c.status[index] = o1, o2, st
    for out in (c.out1, c.out2):
        _novalue_to_nan(out)
    if c.any_nonzero:
        _statuses(c, errors, stacklevel + 1)
    return c.out1.reshape(shape), c.out2.reshape(shape), c.status.reshape(shape)


def _statuses(c, errors, stacklevel):
    """Failed elements become nan; a failure of every element with one code
    raises; the rest follows the errors mode."""
    status = c.status
    if c.any_negative:
        failed = status < 0
        c.out1[failed] = np.nan
        c.out2[failed] = np.nan
        first = int(status[np.argmax(failed)])
        if (status == first).all():
            raise error(first, c.events)
    nonzero = status[status != 0]
    codes, first_at = np.unique(nonzero, return_index=True)
    codes = [int(code) for code in codes[np.argsort(first_at)]]  # in order of appearance
    if errors == "ignore":
        return
    for code in codes:
        if code > 0 or errors == "warn":
            warnings.warn(KamWarning(text_of(code, c.events), code), stacklevel=stacklevel)
    if errors == "raise" and c.any_negative:
        raise error(first, c.events)


def _pattern_call(name, library, specific):
    """The pieces shared by the calls by name: the library handle, the
    encoded name and the specific structure (address, buffer to keep)."""
    lid = _catalogue.library_id(library)
    encoded = _catalogue._encode(name)
    if specific is None:
        return lid, encoded, _native.NOVALUE_STRUCT, None
    pattern = _catalogue.describe(name, None if library is None else lid)
    address, buffer = _catalogue.specific_structure(pattern, specific)
    return lid, encoded, address, buffer


def earth_gain(name, phi, *, gain_max=None, diameter=None, frequency=None, efficiency=None,
               specific=None, phi0=None, library=None, errors="warn"):
    """Gain of the earth pattern `name` at off-axis angles `phi` [deg]."""
    lid, encoded, address, keep = _pattern_call(name, library, specific)
    export = _native.lib.KAM_EarthPatternGainArray

    def invoke(v, n, x, p0, g, gx, st):
        return export(lid, encoded, v[0], v[1], v[2], v[3], address, n, x, p0, g, gx, st)

    params = [_as_float_array(gain_max, "gain_max"), _as_float_array(diameter, "diameter"),
              _as_float_array(frequency, "frequency"), _as_float_array(efficiency, "efficiency")]
    out = evaluate(invoke, _as_float_array(phi, "phi"), _optional(phi0, "phi0"), params,
                   errors, stacklevel=3)
    del keep
    return Result(*out)


def space_gain(name, phi, *, gain_max=None, beamlet=None, specific=None, phi0=None,
               library=None, errors="warn"):
    """Gain of the space pattern `name` at off-axis angles `phi` [deg]."""
    lid, encoded, address, keep = _pattern_call(name, library, specific)
    export = _native.lib.KAM_SpacePatternGainArray

    def invoke(v, n, x, p0, g, gx, st):
        return export(lid, encoded, v[0], v[1], address, n, x, p0, g, gx, st)

    params = [_as_float_array(gain_max, "gain_max"), _as_float_array(beamlet, "beamlet")]
    out = evaluate(invoke, _as_float_array(phi, "phi"), _optional(phi0, "phi0"), params,
                   errors, stacklevel=3)
    del keep
    return Result(*out)


def space_contour(name, level, *, beamlet=None, specific=None, phi0=None, library=None,
                  errors="warn"):
    """Contour angles [deg] of the space pattern `name` for relative gain
    levels `level` [dB], -100 <= level < 0."""
    lid, encoded, address, keep = _pattern_call(name, library, specific)
    export = _native.lib.KAM_SpacePatternContourArray

    def invoke(v, n, x, p0, phi, phix, st):
        return export(lid, encoded, v[0], address, n, x, p0, phi, phix, st)

    out = evaluate(invoke, _as_float_array(level, "level"), _optional(phi0, "phi0"),
                   [_as_float_array(beamlet, "beamlet")], errors, stacklevel=3)
    del keep
    return Contour(*out)


def _optional(value, what):
    return None if value is None else _as_float_array(value, what)


def _scalar(value, what):
    array = _as_float_array(value, what)
    if array.ndim:
        raise TypeError(f"{what} of an antenna must be a single number or None")
    return float(array)


# ---- Antennas -------------------------------------------------------------------

def _delete(antenna_id):
    with _native.lock:
        if _native.lib.KAM_DeleteAntenna(antenna_id) != 0:
            _native.take_events()


class _Antenna:
    """A pattern bound to one parameter set inside the library. close() (or
    leaving a `with` block, or garbage collection) deletes it."""

    def __init__(self, create, name, library, specific, values):
        self.pattern = _catalogue.describe(
            name, None if library is None else _catalogue.library_id(library))
        address, buffer = _catalogue.specific_structure(self.pattern, specific)
        handle = _native.Handle()
        call(create, self.pattern.library_id, _catalogue._encode(name), *values, address,
             ctypes.byref(handle), stacklevel=4)
        del buffer  # the antenna keeps its own copy
        self._id = handle.value
        self._finalizer = weakref.finalize(self, _delete, self._id)

    @property
    def name(self):
        return self.pattern.name

    @property
    def closed(self):
        return not self._finalizer.alive

    def close(self):
        self._finalizer()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _handle(self):
        if self.closed:
            raise KamError(_native.E_UNKNOWN_ANTENNA, f"the antenna on {self.name} is closed")
        return self._id

    def gain(self, phi, phi0=None, errors="warn"):
        """Gain at off-axis angles phi [deg] (and phi0), broadcast together."""
        handle, export = self._handle(), _native.lib.KAM_AntennaGainArray

        def invoke(v, n, x, p0, g, gx, st):
            return export(handle, n, x, p0, g, gx, st)

        return Result(*evaluate(invoke, _as_float_array(phi, "phi"), _optional(phi0, "phi0"),
                                [], errors, stacklevel=3))

    def __repr__(self):
        state = "closed" if self.closed else f"id {self._id}"
        return f"<{type(self).__name__} {self.name} ({state})>"


class EarthAntenna(_Antenna):
    def __init__(self, name, *, gain_max=None, diameter=None, frequency=None, efficiency=None,
                 specific=None, library=None):
        super().__init__(_native.lib.KAM_CreateEarthAntenna, name, library, specific,
                         [_scalar(gain_max, "gain_max"), _scalar(diameter, "diameter"),
                          _scalar(frequency, "frequency"), _scalar(efficiency, "efficiency")])


class SpaceAntenna(_Antenna):
    def __init__(self, name, *, gain_max=None, beamlet=None, specific=None, library=None):
        super().__init__(_native.lib.KAM_CreateSpaceAntenna, name, library, specific,
                         [_scalar(gain_max, "gain_max"), _scalar(beamlet, "beamlet")])

    def contour(self, level, phi0=None, errors="warn"):
        """Contour angles [deg] for relative levels [dB] (and phi0)."""
        handle, export = self._handle(), _native.lib.KAM_AntennaContourArray

        def invoke(v, n, x, p0, phi, phix, st):
            return export(handle, n, x, p0, phi, phix, st)

        return Contour(*evaluate(invoke, _as_float_array(level, "level"),
                                 _optional(phi0, "phi0"), [], errors, stacklevel=3))
