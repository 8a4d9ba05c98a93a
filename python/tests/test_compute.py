"""Gains, contours and antennas of the package against the single-point
exports called directly; broadcasting, grouping, NoValue, the errors modes,
KamError, specific dicts and threads."""

import threading
import warnings

import numpy as np
import pytest

import kam
from kam import _native
from conftest import double_struct, reference

# Angles inside and outside the hard limits (0..180) and on segment ends.
PHI = np.array([0, 0.1, 0.5, 1, 1.5, 2, 5, 10, 20, 30, 48, 90, 179.9, 180, -1, 181])

EARTH_CASES = [
    ("FSREF_001_V1", dict(gain_max=45, diameter=2, frequency=12000)),
    ("FSREF_001_V1", dict(gain_max=45, diameter=2)),                 # +6008
    ("GSOCO_005_V1", dict(gain_max=49, diameter=2.4, frequency=14000)),
    ("BSSRX_012_V1", dict(diameter=0.6, frequency=12000)),           # cross-polar
    ("BSSRX_012_V1", dict(diameter=0.2, frequency=12000)),           # -6002 everywhere
    ("PARAB_014_V1", dict(gain_max=30, phi0=2)),
    ("RDCOP_017_V1", dict(gain_max=35, phi0=np.array([1.0, 2.0])[:, None])),
]
SPACE_CASES = [
    ("GSOSS_101_V1", dict(gain_max=40, phi0=0.8)),
    ("FROFF_109_V1", dict(gain_max=40, beamlet=1.0, phi0=np.array([0.5, 2])[:, None])),
    ("NGLEO_108_V1", dict(gain_max=35, phi0=1)),
    ("ISOTR_111_V1", dict(gain_max=5)),
]
CONTOUR_CASES = [
    ("GSOSS_101_V1", np.array([-3, -10, -20, -30, 0, -101]), dict(phi0=0.8)),
    ("PARAB_110_V1", np.array([-3, -20, -29.9, -40]), dict(phi0=2)),   # -6010 below the floor
    ("SNS9A_113_V1", np.array([-3, -59, -61]), dict()),
]


def quiet(fn, *args, **kw):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kam.KamWarning)
        return fn(*args, **kw)


def assert_same(result, expected):
    for got, want in zip(result, expected):
        np.testing.assert_array_equal(got, want)


@pytest.mark.parametrize("name,params", EARTH_CASES)
def test_earth_gain_equals_single_calls(single, name, params):
    keys = list(params)
    expected = reference(lambda phi, *v: single.earth(name, phi, **dict(zip(keys, v))),
                         PHI, *params.values())
    try:
        got = quiet(kam.earth_gain, name, PHI, **params)
    except kam.KamError as e:  # every element failed with one status
        assert (expected[2] == e.code).all()
        return
    assert_same(got, expected)


@pytest.mark.parametrize("name,params", SPACE_CASES)
def test_space_gain_equals_single_calls(single, name, params):
    keys = list(params)
    expected = reference(lambda phi, *v: single.space(name, phi, **dict(zip(keys, v))),
                         PHI, *params.values())
    assert_same(quiet(kam.space_gain, name, PHI, **params), expected)


@pytest.mark.parametrize("name,levels,params", CONTOUR_CASES)
def test_contour_equals_single_calls(single, name, levels, params):
    keys = list(params)
    expected = reference(lambda lv, *v: single.contour(name, lv, **dict(zip(keys, v))),
                         levels, *params.values())
    assert_same(quiet(kam.space_contour, name, levels, **params), expected)


def test_antennas_equal_single_calls(single):
    with kam.EarthAntenna("GSOCO_005_V1", gain_max=49, diameter=2.4, frequency=14000) as a:
        expected = reference(lambda phi: single.antenna_gain(a._id, phi), PHI)
        assert_same(quiet(a.gain, PHI), expected)
    with kam.SpaceAntenna("GSOSS_102_V1", gain_max=40) as s:
        phi0 = np.array([0.5, 0.8])[:, None]
        assert_same(quiet(s.gain, PHI, phi0),
                    reference(lambda phi, p0: single.antenna_gain(s._id, phi, p0), PHI, phi0))
        levels = np.array([-3, -25, -40, 0.5])
        assert_same(quiet(s.contour, levels, 0.8),
                    reference(lambda lv: single.antenna_contour(s._id, lv, 0.8), levels))


# ---- Broadcasting and grouping ------------------------------------------------------

@pytest.mark.parametrize("phi,gain_max,diameter,shape", [
    (3.0, 45, 2, ()),
    ([1.0, 3.0, 30.0], 45, 2, (3,)),
    (np.linspace(1, 40, 6).reshape(2, 3), [44, 45, 46], 2, (2, 3)),
    ([1.0, 3.0], [[44], [45], [46]], [[[1.5]], [[2.5]]], (2, 3, 2)),
    (np.empty((0, 4)), 45, 2, (0, 4)),
])
def test_broadcast_shapes_and_values(single, phi, gain_max, diameter, shape):
    r = kam.earth_gain("FSREF_001_V1", phi, gain_max=gain_max, diameter=diameter,
                       frequency=12000)
    assert r.gain.shape == r.gain_x.shape == r.status.shape == shape
    assert r.status.dtype == np.int32
    expected = reference(lambda p, g, d: single.earth("FSREF_001_V1", p, g, d, 12000),
                         phi, gain_max, diameter)
    assert_same(r, expected)


def test_one_array_call_per_distinct_parameter_set(monkeypatch):
    export = _native.lib.KAM_EarthPatternGainArray
    calls = []

    def counting(*args):
        calls.append(args[2:6])
        return export(*args)

    monkeypatch.setattr(_native.lib, "KAM_EarthPatternGainArray", counting)
    gain_max = np.array([45, 40, 45, 40, 45, 47])
    kam.earth_gain("FSREF_001_V1", np.linspace(0, 60, 6), gain_max=gain_max, diameter=2,
                   frequency=[12000] * 6)
    assert sorted(c[0] for c in calls) == [40, 45, 47]
    calls.clear()
    kam.earth_gain("FSREF_001_V1", np.linspace(0, 60, 1000), gain_max=45, diameter=[2],
                   frequency=12000)
    assert len(calls) == 1


# ---- NoValue, nan and statuses ------------------------------------------------------

def test_novalue_inputs_and_outputs(single):
    r = quiet(kam.earth_gain, "FSREF_001_V1", [1.0, 1.0], gain_max=[45, None], diameter=2,
              frequency=12000)
    assert r.status.tolist() == [0, -5100]
    assert np.isfinite(r.gain[0]) and np.isnan(r.gain[1])
    assert np.isnan(r.gain_x).all()  # no cross-polar curve
    assert not (r.gain == kam.NOVALUE).any()
    # A computation that failed after writing its outputs is nan all the same.
    r = quiet(kam.space_gain, "FROFF_109_V1", 1.0, gain_max=40, beamlet=1.0, phi0=[0.5, 2])
    assert r.status[0] == single.space("FROFF_109_V1", 1.0, 40, 1.0, phi0=0.5)[0] < 0
    assert np.isnan(r.gain[0]) and np.isfinite(r.gain[1])


MIXED = dict(name="FSREF_001_V1", phi=[1.0, -1.0, 5.0, 200.0], gain_max=45, diameter=2)


def _mixed(errors):
    p = dict(MIXED)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = kam.earth_gain(p.pop("name"), p.pop("phi"), errors=errors, **p)
    return result, [w for w in caught if issubclass(w.category, kam.KamWarning)]


def test_errors_modes(single):
    expected_codes = {single.earth(MIXED["name"], phi, 45, 2)[0] for phi in MIXED["phi"]}
    r, caught = _mixed("warn")
    assert set(r.status.tolist()) == expected_codes
    assert {w.message.code for w in caught} == expected_codes - {0}
    assert len(caught) == len(expected_codes - {0})  # one per distinct code
    assert all(w.filename == __file__ for w in caught)  # points at the caller

    r_ignored, caught = _mixed("ignore")
    assert caught == []
    assert_same(r_ignored, r)

    with pytest.raises(kam.KamError) as e:
        _mixed("raise")
    first_negative = next(s for s in r.status.tolist() if s < 0)
    assert e.value.code == first_negative
    with pytest.raises(ValueError):
        kam.earth_gain("FSREF_001_V1", 1.0, gain_max=45, errors="loud")


def test_kam_error_fields(single):
    single.earth("NOSUCH", 1.0, 45)
    (code, text, line), = single.events()
    with pytest.raises(kam.KamError) as e:
        kam.earth_gain("NOSUCH", [1.0, 2.0], gain_max=45, errors="ignore")
    assert (e.value.code, e.value.message, e.value.events) == (code, text, [line]) \
        and code == -2005
    assert text in str(e.value)
    # A wrong argument of the array call itself (a 13-character name) fails the call.
    with pytest.raises(kam.KamError) as e:
        kam.space_gain("THIRTEENCHARS", [1.0], gain_max=40, errors="ignore")
    assert e.value.code == -2
    # Every element failing with one status fails the call whatever the mode.
    with pytest.raises(kam.KamError) as e:
        kam.space_gain("FSREF_001_V1", [1.0, 2.0], gain_max=40, errors="ignore")
    assert e.value.code == -2006 and e.value.events


# ---- Specific structures ------------------------------------------------------------

@pytest.mark.parametrize("name,given,structure", [
    ("PARAB_014_V1", {"floor": -20}, (-20.0,)),
    ("PARAB_014_V1", {}, (-30.0,)),
    ("CSEC2_021_V1", {"thetaEnd": 45}, (6.0, 45.0, -55.0)),
    ("HEMIS_029_V1", {"cutoff": 60, "lower": -10}, (60.0, -10.0)),
])
def test_specific_dicts(single, name, given, structure):
    phi = np.array([0.0, 1.0, 5.0, 30.0, 50.0, 70.0, 120.0])
    struct = double_struct(*structure)
    expected = reference(lambda p: single.earth(name, p, 30, phi0=3, specific=struct), phi)
    r = quiet(kam.earth_gain, name, phi, gain_max=30, phi0=3, specific=given)
    assert_same(r, expected)


def test_specific_dict_refused():
    with pytest.raises(ValueError, match="nosuch"):
        kam.earth_gain("PARAB_014_V1", 1.0, gain_max=30, phi0=2, specific={"nosuch": 1})
    with pytest.raises(ValueError):
        kam.earth_gain("FSREF_001_V1", 1.0, gain_max=45, specific={})
    with pytest.raises(TypeError):
        kam.earth_gain("PARAB_014_V1", 1.0, gain_max=30, phi0=2, specific=[-20])


# ---- Antennas -----------------------------------------------------------------------

def test_antenna_close_and_failures(single):
    a = kam.SpaceAntenna("GSOSS_101_V1", gain_max=40)
    handle = a._id
    a.close()
    assert a.closed
    assert single.antenna_gain(handle, 1.0, 0.8)[0] == -2009  # deleted in the library
    for use in (lambda: a.gain(1.0, 0.8), lambda: a.contour(-3, 0.8)):
        with pytest.raises(kam.KamError) as e:
            use()
        assert e.value.code == -2009
    a.close()  # closing twice is harmless
    with pytest.raises(kam.KamError) as e:
        kam.EarthAntenna("GSOSS_101_V1", gain_max=40)
    assert e.value.code == -2006
    with pytest.raises(kam.KamError) as e:
        kam.EarthAntenna("FSREF_001_V1", gain_max=800, diameter=2, frequency=12000)
    assert e.value.code == -5200  # GainMax beyond its hard limit
    with pytest.warns(kam.KamWarning) as w:
        kam.EarthAntenna("FSREF_001_V1", gain_max=45, diameter=2).close()
    assert [x.message.code for x in w] == [6008]


def test_antenna_specific_is_copied(single):
    with kam.EarthAntenna("PARAB_014_V1", gain_max=30, specific={"floor": -20}) as a:
        struct = double_struct(-20.0)
        phi = np.array([0.0, 2.0, 10.0])
        assert_same(a.gain(phi, 2.0),
                    reference(lambda p: single.earth("PARAB_014_V1", p, 30, phi0=2,
                                                     specific=struct), phi))


# ---- Threads ------------------------------------------------------------------------

def test_threads_match_serial_results():
    jobs = [(kam.earth_gain, "FSREF_001_V1", dict(gain_max=45, diameter=2, frequency=12000)),
            (kam.earth_gain, "BSSRX_012_V1", dict(diameter=0.6, frequency=12000)),
            (kam.space_gain, "GSOSS_101_V1", dict(gain_max=40, phi0=0.8)),
            (kam.earth_gain, "FSREF_001_V1", dict(gain_max=45, diameter=2))]  # warns
    phi = np.linspace(0, 180, 2001)
    serial = [quiet(fn, name, phi, errors="ignore", **p) for fn, name, p in jobs]
    failures, results = [], {}

    def work(k):
        fn, name, p = jobs[k % len(jobs)]
        try:
            for _ in range(15):
                results.setdefault(k, []).append(fn(name, phi, errors="ignore", **p))
        except Exception as e:  # reported below
            failures.append(e)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(8)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout=120)
    assert not failures
    for k, runs in results.items():
        assert len(runs) == 15
        for r in runs:
            assert_same(r, serial[k % len(jobs)])
