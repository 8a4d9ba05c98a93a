"""kam.earth_gain on 1e6 angles against KAM_EarthPatternGainArray called
directly through ctypes (with its three output arrays allocated), measured in
the same run: the two alternate round by round, and the ratio of their median
times is printed. Target: at most 1.5.

    KAM_LIBRARY=build/default/bin/libkam.so /usr/bin/python3 python/bench/bench_earth_gain.py
"""

import argparse
import os
import statistics
import sys
import time

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import kam  # noqa: E402
from kam import _native  # noqa: E402

# The patterns measured, with their parameters.
CASES = {
    "GSOCO_005_V1": dict(gain_max=49.0, diameter=2.4, frequency=14000.0),
    "FSREF_001_V1": dict(gain_max=45.0, diameter=2.0, frequency=12000.0),
}


def direct(name, p, phi):
    n = phi.size
    gain, gain_x, status = np.empty(n), np.empty(n), np.empty(n, dtype=np.int32)
    rc = _native.lib.KAM_EarthPatternGainArray(
        -1, name.encode(), p["gain_max"], p["diameter"], p["frequency"], _native.NOVALUE,
        _native.NOVALUE_STRUCT, n, phi.ctypes.data, None, gain.ctypes.data,
        gain_x.ctypes.data, status.ctypes.data)
    assert rc == 0, rc
    return gain


def package(name, p, phi):
    return kam.earth_gain(name, phi, **p).gain


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--angles", type=int, default=1_000_000)
    parser.add_argument("--rounds", type=int, default=15)
    args = parser.parse_args()
    phi = np.linspace(0.0, 180.0, args.angles)
    print(f"{args.angles} angles over 0..180 deg, median of {args.rounds} rounds")
    for name, p in CASES.items():
        np.testing.assert_array_equal(direct(name, p, phi), package(name, p, phi))
        times = {direct: [], package: []}
        for _ in range(args.rounds):
            for fn in times:
                start = time.perf_counter()
                fn(name, p, phi)
                times[fn].append(time.perf_counter() - start)
        d, k = statistics.median(times[direct]), statistics.median(times[package])
        print(f"{name}: KAM_EarthPatternGainArray direct {d * 1e3:8.2f} ms (baseline), "
              f"kam.earth_gain {k * 1e3:8.2f} ms, ratio {k / d:.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
