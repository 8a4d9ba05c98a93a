#!/usr/bin/python3
"""FSREF_001_V1 (GainMax 45 dBi, 2 m, 12000 MHz) over evenly spread angles
in 0..180 degrees: a numpy implementation of the pattern against
KAM_EarthPatternGainArray called through plain ctypes (input validation on),
in the same run. Prints the best time per point of each and their ratios.

    /usr/bin/python3 bench/numpy_fsref.py [path/to/libkam.so] [--points N]
"""
import argparse
import ctypes
import os
import sys
import time
import timeit

import numpy as np

NO_VALUE = sys.float_info.max
NO_VALUE_STRUCT = ctypes.c_void_p(1)
ALL_LIBRARIES = -1
SPEED_OF_LIGHT = 299792458.0
GAIN_MAX, DIAMETER, FREQUENCY = 45.0, 2.0, 12000.0


def numpy_fsref(phi):
    """The reference pattern as a numpy user writes it: GainMax to phimin,
    32 - 25 log phi to 48 degrees, -10 beyond."""
    d = DIAMETER * FREQUENCY * 1e6 / SPEED_OF_LIGHT
    phimin = max(1.0, 100.0 / d) if d >= 50.0 else max(2.0, 114.0 * d ** -1.09)
    with np.errstate(divide="ignore"):
        side = np.where(phi < 48.0, 32.0 - 25.0 * np.log10(phi), -10.0)
    return np.where(phi < phimin, GAIN_MAX, side)


def load(path):
    lib = ctypes.CDLL(path)
    f = lib.KAM_EarthPatternGainArray
    dp = ctypes.POINTER(ctypes.c_double)
    f.argtypes = [ctypes.c_ssize_t, ctypes.c_char_p, ctypes.c_double, ctypes.c_double,
                  ctypes.c_double, ctypes.c_double, ctypes.c_void_p, ctypes.c_int32, dp, dp, dp,
                  dp, ctypes.POINTER(ctypes.c_int32)]
    f.restype = ctypes.c_int32
    lib.KAM_IfInited()
    lib.KAM_EnableInputParamValid()
    lib.KAM_EnableGainValid()
    return f


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("library", nargs="?",
                        default=os.path.join(here, "..", "build", "default", "bin", "libkam.so"))
    parser.add_argument("--points", type=int, default=1_000_000)
    parser.add_argument("--repeat", type=int, default=15)
    args = parser.parse_args()

    gain_array = load(args.library)
    n = args.points
    phi = np.linspace(0.0, 180.0, n)
    gain = np.empty(n)
    dp = ctypes.POINTER(ctypes.c_double)
    phi_p, gain_p = phi.ctypes.data_as(dp), gain.ctypes.data_as(dp)

    def kam():
        status = gain_array(ALL_LIBRARIES, b"FSREF_001_V1", GAIN_MAX, DIAMETER, FREQUENCY,
                            NO_VALUE, NO_VALUE_STRUCT, n, phi_p, None, gain_p, None, None)
        if status != 0:
            raise SystemExit(f"KAM_EarthPatternGainArray returned {status}")

    kam()
    expected = numpy_fsref(phi)
    worst = float(np.max(np.abs(gain - expected)))
    if worst > 1e-9:
        raise SystemExit(f"numpy and KAM differ by {worst} dB")

    # CPU time of this process (both sides run on one thread), so that other
    # work on the machine stays out; small arrays are timed in batches.
    number = max(1, 200_000 // n)
    best = {}
    for name, fn in (("numpy", lambda: numpy_fsref(phi)), ("KAM_EarthPatternGainArray", kam)):
        runs = timeit.repeat(fn, number=number, repeat=args.repeat, timer=time.process_time)
        best[name] = min(runs) / (n * number) * 1e9
    print(f"FSREF_001_V1, {n} angles over 0..180 deg, CPU time, best of {args.repeat}")
    print(f"{'case':32} {'ns/point':>10} {'ratio to numpy':>15}")
    for name, ns in best.items():
        print(f"{name:32} {ns:10.2f} {ns / best['numpy']:15.3f}")


if __name__ == "__main__":
    main()
