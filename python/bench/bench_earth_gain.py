"""kam.earth_gain on 1e6 angles against KAM_EarthPatternGainArray called
directly through ctypes (with its three output arrays allocated), measured in
the same run: blocks of the two alternate, and the ratio of their median
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

NAME = "GSOCO_005_V1"
PARAMS = dict(gain_max=49.0, diameter=2.4, frequency=14000.0)


def direct(phi):
    n = phi.size
    gain, gain_x, status = np.empty(n), np.empty(n), np.empty(n, dtype=np.int32)
    rc = _native.lib.KAM_EarthPatternGainArray(
        -1, NAME.encode(), PARAMS["gain_max"], PARAMS["diameter"], PARAMS["frequency"],
        _native.NOVALUE, _native.NOVALUE_STRUCT, n, phi.ctypes.data, None, gain.ctypes.data,
        gain_x.ctypes.data, status.ctypes.data)
    assert rc == 0, rc
    return gain


def package(phi):
    return kam.earth_gain(NAME, phi, **PARAMS).gain


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--angles", type=int, default=1_000_000)
    parser.add_argument("--rounds", type=int, default=15)
    args = parser.parse_args()
    phi = np.linspace(0.0, 180.0, args.angles)
    np.testing.assert_array_equal(np.nan_to_num(direct(phi), nan=-1),
                                  np.nan_to_num(package(phi), nan=-1))
    times = {direct: [], package: []}
    for _ in range(args.rounds):
        for fn in (direct, package):
            start = time.perf_counter()
            fn(phi)
            times[fn].append(time.perf_counter() - start)
    d, p = statistics.median(times[direct]), statistics.median(times[package])
    print(f"{args.angles} angles, {NAME}, median of {args.rounds} rounds")
    print(f"  KAM_EarthPatternGainArray direct: {d * 1e3:9.2f} ms  (baseline)")
    print(f"  kam.earth_gain:                   {p * 1e3:9.2f} ms  ratio {p / d:.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
